// The skinned scroll bars (TSkinScrollBar and the maker's TQzScrollBar) in real windows under
// the X server: layout, thumb length, line buttons held and clicked, dragging and paging over
// a long range, every built-in look and a skin archive's, visibility and theme handling.
#include <gtest/gtest.h>

#include <vector>

#include "skin/QzScrollBar.h"
#include "skin/SkinPublic.h"
#include "skin/SkinScrollBar.h"
#include "skin/TrackGeometry.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;
using tolvane_test::PostedMouse;
using tolvane_test::Pump;

namespace {

constexpr TColor kSkinScrollColor = 0xD0E8D0;  // make_theme_fixtures.py: SKIN2_SCROLLBARCOLOR
constexpr TColor kSkinGrip = 0xF0FFF0;

constexpr auto kVertical = TSkinProgressBarOrientation::skVertical;
constexpr auto kHorizontal = TSkinProgressBarOrientation::skHorizontal;

struct Window {
  TForm* form;
  TSkinScrollBar* v;
  TSkinScrollBar* h;
  std::vector<int> changes;  // LastChange of each OnChange of the vertical bar
  Window() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(40, 40, 420, 300);
    v = new TSkinScrollBar(form);
    v->SetOrientation(kVertical);
    v->SetBounds(10, 10, 16, 250);
    v->SetParent(form);
    v->OnChange() = [this](TObject*) { changes.push_back(v->LastChange()); };
    h = new TSkinScrollBar(form);
    h->SetBounds(40, 10, 300, 30);
    h->SetParent(form);
    form->Show();
    Pump();
  }
  ~Window() { delete form; }
};

int Rows(const TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y) {
    bool hit = false;
    for (int x = 0; x < b.Width(); ++x) hit = hit || b.GetPixel(x, y) == c;
    n += hit;
  }
  return n;
}

}  // namespace

class ScrollBar : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(ScrollBar, ButtonsSitAtTheEndsWithTheTrackBetweenAndAZeroSizeHides) {
  Window w;
  TSkinScrollBar* v = w.v;
  EXPECT_EQ(v->Width(), 16);  // as thick as its buttons
  EXPECT_EQ(v->FirstButton()->BoundsRect().top, 0);
  EXPECT_EQ(v->FirstButton()->Height(), 16);
  EXPECT_EQ(v->Track()->Top(), 16);
  EXPECT_EQ(v->Track()->Height(), 250 - 32);
  EXPECT_EQ(v->Track()->Width(), 16);
  EXPECT_EQ(v->SecondButton()->Top(), 234);
  EXPECT_EQ(v->Track()->Orientation(), kVertical);
  TSkinScrollBar* h = w.h;
  EXPECT_EQ(h->Height(), 16);
  EXPECT_EQ(h->Track()->Left(), 16);
  EXPECT_EQ(h->Track()->Width(), 300 - 32);
  EXPECT_EQ(h->SecondButton()->Left(), 284);
  // Thumbs lie inside their tracks.
  EXPECT_EQ(v->Track()->Thumb()->Width(), 16);
  EXPECT_EQ(h->Track()->Thumb()->Height(), 16);
  EXPECT_EQ(v->Track()->Thumb()->Top(), 0);
  // Zero height: the bar hides itself, and its parts with it.
  v->SetBounds(10, 10, 16, 0);
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(v->Track()->Visible());
  EXPECT_FALSE(v->FirstButton()->Visible());
  v->SetBounds(10, 10, 16, 250);
  v->Show();
  EXPECT_TRUE(v->Track()->Visible());
  EXPECT_TRUE(v->SecondButton()->Visible());
}

TEST_F(ScrollBar, ThumbLengthFollowsPageSizePercentOrLineButton) {
  Window w;
  TSkinScrollBar* v = w.v;
  TSkinImagePanel* thumb = v->Track()->Thumb();
  const int track = v->Track()->Height();
  EXPECT_EQ(thumb->Height(), track / 10);  // PageSize 0: a tenth of the track
  v->SetPageSize(50);
  EXPECT_EQ(thumb->Height(), track / 2);
  v->SetMax(1000);
  v->SetPageSize(150);  // above 100: a tenth again
  EXPECT_EQ(thumb->Height(), track / 10);
  v->SetLineButton(5);  // raised to 16
  EXPECT_EQ(v->LineButton(), 16);
  EXPECT_EQ(thumb->Height(), 16);
  v->SetLineButton(track + 1);  // longer than the track: ignored
  EXPECT_EQ(v->LineButton(), 16);
  v->SetLineButton(track);
  EXPECT_EQ(thumb->Height(), track);
  EXPECT_EQ(v->Track()->PagingTarget(5, 100), v->Min());  // nowhere to move: Min
  v->SetLineButton(0);
  EXPECT_EQ(thumb->Height(), track / 10);
  EXPECT_EQ(v->LargeChange(), 150);
}

