// The skinned slider: TSkinTrackBar draws a bar strip across itself and moves a thumb (an
// image panel child) along it, with tick marks, keys, paging while the mouse is held beside
// the thumb, and dragging. TSkinScrollTrackBar is the same control stripped down to be the
// track and thumb of the skinned scroll bars: no ticks, no focus, no look of its own.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinLook.h"
#include "skin/SkinProgressBar.h"
#include "skin/SkinThemes.h"

namespace skin {

class TSkinTrackBar : public forms::TCustomPanel {
 public:
  explicit TSkinTrackBar(forms::TComponent* owner);
  ~TSkinTrackBar() override;
  const char* ClassName() const override { return "TSkinTrackBar"; }

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int PageSize() const { return page_size_; }
  void SetPageSize(int v);
  int LineSize() const { return line_size_; }
  void SetLineSize(int v);
  TSkinProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TSkinProgressBarOrientation o);
  bool Horizontal() const { return orientation_ == TSkinProgressBarOrientation::skHorizontal; }
  bool ShowTick() const { return show_tick_; }
  void SetShowTick(bool v);
  int Frequency() const { return frequency_; }
  void SetFrequency(int v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  forms::TPicture& BarImage() { return bar_image_; }
  void SetBarImage(const forms::TPicture* p);
  forms::TPicture& SliderImage() { return thumb_->Picture(); }
  virtual void SetSliderImage(const forms::TPicture* p);
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  int LastChange() const { return last_change_; }

  forms::TNotifyEvent OnChange;

  // Moves the thumb to its place, repaints and reports a position change.
  void UpdateThumb();
  // Loads the look again for the current size and orientation.
  void ReloadLook();

  // What the tests (and the scroll bars) look at.
  TSkinImagePanel* Thumb() const { return thumb_; }
  const forms::TBitmap& BarStrip() const { return bar_strip_; }
  bool Dragging() const { return dragging_; }
  bool Paging() const { return repeat_timer_ != nullptr; }
  // The position a point of the track's client area means for a press beside the thumb.
  int PagingTarget(int x, int y) const;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  virtual void ApplyLook();
  virtual bool HasOwnLook() const { return false; }
  virtual bool FocusOnPress() const { return true; }
  virtual bool ThumbTransparent() const { return Horizontal(); }
  // Sizes the thumb to its picture.
  virtual void FitThumb();

  void Notification(forms::TComponent* c, forms::TOperation op) override;
  void Paint() override;
  void BoundsChanged() override;
  void MouseDown(forms::TMouseButton b, forms::TShiftState s, int x, int y) override;
  void MouseMove(forms::TShiftState s, int x, int y) override;
  void MouseUp(forms::TMouseButton b, forms::TShiftState s, int x, int y) override;
  void KeyDown(WORD& key, forms::TShiftState shift) override;
  void WMGetDlgCode(forms::TMessage& m) override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }
  void WMSetFocus(forms::TMessage& m) override;
  void WMKillFocus(forms::TMessage& m) override;
  void CMFocusChanged(forms::TMessage& m) override;
  void CMColorChanged(forms::TMessage& m) override;

 private:
  void FitToBar();
  void BuildStrip();
  void ThumbPlace();
  void StopPaging();
  void PagingTick();
  void NotifyChange();
  void ThumbMouseDown(forms::TMouseButton b, forms::TShiftState s, int x, int y);
  void ThumbMouseUp(forms::TMouseButton b, forms::TShiftState s, int x, int y);
  int TrackLength() const { return Horizontal() ? Width() : Height(); }
  int ThumbLength() const { return Horizontal() ? thumb_->Width() : thumb_->Height(); }

  int min_ = 0, max_ = 10, position_ = 0;
  int page_size_ = 2, line_size_ = 1;
  TSkinProgressBarOrientation orientation_ = TSkinProgressBarOrientation::skHorizontal;
  bool show_tick_ = true;
  int frequency_ = 1;
  bool transparent_ = false;
  forms::TPicture bar_image_;
  forms::TBitmap bar_strip_;
  TSkinImagePanel* thumb_ = nullptr;
  forms::TTimer* repeat_timer_ = nullptr;
  bool dragging_ = false;
  int grab_ = 0;
  int last_notified_ = 0;
  int last_change_ = 0;
  TSkinLook look_;
  bool reloading_ = false;
  int looked_width_ = -1, looked_height_ = -1;
};

class TSkinScrollTrackBar : public TSkinTrackBar {
 public:
  explicit TSkinScrollTrackBar(forms::TComponent* owner);
  const char* ClassName() const override { return "TSkinScrollTrackBar"; }
  void FitThumb() override;

 protected:
  bool HasOwnLook() const override { return true; }
  bool FocusOnPress() const override { return false; }
  bool ThumbTransparent() const override { return false; }
};

}  // namespace skin
