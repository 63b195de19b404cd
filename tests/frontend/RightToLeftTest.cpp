// Right-to-left layout of the skinned controls, with the system's locale answered both ways
// through its seam: for each built-in look and the program's own skin archive (the resource
// of this executable), one framed window with a title bar, both list views and the tree view
// with their outside bars and a combo box, and beside it the items of a skinned menu. Checks
// where things lie (bars on the left, caption before the buttons, the menu's side bar, glyph
// and separator mirrored, the combo button's line on its far side) and writes
// rtl_<look>.png to tests/artifacts/ for a person to look at. Also: the control-box menu's
// captions come from the string table, and it opens 176 pixels further right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "forms/Forms.h"
#include "frontend/win/BuiltInThemes.h"
#include "skin/QzListView.h"
#include "skin/QzScrollBar.h"
#include "skin/QzTreeView.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinForm.h"
#include "skin/SkinListView.h"
#include "skin/SkinMenu.h"
#include "skin/SkinScrollBar.h"
#include "skin/SkinStrings.h"
#include "skin/SkinTitleBarPopupMenu.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

using tolvane_test::WaitUntil;

bool g_middle_east = true;
bool AnswerLocale() { return g_middle_east; }

// Puts the locale's answer in place for one test and asks the system again after it.
class LocaleAnswer {
 public:
  explicit LocaleAnswer(bool middle_east) {
    g_middle_east = middle_east;
    SetSysLocaleMiddleEastQuery(AnswerLocale);
  }
  ~LocaleAnswer() { SetSysLocaleMiddleEastQuery(nullptr); }
};

const char* const kLookNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                                  "Program skin"};
constexpr int kSkinLook = 6;

template <typename C>
C* Dress(C* c, int look, TSkinFileTheme* theme) {
  if (look == kSkinLook) {
    c->SetFileTheme(theme);
    c->SetUIStyle(TSkinUIStyle::FromThemeFile);
  } else {
    c->SetUIStyle(static_cast<TSkinUIStyle>(look));
  }
  return c;
}

// A framed form in one look, right to left, with every control whose layout turns.
struct Gallery {
  static constexpr int kW = 640, kH = 430;
  TForm form{nullptr};
  TSkinBuiltInFileTheme* theme = nullptr;
  TSkinForm* frame;
  TQzListView* qz_list;
  TSkinListView* skin_list;
  TQzTreeView* tree;
  TSkinComboBox* combo;
  TSkinPopupMenu* menu;

  Gallery(int look, TBiDiMode mode) {
    form.SetBorderStyle(TFormBorderStyle::bsSizeable);
    form.SetBounds(40, 30, kW, kH);
    form.SetCaption(std::string("Tolvane - ") + kLookNames[look]);
    form.SetBiDiMode(mode);
    if (look == kSkinLook) theme = vardeck::AddBuiltInTheme(&form, "ProgramSkin");
    frame = Dress(new TSkinForm(&form), look, theme);
    frame->SetCaption(form.Caption());

    qz_list = Dress(new TQzListView(&form), look, theme);
    FillList(qz_list, 10, 40);
    auto* qv = Bar<TQzScrollBar>(look, true);
    auto* qh = Bar<TQzScrollBar>(look, false);
    qz_list->SetVScrollBar(qv);
    qz_list->SetHScrollBar(qh);

    skin_list = Dress(new TSkinListView(&form), look, theme);
    FillList(skin_list, 320, 40);
    auto* sv = Bar<TSkinScrollBar>(look, true);
    auto* sh = Bar<TSkinScrollBar>(look, false);
    skin_list->SetVScrollBar(sv);
    skin_list->SetHScrollBar(sh);

    tree = Dress(new TQzTreeView(&form), look, theme);
    tree->SetBounds(10, 235, 300, 140);
    tree->SetParent(frame);
    for (int i = 0; i < 4; ++i) {
      TTreeNode* folder =
          tree->Items().AddChild(nullptr, "Folder with a long name " + std::to_string(i));
      for (int j = 0; j < 5; ++j)
        tree->Items().AddChild(folder, "Deleted file number " + std::to_string(j) + ".txt");
      folder->Expand(false);
    }
    auto* tv = Bar<TQzScrollBar>(look, true);
    auto* th = Bar<TQzScrollBar>(look, false);
    tree->SetVScrollBar(tv);
    tree->SetHScrollBar(th);

    combo = Dress(new TSkinComboBox(&form), look, theme);
    combo->SetBounds(320, 235, 200, 22);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->SetParent(frame);
    for (const char* s : {"All files", "Pictures", "Documents"}) combo->Items().Add(s);
    combo->SetItemIndex(0);

    menu = Dress(new TSkinPopupMenu(&form), look, theme);
    for (const char* caption : {"&Recover", "-", "&Check", "&Uncheck"}) {
      auto* item = new TMenuItem(&form);
      item->SetCaption(caption);
      menu->Items()->Add(item);
    }
    menu->Items()->Items(0)->SetShortCut(ShortCut('R', ssCtrl));
    menu->Items()->Items(2)->SetChecked(true);
  }

