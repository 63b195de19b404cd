// The skinned title bar: its looks (skin archive or built-in style), the section and button
// layout it paints, and what its mouse does to the form.
#include "skin/SkinTitleBar.h"

#include <algorithm>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"
#include "skin/SkinTitleBarPopupMenu.h"

namespace skin {

using namespace forms;

namespace {

constexpr int kStripFrames = 18;

int FirstFrame(TSkinTitleBarBtnType t) {
  switch (t) {
    case TSkinTitleBarBtnType::skControlBox: return 1;
    case TSkinTitleBarBtnType::skHelp: return 4;
    case TSkinTitleBarBtnType::skMax: return 7;
    case TSkinTitleBarBtnType::skMin: return 13;
    case TSkinTitleBarBtnType::skClose: return 16;
    case TSkinTitleBarBtnType::skCustom: break;
  }
  return 0;
}

void DefaultErrorDialog(const std::string& text) {
  MessageBoxA(GetActiveWindow(), text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

}  // namespace

std::function<void(const std::string& text)> SkinErrorDialog = DefaultErrorDialog;

// ---- TSkinTitleBarButton ---------------------------------------------------------------------

TSkinTitleBarButton::TSkinTitleBarButton(TSkinTitleBar* bar) : bar_(bar) {}

int TSkinTitleBarButton::Index() const { return bar_ ? bar_->Buttons().IndexOf(this) : -1; }

bool TSkinTitleBarButton::HasPictures() const {
  return pic_normal_.Width() > 0 && pic_normal_.Height() > 0 && pic_mouse_on_.Width() > 0 &&
         pic_mouse_on_.Height() > 0 && pic_mouse_down_.Width() > 0 && pic_mouse_down_.Height() > 0;
}

void TSkinTitleBarButton::Changed() {
  if (bar_) bar_->Changed();
}

void TSkinTitleBarButton::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void TSkinTitleBarButton::SetButtonType(TSkinTitleBarBtnType t) {
  if (t == TSkinTitleBarBtnType::skControlBox && bar_) {
    for (int i = 0; i < bar_->Buttons().Count(); ++i)
      if (bar_->Buttons().Items(i)->type_ == TSkinTitleBarBtnType::skControlBox) {
        SkinErrorDialog("Sorry, only one button's ButtonType property can be \"skControlBox\"");
        return;
      }
  }
  type_ = t;
  LoadPictures(false);
  Changed();
}

void TSkinTitleBarButton::SetTransparent(bool v) {
  transparent_ = v;
  Changed();
}

void TSkinTitleBarButton::SetTop(int v) {
  top_ = v;
  Changed();
}

void TSkinTitleBarButton::SetUIStyle(TSkinUIStyle s) {
  ui_style_ = s;
  LoadPictures(false);
  Changed();
}

void TSkinTitleBarButton::Assign(const TSkinTitleBarButton& o) {
  visible_ = o.visible_;
  type_ = o.type_;
  transparent_ = o.transparent_;
  top_ = o.top_;
  ui_style_ = o.ui_style_;
  pic_normal_.Assign(&o.pic_normal_);
  pic_mouse_on_.Assign(&o.pic_mouse_on_);
  pic_mouse_down_.Assign(&o.pic_mouse_down_);
  control_box_menu_ = o.control_box_menu_;
}

void TSkinTitleBarButton::LoadPictures(bool restoreLook) {
  int first = FirstFrame(type_);
  if (first == 0) return;  // a custom button keeps its own pictures
  if (type_ == TSkinTitleBarBtnType::skMax) {
    TCustomForm* form = bar_ ? bar_->ParentForm() : nullptr;
    if (restoreLook || (form && form->WindowState() == TWindowState::wsMaximized)) first = 10;
  }
  const TSkinLook look(bar_ ? bar_->FileTheme() : nullptr, ui_style_);
  TSkinFileTheme* skin = look.Skin();
  const TSkinUIStyle effective = look.Effective();
  TPicture* pics[3] = {&pic_normal_, &pic_mouse_on_, &pic_mouse_down_};
  for (int i = 0; i < 3; ++i) {
    TBitmap frame;
    if (skin)
      skin->GetBitmapFrame(Skin2Bitmap::TitleButtons, &frame, first + i, kStripFrames);
    else
      GetStyleBitmap(StyleIndex(effective), StyleItem::TitleButtons, &frame, first + i, kStripFrames);
    pics[i]->SetGraphic(frame.Empty() ? nullptr : &frame);
  }
  if (skin) {
    transparent_ = skin->GetFlag(Skin2Flag::TitleBtnTrans) > 0;
    top_ = skin->GetInteger(Skin2Integer::TitleBarButtonPosY);
  } else {
    transparent_ = GetStyleFlag(StyleIndex(effective), StyleItem::TitleButtonsTransparent) != 0;
    top_ = GetStyleValue(StyleIndex(effective), StyleItem::TitleButtonTop);
  }
}

// ---- TSkinTitleBarSection --------------------------------------------------------------------

void TSkinTitleBarSection::Changed() {
  if (bar_) bar_->Changed();
}

void TSkinTitleBarSection::SetWidth(int w) {
  width_ = w;
  Changed();
}

void TSkinTitleBarSection::SetAlign(TSkinTitleBarAlign a) {
  if (a == TSkinTitleBarAlign::skClient && bar_) {
    for (int i = 0; i < bar_->Sections().Count(); ++i)
      if (bar_->Sections().Items(i)->align_ == TSkinTitleBarAlign::skClient) {
        SkinErrorDialog("Sorry, only one section's Align property can be \"skClient\"");
        return;
      }
  }
  align_ = a;
  if (a == TSkinTitleBarAlign::skClient) stretch_ = true;
  Changed();
}

void TSkinTitleBarSection::SetPicture(const TBitmap* b) {
  picture_.SetGraphic(b && !b->Empty() ? b : nullptr);
  if (auto_size_ && b) width_ = picture_.Width();
  Changed();
}

void TSkinTitleBarSection::SetStretch(bool v) {
  stretch_ = v || align_ == TSkinTitleBarAlign::skClient;
  Changed();
}

void TSkinTitleBarSection::SetAutoSize(bool v) {
  auto_size_ = v;
  if (v) width_ = picture_.Width();
  Changed();
}

void TSkinTitleBarSection::SetCapSec(bool v) {
  cap_sec_ = v;
  Changed();
}

void TSkinTitleBarSection::Assign(const TSkinTitleBarSection& o) {
  width_ = o.width_;
  align_ = o.align_;
  picture_.Assign(&o.picture_);
  stretch_ = o.stretch_;
  auto_size_ = o.auto_size_;
}

// ---- TSkinTitleBar ---------------------------------------------------------------------------

TSkinTitleBar::TSkinTitleBar(TComponent* owner) : TCustomPanel(owner) {
  SetControlStyle(ControlStyle() & ~csAcceptsControls);
  SetBevelOuter(TBevelCut::bvNone);
  for (TSkinTitleBarBtnType t : {TSkinTitleBarBtnType::skControlBox, TSkinTitleBarBtnType::skClose,
                                 TSkinTitleBarBtnType::skMax, TSkinTitleBarBtnType::skMin}) {
    TSkinTitleBarButton* b = buttons_.Add();
    b->type_ = t;
  }
  control_box_popup_ = new TSkinTitleBarPopupMenu(this, this);
  SetAlign(TAlign::alTop);
  Font().SetColor(clWhite);
  Font().SetName("Tahoma");
  Font().SetStyle(fsBold);
  SetUIStyle(OwnerFormUIStyle(owner));
}

TSkinTitleBar::~TSkinTitleBar() {
  BeginDestroy();
  if (title_icon_) DestroyIcon(title_icon_);
  look_.SetTheme(*this, nullptr);
}

bool TSkinTitleBar::OnFrame() const {
  return Parent() && std::string_view(Parent()->ClassName()) == "TSkinForm";
}

void TSkinTitleBar::Changed() {
  if (!IsDestroying()) Invalidate();
}

void TSkinTitleBar::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  in_set_file_theme_ = true;
  SetUIStyle(look_.Style());
  in_set_file_theme_ = false;
}

void TSkinTitleBar::Notification(TComponent* c, TOperation op) {
  TCustomPanel::Notification(c, op);
  if (look_.ThemeGone(c, op) && !IsDestroying()) SetUIStyle(TSkinUIStyle::DeepBlue);
}

void TSkinTitleBar::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  if (custom_) return;
  sections_.Clear();
  const bool skin = look_.SkinMode();
  const TSkinUIStyle effective = look_.Effective();
  if (skin) SkinLook();
  else BuiltInLook(effective);
  for (int i = 0; i < buttons_.Count(); ++i) {
    TSkinTitleBarButton* b = buttons_.Items(i);
    b->ui_style_ = effective;
    b->LoadPictures(false);
  }
  control_box_popup_->SetUIStyle(effective);
  control_box_popup_->SetFileTheme(look_.Theme());
  if (!in_set_file_theme_) {
    if (skin) Font().SetColor(look_.ColorOr(Skin2Color::TitleFontColor, clWhite));
    else Font().SetColor(effective == TSkinUIStyle::MacOS ? clBlack : clWhite);
  }
  SetAutoSize(true);
  Changed();
}

void TSkinTitleBar::SkinLook() {
  TSkinFileTheme* t = look_.Theme();
  five_sections_ = t->GetFlag(Skin2Flag::TitleFiveSect) > 0;
  picture_key_color_ = look_.ColorOr(Skin2Color::TransColor, clFuchsia);
  auto add = [&](int key, TSkinTitleBarAlign align, bool autoSize, bool capSec) {
    TSkinTitleBarSection* s = sections_.Add();
    s->picture_.SetGraphic(t->GetBitmap(key) && !t->GetBitmap(key)->Empty() ? t->GetBitmap(key)
                                                                            : nullptr);
    s->align_ = align;
    if (align == TSkinTitleBarAlign::skClient) s->stretch_ = true;
    s->auto_size_ = autoSize;
    if (autoSize) s->width_ = s->picture_.Width();
    s->cap_sec_ = capSec;
  };
  add(Skin2Bitmap::TitleBar1, TSkinTitleBarAlign::skLeft, true, false);
  if (five_sections_) add(Skin2Bitmap::TitleBar1 + 1, TSkinTitleBarAlign::skLeft, false, true);
  else add(Skin2Bitmap::TitleBar1 + 1, TSkinTitleBarAlign::skClient, false, false);
  add(Skin2Bitmap::TitleBar1 + 2, five_sections_ ? TSkinTitleBarAlign::skLeft : TSkinTitleBarAlign::skRight,
      true, false);
  if (five_sections_) {
    add(Skin2Bitmap::TitleBar1 + 3, TSkinTitleBarAlign::skClient, false, false);
    add(Skin2Bitmap::TitleBar1 + 4, TSkinTitleBarAlign::skRight, true, false);
  }
  left_btn_x_offset_ = look_.IntegerOr(Skin2Integer::TitleBarIconPosX, 0);
  right_btn_x_offset_ = look_.IntegerOr(Skin2Integer::TitleBarButtonPosX, 0);
  button_top_ = look_.IntegerOr(Skin2Integer::TitleBarButtonPosY, 0);
  icon_top_ = look_.IntegerOr(Skin2Integer::TitleBarIconPosY, 0);
  caption_top_ = look_.IntegerOr(Skin2Integer::TitleBarCaptionTop, 0);
  section_back_color_ = look_.Color(Skin2Color::FormColor, StyleItem::FormColor);
  if (OnFrame()) {
    button_top_ -= 3;
    icon_top_ -= 3;
  }
  if (TCustomForm* form = ParentForm()) {
    auto width = [&](int key) { return t->GetBitmap(key) ? t->GetBitmap(key)->Width() : 0; };
    TBitmap* strip = t->GetBitmap(Skin2Bitmap::TitleButtons);
    int b = right_btn_x_offset_ + (strip ? strip->Width() / kStripFrames : 0) * buttons_.Count();
    int min_width = width(Skin2Bitmap::TitleBar1);
    if (five_sections_)
      min_width += std::max(b, width(Skin2Bitmap::TitleBar1 + 4)) + width(Skin2Bitmap::TitleBar1 + 2) + 16;
    else
      min_width += std::max(b, width(Skin2Bitmap::TitleBar1 + 2));
    form->Constraints().SetMinWidth(min_width);
  }
}

void TSkinTitleBar::BuiltInLook(TSkinUIStyle style) {
  int st = StyleIndex(style);
  five_sections_ = false;
  // The built-in pictures leave out magenta, the key every built-in bitmap is drawn with.
  picture_key_color_ = clFuchsia;
  // What the pictures' rounded corners leave inside the window's (slightly less round) region
  // takes the border colour, so the corner reads as outlined.
  section_back_color_ = GetStyleColor(st, StyleItem::FormBorderColor);
  auto add = [&](int item, TSkinTitleBarAlign align, bool autoSize) {
    TSkinTitleBarSection* s = sections_.Add();
    TBitmap b;
    LoadStyleBitmap(st, item, &b);
    s->picture_.SetGraphic(b.Empty() ? nullptr : &b);
    s->align_ = align;
    if (align == TSkinTitleBarAlign::skClient) s->stretch_ = true;
    s->auto_size_ = autoSize;
    if (autoSize) s->width_ = s->picture_.Width();
  };
  add(StyleItem::TitleLeft, TSkinTitleBarAlign::skLeft, true);
  add(StyleItem::TitleRight, TSkinTitleBarAlign::skRight, true);
  add(StyleItem::TitleClient, TSkinTitleBarAlign::skClient, false);
  left_btn_x_offset_ = GetStyleValue(st, StyleItem::LeftTitleButtonX);
  right_btn_x_offset_ = GetStyleValue(st, StyleItem::RightTitleButtonX);
  button_top_ = GetStyleValue(st, StyleItem::TitleButtonTop) - (OnFrame() ? 3 : 0);
  icon_top_ = button_top_;
  if (TCustomForm* form = ParentForm()) {
    form->Constraints().SetMinWidth(GetStyleValue(st, StyleItem::FormMinWidth));
    form->Constraints().SetMinHeight(50);
  }
  round_corner_ = GetStyleValue(st, StyleItem::FormRoundCorner);
  round_corner_bottom_ = 0;
}

void TSkinTitleBar::SetAutoSize(bool v) {
  auto_size_ = v && sections_.Count() > 0;
  if (auto_size_) {
    int h = sections_.Items(0)->picture_.Height() - (OnFrame() ? 3 : 0);
    if (h > 0 && h != Height()) SetHeight(h);
  }
}

void TSkinTitleBar::SetButtonInterval(int v) {
  if (v == button_interval_) return;
  button_interval_ = v;
  Changed();
}

void TSkinTitleBar::SetFormActive(bool v) {
  if (v == form_active_) return;
  form_active_ = v;
  Changed();
}

void TSkinTitleBar::SetLeftBtnXOffset(int v) {
  if (v == left_btn_x_offset_) return;
  left_btn_x_offset_ = v;
  Changed();
}

void TSkinTitleBar::SetRightBtnXOffset(int v) {
  if (v == right_btn_x_offset_) return;
  right_btn_x_offset_ = v;
  Changed();
}

void TSkinTitleBar::SetDrawAppIcon(bool v) {
  if (v == draw_app_icon_) return;
  draw_app_icon_ = v;
  Changed();
}

void TSkinTitleBar::SetInactiveCaptionColor(TColor c) {
  if (c == inactive_caption_color_) return;
  inactive_caption_color_ = c;
  Changed();
}

TBitmap* TSkinTitleBar::SectionPicture(int n) {
  if (n == -1) return &region_image_;
  if (n == -2) return &background_image_;
  if (n >= 0 && sections_.Count() > 2 && n < sections_.Count()) {
    TSkinTitleBarSection* s = sections_.Items(n);
    return s->picture_.HasGraphic() ? s->picture_.Bitmap() : nullptr;
  }
  return nullptr;
}

void TSkinTitleBar::RefreshMaxButtons() {
  if (custom_) return;
  for (int i = 0; i < buttons_.Count(); ++i)
    if (buttons_.Items(i)->ButtonType() == TSkinTitleBarBtnType::skMax)
      buttons_.Items(i)->LoadPictures(false);
}

RECT TSkinTitleBar::ButtonRect(int index) const {
  if (index < 0 || index >= static_cast<int>(button_rects_.size())) return RECT{0, 0, 0, 0};
  return button_rects_[index];
}

int TSkinTitleBar::SideAnswer() {
  TCustomForm* form = ParentForm();
  if (!form || !form->HandleAllocated()) return 0;
  return static_cast<int>(SendMessageA(form->Handle(), kFrameSideQuery, 0, 0));
}

void TSkinTitleBar::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCMOUSEMOVE:
      if (TCustomForm* form = ParentForm(); form && form->HandleAllocated()) {
        m.Result = SendMessageA(form->Handle(), m.Msg, m.WParam, m.LParam);
        return;
      }
      break;
    default:
      break;
  }
  TCustomPanel::Dispatch(m);
}

