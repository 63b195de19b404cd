// The conventions read from Windows (here: Wine's user locale): usable pictures, date texts
// that read back, and file times shown in local time.
#include <gtest/gtest.h>
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

TEST(SystemLocale, FileTimeTextMatchesTheSystemsOwnLocalTime) {
  const uint64_t time = 128'333'667'030'000'000ull;
  FILETIME utc{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  SYSTEMTIME utc_time;
  SYSTEMTIME local;
  ASSERT_TRUE(FileTimeToSystemTime(&utc, &utc_time));
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc_time, &local));
  char expected[64];
  wsprintfA(expected, "%d-%02d-%02d %02d:%02d:%02d", local.wYear, local.wMonth, local.wDay,
            local.wHour, local.wMinute, local.wSecond);
  EXPECT_EQ(FileTimeText(time, SystemLocaleSettings()), expected);
}

}  // namespace
}  // namespace vardeck
