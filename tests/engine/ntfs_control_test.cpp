// Run control of the NTFS scan through Scavrel.dll under Wine: pause, continue and stop in a
// full scan's search of free clusters (an empty 256 MiB volume that mkntfs made), and the
// "Read" message box: a hand-made volume (ntfs_test::Volume) cut short after its MFT, whose $MFT
// keeps its attribute list in a cluster the image does not reach, so the worker's read of the
// list fails and it raises the box on its thread; the test finds the box and closes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/scavrel_dll.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/read_box.h"

#ifndef TOLVANE_NTFS_CONTROL_IMAGE
#error "TOLVANE_NTFS_CONTROL_IMAGE names the empty volume the fixture makes"
#endif

namespace {

using ntfs_test::Record;
using scavrel::FoundNode;
using scavrel::testing::FindReadBoxWindow;
using scavrel::testing::MessageText;
using scavrel::testing::ReadBoxText;
using scavrel::testing::WaitClosingReadBoxes;

using namespace scavrel_dll;

uint8_t Finished() { return Poll().finished; }

std::string WinPath(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Node count GetTreeFirst reports, after a walk that checks every node's links; -1 on a fault.
int64_t CheckedNodeCount() {
  FoundNode* root = nullptr;
  uint64_t result = Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root);
  const uint64_t counted = result >> 32;
  if ((result & 0xFF) == 0) return counted == 0 ? 0 : -1;
  uint64_t seen = 0;
  std::vector<FoundNode*> stack{root};
  while (!stack.empty()) {
    FoundNode* node = stack.back();
    stack.pop_back();
    if (++seen > counted) return -1;
    uint32_t children = 0;
    FoundNode* previous = nullptr;
    for (FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
      if (c->parent != node || c->previous_sibling != previous) return -1;
      previous = c;
      ++children;
      stack.push_back(c);
    }
    if (node->child_count != children || node->last_child != previous) return -1;
  }
  return seen == counted ? static_cast<int64_t>(seen) : -1;
}

bool WaitFinished(DWORD limit_ms) {
  DWORD start = GetTickCount();
  while (!Finished()) {
    if (GetTickCount() - start > limit_ms) return false;
    Sleep(5);
  }
  return true;
}

class NtfsControlDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadScavrel(); }
  static void TearDownTestSuite() { FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(1);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "tolvane_ntfs_control_" + std::to_string(GetCurrentProcessId()) +
            ".img";
  }
  void TearDown() override {
    // A box a failed test left up is closed, so the worker and the process can end.
    Call<Bool8 (*)()>("NtfsStop")();
    WaitClosingReadBoxes([] { return Finished() != 0; }, 15000);
    EXPECT_EQ(Finished(), 1) << "the scan could not be ended";
    Call<Bool8 (*)()>("ClearRecovery")();
    DeleteFileA(path_.c_str());
  }
  // Starts a full scan of the empty volume and pauses it in its search of free clusters (the
  // total is then the volume's cluster count and done moves with every chunk read).
  bool PauseInFreeClusterSearch(Progress* held) {
    EXPECT_EQ(Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcNtfs")(
                  "C:\\", WinPath(TOLVANE_NTFS_CONTROL_IMAGE).c_str(), 1),
              1);
    // The search's total is the volume's cluster count (mkntfs leaves the last of the 65536
    // for the backup boot sector); the MFT pass before it counts records, far fewer.
    const uint64_t clusters = 256ull * 1024 * 1024 / 4096 - 1;
    Progress p;
    DWORD start = GetTickCount();
    do {
      p = Poll();
    } while (!p.finished && !(p.total == clusters && p.done > clusters / 8) &&
             GetTickCount() - start < 20000);
    EXPECT_EQ(Call<Bool8 (*)()>("NtfsPause")(), 1);
    // The worker stops at its next step.
    *held = WaitStill();
    if (!held->finished && held->total == clusters && held->done < clusters) return true;
    std::printf("missed the search: paused at %llu of %llu, finished %d\n",
                static_cast<unsigned long long>(held->done),
                static_cast<unsigned long long>(held->total), held->finished);
    Call<Bool8 (*)()>("NtfsContinue")();
    WaitFinished(30000);
    return false;
  }

  std::string path_;
};

