// The skinned progress bar in real windows under the X server: caption and fill for positions
// inside and outside the range, the smart caption, every built-in look, a skin archive's four
// pieces in both orientations, theme removal, a position shown at once without a message
// pump, clicks reaching the bar, and a gallery picture (skin_progress.png) to look at.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/ProgressGeometry.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinProgressBar.h"
#include "skin/SkinPublic.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;
using tolvane_test::PostedMouse;
using tolvane_test::Pump;

namespace {

// make_theme_fixtures.py, as pixels ($BBGGRR).
constexpr TColor kSkinEdge = 0x31561E;
constexpr TColor kSkinFill = 0x71B33C, kSkinFillLight = 0xB0E098;
constexpr TColor kSkinEmpty = 0xF4FFF4, kSkinEmptyLine = 0xB0D8B0;
constexpr TColor kSkinControlColor = 0xF0F8EC;     // SKIN2_CONTROLCOLOR
constexpr TColor kSkinControlBorder = 0x3C8C2E;    // SKIN2_CONTROLBORDERCOLOR
constexpr TColor kCaption = 0x0000FF;              // a caption colour no look uses
constexpr auto kVertical = TSkinProgressBarOrientation::skVertical;

struct Window {
  TForm* form;
  TSkinProgressBar* bar;
  explicit Window(int w = 200, int h = 30) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(40, 40, 420, 300);
    bar = new TSkinProgressBar(form);
    bar->SetBounds(10, 10, w, h);
    bar->SetParent(form);
    form->Show();
    Pump();
  }
  ~Window() { delete form; }
  std::unique_ptr<TBitmap> Shot() { return tolvane_test::Render(bar); }
};

int Count(const TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == c;
  return n;
}

// Columns of row `y` that differ from `c`, between `from` and `to` (end exclusive).
int ColumnsNot(const TBitmap& b, int y, int from, int to, TColor c) {
  int n = 0;
  for (int x = from; x < to; ++x) n += b.GetPixel(x, y) != c;
  return n;
}

}  // namespace

