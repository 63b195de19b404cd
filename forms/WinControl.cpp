// TWinControl: window creation, the window procedure, children, alignment, focus and keys.
#include "forms/WinControl.h"

#include <algorithm>

#include "forms/Form.h"

namespace forms {

namespace {

void RegisterClassOnce(const char* name, UINT style, WNDPROC proc) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) return;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
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

// Windows of other code (system windows, timer windows) have user data of their own; only a
// window that also carries our property is one of ours.
constexpr const char* kControlProp = "TolvaneControl";

TWinControl* TWinControl::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  HANDLE mark = GetPropA(wnd, kControlProp);
  auto* c = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  return mark && mark == static_cast<HANDLE>(c) ? c : nullptr;
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  TWinControl* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(l);
    self = static_cast<TWinControl*>(cs->lpCreateParams);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetPropA(wnd, kControlProp, self);
    if (self) self->handle_ = wnd;
  } else {
    self = FromHandle(wnd);
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
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent) return;  // placed later, when it gets a parent
  RegisterClassOnce(p.WinClassName, p.ClassStyle, StdWndProc);
  HWND wnd = CreateWindowExA(p.ExStyle, p.WinClassName, p.Caption.c_str(), p.Style, p.X, p.Y,
                             p.Width, p.Height, p.WndParent, nullptr, GetModuleHandleA(nullptr),
                             this);
  if (!wnd) return;  // no display: the control stays windowless, callers check HandleAllocated
  handle_ = wnd;
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

void TWinControl::AlignControls() {
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
          break;
      }
    }
  }
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
    Perform(CM_MOUSELEAVE);
    return;
  }
  if (IsMouseMessage(m.Msg)) {
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    TControl* c = ControlAtPos(p);
    if (c && !c->IsWindowed()) {
      TMessage cm = m;
      cm.LParam = MAKELPARAM(p.x - c->Left(), p.y - c->Top());
      c->WindowProc(cm);
      m.Result = cm.Result;
      return;
    }
    if (m.Msg == WM_LBUTTONDOWN && (ControlStyle() & csCaptureMouse) && handle_)
      SetCapture(handle_);
    else if (m.Msg == WM_LBUTTONUP && GetCapture() == handle_ && handle_)
      ReleaseCapture();
  }
  TControl::WndProc(m);
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
    default: TControl::Dispatch(m);
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (handle_ && m.Msg < CM_BASE) m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WMPaint(TMessage& m) {
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
  if (key) DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyUp(key, shift);
  if (key) KeyUp(key, shift);
  if (key) DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m) {
  char ch = static_cast<char>(m.WParam);
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyPress(ch);
  if (ch) KeyPress(ch);
  if (ch) DefaultHandler(m);
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

}  // namespace forms
