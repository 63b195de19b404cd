// Skinned popup and main menus: the look each built-in style and a skin archive give (and a
// skin without a colour), the heights the MacOS style fixes, theme removal, measuring, and
// items drawn into bitmaps checked by pixel: side bar (flat and gradient), selection, a
// disabled item, a checked item's glyph or image box, the separator line and the shortcut
// text, in the colours and MacOS pictures of the styles.
#include <gtest/gtest.h>

#include <string>

#include "forms/Forms.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMgr.h"
#include "skin/SkinThemes.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

// Stands in for the skinned frame: OwnerFormUIStyle looks for a control of this class name
// and reads its UIStyle.
class FakeFrame : public TCustomPanel {
 public:
  FakeFrame(TComponent* owner, TSkinUIStyle s) : TCustomPanel(owner), style_(s) {}
  const char* ClassName() const override { return "TSkinForm"; }
  bool GetPublished(std::string_view name, TPropValue* out) const override {
    if (name != "UIStyle") return TCustomPanel::GetPublished(name, out);
    if (out) *out = static_cast<std::int64_t>(style_);
    return true;
  }

 private:
  TSkinUIStyle style_;
};

TMenuItem* AddItem(TComponent* owner, TMenu& menu, const std::string& caption,
                   TShortCut sc = scNone) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(sc);
  menu.Items()->Add(item);
  return item;
}

bool HasColor(const TBitmap& b, const RECT& r, TColor c) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (b.GetPixel(x, y) == c) return true;
  return false;
}

constexpr int kW = 200, kH = 21;

// Draws `item` into a fresh bitmap (white) through its hooked handler.
void Draw(TMenuItem* item, TBitmap& b, bool selected, int height = kH) {
  b.SetSize(kW, height);
  b.Canvas().Brush.Style = TBrushStyle::bsSolid;  // the last drawing may have left it clear
  b.Canvas().Brush.Color = clWhite;
  b.Canvas().FillRect(RECT{0, 0, kW, height});
  item->DrawItem(b.Canvas(), RECT{0, 0, kW, height}, selected);
}

}  // namespace

TEST(SkinMenuStyle, EachBuiltInStyleGivesItsColoursAndHeights) {
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);
  EXPECT_EQ(menu.UIStyle(), TSkinUIStyle::DeepBlue) << "no frame on the owner";
  EXPECT_TRUE(menu.OwnerDraw());
  menu.SetOwnerDraw(false);
  EXPECT_TRUE(menu.OwnerDraw()) << "writing is ignored";
  EXPECT_EQ(menu.FontName(), "MS Sans Serif");
  EXPECT_TRUE(menu.UseSystemFont());
  EXPECT_FALSE(menu.FlatMenu());
  for (int s = 1; s <= 5; ++s) {
    menu.SetUIStyle(static_cast<TSkinUIStyle>(s));
    const bool mac = s == 1;
    EXPECT_EQ(menu.BarWidth(), 26) << s;
    EXPECT_EQ(menu.MenuItemHeight(), mac ? 20 : 21) << s;
    EXPECT_EQ(menu.SeparatorHeight(), mac ? 12 : 5) << s;
    EXPECT_EQ(menu.SeparatorColor(), mac ? 0x000000 : 0x848284) << s;
    EXPECT_EQ(menu.BarColor(), GetStyleColor(s, 23)) << s;
    EXPECT_EQ(menu.BarToColor(), GetStyleColor(s, 23)) << s;
    EXPECT_EQ(menu.Color(), GetStyleColor(s, 21)) << s;
    EXPECT_EQ(menu.FontColor(), GetStyleColor(s, 22)) << s;
    EXPECT_EQ(menu.SelectedBorderColor(), GetStyleColor(s, 18)) << s;
    EXPECT_EQ(menu.SelectedColor(), GetStyleColor(s, 19)) << s;
    EXPECT_EQ(menu.SelectedFontColor(), GetStyleColor(s, 20)) << s;
  }
  // FromThemeFile without a theme is DeepBlue's look.
  menu.SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(menu.SelectedColor(), GetStyleColor(3, 19));
  // Published by name, as form resources set them.
  EXPECT_TRUE(menu.SetPublished("BarWidth", TPropValue{std::int64_t{30}}));
  TPropValue v;
  EXPECT_TRUE(menu.GetPublished("BarWidth", &v));
  EXPECT_EQ(std::get<std::int64_t>(v), 30);
  EXPECT_TRUE(menu.SetPublished("FontName", TPropValue{std::string("Tahoma")}));
  EXPECT_EQ(menu.FontName(), "Tahoma");
  EXPECT_FALSE(menu.SetPublished("UIStyle", TPropValue{std::int64_t{9}}));
}

