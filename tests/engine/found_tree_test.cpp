// The found tree: creation order, child lists, the height / depth / subtree-has-deleted
// bookkeeping and the records. Runs natively under ASan/UBSan and under Wine.
#include "engine/found_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scavrel {
namespace {

// The shared records are packed: gtest's assertions bind their arguments by reference, so
// fields are copied out first.
template <typename T>
T V(T value) {
  return value;
}

FoundNode* NewFolder(FoundTree& tree) {
  FoundNode* node = tree.NewNode();
  node->directory = 1;
  node->valid = 1;
  return node;
}

FoundNode* NewDeletedFile(FoundTree& tree) {
  FoundNode* node = tree.NewNode();
  node->deleted = 1;
  node->valid = 1;
  return node;
}

std::vector<FoundNode*> Children(const FoundNode* parent) {
  std::vector<FoundNode*> out;
  for (FoundNode* c = parent->first_child; c != nullptr; c = c->next_sibling) out.push_back(c);
  return out;
}

TEST(FoundTree, EmptyTreeHasNoRootAndClearingItChangesNothing) {
  FoundTree tree;
  EXPECT_EQ(tree.root(), nullptr);
  EXPECT_EQ(tree.node_count(), 0u);
  EXPECT_EQ(tree.FirstCreated(), nullptr);
  tree.ClearTree();
  EXPECT_EQ(tree.root(), nullptr);
  EXPECT_EQ(tree.node_count(), 0u);
}

TEST(FoundTree, FirstNodeBecomesRootBeforeItIsMovedAndDefaultsAreSet) {
  FoundTree tree;
  FoundNode* first = tree.NewNode();
  FoundNode* second = tree.NewNode();
  EXPECT_EQ(tree.root(), first);
  EXPECT_EQ(tree.node_count(), 2u);
  EXPECT_EQ(V(first->height), 1);
  EXPECT_EQ(V(first->depth), 1);
  EXPECT_EQ(V(first->check_state), kUnchecked);
  EXPECT_EQ(V(first->valid), 0);
  EXPECT_EQ(V(first->record), nullptr);
  EXPECT_EQ(V(first->next_created), second);
  EXPECT_EQ(V(second->previous_created), first);
  EXPECT_EQ(tree.cursor(), second);
  EXPECT_EQ(tree.FirstCreated(), first);
  EXPECT_EQ(tree.cursor(), first);
  // A scanner that names another root replaces the first one.
  tree.set_root(second);
  EXPECT_EQ(tree.root(), second);
}

TEST(FoundTree, MovingANodeUnderItselfDoesNothing) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* child = NewFolder(tree);
  tree.MoveNode(child, root);
  EXPECT_EQ(tree.MoveNode(child, child), child);
  EXPECT_EQ(V(child->parent), root);
  EXPECT_EQ(V(root->child_count), 1u);
  EXPECT_EQ(tree.MoveNode(nullptr, root), nullptr);
}

TEST(FoundTree, DeletedFileMarksEveryAncestorButDeletedEmptyFolderDoesNot) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* a = NewFolder(tree);
  FoundNode* b = NewFolder(tree);
  tree.MoveNode(a, root);
  tree.MoveNode(b, a);

  FoundNode* empty_deleted_folder = NewFolder(tree);
  empty_deleted_folder->deleted = 1;
  tree.MoveNode(empty_deleted_folder, b);
  EXPECT_EQ(V(b->subtree_has_deleted), 0);
  EXPECT_EQ(V(root->subtree_has_deleted), 0);

  FoundNode* file = NewDeletedFile(tree);
  tree.MoveNode(file, b);
  EXPECT_EQ(V(b->subtree_has_deleted), 1);
  EXPECT_EQ(V(a->subtree_has_deleted), 1);
  EXPECT_EQ(V(root->subtree_has_deleted), 1);

  // An invalid deleted file marks nothing.
  FoundTree other;
  FoundNode* top = NewFolder(other);
  FoundNode* hidden = other.NewNode();
  hidden->deleted = 1;
  other.MoveNode(hidden, top);
  EXPECT_EQ(V(top->subtree_has_deleted), 0);
}

