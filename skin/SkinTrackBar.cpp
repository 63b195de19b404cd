// The skinned track bar: look, thumb placement, ticks, keys, paging and dragging. The
// arithmetic lives in TrackGeometry.cpp.
#include "skin/SkinTrackBar.h"

#include <algorithm>
#include <climits>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"
#include "skin/TrackGeometry.h"

namespace skin {

using namespace forms;

namespace {

constexpr unsigned kPagingInterval = 100;

}  // namespace

TSkinTrackBar::TSkinTrackBar(TComponent* owner) : TCustomPanel(owner) {
  SetControlStyle(ControlStyle() & ~csAcceptsControls);
  SetBevelInner(TBevelCut::bvNone);
  SetBevelOuter(TBevelCut::bvNone);
  thumb_ = new TSkinImagePanel(this);
  thumb_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    ThumbMouseDown(b, s, x, y);
  };
  thumb_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    ThumbMouseUp(b, s, x, y);
  };
  thumb_->SetParent(this);
  SetBounds(Left(), Top(), 150, 25);
  SetParentColor(true);
  SetTabStop(true);
  SetUIStyle(OwnerFormUIStyle(owner));
  UpdateThumb();
}

TSkinTrackBar::~TSkinTrackBar() {
  BeginDestroy();
  StopPaging();
  SetFileTheme(nullptr);
}

// ---- properties -----------------------------------------------------------------------------

void TSkinTrackBar::SetMin(int v) {
  if (v == min_) return;
  min_ = std::min(v, max_);
  position_ = std::clamp(position_, min_, max_);
  UpdateThumb();
}

void TSkinTrackBar::SetMax(int v) {
  if (v == max_) return;
  max_ = std::max(v, min_);
  position_ = std::clamp(position_, min_, max_);
  UpdateThumb();
}

void TSkinTrackBar::SetPosition(int v) {
  position_ = std::clamp(v, min_, max_);
  UpdateThumb();
}

void TSkinTrackBar::SetPageSize(int v) {
  if (v >= 0 && v <= max_) page_size_ = v;
}

void TSkinTrackBar::SetLineSize(int v) {
  if (v >= 0 && v <= max_) line_size_ = v;
}

void TSkinTrackBar::SetOrientation(TSkinProgressBarOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  ReloadLook();
}

void TSkinTrackBar::SetShowTick(bool v) {
  show_tick_ = v;
  Invalidate();
}

void TSkinTrackBar::SetFrequency(int v) {
  frequency_ = v;
  Invalidate();
}

void TSkinTrackBar::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}

void TSkinTrackBar::SetBarImage(const TPicture* p) {
  bar_image_.Assign(p);
  ReloadLook();
}

void TSkinTrackBar::SetSliderImage(const TPicture* p) {
  thumb_->SetPicture(p);
  Invalidate();
}

void TSkinTrackBar::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinTrackBar::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  ReloadLook();
  if (s == TSkinUIStyle::MacOS) SetTransparent(true);
}

void TSkinTrackBar::Notification(TComponent* c, TOperation op) {
  TCustomPanel::Notification(c, op);
  if (look_.ThemeGone(c, op)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

bool TSkinTrackBar::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  return TCustomPanel::GetPublished(name, out);
}

bool TSkinTrackBar::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  return TCustomPanel::SetPublished(name, v);
}

// ---- look -----------------------------------------------------------------------------------

void TSkinTrackBar::ApplyLook() {
  if (HasOwnLook()) return;
  const TSkinUIStyle eff = look_.Effective();
  TBitmap slider;
  if (TSkinFileTheme* skin = look_.Skin()) {
    bar_image_.SetGraphic(skin->GetBitmap(Skin2Bitmap::TrackBar));
    slider.Assign(skin->GetBitmap(Horizontal() ? Skin2Bitmap::TrackBarSlider
                                               : Skin2Bitmap::TrackBarVSlider));
    // The skin marks the thumb's surroundings with its transparent colour; an opaque thumb
    // shows the form's colour there instead. A skin lacking either colour keeps the pixels.
    const auto trans = look_.SkinColor(Skin2Color::TransColor);
    const auto form = look_.SkinColor(Skin2Color::FormColor);
    if (!slider.Empty() && trans && form) ReplaceBitmapColor(slider, *trans, *form);
  } else {
    TBitmap bar;
    LoadStyleBitmap(StyleIndex(eff), StyleItem::TrackBarBar, &bar);
    bar_image_.SetGraphic(bar.Empty() ? nullptr : &bar);
    LoadStyleBitmap(StyleIndex(eff), Horizontal() ? StyleItem::TrackBarSlider : StyleItem::TrackBarSliderV,
                    &slider);
  }
  TPicture pic;
  if (!slider.Empty()) pic.SetGraphic(&slider);
  SetSliderImage(&pic);

  thumb_->SetTransparent(ThumbTransparent());
  FitThumb();
}

