// The skinned track bar in real windows under the X server: range rules, dragging the thumb,
// paging while the button is held beside it, keys, ticks, every built-in look and a skin
// archive's, theme removal, and the 32-bit thumb position of scroll messages.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "skin/SkinScrollBar.h"
#include "skin/SkinTrackBar.h"
#include "skin/TrackGeometry.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;
using tolvane_test::PostedMouse;
using tolvane_test::Pump;

namespace {

constexpr TColor kSkinTrans = 0x00FF00;      // make_theme_fixtures.py: SKIN2_TRANSCOLOR
constexpr TColor kSkinForm = 0xE0F0D8;       // SKIN2_FORMCOLOR
constexpr TColor kSkinSliderFill = 0x71B33C;  // the slider's inside, 0x3CB371 as a pixel

struct Window {
  TForm* form;
  TSkinTrackBar* bar;
  std::vector<int> changes;  // LastChange of each OnChange
  explicit Window(TSkinProgressBarOrientation o = TSkinProgressBarOrientation::skHorizontal) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(40, 40, 420, 300);
    bar = new TSkinTrackBar(form);
    bar->SetOrientation(o);
    bar->SetBounds(10, 10, 250, 250);
    bar->SetParent(form);
    bar->OnChange = [this](TObject*) { changes.push_back(bar->LastChange()); };
    form->Show();
    Pump();
  }
  ~Window() { delete form; }
};

}  // namespace

class TrackBar : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(TrackBar, RangeRulesClampPositionAndReportOneChange) {
  Window w;
  TSkinTrackBar* b = w.bar;
  EXPECT_EQ(b->Height(), 19);  // fitted to the DeepBlue thumb
  b->SetPosition(8);
  ASSERT_EQ(w.changes, std::vector<int>{8});
  b->SetPageSize(20);  // more than Max: ignored
  EXPECT_EQ(b->PageSize(), 2);
  b->SetLineSize(-1);
  EXPECT_EQ(b->LineSize(), 1);
  b->SetMin(4);
  b->SetMax(2);  // below Min: Max becomes Min and the position follows
  EXPECT_EQ(b->Max(), 4);
  EXPECT_EQ(b->Position(), 4);
  EXPECT_EQ(w.changes, (std::vector<int>{8, -4}));
  // Min = Max: the thumb stays at the start and a press means Min.
  EXPECT_EQ(b->Thumb()->Left(), 0);
  EXPECT_EQ(b->PagingTarget(200, 5), 4);
  b->SetMin(9);  // above Max: becomes Max
  EXPECT_EQ(b->Min(), 4);
  b->SetPosition(-100);
  EXPECT_EQ(b->Position(), 4);
}

