// Faults a new user met, each driven as that user met it, with the program's windows in this
// process over the demo drives (F: FAT32, N: NTFS) and drives whose scans find nothing: X:, an
// image with no file system at all, E: and M:, fresh FAT32 and NTFS volumes, T:, an exFAT
// volume's first sector, U:, an image no read gets a byte from. Recover with nothing ticked,
// why a scan found nothing, a search without a hit, Back and the drive chosen, a filter carried
// over to another drive's results, new filters and the user's place in the tree, Esc in the
// boxes and dialogs, the About window's close box, the second start's hand-over of the
// foreground, and the keys in a hit list of 100,000 rows. Writes user_faults_filter_on.png and
// the pictures of the empty scans' messages (user_faults_nothing_found.png,
// user_faults_other_file_system.png, user_faults_unknown_file_system.png,
// user_faults_read_failed.png).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/scavrel_api.h"
#include "forms/FolderBrowser.h"
#include "frontend/LangFile.h"
#include "frontend/ResultRows.h"
#include "frontend/SharedState.h"
#include "frontend/win/InstanceGuard.h"
#include "frontend/win/ResultsEngine.h"
#include "frontend/win/UnitFind.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmMessage.h"
#include "frontend/win/UnitFrmSetting.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "quorrin/quorrin_api.h"
#include "skin/SkinTitleBar.h"
#include "tests/engine/read_box.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TitleBarButtons.h"
#include "tests/support/WindowRobot.h"

namespace vardeck {
namespace {

// ---- robot moves: the shared robot ---------------------------------------------------------

using tolvane_test::BoxAnswers;
using tolvane_test::ClickAt;
using tolvane_test::ClickButton;
using tolvane_test::ClickClient;
using tolvane_test::PostKey;
using tolvane_test::Pump;
using tolvane_test::Showing;
using tolvane_test::Ticker;
using tolvane_test::WaitUntil;

void SavePicture(forms::TForm* form, const char* file) { tolvane_test::Shoot(form->Handle(), file); }

// ---- the fixture -----------------------------------------------------------------------------

constexpr const char* kFatDrive = "F:\\";
constexpr const char* kNtfsDrive = "N:\\";
constexpr const char* kBlankDrive = "X:\\";
constexpr const char* kEmptyFat32Drive = "E:\\";
constexpr const char* kEmptyNtfsDrive = "M:\\";
constexpr const char* kExfatDrive = "T:\\";
constexpr const char* kUnreadableDrive = "U:\\";

class UserFaults : public tolvane_test::ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    if (IsSkipped()) return;
    forms::SetFolderBrowser([this](const forms::TFolderBrowseRequest&, std::wstring& folder) {
      ++folders_asked_;
      folder = L"C:\\";
      return false;  // the browser cancelled: no test here saves anything
    });
    FrmRun->Show();
    ASSERT_TRUE(WaitUntil([] {
      return !FrmRun->Timer1->Enabled() && FrmRun->skListDisk->Items().Count() >= 2;
    }, 20000)) << "the start window listed no drive";
  }

  static forms::TListItem* Row(const std::string& caption) {
    auto& items = FrmRun->skListDisk->Items();
    for (int i = 0; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == caption) return items.Items(i);
    return nullptr;
  }

  void SelectRow(const std::string& caption) {
    forms::TListItem* row = Row(caption);
    ASSERT_NE(row, nullptr) << "no row for " << caption;
    // More drives than the list shows: the user scrolls to the row first.
    row->MakeVisible(false);
    Pump();
    RECT r = row->DisplayRect(forms::TDisplayCode::drBounds);
    ClickClient(FrmRun->skListDisk->Handle(), 80, (r.top + r.bottom) / 2);
    ASSERT_TRUE(WaitUntil([row] { return FrmRun->skListDisk->Selected() == row; }, 5000));
  }

