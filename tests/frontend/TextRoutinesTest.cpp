// The shared text routines: byte counts, the recoverability word, "..." shortening, number
// checks, and date texts written and read back under several locales' pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "frontend/TextRoutines.h"

namespace vardeck {
namespace {

// The pictures below are the ones Windows reports for these locales (LOCALE_SSHORTDATE,
// LOCALE_STIMEFORMAT), or built to reach a corner of the picture language.
LocaleSettings EnglishUs() { return LocaleSettings{}; }

LocaleSettings German() {
  LocaleSettings l;
  l.thousand_separator = ".";
  l.decimal_separator = ",";
  l.short_date_format = "dd.MM.yyyy";
  l.long_time_format = "HH:mm:ss";
  l.am_designator = "";
  l.pm_designator = "";
  return l;
}

LocaleSettings Hungarian() {
  LocaleSettings l = German();
  l.thousand_separator = "\xA0";
  l.short_date_format = "yyyy. MM. dd.";
  l.long_time_format = "H:mm:ss";
  return l;
}

// A two-digit-year short date (as British English offered in older Windows versions).
LocaleSettings TwoDigitYear() {
  LocaleSettings l = German();
  l.short_date_format = "dd/MM/yy";
  return l;
}

// The designator before the hours, as East Asian pictures place it.
LocaleSettings DesignatorFirst() {
  LocaleSettings l;
  l.short_date_format = "yyyy-MM-dd";
  l.long_time_format = "tt h:mm:ss";
  return l;
}

// A month written by name, a day name and quoted literals.
LocaleSettings NamesAndQuotes() {
  LocaleSettings l;
  l.short_date_format = "ddd dd-MMM-yyyy";
  l.long_time_format = "HH'h'mm'm'ss's'";
  return l;
}

constexpr uint64_t kSecond = 10'000'000;
constexpr uint64_t kDay = 86'400 * kSecond;
// 2007-09-04 08:05:03 and that day's midnight, counted from 1601-01-01.
constexpr uint64_t k2007Sep4At080503 = 128'333'667'030'000'000;
constexpr uint64_t k2007Sep4 = 128'333'376'000'000'000;
// 2000-02-29 12:34:56, a leap day in a century year.
constexpr uint64_t k2000Feb29At123456 = 125'963'012'960'000'000;
// 9999-12-31 23:59:59, the last second a date text can hold.
constexpr uint64_t kLastDateSecond = 2'650'467'743'990'000'000;

TEST(SizeText, BytesBelowOneKilobyteAndNegativeCountsStayInBytes) {
  EXPECT_EQ(SizeText(0, EnglishUs()), "0 bytes");
  EXPECT_EQ(SizeText(1023, EnglishUs()), "1023 bytes");
  EXPECT_EQ(SizeText(-1, EnglishUs()), "-1 bytes");
  EXPECT_EQ(SizeText(-1048576, EnglishUs()), "-1048576 bytes");
  EXPECT_EQ(SizeText(std::numeric_limits<int64_t>::min(), EnglishUs()),
            "-9223372036854775808 bytes");
}

TEST(SizeText, LargerCountsTakeTheLargestUnitWithTwoDecimals) {
  EXPECT_EQ(SizeText(1024, EnglishUs()), "1.00 KB");
  EXPECT_EQ(SizeText(1048576, EnglishUs()), "1.00 MB");
  EXPECT_EQ(SizeText(1572864, EnglishUs()), "1.50 MB");
  EXPECT_EQ(SizeText(int64_t{3} << 30, EnglishUs()), "3.00 GB");
  EXPECT_EQ(SizeText(int64_t{1} << 40, EnglishUs()), "1.00 TB");
}

TEST(SizeText, TerabytesAreTheLastUnitAndAreGrouped) {
  EXPECT_EQ(SizeText(int64_t{1} << 50, EnglishUs()), "1,024.00 TB");
  EXPECT_EQ(SizeText(std::numeric_limits<int64_t>::max(), EnglishUs()), "8,388,608.00 TB");
  EXPECT_EQ(SizeText(int64_t{1} << 50, German()), "1.024,00 TB");
  EXPECT_EQ(SizeText(int64_t{1} << 50, Hungarian()),
            "1\xA0"
            "024,00 TB");
}

TEST(SizeText, OneArgumentFormFollowsTheCurrentLocale) {
  const LocaleSettings saved = CurrentLocale();
  SetCurrentLocale(German());
  EXPECT_EQ(SizeText(1572864), "1,50 MB");
  SetCurrentLocale(saved);
}

TEST(QualityText, RatioOfFreeToAllClustersGivesTheWord) {
  EXPECT_EQ(QualityText(10, 10), "Very good");
  EXPECT_EQ(QualityText(9, 10), "Good");
  EXPECT_EQ(QualityText(5, 10), "Pool");
  EXPECT_EQ(QualityText(4, 10), "Bad");
  EXPECT_EQ(QualityText(0, 10), "Bad");
  EXPECT_EQ(QualityText(899'999'999, 1'000'000'000), "Pool");
  EXPECT_EQ(QualityText(900'000'000, 1'000'000'000), "Good");
}

TEST(QualityText, NoClustersAtAllIsVeryGood) {
  EXPECT_EQ(QualityText(0, 0), "Very good");
  EXPECT_EQ(QualityText(7, 0), "Very good");
}

// Ten pixels per character; dots are free when the flag says so.
TextWidthFunction FixedWidth(bool dots_free = false) {
  return [dots_free](std::string_view text) {
    int width = 0;
    for (char c : text) width += (dots_free && c == '.') ? 0 : 10;
    return width;
  };
}

TEST(EllipsisText, TextThatFitsComesBackUnchanged) {
  EXPECT_EQ(EllipsisText(FixedWidth(), "abc", 30), "abc");
  EXPECT_EQ(EllipsisText(FixedWidth(), "", 0), "");
}

TEST(EllipsisText, OneCharacterTextWiderThanTheWidthComesBackUnchanged) {
  EXPECT_EQ(EllipsisText(FixedWidth(), "W", 5), "W");
}

TEST(EllipsisText, FirstCandidateReachingTheWidthIsTakenEvenIfItOvershoots) {
  EXPECT_EQ(EllipsisText(FixedWidth(), "abcdef", 50), "ab...");
  EXPECT_EQ(EllipsisText(FixedWidth(), "abcdef", 45), "ab...");
  EXPECT_EQ(EllipsisText(FixedWidth(), "abcdef", 0), "a...");
  EXPECT_EQ(EllipsisText(FixedWidth(), "abcdef", -20), "a...");
}

TEST(EllipsisText, TextWithNoCandidateWideEnoughComesBackUnchanged) {
  EXPECT_EQ(EllipsisText(FixedWidth(true), "abcdef", 55), "abcdef");
}

TEST(IsAllDigits, OnlyDecimalDigitsCountAndEmptyTextCounts) {
  EXPECT_TRUE(IsAllDigits(""));
  EXPECT_TRUE(IsAllDigits("0123456789"));
  EXPECT_FALSE(IsAllDigits("12a"));
  EXPECT_FALSE(IsAllDigits(" 1"));
  EXPECT_FALSE(IsAllDigits("-1"));
  EXPECT_FALSE(IsAllDigits("\xB2"));  // superscript two in Western code pages
}

TEST(TextToInt64, DecimalWithSignAndTheWholeSignedRange) {
  int64_t v = 0;
  EXPECT_TRUE(TextToInt64("123", v));
  EXPECT_EQ(v, 123);
  EXPECT_TRUE(TextToInt64("  -5", v));
  EXPECT_EQ(v, -5);
  EXPECT_TRUE(TextToInt64("+7", v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(TextToInt64("9223372036854775807", v));
  EXPECT_EQ(v, std::numeric_limits<int64_t>::max());
  EXPECT_TRUE(TextToInt64("-9223372036854775808", v));
  EXPECT_EQ(v, std::numeric_limits<int64_t>::min());
}

TEST(TextToInt64, HexadecimalFormsGiveTheBitPattern) {
  int64_t v = 0;
  EXPECT_TRUE(TextToInt64("$FF", v));
  EXPECT_EQ(v, 255);
  EXPECT_TRUE(TextToInt64("0x1f", v));
  EXPECT_EQ(v, 31);
  EXPECT_TRUE(TextToInt64("-$10", v));
  EXPECT_EQ(v, -16);
  EXPECT_TRUE(TextToInt64("$FFFFFFFFFFFFFFFF", v));
  EXPECT_EQ(v, -1);
}

TEST(TextToInt64, MalformedOrOutOfRangeTextIsRefused) {
  int64_t v = 42;
  for (const char* text :
       {"", " ", "-", "+", "$", "0x", "12a", "1 ", "--1", "+-1", "1e3", "$-1", "$10000000000000000",
        "9223372036854775808", "-9223372036854775809", "99999999999999999999999"}) {
    EXPECT_FALSE(TextToInt64(text, v)) << text;
  }
}

TEST(DateText, WrittenInTheLocalePicturesWithTheTimeLeftOutAtMidnight) {
  EXPECT_EQ(FileTimeToDateText(k2007Sep4At080503, EnglishUs()), "9/4/2007 8:05:03 AM");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4, EnglishUs()), "9/4/2007");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4 + 12 * 3600 * kSecond, EnglishUs()),
            "9/4/2007 12:00:00 PM");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4 + 30 * 60 * kSecond, EnglishUs()), "9/4/2007 12:30:00 AM");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4At080503, German()), "04.09.2007 08:05:03");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4At080503, Hungarian()), "2007. 09. 04. 8:05:03");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4At080503, DesignatorFirst()), "2007-09-04 AM 8:05:03");
  EXPECT_EQ(FileTimeToDateText(k2007Sep4At080503, NamesAndQuotes()), "04-09-2007 08h05m03s");
}

