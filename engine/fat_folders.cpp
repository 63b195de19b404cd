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
  std::fill(cluster_buffer_.begin(), cluster_buffer_.end(), 0);
  return reader_.Read(geometry_.ClusterOffset(cluster), cluster_buffer_.data(),
                      cluster_buffer_.size());
}

// Brings the frame's next cluster into the shared buffer.
FatScanner::Fetch FatScanner::NextCluster(Frame& frame) {
  if (frame.builder == Builder::kLive) {
    // A live folder's clusters are those of its chain, run by run.
    for (;;) {
      if (frame.run == nullptr) return Fetch::kDone;
      if (frame.run_index < frame.run->run->cluster_count) break;
      frame.run = frame.run->next;
      frame.run_index = 0;
    }
    if (engine_.ScanStep()) return Fetch::kStopped;
    frame.cluster = frame.run->run->first_cluster + frame.run_index++;
    if (!ReadCluster(frame.cluster)) return Fetch::kDone;
  } else {
    // A deleted folder is taken to occupy consecutive clusters, as long as they are free,
    // nothing else has claimed them and (past the first, which must start the folder) their
    // slots look like directory entries: the cluster beside a folder may hold a file's data.
    if (engine_.ScanStep()) return Fetch::kStopped;
    uint64_t c = frame.next_cluster;
    if (!geometry_.IsDataCluster(c) || volume_.visited[c] != 0 ||
        volume_.allocation_table[c] != 0 || volume_.owner[c] != nullptr) {
      return Fetch::kDone;
    }
    if (!ReadCluster(c)) return Fetch::kDone;
    if (!frame.first &&
        !ClusterSlotsPlausible(cluster_buffer_, geometry_, frame.long_name.sequence())) {
      return Fetch::kDone;  // left unclaimed: the lost-folder search may still read it
    }
    volume_.visited[c] = 1;
    progress_.Advance();
    frame.cluster = c;
    frame.next_cluster = c + 1;
  }
  frame.next_entry = 0;
  if (frame.first) {
    frame.first = false;
    uint32_t dot = 0;
    if (!IsDirectoryStart(cluster_buffer_, &dot)) return Fetch::kDone;
    if (frame.builder == Builder::kDeleted) {
      volume_.owner[frame.cluster] = frame.node;
      frame.node->valid = 1;
    }
    frame.next_entry = 2;  // past "." and ".."
  }
  return Fetch::kGot;
}

// Reads a folder and, depth first, every sub-folder its entries lead to. False only when
// stopped: a folder that cannot be read ends that folder alone.
bool FatScanner::WalkFolders(FoundNode* start, Builder builder) {
  std::vector<Frame> stack;
  auto push = [&](FoundNode* node) {
    Frame frame;
    frame.node = node;
    frame.builder = builder;
    auto* record = reinterpret_cast<FatEntryRecord*>(node->record);
    if (builder == Builder::kLive) {
      frame.run = FirstRun(&record->extents);
    } else {
      frame.next_cluster = EntryFirstCluster(ByteSpan(record->dir_entry, kDirEntrySize));
    }
    stack.push_back(std::move(frame));
  };
  push(start);
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
        stack.pop_back();
        continue;
      }
      frame.stale = false;
    }
    FoundNode* child = nullptr;
    LoopResult result = EntryLoop(cluster_buffer_, &frame.next_entry, frame.node, builder, true,
                                  frame.long_name, &child);
    switch (result) {
      case LoopResult::kStopped:
        return false;
      case LoopResult::kEnded:
        stack.pop_back();
        break;
      case LoopResult::kExhausted:
        frame.need_cluster = true;
        break;
      case LoopResult::kDescend:
        frame.stale = true;
        push(child);  // invalidates `frame`
        break;
    }
  }
  return true;
}

bool FatScanner::WalkLiveFolders() {
  for (FoundNode* child = root_node_->first_child; child != nullptr; child = child->next_sibling) {
    if (engine_.ScanStep()) return false;
    if (child->directory == 0 || child->deleted != 0 || child->valid == 0) continue;
    if (!WalkFolders(child, Builder::kLive)) return false;
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
      if (!WalkFolders(node, Builder::kDeleted)) return false;
    } else {
      pending.push_back(static_cast<FoundNode*>(node->first_child));  // a copy: the field is packed
    }
  }
  return true;
}

void FatScanner::FindLostFolders() {
  bool folder_start = true;
  FoundNode* parent = nullptr;
  LongNameAccumulator long_name;
  const uint64_t end = static_cast<uint64_t>(geometry_.cluster_count) + 2;
  for (uint64_t c = 2; c < end; ++c) {
    if (engine_.ScanStep()) return;
    if (volume_.allocation_table[c] != 0 || volume_.visited[c] != 0 ||
        volume_.owner[c] != nullptr) {
      continue;
    }
    if (!ReadCluster(c)) continue;
    volume_.visited[c] = 1;
    progress_.Advance();

    size_t index = 0;
    // A cluster read to its end left the folder open, but the next free cluster continues it
    // only when its slots look like directory entries; otherwise it may start a folder itself.
    if (!folder_start &&
        !ClusterSlotsPlausible(cluster_buffer_, geometry_, long_name.sequence())) {
      folder_start = true;
    }
    if (folder_start) {
      uint32_t dot = 0;
      if (!IsDirectoryStart(cluster_buffer_, &dot)) continue;
      if (geometry_.IsDataCluster(dot) || dot == 0) {
        parent = volume_.owner[dot];
      } else {
        parent = nullptr;
      }
      if (parent == nullptr) {
        MakeLostFolderNode(&parent, static_cast<uint32_t>(c));
        volume_.owner[c] = parent;
      }
      folder_start = false;
      long_name.Clear();
      index = 2;
    }

    LoopResult result;
    for (;;) {
      FoundNode* child = nullptr;
      result = EntryLoop(cluster_buffer_, &index, parent, Builder::kDeleted, true, long_name,
                         &child);
      if (result != LoopResult::kDescend) break;
      if (!WalkFolders(child, Builder::kDeleted)) return;
      if (!ReadCluster(c)) {
        result = LoopResult::kEnded;
        break;
      }
    }
    if (result == LoopResult::kStopped) return;
    // A cluster read to its end leaves the folder open: the next cluster read continues it.
    if (result != LoopResult::kExhausted) folder_start = true;
  }
}

// Bottom-up: each folder is judged after all its children.
bool FatScanner::PruneTree(FoundNode* node) {
  if (node == nullptr) return false;
  struct Visit {
    FoundNode* node;
    FoundNode* next_child;
  };
  std::vector<Visit> stack;
  stack.push_back({node, node->first_child});
  while (!stack.empty()) {
    Visit& top = stack.back();
    if (top.next_child != nullptr) {
      FoundNode* child = top.next_child;
      top.next_child = child->next_sibling;  // taken before the child may be deleted
      stack.push_back({child, child->first_child});
      continue;
    }
    FoundNode* done = top.node;
    stack.pop_back();
    // A folder that still has children is never deleted: that would leave them with a parent
    // that no longer exists.
    if (done->subtree_has_deleted == 0 && done->directory != 0 && done->first_child == nullptr) {
      engine_.tree.DeleteNode(done);
    }
  }
  return true;
}

}  // namespace scavrel::fat
