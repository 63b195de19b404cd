// Date and time texts: file times and FAT dates as list texts, and the dialogs' date texts in
// the user's short date and long time pictures, written and read back. File times count
// 100-ns ticks from 1601-01-01; calendar arithmetic is proleptic Gregorian, as Windows does it.
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frontend/TextRoutines.h"

namespace vardeck {

namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kSecondsPerDay = 86'400;
constexpr uint64_t kTicksPerDay = kTicksPerSecond * kSecondsPerDay;
// Days from 1601-01-01 to 1970-01-01, the epoch of the day-count formulas below.
constexpr int64_t kDays1601To1970 = 134'774;
// The dialogs' date texts stay within the years the framework's dates cover.
constexpr int kFirstDateYear = 1601;
constexpr int kLastDateYear = 9999;
// Two-digit years typed by the user: 00-49 are 2000-2049, 50-99 are 1950-1999.
constexpr int kTwoDigitYearPivot = 50;

struct CivilTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

bool IsValidCivil(const CivilTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) &&
         t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
         t.second <= 59;
}

// Days since 1970-01-01 of a Gregorian date (the era-based formula: 400-year eras of 146097
// days, years counted from March so that the leap day ends the year).
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void CivilFromDays(int64_t days, CivilTime& t) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  t.day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(year_of_era + era * 400 + (t.month <= 2 ? 1 : 0));
}

CivilTime CivilFromFileTime(uint64_t file_time) {
  const uint64_t seconds = file_time / kTicksPerSecond;
  CivilTime t;
  CivilFromDays(static_cast<int64_t>(seconds / kSecondsPerDay) - kDays1601To1970, t);
  const uint64_t second_of_day = seconds % kSecondsPerDay;
  t.hour = static_cast<int>(second_of_day / 3600);
  t.minute = static_cast<int>(second_of_day / 60 % 60);
  t.second = static_cast<int>(second_of_day % 60);
  return t;
}

// Only for dates from 1601 on (the caller checks), so the tick count is never negative.
uint64_t FileTimeFromCivil(const CivilTime& t) {
  const int64_t days = DaysFromCivil(t.year, t.month, t.day) + kDays1601To1970;
  const uint64_t seconds = static_cast<uint64_t>(days) * kSecondsPerDay +
                           static_cast<uint64_t>(t.hour * 3600 + t.minute * 60 + t.second);
  return seconds * kTicksPerSecond;
}

std::string ListTimeText(const CivilTime& t) {
  char buffer[48];
  std::snprintf(buffer, sizeof(buffer), "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return buffer;
}

// --- date and time pictures -----------------------------------------------------------------

// One piece of a Windows date or time picture: a run of one picture letter, or literal text
// (quoted text with '' for a quote, and every character that is not a picture letter).
struct PictureToken {
  char letter = 0;  // 0: literal
  int count = 0;
  std::string literal;
};

bool IsPictureLetter(char c) {
  switch (c) {
    case 'd':
    case 'M':
    case 'y':
    case 'g':
    case 'h':
    case 'H':
    case 'm':
    case 's':
    case 't':
      return true;
    default:
      return false;
  }
}

std::vector<PictureToken> TokenizePicture(std::string_view picture) {
  std::vector<PictureToken> tokens;
  auto literal = [&tokens]() -> std::string& {
    if (tokens.empty() || tokens.back().letter != 0) tokens.push_back(PictureToken{});
    return tokens.back().literal;
  };
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {
      ++i;
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            literal() += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        literal() += picture[i++];
      }
    } else if (IsPictureLetter(c)) {
      size_t run = i;
      while (run < picture.size() && picture[run] == c) ++run;
      tokens.push_back(PictureToken{c, static_cast<int>(run - i), std::string()});
      i = run;
    } else {
      literal() += c;
      ++i;
    }
  }
  return tokens;
}

// Pieces that a date text carries as numbers only: day and month names and eras are not
// written (a name could not be read back), and every year is written with its century, so
// that a date written with a two-digit-year picture does not read back a century off.
bool IsDroppedToken(const PictureToken& token) {
  return (token.letter == 'd' && token.count > 2) || token.letter == 'g';
}

void AppendNumber(std::string& out, int value, bool two_digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), two_digits ? "%02d" : "%d", value);
  out += buffer;
}

std::string FormatPicture(const std::vector<PictureToken>& tokens, const CivilTime& t,
                          const LocaleSettings& locale) {
  std::string out;
  const std::string& designator = t.hour < 12 ? locale.am_designator : locale.pm_designator;
  for (const PictureToken& token : tokens) {
    if (IsDroppedToken(token)) continue;
    const bool two = token.count >= 2;
    switch (token.letter) {
      case 0:
        out += token.literal;
        break;
      case 'd':
        AppendNumber(out, t.day, two);
        break;
      case 'M':
        AppendNumber(out, t.month, two);
        break;
      case 'y':
        AppendNumber(out, t.year, false);
        break;
      case 'h':
        AppendNumber(out, t.hour % 12 == 0 ? 12 : t.hour % 12, two);
        break;
      case 'H':
        AppendNumber(out, t.hour, two);
        break;
      case 'm':
        AppendNumber(out, t.minute, two);
        break;
      case 's':
        AppendNumber(out, t.second, two);
        break;
      case 't':
        if (two) {
          out += designator;
        } else if (!designator.empty()) {
          out += designator[0];
        }
        break;
    }
  }
  return out;
}