TEST(SkinMenuStyle, MacOSFrameFixesHeightsThePopupRefusesBothWritesTheMainMenuOnlyOne) {
  TForm form(nullptr);
  // The frame need not be shown: only its class and style are read.
  auto* frame = new FakeFrame(&form, TSkinUIStyle::MacOS);
  frame->SetParent(&form);
  auto* popup = new TSkinPopupMenu(&form);
  EXPECT_EQ(popup->UIStyle(), TSkinUIStyle::MacOS);
  EXPECT_EQ(popup->MenuItemHeight(), 20);
  EXPECT_EQ(popup->SeparatorHeight(), 12);
  EXPECT_EQ(popup->SeparatorColor(), 0x000000);
  popup->SetMenuItemHeight(30);
  popup->SetSeparatorHeight(8);
  EXPECT_EQ(popup->MenuItemHeight(), 20);
  EXPECT_EQ(popup->SeparatorHeight(), 12);
  auto* main = new TSkinMainMenu(&form);
  EXPECT_EQ(main->UIStyle(), TSkinUIStyle::MacOS);
  main->SetMenuItemHeight(30);
  main->SetSeparatorHeight(8);
  EXPECT_EQ(main->MenuItemHeight(), 30);
  EXPECT_EQ(main->SeparatorHeight(), 12);
  // Out of MacOS the writes are taken.
  popup->SetUIStyle(TSkinUIStyle::WinXP);
  popup->SetMenuItemHeight(30);
  popup->SetSeparatorHeight(8);
  EXPECT_EQ(popup->MenuItemHeight(), 30);
  EXPECT_EQ(popup->SeparatorHeight(), 8);
}

TEST(SkinMenuStyle, SkinArchiveColoursAndTheStyleDefaultForAColourTheSkinLacks) {
  TComponent owner(nullptr);
  auto* theme = new TSkinFileTheme(&owner);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  TSkinPopupMenu menu(&owner);
  menu.SetUIStyle(TSkinUIStyle::FromThemeFile);
  menu.SetFileTheme(theme);
  EXPECT_EQ(menu.BarColor(), 0x3C8A2E);
  EXPECT_EQ(menu.BarToColor(), 0xD0E8D0);
  EXPECT_EQ(menu.Color(), 0xF0FFF0);
  EXPECT_EQ(menu.FontColor(), 0x203020);
  EXPECT_EQ(menu.SelectedBorderColor(), 0x205020);
  EXPECT_EQ(menu.SelectedFontColor(), 0xFFFFFF);
  // The archive has no SKIN2_SELECTEDMENUCOLOR: the fallback style's, never the -1 the theme
  // answers for a missing key.
  EXPECT_EQ(theme->GetColor(13), -1);
  EXPECT_EQ(menu.SelectedColor(), GetStyleColor(3, 19));

  // A skin with no menu colours at all.
  auto* bare = new TSkinFileTheme(&owner);
  bare->SetThemeFile("theme_fixtures\\theme_second.ssk");
  ASSERT_TRUE(bare->Ready());
  menu.SetFileTheme(bare);
  for (TColor c : {menu.BarColor(), menu.BarToColor(), menu.Color(), menu.FontColor(),
                   menu.SelectedBorderColor(), menu.SelectedColor(), menu.SelectedFontColor()})
    EXPECT_NE(c, -1);
  EXPECT_EQ(menu.Color(), GetStyleColor(3, 21));

  // Removing the theme component: DeepBlue.
  menu.SetFileTheme(theme);
  delete theme;
  EXPECT_EQ(menu.FileTheme(), nullptr);
  EXPECT_EQ(menu.UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(menu.BarColor(), GetStyleColor(3, 23));
}

TEST(SkinMenuMeasure, SeparatorsTakeTheirHeightWhateverTheFontItemsTheLargerOfTwo) {
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);
  TMenuItem* line = AddItem(&owner, menu, "-");
  TMenuItem* copy = AddItem(&owner, menu, "Copy", ShortCut('C', ssCtrl));
  TBitmap b(10, 10);
  TCanvas& c = b.Canvas();
  c.Font().SetHeight(-40);
  int w = 0, h = 0;
  line->MeasureItem(c, w, h);
  EXPECT_EQ(h, 5);
  copy->MeasureItem(c, w, h);
  EXPECT_EQ(h, c.TextHeight("Copy")) << "a big font wins over MenuItemHeight";
  EXPECT_EQ(w, c.TextWidth("Copy") + c.TextWidth("Ctrl+C") + 26 + 40);
  c.Font().SetHeight(-8);
  copy->MeasureItem(c, w, h);
  EXPECT_EQ(h, 21);
  // Through the menu layer's window, as the system asks.
  if (HWND wnd = TMenu::MenuWindow()) {
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, line->Command(), 0, 0, line->Command()};
    SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(mis.itemHeight, 5u);
  }
}

