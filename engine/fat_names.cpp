// Short-name text, long-name assembly and the portable Windows-1252 codec.
#include "engine/fat_names.h"

#include "engine/fat_dir_entry.h"
#include "engine/fat_long_name.h"

namespace scavrel::fat {
namespace {

// Windows-1252 0x80-0x9F; the five unassigned bytes map to the C1 controls as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const FatTextCodec kPortableCodec;
const FatTextCodec* g_codec = &kPortableCodec;

}  // namespace

void SetFatTextCodec(const FatTextCodec* codec) {
  g_codec = codec != nullptr ? codec : &kPortableCodec;
}

std::u16string AnsiToWide(const std::string& text) { return g_codec->AnsiToWide(text); }
std::string WideToAnsi(const std::u16string& text) { return g_codec->WideToAnsi(text); }

std::string CutAndTrim(const char* bytes, size_t length) {
  size_t end = 0;
  while (end < length && bytes[end] != 0) ++end;
  size_t begin = 0;
  while (begin < end && IsSpace(bytes[begin])) ++begin;
  while (end > begin && IsSpace(bytes[end - 1])) --end;
  return std::string(bytes + begin, end - begin);
}

std::u16string FatTextCodec::AnsiToWide(const std::string& text) const {
  std::u16string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto b = static_cast<uint8_t>(ch);
    out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return out;
}

std::string FatTextCodec::WideToAnsi(const std::u16string& text) const {
  std::string out;
  out.reserve(text.size());
  for (char16_t u : text) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == u) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    out.push_back(mapped);
  }
  return out;
}

std::string ShortNameOf(Bytes entry) {
  char base[kDeNameLength];
  char extension[kDeExtensionLength];
  for (size_t i = 0; i < kDeNameLength; ++i) base[i] = static_cast<char>(ReadLe8(entry, kDeName + i));
  for (size_t i = 0; i < kDeExtensionLength; ++i) {
    extension[i] = static_cast<char>(ReadLe8(entry, kDeExtension + i));
  }
  if (static_cast<uint8_t>(base[0]) == kDeletedMark) base[0] = 'x';
  std::string name = CutAndTrim(base, kDeNameLength);
  std::string ext = CutAndTrim(extension, kDeExtensionLength);
  if (!ext.empty()) name += "." + ext;
  return name;
}

void LongNameAccumulator::Prepend(Bytes long_name_entry) {
  char16_t units[kLnUnitsPerEntry];
  LongNameUnits(long_name_entry, units);
  units_.insert(0, units, kLnUnitsPerEntry);
  if (units_.size() > kMaxUnits) units_.resize(kMaxUnits);
}

std::u16string LongNameAccumulator::Name() const {
  size_t end = units_.find(u'\0');
  return end == std::u16string::npos ? units_ : units_.substr(0, end);
}

}  // namespace scavrel::fat
