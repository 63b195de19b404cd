// Real windows under the X server: focus and tab order, dialog keys and characters reaching
// the controls, mouse enter and leave, painting into a handed-over DC, and modal forms.
#include <gtest/gtest.h>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;

namespace {

using tolvane_test::Pump;

class Probe : public TCustomControl {
 public:
  explicit Probe(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 20, 20);
  }
  int dialog_keys = 0, dialog_chars = 0, enters = 0, leaves = 0, focus_changes = 0;
  TControl* last_focused = nullptr;
  bool answer_keys = false;
  TColor paint_color = 0x00FF00;

 protected:
  void Paint() override {
    Canvas().Brush.Color = paint_color;
    Canvas().FillRect(RECT{0, 0, Width(), Height()});
  }
  void CMDialogKey(TMessage& m) override {
    ++dialog_keys;
    if (answer_keys) m.Result = 1;
  }
  void CMDialogChar(TMessage& m) override {
    if (IsAccel(static_cast<unsigned>(m.WParam), Caption())) {
      ++dialog_chars;
      m.Result = 1;
    }
  }
  void CMMouseEnter(TMessage&) override { ++enters; }
  void CMMouseLeave(TMessage&) override { ++leaves; }
  void CMFocusChanged(TMessage& m) override {
    ++focus_changes;
    last_focused = reinterpret_cast<TControl*>(m.LParam);
  }
};

struct TestForm {
  TForm* form;
  Probe* a;
  Probe* b;
  TestForm() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(10, 10, 200, 100);
    a = new Probe(form);
    a->SetParent(form);
    a->SetCaption("&Alpha");
    b = new Probe(form);
    b->SetLeft(40);
    b->SetParent(form);
    b->SetCaption("&Beta");
  }
  ~TestForm() { delete form; }
};

}  // namespace

class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(Windows, ShowingAFormFocusesItsFirstTabStopAndTabMovesOn) {
  TestForm t;
  t.form->Show();
  Pump();
  EXPECT_TRUE(t.a->Focused());
  EXPECT_EQ(t.form->ActiveControl(), t.a);
  PostMessageA(t.a->Handle(), WM_KEYDOWN, VK_TAB, 0);
  Pump();
  EXPECT_TRUE(t.b->Focused());
  EXPECT_EQ(t.a->last_focused, t.b);  // every control hears of the focus change
}

TEST_F(Windows, EnterIsOfferedToEveryControlAsDialogKeyUntilOneTakesIt) {
  TestForm t;
  t.form->Show();
  Pump();
  t.a->answer_keys = true;
  PostMessageA(t.b->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(t.a->dialog_keys, 1);
  EXPECT_EQ(t.b->dialog_keys, 0);
}

TEST_F(Windows, AltLetterReachesTheControlWithThatAccelerator) {
  TestForm t;
  t.form->Show();
  Pump();
  PostMessageA(t.a->Handle(), WM_SYSCHAR, 'b', 1 << 29);
  Pump();
  EXPECT_EQ(t.b->dialog_chars, 1);
  EXPECT_EQ(t.a->dialog_chars, 0);
}

TEST_F(Windows, MouseMoveEntersOnceAndLeaveIsReported) {
  TestForm t;
  t.form->Show();
  Pump();
  SendMessageA(t.a->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  SendMessageA(t.a->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(4, 3));
  EXPECT_EQ(t.a->enters, 1);
  SendMessageA(t.a->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(t.a->leaves, 1);
}

TEST_F(Windows, PaintWithAHandedOverDcDrawsIntoThatDc) {
  TestForm t;
  t.form->Show();
  Pump();
  TBitmap bmp(20, 20);
  t.a->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()), 0);
  EXPECT_EQ(bmp.GetPixel(10, 10), 0x00FF00);
}

TEST_F(Windows, ShowModalReturnsTheResultSetWhileItRuns) {
  TestForm t;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.OnTimer = [&](TObject*) { t.form->SetModalResult(mrOk); };
  EXPECT_EQ(t.form->ShowModal(), mrOk);
  EXPECT_FALSE(t.form->Visible());
}

TEST_F(Windows, CloseDuringShowModalEndsItWithCancel) {
  TestForm t;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.OnTimer = [&](TObject*) { t.form->Close(); };
  EXPECT_EQ(t.form->ShowModal(), mrCancel);
}

TEST_F(Windows, RecreateWndKeepsTheChildrenWindowed) {
  TestForm t;
  t.form->Show();
  Pump();
  HWND old = t.a->Handle();
  t.form->RecreateWnd();
  EXPECT_TRUE(t.a->HandleAllocated());
  EXPECT_NE(t.a->Handle(), old);
  EXPECT_EQ(GetParent(t.a->Handle()), t.form->Handle());
}

TEST_F(Windows, HookOfTheApplicationWindowSeesItsMessagesFirst) {
  int seen = 0;
  int id = Application()->HookMainWindow([&](TMessage& m) {
    if (m.Msg != WM_USER + 7) return false;
    ++seen;
    m.Result = 42;
    return true;
  });
  EXPECT_EQ(SendMessageA(Application()->Handle(), WM_USER + 7, 0, 0), 42);
  Application()->UnhookMainWindow(id);
  EXPECT_EQ(SendMessageA(Application()->Handle(), WM_USER + 7, 0, 0), 0);
  EXPECT_EQ(seen, 1);
}

TEST_F(Windows, KeyPreviewLetsTheFormSeeAndEatKeysFirst) {
  TestForm t;
  t.form->SetKeyPreview(true);
  WORD form_saw = 0, control_saw = 0;
  t.form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    form_saw = key;
    if (key == 'X') key = 0;
  };
  t.a->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { control_saw = key; };
  t.form->Show();
  Pump();
  PostMessageA(t.a->Handle(), WM_KEYDOWN, 'Y', 0);
  Pump();
  EXPECT_EQ(form_saw, 'Y');
  EXPECT_EQ(control_saw, 'Y');
  control_saw = 0;
  PostMessageA(t.a->Handle(), WM_KEYDOWN, 'X', 0);
  Pump();
  EXPECT_EQ(form_saw, 'X');
  EXPECT_EQ(control_saw, 0);
}

TEST_F(Windows, ClosingTheMainFormTerminatesRun) {
  TestForm t;
  Application()->SetMainForm(t.form);
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.OnTimer = [&](TObject*) { t.form->Close(); };
  Application()->Run();
  EXPECT_TRUE(Application()->Terminated());
  Application()->SetMainForm(nullptr);
}
