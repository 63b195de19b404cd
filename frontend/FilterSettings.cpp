// The entry checks, the find dialog's file-name reading, the digits-only rule and the date
// picker's place.
#include "frontend/FilterSettings.h"

#include <algorithm>
#include <cctype>

#include "frontend/TextRoutines.h"

namespace vardeck {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

FilterCheck Failed(const char* key, FilterEntry focus) {
  FilterCheck r;
  r.text_key = key;
  r.focus = focus;
  return r;
}

// A date entry: empty is not set; anything else must read as a date.
bool ReadDate(std::string_view text, uint64_t& bound, const LocaleSettings& locale) {
  text = Trim(text);
  if (text.empty()) {
    bound = kFilterBoundNotSet;
    return true;
  }
  return DateTextToFileTime(text, bound, locale);
}

// A size entry: empty is not set; else a whole number, not below 0. `zero_is_unset` for the
// minimum, where 0 bounds nothing.
bool ReadSize(std::string_view text, uint64_t& bound, bool zero_is_unset) {
  text = Trim(text);
  if (text.empty() || (zero_is_unset && text == "0")) {
    bound = kFilterBoundNotSet;
    return true;
  }
  int64_t v = 0;
  if (!TextToInt64(text, v) || v < 0) return false;
  bound = static_cast<uint64_t>(v);
  return true;
}

}  // namespace

FilterCheck CheckFilterEntries(const FilterEntries& e) { return CheckFilterEntries(e, CurrentLocale()); }

FilterCheck CheckFilterEntries(const FilterEntries& e, const LocaleSettings& locale) {
  FilterBounds b;
  if (!ReadDate(e.create_min, b.create_min, locale)) return Failed("validdate1", FilterEntry::kCreateMin);
  if (!ReadDate(e.create_max, b.create_max, locale)) return Failed("validdate1", FilterEntry::kCreateMax);
  if (b.create_min != kFilterBoundNotSet && b.create_max != kFilterBoundNotSet && b.create_max <= b.create_min)
    return Failed("validdate2", FilterEntry::kCreateMin);
  if (!ReadDate(e.modify_min, b.modify_min, locale)) return Failed("validdate1", FilterEntry::kModifyMin);
  if (!ReadDate(e.modify_max, b.modify_max, locale)) return Failed("validdate1", FilterEntry::kModifyMax);
  if (b.modify_min != kFilterBoundNotSet && b.modify_max != kFilterBoundNotSet && b.modify_max <= b.modify_min)
    return Failed("validdate2", FilterEntry::kModifyMin);
  if (!ReadSize(e.size_min, b.size_min, true)) return Failed("validnumber1", FilterEntry::kSizeMin);
  if (!ReadSize(e.size_max, b.size_max, false)) return Failed("validnumber1", FilterEntry::kSizeMax);
  if (b.size_min != kFilterBoundNotSet && b.size_max != kFilterBoundNotSet && b.size_min > b.size_max)
    return Failed("validnumber2", FilterEntry::kSizeMin);
  FilterCheck r;
  r.ok = true;
  r.bounds = b;
  return r;
}

FilterEntries EntriesOfBounds(const FilterBounds& b) { return EntriesOfBounds(b, CurrentLocale()); }

FilterEntries EntriesOfBounds(const FilterBounds& b, const LocaleSettings& locale) {
  auto date = [&](uint64_t t) { return t == kFilterBoundNotSet ? std::string() : FileTimeToDateText(t, locale); };
  auto size = [](uint64_t v) { return v == kFilterBoundNotSet ? std::string() : std::to_string(v); };
  FilterEntries e;
  e.create_min = date(b.create_min);
  e.create_max = date(b.create_max);
  e.modify_min = date(b.modify_min);
  e.modify_max = date(b.modify_max);
  e.size_min = size(b.size_min);
  e.size_max = size(b.size_max);
  return e;
}

