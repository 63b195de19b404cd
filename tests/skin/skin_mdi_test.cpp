// Skinned MDI windows on the X server: a framed MDI parent with framed children in its MDI
// client. Which child's title bar is drawn active, maximise and restore of a child (its title
// bar goes and the contents move up into its place, and back), closing children, the border
// sizes a child asks the main form for (answered by a framed parent, 0 from a plain one, 4
// when out of reason), the edges of a child that had a single border, no menu bar on a child,
// the region of a skinned child, and IsFormActive's MDI answers. Writes mdi_frames.png and
// mdi_maximised.png to tests/artifacts/.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>

#include "skin/SkinButton.h"
#include "skin/SkinForm.h"
#include "skin/SkinMainMenu.h"
#include "skin/SkinPublic.h"
#include "tests/support/TitleBarButtons.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

using tolvane_test::Pump;
using tolvane_test::WaitUntil;

constexpr int kButtonTop = 62;
// The caption colour of an inactive child: a colour nothing else in these windows has.
constexpr TColor kInactiveCaption = 0x00FF00;

struct Child {
  TForm* form;
  TSkinForm* frame;
  TSkinButton* button;
  HWND Handle() { return form->Handle(); }
  TSkinTitleBar* Bar() { return frame->TitleBar(); }
  // Centre of a title-bar button, in the bar's client coordinates.
  POINT ButtonCentre(TSkinTitleBarBtnType type) { return tolvane_test::TitleButtonCentre(Bar(), type); }
};

class MdiFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
  void TearDown() override {
    Application()->SetMainForm(nullptr);
    delete parent_;  // and the children it owns that are still there
    Pump();
  }

  // The main form, an MDI parent with a frame in the DeepBlue look (or none).
  void MakeParent(bool framed = true) {
    parent_frame_ = nullptr;
    parent_ = new TForm(nullptr);
    parent_->SetFormStyle(TFormStyle::fsMDIForm);
    parent_->SetCaption("Tolvane - MDI");
    parent_->SetBounds(30, 30, 620, 420);
    if (framed) {
      parent_frame_ = new TSkinForm(parent_);
      parent_frame_->SetUIStyle(TSkinUIStyle::DeepBlue);
      parent_frame_->SetCaption(parent_->Caption());
    }
    Application()->SetMainForm(parent_);
    parent_->Show();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(parent_->Handle()) != 0; }));
  }

  // A framed MDI child with one button at the designed top, shown in the parent's client.
  Child* AddChild(const std::string& caption, int x, int y,
                  TFormBorderStyle border = TFormBorderStyle::bsSizeable,
                  TSkinUIStyle look = TSkinUIStyle::WinXP, bool startMaximized = false) {
    Child c;
    c.form = new TForm(parent_);
    c.form->SetFormStyle(TFormStyle::fsMDIChild);
    c.form->SetBorderStyle(border);
    c.form->SetCaption(caption);
    c.form->SetBounds(x, y, 300, 200);
    if (startMaximized) c.form->SetWindowState(TWindowState::wsMaximized);
    c.frame = new TSkinForm(c.form);
    if (look == TSkinUIStyle::FromThemeFile) {
      auto* theme = new TSkinFileTheme(c.form);
      theme->SetThemeFile("theme_fixtures\\frame.ssk");
      c.frame->SetUIStyle(TSkinUIStyle::FromThemeFile);
      c.frame->SetFileTheme(theme);
    } else {
      c.frame->SetUIStyle(look);
    }
    c.frame->SetCaption(caption);
    c.frame->SetInactiveCaptionColor(kInactiveCaption);
    c.button = new TSkinButton(c.form);
    c.button->SetCaption("&Recover");
    c.button->SetBounds(20, kButtonTop, 100, 27);
    c.button->SetParent(c.frame);
    c.button->SetUIStyle(look == TSkinUIStyle::FromThemeFile ? TSkinUIStyle::DeepBlue : look);
    c.form->Show();
    children_.push_back(c);
    return &children_.back();
  }

  HWND Client() { return parent_->ClientHandle(); }
  HWND ActiveChild(BOOL* maximized = nullptr) {
    return reinterpret_cast<HWND>(
        SendMessageA(Client(), WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(maximized)));
  }
  bool Zoomed(Child* c) { return IsZoomed(c->Handle()) != 0; }

  TForm* parent_ = nullptr;
  TSkinForm* parent_frame_ = nullptr;
  std::deque<Child> children_;  // stays where it is as children are added
};

