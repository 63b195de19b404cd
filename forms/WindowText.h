// The text a wrapped system control holds after the user or the system changed it, for the
// controls that keep a copy of it (an edit, a combo box's edit part).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace forms {

// The window's text when it is not `known`; nothing when it is, or when there is no window.
std::optional<std::string> ChangedWindowText(HWND window, const std::string& known);

}  // namespace forms
