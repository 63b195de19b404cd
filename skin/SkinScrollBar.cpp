// The skinned scroll bar: parts, pictures, layout, thumb picture and line-button stepping.
#include "skin/SkinScrollBar.h"

#include <algorithm>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"
#include "skin/TrackGeometry.h"

namespace skin {

using namespace forms;

namespace {

constexpr int kLineRepeatInterval = 100;

void SetPic(TSkinImageButton* button, void (TSkinImageButton::*setter)(const TPicture*),
            const TBitmap& b) {
  TPicture pic;
  if (!b.Empty()) pic.SetGraphic(&b);
  (button->*setter)(&pic);
}

// Copies columns (horizontal) or rows (vertical) of a thumb piece into the thumb, stretched
// when the two spans differ.
void DrawSpan(TBitmap& thumb, TBitmap& piece, const TThumbSpan& s, bool horizontal) {
  if (piece.Empty()) return;
  RECT src, dst;
  if (horizontal) {
    src = RECT{s.SourceFrom, 0, std::min(s.SourceTo, piece.Width()), piece.Height()};
    dst = RECT{s.DestFrom, 0, s.DestTo, thumb.Height()};
  } else {
    src = RECT{0, s.SourceFrom, piece.Width(), std::min(s.SourceTo, piece.Height())};
    dst = RECT{0, s.DestFrom, thumb.Width(), s.DestTo};
  }
  if (src.right <= src.left || src.bottom <= src.top) return;
  HDC d = thumb.Canvas().Handle();
  HDC p = piece.Canvas().Handle();
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  const int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
  if (sw == dw && sh == dh) {
    BitBlt(d, dst.left, dst.top, dw, dh, p, src.left, src.top, SRCCOPY);
    return;
  }
  int old = SetStretchBltMode(d, HALFTONE);
  SetBrushOrgEx(d, 0, 0, nullptr);
  StretchBlt(d, dst.left, dst.top, dw, dh, p, src.left, src.top, sw, sh, SRCCOPY);
  SetStretchBltMode(d, old);
}

}  // namespace

int ScrollMessageThumbPosition(HWND wnd, int bar, WPARAM wParam) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_TRACKPOS;
  if (wnd && GetScrollInfo(wnd, bar, &si)) return si.nTrackPos;
  return static_cast<int>(HIWORD(wParam));
}

TSkinCustomScrollBar::TSkinCustomScrollBar(TComponent* owner) : TCustomPanel(owner) {
  SetControlStyle(ControlStyle() & ~csAcceptsControls);
  arranging_ = true;  // no layout until every part exists
  track_ = new TSkinScrollTrackBar(this);
  track_->SetShowTick(false);
  track_->SetTabStop(false);
  track_->SetTransparent(false);
  track_->SetMax(100);
  track_->SetParent(this);
  second_ = new TSkinImageButton(this);
  first_ = new TSkinImageButton(this);
  // A held line button steps at every repeat tick. A click let go before the first tick
  // steps once on its release: a user who clicks an arrow expects the view to move a line.
  for (TSkinImageButton* b : {first_, second_}) {
    const int direction = b == second_ ? +1 : -1;
    b->OnMouseDown = [this](TObject*, TMouseButton button, TShiftState, int, int) {
      if (button == TMouseButton::mbLeft) line_stepped_ = false;
    };
    b->OnMouseContinuouslyDown = [this, direction](TObject*) {
      line_stepped_ = true;
      Step(direction);
    };
    b->OnClick = [this, direction](TObject*) {
      if (!line_stepped_) Step(direction);
      line_stepped_ = true;
    };
    b->SetMouseContinuouslyDownInterval(kLineRepeatInterval);
    b->SetTabStop(false);
    b->SetParent(this);
  }
  SetBevelInner(TBevelCut::bvNone);
  SetBevelOuter(TBevelCut::bvNone);
  SetHeight(185);
  arranging_ = false;
  SetUIStyle(OwnerFormUIStyle(owner));
  ArrangeParts();
}

TSkinCustomScrollBar::~TSkinCustomScrollBar() {
  BeginDestroy();
  SetFileTheme(nullptr);
}