RECT WindowRect(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r;
}

// Pixels of the title bar, as it paints itself, in the inactive caption colour.
int InactiveCaptionPixels(TSkinTitleBar* bar) {
  auto shot = tolvane_test::Render(bar);
  int n = 0;
  for (int y = 0; y < shot->Height(); ++y)
    for (int x = 0; x < shot->Width(); ++x)
      if (shot->GetPixel(x, y) == kInactiveCaption) ++n;
  return n;
}

}  // namespace

TEST_F(MdiFrames, ChildrenLiveInTheParentsClientUnderItsTitleBarWithoutMenuBars) {
  MakeParent();
  Child* a = AddChild("Drive F:", 10, 10);
  ASSERT_NE(Client(), nullptr) << "the MDI parent has its MDI client";
  ASSERT_NE(a->Handle(), nullptr);
  EXPECT_EQ(GetParent(a->Handle()), Client());
  EXPECT_NE(GetWindowLongA(a->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD, 0);
  EXPECT_EQ(GetWindowLongA(a->Handle(), GWL_STYLE) & WS_CAPTION, 0) << "no native caption";
  EXPECT_EQ(parent_->MDIChildCount(), 1);
  // The parent's frame holds its title bar; the MDI client takes the rest of the client area.
  RECT pc, cc;
  GetClientRect(parent_->Handle(), &pc);
  GetWindowRect(Client(), &cc);
  MapWindowPoints(nullptr, parent_->Handle(), reinterpret_cast<POINT*>(&cc), 2);
  EXPECT_EQ(parent_frame_->Height(), parent_frame_->TitleBar()->Height());
  EXPECT_EQ(cc.top, parent_frame_->Height());
  EXPECT_EQ(cc.bottom, pc.bottom);
  EXPECT_EQ(cc.right - cc.left, pc.right);
  // The child is framed like a top-level window: its strips are the frame's.
  RECT wr = WindowRect(a->Handle());
  POINT origin{0, 0};
  ClientToScreen(a->Handle(), &origin);
  TFrameStrips strips = FrameStrips(a->frame->Metrics());
  EXPECT_EQ(origin.x - wr.left, strips.Left);
  EXPECT_EQ(origin.y - wr.top, strips.Top);
  // A menu given to a child's frame gets no bar there, nor a native one.
  auto* menu = new TSkinMainMenu(a->form);
  auto* item = new TMenuItem(a->form);
  item->SetCaption("&File");
  menu->Items()->Add(item);
  a->frame->SetMenu(menu);
  EXPECT_EQ(a->frame->MenuBar(), nullptr);
  EXPECT_EQ(a->frame->MenuBarHeight(), 0);
  EXPECT_EQ(a->form->Menu(), nullptr);
  EXPECT_EQ(a->Bar()->Top(), 0);
}

TEST_F(MdiFrames, OnlyTheActiveChildsTitleBarIsDrawnActive) {
  MakeParent();
  Child* a = AddChild("Drive F:", 4, 10);
  Child* b = AddChild("Drive N:", 306, 110);
  // The child shown last is the active one.
  ASSERT_TRUE(WaitUntil([&] { return ActiveChild() == b->Handle(); }))
      << "the MDI client did not activate the child shown last";
  EXPECT_TRUE(b->Bar()->FormActive());
  EXPECT_FALSE(a->Bar()->FormActive());
  EXPECT_TRUE(b->form->Active());
  EXPECT_FALSE(a->form->Active());

  // A click into the other child (where the second does not cover it) makes it the active
  // one, through the system's input.
  tolvane_test::ClickClient(a->frame->Handle(), 30, 130);
  ASSERT_TRUE(WaitUntil([&] {
    return ActiveChild() == a->Handle() && a->Bar()->FormActive() && !b->Bar()->FormActive();
  })) << "the click did not move the activation to the first child";
  EXPECT_TRUE(a->form->Active());
  EXPECT_FALSE(b->form->Active());
  // Only the inactive child's caption is in the inactive caption colour.
  EXPECT_EQ(InactiveCaptionPixels(a->Bar()), 0);
  EXPECT_GT(InactiveCaptionPixels(b->Bar()), 0);

  // IsFormActive: the MDI main form always; a child while it is the client's active child.
  EXPECT_TRUE(IsFormActive(parent_));
  ASSERT_TRUE(WaitUntil([] { return Application()->Active(); }))
      << "the program's window did not come to the foreground";
  EXPECT_TRUE(IsFormActive(a->form));
  EXPECT_FALSE(IsFormActive(b->form));
  tolvane_test::ParkPointer();
  Pump();
  tolvane_test::Shoot(parent_->Handle(), "mdi_frames.png");
}

TEST_F(MdiFrames, MaximiseHidesTheTitleBarAndMovesTheContentsUpRestoreBringsThemBack) {
  MakeParent();
  Child* a = AddChild("Drive F:", 10, 10);
  ASSERT_TRUE(WaitUntil([&] { return ActiveChild() == a->Handle(); }));
  const int th = a->Bar()->Height();
  tolvane_test::PostedMouse mouse;
  POINT max = a->ButtonCentre(TSkinTitleBarBtnType::skMax);
  mouse.Click(a->Bar(), max.x, max.y);
  ASSERT_TRUE(WaitUntil([&] { return Zoomed(a); })) << "the maximise button did not maximise";
  BOOL maximized = FALSE;
  EXPECT_EQ(ActiveChild(&maximized), a->Handle());
  EXPECT_TRUE(maximized) << "the MDI client knows its child is maximised";
  EXPECT_FALSE(a->frame->TitleBarVisible());
  EXPECT_EQ(a->button->Top(), kButtonTop + 3 - th);
  // The maximised child covers the MDI client.
  RECT client, child;
  GetWindowRect(Client(), &client);
  GetWindowRect(a->Handle(), &child);
  EXPECT_LE(child.left, client.left);
  EXPECT_LE(child.top, client.top);
  EXPECT_GE(child.right, client.right);
  EXPECT_GE(child.bottom, client.bottom);
  tolvane_test::ParkPointer();
  Pump();
  tolvane_test::Shoot(parent_->Handle(), "mdi_maximised.png");

  // Its title bar is gone: the restore comes through the MDI client.
  SendMessageA(Client(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(a->Handle()), 0);
  ASSERT_TRUE(WaitUntil([&] { return !Zoomed(a); })) << "the MDI client did not restore";
  EXPECT_TRUE(a->frame->TitleBarVisible());
  EXPECT_EQ(a->button->Top(), kButtonTop);
  EXPECT_EQ(a->form->WindowState(), TWindowState::wsNormal);
  // Again: the contents go up and come back by the same amount each time.
  a->form->SetWindowState(TWindowState::wsMaximized);
  ASSERT_TRUE(WaitUntil([&] { return Zoomed(a); }));
  EXPECT_EQ(a->button->Top(), kButtonTop + 3 - th);
  a->form->SetWindowState(TWindowState::wsNormal);
  ASSERT_TRUE(WaitUntil([&] { return !Zoomed(a); }));
  EXPECT_EQ(a->button->Top(), kButtonTop);
  EXPECT_TRUE(a->frame->TitleBarVisible());

  // A child that starts maximised has no title bar until restored, and its contents are at
  // their designed place once it is.
  Child* b = AddChild("Drive N:", 40, 40, TFormBorderStyle::bsSizeable, TSkinUIStyle::WinXP,
                      true);
  ASSERT_TRUE(WaitUntil([&] { return Zoomed(b); })) << "the child did not start maximised";
  EXPECT_FALSE(b->frame->TitleBarVisible());
  SendMessageA(Client(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(b->Handle()), 0);
  ASSERT_TRUE(WaitUntil([&] { return !Zoomed(b); }));
  EXPECT_TRUE(b->frame->TitleBarVisible());
  EXPECT_EQ(b->button->Top(), kButtonTop);
  // A title bar hidden from outside stays hidden when the child is restored.
  b->frame->SetTitleBarVisible(false);
  b->form->SetWindowState(TWindowState::wsMaximized);
  ASSERT_TRUE(WaitUntil([&] { return Zoomed(b); }));
  b->form->SetWindowState(TWindowState::wsNormal);
  ASSERT_TRUE(WaitUntil([&] { return !Zoomed(b); }));
  EXPECT_FALSE(b->frame->TitleBarVisible());
}

TEST_F(MdiFrames, ClosingAChildActivatesTheNextAndAMaximisedOneLeavesNoMaximisedState) {
  MakeParent();
  Child* a = AddChild("Drive F:", 10, 10);
  Child* b = AddChild("Drive N:", 200, 110);
  for (Child* c : {a, b})
    c->form->OnClose = [](TObject*, TCloseAction& action) { action = TCloseAction::caFree; };
  ASSERT_TRUE(WaitUntil([&] { return ActiveChild() == b->Handle(); }));
  HWND bh = b->Handle();
  HWND ah = a->Handle();
  tolvane_test::PostedMouse mouse;
  POINT close = b->ButtonCentre(TSkinTitleBarBtnType::skClose);
  mouse.Click(b->Bar(), close.x, close.y);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(bh); })) << "the close button did not close";
  ASSERT_TRUE(WaitUntil([&] { return ActiveChild() == ah && a->Bar()->FormActive(); }))
      << "the other child did not become the active one";
  EXPECT_EQ(parent_->MDIChildCount(), 1);

  // The last child, maximised, closed: the client has neither an active nor a maximised child.
  a->form->SetWindowState(TWindowState::wsMaximized);
  ASSERT_TRUE(WaitUntil([&] { return IsZoomed(ah) != 0; }));
  SendMessageA(ah, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(ah); }));
  BOOL maximized = TRUE;
  EXPECT_EQ(ActiveChild(&maximized), nullptr);
  EXPECT_FALSE(maximized);
  EXPECT_EQ(parent_->MDIChildCount(), 0);
  children_.clear();
}

