// Tests of the results window's rows and walks: which found entries become tree items and
// rows, the texts and sort keys they carry, that deep trees are walked without recursion, and
// the tree's check pictures. Found trees are built by hand with the engine's FoundTree; the
// rows go into real sorted lists of the portable Quorrin core.
#include "frontend/ResultRows.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "frontend/TextLocale.h"
#include "quorrin/list_registry.h"

namespace vardeck {
namespace {

using scavrel::FoundTree;

SortedListOps CoreOps() {
  return {quorrin::ClearList, quorrin::FieldRemoveall, quorrin::FieldAdd,
          quorrin::Add,       quorrin::SetValue,       quorrin::UpdateList,
          quorrin::GetListCount, quorrin::Sort,        quorrin::GetSortValue,
          quorrin::SetSortValue};
}

// A found tree with names, attribute blocks and a filter chosen by the test.
class HandTree : public ResultSource {
 public:
  explicit HandTree(bool ntfs = false) : ntfs_(ntfs) {}

  FoundNode* Root(const std::string& name) {
    FoundNode* node = tree_.NewNode();
    node->valid = 1;
    node->directory = 1;
    tree_.AttachNode(node, nullptr);
    names_[node] = name;
    return node;
  }
  FoundNode* Folder(FoundNode* parent, const std::string& name, bool deleted = false) {
    FoundNode* node = tree_.NewNode();
    node->valid = 1;
    node->directory = 1;
    node->deleted = deleted ? 1 : 0;
    tree_.AttachNode(node, parent);
    names_[node] = name;
    return node;
  }
  FoundNode* File(FoundNode* parent, const std::string& name, uint64_t size = 100,
                  bool deleted = true) {
    FoundNode* node = tree_.NewNode();
    node->valid = 1;
    node->deleted = deleted ? 1 : 0;
    tree_.AttachNode(node, parent);
    names_[node] = name;
    SetSize(node, size);
    return node;
  }
  void SetSize(FoundNode* node, uint64_t size) {
    auto& block = blocks_[node];
    if (ntfs_) {
      for (int i = 0; i < 8; ++i) block[48 + i] = static_cast<uint8_t>(size >> (8 * i));
    } else {
      for (int i = 0; i < 4; ++i) block[28 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
  }
  void Refuse(FoundNode* node) { refused_[node] = true; }
  void SetClusters(FoundNode* node, uint64_t free, uint64_t total, uint64_t first) {
    clusters_[node] = {free, total, first};
  }

  bool Accepts(FoundNode* node) override { return !refused_[node]; }
  std::string Name(FoundNode* node) override { return names_[node]; }
  bool Facts(FoundNode* node, EntryFacts& facts) override {
    auto& block = blocks_[node];
    facts.attributes = std::span<const uint8_t>(block.data(),
                                                ntfs_ ? kNtfsAttributeBytes : kFatAttributeBytes);
    auto c = clusters_[node];
    facts.free_clusters = c[0];
    facts.total_clusters = c[1];
    facts.first_cluster = c[2];
    return true;
  }
  bool Ntfs() const override { return ntfs_; }

 private:
  bool ntfs_;
  FoundTree tree_;
  std::map<FoundNode*, std::string> names_;
  std::map<FoundNode*, std::array<uint8_t, 66>> blocks_;
  std::map<FoundNode*, std::array<uint64_t, 3>> clusters_;
  std::map<FoundNode*, bool> refused_;
};

// The tree items as "parent>name" lines in the order they were made.
std::vector<std::string> TreeItems(FoundNode* root, HandTree& source) {
  std::vector<std::string> items;
  std::vector<std::string> names;  // item handles are 1-based indexes into names
  BuildFolderTree(root, source, [&](FoundNode*, const std::string& name, void* parent) {
    size_t parent_index = reinterpret_cast<uintptr_t>(parent);
    items.push_back((parent_index == 0 ? std::string() : names[parent_index - 1]) + ">" + name);
    names.push_back(name);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(names.size()));
  });
  return items;
}

std::vector<ResultRow> FolderRows(FoundNode* folder, HandTree& source) {
  std::vector<ResultRow> rows;
  BuildFolderRows(folder, source, [&](const ResultRow& row) { rows.push_back(row); });
  return rows;
}

std::vector<ResultRow> HitRows(FoundNode* root, HandTree& source, NameTest wanted = {}) {
  std::vector<ResultRow> rows;
  BuildHitRows(root, source, wanted, [&](const ResultRow& row) { rows.push_back(row); });
  return rows;
}

TEST(FolderTree, OnlyFoldersWithDeletedEntriesBelowBecomeItemsUnderTheirParents) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* docs = t.Folder(root, "docs");
  t.File(docs, "a.txt");
  FoundNode* old = t.Folder(docs, "old");
  t.File(old, "b.txt");
  FoundNode* live = t.Folder(root, "live");
  t.File(live, "kept.txt", 10, /*deleted=*/false);
  FoundNode* empty = t.Folder(root, "empty");
  (void)empty;
  FoundNode* pics = t.Folder(root, "pics");
  t.File(pics, "c.jpg");
  FoundNode* hidden = t.Folder(root, "hidden");
  t.File(t.Folder(hidden, "inner"), "d.txt");
  t.Refuse(hidden);  // the filter refuses the folder: nothing below it shows either