// A stale mark on an ancestor would keep a folder with nothing deleted below it through the
// prune.
TEST(FoundTree, DetachingLastDeletedEntryClearsEveryAncestorLeftWithoutOne) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* folder = NewFolder(tree);
  tree.MoveNode(folder, root);
  FoundNode* file = NewDeletedFile(tree);
  tree.MoveNode(file, folder);
  ASSERT_EQ(V(root->subtree_has_deleted), 1);

  tree.DetachNode(file);
  EXPECT_EQ(V(folder->subtree_has_deleted), 0);
  EXPECT_EQ(V(root->subtree_has_deleted), 0);

  // An ancestor with another deleted entry below it keeps its mark.
  FoundNode* mid = NewFolder(tree);
  FoundNode* low = NewFolder(tree);
  FoundNode* other = NewDeletedFile(tree);
  tree.MoveNode(mid, root);
  tree.MoveNode(low, mid);
  tree.MoveNode(other, root);
  FoundNode* deep = NewDeletedFile(tree);
  tree.MoveNode(deep, low);
  tree.MoveNode(deep, folder);
  EXPECT_EQ(V(low->subtree_has_deleted), 0);
  EXPECT_EQ(V(mid->subtree_has_deleted), 0);
  EXPECT_EQ(V(root->subtree_has_deleted), 1);
  EXPECT_EQ(V(folder->subtree_has_deleted), 1);
  tree.DetachNode(deep);
  tree.DetachNode(other);
  tree.DetachNode(file);
  EXPECT_EQ(V(folder->has_children), 0);
  EXPECT_EQ(V(folder->child_count), 0u);
  EXPECT_EQ(V(folder->first_child), nullptr);
  EXPECT_EQ(V(folder->last_child), nullptr);
  EXPECT_EQ(V(file->parent), nullptr);
  EXPECT_EQ(V(file->depth), 0);
}

TEST(FoundTree, DetachKeepsDeletedMarkWhileAnotherChildIsDeletedEvenAFolder) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* deleted_folder = NewFolder(tree);
  deleted_folder->deleted = 1;
  FoundNode* file = NewDeletedFile(tree);
  tree.MoveNode(deleted_folder, root);
  tree.MoveNode(file, root);
  ASSERT_EQ(V(root->subtree_has_deleted), 1);
  tree.DetachNode(file);
  // On detach a deleted folder counts as deleted content, though attaching it alone did not.
  EXPECT_EQ(V(root->subtree_has_deleted), 1);
  tree.DetachNode(deleted_folder);
  EXPECT_EQ(V(root->subtree_has_deleted), 0);
}

// The prune deletes leaves before their folders, asks whether to stop before every node, and a
// stop leaves the tree whole (every node still reachable), only not pruned to the end.
TEST(FoundTree, PruneAsksToStopAtEveryNodeAndAStopLeavesTheTreeWhole) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* keep = NewFolder(tree);
  FoundNode* file = NewDeletedFile(tree);
  FoundNode* empty1 = NewFolder(tree);
  FoundNode* empty2 = NewFolder(tree);
  tree.MoveNode(keep, root);
  tree.MoveNode(file, keep);
  tree.MoveNode(empty1, root);
  tree.MoveNode(empty2, empty1);

  int asked = 0;
  EXPECT_FALSE(tree.PruneEmptyFolders(root, [&] { return ++asked > 3; }));
  EXPECT_EQ(asked, 4);
  EXPECT_EQ(tree.node_count(), 5u);

  asked = 0;
  EXPECT_TRUE(tree.PruneEmptyFolders(root, [&] { return ++asked > 1000; }));
  EXPECT_GE(asked, 5);
  EXPECT_EQ(Children(root), std::vector<FoundNode*>{keep});
  EXPECT_EQ(tree.node_count(), 3u);
}

