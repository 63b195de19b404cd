// TWinControl: window creation (own classes and wrapped system controls), the window
// procedures, children, alignment, reflection, mouse tracking, cursors, focus and keys.
#include "forms/WinControl.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "forms/Form.h"
#include "forms/Screen.h"

namespace forms {

namespace {

// Registers our window class `name` with `style` once; a later request for the same name
// with another style gets a class of its own (the name with the style appended), since a
// class's style is fixed when it is registered. Returns the name to create.
std::string RegisterClassOnce(const std::string& name, UINT style, WNDPROC proc) {
  static std::map<std::string, UINT> registered;
  std::string actual = name;
  auto it = registered.find(name);
  if (it != registered.end() && it->second != style) {
    char suffix[16];
    wsprintfA(suffix, ".%X", style);
    actual += suffix;
    it = registered.find(actual);
  }
  if (it != registered.end()) return actual;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = actual.c_str();
  RegisterClassExA(&wc);
  registered[actual] = style;
  return actual;
}

// comctl32 exports the subclass functions by name from version 6 on; the version 5 DLL that
// a program without a manifest gets on older systems has them only under fixed ordinals.
struct SubclassApi {
  using SetFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
  using RemoveFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
  using DefFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
  SetFn set = nullptr;
  RemoveFn remove = nullptr;
  DefFn def = nullptr;
  SubclassApi() {
    HMODULE dll = GetModuleHandleA("comctl32.dll");
    if (!dll) dll = LoadLibraryA("comctl32.dll");
    if (!dll) return;
    set = Find<SetFn>(dll, "SetWindowSubclass", 410);
    remove = Find<RemoveFn>(dll, "RemoveWindowSubclass", 412);
    def = Find<DefFn>(dll, "DefSubclassProc", 413);
  }
  template <typename Function>
  static Function Find(HMODULE dll, const char* name, WORD ordinal) {
    FARPROC f = GetProcAddress(dll, name);
    if (!f) f = GetProcAddress(dll, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<Function>(reinterpret_cast<void*>(f));
  }
};

const SubclassApi& Subclass() {
  static const SubclassApi api;
  return api;
}

void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                              ICC_BAR_CLASSES | ICC_DATE_CLASSES |
                                              ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS |
                                              ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                              ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

// The control whose system window is being created on this thread, and the hook that
// subclasses that window before its first message (so that it sees its own WM_CREATE and a
// parent can reflect what the control sends while it is made).
thread_local TWinControl* creating = nullptr;
thread_local const char* creating_class = nullptr;
thread_local HHOOK creation_hook = nullptr;

// A button press whose button is up again by the time it is handled (the state is that of the
// last message taken off the queue).
bool PressAlreadyReleased(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: return GetKeyState(VK_LBUTTON) >= 0;
    case WM_RBUTTONDOWN: return GetKeyState(VK_RBUTTON) >= 0;
    case WM_MBUTTONDOWN: return GetKeyState(VK_MBUTTON) >= 0;
    default: return false;
  }
}

// Child windows get distinct control ids: WM_MEASUREITEM names its sender only by id.
UINT NextControlId() {
  static UINT next = 0;
  next = next % 0x7FFF + 1;
  return next;
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }

void CollectTabOrder(const TWinControl* parent, std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> wins;
  for (TControl* c : parent->Controls())
    if (auto* w = dynamic_cast<TWinControl*>(c)) wins.push_back(w);
  std::stable_sort(wins.begin(), wins.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* w : wins) {
    out.push_back(w);
    CollectTabOrder(w, out);
  }
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  BeginDestroy();
  // Owned controls go while this window still exists; foreign children are only unhooked.
  DestroyComponents();
  for (TControl* c : std::vector<TControl*>(controls_)) c->parent_ = nullptr;
  controls_.clear();
  DestroyHandle();
}

// The property that marks our windows and holds the object. Windows of other code (system
// windows, timer windows) have no such property; a system control may use its user data
// itself, so the property is the one place to look.
constexpr const char* kControlProp = "TolvaneControl";
constexpr const char* kPartProp = "TolvaneControlPart";

TWinControl* TWinControl::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  // A window of another process could carry the same property name.
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(wnd, kControlProp));
}