// --- reading date texts ---------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.empty() || text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

// What has been read of a date text so far. -1: not given.
struct ReadFields {
  int year = -1;
  int year_digits = 0;
  int month = -1;
  int day = -1;
  int hour = -1;
  int minute = -1;
  int second = -1;
  int half = 0;  // 0 none, 1 AM, 2 PM
};

class TextCursor {
 public:
  explicit TextCursor(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos; }

  // One to max_digits decimal digits, after optional blanks.
  bool ReadNumber(int max_digits, int& value, int* digits_read = nullptr) {
    SkipBlanks();
    int digits = 0;
    value = 0;
    while (digits < max_digits && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
      ++digits;
    }
    if (digits_read != nullptr) *digits_read = digits;
    return digits > 0;
  }

  // A literal of the picture: a blank in it matches any run of blanks (also none), other
  // characters match themselves, ASCII letters in either case, blanks before them allowed.
  bool ReadLiteral(std::string_view literal) {
    for (char c : literal) {
      SkipBlanks();
      if (IsBlank(c)) continue;
      if (pos_ >= text_.size() || AsciiLower(text_[pos_]) != AsciiLower(c)) return false;
      ++pos_;
    }
    return true;
  }

  // The AM or PM designator, as the locale spells it, as "AM"/"PM", or by its first letter.
  int ReadDesignator(const LocaleSettings& locale) {
    SkipBlanks();
    std::string_view rest = text_.substr(pos_);
    const std::string_view am = locale.am_designator;
    const std::string_view pm = locale.pm_designator;
    // Longer spellings first, so that "AM" is not taken for "A" followed by junk.
    const std::pair<std::string_view, int> candidates[] = {
        {am, 1},  {pm, 2},  {"AM", 1}, {"PM", 2}, {am.substr(0, 1), 1}, {pm.substr(0, 1), 2},
        {"A", 1}, {"P", 2},
    };
    for (const auto& [spelling, half] : candidates) {
      if (StartsWithNoCase(rest, spelling)) {
        pos_ += spelling.size();
        return half;
      }
    }
    return 0;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Reads the text along a picture; every numeric piece of the picture must be present.
bool ReadAlongPicture(const std::vector<PictureToken>& tokens, const LocaleSettings& locale,
                      TextCursor& cursor, ReadFields& fields) {
  for (const PictureToken& token : tokens) {
    if (IsDroppedToken(token)) continue;
    int value = 0;
    switch (token.letter) {
      case 0:
        if (!cursor.ReadLiteral(token.literal)) return false;
        break;
      case 'd':
        if (!cursor.ReadNumber(2, value)) return false;
        fields.day = value;
        break;
      case 'M':
        if (!cursor.ReadNumber(2, value)) return false;
        fields.month = value;
        break;
      case 'y':
        if (!cursor.ReadNumber(4, value, &fields.year_digits)) return false;
        fields.year = value;
        break;
      case 'h':
      case 'H':
        if (!cursor.ReadNumber(2, value)) return false;
        fields.hour = value;
        break;
      case 'm':
        if (!cursor.ReadNumber(2, value)) return false;
        fields.minute = value;
        break;
      case 's':
        if (!cursor.ReadNumber(2, value)) return false;
        fields.second = value;
        break;
      case 't':
        // Optional: a time typed in 24-hour form carries no designator.
        if (fields.half == 0) fields.half = cursor.ReadDesignator(locale);
        break;
    }
  }
  return true;
}

// The separator between hours and minutes in the long time picture, ":" when it has none.
std::string TimeSeparator(const std::vector<PictureToken>& tokens) {
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if ((tokens[i].letter == 'h' || tokens[i].letter == 'H') && tokens[i + 1].letter == 0) {
      std::string_view literal = tokens[i + 1].literal;
      while (!literal.empty() && IsBlank(literal.front())) literal.remove_prefix(1);
      while (!literal.empty() && IsBlank(literal.back())) literal.remove_suffix(1);
      if (!literal.empty()) return std::string(literal);
    }
  }
  return ":";
}

// A time as people type it: [designator] hour [sep minute [sep second]] [designator].
bool ReadLooseTime(const LocaleSettings& locale, const std::string& separator, TextCursor& cursor,
                   ReadFields& fields) {
  fields.half = cursor.ReadDesignator(locale);
  if (!cursor.ReadNumber(2, fields.hour)) return false;
  int* const rest[] = {&fields.minute, &fields.second};
  for (int* field : rest) {
    const size_t before = cursor.Position();
    bool separated = cursor.ReadLiteral(separator);
    if (!separated) {
      cursor.SetPosition(before);
      separated = cursor.ReadLiteral(":");
    }
    if (!separated) {
      cursor.SetPosition(before);
      break;
    }
    if (!cursor.ReadNumber(2, *field)) return false;
  }
  if (fields.half == 0) fields.half = cursor.ReadDesignator(locale);
  return true;
}

std::optional<CivilTime> ReadDateText(std::string_view text, const LocaleSettings& locale) {
  TextCursor cursor(text);
  ReadFields fields;
  if (!ReadAlongPicture(TokenizePicture(locale.short_date_format), locale, cursor, fields)) {
    return std::nullopt;
  }
  if (fields.year < 0 || fields.month < 0 || fields.day < 0) return std::nullopt;

  cursor.SkipBlanks();
  if (!cursor.AtEnd()) {
    const size_t time_start = cursor.Position();
    // The time stands apart from the date: "1/1/20071" is no date at one o'clock.
    if (time_start == 0 || !IsBlank(text[time_start - 1])) return std::nullopt;
    const std::vector<PictureToken> time_tokens = TokenizePicture(locale.long_time_format);
    ReadFields exact = fields;
    bool read = ReadAlongPicture(time_tokens, locale, cursor, exact) && exact.hour >= 0;
    cursor.SkipBlanks();
    if (read && cursor.AtEnd()) {
      fields = exact;
    } else {
      cursor.SetPosition(time_start);
      if (!ReadLooseTime(locale, TimeSeparator(time_tokens), cursor, fields)) return std::nullopt;
      cursor.SkipBlanks();
      if (!cursor.AtEnd()) return std::nullopt;
    }
  }

  CivilTime t;
  t.year = fields.year;
  if (fields.year_digits <= 2) t.year += fields.year < kTwoDigitYearPivot ? 2000 : 1900;
  t.month = fields.month;
  t.day = fields.day;
  t.hour = fields.hour < 0 ? 0 : fields.hour;
  t.minute = fields.minute < 0 ? 0 : fields.minute;
  t.second = fields.second < 0 ? 0 : fields.second;
  if (fields.half != 0) {
    if (t.hour > 12) return std::nullopt;
    if (fields.half == 1 && t.hour == 12) t.hour = 0;
    if (fields.half == 2 && t.hour < 12) t.hour += 12;
  }
  if (t.year < kFirstDateYear || t.year > kLastDateYear || !IsValidCivil(t)) return std::nullopt;
  return t;
}

}  // namespace

