// The file system a volume's first sector announces, named as Windows names it, so that a scan
// that cannot use a volume can tell the user what is on it. The system's own answer cannot be
// relied on here: Wine reports an exFAT volume as "NTFS".
//
//  off size what tells it
//    3    8  OEM name: "NTFS    ", "EXFAT   ", "-FVE-FS-" (BitLocker), "ReFS" and four zeros
//    -    -  a FAT boot sector that parses (FAT12, FAT16 or FAT32 by its cluster count)
#pragma once

#include <string>

#include "engine/disk_bytes.h"

namespace scavrel {

// "NTFS", "exFAT", "ReFS", "BitLocker", "FAT12", "FAT16" or "FAT32"; empty when the sector
// announces nothing known (a blank or damaged first sector, or a file system named elsewhere
// on the volume).
std::string BootSectorFileSystem(ByteSpan sector);

}  // namespace scavrel