void TSkinTitleBar::PaintImages() {
  if (Width() <= 0 || Height() <= 0) return;
  TBitmap b(Width(), Height());
  DrawSections(b);
}

void TSkinTitleBar::Paint() {
  if (IsDestroying() || Width() <= 0 || Height() <= 0) return;
  TBitmap b(Width(), Height());
  b.Canvas().Brush.Style = TBrushStyle::bsClear;
  b.Canvas().Font().Assign(Font());
  DrawSections(b);
  DrawButtons(b);
  BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), b.Canvas().Handle(), 0, 0, SRCCOPY);
}

void TSkinTitleBar::DrawSections(TBitmap& bitmap) {
  TCustomForm* form = ParentForm();
  if (!form) return;
  const int bw = bitmap.Width(), bh = bitmap.Height();
  int dx = 0, dy = 0;
  if (OnFrame()) {
    int a = SideAnswer();
    dx = a == 0 ? -3 : -a;
    dy = -3;
  }
  int buttons_width = 0;
  for (int i = 0; i < buttons_.Count(); ++i)
    buttons_width += buttons_.Items(i)->PicNormal().Width() + button_interval_;
  region_image_.SetSize(std::max(bw - 2 * dx, 0), std::max(bh - dy, 0));
  background_image_.SetSize(region_image_.Width(), region_image_.Height());
  background_image_.Canvas().Brush.Color = section_back_color_;
  background_image_.Canvas().Brush.Style = TBrushStyle::bsSolid;
  background_image_.Canvas().FillRect(RECT{0, 0, region_image_.Width(), region_image_.Height()});
  // The region image starts out as the key colour: what no section covers is outside.
  region_image_.Canvas().Brush.Color = picture_key_color_;
  region_image_.Canvas().Brush.Style = TBrushStyle::bsSolid;
  region_image_.Canvas().FillRect(RECT{0, 0, region_image_.Width(), region_image_.Height()});
  int l = dx, r = bw - dx, last_left_width = 0;
  TSkinTitleBarSection* client = nullptr;
  bool caption_drawn = false;
  for (int i = 0; i < sections_.Count(); ++i) {
    TSkinTitleBarSection* s = sections_.Items(i);
    TBitmap* pic = s->picture_.HasGraphic() ? s->picture_.Bitmap() : nullptr;
    int pw = pic ? pic->Width() : 0, ph = pic ? pic->Height() : 0;
    if (s->cap_sec_) {
      TSkinTitleBarSection* next = sections_.Items(i + 1);
      int next_width = next ? next->width_ : 0;
      FitCaption(bitmap.Canvas(), Caption(),
                 bw - left_btn_x_offset_ - buttons_width - next_width - 21, fitted_caption_);
      int sw = bitmap.Canvas().TextWidth(fitted_caption_) + left_btn_x_offset_ - last_left_width + 17;
      if (pic) {
        bitmap.Canvas().StretchDraw(RECT{l, dy, l + sw, dy + ph}, pic);
        region_image_.Canvas().StretchDraw(RECT{l - dx, 0, l + sw - dx, ph}, pic);
      }
      l += sw;
      caption_drawn = true;
    } else if (s->align_ == TSkinTitleBarAlign::skLeft) {
      if (pic) {
        bitmap.Canvas().Draw(l, dy, pic);
        region_image_.Canvas().Draw(l - dx, 0, pic);
      }
      l += pw;
      last_left_width = pw;
    } else if (s->align_ == TSkinTitleBarAlign::skRight) {
      if (pic) {
        TBitmap over(pw, ph);
        over.Canvas().Brush.Color = section_back_color_;
        over.Canvas().FillRect(RECT{0, 0, pw, ph});
        TBitmap keyed;
        keyed.Assign(pic);
        keyed.SetTransparent(true);
        keyed.SetTransparentColor(picture_key_color_);
        over.Canvas().Draw(0, 0, &keyed);
        bitmap.Canvas().Draw(r - pw, dy, &over);
        region_image_.Canvas().Draw(r - dx - pw, 0, pic);
      }
      r -= pw;
    } else {
      client = s;
    }
  }
  if (client && client->picture_.HasGraphic()) {
    TBitmap* pic = client->picture_.Bitmap();
    bitmap.Canvas().StretchDraw(RECT{l, dy, r, dy + pic->Height()}, pic);
    region_image_.Canvas().StretchDraw(RECT{l - dx, 0, r - dx, pic->Height()}, pic);
  }
  TBitmap keyed;
  keyed.Assign(&region_image_);
  keyed.SetTransparent(true);
  keyed.SetTransparentColor(picture_key_color_);
  background_image_.Canvas().Draw(0, 0, &keyed);
  if (!caption_drawn) fitted_caption_.clear();
  // A caption section changes the top border's pictures: the frame repaints it (not while the
  // frame is asking for the images itself).
  if (caption_drawn && OnFrame() && !painting_ && OnCaptionSectionDrawn) {
    painting_ = true;
    OnCaptionSectionDrawn();
    painting_ = false;
  }
}