TWinControl* TWinControl::ControlOf(HWND wnd) {
  if (TWinControl* c = FromHandle(wnd)) return c;
  if (!wnd) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(wnd, kPartProp));
}

void TWinControl::AdoptPart(HWND part) {
  if (part) SetPropA(part, kPartProp, this);
}

void TWinControl::ReleasePart(HWND part) {
  if (part) RemovePropA(part, kPartProp);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  // Our own classes keep the object in the user data as well: it is read at every message
  // and, unlike a property, costs no trip to the window server under Wine.
  TWinControl* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(l);
    // An MDI child's creation data is wrapped by the system in the MDI creation record, whose
    // lParam is what the creator passed.
    if ((cs->dwExStyle & WS_EX_MDICHILD) && cs->lpCreateParams)
      self = reinterpret_cast<TWinControl*>(
          static_cast<const MDICREATESTRUCTA*>(cs->lpCreateParams)->lParam);
    else
      self = static_cast<TWinControl*>(cs->lpCreateParams);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetPropA(wnd, kControlProp, self);
    if (self) self->handle_ = wnd;
  } else {
    self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(wnd, msg, w, l);
  TMessage m{msg, w, l, 0};
  self->WindowProc(m);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    RemovePropA(wnd, kControlProp);
    self->handle_ = nullptr;
  }
  return m.Result;
}

LRESULT CALLBACK TWinControl::SubclassWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                              DWORD_PTR ref) {
  auto* self = reinterpret_cast<TWinControl*>(ref);
  TMessage m{msg, w, l, 0};
  self->WindowProc(m);
  if (msg == WM_NCDESTROY) {
    if (Subclass().remove) Subclass().remove(wnd, SubclassWndProc, id);
    RemovePropA(wnd, kControlProp);
    self->handle_ = nullptr;
    self->wrapped_ = false;
  }
  return m.Result;
}

LRESULT CALLBACK TWinControl::CreationHook(int code, WPARAM w, LPARAM l) {
  // The first window of the asked-for class created after CreateWnd set `creating` is the
  // control's own; windows it makes for itself (a list view's header) come later, and a
  // window the system makes first (an input-method window) is of another class.
  char cls[64] = {};
  if (code == HCBT_CREATEWND && creating &&
      GetClassNameA(reinterpret_cast<HWND>(w), cls, sizeof(cls)) &&
      lstrcmpiA(cls, creating_class) == 0) {
    TWinControl* c = creating;
    creating = nullptr;
    c->AttachWrapped(reinterpret_cast<HWND>(w));
  }
  return CallNextHookEx(creation_hook, code, w, l);
}

void TWinControl::AttachWrapped(HWND wnd) {
  if (!Subclass().set || !Subclass().set(wnd, SubclassWndProc, 1, reinterpret_cast<DWORD_PTR>(this)))
    return;
  handle_ = wnd;
  wrapped_ = true;
  SetPropA(wnd, kControlProp, this);
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* system_class) {
  params.WinClassName = system_class;
  params.SystemClass = true;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = Text();
  p.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (visible_) p.Style |= WS_VISIBLE;
  if (!enabled_) p.Style |= WS_DISABLED;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WndParent = parent_ ? parent_->Handle() : nullptr;
  p.WinClassName = ClassName();
  p.ClassStyle = (ControlStyle() & csDoubleClicks) ? CS_DBLCLKS : 0;
  p.ExStyle |= BiDiExStyle();
}

DWORD TWinControl::BiDiExStyle() const {
  DWORD ex = 0;
  if (UseRightToLeftReading()) ex |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) ex |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment()) ex |= WS_EX_RIGHT;
  return ex;
}

