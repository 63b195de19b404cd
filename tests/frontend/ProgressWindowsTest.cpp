// The scan and save progress windows with their watch threads, over volumes that tools/fatvol
// and tools/ntfsvol built, with the engine scanning and saving for real. The windows are
// created in this process as the program creates them and driven as a user drives them (clicks
// through the system's input queue from a robot thread while the GUI thread sits in the modal
// window). Where a picture or a pause must find the run in progress, the test holds the
// engine's worker with its own pause once the counters have moved: the volumes scan in well
// under a second. Writes scan_progress.png and save_progress.png to tests/artifacts/.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/scavrel_api.h"
#include "frontend/LangFile.h"
#include "frontend/SharedState.h"
#include "frontend/win/MyThread.h"
#include "frontend/win/MyThreadSave.h"
#include "frontend/win/MyThreadSavefile.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmProgress.h"
#include "frontend/win/UnitFrmSaveProgress.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "frontend/win/WatchSupport.h"
#include "quorrin/quorrin_api.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TitleBarButtons.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the FAT volume builder writes to"
#endif
#ifndef TOLVANE_PROGRESS_BIG
#error "TOLVANE_PROGRESS_BIG names the folder of the volume with one big deleted file"
#endif
#ifndef TOLVANE_NTFSVOL_DIR
#error "TOLVANE_NTFSVOL_DIR names the folder the NTFS volume builder writes to"
#endif

using namespace vardeck;
using tolvane_test::ClickMiddle;
using tolvane_test::Press;
using tolvane_test::Robot;
using tolvane_test::Shoot;
using tolvane_test::WaitFor;
using tolvane_test::WaitHidden;
using tolvane_test::WaitReady;
using tolvane_test::WaitUntil;
using tolvane_test::WaitVisible;

namespace {

constexpr const char* kCaption = "X:\\";  // the drive caption the scans are given

// A folder of the build tree as Wine's Z: drive shows it.
std::string ZPath(const std::string& unix_folder, const std::string& name) {
  std::string path = "Z:" + unix_folder + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
std::string FatImage(const char* name) { return ZPath(TOLVANE_FATVOL_DIR, name); }
std::string NtfsImage(const char* name) { return ZPath(TOLVANE_NTFSVOL_DIR, name); }
// One deleted file of 64 MiB ("BIG.BIN", every byte "Z").
std::string BigImage() { return ZPath(TOLVANE_PROGRESS_BIG, "big.img"); }
constexpr uint64_t kBigFileBytes = 64ull << 20;

struct Snapshot {
  uint64_t done = 0, total = 0, a = 0, b = 0;
  bool finished = false;
};
Snapshot Poll(bool save) {
  Snapshot s;
  char buffer[kOutTextPathSize] = {};
  char* text = buffer;
  uint8_t finished = 0;
  (save ? GetProgressSave : GetProgress)(&s.done, &s.total, &s.a, &s.b, &text, &finished);
  s.finished = finished != 0;
  return s;
}

bool WaitFinished(bool save, DWORD ms = 60000) {
  return WaitFor([save] { return Poll(save).finished; }, ms);
}

// Waits until a held worker has stopped at its next step: its counters stand still between
// two looks (or the run has ended).
void WaitStill(bool save) {
  Snapshot last = Poll(save);
  WaitFor([&] {
    Sleep(20);
    const Snapshot now = Poll(save);
    const bool still = now.done == last.done && now.a == last.a && now.b == last.b;
    last = now;
    return still || now.finished;
  });
}

// Holds the worker with the engine's own pause once `files` files are counted; false when the
// run ended first.
bool HoldAfter(bool save, uint64_t files) {
  Snapshot s;
  DWORD start = GetTickCount();
  do {
    s = Poll(save);
  } while (!s.finished && s.a < files && GetTickCount() - start < tolvane_test::Scaled(30000));
  if (save) FatSavePause();
  else FatPause();
  WaitStill(save);
  return !Poll(save).finished;
}

// Holds the save's worker in the middle of a file (a third of it copied); false when the save
// ended first.
bool HoldSaveInsideAFile() {
  Snapshot s;
  DWORD start = GetTickCount();
  do {
    s = Poll(true);
  } while (!s.finished && !(s.total > 0 && s.done >= s.total / 3 && s.done < s.total) &&
           GetTickCount() - start < tolvane_test::Scaled(30000));
  FatSavePause();
  WaitStill(true);
  s = Poll(true);
  return !s.finished && s.done < s.total;
}

// Everything below a folder, removed (the save destinations of earlier runs).
void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = f.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
      else DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &f));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

