// The Help links of the start window and the results window, pressed as a user presses them,
// with the windows made in this test's process as the program makes them and Tolvane.chm
// installed beside the test program as beside Vardeck.exe. The first press has the shell open
// the help file (under Wine its viewer, hh.exe, shows a window titled "Tolvane Help" with the
// file's contents pane); a press while that window is open brings it forward and opens no
// second one. Writes help_window.png (the screen after the first press) to tests/artifacts/.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/Application.h"
#include "frontend/SharedState.h"
#include "frontend/win/ProgramFolder.h"
#include "frontend/win/ShellOpen.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace vardeck;

namespace {

// ---- robot moves (as the other window tests make them) ------------------------------------

using tolvane_test::Pump;
using tolvane_test::WaitUntil;

// A link label has no window of its own: it is clicked through its parent, near its top left.
// Two presses on one spot within the double-click time would be a double click: wait it out.
void ClickLink(forms::TControl* link) {
  Pump(static_cast<int>(GetDoubleClickTime()) + 100);
  RECT r{};
  GetWindowRect(link->Parent()->Handle(), &r);
  tolvane_test::ClickAt(POINT{r.left + link->Left() + 5, r.top + link->Top() + 5});
}

// The whole screen, as the user sees it.
void ShootScreen(const char* file) {
  forms::TBitmap shot;
  tolvane_test::GrabScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                           shot);
  tolvane_test::SavePicture(shot, file);
}

// ---- the help viewer, seen from outside its process ---------------------------------------

constexpr const char* kHelpTitle = "Tolvane Help";
// Pages in the help file's contents pane (resources/help/Tolvane.hhc).
constexpr LRESULT kContentsPages = 7;
// A cold start of the viewer under Wine on a loaded machine takes seconds.
constexpr DWORD kViewerStartMs = 60000;

BOOL CALLBACK CollectHelpWindow(HWND wnd, LPARAM found) {
  char title[64] = {};
  GetWindowTextA(wnd, title, sizeof title);
  if (std::string(title) == kHelpTitle)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(wnd);
  return TRUE;
}

// Every top-level window titled "Tolvane Help", hidden ones too.
std::vector<HWND> HelpWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectHelpWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

BOOL CALLBACK FindTree(HWND wnd, LPARAM found) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  if (std::string(name) != WC_TREEVIEWA) return TRUE;
  *reinterpret_cast<HWND*>(found) = wnd;
  return FALSE;
}

// The number of entries in the viewer's contents pane (its tree view); -1 without one.
LRESULT ContentsEntries(HWND help) {
  HWND tree = nullptr;
  EnumChildWindows(help, FindTree, reinterpret_cast<LPARAM>(&tree));
  return tree ? SendMessageA(tree, TVM_GETCOUNT, 0, 0) : -1;
}

std::string ProcessImage(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return std::string();
  char path[MAX_PATH] = {};
  DWORD size = sizeof path;
  if (!QueryFullProcessImageNameA(process, 0, path, &size)) size = 0;
  CloseHandle(process);
  return std::string(path, size);
}

