// TCustomForm: showing, closing, the modal loop, activation and the active control; the
// window's geometry (client area inside the borders, bounds that follow the window, window
// state, size constraints) and which window owns which.
#include "forms/Form.h"

#include <algorithm>

#include "forms/Application.h"
#include "forms/MainMenu.h"
#include "forms/Screen.h"

namespace forms {

namespace {

// GetWindowPlacement speaks workspace coordinates (relative to the monitor's work area) for
// top-level windows that are not tool windows; this is what to add to get screen coordinates.
POINT WorkspaceOffset(HWND wnd) {
  if (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return POINT{0, 0};
  // An MDI child's placement is in its MDI client's coordinates already.
  if (GetWindowLongA(wnd, GWL_STYLE) & WS_CHILD) return POINT{0, 0};
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!GetMonitorInfoA(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi)) return POINT{0, 0};
  return POINT{mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top};
}

void SetOwnerWindow(HWND wnd, HWND owner) {
  if (GetWindow(wnd, GW_OWNER) != owner)
    SetWindowLongPtrA(wnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void SetExStyleBit(HWND wnd, DWORD bit, bool on) {
  LONG ex = GetWindowLongA(wnd, GWL_EXSTYLE);
  LONG want = on ? (ex | static_cast<LONG>(bit)) : (ex & ~static_cast<LONG>(bit));
  if (want != ex) SetWindowLongA(wnd, GWL_EXSTYLE, want);
}

struct DisabledWindows {
  HWND keep;
  std::vector<HWND> list;
};

BOOL CALLBACK DisableWindowProc(HWND wnd, LPARAM l) {
  auto* d = reinterpret_cast<DisabledWindows*>(l);
  if (wnd != d->keep && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
    d->list.push_back(wnd);
    EnableWindow(wnd, FALSE);
  }
  return TRUE;
}

// The first menu command id the MDI client gives its children (it numbers them from here in
// the window list of a menu; none is shown here, but the ids must stay clear of the controls').
constexpr UINT kFirstMDIChildId = 0xFF00;

}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  SetBounds(0, 0, 320, 240);
  constraints_.OnChange = [this](TObject*) { SetBounds(left_, top_, width_, height_); };
  Screen()->AddForm(this);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  // An MDI child's window goes first, while the components that follow its messages (a
  // skinned frame) still see its destruction; the MDI client then activates the next child.
  if (IsMDIChild()) DestroyHandle();
  SetMenu(nullptr);
  Screen()->RemoveForm(this);
  if (Application()->MainForm() == this) Application()->SetMainForm(nullptr);
  DestroyComponents();
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = "TolvaneForm";
  p.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (border_style_) {
    case TFormBorderStyle::bsNone: break;
    case TFormBorderStyle::bsSingle:
      p.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
      break;
    case TFormBorderStyle::bsSizeable:
      p.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
      break;
    case TFormBorderStyle::bsDialog:
      // The modal frame keeps a border when the caption bits are taken away (a skinned frame
      // does that), so the window still has edges to paint.
      p.Style |= WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
      p.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case TFormBorderStyle::bsToolWindow:
      p.Style |= WS_CAPTION | WS_SYSMENU;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case TFormBorderStyle::bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (form_style_ == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (IsMDIChild()) {
    // A child window of the main form's MDI client, placed in its coordinates; the client
    // makes it with the styles asked for here (it was made with MDIS_ALLCHILDSTYLES).
    p.Style = (p.Style & ~(WS_POPUP | WS_VISIBLE)) | WS_CHILD;
    p.ExStyle |= WS_EX_MDICHILD;
    p.WndParent = MainClientHandle();
    return;
  }
  // The main form stands on the task bar by itself; the other forms are owned by it (they stay
  // above it, go with it when it is minimised and have no button of their own). Until there
  // is a main form with a window, the hidden application window owns them.
  TCustomForm* main = Application()->MainForm();
  if (main == this) {
    p.WndParent = nullptr;
    p.ExStyle |= WS_EX_APPWINDOW;
  } else {
    p.WndParent = main && main->handle_ ? main->handle_ : Application()->Handle();
  }
  p.Style &= ~WS_VISIBLE;
}

HWND TCustomForm::MainClientHandle() {
  TCustomForm* main = Application()->MainForm();
  if (!main || main->form_style_ != TFormStyle::fsMDIForm) return nullptr;
  return main->client_handle_;
}

void TCustomForm::CreateWnd() {
  if (IsMDIChild()) {
    TCustomForm* main = Application()->MainForm();
    if (main && main != this && main->form_style_ == TFormStyle::fsMDIForm) main->HandleNeeded();
  }
  TWinControl::CreateWnd();
  if (handle_ && form_style_ == TFormStyle::fsMDIForm && !client_handle_) {
    CLIENTCREATESTRUCT ccs{nullptr, kFirstMDIChildId};
    client_handle_ = CreateWindowExA(
        0, "MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | MDIS_ALLCHILDSTYLES, 0, 0, 0,
        0, handle_, nullptr, GetModuleHandleA(nullptr), &ccs);
    AlignControls();
  }
  if (handle_ && menu_ && !IsMDIChild()) ::SetMenu(handle_, menu_->Handle());
  // Forms made before the main form's window have the application window as owner so far.
  if (handle_ && Application()->MainForm() == this) UpdateOwners();
}

void TCustomForm::DestroyWnd() {
  // Windows destroys owned windows with their owner: the forms owned by this one go over to
  // the application window first, and come back when this window is made again.
  if (handle_) {
    for (TCustomForm* f : Screen()->Forms())
      if (f != this && f->handle_ && GetWindow(f->handle_, GW_OWNER) == handle_)
        SetOwnerWindow(f->handle_, Application()->Handle());
    // The MDI client unlists a child and activates the next one itself.
    if (IsMDIChild() && GetParent(handle_)) {
      SendMessageA(GetParent(handle_), WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle_), 0);
      if (handle_ && !IsWindow(handle_)) handle_ = nullptr;
    }
  }
  TWinControl::DestroyWnd();
  // The MDI client went with the window (and the children with it).
  client_handle_ = nullptr;
}

int TCustomForm::MDIChildCount() const {
  if (!client_handle_) return 0;
  int n = 0;
  for (TCustomForm* f : Screen()->Forms())
    if (f->IsMDIChild() && f->handle_ && GetParent(f->handle_) == client_handle_) ++n;
  return n;
}

void TCustomForm::AlignControls() {
  RECT rest = AlignChildren();
  // The MDI client takes what the aligned controls left of the client area.
  if (client_handle_)
    SetWindowPos(client_handle_, nullptr, rest.left, rest.top, rest.right - rest.left,
                 rest.bottom - rest.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The last step of the route (WinControlRoute.cpp): an MDI child and an MDI parent get their
// default answers from the system's MDI procedures.
void TCustomForm::DefaultHandler(TMessage& m) {
  if (!handle_ || IsPrivateMessage(m.Msg)) {
    TWinControl::DefaultHandler(m);
    return;
  }
  if (IsMDIChild() && GetParent(handle_)) {
    m.Result = DefMDIChildProcA(handle_, m.Msg, m.WParam, m.LParam);
    return;
  }
  // The frame procedure of an MDI parent, except for the size: the client's place is the
  // alignment's (DefFrameProc would spread it over the whole client area).
  if (client_handle_ && m.Msg != WM_SIZE) {
    m.Result = DefFrameProcA(handle_, client_handle_, m.Msg, m.WParam, m.LParam);
    return;
  }
  TWinControl::DefaultHandler(m);
}

void TCustomForm::UpdateOwners() {
  TCustomForm* main = Application()->MainForm();
  HWND main_wnd = main ? main->handle_ : nullptr;
  // The new main form lets go of its owner first: it may be owned by the old one, which is
  // about to be owned by it.
  if (main_wnd) {
    SetOwnerWindow(main_wnd, nullptr);
    SetExStyleBit(main_wnd, WS_EX_APPWINDOW, true);
  }
  HWND owner = main_wnd ? main_wnd : Application()->Handle();
  for (TCustomForm* f : Screen()->Forms()) {
    if (f == main || !f->handle_ || f->Parent() || f->IsMDIChild()) continue;
    SetExStyleBit(f->handle_, WS_EX_APPWINDOW, false);
    SetOwnerWindow(f->handle_, owner);
  }
}

void TCustomForm::RestoreOwnedForms() {
  if (!handle_) return;
  for (TCustomForm* f : Screen()->Forms())
    if (f != this && f->handle_ && f->Visible() && GetWindow(f->handle_, GW_OWNER) == handle_ &&
        IsIconic(f->handle_))
      ShowWindow(f->handle_, SW_RESTORE);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle b) {
  if (b == border_style_) return;
  border_style_ = b;
  nc_measured_ = false;
  RecreateWnd();
}

SIZE TCustomForm::NonClientSize() const {
  if (handle_) {
    RECT wr, cr;
    if (!IsIconic(handle_) && GetWindowRect(handle_, &wr) && GetClientRect(handle_, &cr)) {
      measured_nc_ = SIZE{(wr.right - wr.left) - cr.right, (wr.bottom - wr.top) - cr.bottom};
      nc_measured_ = true;
    }
    if (nc_measured_) return measured_nc_;
  }
  // No window yet: the borders the window will get.
  TCreateParams p;
  const_cast<TCustomForm*>(this)->CreateParams(p);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT TCustomForm::ClientRect() const {
  SIZE nc = NonClientSize();
  return RECT{0, 0, std::max(0, width_ - static_cast<int>(nc.cx)),
              std::max(0, height_ - static_cast<int>(nc.cy))};
}

POINT TCustomForm::ClientToScreen(POINT p) const {
  if (handle_ && !IsIconic(handle_)) {
    ::ClientToScreen(handle_, &p);
    return p;
  }
  // No window, or only its icon: where the client area will be.
  TCreateParams cp;
  const_cast<TCustomForm*>(this)->CreateParams(cp);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, cp.Style, FALSE, cp.ExStyle);
  return POINT{p.x + left_ - r.left, p.y + top_ - r.top};
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
  constraints_.Apply(width, height);
  if (handle_ && IsIconic(handle_)) {
    // A minimised window keeps its icon: the bounds are those it comes back to.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (IsWindowVisible(handle_) && GetWindowPlacement(handle_, &wp)) {
      POINT off = WorkspaceOffset(handle_);
      wp.rcNormalPosition = RECT{left - off.x, top - off.y, left - off.x + width, top - off.y + height};
      wp.showCmd = SW_SHOWMINNOACTIVE;
      SetWindowPlacement(handle_, &wp);
    }
    TControl::SetBounds(left, top, width, height);
    return;
  }
  TWinControl::SetBounds(left, top, width, height);
}

void TCustomForm::UpdateBounds() {
  if (handle_ && IsIconic(handle_)) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!GetWindowPlacement(handle_, &wp)) return;
    POINT off = WorkspaceOffset(handle_);
    RECT r = wp.rcNormalPosition;
    TControl::SetBounds(r.left + off.x, r.top + off.y, r.right - r.left, r.bottom - r.top);
    return;
  }
  TWinControl::UpdateBounds();
}

TWindowState TCustomForm::WindowState() const { return window_state_; }

void TCustomForm::SetWindowState(TWindowState s) {
  bool shown = handle_ && visible_ && IsWindowVisible(handle_);
  if (s == window_state_) return;
  window_state_ = s;
  if (shown) {
    switch (s) {
      case TWindowState::wsNormal: ShowWindow(handle_, SW_RESTORE); break;
      case TWindowState::wsMinimized: ShowWindow(handle_, SW_MINIMIZE); break;
      case TWindowState::wsMaximized: ShowWindow(handle_, SW_SHOWMAXIMIZED); break;
    }
  }
  // A modal form minimised alone would leave a disabled main window on the screen and no way
  // back through the task bar: the program goes down as a whole, and its restore brings the
  // modal form back with the main form.
  TCustomForm* main = Application()->MainForm();
  if (shown && s == TWindowState::wsMinimized && modal_ && main && main != this &&
      main->Visible())
    Application()->Minimize();
}

void TCustomForm::WMPaint(TMessage& m) {
  if (!OnPaint) {
    TWinControl::WMPaint(m);
    return;
  }
  PAINTSTRUCT ps{};
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(handle_, &ps);
  canvas_.SetPaintHandle(dc);
  int saved = SaveDC(dc);
  OnPaint(this);
  RestoreDC(dc, saved);
  canvas_.FreeHandle();
  PaintControls(dc);
  if (own) EndPaint(handle_, &ps);
}

void TCustomForm::WMGetMinMaxInfo(TMessage& m) {
  DefaultHandler(m);
  auto* mi = reinterpret_cast<MINMAXINFO*>(m.LParam);
  if (!mi) return;
  if (constraints_.MinWidth() > 0) mi->ptMinTrackSize.x = constraints_.MinWidth();
  if (constraints_.MinHeight() > 0) mi->ptMinTrackSize.y = constraints_.MinHeight();
  if (constraints_.MaxWidth() > 0) mi->ptMaxTrackSize.x = constraints_.MaxWidth();
  if (constraints_.MaxHeight() > 0) mi->ptMaxTrackSize.y = constraints_.MaxHeight();
  m.Result = 0;
}

void TCustomForm::WMSysCommand(TMessage& m) {
  // The system ignores commands to a disabled window, and a main form is disabled while a
  // modal form runs: its restore from the task bar must still bring the program back.
  if ((m.WParam & 0xFFF0) == SC_RESTORE && handle_ && !IsWindowEnabled(handle_)) {
    if (IsIconic(handle_) || IsZoomed(handle_)) ShowWindow(handle_, SW_RESTORE);
  } else {
    DefaultHandler(m);
  }
  // The main form comes back with the forms it owns that were minimised on their own (the
  // task bar's restore goes to the main form only).
  if ((m.WParam & 0xFFF0) == SC_RESTORE && Application()->MainForm() == this) RestoreOwnedForms();
}

void TCustomForm::ApplyPosition() {
  if (positioned_) return;
  positioned_ = true;
  RECT area;
  switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
      area = Screen()->WorkAreaRect(nullptr);
      break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
      TCustomForm* m = Application()->MainForm();
      if (!m || m == this) return;
      area = m->BoundsRect();
      break;
    }
    default:
      return;
  }
  SetBounds(area.left + ((area.right - area.left) - Width()) / 2,
            area.top + ((area.bottom - area.top) - Height()) / 2, Width(), Height());
}

