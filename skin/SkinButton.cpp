// Skinned push buttons: state, keys, repeat timer and painting.
#include "skin/SkinButton.h"

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

bool IsBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

TGlyphPlacement PlaceGlyph(TButtonLayout layout, int w, int h, int gw, int gh, int tw, int th,
                           int spacing) {
  TGlyphPlacement p{};
  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      p.Glyph = {(w - gw - tw - spacing) / 2, (h - gh) / 2};
      p.Caption = {p.Glyph.x + gw + spacing, (h - th) / 2};
      break;
    case TButtonLayout::blGlyphRight:
      p.Glyph = {(w + tw + spacing - gw) / 2, (h - gh) / 2};
      p.Caption = {p.Glyph.x - tw - spacing, (h - th) / 2};
      break;
    case TButtonLayout::blGlyphTop:
      p.Glyph = {(w - gw) / 2, (h - th - gh - spacing) / 2};
      p.Caption = {(w - tw) / 2, p.Glyph.y + gh + spacing};
      break;
    case TButtonLayout::blGlyphBottom:
      p.Glyph = {(w - gw) / 2, (h + th + spacing - gh) / 2};
      p.Caption = {(w - tw) / 2, p.Glyph.y - th - spacing};
      break;
  }
  return p;
}

// ---- TSkinCustomButton ----------------------------------------------------------------------

TSkinCustomButton::TSkinCustomButton(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() & ~(csDoubleClicks | csAcceptsControls));
  SetTabStop(true);
  look_.SetStyle(OwnerFormUIStyle(owner));
}

TSkinCustomButton::~TSkinCustomButton() {
  BeginDestroy();
  SetFileThemeRef(nullptr);
}

void TSkinCustomButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (Text() != caption) SetText(caption);  // its CM_TEXTCHANGED comes back here, unchanged
  CaptionChanged();
  Invalidate();
}

void TSkinCustomButton::SetAutoSize(bool v) {
  auto_size_ = v;
  AutoSizeChanged();
  Invalidate();
}

void TSkinCustomButton::SetTransparent(bool v) {
  transparent_ = v;
  TransparentChanged();
  Invalidate();
}

void TSkinCustomButton::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  UIStyleChanged();
  Invalidate();
}

void TSkinCustomButton::SetFocusedRectMargin(int m) {
  focus_margin_ = m;
  Invalidate();
}

void TSkinCustomButton::SetFileThemeRef(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinCustomButton::SetDefault(bool v) {
  default_ = v;
  if (!HandleAllocated()) return;
  if (TCustomForm* f = ParentForm())
    f->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(f->ActiveControl()));
}

void TSkinCustomButton::SetEnabled(bool v) {
  TCustomControl::SetEnabled(v);
  EnabledChanged();
  Invalidate();
}

void TSkinCustomButton::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (look_.ThemeGone(c, op)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

void TSkinCustomButton::CreateWnd() {
  TCustomControl::CreateWnd();
  active_default_ = default_;
}

void TSkinCustomButton::AutoSizeChanged() {
  if (!auto_size_) return;
  TBitmap b;
  GetStyleBitmap(StyleIndex(UIStyle()), StyleItem::Button, &b, 0, 0);
  int w = b.Empty() ? 74 * 3 : b.Width(), h = b.Empty() ? 21 : b.Height();
  SetHeight(h);
  SetWidth(w / 3);
}

void TSkinCustomButton::FontChanged() {
  Canvas().Font().Assign(Font());
  Invalidate();
}

void TSkinCustomButton::TransparentChanged() {
  picture_transparent_ = transparent_;
  Invalidate();
}

void TSkinCustomButton::StopRepeat() {
  delete repeat_timer_;
  repeat_timer_ = nullptr;
}

void TSkinCustomButton::ResetMouseState() {
  mouse_over_ = false;
  pressed_ = false;
  StopRepeat();
  Invalidate();
}

void TSkinCustomButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (b == TMouseButton::mbLeft) {
    pressed_ = true;
    if (!repeat_timer_) {
      repeat_timer_ = new TTimer(this);
      repeat_timer_->SetInterval(repeat_interval_ > 0 ? static_cast<unsigned>(repeat_interval_) : 0);
      repeat_timer_->OnTimer = [this](TObject*) {
        if (OnMouseContinuouslyDown) OnMouseContinuouslyDown(this);
      };
    }
    if (TabStop() && CanFocus() && Enabled() && Visible()) SetFocus();
    Invalidate();
  }
  TCustomControl::MouseDown(b, s, x, y);
}