// The files below a folder, with their sizes.
void ListFiles(const std::string& path, std::vector<std::pair<std::string, uint64_t>>& out) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = f.cFileName;
    if (name == "." || name == "..") continue;
    std::string full = path + "\\" + name;
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(full, out);
    else out.emplace_back(full, (uint64_t{f.nFileSizeHigh} << 32) | f.nFileSizeLow);
  } while (FindNextFileA(h, &f));
  FindClose(h);
}

std::string FreshDestination(const char* name) {
  char here[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, here);
  std::string path = std::string(here) + "\\progress-saves\\" + name;
  RemoveTree(path);
  CreateDirectoryA((std::string(here) + "\\progress-saves").c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

// A caption or state read on the GUI thread while it sits in the modal window.
template <typename T>
T OnGuiRead(const std::function<T()>& read) {
  T value{};
  forms::TThread::Synchronize([&] { value = read(); });
  return value;
}

// What a user tries to close a window with: Alt+F4 (the system's close command), the close
// message, Esc, and the frame's close button. Returns the screen point of that button.
void TryEveryClose(TProgressForm* form, POINT close_button) {
  HWND wnd = form->Handle();
  PostMessageA(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(wnd, WM_CLOSE, 0, 0);
  tolvane_test::Flush(wnd);
  HWND focus = OnGuiRead<HWND>([] { return GetFocus(); });
  tolvane_test::PressKey(focus ? focus : wnd, VK_ESCAPE);
  EXPECT_TRUE(tolvane_test::ClickAt(close_button, wnd)) << "the close button took no click";
  tolvane_test::Flush(wnd);
}

// The window's count of files once it shows the held run's count (the watch thread puts it
// there at its next poll).
std::string ShownCount(TProgressForm* form, bool save) {
  std::string shown;
  WaitFor([&] {
    shown = OnGuiRead<std::string>([form] { return form->LabFile->Caption(); });
    return shown == std::to_string(Poll(save).a);
  });
  return shown;
}

POINT CloseButtonOf(TProgressForm* form) {
  skin::TSkinTitleBar* bar = form->skForm1->TitleBar();
  POINT p = tolvane_test::TitleButtonCentre(bar, skin::TSkinTitleBarBtnType::skClose);
  ClientToScreen(bar->Handle(), &p);
  return p;
}

std::string CaptionOf(skin::TSkinImageButton* b) {
  return OnGuiRead<std::string>([b] { return b->Caption(); });
}

class ProgressWindows : public tolvane_test::ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    if (IsSkipped()) return;
    ScanState = kRunIdle;
    SaveState = kRunIdle;
    StopRequested = 0;
    ScanFinishedPending = 0;
    SaveFinishedPending = 0;
    SaveShortPending = 0;
    ResultsCloseMode = CloseMode::kEndProgram;
    NamePattern.clear();
    PatternLeadingStar.clear();
    PatternTrailingStar.clear();
  }

  void TearDown() override {
    ProgramWindowTest::TearDown();
    EndEveryRun();
    WaitFinished(false, 15000);
  }

  // Whatever a failed test left running ends here: the engine's runs are continued and
  // stopped, so that a progress window a robot gave up on closes at its run's end.
  static void EndEveryRun() {
    FatContinue();
    FatStop();
    FatSaveContinue();
    FatSaveStop();
    NtfsStop();
  }

  // A robot's steps; once one of them has failed, the runs are ended so the window closes.
  static std::function<void()> EndingRunsOnFailure(const std::function<void()>& steps) {
    return [steps] {
      steps();
      if (::testing::Test::HasFailure()) EndEveryRun();
    };
  }

  // Answers, from its own thread, the message the results window announces a run's end with
  // (OK), and keeps its text; gives up a moment after the run is over when none comes.
  class EndBoxAnswerer {
   public:
    EndBoxAnswerer()
        : box_(FrmAttention->Handle()),
          ok_(FrmAttention->Button1->Handle()),
          robot_([this] { Answer(); }) {}
    // Pumps until the answer is given or given up; the text, empty when none came.
    std::string Finish() {
      run_over_ = true;
      WaitUntil([this] { return robot_.Done(); }, 15000);
      robot_.Join();
      tolvane_test::Pump();
      return seen_;
    }

   private:
    void Answer() {
      DWORD over_at = 0;
      for (;;) {
        if (IsWindowVisible(box_)) {
          WaitReady(box_);
          seen_ = OnGuiRead<std::string>([] { return FrmAttention->Label1->Caption(); });
          if (!Press(ok_, [this] { return !IsWindowVisible(box_); }))
            ADD_FAILURE() << "OK did not close the box";
          return;
        }
        if (run_over_) {
          if (!over_at) over_at = GetTickCount();
          else if (GetTickCount() - over_at > tolvane_test::Scaled(1500)) return;
        }
        Sleep(20);
      }
    }
    HWND box_, ok_;
    std::string seen_;
    std::atomic<bool> run_over_{false};
    Robot robot_;
  };

  // The scan as the results window starts it: the engine's scan, the watch thread, the modal
  // window; `robot` acts on the shown window from its own thread. Returns, once the window has
  // closed and the watch thread has ended, the text the end was announced with.
  static std::string RunScanWindow(const std::function<void()>& robot) {
    ScanState = kRunRunning;
    ProgressShown = false;
    TFrmProgress* p = FrmProgress;
    EndBoxAnswerer answer;
    new TMyThread(p->ProgressBar1, p, p->LabFile, p->LabFolder, p->Labfindfile);
    Robot r(EndingRunsOnFailure(robot));
    p->ShowModal();
    WaitUntil([&] { return r.Done() && ScanState == kRunIdle; }, 60000);
    r.Join();
    return answer.Finish();
  }

  static std::string RunSaveWindow(forms::TThread* (*make)(), const std::function<void()>& robot) {
    SaveState = kRunRunning;
    ProgressShown = false;
    EndBoxAnswerer answer;
    make();
    Robot r(EndingRunsOnFailure(robot));
    FrmSaveProgress->ShowModal();
    WaitUntil([&] { return r.Done() && SaveState == kRunIdle; }, 60000);
    r.Join();
    return answer.Finish();
  }

  static std::string Text(LangKey key) { return Lang().Text(key); }

  // A folder-mode scan through the window, the robot only waiting for its end.
  static void ScanThroughWindow(const std::string& image, bool ntfs, bool find) {
    FindMode = find ? 1 : 0;
    NtfsChosen = ntfs ? 1 : 0;
    SetNtfs(NtfsChosen);
    ASSERT_TRUE(ntfs ? ProcNtfs(kCaption, image.c_str(), 0) : ProcFat(kCaption, image.c_str(), 0));
    HWND wnd = FrmProgress->Handle();
    std::string said = RunScanWindow([wnd] { WaitHidden(wnd, 60000); });
    ASSERT_EQ(ScanState, kRunIdle);
    EXPECT_EQ(said, Text(LangKey::ScanFinished));
  }

  static std::vector<std::string> TopLevelTexts() {
    std::vector<std::string> out;
    forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
    if (!root) return out;
    for (int i = 0; i < root->Count(); ++i) out.push_back(root->Item(i)->Text());
    return out;
  }
};

TEST_F(ProgressWindows, ScanWindowRefusesToCloseWhilePausedContinuesAndShowsTheFullScanTree) {
  NtfsChosen = 0;
  FindMode = 0;
  SetNtfs(0);
  ASSERT_TRUE(ProcFat(kCaption, FatImage("fat32_control.img").c_str(), 1));
  // Held in the lost-folder pass, where the bar moves with every cluster read.
  ASSERT_TRUE(HoldAfter(false, 9300)) << "the scan ended before it could be held";
  TFrmProgress* p = FrmProgress;
  HWND wnd = p->Handle();
  HWND pause = p->Button2->Handle();
  bool visible_after_closes = false, visible_while_paused = false;
  std::string paused_caption, files_shown;
  int state_paused = -1, state_continued = -1;
  Snapshot held_before, held_after;
  const std::string said = RunScanWindow([&] {
    if (!WaitReady(wnd)) return;
    // The watch thread shows the held run's counters within a poll or two.
    files_shown = ShownCount(p, false);
    TryEveryClose(p, OnGuiRead<POINT>([p] { return CloseButtonOf(p); }));
    visible_after_closes = IsWindowVisible(wnd);
    Shoot(wnd, "scan_progress.png");
    ASSERT_TRUE(Press(pause, [] { return ScanState == kRunPaused; })) << "Pause did not pause";
    state_paused = ScanState;
    paused_caption = CaptionOf(p->Button2);
    held_before = Poll(false);
    Sleep(300);  // a paused run is one that stays where it is for a while
    held_after = Poll(false);
    TryEveryClose(p, OnGuiRead<POINT>([p] { return CloseButtonOf(p); }));
    visible_while_paused = IsWindowVisible(wnd);
    // Continue: the engine's worker runs on to the end.
    ASSERT_TRUE(Press(pause, [] { return ScanState != kRunPaused; })) << "Continue did not";
    state_continued = ScanState;
    WaitHidden(wnd, 60000);
  });
  EXPECT_GE(std::stoull(files_shown.empty() ? "0" : files_shown), 9300u);
  EXPECT_TRUE(visible_after_closes) << "closed while the scan ran";
  EXPECT_TRUE(visible_while_paused) << "closed while the scan stood paused";
  EXPECT_EQ(state_paused, kRunPaused);
  EXPECT_EQ(paused_caption, "&Continue");
  EXPECT_EQ(held_after.a, held_before.a);  // paused: nothing moves
  EXPECT_EQ(held_after.done, held_before.done);
  EXPECT_NE(state_continued, kRunPaused);
  EXPECT_EQ(CaptionOf(p->Button2), "&Pause");
  EXPECT_TRUE(p->Button2->Enabled());
  EXPECT_EQ(p->ProgressBar1->Position(), 100);
  EXPECT_EQ(StopRequested, 0);
  EXPECT_EQ(said, Text(LangKey::ScanFinished));  // announced
  EXPECT_TRUE(FrmFindFile->Panel1->Visible());
  EXPECT_FALSE(FrmFindFile->Panel2->Visible());

  // The tree: the drive as the one top-level item, the live folder and every deleted folder
  // under it, and the lost folders of the full scan as "Dir" and their cluster.
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Text(), kCaption);
  EXPECT_EQ(root->GetNextSibling(), nullptr);
  EXPECT_EQ(root->ImageIndex(), 2);
  EXPECT_EQ(root->SelectedIndex(), 1);
  EXPECT_TRUE(root->Selected());  // the first folder, clicked for the folder list
  auto* node = static_cast<scavrel::FoundNode*>(root->Data());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(root->StateIndex(), node->check_state);
  // A deleted short name has lost its first letter ("x" in its place).
  std::set<std::string> texts;
  forms::TTreeNode* unknown = nullptr;
  for (int i = 0; i < root->Count(); ++i) {
    texts.insert(root->Item(i)->Text());
    if (root->Item(i)->Text() == "$Unknow Folder") unknown = root->Item(i);
    // Files never become items: a deleted folder of files has no child items.
    if (root->Item(i)->Text() == "x000") {
      EXPECT_EQ(root->Item(i)->Count(), 0);
    }
  }
  EXPECT_TRUE(texts.count("LIVE"));
  EXPECT_TRUE(texts.count("x000"));
  EXPECT_TRUE(texts.count("x299"));
  ASSERT_NE(unknown, nullptr) << "no lost folders";
  int dirs = 0;
  for (int i = 0; i < unknown->Count(); ++i) dirs += unknown->Item(i)->Text().rfind("Dir", 0) == 0;
  EXPECT_EQ(dirs, 200) << "the lost folders, each as Dir and its cluster";
}

