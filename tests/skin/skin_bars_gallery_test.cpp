// Renders one window holding, for each of the five built-in styles and for a skin archive
// loaded by a theme, horizontal and vertical track bars and scroll bars (one with a line
// button held down), and writes the picture to tests/artifacts/ of the build tree
// (skin_bars.png) for a person to look at.
#include <gtest/gtest.h>

#include "skin/QzScrollBar.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinPublic.h"
#include "skin/SkinScrollBar.h"
#include "skin/SkinTrackBar.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;
using tolvane_test::Pump;

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                                   "Skin archive"};
constexpr int kSkinRow = 6;
constexpr auto kVertical = TSkinProgressBarOrientation::skVertical;

template <typename Bar>
Bar* Styled(Bar* bar, int style, TSkinFileTheme* theme) {
  if (style == kSkinRow) {
    bar->SetUIStyle(TSkinUIStyle::FromThemeFile);
    bar->SetFileTheme(theme);
  } else {
    bar->SetUIStyle(static_cast<TSkinUIStyle>(style));
  }
  return bar;
}

int CountPixels(const TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == c;
  return n;
}

}  // namespace

TEST(BarsGallery, FiveStylesAndASkinArchiveRenderedIntoOnePicture) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  constexpr int kRowHeight = 112, kWidth = 660, kRows = 6;
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(0, 0, kWidth, kRowHeight * kRows);
  auto* theme = new TSkinFileTheme(&form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  std::vector<TSkinImagePanel*> rows;
  std::vector<TSkinCustomScrollBar*> held;
  std::vector<TSkinTrackBar*> tracks;
  for (int style = 1; style <= kRows; ++style) {
    auto* row = new TSkinImagePanel(&form);
    row->SetBounds(0, (style - 1) * kRowHeight, kWidth, kRowHeight);
    row->SetColor(style == kSkinRow ? theme->GetColor(2) : GetStyleColor(style, 15));
    row->SetCaption(std::string("  ") + kStyleNames[style]);
    row->SetAlignment(TAlignment::taLeftJustify);
    row->Font().SetStyle(fsBold);
    row->SetParent(&form);
    rows.push_back(row);
    // The caption is vertically centred: the bars go around the middle of the row.
    auto* ht = Styled(new TSkinTrackBar(&form), style, theme);
    ht->SetBounds(110, 14, 200, 30);
    ht->SetPosition(6);
    ht->SetParent(row);
    tracks.push_back(ht);
    auto* ht2 = Styled(new TSkinTrackBar(&form), style, theme);
    ht2->SetBounds(110, 70, 200, 30);
    ht2->SetMax(100);
    ht2->SetFrequency(10);
    ht2->SetPosition(100);
    ht2->SetParent(row);
    tracks.push_back(ht2);
    auto* vt = Styled(new TSkinTrackBar(&form), style, theme);
    vt->SetOrientation(kVertical);
    vt->SetBounds(330, 8, 30, kRowHeight - 16);
    vt->SetPosition(3);
    vt->SetParent(row);
    tracks.push_back(vt);
    auto* hs = Styled(new TSkinScrollBar(&form), style, theme);
    hs->SetBounds(380, 14, 200, 17);
    hs->SetPageSize(30);
    hs->SetPosition(40);
    hs->SetParent(row);
    auto* hs2 = Styled(new TQzScrollBar(&form), style, theme);
    hs2->SetBounds(380, 70, 200, 17);
    hs2->SetLineButton(24);
    hs2->SetPosition(100);
    hs2->SetParent(row);
    held.push_back(hs2);
    auto* vs = Styled(new TSkinScrollBar(&form), style, theme);
    vs->SetOrientation(kVertical);
    vs->SetBounds(600, 8, 17, kRowHeight - 16);
    vs->SetLineButton(30);
    vs->SetPosition(50);
    vs->SetParent(row);
    auto* vs2 = Styled(new TQzScrollBar(&form), style, theme);
    vs2->SetOrientation(kVertical);
    vs2->SetBounds(630, 8, 17, kRowHeight - 16);
    vs2->SetPageSize(25);
    vs2->SetPosition(100);
    vs2->SetParent(row);
  }
  form.Show();
  Pump(60);
  // Hold the second button of each maker's bar (its pressed picture) and hover the first.
  for (TSkinCustomScrollBar* b : held) {
    SendMessageA(b->SecondButton()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    b->FirstButton()->Perform(CM_MOUSEENTER);
  }
  // Focus one track bar so that its focus rectangle shows.
  tracks[2 * 3]->SetFocus();
  Pump(30);

  TBitmap shot(kWidth, kRowHeight * kRows);
  for (TSkinImagePanel* row : rows) tolvane_test::PaintTree(row, shot.Canvas().Handle(), row->Left(), row->Top());
  for (TSkinCustomScrollBar* b : held)
    SendMessageA(b->SecondButton()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  tolvane_test::SavePicture(shot, "skin_bars.png");

  // No key colour reached the screen: neither the built-in magenta nor the skin's green.
  EXPECT_EQ(CountPixels(shot, clFuchsia), 0);
  EXPECT_EQ(CountPixels(shot, 0x00FF00), 0);
  // Every thumb lies within its track, and every row's scroll bars show their own colour.
  for (TSkinTrackBar* t : tracks) {
    RECT r = t->Thumb()->BoundsRect();
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, t->Width());
    EXPECT_LE(r.bottom, t->Height());
  }
  for (int style = 1; style <= kRows; ++style) {
    TSkinCustomScrollBar* b = held[style - 1];
    TColor expected = style == kSkinRow ? theme->GetColor(25) : GetStyleColor(style, 31);
    EXPECT_EQ(b->Color(), expected) << style;
    RECT thumb = b->Track()->Thumb()->BoundsRect();
    EXPECT_EQ(thumb.right, b->Track()->Width()) << style;  // Position = Max: at the end
  }
}
