// The FAT volume layer: geometry taken from the boot sector, the first allocation table held in
// memory with its two companion tables (clusters already claimed by the scan, and the found
// folder that owns a cluster), and the two ways a file's clusters become an ExtentList.
// Kept in the engine as its VolumeState, so the save path can map clusters to byte offsets.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/disk_bytes.h"
#include "engine/found_tree.h"

namespace scavrel::fat {

enum class FatType : uint16_t { kNone = 0, kFat12 = 1, kFat16 = 2, kFat32 = 3 };

// Engine error codes of the FAT scan and their texts.
constexpr int32_t kErrorNotFat = 2815;
constexpr const char* kTextNotFat = "Is not Fat partition!";
constexpr int32_t kErrorFatTable = 2816;
constexpr const char* kTextFatTable = "FAT Table is Error!";

// Largest piece of the allocation table read at once, in sectors.
constexpr uint32_t kTablePieceSectors = 20000;

struct FatGeometry {
  FatType type = FatType::kNone;
  uint8_t entry_bytes = 0;       // bytes of one stored entry: 2 (FAT16; FAT12 packs 1.5), 4
  uint32_t bad_marker = 0;
  uint32_t end_first = 0;        // lowest end-of-chain value
  uint16_t bytes_per_sector = 0;
  uint16_t sectors_per_cluster = 0;
  uint32_t reserved_sectors = 0;
  uint8_t table_count = 0;
  uint16_t root_entry_count = 0;
  uint32_t table_sectors = 0;
  uint32_t total_sectors = 0;
  uint32_t first_root_sector = 0;
  uint32_t first_data_sector = 0;
  uint32_t root_cluster = 0;     // FAT32: from the boot sector; 0 on FAT12/FAT16
  uint32_t cluster_count = 0;    // N: clusters run from 2 to N+1

  uint32_t cluster_bytes() const {
    return static_cast<uint32_t>(bytes_per_sector) * sectors_per_cluster;
  }
  // Byte offset of a cluster's first sector (cluster >= 2).
  uint64_t ClusterOffset(uint64_t cluster) const {
    return ((cluster - 2) * sectors_per_cluster + first_data_sector) *
           static_cast<uint64_t>(bytes_per_sector);
  }
  bool IsDataCluster(uint64_t cluster) const {
    return cluster >= 2 && cluster < static_cast<uint64_t>(cluster_count) + 2;
  }
  // Any value of the end-of-chain range ends a chain (entries are kept masked to 28 bits on
  // FAT32, so 0x0FFFFFF8-0x0FFFFFFF are the end values there).
  bool IsEndOfChain(uint32_t value) const { return value >= end_first; }
};

// Takes the geometry from a boot sector; false when the sector is refused (wrong type text,
// missing signature, or counts that describe no usable volume).
bool ParseFatBootSector(ByteSpan sector, FatGeometry* out);

class FatVolume : public VolumeState {
 public:
  uint8_t boot_sector[512] = {};
  FatGeometry geometry;

  // Indexed by cluster number 0 to N+1.
  std::vector<uint32_t> allocation_table;  // 0 free; FAT32 values masked to 28 bits
  std::vector<uint8_t> visited;            // 1: claimed by the scan (read as a folder, chained)
  std::vector<FoundNode*> owner;           // the found folder whose first cluster this is

  uint64_t slot_count() const { return allocation_table.size(); }

  bool Geometry(VolumeGeometry* out) const override;
};

// Progress sink of the table and run code: one scan-progress step per claimed cluster, capped
// at the total.
class FatProgress {
 public:
  explicit FatProgress(Engine& engine) : engine_(engine) {}
  void Start(uint64_t total);
  void Advance(uint64_t amount = 1);

 private:
  Engine& engine_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
};

// Reads the first allocation table into the volume's tables; false on a failed read, a table
// that does not fit the volume, memory that cannot be had, or a stop.
bool LoadAllocationTable(Engine& engine, VolumeReader& reader, FatVolume& volume);

// Follows a live entry's chain into `list`; true only when the chain ends in an end value.
bool WalkClusterChain(FatVolume& volume, FatProgress& progress, ExtentList* list,
                      uint32_t first_cluster);

// One contiguous run from a deleted file's first cluster, sized from its file size; false
// when the run does not fit the volume.
bool MapDeletedFileRun(const FatVolume& volume, ExtentList* list, ByteSpan entry);

}  // namespace scavrel::fat
