// The FAT engine's scan: the root pass, the live-folder and deleted-folder walks, the search of
// free clusters for lost folders and the final prune, over a volume opened read-only.
//
// Folder walks keep their own stack of folders instead of recursing, so a volume whose folders
// nest as deep as it has clusters cannot exhaust the thread's stack; the walk order is the
// depth-first order of a recursive walk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/fat_names.h"
#include "engine/fat_table.h"

namespace scavrel::fat {

constexpr const char* kUnknownFolderName = "$Unknow Folder";
constexpr const char* kLostFolderPrefix = "Dir";
// The FAT32 root directory is read in pieces of this many bytes.
constexpr size_t kRootPieceBytes = 65536;

class FatScanner {
 public:
  FatScanner(Engine& engine, VolumeReader& reader, FatVolume& volume);

  // The passes, in the order the scan runs them. The first three return false when stopped or
  // (root pass) when the root cannot be read; FindLostFolders ends quietly when stopped.
  bool ScanRootDirectory();
  bool WalkLiveFolders();
  bool WalkDeletedFolders();
  void FindLostFolders();

  // Record builders; true and the new node when the entry is kept.
  bool AddFatEntry(FoundNode** out, FoundNode* parent, ByteSpan entry,
                   const std::u16string& long_name);
  bool AddEntryInDeletedFolder(FoundNode** out, FoundNode* parent, ByteSpan entry,
                               const std::u16string& long_name);
  bool MakeLostFolderNode(FoundNode** out, uint32_t cluster);

  FoundNode* root_node() const { return root_node_; }
  FoundNode* unknown_node() const { return unknown_node_; }

 private:
  enum class Builder { kLive, kDeleted };
  enum class LoopResult { kExhausted, kEnded, kStopped, kDescend };
  enum class Fetch { kGot, kDone, kStopped };

  // Where a folder walk takes a folder's next cluster from. The live and deleted passes and the
  // lost-folder search are one walk that differs only in this.
  enum class ClusterSource {
    kChain,         // a live folder: the clusters of its allocation chain, run by run
    kAdjacentFree,  // a deleted folder: consecutive free clusters from its first
    kAnyFree,       // the lost-folder search: each free cluster of the volume in turn, which
                    // either continues the lost folder open or starts one
  };

  // One folder being read by a walk: where its next cluster comes from and where the entry
  // loop stands in the current one.
  struct Frame {
    FoundNode* node = nullptr;
    ClusterSource source = ClusterSource::kChain;
    bool first = true;           // the folder's first cluster is still to come (the search:
                                 // no lost folder is open)
    bool need_cluster = true;    // the current cluster's entries are used up
    bool stale = false;          // the shared buffer was reused by a sub-folder's walk
    uint64_t cluster = 0;        // cluster now being read
    size_t next_entry = 0;
    RunListNode* run = nullptr;  // kChain: the run now being read
    uint64_t run_index = 0;
    uint64_t next_cluster = 0;   // the free sources: the next cluster to try
    LongNameAccumulator long_name;
  };

  // The root pass's two forms: FAT12/FAT16 keep the root in a fixed area before the data
  // clusters, FAT32 in a cluster chain like any folder.
  void MakeRootNodes();
  bool ScanFixedRoot();
  bool ScanChainedRoot();
  bool EntriesAroundHoles(ByteSpan bytes, const std::vector<uint8_t>& bad, size_t unit,
                          LongNameAccumulator& long_name, bool* ended);

  LoopResult EntryLoop(ByteSpan buffer, size_t* index, FoundNode* parent, Builder builder,
                       bool descend, LongNameAccumulator& long_name, FoundNode** child);
  Frame FolderFrame(FoundNode* node, ClusterSource source) const;
  bool WalkFolders(Frame start);
  void EndFolder(std::vector<Frame>& stack);
  Fetch NextCluster(Frame& frame);
  Fetch NextChainCluster(Frame& frame);
  Fetch NextAdjacentFreeCluster(Frame& frame);
  Fetch NextLostFolderCluster(Frame& frame);
  Fetch EnterCluster(Frame& frame);
  bool StartLostFolder(Frame& frame);
  bool StartOrphanCluster(Frame& frame);
  bool ClusterClaimed(uint64_t cluster) const;
  bool ReadCluster(uint64_t cluster);

  FatEntryRecord* NewRecord(ByteSpan entry, const std::u16string& long_name,
                            const std::string& short_name);
  FoundNode* HangNode(FatEntryRecord* record, FoundNode* parent, bool deleted, bool directory);
  void NoteDeletedFile(FatEntryRecord* record);
  // A deleted file's node with its run mapped from the entry; false when no run can be mapped.
  bool AddDeletedFile(FoundNode** out, FoundNode* parent, ByteSpan entry,
                      const std::u16string& long_name, const std::string& short_name);

  Engine& engine_;
  VolumeReader& reader_;
  FatVolume& volume_;
  const FatGeometry& geometry_;
  FatProgress progress_;
  std::vector<uint8_t> cluster_buffer_;
  FoundNode* root_node_ = nullptr;
  FoundNode* unknown_node_ = nullptr;
};

// True when a folder cluster begins with "." and ".." entries; *dot_cluster = the first
// cluster that the "." entry names.
bool IsDirectoryStart(ByteSpan cluster, uint32_t* dot_cluster);

// The scan body of the FAT engine: clears the engine, opens its volume device path, reads the
// boot sector and the allocation table and runs the passes; 1 on success.
uint8_t RunFatScan(Engine& engine);

}  // namespace scavrel::fat
