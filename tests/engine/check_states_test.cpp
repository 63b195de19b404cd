// Check states: a click spreads a state down the selectable part of a subtree and the
// ancestors follow (unchecked, mixed, checked), on both engines; the filters decide which
// nodes take part.
#include "engine/check_states.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/engine.h"
#include "engine/filters.h"
#include "tests/engine/filters_test_tree.h"

namespace scavrel {
namespace {

using testing_tree::AddFatFile;
using testing_tree::AddFolder;
using testing_tree::AddNtfsFile;
using testing_tree::FatEntry;
using testing_tree::NtfsFileNameHead;

uint8_t S(const FoundNode* node) { return node->check_state; }

// root
// +- docs            folder
// |  +- a.doc        deleted, 100 bytes
// |  +- b.doc        deleted, 200 bytes
// |  +- live.doc     live file
// |  +- old          folder holding only a live file
// |     +- keep.txt  live file
// +- pics            folder
//    +- c.jpg        deleted
class CheckStates : public ::testing::TestWithParam<EngineKind> {
 protected:
  CheckStates() : engine_(GetParam()) {
    root_ = AddFolder(engine_.tree, nullptr);
    docs_ = AddFolder(engine_.tree, root_);
    a_ = AddFile(docs_, u"a.doc", 100);
    b_ = AddFile(docs_, u"b.doc", 200);
    live_ = AddFile(docs_, u"live.doc", 300, false);
    old_ = AddFolder(engine_.tree, docs_);
    keep_ = AddFile(old_, u"keep.txt", 10, false);
    pics_ = AddFolder(engine_.tree, root_);
    c_ = AddFile(pics_, u"c.jpg", 50);
  }

  FoundNode* AddFile(FoundNode* parent, const std::u16string& name, uint32_t size,
                     bool deleted = true) {
    if (engine_.is_ntfs()) {
      return AddNtfsFile(engine_.tree, parent, name, NtfsFileNameHead(0, 0, size), deleted);
    }
    return AddFatFile(engine_.tree, parent, name, FatEntry(size), deleted);
  }

