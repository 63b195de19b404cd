// CreateSystemImageList: each image through a fresh DIB section (the TImageList's own bitmaps
// stay selected in their memory DCs), keyed images with their key colour as the mask.
#include "forms/SystemImageList.h"

namespace forms {

HIMAGELIST CreateSystemImageList(const TImageList& images) {
  int w = images.Width(), h = images.Height();
  if (w <= 0 || h <= 0 || images.Count() == 0) return nullptr;
  HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR24 | ILC_MASK, images.Count(), 4);
  if (!list) return nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  for (int i = 0; i < images.Count(); ++i) {
    TBitmap image;
    images.GetBitmap(i, image);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy) continue;
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        auto c = static_cast<COLORREF>(image.GetPixel(x, y));
        px[y * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
    COLORREF mask = 0;
    if (images.Masked(i, &mask)) ImageList_AddMasked(list, copy, mask);
    else ImageList_Add(list, copy, nullptr);
    DeleteObject(copy);
  }
  return list;
}

}  // namespace forms
