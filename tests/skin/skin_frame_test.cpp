// The skinned window frame and its title bar on real windows under the X server: non-client
// sizes and the client area in each look, the title bar's buttons and mouse (minimise,
// maximise to the work area, restore, close, drag, double click), the window region at the
// corners, restoring a minimised framed window, the application hook, and freeing framed forms
// while they are shown. Writes frame_styles.png (a framed form with a few controls in each
// built-in look and from a skin archive) to tests/artifacts/.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/SkinButton.h"
#include "skin/SkinForm.h"
#include "skin/SkinMainMenu.h"
#include "skin/SkinTitleBarPopupMenu.h"
#include "skin/SkinMgr.h"
#include "skin/SkinTrackBar.h"
#include "tests/support/TitleBarButtons.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

using tolvane_test::GdiObjectCount;
using tolvane_test::Pump;

const char* const kLookNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                                  "Skin archive"};
constexpr int kSkinLook = 6;

RECT WindowRect(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r;
}

// A form with a frame in look `look` (1..5 built-in, 6 the frame skin archive), two buttons and
// a track bar on the frame.
struct FramedForm {
  TForm* form;
  TSkinForm* frame;
  TSkinFileTheme* theme = nullptr;
  TSkinButton* ok;
  TSkinButton* cancel;
  TSkinTrackBar* track;
  TSkinMainMenu* menu = nullptr;

  explicit FramedForm(int look, TFormBorderStyle border = TFormBorderStyle::bsSizeable,
                      const char* skinFile = "theme_fixtures\\frame.ssk", bool withMenu = false) {
    form = new TForm(nullptr);
    form->SetBorderStyle(border);
    form->SetCaption(std::string("Tolvane - ") + kLookNames[look]);
    form->SetBounds(60, 50, 360, 230);
    frame = new TSkinForm(form);
    if (look == kSkinLook) {
      theme = new TSkinFileTheme(form);
      theme->SetThemeFile(skinFile);
      frame->SetUIStyle(TSkinUIStyle::FromThemeFile);
      frame->SetFileTheme(theme);
    } else {
      frame->SetUIStyle(static_cast<TSkinUIStyle>(look));
    }
    frame->SetCaption(form->Caption());
    ok = new TSkinButton(form);
    ok->SetCaption("&Recover");
    ok->SetBounds(20, 62, 100, 27);
    ok->SetParent(frame);
    cancel = new TSkinButton(form);
    cancel->SetCaption("Close");
    cancel->SetBounds(130, 62, 100, 27);
    cancel->SetParent(frame);
    track = new TSkinTrackBar(form);
    track->SetBounds(20, 110, 300, 30);
    track->SetParent(frame);
    for (TSkinButton* sb : {ok, cancel}) {
      if (theme) {
        sb->SetUIStyle(TSkinUIStyle::FromThemeFile);
        sb->SetFileTheme(theme);
      } else {
        sb->SetUIStyle(static_cast<TSkinUIStyle>(look));
      }
    }
    track->SetUIStyle(theme ? TSkinUIStyle::FromThemeFile : static_cast<TSkinUIStyle>(look));
    if (theme) track->SetFileTheme(theme);
    if (withMenu) {
      menu = new TSkinMainMenu(form);
      for (const char* caption : {"&File", "&Edit", "&View", "&Help"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
        auto* sub = new TMenuItem(form);
        sub->SetCaption("&Open...");
        item->Add(sub);
      }
      frame->SetMenu(menu);
    }
  }
  ~FramedForm() { delete form; }
  HWND Handle() { return form->Handle(); }
  TSkinTitleBar* Bar() { return frame->TitleBar(); }
  // Centre of a title-bar button, in the bar's client coordinates.
  POINT ButtonCentre(TSkinTitleBarBtnType type) { return tolvane_test::TitleButtonCentre(Bar(), type); }
  // A point of the bar away from its buttons, the icon and the caption's start.
  POINT EmptyBarPoint() { return POINT{Bar()->Width() / 2, Bar()->Height() / 2}; }
};

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

RECT WorkArea() {
  RECT r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

}  // namespace

TEST_F(Frame, NonClientStripsAndClientAreaFollowTheFrameInEveryLook) {
  for (int look = 1; look <= kSkinLook; ++look) {
    SCOPED_TRACE(kLookNames[look]);
    FramedForm t(look);
    t.form->Show();
    Pump();
    HWND h = t.Handle();
    LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0) << "the native caption is gone";
    // What is left of the window around the client area are exactly the frame's strips.
    RECT wr = WindowRect(h);
    TFrameStrips strips = FrameStrips(t.frame->Metrics());
    RECT cr;
    GetClientRect(h, &cr);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    EXPECT_EQ(origin.x - wr.left, strips.Left);
    EXPECT_EQ(origin.y - wr.top, strips.Top);
    EXPECT_EQ(wr.right - (origin.x + cr.right), strips.Right);
    EXPECT_EQ(wr.bottom - (origin.y + cr.bottom), strips.Bottom);
    // The strips left around it are thin.
    EXPECT_LE(origin.x - wr.left, 8);
    EXPECT_LE(origin.y - wr.top, 8);
    // The form's idea of its client area is the system's; the frame fills it, the title bar
    // spans its top at the height of its pictures less the three rows the border shows.
    EXPECT_EQ(t.form->ClientWidth(), cr.right);
    EXPECT_EQ(t.form->ClientHeight(), cr.bottom);
    EXPECT_EQ(t.frame->Width(), cr.right);
    EXPECT_EQ(t.frame->Height(), cr.bottom);
    EXPECT_EQ(t.Bar()->Top(), 0);
    EXPECT_EQ(t.Bar()->Width(), cr.right);
    int picture_height = t.Bar()->Sections().Items(0)->Picture().Height();
    EXPECT_EQ(t.Bar()->Height(), picture_height - 3);
  }
}

