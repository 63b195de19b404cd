// Track bar and scroll bar geometry without windows: thumb place and the position under the
// mouse (round half to even, full-range 32-bit positions), ticks, paging and line steps,
// scroll thumb lengths and how a scroll thumb is put together from its three pieces.
#include <gtest/gtest.h>

#include <climits>

#include "skin/TrackGeometry.h"

using namespace skin;

TEST(ThumbPlace, MovesLinearlyAndStaysAtTheStartWhenTheRangeIsEmpty) {
  // A 100-pixel track with an 11-pixel thumb leaves 89 pixels of travel over 0..10.
  EXPECT_EQ(ThumbOffset(0, 0, 10, 100, 11), 0);
  EXPECT_EQ(ThumbOffset(5, 0, 10, 100, 11), 44);
  EXPECT_EQ(ThumbOffset(10, 0, 10, 100, 11), 89);
  EXPECT_EQ(ThumbOffset(7, 7, 7, 100, 11), 0);
  EXPECT_EQ(ThumbOffset(3, 0, 10, 11, 11), 0);   // thumb fills the track
  EXPECT_EQ(ThumbOffset(3, 0, 10, 8, 11), 0);    // thumb longer than the track
  EXPECT_EQ(ThumbOffset(99, 0, 10, 100, 11), 89);  // out of range: clamped
}

TEST(ThumbPlace, FullIntRangeOnALongTrackDoesNotOverflow) {
  // (position - min) x travel is about 2^32 x 2^20 here: far past 32 bits.
  EXPECT_EQ(ThumbOffset(0, INT_MIN, INT_MAX, 1 << 20, 16), ((1 << 20) - 16) / 2);
  EXPECT_EQ(ThumbOffset(INT_MAX, INT_MIN, INT_MAX, 1 << 20, 16), (1 << 20) - 16);
  EXPECT_EQ(ThumbOffset(INT_MAX, INT_MIN, INT_MAX, INT_MAX, 0), INT_MAX);
  // A list of three million rows in a 600-pixel bar.
  EXPECT_EQ(ThumbOffset(1500000, 0, 3000000, 600, 20), 290);
}

TEST(PositionAt, RoundsHalvesToEvenAndMapsTheEndsToMinAndMax) {
  // Travel 20 over 0..10: every 2 pixels one position; odd pixels are exact halves.
  EXPECT_EQ(PositionAt(1, 0, 30, 10, 0, 10), 0);   // 0.5 -> 0
  EXPECT_EQ(PositionAt(3, 0, 30, 10, 0, 10), 2);   // 1.5 -> 2
  EXPECT_EQ(PositionAt(5, 0, 30, 10, 0, 10), 2);   // 2.5 -> 2
  EXPECT_EQ(PositionAt(7, 0, 30, 10, 0, 10), 4);   // 3.5 -> 4
  EXPECT_EQ(PositionAt(8, 0, 33, 10, 0, 10), 3);   // 80/23 = 3.48 -> 3
  EXPECT_EQ(PositionAt(9, 0, 33, 10, 0, 10), 4);   // 90/23 = 3.91 -> 4
  EXPECT_EQ(PositionAt(15, 5, 30, 10, 0, 10), 5);  // the grab offset is taken off
  EXPECT_EQ(PositionAt(-40, 0, 30, 10, 0, 10), 0);
  EXPECT_EQ(PositionAt(400, 0, 30, 10, 0, 10), 10);
  EXPECT_EQ(PositionAt(10, 0, 30, 10, -20, -10), -15);
}

TEST(PositionAt, ThumbFillingTheTrackOrAnEmptyRangeMeansMinNotZero) {
  EXPECT_EQ(PositionAt(5, 0, 10, 10, 40, 50), 40);
  EXPECT_EQ(PositionAt(5, 0, 8, 10, 40, 50), 40);
  EXPECT_EQ(PositionAt(5, 0, 100, 10, 7, 7), 7);
}

