// The whole road as a person takes it, in this process with the program's windows: the start
// window lists the demo drives (F: FAT32, N: NTFS, images mapped as drives of a Wine prefix of
// this test's own), a drive row is clicked, quick scan pressed and confirmed; the results
// window shows the deleted folders, the whole tree is ticked and saved into a folder on C:;
// the saved files must hold the builder's bytes (SHA-256 of its manifest) in their folders;
// Back returns to the start window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "engine/scavrel_api.h"
#include "forms/FolderBrowser.h"
#include "frontend/LangFile.h"
#include "frontend/SharedState.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/scavrel_dll.h"
#include "tests/frontend/ResultsRobot.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/SavedManifest.h"
#include "tests/support/WindowRobot.h"

#ifndef TOLVANE_DEMO_VOLUMES
#error "TOLVANE_DEMO_VOLUMES names the folder of the demo volumes"
#endif

namespace vardeck {
namespace {

using namespace results_robot;
using tolvane_test::BoxAnswers;
using tolvane_test::ClickButton;
using tolvane_test::ClickClient;
using tolvane_test::Pump;
using tolvane_test::WaitUntil;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The engine's name of an entry against the builder's: the same but for letter case, or, where
// the engine fell back to the short name of a deleted entry, "x" for its first letter.
bool SameEntryName(const std::string& engine, const std::string& builder) {
  std::string a = Lower(engine), b = Lower(builder);
  if (a == b) return true;
  return a.size() == b.size() && !a.empty() && a[0] == 'x' && a.substr(1) == b.substr(1);
}

bool SamePath(const std::string& engine, const std::string& builder) {
  size_t i = 0, j = 0;
  while (true) {
    size_t ei = engine.find('/', i), bj = builder.find('/', j);
    if (!SameEntryName(engine.substr(i, ei - i), builder.substr(j, bj - j))) return false;
    if (ei == std::string::npos || bj == std::string::npos) return ei == bj;
    i = ei + 1;
    j = bj + 1;
  }
}

// Every file below a folder, as paths with "/" relative to it.
void SavedFiles(const std::wstring& folder, const std::string& prefix, std::vector<std::string>& out) {
  WIN32_FIND_DATAW found{};
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    char utf8[MAX_PATH * 4] = {};
    WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, utf8, sizeof(utf8), nullptr, nullptr);
    std::string path = prefix.empty() ? std::string(utf8) : prefix + "/" + utf8;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      SavedFiles(folder + L"\\" + name, path, out);
    } else {
      out.push_back(path);
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
}

class FromStartWindow : public tolvane_test::ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    if (IsSkipped()) return;
    destination_ = scavrel_dll::TempPath("tolvane-road-");
    CreateDirectoryA(destination_.c_str(), nullptr);
    forms::SetFolderBrowser([this](const forms::TFolderBrowseRequest&, std::wstring& folder) {
      folder = scavrel_dll::Wide(destination_, CP_ACP);
      return true;
    });
    FrmRun->Show();
    ASSERT_TRUE(WaitUntil([] { return FrmRun->skListDisk->Items().Count() > 0; }, 20000))
        << "the start window listed no drive";
  }
  void TearDown() override {
    ProgramWindowTest::TearDown();
    if (!destination_.empty()) scavrel_dll::RemoveTree(scavrel_dll::Wide(destination_, CP_ACP));
  }

  // Clicks the drive's row, then quick scan, confirms, and waits for the announced end.
  void QuickScan(const std::string& drive) {
    forms::TListItem* row = nullptr;
    for (int i = 0; i < FrmRun->skListDisk->Items().Count(); ++i) {
      if (FrmRun->skListDisk->Items()[i]->Caption() == drive) row = FrmRun->skListDisk->Items()[i];
    }
    ASSERT_NE(row, nullptr) << "no row for " << drive;
    RECT r = row->DisplayRect(forms::TDisplayCode::drBounds);
    ClickClient(FrmRun->skListDisk->Handle(), r.left + 60, (r.top + r.bottom) / 2);
    Pump();
    ASSERT_TRUE(row->Selected());
    answers_.texts.clear();
    answers_.button = 1;
    ClickButton(FrmRun->sBStart);
    ASSERT_TRUE(WaitUntil([&] { return ScanState == kRunIdle && answers_.Saw(LangKey::ScanFinished); },
                          120000))
        << "the scan did not end with the scanfinished message";
    EXPECT_TRUE(answers_.Saw(LangKey::QuickScanInfo));
    EXPECT_TRUE(IsWindowVisible(FrmFindFile->Handle()));
    EXPECT_FALSE(IsWindowVisible(FrmRun->Handle()));
    EXPECT_EQ(ScanDriveCaption, drive);
  }

  void TickAllAndSave() {
    forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
    ASSERT_NE(root, nullptr);
    POINT at{};
    ASSERT_TRUE(TreeStatePoint(FrmFindFile->TreeView1, root, at));
    ClickClient(FrmFindFile->TreeView1->Handle(), at.x, at.y);
    Pump();
    ASSERT_EQ(root->StateIndex(), scavrel::kChecked);
    answers_.texts.clear();
    ClickButton(FrmFindFile->skBRecovery);
    ASSERT_TRUE(WaitUntil([&] { return SaveState == kRunIdle && answers_.Saw(LangKey::SaveFinished); },
                          120000))
        << "the save did not end with the savefinished message";
    EXPECT_FALSE(answers_.Saw(LangKey::CurrentDriver));
  }

  void Back() {
    answers_.texts.clear();
    answers_.button = 1;
    ClickButton(FrmFindFile->skBBack);
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FrmRun->Handle()) != 0; }, 10000));
    EXPECT_TRUE(answers_.Saw(LangKey::Back));
    EXPECT_FALSE(IsWindowVisible(FrmFindFile->Handle()));
    EXPECT_EQ(FrmFindFile->TreeView1->Items().GetFirstNode(), nullptr);
    EXPECT_EQ(FolderListCount, 0u);
  }

  BoxAnswers answers_;
  std::string destination_;
};