  template <typename B>
  B* Bar(int look, bool vertical) {
    auto* b = Dress(new B(&form), look, theme);
    if (vertical) b->SetOrientation(TSkinProgressBarOrientation::skVertical);
    b->SetBounds(0, 0, vertical ? 17 : 100, vertical ? 100 : 17);
    b->SetParent(frame);
    return b;
  }

  template <typename V>
  void FillList(V* l, int x, int y) {
    l->SetBounds(x, y, 300, 180);
    l->SetRowSelect(true);
    for (auto [caption, width] : {std::pair{"Filename", 150}, {"Size", 80}, {"Modified", 140}}) {
      TListColumn* c = l->Columns().Add();
      c->SetCaption(caption);
      c->SetWidth(width);
    }
    for (int i = 0; i < 14; ++i) {
      TListItem* it = l->Items().Add();
      it->SetCaption("file_" + std::to_string(i) + ".txt");
      it->SubItems() = {std::to_string(i * 37 % 900) + " KB",
                        "2024-05-0" + std::to_string(i % 9 + 1)};
    }
    l->SetParent(frame);
  }

  // Shows the form and waits until every control has a window and the bars are in place.
  bool Show() {
    form.Show();
    return WaitUntil([&] {
             return IsWindowVisible(form.Handle()) && combo->HandleAllocated() &&
                    tree->HandleAllocated() && qz_list->HandleAllocated() &&
                    skin_list->HandleAllocated();
           }) &&
           tolvane_test::Flush(form.Handle());
  }

  // One picture: the window as the screen shows it, and the menu under it on the side the
  // menu's layout starts from.
  void Picture(TBitmap& menu_shot, const std::string& file) {
    auto window = tolvane_test::Grab(form.Handle());
    TBitmap shot(window->Width(), window->Height() + menu_shot.Height() + 8);
    shot.Canvas().Brush.Color = clWhite;
    shot.Canvas().FillRect(RECT{0, 0, shot.Width(), shot.Height()});
    shot.Canvas().Draw(0, 0, window.get());
    const int x = menu->RightToLeft() ? window->Width() - menu_shot.Width() - 8 : 8;
    shot.Canvas().Draw(x, window->Height() + 8, &menu_shot);
    tolvane_test::SavePicture(shot, file);
  }

  // The menu's items drawn one under the other (the second one selected) into a bitmap.
  void DrawMenu(TBitmap& out, int width) {
    int y = 0;
    out.SetSize(width, 4 * 21);
    out.Canvas().Brush.Color = clWhite;
    out.Canvas().FillRect(RECT{0, 0, width, out.Height()});
    for (int i = 0; i < menu->Items()->Count(); ++i) {
      TMenuItem* item = menu->Items()->Items(i);
      const int h = item->IsLine() ? menu->SeparatorHeight() : menu->MenuItemHeight();
      item->DrawItem(out.Canvas(), RECT{0, y, width, y + h}, i == 3);
      y += h;
    }
  }
};

// A colour as the screen shows it (system colours looked up).
TColor Rgb(TColor c) { return static_cast<TColor>(ColorToRGB(c)); }

