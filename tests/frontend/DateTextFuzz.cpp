// Any text typed into a date field, under pictures chosen by the input: reading never faults,
// and a text that reads as a date writes back to a text that reads as the same time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/TextRoutines.h"

namespace {

vardeck::LocaleSettings PickLocale(uint8_t choice) {
  vardeck::LocaleSettings l;
  switch (choice % 4) {
    case 1:
      l.short_date_format = "dd.MM.yyyy";
      l.long_time_format = "HH:mm:ss";
      l.am_designator.clear();
      l.pm_designator.clear();
      break;
    case 2:
      l.short_date_format = "yyyy. MM. dd.";
      l.long_time_format = "tt h:mm:ss";
      break;
    case 3:
      l.short_date_format = "ddd dd-MMM-yy";
      l.long_time_format = "HH'h'mm";
      break;
  }
  return l;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const vardeck::LocaleSettings locale = PickLocale(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  uint64_t time = 0;
  if (vardeck::DateTextToFileTime(text, time, locale)) {
    const std::string written = vardeck::FileTimeToDateText(time, locale);
    uint64_t back = 0;
    if (!vardeck::DateTextToFileTime(written, back, locale)) std::abort();
    // Pictures without seconds write the time to the minute.
    if (back / 600'000'000 != time / 600'000'000) std::abort();
  }
  int64_t number = 0;
  vardeck::TextToInt64(text, number);
  return 0;
}
