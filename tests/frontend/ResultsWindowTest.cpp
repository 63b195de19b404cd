// Robot tests of the results window under Wine and Xvfb, with the program's windows created in
// this process as Vardeck.exe creates them: scans of volumes that tools/ built, started
// through the window's own entry point; the tree and lists clicked, ticked and sorted with real
// mouse input; saves into a folder on another drive compared with the builders' manifests
// (SHA-256); the warning for a folder on the scanned volume; Back. Pictures of the window in
// folder mode and find mode go to tests/artifacts/.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/disk_bytes.h"
#include "engine/found_tree.h"
#include "engine/scavrel_api.h"
#include "forms/FolderBrowser.h"
#include "forms/Forms.h"
#include "frontend/LangFile.h"
#include "frontend/ResultRows.h"
#include "frontend/SharedState.h"
#include "frontend/win/ResultsEngine.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "quorrin/quorrin_api.h"
#include "skin/SkinKeys.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/scavrel_dll.h"
#include "tests/frontend/ResultsRobot.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/SavedManifest.h"
#include "tests/support/ViewBars.h"
#include "tests/support/WindowRobot.h"

#ifndef TOLVANE_RESULTS_NTFS
#define TOLVANE_RESULTS_NTFS 0
#endif
#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the FAT volume builder writes to"
#endif
#ifndef TOLVANE_NTFS_VOLUMES
#error "TOLVANE_NTFS_VOLUMES names the folder the NTFS volume builder writes to"
#endif

namespace vardeck {
namespace {

using namespace results_robot;
using tolvane_test::BoxAnswers;
using tolvane_test::ClickButton;
using tolvane_test::ClickClient;
using tolvane_test::Pump;
using tolvane_test::RightClickAndChoose;
using tolvane_test::Shoot;
using tolvane_test::WaitUntil;

[[maybe_unused]] std::string FatImage(const std::string& name) {
  return scavrel_dll::ZPath(TOLVANE_FATVOL_DIR, name + ".img");
}

// Whether row `row` of the folder list is a folder (its picture).
[[maybe_unused]] bool CellIsFolder(int row) {
  return FrmFindFile->ListView1->Items()[row]->ImageIndex() == kFolderImage;
}

class ResultsWindow : public tolvane_test::ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    if (IsSkipped()) return;
    destination_ = scavrel_dll::TempPath("tolvane-results-");
    CreateDirectoryA(destination_.c_str(), nullptr);
    forms::SetFolderBrowser([this](const forms::TFolderBrowseRequest& request,
                                   std::wstring& folder) {
      ++browsed_;
      if (chosen_.empty()) return false;
      folder = scavrel_dll::Wide(chosen_, CP_ACP);
      return true;
    });
    chosen_ = destination_;
  }
  void TearDown() override {
    ProgramWindowTest::TearDown();
    if (!destination_.empty()) scavrel_dll::RemoveTree(scavrel_dll::Wide(destination_, CP_ACP));
    if (FrmFindFile && FrmFindFile->HandleAllocated() && IsWindowVisible(FrmFindFile->Handle())) {
      GoBack();
    }
  }

  // Starts a scan as the start window hands it over, then waits for the announced end.
  void Scan(const std::string& caption, const std::string& device, bool ntfs, bool full,
            bool find) {
    FindMode = find ? 1 : 0;
    NtfsChosen = ntfs ? 1 : 0;
    SetNtfs(NtfsChosen);
    FullScan = full ? 1 : 0;
    ScanDriveCaption = caption;
    ScanDevicePath = device;
    ScanState = kRunRunning;
    StopRequested = 0;
    answers_.texts.clear();
    answers_.button = 1;
    FrmFindFile->BeginScanResults();
    ASSERT_TRUE(WaitUntil([&] { return ScanState == kRunIdle && answers_.Saw(LangKey::ScanFinished); },
                          120000))
        << "the scan did not end with the scanfinished message";
    Pump();
  }

  void TickRootInTree() {
    forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
    ASSERT_NE(root, nullptr);
    POINT at{};
    ASSERT_TRUE(TreeStatePoint(FrmFindFile->TreeView1, root, at));
    ClickClient(FrmFindFile->TreeView1->Handle(), at.x, at.y);
    Pump();
    EXPECT_EQ(root->StateIndex(), scavrel::kChecked);
    EXPECT_EQ(static_cast<FoundNode*>(root->Data())->check_state, scavrel::kChecked);
  }

