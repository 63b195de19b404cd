// The message box's layout arithmetic (see MessageBoxLayout.h).
#include "frontend/MessageBoxLayout.h"

#include <algorithm>

namespace vardeck {

MeasuredText MeasureMessageText(std::string_view text, const TextWidthFunction& text_width,
                                int line_height, const MessageBoxMetrics& m) {
  int width = m.min_label_width;
  int lines = 0;
  if (text.empty()) {
    lines = 1;
  } else {
    // Lines are cut at CR LF only, as the language file's values break them.
    size_t start = 0;
    while (true) {
      size_t end = text.find("\r\n", start);
      std::string_view part = text.substr(start, end == std::string_view::npos ? text.size() - start
                                                                               : end - start);
      int w = text_width(part);
      if (w > width) {
        width = std::min(w, m.max_label_width);
        lines += w > m.max_label_width ? (w + m.max_label_width - 1) / m.max_label_width : 1;
      } else {
        lines += 1;
      }
      if (end == std::string_view::npos) break;
      start = end + 2;
    }
  }
  lines += 1;
  return MeasuredText{width, lines * line_height};
}

MessageBoxLayout LayOutMessageBox(const MeasuredText& measured, int button_count,
                                  const MessageBoxMetrics& m) {
  MessageBoxLayout l;
  l.label_width = measured.width;
  l.label_height = std::max(measured.height, m.min_label_height);
  l.window_width = m.label_left + l.label_width + m.right_space;
  l.window_height = m.label_top + l.label_height + m.bottom_space;
  if (button_count == 1) {
    l.ok_left = (l.window_width - m.button_width) / 2;
    l.cancel_shown = false;
  } else {
    l.ok_left = (l.window_width - m.button_width - m.button_width - m.button_gap) / 2;
    l.cancel_left = l.ok_left + m.button_width + m.button_gap;
    l.cancel_shown = true;
  }
  return l;
}

int MessageBoxButtonCount(unsigned asked) { return asked == 1 ? 1 : 2; }

}  // namespace vardeck
