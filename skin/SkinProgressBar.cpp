// The skinned progress bar: its look from a skin archive or a built-in style, the caption and
// the painting. The rectangles come from ProgressGeometry.cpp.
#include "skin/SkinProgressBar.h"

#include <string>

#include "skin/ProgressGeometry.h"
#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {


RECT ToRect(const TBarRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

bool IsEmpty(const TBarRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

// An opaque copy of a skin bitmap, or an empty bitmap when the skin lacks it: the pieces are
// drawn as they are, never keyed.
std::unique_ptr<TBitmap> PieceCopy(const TBitmap* source, bool rotate) {
  auto piece = std::make_unique<TBitmap>();
  if (source) piece->Assign(source);
  piece->SetTransparent(false);
  if (rotate && !piece->Empty()) RotateBitmapLeft(*piece);
  return piece;
}

// Stretches `piece` into `r` keeping its two outer lines on each side across the bar (rows
// of a horizontal piece, columns of a vertical one); along the bar it is stretched whole.
void DrawPiece(TCanvas& c, const TBitmap* piece, const TBarRect& r, bool horizontal) {
  if (!piece || piece->Empty() || IsEmpty(r) || r.Left < 0) return;
  const int across = horizontal ? piece->Height() : piece->Width();
  const int dest = horizontal ? r.Bottom - r.Top : r.Right - r.Left;
  for (const TPieceBand& b : PieceBands(across, dest)) {
    RECT src, dst;
    if (horizontal) {
      src = RECT{0, b.SourceFrom, piece->Width(), b.SourceTo};
      dst = RECT{r.Left, r.Top + b.DestFrom, r.Right, r.Top + b.DestTo};
    } else {
      src = RECT{b.SourceFrom, 0, b.SourceTo, piece->Height()};
      dst = RECT{r.Left + b.DestFrom, r.Top, r.Left + b.DestTo, r.Bottom};
    }
    DrawBitmapPart(c.Handle(), dst, *piece, src, false, 0);
  }
}

}  // namespace

TSkinProgressBar::TSkinProgressBar(TComponent* owner) : TCustomPanel(owner) {
  SetControlStyle(ControlStyle() & ~csAcceptsControls);
  SetBevelInner(TBevelCut::bvNone);
  SetBevelOuter(TBevelCut::bvNone);
  SetBounds(Left(), Top(), 150, 12);
  picture_.OnChange = [this](TObject*) { Redraw(); };
  SetColor(clBtnFace);
  SetUIStyle(OwnerFormUIStyle(owner));
  UpdateCaption();
  constructed_ = true;
}

TSkinProgressBar::~TSkinProgressBar() {
  BeginDestroy();
  picture_.OnChange = nullptr;
  SetFileTheme(nullptr);
}

// ---- properties -----------------------------------------------------------------------------

void TSkinProgressBar::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinProgressBar::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  ApplyLook();
}

void TSkinProgressBar::SetOrientation(TSkinProgressBarOrientation o) {
  orientation_ = o;
  ApplyLook();
}

void TSkinProgressBar::SetCaptionColor(TColor c) {
  caption_color_ = c;
  Redraw();
}

void TSkinProgressBar::SetShowCaption(bool v) {
  show_caption_ = v;
  Redraw();
}

void TSkinProgressBar::SetSmartShowCaption(bool v) {
  smart_show_caption_ = v;
  Redraw();
}

void TSkinProgressBar::SetBorderColor(TColor c) {
  border_color_ = c;
  Redraw();
}

void TSkinProgressBar::SetMax(int v) {
  max_ = v;
  UpdateCaption();
}

void TSkinProgressBar::SetMin(int v) {
  min_ = v;
  UpdateCaption();
}

void TSkinProgressBar::SetPosition(int v) {
  position_ = v;
  UpdateCaption();
}

void TSkinProgressBar::SetPicture(const TPicture* p) { picture_.Assign(p); }

void TSkinProgressBar::UpdateCaption() {
  SetCaption(std::to_string(ProgressPercent(position_, min_, max_)) + "%");
  Redraw();
}

void TSkinProgressBar::Redraw() {
  // The writers repaint at once: a watch thread's position, handed to the GUI thread, shows
  // before the next one comes.
  if (constructed_ && !IsDestroying()) Repaint();
}

void TSkinProgressBar::Notification(TComponent* c, TOperation op) {
  TCustomPanel::Notification(c, op);
  if (look_.ThemeGone(c, op)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

bool TSkinProgressBar::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  return TCustomPanel::GetPublished(name, out);
}

bool TSkinProgressBar::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  return TCustomPanel::SetPublished(name, v);
}

// ---- look -----------------------------------------------------------------------------------