TEST(SkinMenuDraw, NormalSelectedAndDisabledItemsInTheirColours) {
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);
  menu.SetUIStyle(TSkinUIStyle::WinXP);
  TMenuItem* item = AddItem(&owner, menu, "Recover");
  TMenuItem* off = AddItem(&owner, menu, "Uncheck");
  off->SetEnabled(false);
  TBitmap b;
  Draw(item, b, false);
  EXPECT_EQ(b.GetPixel(2, 10), GetStyleColor(2, 23)) << "side bar";
  EXPECT_EQ(b.GetPixel(25, 10), GetStyleColor(2, 23));
  EXPECT_EQ(b.GetPixel(kW - 3, 10), GetStyleColor(2, 21)) << "body";
  EXPECT_TRUE(HasColor(b, RECT{30, 0, 120, kH}, GetStyleColor(2, 22))) << "caption";
  Draw(item, b, true);
  EXPECT_EQ(b.GetPixel(0, 0), GetStyleColor(2, 18)) << "selection frame";
  EXPECT_EQ(b.GetPixel(kW - 1, kH - 1), GetStyleColor(2, 18));
  EXPECT_EQ(b.GetPixel(2, 10), GetStyleColor(2, 19)) << "selection fill, no side bar";
  // Disabled: grey text, and never drawn as selected.
  Draw(off, b, true);
  EXPECT_EQ(b.GetPixel(2, 10), GetStyleColor(2, 23));
  EXPECT_EQ(b.GetPixel(0, 0), GetStyleColor(2, 23));
  EXPECT_TRUE(HasColor(b, RECT{30, 0, 120, kH}, 0x808080));
  EXPECT_FALSE(HasColor(b, RECT{30, 0, 120, kH}, GetStyleColor(2, 22)));
}

TEST(SkinMenuDraw, SideBarIsSolidForEqualColoursAndAGradientOtherwise) {
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);
  TMenuItem* item = AddItem(&owner, menu, "Recover");
  menu.SetBarColor(0x0000FF);
  menu.SetBarToColor(0x0000FF);
  TBitmap b;
  Draw(item, b, false);
  EXPECT_EQ(b.GetPixel(0, 5), 0x0000FF);
  EXPECT_EQ(b.GetPixel(25, 5), 0x0000FF);
  menu.SetBarToColor(0xFF0000);
  Draw(item, b, false);
  EXPECT_EQ(b.GetPixel(0, 5), 0x0000FF) << "first column BarColor";
  EXPECT_EQ(b.GetPixel(25, 5), 0xFF0000) << "last column BarToColor";
  TColor mid = b.GetPixel(13, 5);
  EXPECT_NE(mid, 0x0000FF);
  EXPECT_NE(mid, 0xFF0000);
  EXPECT_EQ(b.GetPixel(26, 5), menu.Color()) << "the body starts after the bar";
}

