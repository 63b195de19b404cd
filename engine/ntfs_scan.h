// The NTFS scan: every MFT record into the found tree (deleted files, directories, the root),
// each node under its parent directory, the catch-all folder for the rest, lost MFT records
// from free clusters on a full scan, then the prune of folders without deleted entries.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/found_tree.h"
#include "engine/ntfs_volume.h"
#include "engine/salvage_read.h"

namespace scavrel {

// Engine error codes of the NTFS scan and their texts.
constexpr int32_t kErrorNotNtfs = 1023;
constexpr int32_t kErrorNoMft = 1024;
constexpr int32_t kErrorBadBitmap = 1025;
constexpr int32_t kErrorBitmapShort = 1028;
extern const char kTextNotNtfs[];
extern const char kTextNoMft[];
extern const char kTextBadBitmap[];
extern const char kTextBitmapShort[];
extern const char16_t kCatchAllFolderName[];  // "$Unknow Folder"

// The scan thread's body (Engine::scan_body of the NTFS engine): true on success.
uint8_t NtfsScanMain(Engine& engine);

// The free-cluster search reads a free run in chunks of at most 5,000 clusters and at most
// this many bytes: large clusters must not make a chunk outgrow memory, or (in the 32-bit
// build) a size_t.
constexpr uint64_t kFreeRunChunkBytes = 32ull << 20;

// Sectors of the next chunk of a free run with `remaining_sectors` left: never more than the
// cluster and byte bounds allow, in 64-bit arithmetic whatever the geometry claims.
uint64_t FreeRunChunkSectors(uint64_t sectors_per_cluster, uint64_t bytes_per_sector,
                             uint64_t remaining_sectors);

// One scan's passes over an opened and checked volume; owns the record table.
class NtfsScanner {
 public:
  NtfsScanner(Engine& engine, NtfsVolume& volume) : engine_(engine), volume_(volume) {}

  // The main pass over the MFT; links the nodes unless the run was stopped. Records that cannot
  // be read are left out (the engine notes them), the rest are read and linked. The catch-all
  // folder is made first and hangs under the root however the pass ends. False when stopped.
  bool ScanMftRecords();
  // The extra pass over the free clusters: 1 when the bitmap ends before the volume.
  uint8_t ScanFreeClustersForRecords();

  // Exposed for tests.
  bool MakeEntryFromRecord(uint64_t record_sector, uint8_t* record, uint64_t record_number);
  bool ParseMftRecord(uint64_t record_sector, NtfsEntryRecord* entry, FoundNode* node,
                      uint8_t* record);
  bool ParseLostRecord(uint8_t* record, uint64_t record_sector);
  // False when stopped before every node was linked.
  bool LinkToParents();
  const std::vector<FoundNode*>& table() const { return table_; }
  FoundNode* catch_all() const;
  uint64_t link_steps() const { return link_steps_; }

 private:
  bool ScanFreeRun(uint64_t first_cluster, uint64_t cluster_count, bool* stopped);
  // The records of every MFT run into the table; false when stopped.
  bool ReadMftRecords();
  void MakeCatchAllNode();
  void ReportDeletedFile(NtfsEntryRecord* entry);
  bool IsUsableParent(uint64_t number, uint64_t limit) const;

  Engine& engine_;
  NtfsVolume& volume_;
  std::vector<FoundNode*> table_;  // one slot per MFT record, plus the catch-all folder's
  FoundNode* catch_all_ = nullptr;
  uint64_t link_steps_ = 0;        // parent links followed while linking
  // The free-cluster search's read buffer, kept across runs. Left unfilled when made: every
  // byte of it is read (or zeroed where unreadable) before it is looked at, and filling tens
  // of megabytes first would hold the worker between two steps.
  std::unique_ptr<uint8_t[]> free_chunk_;
  size_t free_chunk_size_ = 0;
};

}  // namespace scavrel