bool IsDateTimeText(std::string_view text) { return IsDateTimeText(text, CurrentLocale()); }

bool IsDateTimeText(std::string_view text, const LocaleSettings& locale) {
  return ReadDateText(text, locale).has_value();
}

bool DateTextToFileTime(std::string_view text, uint64_t& file_time) {
  return DateTextToFileTime(text, file_time, CurrentLocale());
}

bool DateTextToFileTime(std::string_view text, uint64_t& file_time, const LocaleSettings& locale) {
  std::optional<CivilTime> t = ReadDateText(text, locale);
  if (!t) return false;
  file_time = FileTimeFromCivil(*t);
  return true;
}

std::string FileTimeToDateText(uint64_t file_time) {
  return FileTimeToDateText(file_time, CurrentLocale());
}

std::string FileTimeToDateText(uint64_t file_time, const LocaleSettings& locale) {
  const CivilTime t = CivilFromFileTime(file_time);
  if (t.year > kLastDateYear) return std::string();
  std::string text = FormatPicture(TokenizePicture(locale.short_date_format), t, locale);
  // A day name left out leaves its blank behind.
  const size_t first = text.find_first_not_of(' ');
  const size_t last = text.find_last_not_of(' ');
  text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  if (file_time % kTicksPerDay != 0) {
    text += ' ';
    text += FormatPicture(TokenizePicture(locale.long_time_format), t, locale);
  }
  return text;
}

std::string FileTimeText(uint64_t file_time) { return FileTimeText(file_time, CurrentLocale()); }

std::string FileTimeText(uint64_t file_time, const LocaleSettings& locale) {
  // Windows takes file times up to 0x7FFFFFFFFFFFFFFF; 0 is a time that was never set.
  constexpr uint64_t kLastFileTime = 0x7FFF'FFFF'FFFF'FFFFull;
  if (file_time == 0 || file_time > kLastFileTime) return std::string();
  uint64_t local = file_time;
  if (locale.to_local_time && !locale.to_local_time(file_time, local)) return std::string();
  if (local > kLastFileTime) return std::string();
  return ListTimeText(CivilFromFileTime(local));
}

std::string DosDateTimeText(uint16_t fat_date, uint16_t fat_time) {
  if (fat_date == 0) return std::string();
  // Date: bits 15-9 years since 1980, 8-5 month, 4-0 day.
  // Time: bits 15-11 hours, 10-5 minutes, 4-0 seconds in two-second steps.
  CivilTime t;
  t.year = 1980 + (fat_date >> 9);
  t.month = (fat_date >> 5) & 0x0F;
  t.day = fat_date & 0x1F;
  t.hour = fat_time >> 11;
  t.minute = (fat_time >> 5) & 0x3F;
  t.second = (fat_time & 0x1F) * 2;
  if (!IsValidCivil(t)) return std::string();
  return ListTimeText(t);
}

}  // namespace vardeck
