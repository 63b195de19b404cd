// The program's windows in the test's own process, made as Vardeck.exe makes them, for the
// front end's window tests: the fixture that makes them once per test program, message boxes
// answered as a user answers them, and a click on a skinned button. The moves themselves come
// from the one robot (tests/support/WindowRobot.h).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/FolderBrowser.h"
#include "forms/Forms.h"
#include "frontend/LangFile.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "skin/SkinButton.h"
#include "tests/support/WindowRobot.h"

namespace tolvane_test {

// Makes the program's forms for the test program's first test and frees them after its last;
// skips every test where there is no window system. The pointer waits in the screen's corner
// between tests, away from where the next test's windows come up.
class ProgramWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (forms::Application()->Handle()) vardeck::CreateForms();
  }
  static void TearDownTestSuite() {
    if (!vardeck::FrmRun) return;
    forms::SetFolderBrowser(nullptr);
    vardeck::DestroyForms();
  }
  // A fixture's own SetUp calls this first and returns when IsSkipped().
  void SetUp() override {
    if (!vardeck::FrmRun) GTEST_SKIP() << "no window system (DISPLAY unset)";
    ParkPointer();
  }
  void TearDown() override { ParkPointer(); }
};

// Answers every message box as the user would: a click on the chosen button of each box that
// comes up, its text kept. A timer of the GUI thread, so it also runs inside the boxes' own
// modal loops.
class BoxAnswers {
 public:
  BoxAnswers() {
    timer_ = new forms::TTimer(nullptr);
    timer_->SetInterval(50);
    timer_->OnTimer = [this](forms::TObject*) { Tick(); };
    timer_->SetEnabled(true);
  }
  ~BoxAnswers() { delete timer_; }
  BoxAnswers(const BoxAnswers&) = delete;
  BoxAnswers& operator=(const BoxAnswers&) = delete;
  int button = 1;  // 1 OK, 2 Cancel
  std::vector<std::string> texts;
  bool Saw(vardeck::LangKey key) const {
    for (const std::string& t : texts) {
      if (t == vardeck::Lang().Text(key)) return true;
    }
    return false;
  }

 private:
  void Tick() {
    using vardeck::FrmAttention;
    bool shown = FrmAttention && FrmAttention->HandleAllocated() &&
                 IsWindowVisible(FrmAttention->Handle());
    if (!shown) {
      answering_ = false;
      return;
    }
    if (answering_) return;
    answering_ = true;
    texts.push_back(FrmAttention->Label1->Caption());
    skin::TSkinImageButton* b = button == 2 && FrmAttention->ButtonCount() == 2
                                    ? FrmAttention->Button2
                                    : FrmAttention->Button1;
    RECT r{};
    GetClientRect(b->Handle(), &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(b->Handle(), WM_LBUTTONUP, 0, at);
  }
  forms::TTimer* timer_;
  bool answering_ = false;
};

// A click in the middle of a skinned button, through the system's input queue.
inline void ClickButton(skin::TSkinImageButton* b) {
  RECT r{};
  GetClientRect(b->Handle(), &r);
  ClickClient(b->Handle(), r.right / 2, r.bottom / 2);
}

}  // namespace tolvane_test
