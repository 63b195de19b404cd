// TCustomLabel: painting and self-sizing share one set of DrawText flags, so that the size
// AutoSize picks is the size the text is painted in.
#include "forms/Label.h"

#include "forms/CustomPanel.h"
#include "forms/WinControl.h"

namespace forms {

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
  Canvas().Font().Assign(Font());
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == auto_size_) return;
  auto_size_ = v;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout l) {
  if (l == layout_) return;
  layout_ = l;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == word_wrap_) return;
  word_wrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  if (v) SetControlStyle(ControlStyle() & ~csOpaque);
  else SetControlStyle(ControlStyle() | csOpaque);
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == show_accel_char_) return;
  show_accel_char_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
  if (c == focus_control_) return;
  if (focus_control_) RemoveFreeNotification(focus_control_);
  focus_control_ = c;
  if (c) FreeNotification(c);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == focus_control_) focus_control_ = nullptr;
}

UINT TCustomLabel::DrawTextFlags() const {
  UINT f = DT_EXPANDTABS | AlignmentToDrawText(alignment_);
  if (word_wrap_) f |= DT_WORDBREAK;
  if (!show_accel_char_) f |= DT_NOPREFIX;
  return f;
}

std::string TCustomLabel::DrawnText() const {
  const std::string& t = Caption();
  // A caption of a lone accelerator mark draws nothing: measure it as a blank as well.
  if (t.empty() || (show_accel_char_ && t == "&")) return t + " ";
  return t;
}

SIZE TCustomLabel::TextSize() {
  TCanvas& c = Canvas();
  c.Font().Assign(Font());
  std::string t = DrawnText();
  RECT r{0, 0, word_wrap_ ? Width() : 0, 0};
  c.DrawText(t, r, (DrawTextFlags() & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void TCustomLabel::AdjustBounds() {
  if (!auto_size_ || IsLoading()) return;
  SIZE s = TextSize();
  int left = Left();
  // A wrapped label keeps its width and grows downwards; an unwrapped one keeps the edge its
  // alignment holds.
  int width = word_wrap_ ? Width() : s.cx;
  if (!word_wrap_ && alignment_ == TAlignment::taRightJustify) left += Width() - width;
  else if (!word_wrap_ && alignment_ == TAlignment::taCenter) left += (Width() - width) / 2;
  SetBounds(left, Top(), width, s.cy);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::CMTextChanged(TMessage&) {
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage&) {
  Canvas().Font().Assign(Font());
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::CMDialogChar(TMessage& m) {
  if (!focus_control_ || !show_accel_char_ || !Enabled() || !Visible()) return;
  if (!IsAccel(static_cast<unsigned>(m.WParam), Caption())) return;
  if (focus_control_->CanFocus()) {
    focus_control_->SetFocus();
    m.Result = 1;
  }
}

void TCustomLabel::Paint() {
  TCanvas& c = Canvas();
  RECT client{0, 0, Width(), Height()};
  if (!transparent_) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = Color();
    c.FillRect(client);
  }
  c.Brush.Style = TBrushStyle::bsClear;
  c.Font().Assign(Font());
  std::string t = DrawnText();
  UINT flags = DrawTextFlags();
  RECT r = client;
  if (layout_ != TTextLayout::tlTop) {
    RECT calc = client;
    c.DrawText(t, calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    r.top = layout_ == TTextLayout::tlCenter ? (client.bottom - h) / 2 : client.bottom - h;
  }
  if (Enabled()) {
    c.DrawText(t, r, flags);
    return;
  }
  // The system's disabled look: a highlight copy one pixel down and right under a shadow one.
  RECT shifted = r;
  OffsetRect(&shifted, 1, 1);
  c.Font().SetColor(clSystemColor | COLOR_BTNHIGHLIGHT);
  c.DrawText(t, shifted, flags);
  c.Font().SetColor(clSystemColor | COLOR_BTNSHADOW);
  c.DrawText(t, r, flags);
}

}  // namespace forms
