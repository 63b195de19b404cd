// Names of FAT entries: the short (8.3) name as the scan shows it and the long name assembled
// from long-name entries. Short names and the progress text are text in the system's ANSI code
// page, converted through engine/ansi_text.h.
#pragma once

#include <cstdint>
#include <string>

#include "engine/ansi_text.h"
#include "engine/disk_bytes.h"

namespace scavrel::fat {

// Bytes of a name field cut at the first zero byte and trimmed of white space at both ends.
std::string CutAndTrim(const char* bytes, size_t length);

// The short name of a directory entry: base name (a deleted entry's 0xE5 shown as 'x'), cut at
// the first zero byte and trimmed, then "." and the trimmed extension when there is one. The
// entry's case bits put the base and the extension in lower case as Windows shows them.
std::string ShortNameOf(ByteSpan entry);

// The checksum of a short entry's 11 name bytes, as its long-name parts carry it.
uint8_t ShortNameChecksum(ByteSpan short_entry);

// Where a run of long-name parts stands. The parts of one name lie on disk from the last
// (ordinal with 0x40) down to ordinal 1, each with the checksum of the short entry that
// follows them. A deleted entry's parts have lost their ordinals (0xE5), so only their
// checksums can agree.
class LongNameSequence {
 public:
  // Takes the next part in disk order; true when it starts a new run (the parts before it,
  // if any, belong to no entry).
  bool Add(ByteSpan part);
  void Clear() { *this = LongNameSequence(); }
  // False once a part came out of order (a numbered part that does not continue its run).
  bool in_order() const { return in_order_; }
  // True when the run names `short_entry`: there are no parts, or they are in order, complete
  // and carry the entry's checksum. A deleted short entry has lost its first name byte, so
  // its checksum cannot be tested.
  bool Names(ByteSpan short_entry) const;

 private:
  size_t parts_ = 0;
  bool deleted_ = false;  // the run's parts are a deleted entry's
  bool in_order_ = true;
  uint8_t next_ = 0;      // the number the next part must have; 0 once part 1 was seen
  uint8_t checksum_ = 0;
};

// Long-name parts, prepended as they are met (they lie on disk from the last part to the
// first). The name in effect ends at its first U+0000.
class LongNameAccumulator {
 public:
  void Prepend(ByteSpan long_name_entry);
  void Clear();
  // Every unit prepended since the last Clear.
  std::u16string Name() const;
  // The units of the current run only (see LongNameSequence).
  std::u16string RunName() const;
  const LongNameSequence& sequence() const { return sequence_; }

 private:
  // Far above the 255 units a real long name has: a run of damaged long-name slots cannot
  // grow the accumulator without bound.
  static constexpr size_t kMaxUnits = 1024;
  std::u16string units_;
  size_t older_units_ = 0;  // units at the end that came before the current run
  LongNameSequence sequence_;
};

}  // namespace scavrel::fat
