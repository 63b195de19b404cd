// The window frame's arithmetic without a window: the non-client rectangle handed to the
// system, the maximised bounds, and the region rows cut from border pictures (including
// bands that reach outside the picture, which must never be read outside it).
#include "skin/FrameGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using skin::TFrameMetrics;
using skin::TFrameRect;

namespace {

// A picture given as rows of characters: '.' is the key colour, anything else is inside.
// Reads outside the picture fail the test.
struct Picture {
  std::vector<std::string> rows;
  int Width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
  int Height() const { return static_cast<int>(rows.size()); }
  std::uint32_t operator()(int x, int y) const {
    EXPECT_TRUE(x >= 0 && y >= 0 && x < Width() && y < Height()) << "read at " << x << "," << y;
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    return rows[y][x] == '.' ? kKey : 1;
  }
  static constexpr std::uint32_t kKey = 0x00FF00;
};

std::vector<TFrameRect> Rows(const Picture& p, int minY, int maxY, int regionWidth, int offsetY) {
  std::vector<TFrameRect> out;
  skin::AddPictureRegionRows(p, p.Width(), p.Height(), Picture::kKey, minY, maxY, regionWidth,
                             offsetY, out);
  return out;
}

}  // namespace

TEST(FrameCalcRect, BuiltInLookAsksForThinStripsAroundTheClientArea) {
  TFrameMetrics m;  // a native dialog border of 3 measured, one-pixel painted border
  m.FrameBottomWidth = 3;
  m.FrameSideWidth = 3;
  m.BorderWidth = 1;
  // Beyond the native border (3 on each side) the window keeps 3 columns at the sides, 3 rows
  // at the top and 2 at the bottom for the frame to paint.
  TFrameRect r = skin::FrameCalcRect(m, 100, 50, 400, 300, skin::AssumedNativeBorder(m));
  EXPECT_EQ(r, (TFrameRect{100, 50, 500, 351}));
  m.BorderWidth = 3;  // a three-pixel border keeps the bottom row count of the sides
  EXPECT_EQ(skin::FrameCalcRect(m, 0, 0, 400, 300, skin::AssumedNativeBorder(m)).Bottom, 300);
}

TEST(FrameCalcRect, SkinBordersMakeRoomForTheirPictures) {
  TFrameMetrics m;
  m.FrameBottomWidth = 4;
  m.FrameSideWidth = 4;
  m.SkinLeftWidth = 6;
  m.SkinRightWidth = 2;  // narrower than 4 counts as 4
  m.SkinBottomHeight = 5;
  TFrameRect r = skin::FrameCalcRect(m, 10, 20, 200, 100, skin::AssumedNativeBorder(m));
  EXPECT_EQ(r.Left, 10 + 6 - 4 + 1);
  EXPECT_EQ(r.Right, 10 + 200 - 4 + 4 - 1);
  EXPECT_EQ(r.Top, 20);
  EXPECT_EQ(r.Bottom, 20 + 100 - 5 + 4 - 1);
  EXPECT_EQ(skin::FrameSideAnswer(m), 6);
  m.SkinLeftWidth = 0;
  EXPECT_EQ(skin::FrameSideAnswer(m), 3);  // built-in: the measured bottom border less one
}

TEST(FrameCalcRect, TheNativeBorderTheSystemReallyHasLeavesExactlyTheFramesStrips) {
  TFrameMetrics m;
  m.SkinLeftWidth = 5;
  m.SkinRightWidth = 6;
  m.SkinBottomHeight = 7;
  // A platform whose caption-less border is as thick as the captioned one (4 all round).
  skin::TFrameStrips native{4, 4, 4, 4};
  TFrameRect r = skin::FrameCalcRect(m, 0, 0, 300, 200, native);
  TFrameRect client{r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4};
  EXPECT_EQ(client, (TFrameRect{5, 3, 300 - 6, 200 - 7}));
  EXPECT_EQ(skin::FrameStrips(m), (skin::TFrameStrips{5, 3, 6, 7}));
  m = TFrameMetrics{};
  m.BorderWidth = 1;
  EXPECT_EQ(skin::FrameStrips(m), (skin::TFrameStrips{3, 3, 3, 2}));
}

TEST(FrameCalcRect, BorderMeasurementsOutOfReasonCountAsFour) {
  EXPECT_EQ(skin::ClampBorderMeasure(-3), 4);
  EXPECT_EQ(skin::ClampBorderMeasure(13), 4);
  EXPECT_EQ(skin::ClampBorderMeasure(0), 0);
  EXPECT_EQ(skin::ClampBorderMeasure(12), 12);
}

TEST(MaximizedFrameRect, CoversTheWorkAreaAndItsThinBordersButNotTheBottomRow) {
  EXPECT_EQ(skin::MaximizedFrameRect(TFrameRect{0, 0, 1024, 738}),
            (TFrameRect{-2, -2, 1026, 737}));
}

TEST(PictureRegionRows, ARowEndingInOneInsidePixelAddsJustThatPixel) {
  Picture p{{"....x", "xx..x"}};
  auto rows = Rows(p, -1, -1, 40, 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (TFrameRect{4, 0, 5, 1}));
  EXPECT_EQ(rows[1], (TFrameRect{0, 1, 2, 2}));
  EXPECT_EQ(rows[2], (TFrameRect{4, 1, 5, 2}));
}

TEST(PictureRegionRows, BandLimitsTheScannedRowsAndTheRestAreWholeRows) {
  Picture p{{"..xx..", ".xxxx.", "xxxxxx", "xxxxxx"}};
  // Rows 1..2 scanned, row 0 whole above, row 3 whole below, all moved down by 10.
  auto rows = Rows(p, 1, 2, 30, 10);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (TFrameRect{0, 10, 30, 11}));
  EXPECT_EQ(rows[1], (TFrameRect{1, 11, 5, 12}));
  EXPECT_EQ(rows[2], (TFrameRect{0, 12, 6, 13}));
  EXPECT_EQ(rows[3], (TFrameRect{0, 13, 30, 14}));
  // MinY -1 scans from the first row with no block above; MinY >= MaxY scans to the last row.
  EXPECT_EQ(Rows(p, -1, 0, 30, 0).front(), (TFrameRect{2, 0, 4, 1}));
  EXPECT_EQ(Rows(p, 2, 2, 30, 0).size(), 3u);  // block above, rows 2 and 3 scanned
}

TEST(PictureRegionRows, BandsOutsideThePictureAreCutToIt) {
  Picture p{{".xx.", "xxxx"}};
  // A band far below the picture: one whole block, nothing scanned, nothing read outside.
  auto below = Rows(p, 7, 9, 20, 0);
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0], (TFrameRect{0, 0, 20, 2}));
  // A band that starts inside and ends beyond the picture scans to its last row only.
  auto past = Rows(p, 1, 50, 20, 0);
  ASSERT_EQ(past.size(), 2u);
  EXPECT_EQ(past[1], (TFrameRect{0, 1, 4, 2}));
  // Large negative limits are no rows outside either.
  auto negative = Rows(p, -40, -30, 20, 0);
  for (const TFrameRect& r : negative) {
    EXPECT_GE(r.Top, 0);
    EXPECT_LE(r.Bottom, 2);
  }
  // An empty picture adds nothing.
  Picture empty{};
  EXPECT_TRUE(Rows(empty, 0, 5, 20, 0).empty());
}
