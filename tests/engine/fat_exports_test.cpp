// The FAT scan through Scavrel.dll under Wine, the way the front end drives it: ProcFat on an
// image built by tools/fatvol, GetProgress polled until the scan has finished, the tree read
// through GetTreeFirst, the node fields, GetDictionaryName and GetpFileAttr.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/scavrel_dll.h"
#include "tests/engine/fat_manifest.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using namespace scavrel_dll;

// The build tree's folder as Wine's Z: drive shows it.
std::string WinPath(const std::string& name) { return ZPath(TOLVANE_FATVOL_DIR, name); }

std::string Utf8ToAnsi(const std::string& utf8) {
  int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

// Polls until the scan has finished (as the front end's watch thread does, only faster).
Progress WaitForScan() { return WaitFor("GetProgress"); }

// Every file node of the tree with its path below the root, as the front end would show it.
struct ExportedTree {
  bool has_nodes = false;
  std::vector<std::pair<std::string, FoundNode*>> files;
};

ExportedTree ReadTree() {
  ExportedTree tree;
  FoundNode* root = nullptr;
  uint64_t result = Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root);
  tree.has_nodes = (result & 0xFF) != 0;
  if (!tree.has_nodes) return tree;
  struct Item {
    FoundNode* node;
    std::string path;
  };
  std::vector<Item> stack{{root, ""}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    if (item.node->child_count == 0 && item.node->directory == 0) {
      tree.files.emplace_back(item.path, item.node);
      continue;
    }
    for (FoundNode* c = item.node->first_child; c != nullptr; c = c->next_sibling) {
      stack.push_back({c, item.path.empty() ? NameOf(c) : item.path + "/" + NameOf(c)});
    }
  }
  return tree;
}

class FatScanDll : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { LoadScavrel(); }
  static void TearDownTestSuite() { FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(0);
  }
  static Bool8 ProcFat(const std::string& device, uint8_t full) {
    return Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcFat")("X:\\", device.c_str(), full);
  }
};

TEST_P(FatScanDll, ScanThroughTheExportsFindsEveryReachableDeletedFile) {
  const std::string name = GetParam();
  auto manifest = ReadManifest(std::string(TOLVANE_FATVOL_DIR) + "/" + name + ".tsv");
  ASSERT_FALSE(manifest.empty());
  for (uint8_t full : {0, 1}) {
    SCOPED_TRACE(full ? "full scan" : "quick scan");
    ASSERT_EQ(ProcFat(WinPath(name + ".img"), full), 1);
    Progress p = WaitForScan();
    ExportedTree tree = ReadTree();

    Expectation expect(manifest, full != 0);
    std::set<std::string> found;
    for (auto& [path, node] : tree.files) found.insert(path);
    size_t must = 0;
    for (auto& [path, e] : manifest) {
      if (!expect.MustFind(e)) continue;
      ++must;
      std::string where = Utf8ToAnsi(expect.TreePath(e));
      EXPECT_TRUE(found.count(where)) << path << " expected at " << where;
      for (auto& [tree_path, node] : tree.files) {
        if (tree_path != where) continue;
        void* block = nullptr;
        ExtentList* extents = nullptr;
        uint64_t free = 0, total = 0, first = 0;
        Call<Bool8 (*)(EntryRecord*, void**, ExtentList**, uint64_t*, uint64_t*, uint64_t*)>(
            "GetpFileAttr")(node->record, &block, &extents, &free, &total, &first);
        uint32_t size = 0;
        std::memcpy(&size, static_cast<uint8_t*>(block) + 28, 4);
        EXPECT_EQ(size, e.size) << path;
        EXPECT_EQ(first, e.first_cluster) << path;
        EXPECT_LE(free, total) << path;
      }
    }
    EXPECT_EQ(tree.files.size(), must);
    EXPECT_EQ(tree.has_nodes, must != 0);
    std::printf("%s, %s scan: %zu deleted files through the exports\n", name.c_str(),
                full ? "full" : "quick", tree.files.size());
    EXPECT_EQ(p.a, tree.files.size());
    EXPECT_EQ(p.b, expect.FolderCount());
    EXPECT_LE(p.done, p.total);
  }
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatScanDll,
                         ::testing::Values("fat12", "fat16", "fat32", "fat32_reformat"));

TEST_F(FatScanDll, StopDuringAFullScanEndsTheScanWithAReadableTree) {
  ASSERT_EQ(ProcFat(WinPath("fat32.img"), 1), 1);
  Call<Bool8 (*)()>("FatStop")();
  Progress p = WaitForScan();
  EXPECT_EQ(p.finished, 1);
  ExportedTree tree = ReadTree();  // whatever it holds, it can be walked
  EXPECT_EQ(p.a, tree.files.size());
  // A new scan may start at once and runs to its end.
  ASSERT_EQ(ProcFat(WinPath("fat12.img"), 0), 1);
  EXPECT_EQ(WaitForScan().finished, 1);
  EXPECT_TRUE(ReadTree().has_nodes);
}

TEST_F(FatScanDll, VolumeThatIsNotFatFinishesWithAnEmptyTree) {
  ASSERT_EQ(ProcFat(WinPath("fat16.tsv"), 1), 1);
  Progress p = WaitForScan();
  EXPECT_EQ(p.a, 0u);
  EXPECT_FALSE(ReadTree().has_nodes);
  ASSERT_EQ(ProcFat(WinPath("no such volume.img"), 0), 1);
  WaitForScan();
  EXPECT_FALSE(ReadTree().has_nodes);
}

}  // namespace
}  // namespace scavrel::fat::testing
