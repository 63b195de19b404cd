// TCanvas: drawing on a device context with a current brush, pen and font. The DC belongs to
// whoever hands it over (a bitmap's memory DC, a paint DC, a control's window DC).
#pragma once

#include <string>

#include "forms/Font.h"
#include "forms/Types.h"

namespace forms {

class TGraphic;

enum class TBrushStyle { bsSolid, bsClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
};

class TCanvas : public TObject {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() { return dc_ ? dc_ : (dc_ = AcquireHandle()); }
  void SetHandle(HDC dc) { dc_ = dc; }
  bool HandleAllocated() const { return dc_ != nullptr; }

  TBrush Brush;
  TPen Pen;
  TFont& Font() { return font_; }

  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void DrawFocusRect(const RECT& r);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
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
  // Selects the font (and the text colour) into the DC for one text operation.
  void PrepareText();
  TFont font_;
};

}  // namespace forms
