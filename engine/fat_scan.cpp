// The FAT scan's root pass, the entry loop every directory reader shares, the two record
// builders, and the scan body that runs the passes in order.
#include "engine/fat_scan.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/fat_boot_sector.h"
#include "engine/fat_dir_slots.h"
#include "engine/fat_dir_entry.h"
#include "engine/salvage_read.h"
#include "engine/volume_kind.h"

namespace scavrel::fat {

FatScanner::FatScanner(Engine& engine, VolumeReader& reader, FatVolume& volume)
    : engine_(engine),
      reader_(reader),
      volume_(volume),
      geometry_(volume.geometry),
      progress_(engine) {}

// --- records and nodes ------------------------------------------------------------------------

FatEntryRecord* FatScanner::NewRecord(ByteSpan entry, const std::u16string& long_name,
                                      const std::string& short_name) {
  FatEntryRecord* record = NewFatRecord();
  if (entry.size() >= kDirEntrySize) std::memcpy(record->dir_entry, entry.data(), kDirEntrySize);
  SetWideName(&record->long_name, long_name.data(), long_name.size());
  std::u16string wide_short = AnsiToWide(short_name);
  SetWideName(&record->short_name, wide_short.data(), wide_short.size());
  return record;
}

// The flags are set before the node is hung, so hanging a deleted file marks its ancestors.
FoundNode* FatScanner::HangNode(FatEntryRecord* record, FoundNode* parent, bool deleted,
                                bool directory) {
  FoundNode* node = engine_.tree.NewNode();
  node->record = AsEntryRecord(record);
  node->deleted = deleted ? 1 : 0;
  node->directory = directory ? 1 : 0;
  node->valid = 1;
  engine_.tree.MoveNode(node, parent);
  return node;
}

void FatScanner::NoteDeletedFile(FatEntryRecord* record) {
  const char16_t* long_name = GetWideName(&record->long_name);
  const char16_t* shown = long_name != nullptr ? long_name : GetWideName(&record->short_name);
  engine_.SetScanText(shown != nullptr ? WideToAnsi(shown) : std::string());
  engine_.AddScanCounterA();
}

namespace {

// A folder whose clusters no chain tells: one empty run.
void GiveEmptyRun(FatEntryRecord* record) {
  ClearRuns(&record->extents);
  ClusterRun* run = AppendRun(&record->extents);
  run->first_cluster = 0;
  run->cluster_count = 0;
  record->extents.total_clusters = 0;
  record->extents.free_clusters = 0;
}

}  // namespace

bool FatScanner::AddFatEntry(FoundNode** out, FoundNode* parent, ByteSpan entry,
                             const std::u16string& long_name) {
  *out = nullptr;
  std::string short_name = ShortNameOf(entry);
  if (long_name.empty() && short_name.empty()) return false;
  bool deleted = parent->deleted != 0 || EntryIsDeleted(entry);
  bool directory = EntryIsDirectory(entry);

  if (directory && deleted) {
    FatEntryRecord* record = NewRecord(entry, long_name, short_name);
    GiveEmptyRun(record);
    *out = HangNode(record, parent, true, true);
    return true;
  }
  if (directory) {
    FatEntryRecord* record = NewRecord(entry, long_name, short_name);
    bool chained = WalkClusterChain(volume_, progress_, &record->extents, EntryFirstCluster(entry));
    RunListNode* first = FirstRun(&record->extents);
    if (!chained || first == nullptr || volume_.owner[first->run->first_cluster] != nullptr) {
      engine_.tree.FreeRecord(AsEntryRecord(record));
      return false;
    }
    uint64_t first_cluster = first->run->first_cluster;
    engine_.AddScanCounterB();
    *out = HangNode(record, parent, false, true);
    volume_.owner[first_cluster] = *out;
    return true;
  }
  if (!deleted) return false;
  return AddDeletedFile(out, parent, entry, long_name, short_name);
}

bool FatScanner::AddDeletedFile(FoundNode** out, FoundNode* parent, ByteSpan entry,
                                const std::u16string& long_name, const std::string& short_name) {
  FatEntryRecord* record = NewRecord(entry, long_name, short_name);
  if (!MapDeletedFileRun(volume_, &record->extents, entry)) {
    engine_.tree.FreeRecord(AsEntryRecord(record));
    return false;
  }
  *out = HangNode(record, parent, true, false);
  NoteDeletedFile(record);
  return true;
}

bool FatScanner::AddEntryInDeletedFolder(FoundNode** out, FoundNode* parent, ByteSpan entry,
                                         const std::u16string& long_name) {
  *out = nullptr;
  std::string short_name = ShortNameOf(entry);
  if (long_name.empty() && short_name.empty()) return false;
  bool deleted = parent->deleted != 0 || EntryIsDeleted(entry);

  if (EntryIsDirectory(entry)) {
    if (short_name == "." || short_name == "..") return false;
    FatEntryRecord* record = NewRecord(entry, long_name, short_name);
    GiveEmptyRun(record);
    engine_.AddScanCounterB();
    *out = HangNode(record, parent, deleted, true);
    return true;
  }
  if (!deleted) return false;
  return AddDeletedFile(out, parent, entry, long_name, short_name);
}

// --- the entry loop ---------------------------------------------------------------------------

FatScanner::LoopResult FatScanner::EntryLoop(ByteSpan buffer, size_t* index, FoundNode* parent,
                                             Builder builder, bool descend,
                                             LongNameAccumulator& long_name, FoundNode** child) {
  const size_t count = buffer.size() / kDirEntrySize;
  for (size_t i = *index; i < count; ++i) {
    if (engine_.ScanStep()) {
      *index = i;
      return LoopResult::kStopped;
    }
    ByteSpan entry = buffer.subspan(i * kDirEntrySize, kDirEntrySize);
    uint8_t attributes = EntryAttributes(entry);
    if (EntryEndsDirectory(entry) ||
        (builder == Builder::kDeleted && attributes >= kAttrImpossible)) {
      *index = i;
      return LoopResult::kEnded;
    }
    if (attributes == kAttrVolumeLabel) continue;
    // No chain vouches for the slots of a deleted or lost folder: one that a driver would not
    // have written is dropped, and a long name is taken only from a run that names its entry.
    const bool checked = builder == Builder::kDeleted;
    if (attributes == kAttrLongName) {
      if (checked && !LongNameSlotPlausible(entry)) {
        long_name.Clear();
        continue;
      }
      long_name.Prepend(entry);
      continue;
    }
    if (checked && !ShortSlotPlausible(entry, geometry_)) {
      long_name.Clear();
      continue;
    }
    FoundNode* node = nullptr;
    bool kept = false;
    if (builder == Builder::kLive) {
      if (EntryIsDeleted(entry) || EntryIsDirectory(entry)) {
        kept = AddFatEntry(&node, parent, entry, long_name.Name());
      }
    } else {
      const bool named = long_name.sequence().Names(entry);
      kept = AddEntryInDeletedFolder(&node, parent, entry,
                                     named ? long_name.RunName() : std::u16string());
    }
    long_name.Clear();
    if (!kept || !descend || node->directory == 0 || node->valid == 0) continue;
    if (builder == Builder::kLive && node->deleted != 0) continue;
    *index = i + 1;
    *child = node;
    return LoopResult::kDescend;
  }
  *index = count;
  return LoopResult::kExhausted;
}

// --- the root pass ----------------------------------------------------------------------------

bool FatScanner::ScanRootDirectory() {
  progress_.Start(static_cast<uint64_t>(geometry_.cluster_count) + 2);
  MakeRootNodes();
  const bool read = geometry_.type == FatType::kFat32 ? ScanChainedRoot() : ScanFixedRoot();
  if (!read) return false;
  volume_.owner[0] = root_node_;
  return true;
}

// The root node, and the unknown-folder node below it that lost folders hang from. Clusters 0
// and 1, which no data cluster has, stand for the two.
void FatScanner::MakeRootNodes() {
  FoundTree& tree = engine_.tree;
  std::u16string root_name = AnsiToWide(engine_.root_name);
  FatEntryRecord* root_record = NewFatRecord();
  SetWideName(&root_record->long_name, root_name.data(), root_name.size());
  SetWideName(&root_record->short_name, root_name.data(), root_name.size());
  root_node_ = tree.NewNode();
  root_node_->record = AsEntryRecord(root_record);
  root_node_->valid = 1;
  root_node_->directory = 1;
  tree.set_root(root_node_);

  std::u16string unknown_name = AnsiToWide(kUnknownFolderName);
  FatEntryRecord* unknown_record = NewFatRecord();
  SetWideName(&unknown_record->long_name, unknown_name.data(), unknown_name.size());
  SetWideName(&unknown_record->short_name, unknown_name.data(), unknown_name.size());
  unknown_node_ = tree.NewNode();
  unknown_node_->record = AsEntryRecord(unknown_record);
  unknown_node_->valid = 1;
  unknown_node_->directory = 1;
  unknown_node_->deleted = 1;

  if (geometry_.type != FatType::kFat32) {
    ClusterRun* run = AppendRun(&root_record->extents);
    run->first_cluster = 0;
    run->cluster_count = 1;
    root_record->extents.total_clusters = 1;
  } else {
    WriteLe16(root_record->dir_entry + kDeFirstClusterHigh,
              static_cast<uint16_t>(geometry_.root_cluster >> 16));
    WriteLe16(root_record->dir_entry + kDeFirstClusterLow,
              static_cast<uint16_t>(geometry_.root_cluster & 0xFFFF));
  }
  ClusterRun* unknown_run = AppendRun(&unknown_record->extents);
  unknown_run->first_cluster = 1;
  unknown_run->cluster_count = 1;
  unknown_record->extents.total_clusters = 1;
  tree.MoveNode(unknown_node_, root_node_);
  volume_.visited[0] = 1;
  volume_.visited[1] = 1;
}

// Runs the entry loop over the readable units of `bytes`: an unreadable unit holds no entries,
// and a long name does not carry across it. False when stopped; *ended when an
// end-of-directory entry was met.
bool FatScanner::EntriesAroundHoles(ByteSpan bytes, const std::vector<uint8_t>& bad,
                                    size_t unit, LongNameAccumulator& long_name, bool* ended) {
  FoundNode* unused = nullptr;
  size_t at = 0;
  while (at < bytes.size() && !*ended) {
    if (!bad.empty() && bad[at / unit] != 0) {
      long_name.Clear();
      at += unit;
      continue;
    }
    size_t end = at;
    while (end < bytes.size() && (bad.empty() || bad[end / unit] == 0)) end += unit;
    end = std::min(end, bytes.size());
    size_t index = 0;
    const LoopResult result = EntryLoop(bytes.subspan(at, end - at), &index, root_node_,
                                        Builder::kLive, false, long_name, &unused);
    if (result == LoopResult::kStopped) return false;
    *ended = result == LoopResult::kEnded;
    at = end;
  }
  return true;
}

// FAT12/FAT16: the root's entries lie in one area of root_entry_count slots, read whole.
bool FatScanner::ScanFixedRoot() {
  const uint64_t root_bytes = uint64_t{geometry_.root_entry_count} * kDirEntrySize;
  uint64_t offset =
      static_cast<uint64_t>(geometry_.first_root_sector) * geometry_.bytes_per_sector;
  // Up to 2 MiB of root entries: a root that does not lie inside the volume cannot be read,
  // and no buffer is sized for it.
  const uint64_t device = reader_.Size();
  if (device != 0 && (offset > device || root_bytes > device - offset)) return false;
  std::vector<uint8_t> root(static_cast<size_t>(root_bytes));
  // A sector the disk refuses costs the entries on it; the root goes on after it.
  std::vector<uint8_t> bad;
  const size_t unit = geometry_.bytes_per_sector;
  if (SalvageRead(engine_, reader_, offset, root.data(), root.size(), unit, &bad) ==
      Salvage::kStopped)
    return false;
  LongNameAccumulator long_name;
  bool ended = false;
  return EntriesAroundHoles(root, bad, unit, long_name, &ended);
}

// FAT32: the root is a chain of clusters, read run by run in pieces of kRootPieceBytes.
bool FatScanner::ScanChainedRoot() {
  auto* root_record = AsFatRecord(root_node_->record);
  if (!WalkClusterChain(volume_, progress_, &root_record->extents, geometry_.root_cluster)) {
    return false;
  }
  progress_.Advance(root_record->extents.total_clusters);

  LongNameAccumulator long_name;
  std::vector<uint8_t> piece(kRootPieceBytes);
  std::vector<uint8_t> bad;
  // A piece the disk refuses is read again cluster by cluster.
  const size_t unit = std::min<size_t>(geometry_.cluster_bytes(), kRootPieceBytes);
  bool ended = false;
  for (RunListNode* node = FirstRun(&root_record->extents); node != nullptr && !ended;
       node = node->next) {
    uint64_t first = node->run->first_cluster;
    uint64_t run_bytes = node->run->cluster_count * geometry_.cluster_bytes();
    for (uint64_t done = 0; done < run_bytes && !ended;) {
      if (engine_.ScanStep()) return false;
      size_t length = static_cast<size_t>(std::min<uint64_t>(kRootPieceBytes, run_bytes - done));
      std::fill(piece.begin(), piece.end(), 0);
      if (SalvageRead(engine_, reader_, geometry_.ClusterOffset(first) + done, piece.data(),
                      length, unit, &bad) == Salvage::kStopped)
        return false;
      // The long name carries over from piece to piece: a name may straddle a cluster.
      if (!EntriesAroundHoles(ByteSpan(piece.data(), length), bad, unit, long_name, &ended))
        return false;
      done += length;
    }
  }
  return true;
}

// --- the scan body ----------------------------------------------------------------------------

namespace {

// Reads the boot sector and the allocation table into a new volume state; false with the last
// error set when the volume cannot be used.
FatVolume* OpenFatVolume(Engine& engine) {
  if (!engine.volume) {
    uint32_t error = 0;
    engine.volume = engine.platform->OpenVolume(engine.volume_device_path, &error);
    if (!engine.volume) {
      engine.SetSystemError(error);
      engine.EndScan(ScanOutcome::kUnreadable);
      return nullptr;
    }
  }
  uint8_t sector[kBootSectorSize] = {};
  if (!engine.volume->Read(0, sector, sizeof(sector))) {
    engine.ReportReadError(engine.volume->LastErrorCode());
    engine.EndScan(ScanOutcome::kUnreadable);
    return nullptr;
  }
  auto volume = std::make_unique<FatVolume>();
  std::memcpy(volume->boot_sector, sector, sizeof(sector));
  if (!ParseFatBootSector(ByteSpan(sector, sizeof(sector)), &volume->geometry)) {
    engine.SetError(kErrorNotFat, kTextNotFat);
    engine.EndScan(ScanOutcome::kOtherFileSystem,
                   BootSectorFileSystem(ByteSpan(sector, sizeof(sector))));
    return nullptr;
  }
  if (!LoadAllocationTable(engine, *engine.volume, *volume)) {
    // A stop is the user's doing, not a damaged table: no error for it.
    if (engine.scan_flags.stop == 0) engine.SetError(kErrorFatTable, kTextFatTable);
    return nullptr;
  }
  FatVolume* kept = volume.get();
  engine.volume_state = std::move(volume);
  return kept;
}

bool RunPasses(Engine& engine, FatVolume& volume) {
  FatScanner scanner(engine, *engine.volume, volume);
  if (!scanner.ScanRootDirectory() || !scanner.WalkLiveFolders() ||
      !scanner.WalkDeletedFolders()) {
    return false;
  }
  if (engine.extra_pass != 0) scanner.FindLostFolders();
  // A stop that ended the lost-folder search still leaves the tree pruned; one asked during
  // the prune ends it.
  const bool stop_asked = engine.scan_flags.stop != 0;
  engine.tree.PruneEmptyFolders(engine.tree.root(),
                                [&] { return engine.ScanStep() && !stop_asked; });
  return true;
}

}  // namespace

uint8_t RunFatScan(Engine& engine) {
  bool result = false;
  try {
    engine.Clear();
    FatVolume* volume = OpenFatVolume(engine);
    if (volume != nullptr) {
      result = RunPasses(engine, *volume);
      // Whatever could not be read was left out; the user learns of it once, at the end, and
      // a scan that found nothing because of it does not count as a good one.
      if (engine.ReportReadLosses() && engine.tree.empty()) {
        result = false;
        engine.EndScan(ScanOutcome::kUnreadable);
      }
    }
  } catch (const std::bad_alloc&) {
    // Out of memory while building the tree: the scan ends with what it has.
    result = false;
  }
  // The thread routine stores the result and sets the finished byte as its last act.
  return result ? 1 : 0;
}

}  // namespace scavrel::fat
