// Names of FAT entries: the short (8.3) name as the scan shows it and the long name assembled
// from long-name entries. Short names and the progress text are text in the system's ANSI code
// page, converted through engine/ansi_text.h.
#pragma once

#include <cstdint>
#include <string>

#include "engine/ansi_text.h"
#include "engine/fat_bytes.h"

namespace scavrel::fat {

// Bytes of a name field cut at the first zero byte and trimmed of white space at both ends.
std::string CutAndTrim(const char* bytes, size_t length);

// The short name of a directory entry: base name (a deleted entry's 0xE5 shown as 'x'), cut at
// the first zero byte and trimmed, then "." and the trimmed extension when there is one.
std::string ShortNameOf(Bytes entry);

// Long-name parts, prepended as they are met (they lie on disk from the last part to the
// first). The name in effect ends at its first U+0000.
class LongNameAccumulator {
 public:
  void Prepend(Bytes long_name_entry);
  void Clear() { units_.clear(); }
  std::u16string Name() const;

 private:
  // Far above the 255 units a real long name has: a run of damaged long-name slots cannot
  // grow the accumulator without bound.
  static constexpr size_t kMaxUnits = 1024;
  std::u16string units_;
};

}  // namespace scavrel::fat
