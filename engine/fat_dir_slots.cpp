// Plausibility of directory slots in the clusters of deleted and lost folders.
#include "engine/fat_dir_slots.h"

#include <cstring>

#include "engine/fat_dir_entry.h"
#include "engine/fat_long_name.h"

namespace scavrel::fat {
namespace {

constexpr uint8_t kAttrReserved = 0xC0;
constexpr uint8_t kKanjiLeadMark = 0x05;  // a first name byte 0xE5 stored so it is not "deleted"

bool NameByteStored(uint8_t byte, size_t position) {
  if (position == 0) {
    if (byte == kDeletedMark || byte == kKanjiLeadMark) return true;
    if (byte == ' ') return false;
  }
  // Lower-case letters pass: drivers store short names in upper case, but some devices (and
  // old drivers) write them as the user typed them, and their folders are still folders.
  if (byte < 0x20 || byte == 0x7F) return false;
  return std::strchr("\"*+,./:;<=>?[\\]|", byte) == nullptr;
}

}  // namespace

bool ShortSlotPlausible(ByteSpan entry, const FatGeometry& geometry) {
  if (entry.size() < kDirEntrySize) return false;
  const uint8_t attributes = EntryAttributes(entry);
  if ((attributes & kAttrReserved) != 0 || (attributes & kAttrVolumeLabel) != 0) return false;
  for (size_t i = 0; i < kDeNameLength + kDeExtensionLength; ++i) {
    if (!NameByteStored(ReadLe8(entry, kDeName + i), i)) return false;
  }
  const uint64_t cluster = EntryFirstCluster(entry);
  const uint64_t size = EntryFileSize(entry);
  if ((attributes & kAttrDirectory) != 0) return size == 0 && geometry.IsDataCluster(cluster);
  if (size == 0) return cluster == 0 || geometry.IsDataCluster(cluster);
  if (!geometry.IsDataCluster(cluster)) return false;
  const uint64_t cluster_bytes = geometry.cluster_bytes();
  if (cluster_bytes == 0) return false;
  const uint64_t clusters = (size + cluster_bytes - 1) / cluster_bytes;
  // The file may end on the volume's last cluster, N+1.
  return cluster + clusters <= static_cast<uint64_t>(geometry.cluster_count) + 2;
}

bool LongNameSlotPlausible(ByteSpan part) {
  if (part.size() < kDirEntrySize || EntryAttributes(part) != kAttrLongName) return false;
  const uint8_t ordinal = ReadLe8(part, kLnOrdinal);
  if (ordinal != kDeletedMark) {
    const uint8_t number = ordinal & static_cast<uint8_t>(~kLnLastPart);
    if (number < 1 || number > kLnMaxParts) return false;
  }
  return ReadLe8(part, kLnType) == 0 && ReadLe16(part, kLnFirstCluster) == 0;
}

bool ClusterSlotsPlausible(ByteSpan cluster, const FatGeometry& geometry,
                           LongNameSequence carried) {
  for (size_t at = 0; at + kDirEntrySize <= cluster.size(); at += kDirEntrySize) {
    ByteSpan slot = cluster.subspan(at, kDirEntrySize);
    if (EntryEndsDirectory(slot)) return true;
    if (EntryAttributes(slot) == kAttrLongName) {
      if (!LongNameSlotPlausible(slot)) return false;
      carried.Add(slot);
      if (!carried.in_order()) return false;
      continue;
    }
    if (!ShortSlotPlausible(slot, geometry) || !carried.Names(slot)) return false;
    carried.Clear();
  }
  return true;
}

}  // namespace scavrel::fat
