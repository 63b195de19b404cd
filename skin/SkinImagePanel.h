// The image panel: a panel showing a picture as it is, stretched or tiled, optionally over
// its parent's background, with a one-line caption. Banners, backgrounds and track-bar thumbs.
#pragma once

#include "forms/Forms.h"

namespace skin {

enum class TSkinDrawStyle { skNormal, skStretch, skTile };

class TSkinCustomPanel : public forms::TCustomPanel {
 public:
  explicit TSkinCustomPanel(forms::TComponent* owner);
  ~TSkinCustomPanel() override;
  const char* ClassName() const override { return "TSkinCustomPanel"; }

  forms::TPicture& Picture() { return *picture_; }
  void SetPicture(const forms::TPicture* p);
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool v);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TSkinDrawStyle DrawStyle() const { return draw_style_; }
  void SetDrawStyle(TSkinDrawStyle s);
  const RECT& CaptionRect() const { return caption_rect_; }

 protected:
  virtual void FillBackground();
  virtual void CaptionChanged(const RECT& captionRect) {}
  virtual void PictureChanged();
  void Paint() override;
  void BoundsChanged() override;
  void CMTextChanged(forms::TMessage& m) override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }

 private:
  void ApplyAutoSize();
  forms::TPicture* picture_;
  bool transparent_ = false;
  bool auto_size_ = false;
  TSkinDrawStyle draw_style_ = TSkinDrawStyle::skNormal;
  RECT caption_rect_{0, 0, 0, 0};
};

class TSkinImagePanel : public TSkinCustomPanel {
 public:
  explicit TSkinImagePanel(forms::TComponent* owner) : TSkinCustomPanel(owner) {
    SetTabStop(false);
  }
  const char* ClassName() const override { return "TSkinImagePanel"; }
};

}  // namespace skin