TEST(FoundTree, HeightRisesOnAttachAndIsRecomputedFromChildrenOnDetach) {
  FoundTree tree;
  FoundNode* parent = NewFolder(tree);
  FoundNode* leaf1 = NewFolder(tree);
  FoundNode* leaf2 = NewFolder(tree);
  tree.MoveNode(leaf1, parent);
  EXPECT_EQ(V(parent->height), 2);
  tree.MoveNode(leaf2, parent);
  EXPECT_EQ(V(parent->height), 2);
  tree.DetachNode(leaf2);
  // The children's greatest height itself, not plus one.
  EXPECT_EQ(V(parent->height), 1);

  // Raising a node raises its parent only.
  FoundTree deep;
  FoundNode* top = NewFolder(deep);
  FoundNode* mid = NewFolder(deep);
  FoundNode* low = NewFolder(deep);
  deep.MoveNode(mid, top);
  EXPECT_EQ(V(top->height), 2);
  deep.MoveNode(low, mid);
  EXPECT_EQ(V(mid->height), 2);
  EXPECT_EQ(V(top->height), 2);
}

TEST(FoundTree, DepthFollowsParentAndDescendantsKeepTheirs) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* a = NewFolder(tree);
  FoundNode* b = NewFolder(tree);
  FoundNode* c = NewFolder(tree);
  tree.MoveNode(a, root);
  tree.MoveNode(b, a);
  EXPECT_EQ(V(a->depth), 2);
  EXPECT_EQ(V(b->depth), 3);
  tree.MoveNode(c, root);
  tree.MoveNode(a, c);
  EXPECT_EQ(V(a->depth), 3);
  EXPECT_EQ(V(b->depth), 3);  // not renumbered
}

TEST(FoundTree, ChildListsKeepOrderThroughDetachInTheMiddle) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* x = NewFolder(tree);
  FoundNode* y = NewFolder(tree);
  FoundNode* z = NewFolder(tree);
  for (FoundNode* n : {x, y, z}) tree.MoveNode(n, root);
  EXPECT_EQ(Children(root), (std::vector<FoundNode*>{x, y, z}));
  tree.DetachNode(y);
  EXPECT_EQ(Children(root), (std::vector<FoundNode*>{x, z}));
  EXPECT_EQ(V(z->previous_sibling), x);
  EXPECT_EQ(V(root->last_child), z);
  tree.DetachNode(x);
  EXPECT_EQ(V(root->first_child), z);
  tree.MoveNode(y, root);
  EXPECT_EQ(Children(root), (std::vector<FoundNode*>{z, y}));
  EXPECT_EQ(V(root->child_count), 2u);
}

TEST(FoundTree, TopLevelAttachChainsSiblingsAfterTheRoot) {
  FoundTree tree;
  FoundNode* root = NewFolder(tree);
  FoundNode* other = NewFolder(tree);
  tree.MoveNode(root, nullptr);
  tree.MoveNode(other, nullptr);
  EXPECT_EQ(V(root->next_sibling), other);
  EXPECT_EQ(V(other->previous_sibling), root);
  EXPECT_EQ(V(other->depth), 1);
  EXPECT_EQ(tree.root(), root);
}

TEST(FoundTree, DeleteNodeUnlinksCreationOrderAndFreesTheRecord) {
  FoundTree tree;
  tree.set_record_form(RecordForm::kFat);
  FoundNode* root = NewFolder(tree);
  FoundNode* a = NewDeletedFile(tree);
  FoundNode* b = NewDeletedFile(tree);
  FatEntryRecord* record = NewFatRecord();
  const char16_t name[] = u"long name.txt";
  SetWideName(&record->long_name, name, 13);
  AppendRun(&record->extents)->cluster_count = 3;
  a->record = AsEntryRecord(record);
  tree.MoveNode(a, root);
  tree.MoveNode(b, root);

  tree.DeleteNode(a);  // ASan reports any leak of the record, its name or its runs
  EXPECT_EQ(tree.node_count(), 2u);
  EXPECT_EQ(V(root->next_created), b);
  EXPECT_EQ(V(b->previous_created), root);
  EXPECT_EQ(Children(root), (std::vector<FoundNode*>{b}));

  tree.DeleteNode(b);
  EXPECT_EQ(tree.last_created(), root);
  tree.DeleteNode(root);
  EXPECT_EQ(tree.node_count(), 0u);
  EXPECT_EQ(tree.FirstCreated(), nullptr);
  EXPECT_EQ(tree.root(), nullptr);
}

