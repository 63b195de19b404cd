// Vardeck.exe as a person starts it: the start window comes up with its caption, and stays the
// only window until asked for more.
#include <gtest/gtest.h>

#include "tests/frontend/vardeck_process.h"

namespace {

constexpr const char* kStartWindowTitle = " Tolvane  2.4";

TEST(VardeckStart, ProgramShowsItsStartWindow) {
  if (!GetEnvironmentVariableA("DISPLAY", nullptr, 0)) GTEST_SKIP() << "no display";
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

}  // namespace
