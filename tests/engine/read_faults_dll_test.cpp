// Scans through Scavrel.dll, as the front end drives it, over images whose reads fail on chosen
// sectors as a failing disk's do. The DLL under test is the shipped one: the test shares its
// process and points the DLL's import of ReadFile at a stand-in that refuses every read that
// touches a chosen byte range with ERROR_CRC (what Windows reports for a sector the drive
// cannot read) and hands every other read to the system. The "Read" box needs the X display.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/failing_read_file.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/read_box.h"
#include "tests/engine/scavrel_dll.h"

namespace {

using ntfs_test::Record;
using scavrel::FoundNode;
using scavrel_dll::Bool8;
using scavrel_dll::Call;
using scavrel::testing::g_bad;
using scavrel::testing::g_refused;
using scavrel::testing::HookReadFile;

// --- the scan ----------------------------------------------------------------------------------

// GetSaveCounts: whole, partial, failed, source failures, destination failures.
using Counts = std::vector<uint64_t>;
Counts SaveCounts() {
  Counts c(5, 99);
  EXPECT_EQ(Call<Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, uint64_t*)>("GetSaveCounts")(
                &c[0], &c[1], &c[2], &c[3], &c[4]),
            1);
  return c;
}

uint8_t Finished() { return scavrel_dll::Poll().finished; }

class ReadFaultsDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scavrel_dll::LoadScavrel();
    if (scavrel_dll::g_scavrel != nullptr) hooked_ = HookReadFile(scavrel_dll::g_scavrel);
  }
  static void TearDownTestSuite() { scavrel_dll::FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(scavrel_dll::g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    ASSERT_TRUE(hooked_) << "Scavrel.dll imports no ReadFile from kernel32";
    path_ = scavrel_dll::TempPath("tolvane_read_faults_") + ".img";
    g_refused = 0;
  }
  void TearDown() override {
    scavrel::testing::WaitClosingReadBoxes([] { return Finished() != 0; }, 15000);
    Call<Bool8 (*)()>("ClearRecovery")();
    g_bad.clear();
    DeleteFileA(path_.c_str());
  }

  void WriteImage(const std::vector<uint8_t>& bytes) {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // Runs the scan to its end, answering every "Read" box; the texts of the boxes shown.
  std::vector<std::string> ScanAnsweringBoxes(bool ntfs) {
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(ntfs ? 1 : 0);
    const char* start = ntfs ? "ProcNtfs" : "ProcFat";
    EXPECT_EQ(Call<Bool8 (*)(const char*, const char*, uint8_t)>(start)("C:\\", path_.c_str(), 0),
              1);
    std::vector<std::string> texts;
    std::set<HWND> seen;
    const DWORD begun = GetTickCount();
    while (!Finished() && GetTickCount() - begun < 30000) {
      if (HWND box = scavrel::testing::FindReadBoxWindow()) {
        if (seen.insert(box).second) texts.push_back(scavrel::testing::ReadBoxText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(10);
    }
    EXPECT_EQ(Finished(), 1) << "the scan did not end";
    return texts;
  }

  // Every node below the root by path.
  std::map<std::string, const FoundNode*> Tree() {
    std::map<std::string, const FoundNode*> out;
    FoundNode* root = nullptr;
    if ((Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF) == 0) return out;
    std::vector<std::pair<const FoundNode*, std::string>> stack{{root, ""}};
    while (!stack.empty()) {
      auto [node, path] = stack.back();
      stack.pop_back();
      for (const FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
        const std::string p = path.empty() ? scavrel_dll::NameOf(c)
                                           : path + "/" + scavrel_dll::NameOf(c);
        out[p] = c;
        stack.push_back({c, p});
      }
    }
    return out;
  }

  bool BoxesCanShow() {
    char display[256] = {};
    return GetEnvironmentVariableA("DISPLAY", display, sizeof(display)) != 0;
  }

  static inline bool hooked_ = false;
  std::string path_;
};

constexpr uint64_t kMft = ntfs_test::Volume::kMftCluster * 4096;

// The record table is read in chunks of many records; a bad sector in one used to end the
// pass with nothing linked, and the scan reported success over an empty tree.
TEST_F(ReadFaultsDll, NtfsScanLosesOnlyTheRecordsOnBadSectorsAndShowsOneReadBox) {
  if (!BoxesCanShow()) GTEST_SKIP() << "no DISPLAY: the \"Read\" box cannot be shown";
  ntfs_test::Volume v;
  v.SetRecord(16, Record(3).FileName(5, u"docs").Finish());
  v.SetRecord(17, Record(0).FileName(16, u"a.txt").Resident(0x80, {1, 2, 3}).Finish());
  v.SetRecord(20, Record(0).FileName(16, u"gone.txt").Resident(0x80, {4}).Finish());
  v.SetRecord(21, Record(0).FileName(5, u"b.txt").Resident(0x80, {5}).Finish());
  v.SetRecord(40, Record(0).FileName(5, u"also gone.txt").Resident(0x80, {6}).Finish());
  WriteImage(v.Image());
  g_bad = {{kMft + 20 * 1024, 512}, {kMft + 40 * 1024 + 512, 512}};

  const std::vector<std::string> boxes = ScanAnsweringBoxes(true);
  EXPECT_GT(g_refused.load(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], scavrel::testing::MessageText(ERROR_CRC));
  auto tree = Tree();
  EXPECT_EQ(tree.count("docs/a.txt"), 1u);
  EXPECT_EQ(tree.count("b.txt"), 1u);
  EXPECT_EQ(tree.count("docs/gone.txt"), 0u);
  EXPECT_EQ(tree.count("also gone.txt"), 0u);
}

TEST_F(ReadFaultsDll, FatScanReadsPastABadRootSectorAndAnUnreadableFolderCluster) {
  if (!BoxesCanShow()) GTEST_SKIP() << "no DISPLAY: the \"Read\" box cannot be shown";
  using scavrel::fat::testing::HandFat;
  HandFat fat;  // FAT16: root at sectors 2-3, cluster 2 at sector 4, 512-byte clusters
  fat.Entry(fat.Root(17), "DOCS       ", 0x10, 2, 0);
  fat.Chain(2, 2);
  fat.Dots(2, 0);
  for (int i = 2; i < 16; ++i) fat.Entry(fat.Slot(2, i), "\xE5" "ILLER  TXT", 0x20, 0, 0);
  fat.Entry(fat.Slot(3, 0), "\xE5" "ATE    TXT", 0x20, 11, 10);
  fat.Entry(fat.Root(1), "\xE5" "OSTA   TXT", 0x20, 12, 10);
  fat.Entry(fat.Root(16), "\xE5" "EPTB   TXT", 0x20, 13, 10);
  WriteImage(fat.bytes);
  g_bad = {{1 * 512 + 512 + 64, 1}, {4 * 512, 512}};  // root's first sector, cluster 2

  const std::vector<std::string> boxes = ScanAnsweringBoxes(false);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], scavrel::testing::MessageText(ERROR_CRC));
  auto tree = Tree();
  EXPECT_EQ(tree.count("DOCS/xATE.TXT"), 1u);
  EXPECT_EQ(tree.count("xEPTB.TXT"), 1u);
  EXPECT_EQ(tree.size(), 3u) << "DOCS, its late file and the root's second sector's file";
}

// A save whose file lies partly on a bad sector keeps every sector it can read (zeros for
// the bad one), counts that file as failed, and goes on with the next.
TEST_F(ReadFaultsDll, SaveKeepsTheReadableSectorsOfAFileAndGoesOnWithTheNext) {
  using scavrel::fat::testing::HandFat;
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "IG     BIN", 0x20, 20, 2048);
  fat.Entry(fat.Root(1), "\xE5" "MALL   TXT", 0x20, 30, 100);
  for (uint32_t c = 20; c < 31; ++c) {
    for (int i = 0; i < 512; ++i) fat.Cluster(c)[i] = static_cast<uint8_t>(c * 7 + i);
  }
  WriteImage(fat.bytes);
  // Set before the scan: what the scan reads stays in the reader's window, and the save reads
  // through the same reader. A quick scan reads no file's clusters.
  const uint64_t bad_sector = 4 + 21 - 2;  // the file's second cluster
  g_bad = {{bad_sector * 512, 512}};
  EXPECT_TRUE(ScanAnsweringBoxes(false).empty());
  FoundNode* root = nullptr;
  ASSERT_NE(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
  ASSERT_EQ(Call<Bool8 (*)(FoundNode*, uint32_t)>("ClickNtfsNode")(root, 3), 1);

  const std::string destination = scavrel_dll::TempPath("tolvane_read_faults_save_");
  CreateDirectoryA(destination.c_str(), nullptr);
  Call<Bool8 (*)(uint8_t)>("SetAutoRename")(1);
  ASSERT_EQ(Call<Bool8 (*)(const char*)>("SaveDeleteFile")((destination + "\\").c_str()), 1);
  const scavrel_dll::Progress saved = scavrel_dll::WaitFor("GetProgressSave");
  EXPECT_EQ(saved.a, 1u) << "the small file saved, the worn one not counted";
  // The worn file is written in part, and the drive is the side that failed.
  EXPECT_EQ(SaveCounts(), (Counts{1, 1, 0, 1, 0}));

  bool found = false;
  std::vector<uint8_t> big =
      scavrel_dll::ReadWholeFile(scavrel_dll::Wide(destination + "\\xIG.BIN", CP_ACP), &found);
  ASSERT_TRUE(found);
  std::vector<uint8_t> expected(fat.Cluster(20), fat.Cluster(20) + 2048);
  std::fill(expected.begin() + 512, expected.begin() + 1024, 0);
  EXPECT_EQ(big, expected);
  std::vector<uint8_t> small =
      scavrel_dll::ReadWholeFile(scavrel_dll::Wide(destination + "\\xMALL.TXT", CP_ACP), &found);
  ASSERT_TRUE(found);
  EXPECT_EQ(small, std::vector<uint8_t>(fat.Cluster(30), fat.Cluster(30) + 100));
  scavrel_dll::RemoveTree(scavrel_dll::Wide(destination, CP_ACP));
}

// A destination that takes no file (its folder is a file's name): every file fails on the
// destination's side, none whole, none blamed on the drive.
TEST_F(ReadFaultsDll, SaveToADestinationThatRefusesFilesCountsThemAsTheDestinationsFailures) {
  using scavrel::fat::testing::HandFat;
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "NE     TXT", 0x20, 20, 100);
  fat.Entry(fat.Root(1), "\xE5" "WO     TXT", 0x20, 21, 100);
  fat.Entry(fat.Root(2), "DOCS       ", 0x10, 2, 0);
  fat.Chain(2, 1);
  fat.Dots(2, 0);
  fat.Entry(fat.Slot(2, 2), "\xE5" "HREE   TXT", 0x20, 22, 100);
  WriteImage(fat.bytes);
  EXPECT_TRUE(ScanAnsweringBoxes(false).empty());
  FoundNode* root = nullptr;
  ASSERT_NE(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
  ASSERT_EQ(Call<Bool8 (*)(FoundNode*, uint32_t)>("ClickNtfsNode")(root, 3), 1);

  const std::string blocker = scavrel_dll::TempPath("tolvane_read_faults_blocker_");
  { std::ofstream(blocker) << "a file, not a folder"; }
  ASSERT_EQ(Call<Bool8 (*)(const char*)>("SaveDeleteFile")((blocker + "\\dest\\").c_str()), 1);
  const scavrel_dll::Progress saved = scavrel_dll::WaitFor("GetProgressSave");
  EXPECT_EQ(saved.a, 0u);
  EXPECT_EQ(SaveCounts(), (Counts{0, 0, 3, 0, 3})) << "the folder's file is counted with it";
  DeleteFileA(blocker.c_str());
}

}  // namespace
