// TCustomForm: showing, closing, the modal loop, activation and the active control.
#include "forms/Form.h"

#include "forms/Application.h"
#include "forms/Screen.h"

namespace forms {

namespace {

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

}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  SetBounds(0, 0, 320, 240);
  Screen()->AddForm(this);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
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
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin: p.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU; break;
    default: p.Style |= WS_CAPTION | WS_SYSMENU | WS_BORDER; break;
  }
  if (border_style_ == TFormBorderStyle::bsToolWindow ||
      border_style_ == TFormBorderStyle::bsSizeToolWin)
    p.ExStyle |= WS_EX_TOOLWINDOW;
  if (form_style_ == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  // Forms are owned by the hidden application window, which keeps them off the task bar.
  p.WndParent = Application()->Handle();
  p.Style &= ~WS_VISIBLE;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle b) {
  if (b == border_style_) return;
  border_style_ = b;
  RecreateWnd();
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
      ShowWindow(h, SW_SHOW);
      SetForegroundWindow(h);
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
  if (HWND h = Handle()) BringWindowToTop(h);
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

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
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
    default:
      break;
  }
  TWinControl::Dispatch(m);
}

}  // namespace forms