// ---- properties -----------------------------------------------------------------------------

void TSkinCustomScrollBar::SetPosition(int v) {
  if (v != track_->Position()) track_->SetPosition(v);
}

void TSkinCustomScrollBar::SetPageSize(int v) {
  track_->SetPageSize(v);
  BuildThumb();
}

void TSkinCustomScrollBar::SetSmallChange(int v) { small_change_ = std::clamp(v, 1, 32767); }

int TSkinCustomScrollBar::TrackLength() const {
  const int total = Horizontal() ? Width() : Height();
  const int buttons = Horizontal() ? first_->Width() + second_->Width()
                                   : first_->Height() + second_->Height();
  return total - buttons;
}

void TSkinCustomScrollBar::SetLineButton(int v) {
  if (v == line_button_ || v > TrackLength()) return;
  line_button_ = v;
  BuildThumb();
}

void TSkinCustomScrollBar::SetOrientation(TSkinProgressBarOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  LoadPictures();
  ArrangeParts();
}

void TSkinCustomScrollBar::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinCustomScrollBar::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  track_->SetColor(Color());
  LoadPictures();
  ArrangeParts();
}

void TSkinCustomScrollBar::Notification(TComponent* c, TOperation op) {
  TCustomPanel::Notification(c, op);
  if (look_.ThemeGone(c, op)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

bool TSkinCustomScrollBar::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  return TCustomPanel::GetPublished(name, out);
}

bool TSkinCustomScrollBar::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  return TCustomPanel::SetPublished(name, v);
}

// ---- messages -------------------------------------------------------------------------------

void TSkinCustomScrollBar::BoundsChanged() {
  TCustomPanel::BoundsChanged();
  ArrangeParts();
}

void TSkinCustomScrollBar::CMVisibleChanged(TMessage& m) {
  TCustomPanel::CMVisibleChanged(m);
  track_->SetVisible(Visible());
  first_->SetVisible(Visible());
  second_->SetVisible(Visible());
}

void TSkinCustomScrollBar::CMColorChanged(TMessage& m) {
  TCustomPanel::CMColorChanged(m);
  if (track_) track_->SetColor(Color());
}

void TSkinCustomScrollBar::CMEnabledChanged(TMessage& m) {
  TCustomPanel::CMEnabledChanged(m);
  // The parts are windows of their own: a disabled bar must not step or drag through them.
  if (!track_) return;
  track_->SetEnabled(Enabled());
  first_->SetEnabled(Enabled());
  second_->SetEnabled(Enabled());
}

void TSkinCustomScrollBar::Step(int direction) {
  track_->SetPosition(StepPosition(track_->Position(),
                                   static_cast<std::int64_t>(direction) * small_change_,
                                   track_->Min(), track_->Max()));
}

// ---- pictures, layout, thumb ----------------------------------------------------------------