  void SaveWithRecover() {
    answers_.texts.clear();
    ClickButton(FrmFindFile->skBRecovery);
    ASSERT_TRUE(WaitUntil([&] { return SaveState == kRunIdle && answers_.Saw(LangKey::SaveFinished); },
                          120000))
        << "the save did not end with the savefinished message";
  }

  void GoBack() {
    answers_.button = 1;
    ClickButton(FrmFindFile->skBBack);
    WaitUntil([] { return !IsWindowVisible(FrmFindFile->Handle()); }, 10000);
    Pump();
  }

  void ExpectFatSaved(const std::string& volume) {
    auto manifest = scavrel::fat::testing::ReadManifest(std::string(TOLVANE_FATVOL_DIR) + "/" +
                                                        volume + ".tsv");
    auto sha = manifest_sha256::Read(std::string(TOLVANE_FATVOL_DIR) + "/" + volume + ".json");
    ASSERT_FALSE(manifest.empty());
    scavrel::fat::testing::Expectation expect(manifest, false);
    size_t compared = 0;
    for (auto& [path, e] : manifest) {
      if (!expect.MustFind(e)) continue;
      std::wstring where = scavrel_dll::Wide(destination_, CP_ACP) + L"\\" +
                           scavrel_dll::Wide(expect.TreePath(e));
      for (wchar_t& c : where) c = c == L'/' ? L'\\' : c;
      bool exists = false;
      std::vector<uint8_t> content = scavrel_dll::ReadWholeFile(where, &exists);
      ASSERT_TRUE(exists) << path << " not saved at " << expect.TreePath(e);
      if (e.clusters_free && !e.overwritten && !e.fragmented) {
        EXPECT_EQ(manifest_sha256::Hex(content), sha.at(e.path)) << path;
        ++compared;
      }
    }
    EXPECT_GT(compared, 0u);
  }

  BoxAnswers answers_;
  std::string destination_;
  std::string chosen_;
  int browsed_ = 0;
};