void TSkinCustomButton::MouseMove(TShiftState s, int x, int y) {
  TCustomControl::MouseMove(s, x, y);
  if (x < 0 || y < 0 || x > Width() || y > Height()) {
    // The pointer holds the capture while it leaves, so no leave message stops the repeat:
    // it ends here with the pressed look.
    StopRepeat();
    if (mouse_over_ || pressed_) {
      mouse_over_ = false;
      pressed_ = false;
      Invalidate();
    }
  }
}

void TSkinCustomButton::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  // A release outside the button gives no click; without this the repeat timer would keep
  // firing after the button was let go (while the mouse is captured no leave is reported).
  if (b == TMouseButton::mbLeft && repeat_timer_) {
    StopRepeat();
    if (pressed_) {
      pressed_ = false;
      Invalidate();
    }
  }
  TCustomControl::MouseUp(b, s, x, y);
}

void TSkinCustomButton::Click() {
  if (pressed_) {
    StopRepeat();
    pressed_ = false;
    Invalidate();
  }
  if (TCustomForm* f = ParentForm()) f->SetModalResult(modal_result_);
  TCustomControl::Click();
}

void TSkinCustomButton::ActionChange(TObject* sender, bool check_defaults) {
  TCustomControl::ActionChange(sender, check_defaults);
  SetCaption(Text());
}

bool TSkinCustomButton::GetPublished(std::string_view name, TPropValue* out) const {
  if (name != "Action") return false;
  if (out) *out = static_cast<TComponent*>(Action());
  return true;
}

bool TSkinCustomButton::SetPublished(std::string_view name, const TPropValue& v) {
  if (name != "Action" || !std::holds_alternative<TComponent*>(v)) return false;
  TComponent* c = std::get<TComponent*>(v);
  auto* action = dynamic_cast<TBasicAction*>(c);
  if (c && !action) return false;
  SetAction(action);
  return true;
}

void TSkinCustomButton::CMMouseEnter(TMessage& m) {
  TCustomControl::CMMouseEnter(m);
  if (IsDesigning()) return;
  mouse_over_ = true;
  Invalidate();
  if (OnMouseEnter) OnMouseEnter(this);
}

void TSkinCustomButton::CMMouseLeave(TMessage& m) {
  TCustomControl::CMMouseLeave(m);
  ResetMouseState();
  if (OnMouseExit) OnMouseExit(this);
}

void TSkinCustomButton::CMCancelMode(TMessage& m) {
  TCustomControl::CMCancelMode(m);
  ResetMouseState();
}

void TSkinCustomButton::WMKeyDown(TMessage& m) {
  TCustomControl::WMKeyDown(m);
  if ((m.WParam == VK_SPACE || m.WParam == VK_RETURN) && Focused() && Enabled()) {
    pressed_ = true;
    Invalidate();
  }
}

void TSkinCustomButton::WMKeyUp(TMessage& m) {
  TCustomControl::WMKeyUp(m);
  if ((m.WParam == VK_SPACE || m.WParam == VK_RETURN) && Focused() && pressed_ && Enabled()) {
    pressed_ = false;
    Invalidate();
    Click();
  }
}

void TSkinCustomButton::WMSetFocus(TMessage& m) {
  TCustomControl::WMSetFocus(m);
  Invalidate();
}

void TSkinCustomButton::WMKillFocus(TMessage& m) {
  TCustomControl::WMKillFocus(m);
  Invalidate();
}