class ProgressBar : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(ProgressBar, NewBarShowsFiftyPercentHalfFilledInDeepBlue) {
  TForm form(nullptr);
  TSkinProgressBar bar(&form);
  EXPECT_EQ(bar.Width(), 150);
  EXPECT_EQ(bar.Height(), 12);
  EXPECT_EQ(bar.Caption(), "50%");
  EXPECT_EQ(bar.Position(), 50);
  EXPECT_EQ(bar.UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(bar.Color(), 0xE8E8E8);
  EXPECT_EQ(bar.BorderColor(), 0x000000);
  EXPECT_TRUE(bar.ShowCaption());
  EXPECT_FALSE(bar.SmartShowCaption());
  EXPECT_EQ(bar.LeftCap(), nullptr);  // no skin look applied yet

  Window w;
  w.bar->SetShowCaption(false);
  auto shot = w.Shot();
  // Border all round; the fill picture over columns 1..98 (Extent(199) = 99), the colour after.
  EXPECT_EQ(shot->GetPixel(0, 15), 0x000000);
  EXPECT_EQ(shot->GetPixel(199, 15), 0x000000);
  EXPECT_EQ(shot->GetPixel(100, 0), 0x000000);
  EXPECT_EQ(shot->GetPixel(100, 29), 0x000000);
  EXPECT_EQ(ColumnsNot(*shot, 15, 1, 99, 0xE8E8E8), 98);
  EXPECT_EQ(ColumnsNot(*shot, 15, 99, 199, 0xE8E8E8), 0);
}

TEST_F(ProgressBar, CaptionFollowsPositionMinAndMaxAndSmartCaptionHidesAtMin) {
  Window w;
  TSkinProgressBar* b = w.bar;
  b->SetCaptionColor(kCaption);
  EXPECT_GT(Count(*w.Shot(), kCaption), 0);
  b->SetSmartShowCaption(true);
  b->SetPosition(0);
  EXPECT_EQ(b->Caption(), "0%");
  EXPECT_EQ(Count(*w.Shot(), kCaption), 0);  // at Min: no caption
  b->SetPosition(1);
  EXPECT_EQ(b->Caption(), "1%");
  auto one = w.Shot();
  EXPECT_GT(Count(*one, kCaption), 0);
  // Centred: as much text left of the middle as right of it, within a column or two.
  int left = 0, right = 0;
  for (int y = 0; y < one->Height(); ++y)
    for (int x = 0; x < one->Width(); ++x)
      if (one->GetPixel(x, y) == kCaption) (x < 100 ? left : right)++;
  EXPECT_NEAR(left, right, 2 * one->Height());
  b->SetShowCaption(false);
  EXPECT_EQ(Count(*w.Shot(), kCaption), 0);
  b->SetShowCaption(true);
  b->SetMax(4);
  EXPECT_EQ(b->Caption(), "25%");
  b->SetMin(4);  // Min = Max
  EXPECT_EQ(b->Caption(), "0%");
}

TEST_F(ProgressBar, PositionsOutsideTheRangeAreKeptAndShownBeyondIt) {
  Window w;
  TSkinProgressBar* b = w.bar;
  b->SetShowCaption(false);
  b->SetPosition(150);
  EXPECT_EQ(b->Position(), 150);  // never clamped
  EXPECT_EQ(b->Caption(), "150%");
  auto full = w.Shot();
  EXPECT_EQ(ColumnsNot(*full, 15, 1, 199, b->Color()), 198);
  b->SetPosition(-10);
  EXPECT_EQ(b->Caption(), "-10%");
  auto empty = w.Shot();
  EXPECT_EQ(ColumnsNot(*empty, 15, 1, 199, b->Color()), 0);
  b->SetPosition(30);
  b->SetMin(30);
  b->SetMax(30);
  EXPECT_EQ(b->Caption(), "0%");
  EXPECT_EQ(ColumnsNot(*w.Shot(), 15, 1, 199, b->Color()), 0);
}

TEST_F(ProgressBar, EveryBuiltInStyleTakesItsFillPictureAndColours) {
  Window w;
  TSkinProgressBar* b = w.bar;
  b->SetShowCaption(false);
  b->SetPosition(100);
  for (int style = 1; style <= 5; ++style) {
    b->SetUIStyle(static_cast<TSkinUIStyle>(style));
    EXPECT_EQ(b->Color(), GetStyleColor(style, 26)) << style;
    EXPECT_EQ(b->BorderColor(), GetStyleColor(style, 25)) << style;
    TBitmap fill;
    LoadStyleBitmap(style, 24, &fill);
    ASSERT_FALSE(fill.Empty()) << style;
    EXPECT_EQ(b->Picture().Width(), fill.Width()) << style;
    EXPECT_EQ(b->Picture().Height(), fill.Height()) << style;
    EXPECT_FALSE(b->PaintsSkinPieces());
    auto shot = w.Shot();
    EXPECT_EQ(shot->GetPixel(0, 0), GetStyleColor(style, 25)) << style;
    // The picture's middle is stretched over the bar's middle.
    EXPECT_EQ(shot->GetPixel(100, 15), fill.GetPixel(fill.Width() / 2, fill.Height() / 2))
        << style;
  }
  // A FromThemeFile bar without a theme takes DeepBlue.
  b->SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(b->Color(), 0xE8E8E8);
}

TEST_F(ProgressBar, StoredColoursOverrideTheLookWhenSetAfterIt) {
  // A form resource sets the look first and the colours after, in the published order.
  Window w;
  TSkinProgressBar* b = w.bar;
  ASSERT_TRUE(b->SetPublished("UIStyle", TPropValue{std::int64_t{2}}));  // WinXP
  EXPECT_EQ(b->Color(), GetStyleColor(2, 26));
  b->SetBorderColor(0x123456);
  b->SetColor(0x00FFFF);
  b->SetShowCaption(false);
  b->SetPosition(0);
  auto shot = w.Shot();
  EXPECT_EQ(shot->GetPixel(0, 0), 0x123456);
  EXPECT_EQ(shot->GetPixel(100, 15), 0x00FFFF);
  TPropValue v;
  ASSERT_TRUE(b->GetPublished("UIStyle", &v));
  EXPECT_EQ(std::get<std::int64_t>(v), 2);
}

TEST_F(ProgressBar, VerticalBuiltInFillsFromTheBottomAndDropsItsCaption) {
  Window w(20, 101);
  TSkinProgressBar* b = w.bar;
  b->SetCaptionColor(kCaption);
  b->SetOrientation(kVertical);  // paints at once
  b->SetPosition(30);
  auto shot = w.Shot();
  EXPECT_FALSE(b->ShowCaption());  // switched off by the first paint, and it stays off
  EXPECT_EQ(Count(*shot, kCaption), 0);
  // Turned: the picture is as wide as the horizontal one is high.
  TBitmap fill;
  LoadStyleBitmap(3, 24, &fill);
  EXPECT_EQ(b->Picture().Width(), fill.Height());
  // Extent(100) = 30: rows 70..99 filled, rows 1..69 in the bar's colour.
  const TColor color = b->Color();
  for (int y = 1; y < 70; ++y) ASSERT_EQ(shot->GetPixel(10, y), color) << y;
  int filled = 0;
  for (int y = 70; y < 100; ++y) filled += shot->GetPixel(10, y) != color;
  EXPECT_EQ(filled, 30);
  EXPECT_EQ(shot->GetPixel(10, 100), b->BorderColor());
  b->SetShowCaption(true);
  b->SetPosition(60);
  EXPECT_EQ(Count(*w.Shot(), kCaption), 0);
  EXPECT_FALSE(b->ShowCaption());
}

TEST_F(ProgressBar, SkinArchiveDrawsFourPiecesKeepingTheirEdgesWithoutBorder) {
  Window w(200, 30);
  auto* theme = new TSkinFileTheme(w.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  TSkinProgressBar* b = w.bar;
  b->SetShowCaption(false);
  b->SetUIStyle(TSkinUIStyle::FromThemeFile);
  b->SetFileTheme(theme);
  ASSERT_TRUE(b->PaintsSkinPieces());
  EXPECT_EQ(b->Color(), kSkinControlColor);
  EXPECT_EQ(b->BorderColor(), kSkinControlBorder);
  ASSERT_NE(b->LeftCap(), nullptr);
  EXPECT_EQ(b->LeftCap()->Width(), 4);
  EXPECT_EQ(b->RightCap()->Width(), 4);
  EXPECT_EQ(b->EmptyPart()->Width(), 6);
  EXPECT_EQ(b->Picture().Width(), 6);
  b->SetPosition(50);
  auto shot = w.Shot();
  // Caps at the ends; 192 pixels between them, 96 filled.
  EXPECT_EQ(shot->GetPixel(0, 15), kSkinEdge);
  EXPECT_EQ(shot->GetPixel(199, 15), kSkinEdge);
  EXPECT_EQ(shot->GetPixel(4, 15), kSkinFill);
  EXPECT_EQ(shot->GetPixel(99, 15), kSkinFill);
  EXPECT_EQ(shot->GetPixel(100, 15), kSkinEmpty);
  EXPECT_EQ(shot->GetPixel(195, 15), kSkinEmpty);
  // A 16-row piece over 30 rows: the outer line and the light line stay one row each at
  // both edges; only the middle is stretched. No border is framed over it.
  EXPECT_EQ(shot->GetPixel(50, 0), kSkinEdge);
  EXPECT_EQ(shot->GetPixel(50, 1), kSkinFillLight);
  EXPECT_EQ(shot->GetPixel(50, 2), kSkinFill);
  EXPECT_EQ(shot->GetPixel(50, 27), kSkinFill);
  EXPECT_EQ(shot->GetPixel(50, 28), kSkinFillLight);
  EXPECT_EQ(shot->GetPixel(50, 29), kSkinEdge);
  EXPECT_EQ(shot->GetPixel(150, 1), kSkinEmptyLine);
  EXPECT_EQ(shot->GetPixel(150, 28), kSkinEmptyLine);
  EXPECT_EQ(Count(*shot, kSkinControlBorder), 0);

  // Vertical: the pieces turned, the fill rising from the bottom cap.
  b->SetOrientation(kVertical);
  b->SetBounds(10, 10, 30, 104);
  b->SetPosition(25);
  EXPECT_EQ(b->LeftCap()->Height(), 4);
  auto up = w.Shot();
  EXPECT_EQ(up->GetPixel(15, 103), kSkinEdge);
  EXPECT_EQ(up->GetPixel(15, 0), kSkinEdge);
  // 96 rows between the caps, 24 filled: rows 76..99.
  EXPECT_EQ(up->GetPixel(15, 99), kSkinFill);
  EXPECT_EQ(up->GetPixel(15, 76), kSkinFill);
  EXPECT_EQ(up->GetPixel(15, 75), kSkinEmpty);
  EXPECT_EQ(up->GetPixel(15, 4), kSkinEmpty);
  EXPECT_EQ(up->GetPixel(0, 50), kSkinEdge);   // the turned piece's outer columns
  EXPECT_EQ(up->GetPixel(1, 50), kSkinEmptyLine);
  EXPECT_EQ(up->GetPixel(29, 50), kSkinEdge);

  // The theme goes: DeepBlue's built-in look, although the skin pieces stay.
  delete theme;
  EXPECT_EQ(b->FileTheme(), nullptr);
  EXPECT_EQ(b->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_FALSE(b->PaintsSkinPieces());
  EXPECT_NE(b->LeftCap(), nullptr);
  EXPECT_EQ(b->Color(), 0xE8E8E8);
  EXPECT_EQ(b->BorderColor(), 0x000000);
  TBitmap deep;
  LoadStyleBitmap(3, 24, &deep);
  EXPECT_EQ(b->Picture().Width(), deep.Height());  // turned for the vertical bar
}

TEST_F(ProgressBar, SkinWithoutProgressPiecesStillPaintsInItsColours) {
  // theme_second.ssk has only a button: the pieces are empty and the bar shows the colour it
  // had, unframed, with its caption.
  Window w;
  auto* theme = new TSkinFileTheme(w.form);
  theme->SetThemeFile("theme_fixtures\\theme_second.ssk");
  ASSERT_TRUE(theme->Ready());
  TSkinProgressBar* b = w.bar;
  const TColor before = b->Color();
  b->SetCaptionColor(kCaption);
  b->SetUIStyle(TSkinUIStyle::FromThemeFile);
  b->SetFileTheme(theme);
  EXPECT_TRUE(b->PaintsSkinPieces());
  EXPECT_TRUE(b->LeftCap()->Empty());
  EXPECT_FALSE(b->Picture().HasGraphic());
  EXPECT_EQ(b->Color(), before);  // the skin has no control colour
  auto shot = w.Shot();
  EXPECT_GT(Count(*shot, kCaption), 0);
  EXPECT_EQ(shot->GetPixel(0, 0), before);
}

TEST_F(ProgressBar, PositionShowsOnScreenAtOnceAndClicksReachTheBar) {
  Window w;
  TSkinProgressBar* b = w.bar;
  b->SetShowCaption(false);
  b->SetPosition(0);
  Pump();
  HDC dc = GetDC(b->Handle());
  ASSERT_NE(dc, nullptr);
  const COLORREF empty = GetPixel(dc, 150, 15);
  EXPECT_EQ(empty, ColorToRGB(b->Color()));
  // No message is pumped between the write and the look: the writer painted.
  b->SetPosition(100);
  const COLORREF full = GetPixel(dc, 150, 15);
  ReleaseDC(b->Handle(), dc);
  EXPECT_NE(full, empty);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  PostedMouse m;
  m.Click(b, 20, 10);
  EXPECT_EQ(clicks, 1);
  SetCursorPos(1023, 767);  // out of the way of the windows the next test makes
}

TEST_F(ProgressBar, GalleryOfEveryLookAndOrientation) {
  constexpr int kRowHeight = 64, kWidth = 600, kRows = 6;
  const char* const names[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                               "Skin archive"};
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(0, 0, kWidth, kRowHeight * kRows);
  auto* theme = new TSkinFileTheme(&form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  std::vector<TSkinImagePanel*> rows;
  for (int style = 1; style <= kRows; ++style) {
    auto* row = new TSkinImagePanel(&form);
    row->SetBounds(0, (style - 1) * kRowHeight, kWidth, kRowHeight);
    row->SetColor(style == 6 ? theme->GetColor(2) : GetStyleColor(style, 15));
    row->SetCaption(std::string("  ") + names[style]);
    row->SetAlignment(TAlignment::taLeftJustify);
    row->Font().SetStyle(fsBold);
    row->SetParent(&form);
    rows.push_back(row);
    auto make = [&](int x, int y, int w, int h, int position, bool vertical) {
      auto* b = new TSkinProgressBar(&form);
      if (vertical) b->SetOrientation(kVertical);
      if (style == 6) {
        b->SetUIStyle(TSkinUIStyle::FromThemeFile);
        b->SetFileTheme(theme);
      } else {
        b->SetUIStyle(static_cast<TSkinUIStyle>(style));
      }
      b->SetBounds(x, y, w, h);
      b->SetSmartShowCaption(true);
      // A bar 15 pixels across has no room for "100%"; a built-in look drops it itself.
      if (vertical) b->SetShowCaption(false);
      b->SetPosition(position);
      b->SetParent(row);
      return b;
    };
    // The progress windows' size (383 x 15) at 37 %, an empty and a full one, and three
    // vertical bars.
    make(110, 6, 383, 15, 37, false);
    make(110, 26, 180, 15, 0, false);
    make(313, 26, 180, 15, 100, false);
    make(110, 46, 383, 12, 64, false);
    make(520, 4, 15, kRowHeight - 8, 20, true);
    make(545, 4, 15, kRowHeight - 8, 75, true);
    make(570, 4, 15, kRowHeight - 8, 100, true);
  }
  form.Show();
  Pump(60);
  TBitmap shot(kWidth, kRowHeight * kRows);
  for (TSkinImagePanel* row : rows)
    tolvane_test::PaintTree(row, shot.Canvas().Handle(), row->Left(), row->Top());
  tolvane_test::SavePicture(shot, "skin_progress.png");
  EXPECT_EQ(Count(shot, clFuchsia), 0);
}