TEST(DateText, TwoDigitYearPictureIsWrittenWithTheCentury) {
  EXPECT_EQ(FileTimeToDateText(k2007Sep4At080503, TwoDigitYear()), "04/09/2007 08:05:03");
}

TEST(DateText, TimesPastTheYear9999HaveNoDateText) {
  EXPECT_EQ(FileTimeToDateText(kLastDateSecond, German()), "31.12.9999 23:59:59");
  EXPECT_EQ(FileTimeToDateText(kLastDateSecond + kSecond, German()), "");
  EXPECT_EQ(FileTimeToDateText(std::numeric_limits<uint64_t>::max(), German()), "");
}

TEST(DateText, EveryWrittenTextReadsBackToTheSameSecond) {
  const std::vector<uint64_t> times = {
      k2007Sep4At080503,
      k2007Sep4,
      k2007Sep4 + 12 * 3600 * kSecond,
      k2007Sep4 + 30 * 60 * kSecond,
      k2007Sep4 + kDay - kSecond,
      kSecond,  // 1601-01-01 00:00:01
      0,        // 1601-01-01 midnight
      kLastDateSecond,
      k2000Feb29At123456,
  };
  for (const LocaleSettings& locale :
       {EnglishUs(), German(), Hungarian(), TwoDigitYear(), DesignatorFirst(), NamesAndQuotes()}) {
    for (uint64_t time : times) {
      const std::string text = FileTimeToDateText(time, locale);
      uint64_t back = 1;
      ASSERT_TRUE(DateTextToFileTime(text, back, locale))
          << text << " / " << locale.short_date_format;
      EXPECT_EQ(back, time) << text << " / " << locale.short_date_format;
    }
  }
}

