// TCanvas: drawing on a device context with a current brush, pen and font. The DC belongs to
// whoever hands it over (a bitmap's memory DC, a paint DC, a control's window DC); the canvas
// selects its own font, pen and brush into it as drawing needs them and puts the DC's
// originals back when it lets the DC go (ReleaseHandle, SetHandle, destruction).
#pragma once

#include <string>
#include <vector>

#include "forms/Font.h"
#include "forms/Types.h"

namespace forms {

class TGraphic;

enum class TBrushStyle { bsSolid, bsClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

enum class TPenStyle { psSolid, psDash, psDot, psClear };

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
};

class TCanvas : public TObject {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() { return dc_ ? dc_ : (dc_ = AcquireHandle()); }
  // Takes another DC (or none); the one held so far gets its own objects back first.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }
  // Puts the DC's own font, pen and brush back and forgets the DC (it is not released: it
  // belongs to whoever handed it over).
  void ReleaseHandle() { SetHandle(nullptr); }

  TBrush Brush;
  TPen Pen;
  TFont& Font() { return font_; }

  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void DrawFocusRect(const RECT& r);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Outlined with the pen and filled with the brush (not filled when the brush is clear).
  void Rectangle(int left, int top, int right, int bottom);
  void RoundRect(int left, int top, int right, int bottom, int w, int h);
  void Ellipse(int left, int top, int right, int bottom);
  void Polygon(const std::vector<POINT>& points);
  void Polyline(const std::vector<POINT>& points);
  // The arc of the ellipse in the box, counter-clockwise from the first radial to the second.
  void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
  void TextOut(int x, int y, const std::string& text);
  // DrawTextA with the canvas font and brush mode; returns DrawText's height.
  int DrawText(const std::string& text, RECT& r, UINT format);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  void Draw(int x, int y, TGraphic* g);
  void StretchDraw(const RECT& r, TGraphic* g);
  // StretchBlt of a part of another canvas (COLORONCOLOR, SRCCOPY).
  void CopyRect(const RECT& dst, TCanvas& src, const RECT& srcRect);
  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor c);

 protected:
  virtual HDC AcquireHandle() { return nullptr; }
  HDC dc_ = nullptr;

 private:
  // Selects the font (and the text colour) into the DC for text operations.
  void PrepareText();
  // Selects a pen and a brush matching Pen and Brush into the DC for shape operations.
  void PreparePen();
  void PrepareBrush();
  // Makes the canvas's pen or brush match Pen or Brush, swapping a selected one out first.
  void EnsurePen();
  void EnsureBrush();
  void Select(HGDIOBJ obj, HGDIOBJ& old, bool& selected);
  // Selects the DC's originals back (the canvas's own objects stay alive for reuse).
  void RestoreObjects();
  void FontChanged();

  TFont font_;
  // What the canvas has selected into dc_, and what was there before.
  HGDIOBJ old_font_ = nullptr, old_pen_ = nullptr, old_brush_ = nullptr;
  bool font_selected_ = false, pen_selected_ = false, brush_selected_ = false;
  // The canvas's own pen and brush, remade only when their description changes.
  HPEN pen_ = nullptr;
  TPen pen_made_;
  HBRUSH brush_ = nullptr;
  COLORREF brush_made_ = 0;
};

}  // namespace forms