TEST_F(FromStartWindow, QuickScanOfTheFat32DriveSavesItsDeletedFilesByteForByte) {
  QuickScan("F:\\");
  const std::string base = std::string(TOLVANE_DEMO_VOLUMES) + "/demo_fat32";
  auto manifest = scavrel::fat::testing::ReadManifest(base + ".tsv");
  auto sha = manifest_sha256::Read(base + ".json");
  ASSERT_FALSE(manifest.empty());
  scavrel::fat::testing::Expectation expect(manifest, false);
  std::set<std::string> shown = TreeTexts();
  size_t deleted_folders = 0;
  for (auto& [path, e] : manifest) {
    if (!e.dir || e.state == "live" || expect.TreePath(e).empty()) continue;
    ++deleted_folders;
    bool listed = false;
    for (const std::string& text : shown) listed = listed || SameEntryName(text, expect.Shown(e));
    EXPECT_TRUE(listed) << "no tree item for the deleted folder " << path;
  }
  EXPECT_GT(deleted_folders, 0u);

  TickAllAndSave();
  std::vector<std::string> saved;
  SavedFiles(scavrel_dll::Wide(destination_, CP_ACP), "", saved);
  size_t compared = 0;
  for (auto& [path, e] : manifest) {
    if (!expect.MustFind(e)) continue;
    std::string at;
    for (const std::string& s : saved) {
      if (SamePath(s, expect.TreePath(e))) at = s;
    }
    ASSERT_FALSE(at.empty()) << path << " not saved in its folders (" << expect.TreePath(e) << ")";
    bool exists = false;
    std::wstring where = scavrel_dll::Wide(destination_, CP_ACP) + L"\\" + scavrel_dll::Wide(at);
    for (wchar_t& c : where) c = c == L'/' ? L'\\' : c;
    std::vector<uint8_t> content = scavrel_dll::ReadWholeFile(where, &exists);
    ASSERT_TRUE(exists) << at;
    if (e.clusters_free && !e.overwritten && !e.fragmented) {
      EXPECT_EQ(manifest_sha256::Hex(content), sha.at(e.path)) << path;
      ++compared;
    }
  }
  EXPECT_GT(compared, 0u);
  Back();
}

TEST_F(FromStartWindow, QuickScanOfTheNtfsDriveSavesItsDeletedFilesByteForByte) {
  if (GetFileAttributesA(scavrel_dll::ZPath(TOLVANE_DEMO_VOLUMES, "NTFS_SKIPPED").c_str()) !=
      INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "the NTFS demo volume was not built";
  }
  QuickScan("N:\\");
  EXPECT_GT(FrmFindFile->TreeView1->Items().GetFirstNode()->Count(), 0);
  TickAllAndSave();

  tolvane_test::ExpectNtfsSavedByteForByte(std::string(TOLVANE_DEMO_VOLUMES) + "/demo_ntfs.img",
                                           destination_);
  Back();
}

}  // namespace
}  // namespace vardeck
