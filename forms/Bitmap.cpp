// TBitmap: DIB-section storage, keyed drawing and BMP loading with bounds checks (resource
// and stream data are untrusted as far as this code is concerned).
#include "forms/Bitmap.h"

#include <algorithm>
#include <cstring>

namespace forms {

namespace {

COLORREF PixelToColor(std::uint32_t p) {
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::uint32_t ColorToPixel(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

std::uint32_t ReadLe32(std::span<const std::uint8_t> d, size_t at) {
  return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<std::uint32_t>(d[at + 3]) << 24);
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap() {
  // The canvas outlives this body: it gives the DC its objects back while the DC exists.
  canvas_.ReleaseHandle();
  if (dc_) {
    SelectObject(dc_, old_bitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

HDC TBitmap::TBitmapCanvas::AcquireHandle() {
  // An empty bitmap still gets a DC, so that text can be measured on its canvas.
  if (!owner_->dc_) {
    owner_->dc_ = CreateCompatibleDC(nullptr);
    if (owner_->bitmap_) owner_->old_bitmap_ = SelectObject(owner_->dc_, owner_->bitmap_);
  }
  return owner_->dc_;
}

void TBitmap::Reallocate(int w, int h) {
  HBITMAP nb = nullptr;
  std::uint32_t* nbits = nullptr;
  if (w > 0 && h > 0) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    nb = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    if (!nb) { w = 0; h = 0; }
    nbits = static_cast<std::uint32_t*>(p);
    if (nbits) std::fill(nbits, nbits + static_cast<size_t>(w) * h, 0xFFFFFFu);
  } else {
    w = 0; h = 0;
  }
  if (nbits && bits_) {
    GdiFlush();
    int cw = std::min(w, width_), ch = std::min(h, height_);
    for (int y = 0; y < ch; ++y)
      std::memcpy(nbits + static_cast<size_t>(y) * w, bits_ + static_cast<size_t>(y) * width_,
                  static_cast<size_t>(cw) * 4);
  }
  Canvas().Handle();  // make sure the DC exists
  if (old_bitmap_) {
    SelectObject(dc_, old_bitmap_);
    old_bitmap_ = nullptr;
  }
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nb;
  bits_ = nbits;
  width_ = w;
  height_ = h;
  if (bitmap_) old_bitmap_ = SelectObject(dc_, bitmap_);
}

void TBitmap::SetSize(int w, int h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == width_ && h == height_) return;
  Reallocate(w, h);
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (has_transparent_color_) return transparent_color_;
  return height_ > 0 ? GetPixel(0, height_ - 1) : clFuchsia;
}

void TBitmap::SetTransparentColor(TColor c) {
  has_transparent_color_ = true;
  transparent_color_ = c;
  Changed();
}

TColor TBitmap::GetPixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  GdiFlush();
  return static_cast<TColor>(PixelToColor(bits_[static_cast<size_t>(y) * width_ + x]));
}

void TBitmap::SetPixel(int x, int y, TColor c) {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  bits_[static_cast<size_t>(y) * width_ + x] = ColorToPixel(ColorToRGB(c));
}

bool TBitmap::SetPixels(int w, int h, const std::uint32_t* rrggbb) {
  Reallocate(w, h);
  if (!bits_ || width_ != w || height_ != h) {
    Reallocate(0, 0);
    Changed();
    return false;
  }
  GdiFlush();
  std::memcpy(bits_, rrggbb, static_cast<size_t>(w) * h * 4);
  Changed();
  return true;
}

void DrawBitmapPart(HDC dst, const RECT& dr, const TBitmap& src, const RECT& sr, bool keyed,
                    COLORREF key) {
  int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !src.Handle()) return;
  HDC sdc = const_cast<TBitmap&>(src).Canvas().Handle();
  if (keyed) {
    TransparentBlt(dst, dr.left, dr.top, dw, dh, sdc, sr.left, sr.top, sw, sh, key);
  } else if (dw == sw && dh == sh) {
    BitBlt(dst, dr.left, dr.top, dw, dh, sdc, sr.left, sr.top, SRCCOPY);
  } else {
    int old = SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, dr.left, dr.top, dw, dh, sdc, sr.left, sr.top, sw, sh, SRCCOPY);
    SetStretchBltMode(dst, old);
  }
}

void TBitmap::Draw(TCanvas& canvas, const RECT& r) {
  if (Empty()) return;
  DrawBitmapPart(canvas.Handle(), r, *this, RECT{0, 0, width_, height_}, Transparent(),
                 ColorToRGB(TransparentColor()));
}

void TBitmap::Assign(const TGraphic* source) {
  if (source == this) return;
  auto* b = dynamic_cast<const TBitmap*>(source);
  if (!b || b->Empty()) {
    Reallocate(0, 0);
  } else {
    Reallocate(b->width_, b->height_);
    GdiFlush();
    if (bits_)
      std::memcpy(bits_, b->bits_, static_cast<size_t>(width_) * height_ * 4);
  }
  if (b) {
    transparent_ = b->transparent_;
    has_transparent_color_ = b->has_transparent_color_;
    transparent_color_ = b->transparent_color_;
  }
  Changed();
}

bool TBitmap::LoadFromResourceName(HINSTANCE module, const char* name) {
  HRSRC res = FindResourceA(module, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!res) return false;
  HGLOBAL g = LoadResource(module, res);
  DWORD size = SizeofResource(module, res);
  auto* p = static_cast<const std::uint8_t*>(g ? LockResource(g) : nullptr);
  if (!p || size < 14) return false;
  // A resource holds the packed DIB without the file header; give it one for the common path.
  std::vector<std::uint8_t> file(14 + size);
  std::memcpy(file.data() + 14, p, size);
  file[0] = 'B';
  file[1] = 'M';
  std::uint32_t total = static_cast<std::uint32_t>(file.size());
  std::memcpy(file.data() + 2, &total, 4);
  // Bits follow the header and the colour table.
  std::span<const std::uint8_t> dib(p, size);
  std::uint32_t hsize = ReadLe32(dib, 0);
  if (hsize < 40 || hsize > size) return false;
  std::uint16_t bpp = dib[14] | (dib[15] << 8);
  std::uint32_t used = hsize >= 36 ? ReadLe32(dib, 32) : 0;
  std::uint32_t compression = ReadLe32(dib, 16);
  std::uint32_t colors = used ? used : (bpp <= 8 ? (1u << bpp) : 0);
  std::uint32_t masks = (compression == BI_BITFIELDS && hsize == 40) ? 12 : 0;
  std::uint32_t off = 14 + hsize + masks + colors * 4;
  std::memcpy(file.data() + 10, &off, 4);
  return LoadFromStream(file);
}

bool TBitmap::LoadFromStream(std::span<const std::uint8_t> d) {
  if (d.size() < 14 + 40 || d[0] != 'B' || d[1] != 'M') return false;
  std::uint32_t off = ReadLe32(d, 10);
  std::uint32_t hsize = ReadLe32(d, 14);
  if (hsize < 40 || hsize > d.size() - 14) return false;
  auto w = static_cast<std::int32_t>(ReadLe32(d, 18));
  auto h = static_cast<std::int32_t>(ReadLe32(d, 22));
  std::uint16_t planes = d[26] | (d[27] << 8);
  std::uint16_t bpp = d[28] | (d[29] << 8);
  std::uint32_t compression = ReadLe32(d, 30);
  std::uint32_t used = ReadLe32(d, 46);
  if (planes != 1 || w <= 0 || h == 0 || h == INT32_MIN || w > 32768) return false;
  std::int64_t ah = h < 0 ? -static_cast<std::int64_t>(h) : h;
  if (ah > 32768) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
    return false;
  if (bpp <= 8 && used > (1u << bpp)) return false;
  std::uint64_t colors = bpp <= 8 ? (used ? used : (1u << bpp)) : 0;
  std::uint64_t masks = (compression == BI_BITFIELDS && hsize == 40) ? 12 : 0;
  std::uint64_t need_header = 14 + static_cast<std::uint64_t>(hsize) + masks + colors * 4;
  std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
  std::uint64_t need_bits = stride * static_cast<std::uint64_t>(ah);
  if (need_header > d.size() || off < need_header || off > d.size() ||
      need_bits > d.size() - off)
    return false;

  // GDI converts every uncompressed format into our 32-bit layout.
  std::vector<std::uint8_t> info(d.begin() + 14, d.begin() + static_cast<long>(need_header));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  Reallocate(w, static_cast<int>(ah));
  if (!bits_) return false;
  SetDIBitsToDevice(Canvas().Handle(), 0, 0, w, static_cast<DWORD>(ah), 0, 0, 0,
                    static_cast<UINT>(ah), d.data() + off, bi, DIB_RGB_COLORS);
  GdiFlush();
  for (size_t i = 0; i < static_cast<size_t>(w) * ah; ++i) bits_[i] &= 0xFFFFFFu;
  Changed();
  return true;
}

std::vector<std::uint8_t> TBitmap::SaveToStream() const {
  std::uint32_t stride = ((static_cast<std::uint32_t>(width_) * 3 + 3) / 4) * 4;
  std::uint32_t bits = stride * height_;
  std::vector<std::uint8_t> out(54 + bits, 0);
  auto put32 = [&](size_t at, std::uint32_t v) { std::memcpy(out.data() + at, &v, 4); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width_));
  put32(22, static_cast<std::uint32_t>(height_));
  out[26] = 1;
  out[28] = 24;
  put32(34, bits);
  GdiFlush();
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* row = out.data() + 54 + static_cast<size_t>(height_ - 1 - y) * stride;
    for (int x = 0; x < width_; ++x) {
      std::uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];
      row[x * 3] = p & 0xFF;
      row[x * 3 + 1] = (p >> 8) & 0xFF;
      row[x * 3 + 2] = (p >> 16) & 0xFF;
    }
  }
  return out;
}

}  // namespace forms
