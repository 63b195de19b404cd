// TCanvas: each operation makes the GDI objects it needs and puts the DC back as it found it.
#include "forms/Canvas.h"

#include "forms/Graphic.h"

namespace forms {

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::FillRect(const RECT& r) {
  if (Brush.Style == TBrushStyle::bsClear) return;
  HBRUSH b = CreateSolidBrush(ColorToRGB(Brush.Color));
  ::FillRect(Handle(), &r, b);
  DeleteObject(b);
}

void TCanvas::FrameRect(const RECT& r) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(Brush.Color));
  ::FrameRect(Handle(), &r, b);
  DeleteObject(b);
}

void TCanvas::DrawFocusRect(const RECT& r) {
  HDC dc = Handle();
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  ::DrawFocusRect(dc, &r);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
  HPEN p = CreatePen(PS_SOLID, Pen.Width, ColorToRGB(Pen.Color));
  HGDIOBJ old = SelectObject(Handle(), p);
  ::LineTo(Handle(), x, y);
  SelectObject(Handle(), old);
  DeleteObject(p);
}

void TCanvas::PrepareText() {
  HDC dc = Handle();
  SelectObject(dc, font_.Handle());
  SetTextColor(dc, ColorToRGB(font_.Color()));
  if (Brush.Style == TBrushStyle::bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(Brush.Color));
  }
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  PrepareText();
  ::TextOutA(Handle(), x, y, text.data(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(const std::string& text, RECT& r, UINT format) {
  PrepareText();
  return ::DrawTextA(Handle(), text.data(), static_cast<int>(text.size()), &r, format);
}

SIZE TCanvas::TextExtent(const std::string& text) {
  PrepareText();
  SIZE s{0, 0};
  GetTextExtentPoint32A(Handle(), text.data(), static_cast<int>(text.size()), &s);
  return s;
}

void TCanvas::Draw(int x, int y, TGraphic* g) {
  if (!g || g->Empty()) return;
  RECT r{x, y, x + g->Width(), y + g->Height()};
  g->Draw(*this, r);
}

void TCanvas::StretchDraw(const RECT& r, TGraphic* g) {
  if (g && !g->Empty()) g->Draw(*this, r);
}

void TCanvas::CopyRect(const RECT& dst, TCanvas& src, const RECT& s) {
  HDC dc = Handle();
  int old = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, src.Handle(),
             s.left, s.top, s.right - s.left, s.bottom - s.top, SRCCOPY);
  SetStretchBltMode(dc, old);
}

TColor TCanvas::Pixel(int x, int y) { return static_cast<TColor>(GetPixel(Handle(), x, y)); }

void TCanvas::SetPixel(int x, int y, TColor c) { ::SetPixel(Handle(), x, y, ColorToRGB(c)); }

}  // namespace forms
