// TCanvas: the font, pen and brush stay selected between operations on one DC and are
// selected out before they are deleted or the DC is let go. A font change (not a colour
// change) replaces the GDI font: the canvas hears of it before the old font is deleted.
#include "forms/Canvas.h"

#include "forms/Graphic.h"

namespace forms {

namespace {

int PenStyleToGdi(TPenStyle s) {
  switch (s) {
    case TPenStyle::psDash: return PS_DASH;
    case TPenStyle::psDot: return PS_DOT;
    case TPenStyle::psClear: return PS_NULL;
    default: return PS_SOLID;
  }
}

}  // namespace

TCanvas::TCanvas() { font_.OnChange = [this](TObject*) { FontChanged(); }; }

TCanvas::~TCanvas() {
  RestoreObjects();
  if (pen_) DeleteObject(pen_);
  if (brush_) DeleteObject(brush_);
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  RestoreObjects();
  dc_ = dc;
}

void TCanvas::RestoreObjects() {
  if (dc_) {
    if (font_selected_) SelectObject(dc_, old_font_);
    if (pen_selected_) SelectObject(dc_, old_pen_);
    if (brush_selected_) SelectObject(dc_, old_brush_);
  }
  font_selected_ = pen_selected_ = brush_selected_ = false;
  old_font_ = old_pen_ = old_brush_ = nullptr;
}

void TCanvas::FontChanged() {
  // A font without a handle now is about to delete its old GDI font: take that out of the DC
  // first. A colour change keeps the font.
  if (font_.HandleAllocated()) return;
  if (font_selected_ && dc_) SelectObject(dc_, old_font_);
  font_selected_ = false;
  old_font_ = nullptr;
}

void TCanvas::PrepareText() {
  HDC dc = Handle();
  if (!dc) return;
  Select(font_.Handle(), old_font_, font_selected_);
  SetTextColor(dc, ColorToRGB(font_.Color()));
  if (Brush.Style == TBrushStyle::bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(Brush.Color));
  }
}

void TCanvas::EnsurePen() {
  if (pen_ && pen_made_.Color == Pen.Color && pen_made_.Width == Pen.Width &&
      pen_made_.Style == Pen.Style)
    return;
  HPEN np = CreatePen(PenStyleToGdi(Pen.Style), Pen.Width, ColorToRGB(Pen.Color));
  if (!np) return;
  // The old pen may be selected: swap the new one in before the old one goes.
  if (pen_selected_ && dc_) SelectObject(dc_, np);
  if (pen_) DeleteObject(pen_);
  pen_ = np;
  pen_made_ = Pen;
}

void TCanvas::EnsureBrush() {
  COLORREF c = ColorToRGB(Brush.Color);
  if (brush_ && brush_made_ == c) return;
  HBRUSH nb = CreateSolidBrush(c);
  if (!nb) return;
  if (brush_selected_ && dc_ && GetCurrentObject(dc_, OBJ_BRUSH) == brush_) SelectObject(dc_, nb);
  if (brush_) DeleteObject(brush_);
  brush_ = nb;
  brush_made_ = c;
}

void TCanvas::Select(HGDIOBJ obj, HGDIOBJ& old, bool& selected) {
  HDC dc = Handle();
  if (!dc || !obj) return;
  HGDIOBJ prev = SelectObject(dc, obj);
  if (!selected) {
    old = prev;
    selected = true;
  }
}

void TCanvas::PreparePen() {
  EnsurePen();
  Select(pen_, old_pen_, pen_selected_);
}

void TCanvas::PrepareBrush() {
  if (Brush.Style == TBrushStyle::bsClear) {
    Select(GetStockObject(NULL_BRUSH), old_brush_, brush_selected_);
    return;
  }
  EnsureBrush();
  Select(brush_, old_brush_, brush_selected_);
}

// FillRect and FrameRect take the brush as an argument: nothing is selected for them.
void TCanvas::FillRect(const RECT& r) {
  if (Brush.Style == TBrushStyle::bsClear) return;
  EnsureBrush();
  if (brush_ && Handle()) ::FillRect(dc_, &r, brush_);
}

void TCanvas::FrameRect(const RECT& r) {
  EnsureBrush();
  if (brush_ && Handle()) ::FrameRect(dc_, &r, brush_);
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
  PreparePen();
  ::LineTo(Handle(), x, y);
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
  PreparePen();
  PrepareBrush();
  ::Rectangle(Handle(), l, t, r, b);
}

void TCanvas::RoundRect(int l, int t, int r, int b, int w, int h) {
  PreparePen();
  PrepareBrush();
  ::RoundRect(Handle(), l, t, r, b, w, h);
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
  PreparePen();
  PrepareBrush();
  ::Ellipse(Handle(), l, t, r, b);
}

void TCanvas::Polygon(const std::vector<POINT>& points) {
  if (points.size() < 2) return;
  PreparePen();
  PrepareBrush();
  ::Polygon(Handle(), points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polyline(const std::vector<POINT>& points) {
  if (points.size() < 2) return;
  PreparePen();
  ::Polyline(Handle(), points.data(), static_cast<int>(points.size()));
}

void TCanvas::Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
  PreparePen();
  ::Arc(Handle(), l, t, r, b, x1, y1, x2, y2);
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