TEST_F(NtfsControlDll, PauseInTheFreeClusterSearchHoldsItAndContinueEndsWithTheSameTree) {
  ASSERT_EQ(Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcNtfs")(
                "C:\\", WinPath(TOLVANE_NTFS_CONTROL_IMAGE).c_str(), 1),
            1);
  ASSERT_TRUE(WaitFinished(30000));
  const int64_t reference = CheckedNodeCount();
  ASSERT_GE(reference, 0);

  Progress held;
  bool inside = false;
  for (int attempt = 0; attempt < 8 && !inside; ++attempt) inside = PauseInFreeClusterSearch(&held);
  ASSERT_TRUE(inside) << "the scan never stood paused in its search of free clusters";
  EXPECT_EQ(Call<Bool8 (*)()>("NtfsPause")(), 1);  // a second pause changes nothing
  Sleep(200);  // a fixed while on purpose: nothing may move in it
  Progress later = Poll();
  EXPECT_EQ(later, held) << "done " << held.done << " -> " << later.done;
  ASSERT_EQ(Call<Bool8 (*)()>("NtfsContinue")(), 1);
  ASSERT_TRUE(WaitFinished(30000));
  EXPECT_EQ(Poll().done, Poll().total);
  EXPECT_EQ(CheckedNodeCount(), reference);
}

TEST_F(NtfsControlDll, StopOnAPausedFullScanEndsItWithAConsistentTree) {
  Progress held;
  bool inside = false;
  for (int attempt = 0; attempt < 8 && !inside; ++attempt) inside = PauseInFreeClusterSearch(&held);
  ASSERT_TRUE(inside) << "the scan never stood paused in its search of free clusters";
  // False while the run is unfinished; true only once the worker has ended.
  if (Call<Bool8 (*)()>("NtfsStop")() != 0) {
    EXPECT_EQ(Finished(), 1) << "Stop said finished too early";
  }
  ASSERT_TRUE(WaitFinished(10000)) << "the stopped scan did not end";
  EXPECT_EQ(Call<Bool8 (*)()>("NtfsStop")(), 1);
  Progress end = Poll();
  EXPECT_LT(end.done, end.total) << "the search ended where it was stopped";
  EXPECT_GE(CheckedNodeCount(), 0);
}

TEST_F(NtfsControlDll, ReadBoxOfAnUnreachableAttributeListIsClosedAndTheScanFinishes) {
  ntfs_test::Volume v;
  // $MFT with an attribute list in cluster 200 (run: one cluster at +200); the image ends at
  // cluster 64, past the MFT and the bitmap but short of the list.
  v.SetRecord(0, Record(1)
                     .NonResident(0x20, {0x21, 0x01, 0xC8, 0x00}, 0, 0, 256)
                     .FileName(5, u"$MFT")
                     .NonResident(0x80, {0x11, 0x10, 0x04}, 0, ntfs_test::Volume::kMftClusters - 1,
                                  ntfs_test::Volume::kMftClusters * 4096)
                     .Finish());
  auto bytes = v.Image();
  bytes.resize(64 * 4096);
  {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ASSERT_EQ(Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcNtfs")("C:\\", path_.c_str(), 0),
            1);
  char display[256] = {};
  const bool have_display = GetEnvironmentVariableA("DISPLAY", display, sizeof(display)) != 0;

  HWND box = nullptr;
  DWORD start = GetTickCount();
  while (box == nullptr && GetTickCount() - start < 15000) {
    box = FindReadBoxWindow();
    if (box == nullptr) {
      if (Finished()) break;  // the scan ended without a box
      Sleep(20);
    }
  }
  if (box == nullptr) {
    if (!have_display && Finished()) {
      GTEST_SKIP() << "no DISPLAY: the box could not be shown and the scan ended at once";
    }
    FAIL() << "no \"Read\" box appeared (scan finished: " << int(Finished()) << ")";
  }
  EXPECT_EQ(Finished(), 0) << "the box holds the worker until it is answered";
  EXPECT_EQ(ReadBoxText(box), MessageText(ERROR_HANDLE_EOF));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFinished(10000)) << "the scan did not end after the box was closed";
  EXPECT_EQ(FindReadBoxWindow(), nullptr);
  FoundNode* root = nullptr;
  EXPECT_EQ(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
}

}  // namespace
