// The size check before a save: how many bytes the files to be saved take on the destination,
// counted in whole clusters of the destination volume.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "engine/found_tree.h"

namespace scavrel {

// Bytes that the files below `node` (below the tree's root when null) take on a volume with
// `cluster_size`-byte clusters; the start node itself is not counted. Without a node, only
// checked files and the folders that are not unchecked count; with a node, every deleted file
// below it. Folders are entered only when they hold a deleted entry and pass the filter. The
// sum stops at the largest 64-bit value rather than wrapping.
uint64_t SumSaveSize(const Engine& engine, uint32_t cluster_size, const FoundNode* node);

// What the system tells of the destination's volume.
struct DestinationSpace {
  uint32_t sectors_per_cluster = 0;
  uint32_t bytes_per_sector = 0;
  uint64_t free_to_caller = 0;
};

// GetSaveSize after the system calls: *size = the sum; true when it fits the free bytes.
// False without a sum when the cluster size is 0.
bool CheckSaveSize(const Engine& engine, const DestinationSpace& space, const FoundNode* node,
                   uint64_t* size);

}  // namespace scavrel
