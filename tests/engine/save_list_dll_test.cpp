// The find-mode save through the real DLLs under Wine, as the front end drives it: ProcFat on a
// volume that tools/fatvol built, a hit list filled through Quorrin.dll (AddList, FieldAdd, Add,
// SetValue in the front end's ten-field layout), SaveDeleteFile1(destination, list, 8, 0, 1, 9,
// 3), then GetProgressSave polled until the save has finished. Saved files must sit in the
// folders their rows name and hold the bytes whose SHA-256 the builder wrote down; unticked
// rows and rows without a node stay unsaved. A copy of this program in a folder without
// Quorrin.dll checks that a list save without the library ends cleanly.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "engine/scavrel_api.h"
#include "quorrin/quorrin_api.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/save_builder_content.h"
#include "tests/engine/scavrel_dll.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using quorrin_api::IntegerCell;

constexpr char kChildSwitch[] = "--missing-quorrin-child";

using namespace scavrel_dll;

HMODULE g_quorrin = nullptr;
#define SCAVREL(name) Bind<decltype(&::name)>(g_scavrel, #name)
#define QUORRIN(name) Bind<decltype(&::name)>(g_quorrin, #name)

std::string WinPath(const std::string& name) { return ZPath(TOLVANE_FATVOL_DIR, name); }

std::string TempFolder(const std::string& tag) { return TempPath("tolvane-list-" + tag + "-"); }

Progress WaitForSave() { return WaitFor("GetProgressSave"); }

bool ScanFat(const std::string& volume) {
  SCAVREL(SetNtfs)(0);
  if (SCAVREL(ProcFat)("X:\\", WinPath(volume + ".img").c_str(), 0) == 0) return false;
  return PollUntilFinished("GetProgress").finished != 0;
}

// Every file below a folder, as paths relative to it.
void ListFiles(const std::wstring& folder, const std::wstring& prefix,
               std::set<std::wstring>* files) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(folder + L"\\" + name, prefix + name + L"\\", files);
    } else {
      files->insert(prefix + name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::string Hex(const std::array<uint8_t, 32>& digest) {
  std::string hex;
  char two[3];
  for (uint8_t byte : digest) {
    std::snprintf(two, sizeof(two), "%02x", byte);
    hex += two;
  }
  return hex;
}

// The "sha256" of each file entry of the builder's JSON manifest, by volume path. The builder
// writes one key a line ("path", then "sha256" further down the same entry) and no escapes in
// these names.
std::map<std::string, std::string> ReadSha256s(const std::string& json_path) {
  std::map<std::string, std::string> out;
  std::ifstream in(json_path);
  std::string line, path;
  auto value = [](const std::string& text, const std::string& key) -> std::string {
    size_t at = text.find("\"" + key + "\": \"");
    if (at == std::string::npos) return std::string();
    at += key.size() + 5;
    size_t end = text.find('"', at);
    return end == std::string::npos ? std::string() : text.substr(at, end - at);
  };
  while (std::getline(in, line)) {
    if (line.find("\"path\": ") != std::string::npos) path = value(line, "path");
    std::string sha = value(line, "sha256");
    if (!sha.empty() && !path.empty()) out[path] = sha;
  }
  return out;
}

// A hit list row as the front end makes it, and what the test knows of it.
struct HitRow {
  std::string folder;      // field 0: "X:\" and the folders down to the file, each with "\"
  std::string name;        // the file's name (ANSI, as GetDictionaryName gives it)
  IntegerCell state = 3;   // field 8
  FoundNode* node = nullptr;  // field 9
};

// AddHitRows: folders holding deleted entries are entered, deleted files become rows.
void CollectRows(FoundNode* folder, const std::string& path, std::vector<HitRow>* rows) {
  for (FoundNode* child = folder->first_child; child != nullptr; child = child->next_sibling) {
    if (child->valid == 0) continue;
    if (child->directory != 0) {
      if (child->subtree_has_deleted != 0) {
        CollectRows(child, path + NameOf(child) + "\\", rows);
      }
    } else if (child->deleted != 0) {
      rows->push_back({path, NameOf(child), 3, child});
    }
  }
}

uint32_t FillHitList(const std::vector<HitRow>& rows) {
  uint32_t list = QUORRIN(AddList)();
  char field_name[1001] = {};
  for (int field = 0; field < 10; ++field) {
    std::snprintf(field_name, sizeof(field_name), "a%d", field + 1);
    QUORRIN(FieldAdd)(field_name, field < 6 ? kQuorrinFieldText : kQuorrinFieldInteger, list);
  }
  for (const HitRow& row : rows) {
    QUORRIN(Add)(list);
    QUORRIN(SetValue)(row.folder.c_str(), 0, list);
    QUORRIN(SetValue)(row.name.c_str(), 1, list);
    for (uint32_t text_field = 2; text_field < 6; ++text_field) {
      QUORRIN(SetValue)("", text_field, list);
    }
    IntegerCell zero = 0;
    IntegerCell node = reinterpret_cast<IntegerCell>(row.node);
    QUORRIN(SetValue)(&zero, 6, list);
    QUORRIN(SetValue)(&zero, 7, list);
    QUORRIN(SetValue)(&row.state, 8, list);
    QUORRIN(SetValue)(&node, 9, list);
  }
  QUORRIN(UpdateList)(list);
  return list;
}

// The row's folder below the destination: its text after "X:\".
std::wstring RowFolder(const HitRow& row) { return Wide(row.folder.substr(3), CP_ACP); }

class ListSaveDll : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    g_scavrel = LoadLibraryA("Scavrel.dll");
    g_quorrin = LoadLibraryA("Quorrin.dll");
  }
  static void TearDownTestSuite() {
    if (g_scavrel) FreeLibrary(g_scavrel);
    if (g_quorrin) FreeLibrary(g_quorrin);
    g_scavrel = g_quorrin = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(g_scavrel, nullptr) << "Scavrel.dll: " << GetLastError();
    ASSERT_NE(g_quorrin, nullptr) << "Quorrin.dll: " << GetLastError();
    destination_ = TempFolder(GetParam());
    CreateDirectoryA(destination_.c_str(), nullptr);
  }
  void TearDown() override { RemoveTree(Wide(destination_, CP_ACP)); }

  std::wstring Saved(const std::wstring& relative) const {
    return Wide(destination_, CP_ACP) + L"\\" + relative;
  }

  std::string destination_;
};

