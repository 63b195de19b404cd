// TImage: a windowless control showing a TPicture as it is, stretched to fill, shrunk or
// grown keeping its proportions, centred, and with its transparent colour left out.
#pragma once

#include <memory>

#include "forms/GraphicControl.h"
#include "forms/Picture.h"

namespace forms {

// Where a picture of `pw` x `ph` goes in a box of `bw` x `bh`: Stretch fills the box (with
// Proportional, as large as fits keeping the proportions); Proportional alone only shrinks a
// picture larger than the box; Center centres what is left over. Plain geometry for tests.
RECT ImageDestRect(int pw, int ph, int bw, int bh, bool stretch, bool proportional, bool center);

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  const char* ClassName() const override { return "TImage"; }

  TPicture& Picture() { return *picture_; }
  void SetPicture(const TPicture* p) { picture_->Assign(p); }
  // With AutoSize the control takes the picture's size whenever the picture changes.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  RECT DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged();
  std::unique_ptr<TPicture> picture_;
  bool auto_size_ = false;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

}  // namespace forms
