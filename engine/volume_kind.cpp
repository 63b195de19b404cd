// Naming the file system of a volume's first sector (see volume_kind.h).
#include "engine/volume_kind.h"

#include <algorithm>
#include <string_view>

#include "engine/fat_table.h"

namespace scavrel {
namespace {

constexpr size_t kOemName = 3;
constexpr size_t kOemNameLength = 8;

bool OemNameIs(ByteSpan sector, std::string_view name) {
  ByteSpan oem = SpanSlice(sector, kOemName, kOemNameLength);
  return oem.size() == name.size() && std::equal(name.begin(), name.end(), oem.begin(),
                                                 [](char a, uint8_t b) {
                                                   return static_cast<uint8_t>(a) == b;
                                                 });
}

}  // namespace

std::string BootSectorFileSystem(ByteSpan sector) {
  using namespace std::string_view_literals;
  if (OemNameIs(sector, "NTFS    "sv)) return "NTFS";
  if (OemNameIs(sector, "EXFAT   "sv)) return "exFAT";
  if (OemNameIs(sector, "-FVE-FS-"sv)) return "BitLocker";
  if (OemNameIs(sector, "ReFS\0\0\0\0"sv)) return "ReFS";
  fat::FatGeometry geometry;
  if (fat::ParseFatBootSector(sector, &geometry)) {
    switch (geometry.type) {
      case fat::FatType::kFat12: return "FAT12";
      case fat::FatType::kFat16: return "FAT16";
      case fat::FatType::kFat32: return "FAT32";
      case fat::FatType::kNone: break;
    }
  }
  return std::string();
}

}  // namespace scavrel