TEST(DateText, SubSecondTicksAreDroppedWhenWritten) {
  uint64_t back = 0;
  ASSERT_TRUE(
      DateTextToFileTime(FileTimeToDateText(k2007Sep4At080503 + 1234, German()), back, German()));
  EXPECT_EQ(back, k2007Sep4At080503);
}

TEST(DateText, ReadsAsStandsWithoutTimeZone) {
  uint64_t t = 0;
  ASSERT_TRUE(DateTextToFileTime("9/4/2007 8:05:03 AM", t, EnglishUs()));
  EXPECT_EQ(t, k2007Sep4At080503);
}

TEST(DateText, TypedVariantsOfTheTimeAreAccepted) {
  const std::pair<const char*, uint64_t> cases[] = {
      {"9/4/2007", k2007Sep4},
      {"  09/04/2007  ", k2007Sep4},
      {"9/4/2007 8:05:03 am", k2007Sep4At080503},
      {"9/4/2007 08:05:03", k2007Sep4At080503},
      {"9/4/2007 8:05 PM", k2007Sep4 + (20 * 3600 + 5 * 60) * kSecond},
      {"9/4/2007 20:05:03", k2007Sep4 + (20 * 3600 + 5 * 60 + 3) * kSecond},
      {"9/4/2007 12 AM", k2007Sep4},
      {"9/4/2007 3p", k2007Sep4 + 15 * 3600 * kSecond},
      {"9 / 4 / 2007", k2007Sep4},
  };
  for (const auto& [text, expected] : cases) {
    uint64_t t = 0;
    ASSERT_TRUE(DateTextToFileTime(text, t, EnglishUs())) << text;
    EXPECT_EQ(t, expected) << text;
  }
}