  EXPECT_EQ(TreeItems(root, t), (std::vector<std::string>{">E:\\", "E:\\>docs", "docs>old",
                                                           "E:\\>pics"}));
}

TEST(FolderTree, FolderWithDeletedFilesButNoChildrenFlagIsNoItem) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* docs = t.Folder(root, "docs");
  t.File(docs, "a.txt");
  docs->has_children = 0;
  EXPECT_EQ(TreeItems(root, t), (std::vector<std::string>{">E:\\"}));
}

TEST(FolderRows, SubFoldersComeBeforeDeletedFilesAndFoldersShowFixedTexts) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  t.File(root, "first.txt", 5);
  FoundNode* sub = t.Folder(root, "sub");
  t.File(sub, "inner.txt");
  t.File(root, "live.txt", 7, /*deleted=*/false);
  t.Folder(root, "nothing");  // no deleted entry below: no row
  FoundNode* last = t.File(root, "last.txt", 1536);
  t.SetClusters(last, 1, 2, 77);

  std::vector<ResultRow> rows = FolderRows(root, t);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].name, "sub");
  EXPECT_TRUE(rows[0].folder);
  EXPECT_EQ(rows[0].size_text, "0 byte");
  EXPECT_EQ(rows[0].status, "N/A");
  EXPECT_EQ(rows[0].first_cluster_text, "N/A");
  EXPECT_EQ(rows[1].name, "first.txt");
  EXPECT_EQ(rows[1].size_text, "5 bytes");
  EXPECT_EQ(rows[2].name, "last.txt");
  EXPECT_EQ(rows[2].size, 1536u);
  EXPECT_EQ(rows[2].status, "Pool");
  EXPECT_EQ(rows[2].first_cluster_text, "77");
  EXPECT_EQ(rows[2].node, last);
}

TEST(FolderRows, FileWhoseFirstRunIsSparseShowsNoFirstCluster) {
  HandTree t(/*ntfs=*/true);
  FoundNode* root = t.Root("N:\\");
  FoundNode* sparse = t.File(root, "sparse.vhd", 1 << 20);
  t.SetClusters(sparse, 0, 16, ~uint64_t{0});
  FoundNode* dense = t.File(root, "dense.bin", 4096);
  t.SetClusters(dense, 1, 1, 0);
  std::vector<ResultRow> rows = FolderRows(root, t);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first_cluster_text, "N/A");
  EXPECT_EQ(rows[1].first_cluster_text, "0");
}

TEST(FolderRows, FolderWhoseDeletedEntriesLieOnlyInSubFoldersShowsOnlyFolderRows) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* a = t.Folder(root, "a");
  t.File(t.Folder(a, "deeper"), "x.bin");
  t.File(a, "live.bin", 1, /*deleted=*/false);
  std::vector<ResultRow> rows = FolderRows(a, t);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "deeper");
}

TEST(HitRows, EachDeletedFileCarriesItsFolderPathFromTheRoot) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* docs = t.Folder(root, "docs");
  t.File(docs, "a.txt");
  FoundNode* old = t.Folder(docs, "old");
  t.File(old, "b.txt");
  t.File(docs, "c.txt");
  t.File(root, "top.txt");
  t.File(root, "live.txt", 3, /*deleted=*/false);
  FoundNode* broken = t.Folder(root, "broken");
  t.File(broken, "never.txt");
  broken->valid = 0;  // a deleted file inside an invalid folder is never listed

  std::vector<std::string> got;
  for (const ResultRow& row : HitRows(root, t)) got.push_back(row.path + row.name);
  EXPECT_EQ(got, (std::vector<std::string>{"E:\\docs\\a.txt", "E:\\docs\\old\\b.txt",
                                            "E:\\docs\\c.txt", "E:\\top.txt"}));
}