TEST_F(MdiFrames, BorderSizesComeFromAFramedParentAreZeroUnansweredAndFourOutOfReason) {
  MakeParent();
  Child* a = AddChild("Answered", 10, 10);
  EXPECT_EQ(a->frame->Metrics().FrameBottomWidth, parent_frame_->Metrics().FrameBottomWidth);
  EXPECT_EQ(a->frame->Metrics().FrameSideWidth, parent_frame_->Metrics().FrameSideWidth);
  EXPECT_EQ(a->frame->SideAnswer(), parent_frame_->Metrics().FrameBottomWidth - 1);
  delete a->form;
  children_.clear();
  Application()->SetMainForm(nullptr);
  delete parent_;
  parent_ = nullptr;

  // A plain MDI parent does not answer: the sizes are 0, and the frame's strips are the same.
  MakeParent(false);
  Child* b = AddChild("Unanswered", 10, 10);
  EXPECT_EQ(b->frame->Metrics().FrameBottomWidth, 0);
  EXPECT_EQ(b->frame->Metrics().FrameSideWidth, 0);
  EXPECT_EQ(b->frame->SideAnswer(), -1);
  RECT wr = WindowRect(b->Handle());
  POINT origin{0, 0};
  ClientToScreen(b->Handle(), &origin);
  EXPECT_EQ(origin.x - wr.left, FrameStrips(b->frame->Metrics()).Left);
  EXPECT_EQ(origin.y - wr.top, FrameStrips(b->frame->Metrics()).Top);

  // A main form that answers something out of reason: the sizes count as 4.
  TWndMethod plain = parent_->WindowProc;
  parent_->WindowProc = [plain](TMessage& m) {
    if (m.Msg == kMDIBottomBorderQuery || m.Msg == kMDISideBorderQuery) {
      m.Result = 40;
      return;
    }
    plain(m);
  };
  Child* c = AddChild("Out of reason", 40, 40);
  EXPECT_EQ(c->frame->Metrics().FrameBottomWidth, 4);
  EXPECT_EQ(c->frame->Metrics().FrameSideWidth, 4);
  parent_->WindowProc = plain;
}