TEST_F(ProgressWindows, StopWhilePausedEndsTheScanQuietlyAndBuildsNothing) {
  NtfsChosen = 0;
  FindMode = 0;
  SetNtfs(0);
  FrmFindFile->TreeView1->Items().Clear();
  ASSERT_TRUE(ProcFat(kCaption, FatImage("fat32_control.img").c_str(), 1));
  ASSERT_TRUE(HoldAfter(false, 500));
  TFrmProgress* p = FrmProgress;
  HWND wnd = p->Handle();
  HWND pause = p->Button2->Handle();
  HWND stop = p->Button3->Handle();
  std::string caption_after_stop;
  const std::string said = RunScanWindow([&] {
    if (!WaitReady(wnd)) return;
    ASSERT_TRUE(Press(pause, [] { return ScanState == kRunPaused; })) << "Pause did not pause";
    ASSERT_TRUE(Press(stop, [wnd] { return StopRequested != 0 || !IsWindowVisible(wnd); }))
        << "Stop did not stop";
    WaitHidden(wnd, 60000);
  });
  EXPECT_TRUE(Poll(false).finished);
  EXPECT_EQ(ScanState, kRunIdle);
  EXPECT_EQ(StopRequested, 0);  // cleared at the thread's end
  EXPECT_EQ(ResultsCloseMode, CloseMode::kStartAfterStop);
  EXPECT_EQ(said, "");  // a stopped scan is never announced
  EXPECT_EQ(CaptionOf(p->Button2), "&Pause");
  EXPECT_EQ(FrmFindFile->TreeView1->Items().GetFirstNode(), nullptr);

  // With no run, Pause does nothing and Stop only closes the window.
  p->Button2Click();
  EXPECT_EQ(ScanState, kRunIdle);
  EXPECT_EQ(p->Button2->Caption(), "&Pause");
  Robot r([wnd, stop] {
    if (!Press(stop, [wnd] { return !IsWindowVisible(wnd); })) {
      ADD_FAILURE() << "Stop did not close the window";
      PostMessageA(wnd, WM_CLOSE, 0, 0);
    }
  });
  p->ShowModal();
  r.Join();
  EXPECT_FALSE(IsWindowVisible(wnd));
}