void TSkinTrackBar::BuildStrip() {
  // The bar picture three-sliced over the track length, drawn horizontally and turned for a
  // vertical bar. Also for a track without a look of its own, whose bar picture its owner
  // sets (or clears).
  const int length = TrackLength();
  auto* bar = dynamic_cast<TBitmap*>(bar_image_.Graphic());
  if (!bar || bar->Empty() || length <= 0) {
    bar_strip_.SetSize(0, 0);
    return;
  }
  bar_strip_.SetSize(length, bar->Height());
  bar_strip_.Canvas().Brush.Style = TBrushStyle::bsSolid;
  bar_strip_.Canvas().Brush.Color = Color();
  bar_strip_.Canvas().FillRect(RECT{0, 0, length, bar->Height()});
  DrawThreeSliceKeyed(*bar, bar_strip_.Canvas(), RECT{0, 0, length, bar->Height()}, true,
                      Color(), false);
  if (!Horizontal()) RotateBitmapLeft(bar_strip_);
}

void TSkinTrackBar::FitThumb() { thumb_->SetAutoSize(true); }

void TSkinTrackBar::FitToBar() {
  // A scroll bar's track is sized by the scroll bar around it.
  if (HasOwnLook()) return;
  const int bar = bar_image_.Height();
  if (Horizontal()) SetHeight(std::max(thumb_->Height(), bar));
  else SetWidth(std::max(thumb_->Width(), bar));
  Invalidate();
}

void TSkinTrackBar::ReloadLook() {
  if (reloading_) return;
  reloading_ = true;
  ApplyLook();
  FitToBar();
  BuildStrip();
  looked_width_ = Width();
  looked_height_ = Height();
  reloading_ = false;
  UpdateThumb();
  Invalidate();
}

void TSkinTrackBar::BoundsChanged() {
  TCustomPanel::BoundsChanged();
  if (Width() != looked_width_ || Height() != looked_height_) ReloadLook();
}

// ---- thumb ----------------------------------------------------------------------------------

void TSkinTrackBar::ThumbPlace() {
  const int tw = thumb_->Width(), th = thumb_->Height();
  int x, y;
  if (Horizontal()) {
    y = std::max(0, Height() - th) / 2;
    x = ThumbOffset(position_, min_, max_, Width(), tw);
  } else {
    x = std::max(0, Width() - tw) / 2;
    y = ThumbOffset(position_, min_, max_, Height(), th);
  }
  thumb_->SetBounds(x, y, tw, th);
}

void TSkinTrackBar::NotifyChange() {
  if (position_ == last_notified_) return;
  // Positions span 33 bits: the difference is reported clamped to 32.
  last_change_ = static_cast<int>(std::clamp<std::int64_t>(
      static_cast<std::int64_t>(position_) - last_notified_, INT_MIN, INT_MAX));
  last_notified_ = position_;
  if (OnChange) OnChange(this);
}

void TSkinTrackBar::UpdateThumb() {
  if (!thumb_) return;
  ThumbPlace();
  Invalidate();
  NotifyChange();
}

int TSkinTrackBar::PagingTarget(int x, int y) const {
  // A press beside the thumb has no grab point of its own: aim the thumb's middle at the
  // cursor, so that paging from either side stops with the thumb under it.
  const int along = Horizontal() ? x : y;
  const int len = ThumbLength();
  return skin::PositionAt(along, len / 2, TrackLength(), len, min_, max_);
}

// ---- painting -------------------------------------------------------------------------------

void TSkinTrackBar::Paint() {
  const int w = Width(), h = Height();
  TBitmap buffer(w, h);
  if (buffer.Empty()) return;
  TCanvas& c = buffer.Canvas();
  if (transparent_) {
    PaintParentBackground(c, this);
  } else {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = Color();
    c.FillRect(RECT{0, 0, w, h});
  }
  if (!bar_strip_.Empty()) {
    const int across = Horizontal() ? bar_strip_.Height() : bar_strip_.Width();
    if (Horizontal()) c.Draw(0, (h - across) / 2, &bar_strip_);
    else c.Draw((w - across) / 2, 0, &bar_strip_);
  }
  if (Focused() && TabStop()) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.DrawFocusRect(RECT{0, 0, w, h});
  }
  if (show_tick_ && min_ != max_) {
    c.Pen = TPen{};
    const int half = ThumbLength() / 2;
    for (int off : TickOffsets(min_, max_, frequency_, TrackLength(), ThumbLength())) {
      const int at = off + half;
      if (Horizontal()) {
        c.MoveTo(at, h - 3);
        c.LineTo(at, h);
      } else {
        c.MoveTo(0, at);
        c.LineTo(3, at);
        c.MoveTo(w - 3, at);
        c.LineTo(w, at);
      }
    }
  }
  BitBlt(Canvas().Handle(), 0, 0, w, h, c.Handle(), 0, 0, SRCCOPY);
}

void TSkinTrackBar::WMSetFocus(TMessage& m) {
  TCustomPanel::WMSetFocus(m);
  Invalidate();
}

void TSkinTrackBar::WMKillFocus(TMessage& m) {
  TCustomPanel::WMKillFocus(m);
  Invalidate();
}

void TSkinTrackBar::CMColorChanged(TMessage& m) {
  TCustomPanel::CMColorChanged(m);
  BuildStrip();  // the strip's keyed corners and middle show the colour
}