void TSkinCustomButton::CMFocusChanged(TMessage& m) {
  TCustomControl::CMFocusChanged(m);
  auto* focused = reinterpret_cast<TControl*>(m.LParam);
  if (auto* b = dynamic_cast<TSkinButton*>(focused)) active_default_ = b == this;
  else active_default_ = default_;
  Invalidate();
  m.Result = 0;  // every control hears of the change
}

void TSkinCustomButton::CMDialogKey(TMessage& m) {
  bool plain = (KeyboardShiftState() & (ssShift | ssCtrl | ssAlt)) == 0;
  if (plain && ((m.WParam == VK_RETURN && active_default_) || (m.WParam == VK_ESCAPE && cancel_)) &&
      CanFocus()) {
    Click();
    m.Result = 1;
    return;
  }
  TCustomControl::CMDialogKey(m);
}

void TSkinCustomButton::CMDialogChar(TMessage& m) {
  TCustomControl::CMDialogChar(m);
  if (m.Result) return;
  bool alt = (m.LParam & (1 << 29)) != 0;
  bool focus_on_button = SendMessageA(GetFocus(), WM_SKINBUTTON_QUERY, 0, 0) == 1;
  if (IsAccel(static_cast<unsigned>(m.WParam), caption_) && (alt || focus_on_button) &&
      Parent() && Parent()->Enabled() && Enabled() && Visible()) {
    Click();
    m.Result = 1;
    return;
  }
  m.Result = 0;
}

void TSkinCustomButton::Dispatch(TMessage& m) {
  if (m.Msg == WM_SKINBUTTON_QUERY) {
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}

namespace {

// One of the three frames of the look's button picture.
void ButtonFrame(const TSkinLook& look, TBitmap& b, int frame) {
  if (TSkinFileTheme* skin = look.Skin()) skin->GetBitmapFrame(Skin2Bitmap::Button, &b, frame, 3);
  else GetStyleBitmap(StyleIndex(look.Effective()), StyleItem::Button, &b, frame, 3);
}

}  // namespace

void TSkinCustomButton::GetPicNormal(TBitmap& b) { ButtonFrame(Look(), b, 1); }
void TSkinCustomButton::GetPicMouseOn(TBitmap& b) { ButtonFrame(Look(), b, 2); }
void TSkinCustomButton::GetPicMouseDown(TBitmap& b) { ButtonFrame(Look(), b, 3); }

void TSkinCustomButton::GetPicDisabled(TBitmap& b) { GetPicNormal(b); }

void TSkinCustomButton::DrawPicture(TCanvas& canvas, TBitmap& state) {
  if (state.Empty()) return;
  TImageList list(state.Width(), state.Height());
  if (picture_transparent_) list.AddMasked(state, state.GetPixel(0, 0));
  else list.Add(state);
  list.Draw(canvas, 0, 0, 0, Enabled());
}

void TSkinCustomButton::DrawCenteredCaption(TCanvas& canvas, const std::string& caption) {
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Font().Assign(Font());
  if (bold_caption_) canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
  auto draw = [&](RECT box) {
    RECT calc = box;
    canvas.DrawText(caption, calc, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    OffsetRect(&calc, ((box.right - box.left) - (calc.right - calc.left)) / 2,
               ((box.bottom - box.top) - (calc.bottom - calc.top)) / 2);
    canvas.DrawText(caption, calc, DT_EXPANDTABS | DT_WORDBREAK);
  };
  RECT box = ClientRect();
  if (!Enabled()) {
    RECT shadow = box;
    OffsetRect(&shadow, 1, 1);
    TColor c = canvas.Font().Color();
    canvas.Font().SetColor(clWhite);
    draw(shadow);
    canvas.Font().SetColor(clGray);
    (void)c;
  } else if (pressed_) {
    OffsetRect(&box, 1, 1);
  }
  draw(box);
  bold_caption_ = false;
}

void TSkinCustomButton::DrawCaption(TCanvas& canvas, const std::string& caption) {
  DrawCenteredCaption(canvas, caption);
}

void TSkinCustomButton::DrawFocusRectangle(TCanvas& canvas) {
  canvas.Brush.Style = TBrushStyle::bsSolid;
  RECT r = ClientRect();
  InflateRect(&r, -focus_margin_, -focus_margin_);
  canvas.DrawFocusRect(r);
}

void TSkinCustomButton::DrawFocus(TCanvas& canvas) { DrawFocusRectangle(canvas); }

void TSkinCustomButton::Paint() {
  TBitmap buffer(Width(), Height());
  if (buffer.Empty()) return;
  TBitmap state;
  try {
    if (Enabled() && pressed_) GetPicMouseDown(state);
    else if (Enabled() && mouse_over_) GetPicMouseOn(state);
    else if (Enabled()) GetPicNormal(state);
    else GetPicDisabled(state);
  } catch (...) {
    state.SetSize(74, 21);
  }
  state.SetTransparent(picture_transparent_);
  if (transparent_) {
    PaintParentBackground(buffer.Canvas(), this);
  } else {
    buffer.Canvas().Brush.Style = TBrushStyle::bsSolid;
    buffer.Canvas().Brush.Color = Color();
    buffer.Canvas().FillRect(ClientRect());
  }
  DrawPicture(buffer.Canvas(), state);
  if (Focused() && TabStop()) DrawFocus(buffer.Canvas());
  buffer.Canvas().Font().Assign(Font());
  Canvas().Font().Assign(Font());
  if (!IsBlank(caption_)) DrawCaption(buffer.Canvas(), caption_);
  BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), buffer.Canvas().Handle(), 0, 0, SRCCOPY);
}

