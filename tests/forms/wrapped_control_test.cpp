// Real windows under the X server: system controls wrapped by the form layer (typed keys and
// clicks still work, notifications come back to the control's own object), reflection of
// child notifications, double-clicks, the mouse entering and leaving graphic controls, mouse
// capture, cursors, and the 32-bit scroll position.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using tolvane_test::ClickAt;
using tolvane_test::PressKey;
using tolvane_test::Pump;

namespace {

// A wrapped EDIT that answers its own notifications, as a real edit wrapper would.
class TestEdit : public TWinControl {
 public:
  explicit TestEdit(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(10, 10, 150, 22);
  }
  int changes = 0;
  int colour_queries = 0;
  bool answer_colour = false;
  HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
  ~TestEdit() override { DeleteObject(brush); }

  std::string WindowText() {
    char buf[256] = {};
    GetWindowTextA(Handle(), buf, sizeof(buf));
    return buf;
  }
  std::pair<int, int> Selection() {
    DWORD a = 0, b = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {static_cast<int>(a), static_cast<int>(b)};
  }

 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "EDIT");
    p.Style |= ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  }
  void Dispatch(TMessage& m) override {
    if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
      ++changes;
      return;
    }
    if (m.Msg == CN_CTLCOLOREDIT) {
      ++colour_queries;
      if (answer_colour) {
        SetBkColor(reinterpret_cast<HDC>(m.WParam), RGB(255, 255, 0));
        m.Result = reinterpret_cast<LRESULT>(brush);
        return;
      }
    }
    TWinControl::Dispatch(m);
  }
};

// An owner-drawn list box: the system asks its parent for the item height while the list box
// is still being created.
class TestOwnerList : public TWinControl {
 public:
  explicit TestOwnerList(TComponent* owner) : TWinControl(owner) { SetBounds(10, 40, 100, 80); }
  int measures = 0;

 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "LISTBOX");
    p.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  }
  void Dispatch(TMessage& m) override {
    if (m.Msg == CN_MEASUREITEM) {
      ++measures;
      reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->itemHeight = 23;
      m.Result = 1;
      return;
    }
    TWinControl::Dispatch(m);
  }
};

// A wrapped scroll bar (or track bar) control that reads the position of its reflected
// scroll messages.
class TestScrollBar : public TWinControl {
 public:
  TestScrollBar(TComponent* owner, const char* system_class)
      : TWinControl(owner), system_class_(system_class) {
    SetBounds(10, 130, 150, 24);
  }
  int last_pos = -1;

 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    CreateSubClass(p, system_class_);
    if (lstrcmpiA(system_class_, "SCROLLBAR") == 0) p.Style |= SBS_HORZ;
  }
  const char* system_class_;
  void Dispatch(TMessage& m) override {
    if (m.Msg == CN_HSCROLL) {
      last_pos = ScrollMessagePos(Handle(), m);
      return;
    }
    TWinControl::Dispatch(m);
  }
};

class Pad : public TCustomControl {
 public:
  explicit Pad(TComponent* owner) : TCustomControl(owner) { SetBounds(200, 10, 60, 40); }
};

class Spot : public TGraphicControl {
 public:
  explicit Spot(TComponent* owner) : TGraphicControl(owner) {}
  int enters = 0, leaves = 0;

 protected:
  void CMMouseEnter(TMessage&) override { ++enters; }
  void CMMouseLeave(TMessage&) override { ++leaves; }
};

struct EditForm {
  TForm* form;
  TestEdit* edit;
  EditForm() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(20, 20, 300, 160);
    edit = new TestEdit(form);
    edit->SetParent(form);
    form->Show();
    Pump();
    edit->SetFocus();
    Pump();
  }
  ~EditForm() { delete form; }
};

}  // namespace

class Wrapped : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(Wrapped, EditTakesTypedTextAndReportsEachChangeThroughItsOwnObject) {
  EditForm t;
  ASSERT_TRUE(t.edit->IsWrapped());
  char class_name[32] = {};
  GetClassNameA(t.edit->Handle(), class_name, sizeof(class_name));
  EXPECT_STREQ(class_name, "Edit");
  EXPECT_EQ(TWinControl::FromHandle(t.edit->Handle()), t.edit);
  std::string typed;
  t.edit->OnKeyPress = [&](TObject*, char& c) { typed += c; };
  PressKey(t.edit->Handle(), 'A');
  PressKey(t.edit->Handle(), 'B');
  PressKey(t.edit->Handle(), 'C');
  EXPECT_EQ(t.edit->WindowText(), "abc");
  EXPECT_EQ(typed, "abc");  // our key events ran before the system control took the keys
  EXPECT_EQ(t.edit->changes, 3);
}

