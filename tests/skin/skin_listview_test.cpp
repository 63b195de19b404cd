// The skinned list view: the flat header's column layout and separators on their own, then
// real windows under the X server: the header's colours, lines and captions in each look, a
// column of no width, check boxes clicked with the mouse, the outside bars moved by mouse and
// keys both ways, and the look from a skin archive. Writes skin_listview.png (the view in
// every look) to tests/artifacts/ of the build tree.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/SkinListView.h"
#include "skin/SkinPublic.h"
#include "skin/TrackGeometry.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"
#include "tests/forms/view_pictures.h"
#include "tests/skin/list_view_gallery.h"

using namespace forms;
using namespace skin;
using tolvane_test::Grab;
using tolvane_test::Pump;

namespace {

// ---- the column layout ----------------------------------------------------------------------

TFlatHeadColumnInput Column(int left, int right, TAlignment a, int text_width, int image = -1) {
  TFlatHeadColumnInput in;
  in.Item = RECT{left, 0, right, 20};
  in.Alignment = a;
  in.TextWidth = text_width;
  in.ImageWidth = image;
  in.ImageHeight = image < 0 ? 0 : 16;
  return in;
}

TEST(FlatHeadLayout, LeftCaptionStartsFourInAndAfterItsPicture) {
  TFlatHeadColumnLayout l = LayoutFlatHeadColumn(Column(100, 200, TAlignment::taLeftJustify, 30));
  EXPECT_FALSE(l.ImageShown);
  EXPECT_EQ(l.TextRect.left, 104);
  EXPECT_EQ(l.TextRect.right, 198);
  EXPECT_EQ(l.TextLimit, 200 - 104 - 2);
  l = LayoutFlatHeadColumn(Column(100, 200, TAlignment::taLeftJustify, 30, 16));
  ASSERT_TRUE(l.ImageShown);
  EXPECT_EQ(l.ImageAt.x, 104);
  EXPECT_EQ(l.ImageAt.y, 2);
  EXPECT_EQ(l.TextRect.left, 104 + 16 + 2);
}

TEST(FlatHeadLayout, RightAndCentredCaptionsKeepFourPixelsWhenTheyDoNotFit) {
  // Room 100 - 6 = 94: right-justified text of 30 starts at 94 - 30 - 2 = 62.
  EXPECT_EQ(LayoutFlatHeadColumn(Column(0, 100, TAlignment::taRightJustify, 30)).TextRect.left, 62);
  TFlatHeadColumnLayout l = LayoutFlatHeadColumn(Column(0, 100, TAlignment::taRightJustify, 30, 16));
  EXPECT_EQ(l.ImageAt.x, 94 - 30 - 16 - 2);
  EXPECT_EQ(l.TextRect.left, l.ImageAt.x + 16 + 2);
  // Centred: the same offsets halved, towards zero.
  EXPECT_EQ(LayoutFlatHeadColumn(Column(0, 100, TAlignment::taCenter, 30)).TextRect.left, 31);
  EXPECT_EQ(LayoutFlatHeadColumn(Column(0, 100, TAlignment::taCenter, 31)).TextRect.left, 30);
  // Too wide a caption: four pixels in, shortened to what is left.
  for (TAlignment a : {TAlignment::taRightJustify, TAlignment::taCenter}) {
    l = LayoutFlatHeadColumn(Column(50, 100, a, 300));
    EXPECT_EQ(l.TextRect.left, 54);
    EXPECT_EQ(l.TextLimit, 100 - 54 - 2);
  }
}

TEST(FlatHeadLayout, AColumnOfNoWidthShowsADoubleSeparator) {
  std::vector<int> xs = FlatHeadSeparators({RECT{0, 0, 80, 20}, RECT{80, 0, 80, 20},
                                            RECT{80, 0, 150, 20}});
  EXPECT_EQ(xs, (std::vector<int>{79, 79, 78, 149}));
  EXPECT_TRUE(FlatHeadSeparators({}).empty());
}

// ---- real windows ---------------------------------------------------------------------------

int Count(const TBitmap& b, const RECT& r, TColor c) {
  int n = 0;
  for (int y = std::max(0, static_cast<int>(r.top)); y < std::min(b.Height(), static_cast<int>(r.bottom)); ++y)
    for (int x = std::max(0, static_cast<int>(r.left)); x < std::min(b.Width(), static_cast<int>(r.right)); ++x)
      n += b.GetPixel(x, y) == c;
  return n;
}

COLORREF Pixel(const TBitmap& b, int x, int y) { return static_cast<COLORREF>(b.GetPixel(x, y)); }

int TopIndex(TCustomListView* l) {
  return static_cast<int>(SendMessageA(l->Handle(), LVM_GETTOPINDEX, 0, 0));
}

struct ListWindow {
  TForm* form;
  TSkinListView* list;
  TSkinScrollBar* v;
  TSkinScrollBar* h;
  TImageList* pictures;