TEST(DateText, TwoDigitYearsFallIn1950To2049) {
  uint64_t t = 0;
  ASSERT_TRUE(DateTextToFileTime("9/4/07", t, EnglishUs()));
  EXPECT_EQ(t, k2007Sep4);
  ASSERT_TRUE(DateTextToFileTime("1/1/49", t, EnglishUs()));
  EXPECT_EQ(FileTimeToDateText(t, German()), "01.01.2049");
  ASSERT_TRUE(DateTextToFileTime("1/1/50", t, EnglishUs()));
  EXPECT_EQ(FileTimeToDateText(t, German()), "01.01.1950");
}

TEST(DateText, TextsThatAreNoDateAndTimeAreRefused) {
  for (const char* text : {"",
                           "   ",
                           "9/4",
                           "9//2007",
                           "2/30/2007",
                           "2/29/2007",
                           "13/1/2007",
                           "0/1/2007",
                           "9/4/2007 24:00:00",
                           "9/4/2007 8:60",
                           "9/4/2007 8:05:60",
                           "9/4/2007 13:00 PM",
                           "9/4/2007 8:05:03 XM",
                           "9/4/2007 junk",
                           "9/4/2007 8:",
                           "9/4/2007 8:05:03:01",
                           "9/4/2007 8.05",
                           "12/31/1600 23:59:59",
                           "1/1/10000",
                           "10:00",
                           "9/4/2007x",
                           "-9/4/2007",
                           "9/4/2007 AM PM 8",
                           "1/1/20071"}) {
    uint64_t t = 7;
    EXPECT_FALSE(IsDateTimeText(text, EnglishUs())) << text;
    EXPECT_FALSE(DateTextToFileTime(text, t, EnglishUs())) << text;
    EXPECT_EQ(t, 7u) << text;
  }
  EXPECT_TRUE(IsDateTimeText("2/29/2008", EnglishUs()));
  EXPECT_FALSE(IsDateTimeText("9/4/2007", German()));
}

// The list texts: local time through the converter, the year unpadded, the rest two digits.
LocaleSettings WithConverter(LocalTimeConverter converter) {
  LocaleSettings l;
  l.to_local_time = std::move(converter);
  return l;
}