void TCustomForm::SetVisible(bool v) {
  if (v == visible_) return;
  if (v) ApplyPosition();
  visible_ = v;
  if (HWND h = Handle()) {
    if (v) {
      int cmd = SW_SHOW;
      switch (window_state_) {
        case TWindowState::wsMinimized: cmd = SW_SHOWMINIMIZED; break;
        case TWindowState::wsMaximized: cmd = SW_SHOWMAXIMIZED; break;
        default: if (IsIconic(h) || IsZoomed(h)) cmd = SW_SHOWNORMAL; break;
      }
      ShowWindow(h, cmd);
      if (IsMDIChild()) {
        // A child is activated inside its MDI client, not as a window of its own.
        if (window_state_ != TWindowState::wsMinimized)
          SendMessageA(GetParent(h), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(h), 0);
      } else if (window_state_ != TWindowState::wsMinimized) {
        SetForegroundWindow(h);
      }
      if (OnShow) OnShow(this);
    } else {
      ShowWindow(h, SW_HIDE);
      if (OnHide) OnHide(this);
    }
  }
  Perform(CM_VISIBLECHANGED, v);
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HWND h = Handle(); h && window_state_ != TWindowState::wsMinimized) BringWindowToTop(h);
}

void TCustomForm::Hide() { SetVisible(false); }

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Close() {
  if (modal_) {
    // The modal loop ends the form; closing means Cancel unless a result is already set.
    if (CloseQuery() && modal_result_ == mrNone) modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application()->MainForm() == this) {
    Application()->Terminate();
    Hide();
    return;
  }
  if (action == TCloseAction::caFree) Release();
  else Hide();
}