TEST(SkinMenuDraw, CheckGlyphImageBoxSeparatorAndShortcutText) {
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);  // DeepBlue
  TMenuItem* check = AddItem(&owner, menu, "Check");
  check->SetChecked(true);
  TBitmap b;
  Draw(check, b, false);
  // The glyph sits at 4 from the left and 3 from the top; its white is keyed out, so the bar
  // shows around the black tick.
  EXPECT_TRUE(HasColor(b, RECT{4, 3, 20, 19}, clBlack));
  EXPECT_FALSE(HasColor(b, RECT{0, 0, 4, kH}, clBlack));
  EXPECT_FALSE(HasColor(b, RECT{0, 0, 26, 3}, clBlack));
  EXPECT_FALSE(HasColor(b, RECT{0, 3, 26, 19}, clWhite)) << "the glyph's white is not drawn";

  // With an image: a black box behind it filled with SelectedColor, then the image.
  TImageList images(&owner, 16, 16);
  TBitmap pic(16, 16);
  pic.Canvas().Brush.Color = 0x00FF00;
  pic.Canvas().FillRect(RECT{0, 0, 16, 16});
  images.Add(pic);
  menu.SetImages(&images);
  check->SetImageIndex(0);
  Draw(check, b, false);
  EXPECT_EQ(b.GetPixel(2, 1), clBlack) << "box frame at (X - 2, top + 1)";
  EXPECT_EQ(b.GetPixel(3, 2), menu.SelectedColor()) << "box fill";
  EXPECT_EQ(b.GetPixel(10, 10), 0x00FF00) << "the image at (X, top + 3)";
  check->SetImageIndex(5);  // past the list: no image, the glyph again
  Draw(check, b, false);
  EXPECT_NE(b.GetPixel(3, 2), menu.SelectedColor());

  TMenuItem* line = AddItem(&owner, menu, "-");
  Draw(line, b, false, 5);
  EXPECT_EQ(b.GetPixel(30, 2), 0x848284);
  EXPECT_EQ(b.GetPixel(kW - 3, 2), 0x848284);
  EXPECT_EQ(b.GetPixel(29, 2), menu.Color());
  EXPECT_EQ(b.GetPixel(kW - 2, 2), menu.Color());
  EXPECT_EQ(b.GetPixel(30, 1), menu.Color());

  TMenuItem* copy = AddItem(&owner, menu, "Copy", ShortCut('C', ssCtrl));
  Draw(copy, b, false);
  TCanvas& c = b.Canvas();
  UseSystemMenuFont(c.Font());
  int tw = c.TextWidth("Ctrl+C");
  EXPECT_TRUE(HasColor(b, RECT{kW - tw - 16, 0, kW - 16 + 2, kH}, clBlack)) << "shortcut text";
  EXPECT_FALSE(HasColor(b, RECT{kW - 14, 0, kW, kH}, clBlack)) << "16 pixels kept free";
}