TEST(PositionAt, FullIntRangeRoundsWithoutOverflow) {
  // Travel 1000 over 2^32 - 1 positions: the middle is an exact half (rounded to the even
  // 2^31, i.e. position 0); a quarter is ...823.75, rounded up.
  const int track = 1016, thumb = 16;
  EXPECT_EQ(PositionAt(0, 0, track, thumb, INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(PositionAt(500, 0, track, thumb, INT_MIN, INT_MAX), 0);
  EXPECT_EQ(PositionAt(250, 0, track, thumb, INT_MIN, INT_MAX), -1073741824);
  EXPECT_EQ(PositionAt(1000, 0, track, thumb, INT_MIN, INT_MAX), INT_MAX);
  EXPECT_EQ(PositionAt(INT_MAX, INT_MIN, INT_MAX, 0, INT_MIN, INT_MAX), INT_MAX);
  // The thumb placed for a position sits under the point that chose it (to the pixel).
  for (int x : {1, 333, 999}) {
    int p = PositionAt(x, 0, track, thumb, INT_MIN, INT_MAX);
    EXPECT_NEAR(ThumbOffset(p, INT_MIN, INT_MAX, track, thumb), x, 1) << x;
  }
}

TEST(Ticks, EveryFrequencyPositionsPlusTheLastOne) {
  // Frequency 3 over 0..10 on a travel of 100: positions 0, 3, 6, 9 and 10.
  EXPECT_EQ(TickOffsets(0, 10, 3, 110, 10), (std::vector<int>{0, 30, 60, 90, 100}));
  EXPECT_EQ(TickOffsets(0, 10, 1, 110, 10).size(), 11u);
  EXPECT_EQ(TickOffsets(0, 9, 3, 100, 10), (std::vector<int>{0, 30, 60, 90}));  // 9 is on the step
  EXPECT_TRUE(TickOffsets(5, 5, 1, 100, 10).empty());
}

TEST(Ticks, FrequencyZeroOrNegativeMarksOnlyTheEnds) {
  EXPECT_EQ(TickOffsets(0, 10, 0, 110, 10), (std::vector<int>{0, 100}));
  EXPECT_EQ(TickOffsets(0, 10, -4, 110, 10), (std::vector<int>{0, 100}));
}

TEST(Ticks, AHugeRangeGivesAtMostOneTickPerPixel) {
  auto all = TickOffsets(INT_MIN, INT_MAX, 1, 210, 10);
  ASSERT_EQ(all.size(), 201u);
  EXPECT_EQ(all.front(), 0);
  EXPECT_EQ(all.back(), 200);
  auto sparse = TickOffsets(0, 3000000, 1000000, 210, 10);
  EXPECT_EQ(sparse, (std::vector<int>{0, 66, 133, 200}));
}

TEST(Paging, StepsTowardsTheTargetWithoutPassingIt) {
  EXPECT_EQ(PageTowards(0, 10, 2), 2);
  EXPECT_EQ(PageTowards(9, 10, 2), 10);
  EXPECT_EQ(PageTowards(10, 0, 6), 4);
  EXPECT_EQ(PageTowards(3, 0, 6), 0);
  EXPECT_EQ(PageTowards(5, 5, 6), 5);
  EXPECT_EQ(PageTowards(INT_MAX - 1, INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(PageTowards(INT_MIN + 1, INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(PageTowards(0, 10, -3), 0);
}

TEST(Paging, LineStepsClampAtBothEndsOfTheFullRange) {
  EXPECT_EQ(StepPosition(INT_MAX - 2, 5, INT_MIN, INT_MAX), INT_MAX);
  EXPECT_EQ(StepPosition(INT_MIN + 2, -5, INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(StepPosition(50, -5, 0, 100), 45);
  EXPECT_EQ(StepPosition(2, -5, 0, 100), 0);
}

TEST(ScrollThumb, LengthFromLineButtonOrPageSizePercent) {
  EXPECT_EQ(ScrollThumbLength(0, 0, 200), 20);    // page size 0: 10 %
  EXPECT_EQ(ScrollThumbLength(0, 101, 200), 20);  // above 100: 10 %
  EXPECT_EQ(ScrollThumbLength(0, 9, 200), 20);
  EXPECT_EQ(ScrollThumbLength(0, 50, 200), 100);
  EXPECT_EQ(ScrollThumbLength(0, 100, 200), 200);
  EXPECT_EQ(ScrollThumbLength(5, 50, 200), 16);   // a line-button length is at least 16
  EXPECT_EQ(ScrollThumbLength(40, 50, 200), 40);
  EXPECT_EQ(ScrollThumbLength(40, 50, 30), 30);   // never past the track
  EXPECT_EQ(ScrollThumbLength(40, 50, 0), 0);
  EXPECT_EQ(ScrollThumbLength(0, 100, INT_MAX), INT_MAX);
}

namespace skin {
bool operator==(const TThumbSpan& a, const TThumbSpan& b) {
  return a.Piece == b.Piece && a.SourceFrom == b.SourceFrom && a.SourceTo == b.SourceTo &&
         a.DestFrom == b.DestFrom && a.DestTo == b.DestTo;
}
}  // namespace skin

constexpr auto kStart = TThumbPiece::StartCap;
constexpr auto kMiddle = TThumbPiece::Middle;
constexpr auto kEnd = TThumbPiece::EndCap;

TEST(ScrollThumb, BuiltInPiecesCapsAtTheEndsAndTheMiddleStretchedBetween) {
  EXPECT_EQ(BuiltInThumbLayout(40, 8, 8, 8),
            (TThumbLayout{{kStart, 0, 8, 0, 8}, {kEnd, 0, 8, 32, 40}, {kMiddle, 0, 8, 8, 32}}));
  // Shorter than both caps: the end cap covers the start cap's inner part, no middle.
  EXPECT_EQ(BuiltInThumbLayout(10, 8, 8, 8),
            (TThumbLayout{{kStart, 0, 8, 0, 8}, {kEnd, 0, 8, 2, 10}}));
  // Shorter than one cap: the end cap keeps its far end.
  EXPECT_EQ(BuiltInThumbLayout(5, 8, 8, 8),
            (TThumbLayout{{kStart, 0, 5, 0, 5}, {kEnd, 3, 8, 0, 5}}));
  EXPECT_TRUE(BuiltInThumbLayout(0, 8, 8, 8).empty());
}

TEST(ScrollThumb, SkinPiecesKeepTheGripUnstretchedWhenItFits) {
  // Caps of 10, a grip of 8, a thumb of 40: grip at (40 - 8 - 6) / 2 + 3 = 16, the spans
  // beside it filled from the caps, the caps' outer 3 pixels at the ends.
  EXPECT_EQ(SkinThumbLayout(40, 10, 8, 10),
            (TThumbLayout{{kStart, 0, 10, 0, 10}, {kEnd, 7, 10, 37, 40}, {kMiddle, 0, 8, 16, 24},
                          {kStart, 3, 10, 3, 16}, {kEnd, 0, 7, 24, 37}}));
  // Too short for the grip: it is squeezed between the 3-pixel ends.
  EXPECT_EQ(SkinThumbLayout(12, 10, 8, 10),
            (TThumbLayout{{kStart, 0, 10, 0, 10}, {kEnd, 7, 10, 9, 12}, {kMiddle, 0, 8, 3, 9}}));
  // Degenerate pieces give nothing out of bounds.
  for (const TThumbSpan& s : SkinThumbLayout(4, 2, 0, 1)) {
    EXPECT_GE(s.DestFrom, 0);
    EXPECT_LE(s.DestTo, 4);
    EXPECT_GE(s.SourceFrom, 0);
  }
}
