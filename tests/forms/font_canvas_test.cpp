// Fonts and canvases: point size and pixel height, LOGFONT in and out, change notification,
// and a canvas that selects its font, pen and brush into a DC, swaps them out before they are
// deleted and gives the DC its own objects back when it lets it go.
#include <gtest/gtest.h>

#include "forms/Forms.h"

using namespace forms;

namespace {

// A memory DC of its own, with a bitmap to draw on, so that the test sees exactly what a
// canvas leaves selected in it.
struct MemoryDc {
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old_bmp;
  HGDIOBJ font, pen, brush;  // the DC's own objects
  MemoryDc() {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 40;
    bi.bmiHeader.biHeight = -40;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_bmp = SelectObject(dc, bmp);
    font = GetCurrentObject(dc, OBJ_FONT);
    pen = GetCurrentObject(dc, OBJ_PEN);
    brush = GetCurrentObject(dc, OBJ_BRUSH);
  }
  ~MemoryDc() {
    SelectObject(dc, old_bmp);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
};

LOGFONTA FontOf(HGDIOBJ font) {
  LOGFONTA lf{};
  GetObjectA(font, sizeof(lf), &lf);
  return lf;
}

}  // namespace

TEST(Font, PointSizeAndPixelHeightConvertAtTheScreenResolution) {
  TFont f;
  int ppi = ScreenPixelsPerInch();
  EXPECT_EQ(f.Size(), 8);  // Tahoma 8 pt, the forms' default
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -MulDiv(10, ppi, 72));
  EXPECT_EQ(f.Size(), 10);
  f.SetHeight(-MulDiv(15, ppi, 72));
  EXPECT_EQ(f.Size(), 15);
}

TEST(Font, LogFontInAndOutKeepsNameHeightStyleCharsetAndPitch) {
  LOGFONTA lf{};
  lf.lfHeight = -19;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  lf.lfUnderline = 1;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpyA(lf.lfFaceName, "Courier New");
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetLogFont(lf);
  EXPECT_EQ(changes, 1);  // one notification for the whole description
  EXPECT_EQ(f.Name(), "Courier New");
  EXPECT_EQ(f.Height(), -19);
  EXPECT_EQ(f.Style(), fsBold | fsItalic | fsUnderline);
  EXPECT_EQ(f.Charset(), ANSI_CHARSET);
  EXPECT_EQ(f.Pitch(), TFontPitch::fpFixed);
  f.SetLogFont(lf);
  EXPECT_EQ(changes, 1);  // the same description again changes nothing
  LOGFONTA out = f.LogFont();
  EXPECT_STREQ(out.lfFaceName, "Courier New");
  EXPECT_EQ(out.lfHeight, -19);
  EXPECT_EQ(out.lfWeight, FW_BOLD);
  EXPECT_EQ(out.lfCharSet, ANSI_CHARSET);
  // The GDI font is made from that description.
  LOGFONTA made = FontOf(f.Handle());
  EXPECT_STREQ(made.lfFaceName, "Courier New");
  EXPECT_EQ(made.lfHeight, -19);
  EXPECT_EQ(made.lfItalic, 1);

  // A face name that fills the whole array without a terminator is cut, not overrun.
  LOGFONTA full{};
  memset(full.lfFaceName, 'A', LF_FACESIZE);
  f.SetLogFont(full);
  EXPECT_EQ(f.Name(), std::string(LF_FACESIZE, 'A'));
}

TEST(Font, AssignCopiesCharsetAndAColourChangeKeepsTheGdiFont) {
  TFont a, b;
  a.SetCharset(SYMBOL_CHARSET);
  a.SetSize(12);
  b.Assign(a);
  EXPECT_EQ(b.Charset(), SYMBOL_CHARSET);
  EXPECT_EQ(b.Height(), a.Height());
  HFONT h = b.Handle();
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.SetColor(0x0000FF);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Handle(), h);  // nothing about the glyphs changed
  EXPECT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_FONT));
  b.SetStyle(fsBold);
  EXPECT_NE(b.Handle(), h);
}