// Bounds of a control in its parent's coordinates.
RECT At(TControl* c) { return c->BoundsRect(); }

}  // namespace

TEST(RightToLeftLocale, EachModeTurnsOnlyWhereTheLocaleReadsRightToLeft) {
  struct Case { TBiDiMode mode; bool align, reading, bar; };
  const Case cases[] = {
      {TBiDiMode::bdLeftToRight, false, false, false},
      {TBiDiMode::bdRightToLeft, true, true, true},
      {TBiDiMode::bdRightToLeftNoAlign, false, true, true},
      {TBiDiMode::bdRightToLeftReadingOnly, false, true, false},
  };
  for (bool middle_east : {false, true}) {
    LocaleAnswer answer(middle_east);
    EXPECT_EQ(SysLocaleMiddleEast(), middle_east);
    for (const Case& c : cases) {
      const int m = static_cast<int>(c.mode);
      EXPECT_EQ(UseRightToLeftAlignment(c.mode), middle_east && c.align) << m;
      EXPECT_EQ(UseRightToLeftReading(c.mode), middle_east && c.reading) << m;
      EXPECT_EQ(UseRightToLeftScrollBar(c.mode), middle_east && c.bar) << m;
    }
  }
  // A control takes its parent's mode until it is given one; a menu its owner's.
  LocaleAnswer answer(true);
  TForm form(nullptr);
  auto* panel = new TCustomPanel(&form);
  panel->SetParent(&form);
  TSkinPopupMenu menu(&form);
  form.SetBiDiMode(TBiDiMode::bdRightToLeft);
  EXPECT_EQ(panel->BiDiMode(), TBiDiMode::bdRightToLeft);
  EXPECT_EQ(menu.BiDiMode(), TBiDiMode::bdRightToLeft);
  EXPECT_TRUE(menu.RightToLeft());
  panel->SetBiDiMode(TBiDiMode::bdLeftToRight);
  EXPECT_FALSE(panel->ParentBiDiMode());
  EXPECT_EQ(panel->BiDiMode(), TBiDiMode::bdLeftToRight);
  menu.SetBiDiMode(TBiDiMode::bdLeftToRight);
  EXPECT_FALSE(menu.RightToLeft());
}

class RightToLeftGallery : public ::testing::TestWithParam<int> {};