  Engine engine_;
  FoundNode *root_, *docs_, *a_, *b_, *live_, *old_, *keep_, *pics_, *c_;
};

TEST_P(CheckStates, FolderWithoutDeletedContentPassesTheFilterButIsNotSelectable) {
  EXPECT_TRUE(NodeFilter(engine_, old_));
  EXPECT_FALSE(IsSelectable(engine_, old_));
  EXPECT_FALSE(IsSelectable(engine_, live_));
  EXPECT_TRUE(IsSelectable(engine_, docs_));
  EXPECT_TRUE(IsSelectable(engine_, a_));
  engine_.bounds[kSizeMin] = 150;  // a.doc is filtered out
  EXPECT_FALSE(IsSelectable(engine_, a_));
  a_->valid = 0;
  engine_.bounds[kSizeMin] = kBoundNotSet;
  EXPECT_FALSE(IsSelectable(engine_, a_));
}

TEST_P(CheckStates, ClickOnAnUncheckedFolderChecksItsSelectableContentAndItsAncestors) {
  ClickNtfsNode(engine_, docs_, 0);
  EXPECT_EQ(S(docs_), kChecked);
  EXPECT_EQ(S(a_), kChecked);
  EXPECT_EQ(S(b_), kChecked);
  EXPECT_EQ(S(live_), kUnchecked);  // not selectable: left alone
  EXPECT_EQ(S(old_), kUnchecked);
  EXPECT_EQ(S(keep_), kUnchecked);
  EXPECT_EQ(S(root_), kMixed);  // pics is still unchecked
  ClickNtfsNode(engine_, pics_, 0);
  EXPECT_EQ(S(c_), kChecked);
  EXPECT_EQ(S(root_), kChecked);  // every selectable child checked
  ClickNtfsNode(engine_, root_, 0);  // a checked node toggles to unchecked
  for (FoundNode* n : {root_, docs_, a_, b_, pics_, c_}) EXPECT_EQ(S(n), kUnchecked);
}

TEST_P(CheckStates, ClickOnANodeThatIsNotSelectableChangesNothing) {
  ClickNtfsNode(engine_, old_, 3);
  ClickNtfsNode(engine_, live_, 0);
  engine_.bounds[kSizeMax] = 150;  // b.doc is filtered out
  ClickNtfsNode(engine_, b_, 3);
  for (FoundNode* n : {root_, docs_, a_, b_, live_, old_, keep_, pics_, c_}) {
    EXPECT_EQ(S(n), kUnchecked);
  }
}

TEST_P(CheckStates, UncheckingOneOfTwoCheckedFilesMakesTheFolderMixedThenUnchecked) {
  ClickNtfsNode(engine_, a_, 0);
  EXPECT_EQ(S(docs_), kMixed);
  EXPECT_EQ(S(root_), kMixed);
  ClickNtfsNode(engine_, b_, 3);
  EXPECT_EQ(S(docs_), kChecked);
  ClickNtfsNode(engine_, a_, 0);
  EXPECT_EQ(S(a_), kUnchecked);
  EXPECT_EQ(S(docs_), kMixed);
  ClickNtfsNode(engine_, b_, 0);
  EXPECT_EQ(S(docs_), kUnchecked);
  EXPECT_EQ(S(root_), kUnchecked);
}

TEST_P(CheckStates, FilteredOutFilesNeitherTakeTheStateNorCountForTheFolder) {
  engine_.bounds[kSizeMax] = 150;  // b.doc is filtered out
  ClickNtfsNode(engine_, docs_, 3);
  EXPECT_EQ(S(a_), kChecked);
  EXPECT_EQ(S(b_), kUnchecked);
  EXPECT_EQ(S(docs_), kChecked);
  // A folder passes every filter: with c.jpg filtered out, pics still takes a state (and
  // counts for root) while its file does not.
  SplitNameFilter("*.doc", &engine_.name_filters);
  ClickNtfsNode(engine_, pics_, 3);
  EXPECT_EQ(S(pics_), kChecked);
  EXPECT_EQ(S(c_), kUnchecked);
  EXPECT_EQ(S(root_), kChecked);
}

TEST_P(CheckStates, AStateOtherThanZeroOneOrThreeChangesNoNodeButRecomputesAncestors) {
  // States left behind by an earlier filter: docs says unchecked over a checked file.
  a_->check_state = kChecked;
  for (uint32_t state : {2u, 4u, 0x103u}) {
    ClickNtfsNode(engine_, a_, state);
    EXPECT_EQ(S(a_), kChecked) << state;
  }
  EXPECT_EQ(S(b_), kUnchecked);
  EXPECT_EQ(S(docs_), kMixed);
}

TEST_P(CheckStates, AMixedChildMakesEveryAncestorMixed) {
  FoundNode* sub = AddFolder(engine_.tree, docs_);
  FoundNode* d = AddFile(sub, u"d.doc", 1);
  AddFile(sub, u"e.doc", 1);
  ClickNtfsNode(engine_, d, 3);
  EXPECT_EQ(S(sub), kMixed);
  EXPECT_EQ(S(docs_), kMixed);
  EXPECT_EQ(S(root_), kMixed);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, CheckStates,
                         ::testing::Values(EngineKind::kFat, EngineKind::kNtfs),
                         [](const auto& info) {
                           return info.param == EngineKind::kFat ? "Fat" : "Ntfs";
                         });

TEST(CheckStatesByEngine, NtfsTakesAParentThatAgreesWithTheChildAsSettledFatRecounts) {
  for (EngineKind kind : {EngineKind::kFat, EngineKind::kNtfs}) {
    Engine engine(kind);
    FoundNode* root = AddFolder(engine.tree, nullptr);
    FoundNode* folder = AddFolder(engine.tree, root);
    FoundNode* file1;
    if (kind == EngineKind::kNtfs) {
      file1 = AddNtfsFile(engine.tree, folder, u"1.txt", NtfsFileNameHead(0, 0, 1));
      AddNtfsFile(engine.tree, folder, u"2.txt", NtfsFileNameHead(0, 0, 1));
    } else {
      file1 = AddFatFile(engine.tree, folder, u"1.txt", FatEntry(1));
      AddFatFile(engine.tree, folder, u"2.txt", FatEntry(1));
    }
    // Stale: the folder says checked while its second file is unchecked.
    folder->check_state = kChecked;
    ClickNtfsNode(engine, file1, 3);
    if (kind == EngineKind::kNtfs) {
      EXPECT_EQ(S(folder), kChecked);
      EXPECT_EQ(S(root), kUnchecked);
    } else {
      EXPECT_EQ(S(folder), kMixed);
      EXPECT_EQ(S(root), kMixed);
    }
  }
}

TEST(CheckStatesByEngine, ClickNodeTogglesOnNtfsOnlyAndCountsEveryChildOfTheParent) {
  Engine ntfs(EngineKind::kNtfs);
  FoundNode* folder = AddFolder(ntfs.tree, nullptr);
  FoundNode* file = AddNtfsFile(ntfs.tree, folder, u"a.txt", NtfsFileNameHead(0, 0, 1));
  FoundNode* live = AddNtfsFile(ntfs.tree, folder, u"b.txt", NtfsFileNameHead(0, 0, 1), false);
  ClickNode(ntfs, file);
  EXPECT_EQ(S(file), kChecked);
  EXPECT_EQ(S(folder), kMixed);  // the live file counts here, unchecked
  live->check_state = kChecked;
  ClickNode(ntfs, file);
  ClickNode(ntfs, file);
  EXPECT_EQ(S(folder), kChecked);
  ClickNode(ntfs, live);  // no selectable test: a live file toggles too
  EXPECT_EQ(S(live), kUnchecked);
  EXPECT_EQ(S(folder), kMixed);

  Engine fat(EngineKind::kFat);
  FoundNode* fat_folder = AddFolder(fat.tree, nullptr);
  FoundNode* fat_file = AddFatFile(fat.tree, fat_folder, u"a.txt", FatEntry(1));
  fat_file->check_state = kChecked;
  ClickNode(fat, fat_file);  // the FAT click leaves the node and follows it upwards
  EXPECT_EQ(S(fat_file), kChecked);
  EXPECT_EQ(S(fat_folder), kChecked);
  ClickNode(fat, fat_folder);  // no parent: nothing
  EXPECT_EQ(S(fat_folder), kChecked);
}

TEST(CheckStatesByEngine, ClicksInsideAFolderLoopEnd) {
  // A damaged volume can hang a folder below its own descendant.
  Engine engine(EngineKind::kFat);
  FoundNode* top = AddFolder(engine.tree, nullptr);
  FoundNode* inner = AddFolder(engine.tree, top);
  FoundNode* file = AddFatFile(engine.tree, inner, u"a.txt", FatEntry(1));
  engine.tree.MoveNode(top, inner);
  FoundNode* top_parent = top->parent;  // packed fields: copied before comparing
  FoundNode* inner_parent = inner->parent;
  ASSERT_EQ(top_parent, inner);
  ASSERT_EQ(inner_parent, top);
  ClickNtfsNode(engine, top, 3);
  EXPECT_EQ(S(file), kChecked);
  ClickNtfsNode(engine, file, 1);
  ClickNode(engine, file);
  EXPECT_EQ(S(file), kUnchecked);
}

TEST(CheckStatesByEngine, ADeepChainOfFoldersIsWalkedWithoutRecursion) {
  Engine engine(EngineKind::kNtfs);
  FoundNode* top = AddFolder(engine.tree, nullptr);
  FoundNode* parent = top;
  for (int i = 0; i < 50000; ++i) parent = AddFolder(engine.tree, parent);
  FoundNode* file = AddNtfsFile(engine.tree, parent, u"deep.txt", NtfsFileNameHead(0, 0, 1));
  ClickNtfsNode(engine, top, 0);
  EXPECT_EQ(S(file), kChecked);
  ClickNtfsNode(engine, file, 0);
  EXPECT_EQ(S(top), kUnchecked);
}

}  // namespace
}  // namespace scavrel
