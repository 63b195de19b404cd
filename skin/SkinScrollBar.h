// The skinned scroll bar: a panel with two line buttons (image buttons that step by
// SmallChange every 100 ms while held) and a scroll track between them, whose thumb picture
// is put together from a start cap, a middle and an end cap of the skin or built-in style
// and whose length follows LineButton or PageSize. TSkinCustomScrollBar holds all of it;
// TSkinScrollBar (here) and TQzScrollBar (QzScrollBar.h) are its two published forms.
#pragma once

#include <cstdint>

#include "forms/Forms.h"
#include "skin/SkinButton.h"
#include "skin/SkinTrackBar.h"

namespace skin {

// A scroll message carries the thumb position in 16 bits; this reads the full 32-bit one
// (the tracking position) from the scroll bar `bar` (SB_HORZ, SB_VERT, or SB_CTL with the
// scroll bar control as `wnd`). Only when the system cannot tell, the message's 16 bits.
int ScrollMessageThumbPosition(HWND wnd, int bar, WPARAM wParam);

class TSkinCustomScrollBar : public forms::TCustomPanel {
 public:
  explicit TSkinCustomScrollBar(forms::TComponent* owner);
  ~TSkinCustomScrollBar() override;
  const char* ClassName() const override { return "TSkinCustomScrollBar"; }

  int Min() const { return track_->Min(); }
  void SetMin(int v) { track_->SetMin(v); }
  int Max() const { return track_->Max(); }
  void SetMax(int v) { track_->SetMax(v); }
  int Position() const { return track_->Position(); }
  void SetPosition(int v);
  int PageSize() const { return track_->PageSize(); }
  void SetPageSize(int v);
  // The track's page size seen as the 16-bit scroll increment it is published as.
  std::int16_t LargeChange() const { return static_cast<std::int16_t>(track_->PageSize()); }
  void SetLargeChange(std::int16_t v) { track_->SetPageSize(v); }
  // 1 .. 32767, the range of a scroll increment.
  int SmallChange() const { return small_change_; }
  void SetSmallChange(int v);
  int LineButton() const { return line_button_; }
  void SetLineButton(int v);
  TSkinProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TSkinProgressBarOrientation o);
  bool Horizontal() const { return orientation_ == TSkinProgressBarOrientation::skHorizontal; }
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  // The track's change event (set and read through the track).
  forms::TNotifyEvent& OnChange() { return track_->OnChange; }

  // Lays out buttons and track for the current size and rebuilds the thumb.
  void ArrangeParts();
  void LoadPictures();
  void BuildThumb();

  TSkinScrollTrackBar* Track() const { return track_; }
  TSkinImageButton* FirstButton() const { return first_; }
  TSkinImageButton* SecondButton() const { return second_; }

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Notification(forms::TComponent* c, forms::TOperation op) override;
  void BoundsChanged() override;
  void CMVisibleChanged(forms::TMessage& m) override;
  void CMColorChanged(forms::TMessage& m) override;
  void CMEnabledChanged(forms::TMessage& m) override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }

 private:
  void Step(int direction);
  int TrackLength() const;

  TSkinScrollTrackBar* track_ = nullptr;
  TSkinImageButton* first_ = nullptr;
  TSkinImageButton* second_ = nullptr;
  bool line_stepped_ = false;  // the line button's current press has stepped already
  forms::TBitmap parts_[3];  // start cap, middle, end cap, already turned for the orientation
  bool skin_parts_ = false;  // the parts came from a skin (its middle is a grip)
  TSkinLook look_;
  TSkinProgressBarOrientation orientation_ = TSkinProgressBarOrientation::skHorizontal;
  int small_change_ = 1;
  int line_button_ = 0;
  bool arranging_ = false;
};

class TSkinScrollBar : public TSkinCustomScrollBar {
 public:
  explicit TSkinScrollBar(forms::TComponent* owner) : TSkinCustomScrollBar(owner) {}
  const char* ClassName() const override { return "TSkinScrollBar"; }
  int LastChange() const { return Track()->LastChange(); }
};

}  // namespace skin
