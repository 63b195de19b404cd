// Boot sector geometry, the allocation table load and the two cluster-run builders.
#include "engine/fat_table.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "engine/fat_boot_sector.h"
#include "engine/fat_dir_entry.h"
#include "engine/salvage_read.h"

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

namespace {

// Reads the table bytes [first, first + length) of the first copy into `bytes`. Sectors the
// disk refuses are read from the other copies; those no copy gives are flagged in *bad (one
// byte per sector). False when stopped.
bool ReadTableBytes(Engine& engine, VolumeReader& reader, const FatGeometry& g,
                    uint64_t table_offset, uint64_t first, std::vector<uint8_t>* bytes,
                    std::vector<uint8_t>* bad) {
  const Salvage got = SalvageRead(engine, reader, table_offset + first, bytes->data(),
                                  bytes->size(), g.bytes_per_sector, bad);
  if (got == Salvage::kStopped) return false;
  if (got == Salvage::kWhole) return true;
  const uint64_t copy_bytes = static_cast<uint64_t>(g.table_sectors) * g.bytes_per_sector;
  for (size_t k = 0; k < bad->size(); ++k) {
    if ((*bad)[k] == 0) continue;
    const size_t at = k * g.bytes_per_sector;
    const size_t n = std::min<size_t>(g.bytes_per_sector, bytes->size() - at);
    for (uint8_t copy = 1; copy < g.table_count && (*bad)[k] != 0; ++copy) {
      if (engine.ScanStep()) return false;
      if (reader.Read(table_offset + copy * copy_bytes + first + at, bytes->data() + at, n)) {
        (*bad)[k] = 0;
      }
    }
    if ((*bad)[k] != 0) std::memset(bytes->data() + at, 0, n);
  }
  return true;
}

}  // namespace

bool LoadAllocationTable(Engine& engine, VolumeReader& reader, FatVolume& volume) {
  const FatGeometry& g = volume.geometry;
  const unsigned bits = EntryBits(g.type);
  const uint64_t slots = static_cast<uint64_t>(g.cluster_count) + 2;
  const uint64_t table_offset = static_cast<uint64_t>(g.reserved_sectors) * g.bytes_per_sector;
  const uint64_t needed_bytes = TableBytesFor(g.type, slots);
  const uint64_t needed_sectors = (needed_bytes + g.bytes_per_sector - 1) / g.bytes_per_sector;
  // A table that cannot lie inside the volume is not loaded, and nothing is sized from it. A
  // device whose size the platform cannot tell is measured first: the table's claim alone
  // must not size three tables of up to 268 million entries.
  const uint64_t table_end = table_offset + needed_sectors * g.bytes_per_sector;
  const uint64_t device = DeviceEnd(reader, table_end, g.bytes_per_sector, g.bytes_per_sector);
  if (table_end > device) return false;

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

  // Read in pieces of whole entries (FAT12 packs two entries into three bytes, so its pieces
  // hold a multiple of three bytes) and decoded as each comes. An entry on a sector that no
  // copy of the table gives is unknown: it reads as a bad cluster, which no chain goes
  // through and no search takes for free.
  const uint64_t piece_limit =
      static_cast<uint64_t>(kTablePieceSectors) * g.bytes_per_sector / (3 * g.bytes_per_sector) *
      (3 * g.bytes_per_sector);
  std::vector<uint8_t> piece;
  std::vector<uint8_t> bad;
  uint64_t slot = 0;
  for (uint64_t first = 0; first < needed_bytes && slot < slots;) {
    const uint64_t length = std::min(piece_limit, needed_bytes - first);
    piece.assign(static_cast<size_t>(length), 0);
    if (!ReadTableBytes(engine, reader, g, table_offset, first, &piece, &bad)) return false;
    // Entries whose bytes all lie in this piece.
    const uint64_t piece_end = first + length;
    for (; slot < slots; ++slot) {
      if (engine.ScanStep()) return false;
      const uint64_t at = slot * bits / 8;       // first byte of the entry in the table
      const uint64_t last = (slot * bits + bits - 1) / 8;
      if (last >= piece_end) break;
      const size_t i = static_cast<size_t>(at - first);
      const size_t j = static_cast<size_t>(last - first);
      if (bad[i / g.bytes_per_sector] != 0 || bad[j / g.bytes_per_sector] != 0) {
        volume.allocation_table[slot] = g.bad_marker;
        continue;
      }
      ByteSpan bytes(piece);
      uint32_t value;
      if (g.type == FatType::kFat12) {
        const uint32_t pair = ReadLe16(bytes, i);
        value = (slot % 2 == 0) ? pair & 0x0FFF : pair >> 4;
      } else if (g.type == FatType::kFat16) {
        value = ReadLe16(bytes, i);
      } else {
        // The top four bits of a FAT32 entry are reserved and not part of the cluster number.
        value = ReadLe32(bytes, i) & 0x0FFFFFFF;
      }
      volume.allocation_table[slot] = value;
    }
    first = piece_end;
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
