// The NTFS boot sector (the volume's first sector): the fields the scanner reads.
//
//   off size field
//     3    8  OEM identifier, "NTFS    "
//    11    2  bytes per sector
//    13    1  sectors per cluster: 1 to 0x80 as they stand; above 0x80 the power-of-two form,
//               2^(256 - value) sectors (clusters of more than 128 sectors, up to 2 MiB)
//    40    8  total sectors of the volume
//    48    8  first cluster of the MFT
//    64    1  clusters per MFT record, signed: n > 0 means n clusters, n <= 0 means 2^-n bytes
//   510    2  signature 0xAA55
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel::ntfs_boot {

constexpr size_t kSize = 512;
constexpr size_t kOemId = 3;
constexpr size_t kBytesPerSector = 11;
constexpr size_t kSectorsPerCluster = 13;
constexpr size_t kTotalSectors = 40;
constexpr size_t kMftCluster = 48;
constexpr size_t kMftMirrorCluster = 56;
constexpr size_t kClustersPerRecord = 64;
constexpr size_t kSignature = 510;
constexpr uint16_t kSignatureValue = 0xAA55;

// The largest sectors-per-cluster byte taken as a plain count.
constexpr uint8_t kPlainSectorsPerClusterMax = 0x80;
// The largest cluster Windows formats; a power-of-two form beyond it is damage.
constexpr uint32_t kMaxClusterBytes = 2 * 1024 * 1024;

}  // namespace scavrel::ntfs_boot