TEST(HitRows, RootNameWithoutBackslashGetsOne) {
  HandTree t;
  FoundNode* root = t.Root("C:\\mnt\\usb");
  t.File(root, "a.txt");
  std::vector<ResultRow> rows = HitRows(root, t);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].path, "C:\\mnt\\usb\\");
}

TEST(HitRows, NameTestDecidesWhichFilesAreListed) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* sub = t.Folder(root, "sub");
  t.File(sub, "abc.txt");
  t.File(sub, "xyz.txt");
  std::vector<std::string> asked;
  std::vector<ResultRow> rows = HitRows(root, t, [&](std::string_view name) {
    asked.emplace_back(name);
    return name == "xyz.txt";
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"abc.txt", "xyz.txt"}));  // files only
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "xyz.txt");
}

// Deep enough that a recursive walk would exhaust a thread's stack (and AddressSanitizer's
// larger frames make it fail sooner); the walks must reach the bottom all the same.
TEST(DeepTree, FolderChainOfTwoHundredThousandIsWalkedToTheBottom) {
  constexpr int kDepth = 200000;
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* folder = root;
  for (int i = 0; i < kDepth; ++i) folder = t.Folder(folder, "d");
  t.File(folder, "bottom.txt");

  int items = 0;
  BuildFolderTree(root, t, [&](FoundNode*, const std::string&, void*) {
    ++items;
    return reinterpret_cast<void*>(1);
  });
  EXPECT_EQ(items, kDepth + 1);  // the root and every folder of the chain
  std::vector<ResultRow> hits = HitRows(root, t);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].path.size(), 3u + 2u * kDepth);
}

// Rows of a hand-made NTFS folder: a 3 GiB file and a 2 KiB file, beside a FAT list with a
// 3 GiB entry (whose size's low 32 bits read negative as a 32-bit integer).
class SortedRows : public ::testing::Test {
 protected:
  void SetUp() override { list_ = quorrin::AddList(); }
  void TearDown() override { quorrin::DeleteAll(); }

  std::vector<std::string> Column(uint32_t field) {
    std::vector<std::string> got;
    char cell[kQuorrinCellTextStorage];
    void* storage = cell;
    for (uint32_t row = 0; row < quorrin::GetListCount(list_); ++row) {
      quorrin::GetSortValue(&storage, row, field, list_);
      got.push_back(cell);
    }
    return got;
  }
  void Sort(ResultList which, int column, int direction) {
    SortOrder order = MakeSortOrder(which, column, direction);
    ASSERT_EQ(quorrin::Sort(order.text.c_str(), order.key_count, list_), 1) << order.text;
  }

  SortedListOps ops_ = CoreOps();
  uint32_t list_ = 0;
};

TEST_F(SortedRows, SizeSortPutsTwoKibibytesBeforeThreeGibibytesInBothRecordForms) {
  for (bool ntfs : {true, false}) {
    SCOPED_TRACE(ntfs ? "NTFS" : "FAT");
    HandTree t(ntfs);
    FoundNode* root = t.Root("E:\\");
    t.File(root, "big.iso", 3ull << 30);
    t.File(root, "small.txt", 2048);
    t.File(t.Folder(root, "sub"), "x");

    ResetFolderList(ops_, list_);
    for (const ResultRow& row : FolderRows(root, t)) AppendFolderRow(ops_, list_, row);
    Sort(ResultList::kFolderContents, 1, kQuorrinAscending);
    EXPECT_EQ(Column(folder_field::kName),
              (std::vector<std::string>{"sub", "small.txt", "big.iso"}));
    EXPECT_EQ(Column(folder_field::kSize),
              (std::vector<std::string>{"0 byte", "2.00 KB", "3.00 GB"}));
    Sort(ResultList::kFolderContents, 1, kQuorrinDescending);
    EXPECT_EQ(Column(folder_field::kName),
              (std::vector<std::string>{"sub", "big.iso", "small.txt"}));

    ResetHitList(ops_, list_);
    for (const ResultRow& row : HitRows(root, t)) AppendHitRow(ops_, list_, row);
    Sort(ResultList::kHits, 3, kQuorrinAscending);
    EXPECT_EQ(Column(hit_field::kName), (std::vector<std::string>{"x", "small.txt", "big.iso"}));
    Sort(ResultList::kHits, 3, kQuorrinDescending);
    EXPECT_EQ(Column(hit_field::kName), (std::vector<std::string>{"big.iso", "small.txt", "x"}));
  }
}

