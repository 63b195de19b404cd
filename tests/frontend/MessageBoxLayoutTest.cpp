// The message box's sizing to its text, with a fake text width (every character 6 pixels, or
// a table of widths per line), so that the widths and line counts are exact.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "frontend/MessageBoxLayout.h"

using namespace vardeck;

namespace {

constexpr int kLine = 13;  // the height of "A" in the fake font

int SixPixels(std::string_view text) { return static_cast<int>(text.size()) * 6; }

// Widths given per line, for lines whose width matters exactly.
TextWidthFunction Widths(std::map<std::string, int> table) {
  return [table](std::string_view text) {
    auto it = table.find(std::string(text));
    return it == table.end() ? 0 : it->second;
  };
}

TEST(MessageBoxLayout, ShortLineGetsSmallestWidthAndTwoLinesOfHeight) {
  MeasuredText m = MeasureMessageText("Close?", SixPixels, kLine);
  EXPECT_EQ(m.width, 180);
  EXPECT_EQ(m.height, 2 * kLine);
  MessageBoxLayout l = LayOutMessageBox(m, 2);
  EXPECT_EQ(l.label_width, 180);
  EXPECT_EQ(l.label_height, 50);  // two lines are less than the smallest height
  EXPECT_EQ(l.window_width, 311);
  EXPECT_EQ(l.window_height, 45 + 50 + 60);
}

TEST(MessageBoxLayout, LineWiderThanLargestWidthWrapsIntoThreeLines) {
  MeasuredText m = MeasureMessageText("wide", Widths({{"wide", 600}}), kLine);
  EXPECT_EQ(m.width, 294);
  EXPECT_EQ(m.height, (3 + 1) * kLine);
  MessageBoxLayout l = LayOutMessageBox(m, 1);
  EXPECT_EQ(l.window_width, 425);
  EXPECT_EQ(l.label_height, 52);
}

TEST(MessageBoxLayout, LinesAreCutAtCarriageReturnLineFeedOnly) {
  MeasuredText three = MeasureMessageText("one\r\ntwo\r\nsix", SixPixels, kLine);
  EXPECT_EQ(three.height, 4 * kLine);
  EXPECT_EQ(three.width, 180);
  // A bare line feed is no line break of the box: one line, as wide as the whole text.
  MeasuredText one = MeasureMessageText(std::string(40, 'x') + "\n" + std::string(7, 'y'),
                                        SixPixels, kLine);
  EXPECT_EQ(one.height, 2 * kLine);
  EXPECT_EQ(one.width, 48 * 6);
}

TEST(MessageBoxLayout, WidthFollowsTheWidestLineAndLaterNarrowerLinesCountOne) {
  MeasuredText m = MeasureMessageText(
      "a\r\nb\r\nc", Widths({{"a", 200}, {"b", 250}, {"c", 240}}), kLine);
  EXPECT_EQ(m.width, 250);
  EXPECT_EQ(m.height, 4 * kLine);
  // A wide line after a narrower one still wraps by the largest width.
  MeasuredText w = MeasureMessageText("a\r\nb", Widths({{"a", 200}, {"b", 700}}), kLine);
  EXPECT_EQ(w.width, 294);
  EXPECT_EQ(w.height, (1 + 3 + 1) * kLine);
}

TEST(MessageBoxLayout, EmptyTextKeepsRoomForBothButtons) {
  MeasuredText m = MeasureMessageText("", SixPixels, kLine);
  EXPECT_EQ(m.width, 180);
  MessageBoxLayout two = LayOutMessageBox(m, 2);
  EXPECT_EQ(two.label_height, 50);
  EXPECT_GE(two.ok_left, 0);
  EXPECT_LE(two.cancel_left + 73, two.window_width);
}

TEST(MessageBoxLayout, ButtonsAreCentredUnderTheText) {
  MeasuredText m{180, 26};
  MessageBoxLayout one = LayOutMessageBox(m, 1);
  EXPECT_FALSE(one.cancel_shown);
  EXPECT_EQ(one.ok_left, (311 - 73) / 2);
  MessageBoxLayout two = LayOutMessageBox(m, 2);
  EXPECT_TRUE(two.cancel_shown);
  EXPECT_EQ(two.ok_left, (311 - 73 - 73 - 30) / 2);
  EXPECT_EQ(two.cancel_left, two.ok_left + 73 + 30);
  // Both halves of the odd remainder go the same way: toward zero.
  MessageBoxLayout odd = LayOutMessageBox(MeasuredText{181, 26}, 1);
  EXPECT_EQ(odd.ok_left, (312 - 73) / 2);
}

TEST(MessageBoxLayout, ButtonCountsFromThreeOnAreTwo) {
  EXPECT_EQ(MessageBoxButtonCount(1), 1);
  EXPECT_EQ(MessageBoxButtonCount(2), 2);
  EXPECT_EQ(MessageBoxButtonCount(3), 2);
  EXPECT_EQ(MessageBoxButtonCount(4000000000u), 2);
  EXPECT_EQ(MessageBoxButtonCount(0), 2);
}

}  // namespace
