// The conventions read from Windows (here: Wine's user locale): usable pictures, date texts
// that read back, and file times shown in local time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <windows.h>

#include <string>

#include "frontend/TextRoutines.h"

namespace vardeck {
namespace {

TEST(SystemLocale, PicturesAndSeparatorsAreRead) {
  const LocaleSettings locale = SystemLocaleSettings();
  EXPECT_FALSE(locale.decimal_separator.empty());
  EXPECT_NE(locale.short_date_format.find('d'), std::string::npos) << locale.short_date_format;
  EXPECT_NE(locale.short_date_format.find('M'), std::string::npos) << locale.short_date_format;
  EXPECT_NE(locale.short_date_format.find('y'), std::string::npos) << locale.short_date_format;
  EXPECT_FALSE(locale.long_time_format.empty());
  EXPECT_TRUE(static_cast<bool>(locale.to_local_time));
}

TEST(SystemLocale, DateTextsReadBackUnderTheSystemLocale) {
  const LocaleSettings locale = SystemLocaleSettings();
  // 2007-09-04 08:05:03 and 20:05:03, counted from 1601-01-01.
  for (uint64_t time : {128'333'667'030'000'000ull, 128'334'099'030'000'000ull}) {
    const std::string text = FileTimeToDateText(time, locale);
    uint64_t back = 0;
    ASSERT_TRUE(DateTextToFileTime(text, back, locale)) << text;
    EXPECT_EQ(back, time) << text;
  }
}

// The engine's date filter turns UTC into local time with FileTimeToLocalFileTime (the bias in
// force now); the lists must show that same local time, or a file would be listed at a time
// one hour away from the one the filter compared.
std::string EngineLocalText(uint64_t time) {
  FILETIME utc{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  FILETIME local_file{};
  SYSTEMTIME local;
  if (!FileTimeToLocalFileTime(&utc, &local_file) || !FileTimeToSystemTime(&local_file, &local))
    return "";
  char text[64];
  wsprintfA(text, "%d-%02d-%02d %02d:%02d:%02d", local.wYear, local.wMonth, local.wDay,
            local.wHour, local.wMinute, local.wSecond);
  return text;
}

TEST(SystemLocale, FileTimeTextUsesTheEnginesLocalTimeRule) {
  // 2007-09-04 08:05:03 (summer in the northern zones) and 2007-01-15 08:05:03 (winter).
  for (uint64_t time : {128'333'667'030'000'000ull, 128'133'219'030'000'000ull}) {
    const std::string expected = EngineLocalText(time);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(FileTimeText(time, SystemLocaleSettings()), expected);
  }
}

TEST(SystemLocale, SummerAndWinterTimesGetTheSameOffset) {
  // The engine's rule applies one bias to every time, whatever the season of the time itself.
  const uint64_t summer = 128'333'667'030'000'000ull, winter = 128'133'219'030'000'000ull;
  LocaleSettings settings = SystemLocaleSettings();
  uint64_t summer_local = 0, winter_local = 0;
  ASSERT_TRUE(settings.to_local_time(summer, summer_local));
  ASSERT_TRUE(settings.to_local_time(winter, winter_local));
  EXPECT_EQ(static_cast<int64_t>(summer_local - summer), static_cast<int64_t>(winter_local - winter));
  if (const char* hours = getenv("TOLVANE_ZONE_OFFSET_HOURS")) {
    EXPECT_EQ(static_cast<int64_t>(summer_local - summer), atoll(hours) * 36'000'000'000ll);
  }
}

}  // namespace
}  // namespace vardeck