TEST(FileTimeText, PadsEveryPartButTheYear) {
  EXPECT_EQ(FileTimeText(k2007Sep4At080503, EnglishUs()), "2007-09-04 08:05:03");
  EXPECT_EQ(FileTimeText(kSecond, EnglishUs()), "1601-01-01 00:00:01");
  EXPECT_EQ(FileTimeText(0x7FFF'FFFF'FFFF'FFFFull, EnglishUs()), "30828-09-14 02:48:05");
}

TEST(FileTimeText, IsShownInLocalTime) {
  const LocaleSettings two_hours_east = WithConverter([](uint64_t utc, uint64_t& local) {
    local = utc + 2 * 3600 * kSecond;
    return true;
  });
  EXPECT_EQ(FileTimeText(k2007Sep4At080503, two_hours_east), "2007-09-04 10:05:03");
  EXPECT_EQ(FileTimeText(k2007Sep4 + kDay - kSecond, two_hours_east), "2007-09-05 01:59:59");
}

TEST(FileTimeText, UnsetOutOfRangeOrUnconvertibleTimesGiveAnEmptyText) {
  EXPECT_EQ(FileTimeText(0, EnglishUs()), "");
  EXPECT_EQ(FileTimeText(0x8000'0000'0000'0000ull, EnglishUs()), "");
  EXPECT_EQ(FileTimeText(std::numeric_limits<uint64_t>::max(), EnglishUs()), "");
  const LocaleSettings refusing = WithConverter([](uint64_t, uint64_t&) { return false; });
  EXPECT_EQ(FileTimeText(k2007Sep4At080503, refusing), "");
  // West of Greenwich the first hours of 1601 fall before the start of file time.
  const LocaleSettings wrapping = WithConverter([](uint64_t utc, uint64_t& local) {
    local = utc - 5 * 3600 * kSecond;
    return true;
  });
  EXPECT_EQ(FileTimeText(kSecond, wrapping), "");
}

constexpr uint16_t FatDate(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr uint16_t FatTime(int hour, int minute, int seconds_field) {
  return static_cast<uint16_t>((hour << 11) | (minute << 5) | seconds_field);
}

TEST(DosDateTimeText, ValidDateAndTimeAsTheyStand) {
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 9, 4), FatTime(8, 5, 1)), "2007-09-04 08:05:02");
  EXPECT_EQ(DosDateTimeText(FatDate(1980, 1, 1), 0), "1980-01-01 00:00:00");
  EXPECT_EQ(DosDateTimeText(FatDate(2107, 12, 31), FatTime(23, 59, 29)), "2107-12-31 23:59:58");
  EXPECT_EQ(DosDateTimeText(FatDate(2008, 2, 29), 0), "2008-02-29 00:00:00");
}

TEST(DosDateTimeText, UnsetOrImpossibleDatesAndTimesGiveAnEmptyText) {
  EXPECT_EQ(DosDateTimeText(0, 0), "");
  EXPECT_EQ(DosDateTimeText(0, FatTime(8, 5, 1)), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 0, 4), 0), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 13, 4), 0), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 9, 0), 0), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 2, 29), 0), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 4, 31), 0), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 9, 4), FatTime(24, 0, 0)), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 9, 4), FatTime(8, 60, 0)), "");
  EXPECT_EQ(DosDateTimeText(FatDate(2007, 9, 4), FatTime(8, 5, 30)), "");
  EXPECT_EQ(DosDateTimeText(0xFFFF, 0xFFFF), "");
}

// Every date word and every time word: a well-formed text or an empty one, never a fault.
TEST(DosDateTimeText, EveryPossibleWordGivesAListTextOrNothing) {
  for (uint32_t word = 0; word <= 0xFFFF; ++word) {
    const std::string by_date = DosDateTimeText(static_cast<uint16_t>(word), 0);
    const std::string by_time = DosDateTimeText(FatDate(2007, 9, 4), static_cast<uint16_t>(word));
    for (const std::string& text : {by_date, by_time}) {
      if (!text.empty()) {
        ASSERT_EQ(text.size(), 19u) << word;
      }
    }
  }
}

}  // namespace
}  // namespace vardeck