TEST_F(SortedRows, FirstClusterSortsAsANumber) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  uint64_t clusters[] = {100, 9, 10, 0x1'0000'0002ull};
  for (uint64_t c : clusters) t.SetClusters(t.File(root, "f" + std::to_string(c)), 0, 1, c);
  ResetFolderList(ops_, list_);
  for (const ResultRow& row : FolderRows(root, t)) AppendFolderRow(ops_, list_, row);
  Sort(ResultList::kFolderContents, 5, kQuorrinAscending);
  EXPECT_EQ(Column(folder_field::kFirstCluster),
            (std::vector<std::string>{"9", "10", "100", "4294967298"}));
}

TEST_F(SortedRows, CheckAndNodeCellsHoldTheWholeValue) {
  HandTree t;
  FoundNode* root = t.Root("E:\\");
  FoundNode* file = t.File(root, "a");
  file->check_state = scavrel::kChecked;
  ResetHitList(ops_, list_);
  for (const ResultRow& row : HitRows(root, t)) AppendHitRow(ops_, list_, row);

  quorrin_api::IntegerCell cell = -1;
  void* storage = &cell;
  ASSERT_EQ(quorrin::GetSortValue(&storage, 0, hit_field::kNode, list_), 1);
  EXPECT_EQ(reinterpret_cast<FoundNode*>(cell), file);
  ASSERT_EQ(quorrin::GetSortValue(&storage, 0, hit_field::kCheck, list_), 1);
  EXPECT_EQ(cell, 3);

  // A state read back from the engine as a byte replaces the whole cell.
  quorrin_api::IntegerCell unchecked = StateCell(scavrel::kUnchecked);
  ASSERT_EQ(quorrin::SetSortValue(&unchecked, 0, hit_field::kCheck, list_), 1);
  cell = -1;
  quorrin::GetSortValue(&storage, 0, hit_field::kCheck, list_);
  EXPECT_EQ(cell, 1);
  EXPECT_EQ(StateCell(0xFF), 255);  // zero-extended, never sign-extended
}

TEST(SortOrder, FolderListKeepsFoldersFirstAndClicksFlipTheDirection) {
  EXPECT_EQ(MakeSortOrder(ResultList::kFolderContents, 1, 1).text, "10|1,11|1");
  EXPECT_EQ(MakeSortOrder(ResultList::kFolderContents, 1, 1).key_count, 2);
  EXPECT_EQ(MakeSortOrder(ResultList::kFolderContents, 0, 1).text, "10|1,0|1");
  EXPECT_EQ(MakeSortOrder(ResultList::kFolderContents, 3, 2).text, "10|1,3|2");
  EXPECT_EQ(MakeSortOrder(ResultList::kHits, 3, 2).text, "10|2");
  EXPECT_EQ(MakeSortOrder(ResultList::kHits, 0, 1).text, "0|1");
  EXPECT_EQ(MakeSortOrder(ResultList::kHits, 0, 1).key_count, 1);

  // Size twice, then Filename: 1, 2, then 1 again for the new column.
  int last = -1, size_direction = 0, name_direction = 0;
  size_direction = NextSortDirection(last, 1, size_direction);
  last = 1;
  EXPECT_EQ(size_direction, 1);
  size_direction = NextSortDirection(last, 1, size_direction);
  EXPECT_EQ(size_direction, 2);
  EXPECT_EQ(NextSortDirection(last, 1, size_direction), 1);
  name_direction = NextSortDirection(last, 0, name_direction);
  EXPECT_EQ(name_direction, 1);
  // After a refill the column's direction is 0 again: the same column starts at 1.
  EXPECT_EQ(NextSortDirection(1, 1, 0), 1);
}

// A tree of items for the state helpers: each records the order it was refreshed in.
struct Item {
  Item* parent = nullptr;
  std::vector<Item*> children;
  int refreshed = 0;
};

