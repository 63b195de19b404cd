// The user's number, date and time conventions as Windows reports them, and file times
// converted to local time by the engine's rule: the bias in force now, daylight saving
// included (FileTimeToLocalFileTime), so that a time the lists show is the time the engine's
// date filter compares, also across a daylight-saving change.
#include <windows.h>

#include "frontend/TextLocale.h"

namespace vardeck {

namespace {

// The item, or the fallback when it cannot be read; a picture is never left empty (nothing
// could be read back from a text written with it).
std::string LocaleText(LCTYPE item, const char* fallback, bool may_be_empty) {
  char buffer[128];
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, item, buffer, sizeof(buffer));
  // The length counts the terminating zero; 0 means the item could not be read.
  if (length <= 0 || (length == 1 && !may_be_empty)) return fallback;
  return std::string(buffer, static_cast<size_t>(length - 1));
}

bool ToLocalFileTime(uint64_t utc, uint64_t& local) {
  FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
  FILETIME out{};
  if (!FileTimeToLocalFileTime(&in, &out)) return false;
  local = static_cast<uint64_t>(out.dwHighDateTime) << 32 | out.dwLowDateTime;
  return true;
}

}  // namespace

LocaleSettings SystemLocaleSettings() {
  LocaleSettings settings;
  settings.thousand_separator = LocaleText(LOCALE_STHOUSAND, ",", true);
  settings.decimal_separator = LocaleText(LOCALE_SDECIMAL, ".", false);
  settings.short_date_format = LocaleText(LOCALE_SSHORTDATE, "M/d/yyyy", false);
  settings.long_time_format = LocaleText(LOCALE_STIMEFORMAT, "h:mm:ss tt", false);
  settings.am_designator = LocaleText(LOCALE_S1159, "AM", true);
  settings.pm_designator = LocaleText(LOCALE_S2359, "PM", true);
  settings.to_local_time = ToLocalFileTime;
  return settings;
}

}  // namespace vardeck