TEST_F(MdiFrames, AChildThatHadASingleBorderCannotBeResizedByItsEdges) {
  MakeParent();
  Child* sizeable = AddChild("Sizeable", 10, 10);
  Child* single = AddChild("Single", 320, 60, TFormBorderStyle::bsSingle);
  EXPECT_EQ(single->form->BorderStyle(), TFormBorderStyle::bsDialog);
  auto hit = [](HWND h, int dx, int dy) {
    // dx, dy: -1 the left / top edge, 1 the right / bottom edge, 0 the middle.
    RECT r = WindowRect(h);
    int x = dx < 0 ? r.left : dx > 0 ? r.right - 1 : (r.left + r.right) / 2;
    int y = dy < 0 ? r.top : dy > 0 ? r.bottom - 1 : (r.top + r.bottom) / 2;
    return SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(x, y));
  };
  EXPECT_EQ(hit(sizeable->Handle(), 1, 0), HTRIGHT);
  EXPECT_EQ(hit(sizeable->Handle(), 1, 1), HTBOTTOMRIGHT);
  // Made sizeable afterwards (a window of its own again), it still cannot be.
  HWND before = single->Handle();
  single->form->SetBorderStyle(TFormBorderStyle::bsSizeable);
  ASSERT_NE(single->Handle(), before);
  ASSERT_TRUE(WaitUntil([&] { return IsWindow(single->Handle()) != 0; }));
  EXPECT_NE(GetWindowLongA(single->Handle(), GWL_STYLE) & WS_THICKFRAME, 0);
  EXPECT_EQ(GetWindowLongA(single->Handle(), GWL_STYLE) & WS_CAPTION, 0);
  for (int dx : {-1, 0, 1})
    for (int dy : {-1, 0, 1}) {
      if (!dx && !dy) continue;
      SCOPED_TRACE(testing::Message() << "edge " << dx << "," << dy);
      EXPECT_EQ(hit(single->Handle(), dx, dy), HTBORDER);
    }
}