class ItemTree : public StateTree {
 public:
  int ChildCount(void* i) override {
    return static_cast<int>(static_cast<Item*>(i)->children.size());
  }
  void* Child(void* i, int index) override {
    return static_cast<Item*>(i)->children.at(static_cast<size_t>(index));
  }
  void* Parent(void* i) override { return static_cast<Item*>(i)->parent; }
  void RefreshState(void* i) override { static_cast<Item*>(i)->refreshed = ++count; }
  int count = 0;
};

Item* Child(std::vector<std::unique_ptr<Item>>& store, Item* parent) {
  store.push_back(std::make_unique<Item>());
  Item* item = store.back().get();
  item->parent = parent;
  if (parent) parent->children.push_back(item);
  return item;
}

TEST(TreeStates, NodeStatesRefreshTheSubtreeInChildOrderThenTheAncestorsButNoSibling) {
  std::vector<std::unique_ptr<Item>> store;
  Item* root = Child(store, nullptr);
  Item* a = Child(store, root);
  Item* b = Child(store, root);
  Item* a1 = Child(store, a);
  Item* a1x = Child(store, a1);
  Item* a2 = Child(store, a);
  Item* b1 = Child(store, b);

  ItemTree tree;
  RefreshNodeStates(tree, a);
  EXPECT_EQ(a->refreshed, 1);
  EXPECT_EQ(a1->refreshed, 2);
  EXPECT_EQ(a1x->refreshed, 3);
  EXPECT_EQ(a2->refreshed, 4);
  EXPECT_EQ(root->refreshed, 5);
  EXPECT_EQ(b->refreshed, 0);
  EXPECT_EQ(b1->refreshed, 0);

  tree.count = 0;
  RefreshSubtreeStates(tree, a2);  // a leaf with no next sibling: only itself
  EXPECT_EQ(tree.count, 1);
}

TEST(TreeStates, DeepChainIsRefreshedWithoutRecursion) {
  std::vector<std::unique_ptr<Item>> store;
  Item* root = Child(store, nullptr);
  Item* item = root;
  for (int i = 0; i < 200000; ++i) item = Child(store, item);
  ItemTree tree;
  RefreshSubtreeStates(tree, root);
  EXPECT_EQ(tree.count, 200001);
  tree.count = 0;
  RefreshAncestorStates(tree, item);
  EXPECT_EQ(tree.count, 200000);
}

TEST(ListKeyTarget, KeysMoveAsTheSystemListMovesThem) {
  // 100,000 rows, 20 on a page, rows 40..59 visible, row 45 focused.
  EXPECT_EQ(ListKeyTarget(kKeyDown, 45, 100000, 40, 20), 46);
  EXPECT_EQ(ListKeyTarget(kKeyUp, 45, 100000, 40, 20), 44);
  EXPECT_EQ(ListKeyTarget(kKeyEnd, 45, 100000, 40, 20), 99999);
  EXPECT_EQ(ListKeyTarget(kKeyHome, 45, 100000, 40, 20), 0);
  EXPECT_EQ(ListKeyTarget(kKeyPageDown, 45, 100000, 40, 20), 59);  // the page's last row first
  EXPECT_EQ(ListKeyTarget(kKeyPageDown, 59, 100000, 40, 20), 78);  // then a page on
  EXPECT_EQ(ListKeyTarget(kKeyPageUp, 45, 100000, 40, 20), 40);
  EXPECT_EQ(ListKeyTarget(kKeyPageUp, 40, 100000, 40, 20), 21);
  // The ends hold.
  EXPECT_EQ(ListKeyTarget(kKeyUp, 0, 10, 0, 20), 0);
  EXPECT_EQ(ListKeyTarget(kKeyDown, 9, 10, 0, 20), 9);
  EXPECT_EQ(ListKeyTarget(kKeyPageDown, 9, 10, 0, 20), 9);
  EXPECT_EQ(ListKeyTarget(kKeyPageUp, 3, 10, 3, 0), 3);
  // No focus yet, no rows, no navigation key.
  EXPECT_EQ(ListKeyTarget(kKeyDown, -1, 10, 0, 5), 0);
  EXPECT_EQ(ListKeyTarget(kKeyEnd, -1, 10, 0, 5), 9);
  EXPECT_EQ(ListKeyTarget(kKeyDown, 3, 0, 0, 5), -1);
  EXPECT_EQ(ListKeyTarget('A', 3, 10, 0, 5), -1);
}

}  // namespace
}  // namespace vardeck
