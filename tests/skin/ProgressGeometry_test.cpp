// Progress bar geometry without windows: the caption's percentage and the filled length for
// positions inside and outside the range and over the full 32-bit range, where the skin
// pieces and the built-in fill go in both orientations, and how a piece keeps its edges.
#include <gtest/gtest.h>

#include <climits>

#include "skin/ProgressGeometry.h"

using namespace skin;

TEST(ProgressPercent, TruncatesTowardZeroAndGoesBeyondTheRange) {
  EXPECT_EQ(ProgressPercent(50, 0, 100), 50);
  EXPECT_EQ(ProgressPercent(1, 0, 3), 33);
  EXPECT_EQ(ProgressPercent(2, 0, 3), 66);     // 66.67 is cut, not rounded
  EXPECT_EQ(ProgressPercent(29, 0, 100), 29);  // exact: no 28.999... from floating point
  EXPECT_EQ(ProgressPercent(150, 0, 100), 150);
  EXPECT_EQ(ProgressPercent(-10, 0, 100), -10);
  EXPECT_EQ(ProgressPercent(-1, 0, 3), -33);  // toward zero, not down
  EXPECT_EQ(ProgressPercent(7, 7, 7), 0);     // Min = Max
  EXPECT_EQ(ProgressPercent(5, 10, 0), 50);   // a reversed range still divides
}

TEST(ProgressPercent, FullIntRangeDoesNotOverflow) {
  EXPECT_EQ(ProgressPercent(INT_MAX, INT_MIN, INT_MAX), 100);
  EXPECT_EQ(ProgressPercent(0, INT_MIN, INT_MAX), 50);
  EXPECT_EQ(ProgressPercent(INT_MAX, 0, 1), 214748364700LL);
  EXPECT_EQ(ProgressPercent(INT_MIN, INT_MAX, INT_MIN), 100);
}

TEST(ProgressExtent, EmptyAtOrBelowMinFullAboveMaxLinearBetween) {
  EXPECT_EQ(ProgressExtent(0, 0, 100, 149), 0);
  EXPECT_EQ(ProgressExtent(-10, 0, 100, 149), 0);
  EXPECT_EQ(ProgressExtent(50, 0, 100, 149), 74);
  EXPECT_EQ(ProgressExtent(100, 0, 100, 149), 149);
  EXPECT_EQ(ProgressExtent(150, 0, 100, 149), 149);
  EXPECT_EQ(ProgressExtent(5, 5, 5, 149), 0);   // Min = Max
  EXPECT_EQ(ProgressExtent(5, 9, 2, 149), 0);   // Min above Max
  EXPECT_EQ(ProgressExtent(INT_MAX - 1, INT_MIN, INT_MAX, INT_MAX), INT_MAX - 1);
}

TEST(SkinBarLayout, HorizontalPiecesLieSideBySideAndFillFromTheLeft) {
  // 200 x 16 with caps of 4 and 5: 191 pixels between them, half of it filled.
  TSkinBarLayout l = SkinBarLayout(true, 200, 16, 4, 5, 50, 0, 100);
  EXPECT_EQ(l.FirstCap, (TBarRect{0, 0, 4, 16}));
  EXPECT_EQ(l.Fill, (TBarRect{4, 0, 99, 16}));
  EXPECT_EQ(l.Empty, (TBarRect{99, 0, 195, 16}));
  EXPECT_EQ(l.LastCap, (TBarRect{195, 0, 200, 16}));
  l = SkinBarLayout(true, 200, 16, 4, 5, 0, 0, 100);
  EXPECT_EQ(l.Fill.Right, l.Fill.Left);
  l = SkinBarLayout(true, 200, 16, 4, 5, 999, 0, 100);
  EXPECT_EQ(l.Fill.Right, 195);
  EXPECT_EQ(l.Empty.Left, l.Empty.Right);
}

