// The start window, the message box and the About window, created in this test's process as
// the program creates them, driven as a user drives them (clicks through the system's input
// queue, a robot thread answering the modal boxes), in a Wine prefix whose F: and N: drives are
// the FAT32 and NTFS demo volumes (and O: to R: the same again, more drives than the list
// shows). Writes start_window.png, start_window_bars.png, message_box.png and about.png to
// tests/artifacts/.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "engine/scavrel_api.h"
#include "frontend/LangFile.h"
#include "frontend/SharedState.h"
#include "frontend/TextRoutines.h"
#include "frontend/win/EngineCalls.h"
#include "frontend/win/ShellOpen.h"
#include "frontend/win/UnitFind.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmMessage.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TitleBarButtons.h"
#include "tests/support/ViewBars.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace vardeck;
using tolvane_test::ClickMiddle;
using tolvane_test::Robot;
using tolvane_test::Shoot;
using tolvane_test::WaitFor;
using tolvane_test::WaitHidden;
using tolvane_test::WaitReady;
using tolvane_test::WaitUntil;
using tolvane_test::WaitVisible;

namespace {

constexpr const char* kFatDrive = "F:\\";
constexpr const char* kNtfsDrive = "N:\\";

class StartWindow : public tolvane_test::ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    if (IsSkipped()) return;
    // Back to the start: the start window shown as main window, the results hidden.
    if (FrmFindFile->Visible()) FrmFindFile->Hide();
    ClearRecovery();
    ScanState = kRunIdle;
    forms::Application()->SetMainForm(FrmRun);
    FrmRun->Show();
    // Each showing refills the list 100 ms later (and selects its first row).
    ASSERT_TRUE(WaitUntil([] {
      return !FrmRun->Timer1->Enabled() && FrmRun->skListDisk->Items().Count() >= 2;
    })) << "the drive list did not fill";
  }

  // The row of a drive path, or nil.
  static forms::TListItem* Row(const std::string& caption) {
    auto& items = FrmRun->skListDisk->Items();
    for (int i = 0; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == caption) return items.Items(i);
    return nullptr;
  }

  static void SelectRow(const std::string& caption) {
    forms::TListItem* row = Row(caption);
    ASSERT_NE(row, nullptr) << caption;
    // The list holds more drives than it shows: scrolled to the row first, as a user would.
    row->MakeVisible(false);
    tolvane_test::Pump();
    // A click on the row, as a user selects it.
    RECT r = row->DisplayRect(forms::TDisplayCode::drBounds);
    tolvane_test::ClickClient(FrmRun->skListDisk->Handle(), 80, (r.top + r.bottom) / 2);
    WaitUntil([row] { return FrmRun->skListDisk->Selected() == row; }, 3000);
    ASSERT_EQ(FrmRun->skListDisk->Selected(), row);
  }

  // Clicks a button whose handler shows modal boxes; the robot answers each box in turn with
  // the given button (1 OK, 2 Cancel) and records the texts the boxes showed.
  static std::vector<std::string> ClickAndAnswer(forms::TWinControl* button,
                                                 std::vector<int> answers) {
    HWND box = FrmAttention->Handle();
    HWND ok = FrmAttention->Button1->Handle();
    HWND cancel = FrmAttention->Button2->Handle();
    // The box is reused: one box may be hidden and the next shown between two looks at it, so
    // the robot counts showings rather than watching the window come and go.
    std::atomic<int> shown{0};
    auto old_show = FrmAttention->OnShow;
    FrmAttention->OnShow = [&](forms::TObject* sender) {
      old_show(sender);
      ++shown;
    };
    std::vector<std::string> seen;
    std::string trouble;
    Robot robot([&] {
      for (int n = 1; n <= static_cast<int>(answers.size()); ++n) {
        if (!WaitFor([&] { return shown >= n; }) || !WaitReady(box)) {
          trouble = "no box came for answer " + std::to_string(n);
          break;
        }
        seen.push_back(FrmAttention->Label1->Caption());
        tolvane_test::PostClick(answers[n - 1] == 1 ? ok : cancel);
        WaitFor([&] { return shown != n || !IsWindowVisible(box); }, 5000);
      }
      // Anything still open (or coming up after the last answer) is closed, so that the test
      // fails instead of waiting for ever.
      if (WaitFor([&] { return IsWindowVisible(box) != FALSE; }, 300)) {
        if (trouble.empty()) trouble = "a box was left open";
        while (IsWindowVisible(box)) {
          PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
          WaitHidden(box, 200);
        }
      }
    });
    ClickMiddle(button->Handle());
    WaitUntil([&] { return robot.Done(); }, 40000);
    robot.Join();
    FrmAttention->OnShow = old_show;
    tolvane_test::Pump();
    EXPECT_EQ(trouble, "");
    return seen;
  }
};