void TWinControl::BiDiModeChanged() {
  if (HandleAllocated()) {
    constexpr DWORD kBiDiBits = WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_EXSTYLE));
    SetWindowLongPtrA(handle_, GWL_EXSTYLE, (ex & ~kBiDiBits) | BiDiExStyle());
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  TControl::BiDiModeChanged();
  for (TControl* c : controls_)
    if (c->ParentBiDiMode()) c->BiDiModeChanged();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  // Asking for the parent's handle made the parent's window and, with it, the windows of all
  // its children, this one among them: a second window would be an orphan that the object
  // no longer answers for (it would never get validated and repaint for ever).
  if (handle_) return;
  if ((p.Style & WS_CHILD) && !p.WndParent) return;  // placed later, when it gets a parent
  // A child's "menu" is its control id; a top-level window's would be a menu handle.
  auto id = reinterpret_cast<HMENU>(
      static_cast<UINT_PTR>((p.Style & WS_CHILD) ? NextControlId() : 0));
  HWND wnd = nullptr;
  if (p.SystemClass) {
    InitCommonControlsOnce();
    creating = this;
    creating_class = p.WinClassName.c_str();
    creation_hook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    wnd = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X,
                          p.Y, p.Width, p.Height, p.WndParent, id, GetModuleHandleA(nullptr),
                          nullptr);
    if (creation_hook) UnhookWindowsHookEx(creation_hook);
    creation_hook = nullptr;
    creating = nullptr;
    creating_class = nullptr;
    // Without the hook (or if it did not run) subclass now; only the creation messages are
    // then missed.
    if (wnd && handle_ != wnd) AttachWrapped(wnd);
    if (wnd && handle_ != wnd) {
      DestroyWindow(wnd);  // could not be subclassed: an unusable half-control
      wnd = nullptr;
    }
  } else {
    std::string cls = RegisterClassOnce(p.WinClassName, p.ClassStyle, StdWndProc);
    wnd = CreateWindowExA(p.ExStyle, cls.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                          p.Width, p.Height, p.WndParent, id, GetModuleHandleA(nullptr), this);
  }
  if (!wnd) {
    handle_ = nullptr;
    return;  // no display: the control stays windowless, callers check HandleAllocated
  }
  handle_ = wnd;
  // A system control draws its text in the font it is given, else in the system font.
  if (wrapped_) SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  CreateChildHandles();
}

HWND TWinControl::Handle() {
  if (!handle_ && !IsDestroying()) CreateWnd();
  return handle_;
}

void TWinControl::CreateChildHandles() {
  for (TControl* c : std::vector<TControl*>(controls_))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
}