void TCustomForm::Release() {
  if (HWND app = Application()->Handle())
    PostMessageA(app, CM_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

TModalResult TCustomForm::ShowModal() {
  if (modal_ || Visible()) return mrNone;
  HWND h = Handle();
  if (!h) return mrCancel;  // no window system: nothing can answer
  DisabledWindows d{h, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableWindowProc, reinterpret_cast<LPARAM>(&d));
  modal_ = true;
  modal_result_ = mrNone;
  Show();
  while (modal_result_ == mrNone && !Application()->Terminated()) {
    Application()->HandleMessage();
    if (modal_result_ != mrNone) {
      // Give OnClose its say, as a modeless Close would.
      TCloseAction action = TCloseAction::caHide;
      if (OnClose) OnClose(this, action);
      if (action == TCloseAction::caNone) modal_result_ = mrNone;
    }
  }
  TModalResult result = modal_result_;
  if (result == mrNone) result = mrCancel;
  for (HWND w : d.list) EnableWindow(w, TRUE);
  modal_ = false;
  Hide();
  return result;
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (c && c->ParentForm() != this) return;
  active_control_ = c;
  if (c && handle_ && Visible() && c->CanFocus()) c->SetFocus();
}

void TCustomForm::SetFocusedControl(TWinControl* c) {
  TWinControl* old = active_control_;
  active_control_ = c;
  if (old && old != c) old->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(c));
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(c));
}