TEST_P(RightToLeftGallery, EveryControlIsMirroredAndNothingOverlaps) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  const int look = GetParam();
  LocaleAnswer answer(true);
  Gallery g(look, TBiDiMode::bdRightToLeft);
  if (look == kSkinLook) {
    ASSERT_TRUE(g.theme && g.theme->Ready()) << "the program's skin resource";
  }
  ASSERT_TRUE(g.Show()) << "the gallery did not come up";
  tolvane_test::ParkPointer();

  // The windows were made right to left: text from the right, system bars on the left.
  const LONG ex = GetWindowLongA(g.qz_list->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_LEFTSCROLLBAR);
  EXPECT_TRUE(ex & WS_EX_RTLREADING);

  // Outside bars: the vertical one at the view's left edge, the horizontal one after it.
  struct View { const char* name; TControl* view; TControl* v; TControl* h; int far_inset; };
  const View views[] = {
      {"maker's list", g.qz_list, g.qz_list->VScrollBar(), g.qz_list->HScrollBar(), 1},
      {"skinned list", g.skin_list, g.skin_list->VScrollBar(), g.skin_list->HScrollBar(), 2},
      {"tree", g.tree, g.tree->VScrollBar(), g.tree->HScrollBar(), 1},
  };
  for (const View& v : views) {
    const RECT r = At(v.view), vb = At(v.v), hb = At(v.h);
    EXPECT_EQ(vb.left, r.left + 2) << v.name;
    EXPECT_EQ(vb.top, r.top + 1) << v.name;
    EXPECT_EQ(hb.left, r.left + 1 + (vb.right - vb.left)) << v.name;
    EXPECT_LE(hb.right, r.right) << v.name << ": the horizontal bar stays on the view";
    EXPECT_EQ(hb.bottom, r.bottom - v.far_inset) << v.name;
  }

  // Title bar: the caption ends 10 pixels before the leftmost button of the row.
  TSkinTitleBar* bar = g.frame->TitleBar();
  ASSERT_TRUE(WaitUntil([&] { return bar->CaptionRect().right > 0; })) << "no caption painted";
  int row_left = bar->Width();
  for (int i = 0; i < bar->Buttons().Count(); ++i) {
    TSkinTitleBarButton* b = bar->Buttons().Items(i);
    if (b->Visible() && b->ButtonType() != TSkinTitleBarBtnType::skControlBox &&
        bar->ButtonRect(i).right > 0)
      row_left = std::min<int>(row_left, bar->ButtonRect(i).left);
  }
  EXPECT_EQ(bar->CaptionRect().right, row_left - 10);
  EXPECT_GT(bar->CaptionRect().left, 40) << "the caption moved to the right";

  // Combo box: in the drawn looks the button's line runs along its right edge.
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetComboBoxInfo(g.combo->Handle(), &info));
  auto combo_shot = tolvane_test::Grab(g.combo->Handle());
  // The grab covers the whole window; the button's rectangle is in client coordinates.
  RECT wr;
  GetWindowRect(g.combo->Handle(), &wr);
  POINT origin{0, 0};
  ClientToScreen(g.combo->Handle(), &origin);
  RECT b = info.rcButton;
  OffsetRect(&b, origin.x - wr.left, origin.y - wr.top);
  if (look != 1 && look != 2) {
    const int mid = (b.top + b.bottom) / 2;
    EXPECT_EQ(combo_shot->GetPixel(b.right - 1, mid), Rgb(g.combo->BorderColor()));
    EXPECT_EQ(combo_shot->GetPixel(b.left, mid), Rgb(g.combo->ButtonColor()));
  }

  // Menu: side bar, glyph and caption at the right, the separator from the left.
  constexpr int kMenuW = 200;
  TBitmap menu_shot;
  g.DrawMenu(menu_shot, kMenuW);
  const int bw = g.menu->BarWidth();
  const int sep_y = g.menu->MenuItemHeight() + 2;
  if (look != 1) {
    EXPECT_EQ(menu_shot.GetPixel(kMenuW - bw, 5), Rgb(g.menu->BarColor())) << "bar's start";
    EXPECT_EQ(menu_shot.GetPixel(kMenuW - 1, 5), Rgb(g.menu->BarToColor())) << "bar's end";
    EXPECT_EQ(menu_shot.GetPixel(0, 5), Rgb(g.menu->Color())) << "body at the left";
    EXPECT_EQ(menu_shot.GetPixel(2, sep_y), Rgb(g.menu->SeparatorColor()));
    // "&Recover" ends 4 pixels before the bar; its shortcut starts BarWidth + 4 from the left.
    int first = kMenuW, last = -1;
    for (int y = 2; y < g.menu->MenuItemHeight() - 2; ++y)
      for (int x = 0; x < kMenuW - bw; ++x)
        if (menu_shot.GetPixel(x, y) != Rgb(g.menu->Color())) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    EXPECT_LT(last, kMenuW - bw - 4);
    EXPECT_GE(last, kMenuW - bw - 8);
    EXPECT_GE(first, bw + 4);
    EXPECT_LE(first, bw + 8);
    const TColor sep = Rgb(g.menu->SeparatorColor());
    EXPECT_EQ(menu_shot.GetPixel(kMenuW - bw - 5, sep_y), sep) << "the line ends before the bar";
    EXPECT_NE(menu_shot.GetPixel(kMenuW - bw - 3, sep_y), sep);
  }
  // The check glyph (black on the "&Check" row) lies on the bar at the right.
  const int check_top = g.menu->MenuItemHeight() + g.menu->SeparatorHeight();
  bool glyph_right = false;
  for (int y = check_top + 3; y < check_top + 19; ++y)
    for (int x = kMenuW - 20; x < kMenuW - 4; ++x)
      glyph_right = glyph_right || menu_shot.GetPixel(x, y) == clBlack;
  EXPECT_TRUE(glyph_right);

  std::string name = kLookNames[look];
  for (char& c : name) c = c == ' ' ? '_' : static_cast<char>(tolower(c));
  g.Picture(menu_shot, "rtl_" + name + ".png");
}

