// The NTFS scan thread's work: main pass over the MFT, parent linking, the free-cluster pass
// for lost records, and the prune.
#include "engine/ntfs_scan.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <string>

#include "engine/ansi_text.h"
#include "engine/ntfs_attribute.h"
#include "engine/ntfs_data_runs.h"
#include "engine/ntfs_file_name.h"
#include "engine/ntfs_mft_record.h"
#include "engine/volume_kind.h"

namespace scavrel {

const char kTextNotNtfs[] = "Is not NTFS partition!";
const char kTextNoMft[] = "Is not NTFS partition,The MFT Table is not found!";
const char kTextBadBitmap[] = "Is not NTFS partition,The Bitmap is Error!";
const char kTextBitmapShort[] = "Is not NTFS partition or The partition is Error!";
const char16_t kCatchAllFolderName[] = u"$Unknow Folder";

namespace {

constexpr uint64_t kChunkRecords = 10000;
// 10,000 records of 1 KiB; larger records make fewer per chunk, so that a 64 KiB record size
// does not make one read of 640 MiB.
constexpr uint64_t kMaxChunkBytes = 10000 * 1024;
constexpr uint64_t kChunkClusters = 5000;
// Worker steps of the free-cluster search, at least once per this many bytes searched.
constexpr uint64_t kStepBytes = 64 * 1024;
// The free-cluster pass takes a worker step at least once per this many clusters of bitmap.
constexpr uint64_t kBitmapStepClusters = 1 << 20;
// Parent linking takes a worker step once per this many records.
constexpr uint64_t kLinkStepNodes = 4096;

const char16_t* DisplayName(NtfsEntryRecord* entry) {
  const char16_t* name = GetWideName(&entry->long_name);
  if (name == nullptr || name[0] == 0) name = GetWideName(&entry->short_name);
  return name;
}

bool HasName(NtfsEntryRecord* entry) {
  const char16_t* name = DisplayName(entry);
  return name != nullptr && name[0] != 0;
}

uint64_t ParentNumber(const FoundNode* node) {
  auto* entry = AsNtfsRecord(node->record);
  if (entry == nullptr) return ~0ull;
  return ReadLe64(entry->file_name, ntfs_name::kParent) & ntfs_record::kReferenceMask;
}

void ClearLastError(Engine& engine) {
  if (engine.last_error != nullptr) engine.last_error->Reset();
}

// The current time as a Windows file time (100 ns units since 1601, UTC).
uint64_t NowAsFileTime() {
  using namespace std::chrono;
  const auto since_1970 =
      duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<uint64_t>(since_1970) * 10 + 116444736000000000ull;
}

}  // namespace

// --- one record ------------------------------------------------------------------------------

bool NtfsScanner::ParseMftRecord(uint64_t record_sector, NtfsEntryRecord* entry,
                                 FoundNode* node, uint8_t* record) {
  ClearLastError(engine_);
  if (!CheckRecordHeader(volume_, record)) return false;
  ByteSpan whole{record, volume_.RecordSize()};
  switch (RecordFlags(whole)) {
    case 0: node->deleted = 1; node->directory = 0; break;
    case 1: node->deleted = 0; node->directory = 0; break;
    case 2: node->deleted = 1; node->directory = 1; entry->extents.runs_settled = 1; break;
    case 3: node->deleted = 0; node->directory = 1; entry->extents.runs_settled = 1; break;
    default: break;
  }
  ByteSpan used = UsedPart(whole);
  const size_t position = ReadLe16(used, ntfs_record::kFirstAttribute);
  if (position > used.size()) return false;
  AttributeWalk walk(engine_, used, position);
  Attribute attribute;
  while (walk.Next(&attribute)) {
    if (attribute.type == ntfs_attr::kTypeAttributeList) {
      if (!ReadAttributeList(engine_, volume_, used, &entry->extents, attribute.position, entry,
                             node))
        return false;
    } else if (attribute.type == ntfs_attr::kTypeFileName) {
      if (entry->name_from_attribute_list == 0 && !CopyFileNameHead(used, attribute, entry))
        return false;
    } else if (attribute.type == ntfs_attr::kTypeData && entry->extents.runs_settled == 0) {
      if (!ReadDataAttributes(engine_, volume_, used, attribute.position, entry, &entry->extents,
                              record_sector))
        return false;
      break;
    }
  }
  if (walk.Failed()) return false;
  return HasName(entry);
}

void NtfsScanner::ReportDeletedFile(NtfsEntryRecord* entry) {
  engine_.SetScanText(WideToAnsi(DisplayName(entry)));
  engine_.AddScanCounterA();
}

bool NtfsScanner::MakeEntryFromRecord(uint64_t record_sector, uint8_t* record,
                                      uint64_t record_number) {
  FoundTree& tree = engine_.tree;
  FoundNode* node = tree.NewNode();
  NtfsEntryRecord* entry = NewNtfsRecord();
  node->record = AsEntryRecord(entry);
  table_[record_number] = node;

  auto drop = [&] {
    node->valid = 0;
    tree.DeleteNode(node);
    table_[record_number] = nullptr;
  };
  if (!ParseMftRecord(record_sector, entry, node, record)) {
    drop();
    return true;
  }
  const bool is_root = record_number == ntfs_record::kRootRecord;
  if (is_root) {
    // The caption is ANSI text; CheckCurrentDriver turns the name back into it.
    std::u16string name = AnsiToWide(engine_.root_name);
    SetWideName(&entry->long_name, name.data(), name.size());
    tree.set_root(node);
  }
  if (node->directory != 0 || node->deleted != 0) {
    node->valid = 1;
  } else if (!is_root) {
    drop();
    return true;
  }
  if (node->valid == 0) return true;
  if (node->directory != 0) {
    engine_.AddScanCounterB();
  } else if (node->deleted != 0) {
    if (!CountEntryFreeClusters(volume_, entry)) return false;
    ReportDeletedFile(entry);
  }
  return true;
}

// --- the main pass ---------------------------------------------------------------------------

bool NtfsScanner::ScanMftRecords() {
  const uint64_t count = volume_.mft_record_count;
  engine_.SetScanTotal(count);
  // Made before any record: whatever the pass leaves unlinked, the lost records of the extra
  // pass have a folder to go to, and it hangs under the root as soon as there is one.
  MakeCatchAllNode();
  table_.clear();
  try {
    table_.assign(static_cast<size_t>(count) + 1, nullptr);
  } catch (const std::bad_alloc&) {
    engine_.tree.set_root(catch_all_);
    return true;  // a record count no memory can hold: the pass ends with nothing linked
  }
  table_.back() = catch_all_;
  const bool read = ReadMftRecords();
  FoundNode* root = table_[ntfs_record::kRootRecord];
  if (root != nullptr) {
    engine_.tree.set_root(root);
    engine_.tree.MoveNode(catch_all_, root);
  } else {
    // Without a root folder (its record unreadable or damaged) the catch-all folder is the
    // tree's top, and everything hangs there.
    engine_.tree.set_root(catch_all_);
  }
  return read && LinkToParents();
}

bool NtfsScanner::ReadMftRecords() {
  const uint64_t count = volume_.mft_record_count;
  const size_t record_size = volume_.RecordSize();
  const uint32_t spr = volume_.sectors_per_record;
  const uint64_t chunk_records =
      std::clamp<uint64_t>(kMaxChunkBytes / record_size, 1, kChunkRecords);
  std::vector<uint8_t> chunk;
  std::vector<uint8_t> unreadable;  // per record of the chunk
  uint64_t run_first_record = 0;
  for (RunListNode* run = volume_.mft_runs.first; run != nullptr; run = run->next) {
    const uint64_t first_cluster = run->run->first_cluster;
    const uint64_t records = run->run->cluster_count * volume_.sectors_per_cluster / spr;
    if (first_cluster == kSparseCluster) {
      run_first_record += records;
      continue;
    }
    for (uint64_t done = 0; done < records;) {
      const uint64_t in_chunk = std::min(chunk_records, records - done);
      // Sector of the chunk's first record: records lie back to back from the run's start.
      const uint64_t chunk_sector = first_cluster * volume_.sectors_per_cluster + done * spr;
      chunk.resize(static_cast<size_t>(in_chunk) * record_size);
      // A chunk the disk refuses is read again record by record: a bad sector costs the
      // records on it, and the rest of the table is still read and linked.
      if (ReadSectorsSalvaging(engine_, volume_, chunk_sector, chunk.data(), chunk.size(),
                               record_size, &unreadable) == Salvage::kStopped)
        return false;
      for (uint64_t i = 0; i < in_chunk; ++i) {
        if (engine_.ScanStep()) return false;
        const uint64_t number = run_first_record + done + i;
        uint64_t sector = 0;
        if (number >= count || !RecordToSector(volume_, number, &sector)) return true;
        if (unreadable[static_cast<size_t>(i)] == 0)
          MakeEntryFromRecord(chunk_sector + i * spr, chunk.data() + i * record_size, number);
        engine_.SetScanDone(number + 1);
      }
      done += in_chunk;
    }
    run_first_record += records;
  }
  return true;
}

FoundNode* NtfsScanner::catch_all() const { return catch_all_; }

void NtfsScanner::MakeCatchAllNode() {
  FoundNode* node = engine_.tree.NewNode();
  node->directory = 1;
  node->valid = 1;
  NtfsEntryRecord* entry = NewNtfsRecord();
  const uint64_t now = NowAsFileTime();
  for (size_t at : {ntfs_name::kCreationTime, ntfs_name::kModificationTime,
                    ntfs_name::kChangeTime, ntfs_name::kAccessTime})
    WriteLe64(entry->file_name + at, now);
  SetWideName(&entry->long_name, kCatchAllFolderName,
              sizeof(kCatchAllFolderName) / sizeof(char16_t) - 1);
  node->record = AsEntryRecord(entry);
  catch_all_ = node;
}

bool NtfsScanner::IsUsableParent(uint64_t number, uint64_t limit) const {
  if (number >= limit) return false;
  const FoundNode* parent = table_[number];
  return parent != nullptr && parent->valid != 0 && parent->directory != 0;
}

bool NtfsScanner::LinkToParents() {
  FoundTree& tree = engine_.tree;
  const uint64_t count = volume_.mft_record_count;
  const FoundNode* root = table_[ntfs_record::kRootRecord];
  // The record each node goes under (count: the catch-all folder), decided before anything
  // moves. Nodes are in the table at their record number, in the order they were made.
  constexpr uint64_t kStays = ~0ull;
  std::vector<uint64_t> parent_of(static_cast<size_t>(count), kStays);
  // Each loop below takes a worker step every kLinkStepNodes nodes: a million records link in
  // a fraction of a second, but a pause or a stop must still be seen within it.
  auto step = [&](uint64_t i) { return i % kLinkStepNodes == 0 && engine_.ScanStep(); };
  for (uint64_t i = 0; i < count; ++i) {
    if (step(i)) return false;
    const FoundNode* node = table_[i];
    if (node == nullptr || node == root || node->valid == 0) continue;
    const uint64_t number = ParentNumber(node);
    parent_of[i] = IsUsableParent(number, count) ? number : count;
  }
  // Stale parent numbers of deleted folders can form loops; a folder never goes below itself.
  // Each loop is cut at its last-made folder, which goes to the catch-all folder: linking in
  // creation order, that is the folder whose move would close the loop. Every parent link is
  // followed once, whatever the depth of the folders.
  enum : uint8_t { kUnseen, kOnPath, kSettled };
  std::vector<uint8_t> state(static_cast<size_t>(count), kUnseen);
  std::vector<uint64_t> path;
  for (uint64_t start = 0; start < count; ++start) {
    if (step(start)) return false;
    path.clear();
    uint64_t at = start;
    while (at < count && parent_of[at] != kStays && state[at] == kUnseen) {
      state[at] = kOnPath;
      path.push_back(at);
      at = parent_of[at];
      ++link_steps_;
    }
    if (at < count && state[at] == kOnPath) {
      const auto loop = std::find(path.begin(), path.end(), at);
      parent_of[*std::max_element(loop, path.end())] = count;
    }
    for (uint64_t member : path) state[member] = kSettled;
  }
  for (uint64_t i = 0; i < count; ++i) {
    if (step(i)) return false;
    if (parent_of[i] == kStays) continue;
    tree.MoveNode(table_[i], parent_of[i] == count ? catch_all_ : table_[parent_of[i]]);
  }
  return true;
}

// --- the extra pass --------------------------------------------------------------------------

uint8_t NtfsScanner::ScanFreeClustersForRecords() {
  const uint64_t cluster_count = volume_.ClusterCount();
  engine_.SetScanTotal(cluster_count);
  const std::vector<uint8_t>& map = volume_.bitmap;
  const uint64_t bitmap_bits = uint64_t{map.size()} * 8;
  // Clusters past the device's end cannot be read: a free run that crossed it would fail as a
  // whole, losing the records in its readable part.
  const uint64_t limit = std::min({cluster_count, bitmap_bits, volume_.ReadableClusters()});
  // Every free cluster the bitmap describes is searched; runs of free clusters cross byte
  // ends freely.
  uint64_t cluster = 0;
  uint64_t next_step = 0;
  while (cluster < limit) {
    // A large volume's bitmap is millions of bytes of used clusters between free runs.
    if (cluster >= next_step) {
      if (engine_.ScanStep()) return 0;
      next_step = cluster + kBitmapStepClusters;
    }
    const uint64_t byte = cluster / 8;
    if ((cluster % 8) == 0 && map[byte] == 0xFF) {
      cluster += 8;
      continue;
    }
    if (map[byte] & (1u << (cluster % 8))) {
      ++cluster;
      continue;
    }
    uint64_t end = cluster;
    while (end < limit) {
      if ((end % 8) == 0 && map[end / 8] == 0 && end + 8 <= limit) {
        end += 8;
        continue;
      }
      if (map[end / 8] & (1u << (end % 8))) break;
      ++end;
    }
    bool stopped = false;
    if (!ScanFreeRun(cluster, end - cluster, &stopped)) return 0;
    engine_.SetScanDone(end);
    cluster = end;
  }
  engine_.SetScanDone(cluster_count);
  return bitmap_bits < cluster_count ? 1 : 0;
}

uint64_t FreeRunChunkSectors(uint64_t sectors_per_cluster, uint64_t bytes_per_sector,
                             uint64_t remaining_sectors) {
  if (sectors_per_cluster == 0 || bytes_per_sector == 0) return 0;
  uint64_t sectors = kChunkClusters * sectors_per_cluster;
  if (sectors / kChunkClusters != sectors_per_cluster) sectors = ~0ull;
  sectors = std::min(sectors, kFreeRunChunkBytes / bytes_per_sector);
  return std::min(sectors, remaining_sectors);
}

bool NtfsScanner::ScanFreeRun(uint64_t first_cluster, uint64_t cluster_count, bool* stopped) {
  const uint64_t spc = volume_.sectors_per_cluster;
  const uint64_t spr = volume_.sectors_per_record;
  const uint64_t bps = volume_.bytes_per_sector;
  const uint64_t run_start = first_cluster * spc;
  const uint64_t run_end = run_start + cluster_count * spc;
  if (run_end - run_start < spr) return true;
  // Steps (the stop test and the pump) come before every piece that carries the record
  // signature and at least every kStepBytes in between: a step per sector would cost more
  // than reading the sector (under Wine the pump's clock test alone is some 100 ns).
  const uint64_t step_sectors = std::max<uint64_t>(1, kStepBytes / bps);
  // Lost records are looked for at every sector of the run: an old MFT need not have been
  // aligned to the run's first cluster. A chunk's last record-sized piece that would cross
  // the chunk's end is looked at again at the start of the next chunk.
  uint64_t next = run_start;
  while (run_end - next >= spr) {
    const uint64_t sectors = FreeRunChunkSectors(spc, bps, run_end - next);
    if (sectors < spr) return true;  // a record larger than any chunk: nothing can be found
    // At most kFreeRunChunkBytes, which fits a size_t of either build.
    const size_t bytes = static_cast<size_t>(sectors * bps);
    // The chunk passes through a buffer of one piece, and of the record-sized stretch that
    // crosses into the next piece, each piece searched as soon as it is read, while it is
    // still in the processor's cache: a chunk is some twenty megabytes, and searched only once
    // all of it was in, it went out to memory and came back. The reads are those that one
    // read of the chunk makes.
    // What the disk refuses is read again a record's size at a time; what stays unreadable
    // holds zeros, which carry no record signature, and the search goes on past it.
    const size_t unit = volume_.RecordSize();
    const size_t piece_bytes = std::max(unit, kScanPieceBytes / unit * unit);
    const size_t record_bytes = static_cast<size_t>(spr * bps);
    // A chunk smaller than that is held whole.
    const size_t capacity = std::min(bytes, piece_bytes + record_bytes);
    if (free_chunk_size_ < capacity) {
      free_chunk_.reset(new uint8_t[capacity]);
      free_chunk_size_ = capacity;
    }
    uint8_t* const buffer = free_chunk_.get();
    size_t base = 0;  // the chunk's byte at the buffer's start
    size_t held = 0;  // bytes of the chunk in the buffer from there
    uint64_t offset = 0;
    uint64_t step_at = 0;
    while (offset + spr <= sectors) {
      const size_t at = static_cast<size_t>(offset * bps);
      while (base + held < at + record_bytes) {
        // What is still to be searched (less than a record) moves to the front.
        const size_t keep = base + held - at;
        std::memmove(buffer, buffer + (at - base), keep);
        base = at;
        held = keep;
        const size_t n = std::min({piece_bytes, bytes - (base + held), capacity - held});
        if (ReadSectorsSalvaging(engine_, volume_, next + (base + held) / bps, buffer + held, n,
                                 unit, nullptr) == Salvage::kStopped) {
          *stopped = true;
          return false;
        }
        held += n;
      }
      uint8_t* piece = buffer + (at - base);
      const bool signed_piece = ReadLe32(ByteSpan{piece, 4}, 0) == ntfs_record::kMagicValue;
      if (signed_piece || offset >= step_at) {
        if (engine_.ScanStep()) {
          *stopped = true;
          return false;
        }
        step_at = offset + step_sectors;
      }
      if (signed_piece && ParseLostRecord(piece, next + offset)) {
        offset += spr;
        continue;
      }
      ++offset;
    }
    next += offset;
    engine_.SetScanDone(std::min(next / spc, first_cluster + cluster_count));
  }
  return true;
}

bool NtfsScanner::ParseLostRecord(uint8_t* record, uint64_t record_sector) {
  ClearLastError(engine_);
  NtfsEntryRecord* entry = NewNtfsRecord();
  auto drop = [&] {
    FreeNtfsRecord(entry);
    delete entry;
    return false;
  };
  if (!CheckRecordHeader(volume_, record)) return drop();
  ByteSpan whole{record, volume_.RecordSize()};
  const uint8_t flags = static_cast<uint8_t>(RecordFlags(whole) & 0xFF);
  if (flags >= 1 && flags <= 3) return drop();
  ByteSpan used = UsedPart(whole);
  const size_t position = ReadLe16(used, ntfs_record::kFirstAttribute);
  if (position > used.size()) return drop();
  AttributeWalk walk(engine_, used, position);
  Attribute attribute;
  while (walk.Next(&attribute)) {
    if (attribute.type == ntfs_attr::kTypeAttributeList) {
      if (!ReadAttributeList(engine_, volume_, used, &entry->extents, attribute.position, entry,
                             nullptr))
        return drop();
    } else if (attribute.type == ntfs_attr::kTypeFileName) {
      if (entry->name_from_attribute_list == 0 && !CopyFileNameHead(used, attribute, entry))
        return drop();
    } else if (attribute.type == ntfs_attr::kTypeData && entry->extents.runs_settled == 0) {
      // The lost file's own data attribute says where its content is; without it the entry
      // could be listed but never saved.
      if (!ReadDataAttributes(engine_, volume_, used, attribute.position, entry, &entry->extents,
                              record_sector))
        return drop();
      break;
    }
  }
  if (walk.Failed()) return drop();
  if (!HasName(entry) || !CountEntryFreeClusters(volume_, entry)) return drop();

  FoundTree& tree = engine_.tree;
  FoundNode* node = tree.NewNode();
  node->deleted = 1;
  node->directory = 0;
  node->valid = 1;
  node->record = AsEntryRecord(entry);
  const uint64_t number = ParentNumber(node);
  FoundNode* parent = IsUsableParent(number, table_.size()) ? table_[number] : catch_all();
  tree.MoveNode(node, parent);
  ReportDeletedFile(entry);
  return true;
}

// --- the scan thread's body ------------------------------------------------------------------

uint8_t NtfsScanMain(Engine& engine) {
  engine.Clear();
  uint32_t error = 0;
  std::unique_ptr<VolumeReader> reader = engine.platform->OpenVolume(engine.volume_device_path,
                                                                     &error);
  if (!reader) {
    engine.SetSystemError(error);
    engine.EndScan(ScanOutcome::kUnreadable);
    return 0;
  }
  engine.volume = std::move(reader);
  auto state = std::make_unique<NtfsVolume>();
  NtfsVolume& volume = *state;
  engine.volume_state = std::move(state);

  uint8_t boot[512];
  // The one read of the first sector stands for the seek and the read: either failing is
  // shown to the user, as the FAT scan does.
  if (!engine.volume->Read(0, boot, sizeof(boot))) {
    engine.ReportReadError(engine.volume->LastErrorCode());
    engine.EndScan(ScanOutcome::kUnreadable);
    return 0;
  }
  if (!CheckNtfsBootSector(volume, ByteSpan{boot, sizeof(boot)})) {
    engine.SetError(kErrorNotNtfs, kTextNotNtfs);
    // An NTFS name over fields that do not hold is a damaged NTFS boot sector, not another
    // file system.
    std::string named = BootSectorFileSystem(ByteSpan{boot, sizeof(boot)});
    if (named == "NTFS") engine.EndScan(ScanOutcome::kDamaged);
    else engine.EndScan(ScanOutcome::kOtherFileSystem, std::move(named));
    return 0;
  }
  // Everything the scan sizes from on-disk counts is bounded by the device; a device whose
  // size the platform cannot tell is measured, up to what the boot sector claims.
  uint64_t claimed = 0;
  if (__builtin_mul_overflow(volume.total_sectors, uint64_t{volume.bytes_per_sector}, &claimed))
    claimed = ~0ull;
  volume.device_bytes =
      DeviceEnd(*engine.volume, claimed, sizeof(boot), volume.bytes_per_sector);
  if (!LocateMft(engine, volume)) {
    engine.SetError(kErrorNoMft, kTextNoMft);
    return 0;
  }
  if (!LoadVolumeBitmap(engine, volume)) {
    if (engine.scan_flags.stop == 0) engine.SetError(kErrorBadBitmap, kTextBadBitmap);
    return 0;
  }
  uint8_t result = 1;
  bool bitmap_short = false;
  {
    NtfsScanner scanner(engine, volume);
    scanner.ScanMftRecords();
    bitmap_short = engine.extra_pass != 0 && scanner.ScanFreeClustersForRecords() == 1;
    if (!bitmap_short && !engine.tree.empty()) {
      // An empty tree's root reference names no node. A stop that ended a pass still leaves
      // the tree pruned; one asked during the prune ends it.
      const bool stop_asked = engine.scan_flags.stop != 0;
      engine.tree.PruneEmptyFolders(engine.tree.root(),
                                    [&] { return engine.ScanStep() && !stop_asked; });
    }
  }
  // Whatever could not be read was left out; the user learns of it once, at the end, and a
  // scan that found nothing because of it does not count as a good one.
  const bool lost = engine.ReportReadLosses();
  if (bitmap_short) {
    engine.SetError(kErrorBitmapShort, kTextBitmapShort);
    result = 0;
  } else if (lost && engine.tree.empty()) {
    result = 0;
    engine.EndScan(ScanOutcome::kUnreadable);
  }
  // The bitmap is the scan's alone; the save path needs only the geometry and the runs.
  volume.bitmap.clear();
  volume.bitmap.shrink_to_fit();
  return result;
}

}  // namespace scavrel