  // A find-file search of the FAT drive for `name`, typed into the find dialog and found, until
  // the search has been announced.
  void Search(const char* name) {
    SelectRow(kFatDrive);
    answers_.texts.clear();
    bool typed = false;
    Ticker find([&] {
      if (typed || !Showing(FrmFind)) return;
      typed = true;
      FrmFind->skEditFilename->SetText(name);
      RECT r{};
      GetClientRect(FrmFind->BOk->Handle(), &r);
      tolvane_test::PostClick(FrmFind->BOk->Handle(), r.right / 2, r.bottom / 2);
    });
    ClickButton(FrmRun->skButton6);
    ASSERT_TRUE(WaitUntil([&] {
      return typed && ScanState == kRunIdle && !answers_.texts.empty() && !Showing(FrmAttention);
    }, 120000)) << "the search was not announced";
  }

  // Quick scan of the drive, confirmed, until the scan has been announced.
  void QuickScan(const std::string& drive) {
    SelectRow(drive);
    answers_.texts.clear();
    answers_.button = 1;
    ClickButton(FrmRun->sBStart);
    ASSERT_TRUE(WaitUntil([&] {
      return ScanState == kRunIdle && answers_.texts.size() >= 2 && !Showing(FrmAttention);
    }, 120000)) << "the scan of " << drive << " was not announced";
  }

  void Back() {
    answers_.texts.clear();
    answers_.button = 1;
    ClickButton(FrmFindFile->skBBack);
    ASSERT_TRUE(WaitUntil([] { return Showing(FrmRun) && !FrmRun->Timer1->Enabled(); }, 20000));
  }

  BoxAnswers answers_;
  int folders_asked_ = 0;
};

// ---- Recover, the scan's end, Back ---------------------------------------------------------

TEST_F(UserFaults, RecoverWithNothingTickedSaysSoAndStartsNoSave) {
  QuickScan(kFatDrive);
  EXPECT_TRUE(answers_.Saw(LangKey::ScanFinished));
  answers_.texts.clear();
  ClickButton(FrmFindFile->skBRecovery);
  ASSERT_TRUE(WaitUntil([&] { return !answers_.texts.empty() && !Showing(FrmAttention); }, 10000));
  EXPECT_TRUE(answers_.Saw(LangKey::NothingTicked));
  EXPECT_FALSE(answers_.Saw(LangKey::SaveFinished));
  EXPECT_EQ(folders_asked_, 0) << "a folder was asked for a save of nothing";
  EXPECT_EQ(SaveState, kRunIdle);
  Back();
}