void TWinControl::DestroyWnd() {
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (handle_) DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  c->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (handle_) w->HandleNeeded();
  } else {
    InvalidateChildArea(c->BoundsRect());
  }
  if (c->Align() != TAlign::alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  controls_.erase(it);
  c->parent_ = nullptr;
  if (mouse_control_ == c) mouse_control_ = nullptr;
  if (capture_control_ == c) {
    capture_control_ = nullptr;
    if (handle_ && GetCapture() == handle_) ReleaseCapture();
  }
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    // A windowed child cannot live without its parent window.
    w->DestroyHandle();
  } else {
    InvalidateChildArea(c->BoundsRect());
  }
  if (TCustomForm* f = ParentForm()) f->ControlRemoved(c);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (!handle_) {
    TControl::SetBounds(left, top, width, height);
    return;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  // The window moves first and the fields follow what it reports (WM_WINDOWPOSCHANGED), so a
  // SetBounds made from inside the resulting WM_SIZE moves the window again and its result
  // is what stays.
  SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateBounds();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::BoundsChanged() { AlignControls(); }

void TWinControl::SetVisible(bool v) {
  if (v == visible_) return;
  TControl::SetVisible(v);
  if (handle_) ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  if (handle_) EnableWindow(handle_, v);
  TControl::SetEnabled(v);
}

void TWinControl::SetText(const std::string& text) {
  if (text == Text()) return;
  if (handle_) SetWindowTextA(handle_, text.c_str());
  TControl::SetText(text);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::InvalidateChildArea(const RECT& r) {
  if (handle_) InvalidateRect(handle_, &r, FALSE);
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::AlignControls() { AlignChildren(); }

RECT TWinControl::AlignChildren() {
  RECT r = ClientRect();
  int cw = r.right - r.left, ch = r.bottom - r.top;
  // Anchored children follow the change of the client size since the last layout.
  if (aligned_width_ || aligned_height_) {
    int dx = cw - aligned_width_, dy = ch - aligned_height_;
    for (TControl* c : controls_) {
      if (c->Align() != TAlign::alNone || (!dx && !dy)) continue;
      int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
      TAnchors a = c->Anchors();
      if ((a & akRight) && (a & akLeft)) w += dx;
      else if (a & akRight) l += dx;
      if ((a & akBottom) && (a & akTop)) h += dy;
      else if (a & akBottom) t += dy;
      c->SetBounds(l, t, w, h);
    }
  }
  aligned_width_ = cw;
  aligned_height_ = ch;
  bool client_taken = false;
  for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight,
                      TAlign::alClient}) {
    for (TControl* c : controls_) {
      if (c->Align() != pass || !c->Visible()) continue;
      switch (pass) {
        case TAlign::alTop:
          c->SetBounds(r.left, r.top, r.right - r.left, c->height_);
          r.top += c->height_;
          break;
        case TAlign::alBottom:
          c->SetBounds(r.left, r.bottom - c->height_, r.right - r.left, c->height_);
          r.bottom -= c->height_;
          break;
        case TAlign::alLeft:
          c->SetBounds(r.left, r.top, c->width_, r.bottom - r.top);
          r.left += c->width_;
          break;
        case TAlign::alRight:
          c->SetBounds(r.right - c->width_, r.top, c->width_, r.bottom - r.top);
          r.right -= c->width_;
          break;
        default:
          c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
          client_taken = true;
          break;
      }
    }
  }
  if (client_taken) r.right = r.left, r.bottom = r.top;
  return r;
}

int TWinControl::TabOrder() const {
  if (!parent_) return 0;
  int i = 0;
  for (TControl* c : parent_->controls_) {
    if (c == this) return i;
    if (c->IsWindowed()) ++i;
  }
  return i;
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::find(v.begin(), v.end(), static_cast<TControl*>(this)));
  int i = 0;
  auto it = v.begin();
  for (; it != v.end(); ++it) {
    if (!(*it)->IsWindowed()) continue;
    if (i == order) break;
    ++i;
  }
  v.insert(it, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (HWND h = Handle()) ::SetFocus(h);
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const {
  std::vector<TWinControl*> list;
  CollectTabOrder(this, list);
  if (list.empty()) return nullptr;
  auto n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[i] == current) start = i;
  for (int step = 1; step <= n; ++step) {
    int i = forward ? (start + step) % n : ((start - step) % n + n) % n;
    if (start < 0 && !forward) i = n - step;
    TWinControl* c = list[i];
    if (c->TabStop() && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    c->WindowProc(m);
    if (m.Result != 0) return;
  }
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    RECT r = c->BoundsRect();
    if (c->Visible() && PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(dc, &r)) continue;
    int saved = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, c->Left(), c->Top(), &old);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::SetMouseControl(TControl* c) {
  if (c == mouse_control_) return;
  TControl* old = mouse_control_;
  mouse_control_ = c;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (c) c->Perform(CM_MOUSEENTER);
}

void TWinControl::WndProc(TMessage& m) {
  if (m.Msg == WM_MOUSEMOVE && handle_) {
    if (!mouse_inside_) {
      mouse_inside_ = true;
      TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, handle_, 0};
      TrackMouseEvent(&t);
      Perform(CM_MOUSEENTER);
    }
  } else if (m.Msg == WM_MOUSELEAVE) {
    mouse_inside_ = false;
    SetMouseControl(nullptr);
    Perform(CM_MOUSELEAVE);
    // A wrapped control may track the mouse itself (hot items, tool tips).
    if (wrapped_) DefaultHandler(m);
    return;
  }
  if (IsMouseMessage(m.Msg)) {
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    TControl* c = ControlAtPos(p);
    if (c && c->IsWindowed()) c = nullptr;
    if (m.Msg == WM_MOUSEMOVE) SetMouseControl(c);
    // While a graphic child holds the mouse (pressed, not yet released) it gets all of it.
    if (capture_control_) c = capture_control_;
    if (c && m.Msg != WM_MOUSEWHEEL && m.Msg != WM_MOUSEHWHEEL) {
      TMessage cm = m;
      cm.LParam = MAKELPARAM(p.x - c->Left(), p.y - c->Top());
      bool press = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
      if (press && (c->ControlStyle() & csCaptureMouse) && handle_) {
        capture_control_ = c;
        SetCapture(handle_);
      }
      // The mouse is let go before the release reaches the child: its click may open a modal
      // window, whose first click would otherwise still come here.
      if (m.Msg == WM_LBUTTONUP && capture_control_) {
        capture_control_ = nullptr;
        if (handle_ && GetCapture() == handle_) ReleaseCapture();
      }
      c->WindowProc(cm);
      m.Result = cm.Result;
      return;
    }
    // The system controls capture the mouse themselves where they need it.
    if (!wrapped_ && handle_) {
      if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) &&
          (ControlStyle() & csCaptureMouse))
        SetCapture(handle_);
      else if (m.Msg == WM_LBUTTONUP && GetCapture() == handle_)
        ReleaseCapture();
    }
  }
  if (m.Msg == WM_LBUTTONUP) left_up_seen_ = true;
  if (m.Msg != WM_LBUTTONDOWN || !release_taken_by_system_) {
    TControl::WndProc(m);
    return;
  }
  left_up_seen_ = false;
  TControl::WndProc(m);
  if (!left_up_seen_ && handle_ && Enabled() && GetKeyState(VK_LBUTTON) >= 0) {
    // Where the swallowed release happened: the position of the last message taken off the
    // queue.
    DWORD at = GetMessagePos();
    POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ::ScreenToClient(handle_, &p);
    WPARAM keys = (GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) |
                  (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
    LeftButtonReleased(keys, p.x, p.y);
  }
}

