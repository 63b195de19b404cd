// The program's windows in the test's own process, made as Vardeck.exe makes them, for the
// front end's window tests: the fixture that makes them once per test program, message boxes
// answered as a user answers them, and a click on a skinned button. The moves themselves come
// from the one robot (tests/support/WindowRobot.h).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
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

// Whether a form is on the screen.
inline bool Showing(forms::TForm* form) {
  return form && form->HandleAllocated() && IsWindowVisible(form->Handle());
}

// Runs `step` from a timer of the GUI thread, so that it also runs inside modal loops.
class Ticker {
 public:
  explicit Ticker(std::function<void()> step) : step_(std::move(step)) {
    timer_ = new forms::TTimer(nullptr);
    timer_->SetInterval(50);
    timer_->OnTimer = [this](forms::TObject*) { step_(); };
    timer_->SetEnabled(true);
  }
  ~Ticker() { delete timer_; }
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;

 private:
  std::function<void()> step_;
  forms::TTimer* timer_;
};

// Answers every message box as the user would: a click on the chosen button of each box that
// comes up, its text kept. Runs from a Ticker, so it also answers inside the boxes' own modal
// loops.
class BoxAnswers {
 public:
  BoxAnswers() : ticker_([this] { Tick(); }) {}
  int button = 1;        // 1 OK, 2 Cancel
  // Instead of a button: a key pressed on the box's focused control (VK_RETURN, VK_ESCAPE),
  // or, with close_box, the box closed through its system menu.
  WORD key = 0;
  bool close_box = false;
  bool enabled = true;   // false: boxes are left to the test
  // A box whose text starts with this one is photographed (tests/artifacts/<shoot_file>) before
  // it is answered.
  std::string shoot_text;
  std::string shoot_file;
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
    if (!enabled || !Showing(FrmAttention)) {
      answering_ = false;
      return;
    }
    // A key or close the box has not taken within a second is given again.
    if (answering_ && ++waited_ < 20) return;
    waited_ = 0;
    // Set before the picture: taking it runs the queue, and this timer with it.
    const bool first = !answering_;
    answering_ = true;
    if (first) {
      texts.push_back(FrmAttention->Label1->Caption());
      if (!shoot_file.empty() && texts.back().rfind(shoot_text, 0) == 0) Shoot(FrmAttention->Handle(), shoot_file);
    }
    if (close_box) {
      PostMessageA(FrmAttention->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      return;
    }
    if (key != 0) {
      HWND focus = GetFocus();
      PostKey(focus ? focus : FrmAttention->Handle(), key);
      return;
    }
    skin::TSkinImageButton* b = button == 2 && FrmAttention->ButtonCount() == 2
                                    ? FrmAttention->Button2
                                    : FrmAttention->Button1;
    RECT r{};
    GetClientRect(b->Handle(), &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(b->Handle(), WM_LBUTTONUP, 0, at);
  }
  bool answering_ = false;
  int waited_ = 0;
  Ticker ticker_;
};

// A click in the middle of a button, through the system's input queue.
inline void ClickButton(forms::TWinControl* b) {
  RECT r{};
  GetClientRect(b->Handle(), &r);
  ClickClient(b->Handle(), r.right / 2, r.bottom / 2);
}

}  // namespace tolvane_test