TEST_F(StartWindow, ListsTheFat32AndNtfsDrivesWithSizeAndFileSystem) {
  forms::TListItem* fat = Row(kFatDrive);
  forms::TListItem* ntfs = Row(kNtfsDrive);
  ASSERT_NE(fat, nullptr);
  ASSERT_NE(ntfs, nullptr);
  ASSERT_EQ(fat->SubItems().size(), 2u);
  DriveInfo info;
  ASSERT_TRUE(EngineDriveInfo(kFatDrive, info));
  EXPECT_EQ(fat->SubItems()[0], SizeText(static_cast<int64_t>(info.total_bytes)));
  EXPECT_EQ(fat->SubItems()[1], "FAT32");
  EXPECT_EQ(ntfs->SubItems()[1], "NTFS");
  // The first row is selected after the fill.
  EXPECT_EQ(FrmRun->skListDisk->Selected(), FrmRun->skListDisk->Items().Items(0));
  SelectRow(kFatDrive);
  Shoot(FrmRun->Handle(), "start_window.png");
}

TEST_F(StartWindow, QuickScanWithoutASelectedDriveAsksForOne) {
  FrmRun->skListDisk->ClearSelection();
  tolvane_test::Pump();
  std::vector<std::string> seen = ClickAndAnswer(FrmRun->sBStart, {1, 1});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], Lang().Text(LangKey::QuickScanInfo));
  EXPECT_EQ(seen[1], Lang().Text(LangKey::SelectDriver));
  EXPECT_EQ(ScanState.load(), kRunIdle);
  EXPECT_FALSE(FrmFindFile->Visible());
}

TEST_F(StartWindow, CancelOnTheConfirmationStartsNothing) {
  SelectRow(kFatDrive);
  std::vector<std::string> seen = ClickAndAnswer(FrmRun->skButton2, {2});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], Lang().Text(LangKey::FullScanInfo));
  tolvane_test::Pump();
  EXPECT_EQ(ScanState.load(), kRunIdle);
  EXPECT_FALSE(FrmFindFile->Visible());
  EXPECT_TRUE(FrmRun->Visible());
  scavrel_api::FoundNode* root = nullptr;
  EXPECT_EQ(GetTreeFirst(&root) & 0xFF, 0u) << "the engine has a found tree";
}

// Waits for the engine's scan to have finished with a found tree; true when it has. (The
// finished flag alone is also set before the results window's timer starts the scan.)
bool WaitForEngineScan() {
  return WaitUntil(
      [] {
        uint64_t done = 0, total = 0, files = 0, folders = 0;
        char text[1001] = {};
        char* out = text;
        uint8_t finished = 0;
        GetProgress(&done, &total, &files, &folders, &out, &finished);
        scavrel_api::FoundNode* root = nullptr;
        return finished != 0 && (GetTreeFirst(&root) & 0xFF) != 0;
      },
      60000);
}

TEST_F(StartWindow, OkStartsTheFatScanAndHandsOverToTheResultsWindow) {
  SelectRow(kFatDrive);
  // The confirmation, then the results window's own end-of-scan message.
  std::vector<std::string> seen = ClickAndAnswer(FrmRun->sBStart, {1, 1});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], Lang().Text(LangKey::QuickScanInfo));
  EXPECT_EQ(seen[1], Lang().Text(LangKey::ScanFinished));
  EXPECT_EQ(NtfsChosen, 0);
  EXPECT_EQ(FindMode, 0);
  EXPECT_EQ(FullScan, 0);
  EXPECT_EQ(ScanDriveCaption, kFatDrive);
  ASSERT_FALSE(ScanDevicePath.empty());
  EXPECT_EQ(ScanDevicePath.back(), '}') << "the volume name's trailing separator is left";
  EXPECT_FALSE(FrmRun->Visible());
  EXPECT_TRUE(FrmFindFile->Visible());
  EXPECT_EQ(forms::Application()->MainForm(), FrmFindFile);
  ASSERT_TRUE(WaitForEngineScan());
  EXPECT_EQ(ScanState.load(), kRunIdle) << "the finished scan left the run state set";
}