TEST_F(UserFaults, AScanThatFindsNothingSaysWhyForEachKindOfDrive) {
  // The drive that cannot be read raises the worker's "Read" box: the user closes it.
  Ticker read_boxes([] {
    if (HWND box = scavrel::testing::FindReadBoxWindow()) PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  struct Case {
    const char* drive;
    std::string text;
    const char* picture;
  };
  const Case cases[] = {
      // Healthy volumes with nothing deleted are not called failing.
      {kEmptyFat32Drive, Lang().Text(LangKey::NothingFound), "user_faults_nothing_found.png"},
      {kEmptyNtfsDrive, Lang().Text(LangKey::NothingFound), ""},
      // The system calls it NTFS; its first sector names it.
      {kExfatDrive, OtherFileSystemText(Lang(), "exFAT"), "user_faults_other_file_system.png"},
      {kBlankDrive, Lang().Text(LangKey::UnknownFileSystem), "user_faults_unknown_file_system.png"},
      {kUnreadableDrive, Lang().Text(LangKey::ReadFailed), "user_faults_read_failed.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drive);
    answers_.shoot_text = c.text;
    answers_.shoot_file = c.picture;
    ASSERT_NO_FATAL_FAILURE(QuickScan(c.drive));
    EXPECT_FALSE(answers_.Saw(LangKey::ScanFinished)) << "an empty scan was announced as a find";
    ASSERT_FALSE(answers_.texts.empty());
    EXPECT_EQ(answers_.texts.back(), c.text);
    if (Showing(FrmFindFile)) ASSERT_NO_FATAL_FAILURE(Back());
  }
}

TEST_F(UserFaults, SearchWithoutAHitSaysNothingWasFound) {
  // A name no file has.
  ASSERT_NO_FATAL_FAILURE(Search("no-such-name-anywhere.none"));
  EXPECT_EQ(HitListCount, 0u);
  EXPECT_TRUE(answers_.Saw(LangKey::NoHits));
  EXPECT_FALSE(answers_.Saw(LangKey::ScanFinished));
  Back();
}

TEST_F(UserFaults, BackKeepsTheScannedDriveSelected) {
  // N: is not the first row: the refresh after Back must not fall back to it.
  ASSERT_NE(FrmRun->skListDisk->Items().Items(0)->Caption(), kNtfsDrive);
  QuickScan(kNtfsDrive);
  Back();
  forms::TListItem* selected = FrmRun->skListDisk->Selected();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->Caption(), kNtfsDrive);
}

// ---- filters -----------------------------------------------------------------------------------

TEST_F(UserFaults, FilterCarriedOverToAnotherDriveIsMarkedOnItsResults) {
  // A filter set on earlier results stays in force for the next scan.
  NameFilterText = "*.txt";
  QuickScan(kFatDrive);
  EXPECT_TRUE(FrmFindFile->FilterMark->Visible());
  EXPECT_EQ(FrmFindFile->FilterMark->Caption(), Lang().Text(LangKey::FilterOn));
  // Clear of the buttons on either side.
  EXPECT_GE(FrmFindFile->FilterMark->Left(),
            FrmFindFile->skBRecovery->Left() + FrmFindFile->skBRecovery->Width());
  EXPECT_LE(FrmFindFile->FilterMark->Left() + FrmFindFile->FilterMark->Width(),
            FrmFindFile->skImageButton1->Left());
  SavePicture(FrmFindFile, "user_faults_filter_on.png");
  Back();
  NameFilterText.clear();
  QuickScan(kFatDrive);
  EXPECT_FALSE(FrmFindFile->FilterMark->Visible());
  Back();
}

TEST_F(UserFaults, NewFiltersKeepTheFolderShownAndTheOpenBranches) {
  QuickScan(kFatDrive);
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  // The deepest folder the tree holds, opened down to it, as a user opens it.
  forms::TTreeNode* deepest = root;
  for (forms::TTreeNode* i = root; i; i = i->GetNext())
    if (i->Level() > deepest->Level()) deepest = i;
  ASSERT_GE(deepest->Level(), 2) << "the demo volume has no nested deleted folder";
  for (forms::TTreeNode* up = deepest->Parent(); up; up = up->Parent()) up->Expand(false);
  FrmFindFile->TreeView1->SetSelected(deepest);
  FrmFindFile->CurrentFolderItem = deepest;
  FrmFindFile->FillListview(NodeOf(deepest));
  std::set<FoundNode*> open;
  for (forms::TTreeNode* i = root; i; i = i->GetNext())
    if (i->Expanded()) open.insert(NodeOf(i));
  FoundNode* shown = NodeOf(deepest);

  // The filter dialog's OK with the filters as they stand.
  ASSERT_TRUE(FrmSetting->OnFiltersApplied);
  FrmSetting->OnFiltersApplied();
  Pump();

  ASSERT_NE(FrmFindFile->CurrentFolderItem, nullptr);
  EXPECT_EQ(NodeOf(FrmFindFile->CurrentFolderItem), shown);
  EXPECT_EQ(FrmFindFile->TreeView1->Selected(), FrmFindFile->CurrentFolderItem);
  std::set<FoundNode*> open_after;
  for (forms::TTreeNode* i = FrmFindFile->TreeView1->Items().GetFirstNode(); i; i = i->GetNext())
    if (i->Expanded()) open_after.insert(NodeOf(i));
  EXPECT_EQ(open_after, open);
  Back();
}

// ---- Esc and the close box -----------------------------------------------------------------

TEST_F(UserFaults, EscAnswersTheBoxAsCancelAndClosesTheDialogs) {
  // Esc while the window is up; a window still up after a few seconds of it is closed through
  // its system menu instead, so that a failure cannot hang the test in the modal loop.
  struct EscRobot {
    explicit EscRobot(forms::TForm* form)
        : ticker([this, form] {
            if (!Showing(form)) return;
            if (++ticks > 60) {
              ignored = true;
              PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
              return;
            }
            HWND focus = GetFocus();
            PostKey(focus ? focus : form->Handle(), VK_ESCAPE);
          }) {}
    int ticks = 0;
    bool ignored = false;
    Ticker ticker;
  };
  answers_.enabled = false;  // the boxes are Esc's to answer here
  {
    EscRobot esc(FrmAttention);
    EXPECT_EQ(ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::EndApplication)), kBoxCancel);
    EXPECT_FALSE(esc.ignored);
  }
  {
    EscRobot esc(FrmAttention);
    ShowAttention(BoxButtons::kOk, Lang().Text(LangKey::SelectDriver));
    EXPECT_FALSE(esc.ignored) << "Esc did not dismiss a box with OK alone";
  }
  {
    EscRobot esc(FrmMessage);
    FrmMessage->ShowModal();
    EXPECT_FALSE(esc.ignored) << "Esc did not close the About window";
  }
  {
    // Esc leaves the filter dialog as Exit does: no question, nothing applied.
    EscRobot esc(FrmSetting);
    answers_.enabled = true;
    answers_.texts.clear();
    FrmSetting->ShowModal();
    EXPECT_FALSE(esc.ignored) << "Esc did not close the filter dialog";
    EXPECT_TRUE(answers_.texts.empty());
  }
}

