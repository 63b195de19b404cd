// TGraphic: what a picture holds and a canvas can draw (here only bitmaps).
#pragma once

#include "forms/Types.h"

namespace forms {

class TCanvas;

class TGraphic : public TObject {
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool v) {
    if (v != transparent_) { transparent_ = v; Changed(); }
  }
  // Draws the whole graphic stretched into `r` of the canvas.
  virtual void Draw(TCanvas& canvas, const RECT& r) = 0;
  virtual void Assign(const TGraphic* source) = 0;

  TNotifyEvent OnChange;

 protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  bool transparent_ = false;
};

}  // namespace forms
