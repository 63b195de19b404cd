// TImageList: equal-sized images cut from bitmaps, each drawn whole, keyed by a mask colour
// or not, and greyed for a disabled look. A component, so that an action list that shows its
// images hears when it goes; drawing code also makes short-lived ones without an owner.
#pragma once

#include <memory>
#include <vector>

#include "forms/Bitmap.h"
#include "forms/Component.h"

namespace forms {

class TImageList : public TComponent {
 public:
  TImageList(int width, int height) : TImageList(nullptr, width, height) {}
  TImageList(TComponent* owner, int width, int height)
      : TComponent(owner), width_(width), height_(height) {}
  const char* ClassName() const override { return "TImageList"; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }

  // Cuts `bitmap` into images of the list's width (the last partial one is dropped, as the
  // system's image lists do); returns the index of the first or -1.
  int Add(const TBitmap& bitmap);
  int AddMasked(const TBitmap& bitmap, TColor mask);
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
  // Copies image `index` into `bitmap` (with the mask colour where masked).
  bool GetBitmap(int index, TBitmap& bitmap) const;
  // True when image `index` was added keyed; its key colour in `mask`.
  bool Masked(int index, COLORREF* mask) const;

 private:
  struct Image {
    std::unique_ptr<TBitmap> bits;
    bool masked = false;
    COLORREF mask = 0;
  };
  int AddImages(const TBitmap& bitmap, bool masked, COLORREF mask);
  int width_;
  int height_;
  std::vector<Image> images_;
};

}  // namespace forms