TEST_F(ScrollBar, LineButtonStepsOnceForAClickAndBySmallChangeEveryIntervalWhileHeld) {
  Window w;
  TSkinScrollBar* v = w.v;
  v->SetSmallChange(5);
  PostedMouse m;
  TSkinImageButton* down = v->SecondButton();
  m.Click(down, 8, 8);  // shorter than one interval: one step, on the release
  Pump(250);
  EXPECT_EQ(v->Position(), 5);
  m.Click(v->FirstButton(), 8, 8);
  Pump(250);
  EXPECT_EQ(v->Position(), 0);
  w.changes.clear();
  m.Press(down, 8, 8);
  Pump(40);
  EXPECT_EQ(v->Position(), 0);  // the first step comes an interval after the press
  Pump(420);
  m.Release(down, 8, 8);
  const int held = v->Position();
  EXPECT_EQ(held % 5, 0);
  EXPECT_GE(held, 10);  // four at 100 ms; a loaded machine may deliver a timer late
  EXPECT_LE(held, 25);
  Pump(250);
  EXPECT_EQ(v->Position(), held);  // released: no more steps
  for (int c : w.changes) EXPECT_EQ(c, 5);
  m.Press(v->FirstButton(), 8, 8);
  Pump(1200);
  m.Release(v->FirstButton(), 8, 8);
  EXPECT_EQ(v->Position(), 0);  // back to the start, and no further
  v->SetSmallChange(0);
  EXPECT_EQ(v->SmallChange(), 1);
  // A disabled bar disables its parts: it neither steps nor drags.
  v->SetEnabled(false);
  EXPECT_FALSE(down->Enabled());
  m.Press(down, 8, 8);
  Pump(300);
  m.Release(down, 8, 8);
  m.Press(v->Track()->Thumb(), 8, 5);
  m.MoveTo(v->Track(), 8, 150);
  m.Release(v->Track(), 8, 150);
  EXPECT_EQ(v->Position(), 0);
  EXPECT_FALSE(v->Track()->Dragging());
}

TEST_F(ScrollBar, DraggingAndPagingOverThreeMillionRowsStayExact) {
  Window w;
  TSkinScrollBar* v = w.v;
  v->SetMax(3000000);
  v->SetLineButton(20);
  TSkinScrollTrackBar* t = v->Track();
  const int travel = t->Height() - t->Thumb()->Height();
  PostedMouse m;
  m.Press(t->Thumb(), 8, 10);
  EXPECT_TRUE(t->Dragging());
  m.MoveTo(t, 8, 10 + travel / 2);
  const int expected = PositionAt(10 + travel / 2, 10, t->Height(), t->Thumb()->Height(), 0, 3000000);
  EXPECT_EQ(v->Position(), expected);
  EXPECT_NEAR(v->Position(), 1500000, 3000000 / travel);
  EXPECT_EQ(t->Thumb()->Top(), travel / 2);
  m.Release(t, 8, 10 + travel / 2);
  ASSERT_EQ(w.changes.size(), 1u);
  EXPECT_EQ(w.changes[0], expected);
  EXPECT_EQ(v->LastChange(), expected);
  // A press below the thumb pages by the track's page size, once: the scroll track takes no
  // focus.
  v->SetLargeChange(1000);
  m.Press(t, 8, t->Height() - 5);
  EXPECT_EQ(v->Position(), expected + 1000);
  m.Release(t, 8, t->Height() - 5);
  EXPECT_FALSE(t->Focused());
}

