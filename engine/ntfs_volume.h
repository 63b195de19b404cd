// The NTFS engine's layer over the raw volume: boot-sector geometry, record fixups, the MFT's
// and the volume bitmap's runs, record numbers to sectors, data runs and attribute lists into
// extent lists, and how many of a file's clusters are still free.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "engine/found_tree.h"
#include "engine/disk_bytes.h"
#include "engine/salvage_read.h"

namespace scavrel {

// Geometry and tables of one scanned NTFS volume; kept in Engine::volume_state after the scan
// for the save path.
class NtfsVolume : public VolumeState {
 public:
  NtfsVolume();
  ~NtfsVolume() override;
  NtfsVolume(const NtfsVolume&) = delete;
  NtfsVolume& operator=(const NtfsVolume&) = delete;

  std::array<uint8_t, 512> boot_sector{};
  uint16_t bytes_per_sector = 0;
  uint32_t sectors_per_cluster = 0;  // decoded: the boot byte may hold a power of two
  uint64_t total_sectors = 0;
  uint64_t device_bytes = 0;  // the reader's size; 0 when the platform cannot tell
  uint64_t mft_cluster = 0;
  uint64_t mft_mirror_cluster = 0;  // the copy of the MFT's first records
  int8_t clusters_per_record = 0;
  uint32_t sectors_per_record = 0;
  uint32_t records_per_cluster = 0;  // 0 when a record is larger than a cluster

  ExtentList mft_runs;
  uint64_t mft_record_count = 0;
  ExtentList bitmap_runs;
  std::vector<uint8_t> bitmap;  // bit k of byte j: cluster 8j + k, set = in use

  bool Geometry(VolumeGeometry* out) const override {
    if (bytes_per_sector == 0 || sectors_per_record == 0) return false;
    out->bytes_per_sector = bytes_per_sector;
    out->sectors_per_cluster = sectors_per_cluster;
    out->first_data_sector = 0;
    out->sectors_per_record = sectors_per_record;
    return true;
  }

  size_t RecordSize() const { return size_t{sectors_per_record} * bytes_per_sector; }
  size_t ClusterSize() const { return size_t{sectors_per_cluster} * bytes_per_sector; }
  uint64_t ClusterCount() const {
    return sectors_per_cluster == 0 ? 0 : total_sectors / sectors_per_cluster;
  }
  // The clusters the device really holds: a boot sector may claim more (damage, a cut-off
  // image, a crafted sector). Whatever the scan sizes from on-disk counts (the MFT's record
  // table, the bitmap) is bounded by this, not by the claim.
  uint64_t ReadableClusters() const {
    const uint64_t clusters = ClusterCount();
    if (device_bytes == 0 || ClusterSize() == 0) return clusters;
    return std::min<uint64_t>(clusters, device_bytes / ClusterSize());
  }
};

// Records above this size are refused (real volumes use 1 KiB or 4 KiB).
constexpr size_t kMaxRecordSize = 64 * 1024;

// Derives the geometry from the volume's first sector; false when the volume does not qualify.
bool CheckNtfsBootSector(NtfsVolume& volume, ByteSpan sector);

// The checks a record passes before any of it is read: magic, header offsets and sizes inside
// the record, fixups applied. The record buffer is RecordSize() bytes.
bool CheckRecordHeader(const NtfsVolume& volume, uint8_t* record);

// Header flags of a checked record, and the span up to its used size.
uint16_t RecordFlags(ByteSpan record);
ByteSpan UsedPart(ByteSpan record);

bool RecordToSector(const NtfsVolume& volume, uint64_t record_number, uint64_t* sector);

// Reads `length` bytes at a sector; a failure leaves the system error as the last error and
// is noted on the engine as unreadable.
bool ReadSectors(Engine& engine, const NtfsVolume& volume, uint64_t sector, uint8_t* buffer,
                 size_t length);
// SalvageRead of the bytes at a sector: what cannot be read is zero-filled and flagged per
// `unit` bytes in *bad.
Salvage ReadSectorsSalvaging(Engine& engine, const NtfsVolume& volume, uint64_t sector,
                             uint8_t* buffer, size_t length, size_t unit,
                             std::vector<uint8_t>* bad);

bool LocateMft(Engine& engine, NtfsVolume& volume);
bool LoadVolumeBitmap(Engine& engine, NtfsVolume& volume);

struct Attribute {
  size_t position = 0;
  uint32_t type = 0;
  uint32_t length = 0;
  bool non_resident = false;
  uint8_t name_length = 0;
};

// A walk over a record's attributes from `position`: each Next() gives the following attribute
// whose header and length lie inside the used part, and the walk ends at the end marker or
// fails: a record whose attributes run out before the end marker is damaged, and a stopped
// scan ends every walk.
//
//   AttributeWalk walk(engine, used, position);
//   Attribute attribute;
//   while (walk.Next(&attribute)) { ... }
//   return walk.Ended();
//
// A caller that leaves the loop early (the rest is another walk's) asks Failed() instead.
class AttributeWalk {
 public:
  AttributeWalk(Engine& engine, ByteSpan used, size_t position)
      : engine_(engine), used_(used), position_(position) {}
  // The next attribute into *out; false once the walk has ended or failed.
  bool Next(Attribute* out);
  // True when the walk reached the end marker, false when it failed or is still going.
  bool Ended() const { return state_ == State::kEnded; }
  // True when the walk met a damaged attribute or the scan stopped.
  bool Failed() const { return state_ == State::kFailed; }

 private:
  enum class State { kWalking, kEnded, kFailed };
  Engine& engine_;
  ByteSpan used_;
  size_t position_;
  State state_ = State::kWalking;
};

// The value bytes of a resident attribute (empty span when they do not lie inside it).
bool ResidentValue(ByteSpan used, const Attribute& attribute, ByteSpan* value,
                   size_t* value_position);

// Appends the runs of a run list; true when they cover last VCN - first VCN + 1 clusters.
bool ReadRunList(Engine& engine, const NtfsVolume& volume, ByteSpan runs, ExtentList* list,
                 uint64_t first_vcn, uint64_t last_vcn);

// Walks the unnamed data attributes from `position` to the record's end into `list` (and the
// size slots of `record` when given); true at the end of the attributes.
bool ReadDataAttributes(Engine& engine, const NtfsVolume& volume, ByteSpan used,
                        size_t position, NtfsEntryRecord* record, ExtentList* list,
                        uint64_t record_sector);

// An attribute list (resident or not) at `position`: data runs and file names from the
// records it names.
bool ReadAttributeList(Engine& engine, const NtfsVolume& volume, ByteSpan used,
                       ExtentList* list, size_t position, NtfsEntryRecord* record,
                       const FoundNode* node);

// Copies a file-name attribute's head and name into the entry record.
bool CopyFileNameHead(ByteSpan used, const Attribute& attribute, NtfsEntryRecord* record);

// Adds the bitmap-free clusters of every run to the list's free count; false when a run lies
// beyond the bitmap.
bool CountFreeClusters(const NtfsVolume& volume, ExtentList* list);

// The free-cluster count of an entry: data inside its MFT record is there in whole.
bool CountEntryFreeClusters(const NtfsVolume& volume, NtfsEntryRecord* record);

// First clear bit of `byte` at or after `start_bit`; 8 when none or start_bit > 7.
int FirstFreeBit(uint8_t byte, int start_bit);

}  // namespace scavrel