void TSkinProgressBar::ApplyLook() {
  const TSkinUIStyle eff = look_.Effective();
  const bool vertical = !Horizontal();
  if (TSkinFileTheme* skin = look_.Skin()) {
    TPicture fill;
    if (TBitmap* b = skin->GetBitmap(Skin2Bitmap::ProgressBar2)) fill.SetGraphic(b);
    picture_.Assign(&fill);
    // A skin without the control colours keeps the bar's own rather than painting with the
    // "missing" value.
    if (auto color = look_.SkinColor(Skin2Color::ControlColor)) SetColor(*color);
    border_color_ = look_.ColorOr(Skin2Color::ControlBorderColor, border_color_);
    left_cap_ = PieceCopy(skin->GetBitmap(Skin2Bitmap::ProgressBar1), vertical);
    empty_part_ = PieceCopy(skin->GetBitmap(Skin2Bitmap::ProgressBar3), vertical);
    right_cap_ = PieceCopy(skin->GetBitmap(Skin2Bitmap::ProgressBar4), vertical);
  } else {
    TBitmap fill;
    LoadStyleBitmap(StyleIndex(eff), StyleItem::ProgressBarFill, &fill);
    TPicture pic;
    if (!fill.Empty()) pic.SetGraphic(&fill);
    picture_.Assign(&pic);
    SetColor(GetStyleColor(StyleIndex(eff), StyleItem::ControlColor));
    border_color_ = GetStyleColor(StyleIndex(eff), StyleItem::ControlBorder);
  }
  if (vertical) {
    if (auto* b = dynamic_cast<TBitmap*>(picture_.Graphic()); b && !b->Empty()) {
      TBitmap turned;
      turned.Assign(b);
      RotateBitmapLeft(turned);
      picture_.SetGraphic(&turned);
    }
  }
  Redraw();
}

bool TSkinProgressBar::PaintsSkinPieces() const {
  return look_.SkinMode() && left_cap_ && empty_part_ && right_cap_;
}

// ---- painting -------------------------------------------------------------------------------

void TSkinProgressBar::PaintSkin(TCanvas& c, int w, int h) {
  const bool horizontal = Horizontal();
  const int first = horizontal ? left_cap_->Width() : left_cap_->Height();
  const int last = horizontal ? right_cap_->Width() : right_cap_->Height();
  const TSkinBarLayout l = SkinBarLayout(horizontal, w, h, first, last, position_, min_, max_);
  DrawPiece(c, left_cap_.get(), l.FirstCap, horizontal);
  DrawPiece(c, dynamic_cast<TBitmap*>(picture_.Graphic()), l.Fill, horizontal);
  DrawPiece(c, empty_part_.get(), l.Empty, horizontal);
  DrawPiece(c, right_cap_.get(), l.LastCap, horizontal);
}

void TSkinProgressBar::PaintBuiltIn(TCanvas& c, int w, int h) {
  const TBuiltInBarLayout l = BuiltInBarLayout(Horizontal(), w, h, position_, min_, max_);
  TGraphic* g = picture_.Graphic();
  if (g && !g->Empty() && !IsEmpty(l.Fill)) {
    if (l.Mirrored) {
      // Drawn upside down, as the picture turned for a vertical bar is meant to be seen.
      // Flipped here rather than through a negative stretch height, which GDI
      // implementations round differently.
      auto* b = dynamic_cast<TBitmap*>(g);
      if (b) {
        TBitmap flipped(b->Width(), b->Height());
        for (int y = 0; y < b->Height(); ++y)
          for (int x = 0; x < b->Width(); ++x)
            flipped.SetPixel(x, b->Height() - 1 - y, b->GetPixel(x, y));
        flipped.SetTransparent(b->Transparent());
        c.StretchDraw(ToRect(l.Fill), &flipped);
      }
    } else {
      c.StretchDraw(ToRect(l.Fill), g);
    }
  }
  if (!IsEmpty(l.Empty)) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = Color();
    c.FillRect(ToRect(l.Empty));
  }
  // A vertical bar in a built-in look has no room across for the text.
  if (!Horizontal()) show_caption_ = false;
}

void TSkinProgressBar::Paint() {
  const int w = Width(), h = Height();
  TBitmap buffer(w, h);
  if (buffer.Empty()) return;
  TCanvas& c = buffer.Canvas();
  c.Brush.Style = TBrushStyle::bsSolid;
  c.Brush.Color = Color();
  c.FillRect(RECT{0, 0, w, h});
  const bool skin = PaintsSkinPieces();
  if (skin) PaintSkin(c, w, h);
  else PaintBuiltIn(c, w, h);
  if (show_caption_ && (!smart_show_caption_ || position_ != min_)) {
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font().SetColor(caption_color_);
    const std::string& text = Caption();
    c.TextOut((w - c.TextWidth(text)) / 2, (h - c.TextHeight(text)) / 2, text);
  }
  if (!skin) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = border_color_;
    c.FrameRect(RECT{0, 0, w, h});
  }
  BitBlt(Canvas().Handle(), 0, 0, w, h, c.Handle(), 0, 0, SRCCOPY);
}

}  // namespace skin
