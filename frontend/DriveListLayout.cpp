// The drive list's row arithmetic (see DriveListLayout.h).
#include "frontend/DriveListLayout.h"

namespace vardeck {

DriveRowColours DriveRowColoursFor(int index, bool selected) {
  constexpr uint32_t kWhite = 16777215;
  if (selected) return {15786958, 14404270, kWhite};
  if (index % 2 == 0) return {15724527, 12895428, kWhite};
  return {kWhite, 12895428, kWhite};
}

int DriveRowPicture(int index, bool selected) {
  if (selected) return 2;
  return index % 2 == 0 ? 1 : 0;
}

std::array<TextBox, 3> DriveRowTextBoxes(int row_left, const std::array<int, 3>& w,
                                         int picture_width) {
  std::array<TextBox, 3> boxes;
  boxes[0].left = row_left + picture_width + 4;
  boxes[0].right = row_left + w[0] - 2;
  boxes[0].shorten_to = w[0] - picture_width - 4;
  const int x1 = row_left + w[0];
  boxes[1].left = x1 + 4;
  boxes[1].right = x1 + w[1] - 2;
  boxes[1].shorten_to = w[1] - 4;
  const int x2 = x1 + w[1];
  boxes[2].left = x2 + 4;
  boxes[2].right = x2 + w[2] - 2;
  boxes[2].shorten_to = w[2] - 4;
  return boxes;
}

}  // namespace vardeck
