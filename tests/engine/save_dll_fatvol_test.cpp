// The whole save road through Scavrel.dll under Wine, as the front end drives it: ProcFat on a
// volume that tools/fatvol built, the tree ticked with ClickNtfsNode, GetSaveSize, then
// SaveDeleteFile into a folder on C: with GetProgressSave polled until the save has finished.
// Every found file must be there at its size, and the files whose clusters survived must hold
// the builder's bytes. Wine cannot create files under the volume name of C:, so this also
// runs the drive-letter fallback of every file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/save_builder_content.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using Bool8 = uint8_t;
using ProgressFn = Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**, uint8_t*);

HMODULE g_module = nullptr;

template <typename F>
F Call(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_module, name)));
}

std::string WinPath(const std::string& name) {
  std::string path = std::string("Z:") + TOLVANE_FATVOL_DIR + "/" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::wstring Wide(const std::string& utf8, UINT code_page = CP_UTF8) {
  int units = MultiByteToWideChar(code_page, 0, utf8.data(), static_cast<int>(utf8.size()),
                                  nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(code_page, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      units);
  return wide;
}

struct Progress {
  uint64_t done = 0, total = 0, a = 0, b = 0;
  uint8_t finished = 0;
};

// Polls a progress export until its run has finished (the watch threads poll every 100 ms).
Progress WaitFor(const char* export_name) {
  Progress p;
  char text[1001] = {};
  char* out = text;
  for (int i = 0; i < 6000; ++i) {
    Call<ProgressFn>(export_name)(&p.done, &p.total, &p.a, &p.b, &out, &p.finished);
    if (p.finished) return p;
    Sleep(5);
  }
  ADD_FAILURE() << export_name << " never reported the end of the run";
  return p;
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path, bool* found) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  *found = file != INVALID_HANDLE_VALUE;
  if (!*found) return bytes;
  uint8_t chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  CloseHandle(file);
  return bytes;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

class FatSaveDll : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { g_module = LoadLibraryA("Scavrel.dll"); }
  static void TearDownTestSuite() {
    if (g_module) FreeLibrary(g_module);
    g_module = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(g_module, nullptr) << "LoadLibrary failed: " << GetLastError();
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    destination_ = std::string(temp) + "tolvane-dll-save-" + GetParam() + "-" +
                   std::to_string(GetCurrentProcessId());
    CreateDirectoryA(destination_.c_str(), nullptr);
  }
  void TearDown() override { RemoveTree(Wide(destination_, CP_ACP)); }
  std::string destination_;
};

TEST_P(FatSaveDll, ScannedTreeTickedAndSavedHoldsEveryFoundFile) {
  const std::string name = GetParam();
  auto manifest = ReadManifest(std::string(TOLVANE_FATVOL_DIR) + "/" + name + ".tsv");
  ASSERT_FALSE(manifest.empty()) << "no manifest for " << name;
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
      EXPECT_EQ(content, BuilderContent(e.path, e.size)) << path;
      ++compared;
    }
  }
  EXPECT_EQ(saved.a, found);  // files saved
  EXPECT_GT(compared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatSaveDll, ::testing::Values("fat12", "fat16", "fat32"));

}  // namespace
}  // namespace scavrel::fat::testing
