// One entry of an attribute list ($ATTRIBUTE_LIST value): where an attribute of a file that
// spreads over several MFT records lives.
//
//   off size field
//     0    4  attribute type
//     4    2  entry length
//     6    1  name length (characters)
//     8    8  first VCN of the attribute's piece
//    16    8  reference of the MFT record that holds the attribute
//    24    2  attribute id
//    26       name (UTF-16), padded to 8 bytes
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel::ntfs_list {

constexpr size_t kType = 0;
constexpr size_t kEntryLength = 4;
constexpr size_t kNameLength = 6;
constexpr size_t kFirstVcn = 8;
constexpr size_t kRecordReference = 16;
constexpr size_t kAttributeId = 24;
constexpr size_t kMinEntrySize = 26;

// Entry types above this are not attribute types.
constexpr uint32_t kMaxType = 0x200;
// An attribute list never grows beyond 256 KiB.
constexpr size_t kMaxListSize = 256 * 1024;

}  // namespace scavrel::ntfs_list
