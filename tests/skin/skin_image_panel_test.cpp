// The image panel painted into memory bitmaps: normal, stretched and tiled pictures, the
// parent's background under a transparent panel, keyed bitmaps, captions and auto-size.
#include <gtest/gtest.h>

#include "skin/SkinImagePanel.h"

using namespace forms;
using namespace skin;

namespace {

constexpr TColor kParent = 0x2020C0;

struct Scene {
  TPanel parent{nullptr};
  TSkinImagePanel* panel;
  Scene() {
    parent.SetBevelOuter(TBevelCut::bvNone);
    parent.SetBounds(0, 0, 100, 60);
    parent.SetColor(kParent);
    panel = new TSkinImagePanel(&parent);
    panel->SetBounds(10, 10, 10, 10);
    panel->SetColor(0x00C000);
    panel->SetParent(&parent);
  }
  TBitmap* Render() {
    auto* b = new TBitmap(panel->Width(), panel->Height());
    panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(b->Canvas().Handle()), 0);
    return b;
  }
};

// Quarters in four colours, so that stretching and tiling can be told apart.
void Quarters(TBitmap& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, x < w / 2 ? (y < h / 2 ? 0x0000FF : 0x00FF00) : (y < h / 2 ? 0xFF0000 : 0xFFFF00));
}

}  // namespace

TEST(ImagePanel, NormalDrawsThePictureAtItsSizeAndTheRestInTheColour) {
  Scene s;
  Quarters(*s.panel->Picture().Bitmap(), 4, 4);
  std::unique_ptr<TBitmap> r(s.Render());
  EXPECT_EQ(r->GetPixel(0, 0), 0x0000FF);
  EXPECT_EQ(r->GetPixel(3, 3), 0xFFFF00);
  EXPECT_EQ(r->GetPixel(6, 6), 0x00C000);
}

TEST(ImagePanel, StretchFillsTheClientArea) {
  Scene s;
  Quarters(*s.panel->Picture().Bitmap(), 2, 2);
  s.panel->SetDrawStyle(TSkinDrawStyle::skStretch);
  std::unique_ptr<TBitmap> r(s.Render());
  EXPECT_EQ(r->GetPixel(4, 4), 0x0000FF);
  EXPECT_EQ(r->GetPixel(9, 0), 0xFF0000);
  EXPECT_EQ(r->GetPixel(0, 9), 0x00FF00);
  EXPECT_EQ(r->GetPixel(9, 9), 0xFFFF00);
}

TEST(ImagePanel, TileRepeatsFromTheTopLeftAndClipsALargerPicture) {
  Scene s;
  Quarters(*s.panel->Picture().Bitmap(), 4, 4);
  s.panel->SetDrawStyle(TSkinDrawStyle::skTile);
  std::unique_ptr<TBitmap> r(s.Render());
  EXPECT_EQ(r->GetPixel(4, 0), 0x0000FF);
  EXPECT_EQ(r->GetPixel(8, 8), 0x0000FF);
  EXPECT_EQ(r->GetPixel(7, 7), 0xFFFF00);
  Quarters(*s.panel->Picture().Bitmap(), 40, 40);
  std::unique_ptr<TBitmap> big(s.Render());
  EXPECT_EQ(big->GetPixel(9, 9), 0x0000FF);
}

TEST(ImagePanel, TransparentPanelWithoutPictureShowsExactlyTheParent) {
  Scene s;
  s.panel->SetTransparent(true);
  std::unique_ptr<TBitmap> r(s.Render());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(r->GetPixel(x, y), kParent);
}

TEST(ImagePanel, TransparentFollowsIntoTheBitmapAndBack) {
  Scene s;
  TBitmap& b = *s.panel->Picture().Bitmap();
  b.SetSize(10, 10);
  b.Canvas().Brush.Color = 0x808000;
  b.Canvas().FillRect(RECT{0, 0, 10, 10});
  b.SetPixel(0, 9, clFuchsia);  // the bitmap's own transparent colour: its bottom-left pixel
  b.SetPixel(5, 5, clFuchsia);
  s.panel->SetTransparent(true);
  EXPECT_TRUE(s.panel->Picture().Graphic()->Transparent());
  std::unique_ptr<TBitmap> keyed(s.Render());
  EXPECT_EQ(keyed->GetPixel(5, 5), kParent);
  EXPECT_EQ(keyed->GetPixel(1, 1), 0x808000);
  s.panel->SetTransparent(false);
  EXPECT_FALSE(s.panel->Picture().Graphic()->Transparent());
  std::unique_ptr<TBitmap> opaque(s.Render());
  EXPECT_EQ(opaque->GetPixel(5, 5), clFuchsia);
}

TEST(ImagePanel, CaptionIsDrawnCentredAndABlankOneDrawsNothing) {
  Scene s;
  s.panel->SetBounds(0, 0, 80, 20);
  s.panel->Font().SetColor(clBlack);
  std::unique_ptr<TBitmap> empty(s.Render());
  s.panel->SetCaption("   ");
  std::unique_ptr<TBitmap> blank(s.Render());
  s.panel->SetCaption("Tolvane");
  std::unique_ptr<TBitmap> text(s.Render());
  int blank_diff = 0, text_left = 80, text_right = -1;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 80; ++x) {
      blank_diff += blank->GetPixel(x, y) != empty->GetPixel(x, y);
      if (text->GetPixel(x, y) != empty->GetPixel(x, y)) {
        text_left = std::min(text_left, x);
        text_right = std::max(text_right, x);
      }
    }
  EXPECT_EQ(blank_diff, 0);
  ASSERT_GE(text_right, 0);
  EXPECT_LE(std::abs((text_left + text_right) / 2 - 40), 3);
  EXPECT_EQ(s.panel->CaptionRect().right, 80);
}

TEST(ImagePanel, AutoSizeFollowsTheAlignment) {
  Scene s;
  s.panel->Picture().Bitmap()->SetSize(33, 22);
  s.panel->SetAlign(TAlign::alClient);
  s.panel->SetAutoSize(true);
  EXPECT_EQ(s.panel->Width(), 100);
  EXPECT_EQ(s.panel->Height(), 60);
  s.panel->SetAlign(TAlign::alTop);
  s.panel->Picture().Bitmap()->SetSize(34, 23);
  EXPECT_EQ(s.panel->Height(), 23);
  EXPECT_EQ(s.panel->Width(), 100);
  s.panel->SetAlign(TAlign::alNone);
  s.panel->Picture().Bitmap()->SetSize(35, 24);
  EXPECT_EQ(s.panel->Width(), 35);
  EXPECT_EQ(s.panel->Height(), 24);
}
