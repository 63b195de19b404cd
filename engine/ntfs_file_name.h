// The file-name attribute's value ($FILE_NAME). Its first 66 bytes are kept, as they stand, in
// the NTFS entry record for the front end.
//
//   off size field
//     0    8  parent directory reference
//     8    8  creation time          16  8  modification time
//    24    8  MFT change time        32  8  access time
//    40    8  allocated size         48  8  size
//    56    4  flags                  60  4  reparse value
//    64    1  name length (characters)
//    65    1  namespace: 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
//    66       name (UTF-16)
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel::ntfs_name {

constexpr size_t kParent = 0;
constexpr size_t kCreationTime = 8;
constexpr size_t kModificationTime = 16;
constexpr size_t kChangeTime = 24;
constexpr size_t kAccessTime = 32;
constexpr size_t kAllocatedSize = 40;
constexpr size_t kSize = 48;
constexpr size_t kFlags = 56;
constexpr size_t kNameLength = 64;
constexpr size_t kNamespace = 65;
constexpr size_t kName = 66;

constexpr size_t kHeadSize = 64;  // the part copied as it stands
constexpr uint8_t kNamespaceDos = 2;
constexpr uint8_t kNamespaceWin32AndDos = 3;

}  // namespace scavrel::ntfs_name
