// The watch threads' walks over found trees built by hand: which folders become tree items
// and in what order, the hit list's files and paths, the count of files a save wants (checked
// the way the engine's save walk decides), and a tree a million folders deep walked without
// running out of stack.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "frontend/FoundTreeWalk.h"

using namespace vardeck;
using scavrel::FoundNode;

namespace {

// Nodes with names, linked as the engine links them (first and last child, siblings both
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
  TreeReaders Readers() {
    return {[this](FoundNode* n) { return rejected_.count(n) == 0; },
            [this](FoundNode* n) { return names_.at(n); }};
  }
  std::function<bool(FoundNode*)> Filter() { return Readers().filter; }
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
    names_[&n] = name;
    return &n;
  }
  std::deque<FoundNode> nodes_;  // stable addresses
  std::map<FoundNode*, std::string> names_;
  std::map<FoundNode*, bool> rejected_;
};

std::vector<std::string> Names(const std::vector<FolderItem>& items) {
  std::vector<std::string> out;
  for (const FolderItem& i : items)
    out.push_back((i.parent < 0 ? std::string("-") : items[i.parent].name) + ">" + i.name);
  return out;
}

}  // namespace

TEST(CollectFolderItems, FoldersWithDeletedEntriesInTreeOrderFilesAndEmptyFoldersLeftOut) {
  Tree t;
  FoundNode* root = t.Folder(nullptr, "X:\\");
  FoundNode* a = t.Folder(root, "A");
  FoundNode* a1 = t.Folder(a, "A1");
  t.File(a1, "deep.txt");
  t.File(a, "a.txt");
  FoundNode* b = t.Folder(root, "B");  // only live files: no deleted entry below it
  t.File(b, "live.txt", false);
  FoundNode* c = t.Folder(root, "C");
  t.File(c, "c.txt");
  FoundNode* d = t.Folder(root, "D");
  t.File(d, "d.txt");
  t.Reject(d);  // the filter hides it
  FoundNode* e = t.Folder(root, "E");
  t.File(e, "e.txt");
  e->valid = 0;  // invalid: skipped with all below it
  FoundNode* f = t.Folder(root, "F");
  t.File(f, "f.txt");
  f->has_children = 0;  // holds deleted files but lacks the has-children flag
  t.File(root, "top.txt");
  EXPECT_EQ(Names(CollectFolderItems(root, t.Readers())),
            (std::vector<std::string>{"->X:\\", "X:\\>A", "A>A1", "X:\\>C"}));
  EXPECT_EQ(CollectFolderItems(root, t.Readers())[2].node, a1);
  EXPECT_TRUE(CollectFolderItems(nullptr, t.Readers()).empty());
}

TEST(CollectHitFiles, FilesBelowValidFoldersWithTheirPathsInTreeOrder) {
  Tree t;
  FoundNode* root = t.Folder(nullptr, "X:\\");
  FoundNode* docs = t.Folder(root, "Docs");
  FoundNode* old = t.Folder(docs, "Old");
  t.File(old, "report.doc");
  t.File(docs, "notes.txt");
  FoundNode* bad = t.Folder(root, "Bad");
  t.File(bad, "lost.txt");
  bad->valid = 0;  // a deleted file inside an invalid folder is never listed
  FoundNode* hidden = t.Folder(root, "Hidden");
  t.File(hidden, "h.txt");
  t.Reject(hidden);
  FoundNode* x = t.File(root, "x.bin");
  FoundNode* live = t.File(root, "live.txt", false);  // listed: the filter decides, not "deleted"
  t.Reject(t.File(root, "filtered.txt"));
  std::vector<std::string> rows;
  std::vector<FoundNode*> nodes;
  CollectHitFiles(root, HitRootPath("X:\\"), t.Readers(), FindCriteria{},
                  [&](const HitFile& h) {
                    rows.push_back(h.folder + "|" + h.name);
                    nodes.push_back(h.node);
                  });
  EXPECT_EQ(rows, (std::vector<std::string>{"X:\\Docs\\Old\\|report.doc", "X:\\Docs\\|notes.txt",
                                            "X:\\|x.bin", "X:\\|live.txt"}));
  EXPECT_EQ(nodes[2], x);
  EXPECT_EQ(nodes[3], live);
  rows.clear();
  CollectHitFiles(root, "X:\\", t.Readers(), MakeFilename("rep*.doc"),
                  [&](const HitFile& h) { rows.push_back(h.name); });
  EXPECT_EQ(rows, std::vector<std::string>{"report.doc"});
}

TEST(HitRootPath, OneBackslashAfterTheRootName) {
  EXPECT_EQ(HitRootPath("X:\\"), "X:\\");
  EXPECT_EQ(HitRootPath("C:\\mnt\\data"), "C:\\mnt\\data\\");
  EXPECT_EQ(HitRootPath(""), "\\");
}

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

TEST(FoundTreeWalks, AMillionFoldersDeepAreWalkedWithoutRunningOutOfStack) {
  Tree t;
  FoundNode* root = t.Folder(nullptr, "R");
  FoundNode* at = root;
  constexpr int kDepth = 1000000;
  for (int i = 0; i < kDepth; ++i) at = t.Folder(at, "d");
  t.File(at, "bottom.txt");
  EXPECT_EQ(CollectFolderItems(root, t.Readers()).size(), static_cast<size_t>(kDepth + 1));
  EXPECT_EQ(CountFilesToSave(root, nullptr, t.Filter()), 1u);
  size_t rows = 0, path_length = 0;
  CollectHitFiles(root, "R\\", t.Readers(), FindCriteria{}, [&](const HitFile& h) {
    ++rows;
    path_length = h.folder.size();
  });
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(path_length, 2u + 2u * kDepth);  // "R\" and a million "d\": no path is cut
}