TEST_F(Wrapped, KeyEventsCanReplaceOrDropWhatTheEditGets) {
  EditForm t;
  t.edit->OnKeyPress = [](TObject*, char& c) {
    if (c == 'x') c = 'y';
    if (c == '1') c = 0;
  };
  t.edit->OnKeyDown = [](TObject*, WORD& key, TShiftState) {
    if (key == VK_HOME) key = VK_END;
  };
  for (WORD vk : {'A', 'X', '1', 'B'}) PressKey(t.edit->Handle(), vk);
  EXPECT_EQ(t.edit->WindowText(), "ayb");
  SendMessageA(t.edit->Handle(), EM_SETSEL, 1, 1);
  PressKey(t.edit->Handle(), VK_HOME);  // became End
  EXPECT_EQ(t.edit->Selection(), std::make_pair(3, 3));
}

TEST_F(Wrapped, EditCaretAndSelectionFollowArrowKeysAndClicks) {
  EditForm t;
  SetWindowTextA(t.edit->Handle(), "abcdef");
  SendMessageA(t.edit->Handle(), EM_SETSEL, 6, 6);
  PressKey(t.edit->Handle(), VK_LEFT);
  PressKey(t.edit->Handle(), VK_LEFT);
  EXPECT_EQ(t.edit->Selection(), std::make_pair(4, 4));
  PressKey(t.edit->Handle(), VK_HOME);
  EXPECT_EQ(t.edit->Selection(), std::make_pair(0, 0));
  // The arrows stayed the edit's: it asks for them, so they never became dialog keys.
  EXPECT_NE(SendMessageA(t.edit->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);

  int downs = 0, ups = 0;
  t.edit->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  t.edit->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  ClickAt(t.edit->ClientToScreen(POINT{140, 10}));  // right of the text: caret to the end
  Pump();
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(t.edit->Selection(), std::make_pair(6, 6));
}

TEST_F(Wrapped, ChildColourQueryIsReflectedAndUnansweredOnesGetTheSystemBrush) {
  EditForm t;
  HDC dc = GetDC(t.edit->Handle());
  int shown = t.edit->colour_queries;  // the edit has painted itself already
  LRESULT def = SendMessageA(t.form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(t.edit->Handle()));
  EXPECT_EQ(t.edit->colour_queries, shown + 1);
  EXPECT_NE(def, 0);  // the default procedure's brush
  t.edit->answer_colour = true;
  LRESULT own = SendMessageA(t.form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(t.edit->Handle()));
  EXPECT_EQ(own, reinterpret_cast<LRESULT>(t.edit->brush));
  ReleaseDC(t.edit->Handle(), dc);
  // The edit asks when it paints itself.
  int before = t.edit->colour_queries;
  RedrawWindow(t.edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_GT(t.edit->colour_queries, before);
}

TEST_F(Wrapped, MeasureItemSentWhileTheControlIsMadeReachesIt) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(20, 20, 300, 160);
  auto* list = new TestOwnerList(&form);
  list->SetParent(&form);
  form.Show();
  Pump();
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_GE(list->measures, 1);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 23);
}

TEST_F(Wrapped, ScrollPositionAboveSixteenBitsComesThroughWhole) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(20, 20, 300, 160);
  auto* bar = new TestScrollBar(&form, "SCROLLBAR");
  bar->SetParent(&form);
  auto* track = new TestScrollBar(&form, TRACKBAR_CLASSA);
  track->SetTop(100);
  track->SetParent(&form);
  form.Show();
  Pump();
  SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_POS, 0, 200000, 0, 70000, 0};
  SetScrollInfo(bar->Handle(), SB_CTL, &si, TRUE);
  SendMessageA(form.Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF),
               reinterpret_cast<LPARAM>(bar->Handle()));
  EXPECT_EQ(bar->last_pos, 70000);
  SendMessageA(form.Handle(), WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0),
               reinterpret_cast<LPARAM>(bar->Handle()));
  EXPECT_EQ(bar->last_pos, 70000);

  SendMessageA(track->Handle(), TBM_SETRANGEMIN, FALSE, 0);
  SendMessageA(track->Handle(), TBM_SETRANGEMAX, FALSE, 200000);
  SendMessageA(track->Handle(), TBM_SETPOS, TRUE, 123456);
  SendMessageA(form.Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 123456 & 0xFFFF),
               reinterpret_cast<LPARAM>(track->Handle()));
  EXPECT_EQ(track->last_pos, 123456);
}