void TCustomForm::ControlRemoved(TControl* c) {
  if (active_control_ == c) active_control_ = nullptr;
}

void TCustomForm::CMDialogKey(TMessage& m) {
  TShiftState shift = KeyboardShiftState();
  if (m.WParam == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
    if (TWinControl* next = FindNextControl(active_control_, !(shift & ssShift))) {
      next->SetFocus();
      m.Result = 1;
    }
    return;
  }
  Broadcast(m);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) {
    menu_->SetWindowForm(nullptr);
    RemoveFreeNotification(menu_);
  }
  // A menu shows on one form at a time.
  if (menu && menu->WindowForm()) menu->WindowForm()->SetMenu(nullptr);
  menu_ = menu;
  if (menu_) {
    menu_->SetWindowForm(this);
    FreeNotification(menu_);
  }
  if (handle_) ::SetMenu(handle_, menu_ ? menu_->Handle() : nullptr);
  nc_measured_ = false;
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == menu_) {
    menu_ = nullptr;
    if (handle_) ::SetMenu(handle_, nullptr);
  }
}

// The form's own messages, before TWinControl's dispatch picks the handler (the route is
// written down in WinControlRoute.cpp).
void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      // The native menu bar's items are drawn and chosen through the menu layer.
      if (TMenu::DispatchMenuMessage(m)) return;
      break;
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      active_ = LOWORD(m.WParam) != WA_INACTIVE;
      if (active_) {
        Screen()->SetActiveForm(this);
        if (OnActivate) OnActivate(this);
        TWinControl* c = active_control_;
        if (!c || !c->CanFocus()) c = FindNextControl(nullptr, true);
        if (c && c->Handle()) ::SetFocus(c->Handle());
        m.Result = 0;
        return;
      }
      if (OnDeactivate) OnDeactivate(this);
      if (active_control_) active_control_->Perform(CM_CANCELMODE);
      break;
    case WM_MDIACTIVATE:
      // An MDI child is active while it is its MDI client's active child (it gets no
      // WM_ACTIVATE of its own).
      if (IsMDIChild()) {
        bool now = reinterpret_cast<HWND>(m.LParam) == handle_;
        DefaultHandler(m);
        if (now == active_) return;
        active_ = now;
        if (now) {
          if (OnActivate) OnActivate(this);
        } else {
          if (OnDeactivate) OnDeactivate(this);
          if (active_control_) active_control_->Perform(CM_CANCELMODE);
        }
        return;
      }
      break;
    case WM_SETFOCUS:
      // The form itself passes the focus on to its active control.
      if (active_control_ && active_control_->CanFocus() && active_control_->Handle()) {
        ::SetFocus(active_control_->Handle());
        return;
      }
      break;
    case WM_CANCELMODE:
      if (active_control_) active_control_->Perform(CM_CANCELMODE);
      break;
    case WM_GETMINMAXINFO:
      WMGetMinMaxInfo(m);
      return;
    case WM_SYSCOMMAND:
      WMSysCommand(m);
      return;
    case WM_SIZE:
      TWinControl::Dispatch(m);
      if (handle_ && IsWindowVisible(handle_)) {
        window_state_ = IsIconic(handle_)   ? TWindowState::wsMinimized
                        : IsZoomed(handle_) ? TWindowState::wsMaximized
                                            : TWindowState::wsNormal;
      }
      // The client area may have changed without the bounds (a frame change).
      Realign();
      if (OnResize) OnResize(this);
      return;
    default:
      break;
  }
  TWinControl::Dispatch(m);
}

}  // namespace forms