TEST_F(Frame, BuiltInLooksTakeTheirBorderColourWidthAndCorners) {
  FramedForm glass(5);
  EXPECT_EQ(glass.frame->RoundCorner(), 11);
  EXPECT_EQ(glass.frame->BorderWidth(), 1);
  EXPECT_EQ(glass.frame->RoundCornerBottom(), 0);
  FramedForm xp(2);
  EXPECT_EQ(xp.frame->BorderWidth(), 3);
  EXPECT_EQ(xp.frame->BorderColor(), 0xC82C00);
  EXPECT_EQ(xp.frame->Color(), 0xDEEBEF);
  // A form that asked for a single border gets a dialog frame; a sizeable one stays sizeable.
  FramedForm single(3, TFormBorderStyle::bsSingle);
  EXPECT_EQ(single.form->BorderStyle(), TFormBorderStyle::bsDialog);
  EXPECT_EQ(xp.form->BorderStyle(), TFormBorderStyle::bsSizeable);
}

TEST_F(Frame, HiddenTitleBarSquaresTheCornersAndMinHeightFollowsTheBar) {
  FramedForm t(5);
  t.form->Show();
  Pump();
  EXPECT_EQ(t.form->Constraints().MinHeight(), t.Bar()->Height() + 3);
  t.frame->SetTitleBarVisible(false);
  EXPECT_EQ(t.frame->RoundCorner(), 0);
  t.frame->BuildRegion();
  Pump();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(t.Handle(), rgn), ERROR);
  EXPECT_TRUE(PtInRegion(rgn, 0, 0));
  DeleteObject(rgn);
  // The top border is then one row of the border colour over the form's colour.
  RECT wr = WindowRect(t.Handle());
  HDC screen = GetDC(nullptr);
  COLORREF top = ::GetPixel(screen, wr.left + 40, wr.top);
  COLORREF below = ::GetPixel(screen, wr.left + 40, wr.top + 1);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(top, ColorToRGB(t.frame->BorderColor()));
  EXPECT_EQ(below, ColorToRGB(t.frame->Color()));
}

