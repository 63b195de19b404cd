// The count of files a save wants, over found trees built by hand, checked the way the
// engine's save walk decides, and over a tree a million folders deep.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "frontend/FoundTreeWalk.h"

using namespace vardeck;
using scavrel::FoundNode;

namespace {

// Nodes (named for the reader only), linked as the engine links them (first and last child, siblings both
// ways). A folder holding a deleted file gets subtree-has-deleted up to the root.
class Tree {
 public:
  FoundNode* Folder(FoundNode* parent, const std::string& name) {
    FoundNode* n = Make(parent, name);
    n->directory = 1;
    return n;
  }
  FoundNode* File(FoundNode* parent, const std::string& name, bool deleted = true,
                  uint8_t state = scavrel::kChecked) {
    FoundNode* n = Make(parent, name);
    n->deleted = deleted;
    n->check_state = state;
    if (deleted)
      for (FoundNode* p = parent; p; p = p->parent) p->subtree_has_deleted = 1;
    return n;
  }
  std::function<bool(FoundNode*)> Filter() {
    return [this](FoundNode* n) { return rejected_.count(n) == 0; };
  }
  void Reject(FoundNode* n) { rejected_[n] = true; }

 private:
  FoundNode* Make(FoundNode* parent, const std::string& name) {
    FoundNode& n = nodes_.emplace_back();
    n.valid = 1;
    n.check_state = scavrel::kUnchecked;
    n.parent = parent;
    if (parent) {
      parent->has_children = 1;
      ++parent->child_count;
      n.previous_sibling = parent->last_child;
      if (parent->last_child) parent->last_child->next_sibling = &n;
      else parent->first_child = &n;
      parent->last_child = &n;
    }
    return &n;
  }
  std::deque<FoundNode> nodes_;  // stable addresses
  std::map<FoundNode*, bool> rejected_;
};

}  // namespace

TEST(CountFilesToSave, CheckedDeletedFilesOfTheWalkedFoldersOrEverythingBelowAGivenNode) {
  Tree t;
  FoundNode* root = t.Folder(nullptr, "X:\\");
  FoundNode* a = t.Folder(root, "A");  // unchecked folder: still walked, its checked files count
  t.File(a, "1", true, scavrel::kChecked);
  t.File(a, "2", true, scavrel::kUnchecked);
  t.File(a, "3", false, scavrel::kChecked);  // not deleted
  t.Reject(t.File(a, "4", true, scavrel::kChecked));
  FoundNode* inner = t.Folder(a, "Inner");
  t.File(inner, "5", true, scavrel::kChecked);
  FoundNode* gone = t.Folder(root, "Gone");
  t.File(gone, "6", true, scavrel::kChecked);
  gone->valid = 0;
  FoundNode* top = t.File(root, "7", true, scavrel::kChecked);
  EXPECT_EQ(CountFilesToSave(root, nullptr, t.Filter()), 3u);  // 1, 5, 7
  // A node given: every valid file at or below it, whatever its state, kind or filter.
  EXPECT_EQ(CountFilesToSave(root, a, t.Filter()), 5u);
  EXPECT_EQ(CountFilesToSave(root, top, t.Filter()), 1u);
  EXPECT_EQ(CountFilesToSave(root, gone, t.Filter()), 0u);
  // The root given saves every valid file of the walked folders.
  EXPECT_EQ(CountFilesToSave(root, root, t.Filter()), 6u);
  EXPECT_EQ(CountFilesToSave(nullptr, nullptr, t.Filter()), 0u);
}

TEST(CountFilesToSave, AMillionFoldersDeepAreCountedWithoutRunningOutOfStack) {
  Tree t;
  FoundNode* root = t.Folder(nullptr, "R");
  FoundNode* at = root;
  constexpr int kDepth = 1000000;
  for (int i = 0; i < kDepth; ++i) at = t.Folder(at, "d");
  t.File(at, "bottom.txt");
  EXPECT_EQ(CountFilesToSave(root, nullptr, t.Filter()), 1u);
  EXPECT_EQ(CountFilesToSave(root, root->first_child, t.Filter()), 1u);
}