INSTANTIATE_TEST_SUITE_P(Looks, RightToLeftGallery, ::testing::Range(1, 7),
                         [](const ::testing::TestParamInfo<int>& i) {
                           return i.param == kSkinLook ? std::string("ProgramSkin")
                                                       : std::string(kLookNames[i.param]);
                         });

// The same window left to right, or right to left on a locale that reads left to right:
// nothing turns, until the form is turned right to left on a right-to-left locale.
TEST(RightToLeftGalleryOff, BarsStayRightUntilTheLocaleAndTheModeBothSaySo) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  for (auto [middle_east, mode] : {std::pair{false, TBiDiMode::bdRightToLeft},
                                   {true, TBiDiMode::bdRightToLeftReadingOnly}}) {
    LocaleAnswer answer(middle_east);
    Gallery g(3, mode);
    ASSERT_TRUE(g.Show());
    const RECT r = At(g.tree), vb = At(g.tree->VScrollBar());
    EXPECT_EQ(vb.right, r.right - 1) << middle_east;
    const RECT l = At(g.qz_list), lb = At(g.qz_list->VScrollBar());
    EXPECT_EQ(lb.right, l.right - 1) << middle_east;
    TSkinTitleBar* bar = g.frame->TitleBar();
    ASSERT_TRUE(WaitUntil([&] { return bar->CaptionRect().right > 0; }));
    EXPECT_LT(bar->CaptionRect().left, 40) << "the caption starts after the icon";
    if (middle_east) {
      // Turned right to left while shown: the windows take the new style, the bars move.
      g.form.SetBiDiMode(TBiDiMode::bdRightToLeft);
      EXPECT_EQ(At(g.tree->VScrollBar()).left, r.left + 2);
      EXPECT_EQ(At(g.qz_list->VScrollBar()).left, l.left + 2);
      EXPECT_TRUE(GetWindowLongA(g.skin_list->Handle(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
    } else {
      // The same window as the right-to-left pictures show, left to right, to compare.
      TBitmap menu_shot;
      g.DrawMenu(menu_shot, 200);
      EXPECT_FALSE(g.menu->RightToLeft());
      g.Picture(menu_shot, "rtl_off_deepblue.png");
    }
  }
}

// The control-box menu: captions from the executable's string table, opened at the bar's
// bottom-left corner, 176 pixels further right when the bar lays out right to left.
TEST(RightToLeftControlBox, CaptionsFromTheStringTableMenuShiftedRightToLeft) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  char text[64];
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), kStrMaximizeRestore, text, sizeof(text)), 0)
      << "the string table is in the executable";
  for (bool rtl : {false, true}) {
    LocaleAnswer answer(true);
    Gallery g(3, rtl ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight);
    ASSERT_TRUE(g.Show());
    TSkinTitleBarPopupMenu* menu = g.frame->TitleBar()->ControlBoxPopupMenu();
    EXPECT_EQ(menu->MinimizeItem()->Caption(), "Mi&nimize");
    EXPECT_EQ(menu->MaximizeItem()->Caption(), text);
    EXPECT_EQ(menu->CloseItem()->Caption(), "&Close");

    POINT corner{0, g.frame->TitleBar()->Height()};
    ClientToScreen(g.frame->TitleBar()->Handle(), &corner);
    RECT menu_rect{};
    tolvane_test::Robot robot([&] {
      HWND popup = nullptr;
      tolvane_test::WaitFor([&] {
        popup = FindWindowA("#32768", nullptr);
        return popup && IsWindowVisible(popup);
      });
      if (popup) GetWindowRect(popup, &menu_rect);
      tolvane_test::KeyStrokes({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    });
    g.frame->TitleBar()->PopupControlBoxMenu();
    robot.Join();
    ASSERT_NE(menu_rect.right, 0) << "the menu did not open";
    EXPECT_EQ(menu_rect.left, std::max<LONG>(corner.x, 0) + (rtl ? kRightToLeftMenuShift : 0))
        << rtl;
  }
}