// Closes the viewers this test's presses started: asked first, ended when they do not go.
void CloseHelpWindows() {
  for (HWND help : HelpWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(help, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageA(help, WM_CLOSE, 0, 0);
    if (process) {
      if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
  WaitUntil([] { return HelpWindows().empty(); }, 5000);
}

// Records what the windows hand the shell instead of handing it on, while it lives.
class RecordedOpens {
 public:
  RecordedOpens()
      : old_(SetShellOpener([this](const std::string& target) { targets.push_back(target); })) {}
  ~RecordedOpens() { SetShellOpener(old_); }
  std::vector<std::string> targets;

 private:
  ShellOpener old_;
};

class HelpLink : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!forms::Application()->Handle()) return;
    CreateForms();
  }
  static void TearDownTestSuite() {
    CloseHelpWindows();
    if (FrmRun) DestroyForms();
  }

  void SetUp() override {
    if (!FrmRun) GTEST_SKIP() << "no window system (DISPLAY unset)";
    CloseHelpWindows();
    ASSERT_TRUE(HelpWindows().empty()) << "a help window of an earlier run stays open";
    SetCursorPos(1023, 767);
    if (FrmFindFile->Visible()) FrmFindFile->Hide();
    forms::Application()->SetMainForm(FrmRun);
    FrmRun->Show();
    ASSERT_TRUE(WaitUntil([] { return !FrmRun->Timer1->Enabled(); }, 15000));
  }
  void TearDown() override {
    CloseHelpWindows();
    if (FrmFindFile && FrmFindFile->Visible()) FrmFindFile->Hide();
  }

  // The results window as a scan shows it, without the scan its first tick would start.
  static void ShowResultsWindow() {
    FrmFindFile->Show();
    FrmFindFile->Timer1->SetEnabled(false);
    WaitUntil([] { return IsWindowVisible(FrmFindFile->Handle()) != FALSE; }, 5000);
    Pump();
  }

  // Presses the link with the shell at work and waits for the viewer's window to show the
  // help file's contents; nil when none came.
  static HWND PressAndWaitForViewer(forms::TControl* link) {
    ClickLink(link);
    HWND help = nullptr;
    WaitUntil(
        [&] {
          std::vector<HWND> windows = HelpWindows();
          help = windows.size() == 1 && IsWindowVisible(windows[0]) ? windows[0] : nullptr;
          return help && ContentsEntries(help) > 0;
        },
        kViewerStartMs);
    return help;
  }

  // With the viewer minimised behind `form`, a press on `link` restores it and brings it to
  // the foreground, and hands the shell nothing.
  static void PressBringsViewerForward(forms::TForm* form, forms::TControl* link, HWND help) {
    ShowWindow(help, SW_MINIMIZE);
    SetForegroundWindow(form->Handle());
    ASSERT_TRUE(WaitUntil(
        [&] { return IsIconic(help) && GetForegroundWindow() == form->Handle(); }, 10000))
        << "the viewer could not be put behind the window";
    RecordedOpens opens;
    ClickLink(link);
    EXPECT_TRUE(WaitUntil(
        [&] { return !IsIconic(help) && IsWindowVisible(help) && GetForegroundWindow() == help; },
        10000))
        << "the help window did not come forward";
    EXPECT_TRUE(opens.targets.empty()) << "the help file was handed to the shell again";
    // A second viewer would show up within moments; give it the time to.
    Pump(1500);
    EXPECT_EQ(HelpWindows().size(), 1u);
  }
};

TEST_F(HelpLink, StartWindowOpensTheHelpFileThenBringsItsWindowForward) {
  HWND help = PressAndWaitForViewer(FrmRun->skURLLabel3);
  ASSERT_NE(help, nullptr) << "no \"Tolvane Help\" window showing the help file's contents";
  const std::string viewer = ProcessImage(help);
  EXPECT_NE(viewer.find("hh.exe"), std::string::npos) << viewer;
  WaitUntil([&] { return ContentsEntries(help) == kContentsPages; }, 5000);
  EXPECT_EQ(ContentsEntries(help), kContentsPages) << "the contents pane lists other pages";
  Pump();
  ShootScreen("help_window.png");
  PressBringsViewerForward(FrmRun, FrmRun->skURLLabel3, help);
}

TEST_F(HelpLink, ResultsWindowOpensTheHelpFileThenBringsItsWindowForward) {
  ShowResultsWindow();
  {
    // The file the link hands the shell is the one beside the program.
    RecordedOpens opens;
    ClickLink(FrmFindFile->skURLLabel4);
    WaitUntil([&] { return !opens.targets.empty(); }, 10000);
    ASSERT_EQ(opens.targets.size(), 1u);
    EXPECT_EQ(opens.targets[0], ProgramFolder() + "Tolvane.chm");
  }
  HWND help = PressAndWaitForViewer(FrmFindFile->skURLLabel4);
  ASSERT_NE(help, nullptr) << "no \"Tolvane Help\" window showing the help file's contents";
  PressBringsViewerForward(FrmFindFile, FrmFindFile->skURLLabel4, help);
}

}  // namespace