void TWinControl::SetNonClientBand(int pixels) {
  nc_band_ = pixels < 0 ? 0 : pixels;
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinControl::NcCalcSize(TMessage& m) {
  DefaultHandler(m);
  if (nc_band_ <= 0) return;
  RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0]
                     : reinterpret_cast<RECT*>(m.LParam);
  int b = std::min({nc_band_, static_cast<int>((r->right - r->left) / 2),
                    static_cast<int>((r->bottom - r->top) / 2)});
  InflateRect(r, -b, -b);
}

void TWinControl::NcPaint(TMessage& m) {
  DefaultHandler(m);
  if (nc_band_ <= 0 || !handle_) return;
  RECT wr, cr;
  GetWindowRect(handle_, &wr);
  GetClientRect(handle_, &cr);
  MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  OffsetRect(&cr, -wr.left, -wr.top);
  RECT band = cr;
  InflateRect(&band, nc_band_, nc_band_);
  HDC dc = GetWindowDC(handle_);
  ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
  HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(dc, &band, b);
  DeleteObject(b);
  ReleaseDC(handle_, dc);
}

bool TWinControl::ReflectToChild(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // Menus, accelerators and a window's own scroll bars send no handle.
      child = reinterpret_cast<HWND>(m.LParam);
      break;
    case WM_NOTIFY:
      if (m.LParam) child = reinterpret_cast<const NMHDR*>(m.LParam)->hwndFrom;
      break;
    case WM_DRAWITEM:
      if (m.LParam && reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->CtlType != ODT_MENU)
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      // Only the control id names the sender; it may come while the child is being made.
      if (m.LParam && reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlType != ODT_MENU &&
          handle_)
        child = GetDlgItem(handle_, static_cast<int>(
                                        reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlID));
      break;
    default:
      return false;
  }
  if (!child || child == handle_) return false;
  TWinControl* c = FromHandle(child);
  if (!c) return false;
  m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: WMPaint(m); break;
    case WM_ERASEBKGND: WMEraseBkgnd(m); break;
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: WMKillFocus(m); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: WMKeyDown(m); break;
    case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(m); break;
    case WM_CHAR: WMChar(m); break;
    case WM_SIZE: WMSize(m); break;
    case WM_MOVE: DefaultHandler(m); UpdateBounds(); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); break;
    case WM_GETDLGCODE: WMGetDlgCode(m); break;
    case WM_SETCURSOR: WMSetCursor(m); break;
    case WM_NCCALCSIZE: NcCalcSize(m); break;
    case WM_NCPAINT: NcPaint(m); break;
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM:
    case WM_HSCROLL: case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      if (!ReflectToChild(m)) TControl::Dispatch(m);
      break;
    default: TControl::Dispatch(m);
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) return;
  if (m.Msg >= CN_BASE && m.Msg <= CN_LAST) {
    // A reflected notification nobody answered: the answer the parent's default procedure
    // gives (for WM_CTLCOLOR* the system brush and colours).
    UINT msg = m.Msg - CN_BASE;
    HWND parent = GetParent(handle_);
    m.Result = DefWindowProcA(parent ? parent : handle_, msg, m.WParam, m.LParam);
    return;
  }
  if (IsPrivateMessage(m.Msg)) return;
  if (wrapped_) {
    // Such a control would follow the press in its loop until a release that a modal loop
    // of our handlers (a popup menu) has already taken: with the button up, it waits on.
    if (release_taken_by_system_ && PressAlreadyReleased(m.Msg)) return;
    if (Subclass().def) m.Result = Subclass().def(handle_, m.Msg, m.WParam, m.LParam);
    return;
  }
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WMSetCursor(TMessage& m) {
  // The screen's cursor, while set, stands for every client area (a child's too, asked through
  // the default procedure). Otherwise only a pointer over this window's own client area is
  // ours to shape; for the frame the default answer stands.
  if (LOWORD(m.LParam) != HTCLIENT) return DefaultHandler(m);
  TCursor cur = Screen()->Cursor();
  if (cur != crDefault || reinterpret_cast<HWND>(m.WParam) == handle_) {
    if (cur == crDefault) {
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(handle_, &p);
      TControl* c = ControlAtPos(p);
      if (c && !c->IsWindowed()) cur = c->Cursor();
      if (cur == crDefault) cur = Cursor();
    }
    if (cur != crDefault) {
      ::SetCursor(Screen()->CursorHandle(cur));
      m.Result = 1;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::WMGetDlgCode(TMessage& m) {
  // A system control knows which keys it wants (an edit: characters and arrows).
  if (wrapped_) DefaultHandler(m);
  else m.Result = 0;
}

void TWinControl::WMPaint(TMessage& m) {
  // A system control paints (and erases) itself.
  if (wrapped_) {
    DefaultHandler(m);
    return;
  }
  if (m.WParam) {
    PaintControls(reinterpret_cast<HDC>(m.WParam));
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  PaintControls(dc);
  EndPaint(handle_, &ps);
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  if (wrapped_) {
    DefaultHandler(m);
    return;
  }
  RECT r = ClientRect();
  HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(reinterpret_cast<HDC>(m.WParam), &r, b);
  DeleteObject(b);
  m.Result = 1;
}

void TWinControl::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
  if (TCustomForm* f = ParentForm(); f && f != this) f->SetFocusedControl(this);
  if (OnEnter) OnEnter(this);
}

void TWinControl::WMKillFocus(TMessage& m) {
  DefaultHandler(m);
  if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyDown(key, shift);
  if (key) KeyDown(key, shift);
  if (!key) return;
  // A handler may have put another key in place of this one.
  m.WParam = (m.WParam & ~static_cast<WPARAM>(0xFFFF)) | key;
  DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyUp(key, shift);
  if (key) KeyUp(key, shift);
  if (!key) return;
  m.WParam = (m.WParam & ~static_cast<WPARAM>(0xFFFF)) | key;
  DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m) {
  // A wrapped control gets its characters in their wide form; the key events see the
  // character in the program's code page, and what they leave goes on in the form it came.
  char ch = static_cast<char>(m.WParam);
  if (wrapped_) {
    auto wide = static_cast<wchar_t>(m.WParam);
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, 0, &wide, 1, &ch, 1, nullptr, &lossy) != 1 || lossy) {
      DefaultHandler(m);  // not one character of the code page: no key event can take it
      return;
    }
  }
  const char typed = ch;
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyPress(ch);
  if (ch) KeyPress(ch);
  if (!ch) return;
  if (ch != typed) {
    wchar_t wide = static_cast<unsigned char>(ch);
    if (wrapped_) MultiByteToWideChar(CP_ACP, 0, &ch, 1, &wide, 1);
    m.WParam = wrapped_ ? static_cast<WPARAM>(wide) : static_cast<unsigned char>(ch);
  }
  DefaultHandler(m);
}

void TWinControl::WMSize(TMessage& m) {
  DefaultHandler(m);
  UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TMessage& m) {
  // Moved or sized by anyone (the system, a user's drag, SetWindowPos on the handle): the
  // default handler sends WM_SIZE and WM_MOVE, and the fields take the window's real place.
  DefaultHandler(m);
  UpdateBounds();
}

void TWinControl::CMFontChanged(TMessage& m) {
  if (wrapped_ && handle_)
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Invalidate();
  TMessage pm{CM_PARENTFONTCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::CMColorChanged(TMessage& m) {
  Invalidate();
  TMessage pm{CM_PARENTCOLORCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::CMCancelMode(TMessage& m) { Broadcast(m); }

int ScrollMessagePos(HWND wnd, const TMessage& m) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS | SIF_TRACKPOS;
  HWND bar = reinterpret_cast<HWND>(m.LParam);
  char cls[32] = {};
  // A track bar control has no scroll information but answers its position in full.
  if (bar && GetClassNameA(bar, cls, sizeof(cls)) && lstrcmpiA(cls, TRACKBAR_CLASSA) == 0)
    return static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
  int which = bar ? SB_CTL : (m.Msg == WM_HSCROLL || m.Msg == CN_HSCROLL ? SB_HORZ : SB_VERT);
  if (!GetScrollInfo(bar ? bar : wnd, which, &si)) return static_cast<short>(HIWORD(m.WParam));
  int code = LOWORD(m.WParam);
  return code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? si.nTrackPos : si.nPos;
}

bool SubclassWindow(HWND wnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR ref) {
  return wnd && Subclass().set && Subclass().set(wnd, proc, id, ref);
}

void UnsubclassWindow(HWND wnd, SUBCLASSPROC proc, UINT_PTR id) {
  if (wnd && Subclass().remove) Subclass().remove(wnd, proc, id);
}

LRESULT DefSubclassMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  return Subclass().def ? Subclass().def(wnd, msg, w, l) : 0;
}

}  // namespace forms
