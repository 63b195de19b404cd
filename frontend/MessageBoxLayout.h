// Where the message box's label, window edges and buttons go for a text: the box is sized to
// its text, between a smallest and a largest label width, and its one or two buttons are
// centred under it. A plain function of the text's pixel widths, so that it is tested without
// a window.
#pragma once

#include <string_view>

#include "frontend/TextRoutines.h"

namespace vardeck {

// The box's fixed values (design pixels).
struct MessageBoxMetrics {
  int label_left = 101;
  int label_top = 45;
  int min_label_width = 180;
  int max_label_width = 294;
  int min_label_height = 50;
  int bottom_space = 60;   // label bottom to the window's bottom edge
  int right_space = 30;    // label right edge to the window's right edge
  int button_gap = 30;
  int button_width = 73;
};

struct MeasuredText {
  int width = 0;
  int height = 0;
};

// The label's size for the text: the widest line (at least the smallest width, at most the
// largest), and one text line per line (a line wider than the largest width wraps into as many
// as it needs) plus one. `line_height` is the height of "A". An empty text measures as one line
// at the smallest width, so that the box keeps room for its buttons.
MeasuredText MeasureMessageText(std::string_view text, const TextWidthFunction& text_width,
                                int line_height, const MessageBoxMetrics& m = {});

struct MessageBoxLayout {
  int label_width = 0;
  int label_height = 0;
  int window_width = 0;
  int window_height = 0;
  int ok_left = 0;
  int cancel_left = 0;   // meaningful with two buttons only
  bool cancel_shown = false;
};

// The whole layout for a measured text and a button count (1 or 2).
MessageBoxLayout LayOutMessageBox(const MeasuredText& measured, int button_count,
                                  const MessageBoxMetrics& m = {});

// The button count the box takes: 1 or 2 as asked, anything from 3 on as 2; 0 as 2 too, since a
// box without buttons could only be closed from its title bar.
int MessageBoxButtonCount(unsigned asked);

}  // namespace vardeck