TEST_F(StartWindow, FullScanOfTheNtfsDriveChoosesTheNtfsEngine) {
  SelectRow(kNtfsDrive);
  std::vector<std::string> seen = ClickAndAnswer(FrmRun->skButton2, {1, 1});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], Lang().Text(LangKey::ScanFinished));
  EXPECT_EQ(NtfsChosen, 1);
  EXPECT_EQ(FullScan, 1);
  EXPECT_TRUE(FrmFindFile->Visible());
  bool finished = WaitForEngineScan();
  uint64_t done = 0, total = 0, files = 0, folders = 0;
  char text[1001] = {};
  char* out = text;
  uint8_t flag = 0;
  GetProgress(&done, &total, &files, &folders, &out, &flag);
  ASSERT_TRUE(finished) << done << "/" << total << " files " << files << " finished " << int(flag)
                        << " device " << ScanDevicePath;
  EXPECT_GT(files, 0u) << "the NTFS scan found no deleted file";
}

TEST_F(StartWindow, FindFileClosedCriteriaDialogStartsNothingButBoundsArePushed) {
  SelectRow(kFatDrive);
  Bounds.size_min = 1234;
  HWND find = FrmFind->Handle();
  Robot robot([&] {
    if (!WaitReady(find)) return;
    PostMessageA(find, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  ClickMiddle(FrmRun->skButton6->Handle());
  WaitUntil([&] { return robot.Done() && !FrmFind->Visible(); }, 15000);
  robot.Join();
  tolvane_test::Pump();
  EXPECT_EQ(FindMode, 1);
  EXPECT_EQ(ScanState.load(), kRunIdle);
  EXPECT_FALSE(FrmFindFile->Visible());
  uint64_t pushed = 0;
  ASSERT_TRUE(GetMinFile(&pushed));
  EXPECT_EQ(pushed, 1234u);
  Bounds = FilterBounds{};
  PushFiltersAtCreation(Bounds, NameFilterText);
}

TEST_F(StartWindow, ClosingTheStartWindowAsksFirstAndCancelKeepsTheProgram) {
  HWND box = FrmAttention->Handle();
  HWND cancel = FrmAttention->Button2->Handle();
  std::string asked;
  Robot robot([&] {
    if (!WaitReady(box)) return;
    asked = FrmAttention->Label1->Caption();
    tolvane_test::PostClick(cancel);
  });
  PostMessageA(FrmRun->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitUntil([&] { return robot.Done() && !FrmAttention->Visible(); }, 15000);
  robot.Join();
  tolvane_test::Pump();
  EXPECT_EQ(asked, Lang().Text(LangKey::EndApplication));
  EXPECT_TRUE(FrmRun->Visible());
  EXPECT_FALSE(forms::Application()->Terminated());
}

// ---- the drive list's skinned bars ---------------------------------------------------------

using tolvane_test::CoversNativeBar;
using tolvane_test::MiddleOnScreen;
using tolvane_test::NativeBar;

TEST_F(StartWindow, DriveListWearsSkinnedBarsThatScrollItAndHideWhenEverythingFits) {
  skin::TQzListView* list = FrmRun->skListDisk;
  skin::TQzScrollBar* vbar = FrmRun->QzScrollBar1;
  skin::TQzScrollBar* hbar = FrmRun->QzScrollBar2;
  const HWND wnd = list->Handle();
  const RECT saved = FrmRun->BoundsRect();
  ASSERT_GE(list->Items().Count(), 8) << "the prefix maps fewer drives than the test needs";
  auto top_row = [wnd] { return static_cast<int>(SendMessageA(wnd, LVM_GETTOPINDEX, 0, 0)); };
  auto in_step = [&] { return vbar->Position() == top_row() && top_row() == NativeBar(wnd, SB_VERT).nPos; };
  list->SetFocus();
  tolvane_test::PressKey(wnd, VK_HOME);

  ASSERT_TRUE(WaitUntil([&] { return vbar->Visible(); }, 3000)) << "more drives than fit, no bar";
  EXPECT_TRUE(vbar->Enabled());
  EXPECT_FALSE(hbar->Visible()) << "the columns fit across the list";
  EXPECT_EQ(vbar->Max(), list->Items().Count() - list->VisibleRowCount());
  EXPECT_TRUE(CoversNativeBar(wnd, OBJID_VSCROLL, vbar)) << "the system's bar shows";
  EXPECT_TRUE(in_step());

  // By line: the down arrow held, then the up arrow.
  EXPECT_TRUE(tolvane_test::HoldDownAt(MiddleOnScreen(vbar->SecondButton()),
                                       [&] { return top_row() > 0; }));
  EXPECT_TRUE(in_step());
  EXPECT_TRUE(tolvane_test::HoldDownAt(MiddleOnScreen(vbar->FirstButton()),
                                       [&] { return top_row() == 0; }));
  EXPECT_TRUE(in_step());
  // By page: a click in the track below the thumb.
  skin::TSkinScrollTrackBar* track = vbar->Track();
  RECT tr{};
  GetWindowRect(track->Handle(), &tr);
  tolvane_test::ClickAt(POINT{(tr.left + tr.right) / 2, tr.bottom - 3});
  EXPECT_TRUE(WaitUntil([&] { return top_row() > 0; }, 3000)) << "a click in the track paged nothing";
  EXPECT_TRUE(in_step());
  // The keys in the list move the thumb (a key that moves no selection scrolls nothing).
  tolvane_test::PressKey(wnd, VK_END);
  EXPECT_EQ(top_row(), vbar->Max());
  EXPECT_TRUE(in_step()) << "End in the list left the thumb at " << vbar->Position();
  tolvane_test::PressKey(wnd, VK_HOME);
  EXPECT_EQ(top_row(), 0);
  EXPECT_TRUE(in_step()) << "Home in the list left the thumb at " << vbar->Position();
  // By dragging the thumb from the top to the bottom.
  tolvane_test::DragWithTheMouse(MiddleOnScreen(track->Thumb()), 0, tr.bottom - tr.top);
  EXPECT_TRUE(WaitUntil([&] { return top_row() == vbar->Max(); }, 3000))
      << "the dragged thumb left the list at row " << top_row();
  EXPECT_TRUE(in_step());
  // Page down from the first row, in the list.
  tolvane_test::PressKey(wnd, VK_END);
  tolvane_test::PressKey(wnd, VK_HOME);
  tolvane_test::PressKey(wnd, VK_NEXT);
  tolvane_test::PressKey(wnd, VK_NEXT);
  EXPECT_GT(top_row(), 0);
  EXPECT_TRUE(in_step());
  Shoot(FrmRun->Handle(), "start_window_bars.png");

  // As narrow as the window goes: the columns no longer fit, the horizontal bar comes and
  // its thumb dragged to the right scrolls the list sideways.
  FrmRun->SetBounds(saved.left, saved.top, 550, saved.bottom - saved.top);
  ASSERT_TRUE(WaitUntil([&] { return hbar->Visible(); }, 3000)) << "no horizontal bar";
  EXPECT_TRUE(CoversNativeBar(wnd, OBJID_HSCROLL, hbar));
  EXPECT_TRUE(CoversNativeBar(wnd, OBJID_VSCROLL, vbar));
  tolvane_test::DragWithTheMouse(MiddleOnScreen(hbar->Track()->Thumb()),
                                 hbar->Track()->Width(), 0);
  EXPECT_TRUE(WaitUntil([&] { return NativeBar(wnd, SB_HORZ).nPos > 0; }, 3000));
  EXPECT_EQ(hbar->Position(), NativeBar(wnd, SB_HORZ).nPos);
  Shoot(FrmRun->Handle(), "start_window_both_bars.png");

  // As large as the screen: every drive fits, both bars go.
  FrmRun->SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(WaitUntil([&] { return !vbar->Visible() && !hbar->Visible(); }, 3000))
      << "the bars stayed with every drive shown";
  EXPECT_FALSE(vbar->Enabled());
  EXPECT_EQ(top_row(), 0);

  FrmRun->SetBounds(saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top);
  EXPECT_TRUE(WaitUntil([&] { return vbar->Visible(); }, 3000));
  tolvane_test::PressKey(wnd, VK_HOME);
}

TEST(EngineChoice, OnlyTheExactNamesChooseAnEngine) {
  uint8_t ntfs = 7;
  EXPECT_TRUE(ChooseEngineFor("NTFS", ntfs));
  EXPECT_EQ(ntfs, 1);
  EXPECT_TRUE(ChooseEngineFor("FAT32", ntfs));
  EXPECT_EQ(ntfs, 0);
  EXPECT_TRUE(ChooseEngineFor("FAT", ntfs));
  EXPECT_EQ(ntfs, 0);
  ntfs = 7;
  for (const char* other : {"ntfs", "Fat32", "exFAT", "FAT16", "CDFS", ""})
    EXPECT_FALSE(ChooseEngineFor(other, ntfs)) << other;
  EXPECT_EQ(ntfs, 7) << "a refused name changed the choice";
}

TEST_F(StartWindow, HoverHintsShowTheirTexts) {
  struct Case {
    forms::TWinControl* control;
    LangKey key;
  } cases[] = {{FrmRun->sBStart, LangKey::QuickScan},   {FrmRun->skButton2, LangKey::FullScan},
               {FrmRun->skButton6, LangKey::FindFile},  {FrmRun->skBRefresh, LangKey::Refresh},
               {FrmRun->skImageButton1, LangKey::Url}};
  for (const Case& c : cases) {
    RECT r{};
    GetWindowRect(c.control->Handle(), &r);
    tolvane_test::MoveMouseTo(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    WaitUntil([&] { return FrmRun->Label2->Caption() == Lang().Text(c.key); }, 3000);
    EXPECT_EQ(FrmRun->Label2->Caption(), Lang().Text(c.key));
  }
  // The hint stays when the pointer leaves for a place without one.
  tolvane_test::MoveMouseTo(POINT{1023, 767});
  tolvane_test::Pump();
  EXPECT_EQ(FrmRun->Label2->Caption(), Lang().Text(LangKey::Url));
}

TEST_F(StartWindow, HomePageButtonOpensOnlyTheHomePage) {
  std::vector<std::string> opened;
  ShellOpener old = SetShellOpener([&](const std::string& t) { opened.push_back(t); });
  ClickMiddle(FrmRun->skImageButton1->Handle());
  WaitUntil([&] { return !opened.empty(); }, 3000);
  SetShellOpener(old);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "https://tolvane.example/");
}

// ---- the message box -----------------------------------------------------------------------

// Shows the box with one or two buttons; the robot ends it with `end` (1 OK, 2 Cancel, 3 the
// title bar's close button).
forms::TModalResult ShowAndEnd(BoxButtons buttons, const std::string& text, int end,
                               const char* picture = nullptr) {
  HWND box = FrmAttention->Handle();
  HWND ok = FrmAttention->Button1->Handle();
  HWND cancel = FrmAttention->Button2->Handle();
  skin::TSkinTitleBar* bar = FrmAttention->skForm1->TitleBar();
  HWND bar_wnd = bar->Handle();
  bool ended = false;
  Robot robot([&] {
    if (!WaitReady(box)) return;
    auto gone = [box] { return !IsWindowVisible(box); };
    if (end == 1) tolvane_test::Press(ok, gone);
    if (end == 2) tolvane_test::Press(cancel, gone);
    if (end == 3) {
      // The close button's place as the bar last painted it, for the box's present width.
      POINT c = tolvane_test::TitleButtonCentre(bar, skin::TSkinTitleBarBtnType::skClose);
      POINT p = c;
      ClientToScreen(bar_wnd, &p);
      // The bar takes the button under the pointer as the one pressed: the pointer goes there
      // first, then the button goes down and up on the bar.
      SetCursorPos(p.x, p.y);
      PostMessageA(bar_wnd, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
      tolvane_test::Flush(bar_wnd);
      PostMessageA(bar_wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
      tolvane_test::Flush(bar_wnd);
      PostMessageA(bar_wnd, WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    }
    ended = WaitHidden(box, 5000);
    // A click that missed must fail the test, not leave it waiting in the box for ever.
    if (!ended) PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  forms::TModalResult r = ShowAttention(buttons, text);
  robot.Join();
  EXPECT_TRUE(ended) << "the box did not end by the robot's click (" << end << ")";
  return r;
}

TEST_F(StartWindow, MessageBoxReturnsOkCancelAndClosed) {
  EXPECT_EQ(ShowAndEnd(BoxButtons::kOkCancel, "Press OK", 1), kBoxOk);
  EXPECT_EQ(ShowAndEnd(BoxButtons::kOkCancel, "Press Cancel", 2), kBoxCancel);
  EXPECT_EQ(ShowAndEnd(BoxButtons::kOkCancel, "Close me", 3), kBoxClosed);
  EXPECT_EQ(ShowAndEnd(BoxButtons::kOk, "Only OK", 1), kBoxOk);
  EXPECT_FALSE(FrmAttention->Button2->Visible());
  // Every caller takes anything but 1 as "not OK": closing the end question keeps the program.
  EXPECT_FALSE(forms::Application()->Terminated());
}

TEST_F(StartWindow, MessageBoxIsSizedToItsText) {
  FrmAttention->SetButtonCount(2);
  FrmAttention->SetMessageText("");
  EXPECT_EQ(FrmAttention->ClientWidth(), 311);
  EXPECT_EQ(FrmAttention->Label1->Width(), 180);
  EXPECT_EQ(FrmAttention->Label1->Height(), 50);
  EXPECT_GE(FrmAttention->Button1->Left(), 0);
  EXPECT_LE(FrmAttention->Button2->Left() + FrmAttention->Button2->Width(),
            FrmAttention->ClientWidth());
  FrmAttention->SetMessageText(Lang().Text(LangKey::QuickScanInfo));
  EXPECT_EQ(FrmAttention->ClientWidth(), 425);
  EXPECT_GT(FrmAttention->Label1->Height(), 50);
  // The buttons stay clear of the text and inside the window.
  EXPECT_GE(FrmAttention->Button1->Top(),
            FrmAttention->Label1->Top() + FrmAttention->Label1->Height());
  EXPECT_LE(FrmAttention->Button1->Top() + FrmAttention->Button1->Height(),
            FrmAttention->ClientHeight());
}

TEST_F(StartWindow, PictureOfTheMessageBoxAndTheAboutWindow) {
  HWND box = FrmAttention->Handle();
  HWND ok = FrmAttention->Button1->Handle();
  // The box is photographed from the GUI thread while it waits: a timer takes the picture
  // once the box is up.
  forms::TTimer shot(nullptr);
  shot.SetInterval(100);
  shot.OnTimer = [&](forms::TObject*) {
    if (!IsWindowVisible(box)) return;
    shot.SetEnabled(false);
    Shoot(box, "message_box.png");
    PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  };
  shot.SetEnabled(true);
  EXPECT_EQ(ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::EndApplication)), kBoxOk);

  HWND about = FrmMessage->Handle();
  forms::TTimer about_shot(nullptr);
  about_shot.SetInterval(100);
  about_shot.OnTimer = [&](forms::TObject*) {
    if (!IsWindowVisible(about)) return;
    about_shot.SetEnabled(false);
    Shoot(about, "about.png");
    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
  };
  about_shot.SetEnabled(true);
  // The About link opens the window, as a user opens it.
  RECT r{};
  GetWindowRect(FrmRun->skURLLabel1->Parent()->Handle(), &r);
  tolvane_test::ClickAt(POINT{r.left + FrmRun->skURLLabel1->Left() + 8,
                              r.top + FrmRun->skURLLabel1->Top() + 6});
  WaitUntil([&] { return !about_shot.Enabled() && !FrmMessage->Visible(); }, 10000);
  EXPECT_FALSE(FrmMessage->Visible());
  EXPECT_EQ(FrmMessage->Label6->Caption(), " Tolvane 2.4");
}

}  // namespace