void TSkinCustomScrollBar::LoadPictures() {
  TPicture none;
  track_->SetBarImage(&none);
  for (TBitmap& p : parts_) p.SetSize(0, 0);
  TBitmap pics[6];  // first button normal, over, down; second button normal, over, down
  const TSkinUIStyle eff = look_.Effective();
  TSkinFileTheme* skin = look_.Skin();
  skin_parts_ = skin != nullptr;
  if (skin) {
    // A skin without a scroll bar colour keeps the current one rather than a colour of -1.
    if (auto c = look_.SkinColor(Skin2Color::ScrollBarColor)) SetColor(*c);
    // The skin's thumb stands upright: turned, its three pieces lie side by side.
    TBitmap bar;
    bar.Assign(skin->GetBitmap(Skin2Bitmap::ScrollBar));
    if (!bar.Empty()) {
      RotateBitmapLeft(bar);
      for (int i = 0; i < 3; ++i) ExtractFrame(bar, parts_[i], 3, i + 1);
    }
    for (int i = 0; i < 3; ++i) {
      skin->GetBitmapFrame(Skin2Bitmap::ScrollBarUpButton, &pics[i], i + 1, 3);
      skin->GetBitmapFrame(Skin2Bitmap::ScrollBarDownButton, &pics[3 + i], i + 1, 3);
    }
  } else {
    SetColor(GetStyleColor(StyleIndex(eff), StyleItem::ScrollBarColor));
    for (int i = 0; i < 3; ++i)
      GetStyleBitmap(StyleIndex(eff), StyleItem::ScrollBarTrack, &parts_[i], i + 1, 3);
    for (int i = 0; i < 6; ++i)
      GetStyleBitmap(StyleIndex(eff), StyleItem::ScrollBarButton, &pics[i], i + 1, 6);
  }
  // Buttons are drawn upright (up and down), thumb pieces lying (left to right).
  for (TBitmap& b : pics)
    if (Horizontal() && !b.Empty()) RotateBitmapLeft(b);
  for (TBitmap& p : parts_)
    if (!Horizontal() && !p.Empty()) RotateBitmapRight(p);
  SetPic(first_, &TSkinImageButton::SetPicNormal, pics[0]);
  SetPic(first_, &TSkinImageButton::SetPicMouseOn, pics[1]);
  SetPic(first_, &TSkinImageButton::SetPicMouseDown, pics[2]);
  SetPic(second_, &TSkinImageButton::SetPicNormal, pics[3]);
  SetPic(second_, &TSkinImageButton::SetPicMouseOn, pics[4]);
  SetPic(second_, &TSkinImageButton::SetPicMouseDown, pics[5]);
  first_->SetAutoSize(true);
  second_->SetAutoSize(true);
  Invalidate();
}

void TSkinCustomScrollBar::ArrangeParts() {
  if (arranging_ || !track_) return;
  arranging_ = true;
  track_->SetOrientation(orientation_);
  if (Width() == 0 || Height() == 0) {
    SetVisible(false);
    arranging_ = false;
    return;
  }
  // The bar is as thick as its buttons. Buttons without a picture (a skin lacking them) are
  // squares of the current thickness, so that the bar does not shrink to nothing.
  const int thick = Horizontal() ? (first_->Height() > 0 ? first_->Height() : Height())
                                 : (first_->Width() > 0 ? first_->Width() : Width());
  auto length_of = [&](TSkinImageButton* b) {
    const int l = Horizontal() ? b->Width() : b->Height();
    return l > 0 ? l : thick;
  };
  const int l1 = length_of(first_), l2 = length_of(second_);
  if (Horizontal()) {
    SetHeight(thick);
    first_->SetBounds(0, 0, l1, thick);
    track_->SetBounds(l1, 0, std::max(0, Width() - l1 - l2), thick);
    second_->SetBounds(Width() - l2, 0, l2, thick);
  } else {
    SetWidth(thick);
    first_->SetBounds(0, 0, thick, l1);
    track_->SetBounds(0, l1, thick, std::max(0, Height() - l1 - l2));
    second_->SetBounds(0, Height() - l2, thick, l2);
  }
  arranging_ = false;
  BuildThumb();
}

void TSkinCustomScrollBar::BuildThumb() {
  if (!track_) return;
  const bool h = Horizontal();
  const int track_length = h ? track_->Width() : track_->Height();
  if (line_button_ > 0 && line_button_ < 16) line_button_ = 16;
  const int length = ScrollThumbLength(line_button_, track_->PageSize(), track_length);
  if (length <= 0) return;  // the track has no length yet
  auto along = [h](const TBitmap& b) { return h ? b.Width() : b.Height(); };
  const int thickness = h ? parts_[0].Height() : parts_[0].Width();
  TBitmap thumb(h ? length : std::max(thickness, 0), h ? std::max(thickness, 0) : length);
  if (!thumb.Empty()) {
    const int s = along(parts_[0]), m = along(parts_[1]), e = along(parts_[2]);
    TThumbLayout layout = skin_parts_ ? SkinThumbLayout(length, s, m, e)
                                      : BuiltInThumbLayout(length, s, m, e);
    for (const TThumbSpan& span : layout)
      DrawSpan(thumb, parts_[static_cast<int>(span.Piece)], span, h);
  }
  TPicture pic;
  if (!thumb.Empty()) pic.SetGraphic(&thumb);
  track_->SetSliderImage(&pic);
  track_->FitThumb();
  track_->UpdateThumb();
}

}  // namespace skin
