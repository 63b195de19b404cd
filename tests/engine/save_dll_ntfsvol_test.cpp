// The whole NTFS save road through Scavrel.dll under Wine, as the front end drives it:
// SetNtfs, ProcNtfs on a volume that tools/ntfsvol built (quick, and full on the reformatted
// one), the tree ticked with ClickNtfsNode, GetSaveSize, then SaveDeleteFile into a folder on
// C: with GetProgressSave polled until the save has finished. Every deleted file of the
// builder's manifest that the scan found with its clusters still free must be there under its
// folder path with the SHA-256 the builder recorded; zero-byte files empty; live files absent.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/ntfs_save_support.h"
#include "tests/engine/scavrel_dll.h"

#ifndef TOLVANE_NTFS_VOLUMES
#error "TOLVANE_NTFS_VOLUMES names the folder the volume builder writes to"
#endif

using namespace ntfs_save_test;

namespace {

using scavrel::FoundNode;
using scavrel::NtfsEntryRecord;
using namespace scavrel_dll;

std::string WinPath(const std::string& name) { return ZPath(TOLVANE_NTFS_VOLUMES, name); }

std::wstring AsWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

class NtfsSaveDll : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() { LoadScavrel(); }
  static void TearDownTestSuite() { FreeScavrel(); }
  void SetUp() override {
    if (GetFileAttributesA(WinPath("SKIPPED").c_str()) != INVALID_FILE_ATTRIBUTES) {
      GTEST_SKIP() << "NTFS test volumes were not built";
    }
    ASSERT_NE(g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    destination_ = TempPath("tolvane-dll-ntfs-save-");
    CreateDirectoryA(destination_.c_str(), nullptr);
  }
  void TearDown() override {
    if (!destination_.empty()) RemoveTree(Wide(destination_, CP_ACP));
  }
  std::string destination_;
};

TEST_P(NtfsSaveDll, ScannedTreeTickedAndSavedHoldsEveryDeletedFileWithItsSha256) {
  const Case c = GetParam();
  auto manifest = ReadManifest(std::string(TOLVANE_NTFS_VOLUMES) + "/" + c.image + ".tsv");
  auto sha = manifest_sha256::Read(std::string(TOLVANE_NTFS_VOLUMES) + "/" + c.image + ".json");
  ASSERT_FALSE(manifest.empty());
  ASSERT_FALSE(sha.empty());
  Call<Bool8 (*)(uint8_t)>("SetNtfs")(1);
  Call<Bool8 (*)(uint8_t)>("SetAutoRename")(1);
  ASSERT_EQ(Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcNtfs")(
                "X:\\", WinPath(c.image).c_str(), c.full ? 1 : 0), 1);
  WaitFor("GetProgress");
  FoundNode* root = nullptr;
  ASSERT_NE(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
  std::map<std::string, Found> tree;
  Collect(root, u"", &tree);
  auto by_leaf = DeletedFilesByLeaf(tree);
  ASSERT_EQ(Call<Bool8 (*)(FoundNode*, uint32_t)>("ClickNtfsNode")(root, 3), 1);

  uint64_t bytes = 0;
  ASSERT_EQ(Call<Bool8 (*)(const char*, FoundNode*, uint64_t*)>("GetSaveSize")(
                destination_.c_str(), nullptr, &bytes), 1);
  EXPECT_GT(bytes, 0u);
  ASSERT_EQ(Call<Bool8 (*)(const char*)>("SaveDeleteFile")((destination_ + "\\").c_str()), 1);
  Progress saved = WaitFor("GetProgressSave");

  const std::wstring out = Wide(destination_, CP_ACP) + L"\\";
  size_t expected = 0, identical = 0;
  for (const ManifestFile& f : manifest) {
    if (f.state == "live" || f.state == "old_live") {
      std::wstring where = out + AsWide(Utf16(f.path));
      for (wchar_t& ch : where) ch = ch == L'/' ? L'\\' : ch;
      EXPECT_EQ(GetFileAttributesW(where.c_str()), INVALID_FILE_ATTRIBUTES)
          << "live file saved: " << f.path;
      continue;
    }
    if (!Recoverable(f, c.full)) continue;
    const std::string at = FoundAt(f, tree, by_leaf);
    if (at.empty()) continue;
    const Found& found = tree.at(at);
    if (ClustersReused(f, found)) continue;
    ++expected;
    bool exists = false;
    std::vector<uint8_t> content = ReadWholeFile(out + AsWide(found.path), &exists);
    ASSERT_TRUE(exists) << f.path << " not saved at " << at;
    EXPECT_EQ(content.size(), f.size) << f.path;
    const std::string digest = manifest_sha256::Hex(content);
    EXPECT_EQ(digest, sha.at(f.path)) << f.path;
    identical += digest == sha.at(f.path);
  }
  EXPECT_GT(expected, 0u);
  EXPECT_EQ(identical, expected);
  EXPECT_GE(saved.a, expected);  // files saved
  std::printf("  %s %s scan through the DLL: %zu files expected, %zu saved byte for byte\n",
              c.image, c.full ? "full" : "quick", expected, identical);
}

INSTANTIATE_TEST_SUITE_P(Volumes, NtfsSaveDll,
                         ::testing::Values(Case{"basic4k.img", false}, Case{"basic512.img", false},
                                           Case{"reformat.img", false}, Case{"reformat.img", true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name = info.param.image;
                           name = name.substr(0, name.find('.'));
                           return name + (info.param.full ? "Full" : "Quick");
                         });

}  // namespace