  explicit ListWindow(int rows = 60, TSkinUIStyle style = TSkinUIStyle::DeepBlue) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(40, 40, 420, 260);
    pictures = new TImageList(form, 16, 16);
    tolvane_test::FillItemPictures(*pictures);
    v = new TSkinScrollBar(form);
    v->SetOrientation(TSkinProgressBarOrientation::skVertical);
    v->SetBounds(0, 0, 18, 100);
    v->SetParent(form);
    h = new TSkinScrollBar(form);
    h->SetBounds(0, 0, 100, 18);
    h->SetParent(form);
    list = new TSkinListView(form);
    list->SetUIStyle(style);
    list->SetBounds(10, 10, 400, 240);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    list->SetCheckboxes(true);
    list->SetSmallImages(pictures);
    list->Font().SetColor(0x0000FF);  // the rows' font: the header must not take it
    for (const char* c : {"Filename", "Size", "Status"}) {
      TListColumn* col = list->Columns().Add();
      col->SetCaption(c);
      col->SetWidth(110);
    }
    list->Columns()[0]->SetImageIndex(2);
    for (int i = 0; i < rows; ++i) {
      TListItem* it = list->Items().Add();
      it->SetCaption("file_" + std::to_string(i) + ".txt");
      it->SetImageIndex(0);
      it->SubItems() = {std::to_string(i * 3) + " KB", "Good"};
    }
    list->SetParent(form);
    list->SetVScrollBar(v);
    list->SetHScrollBar(h);
    form->Show();
    Pump(80);
    UpdateWindow(list->Handle());
    Pump(30);
  }
  ~ListWindow() { delete form; }

