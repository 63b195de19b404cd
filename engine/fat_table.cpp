// Boot sector geometry, the allocation table load and the two cluster-run builders.
#include "engine/fat_table.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "engine/fat_boot_sector.h"
#include "engine/fat_dir_entry.h"

namespace scavrel::fat {
namespace {

// The type text as the boot sector holds it: up to 8 bytes, cut before the first blank.
std::string_view TypeText(ByteSpan sector, size_t offset, char (&buffer)[9]) {
  std::memset(buffer, 0, sizeof(buffer));
  size_t n = 0;
  while (n < kBsTypeTextLength) {
    uint8_t c = ReadLe8(sector, offset + n);
    if (c == ' ') break;
    buffer[n++] = static_cast<char>(c);
  }
  return std::string_view(buffer, std::strlen(buffer));
}

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// Entries of `bits` bits that `bytes` bytes of table hold.
uint64_t TableCapacity(uint64_t bytes, unsigned bits) { return bytes * 8 / bits; }

unsigned EntryBits(FatType type) {
  return type == FatType::kFat12 ? 12 : type == FatType::kFat16 ? 16 : 32;
}

// Bytes of stored table that hold `slots` entries.
uint64_t TableBytesFor(FatType type, uint64_t slots) {
  return (slots * EntryBits(type) + 7) / 8;
}

}  // namespace

bool ParseFatBootSector(ByteSpan sector, FatGeometry* out) {
  FatGeometry g;
  if (sector.size() < kBootSectorSize) return false;

  char text[9];
  if (TypeText(sector, kBsTypeText16, text) == "FAT12") {
    g.type = FatType::kFat12;
    g.entry_bytes = 2;
    g.bad_marker = 0xFF7;
    g.end_first = 0xFF8;
  } else if (TypeText(sector, kBsTypeText16, text) == "FAT16") {
    g.type = FatType::kFat16;
    g.entry_bytes = 2;
    g.bad_marker = 0xFFF7;
    g.end_first = 0xFFF8;
  } else if (TypeText(sector, kBsTypeText32, text) == "FAT32") {
    g.type = FatType::kFat32;
    g.entry_bytes = 4;
    g.bad_marker = 0x0FFFFFF7;
    g.end_first = 0x0FFFFFF8;
  } else {
    return false;
  }

  g.bytes_per_sector = ReadLe16(sector, kBsBytesPerSector);
  g.sectors_per_cluster = ReadLe8(sector, kBsSectorsPerCluster);
  g.reserved_sectors = ReadLe16(sector, kBsReservedSectors);
  g.table_count = ReadLe8(sector, kBsTableCount);
  g.root_entry_count = ReadLe16(sector, kBsRootEntryCount);

  uint64_t root_sectors = 0;
  if (g.type == FatType::kFat32) {
    g.table_sectors = ReadLe32(sector, kBsTableSectors32);
    g.total_sectors = ReadLe32(sector, kBsTotalSectors32);
    g.root_cluster = ReadLe32(sector, kBsRootCluster32);
  } else {
    g.table_sectors = ReadLe16(sector, kBsTableSectors16);
    g.total_sectors = ReadLe32(sector, kBsTotalSectors32);
    if (g.total_sectors == 0) g.total_sectors = ReadLe16(sector, kBsTotalSectors16);
  }

  if (ReadLe16(sector, kBsSignature) != kBootSignature) return false;

  // Counts that describe no usable volume are refused before anything divides by them or
  // sizes a table from them. Sector and cluster sizes are the ones FAT allows; every cluster
  // then holds a whole number of 32-byte entries.
  if (g.bytes_per_sector < 512 || g.bytes_per_sector > 4096 ||
      !IsPowerOfTwo(g.bytes_per_sector)) {
    return false;
  }
  if (g.sectors_per_cluster > 128 || !IsPowerOfTwo(g.sectors_per_cluster)) return false;
  if (g.reserved_sectors == 0 || g.table_count == 0 || g.table_sectors == 0) return false;
  if (g.total_sectors == 0) return false;
  if (g.type != FatType::kFat32) {
    if (g.root_entry_count == 0) return false;
    root_sectors = static_cast<uint64_t>(g.root_entry_count) * kDirEntrySize / g.bytes_per_sector;
  }

  uint64_t tables_end =
      g.reserved_sectors + static_cast<uint64_t>(g.table_count) * g.table_sectors;
  uint64_t data_start = tables_end + root_sectors;
  if (data_start >= g.total_sectors) return false;
  g.first_root_sector = static_cast<uint32_t>(tables_end);
  g.first_data_sector = static_cast<uint32_t>(data_start);

  uint64_t data_sectors = g.total_sectors - data_start;
  uint64_t whole = data_sectors / g.sectors_per_cluster;
  uint64_t clusters = whole + (data_sectors % g.sectors_per_cluster != 0 ? 1 : 0);

  // The table must hold an entry for every cluster. A partial last cluster that the table has
  // no room for is left out; a table that misses whole clusters describes another volume.
  uint64_t capacity = TableCapacity(
      static_cast<uint64_t>(g.table_sectors) * g.bytes_per_sector, EntryBits(g.type));
  if (capacity < clusters + 2) {
    if (capacity < whole + 2) return false;
    clusters = capacity - 2;
  }
  // Cluster numbers must stay below the first reserved value of the entry width.
  uint64_t highest = g.type == FatType::kFat12 ? 0xFF6 : g.type == FatType::kFat16 ? 0xFFF6
                                                                                   : 0x0FFFFFF6;
  clusters = std::min(clusters, highest - 1);
  if (clusters == 0) return false;
  g.cluster_count = static_cast<uint32_t>(clusters);

  if (g.type == FatType::kFat32) {
    g.first_root_sector = g.first_data_sector;
    if (!g.IsDataCluster(g.root_cluster)) return false;
  }

  *out = g;
  return true;
}

bool FatVolume::Geometry(VolumeGeometry* out) const {
  if (geometry.type == FatType::kNone) return false;
  out->bytes_per_sector = geometry.bytes_per_sector;
  out->sectors_per_cluster = geometry.sectors_per_cluster;
  out->first_data_sector = geometry.first_data_sector;
  out->sectors_per_record = 0;
  return true;
}

void FatProgress::Start(uint64_t total) {
  total_ = total;
  done_ = 0;
  engine_.SetScanTotal(total);
  engine_.SetScanDone(0);
}

void FatProgress::Advance(uint64_t amount) {
  uint64_t next = std::min(total_, done_ + amount);
  if (next == done_) return;
  done_ = next;
  engine_.SetScanDone(done_);
}

bool LoadAllocationTable(Engine& engine, VolumeReader& reader, FatVolume& volume) {
  const FatGeometry& g = volume.geometry;
  const uint64_t slots = static_cast<uint64_t>(g.cluster_count) + 2;
  const uint64_t table_offset = static_cast<uint64_t>(g.reserved_sectors) * g.bytes_per_sector;
  const uint64_t needed_bytes = TableBytesFor(g.type, slots);
  const uint64_t needed_sectors = (needed_bytes + g.bytes_per_sector - 1) / g.bytes_per_sector;
  // A table that cannot lie inside the volume is not loaded (and nothing is sized from it).
  if (reader.Size() != 0 &&
      (table_offset > reader.Size() ||
       needed_sectors * g.bytes_per_sector > reader.Size() - table_offset)) {
    return false;
  }

  try {
    volume.allocation_table.assign(slots, 0);
    volume.visited.assign(slots, 0);
    volume.owner.assign(slots, nullptr);
  } catch (const std::bad_alloc&) {
    volume.allocation_table.clear();
    volume.visited.clear();
    volume.owner.clear();
    return false;
  }

  std::vector<uint8_t> piece;
  if (g.type == FatType::kFat12) {
    // FAT12 packs two entries into three bytes; the table is read whole.
    piece.resize(needed_sectors * g.bytes_per_sector);
    if (!reader.Read(table_offset, piece.data(), piece.size())) return false;
    for (uint64_t i = 0; i < slots; ++i) {
      if (engine.ScanStep()) return false;
      size_t at = static_cast<size_t>(i / 2 * 3);
      uint32_t b0 = piece[at], b1 = piece[at + 1];
      uint32_t b2 = at + 2 < piece.size() ? piece[at + 2] : 0;
      volume.allocation_table[i] = (i % 2 == 0) ? b0 + 256 * (b1 & 0x0F) : (b1 >> 4) + 16 * b2;
    }
    return true;
  }

  uint64_t slot = 0;
  uint64_t sectors_read = 0;
  while (slot < slots) {
    if (engine.ScanStep()) return false;
    uint64_t piece_sectors = std::min<uint64_t>(kTablePieceSectors, needed_sectors - sectors_read);
    piece.assign(piece_sectors * g.bytes_per_sector, 0);
    if (!reader.Read(table_offset + sectors_read * g.bytes_per_sector, piece.data(),
                     piece.size())) {
      return false;
    }
    sectors_read += piece_sectors;
    ByteSpan bytes(piece);
    for (size_t at = 0; at + g.entry_bytes <= bytes.size() && slot < slots; at += g.entry_bytes) {
      if (engine.ScanStep()) return false;
      // The top four bits of a FAT32 entry are reserved and not part of the cluster number.
      volume.allocation_table[slot++] =
          g.type == FatType::kFat32 ? ReadLe32(bytes, at) & 0x0FFFFFFF : ReadLe16(bytes, at);
    }
  }
  return true;
}

bool WalkClusterChain(FatVolume& volume, FatProgress& progress, ExtentList* list,
                      uint32_t first_cluster) {
  const FatGeometry& g = volume.geometry;
  uint64_t c = first_cluster;
  if (!g.IsDataCluster(c)) {
    ClusterRun* run = AppendRun(list);
    run->first_cluster = 2;
    run->cluster_count = 0;
    list->total_clusters = 0;
    return false;
  }
  ClusterRun* run = AppendRun(list);
  run->first_cluster = c;
  run->cluster_count = 0;
  if (volume.visited[c]) {
    list->total_clusters = 0;
    list->free_clusters = 0;
    return false;
  }
  volume.visited[c] = 1;
  progress.Advance();
  uint64_t length = 1;
  uint64_t completed = 0;
  bool ok = false;
  // Every step marks a cluster not marked before, so the walk ends within N steps even when
  // the chain loops.
  for (;;) {
    uint32_t e = volume.allocation_table[c];
    if (g.IsEndOfChain(e)) {
      ok = true;
      break;
    }
    if (e == g.bad_marker) {
      --length;
      break;
    }
    if (!g.IsDataCluster(e)) break;  // free, reserved, or past the volume
    if (e == c + 1) {
      if (volume.visited[e]) {
        --length;
        break;
      }
      volume.visited[e] = 1;
      ++length;
      c = e;
      continue;
    }
    run->cluster_count = length;
    if (volume.visited[e]) {
      --length;
      break;
    }
    completed += length;
    volume.visited[e] = 1;
    progress.Advance();
    run = AppendRun(list);
    run->first_cluster = e;
    run->cluster_count = 0;
    length = 1;
    c = e;
  }
  run->cluster_count = length;
  list->total_clusters = completed + length;
  list->free_clusters = completed + length;
  return ok;
}

bool MapDeletedFileRun(const FatVolume& volume, ExtentList* list, ByteSpan entry) {
  const FatGeometry& g = volume.geometry;
  uint64_t c = EntryFirstCluster(entry);
  if (!g.IsDataCluster(c)) return false;
  uint64_t size = EntryFileSize(entry);
  uint64_t cluster_bytes = g.cluster_bytes();
  uint64_t n = size / cluster_bytes + (size % cluster_bytes != 0 ? 1 : 0);
  // The run may end on the volume's last cluster, N+1.
  if (c + n > static_cast<uint64_t>(g.cluster_count) + 2) return false;
  ClusterRun* run = AppendRun(list);
  run->first_cluster = c;
  run->cluster_count = n;
  list->total_clusters = n;
  uint64_t free = 0;
  for (uint64_t k = c; k < c + n; ++k) {
    if (volume.allocation_table[k] == 0) ++free;
  }
  list->free_clusters = free;
  return true;
}

}  // namespace scavrel::fat