TEST_F(MdiFrames, ASkinnedChildIsCutToItsPicturesOnlyWhileNormal) {
  MakeParent();
  Child* a = AddChild("Skinned", 10, 10, TFormBorderStyle::bsSizeable,
                      TSkinUIStyle::FromThemeFile);
  ASSERT_TRUE(a->frame->SkinMode());
  auto corner_in_region = [&] {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    bool has = GetWindowRgn(a->Handle(), rgn) != ERROR;
    bool in = has && PtInRegion(rgn, 0, 0);
    RECT wr = WindowRect(a->Handle());
    bool opposite = has && PtInRegion(rgn, wr.right - wr.left - 1, wr.bottom - wr.top - 1);
    DeleteObject(rgn);
    return std::pair<bool, bool>{in, opposite};
  };
  EXPECT_FALSE(corner_in_region().first) << "a normal skinned child is cut at its corners";
  a->form->SetWindowState(TWindowState::wsMaximized);
  ASSERT_TRUE(WaitUntil([&] { return Zoomed(a); }));
  EXPECT_TRUE(corner_in_region().first) << "a maximised child is a plain rectangle";
  EXPECT_TRUE(corner_in_region().second);
  a->form->SetWindowState(TWindowState::wsNormal);
  ASSERT_TRUE(WaitUntil([&] { return !Zoomed(a); }));
  EXPECT_FALSE(corner_in_region().first);
}