TEST_F(ScrollBar, EveryBuiltInStyleLoadsItsColourButtonsAndThumb) {
  Window w;
  for (int style = 1; style <= 5; ++style) {
    for (TSkinScrollBar* bar : {w.v, w.h}) {
      bar->SetUIStyle(static_cast<TSkinUIStyle>(style));
      EXPECT_EQ(bar->Color(), GetStyleColor(style, 31)) << style;
      EXPECT_EQ(bar->Track()->Color(), bar->Color());
      TBitmap up, down, cap;
      GetStyleBitmap(style, 32, &up, 1, 6);
      GetStyleBitmap(style, 32, &down, 6, 6);
      GetStyleBitmap(style, 33, &cap, 1, 3);
      const bool horizontal = bar == w.h;
      if (horizontal) {
        RotateBitmapLeft(up);
        RotateBitmapLeft(down);
      } else {
        RotateBitmapRight(cap);
      }
      TBitmap* first = bar->FirstButton()->PicNormal().Bitmap();
      TBitmap* pressed = bar->SecondButton()->PicMouseDown().Bitmap();
      ASSERT_EQ(first->Width(), up.Width());
      for (int i = 0; i < up.Width(); ++i) {
        EXPECT_EQ(first->GetPixel(i, i), up.GetPixel(i, i)) << style << " " << i;
        EXPECT_EQ(pressed->GetPixel(i, 8), down.GetPixel(i, 8)) << style << " " << i;
      }
      // The thumb starts with the start cap.
      TBitmap* thumb = bar->Track()->Thumb()->Picture().Bitmap();
      EXPECT_EQ(thumb->GetPixel(4, 4), cap.GetPixel(4, 4)) << style;
      EXPECT_EQ(thumb->GetPixel(3, 6), cap.GetPixel(3, 6)) << style;
      EXPECT_EQ(thumb->GetPixel(6, 3), cap.GetPixel(6, 3)) << style;
    }
  }
}

TEST_F(ScrollBar, SkinArchivePicturesAndTheThemeComingAndGoing) {
  Window w;
  auto* theme = new TSkinFileTheme(w.form);
  auto* qz = new TQzScrollBar(w.form);
  qz->SetOrientation(kVertical);
  qz->SetBounds(360, 10, 16, 250);
  qz->SetParent(w.form);
  for (TSkinCustomScrollBar* bar : {static_cast<TSkinCustomScrollBar*>(w.v),
                                    static_cast<TSkinCustomScrollBar*>(qz)}) {
    bar->SetUIStyle(TSkinUIStyle::FromThemeFile);
    bar->SetFileTheme(theme);  // not loaded yet: DeepBlue
    EXPECT_EQ(bar->Color(), GetStyleColor(3, 31));
  }
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  // The theme re-applies itself to the TSkin controls of its form, not to TQzScrollBar.
  EXPECT_EQ(w.v->Color(), kSkinScrollColor);
  EXPECT_EQ(qz->Color(), GetStyleColor(3, 31));
  qz->SetFileTheme(theme);
  EXPECT_EQ(qz->Color(), kSkinScrollColor);
  for (TSkinCustomScrollBar* bar : {static_cast<TSkinCustomScrollBar*>(w.v),
                                    static_cast<TSkinCustomScrollBar*>(qz)}) {
    EXPECT_EQ(bar->Width(), 17);  // the skin's buttons are 17 pixels
    bar->SetLineButton(60);
    TBitmap* thumb = bar->Track()->Thumb()->Picture().Bitmap();
    EXPECT_EQ(thumb->Height(), 60);
    EXPECT_EQ(thumb->Width(), 17);
    EXPECT_EQ(Rows(*thumb, kSkinGrip), 4);  // the grip keeps its size
    bar->SetLineButton(16);  // too short for the grip: squeezed into the 10 middle rows
    EXPECT_EQ(bar->Track()->Thumb()->Height(), 16);
  }
  qz->Hide();
  EXPECT_FALSE(qz->Track()->Visible());
  EXPECT_FALSE(qz->FirstButton()->Visible());
  delete theme;
  for (TSkinCustomScrollBar* bar : {static_cast<TSkinCustomScrollBar*>(w.v),
                                    static_cast<TSkinCustomScrollBar*>(qz)}) {
    EXPECT_EQ(bar->FileTheme(), nullptr);
    EXPECT_EQ(bar->UIStyle(), TSkinUIStyle::DeepBlue);
    EXPECT_EQ(bar->Color(), GetStyleColor(3, 31));
    EXPECT_EQ(bar->Width(), 16);
  }
}
