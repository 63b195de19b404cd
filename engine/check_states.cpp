// Check-state propagation down a subtree and up the ancestors.
//
// The walks keep a set of the nodes they have visited: a damaged volume can make the scanners
// hang a folder below its own descendant, and a click inside such a loop must end.
#include "engine/check_states.h"

#include <unordered_set>
#include <vector>

#include "engine/filters.h"

namespace scavrel {

bool IsSelectable(const Engine& engine, const FoundNode* node) {
  if (node == nullptr || node->valid == 0) return false;
  bool folder_with_deleted = node->directory != 0 && node->subtree_has_deleted != 0;
  bool deleted_file = node->directory == 0 && node->deleted != 0;
  if (!folder_with_deleted && !deleted_file) return false;
  return NodeFilter(engine, node);
}

void SetSubtreeState(const Engine& engine, FoundNode* node, uint32_t state) {
  if (state != kUnchecked && state != kChecked) return;
  if (!IsSelectable(engine, node)) return;
  std::unordered_set<const FoundNode*> visited{node};
  std::vector<FoundNode*> pending{node};
  while (!pending.empty()) {
    FoundNode* current = pending.back();
    pending.pop_back();
    current->check_state = static_cast<uint8_t>(state);
    for (FoundNode* child = current->first_child; child != nullptr; child = child->next_sibling) {
      if (!visited.insert(child).second) break;
      if (IsSelectable(engine, child)) pending.push_back(child);
    }
  }
}

namespace {

// The state a parent takes from its selectable children: 2 for a mixed child or for both
// 1 and 3 among them, else the one state seen; 0 when no child has any of the three.
uint8_t StateFromSelectableChildren(const Engine& engine, const FoundNode* parent) {
  bool unchecked = false;
  bool checked = false;
  std::unordered_set<const FoundNode*> seen;
  for (FoundNode* child = parent->first_child; child != nullptr; child = child->next_sibling) {
    if (!seen.insert(child).second) break;
    if (!IsSelectable(engine, child)) continue;
    uint8_t state = child->check_state;
    if (state == kMixed) return kMixed;
    if (state == kUnchecked) unchecked = true;
    if (state == kChecked) checked = true;
  }
  if (unchecked && checked) return kMixed;
  if (unchecked) return kUnchecked;
  if (checked) return kChecked;
  return 0;
}

}  // namespace

void RecomputeAncestors(const Engine& engine, FoundNode* node) {
  std::unordered_set<const FoundNode*> visited;
  FoundNode* child = node;
  while (child != nullptr && visited.insert(child).second) {
    if (!IsSelectable(engine, child)) return;
    FoundNode* parent = child->parent;
    if (parent == nullptr || !IsSelectable(engine, parent)) return;
    uint8_t state = child->check_state;
    if (state != kMixed) {
      // The NTFS engine takes a parent that already agrees with the child as settled.
      if (engine.is_ntfs() && parent->check_state == state) return;
      state = StateFromSelectableChildren(engine, parent);
      if (state == 0) return;
    }
    if (state == kMixed && parent->check_state == kMixed) return;
    parent->check_state = state;
    child = parent;
  }
}

void UpdateParentFromChild(const Engine& engine, FoundNode* node) {
  if (node == nullptr) return;
  FoundNode* parent = node->parent;
  if (parent == nullptr) return;
  uint8_t state = node->check_state;
  if (state == kMixed) {
    if (parent->check_state == kMixed) return;
    parent->check_state = kMixed;
    RecomputeAncestors(engine, parent);
    return;
  }
  if (parent->check_state == state) return;
  // Every child counts here, selectable or not.
  bool differs = false;
  std::unordered_set<const FoundNode*> seen;
  for (FoundNode* child = parent->first_child; child != nullptr; child = child->next_sibling) {
    if (!seen.insert(child).second) break;
    if (child->check_state != state) {
      differs = true;
      break;
    }
  }
  parent->check_state = differs ? static_cast<uint8_t>(kMixed) : state;
  RecomputeAncestors(engine, parent);
}

void ClickNtfsNode(const Engine& engine, FoundNode* node, uint32_t state) {
  if (node == nullptr) return;
  if (state == 0) state = node->check_state == kUnchecked ? kChecked : kUnchecked;
  SetSubtreeState(engine, node, state);
  RecomputeAncestors(engine, node);
}

void ClickNode(const Engine& engine, FoundNode* node) {
  if (node == nullptr) return;
  if (engine.is_ntfs()) {
    node->check_state = node->check_state == kUnchecked ? kChecked : kUnchecked;
  }
  UpdateParentFromChild(engine, node);
}

}  // namespace scavrel