TEST_F(ProgressWindows, FindModeFillsTheHitListWithPathsNamesAndNodes) {
  // The find text "*file*.txt": names holding "file".
  NamePattern = "file";
  PatternLeadingStar = "*";
  PatternTrailingStar = "*";
  ScanThroughWindow(FatImage("fat32.img"), false, true);
  EXPECT_TRUE(FrmFindFile->Panel2->Visible());
  EXPECT_FALSE(FrmFindFile->Panel1->Visible());
  EXPECT_FALSE(FrmFindFile->skButton1->Visible());
  ASSERT_EQ(HitListCount, GetListCount(HitList));
  EXPECT_EQ(FrmFindFile->ListView2->Items().Count(), static_cast<int>(HitListCount));
  EXPECT_EQ(FrmFindFile->ListView2->HeadColumns[0].StateIndex, 1);
  char text[kQuorrinCellTextStorage];
  void* storage = text;
  quorrin_api::IntegerCell cell = 0;
  void* cell_storage = &cell;
  std::set<std::string> rows;
  for (uint32_t row = 0; row < HitListCount; ++row) {
    GetSortValue(&storage, row, 0, HitList);
    std::string path = text;
    GetSortValue(&storage, row, 1, HitList);
    rows.insert(path + "|" + text);
    GetSortValue(&cell_storage, row, 9, HitList);
    auto* node = reinterpret_cast<scavrel::FoundNode*>(cell);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->directory, 0);
    GetSortValue(&cell_storage, row, 8, HitList);
    EXPECT_EQ(cell, node->check_state);  // the byte, zero-extended into the cell
    GetSortValue(&storage, row, 2, HitList);
    EXPECT_FALSE(std::string(text).empty());  // the recoverability word
  }
  EXPECT_EQ(rows, (std::set<std::string>{"X:\\DOCS\\Inner dir\\|deep file.txt",
                                         "X:\\Old Tree\\|second file.txt",
                                         "X:\\Old Tree\\xUB\\|sub file long name.txt"}));
  // No pattern: every deleted file the filter lets through.
  NamePattern.clear();
  ScanThroughWindow(FatImage("fat32.img"), false, true);
  // fat32.img's deleted files that a quick scan finds: those of the root, DOCS (its lower-case
  // 8.3 name included), GAPS, Old Tree and SPLIT with their sub-folders, the long name in the
  // code page included.
  EXPECT_EQ(HitListCount, 28u);
  FindMode = 0;
}

