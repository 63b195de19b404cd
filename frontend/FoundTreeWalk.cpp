// The count of files a save of the found tree wants; see FoundTreeWalk.h.
#include "frontend/FoundTreeWalk.h"

#include <vector>

namespace vardeck {

namespace {

// The save's walk goes into a folder with these; its own check state only decides whether
// the folder is made (engine/save_tree.cpp).
bool SavedFolderWalked(const FoundNode* n) {
  return n->valid && n->has_children && n->subtree_has_deleted;
}

}  // namespace

uint64_t CountFilesToSave(FoundNode* root, FoundNode* node,
                          const std::function<bool(FoundNode*)>& filter) {
  if (!root) return 0;
  // The engine's save takes any node given, the root too, as "every file below it"; only
  // where its walk starts differs for the root.
  const bool node_given = node != nullptr;
  auto wanted = [&](FoundNode* f) {
    if (!f->valid) return false;
    if (node_given) return true;
    return f->deleted && f->check_state == scavrel::kChecked && filter(f);
  };
  uint64_t count = 0;
  std::vector<FoundNode*> next;  // the next child of each open folder
  auto visit = [&](FoundNode* n) {
    if (!n->directory) {
      count += wanted(n);
    } else if (SavedFolderWalked(n)) {
      FoundNode* first = n->first_child;  // a copy: the packed field cannot be bound
      next.push_back(first);
    }
  };
  if (!node_given || node == root) {
    for (FoundNode* c = root->first_child; c; c = c->next_sibling)
      if (c->valid) visit(c);
  } else if (node->valid) {
    visit(node);
  }
  while (!next.empty()) {
    FoundNode* n = next.back();
    if (!n) {
      next.pop_back();
      continue;
    }
    next.back() = n->next_sibling;
    visit(n);
  }
  return count;
}

}  // namespace vardeck
