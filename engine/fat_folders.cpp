// The FAT scan's folder passes: live folders through their chains, deleted folders over
// consecutive free clusters, lost folders found in free clusters, and the prune.
#include "engine/fat_scan.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/fat_dir_entry.h"
#include "engine/fat_dir_slots.h"

namespace scavrel::fat {
namespace {

// The 11 name bytes of an entry as one text, as "." and ".." are tested.
std::string CutAndTrimName(ByteSpan entry) {
  char name[kDeNameLength + kDeExtensionLength];
  for (size_t i = 0; i < sizeof(name); ++i) name[i] = static_cast<char>(ReadLe8(entry, kDeName + i));
  return CutAndTrim(name, sizeof(name));
}

bool IsDotEntry(ByteSpan entry, const char* name) {
  return EntryFileSize(entry) == 0 && EntryIsDirectory(entry) && CutAndTrimName(entry) == name;
}

}  // namespace

bool IsDirectoryStart(ByteSpan cluster, uint32_t* dot_cluster) {
  if (cluster.size() < 2 * kDirEntrySize) {
    *dot_cluster = 0;
    return false;
  }
  ByteSpan dot = cluster.subspan(0, kDirEntrySize);
  ByteSpan dotdot = cluster.subspan(kDirEntrySize, kDirEntrySize);
  *dot_cluster = EntryFirstCluster(dot);
  return IsDotEntry(dot, ".") && IsDotEntry(dotdot, "..");
}

bool FatScanner::MakeLostFolderNode(FoundNode** out, uint32_t cluster) {
  FatEntryRecord* record = NewFatRecord();
  std::u16string name = AnsiToWide(kLostFolderPrefix + std::to_string(cluster));
  SetWideName(&record->long_name, name.data(), name.size());
  ClusterRun* run = AppendRun(&record->extents);
  run->first_cluster = 0;
  run->cluster_count = 0;
  record->extents.total_clusters = 0;
  std::memset(record->dir_entry, ' ', kDeNameLength + kDeExtensionLength);
  record->dir_entry[kDeAttributes] = kAttrDirectory;
  WriteLe16(record->dir_entry + kDeFirstClusterHigh, static_cast<uint16_t>(cluster >> 16));
  WriteLe16(record->dir_entry + kDeFirstClusterLow, static_cast<uint16_t>(cluster & 0xFFFF));
  *out = HangNode(record, unknown_node_, true, true);
  return true;
}

bool FatScanner::ReadCluster(uint64_t cluster) {
  const uint64_t offset = geometry_.ClusterOffset(cluster);
  const uint64_t device = reader_.Size();
  // The buffer is sized at the first cluster read, and only when the device holds a whole
  // cluster there: the boot sector's cluster size alone sizes nothing.
  if (cluster_buffer_.empty()) {
    const uint64_t bytes = geometry_.cluster_bytes();
    if (device != 0 && (offset >= device || device - offset < bytes)) return false;
    cluster_buffer_.assign(static_cast<size_t>(bytes), 0);
  }
  std::fill(cluster_buffer_.begin(), cluster_buffer_.end(), 0);
  if (reader_.Read(offset, cluster_buffer_.data(), cluster_buffer_.size())) return true;
  // A cluster past the device's end was never there to lose; one the disk refuses was.
  const uint32_t code = reader_.LastErrorCode();
  if (code != kErrorHandleEof && (device == 0 || offset < device))
    engine_.NoteUnreadable(code, cluster_buffer_.size());
  return false;
}

// A cluster some allocation chain, an earlier read or a found folder already has.
bool FatScanner::ClusterClaimed(uint64_t cluster) const {
  return volume_.allocation_table[cluster] != 0 || volume_.visited[cluster] != 0 ||
         volume_.owner[cluster] != nullptr;
}

FatScanner::Frame FatScanner::FolderFrame(FoundNode* node, ClusterSource source) const {
  Frame frame;
  frame.node = node;
  frame.source = source;
  auto* record = AsFatRecord(node->record);
  if (source == ClusterSource::kChain) {
    frame.run = FirstRun(&record->extents);
  } else {
    frame.next_cluster = EntryFirstCluster(record->dir_entry);
  }
  return frame;
}

// Brings the frame's next cluster into the shared buffer.
FatScanner::Fetch FatScanner::NextCluster(Frame& frame) {
  switch (frame.source) {
    case ClusterSource::kChain:
      return NextChainCluster(frame);
    case ClusterSource::kAdjacentFree:
      return NextAdjacentFreeCluster(frame);
    case ClusterSource::kAnyFree:
      return NextLostFolderCluster(frame);
  }
  return Fetch::kDone;
}

FatScanner::Fetch FatScanner::NextChainCluster(Frame& frame) {
  for (;;) {
    for (;;) {
      if (frame.run == nullptr) return Fetch::kDone;
      if (frame.run_index < frame.run->run->cluster_count) break;
      frame.run = frame.run->next;
      frame.run_index = 0;
    }
    if (engine_.ScanStep()) return Fetch::kStopped;
    frame.cluster = frame.run->run->first_cluster + frame.run_index++;
    if (ReadCluster(frame.cluster)) return EnterCluster(frame);
    // The chain, not the cluster, says what belongs to the folder: an unreadable cluster costs
    // its own entries, and the folder goes on with the next. Without its first cluster the
    // folder's start cannot be checked; the chain vouches for it.
    frame.first = false;
    frame.long_name.Clear();
  }
}

// A deleted folder is taken to occupy consecutive clusters, as long as they are free, nothing
// else has claimed them and (past the first, which must start the folder) their slots look
// like directory entries: the cluster beside a folder may hold a file's data.
FatScanner::Fetch FatScanner::NextAdjacentFreeCluster(Frame& frame) {
  if (engine_.ScanStep()) return Fetch::kStopped;
  const uint64_t c = frame.next_cluster;
  if (!geometry_.IsDataCluster(c) || ClusterClaimed(c)) return Fetch::kDone;
  if (!ReadCluster(c)) return Fetch::kDone;
  if (!frame.first &&
      !ClusterSlotsPlausible(cluster_buffer_, geometry_, frame.long_name.sequence())) {
    return Fetch::kDone;  // left unclaimed: the lost-folder search may still read it
  }
  volume_.visited[c] = 1;
  progress_.Advance();
  frame.cluster = c;
  frame.next_cluster = c + 1;
  return EnterCluster(frame);
}

// The folder's first cluster must begin with "." and ".."; a deleted folder that does is
// kept and owns that cluster.
FatScanner::Fetch FatScanner::EnterCluster(Frame& frame) {
  frame.next_entry = 0;
  if (!frame.first) return Fetch::kGot;
  frame.first = false;
  uint32_t dot = 0;
  if (!IsDirectoryStart(cluster_buffer_, &dot)) return Fetch::kDone;
  if (frame.source == ClusterSource::kAdjacentFree) {
    volume_.owner[frame.cluster] = frame.node;
    frame.node->valid = 1;
  }
  frame.next_entry = 2;  // past "." and ".."
  return Fetch::kGot;
}

// The search reads every cluster nothing has claimed, in volume order. A cluster read to its
// end leaves the lost folder open, and the next free cluster continues it only when its slots
// look like directory entries; otherwise that cluster may start a folder itself. Only Done
// (the volume's end) and Stopped end the search.
FatScanner::Fetch FatScanner::NextLostFolderCluster(Frame& frame) {
  const uint64_t end = static_cast<uint64_t>(geometry_.cluster_count) + 2;
  while (frame.next_cluster < end) {
    const uint64_t c = frame.next_cluster++;
    if (engine_.ScanStep()) return Fetch::kStopped;
    if (ClusterClaimed(c)) continue;
    if (!ReadCluster(c)) continue;
    volume_.visited[c] = 1;
    progress_.Advance();
    frame.cluster = c;
    if (!frame.first &&
        !ClusterSlotsPlausible(cluster_buffer_, geometry_, frame.long_name.sequence())) {
      frame.first = true;
    }
    if (!frame.first) {
      frame.next_entry = 0;
      return Fetch::kGot;
    }
    if (StartLostFolder(frame)) return Fetch::kGot;
  }
  return Fetch::kDone;
}

// A cluster that begins with "." and ".." starts a folder. Its entries go to the found folder
// the "." entry names when there is one (cluster 0 names the root), else to a new lost folder
// under the unknown-folder node.
bool FatScanner::StartLostFolder(Frame& frame) {
  uint32_t dot = 0;
  if (!IsDirectoryStart(cluster_buffer_, &dot)) return StartOrphanCluster(frame);
  FoundNode* parent = nullptr;
  if (geometry_.IsDataCluster(dot) || dot == 0) parent = volume_.owner[dot];
  if (parent == nullptr) {
    MakeLostFolderNode(&parent, static_cast<uint32_t>(frame.cluster));
    volume_.owner[frame.cluster] = parent;
  }
  frame.node = parent;
  frame.first = false;
  frame.long_name.Clear();
  frame.next_entry = 2;
  return true;
}

// A free cluster that lists deleted entries but does not start a folder is a later cluster of
// a folder whose start lies elsewhere or is gone (a deleted folder walked over consecutive
// clusters misses the ones written apart). Nothing names the folder it belonged to, so its
// entries go to a lost folder of its own, named after this cluster, and the clusters that
// follow it may continue it as they continue any lost folder.
bool FatScanner::StartOrphanCluster(Frame& frame) {
  if (!OrphanClusterPlausible(cluster_buffer_, geometry_)) return false;
  FoundNode* node = nullptr;
  MakeLostFolderNode(&node, static_cast<uint32_t>(frame.cluster));
  frame.node = node;
  frame.first = false;
  frame.long_name.Clear();
  // The end of a name whose other parts lay in the cluster before, which is not known, is
  // passed over: its entry keeps its short name.
  frame.next_entry = LeadingNameTail(cluster_buffer_);
  return true;
}

// A folder's end: its frame goes, but the lost-folder search goes on with the next free
// cluster, which may start another folder.
void FatScanner::EndFolder(std::vector<Frame>& stack) {
  Frame& frame = stack.back();
  if (frame.source != ClusterSource::kAnyFree) {
    stack.pop_back();
    return;
  }
  frame.first = true;
  frame.need_cluster = true;
}

// Reads a folder and, depth first, every sub-folder its entries lead to. False only when
// stopped: a folder that cannot be read ends that folder alone.
bool FatScanner::WalkFolders(Frame start) {
  std::vector<Frame> stack;
  stack.push_back(std::move(start));
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.need_cluster) {
      Fetch fetch = NextCluster(frame);
      if (fetch == Fetch::kStopped) return false;
      if (fetch == Fetch::kDone) {
        stack.pop_back();
        continue;
      }
      frame.need_cluster = false;
      frame.stale = false;
    } else if (frame.stale) {
      // A sub-folder's walk used the buffer: read this folder's cluster again.
      if (!ReadCluster(frame.cluster)) {
        EndFolder(stack);
        continue;
      }
      frame.stale = false;
    }
    const Builder builder =
        frame.source == ClusterSource::kChain ? Builder::kLive : Builder::kDeleted;
    FoundNode* child = nullptr;
    LoopResult result = EntryLoop(cluster_buffer_, &frame.next_entry, frame.node, builder, true,
                                  frame.long_name, &child);
    switch (result) {
      case LoopResult::kStopped:
        return false;
      case LoopResult::kEnded:
        EndFolder(stack);
        break;
      case LoopResult::kExhausted:
        frame.need_cluster = true;
        break;
      case LoopResult::kDescend: {
        // A live folder's sub-folders are live; below a deleted or lost folder every folder
        // is read as a deleted one.
        const ClusterSource child_source = frame.source == ClusterSource::kChain
                                               ? ClusterSource::kChain
                                               : ClusterSource::kAdjacentFree;
        frame.stale = true;
        stack.push_back(FolderFrame(child, child_source));  // invalidates `frame`
        break;
      }
    }
  }
  return true;
}