TEST_F(TrackBar, DraggingTheThumbFollowsTheMouseAndReportsEachStep) {
  Window w;
  TSkinTrackBar* b = w.bar;
  b->SetMax(100);
  const int travel = b->Width() - b->Thumb()->Width();
  POINT down{-1, -1};
  b->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { down = {x, y}; };
  PostedMouse m;
  m.Press(b->Thumb(), 3, 5);
  EXPECT_TRUE(b->Dragging());
  EXPECT_EQ(down.x, b->Thumb()->Left() + 3);  // the press, in the track bar's coordinates
  EXPECT_EQ(down.y, b->Thumb()->Top() + 5);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(GetCapture(), b->Handle());
  m.MoveTo(b, 3 + travel / 4, 5);
  EXPECT_EQ(b->Position(), PositionAt(3 + travel / 4, 3, b->Width(), b->Thumb()->Width(), 0, 100));
  EXPECT_NEAR(b->Position(), 25, 1);
  EXPECT_EQ(b->Thumb()->Left(), ThumbOffset(b->Position(), 0, 100, b->Width(), b->Thumb()->Width()));
  m.MoveTo(b, 900, 60);  // far outside: the end, and the thumb still follows
  EXPECT_EQ(b->Position(), 100);
  EXPECT_EQ(b->Thumb()->Left(), travel);
  m.MoveTo(b, -50, 5);
  EXPECT_EQ(b->Position(), 0);
  m.Release(b, -50, 5);
  EXPECT_FALSE(b->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(w.changes.size(), 3u);
  EXPECT_EQ(w.changes[1], 100 - w.changes[0]);
  EXPECT_EQ(w.changes[2], -100);
  m.MoveTo(b, travel / 2, 5);  // no longer dragging: nothing moves
  EXPECT_EQ(b->Position(), 0);
}

TEST_F(TrackBar, HoldingBesideTheThumbPagesUpToTheCursorThenStops) {
  Window w;
  TSkinTrackBar* b = w.bar;
  b->SetMax(40);
  ASSERT_EQ(b->PageSize(), 2);
  PostedMouse m;
  const int x = b->Width() - 40;
  m.Press(b, x, 5);
  EXPECT_TRUE(b->Paging());
  EXPECT_EQ(b->Position(), 2);  // the press: one page
  Pump(1500);
  const int target = b->PagingTarget(x, 5);
  EXPECT_EQ(b->Position(), target);  // stopped under the cursor
  ASSERT_GE(w.changes.size(), 3u);
  EXPECT_EQ(w.changes[0], 2);
  for (size_t i = 1; i < w.changes.size(); ++i) {
    EXPECT_GT(w.changes[i], 0);
    EXPECT_LE(w.changes[i], 6);  // three pages per tick on a horizontal bar
  }
  EXPECT_EQ(GetCapture(), b->Handle());
  m.Release(b, x, 5);
  EXPECT_FALSE(b->Paging());
  EXPECT_EQ(GetCapture(), nullptr);
  // Holding left of the thumb pages back; leaving the control ends it.
  m.Press(b, 2, 5);
  EXPECT_EQ(b->Position(), target - 2);
  m.MoveTo(b, 2, 200);
  EXPECT_FALSE(b->Paging());
  int now = b->Position();
  Pump(300);
  EXPECT_EQ(b->Position(), now);
  m.Release(b, 2, 200);
}

TEST_F(TrackBar, VerticalPagingMovesOnePagePerTick) {
  Window w(TSkinProgressBarOrientation::skVertical);
  TSkinTrackBar* b = w.bar;
  EXPECT_EQ(b->Width(), 19);
  EXPECT_EQ(b->Height(), 250);
  b->SetMax(40);
  b->SetPageSize(3);
  PostedMouse m;
  m.Press(b, 5, b->Height() - 30);
  Pump(450);
  m.Release(b, 5, b->Height() - 30);
  ASSERT_GE(w.changes.size(), 2u);
  for (int c : w.changes) EXPECT_EQ(c, 3);
}

TEST_F(TrackBar, KeysStepByLinePageAndJumpToTheEnds) {
  Window w;
  TSkinTrackBar* b = w.bar;
  b->SetMax(20);
  b->SetLineSize(1);
  b->SetPageSize(5);
  b->SetFocus();
  Pump();
  ASSERT_TRUE(b->Focused());
  auto key = [&](WORD vk) {
    PostMessageA(b->Handle(), WM_KEYDOWN, vk, 1);
    PostMessageA(b->Handle(), WM_KEYUP, vk, 0xC0000001);
    Pump(10);
    return b->Position();
  };
  EXPECT_EQ(key(VK_RIGHT), 1);  // arrows reach the control, not the dialog navigation
  EXPECT_EQ(key(VK_DOWN), 2);
  EXPECT_EQ(key(VK_NEXT), 7);
  EXPECT_EQ(key(VK_END), 20);
  EXPECT_EQ(key(VK_RIGHT), 20);
  EXPECT_EQ(key(VK_PRIOR), 15);
  EXPECT_EQ(key(VK_LEFT), 14);
  EXPECT_EQ(key(VK_UP), 13);
  EXPECT_EQ(key(VK_HOME), 0);
  EXPECT_EQ(key(VK_UP), 0);
  EXPECT_EQ(key('A'), 0);
}

TEST_F(TrackBar, TicksAtEveryFrequencyAndNoneWithoutRange) {
  Window w;
  TSkinTrackBar* b = w.bar;
  b->SetColor(clWhite);
  b->SetFrequency(3);
  const int half = b->Thumb()->Width() / 2;
  const int h = b->Height();
  auto ticks_at_bottom = [&]() {
    std::vector<int> xs;
    auto pic = tolvane_test::Render(b);
    // The outermost columns may carry a focus rectangle; no tick lies there.
    for (int x = 1; x < b->Width() - 1; ++x)
      if (pic->GetPixel(x, h - 1) == clBlack && pic->GetPixel(x, h - 3) == clBlack) xs.push_back(x);
    return xs;
  };
  std::vector<int> expected;
  for (int off : TickOffsets(0, 10, 3, b->Width(), b->Thumb()->Width())) expected.push_back(off + half);
  EXPECT_EQ(ticks_at_bottom(), expected);
  EXPECT_EQ(expected.size(), 5u);  // 0, 3, 6, 9 and 10
  b->SetFrequency(0);                // used to divide by zero
  EXPECT_EQ(ticks_at_bottom().size(), 2u);
  b->SetMin(INT_MIN);
  b->SetMax(INT_MAX);
  b->SetFrequency(1);  // four billion positions: one tick per pixel, drawn at once
  EXPECT_EQ(ticks_at_bottom().size(), static_cast<size_t>(b->Width() - b->Thumb()->Width() + 1));
  b->SetMin(0);
  b->SetMax(0);
  EXPECT_TRUE(ticks_at_bottom().empty());
}

TEST_F(TrackBar, EveryBuiltInStyleShowsItsBarAndThumbPictures) {
  Window w;
  TSkinTrackBar* b = w.bar;
  EXPECT_FALSE(b->Transparent());
  for (int style = 1; style <= 5; ++style) {
    b->SetOrientation(TSkinProgressBarOrientation::skHorizontal);
    b->SetBounds(10, 10, 250, 250);
    b->SetUIStyle(static_cast<TSkinUIStyle>(style));
    TBitmap bar, slider, slider_v;
    LoadStyleBitmap(style, 28, &bar);
    LoadStyleBitmap(style, 29, &slider);
    LoadStyleBitmap(style, 30, &slider_v);
    EXPECT_EQ(b->BarImage().Height(), bar.Height()) << style;
    EXPECT_EQ(b->Thumb()->Width(), slider.Width()) << style;
    EXPECT_EQ(b->Height(), std::max(slider.Height(), bar.Height())) << style;
    EXPECT_TRUE(b->Thumb()->Transparent());
    if (style == 1) {
      EXPECT_TRUE(b->Transparent());  // MacOS draws over its parent
    }
    // The strip's middle is the bar picture's middle.
    EXPECT_EQ(b->BarStrip().GetPixel(b->Width() / 2, bar.Height() / 2),
              bar.GetPixel(bar.Width() / 2, bar.Height() / 2)) << style;
    b->SetOrientation(TSkinProgressBarOrientation::skVertical);
    b->SetBounds(10, 10, 250, 250);
    EXPECT_EQ(b->Width(), std::max(slider_v.Width(), bar.Height())) << style;
    EXPECT_EQ(b->Thumb()->Height(), slider_v.Height()) << style;
    EXPECT_FALSE(b->Thumb()->Transparent());
    EXPECT_EQ(b->BarStrip().Width(), bar.Height());
    EXPECT_EQ(b->BarStrip().Height(), b->Height());
  }
}

TEST_F(TrackBar, SkinArchiveLookAndFallBackWhenTheThemeGoes) {
  Window w;
  auto* theme = new TSkinFileTheme(w.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  TSkinTrackBar* b = w.bar;
  b->SetUIStyle(TSkinUIStyle::FromThemeFile);
  b->SetFileTheme(theme);
  EXPECT_EQ(b->Thumb()->Width(), 12);
  EXPECT_EQ(b->Height(), 20);
  EXPECT_EQ(b->BarImage().Height(), 8);
  // The skin's transparent colour around the thumb became the skin's form colour.
  TBitmap* thumb = b->Thumb()->Picture().Bitmap();
  EXPECT_EQ(thumb->GetPixel(0, 0), kSkinForm);
  EXPECT_EQ(thumb->GetPixel(5, 5), kSkinSliderFill);
  for (int y = 0; y < thumb->Height(); ++y)
    for (int x = 0; x < thumb->Width(); ++x) ASSERT_NE(thumb->GetPixel(x, y), kSkinTrans);
  b->SetOrientation(TSkinProgressBarOrientation::skVertical);
  EXPECT_EQ(b->Thumb()->Height(), 12);
  EXPECT_EQ(b->Width(), 20);
  delete theme;  // the control lets go and falls back to DeepBlue
  EXPECT_EQ(b->FileTheme(), nullptr);
  EXPECT_EQ(b->UIStyle(), TSkinUIStyle::DeepBlue);
  TBitmap deep;
  LoadStyleBitmap(3, 30, &deep);
  EXPECT_EQ(b->Thumb()->Height(), deep.Height());
}

TEST_F(TrackBar, ScrollMessageThumbPositionIsReadInFull32Bits) {
  HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_POPUP | SBS_HORZ, 0, 0, 200, 16, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(bar, nullptr);
  SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_POS, 0, 3000000, 0, 2500000, 0};
  SetScrollInfo(bar, SB_CTL, &si, FALSE);
  // The message's 16 bits would say 2500000 & 0xFFFF = 9632.
  WPARAM w = MAKEWPARAM(SB_THUMBPOSITION, 2500000 & 0xFFFF);
  EXPECT_EQ(ScrollMessageThumbPosition(bar, SB_CTL, w), 2500000);
  EXPECT_EQ(ScrollMessageThumbPosition(nullptr, SB_CTL, w), 9632);
  DestroyWindow(bar);
}
