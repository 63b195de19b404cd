// What the filter and find dialogs decide without a window: the checks of their entries (in
// order, each with the text to show and the entry to focus), the find dialog's reading of a
// file name into an extension filter and a name pattern, the digits-only rule of the size
// entries, and where the date picker goes beside the button that opened it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/SharedState.h"
#include "frontend/TextLocale.h"

namespace vardeck {

// The six entries of a dialog as the user left them.
struct FilterEntries {
  std::string create_min, create_max;
  std::string modify_min, modify_max;
  std::string size_min, size_max;
};

enum class FilterEntry { kNone, kCreateMin, kCreateMax, kModifyMin, kModifyMax, kSizeMin, kSizeMax };

// The first entry that fails, with the language key of its message, or the bounds read.
struct FilterCheck {
  bool ok = false;
  std::string text_key;  // "validdate1", "validdate2", "validnumber1" or "validnumber2"
  FilterEntry focus = FilterEntry::kNone;
  FilterBounds bounds;
};

// Dates must read as dates, each "to" later than its "from" (an equal time fails), sizes
// whole numbers not below 0, the minimum not above the maximum. An empty entry is not set; a
// minimum size of 0 is no bound either, while a maximum of 0 is a bound of 0 bytes.
FilterCheck CheckFilterEntries(const FilterEntries& entries);
FilterCheck CheckFilterEntries(const FilterEntries& entries, const LocaleSettings& locale);

// The dialogs' entries for bounds: empty where a bound is not set.
// The folder filters narrow what the results show: a bound is set, or the name filter list
// holds more than blanks and separators.
bool FiltersActive(const FilterBounds& bounds, std::string_view name_filter);

FilterEntries EntriesOfBounds(const FilterBounds& bounds);
FilterEntries EntriesOfBounds(const FilterBounds& bounds, const LocaleSettings& locale);

// The find dialog's file name read as an extension filter for the engine and a pattern for
// the base name. The extension is what follows the last dot.
struct FindCriteria {
  std::string extension_filter;  // "*.jpg", "*." (no extension), or empty (any)
  std::string pattern;           // lowercase; empty lets every name pass
  bool leading_star = false;
  bool trailing_star = false;
  bool operator==(const FindCriteria&) const = default;
};
FindCriteria MakeFilename(std::string_view file_name);

// The name a found file is listed under passes the criteria's pattern: its base name (before
// the last dot, trimmed, in any case) is the pattern, or starts with it (trailing star), ends
// with it (leading star), or holds it anywhere (both).
bool NameMatches(const FindCriteria& criteria, std::string_view name);

// A size entry's text after a change: digits only (or empty) is taken and remembered; any
// other text goes back to the last taken text with the caret moved to its end, or to empty.
struct DigitsOnlyResult {
  std::string text;
  bool move_caret_to_end = false;
};
DigitsOnlyResult DigitsOnly(std::string_view new_text, std::string& last_accepted);

struct ScreenPoint {
  int x = 0, y = 0;
};
// Where the date picker goes: at the anchor (the press on the calendar button), moved back
// inside the screen where it would pass the right or bottom edge, and to 0 for a negative
// anchor.
ScreenPoint PlacePicker(ScreenPoint anchor, int width, int height, int screen_width, int screen_height);

// The date picker's client area laid out around the month calendar's own minimum size (what
// the system's calendar needs to show one whole month, which grows with the user's locale and
// the calendar's font): at least 258 x 225; a larger calendar widens the window and moves the
// time field and the buttons down rather than being cut off. A size of 0 or less (the system
// did not say) gets the space the design gives.
struct PickerLayout {
  int client_width = 0, client_height = 0;
  int calendar_left = 0, calendar_top = 0, calendar_width = 0, calendar_height = 0;
  int bottom_row_top = 0;  // the time field and the OK and Cancel buttons
  int ok_left = 0, cancel_left = 0;
};
PickerLayout LayOutPicker(int calendar_min_width, int calendar_min_height);

}  // namespace vardeck
