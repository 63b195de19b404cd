// Plausibility of directory slots in the clusters of deleted and lost folders.
#include "engine/fat_dir_slots.h"

#include <cstring>

#include "engine/fat_dir_entry.h"
#include "engine/fat_long_name.h"
#include "engine/fat_names.h"

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

size_t LeadingNameTail(ByteSpan cluster) {
  size_t slots = 0;
  uint8_t next = 0;  // the number the next live part must have; 0 before the first
  uint8_t checksum = 0;
  bool live_parts = false;
  for (; (slots + 1) * kDirEntrySize <= cluster.size(); ++slots) {
    ByteSpan slot = cluster.subspan(slots * kDirEntrySize, kDirEntrySize);
    if (EntryAttributes(slot) != kAttrLongName) break;
    if (!LongNameSlotPlausible(slot)) return kNoNameTail;
    const uint8_t ordinal = ReadLe8(slot, kLnOrdinal);
    if (ordinal == kDeletedMark) continue;  // a deleted part's number is gone
    // A run's last part begins a run of its own: that is no tail.
    if ((ordinal & kLnLastPart) != 0) return slots == 0 ? 0 : kNoNameTail;
    if (live_parts && (ordinal != next || ReadLe8(slot, kLnChecksum) != checksum))
      return kNoNameTail;
    live_parts = true;
    next = static_cast<uint8_t>(ordinal - 1);
    checksum = ReadLe8(slot, kLnChecksum);
  }
  if (!live_parts) return slots;
  // Live parts end at part 1, just before the entry they name.
  if (next != 0 || (slots + 1) * kDirEntrySize > cluster.size()) return kNoNameTail;
  ByteSpan entry = cluster.subspan(slots * kDirEntrySize, kDirEntrySize);
  if (EntryEndsDirectory(entry) ||
      (!EntryIsDeleted(entry) && ShortNameChecksum(entry) != checksum)) {
    return kNoNameTail;
  }
  return slots;
}

bool OrphanClusterPlausible(ByteSpan cluster, const FatGeometry& geometry) {
  const size_t tail = LeadingNameTail(cluster);
  if (tail == kNoNameTail) return false;
  ByteSpan rest = cluster.subspan(tail * kDirEntrySize);
  if (!ClusterSlotsPlausible(rest, geometry, LongNameSequence())) return false;
  for (size_t i = 0; i + kDirEntrySize <= rest.size(); i += kDirEntrySize) {
    ByteSpan slot = rest.subspan(i, kDirEntrySize);
    if (EntryEndsDirectory(slot)) break;
    if (EntryAttributes(slot) != kAttrLongName) return true;
  }
  return false;
}

}  // namespace scavrel::fat
