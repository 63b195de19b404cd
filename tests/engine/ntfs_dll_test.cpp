// The NTFS scan through Scavrel.dll as the front end drives it: ProcNtfs on a volume image,
// GetProgress until the scan thread finishes, then the tree through GetTreeFirst and
// GetDictionaryName. The images are hand-made volumes (ntfs_test::Volume) written to the
// temporary folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <string>

#include "engine/found_tree.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/scavrel_dll.h"

namespace {

using ntfs_test::Record;
using scavrel::FoundNode;
using Bool8 = uint8_t;
using scavrel_dll::Call;

class NtfsDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { scavrel_dll::LoadScavrel(); }
  static void TearDownTestSuite() { scavrel_dll::FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(scavrel_dll::g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(1);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    // One image per test and process: ctest runs the tests side by side.
    path_ = std::string(dir) + "tolvane_ntfs_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
            std::to_string(GetCurrentProcessId()) + ".img";
  }
  void TearDown() override {
    if (scavrel_dll::g_scavrel) Call<Bool8 (*)()>("ClearRecovery")();
    DeleteFileA(path_.c_str());
  }


  void WriteImage(ntfs_test::Volume& v) {
    auto bytes = v.Image();
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  // Starts the scan and waits for its thread to finish; the progress values at the end.
  struct Progress {
    uint64_t done = 0, total = 0, deleted = 0, folders = 0;
    std::string text;
  };
  Progress ScanAndWait(const std::string& device_path, uint8_t full, bool stop_at_once = false) {
    Progress p;
    EXPECT_NE(Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcNtfs")(
                  "C:\\", device_path.c_str(), full), 0);
    if (stop_at_once) Call<Bool8 (*)()>("NtfsStop")();
    char buffer[1001] = {};
    char* text = buffer;
    uint8_t finished = 0;
    auto progress = Call<Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**,
                                   uint8_t*)>("GetProgress");
    for (int i = 0; i < 2000 && !finished; ++i) {
      Sleep(10);
      progress(&p.done, &p.total, &p.deleted, &p.folders, &text, &finished);
    }
    EXPECT_EQ(finished, 1);
    p.text = buffer;
    return p;
  }

  // Every node below the root by path, through the exports.
  std::map<std::string, const FoundNode*> Tree() {
    std::map<std::string, const FoundNode*> out;
    FoundNode* root = nullptr;
    uint64_t first = Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root);
    if ((first & 0xFF) == 0) return out;
    Walk(root, "", &out);
    return out;
  }
  std::string Name(const FoundNode* node) { return scavrel_dll::NameOf(node); }
  void Walk(const FoundNode* node, const std::string& path,
            std::map<std::string, const FoundNode*>* out) {
    for (const FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
      std::string p = path.empty() ? Name(c) : path + "/" + Name(c);
      (*out)[p] = c;
      Walk(c, p, out);
    }
  }

  std::string path_;
};

void AddFiles(ntfs_test::Volume& v) {
  v.SetRecord(16, Record(3).FileName(5, u"docs").Finish());
  v.SetRecord(17, Record(0).FileName(16, u"a.txt").Resident(0x80, ntfs_test::Bytes("hello")).Finish());
  v.SetRecord(18, Record(1).FileName(16, u"live.txt").Finish());
  v.SetRecord(19, Record(0).FileName(16, u"big.bin")
                      .NonResident(0x80, {0x11, 0x02, 0x30}, 0, 1, 8000).Finish());
  v.SetRecord(20, Record(0).FileName(900, u"nowhere.txt").Finish());
  v.Write(72 * 4096, Record(0).FileName(16, u"lost.txt", 1, 4).Finish());
}

TEST_F(NtfsDll, QuickScanOfAnImageGivesTheTreeThroughTheExports) {
  ntfs_test::Volume v;
  AddFiles(v);
  WriteImage(v);
  Progress p = ScanAndWait(path_, 0);
  EXPECT_EQ(p.deleted, 3u);
  EXPECT_EQ(p.done, p.total);
  EXPECT_EQ(p.total, 64u);
  auto tree = Tree();
  FoundNode* root = nullptr;
  Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root);
  EXPECT_EQ(Name(root), "C:\\");
  EXPECT_TRUE(tree.count("docs/a.txt"));
  EXPECT_TRUE(tree.count("docs/big.bin"));
  EXPECT_TRUE(tree.count("$Unknow Folder/nowhere.txt"));
  EXPECT_FALSE(tree.count("docs/live.txt"));
  EXPECT_FALSE(tree.count("docs/lost.txt"));
  uint64_t free_clusters = 0, total = 0, first = 0;
  void* block = nullptr;
  scavrel::ExtentList* extents = nullptr;
  Call<Bool8 (*)(scavrel::EntryRecord*, void**, scavrel::ExtentList**, uint64_t*, uint64_t*,
                 uint64_t*)>("GetpFileAttr")(tree.at("docs/big.bin")->record, &block, &extents,
                                             &free_clusters, &total, &first);
  EXPECT_EQ(total, 2u);
  EXPECT_EQ(free_clusters, 2u);
  EXPECT_EQ(first, 48u);
  uint64_t size = 0;
  std::memcpy(&size, static_cast<uint8_t*>(block) + 48, 8);
  EXPECT_EQ(size, 8000u);
}

TEST_F(NtfsDll, FullScanAddsLostRecordsFromFreeClusters) {
  ntfs_test::Volume v;
  AddFiles(v);
  WriteImage(v);
  Progress p = ScanAndWait(path_, 1);
  EXPECT_EQ(p.deleted, 4u);
  EXPECT_EQ(p.total, 256u);
  EXPECT_TRUE(Tree().count("docs/lost.txt"));
}

TEST_F(NtfsDll, ImageThatIsNotNtfsLeavesAnEmptyTree) {
  ntfs_test::Volume v;
  v.raw()[3] = 'F';
  WriteImage(v);
  ScanAndWait(path_, 0);
  FoundNode* root = nullptr;
  EXPECT_EQ(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
}

TEST_F(NtfsDll, MissingVolumeEndsTheScan) {
  ScanAndWait(path_ + ".absent", 0);
  FoundNode* root = nullptr;
  EXPECT_EQ(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
}

TEST_F(NtfsDll, StopRightAfterTheStartEndsTheScan) {
  ntfs_test::Volume v;
  AddFiles(v);
  WriteImage(v);
  ScanAndWait(path_, 1, /*stop_at_once=*/true);
  // Whatever the thread reached, a second scan starts and completes afterwards.
  Progress p = ScanAndWait(path_, 0);
  EXPECT_EQ(p.deleted, 3u);
}

}  // namespace