void TSkinTrackBar::CMFocusChanged(TMessage& m) {
  TCustomPanel::CMFocusChanged(m);
  Invalidate();
  m.Result = 0;  // every control hears of the change
}

// ---- keys and mouse -------------------------------------------------------------------------

void TSkinTrackBar::WMGetDlgCode(TMessage& m) {
  TCustomPanel::WMGetDlgCode(m);
  m.Result = DLGC_WANTARROWS;
}

void TSkinTrackBar::KeyDown(WORD& key, TShiftState shift) {
  TCustomPanel::KeyDown(key, shift);
  switch (key) {
    case VK_PRIOR: SetPosition(StepPosition(position_, -page_size_, min_, max_)); break;
    case VK_NEXT: SetPosition(StepPosition(position_, page_size_, min_, max_)); break;
    case VK_END: SetPosition(max_); break;
    case VK_HOME: SetPosition(min_); break;
    case VK_LEFT:
    case VK_UP: SetPosition(StepPosition(position_, -line_size_, min_, max_)); break;
    case VK_RIGHT:
    case VK_DOWN: SetPosition(StepPosition(position_, line_size_, min_, max_)); break;
    default: break;
  }
}

void TSkinTrackBar::StopPaging() {
  delete repeat_timer_;
  repeat_timer_ = nullptr;
}

void TSkinTrackBar::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  TCustomPanel::MouseDown(b, s, x, y);
  if (b != TMouseButton::mbLeft) return;
  const int along = Horizontal() ? x : y;
  const int edge = Horizontal() ? thumb_->Left() : thumb_->Top();
  const int target = PagingTarget(x, y);
  if (along > edge) SetPosition(std::min(target, PageTowards(position_, INT_MAX, page_size_)));
  else if (along < edge) SetPosition(std::max(target, PageTowards(position_, INT_MIN, page_size_)));
  // Held beside the thumb: the release and any move out of the control must come here,
  // wherever the mouse goes, to end the paging.
  if (HWND h = Handle()) SetCapture(h);
  if (!repeat_timer_) {
    repeat_timer_ = new TTimer(this);
    repeat_timer_->SetInterval(kPagingInterval);
    repeat_timer_->OnTimer = [this](TObject*) { PagingTick(); };
  }
  if (FocusOnPress() && CanFocus() && Enabled()) SetFocus();
}

void TSkinTrackBar::PagingTick() {
  if (!HandleAllocated()) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  ::ScreenToClient(handle_, &p);
  const int along = Horizontal() ? p.x : p.y;
  const int start = Horizontal() ? thumb_->Left() : thumb_->Top();
  const int end = start + ThumbLength();
  // A horizontal bar pages three times as fast as a vertical one.
  const int step = static_cast<int>(
      std::min<std::int64_t>(static_cast<std::int64_t>(page_size_) * (Horizontal() ? 3 : 1), INT_MAX));
  const int target = PagingTarget(p.x, p.y);
  if ((along >= end && target > position_) || (along < start && target < position_))
    SetPosition(PageTowards(position_, target, step));
}

void TSkinTrackBar::MouseMove(TShiftState s, int x, int y) {
  TCustomPanel::MouseMove(s, x, y);
  if (dragging_) {
    const int along = Horizontal() ? x : y;
    position_ = skin::PositionAt(along, grab_, TrackLength(), ThumbLength(), min_, max_);
    ThumbPlace();
    NotifyChange();
    return;
  }
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) StopPaging();
}

void TSkinTrackBar::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  TCustomPanel::MouseUp(b, s, x, y);
  StopPaging();
  dragging_ = false;
  if (HandleAllocated() && GetCapture() == handle_) ReleaseCapture();
}

void TSkinTrackBar::ThumbMouseDown(TMouseButton b, TShiftState s, int x, int y) {
  // The thumb is a window of its own and hears presses even when the track bar is disabled.
  if (!Enabled()) return;
  if (b == TMouseButton::mbLeft) {
    grab_ = Horizontal() ? x : y;
    dragging_ = true;
    if (FocusOnPress() && CanFocus() && Enabled()) SetFocus();
    // Moves and the release come to the track bar from here on, wherever the mouse goes.
    if (HWND h = Handle()) SetCapture(h);
  }
  if (OnMouseDown) OnMouseDown(this, b, s, x + thumb_->Left(), y + thumb_->Top());
}

void TSkinTrackBar::ThumbMouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, s, x + thumb_->Left(), y + thumb_->Top());
}

// ---- TSkinScrollTrackBar --------------------------------------------------------------------

TSkinScrollTrackBar::TSkinScrollTrackBar(TComponent* owner) : TSkinTrackBar(owner) {
  SetTabStop(false);
  Thumb()->SetTabStop(false);
  Thumb()->SetControlStyle(ControlStyle());
  // The track bar's constructor loaded the slider look before this class existed: a scroll
  // thumb gets its picture from the scroll bar instead.
  TPicture none;
  SetSliderImage(&none);
  BarImage().SetGraphic(nullptr);
  ReloadLook();
}

void TSkinScrollTrackBar::FitThumb() { Thumb()->SetAutoSize(true); }

}  // namespace skin
