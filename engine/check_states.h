// Check states of the found tree (1 unchecked, 2 mixed, 3 checked): a click sets a state on a
// node's subtree and the ancestors are recomputed, so that a folder shows whether none, some
// or all of its selectable contents are checked. Only selectable nodes take part.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "engine/found_tree.h"

namespace scavrel {

// A node takes part in check states when it is valid, is a folder holding deleted content or
// is a deleted file, and passes the engine's filters.
bool IsSelectable(const Engine& engine, const FoundNode* node);

// Sets state 1 or 3 on a selectable node and on every selectable node below it, reached
// through selectable nodes only. Any other state changes nothing.
void SetSubtreeState(const Engine& engine, FoundNode* node, uint32_t state);

// Walks up from a node and recomputes each selectable parent from its selectable children,
// stopping as soon as a parent needs no change.
void RecomputeAncestors(const Engine& engine, FoundNode* node);

// Recomputes the parent of a node from all of its children, then its ancestors.
void UpdateParentFromChild(const Engine& engine, FoundNode* node);

// The two click entry points of the exported interface. ClickNtfsNode: state 0 toggles the
// node between unchecked and checked, 1 and 3 set that state on the subtree; ancestors are
// recomputed in every case. ClickNode: the NTFS engine toggles the node alone; both engines
// then update the parent from it.
void ClickNtfsNode(const Engine& engine, FoundNode* node, uint32_t state);
void ClickNode(const Engine& engine, FoundNode* node);

}  // namespace scavrel