  HWND Header() { return list->HeaderHandle(); }
  RECT ColumnRect(int i) {
    RECT r{};
    SendMessageA(Header(), HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  void Refresh() {
    RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(40);
  }
};

class SkinListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(SkinListViewTest, HeaderIsFlatInTheLookColoursWithCaptionsInTheHeaderFontColour) {
  const TColor fill[] = {0, 0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7};
  const TColor font[] = {0, 0x000000, 0xCF4602, 0x000000, 0x000000, 0x000000};
  const TColor border[] = {0, 0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000};
  ListWindow w(10);
  for (int s = 1; s <= 5; ++s) {
    w.list->SetUIStyle(static_cast<TSkinUIStyle>(s));
    EXPECT_EQ(w.list->HeaderColor(), fill[s]) << s;
    EXPECT_EQ(w.list->HeaderFontColor(), font[s]) << s;
    EXPECT_EQ(w.list->BorderColor(), border[s]) << s;
    EXPECT_EQ(w.v->UIStyle(), static_cast<TSkinUIStyle>(s));
    w.Refresh();
    auto shot = Grab(w.Header());
    const RECT c1 = w.ColumnRect(1);
    // Filled in the header colour; the separator and the bottom line in the border colour.
    EXPECT_EQ(Pixel(*shot, c1.right - 20, 2), ColorToRGB(fill[s])) << s;
    EXPECT_EQ(Pixel(*shot, c1.right - 1, (c1.top + c1.bottom) / 2), ColorToRGB(border[s])) << s;
    EXPECT_EQ(Pixel(*shot, c1.left + 5, c1.bottom - 1), ColorToRGB(border[s])) << s;
    // The caption in the header font colour, none of it in the rows' red.
    EXPECT_GT(Count(*shot, c1, font[s]), 10) << s;
    EXPECT_EQ(Count(*shot, RECT{0, 0, shot->Width(), shot->Height()}, 0x0000FF), 0) << s;
    // Right of the last column: the header colour without a bottom line.
    const RECT c2 = w.ColumnRect(2);
    ASSERT_LT(c2.right + 4, shot->Width());
    EXPECT_EQ(Pixel(*shot, c2.right + 3, c2.bottom - 1), ColorToRGB(fill[s])) << s;
  }
  // The first column's picture, at its place.
  w.list->SetUIStyle(TSkinUIStyle::DeepBlue);
  w.Refresh();
  auto shot = Grab(w.Header());
  const RECT c0 = w.ColumnRect(0);
  EXPECT_GT(Count(*shot, RECT{c0.left + 4, c0.top, c0.left + 20, c0.bottom}, 0x1870B0), 10);
  // A caption changed later is painted the view's way too.
  w.list->Columns()[1]->SetCaption("Size on disk");
  Pump(40);
  shot = Grab(w.Header());
  EXPECT_EQ(Count(*shot, RECT{0, 0, shot->Width(), shot->Height()}, 0x0000FF), 0);
}

TEST_F(SkinListViewTest, ZeroWidthColumnShowsADoubleSeparatorLine) {
  ListWindow w(10);
  w.list->Columns()[1]->SetWidth(0);
  w.Refresh();
  auto shot = Grab(w.Header());
  const RECT c1 = w.ColumnRect(1);
  const int y = (c1.top + c1.bottom) / 2;
  const COLORREF line = ColorToRGB(w.list->BorderColor());
  EXPECT_EQ(Pixel(*shot, c1.right - 1, y), line);
  EXPECT_EQ(Pixel(*shot, c1.right - 2, y), line);
  EXPECT_NE(Pixel(*shot, c1.right - 3, y), line);
  // An ordinary column has one line.
  const RECT c0 = w.ColumnRect(0);
  w.list->Columns()[1]->SetWidth(110);
  w.Refresh();
  shot = Grab(w.Header());
  EXPECT_EQ(Pixel(*shot, c0.right - 1, y), line);
  EXPECT_NE(Pixel(*shot, c0.right - 2, y), line);
}

TEST_F(SkinListViewTest, CheckBoxClickTicksThatRowAndAHeaderClickStillReachesTheColumn) {
  ListWindow w(20);
  HWND lv = w.list->Handle();
  std::vector<int> clicked;
  w.list->OnColumnClick = [&](TObject*, TListColumn* c) { clicked.push_back(c->Index()); };
  RECT b{};
  b.left = LVIR_BOUNDS;
  SendMessageA(lv, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&b));
  const int y = (b.top + b.bottom) / 2;
  int x = b.left;
  for (; x < b.left + 40; ++x)
    if (w.list->GetHitTestInfoAt(x, y) & htOnStateIcon) break;
  ASSERT_LT(x, b.left + 40) << "no check box on the row";
  TListItems& items = w.list->Items();
  EXPECT_FALSE(items[2]->Checked());
  tolvane_test::ClickClient(lv, x + 3, y);
  Pump(400);  // past the double-click time
  EXPECT_TRUE(items[2]->Checked());
  EXPECT_FALSE(items[1]->Checked());
  EXPECT_FALSE(items[3]->Checked());
  // The box shows the tick: the row's state is the checked one.
  EXPECT_EQ(ListView_GetItemState(lv, 2, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(ListView_GetItemState(lv, 3, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
  tolvane_test::ClickClient(lv, x + 3, y);
  Pump(400);
  EXPECT_FALSE(items[2]->Checked());
  // A click on the caption selects without ticking; Space then ticks the focused row.
  RECT label = items[4]->DisplayRect(TDisplayCode::drLabel);
  tolvane_test::ClickClient(lv, (label.left + label.right) / 2, (label.top + label.bottom) / 2);
  Pump(40);
  EXPECT_FALSE(items[4]->Checked());
  ASSERT_TRUE(items[4]->Focused());
  tolvane_test::PressKey(lv, VK_SPACE);
  EXPECT_TRUE(items[4]->Checked());
  // The header is painted by the view but clicks on it are the system's.
  RECT c1 = w.ColumnRect(1);
  tolvane_test::ClickClient(w.Header(), c1.left + 20, (c1.top + c1.bottom) / 2);
  Pump(40);
  EXPECT_EQ(clicked, std::vector<int>{1});
}

TEST_F(SkinListViewTest, DraggingTheVerticalBarThreePositionsScrollsThreeLines) {
  ListWindow w(60);
  ASSERT_TRUE(w.v->Visible());
  EXPECT_EQ(TopIndex(w.list), 0);
  // Bars inside the two-pixel frame at the far edges.
  EXPECT_EQ(w.v->Left() + w.v->Width(), w.list->Left() + w.list->Width() - 2);
  EXPECT_EQ(w.v->Top(), w.list->Top() + 1);
  TSkinScrollTrackBar* t = w.v->Track();
  const int thumb = t->Thumb()->Height();
  ASSERT_GT(t->Height(), thumb);
  int dy = 1;
  for (; dy < t->Height(); ++dy)
    if (PositionAt(5 + dy, 5, t->Height(), thumb, w.v->Min(), w.v->Max()) == 3) break;
  ASSERT_LT(dy, t->Height());
  tolvane_test::PostedMouse m;
  m.Press(t->Thumb(), 6, 5);
  m.MoveTo(t, 6, t->Thumb()->Top() + 5 + dy);
  m.Release(t, 6, t->Thumb()->Top() + 5);
  Pump(30);
  EXPECT_EQ(w.v->LastChange(), 3);
  EXPECT_EQ(TopIndex(w.list), 3);
  EXPECT_EQ(w.v->Position(), 3);
  // A line button held steps five lines at a time.
  m.Press(w.v->SecondButton(), 6, 6);
  Pump(250);
  m.Release(w.v->SecondButton(), 6, 6);
  Pump(30);
  EXPECT_GT(w.v->Position(), 3);
  EXPECT_EQ((w.v->Position() - 3) % 5, 0);
  EXPECT_EQ(TopIndex(w.list), w.v->Position());
  // Past the end: the list stops at its last page and the bar goes back with it.
  w.v->SetPosition(w.v->Max());
  Pump(20);
  EXPECT_EQ(TopIndex(w.list), w.v->Max());
  w.v->SetPosition(0);
  Pump(20);
  EXPECT_EQ(TopIndex(w.list), 0);
}

TEST_F(SkinListViewTest, BarsFollowKeysAndWheelAndTheSidewaysBarScrollsByItsChange) {
  ListWindow w(60);
  HWND lv = w.list->Handle();
  w.list->SetFocus();
  tolvane_test::PressKey(lv, VK_NEXT);  // to the last row shown
  tolvane_test::PressKey(lv, VK_NEXT);  // a page on
  ASSERT_GT(TopIndex(w.list), 0);
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));
  RECT lr;
  GetWindowRect(lv, &lr);
  const int top = TopIndex(w.list);
  PostMessageA(lv, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
               MAKELPARAM(lr.left + 100, lr.top + 100));
  Pump(40);
  EXPECT_GT(TopIndex(w.list), top);
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));

  for (int i = 0; i < 3; ++i) w.list->Columns()[i]->SetWidth(250);
  Pump(30);
  ASSERT_TRUE(w.h->Visible());
  EXPECT_GT(w.h->Max(), 0);
  EXPECT_EQ(w.h->Top() + w.h->Height(), w.list->Top() + w.list->Height() - 2);
  EXPECT_LE(w.h->Left() + w.h->Width(), w.v->Left() + 1);
  w.h->SetPosition(40);
  Pump(20);
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS;
  GetScrollInfo(lv, SB_HORZ, &si);
  EXPECT_EQ(si.nPos, 40);
  w.h->SetPosition(25);
  Pump(20);
  GetScrollInfo(lv, SB_HORZ, &si);
  EXPECT_EQ(si.nPos, 25);
  // The list scrolled sideways by its own keys: the bar follows.
  tolvane_test::PressKey(lv, VK_RIGHT);
  GetScrollInfo(lv, SB_HORZ, &si);
  EXPECT_EQ(w.h->Position(), si.nPos);
}

TEST_F(SkinListViewTest, SkinArchiveColoursTheHeaderAndARemovedThemeFallsBackToDeepBlue) {
  ListWindow w(10);
  auto* theme = new TSkinFileTheme(w.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  w.list->SetFileTheme(theme);
  w.list->SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(w.list->BorderColor(), 0x3C8C2E);
  EXPECT_EQ(w.list->HeaderColor(), 0xE0F0D8);
  // The skin has no control font colour: the header keeps the one it had.
  EXPECT_EQ(theme->GetColor(23), -1);
  EXPECT_EQ(w.list->HeaderFontColor(), 0x000000);
  EXPECT_EQ(w.v->FileTheme(), theme);
  w.Refresh();
  auto shot = Grab(w.Header());
  EXPECT_EQ(Pixel(*shot, w.ColumnRect(1).right - 20, 2), ColorToRGB(w.list->HeaderColor()));
  delete theme;
  EXPECT_EQ(w.list->FileTheme(), nullptr);
  EXPECT_EQ(w.list->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(w.list->HeaderColor(), 0xE8E8E8);
  EXPECT_EQ(w.list->BorderColor(), 0x000000);
}

TEST(SkinListViewGallery, FiveStylesAndASkinArchiveWrittenForALook) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  using Gallery = tolvane_test::ListViewGallery<TSkinListView, TSkinScrollBar>;
  Gallery gallery;
  constexpr int kH = Gallery::kH;
  ASSERT_TRUE(gallery.theme->Ready());
  auto* pictures = new TImageList(&gallery.form, 16, 16);
  tolvane_test::FillItemPictures(*pictures);
  for (int style = 1; style <= Gallery::kLooks; ++style) {
    gallery.Add(
        style, 2,
        [&](TSkinListView* l) {
          l->SetCheckboxes(true);
          l->SetSmallImages(pictures);
        },
        [](TSkinListView*) {}, [](TListItem* it, int) { it->SetImageIndex(0); });
  }
  const std::vector<TSkinListView*>& lists = gallery.lists;
  TBitmap shot;
  gallery.Shoot(
      [](TSkinListView* l) {
        for (int i : {1, 3, 4}) l->Items()[i]->SetChecked(true);
        l->SetItemIndex(2);
      },
      "skin_listview.png", shot);

  EXPECT_EQ(Count(shot, RECT{0, 0, shot.Width(), shot.Height()}, clFuchsia), 0);
  for (TSkinListView* l : lists) {
    EXPECT_EQ(Pixel(shot, l->Left(), l->Top() + kH / 2), ColorToRGB(l->BorderColor()));
    EXPECT_TRUE(l->VScrollBar()->Visible());
    EXPECT_TRUE(l->HScrollBar()->Visible());
    EXPECT_EQ(ListView_GetItemState(l->Handle(), 3, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  }
}

}  // namespace