TEST_P(ListSaveDll, TickedRowsAreSavedIntoTheFoldersTheirPathsName) {
  const std::string volume = GetParam();
  auto manifest = ReadManifest(std::string(TOLVANE_FATVOL_DIR) + "/" + volume + ".tsv");
  auto sha256 = ReadSha256s(std::string(TOLVANE_FATVOL_DIR) + "/" + volume + ".json");
  ASSERT_FALSE(manifest.empty());
  ASSERT_FALSE(sha256.empty());
  Expectation expect(manifest, /*full=*/false);
  // Manifest files by where the scan puts them.
  std::map<std::wstring, const ManifestEntry*> by_tree_path;
  for (auto& [path, e] : manifest) {
    std::string tree_path = expect.TreePath(e);
    if (e.dir || tree_path.empty()) continue;
    std::wstring key = Wide(tree_path, CP_UTF8);
    for (wchar_t& c : key) c = c == L'/' ? L'\\' : c;
    by_tree_path[key] = &e;
  }

  ASSERT_TRUE(ScanFat(volume));
  FoundNode* root = nullptr;
  ASSERT_NE(SCAVREL(GetTreeFirst)(&root) & 0xFF, 0u);
  std::string root_text = NameOf(root);
  ASSERT_EQ(root_text, "X:\\");
  std::vector<HitRow> rows;
  CollectRows(root, root_text, &rows);
  ASSERT_GE(rows.size(), 6u);
  rows[0].state = 1;  // unticked
  rows[1].state = 2;  // a state the hit list never shows, but a row may hold
  rows.push_back({"X:\\Nowhere\\", "none.txt", 3, nullptr});
  uint32_t list = FillHitList(rows);
  ASSERT_EQ(QUORRIN(GetListCount)(list), rows.size());

  ASSERT_EQ(SCAVREL(SaveDeleteFile1)((destination_ + "\\").c_str(), list, 8, 0, 1, 9, 3), 1);
  Progress progress = WaitForSave();

  // What was saved: every ticked row with a node, each in its folder, nothing else.
  std::set<std::wstring> expected_files;
  std::set<std::wstring> folders_made;
  uint64_t new_folders = 0;
  size_t compared = 0, two_in_one_folder = 0;
  std::map<std::wstring, int> rows_per_folder;
  for (const HitRow& row : rows) {
    if (row.state != 3 || row.node == nullptr) continue;
    std::wstring folder = RowFolder(row);
    std::wstring relative = folder + Wide(row.name, CP_ACP);
    expected_files.insert(relative);
    if (++rows_per_folder[folder] == 2 && !folder.empty()) ++two_in_one_folder;
    // A folder counts once, when it was not there before its first row; its parents come
    // with it.
    if (!folder.empty() && folders_made.count(folder) == 0) {
      ++new_folders;
      for (size_t end = folder.find(L'\\'); end != std::wstring::npos;
           end = folder.find(L'\\', end + 1)) {
        folders_made.insert(folder.substr(0, end + 1));
      }
    }

    bool found = false;
    std::vector<uint8_t> content = ReadWholeFile(Saved(relative), &found);
    ASSERT_TRUE(found) << row.folder << row.name;
    auto known = by_tree_path.find(relative);
    ASSERT_NE(known, by_tree_path.end()) << row.folder << row.name;
    const ManifestEntry& e = *known->second;
    EXPECT_EQ(content.size(), e.size) << e.path;
    if (e.clusters_free && !e.overwritten && !e.fragmented) {
      EXPECT_EQ(Hex(Sha256(std::string(content.begin(), content.end()))), sha256.at(e.path))
          << e.path;
      ++compared;
    }
  }
  std::set<std::wstring> saved;
  ListFiles(Wide(destination_, CP_ACP), L"", &saved);
  EXPECT_EQ(saved, expected_files);
  EXPECT_EQ(GetFileAttributesW(Saved(L"Nowhere").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(progress.a, expected_files.size());
  EXPECT_EQ(progress.b, new_folders);
  EXPECT_GT(compared, 0u);
  EXPECT_GT(two_in_one_folder, 0u);  // DOCS holds two of the ticked rows
}

TEST_P(ListSaveDll, EmptyListSavesNothingAndFinishes) {
  ASSERT_TRUE(ScanFat(GetParam()));
  uint32_t list = FillHitList({});
  ASSERT_EQ(SCAVREL(SaveDeleteFile1)((destination_ + "\\").c_str(), list, 8, 0, 1, 9, 3), 1);
  Progress progress = WaitForSave();
  EXPECT_EQ(progress.finished, 1);
  EXPECT_EQ(progress.a, 0u);
  EXPECT_EQ(progress.b, 0u);
  std::set<std::wstring> saved;
  ListFiles(Wide(destination_, CP_ACP), L"", &saved);
  EXPECT_TRUE(saved.empty());
}

INSTANTIATE_TEST_SUITE_P(Volumes, ListSaveDll, ::testing::Values("fat12", "fat16", "fat32"));

// This program and Scavrel.dll copied into a folder of their own, without Quorrin.dll; the
// copy, started with kChildSwitch, runs a list save there (RunWithoutQuorrin below).
TEST(ListSaveDllWithoutQuorrin, SaveEndsFinishedWithNothingSaved) {
  wchar_t self[MAX_PATH + 1] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring self_path = self;
  std::wstring self_folder = self_path.substr(0, self_path.rfind(L'\\'));
  std::wstring folder = Wide(TempFolder("noquorrin"), CP_ACP);
  RemoveTree(folder);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  std::wstring copy = folder + L"\\list_save_child.exe";
  ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((self_folder + L"\\Scavrel.dll").c_str(),
                        (folder + L"\\Scavrel.dll").c_str(), FALSE));

  std::wstring command = L"\"" + copy + L"\" " + Wide(kChildSwitch, CP_ACP);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder.c_str(), &startup, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  RemoveTree(folder);
  // 0: finished with nothing saved; 2: Quorrin.dll was found after all (no test); others: see
  // RunWithoutQuorrin.
  EXPECT_EQ(code, 0u);
}

// The copy's work: 0 when the save ended finished, with no file and no folder made.
int RunWithoutQuorrin() {
  if (HMODULE found = LoadLibraryA("Quorrin.dll")) {
    FreeLibrary(found);
    return 2;
  }
  g_scavrel = LoadLibraryA("Scavrel.dll");
  if (g_scavrel == nullptr) return 3;
  if (!ScanFat("fat12")) return 4;
  std::string destination = TempFolder("noquorrin-out");
  CreateDirectoryA(destination.c_str(), nullptr);
  // A handle the library would have made; without the library nothing reads it.
  if (SCAVREL(SaveDeleteFile1)((destination + "\\").c_str(), 1, 8, 0, 1, 9, 3) == 0) return 5;
  Progress progress = WaitForSave();
  std::set<std::wstring> saved;
  ListFiles(Wide(destination, CP_ACP), L"", &saved);
  RemoveTree(Wide(destination, CP_ACP));
  if (!progress.finished) return 6;
  if (!saved.empty() || progress.a != 0 || progress.b != 0) return 7;
  return 0;
}

}  // namespace
}  // namespace scavrel::fat::testing

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == scavrel::fat::testing::kChildSwitch) {
    return scavrel::fat::testing::RunWithoutQuorrin();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
