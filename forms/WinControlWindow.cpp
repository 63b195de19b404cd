// TWinControl's window: how it is made (a window class of our own, registered once per name
// and style, or a system control subclassed by a creation hook before its first message), how
// the object is found from the handle, the window procedures that hand the object its
// messages (the first step of the route written down in WinControlRoute.cpp), and how the
// window goes and comes again.
#include "forms/WinControl.h"

#include <commctrl.h>

#include <map>

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

// Child windows get distinct control ids: WM_MEASUREITEM names its sender only by id.
UINT NextControlId() {
  static UINT next = 0;
  next = next % 0x7FFF + 1;
  return next;
}

}  // namespace

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