TEST_F(ProgressWindows, SaveWindowPausesRefusesToCloseAndAnnouncesAFinishedSave) {
  ScanThroughWindow(BigImage(), false, false);
  scavrel::FoundNode* root = nullptr;
  ASSERT_TRUE(GetTreeFirst(&root) & 0xFF);
  ClickNtfsNode(root, 3);  // everything ticked
  const std::string dest = FreshDestination("finished");
  ASSERT_TRUE(SaveDeleteFile((dest + "\\").c_str()));
  ASSERT_TRUE(HoldSaveInsideAFile()) << "the save ended before it could be held";
  TFrmSaveProgress* w = FrmSaveProgress;
  HWND wnd = w->Handle();
  HWND pause = w->Button2->Handle();
  bool visible_after_closes = false;
  std::string paused_caption;
  const std::string said = RunSaveWindow(
      [] {
        TFrmSaveProgress* w = FrmSaveProgress;
        return static_cast<forms::TThread*>(
            new TMyThreadSave(w->ProgressBar1, w, w->LabFile, w->LabFolder, w->Labfindfile, nullptr));
      },
      [&] {
        if (!WaitReady(wnd)) return;
        ShownCount(w, true);
        TryEveryClose(w, OnGuiRead<POINT>([w] { return CloseButtonOf(w); }));
        visible_after_closes = IsWindowVisible(wnd);
        Shoot(wnd, "save_progress.png");
        ASSERT_TRUE(Press(pause, [] { return SaveState == kRunPaused; })) << "Pause did not";
        paused_caption = CaptionOf(w->Button2);
        ASSERT_TRUE(Press(pause, [] { return SaveState != kRunPaused; })) << "Continue did not";
        WaitHidden(wnd, 120000);
      });
  EXPECT_TRUE(visible_after_closes) << "closed while the save ran";
  EXPECT_EQ(paused_caption, "&Continue");
  EXPECT_EQ(said, Text(LangKey::SaveFinished));
  EXPECT_EQ(CaptionOf(w->Button2), "&Pause");
  std::vector<std::pair<std::string, uint64_t>> files;
  ListFiles(dest, files);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].second, kBigFileBytes);
  EXPECT_EQ(Poll(true).a, 1u);
}

