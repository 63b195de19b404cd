// End to end over volumes that mkntfs and ntfs-3g built (tools/ntfsvol, run by the ctest
// fixture): scan, tick everything as the user would, save the whole tree into a destination
// kept in memory, and check every deleted file of the builder's manifest that the scan found
// with its clusters still free (or, for a file deleted by its in-use flag alone, still its
// own) against the SHA-256 the builder recorded. Zero-byte files must be there and empty,
// resident files whole, live files absent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/check_states.h"
#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "engine/save_tree.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/ntfs_save_support.h"
#include "tests/engine/save_test_support.h"
#include "tests/engine/volume_scan.h"

#ifndef TOLVANE_NTFS_VOLUMES
#error "TOLVANE_NTFS_VOLUMES names the folder the volume builder writes to"
#endif

using namespace scavrel;
using namespace ntfs_save_test;

namespace {

class NtfsVolumeSave : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    std::ifstream skipped(std::string(TOLVANE_NTFS_VOLUMES) + "/SKIPPED");
    if (skipped) GTEST_SKIP() << "NTFS test volumes were not built";
    engine.last_error = &error;
  }
  LastError error;
  Engine engine{EngineKind::kNtfs};
};

TEST_P(NtfsVolumeSave, DeletedFilesWithFreeClustersComeOutWithTheBuildersSha256) {
  const Case c = GetParam();
  const std::string base = std::string(TOLVANE_NTFS_VOLUMES) + "/" + c.image;
  auto manifest = ReadManifest(base + ".tsv");
  auto sha = manifest_sha256::Read(base + ".json");
  ASSERT_FALSE(manifest.empty());
  ASSERT_FALSE(sha.empty());

  engine.root_name = "C:\\";
  ASSERT_EQ(volume_scan::ScanImage(engine, base, c.full), 1) << error.Text();
  ASSERT_FALSE(engine.tree.empty());
  std::map<std::string, Found> tree;
  Collect(engine.tree.root(), u"", &tree);
  auto by_leaf = DeletedFilesByLeaf(tree);

  ClickNtfsNode(engine, engine.tree.root(), kChecked);
  save_test::MemoryOutput output;
  output.folders.insert(u"T:\\OUT");
  engine.save_flags.stop = 0;
  ASSERT_TRUE(SaveTree(engine, output, "T:\\out\\", nullptr));

  size_t expected = 0, identical = 0, not_found = 0, reused = 0;
  for (const ManifestFile& f : manifest) {
    if (f.state == "live" || f.state == "old_live") {
      std::u16string where = u"T:\\out\\" + Utf16(f.path);
      for (char16_t& ch : where) ch = ch == u'/' ? u'\\' : ch;
      EXPECT_EQ(output.FileAt(where), nullptr)
          << "live file saved: " << f.path;
      continue;
    }
    if (!Recoverable(f, c.full)) continue;
    const std::string at = FoundAt(f, tree, by_leaf);
    if (at.empty()) {
      ++not_found;
      continue;
    }
    const Found& found = tree.at(at);
    if (ClustersReused(f, found)) {
      ++reused;
      continue;
    }
    ++expected;
    const std::vector<uint8_t>* saved = output.FileAt(u"T:\\out\\" + found.path);
    ASSERT_NE(saved, nullptr) << f.path << " not saved at " << at;
    EXPECT_EQ(saved->size(), f.size) << f.path;
    EXPECT_EQ(manifest_sha256::Hex(*saved), sha.at(f.path))
        << f.path << (found.resident ? " (resident)" : "");
    if (manifest_sha256::Hex(*saved) == sha.at(f.path)) ++identical;
    if (f.size == 0) EXPECT_TRUE(saved->empty()) << f.path;
  }
  EXPECT_GT(expected, 0u);
  EXPECT_EQ(identical, expected);
  std::printf("  %s %s scan: %zu files expected, %zu saved byte for byte (%zu not found by the "
              "scan, %zu with clusters in use)\n", c.image, c.full ? "full" : "quick", expected, identical,
              not_found, reused);
}

INSTANTIATE_TEST_SUITE_P(Volumes, NtfsVolumeSave,
                         ::testing::Values(Case{"basic4k.img", false}, Case{"basic512.img", false},
                                           Case{"basic4k.img", true}, Case{"reformat.img", false},
                                           Case{"reformat.img", true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name = info.param.image;
                           name = name.substr(0, name.find('.'));
                           return name + (info.param.full ? "Full" : "Quick");
                         });

}  // namespace
