// The whole save road through Scavrel.dll under Wine, as the front end drives it: ProcFat on a
// volume that tools/fatvol built, the tree ticked with ClickNtfsNode, GetSaveSize, then
// SaveDeleteFile into a folder on C: with GetProgressSave polled until the save has finished.
// Every found file must be there at its size, and the files whose clusters survived must hold
// the builder's bytes (and the SHA-256 its JSON manifest records). Wine cannot create files
// under the volume name of C:, so this also runs the drive-letter fallback of every file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/save_builder_content.h"
#include "tests/engine/scavrel_dll.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using namespace scavrel_dll;

std::string WinPath(const std::string& name) { return ZPath(TOLVANE_FATVOL_DIR, name); }

class FatSaveDll : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { LoadScavrel(); }
  static void TearDownTestSuite() { FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    destination_ = TempPath(std::string("tolvane-dll-save-") + GetParam() + "-");
    CreateDirectoryA(destination_.c_str(), nullptr);
  }
  void TearDown() override { RemoveTree(Wide(destination_, CP_ACP)); }
  std::string destination_;
};

TEST_P(FatSaveDll, ScannedTreeTickedAndSavedHoldsEveryFoundFile) {
  const std::string name = GetParam();
  auto manifest = ReadManifest(std::string(TOLVANE_FATVOL_DIR) + "/" + name + ".tsv");
  ASSERT_FALSE(manifest.empty()) << "no manifest for " << name;
  auto sha = manifest_sha256::Read(std::string(TOLVANE_FATVOL_DIR) + "/" + name + ".json");
  ASSERT_FALSE(sha.empty()) << "no JSON manifest for " << name;
  Call<Bool8 (*)(uint8_t)>("SetNtfs")(0);
  Call<Bool8 (*)(uint8_t)>("SetAutoRename")(1);
  ASSERT_EQ(Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcFat")(
                "X:\\", WinPath(name + ".img").c_str(), 0), 1);
  WaitFor("GetProgress");
  FoundNode* root = nullptr;
  ASSERT_NE(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
  ASSERT_EQ(Call<Bool8 (*)(FoundNode*, uint32_t)>("ClickNtfsNode")(root, 3), 1);

  Expectation expect(manifest, /*full=*/false);
  uint64_t bytes = 0;
  ASSERT_EQ(Call<Bool8 (*)(const char*, FoundNode*, uint64_t*)>("GetSaveSize")(
                destination_.c_str(), nullptr, &bytes), 1);
  EXPECT_GT(bytes, 0u);

  ASSERT_EQ(Call<Bool8 (*)(const char*)>("SaveDeleteFile")((destination_ + "\\").c_str()), 1);
  Progress saved = WaitFor("GetProgressSave");

  size_t found = 0, compared = 0;
  for (auto& [path, e] : manifest) {
    if (!expect.MustFind(e)) continue;
    ++found;
    std::wstring where = Wide(destination_, CP_ACP) + L"\\" + Wide(expect.TreePath(e));
    for (wchar_t& c : where) c = c == L'/' ? L'\\' : c;
    bool exists = false;
    std::vector<uint8_t> content = ReadWholeFile(where, &exists);
    ASSERT_TRUE(exists) << path << " not saved at " << expect.TreePath(e);
    EXPECT_EQ(content.size(), e.size) << path;
    if (e.clusters_free && !e.overwritten && !e.fragmented) {
      if (e.generated) EXPECT_EQ(content, BuilderContent(e.path, e.size)) << path;
      EXPECT_EQ(manifest_sha256::Hex(content), sha.at(e.path)) << path;
      ++compared;
    }
  }
  EXPECT_EQ(saved.a, found);  // files saved
  EXPECT_GT(compared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatSaveDll, ::testing::Values("fat12", "fat16", "fat32"));

}  // namespace
}  // namespace scavrel::fat::testing