TEST_F(Frame, TransparentTitleButtonsLeaveOutMagentaOnlyNotTheirDarkPixels) {
  FramedForm t(5);  // BlueGlass: transparent title buttons
  TSkinTitleBarButton* b = t.Bar()->Buttons().Add();
  b->SetButtonType(TSkinTitleBarBtnType::skCustom);
  // A picture whose bottom-left pixel is black: black is part of the glyph, magenta is not.
  TBitmap pic(12, 12);
  pic.Canvas().Brush.Color = clFuchsia;
  pic.Canvas().FillRect(RECT{0, 0, 12, 12});
  pic.Canvas().Brush.Color = clBlack;
  pic.Canvas().FillRect(RECT{0, 6, 6, 12});
  for (TPicture* p : {&b->PicNormal(), &b->PicMouseOn(), &b->PicMouseDown()}) p->SetGraphic(&pic);
  b->SetTransparent(true);
  t.form->Show();
  Pump();
  SetCursorPos(0, 767);  // away from the bar
  auto shot = tolvane_test::Render(t.Bar());
  RECT r = t.Bar()->ButtonRect(b->Index());
  ASSERT_EQ(r.right - r.left, 12);
  EXPECT_EQ(shot->GetPixel(r.left + 1, r.top + 10), clBlack);
  EXPECT_NE(shot->GetPixel(r.left + 10, r.top + 1), clFuchsia);
}

TEST_F(Frame, CaptionStaysAwayWhenTheWindowIsMadeAgain) {
  FramedForm t(5);
  t.form->Show();
  Pump();
  HWND before = t.Handle();
  t.form->SetBorderStyle(TFormBorderStyle::bsDialog);  // a new window
  t.form->Show();
  Pump();
  EXPECT_NE(t.Handle(), before);
  EXPECT_EQ(GetWindowLongA(t.Handle(), GWL_STYLE) & WS_CAPTION, 0);
  POINT origin{0, 0};
  ClientToScreen(t.Handle(), &origin);
  EXPECT_EQ(origin.y - WindowRect(t.Handle()).top, FrameStrips(t.frame->Metrics()).Top);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(t.Handle(), rgn), ERROR) << "the new window is cut round again";
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  DeleteObject(rgn);
}

TEST_F(Frame, RefusedSettingsShowTheirMessageAndChangeNothing) {
  std::vector<std::string> messages;
  auto saved = SkinErrorDialog;
  SkinErrorDialog = [&](const std::string& text) { messages.push_back(text); };
  FramedForm t(3);
  auto* panel = new TPanel(t.form);
  t.frame->SetFormPanel(panel);
  t.frame->SetFormPanel(t.frame);
  EXPECT_EQ(t.frame->FormPanel(), panel);
  EXPECT_EQ(panel->Align(), TAlign::alClient);
  // A second client section and a second control box.
  TSkinTitleBarSection* extra = t.Bar()->Sections().Add();
  extra->SetAlign(TSkinTitleBarAlign::skClient);
  EXPECT_EQ(extra->Align(), TSkinTitleBarAlign::skLeft);
  TSkinTitleBarButton* box = t.Bar()->Buttons().Add();
  box->SetButtonType(TSkinTitleBarBtnType::skControlBox);
  EXPECT_EQ(box->ButtonType(), TSkinTitleBarBtnType::skCustom);
  SkinErrorDialog = saved;
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "Sorry, you can't select the Form assign to FormPanel property");
  EXPECT_EQ(messages[1], "Sorry, only one section's Align property can be \"skClient\"");
  EXPECT_EQ(messages[2], "Sorry, only one button's ButtonType property can be \"skControlBox\"");
}

TEST_F(Frame, SkinLookTakesColoursFromTheArchiveAndASkinWithoutKeyKeepsMagenta) {
  FramedForm skinned(kSkinLook);
  ASSERT_TRUE(skinned.theme->Ready());
  EXPECT_TRUE(skinned.frame->SkinMode());
  EXPECT_EQ(skinned.frame->Color(), 0xF0E8E0);
  EXPECT_EQ(skinned.frame->RegionKeyColor(), 0x00FF00);
  EXPECT_EQ(skinned.frame->Metrics().SkinLeftWidth, 4);
  EXPECT_EQ(skinned.frame->Metrics().SkinBottomHeight, 5);
  // theme_second.ssk has neither a key colour nor any frame picture.
  FramedForm bare(kSkinLook, TFormBorderStyle::bsSizeable, "theme_fixtures\\theme_second.ssk");
  ASSERT_TRUE(bare.theme->Ready());
  EXPECT_EQ(bare.frame->RegionKeyColor(), clFuchsia);
  bare.form->Show();
  Pump();  // paints without pictures: nothing to draw, nothing to crash on
}

