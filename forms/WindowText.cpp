// Reading a control's text back from its window.
#include "forms/WindowText.h"

namespace forms {

std::optional<std::string> ChangedWindowText(HWND window, const std::string& known) {
  if (!window) return std::nullopt;
  int n = GetWindowTextLengthA(window);
  std::string t(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
  n = GetWindowTextA(window, t.data(), static_cast<int>(t.size()));
  t.resize(static_cast<size_t>(n > 0 ? n : 0));
  if (t == known) return std::nullopt;
  return t;
}

}  // namespace forms
