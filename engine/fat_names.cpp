// Short-name text and long-name assembly.
#include "engine/fat_names.h"

#include <algorithm>

#include "engine/fat_dir_entry.h"
#include "engine/fat_long_name.h"

namespace scavrel::fat {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void LowerAscii(char* bytes, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (bytes[i] >= 'A' && bytes[i] <= 'Z') bytes[i] = static_cast<char>(bytes[i] - 'A' + 'a');
  }
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

std::string ShortNameOf(ByteSpan entry) {
  char base[kDeNameLength];
  char extension[kDeExtensionLength];
  for (size_t i = 0; i < kDeNameLength; ++i) {
    base[i] = static_cast<char>(ReadLe8(entry, kDeName + i));
  }
  for (size_t i = 0; i < kDeExtensionLength; ++i) {
    extension[i] = static_cast<char>(ReadLe8(entry, kDeExtension + i));
  }
  // Windows (and mtools) store a name typed all in lower case, such as "notes.txt", as an
  // upper-case short name with a case bit for the base and one for the extension, and show it
  // in lower case again: so do we. Only ASCII letters are folded; what a bit means for bytes
  // of the OEM code page beyond ASCII differs between code pages, and those are left as they
  // are stored.
  const uint8_t case_bits = ReadLe8(entry, kDeCaseBits);
  if ((case_bits & kCaseLowerBase) != 0) LowerAscii(base, kDeNameLength);
  if ((case_bits & kCaseLowerExtension) != 0) LowerAscii(extension, kDeExtensionLength);
  if (ReadLe8(entry, kDeName) == kDeletedMark) base[0] = 'x';
  std::string name = CutAndTrim(base, kDeNameLength);
  std::string ext = CutAndTrim(extension, kDeExtensionLength);
  if (!ext.empty()) name += "." + ext;
  return name;
}

uint8_t ShortNameChecksum(ByteSpan short_entry) {
  uint8_t sum = 0;
  for (size_t i = 0; i < kDeNameLength + kDeExtensionLength; ++i) {
    sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + ReadLe8(short_entry, kDeName + i));
  }
  return sum;
}

bool LongNameSequence::Add(ByteSpan part) {
  const uint8_t ordinal = ReadLe8(part, kLnOrdinal);
  const uint8_t checksum = ReadLe8(part, kLnChecksum);
  if (ordinal == kDeletedMark) {
    const bool starts = parts_ == 0 || !deleted_ || checksum != checksum_;
    if (starts) {
      Clear();
      deleted_ = true;
      checksum_ = checksum;
    }
    if (++parts_ > kLnMaxParts) in_order_ = false;
    return starts;
  }
  const uint8_t number = ordinal & kLnNumberMask;
  if ((ordinal & kLnLastPart) != 0) {
    Clear();
    parts_ = 1;
    checksum_ = checksum;
    in_order_ = number >= 1 && number <= kLnMaxParts && (ordinal & 0x80) == 0;
    next_ = static_cast<uint8_t>(number - 1);
    return true;
  }
  const bool follows =
      parts_ != 0 && !deleted_ && next_ != 0 && number == next_ && checksum == checksum_;
  if (follows) {
    next_ = static_cast<uint8_t>(number - 1);
  } else {
    in_order_ = false;
  }
  ++parts_;
  return false;
}

bool LongNameSequence::Names(ByteSpan short_entry) const {
  if (parts_ == 0) return true;
  if (!in_order_ || (!deleted_ && next_ != 0)) return false;
  if (ReadLe8(short_entry, kDeName) == kDeletedMark) return true;
  return ShortNameChecksum(short_entry) == checksum_;
}

void LongNameAccumulator::Prepend(ByteSpan long_name_entry) {
  const size_t before = units_.size();
  if (sequence_.Add(long_name_entry)) older_units_ = before;
  char16_t units[kLnUnitsPerEntry];
  LongNameUnits(long_name_entry, units);
  units_.insert(0, units, kLnUnitsPerEntry);
  if (units_.size() > kMaxUnits) {
    // The oldest units go first; they lie at the end.
    older_units_ -= std::min(older_units_, units_.size() - kMaxUnits);
    units_.resize(kMaxUnits);
  }
}

void LongNameAccumulator::Clear() {
  units_.clear();
  older_units_ = 0;
  sequence_.Clear();
}

namespace {

std::u16string UpToFirstNul(const std::u16string& units) {
  size_t end = units.find(u'\0');
  return end == std::u16string::npos ? units : units.substr(0, end);
}

}  // namespace

std::u16string LongNameAccumulator::Name() const { return UpToFirstNul(units_); }

std::u16string LongNameAccumulator::RunName() const {
  return UpToFirstNul(units_.substr(0, units_.size() - older_units_));
}

}  // namespace scavrel::fat