TEST_F(Frame, TitleButtonsMinimiseMaximiseToTheWorkAreaRestoreAndClose) {
  FramedForm t(3);
  t.form->Show();
  Pump();
  RECT normal = WindowRect(t.Handle());
  tolvane_test::PostedMouse mouse;

  POINT max = t.ButtonCentre(TSkinTitleBarBtnType::skMax);
  mouse.Click(t.Bar(), max.x, max.y);
  Pump();
  EXPECT_TRUE(IsZoomed(t.Handle()));
  RECT work = WorkArea();
  RECT zoomed = WindowRect(t.Handle());
  // Over the work area by the two-pixel borders at the left, right and top, one pixel short
  // of its bottom: the thin frame shows no border on a maximised window.
  EXPECT_EQ(zoomed.left, work.left - 2);
  EXPECT_EQ(zoomed.top, work.top - 2);
  EXPECT_EQ(zoomed.right, work.right + 2);
  EXPECT_EQ(zoomed.bottom, work.bottom - 1);
  EXPECT_EQ(t.form->Width(), zoomed.right - zoomed.left);

  // The same button now restores (its picture shows the restore look).
  max = t.ButtonCentre(TSkinTitleBarBtnType::skMax);
  mouse.Click(t.Bar(), max.x, max.y);
  Pump();
  EXPECT_FALSE(IsZoomed(t.Handle()));
  RECT back = WindowRect(t.Handle());
  EXPECT_EQ(back.left, normal.left);
  EXPECT_EQ(back.top, normal.top);
  EXPECT_EQ(back.right, normal.right);
  EXPECT_EQ(back.bottom, normal.bottom);

  POINT min = t.ButtonCentre(TSkinTitleBarBtnType::skMin);
  mouse.Click(t.Bar(), min.x, min.y);
  Pump();
  EXPECT_TRUE(IsIconic(t.Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsMinimized);
  // The task bar's restore.
  SendMessageA(t.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_FALSE(IsIconic(t.Handle()));
  EXPECT_EQ(GetWindowLongA(t.Handle(), GWL_STYLE) & WS_CAPTION, 0);

  POINT close = t.ButtonCentre(TSkinTitleBarBtnType::skClose);
  mouse.Click(t.Bar(), close.x, close.y);
  Pump();
  EXPECT_FALSE(IsWindowVisible(t.Handle()));
  EXPECT_FALSE(t.form->Visible());
}

TEST_F(Frame, MinimisedMainFormComesBackThroughTheApplicationWindow) {
  FramedForm t(5);
  Application()->SetMainForm(t.form);
  t.form->Show();
  Pump();
  tolvane_test::PostedMouse mouse;
  POINT min = t.ButtonCentre(TSkinTitleBarBtnType::skMin);
  mouse.Click(t.Bar(), min.x, min.y);  // the main form minimises through SC_MINIMIZE
  Pump();
  EXPECT_TRUE(IsIconic(t.Handle()));
  // What a second start of the program sends.
  SendMessageA(Application()->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_FALSE(IsIconic(t.Handle()));
  EXPECT_TRUE(IsWindowVisible(t.Handle()));
  Application()->SetMainForm(nullptr);
}

TEST_F(Frame, MaximisingTwiceSizesOnceAndStaysOnTheWorkArea) {
  FramedForm t(2);
  t.form->Show();
  Pump();
  int resizes = 0;
  t.form->OnResize = [&](TObject*) { ++resizes; };
  t.form->SetWindowState(TWindowState::wsMaximized);
  Pump();
  int after_first = resizes;
  EXPECT_GE(after_first, 1);
  EXPECT_LE(after_first, 4) << "the maximise rule must not size the window over and over";
  t.form->SetWindowState(TWindowState::wsMaximized);  // already maximised: nothing happens
  Pump();
  EXPECT_EQ(resizes, after_first);
  RECT work = WorkArea();
  RECT zoomed = WindowRect(t.Handle());
  EXPECT_EQ(zoomed.left, work.left - 2);
  EXPECT_EQ(zoomed.bottom, work.bottom - 1);
  t.form->OnResize = nullptr;
}

TEST_F(Frame, DoubleClickOnTheEmptyBarMaximisesAndRestores) {
  FramedForm t(4);
  t.form->Show();
  Pump();
  POINT p = t.EmptyBarPoint();
  POINT screen = tolvane_test::ScreenOf(t.Bar(), p.x, p.y);
  SetCursorPos(screen.x, screen.y);
  Pump();
  PostMessageA(t.Bar()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageA(t.Bar()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_TRUE(IsZoomed(t.Handle()));
  p = t.EmptyBarPoint();
  screen = tolvane_test::ScreenOf(t.Bar(), p.x, p.y);
  SetCursorPos(screen.x, screen.y);
  Pump();
  PostMessageA(t.Bar()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageA(t.Bar()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_FALSE(IsZoomed(t.Handle()));
}

TEST_F(Frame, DraggingTheCaptionMovesTheWindow) {
  FramedForm t(3);
  t.form->Show();
  Pump();
  RECT wr = WindowRect(t.Handle());
  POINT p = t.EmptyBarPoint();
  POINT grab = tolvane_test::ScreenOf(t.Bar(), p.x, p.y);
  // The system's move loop runs inside the press.
  tolvane_test::DragWithTheMouse(grab, 40, 20);
  RECT after = WindowRect(t.Handle());
  EXPECT_EQ(after.left, wr.left + 40);
  EXPECT_EQ(after.top, wr.top + 20);
  EXPECT_EQ(t.form->Left(), after.left);
  EXPECT_EQ(t.form->Top(), after.top);
}

TEST_F(Frame, RegionCutsTheCornersOfEachLook) {
  struct Case {
    int look;
    bool top_cut, bottom_cut;
  } cases[] = {{3, false, false}, {5, true, false}, {2, true, false}, {kSkinLook, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(kLookNames[c.look]);
    FramedForm t(c.look);
    t.form->Show();
    Pump();
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(t.Handle(), rgn), ERROR);
    RECT wr = WindowRect(t.Handle());
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    EXPECT_EQ(!PtInRegion(rgn, 0, 0), c.top_cut);
    EXPECT_EQ(!PtInRegion(rgn, w - 1, 0), c.top_cut);
    EXPECT_EQ(!PtInRegion(rgn, 0, h - 1), c.bottom_cut);
    EXPECT_EQ(!PtInRegion(rgn, w - 1, h - 1), c.bottom_cut);
    // The middle of each edge is always inside.
    EXPECT_TRUE(PtInRegion(rgn, w / 2, 0));
    EXPECT_TRUE(PtInRegion(rgn, w / 2, h - 1));
    EXPECT_TRUE(PtInRegion(rgn, 0, h / 2));
    EXPECT_TRUE(PtInRegion(rgn, w - 1, h / 2));
    DeleteObject(rgn);
  }
}

TEST_F(Frame, ApplicationHookLeavesKeysItDoesNotHandleAlone) {
  FramedForm t(3);
  t.form->Show();
  Pump();
  // One hook before the frame's decided (handled), one after sees what the frame left.
  bool seen_after = false, handled_after = true;
  int after = Application()->AddMessageHook([&](MSG& msg, bool& handled) {
    if (msg.message == WM_KEYDOWN && msg.wParam == 'Q') {
      seen_after = true;
      handled_after = handled;
    }
  });
  PostMessageA(t.ok->Handle(), WM_KEYDOWN, 'Q', 0);
  Pump();
  EXPECT_TRUE(seen_after);
  EXPECT_FALSE(handled_after) << "a key the frame did not act on is not marked handled";
  Application()->RemoveMessageHook(after);
}

TEST_F(Frame, EqualCaptionFromAPaintPathRequestsNoRepaint) {
  FramedForm t(3);
  t.form->Show();
  Pump();
  ValidateRect(t.Bar()->Handle(), nullptr);
  t.frame->SetCaption(t.frame->Caption());
  EXPECT_FALSE(GetUpdateRect(t.Bar()->Handle(), nullptr, FALSE));
  t.frame->SetCaption("Another caption");
  EXPECT_TRUE(GetUpdateRect(t.Bar()->Handle(), nullptr, FALSE));
  EXPECT_EQ(t.form->Caption(), "Another caption");
}

TEST_F(Frame, FreeingTheFrameAloneGivesTheFormItsCaptionAndProcedureBack) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsSizeable);
  form.SetBounds(50, 50, 300, 200);
  auto* frame = new TSkinForm(&form);
  form.Show();
  Pump();
  EXPECT_EQ(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_CAPTION, 0);
  delete frame;
  Pump();
  EXPECT_EQ(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  // The form's own window procedure answers again: the frame's private query gets 0 and the
  // native caption takes its height back.
  EXPECT_EQ(SendMessageA(form.Handle(), kFrameSideQuery, 0, 0), 0);
  RECT cr;
  GetClientRect(form.Handle(), &cr);
  EXPECT_LT(cr.bottom, 200 - GetSystemMetrics(SM_CYCAPTION));
  SetWindowPos(form.Handle(), nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(form.Width(), 320);
}

TEST_F(Frame, FramedFormsFreedWhileShownHundredTimesKeepGdiHandlesLevel) {
  auto cycle = [](int look) {
    auto* t = new FramedForm(look);
    t->form->Show();
    Pump(5);
    tolvane_test::PostedMouse mouse;
    POINT p = t->EmptyBarPoint();
    mouse.MoveTo(t->Bar(), p.x, p.y);  // the bar paints with the cursor over it
    delete t;  // freed while shown
    Pump(2);
  };
  for (int i = 0; i < 5; ++i) cycle(1 + i % 5);
  DWORD before = GdiObjectCount();
  for (int i = 0; i < 100; ++i) cycle(1 + i % kSkinLook);
  DWORD after = GdiObjectCount();
  EXPECT_LE(after, before + 10) << "before " << before << ", after " << after;
}

TEST_F(Frame, MenuBarSitsUnderTheTitleBarAndGoesWithItsMenu) {
  FramedForm t(2, TFormBorderStyle::bsSizeable, "theme_fixtures\\frame.ssk", true);
  t.form->Show();
  Pump();
  ASSERT_NE(t.frame->MenuBar(), nullptr);
  EXPECT_GT(t.frame->MenuBarHeight(), 0);
  EXPECT_EQ(t.Bar()->Top(), 0);
  EXPECT_EQ(t.frame->MenuBar()->Top(), t.Bar()->Height());
  // The minimum height counts the menu bar from the next style change on.
  t.frame->SetUIStyle(TSkinUIStyle::WinXP);
  EXPECT_EQ(t.form->Constraints().MinHeight(), t.frame->MenuBarHeight() + t.Bar()->Height() + 3);
  t.frame->SetMenu(nullptr);
  Pump();
  EXPECT_EQ(t.frame->MenuBar(), nullptr);
  EXPECT_EQ(t.frame->MenuBarHeight(), 0);
}

namespace {

// Runs `steps` from a timer inside the modal loop of the menu that `open` opens; the last
// step always closes whatever menu is still open.
struct MenuScript {
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  bool opened = false;
};
MenuScript* g_script = nullptr;

void CALLBACK MenuTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_script) return;
  if (!g_script->opened) {
    HWND w = FindWindowA("#32768", nullptr);
    g_script->opened = w && IsWindowVisible(w);
    return;
  }
  if (g_script->next < g_script->steps.size()) g_script->steps[g_script->next++]();
}

void Key(WORD vk) { tolvane_test::TapKey(vk); }

void RunMenu(MenuScript& s, const std::function<void()>& open) {
  g_script = &s;
  s.steps.push_back([] { EndMenu(); });
  UINT_PTR timer = SetTimer(nullptr, 0, 60, MenuTick);
  open();
  tolvane_test::WaitUntil([&s] { return s.next >= s.steps.size(); });
  KillTimer(nullptr, timer);
  g_script = nullptr;
  Pump();
}

}  // namespace

TEST_F(Frame, ControlBoxMenuMaximisesFromTheIconAndGreysOutHiddenButtons) {
  FramedForm t(3);
  t.form->Show();
  Pump();
  tolvane_test::PostedMouse mouse;
  POINT box = t.ButtonCentre(TSkinTitleBarBtnType::skControlBox);
  MenuScript s;
  s.steps = {[] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }};
  RunMenu(s, [&] { mouse.Click(t.Bar(), box.x, box.y); });
  EXPECT_TRUE(s.opened) << "the system menu opened from the icon";
  EXPECT_TRUE(IsZoomed(t.Handle())) << "down, down, enter: Maximize/Restore";
  TSkinTitleBarPopupMenu* menu = t.Bar()->ControlBoxPopupMenu();
  EXPECT_TRUE(menu->MinimizeItem()->Enabled());
  // Hiding the minimise button greys its entry out.
  for (int i = 0; i < t.Bar()->Buttons().Count(); ++i)
    if (t.Bar()->Buttons().Items(i)->ButtonType() == TSkinTitleBarBtnType::skMin)
      t.Bar()->Buttons().Items(i)->SetVisible(false);
  menu->UpdateItems();
  EXPECT_FALSE(menu->MinimizeItem()->Enabled());
  EXPECT_TRUE(menu->MaximizeItem()->Enabled());
  EXPECT_TRUE(menu->CloseItem()->Enabled());
  // Alt+Space in the active framed window opens the same menu; Escape closes it.
  MenuScript alt;
  alt.steps = {[] { Key(VK_ESCAPE); }};
  RunMenu(alt, [&] {
    SetForegroundWindow(t.Handle());
    PostMessageA(t.ok->Handle(), WM_SYSCHAR, ' ', 1 << 29);
    Pump();
  });
  EXPECT_TRUE(alt.opened) << "Alt+Space opened the system menu";
}

TEST_F(Frame, PictureOfAFramedFormInEachLook) {
  constexpr int kW = 360, kH = 230, kGap = 12, kCols = 3;
  TBitmap sheet(kCols * (kW + kGap) + kGap, 2 * (kH + kGap) + kGap);
  SetCursorPos(1023, 767);  // no hover look anywhere
  sheet.Canvas().Brush.Color = 0x404040;
  sheet.Canvas().FillRect(RECT{0, 0, sheet.Width(), sheet.Height()});
  for (int look = 1; look <= kSkinLook; ++look) {
    FramedForm t(look, TFormBorderStyle::bsSizeable, "theme_fixtures\\frame.ssk", true);
    t.form->Show();
    t.track->SetPosition(3);
    Pump(40);
    RedrawWindow(t.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(40);
    RECT wr = WindowRect(t.Handle());
    int col = (look - 1) % kCols, row = (look - 1) / kCols;
    int x = kGap + col * (kW + kGap), y = kGap + row * (kH + kGap);
    TBitmap shot;
    tolvane_test::GrabScreen(wr, shot);
    // Only what the window's region keeps is the window's: the rest shows the sheet.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    bool has_region = GetWindowRgn(t.Handle(), rgn) != ERROR;
    for (int yy = 0; yy < shot.Height() && yy < kH; ++yy)
      for (int xx = 0; xx < shot.Width() && xx < kW; ++xx)
        if (!has_region || PtInRegion(rgn, xx, yy)) sheet.SetPixel(x + xx, y + yy, shot.GetPixel(xx, yy));
    DeleteObject(rgn);
    // The title bar shows its caption's colour somewhere along it and the client area the
    // look's colour below the title bar.
    POINT client{0, 0};
    ClientToScreen(t.Handle(), &client);
    int below_title = client.y - wr.top + t.Bar()->Height() + t.frame->MenuBarHeight() + 3;
    TColor body = sheet.GetPixel(x + (kW - 20), y + below_title);
    if (look != 1 && look != 4) {  // the tiled looks have no single colour
      EXPECT_EQ(body, t.frame->Color()) << kLookNames[look];
    }
  }
  tolvane_test::SavePicture(sheet, "frame_styles.png");
}