FindCriteria MakeFilename(std::string_view file_name) {
  const std::string t = Lower(Trim(file_name));
  FindCriteria c;
  std::string_view base = t;
  const size_t dot = t.rfind('.');
  if (dot != std::string::npos) {
    std::string_view ext = Trim(std::string_view(t).substr(dot + 1));
    if (ext != "*") c.extension_filter = "*." + std::string(ext);
    base = Trim(std::string_view(t).substr(0, dot));
  } else if (!t.empty() && t.back() != '*') {
    c.extension_filter = "*.";  // names without an extension
  }
  if (base.empty() || base == "*") {
    c.leading_star = c.trailing_star = true;
    return c;
  }
  if (base.front() == '*') {
    c.leading_star = true;
    base.remove_prefix(1);
  }
  if (!base.empty() && base.back() == '*') {
    c.trailing_star = true;
    base.remove_suffix(1);
  }
  c.pattern = std::string(base);
  return c;
}

bool NameMatches(const FindCriteria& c, std::string_view name) {
  if (c.pattern.empty()) return true;
  const size_t dot = name.rfind('.');
  const std::string base = Lower(Trim(dot == std::string_view::npos ? name : name.substr(0, dot)));
  const std::string& p = c.pattern;
  if (c.leading_star && c.trailing_star) return base.find(p) != std::string::npos;
  if (base.size() < p.size()) return false;
  if (c.trailing_star) return base.compare(0, p.size(), p) == 0;
  if (c.leading_star) return base.compare(base.size() - p.size(), p.size(), p) == 0;
  return base == p;
}

DigitsOnlyResult DigitsOnly(std::string_view new_text, std::string& last_accepted) {
  DigitsOnlyResult r;
  if (IsAllDigits(new_text)) {
    last_accepted = std::string(new_text);
    r.text = last_accepted;
  } else if (IsAllDigits(last_accepted)) {
    r.text = last_accepted;
    r.move_caret_to_end = true;
  }
  return r;
}

ScreenPoint PlacePicker(ScreenPoint anchor, int width, int height, int screen_width, int screen_height) {
  auto place = [](int at, int size, int screen) {
    if (at < 0) return 0;
    if (at + size > screen) return screen - size < 0 ? 0 : screen - size;
    return at;
  };
  return {place(anchor.x, width, screen_width), place(anchor.y, height, screen_height)};
}

PickerLayout LayOutPicker(int min_width, int min_height) {
  // The design: 258 x 225 client pixels, the calendar in the space between the title bar (26)
  // and 4 pixels above the bottom row (192), 4 pixels from the sides at the most; the bottom
  // row 24 high, 9 above the bottom edge; buttons 73 wide, 4 apart, 8 from the right edge.
  constexpr int kWidth = 258, kHeight = 225, kTop = 26, kSide = 4, kGap = 4, kRowHeight = 24,
                kBottom = 9, kButton = 73;
  constexpr int kDesignArea = kHeight - kBottom - kRowHeight - kGap - kTop;
  PickerLayout l;
  l.calendar_width = min_width > 0 ? min_width : kWidth - 4 * kSide;
  l.calendar_height = min_height > 0 ? min_height : kDesignArea - 2;
  l.client_width = std::max(kWidth, l.calendar_width + 2 * kSide);
  const int area = std::max(kDesignArea, l.calendar_height);
  l.calendar_left = (l.client_width - l.calendar_width) / 2;
  l.calendar_top = kTop + (area - l.calendar_height) / 2;
  l.bottom_row_top = kTop + area + kGap;
  l.client_height = l.bottom_row_top + kRowHeight + kBottom;
  l.cancel_left = l.client_width - 2 * kSide - kButton;
  l.ok_left = l.cancel_left - kGap - kButton;
  return l;
}

bool FiltersActive(const FilterBounds& bounds, std::string_view name_filter) {
  if (!(bounds == FilterBounds{})) return true;
  return name_filter.find_first_not_of(" \t,;") != std::string_view::npos;
}

}  // namespace vardeck