TEST(Canvas, GivesTheDcItsOwnFontPenAndBrushBackWhenItLetsItGo) {
  MemoryDc m;
  {
    TCanvas c;
    c.SetHandle(m.dc);
    c.Brush.Color = 0x00FF00;
    c.Pen.Color = 0x0000FF;
    c.Rectangle(2, 2, 30, 30);
    c.TextOut(4, 4, "Ab");
    EXPECT_NE(GetCurrentObject(m.dc, OBJ_FONT), m.font);
    EXPECT_NE(GetCurrentObject(m.dc, OBJ_PEN), m.pen);
    EXPECT_NE(GetCurrentObject(m.dc, OBJ_BRUSH), m.brush);
    c.ReleaseHandle();
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_FONT), m.font);
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_PEN), m.pen);
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_BRUSH), m.brush);
    // Taken again and then destroyed while holding the DC: the same.
    c.SetHandle(m.dc);
    c.TextOut(4, 4, "Ab");
    c.LineTo(10, 10);
  }
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_FONT), m.font);
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_PEN), m.pen);
}

TEST(Canvas, AFontChangeTakesTheSelectedFontOutBeforeItIsDeleted) {
  MemoryDc m;
  TCanvas c;
  c.SetHandle(m.dc);
  c.TextOut(0, 0, "x");
  HGDIOBJ first = GetCurrentObject(m.dc, OBJ_FONT);
  ASSERT_NE(first, m.font);
  c.Font().SetHeight(-30);
  // The old font is really gone (a font still selected somewhere cannot be deleted) and the
  // DC holds its own font again until the next text.
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_FONT), m.font);
  c.TextOut(0, 0, "x");
  EXPECT_EQ(FontOf(GetCurrentObject(m.dc, OBJ_FONT)).lfHeight, -30);
  // A colour change keeps the selected font.
  HGDIOBJ second = GetCurrentObject(m.dc, OBJ_FONT);
  c.Font().SetColor(0x0000FF);
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_FONT), second);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
}

TEST(Canvas, PenAndBrushColourChangesReplaceSelectedObjectsSafely) {
  MemoryDc m;
  TCanvas c;
  c.SetHandle(m.dc);
  c.Pen.Color = 0x0000FF;
  c.Brush.Color = 0x00FF00;
  c.Rectangle(0, 0, 20, 20);
  HGDIOBJ pen1 = GetCurrentObject(m.dc, OBJ_PEN);
  HGDIOBJ brush1 = GetCurrentObject(m.dc, OBJ_BRUSH);
  c.Pen.Color = 0xFF0000;
  c.Brush.Color = 0x00FFFF;
  c.Rectangle(0, 0, 20, 20);
  EXPECT_EQ(GetObjectType(pen1), 0u);
  EXPECT_EQ(GetObjectType(brush1), 0u);
  LOGPEN lp{};
  GetObjectA(GetCurrentObject(m.dc, OBJ_PEN), sizeof(lp), &lp);
  EXPECT_EQ(lp.lopnColor, RGB(0, 0, 0xFF));
  EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(0, 0, 0xFF));     // outline in the pen
  EXPECT_EQ(GetPixel(m.dc, 10, 10), RGB(0xFF, 0xFF, 0)); // inside in the brush
}

TEST(Canvas, ShapesDrawWithPenAndBrushIntoABitmap) {
  TBitmap b(40, 40);
  TCanvas& c = b.Canvas();
  c.Brush.Color = clWhite;
  c.FillRect(RECT{0, 0, 40, 40});
  c.Pen.Color = 0x000000;
  c.Brush.Style = TBrushStyle::bsClear;
  c.Rectangle(5, 5, 35, 35);
  EXPECT_EQ(b.GetPixel(5, 20), 0x000000);
  EXPECT_EQ(b.GetPixel(20, 20), clWhite);  // a clear brush leaves the inside alone
  c.Brush.Style = TBrushStyle::bsSolid;
  c.Brush.Color = 0x0000FF;
  c.Ellipse(10, 10, 30, 30);
  EXPECT_EQ(b.GetPixel(20, 20), 0x0000FF);
  c.Pen.Color = 0x00FF00;
  c.Arc(-1, -1, 21, 21, 10, -1, -1, 10);  // the rounded top-left corner of a window outline
  bool green = false;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) green = green || b.GetPixel(x, y) == 0x00FF00;
  EXPECT_TRUE(green);
  c.Polyline({{0, 39}, {39, 39}});
  EXPECT_EQ(b.GetPixel(20, 39), 0x00FF00);
}