#if !TOLVANE_RESULTS_NTFS
TEST_F(ResultsWindow, QuickFat32ScanShowsDeletedFoldersAndTickedTreeSavesByteForByte) {
  Scan("Z:\\", FatImage("fat32"), false, false, false);
  EXPECT_TRUE(FrmFindFile->Panel1->Visible());
  EXPECT_FALSE(FrmFindFile->Panel2->Visible());

  // Every deleted folder the scan can reach is a tree item.
  auto manifest =
      scavrel::fat::testing::ReadManifest(std::string(TOLVANE_FATVOL_DIR) + "/fat32.tsv");
  scavrel::fat::testing::Expectation expect(manifest, false);
  std::set<std::string> shown = TreeTexts();
  size_t folders = 0;
  for (auto& [path, e] : manifest) {
    if (!e.dir || e.state == "live" || expect.TreePath(e).empty()) continue;
    ++folders;
    EXPECT_TRUE(shown.count(expect.Shown(e))) << "no tree item for " << path;
  }
  EXPECT_GT(folders, 0u);
  EXPECT_GT(FolderListCount, 0u);

  TickRootInTree();
  EXPECT_EQ(FrmFindFile->ListView1->HeadColumns[0].StateIndex, scavrel::kChecked);
  Shoot(FrmFindFile->Handle(), "results_folder_mode.png");
  SaveWithRecover();
  EXPECT_EQ(browsed_, 1);
  ExpectFatSaved("fat32");

  GoBack();
  EXPECT_EQ(FolderListCount, 0u);
  EXPECT_EQ(HitListCount, 0u);
  EXPECT_EQ(FrmFindFile->TreeView1->Items().Count(), 0);
  EXPECT_EQ(SendMessageA(FrmFindFile->ListView1->Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(FrmRun->Handle()));
}

TEST_F(ResultsWindow, FolderOnTheScannedVolumeIsWrittenOnlyThroughTheWarningsSecondButton) {
  // The scanned drive is named C:, where the destination lies too.
  Scan("C:\\", FatImage("fat16"), false, false, false);
  TickRootInTree();
  auto entries = [&] {
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA((destination_ + "\\*").c_str(), &found);
    int count = 0;
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") ++count;
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    return count;
  };
  // OK (the focused button, which Enter presses), Esc and the close box all keep the save off
  // the drive being recovered.
  struct Answer {
    const char* what;
    int button;
    WORD key;
    bool close_box;
  };
  answers_.shoot_text = Lang().Text(LangKey::CurrentDriver);
  answers_.shoot_file = "results_current_drive_warning.png";
  for (const Answer& answer : {Answer{"Enter", 1, VK_RETURN, false},
                               Answer{"Esc", 1, VK_ESCAPE, false},
                               Answer{"the close box", 1, 0, true},
                               Answer{"OK", 1, 0, false}}) {
    answers_.texts.clear();
    answers_.button = answer.button;
    answers_.key = answer.key;
    answers_.close_box = answer.close_box;
    ClickButton(FrmFindFile->skBRecovery);
    ASSERT_TRUE(WaitUntil([&] {
      return answers_.Saw(LangKey::CurrentDriver) && !tolvane_test::Showing(FrmAttention);
    }, 10000)) << answer.what;
    Pump(200);
    EXPECT_EQ(SaveState, kRunIdle) << answer.what;
    EXPECT_EQ(answers_.texts.size(), 1u) << answer.what << " went on past the warning";
    EXPECT_EQ(entries(), 0) << answer.what << " wrote onto the scanned volume";
  }

  answers_.texts.clear();
  answers_.key = 0;
  answers_.close_box = false;
  answers_.button = 2;  // the second button: save here all the same
  ClickButton(FrmFindFile->skBRecovery);
  ASSERT_TRUE(WaitUntil([&] {
    return answers_.Saw(LangKey::CurrentDriver) && SaveState == kRunIdle &&
           answers_.Saw(LangKey::SaveFinished);
  }, 60000));
  ExpectFatSaved("fat16");
}

TEST_F(ResultsWindow, SaveToAFolderThatTakesNoFileBlamesTheDestinationAndPointsNowhere) {
  Scan("Z:\\", FatImage("fat16"), false, false, false);
  TickRootInTree();
  // The chosen folder lies below a file: no folder or file can be made there.
  const std::string blocker = destination_ + "\\blocker";
  { HANDLE f = CreateFileA(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f); }
  chosen_ = blocker + "\\dest";
  // Nothing saved whole; the count of the others is the tree's.
  std::string head = FillInValues(Lang().Text(LangKey::SaveShort), {"0"});
  head = head.substr(0, head.find("%2"));
  answers_.texts.clear();
  answers_.shoot_text = head;
  answers_.shoot_file = "results_save_refused.png";
  ClickButton(FrmFindFile->skBRecovery);
  ASSERT_TRUE(WaitUntil([&] {
    return SaveState == kRunIdle && !answers_.texts.empty() &&
           answers_.texts.back().rfind(head, 0) == 0;
  }, 60000)) << (answers_.texts.empty() ? "no message" : answers_.texts.back());
  const std::string said = answers_.texts.back();
  EXPECT_NE(said.find(Lang().Text(LangKey::SaveDestinationFailed)), std::string::npos) << said;
  EXPECT_EQ(said.find(Lang().Text(LangKey::SaveSourceFailed)), std::string::npos) << said;
  EXPECT_EQ(said.find(Lang().Text(LangKey::SaveWritten)), std::string::npos)
      << "the message sends the user to a folder that holds nothing";
  tolvane_test::Shoot(FrmFindFile->Handle(), "results_after_refused_save.png");
}

TEST_F(ResultsWindow, FullScanOfAReformattedVolumeShowsALostDirFolder) {
  Scan("Z:\\", FatImage("fat32_reformat"), false, true, false);
  bool lost = false;
  for (const std::string& text : TreeTexts()) {
    if (text.size() > 3 && text.compare(0, 3, "Dir") == 0 &&
        text.find_first_not_of("0123456789", 3) == std::string::npos) {
      lost = true;
    }
  }
  EXPECT_TRUE(lost) << "no \"Dir\" + cluster folder in the tree";
  EXPECT_TRUE(TreeTexts().count("$Unknow Folder"));
}

TEST_F(ResultsWindow, FindModeListsHitsAndSavesTheTickedRowsThroughTheList) {
  Scan("Z:\\", FatImage("fat32"), false, false, true);
  EXPECT_TRUE(FrmFindFile->Panel2->Visible());
  EXPECT_FALSE(FrmFindFile->Panel1->Visible());
  ASSERT_GT(HitListCount, 1u);

  // One row's check box, then the header's: every row checked, in the engine too.
  skin::TQzListView* list = FrmFindFile->ListView2;
  RECT state = FrmFindFile->RowStateRect(list, 0);
  ASSERT_LT(state.left, state.right);
  ClickClient(list->Handle(), (state.left + state.right) / 2, (state.top + state.bottom) / 2);
  Pump();
  EXPECT_EQ(list->HeadColumns[0].StateIndex, scavrel::kMixed);
  // A click on a sub-item of the row is no check-box click.
  RECT cell{};
  cell.top = 2;
  cell.left = LVIR_BOUNDS;
  SendMessageA(list->Handle(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
  ClickClient(list->Handle(), cell.left + 10, (cell.top + cell.bottom) / 2);
  Pump();
  EXPECT_EQ(list->HeadColumns[0].StateIndex, scavrel::kMixed);

  HWND header = list->HeaderHandle();
  RECT hit = list->StateHitRect(0);
  ClickClient(header, (hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2);
  Pump();
  EXPECT_EQ(list->HeadColumns[0].StateIndex, scavrel::kChecked);
  FoundNode* root = nullptr;
  GetTreeFirst(&root);
  EXPECT_EQ(root->check_state, scavrel::kChecked) << "the header tick left the engine's nodes";
  Shoot(FrmFindFile->Handle(), "results_find_mode.png");
  SaveWithRecover();
  ExpectFatSaved("fat32");
}


TEST_F(ResultsWindow, FindModePopupRecoverSavesTheRowsFileWhateverItsTick) {
  Scan("Z:\\", FatImage("fat32"), false, false, true);
  ASSERT_GT(HitListCount, 0u);
  skin::TQzListView* list = FrmFindFile->ListView2;
  const std::string name = RowText(list, 0, 1);
  ASSERT_FALSE(name.empty());
  RECT cell{};
  cell.top = 1;
  cell.left = LVIR_BOUNDS;
  SendMessageA(list->Handle(), LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
  answers_.texts.clear();
  // Recover is the first item.
  RightClickAndChoose(list->Handle(), POINT{cell.left + 10, (cell.top + cell.bottom) / 2},
                      {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return SaveState == kRunIdle && answers_.Saw(LangKey::SaveFinished); },
                        60000));
  EXPECT_EQ(browsed_, 1);
  EXPECT_NE(GetFileAttributesA((destination_ + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES)
      << name << " not saved";
}

TEST_F(ResultsWindow, FolderRowCheckBoxesHeaderTickAndDoubleClickOnAFolderRow) {
  Scan("Z:\\", FatImage("fat32"), false, false, false);
  skin::TQzListView* list = FrmFindFile->ListView1;
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  ASSERT_GT(FolderListCount, 1u);
  const int last = static_cast<int>(FolderListCount) - 1;  // a file: files follow folders

  // The row's check picture ticks the file; its folders turn mixed.
  RECT state = FrmFindFile->RowStateRect(list, last);
  ASSERT_LT(state.left, state.right);
  ClickClient(list->Handle(), (state.left + state.right) / 2, (state.top + state.bottom) / 2);
  Pump();
  EXPECT_EQ(list->Items()[last]->StateIndex(), scavrel::kChecked);
  EXPECT_EQ(static_cast<FoundNode*>(list->Items()[last]->Data())->check_state, scavrel::kChecked);
  EXPECT_EQ(root->StateIndex(), scavrel::kMixed);
  EXPECT_EQ(list->HeadColumns[0].StateIndex, scavrel::kMixed);

  // A click on the row's Size cell is no tick.
  RECT cell{};
  cell.top = 1;
  cell.left = LVIR_BOUNDS;
  SendMessageA(list->Handle(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(last),
               reinterpret_cast<LPARAM>(&cell));
  ClickClient(list->Handle(), cell.left + 10, (cell.top + cell.bottom) / 2);
  Pump();
  EXPECT_EQ(list->Items()[last]->StateIndex(), scavrel::kChecked);

  // The header's box toggles the whole folder: every row follows the engine.
  RECT hit = list->StateHitRect(0);
  Pump(static_cast<int>(GetDoubleClickTime()) + 100);  // no double click with the click before
  ClickClient(list->HeaderHandle(), (hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2);
  Pump();
  const uint8_t folder_state = static_cast<FoundNode*>(root->Data())->check_state;
  EXPECT_EQ(list->HeadColumns[0].StateIndex, folder_state);
  EXPECT_EQ(root->StateIndex(), folder_state);
  for (int row = 0; row <= last; ++row) {
    EXPECT_EQ(list->Items()[row]->StateIndex(),
              static_cast<FoundNode*>(list->Items()[row]->Data())->check_state)
        << "row " << row;
  }

  // A double click on the first row, a folder, opens it in the tree and the list.
  ASSERT_EQ(CellIsFolder(0), true);
  FoundNode* folder = static_cast<FoundNode*>(list->Items()[0]->Data());
  RECT first{};
  first.left = LVIR_LABEL;
  SendMessageA(list->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  Pump(static_cast<int>(GetDoubleClickTime()) + 100);  // no double click with the click before
  tolvane_test::DoubleClickClient(list->Handle(), first.left + 10, (first.top + first.bottom) / 2);
  Pump();
  ASSERT_NE(FrmFindFile->CurrentFolderItem, nullptr);
  EXPECT_EQ(FrmFindFile->CurrentFolderItem->Data(), folder);
  EXPECT_EQ(FrmFindFile->TreeView1->Selected(), FrmFindFile->CurrentFolderItem);
}

TEST_F(ResultsWindow, PopupCheckOnATreeFolderShowsThatFolderChecked) {
  Scan("Z:\\", FatImage("fat32"), false, false, false);
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  root->Expand(false);
  Pump();
  forms::TTreeNode* folder = root->GetFirstChild();
  ASSERT_NE(folder, nullptr);
  RECT text = folder->DisplayRect(true);
  // Recover, (separator), Check: two steps down, then Enter.
  std::unique_ptr<forms::TBitmap> popup;
  RightClickAndChoose(FrmFindFile->TreeView1->Handle(),
                      POINT{(text.left + text.right) / 2, (text.top + text.bottom) / 2},
                      {VK_DOWN, VK_DOWN, VK_RETURN},
                      [&popup](HWND menu) { popup = tolvane_test::Grab(menu); });
  // The menu wears the flat frame in the program's skin: black outside, white inside it, and
  // the skin's form colour along its bottom, right and top edges.
  ASSERT_NE(popup, nullptr) << "the popup menu did not come up";
  tolvane_test::SavePicture(*popup, "results_popup.png");
  skin::TSkinUIStyle effective{};
  ASSERT_TRUE(FrmFindFile->skPopupMenu1->Resolve(effective)) << "the popup is not in the skin";
  const forms::TColor line =
      FrmFindFile->skPopupMenu1->FileTheme()->GetColor(skin::Skin2Color::FormColor);
  const int w = popup->Width(), h = popup->Height();
  ASSERT_GT(w, 20);
  ASSERT_GT(h, 20);
  EXPECT_EQ(popup->GetPixel(0, h / 2), forms::clBlack);
  EXPECT_EQ(popup->GetPixel(1, h / 2), forms::clWhite);
  EXPECT_EQ(popup->GetPixel(w / 2, 2), forms::clWhite);
  EXPECT_EQ(popup->GetPixel(w / 2, h - 1), line);
  EXPECT_EQ(popup->GetPixel(w - 1, h / 2), line);
  EXPECT_EQ(popup->GetPixel(w / 2, 0), line);
  EXPECT_EQ(FrmFindFile->CurrentFolderItem, folder);
  EXPECT_EQ(FrmFindFile->TreeView1->Selected(), folder);
  EXPECT_EQ(folder->StateIndex(), scavrel::kChecked);
  EXPECT_EQ(FrmFindFile->ListView1->HeadColumns[0].StateIndex, scavrel::kChecked);
  EXPECT_EQ(root->StateIndex(), scavrel::kMixed);
  ASSERT_GT(FolderListCount, 0u);
  EXPECT_EQ(FrmFindFile->ListView1->Items()[0]->StateIndex(), scavrel::kChecked);
}

TEST_F(ResultsWindow, BackIsRefusedWhileASaveRuns) {
  Scan("Z:\\", FatImage("fat12"), false, false, false);
  SaveState = kRunRunning;  // as the save command sets it until its watch thread ends
  answers_.texts.clear();
  ClickButton(FrmFindFile->skBBack);
  Pump(400);  // a question would have come by now
  EXPECT_TRUE(answers_.texts.empty()) << "Back asked while a save runs";
  EXPECT_TRUE(IsWindowVisible(FrmFindFile->Handle()));
  EXPECT_GT(FrmFindFile->TreeView1->Items().Count(), 0);
  SaveState = kRunIdle;
}

// A chain of folders far deeper than any stack, as a damaged volume can hold: the tree is built,
// its check pictures refreshed from the bottom and cleared again without the GUI thread's
// stack running out.
TEST_F(ResultsWindow, FolderChainFiftyThousandDeepIsShownRefreshedAndCleared) {
  Scan("Z:\\", FatImage("fat12"), false, false, false);
  constexpr int kDepth = 50000;
  scavrel::FoundTree tree;
  FoundNode* root = tree.NewNode();
  root->valid = root->directory = 1;
  tree.AttachNode(root, nullptr);
  FoundNode* folder = root;
  for (int i = 0; i < kDepth; ++i) {
    FoundNode* next = tree.NewNode();
    next->valid = next->directory = 1;
    tree.AttachNode(next, folder);
    folder = next;
  }
  FoundNode* file = tree.NewNode();
  file->valid = file->deleted = 1;
  tree.AttachNode(file, folder);
  ASSERT_TRUE(FrmFindFile->BuildFolderTree(root));
  forms::TTreeNode* item = FrmFindFile->TreeView1->Items().GetFirstNode();
  int depth = 0;
  while (item->Count() > 0) {
    item = item->Item(0);
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  ClickNtfsNode(root, 3);  // the engine's states of the hand-made chain
  RefreshNodeStates(item);
  EXPECT_EQ(FrmFindFile->TreeView1->Items().GetFirstNode()->StateIndex(), scavrel::kChecked);
  ClearFolderItems(FrmFindFile->TreeView1->Items());
  EXPECT_EQ(FrmFindFile->TreeView1->Items().GetFirstNode(), nullptr);
}

// A folder built by hand with a 3 GiB and a 2 KiB deleted file (FAT records: the engine reads
// their names and sizes as a FAT scan made them), shown in the folder list and sorted by the
// header's Size column.
TEST_F(ResultsWindow, SizeColumnSortsThreeGibibytesAfterTwoKibibytes) {
  Scan("Z:\\", FatImage("fat12"), false, false, false);
  scavrel::FoundTree tree;
  FoundNode* folder = tree.NewNode();
  folder->valid = folder->directory = 1;
  tree.AttachNode(folder, nullptr);
  auto file = [&](const char16_t* name, uint32_t size, uint32_t cluster) {
    FoundNode* node = tree.NewNode();
    node->valid = node->deleted = 1;
    scavrel::FatEntryRecord* record = scavrel::NewFatRecord();
    scavrel::SetWideName(&record->long_name, name, std::char_traits<char16_t>::length(name));
    scavrel::WriteLe32(record->dir_entry + 28, size);
    scavrel::WriteLe16(record->dir_entry + 26, static_cast<uint16_t>(cluster));
    node->record = scavrel::AsEntryRecord(record);
    tree.AttachNode(node, folder);
  };
  file(u"big.iso", 3u << 30, 10);
  file(u"small.txt", 2048, 9);
  FrmFindFile->FillListview(folder);
  skin::TQzListView* list = FrmFindFile->ListView1;
  ASSERT_EQ(FolderListCount, 2u);
  ClickHeaderColumn(list, 1);
  EXPECT_EQ(RowText(list, 0, 0), "small.txt");
  EXPECT_EQ(RowText(list, 1, 0), "big.iso");
  EXPECT_EQ(RowText(list, 1, 1), "3.00 GB");
  EXPECT_EQ(list->HeadColumns[1].SortIndex, 1);
  ClickHeaderColumn(list, 1);
  EXPECT_EQ(RowText(list, 0, 0), "big.iso");
  EXPECT_EQ(list->HeadColumns[1].SortIndex, 2);
  // The rows go before the hand-made tree does.
  FrmFindFile->FillListview(nullptr);
}

// The views' skinned bars over a folder tree and a folder built by hand (FAT records, named
// as a FAT scan names them): forty folders with names wider than the tree, a folder of 151
// files. Each bar scrolls its view by line, page and drag, follows the keys in the view, and
// goes when everything fits.
using tolvane_test::CoversNativeBar;
using tolvane_test::MiddleOnScreen;
using tolvane_test::NativeBar;

// A point in a bar's track, `from_end` pixels before its far end: a press there pages.
POINT NearTrackEnd(skin::TQzScrollBar* bar, int from_end) {
  RECT r{};
  GetWindowRect(bar->Track()->Handle(), &r);
  return bar->Horizontal() ? POINT{r.right - from_end, (r.top + r.bottom) / 2}
                           : POINT{(r.left + r.right) / 2, r.bottom - from_end};
}

// Page, line and drag on a vertical bar whose view is at its top; `top` reads the view's top
// row, which the bar's position must follow. A held arrow steps five rows at each repeat; a
// view that repaints slowly may take more than one repeat before the robot lets go.
void ScrollByPageLineAndDrag(skin::TQzScrollBar* bar, const std::function<int()>& top,
                             const char* what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(top(), 0);
  tolvane_test::ClickAt(NearTrackEnd(bar, 3));
  EXPECT_TRUE(WaitUntil([&] { return top() > 0; }, 3000)) << "a click in the track paged nothing";
  EXPECT_EQ(bar->Position(), top());
  const int paged = top();
  EXPECT_TRUE(tolvane_test::HoldDownAt(MiddleOnScreen(bar->SecondButton()),
                                       [&] { return top() > paged; }))
      << "the held arrow scrolled nothing";
  EXPECT_TRUE((top() - paged) % 5 == 0 || top() == bar->Max()) << paged << " to " << top();
  EXPECT_EQ(bar->Position(), top());
  tolvane_test::DragWithTheMouse(MiddleOnScreen(bar->Track()->Thumb()), 0,
                                 bar->Track()->Height());
  EXPECT_TRUE(WaitUntil([&] { return top() == bar->Max(); }, 3000))
      << "the thumb dragged to the end left the view at " << top() << " of " << bar->Max();
  EXPECT_EQ(bar->Position(), top());
  EXPECT_TRUE(tolvane_test::HoldDownAt(MiddleOnScreen(bar->FirstButton()),
                                       [&] { return top() < bar->Max(); }));
  EXPECT_EQ(bar->Position(), top());
}

TEST_F(ResultsWindow, TreeAndFolderListWearSkinnedBarsThatScrollThemAndGoWhenAllFits) {
  Scan("Z:\\", FatImage("fat12"), false, false, false);
  scavrel::FoundTree tree;
  auto named = [&](FoundNode* parent, const std::u16string& name, bool folder, uint32_t size) {
    FoundNode* node = tree.NewNode();
    node->valid = 1;
    node->directory = folder ? 1 : 0;
    node->deleted = folder ? 0 : 1;
    scavrel::FatEntryRecord* record = scavrel::NewFatRecord();
    scavrel::SetWideName(&record->long_name, name.data(), name.size());
    scavrel::WriteLe32(record->dir_entry + 28, size);
    node->record = scavrel::AsEntryRecord(record);
    tree.AttachNode(node, parent);
    return node;
  };
  FoundNode* root = tree.NewNode();
  root->valid = root->directory = 1;
  tree.AttachNode(root, nullptr);
  FoundNode* big_folder = nullptr;
  FoundNode* small_folder = nullptr;
  for (int i = 0; i < 40; ++i) {
    std::string n = "folder with a name wider than the tree " + std::to_string(i);
    FoundNode* folder = named(root, std::u16string(n.begin(), n.end()), true, 0);
    named(folder, u"kept.txt", false, 100);
    (i == 0 ? big_folder : small_folder) = folder;
  }
  FoundNode* lone = named(nullptr, u"one", true, 0);
  named(lone, u"one.txt", false, 10);
  for (int i = 0; i < 150; ++i) {
    std::string n = "file" + std::to_string(i) + ".dat";
    named(big_folder, std::u16string(n.begin(), n.end()), false, 1024u * static_cast<uint32_t>(i));
  }

  skin::TQzTreeView* view = FrmFindFile->TreeView1;
  skin::TQzScrollBar* tree_v = FrmFindFile->QzScrollBar5;
  skin::TQzScrollBar* tree_h = FrmFindFile->QzScrollBar6;
  ASSERT_TRUE(FrmFindFile->BuildFolderTree(root));
  view->Items().GetFirstNode()->Expand(false);
  FrmFindFile->FillListview(big_folder);
  Pump();
  const HWND tree_wnd = view->Handle();
  auto tree_top = [tree_wnd] { return NativeBar(tree_wnd, SB_VERT).nPos; };
  ASSERT_TRUE(WaitUntil([&] { return tree_v->Visible() && tree_h->Visible(); }, 3000))
      << "forty wide folders and no skinned bars on the tree";
  EXPECT_TRUE(CoversNativeBar(tree_wnd, OBJID_VSCROLL, tree_v));
  EXPECT_TRUE(CoversNativeBar(tree_wnd, OBJID_HSCROLL, tree_h));

  skin::TQzListView* list = FrmFindFile->ListView1;
  skin::TQzScrollBar* list_v = FrmFindFile->QzScrollBar1;
  const HWND list_wnd = list->Handle();
  auto list_top = [list_wnd] {
    return static_cast<int>(SendMessageA(list_wnd, LVM_GETTOPINDEX, 0, 0));
  };
  ASSERT_TRUE(WaitUntil([&] { return list_v->Visible(); }, 3000)) << "151 rows, no skinned bar";
  EXPECT_TRUE(CoversNativeBar(list_wnd, OBJID_VSCROLL, list_v));
  const SCROLLINFO rows = NativeBar(list_wnd, SB_VERT);
  EXPECT_EQ(list_v->Max(), rows.nMax - static_cast<int>(rows.nPage) + 1);
  EXPECT_EQ(rows.nMax, 150) << "151 rows";
  Shoot(FrmFindFile->Handle(), "results_window_bars.png");

  ScrollByPageLineAndDrag(tree_v, tree_top, "tree");
  ScrollByPageLineAndDrag(list_v, list_top, "folder list");

  // The keys in each view move its thumb.
  view->SetFocus();
  tolvane_test::PressKey(tree_wnd, VK_HOME);
  EXPECT_EQ(tree_v->Position(), 0);
  tolvane_test::PressKey(tree_wnd, VK_NEXT);
  tolvane_test::PressKey(tree_wnd, VK_NEXT);
  EXPECT_GT(tree_top(), 0);
  EXPECT_EQ(tree_v->Position(), tree_top());
  list->SetFocus();
  tolvane_test::PressKey(list_wnd, VK_HOME);
  EXPECT_EQ(list_v->Position(), 0);
  tolvane_test::PressKey(list_wnd, VK_NEXT);
  tolvane_test::PressKey(list_wnd, VK_NEXT);
  EXPECT_GT(list_top(), 0);
  EXPECT_EQ(list_v->Position(), list_top());
  // The tree's horizontal thumb dragged to its end shows the names' ends.
  tolvane_test::DragWithTheMouse(MiddleOnScreen(tree_h->Track()->Thumb()),
                                 tree_h->Track()->Width(), 0);
  EXPECT_TRUE(WaitUntil([&] { return NativeBar(tree_wnd, SB_HORZ).nPos > 0; }, 3000));
  EXPECT_EQ(tree_h->Position(), NativeBar(tree_wnd, SB_HORZ).nPos);

  // A folder of one file and a tree of one folder fit: every bar goes.
  FrmFindFile->FillListview(small_folder);
  EXPECT_TRUE(WaitUntil([&] { return !list_v->Visible(); }, 3000));
  EXPECT_FALSE(list_v->Enabled());
  FrmFindFile->FillListview(nullptr);
  ASSERT_TRUE(FrmFindFile->BuildFolderTree(lone));
  EXPECT_TRUE(WaitUntil([&] { return !tree_v->Visible() && !tree_h->Visible(); }, 3000));
  ClearFolderItems(view->Items());
}

TEST_F(ResultsWindow, HitListWearsItsSkinnedBarWhileTheHitsDoNotFit) {
  Scan("Z:\\", FatImage("fat32"), false, false, true);
  skin::TQzListView* list = FrmFindFile->ListView2;
  skin::TQzScrollBar* bar = FrmFindFile->QzScrollBar3;
  const HWND wnd = list->Handle();
  auto top = [wnd] { return static_cast<int>(SendMessageA(wnd, LVM_GETTOPINDEX, 0, 0)); };
  ASSERT_GT(static_cast<int>(HitListCount), list->VisibleRowCount()) << "the hits all fit";
  ASSERT_TRUE(WaitUntil([&] { return bar->Visible(); }, 3000)) << "more hits than fit, no bar";
  EXPECT_TRUE(CoversNativeBar(wnd, OBJID_VSCROLL, bar));
  EXPECT_FALSE(FrmFindFile->QzScrollBar1->Visible()) << "the folder list's bar shows in find mode";
  EXPECT_FALSE(FrmFindFile->QzScrollBar5->Visible()) << "the tree's bar shows in find mode";
  tolvane_test::DragWithTheMouse(MiddleOnScreen(bar->Track()->Thumb()), 0, bar->Track()->Height());
  EXPECT_TRUE(WaitUntil([&] { return top() > 0 && top() == bar->Max(); }, 3000)) << top();
  EXPECT_EQ(bar->Position(), top());
  Shoot(FrmFindFile->Handle(), "results_find_mode_bars.png");
  list->SetFocus();
  tolvane_test::PressKey(wnd, VK_END);
  tolvane_test::PressKey(wnd, VK_HOME);
  EXPECT_EQ(top(), 0);
  EXPECT_EQ(bar->Position(), 0);
}

#else  // the NTFS volumes' program
TEST_F(ResultsWindow, NtfsQuickScanTickedAndSavedHoldsEveryDeletedFileWithItsSha256) {
  const std::string image = "basic4k.img";
  if (GetFileAttributesA(scavrel_dll::ZPath(TOLVANE_NTFS_VOLUMES, "SKIPPED").c_str()) !=
      INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "NTFS test volumes were not built";
  }
  Scan("Z:\\", scavrel_dll::ZPath(TOLVANE_NTFS_VOLUMES, image), true, false, false);
  EXPECT_GT(FrmFindFile->TreeView1->Items().Count(), 1);
  TickRootInTree();
  SaveWithRecover();

  tolvane_test::ExpectNtfsSavedByteForByte(std::string(TOLVANE_NTFS_VOLUMES) + "/" + image,
                                           destination_);
}

#endif

}  // namespace
}  // namespace vardeck
