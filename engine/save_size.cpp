// The size check before a save.
#include "engine/save_size.h"

#include <limits>
#include <vector>

#include "engine/filters.h"
#include "engine/save_names.h"

namespace scavrel {
namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

uint64_t RoundUpToCluster(uint64_t size, uint64_t cluster) {
  uint64_t rest = size % cluster;
  if (rest == 0) return size;
  uint64_t pad = cluster - rest;
  return size > kMax - pad ? kMax : size + pad;
}

}  // namespace

uint64_t SumSaveSize(const Engine& engine, uint32_t cluster_size, const FoundNode* node) {
  if (cluster_size == 0) return 0;
  const bool node_given = node != nullptr;
  const FoundNode* start = node;
  if (start == nullptr && !engine.tree.empty()) start = engine.tree.root();
  if (start == nullptr) return 0;
  const RecordForm form = engine.tree.record_form();

  // A save asked for one file writes that file (the save's file rule): it has no children to
  // sum, and the free-space check must still see its bytes.
  if (node_given && !start->directory) {
    return start->valid ? RoundUpToCluster(RecordedSize(start, form), cluster_size) : 0;
  }

  // An explicit stack: a damaged volume can nest folders deeper than a thread's stack allows.
  uint64_t sum = 0;
  std::vector<const FoundNode*> pending{start->first_child};
  while (!pending.empty()) {
    const FoundNode* child = pending.back();
    if (child == nullptr) {
      pending.pop_back();
      continue;
    }
    pending.back() = child->next_sibling;
    if (!child->valid) continue;
    if (child->directory) {
      if (child->has_children && child->subtree_has_deleted && NodeFilter(engine, child) &&
          (child->check_state != kUnchecked || node_given)) {
        const FoundNode* first = child->first_child;  // by value: the field is packed
        pending.push_back(first);
      }
      continue;
    }
    if (!child->deleted) continue;
    if (!node_given && child->check_state == kUnchecked) continue;
    uint64_t bytes = RoundUpToCluster(RecordedSize(child, form), cluster_size);
    sum = sum > kMax - bytes ? kMax : sum + bytes;
  }
  return sum;
}

bool CheckSaveSize(const Engine& engine, const DestinationSpace& space, const FoundNode* node,
                   uint64_t* size) {
  uint64_t cluster = static_cast<uint64_t>(space.sectors_per_cluster) * space.bytes_per_sector;
  if (cluster == 0 || cluster > std::numeric_limits<uint32_t>::max() || size == nullptr) {
    return false;
  }
  uint64_t sum = SumSaveSize(engine, static_cast<uint32_t>(cluster), node);
  *size = sum;
  return sum <= space.free_to_caller;
}

}  // namespace scavrel
