// TControl: properties, the parent link and the mouse part of the message path.
#include "forms/Control.h"

#include <cctype>

#include "forms/ControlActionLink.h"
#include "forms/CustomAction.h"
#include "forms/Form.h"
#include "forms/Screen.h"
#include "forms/WinControl.h"

namespace forms {

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

bool IsAccel(unsigned c, const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') { ++i; continue; }
    return std::toupper(static_cast<unsigned char>(caption[i + 1])) ==
           std::toupper(static_cast<int>(c & 0xFF));
  }
  return false;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  font_.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  BeginDestroy();
  if (parent_) parent_->RemoveControl(this);
}

TBasicAction* TControl::Action() const {
  return action_link_ ? action_link_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* action) {
  TBasicAction* old = Action();
  if (action == old) return;
  if (old) RemoveFreeNotification(old);
  if (!action) {
    action_link_.reset();
    return;
  }
  if (!action_link_) action_link_ = std::make_unique<TControlActionLink>(this);
  action_link_->SetAction(action);
  FreeNotification(action);
  ActionChange(action, action->IsLoading());
}

void TControl::ActionChange(TObject* sender, bool check_defaults) {
  auto* a = dynamic_cast<TCustomAction*>(sender);
  if (!a) return;
  if (!check_defaults || Caption().empty() || Caption() == Name()) SetText(a->Caption());
  if (!check_defaults || Enabled()) SetEnabled(a->Enabled());
  if (!check_defaults || Hint().empty()) SetHint(a->Hint());
  if (!check_defaults || Visible()) SetVisible(a->Visible());
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component && component == Action()) SetAction(nullptr);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* a = Action()) ActionChange(a, true);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  if (parent) {
    parent->InsertControl(this);
    if (parent_font_) Perform(CM_PARENTFONTCHANGED);
    if (parent_color_) Perform(CM_PARENTCOLORCHANGED);
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (parent_ && !IsWindowed()) parent_->InvalidateChildArea(BoundsRect());
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  if (parent_ && !IsWindowed()) parent_->InvalidateChildArea(BoundsRect());
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  align_ = a;
  if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Perform(CM_VISIBLECHANGED, v);
  if (parent_) {
    if (!IsWindowed()) parent_->InvalidateChildArea(BoundsRect());
    if (align_ != TAlign::alNone) parent_->Realign();
  }
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor c) {
  parent_color_ = false;
  if (c == color_) return;
  color_ = c;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  parent_color_ = v;
  if (v && parent_) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool v) {
  parent_font_ = v;
  if (v && parent_) Perform(CM_PARENTFONTCHANGED);
}

TBiDiMode TControl::BiDiMode() const {
  return parent_bidi_mode_ && parent_ ? parent_->BiDiMode() : bidi_mode_;
}

void TControl::SetBiDiMode(TBiDiMode mode) {
  const TBiDiMode before = BiDiMode();
  bidi_mode_ = mode;
  parent_bidi_mode_ = false;
  if (mode != before) BiDiModeChanged();
}

void TControl::SetParentBiDiMode(bool v) {
  const TBiDiMode before = BiDiMode();
  parent_bidi_mode_ = v;
  if (BiDiMode() != before) BiDiModeChanged();
}

void TControl::FontChanged() {
  // A font set on the control itself ends its following of the parent's font.
  if (!font_from_parent_) parent_font_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::CMParentFontChanged(TMessage&) {
  if (!parent_font_ || !parent_) return;
  font_from_parent_ = true;
  font_.Assign(parent_->Font());
  font_from_parent_ = false;
}

void TControl::CMParentColorChanged(TMessage&) {
  if (!parent_color_ || !parent_) return;
  if (color_ != parent_->Color()) {
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
  }
  parent_color_ = true;
}

void TControl::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  Perform(CM_TEXTCHANGED);
}

void TControl::Invalidate() {
  if (parent_ && visible_) parent_->InvalidateChildArea(BoundsRect());
}

void TControl::Repaint() {
  Invalidate();
  if (parent_) parent_->Update();
}

LRESULT TControl::Perform(UINT msg, WPARAM w, LPARAM l) {
  TMessage m{msg, w, l, 0};
  WindowProc(m);
  return m.Result;
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

POINT TControl::ClientToScreen(POINT p) const {
  if (IsWindowed()) {
    if (HWND h = static_cast<const TWinControl*>(this)->handle_) {
      ::ClientToScreen(h, &p);
      return p;
    }
  }
  p.x += left_;
  p.y += top_;
  if (parent_) return parent_->ClientToScreen(p);
  return p;
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT origin = ClientToScreen(POINT{0, 0});
  return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::Click() {
  TBasicAction* a = Action();
  if (a && a->OnExecute && !IsDesigning()) {
    action_link_->Execute();
    return;
  }
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  Screen()->UpdateCursorShape();
}

void TControl::LeftButtonReleased(WPARAM keys, int x, int y) {
  bool was = clicked_;
  clicked_ = false;
  // A release counts as a click only inside the control it was pressed on.
  if (was && x >= 0 && y >= 0 && x < width_ && y < height_) Click();
  MouseUp(TMouseButton::mbLeft, KeysToShiftState(keys), x, y);
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}

void TControl::MouseMove(TShiftState s, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, s, x, y);
}

void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}

void TControl::WndProc(TMessage& m) {
  int x = static_cast<short>(LOWORD(m.LParam));
  int y = static_cast<short>(HIWORD(m.LParam));
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!enabled_) return;
      clicked_ = (control_style_ & csClickEvents) != 0;
      TShiftState shift = KeysToShiftState(m.WParam);
      // A control that takes no double-clicks sees the second press as a plain one (a
      // graphic control's parent window may have the double-click class style).
      bool dbl = m.Msg == WM_LBUTTONDBLCLK && (control_style_ & csDoubleClicks);
      if (dbl) DblClick();
      MouseDown(TMouseButton::mbLeft, dbl ? shift | ssDouble : shift, x, y);
      break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (!enabled_) return;
      MouseDown(TMouseButton::mbRight, KeysToShiftState(m.WParam), x, y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(KeysToShiftState(m.WParam), x, y);
      break;
    case WM_LBUTTONUP:
      if (!enabled_) return;
      LeftButtonReleased(m.WParam, x, y);
      break;
    case WM_RBUTTONUP:
      if (!enabled_) return;
      MouseUp(TMouseButton::mbRight, KeysToShiftState(m.WParam), x, y);
      break;
    default:
      break;
  }
  Dispatch(m);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER: CMMouseEnter(m); break;
    case CM_MOUSELEAVE: CMMouseLeave(m); break;
    case CM_TEXTCHANGED: CMTextChanged(m); break;
    case CM_FONTCHANGED: CMFontChanged(m); break;
    case CM_COLORCHANGED: CMColorChanged(m); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); break;
    case CM_CANCELMODE: CMCancelMode(m); break;
    case CM_FOCUSCHANGED: CMFocusChanged(m); break;
    case CM_DIALOGKEY: CMDialogKey(m); break;
    case CM_DIALOGCHAR: CMDialogChar(m); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); break;
    default: DefaultHandler(m);
  }
}

}  // namespace forms
