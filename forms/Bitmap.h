// TBitmap: a 32-bit top-down DIB section with its own memory DC and canvas, so that pixels can
// be read directly and GDI can draw into it. Loads BMP data from resources and streams.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "forms/Canvas.h"
#include "forms/Graphic.h"

namespace forms {

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int w) { SetSize(w, height_); }
  void SetHeight(int h) { SetSize(width_, h); }
  // Resizes keeping the overlapping top-left pixels; new pixels are white.
  void SetSize(int w, int h);

  TCanvas& Canvas() { return canvas_; }
  HBITMAP Handle() const { return bitmap_; }

  void Draw(TCanvas& canvas, const RECT& r) override;
  void Assign(const TGraphic* source) override;

  // The colour left out when Transparent is set: the bottom-left pixel unless set explicitly.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c);

  // Direct pixel access as TColor ($BBGGRR); out-of-range reads give clNone.
  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);
  // Resizes to w x h and takes its pixels in one copy from `rrggbb` (0x00RRGGBB, w * h of
  // them, first row at the top). False (bitmap emptied) when the system cannot make one.
  bool SetPixels(int w, int h, const std::uint32_t* rrggbb);

  // Loads an RT_BITMAP resource; false (bitmap unchanged) when there is none by that name.
  bool LoadFromResourceName(HINSTANCE module, const char* name);
  // Loads a BMP file image (file header first); false (bitmap unchanged) when malformed.
  bool LoadFromStream(std::span<const std::uint8_t> data);
  // A 24-bit BMP file image of the bitmap.
  std::vector<std::uint8_t> SaveToStream() const;

 private:
  void Reallocate(int w, int h);
  class TBitmapCanvas : public TCanvas {
   public:
    explicit TBitmapCanvas(TBitmap* owner) : owner_(owner) {}
   private:
    HDC AcquireHandle() override;
    TBitmap* owner_;
  };
  friend class TBitmapCanvas;

  int width_ = 0;
  int height_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  bool has_transparent_color_ = false;
  TColor transparent_color_ = clFuchsia;
  TBitmapCanvas canvas_{this};
};

// Draws `src` (a part of a bitmap) into a DC, leaving out pixels of `key` when keyed.
void DrawBitmapPart(HDC dst, const RECT& dr, const TBitmap& src, const RECT& sr, bool keyed,
                    COLORREF key);

}  // namespace forms