TEST(FoundTree, ClearTreeFreesNodesAndRecordsOfBothForms) {
  for (RecordForm form : {RecordForm::kFat, RecordForm::kNtfs}) {
    FoundTree tree;
    tree.set_record_form(form);
    FoundNode* root = NewFolder(tree);
    for (int i = 0; i < 100; ++i) {
      FoundNode* n = NewDeletedFile(tree);
      EntryRecord* record = form == RecordForm::kNtfs
                                ? AsEntryRecord(NewNtfsRecord())
                                : AsEntryRecord(NewFatRecord());
      SetWideName(LongNameSlot(record, form), u"x", 1);
      SetWideName(ShortNameSlot(record, form), u"X~1", 3);
      for (int r = 0; r < 3; ++r) AppendRun(&record->extents);
      n->record = record;
      tree.MoveNode(n, root);
    }
    EXPECT_EQ(tree.node_count(), 101u);
    tree.ClearTree();
    EXPECT_EQ(tree.node_count(), 0u);
    EXPECT_EQ(tree.root(), nullptr);
    EXPECT_EQ(tree.FirstCreated(), nullptr);
    // The tree is usable again: the next node is the new root.
    FoundNode* again = tree.NewNode();
    EXPECT_EQ(tree.root(), again);
  }
}

TEST(ExtentList, AppendNumbersNodesAndFreeRunsKeepsCounts) {
  ExtentList list;
  InitExtentList(&list);
  EXPECT_EQ(FirstRun(&list), nullptr);
  ClusterRun* r1 = AppendRun(&list);
  *r1 = {10, 4};
  ClusterRun* r2 = AppendRun(&list);
  *r2 = {20, 2};
  list.total_clusters = 6;
  list.free_clusters = 5;
  EXPECT_EQ(V(list.node_count), 2u);
  EXPECT_EQ(V(list.current_run), r2);
  RunListNode* first = FirstRun(&list);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(V(first->sequence), 1u);
  EXPECT_EQ(V(first->run->first_cluster), 10u);
  EXPECT_EQ(V(first->next->sequence), 2u);
  EXPECT_EQ(V(first->next->previous), first);
  EXPECT_EQ(V(list.cursor), first);

  FreeRuns(&list);
  EXPECT_EQ(V(list.node_count), 0u);
  EXPECT_EQ(V(list.first), nullptr);
  EXPECT_EQ(V(list.total_clusters), 6u);  // FreeRuns leaves the counts
  EXPECT_EQ(V(list.free_clusters), 5u);
  AppendRun(&list);
  ClearRuns(&list);
  EXPECT_EQ(V(list.total_clusters), 0u);
  EXPECT_EQ(V(list.node_count), 0u);
}

TEST(EntryRecord, InitialisedFormsMatchTheirContract) {
  NtfsEntryRecord* ntfs = NewNtfsRecord();
  EXPECT_EQ(V(ntfs->resident_data), 1);
  EXPECT_EQ(V(ntfs->extents.runs_settled), 0);
  for (int i = 40; i < 56; ++i) EXPECT_EQ(V(ntfs->file_name[i]), 0);
  FreeNtfsRecord(ntfs);
  delete ntfs;

  FatEntryRecord* fat = NewFatRecord();
  for (uint8_t b : fat->dir_entry) EXPECT_EQ(b, 0);
  EXPECT_EQ(GetWideName(&fat->long_name), nullptr);
  SetWideName(&fat->long_name, u"abc", 3);
  EXPECT_EQ(WideNameLength(GetWideName(&fat->long_name)), 3u);
  SetWideName(&fat->long_name, u"", 0);
  EXPECT_EQ(GetWideName(&fat->long_name), nullptr);
  FreeFatRecord(fat);
  delete fat;
}

}  // namespace
}  // namespace scavrel
