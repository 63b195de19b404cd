// The drive list's row colours, pictures and text boxes: the numbers the start window draws
// each row with.
#include <gtest/gtest.h>

#include "frontend/DriveListLayout.h"

using namespace vardeck;

namespace {

TEST(DriveListLayout, RowsAlternateTheirFillAndTheSelectedRowHasItsOwn) {
  EXPECT_EQ(DriveRowColoursFor(0, false).fill, 15724527u);
  EXPECT_EQ(DriveRowColoursFor(1, false).fill, 16777215u);
  EXPECT_EQ(DriveRowColoursFor(2, false).fill, 15724527u);
  EXPECT_EQ(DriveRowColoursFor(1, true).fill, 15786958u);
  EXPECT_EQ(DriveRowColoursFor(0, true).bottom_line, 14404270u);
  EXPECT_EQ(DriveRowColoursFor(3, false).bottom_line, 12895428u);
  EXPECT_EQ(DriveRowColoursFor(4, false).top_line, 16777215u);
}

TEST(DriveListLayout, PicturesAreOddEvenAndSelected) {
  EXPECT_EQ(DriveRowPicture(0, false), 1);
  EXPECT_EQ(DriveRowPicture(1, false), 0);
  EXPECT_EQ(DriveRowPicture(1, true), 2);
  EXPECT_EQ(DriveRowPicture(0, true), 2);
}

TEST(DriveListLayout, TextBoxesFollowTheColumnsAndLeaveTheirMargins) {
  auto boxes = DriveRowTextBoxes(-10, {185, 138, 160}, 48);
  // Column 0: after the picture and 4 pixels, to 2 pixels before the column's end.
  EXPECT_EQ(boxes[0].left, -10 + 48 + 4);
  EXPECT_EQ(boxes[0].right, -10 + 185 - 2);
  EXPECT_EQ(boxes[0].shorten_to, 185 - 48 - 4);
  EXPECT_EQ(boxes[1].left, -10 + 185 + 4);
  EXPECT_EQ(boxes[1].right, -10 + 185 + 138 - 2);
  EXPECT_EQ(boxes[1].shorten_to, 134);
  EXPECT_EQ(boxes[2].left, -10 + 185 + 138 + 4);
  EXPECT_EQ(boxes[2].right, -10 + 185 + 138 + 160 - 2);
  EXPECT_EQ(boxes[2].shorten_to, 156);
  // A row without pictures starts its caption 4 pixels in.
  EXPECT_EQ(DriveRowTextBoxes(0, {185, 138, 160}, 0)[0].left, 4);
}

}  // namespace