// ---- TSkinButton ----------------------------------------------------------------------------

TSkinButton::TSkinButton(TComponent* owner) : TSkinCustomButton(owner) {
  SetBounds(Left(), Top(), 80, 27);
  UIStyleChanged();
}

void TSkinButton::SetGlyph(const TBitmap* g) {
  glyph_.Assign(g);
  Invalidate();
}

void TSkinButton::SetLayout(TButtonLayout l) {
  layout_ = l;
  Invalidate();
}

void TSkinButton::SetSpacing(int s) {
  spacing_ = s;
  Invalidate();
}

void TSkinButton::UIStyleChanged() {
  const TSkinLook look = Look();
  if (TSkinFileTheme* skin = look.Skin()) {
    SetTransparent(skin->GetFlag(Skin2Flag::ButtonTrans) != 0);
    // A skin without a button font colour keeps black.
    Font().SetColor(look.ColorOr(Skin2Color::ButtonFontColor, clBlack));
  } else {
    SetTransparent(GetStyleFlag(StyleIndex(look.Effective()), StyleItem::ButtonTransparent) != 0);
    Font().SetColor(clBlack);
  }
}

void TSkinButton::ActionChange(TObject* sender, bool check_defaults) {
  TSkinCustomButton::ActionChange(sender, check_defaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action || !glyph_.Empty() || !action->ActionList()) return;
  TImageList* images = action->ActionList()->Images();
  int index = action->ImageIndex();
  if (!images || index < 0 || index >= images->Count()) return;
  images->GetBitmap(index, glyph_);
  Invalidate();
}

void TSkinButton::DrawPicture(TCanvas& canvas, TBitmap& state) {
  canvas.Font().Assign(Font());
  DrawNineSlice(state, canvas, ClientRect(), picture_transparent_);
  if (glyph_.Empty()) return;
  SIZE text = canvas.TextExtent(Caption());
  int gw = glyph_.Width(), gh = glyph_.Height();
  bool two = gw == 2 * gh;  // enabled and disabled images side by side
  if (two) gw = gh;
  TGlyphPlacement p = PlaceGlyph(layout_, Width(), Height(), gw, gh, text.cx, text.cy, spacing_);
  caption_pos_ = p.Caption;
  if (Pressed()) {
    p.Glyph.x += 1;
    p.Glyph.y += 1;
  }
  TImageList list(gw, gh);
  list.AddMasked(glyph_, glyph_.GetPixel(0, 0));
  if (two) list.Draw(canvas, p.Glyph.x, p.Glyph.y, Enabled() ? 0 : 1);
  else list.Draw(canvas, p.Glyph.x, p.Glyph.y, 0, Enabled());
}

