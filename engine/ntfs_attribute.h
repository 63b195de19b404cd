// The attribute header inside an MFT record, resident and non-resident forms.
//
//   off size field                      (both forms)
//     0    4  type (0xFFFFFFFF, or any type whose low byte is 0, ends the sequence)
//     4    4  length of the whole attribute
//     8    1  non-resident flag
//     9    1  name length (characters; non-zero for named streams)
//   resident form
//    16    4  value length
//    20    2  value offset (from the attribute's start)
//   non-resident form
//    16    8  first VCN
//    24    8  last VCN
//    32    2  run-list offset (from the attribute's start)
//    40    8  allocated size
//    48    8  real size
//    56    8  initialized size
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel::ntfs_attr {

constexpr size_t kType = 0;
constexpr size_t kLength = 4;
constexpr size_t kNonResident = 8;
constexpr size_t kNameLength = 9;
constexpr size_t kValueLength = 16;
constexpr size_t kValueOffset = 20;
constexpr size_t kFirstVcn = 16;
constexpr size_t kLastVcn = 24;
constexpr size_t kRunListOffset = 32;
constexpr size_t kAllocatedSize = 40;
constexpr size_t kRealSize = 48;
constexpr size_t kInitializedSize = 56;

constexpr size_t kResidentHeaderSize = 24;
constexpr size_t kNonResidentHeaderSize = 64;

constexpr uint32_t kTypeAttributeList = 0x20;
constexpr uint32_t kTypeFileName = 0x30;
constexpr uint32_t kTypeData = 0x80;
constexpr uint32_t kTypeEnd = 0xFFFFFFFF;

inline bool IsEndMarker(uint32_t type) { return type == kTypeEnd || (type & 0xFF) == 0; }

}  // namespace scavrel::ntfs_attr
