// The walk over the engine's found tree that a save watch thread makes when a save starts:
// how many files the engine's save of the tree will try to write, decided as the save's own
// walk decides it, so that a save that wrote fewer can say so. Like every walk of the found
// tree it keeps an explicit stack: a damaged volume can nest folders deeper than any thread's
// stack. Portable: the engine's filter arrives as a callback.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/found_tree.h"

namespace vardeck {

using scavrel::FoundNode;

// With no node, every valid, deleted, checked file the filter accepts inside the folders the
// save walks (valid, with children and a deleted entry below them, whatever their own check
// state); with a node (SaveMenuFile's), every valid file at or below it in those folders. A
// save that writes fewer than this came out short.
uint64_t CountFilesToSave(FoundNode* root, FoundNode* node,
                          const std::function<bool(FoundNode*)>& filter);

}  // namespace vardeck
