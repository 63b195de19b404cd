// Short-name text and long-name assembly.
#include "engine/fat_names.h"

#include "engine/fat_dir_entry.h"
#include "engine/fat_long_name.h"

namespace scavrel::fat {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string CutAndTrim(const char* bytes, size_t length) {
  size_t end = 0;
  while (end < length && bytes[end] != 0) ++end;
  size_t begin = 0;
  while (begin < end && IsSpace(bytes[begin])) ++begin;
  while (end > begin && IsSpace(bytes[end - 1])) --end;
  return std::string(bytes + begin, end - begin);
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
