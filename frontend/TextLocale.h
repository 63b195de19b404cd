// The user's number and date conventions that the shared text routines follow: separators,
// the short date and long time pictures (Windows picture letters: d M y h H m s t), the AM/PM
// designators, and the conversion of a file time to local time. On Windows they come from the
// system once, on first use; tests and other platforms set them explicitly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vardeck {

// Converts a UTC file time to the local file time; false when the time cannot be converted.
using LocalTimeConverter = std::function<bool(uint64_t utc, uint64_t& local)>;

struct LocaleSettings {
  std::string thousand_separator = ",";
  std::string decimal_separator = ".";
  std::string short_date_format = "M/d/yyyy";
  std::string long_time_format = "h:mm:ss tt";
  std::string am_designator = "AM";
  std::string pm_designator = "PM";
  // Empty: file times are shown as they stand (UTC).
  LocalTimeConverter to_local_time;
};

// The settings of the user running the program: on Windows read from the system, elsewhere
// a fixed English setting with UTC times.
LocaleSettings SystemLocaleSettings();

// The settings every text routine uses. Read from SystemLocaleSettings on first use; replace
// them only while no other thread formats or parses texts (at start-up, in tests).
const LocaleSettings& CurrentLocale();
void SetCurrentLocale(LocaleSettings settings);

}  // namespace vardeck