TEST(SkinMenuDraw, MacOSStretchesItsPicturesAndSkinItemsTakeTheArchiveColours) {
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);
  menu.SetUIStyle(TSkinUIStyle::MacOS);
  TMenuItem* item = AddItem(&owner, menu, "Recover");
  TMenuItem* line = AddItem(&owner, menu, "-");
  TBitmap pic;
  ASSERT_TRUE(pic.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_MENU_SELECT"));
  TBitmap barPic;
  ASSERT_TRUE(barPic.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_MENU_BAR"));
  TBitmap b;
  Draw(item, b, true, 20);
  EXPECT_EQ(b.GetPixel(2, 0), pic.GetPixel(2, 0));
  EXPECT_EQ(b.GetPixel(kW - 2, 19), pic.GetPixel(2, 19));
  EXPECT_TRUE(HasColor(b, RECT{30, 0, 120, 20}, 0xFFFFFF)) << "white caption";
  Draw(item, b, false, 20);
  EXPECT_EQ(b.GetPixel(2, 0), barPic.GetPixel(2, 0)) << "no side bar in MacOS";
  Draw(line, b, false, 12);
  EXPECT_NE(b.GetPixel(100, 2), 0x000000) << "a picture, not a line";

  auto* theme = new TSkinFileTheme(&owner);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  menu.SetUIStyle(TSkinUIStyle::FromThemeFile);
  menu.SetFileTheme(theme);
  Draw(item, b, false);
  EXPECT_EQ(b.GetPixel(0, 5), 0x3C8A2E);
  EXPECT_EQ(b.GetPixel(25, 5), 0xD0E8D0);
  EXPECT_EQ(b.GetPixel(kW - 3, 5), 0xF0FFF0);
  EXPECT_TRUE(HasColor(b, RECT{30, 0, 120, kH}, 0x203020));
}

TEST(SkinMenuDraw, ThroughTheSystemMessagesOfAnOwnerDrawnMenu) {
  if (!TMenu::MenuWindow()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  TComponent owner(nullptr);
  TSkinPopupMenu menu(&owner);
  menu.SetUIStyle(TSkinUIStyle::Protein);
  TMenuItem* item = AddItem(&owner, menu, "Recover");
  HMENU h = menu.Handle();
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(h, 0, TRUE, &mi);
  EXPECT_TRUE(mi.fType & MFT_OWNERDRAW);
  TBitmap b(kW, kH);
  DRAWITEMSTRUCT dis{ODT_MENU, 0, item->Command(), ODA_DRAWENTIRE, ODS_SELECTED,
                     reinterpret_cast<HWND>(h), b.Canvas().Handle(), RECT{0, 0, kW, kH},
                     item->Command()};
  SendMessageA(TMenu::MenuWindow(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  EXPECT_EQ(b.GetPixel(5, 5), GetStyleColor(4, 19));
}

namespace {

// Counts what a skinned main menu asks of the frame that shows it.
class CountingFrame : public TSkinMenuBarHost {
 public:
  TSkinUIStyle MenuBarUIStyle() const override { return TSkinUIStyle::DeepBlue; }
  TSkinFileTheme* MenuBarFileTheme() const override { return nullptr; }
  TColor MenuBarColor() const override { return clWhite; }
  TColor MenuBarToColor() const override { return clWhite; }
  TMainMenu* Menu() const override { return nullptr; }
  void RebuildMenuBar() override { ++rebuilds; }
  void RefreshMenuBarItems() override { ++refreshes; }
  void UpdateMenuBarFont() override { ++fonts; }
  void MenuBarDestroyed(TSkinMenuBar*) override {}
  int rebuilds = 0, refreshes = 0, fonts = 0;
};

}  // namespace

TEST(SkinMainMenuFrame, EqualValuesChangeNothingOtherChangesReachTheFrame) {
  TComponent owner(nullptr);
  TSkinMainMenu menu(&owner);
  CountingFrame frame;
  menu.SetFrame(&frame);
  // Painting code sets colours and sizes on every paint: an equal value must not come back
  // as a repaint of the bar.
  menu.SetColor(menu.Color());
  menu.SetBarWidth(menu.BarWidth());
  menu.SetFontName(menu.FontName());
  menu.SetUseSystemFont(menu.UseSystemFont());
  menu.SetMenuItemHeight(menu.MenuItemHeight());
  EXPECT_EQ(frame.fonts, 0);
  menu.SetColor(0x123456);
  EXPECT_EQ(frame.fonts, 1);
  menu.SetUseSystemFont(false);
  EXPECT_EQ(frame.fonts, 2) << "the bar takes the menu's own font";
  // Items: a new one rebuilds the bar's buttons.
  TMenuItem* file = AddItem(&owner, menu, "&File");
  EXPECT_GE(frame.rebuilds, 1);
  int before = frame.rebuilds;
  file->SetCaption(file->Caption());
  EXPECT_EQ(frame.rebuilds, before);
  // Loading hooks the items and rebuilds the bar once more.
  menu.BeginLoading();
  menu.EndLoading();
  EXPECT_EQ(frame.rebuilds, before + 1);
  // Images: nil while the own check list is installed; nil puts it back.
  EXPECT_EQ(menu.UserImages(), nullptr);
  TImageList images(&owner, 16, 16);
  menu.SetUserImages(&images);
  EXPECT_EQ(menu.UserImages(), &images);
  menu.SetUserImages(nullptr);
  EXPECT_EQ(menu.UserImages(), nullptr);
  EXPECT_NE(menu.Images(), nullptr) << "the check list";
  menu.SetFrame(nullptr);
}

TEST(SkinMenuHooks, AnItemDrawsWithTheMenuItIsInNowAndWithNoneWhenOutOfEveryMenu) {
  TComponent owner(nullptr);
  auto* blue = new TSkinPopupMenu(&owner);
  blue->SetUIStyle(TSkinUIStyle::DeepBlue);
  auto* xp = new TSkinPopupMenu(&owner);
  xp->SetUIStyle(TSkinUIStyle::WinXP);
  TMenuItem* item = AddItem(&owner, *blue, "Recover");
  TBitmap b;
  Draw(item, b, true);
  EXPECT_EQ(b.GetPixel(2, 10), GetStyleColor(3, 19));
  xp->Items()->Add(item);
  Draw(item, b, true);
  EXPECT_EQ(b.GetPixel(2, 10), GetStyleColor(2, 19)) << "the new menu's look";
  // Out of every menu, and the menus gone: drawing reaches no freed menu.
  xp->Items()->Remove(item);
  delete xp;
  delete blue;
  Draw(item, b, true);
  EXPECT_EQ(b.GetPixel(2, 10), clWhite);
  int w = 7, h = 9;
  item->MeasureItem(b.Canvas(), w, h);
  EXPECT_EQ(h, 9);
  delete item;
}
