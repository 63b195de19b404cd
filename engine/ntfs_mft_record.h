// The MFT record header ("FILE" record) and its update-sequence array.
//
//   off size field
//     0    4  magic "FILE" (0x454C4946)
//     4    2  offset of the update-sequence array
//     6    2  entries in the array (1 + one per 512-byte block)
//    20    2  offset of the first attribute
//    22    2  flags: bit 0 in use, bit 1 directory
//    24    4  used size of the record
//    28    4  allocated size of the record
//
// The update-sequence array holds the sequence number, then the two bytes that belong at the end
// of every 512-byte block of the record; on disk those block ends carry the sequence number.
// The block is 512 bytes whatever the volume's sector size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel::ntfs_record {

constexpr size_t kMagic = 0;
constexpr size_t kUsaOffset = 4;
constexpr size_t kUsaCount = 6;
constexpr size_t kFirstAttribute = 20;
constexpr size_t kFlags = 22;
constexpr size_t kUsedSize = 24;
constexpr size_t kAllocatedSize = 28;
constexpr size_t kHeaderSize = 32;

constexpr uint32_t kMagicValue = 0x454C4946;  // "FILE"
constexpr uint16_t kFlagInUse = 0x01;
constexpr uint16_t kFlagDirectory = 0x02;
constexpr size_t kFixupBlock = 512;

// Record numbers the scanner knows by number.
constexpr uint64_t kMftRecord = 0;
constexpr uint64_t kRootRecord = 5;
constexpr uint64_t kBitmapRecord = 6;

// An MFT reference: the low 48 bits are the record number, the top 16 the sequence number.
constexpr uint64_t kReferenceMask = 0x0000FFFFFFFFFFFFull;

}  // namespace scavrel::ntfs_record