TEST_F(UserFaults, AboutCloseBoxAnswersTheFirstClick) {
  // The About link opens the window as a user opens it: the click's release is still being
  // handled when the window comes up. The close box is clicked once; a window still open three
  // seconds later is closed through its system menu, so that the test cannot hang in it.
  int clicks = 0;
  bool ignored = false;
  int steady_ticks = 0;
  RECT last_window{};
  std::string where;
  std::chrono::steady_clock::time_point clicked_at;
  Ticker close([&] {
    if (!Showing(FrmMessage)) return;
    // The window where it stays: placed, painted, not moved for a few ticks.
    RECT window{};
    GetWindowRect(FrmMessage->Handle(), &window);
    if (!EqualRect(&window, &last_window)) {
      last_window = window;
      steady_ticks = 0;
      return;
    }
    if (clicks == 0 && ++steady_ticks < 4) return;
    if (clicks > 0) {
      if (!ignored && std::chrono::steady_clock::now() - clicked_at > std::chrono::seconds(3)) {
        ignored = true;
        PostMessageA(FrmMessage->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return;
    }
    skin::TSkinTitleBar* bar = FrmMessage->skForm1->TitleBar();
    RECT b = tolvane_test::TitleButtonRect(bar, skin::TSkinTitleBarBtnType::skClose);
    if (b.right <= b.left) return;  // not painted yet
    ++clicks;
    clicked_at = std::chrono::steady_clock::now();
    POINT at{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    ClientToScreen(bar->Handle(), &at);
    {
      HWND cap = GetCapture();
      char cls[64] = {};
      if (cap) GetClassNameA(cap, cls, sizeof cls);
      HWND under = WindowFromPoint(at);
      char ucls[64] = {};
      if (under) GetClassNameA(under, ucls, sizeof ucls);
      where = std::string("capture ") + (cap ? cls : "none") + " under " + ucls +
              (under == bar->Handle() ? " (the title bar)" : "") + " active " +
              (GetActiveWindow() == FrmMessage->Handle() ? "about" : "other") + "; ";
    }
    where += "close box at " + std::to_string(at.x) + "," + std::to_string(at.y) + " in window " +
            std::to_string(window.left) + "," + std::to_string(window.top) + "-" +
            std::to_string(window.right) + "," + std::to_string(window.bottom);
    ClickAt(at);
  });
  RECT r{};
  GetWindowRect(FrmRun->skURLLabel1->Parent()->Handle(), &r);
  ClickAt(POINT{r.left + FrmRun->skURLLabel1->Left() + 8, r.top + FrmRun->skURLLabel1->Top() + 6});
  ASSERT_TRUE(WaitUntil([&] { return clicks > 0 && !Showing(FrmMessage); }, 15000))
      << "the About window did not open and close";
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(ignored) << "one click on the close box left the About window open (" << where
                        << ")";
}

// ---- the second start -------------------------------------------------------------------------

std::vector<DWORD>* g_allowed = nullptr;
BOOL WINAPI RecordAllow(DWORD process) {
  if (g_allowed) g_allowed->push_back(process);
  return TRUE;
}

TEST_F(UserFaults, SecondStartLetsTheFirstInstanceComeForward) {
  std::vector<DWORD> allowed;
  g_allowed = &allowed;
  AllowForegroundFunction kept = g_allow_foreground;
  g_allow_foreground = &RecordAllow;
  {
    InstanceGuard first;
    ASSERT_TRUE(first.Active());
    ASSERT_FALSE(first.Check(forms::Application()->Handle()));
    InstanceGuard second;
    EXPECT_TRUE(second.Check(FrmRun->Handle()));
  }
  g_allow_foreground = kept;
  g_allowed = nullptr;
  EXPECT_EQ(allowed, std::vector<DWORD>{GetCurrentProcessId()});
}

// ---- a long hit list ---------------------------------------------------------------------------

TEST_F(UserFaults, NavigationKeysInAHundredThousandRowHitListAreInstant) {
  // The hit list of a search, then 100,000 rows in it.
  ASSERT_NO_FATAL_FAILURE(Search("*"));
  const SortedListOps& ops = QuorrinOps();
  ResetHitList(ops, HitList);
  for (int i = 0; i < 100000; ++i) {
    ResultRow row;
    row.path = "F:\\many\\";
    row.name = "file" + std::to_string(i) + ".bin";
    row.size_text = "1 byte";
    row.status = "Good";
    row.check_state = scavrel::kUnchecked;
    AppendHitRow(ops, HitList, row);
  }
  ops.UpdateList(HitList);
  HitListCount = ops.GetListCount(HitList);
  ASSERT_EQ(HitListCount, 100000u);
  skin::TQzListView* list = FrmFindFile->ListView2;
  list->Items().SetCount(100000);
  list->SetFocus();
  LVITEMA first{};
  first.stateMask = first.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list->Handle(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  Pump();

  auto timed_key = [&](WORD vk, int expected) {
    auto start = std::chrono::steady_clock::now();
    PostKey(list->Handle(), vk);
    bool moved = WaitUntil([&] {
      return SendMessageA(list->Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) ==
             expected;
    }, 20000);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(moved) << "key " << vk;
    // Under 50 ms on a quiet machine; the bound leaves room for a loaded one, far below the
    // seconds a walk over every row takes.
    EXPECT_LT(ms, 1500) << "key " << vk << " took " << ms << " ms";
    std::printf("key %u: %lld ms\n", static_cast<unsigned>(vk), static_cast<long long>(ms));
  };
  timed_key(VK_END, 99999);
  timed_key(VK_UP, 99998);
  timed_key(VK_HOME, 0);
  timed_key(VK_DOWN, 1);
  const int page = static_cast<int>(SendMessageA(list->Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
  timed_key(VK_NEXT, page - 1);
  EXPECT_EQ(SendMessageA(list->Handle(), LVM_GETSELECTEDCOUNT, 0, 0), 1);

  // A click on another row is as quick.
  const int top = static_cast<int>(SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0));
  RECT row{};
  row.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageA(list->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(top + 2),
                           reinterpret_cast<LPARAM>(&row)));
  auto start = std::chrono::steady_clock::now();
  ClickClient(list->Handle(), row.left + 150, (row.top + row.bottom) / 2);
  EXPECT_TRUE(WaitUntil([&] {
    return SendMessageA(list->Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) ==
           top + 2;
  }, 20000));
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(ms, 1500) << "the click took " << ms << " ms";
  std::printf("click: %lld ms\n", static_cast<long long>(ms));
  EXPECT_EQ(SendMessageA(list->Handle(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
  Back();
}

}  // namespace
}  // namespace vardeck
