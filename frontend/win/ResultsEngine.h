// The results window's side of Scavrel.dll and Quorrin.dll: the found tree as the row
// builders read it, the sorted-list operations as exported, and the folder tree's check
// pictures read back from the engine's nodes.
#pragma once

#include <cstdint>

#include "forms/TreeNode.h"
#include "forms/TreeNodes.h"
#include "frontend/ResultRows.h"

namespace vardeck {

// The engine that SetNtfs chose, through its exports.
class EngineResultSource : public ResultSource {
 public:
  explicit EngineResultSource(bool ntfs) : ntfs_(ntfs) {}
  bool Accepts(FoundNode* node) override;
  std::string Name(FoundNode* node) override;
  bool Facts(FoundNode* node, EntryFacts& facts) override;
  bool Ntfs() const override { return ntfs_; }

 private:
  bool ntfs_;
};

// Quorrin.dll's exports.
const SortedListOps& QuorrinOps();

// GetnSelect: the node's check state, or unchecked when the engine gives none.
uint8_t EngineCheckState(FoundNode* node);

// The folder tree's nodes (their Data is the engine node) for the check-picture helpers.
class TreeNodeStates : public StateTree {
 public:
  int ChildCount(void* item) override;
  void* Child(void* item, int index) override;
  void* Parent(void* item) override;
  void RefreshState(void* item) override;
};

inline void RefreshNodeStates(forms::TTreeNode* node) {
  TreeNodeStates states;
  RefreshNodeStates(states, node);
}

// Removes every node of a tree view. A folder chain of a damaged volume can be deeper than any
// stack: the nodes and the system's items go in pieces of a bounded depth, deepest first, so
// that neither the nodes' destructors nor the system's deletion recurse far.
void ClearFolderItems(forms::TTreeNodes& items);

inline FoundNode* NodeOf(forms::TTreeNode* item) {
  return item ? static_cast<FoundNode*>(item->Data()) : nullptr;
}

}  // namespace vardeck
