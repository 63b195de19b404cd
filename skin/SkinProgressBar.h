// TSkinProgressBar: the bar of the scan and save progress windows. It paints either four skin
// pieces (left cap, filled part, empty part, right cap) from a skin archive, or a built-in
// fill picture stretched over the filled part inside a one-pixel border, with a centred
// percentage caption. The front end drives it only through Position.
#pragma once

#include <memory>

#include "forms/Forms.h"
#include "skin/SkinLook.h"

namespace skin {

enum class TSkinProgressBarOrientation { skHorizontal, skVertical };

class TSkinProgressBar : public forms::TCustomPanel {
 public:
  explicit TSkinProgressBar(forms::TComponent* owner);
  ~TSkinProgressBar() override;
  const char* ClassName() const override { return "TSkinProgressBar"; }

  // Published, in the order a form resource sets them.
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  forms::TColor CaptionColor() const { return caption_color_; }
  void SetCaptionColor(forms::TColor c);
  bool ShowCaption() const { return show_caption_; }
  void SetShowCaption(bool v);
  bool SmartShowCaption() const { return smart_show_caption_; }
  void SetSmartShowCaption(bool v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Min() const { return min_; }
  void SetMin(int v);
  // Never clamped: a position outside Min..Max shows its percentage below 0 or above 100.
  int Position() const { return position_; }
  void SetPosition(int v);
  TSkinProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TSkinProgressBarOrientation o);
  bool Horizontal() const { return orientation_ == TSkinProgressBarOrientation::skHorizontal; }
  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c);
  // Color is the control's own (TControl::SetColor); the look sets it too.
  forms::TPicture& Picture() { return picture_; }
  void SetPicture(const forms::TPicture* p);

  // The three skin pieces beside Picture; nil until a skin look was applied.
  const forms::TBitmap* LeftCap() const { return left_cap_.get(); }
  const forms::TBitmap* EmptyPart() const { return empty_part_.get(); }
  const forms::TBitmap* RightCap() const { return right_cap_.get(); }
  // Whether the last paint took the skin pieces (else the built-in look).
  bool PaintsSkinPieces() const;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Notification(forms::TComponent* c, forms::TOperation op) override;
  void Paint() override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }

 private:
  void ApplyLook();
  void UpdateCaption();
  void Redraw();
  void PaintSkin(forms::TCanvas& c, int w, int h);
  void PaintBuiltIn(forms::TCanvas& c, int w, int h);

  TSkinLook look_;
  forms::TColor caption_color_ = forms::clBlack;
  bool show_caption_ = true;
  bool smart_show_caption_ = false;
  int min_ = 0, max_ = 100, position_ = 50;
  TSkinProgressBarOrientation orientation_ = TSkinProgressBarOrientation::skHorizontal;
  forms::TColor border_color_ = forms::clBlack;
  forms::TPicture picture_;
  std::unique_ptr<forms::TBitmap> left_cap_, empty_part_, right_cap_;
  bool constructed_ = false;
};

}  // namespace skin