TEST_F(ProgressWindows, StoppedSaveEndsQuietlyAndAShortSaveSaysSo) {
  ScanThroughWindow(FatImage("fat32_control.img"), false, false);
  scavrel::FoundNode* root = nullptr;
  ASSERT_TRUE(GetTreeFirst(&root) & 0xFF);
  ClickNtfsNode(root, 3);
  TFrmSaveProgress* w = FrmSaveProgress;
  HWND wnd = w->Handle();
  HWND pause = w->Button2->Handle();
  HWND stop = w->Button3->Handle();
  auto make = [] {
    TFrmSaveProgress* w = FrmSaveProgress;
    return static_cast<forms::TThread*>(
        new TMyThreadSave(w->ProgressBar1, w, w->LabFile, w->LabFolder, w->Labfindfile, nullptr));
  };

  // Stopped while paused: the save thread is woken to see the stop; nothing is announced.
  std::string stopped = FreshDestination("stopped");
  ASSERT_TRUE(SaveDeleteFile((stopped + "\\").c_str()));
  ASSERT_TRUE(HoldAfter(true, 200));
  std::string caption_while_stopping;
  std::string said = RunSaveWindow(make, [&] {
    if (!WaitReady(wnd)) return;
    ASSERT_TRUE(Press(pause, [] { return SaveState == kRunPaused; })) << "Pause did not pause";
    ASSERT_TRUE(ClickMiddle(stop)) << "Stop was not taken";
    caption_while_stopping = CaptionOf(FrmSaveProgress->Button2);
    WaitHidden(wnd, 60000);
  });
  EXPECT_EQ(caption_while_stopping, "&Continue");
  EXPECT_EQ(said, "");  // stopped: nothing announced

  EXPECT_EQ(SaveState, kRunIdle);
  EXPECT_EQ(CaptionOf(w->Button2), "&Pause");
  std::vector<std::pair<std::string, uint64_t>> some;
  ListFiles(stopped, some);
  EXPECT_LT(some.size(), 11000u);

  // Short: a file where the save must make the folder x000 keeps its ten files out (without
  // auto-rename; with it the folder would take the next free name).
  ASSERT_TRUE(SetAutoRename(0));
  std::string blocked = FreshDestination("short");
  HANDLE f = CreateFileA((blocked + "\\x000").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                         nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);
  ASSERT_TRUE(SaveDeleteFile((blocked + "\\").c_str()));
  said = RunSaveWindow(make, [&] { WaitVisible(wnd) && WaitHidden(wnd, 120000); });
  SetAutoRename(1);
  // The ten files are counted, and the destination, not the drive, is said to have failed.
  const std::string whole = std::to_string(Poll(true).a);
  EXPECT_EQ(said, FillInValues(Text(LangKey::SaveShort), {whole, "10"}) + "\r\n" +
                      Text(LangKey::SaveDestinationFailed) + "\r\n" + Text(LangKey::SaveWritten));

  // A later save starts with the stop forgotten and ends announced.
  std::string again = FreshDestination("again");
  ASSERT_TRUE(SaveMenuFile((again + "\\").c_str(), root->first_child));
  said = RunSaveWindow(
      [] {
        TFrmSaveProgress* w = FrmSaveProgress;
        scavrel::FoundNode* root = nullptr;
        GetTreeFirst(&root);
        return static_cast<forms::TThread*>(new TMyThreadSave(
            w->ProgressBar1, w, w->LabFile, w->LabFolder, w->Labfindfile, root->first_child));
      },
      [&] { WaitVisible(wnd) && WaitHidden(wnd, 60000); });
  EXPECT_EQ(said, Text(LangKey::SaveFinished));

}