TEST(SkinBarLayout, VerticalFillRisesFromTheBottomCap) {
  TSkinBarLayout l = SkinBarLayout(false, 16, 100, 4, 6, 50, 0, 100);
  EXPECT_EQ(l.FirstCap, (TBarRect{0, 96, 16, 100}));
  EXPECT_EQ(l.LastCap, (TBarRect{0, 0, 16, 6}));
  EXPECT_EQ(l.Fill, (TBarRect{0, 51, 16, 96}));  // 45 of 90
  EXPECT_EQ(l.Empty, (TBarRect{0, 6, 16, 51}));
}

TEST(BuiltInBarLayout, HorizontalFillInsideTheBorderNeverNarrowerThanItsStart) {
  TBuiltInBarLayout l = BuiltInBarLayout(true, 150, 12, 50, 0, 100);
  EXPECT_EQ(l.Fill, (TBarRect{1, 1, 74, 11}));
  EXPECT_EQ(l.Empty, (TBarRect{74, 1, 149, 11}));
  EXPECT_FALSE(l.Mirrored);
  l = BuiltInBarLayout(true, 150, 12, -10, 0, 100);  // empty: nothing of the picture shows
  EXPECT_EQ(l.Fill, (TBarRect{1, 1, 1, 11}));
  EXPECT_EQ(l.Empty, (TBarRect{1, 1, 149, 11}));
  l = BuiltInBarLayout(true, 150, 12, 150, 0, 100);  // full, up to the right border
  EXPECT_EQ(l.Fill, (TBarRect{1, 1, 149, 11}));
  EXPECT_EQ(l.Empty.Left, l.Empty.Right);
}

TEST(BuiltInBarLayout, VerticalFillRisesFromTheBottomBorderMirrored) {
  // 101 rows: Extent over 100.
  TBuiltInBarLayout l = BuiltInBarLayout(false, 15, 101, 30, 0, 100);
  EXPECT_TRUE(l.Mirrored);
  EXPECT_EQ(l.Fill, (TBarRect{1, 70, 14, 100}));
  EXPECT_EQ(l.Empty, (TBarRect{1, 1, 14, 70}));
  l = BuiltInBarLayout(false, 15, 101, 100, 0, 100);  // full: below the top border
  EXPECT_EQ(l.Fill, (TBarRect{1, 1, 14, 100}));
  EXPECT_EQ(l.Empty.Top, l.Empty.Bottom);
  l = BuiltInBarLayout(false, 15, 101, 0, 0, 100);
  EXPECT_EQ(l.Fill.Top, l.Fill.Bottom);
  EXPECT_EQ(l.Empty, (TBarRect{1, 1, 14, 100}));
}

TEST(PieceBands, EdgesKeepTheirSizeAndTheMiddleStretches) {
  // A 16-row piece over 30 rows: 2 + 26 + 2.
  EXPECT_EQ(PieceBands(16, 30), (std::vector<TPieceBand>{
                                    {0, 2, 0, 2}, {2, 14, 2, 28}, {14, 16, 28, 30}}));
  // Over exactly its size: nothing stretched.
  EXPECT_EQ(PieceBands(16, 16), (std::vector<TPieceBand>{
                                    {0, 2, 0, 2}, {2, 14, 2, 14}, {14, 16, 14, 16}}));
  // Lower than two edges: the top edge first, then what is left of the bottom one.
  EXPECT_EQ(PieceBands(16, 3), (std::vector<TPieceBand>{{0, 2, 0, 2}, {15, 16, 2, 3}}));
  EXPECT_EQ(PieceBands(16, 1), (std::vector<TPieceBand>{{0, 1, 0, 1}}));
  // No lines between the edges: stretched whole instead of leaving a gap.
  EXPECT_EQ(PieceBands(4, 20), (std::vector<TPieceBand>{{0, 4, 0, 20}}));
  EXPECT_TRUE(PieceBands(0, 20).empty());
  EXPECT_TRUE(PieceBands(16, 0).empty());
}
