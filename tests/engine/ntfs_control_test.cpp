// The NTFS scan's "Read" message box through Scavrel.dll under Wine: a volume whose $MFT keeps
// its attribute list in a cluster the image does not reach, so the worker's read of the list
// fails and it raises the box on its thread; the test finds the box, closes it and sees the
// scan end. The image is a hand-made volume (ntfs_test::Volume) cut short after its MFT.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "engine/found_tree.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/read_box.h"

namespace {

using ntfs_test::Record;
using scavrel::FoundNode;
using scavrel::testing::FindReadBoxWindow;
using scavrel::testing::MessageText;
using scavrel::testing::ReadBoxText;
using Bool8 = uint8_t;

HMODULE g_module = nullptr;

template <typename F>
F Call(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_module, name)));
}

uint8_t Finished() {
  uint64_t done = 0, total = 0, a = 0, b = 0;
  char buffer[1001] = {};
  char* text = buffer;
  uint8_t finished = 0;
  Call<Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**, uint8_t*)>("GetProgress")(
      &done, &total, &a, &b, &text, &finished);
  return finished;
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
  static void SetUpTestSuite() { g_module = LoadLibraryA("Scavrel.dll"); }
  static void TearDownTestSuite() {
    if (g_module != nullptr) FreeLibrary(g_module);
    g_module = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(g_module, nullptr) << "LoadLibrary failed: " << GetLastError();
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(1);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "tolvane_ntfs_control_" + std::to_string(GetCurrentProcessId()) +
            ".img";
  }
  void TearDown() override {
    // A box a failed test left up is closed, so the worker and the process can end.
    Call<Bool8 (*)()>("NtfsStop")();
    DWORD start = GetTickCount();
    while (!Finished() && GetTickCount() - start < 15000) {
      if (HWND box = FindReadBoxWindow()) PostMessageA(box, WM_COMMAND, IDOK, 0);
      Sleep(5);
    }
    EXPECT_EQ(Finished(), 1) << "the scan could not be ended";
    Call<Bool8 (*)()>("ClearRecovery")();
    DeleteFileA(path_.c_str());
  }
  std::string path_;
};

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
