// End to end over volumes that mkfs.fat and mtools built (tools/fatvol, run by the ctest
// fixture): scan, tick everything as the user would, save the whole tree, and compare every
// saved file with what the builder wrote: the recorded size always, and the bytes themselves
// wherever the file's clusters survived in one free piece. The builder makes each file's bytes
// as SHA-256 in counter mode over its path, so the expected bytes are rebuilt here.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/check_states.h"
#include "engine/save_tree.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/save_builder_content.h"
#include "tests/engine/save_test_support.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using save_test::MemoryOutput;

std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = static_cast<uint8_t>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 0 ? 0x7F : (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

class FatVolumeSave : public ::testing::TestWithParam<const char*> {};

TEST_P(FatVolumeSave, EveryFoundFileIsSavedAtItsSizeAndSurvivingFilesByteForByte) {
  const std::string name = GetParam();
  const std::string base = std::string(TOLVANE_FATVOL_DIR) + "/" + name;
  auto manifest = ReadManifest(base + ".tsv");
  ASSERT_FALSE(manifest.empty()) << "no manifest for " << name;
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
        EXPECT_EQ(*saved, BuilderContent(e.path, e.size)) << path;
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
