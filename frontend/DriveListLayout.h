// Where the start window's drive list draws each row: its fill and line colours by row and
// selection, the picture it shows, and the three text boxes (drive, capacity, file system) with
// the widths the texts are shortened to. Plain arithmetic, tested without a window.
#pragma once

#include <array>
#include <cstdint>

namespace vardeck {

// Colours in the framework's colour type (blue in the high byte).
struct DriveRowColours {
  uint32_t fill;
  uint32_t bottom_line;
  uint32_t top_line;
};

// Selected rows, even rows (0, 2, ...) and odd rows each have their own fill; every row has the
// white top line.
DriveRowColours DriveRowColoursFor(int index, bool selected);

// Picture 2 of the row pictures for the selected row, 1 for even rows, 0 for odd rows.
int DriveRowPicture(int index, bool selected);

struct TextBox {
  int left = 0, right = 0;  // top and bottom are the row's
  int shorten_to = 0;       // the width the text is shortened to with "..."
};

// The boxes of the three columns of a row that starts at `row_left`, for the columns' widths
// and the width of the row picture.
std::array<TextBox, 3> DriveRowTextBoxes(int row_left, const std::array<int, 3>& column_widths,
                                         int picture_width);

}  // namespace vardeck