TEST_F(ProgressWindows, HitListSaveOfTheTickedRowsIsWatchedToItsEnd) {
  ScanThroughWindow(FatImage("fat32.img"), false, true);
  ASSERT_GE(HitListCount, 3u);
  // Tick every other row, as the row check boxes would.
  uint32_t ticked = 0;
  for (uint32_t row = 0; row < HitListCount; ++row) {
    quorrin_api::IntegerCell state = row % 2 == 0 ? 3 : 1;
    SetSortValue(&state, row, 8, HitList);
    ticked += state == 3;
  }
  const std::string dest = FreshDestination("hits");
  ASSERT_TRUE(SaveDeleteFile1((dest + "\\").c_str(), HitList, 8, 0, 1, 9, 3));
  HWND wnd = FrmSaveProgress->Handle();
  const std::string said = RunSaveWindow(
      [] {
        TFrmSaveProgress* w = FrmSaveProgress;
        return static_cast<forms::TThread*>(
            new TMyThreadSavefile(w->ProgressBar1, w, w->LabFile, w->LabFolder, w->Labfindfile));
      },
      [&] { WaitVisible(wnd) && WaitHidden(wnd, 60000); });
  std::vector<std::pair<std::string, uint64_t>> files;
  ListFiles(dest, files);
  EXPECT_EQ(files.size(), ticked);
  EXPECT_EQ(said, Text(LangKey::SaveFinished));
  FindMode = 0;
}

TEST_F(ProgressWindows, TheResultsWindowStartsTheScanUnderTheProgressWindowOnceConnected) {
  // As Vardeck.exe runs: the results window's first tick starts the engine and the watch.
  ConnectWatchThreads();
  ScanDriveCaption = kCaption;
  ScanDevicePath = FatImage("fat32.img");
  FullScan = 0;
  FindMode = 0;
  NtfsChosen = 0;
  SetNtfs(0);
  ScanState = kRunRunning;
  HWND progress = FrmProgress->Handle();
  bool shown = false;
  EndBoxAnswerer answer;
  Robot watch([&] {
    shown = WaitVisible(progress, 15000);
    WaitHidden(progress, 60000);
  });
  FrmFindFile->BeginScanResults();
  WaitUntil([&] { return watch.Done() && ScanState == kRunIdle; }, 60000);
  watch.Join();
  EXPECT_EQ(answer.Finish(), Text(LangKey::ScanFinished));
  EXPECT_TRUE(shown) << "no progress window";
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Text(), kCaption);
  FrmFindFile->StartScanWatch = nullptr;
  FrmFindFile->StartSaveWatch = nullptr;
  FrmFindFile->Hide();
}

TEST_F(ProgressWindows, NtfsScanThroughTheWindowBuildsItsFolderTree) {
  ScanThroughWindow(NtfsImage("basic4k.img"), true, false);
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Text(), kCaption);
  EXPECT_GE(FrmFindFile->TreeView1->Items().Count(), 2);
  NtfsChosen = 0;
  SetNtfs(0);
}

}  // namespace
