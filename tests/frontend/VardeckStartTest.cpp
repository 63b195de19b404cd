// Vardeck.exe as a person starts it: the start window comes up; a second start ends at once and
// brings the first back; without Lang.rec the program ends without a window. And the
// single-instance guard itself: the handle it keeps in 32 bits, a stale or foreign handle.
#include <gtest/gtest.h>

#include <string>

#include "forms/Application.h"
#include "frontend/win/InstanceGuard.h"
#include "tests/frontend/VardeckProcess.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

namespace {

constexpr const char* kStartWindowTitle = " Tolvane  2.4";

bool HaveDisplay() { return forms::Application()->Handle() != nullptr; }

TEST(VardeckStart, ProgramShowsItsStartWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  tolvane_test::VardeckProcess program;
  ASSERT_TRUE(program.Started());
  HWND start = program.WaitForWindow(kStartWindowTitle, 30000);
  ASSERT_NE(start, nullptr) << "no start window; exit code " << program.WaitForExit(0);
  EXPECT_TRUE(program.Running());
  RECT r{};
  GetClientRect(start, &r);
  EXPECT_GE(r.right - r.left, 550);
  EXPECT_GE(r.bottom - r.top, 400);
}

TEST(VardeckStart, SecondStartEndsAtOnceAndRestoresTheFirst) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  tolvane_test::VardeckProcess first;
  HWND start = first.WaitForWindow(kStartWindowTitle, 30000);
  ASSERT_NE(start, nullptr);
  ShowWindow(start, SW_MINIMIZE);
  tolvane_test::WaitFor([start] { return IsIconic(start) != FALSE; });
  ASSERT_TRUE(IsIconic(start));

  tolvane_test::VardeckProcess second;
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(second.WaitForExit(20000), 0u) << "the second start did not end";
  EXPECT_TRUE(second.VisibleWindows(kStartWindowTitle).empty());
  tolvane_test::WaitFor([start] { return !IsIconic(start); });
  EXPECT_FALSE(IsIconic(start)) << "the first instance was not restored";
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(first.VisibleWindows(kStartWindowTitle).size(), 1u);
}

TEST(VardeckStart, SecondStartBringsTheFirstInstancesOpenBoxForward) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  tolvane_test::VardeckProcess first;
  HWND start = first.WaitForWindow(kStartWindowTitle, 30000);
  ASSERT_NE(start, nullptr);
  // Closing the start window asks first: the box stays open in the first instance.
  PostMessageA(start, WM_SYSCOMMAND, SC_CLOSE, 0);
  HWND box = first.WaitForWindow("Attention", 10000);
  ASSERT_NE(box, nullptr);
  // Something else takes the foreground meanwhile.
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  tolvane_test::WaitUntil([other] { return GetForegroundWindow() == other; });
  ASSERT_EQ(GetForegroundWindow(), other);

  tolvane_test::VardeckProcess second;
  EXPECT_EQ(second.WaitForExit(20000), 0u);
  tolvane_test::WaitUntil([box] { return GetForegroundWindow() == box; });
  EXPECT_EQ(GetForegroundWindow(), box) << "the first instance's box is not in front";
  EXPECT_TRUE(first.Running());
  DestroyWindow(other);
}

TEST(VardeckStart, WithoutLangRecTheProgramEndsWithoutAWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  // The program and its two libraries in a folder of their own, without the language file.
  const std::string folder = "no_lang_rec";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* file : {"Vardeck.exe", "Scavrel.dll", "Quorrin.dll"})
    ASSERT_TRUE(CopyFileA(file, (folder + "\\" + file).c_str(), FALSE)) << file;
  DeleteFileA((folder + "\\Lang.rec").c_str());

  tolvane_test::VardeckProcess program(folder + "\\Vardeck.exe");
  ASSERT_TRUE(program.Started());
  bool window_seen = false;
  DWORD code = STILL_ACTIVE;
  tolvane_test::WaitFor([&] {
    if (!program.VisibleWindows(kStartWindowTitle).empty()) window_seen = true;
    code = program.WaitForExit(50);
    return code != STILL_ACTIVE;
  }, 20000);
  EXPECT_NE(code, STILL_ACTIVE) << "the program did not end";
  EXPECT_FALSE(window_seen);
}

// ---- the guard -------------------------------------------------------------------------------

TEST(InstanceGuard, HandleKeptInThirtyTwoBitsComesBackSignExtended) {
  using vardeck::StoredWindowValue;
  using vardeck::WindowFromStoredValue;
  HWND low = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x0001'2345));
  EXPECT_EQ(WindowFromStoredValue(StoredWindowValue(low)), low);
  // A handle whose 32-bit value has its top bit set is that value sign-extended.
  HWND high = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(0x8000'1234u)));
  EXPECT_EQ(StoredWindowValue(high), 0x8000'1234u);
  EXPECT_EQ(WindowFromStoredValue(0x8000'1234u), high);
}

TEST(InstanceGuard, FirstClaimsSecondYieldsAndAStaleHandleIsTakenOver) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  HWND app = forms::Application()->Handle();
  {
    vardeck::InstanceGuard first;
    ASSERT_TRUE(first.Active());
    EXPECT_FALSE(first.Check(app));
    vardeck::InstanceGuard second;
    ASSERT_TRUE(second.Active());
    // Another start finds the first one's application window.
    EXPECT_TRUE(second.Check(reinterpret_cast<HWND>(1)));
  }
  {
    // A window that is no application window of this program (its handle reused, or the
    // first instance gone) does not keep a start from running.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    vardeck::InstanceGuard first;
    EXPECT_FALSE(first.Check(other));
    DestroyWindow(other);
    vardeck::InstanceGuard second;
    EXPECT_FALSE(second.Check(app)) << "a destroyed window's handle kept the start away";
    vardeck::InstanceGuard third;
    EXPECT_TRUE(third.Check(reinterpret_cast<HWND>(1)));
  }
}

}  // namespace
