// TImageList over plain GDI: keyed blits, and a greyed copy for disabled images.
#include "forms/ImageList.h"

namespace forms {

int TImageList::Add(const TBitmap& bitmap) { return AddImages(bitmap, false, 0); }

int TImageList::AddMasked(const TBitmap& bitmap, TColor mask) {
  return AddImages(bitmap, true, ColorToRGB(mask));
}

int TImageList::AddImages(const TBitmap& bitmap, bool masked, COLORREF mask) {
  if (width_ <= 0 || height_ <= 0 || bitmap.Empty()) return -1;
  int n = bitmap.Width() / width_;
  if (n == 0) return -1;
  int first = Count();
  for (int i = 0; i < n; ++i) {
    Image im;
    im.bits = std::make_unique<TBitmap>(width_, height_);
    im.masked = masked;
    im.mask = mask;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        im.bits->SetPixel(x, y, y < bitmap.Height() ? bitmap.GetPixel(i * width_ + x, y) : mask);
    images_.push_back(std::move(im));
  }
  return first;
}

bool TImageList::GetBitmap(int index, TBitmap& bitmap) const {
  if (index < 0 || index >= Count()) return false;
  bitmap.Assign(images_[index].bits.get());
  return true;
}

bool TImageList::Masked(int index, COLORREF* mask) const {
  if (index < 0 || index >= Count() || !images_[index].masked) return false;
  if (mask) *mask = images_[index].mask;
  return true;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  if (index < 0 || index >= Count()) return;
  const Image& im = images_[index];
  RECT dr{x, y, x + width_, y + height_};
  RECT sr{0, 0, width_, height_};
  if (enabled) {
    DrawBitmapPart(canvas.Handle(), dr, *im.bits, sr, im.masked, im.mask);
    return;
  }
  // Disabled: the image's shape in a light grey, lightened towards the face colour.
  TBitmap grey(width_, height_);
  for (int py = 0; py < height_; ++py)
    for (int px = 0; px < width_; ++px) {
      COLORREF c = static_cast<COLORREF>(im.bits->GetPixel(px, py));
      if (im.masked && c == im.mask) {
        grey.SetPixel(px, py, static_cast<TColor>(im.mask));
        continue;
      }
      int lum = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
      int g = 128 + lum / 2;
      COLORREF gc = RGB(g, g, g);
      if (im.masked && gc == im.mask) gc = RGB(g, g, g - 1);
      grey.SetPixel(px, py, static_cast<TColor>(gc));
    }
  DrawBitmapPart(canvas.Handle(), dr, grey, sr, im.masked, im.mask);
}

}  // namespace forms
