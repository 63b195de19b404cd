// The size check before a save: what the sum counts over hand-built trees, the rounding to
// whole destination clusters, and the answer against the free bytes.
#include "engine/save_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/engine.h"
#include "tests/engine/save_test_support.h"

namespace scavrel {
namespace {

using save_test::FatFile;
using save_test::NamedFolder;
using save_test::NtfsFile;

class SaveSize : public ::testing::Test {
 protected:
  void SetUp() override { root_ = NamedFolder(fat_.tree, nullptr, u"T:\\", kMixed, false); }
  Engine fat_{EngineKind::kFat};
  FoundNode* root_ = nullptr;
};

TEST_F(SaveSize, FilesAreRoundedUpToWholeClusters) {
  FatFile(fat_.tree, root_, u"a.txt", 1000, 5, 1);
  FatFile(fat_.tree, root_, u"b.txt", 0, 6, 0);
  FatFile(fat_.tree, root_, u"c.txt", 8192, 7, 2);
  EXPECT_EQ(SumSaveSize(fat_, 4096, nullptr), 4096u + 0u + 8192u);
  EXPECT_EQ(SumSaveSize(fat_, 512, nullptr), 1024u + 0u + 8192u);
}

TEST_F(SaveSize, WholeTreeCountsCheckedDeletedFilesInFoldersThatAreNotUnchecked) {
  FoundNode* docs = NamedFolder(fat_.tree, root_, u"Docs", kMixed);
  FatFile(fat_.tree, docs, u"in.doc", 100, 5, 1);
  FatFile(fat_.tree, docs, u"out.doc", 100, 6, 1)->check_state = kUnchecked;
  // Checked files are counted whatever the filter says (the save passes over them).
  FatFile(fat_.tree, docs, u"filtered.txt", 100, 7, 1);
  FoundNode* live = testing_tree::AddFatFile(fat_.tree, docs, u"live.doc",
                                             testing_tree::FatEntry(100), /*deleted=*/false);
  live->check_state = kChecked;
  FoundNode* skipped = NamedFolder(fat_.tree, root_, u"Skipped", kUnchecked);
  FatFile(fat_.tree, skipped, u"below.doc", 100, 8, 1);
  SplitNameFilter("*.doc", &fat_.name_filters);

  EXPECT_EQ(SumSaveSize(fat_, 4096, nullptr), 2u * 4096u);
  // With a node given, every deleted file below it counts, checked or not.
  EXPECT_EQ(SumSaveSize(fat_, 4096, docs), 3u * 4096u);
  EXPECT_EQ(SumSaveSize(fat_, 4096, skipped), 4096u);
}

TEST_F(SaveSize, AFileNodeCountsItselfCheckedOrNot) {
  // The popup's Recover on one file saves that file: its size must reach the free-space check.
  FoundNode* file = FatFile(fat_.tree, root_, u"a.txt", 1000, 5, 1);
  file->check_state = kUnchecked;
  EXPECT_EQ(SumSaveSize(fat_, 4096, file), 4096u);
  EXPECT_EQ(SumSaveSize(fat_, 512, file), 1024u);
  file->valid = false;
  EXPECT_EQ(SumSaveSize(fat_, 4096, file), 0u);
}

TEST_F(SaveSize, NtfsSizesAre64BitAndTheSumDoesNotWrap) {
  Engine ntfs(EngineKind::kNtfs);
  FoundNode* root = NamedFolder(ntfs.tree, nullptr, u"T:\\", kMixed, false);
  NtfsFile(ntfs.tree, root, u"big.vhd", 5ull << 32);
  EXPECT_EQ(SumSaveSize(ntfs, 4096, nullptr), 5ull << 32);
  NtfsFile(ntfs.tree, root, u"huge.bin", std::numeric_limits<uint64_t>::max() - 10);
  EXPECT_EQ(SumSaveSize(ntfs, 4096, nullptr), std::numeric_limits<uint64_t>::max());

  uint64_t size = 0;
  DestinationSpace space{8, 512, std::numeric_limits<uint64_t>::max() - 1};
  EXPECT_FALSE(CheckSaveSize(ntfs, space, nullptr, &size));
  EXPECT_EQ(size, std::numeric_limits<uint64_t>::max());
}

TEST_F(SaveSize, TheSumMustFitTheBytesFreeToTheCaller) {
  FatFile(fat_.tree, root_, u"a.txt", 1000, 5, 1);
  uint64_t size = 0;
  EXPECT_TRUE(CheckSaveSize(fat_, {8, 512, 4096}, nullptr, &size));
  EXPECT_EQ(size, 4096u);
  EXPECT_FALSE(CheckSaveSize(fat_, {8, 512, 4095}, nullptr, &size));
  size = 7;
  EXPECT_FALSE(CheckSaveSize(fat_, {0, 512, 1 << 20}, nullptr, &size));
  EXPECT_EQ(size, 7u);  // no cluster size: no sum
}

TEST(SaveSizeEmpty, AnEmptyTreeSumsToZero) {
  Engine fat(EngineKind::kFat);
  EXPECT_EQ(SumSaveSize(fat, 4096, nullptr), 0u);
  uint64_t size = 1;
  EXPECT_TRUE(CheckSaveSize(fat, {8, 512, 0}, nullptr, &size));
  EXPECT_EQ(size, 0u);
}

}  // namespace
}  // namespace scavrel
