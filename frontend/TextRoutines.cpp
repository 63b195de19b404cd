// Byte counts, the recoverability word, "..." shortening, digit and number checks. The date
// and time texts are in DateTimeText.cpp.
#include "frontend/TextRoutines.h"

#include <charconv>
#include <cstddef>

namespace vardeck {

namespace {

// A non-negative number with two decimals, digits grouped by three, in the locale's
// separators (the form the framework's "%n" format gives). to_chars, unlike printf, does not
// follow the C library's locale.
std::string GroupedTwoDecimals(double value, const LocaleSettings& locale) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 2);
  if (result.ec != std::errc()) return std::string();
  std::string_view digits(buffer, static_cast<size_t>(result.ptr - buffer));
  size_t point = digits.find('.');
  std::string_view whole = digits.substr(0, point);
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : digits.substr(point + 1);

  std::string out;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out += locale.thousand_separator;
    out += whole[i];
  }
  out += locale.decimal_separator;
  out += fraction;
  return out;
}

}  // namespace

std::string SizeText(int64_t bytes) { return SizeText(bytes, CurrentLocale()); }

std::string SizeText(int64_t bytes, const LocaleSettings& locale) {
  double value = static_cast<double>(bytes) / 1024.0;
  if (value < 1.0) return std::to_string(bytes) + " bytes";
  static const char* const kUnits[] = {" KB", " MB", " GB", " TB"};
  int unit = 0;
  while (unit < 3 && value / 1024.0 >= 1.0) {
    value /= 1024.0;
    ++unit;
  }
  return GroupedTwoDecimals(value, locale) + kUnits[unit];
}

std::string QualityText(int64_t free_clusters, int64_t total_clusters) {
  if (total_clusters == 0) return "Very good";
  long double ratio =
      static_cast<long double>(free_clusters) / static_cast<long double>(total_clusters);
  if (ratio >= 1.0L) return "Very good";
  if (ratio >= 0.9L) return "Good";
  if (ratio >= 0.5L) return "Pool";
  return "Bad";
}

std::string EllipsisText(const TextWidthFunction& text_width, std::string_view text, int width) {
  if (text_width(text) <= width) return std::string(text);
  // The first candidate that reaches the width wins, so it may overshoot by part of a
  // character; the caller's drawing clips it.
  for (size_t i = 1; i < text.size(); ++i) {
    std::string candidate(text.substr(0, i));
    candidate += "...";
    if (text_width(candidate) >= width) return candidate;
  }
  return std::string(text);
}

bool IsAllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool TextToInt64(std::string_view text, int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string_view rest = text.substr(i);
  uint64_t magnitude = 0;
  if (!rest.empty() && rest[0] == '$') {
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    rest.remove_prefix(2);
  } else {
    // Decimal: the magnitude must fit the signed range (one more for a minus sign).
    if (rest.empty() || rest[0] < '0' || rest[0] > '9') return false;
    auto result = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, 10);
    if (result.ec != std::errc() || result.ptr != rest.data() + rest.size()) return false;
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (magnitude > limit) return false;
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
  }
  // Hexadecimal: the value is the 64-bit pattern; more than 64 bits do not convert.
  if (rest.empty()) return false;
  auto result = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, 16);
  if (result.ec != std::errc() || result.ptr != rest.data() + rest.size()) return false;
  value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
  return true;
}

}  // namespace vardeck