void TSkinTitleBar::DrawButtons(TBitmap& bitmap) {
  TCustomForm* form = ParentForm();
  if (!form) return;
  const int bw = bitmap.Width();
  const int a = SideAnswer();
  int rx = bw + a - right_btn_x_offset_ - 1;
  const bool skin = SkinMode();
  POINT cursor{-10000, -10000};
  if (HandleAllocated() && GetCursorPos(&cursor)) ::ScreenToClient(Handle(), &cursor);
  hot_button_ = -1;
  button_rects_.assign(static_cast<size_t>(buttons_.Count()), RECT{0, 0, 0, 0});
  TSkinTitleBarButton* control_box = nullptr;
  auto draw_state = [&](TSkinTitleBarButton* b, int index, const RECT& rect, int x, int y) {
    TPicture* pic = &b->PicNormal();
    if (PointInRect(cursor, rect)) {
      hot_button_ = index;
      pic = mouse_is_down_ ? &b->PicMouseDown() : &b->PicMouseOn();
    }
    TBitmap work;
    work.Assign(pic->Graphic());
    work.SetTransparent(b->Transparent());
    // Pixels of the key colour are outside the button: magenta in the built-in pictures, the
    // skin's own colour otherwise (never the bottom-left pixel, which may be part of a glyph).
    work.SetTransparentColor(skin ? picture_key_color_ : clFuchsia);
    bitmap.Canvas().Draw(x, y, &work);
  };
  for (int i = 0; i < buttons_.Count(); ++i) {
    TSkinTitleBarButton* b = buttons_.Items(i);
    if (!b->Visible() || !b->HasPictures()) continue;
    if (b->ButtonType() == TSkinTitleBarBtnType::skControlBox) {
      control_box = b;
      continue;
    }
    int w = b->PicNormal().Width(), h = b->PicNormal().Height();
    if (b->ButtonType() == TSkinTitleBarBtnType::skClose) rx -= w;
    else rx -= w + button_interval_ + 1;
    if (bw < rx + w + 1) rx = bw - w - 1;
    RECT rect{rx, button_top_, rx + w, button_top_ + h};
    button_rects_[i] = rect;
    draw_state(b, i, rect, rx, button_top_);
  }
  int x = std::max(left_btn_x_offset_ - a - 3, 0);
  if (control_box) {
    int index = buttons_.IndexOf(control_box);
    int w = control_box->PicNormal().Width(), h = control_box->PicNormal().Height();
    RECT rect{x, icon_top_, x + w, icon_top_ + h};
    button_rects_[index] = rect;
    if (draw_app_icon_) {
      if (PointInRect(cursor, rect)) hot_button_ = index;
      if (!title_icon_) {
        // From the resource, the icon's own 16 x 16 picture is taken rather than a shrunk
        // 32 x 32 one; an icon that came from no resource is shrunk.
        HICON app = Application()->Icon();
        title_icon_ = static_cast<HICON>(CopyImage(app, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
        if (!title_icon_) title_icon_ = static_cast<HICON>(CopyImage(app, IMAGE_ICON, 16, 16, 0));
      }
      if (title_icon_)
        DrawIconEx(bitmap.Canvas().Handle(), x + 3, icon_top_, title_icon_, 16, 16, 0, nullptr,
                   DI_NORMAL);
      x += 21;
    } else {
      draw_state(control_box, index, rect, x, icon_top_ - 1);
      x += w + 5;
    }
  }
  if (x == 0) x = 6;
  TCanvas& c = bitmap.Canvas();
  c.Font().Assign(Font());
  if (!form_active_) c.Font().SetColor(inactive_caption_color_);
  c.Brush.Style = TBrushStyle::bsClear;
  std::string text = fitted_caption_;
  if (text.empty()) {
    text = Caption();
    if (c.TextWidth(text) > rx - x) {
      while (!text.empty() && c.TextWidth(text + "...") > rx - x) text.pop_back();
      text += "...";
    }
  }
  const int tw = c.TextWidth(text);
  int tx = UseRightToLeftAlignment() ? rx - tw - 10 : x;
  int ty = skin ? caption_top_ - 3
                : button_top_ + (EffectiveStyle() == TSkinUIStyle::Protein ? 3 : 0);
  c.TextOut(tx, ty, text);
  caption_rect_ = text.empty() ? RECT{0, 0, 0, 0} : RECT{tx, ty, tx + tw, ty + c.TextHeight(text)};
}

void TSkinTitleBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomPanel::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  mouse_is_down_ = true;
  Repaint();
  TCustomForm* form = ParentForm();
  if (!form || !form->HandleAllocated()) return;
  // The second press of a double click is not the start of a drag.
  if (hot_button_ == -1 && !(shift & ssDouble) &&
      form->WindowState() != TWindowState::wsMaximized) {
    ReleaseCapture();
    mouse_is_down_ = false;
    // The system moves the window from where the cursor is now.
    POINT p{};
    GetCursorPos(&p);
    SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
  }
}

void TSkinTitleBar::MouseMove(TShiftState shift, int x, int y) {
  TCustomPanel::MouseMove(shift, x, y);
  Invalidate();
}

void TSkinTitleBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomPanel::MouseUp(button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  if (hot_button_ != -1 && mouse_is_down_) {
    int index = hot_button_;
    TSkinTitleBarButton* b = buttons_.Items(index);
    if (b && b->ButtonType() == TSkinTitleBarBtnType::skControlBox && !b->ControlBoxMenu()) {
      mouse_is_down_ = false;
      PopupControlBoxMenu();
    } else if (b) {
      ButtonClick(b);
      if (b->ButtonType() == TSkinTitleBarBtnType::skCustom && OnCustomBtnsClick)
        OnCustomBtnsClick(this, index);
      if (b->ButtonType() == TSkinTitleBarBtnType::skHelp && OnHelpBtnClick)
        OnHelpBtnClick(this, index);
    }
  }
  mouse_is_down_ = false;
  if (!IsDestroying() && HandleAllocated()) Repaint();
}

void TSkinTitleBar::DblClick() {
  TCustomPanel::DblClick();
  if (hot_button_ == -1) {
    for (int i = 0; i < buttons_.Count(); ++i) {
      TSkinTitleBarButton* b = buttons_.Items(i);
      if (b->Visible() && b->ButtonType() == TSkinTitleBarBtnType::skMax) {
        ButtonClick(b);
        break;
      }
    }
    return;
  }
  TSkinTitleBarButton* hot = buttons_.Items(hot_button_);
  if (hot && hot->ButtonType() == TSkinTitleBarBtnType::skControlBox)
    if (TCustomForm* form = ParentForm()) form->Close();
}

void TSkinTitleBar::PopupControlBoxMenu() {
  if (!HandleAllocated() || !ParentForm()) return;
  POINT p{0, Height()};
  ::ClientToScreen(Handle(), &p);
  control_box_popup_->Popup(std::max<int>(p.x, 0), p.y);
}

void TSkinTitleBar::MinimizeForm() {
  TCustomForm* form = ParentForm();
  if (!form) return;
  if (Application()->MainForm() == form && form->HandleAllocated())
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  else
    form->SetWindowState(TWindowState::wsMinimized);
}

void TSkinTitleBar::ButtonClick(TSkinTitleBarButton* button) {
  TCustomForm* form = ParentForm();
  if (!button || !form) return;
  switch (button->ButtonType()) {
    case TSkinTitleBarBtnType::skMax:
      if (form->WindowState() == TWindowState::wsMaximized) {
        form->SetWindowState(TWindowState::wsNormal);
      } else {
        form->SetWindowState(TWindowState::wsMaximized);
        if (!OnFrame()) {
          RECT work;
          GetWorkAreaRect(work);
          SetControlRect(form, RECT{work.left - 2, work.top - 2, work.right + 2, work.bottom - 1});
        }
      }
      button->LoadPictures(false);
      Changed();
      break;
    case TSkinTitleBarBtnType::skMin:
      MinimizeForm();
      break;
    case TSkinTitleBarBtnType::skClose:
      form->Close();
      break;
    case TSkinTitleBarBtnType::skControlBox:
      if (button->ControlBoxMenu() && HandleAllocated()) {
        POINT p{UseRightToLeftAlignment() ? kRightToLeftMenuShift : 0, Height()};
        ::ClientToScreen(Handle(), &p);
        button->ControlBoxMenu()->Popup(std::max<int>(p.x, 0), p.y);
      }
      break;
    default:
      break;
  }
}

}  // namespace skin
