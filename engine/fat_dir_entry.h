// The 32-byte FAT directory entry (short, 8.3 form).
//
//  off size field
//    0    8  base name, blank-padded; 0xE5 in byte 0 marks a deleted entry, eight zero bytes
//            the end of the directory
//    8    3  extension, blank-padded
//   11    1  attributes: 0x10 directory, 0x08 volume label, exactly 0x0F a long-name entry
//   12    1  case bits: 0x08 base name in lower case, 0x10 extension in lower case (the name
//            is stored in upper case; Windows shows these parts in lower case)
//   13    1  creation time, tenths
//   14    2  creation time
//   16    2  creation date
//   18    2  last-access date
//   20    2  first cluster, high half (FAT32)
//   22    2  last-write time
//   24    2  last-write date
//   26    2  first cluster, low half
//   28    4  file size in bytes
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/disk_bytes.h"

namespace scavrel::fat {

constexpr size_t kDirEntrySize = 32;

constexpr size_t kDeName = 0;
constexpr size_t kDeNameLength = 8;
constexpr size_t kDeExtension = 8;
constexpr size_t kDeExtensionLength = 3;
constexpr size_t kDeAttributes = 11;
constexpr size_t kDeCaseBits = 12;
constexpr size_t kDeCreationTime = 14;
constexpr size_t kDeCreationDate = 16;
constexpr size_t kDeFirstClusterHigh = 20;
constexpr size_t kDeWriteTime = 22;
constexpr size_t kDeWriteDate = 24;
constexpr size_t kDeFirstClusterLow = 26;
constexpr size_t kDeFileSize = 28;

constexpr uint8_t kCaseLowerBase = 0x08;
constexpr uint8_t kCaseLowerExtension = 0x10;

constexpr uint8_t kDeletedMark = 0xE5;
constexpr uint8_t kAttrVolumeLabel = 0x08;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrLongName = 0x0F;
// Deleted and lost folders end at an attribute byte this high: no real entry has it.
constexpr uint8_t kAttrImpossible = 0x80;

inline uint32_t EntryFirstCluster(ByteSpan entry) {
  return static_cast<uint32_t>(ReadLe16(entry, kDeFirstClusterHigh)) * 65536u +
         ReadLe16(entry, kDeFirstClusterLow);
}

inline uint32_t EntryFileSize(ByteSpan entry) { return ReadLe32(entry, kDeFileSize); }
inline uint8_t EntryAttributes(ByteSpan entry) { return ReadLe8(entry, kDeAttributes); }
inline bool EntryIsDirectory(ByteSpan entry) {
  return (EntryAttributes(entry) & kAttrDirectory) != 0;
}
inline bool EntryIsDeleted(ByteSpan entry) { return ReadLe8(entry, kDeName) == kDeletedMark; }

// Eight zero name bytes end a directory.
inline bool EntryEndsDirectory(ByteSpan entry) {
  for (size_t i = 0; i < kDeNameLength; ++i) {
    if (ReadLe8(entry, kDeName + i) != 0) return false;
  }
  return true;
}

}  // namespace scavrel::fat
