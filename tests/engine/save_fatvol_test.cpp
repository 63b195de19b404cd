// End to end over volumes that mkfs.fat and mtools built (tools/fatvol, run by the ctest
// fixture): scan, tick everything as the user would, save the whole tree, and compare every
// saved file with what the builder wrote: the recorded size always, and the bytes themselves
// wherever the file's clusters survived in one free piece. The builder makes each file's bytes
// as SHA-256 in counter mode over its path, so the expected bytes are rebuilt here; their
// digest must also be the one the builder's JSON manifest records.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/check_states.h"
#include "engine/save_tree.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/save_builder_content.h"
#include "tests/engine/save_test_support.h"
#include "tests/engine/utf_text.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using save_test::MemoryOutput;

using utf_text::Utf16;

class FatVolumeSave : public ::testing::TestWithParam<const char*> {};

TEST_P(FatVolumeSave, EveryFoundFileIsSavedAtItsSizeAndSurvivingFilesByteForByte) {
  const std::string name = GetParam();
  const std::string base = std::string(TOLVANE_FATVOL_DIR) + "/" + name;
  auto manifest = ReadManifest(base + ".tsv");
  ASSERT_FALSE(manifest.empty()) << "no manifest for " << name;
  auto sha = manifest_sha256::Read(base + ".json");
  ASSERT_FALSE(sha.empty()) << "no JSON manifest for " << name;
  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "full scan" : "quick scan");
    ScanRig rig;
    ASSERT_EQ(rig.ScanFile(base + ".img", full), 1);
    if (rig.engine.tree.empty()) continue;
    ClickNtfsNode(rig.engine, rig.engine.tree.root(), kChecked);
    MemoryOutput output;
    output.folders.insert(u"T:\\OUT");
    rig.engine.save_flags.stop = 0;
    ASSERT_TRUE(SaveTree(rig.engine, output, "T:\\out\\", nullptr));

    Expectation expect(manifest, full);
    size_t compared = 0, found = 0;
    for (auto& [path, e] : manifest) {
      if (!expect.MustFind(e)) continue;
      ++found;
      std::u16string where = u"T:\\out\\" + Utf16(expect.TreePath(e));
      for (char16_t& c : where) c = c == u'/' ? u'\\' : c;
      const std::vector<uint8_t>* saved = output.FileAt(where);
      ASSERT_NE(saved, nullptr) << path << " not saved at " << expect.TreePath(e);
      EXPECT_EQ(saved->size(), e.size) << path;
      if (e.clusters_free && !e.overwritten && !e.fragmented) {
        if (e.generated) EXPECT_EQ(*saved, BuilderContent(e.path, e.size)) << path;
        EXPECT_EQ(manifest_sha256::Hex(*saved), sha.at(e.path)) << path;
        ++compared;
      }
    }
    EXPECT_EQ(rig.engine.save_progress.counter_a.load(), found);
    EXPECT_GT(compared, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatVolumeSave,
                         ::testing::Values("fat12", "fat16", "fat32", "fat16_reformat",
                                           "fat32_reformat"));

}  // namespace
}  // namespace scavrel::fat::testing
