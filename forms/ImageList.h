// TImageList: equal-sized images cut from bitmaps, each drawn whole, keyed by a mask colour
// or not, and greyed for a disabled look.
#pragma once

#include <memory>
#include <vector>

#include "forms/Bitmap.h"

namespace forms {

class TImageList : public TObject {
 public:
  TImageList(int width, int height) : width_(width), height_(height) {}

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
