// The FAT boot sector (the volume's first 512 bytes), as far as the scan reads it.
//
//  off size field
//    0    3  jump instruction
//    3    8  OEM name
//   11    2  bytes per sector
//   13    1  sectors per cluster
//   14    2  reserved sectors (the first allocation table follows them)
//   16    1  number of allocation tables
//   17    2  root entry count (FAT12/FAT16; 0 on FAT32)
//   19    2  total sectors, 16-bit form (0 when the 32-bit form holds the count)
//   21    1  media descriptor
//   22    2  sectors per allocation table (FAT12/FAT16; 0 on FAT32)
//   32    4  total sectors, 32-bit form
//   36    4  sectors per allocation table (FAT32)
//   44    4  first cluster of the root directory (FAT32)
//   54    8  type text of FAT12/FAT16 ("FAT12   ", "FAT16   ")
//   82    8  type text of FAT32 ("FAT32   ")
//  510    2  signature 0xAA55
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel::fat {

constexpr size_t kBootSectorSize = 512;

constexpr size_t kBsBytesPerSector = 11;
constexpr size_t kBsSectorsPerCluster = 13;
constexpr size_t kBsReservedSectors = 14;
constexpr size_t kBsTableCount = 16;
constexpr size_t kBsRootEntryCount = 17;
constexpr size_t kBsTotalSectors16 = 19;
constexpr size_t kBsTableSectors16 = 22;
constexpr size_t kBsTotalSectors32 = 32;
constexpr size_t kBsTableSectors32 = 36;
constexpr size_t kBsRootCluster32 = 44;
constexpr size_t kBsTypeText16 = 54;
constexpr size_t kBsTypeText32 = 82;
constexpr size_t kBsTypeTextLength = 8;
constexpr size_t kBsSignature = 510;

constexpr uint16_t kBootSignature = 0xAA55;

}  // namespace scavrel::fat
