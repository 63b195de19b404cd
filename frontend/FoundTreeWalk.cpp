// The found-tree walks of the watch threads; see FoundTreeWalk.h.
#include "frontend/FoundTreeWalk.h"

namespace vardeck {

namespace {

bool ShownFolder(const FoundNode* n) {
  return n->valid && n->subtree_has_deleted && n->has_children && n->directory;
}

// The save's walk goes into a folder with these; its own check state only decides whether
// the folder is made (engine/save_tree.cpp).
bool SavedFolderWalked(const FoundNode* n) {
  return n->valid && n->has_children && n->subtree_has_deleted;
}

}  // namespace

std::vector<FolderItem> CollectFolderItems(FoundNode* first, const TreeReaders& readers) {
  std::vector<FolderItem> items;
  // Each entry is the next node of a sibling chain and the item its chain hangs under. A
  // folder's children are pushed after its next sibling, so they come first.
  struct Chain {
    FoundNode* next;
    int parent;
  };
  std::vector<Chain> chains{{first, -1}};
  while (!chains.empty()) {
    Chain c = chains.back();
    chains.pop_back();
    if (!c.next) continue;
    FoundNode* n = c.next;
    chains.push_back({n->next_sibling, c.parent});
    if (!ShownFolder(n) || !readers.filter(n)) continue;
    items.push_back({n, c.parent, readers.name(n)});
    if (n->child_count > 0) chains.push_back({n->first_child, static_cast<int>(items.size()) - 1});
  }
  return items;
}

void CollectHitFiles(FoundNode* folder, const std::string& path, const TreeReaders& readers,
                     const FindCriteria& criteria,
                     const std::function<void(const HitFile&)>& row) {
  if (!folder) return;
  // One path for the whole walk, cut back to each open folder's own length before its next
  // child: a copy per open folder would cost the square of the depth.
  std::string current = path;
  struct Open {
    FoundNode* next;
    size_t length;
  };
  std::vector<Open> open{{folder->first_child, current.size()}};
  while (!open.empty()) {
    Open& top = open.back();
    FoundNode* n = top.next;
    if (!n) {
      open.pop_back();
      continue;
    }
    top.next = n->next_sibling;
    current.resize(top.length);
    if (!n->valid) continue;
    if (n->directory) {
      if (n->subtree_has_deleted && readers.filter(n)) {
        current += readers.name(n);
        current += '\\';
        open.push_back({n->first_child, current.size()});
      }
      continue;
    }
    if (!readers.filter(n)) continue;
    std::string name = readers.name(n);
    if (!NameMatches(criteria, name)) continue;
    row(HitFile{n, current, std::move(name)});
  }
}

std::string HitRootPath(const std::string& root_name) {
  if (!root_name.empty() && root_name.back() == '\\') return root_name;
  return root_name + "\\";
}

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
