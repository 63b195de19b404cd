// Text routines the windows share: byte counts, the recoverability word, shortening a text
// to a width, digit and number checks, and the date and time texts of the dialogs and the
// result lists. Portable; the user's conventions come from CurrentLocale().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "frontend/TextLocale.h"

namespace vardeck {

// A byte count as the lists show it: "1023 bytes", "1.50 MB", up to TB (no larger unit).
std::string SizeText(int64_t bytes);
std::string SizeText(int64_t bytes, const LocaleSettings& locale);

// The recoverability word from an entry's clusters still free and all its clusters:
// "Very good", "Good", "Pool" or "Bad".
std::string QualityText(int64_t free_clusters, int64_t total_clusters);

// The width in pixels of a text as some canvas would draw it.
using TextWidthFunction = std::function<int(std::string_view text)>;

// The text shortened with "..." to about the width; the result may be a few pixels wider than
// the width (the drawing clips it), and a text that cannot be shortened comes back unchanged.
std::string EllipsisText(const TextWidthFunction& text_width, std::string_view text, int width);

// True when every character is a decimal digit; an empty text counts.
bool IsAllDigits(std::string_view text);

// A whole 64-bit number: optional leading blanks, optional sign, decimal digits, or "$" or
// "0x" and hexadecimal digits (taken as the 64-bit pattern).
bool TextToInt64(std::string_view text, int64_t& value);

// A date with an optional time in the user's short date and long time form (a time without
// seconds, in 24-hour form, or with the other AM/PM spelling is accepted as well).
bool IsDateTimeText(std::string_view text);
bool IsDateTimeText(std::string_view text, const LocaleSettings& locale);

// The date text as a file time taken as it stands (no time-zone conversion). False when the
// text is no date, or the date lies outside 1601 to 9999.
bool DateTextToFileTime(std::string_view text, uint64_t& file_time);
bool DateTextToFileTime(std::string_view text, uint64_t& file_time, const LocaleSettings& locale);

// The file time (no time-zone conversion) as short date, a blank and long time; the time is
// left out at midnight exactly. Reads back through DateTextToFileTime (to the second). Empty
// for a time past the year 9999.
std::string FileTimeToDateText(uint64_t file_time);
std::string FileTimeToDateText(uint64_t file_time, const LocaleSettings& locale);

// A file time converted to local time, as "2007-09-04 08:05:03". Empty when the time is not
// set (0), out of range, or cannot be converted.
std::string FileTimeText(uint64_t file_time);
std::string FileTimeText(uint64_t file_time, const LocaleSettings& locale);

// A FAT directory entry's date and time, as they stand, in the same form as FileTimeText.
// Empty when the date is not set (0) or the date or time is impossible.
std::string DosDateTimeText(uint16_t fat_date, uint16_t fat_time);

}  // namespace vardeck
