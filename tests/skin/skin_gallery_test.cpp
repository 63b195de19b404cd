// Renders one window holding, for each of the five built-in styles and for a skin archive
// loaded by a theme, a title-like image panel and skinned buttons in every state, and writes
// the picture to tests/artifacts/ of the build tree (skin_styles.png) for a person to look at.
#include <gtest/gtest.h>

#include <set>

#include "skin/SkinButton.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinMgr.h"
#include "skin/SkinPublic.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

using tolvane_test::Pump;

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                                   "Skin archive (theme_fixtures\\theme.ssk)"};
constexpr int kSkinRow = 6;  // the row drawn from the theme's skin archive

// A banner picture from the style's (or the skin's) three title-bar sections: left, repeated
// middle, right.
void TitlePicture(int style, const TSkinFileTheme* theme, int width, TBitmap& out) {
  TBitmap left, mid, right;
  if (theme) {
    left.Assign(theme->GetBitmap(0));   // SKIN2_TITLEBAR1
    mid.Assign(theme->GetBitmap(1));    // SKIN2_TITLEBAR2
    right.Assign(theme->GetBitmap(2));  // SKIN2_TITLEBAR3
  } else {
    LoadStyleBitmap(style, 10, &left);
    LoadStyleBitmap(style, 11, &mid);
    LoadStyleBitmap(style, 12, &right);
  }
  for (TBitmap* b : {&left, &mid, &right}) {
    b->SetTransparent(true);
    b->SetTransparentColor(SkinTransparentKey);
  }
  out.SetSize(width, left.Height());
  out.Canvas().Brush.Color = theme ? theme->GetColor(2) : GetStyleColor(style, 15);
  out.Canvas().FillRect(RECT{0, 0, width, left.Height()});
  for (int x = left.Width(); x < width - right.Width(); x += std::max(mid.Width(), 1))
    out.Canvas().Draw(x, 0, &mid);
  out.Canvas().Draw(0, 0, &left);
  out.Canvas().Draw(width - right.Width(), 0, &right);
}

void PaintInto(TControl* c, HDC dc, int x, int y) {
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

}  // namespace

TEST(Gallery, FiveStylesAndASkinArchiveRenderedIntoOnePicture) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  constexpr int kRowHeight = 76, kWidth = 700, kRows = 6;
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(0, 0, kWidth, kRowHeight * kRows);
  auto* theme = new TSkinFileTheme(&form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  struct Row {
    TSkinImagePanel* panel;
    TSkinImagePanel* banner;
    std::vector<TSkinButton*> buttons;
  };
  std::vector<Row> rows;
  TBitmap glyph(16, 16);
  glyph.Canvas().Brush.Color = clFuchsia;
  glyph.Canvas().FillRect(RECT{0, 0, 16, 16});
  glyph.Canvas().Brush.Color = 0x2A8A2A;
  glyph.Canvas().FillRect(RECT{3, 3, 13, 13});
  glyph.Canvas().Brush.Color = clWhite;
  glyph.Canvas().FillRect(RECT{6, 6, 10, 10});
  for (int style = 1; style <= kRows; ++style) {
    const TSkinFileTheme* skin = style == kSkinRow ? theme : nullptr;
    Row row;
    // The row is an image panel too: the MacOS and Protein forms tile their background.
    row.panel = new TSkinImagePanel(&form);
    if (style == 1 || style == 4) {
      row.panel->Picture().Bitmap()->LoadFromResourceName(
          GetModuleHandleA(nullptr), style == 1 ? "MACOS_FORM_BACKGROUND" : "PROTEIN_FORM_BACKGROUND");
      row.panel->SetDrawStyle(TSkinDrawStyle::skTile);
    }
    row.panel->SetBounds(0, (style - 1) * kRowHeight, kWidth, kRowHeight);
    row.panel->SetColor(skin ? theme->GetColor(2) : GetStyleColor(style, 15));  // form colour
    row.panel->SetParent(&form);
    row.banner = new TSkinImagePanel(&form);
    row.banner->SetBounds(0, 0, kWidth, 10);
    TitlePicture(style, skin, kWidth, *row.banner->Picture().Bitmap());
    row.banner->SetHeight(row.banner->Picture().Height());
    row.banner->SetCaption(std::string("  ") + kStyleNames[style]);
    row.banner->SetAlignment(TAlignment::taLeftJustify);
    row.banner->Font().SetColor(style == 1 ? clBlack : clWhite);
    row.banner->Font().SetStyle(fsBold);
    row.banner->SetParent(row.panel);
    const char* captions[] = {"&Normal", "Hover", "Pressed", "Focused", "Disabled", "Glyph"};
    for (int i = 0; i < 6; ++i) {
      auto* b = new TSkinButton(&form);
      if (skin) {
        b->SetUIStyle(TSkinUIStyle::FromThemeFile);
        b->SetFileTheme(theme);
      } else {
        b->SetUIStyle(static_cast<TSkinUIStyle>(style));
      }
      b->SetBounds(12 + i * 112, row.banner->Height() + 12, 100, 27);
      b->SetCaption(captions[i]);
      if (i == 5) b->SetGlyph(&glyph);
      b->SetParent(row.panel);
      row.buttons.push_back(b);
    }
    rows.push_back(row);
  }
  form.Show();
  Pump();

  TBitmap shot(kWidth, kRowHeight * kRows);
  HDC dc = shot.Canvas().Handle();
  for (Row& row : rows) {
    TSkinButton** b = row.buttons.data();
    PaintInto(row.panel, dc, row.panel->Left(), row.panel->Top());
    PaintInto(row.banner, dc, row.panel->Left(), row.panel->Top());
    // Each button is put into its state just before it is painted: the states of one row
    // cannot all hold at once (a press takes the focus).
    auto paint = [&](TSkinButton* button) {
      PaintInto(button, dc, row.panel->Left() + button->Left(), row.panel->Top() + button->Top());
    };
    b[3]->SetFocus();  // keep the focus off the buttons shown unfocused
    Pump();
    paint(b[0]);
    b[1]->Perform(CM_MOUSEENTER);
    paint(b[1]);
    b[1]->Perform(CM_MOUSELEAVE);
    SendMessageA(b[2]->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(b[2]->Pressed());
    paint(b[2]);
    SendMessageA(b[2]->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    b[3]->SetFocus();
    Pump();
    EXPECT_TRUE(b[3]->Focused());
    paint(b[3]);
    b[4]->SetEnabled(false);
    paint(b[4]);
    paint(b[5]);
  }
  tolvane_test::SavePicture(shot, "skin_styles.png");
  // Each row shows its own look: the rows' button faces differ from one another.
  std::set<TColor> faces;
  for (int style = 1; style <= kRows; ++style)
    faces.insert(shot.GetPixel(12 + 20, (style - 1) * kRowHeight + rows[style - 1].banner->Height() + 14));
  EXPECT_EQ(faces.size(), static_cast<size_t>(kRows));
  // The skin row's normal button shows the archive's face (make_theme_fixtures.py's fill).
  Row& skinRow = rows[kSkinRow - 1];
  EXPECT_EQ(shot.GetPixel(skinRow.buttons[0]->Left() + 4,
                          (kSkinRow - 1) * kRowHeight + skinRow.buttons[0]->Top() + 4),
            0x71B33C);
}