TEST_F(Wrapped, DoubleClickArrivesOnlyAtControlsThatTakeThem) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(20, 20, 300, 160);
  auto* pad = new Pad(&form);
  pad->SetParent(&form);
  auto* plain = new Pad(&form);
  plain->SetControlStyle(plain->ControlStyle() & ~csDoubleClicks);
  plain->SetLeft(100);
  plain->SetTop(100);
  plain->SetParent(&form);
  auto* spot = new Spot(&form);
  spot->SetBounds(10, 100, 40, 40);
  spot->SetParent(&form);
  form.Show();
  Pump();
  int pad_dbl = 0, plain_dbl = 0, plain_downs = 0, spot_dbl = 0;
  TShiftState pad_shift = 0;
  pad->OnDblClick = [&](TObject*) { ++pad_dbl; };
  pad->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) { pad_shift = s; };
  plain->OnDblClick = [&](TObject*) { ++plain_dbl; };
  plain->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++plain_downs; };
  spot->OnDblClick = [&](TObject*) { ++spot_dbl; };
  for (TControl* c : std::vector<TControl*>{pad, plain, spot}) {
    POINT p = c->ClientToScreen(POINT{5, 5});
    ClickAt(p);
    ClickAt(p);
    Pump();
  }
  EXPECT_EQ(pad_dbl, 1);
  EXPECT_TRUE(pad_shift & ssDouble);
  EXPECT_EQ(plain_dbl, 0);
  EXPECT_EQ(plain_downs, 2);
  EXPECT_EQ(spot_dbl, 1);  // a graphic control's double-click comes through its parent
}

TEST_F(Wrapped, MouseMovingAcrossGraphicControlsEntersAndLeavesEach) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(20, 20, 300, 160);
  auto* a = new Spot(&form);
  a->SetBounds(10, 10, 40, 40);
  a->SetParent(&form);
  auto* b = new Spot(&form);
  b->SetBounds(60, 10, 40, 40);
  b->SetParent(&form);
  form.Show();
  Pump();
  HWND h = form.Handle();
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(25, 20));
  EXPECT_EQ(a->enters, 1);
  EXPECT_EQ(a->leaves, 0);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(70, 20));
  EXPECT_EQ(a->leaves, 1);
  EXPECT_EQ(b->enters, 1);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(200, 120));
  EXPECT_EQ(b->leaves, 1);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(80, 20));
  EXPECT_EQ(b->enters, 2);
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);  // leaving the window leaves the control under it
  EXPECT_EQ(b->leaves, 2);
}

TEST_F(Wrapped, OnlyControlsThatAskCaptureTheMouseOnAPress) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(20, 20, 300, 160);
  auto* asks = new Pad(&form);
  asks->SetParent(&form);
  auto* not_asks = new Pad(&form);
  not_asks->SetControlStyle(not_asks->ControlStyle() & ~csCaptureMouse);
  not_asks->SetLeft(100);
  not_asks->SetParent(&form);
  auto* spot = new Spot(&form);
  spot->SetBounds(10, 100, 40, 40);
  spot->SetParent(&form);
  form.Show();
  Pump();
  SendMessageA(asks->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), asks->Handle());
  SendMessageA(asks->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageA(not_asks->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageA(not_asks->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

  // A graphic control that was pressed keeps the mouse until the release, even off itself.
  int spot_ups = 0, spot_clicks = 0;
  spot->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++spot_ups; };
  spot->OnClick = [&](TObject*) { ++spot_clicks; };
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 110));
  EXPECT_EQ(GetCapture(), form.Handle());
  SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(250, 150));
  EXPECT_EQ(spot_ups, 1);
  EXPECT_EQ(spot_clicks, 0);  // released off the control: no click
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Wrapped, CursorOfTheControlUnderThePointerAndTheScreensOverridingIt) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(20, 20, 300, 160);
  auto* pad = new Pad(&form);
  pad->SetParent(&form);
  auto* spot = new Spot(&form);
  spot->SetBounds(10, 100, 40, 40);
  spot->SetParent(&form);
  form.Show();
  Pump();
  pad->SetCursor(crHandPoint);
  spot->SetCursor(crSizeWE);
  auto ask = [](HWND w) {
    SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  HCURSOR size_we = LoadCursorA(nullptr, IDC_SIZEWE);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  POINT over_pad = pad->ClientToScreen(POINT{5, 5});
  SetCursorPos(over_pad.x, over_pad.y);
  EXPECT_EQ(ask(pad->Handle()), hand);
  POINT over_spot = spot->ClientToScreen(POINT{5, 5});
  SetCursorPos(over_spot.x, over_spot.y);
  EXPECT_EQ(ask(form.Handle()), size_we);
  Screen()->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), wait);  // at once, without a mouse move
  EXPECT_EQ(ask(form.Handle()), wait);
  SetCursorPos(over_pad.x, over_pad.y);
  EXPECT_EQ(ask(pad->Handle()), wait);
  Screen()->SetCursor(crDefault);
  EXPECT_EQ(GetCursor(), hand);
  pad->SetCursor(crCross);  // the pointer is over it: the new shape shows at once
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
}
