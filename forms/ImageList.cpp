// TImageList over plain GDI (keyed blits, and a greyed copy for disabled images), or over the
// shell's shared system image list, which comctl32 draws.
#include "forms/ImageList.h"

#include <shellapi.h>

namespace forms {

namespace {

// A device-dependent copy of `b` that is selected into no DC.
HBITMAP PlainBitmapOf(const TBitmap& b) {
  int w = b.Width(), h = b.Height();
  std::vector<std::uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = ColorToRGB(b.GetPixel(x, y));
      px[static_cast<size_t>(y) * w + x] =
          (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HBITMAP hb = CreateDIBitmap(screen, &bi.bmiHeader, CBM_INIT, px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return hb;
}

}  // namespace

TImageList::~TImageList() { DropHandle(); }

void TImageList::DropHandle() {
  // The system list belongs to the shell and to every other user of it.
  if (handle_ && !system_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TImageList::Changed() {
  if (!system_) DropHandle();
  if (OnChange) OnChange(this);
}

int TImageList::Count() const {
  if (system_) return handle_ ? ImageList_GetImageCount(handle_) : 0;
  return static_cast<int>(images_.size());
}

bool TImageList::UseSystemSmallIcons() {
  SHFILEINFOA info{};
  auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (!list) return false;
  DropHandle();
  images_.clear();
  system_ = true;
  handle_ = list;
  int w = 0, h = 0;
  if (ImageList_GetIconSize(list, &w, &h)) {
    width_ = w;
    height_ = h;
  }
  if (OnChange) OnChange(this);
  return true;
}

int TImageList::SystemIconIndex(const std::string& path, DWORD attributes) {
  SHFILEINFOA info{};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  if (attributes) flags |= SHGFI_USEFILEATTRIBUTES;
  if (!SHGetFileInfoA(path.c_str(), attributes, &info, sizeof(info), flags)) return -1;
  return info.iIcon;
}

HIMAGELIST TImageList::Handle() {
  if (handle_ || system_) return handle_;
  handle_ = CreateCopy();
  return handle_;
}

HIMAGELIST TImageList::CreateCopy() const {
  if (system_ || width_ <= 0 || height_ <= 0 || images_.empty()) return nullptr;
  HIMAGELIST list = ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, Count(), 4);
  if (!list) return nullptr;
  for (const Image& im : images_) {
    // ImageList_Add* read the bitmap through a DC of their own, so it must not be selected
    // anywhere: the image's own bitmap is (in its memory DC), hence a fresh copy of the pixels.
    HBITMAP hb = PlainBitmapOf(*im.bits);
    if (im.masked) ImageList_AddMasked(list, hb, im.mask);
    else ImageList_Add(list, hb, nullptr);
    if (hb) DeleteObject(hb);
  }
  return list;
}

HIMAGELIST ViewImageList(const TImageList* images, HIMAGELIST* owned) {
  *owned = nullptr;
  if (!images) return nullptr;
  if (images->IsSystemList()) return const_cast<TImageList*>(images)->Handle();
  *owned = images->CreateCopy();
  return *owned;
}

int TImageList::Add(const TBitmap& bitmap) { return AddImages(bitmap, false, 0); }

int TImageList::AddMasked(const TBitmap& bitmap, TColor mask) {
  return AddImages(bitmap, true, ColorToRGB(mask));
}

int TImageList::AddImages(const TBitmap& bitmap, bool masked, COLORREF mask) {
  if (system_ || width_ <= 0 || height_ <= 0 || bitmap.Empty()) return -1;
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
  Changed();
  return first;
}

bool TImageList::GetBitmap(int index, TBitmap& bitmap) const {
  if (system_ || index < 0 || index >= Count()) return false;
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
  if (system_) {
    ImageList_DrawEx(handle_, index, canvas.Handle(), x, y, 0, 0, CLR_NONE, CLR_DEFAULT,
                     enabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND50));
    return;
  }
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