void TSkinButton::DrawCaption(TCanvas& canvas, const std::string& caption) {
  if (glyph_.Empty()) {
    DrawCenteredCaption(canvas, caption);
    return;
  }
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Font().Assign(Font());
  if (bold_caption_) canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
  POINT pos = caption_pos_;
  if (!Enabled()) {
    RECT shadow{pos.x + 1, pos.y + 1, Width(), Height()};
    canvas.Font().SetColor(clWhite);
    canvas.DrawText(caption, shadow, DT_SINGLELINE);
    canvas.Font().SetColor(clGray);
  } else if (Pressed()) {
    pos.x += 1;
    pos.y += 1;
  }
  RECT box{pos.x, pos.y, Width(), Height()};
  canvas.DrawText(caption, box, DT_SINGLELINE);
  bold_caption_ = false;
}

void TSkinButton::DrawFocus(TCanvas& canvas) {
  const TSkinUIStyle eff = Look().Effective();
  if (eff == TSkinUIStyle::MacOS || eff == TSkinUIStyle::BlueGlass) {
    bold_caption_ = true;  // these looks show focus by a bold caption
    return;
  }
  DrawFocusRectangle(canvas);
}

bool TSkinButton::GetPublished(std::string_view name, TPropValue* out) const {
  if (Look().GetPublished(name, out)) return true;
  return TSkinCustomButton::GetPublished(name, out);
}

bool TSkinButton::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  return TSkinCustomButton::SetPublished(name, v);
}

// ---- TSkinImageButton -----------------------------------------------------------------------

TSkinImageButton::TSkinImageButton(TComponent* owner) : TSkinCustomButton(owner) {}

void TSkinImageButton::SetPic(TPicture& pic, const TPicture* p) {
  pic.Assign(p);
  AutoSizeChanged();
  Invalidate();
}

void TSkinImageButton::AutoSizeChanged() {
  if (!Parent() || !AutoSize() || !pic_normal_.HasGraphic()) return;
  SetHeight(pic_normal_.Height());
  SetWidth(pic_normal_.Width());
}

void TSkinImageButton::FromPicture(TPicture& pic, TBitmap& b) {
  TPicture& source = pic.HasGraphic() ? pic : pic_normal_;
  if (source.HasGraphic()) b.Assign(source.Graphic());
}

void TSkinImageButton::GetPicNormal(TBitmap& b) { FromPicture(pic_normal_, b); }
void TSkinImageButton::GetPicMouseOn(TBitmap& b) { FromPicture(pic_mouse_on_, b); }
void TSkinImageButton::GetPicMouseDown(TBitmap& b) { FromPicture(pic_mouse_down_, b); }
void TSkinImageButton::GetPicDisabled(TBitmap& b) { FromPicture(pic_disabled_, b); }

void TSkinImageButton::DrawPicture(TCanvas& canvas, TBitmap& state) {
  if (state.Empty()) return;
  state.SetTransparentColor(state.GetPixel(0, 0));
  if (stretch_) canvas.StretchDraw(RECT{0, 0, Width(), Height()}, &state);
  else canvas.Draw(0, 0, &state);
}

void TSkinImageButton::DrawFocus(TCanvas& canvas) {
  if (draw_focused_) DrawFocusRectangle(canvas);
}

bool TSkinImageButton::GetPublished(std::string_view name, TPropValue* out) const {
  if (name == "UIStyle") {
    if (out) *out = static_cast<std::int64_t>(UIStyle());
    return true;
  }
  return TSkinCustomButton::GetPublished(name, out);
}

bool TSkinImageButton::SetPublished(std::string_view name, const TPropValue& v) {
  if (name == "UIStyle" && std::holds_alternative<std::int64_t>(v)) {
    auto s = std::get<std::int64_t>(v);
    if (s < 0 || s > 5) return false;
    SetUIStyle(static_cast<TSkinUIStyle>(s));
    return true;
  }
  return TSkinCustomButton::SetPublished(name, v);
}

}  // namespace skin