bool FatScanner::WalkLiveFolders() {
  for (FoundNode* child = root_node_->first_child; child != nullptr; child = child->next_sibling) {
    if (engine_.ScanStep()) return false;
    if (child->directory == 0 || child->deleted != 0 || child->valid == 0) continue;
    if (!WalkFolders(FolderFrame(child, ClusterSource::kChain))) return false;
  }
  return true;
}

// Every deleted folder hung under the root or under a live folder is walked; live folders are
// descended in tree order. Deleted-folder walks add nodes only below the deleted folder, so the
// live folders' child lists do not change under the walk.
bool FatScanner::WalkDeletedFolders() {
  std::vector<FoundNode*> pending;  // next child to visit, per live folder being descended
  pending.push_back(static_cast<FoundNode*>(root_node_->first_child));
  while (!pending.empty()) {
    FoundNode* node = pending.back();
    if (node == nullptr) {
      pending.pop_back();
      continue;
    }
    pending.back() = node->next_sibling;
    if (engine_.ScanStep()) return false;
    if (node->directory == 0 || node->valid == 0) continue;
    if (node->deleted != 0) {
      if (!WalkFolders(FolderFrame(node, ClusterSource::kAdjacentFree))) return false;
    } else {
      pending.push_back(static_cast<FoundNode*>(node->first_child));  // a copy: the field is packed
    }
  }
  return true;
}

// The search is one walk whose bottom frame never ends a folder for good: it takes each free
// cluster in turn (see NextLostFolderCluster).
void FatScanner::FindLostFolders() {
  Frame search;
  search.source = ClusterSource::kAnyFree;
  search.next_cluster = 2;
  WalkFolders(std::move(search));
}

}  // namespace scavrel::fat
