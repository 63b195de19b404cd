// The FAT long-name entry: 13 UTF-16 units of a long name in a 32-byte directory slot whose
// attribute byte is exactly 0x0F. The parts lie on disk from the last to the first, just
// before the short entry they name.
//
//  off size field
//    0    1  ordinal: the part's number (1-20) in its low six bits, 0x40 on the last part;
//            0xE5 once deleted
//    1   10  name units 1-5
//   11    1  attributes, 0x0F
//   12    1  type, 0
//   13    1  checksum of the 11 name bytes of the short entry the parts belong to
//   14   12  name units 6-11
//   26    2  first cluster, 0
//   28    4  name units 12-13
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/disk_bytes.h"

namespace scavrel::fat {

constexpr size_t kLnOrdinal = 0;
constexpr size_t kLnType = 12;
constexpr size_t kLnChecksum = 13;
constexpr size_t kLnFirstCluster = 26;
constexpr uint8_t kLnLastPart = 0x40;
constexpr uint8_t kLnNumberMask = 0x3F;
constexpr uint8_t kLnMaxParts = 20;  // 20 parts of 13 units hold the longest name, 255 units

constexpr size_t kLnUnits1 = 1;
constexpr size_t kLnUnits1Count = 5;
constexpr size_t kLnUnits2 = 14;
constexpr size_t kLnUnits2Count = 6;
constexpr size_t kLnUnits3 = 28;
constexpr size_t kLnUnits3Count = 2;
constexpr size_t kLnUnitsPerEntry = 13;

// The 13 units of one long-name entry, in name order.
inline void LongNameUnits(ByteSpan entry, char16_t out[kLnUnitsPerEntry]) {
  size_t n = 0;
  for (size_t i = 0; i < kLnUnits1Count; ++i) out[n++] = ReadLe16(entry, kLnUnits1 + 2 * i);
  for (size_t i = 0; i < kLnUnits2Count; ++i) out[n++] = ReadLe16(entry, kLnUnits2 + 2 * i);
  for (size_t i = 0; i < kLnUnits3Count; ++i) out[n++] = ReadLe16(entry, kLnUnits3 + 2 * i);
}

}  // namespace scavrel::fat
