// The robot's own promises, which every window test leans on: what a robot thread types is in
// the window when Type returns, and deadlines stretch by the factor scripts/test.sh sets.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"

namespace {

using tolvane_test::Robot;

TEST(WindowRobot, WhatARobotThreadTypesIsInTheEditWhenTypeReturns) {
  if (!forms::Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  forms::TForm form(nullptr);
  form.SetBorderStyle(forms::TFormBorderStyle::bsNone);
  form.SetBounds(10, 10, 300, 60);
  auto* edit = new forms::TEdit(&form);
  edit->SetBounds(5, 5, 280, 21);
  edit->SetParent(&form);
  form.Show();
  tolvane_test::Pump();
  const HWND wnd = edit->Handle();
  // Enough characters that a text asked for at once (a sent message, served before the posted
  // characters still queued) would come back short.
  const std::string typed(400, 'k');
  std::string seen;
  Robot robot([&] {
    tolvane_test::Type(wnd, typed);
    char text[512] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        tolvane_test::Scaled(5000), &n);
    seen = text;
  });
  ASSERT_TRUE(tolvane_test::WaitUntil([&] { return robot.Done(); }));
  robot.Join();
  EXPECT_EQ(seen.size(), typed.size());
}

TEST(WindowRobot, DeadlinesStretchByTheRunsFactor) {
  char old[32] = {};
  const bool had = GetEnvironmentVariableA("TOLVANE_WAIT_FACTOR", old, sizeof old) > 0;
  SetEnvironmentVariableA("TOLVANE_WAIT_FACTOR", "3");
  EXPECT_GE(tolvane_test::WaitFactor(), 3.0);
  EXPECT_GE(tolvane_test::Scaled(1000), 3000u);
  SetEnvironmentVariableA("TOLVANE_WAIT_FACTOR", "nonsense");
  EXPECT_GE(tolvane_test::WaitFactor(), 1.0);
  SetEnvironmentVariableA("TOLVANE_WAIT_FACTOR", had ? old : nullptr);
}

}  // namespace
