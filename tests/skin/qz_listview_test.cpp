// The maker's list view: the header column layout on its own, then real windows under the X
// server driven by mouse and keys: 100,000 virtual rows, type-ahead found through OnDataFind,
// header caption clicks that sort, the header check box, row check boxes, the outside bars in
// step with the list both ways, the header hook across a re-created window, and a picture of
// the view in every look (qz_listview.png in tests/artifacts/ of the build tree) for a person
// to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "skin/QzListView.h"
#include "skin/SkinPublic.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"
#include "tests/forms/view_pictures.h"
#include "tests/skin/list_view_gallery.h"

using namespace forms;
using namespace skin;
using tolvane_test::Grab;
using tolvane_test::Pump;

namespace {

constexpr TColor kArrow = 0x2050A0;  // the sort pictures' arrow
constexpr COLORREF kMixedCentre = 0x909090;

// ---- the column layout ----------------------------------------------------------------------

THeadColumnInput Column(int left, int right, TAlignment a = TAlignment::taLeftJustify) {
  THeadColumnInput in;
  in.Item = RECT{left, 0, right, 20};
  in.Alignment = a;
  in.TextWidth = 40;
  return in;
}

TEST(QzHeadLayout, WithoutASortPictureTheCaptionRunsToSixPixelsFromTheEdge) {
  THeadColumnLayout l = LayoutHeadColumn(Column(100, 250));
  EXPECT_FALSE(l.SortShown);
  EXPECT_EQ(l.TextRect.left, 106);  // d = left + 2, text at d + 4
  EXPECT_EQ(l.TextRect.right, 244);
  EXPECT_EQ(l.TextLimit, 244 - 106);
  EXPECT_EQ(l.StateRect.right, 0);  // no state picture: no click target
}

TEST(QzHeadLayout, SortPictureKeepsItsDistanceAndTheCaptionStopsShortOfIt) {
  THeadColumnInput in = Column(0, 120);
  in.SortWidth = 12;
  in.SortHeight = 12;
  THeadColumnLayout l = LayoutHeadColumn(in);
  ASSERT_TRUE(l.SortShown);
  EXPECT_EQ(l.SortRect.left, 120 - 4 - 12);
  EXPECT_EQ(l.SortRect.top, 4);
  EXPECT_EQ(l.TextRect.right, l.SortRect.left - 2);
  EXPECT_EQ(l.TextLimit, l.SortRect.left - l.TextRect.left - 2);
  // Tight: two pixels from the edge; tighter still: right after the state part.
  in.Item = RECT{0, 0, 2 + 12 + 5, 20};
  EXPECT_EQ(LayoutHeadColumn(in).SortRect.left, in.Item.right - 2 - 12);
  in.Item = RECT{0, 0, 2 + 12, 20};
  EXPECT_EQ(LayoutHeadColumn(in).SortRect.left, 2);
}

TEST(QzHeadLayout, StatePictureInANarrowColumnIsClickableOnlyInsideIt) {
  THeadColumnInput in = Column(50, 60);
  in.StateWidth = 16;
  in.StateHeight = 16;
  THeadColumnLayout l = LayoutHeadColumn(in);
  EXPECT_EQ(l.StateRect.left, 52);
  EXPECT_EQ(l.StateRect.right, 58);
  EXPECT_EQ(l.StateRect.top, 2);
  EXPECT_EQ(l.StateRect.bottom, 18);
  // Wide enough: the whole picture, and the caption after it.
  in.Item = RECT{50, 0, 200, 20};
  l = LayoutHeadColumn(in);
  EXPECT_EQ(l.StateRect.right, 68);
  EXPECT_EQ(l.TextRect.left, 68 + 2 + 4);
}

TEST(QzHeadLayout, RightAndCentredCaptionsEndBeforeTheirLimit) {
  for (TAlignment a : {TAlignment::taRightJustify, TAlignment::taCenter}) {
    for (bool sort : {false, true}) {
      THeadColumnInput in = Column(0, 200, a);
      if (sort) in.SortWidth = in.SortHeight = 12;
      THeadColumnLayout l = LayoutHeadColumn(in);
      EXPECT_GT(l.TextRect.left, 30) << static_cast<int>(a) << sort;
      EXPECT_LE(l.TextRect.left + in.TextWidth, l.TextRect.right) << static_cast<int>(a) << sort;
    }
  }
  // A caption image goes before the text, which starts six pixels after it.
  THeadColumnInput in = Column(0, 200);
  in.ImageWidth = in.ImageHeight = 16;
  THeadColumnLayout l = LayoutHeadColumn(in);
  ASSERT_TRUE(l.ImageShown);
  EXPECT_EQ(l.ImageAt.x, 2);
  EXPECT_EQ(l.TextRect.left, 2 + 16 + 6);
}

// ---- pictures for the windows ---------------------------------------------------------------

// Sort pictures 1 (up) and 2 (down), 12 x 12; 0 unused.
void FillSortPictures(TImageList& list) {
  TBitmap strip(36, 12);
  TCanvas& c = strip.Canvas();
  c.Brush.Color = clFuchsia;
  c.FillRect(RECT{0, 0, 36, 12});
  for (int i = 1; i <= 2; ++i)
    for (int k = 0; k < 5; ++k) {
      const int y = i == 1 ? 3 + k : 8 - k;
      for (int x = 6 - k; x <= 6 + k; ++x) strip.SetPixel(i * 12 + x - 1, y, kArrow);
    }
  list.AddMasked(strip, clFuchsia);
}

// A header background: a vertical gradient over a bottom line.
void HeaderBackground(TPicture& pic, TColor top, TColor bottom, TColor line) {
  TBitmap b(8, 24);
  DrawVerticalGradient(b.Canvas(), RECT{0, 0, 8, 23}, top, bottom);
  b.Canvas().Brush.Color = line;
  b.Canvas().FillRect(RECT{0, 23, 8, 24});
  pic.SetGraphic(&b);
}

// A separator: a dark line with a light one beside it.
void Separator(TPicture& pic, TColor dark) {
  TBitmap b(2, 14);
  b.Canvas().Brush.Color = dark;
  b.Canvas().FillRect(RECT{0, 0, 1, 14});
  b.Canvas().Brush.Color = clWhite;
  b.Canvas().FillRect(RECT{1, 0, 2, 14});
  pic.SetGraphic(&b);
}

int Count(const TBitmap& b, const RECT& r, TColor c) {
  int n = 0;
  for (int y = std::max(0, static_cast<int>(r.top)); y < std::min(b.Height(), static_cast<int>(r.bottom)); ++y)
    for (int x = std::max(0, static_cast<int>(r.left)); x < std::min(b.Width(), static_cast<int>(r.right)); ++x)
      n += b.GetPixel(x, y) == c;
  return n;
}

POINT HeaderScreenPoint(HWND header, int x, int y) {
  POINT p{x, y};
  ClientToScreen(header, &p);
  return p;
}

void ClickScreen(POINT p) {
  tolvane_test::ClickAt(p);
  Pump(60);
}

void MouseButton(DWORD flag) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flag;
  SendInput(1, &in, sizeof(in));
  Pump(40);
}

int TopIndex(TCustomListView* l) {
  return static_cast<int>(SendMessageA(l->Handle(), LVM_GETTOPINDEX, 0, 0));
}

struct QzWindow {
  TForm* form;
  TQzListView* list;
  TQzScrollBar* v;
  TQzScrollBar* h;
  TImageList* checks;
  TImageList* sorts;
  std::set<int> asked;
  std::vector<int> state_clicks;
  std::vector<int> column_clicks;
  std::vector<int> row_checks;  // check state per row (1 unchecked, 3 checked)
  int mouse_downs = 0;

  explicit QzWindow(int rows = 100000) : row_checks(static_cast<size_t>(rows), 1) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(30, 30, 460, 300);
    checks = new TImageList(form, 16, 16);
    tolvane_test::FillCheckPictures(*checks);
    sorts = new TImageList(form, 12, 12);
    FillSortPictures(*sorts);
    v = new TQzScrollBar(form);
    v->SetOrientation(TSkinProgressBarOrientation::skVertical);
    v->SetBounds(0, 0, 18, 100);
    v->SetParent(form);
    h = new TQzScrollBar(form);
    h->SetBounds(0, 0, 100, 18);
    h->SetParent(form);
    list = new TQzListView(form);
    list->SetBounds(10, 10, 440, 280);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    list->SetOwnerData(true);
    list->SetStateImages(checks);
    list->SetHeadState(checks);
    list->SetHeadImgSort(sorts);
    TPicture pic;
    HeaderBackground(pic, clWhite, 0xE8D8C8, 0x806040);
    list->SetHeadBG(&pic);
    Separator(pic, 0x806040);
    list->SetHeadline(&pic);
    for (const char* c : {"Filename", "Size", "Status", "Date Modified"}) {
      TListColumn* col = list->Columns().Add();
      col->SetCaption(c);
      col->SetWidth(100);
    }
    list->HeadColumns[0].StateIndex = 1;
    list->OnData = [this](TObject*, TListItem* item) {
      const int i = item->Index();
      asked.insert(i);
      item->SetCaption("file_" + std::to_string(i) + ".txt");
      item->SubItems() = {std::to_string(i % 977) + " KB", "Good", "2024-05-01"};
      if (i < static_cast<int>(row_checks.size())) item->SetStateIndex(row_checks[static_cast<size_t>(i)]);
    };
    list->OnHeaderStateClick = [this](TObject* sender, int index) {
      EXPECT_EQ(sender, list);
      state_clicks.push_back(index);
      THeadColumn& c = list->HeadColumns[static_cast<size_t>(index)];
      c.StateIndex = c.StateIndex % 3 + 1;  // unchecked, mixed, checked, unchecked...
      list->RepaintHeader();
    };
    list->OnColumnClick = [this](TObject*, TListColumn* c) {
      column_clicks.push_back(c->Index());
      for (THeadColumn& h : list->HeadColumns) h.SortIndex = -1;
      if (c->Index() < kHeadColumnCount)
        list->HeadColumns[static_cast<size_t>(c->Index())].SortIndex = 1;
      list->RepaintHeader();
    };
    list->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
      ++mouse_downs;
      if (b != TMouseButton::mbLeft || !(list->GetHitTestInfoAt(x, y) & htOnStateIcon)) return;
      TListItem* item = list->GetItemAt(x, y);
      if (!item) return;
      int& s = row_checks[static_cast<size_t>(item->Index())];
      s = s == 3 ? 1 : 3;
      list->UpdateItems(item->Index(), item->Index());
    };
    list->Items().SetCount(rows);
    list->SetParent(form);
    list->SetVScrollBar(v);
    list->SetHScrollBar(h);
    form->Show();
    Pump(60);
    UpdateWindow(list->Handle());
    Pump(30);
  }
  ~QzWindow() { delete form; }

  HWND Header() { return list->HeaderHandle(); }
  RECT ColumnRect(int i) {
    RECT r{};
    SendMessageA(Header(), HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  POINT StateCentre(int column) {
    RECT r = list->StateHitRect(column);
    return HeaderScreenPoint(Header(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  COLORREF HeaderPixel(POINT screen) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, screen.x, screen.y);
    ReleaseDC(nullptr, dc);
    return c;
  }
  void Refresh() {
    UpdateWindow(list->Handle());
    Pump(40);
  }
};

}  // namespace

class QzListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(QzListViewTest, HundredThousandVirtualRowsAskOnlyForTheRowsShown) {
  QzWindow w;
  EXPECT_EQ(SendMessageA(w.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 100000);
  const int shown = w.list->VisibleRowCount();
  ASSERT_GT(shown, 5);
  ASSERT_FALSE(w.asked.empty());
  EXPECT_LE(*w.asked.rbegin(), shown + 1);
  // The outside vertical bar spans every row, the page as its page.
  EXPECT_TRUE(w.v->Visible());
  EXPECT_EQ(w.v->Max(), 100000 - shown);
  EXPECT_EQ(w.v->PageSize(), shown);
  EXPECT_GT(w.v->LineButton(), 0);
  // Bars over the list's own: inside its frame on the right and at the bottom.
  EXPECT_EQ(w.v->Left() + w.v->Width(), w.list->Left() + w.list->Width() - 1);
  EXPECT_EQ(w.v->Top(), w.list->Top() + 1);
  w.asked.clear();
  w.list->Items()[99990]->MakeVisible(false);
  w.Refresh();
  ASSERT_FALSE(w.asked.empty());
  EXPECT_GE(*w.asked.begin(), 99990 - shown - 1);
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));
  EXPECT_GT(w.v->Position(), 32767);
}

// Type-ahead in the program's kind of list: 100,000 rows whose names run from "a..." to
// "z..." in order; a key typed on the keyboard is looked up by OnDataFind (from where the
// program knows its sorted names to lie), not by asking for rows.
TEST_F(QzListViewTest, TypeAheadFindsTheRowThroughOnDataFindWithoutWalkingTheRows) {
  constexpr int kRows = 100000;
  QzWindow w(kRows);
  auto first_of = [](int letter) { return (letter * kRows + 25) / 26; };  // rows of 'a' + letter
  int data_calls = 0;
  w.list->OnData = [&](TObject*, TListItem* item) {
    ++data_calls;
    item->SetCaption(std::string(1, static_cast<char>('a' + item->Index() * 26 / kRows)) + "_file");
  };
  std::vector<std::string> finds;
  int find_start = -1;
  w.list->OnDataFind = [&](TObject*, TItemFind find, const std::string& text, POINT, void*,
                           int start, TSearchDirection, bool wrap, int& index) {
    finds.push_back(text);
    find_start = start;
    if (find != TItemFind::ifPartialString || text.size() != 1) return;
    const int letter = tolower(static_cast<unsigned char>(text[0])) - 'a';
    const int from = first_of(letter), to = first_of(letter + 1);
    if (std::max(from, start) < to) index = std::max(from, start);
    else if (wrap) index = from;
  };
  // Start past the "k" rows: the find has to go round the end.
  w.list->SetItemIndex(60000);
  w.list->Items()[60000]->MakeVisible(false);
  w.Refresh();
  SetForegroundWindow(w.form->Handle());
  w.list->SetFocus();
  ASSERT_TRUE(tolvane_test::WaitUntil([&] { return GetFocus() == w.list->Handle(); }));
  data_calls = 0;
  tolvane_test::TapKey('K');
  const int first_k = first_of('k' - 'a');
  ASSERT_TRUE(tolvane_test::WaitUntil([&] { return w.list->ItemIndex() == first_k; }))
      << "typing k left the selection at " << w.list->ItemIndex();
  EXPECT_EQ(finds, std::vector<std::string>{"k"});
  EXPECT_EQ(find_start, 60001);
  EXPECT_EQ(w.list->ItemFocused()->Index(), first_k);
  // The row found is brought into view, the outside bar with it.
  w.Refresh();
  const int top = TopIndex(w.list);
  EXPECT_LE(top, first_k);
  EXPECT_GT(top + w.list->VisibleRowCount(), first_k);
  EXPECT_EQ(w.v->Position(), top);
  // Only rows to be shown were asked for, not every row for the key.
  EXPECT_LT(data_calls, 10 * w.list->VisibleRowCount()) << data_calls << " rows asked for";
}

TEST_F(QzListViewTest, HeaderCaptionClickSortsAndShowsTheArrowWhileTheCheckBoxDoesNot) {
  QzWindow w;
  RECT c1 = w.ColumnRect(1);
  EXPECT_EQ(Count(*Grab(w.Header()), c1, kArrow), 0);
  ClickScreen(HeaderScreenPoint(w.Header(), c1.left + 30, (c1.top + c1.bottom) / 2));
  ASSERT_EQ(w.column_clicks, std::vector<int>{1});
  EXPECT_TRUE(w.state_clicks.empty());
  Pump(30);
  auto shot = Grab(w.Header());
  EXPECT_GT(Count(*shot, c1, kArrow), 10);
  // The arrow sits near the column's right edge, clear of the caption.
  RECT right_part{c1.right - 20, c1.top, c1.right, c1.bottom};
  EXPECT_EQ(Count(*shot, right_part, kArrow), Count(*shot, c1, kArrow));
  // Sorting another column moves the arrow there.
  RECT c2 = w.ColumnRect(2);
  ClickScreen(HeaderScreenPoint(w.Header(), c2.left + 30, (c2.top + c2.bottom) / 2));
  EXPECT_EQ(w.column_clicks, (std::vector<int>{1, 2}));
  shot = Grab(w.Header());
  EXPECT_EQ(Count(*shot, c1, kArrow), 0);
  EXPECT_GT(Count(*shot, c2, kArrow), 10);
}

TEST_F(QzListViewTest, HeaderCheckBoxCyclesThroughItsPicturesAndFiresOnlyTheStateClick) {
  QzWindow w;
  ASSERT_GT(w.list->StateHitRect(0).right, 0);
  POINT box = w.StateCentre(0);
  EXPECT_EQ(w.HeaderPixel(box), 0xFFFFFFu);  // unchecked
  ClickScreen(box);
  EXPECT_EQ(w.state_clicks, std::vector<int>{0});
  EXPECT_EQ(w.HeaderPixel(box), kMixedCentre);
  ClickScreen(box);
  EXPECT_EQ(w.HeaderPixel(box), 0u);  // checked: the tick's middle
  ClickScreen(box);
  EXPECT_EQ(w.HeaderPixel(box), 0xFFFFFFu);
  EXPECT_EQ(w.state_clicks, (std::vector<int>{0, 0, 0}));
  EXPECT_TRUE(w.column_clicks.empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(QzListViewTest, HeaderCheckPressReleasedElsewhereFiresNothingAndLetsTheMouseGo) {
  QzWindow w;
  w.list->HeadColumns[2].StateIndex = 3;
  w.list->RepaintHeader();
  Pump(20);
  // Released on another column's check box: nothing.
  SetCursorPos(w.StateCentre(0).x, w.StateCentre(0).y);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(GetCapture(), w.Header());
  SetCursorPos(w.StateCentre(2).x, w.StateCentre(2).y);
  MouseButton(MOUSEEVENTF_MOVE);
  MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(w.state_clicks.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  // Released over the rows: nothing, and the header lets go of the mouse, so the next
  // click reaches the row it is aimed at.
  SetCursorPos(w.StateCentre(0).x, w.StateCentre(0).y);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageA(w.list->Handle(), LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
  POINT on_row{150, (row.top + row.bottom) / 2};
  ClientToScreen(w.list->Handle(), &on_row);
  SetCursorPos(on_row.x, on_row.y);
  MouseButton(MOUSEEVENTF_MOVE);
  MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(w.state_clicks.empty());
  EXPECT_TRUE(w.column_clicks.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  ClickScreen(on_row);
  EXPECT_EQ(w.list->ItemIndex(), 3);
  EXPECT_TRUE(w.column_clicks.empty());
}

TEST_F(QzListViewTest, RowCheckBoxClickTogglesThatRowOnly) {
  QzWindow w(50);
  HWND lv = w.list->Handle();
  RECT b{};
  b.left = LVIR_BOUNDS;
  SendMessageA(lv, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&b));
  const int y = (b.top + b.bottom) / 2;
  int x = b.left;
  for (; x < b.left + 40; ++x)
    if (w.list->GetHitTestInfoAt(x, y) & htOnStateIcon) break;
  ASSERT_LT(x, b.left + 40) << "no state picture on the row";
  tolvane_test::ClickClient(lv, x + 3, y);
  Pump(40);
  EXPECT_EQ(w.mouse_downs, 1);
  EXPECT_EQ(w.row_checks[2], 3);
  EXPECT_EQ(w.row_checks[1], 1);
  EXPECT_EQ(w.row_checks[3], 1);
  // A click on the caption selects without ticking.
  RECT label = w.list->Items()[2]->DisplayRect(TDisplayCode::drLabel);
  tolvane_test::ClickClient(lv, (label.left + label.right) / 2, y);
  Pump(400);  // past the double-click time
  EXPECT_EQ(w.row_checks[2], 3);
  tolvane_test::ClickClient(lv, x + 3, y);
  Pump(40);
  EXPECT_EQ(w.row_checks[2], 1);
  EXPECT_TRUE(w.state_clicks.empty());
  EXPECT_EQ(w.mouse_downs, 3);
}

TEST_F(QzListViewTest, OutsideBarsFollowKeysWheelAndProgrammaticChanges) {
  QzWindow w;
  HWND lv = w.list->Handle();
  w.list->SetFocus();
  tolvane_test::PressKey(lv, VK_NEXT);
  tolvane_test::PressKey(lv, VK_NEXT);
  ASSERT_GT(TopIndex(w.list), 0);
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));
  // (Page Down only: under Wine, End, Home, Page Up and the arrows walk the state of all
  // 100,000 rows, which takes seconds a key.)
  const int top = TopIndex(w.list);
  tolvane_test::PressKey(lv, VK_NEXT);
  EXPECT_GT(TopIndex(w.list), top);
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));
  w.list->Scroll(0, -1000000);
  Pump(20);
  EXPECT_EQ(TopIndex(w.list), 0);
  EXPECT_EQ(w.v->Position(), 0);

  RECT lr;
  GetWindowRect(lv, &lr);
  PostMessageA(lv, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
               MAKELPARAM(lr.left + 100, lr.top + 100));
  Pump(40);
  ASSERT_GT(TopIndex(w.list), 0);
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));

  // Programmatic: past 32,767 rows, through the list's own calls.
  w.list->Items()[70000]->MakeVisible(false);
  Pump(20);
  EXPECT_GE(TopIndex(w.list), 70000 - w.list->VisibleRowCount());
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));
  w.list->Scroll(0, -100 * (w.list->Items()[1]->DisplayRect(TDisplayCode::drBounds).top -
                            w.list->Items()[0]->DisplayRect(TDisplayCode::drBounds).top));
  EXPECT_EQ(w.v->Position(), TopIndex(w.list));

  // Fewer rows than fit: the list has no bar and neither has the outside.
  w.list->Items().SetCount(5);
  Pump(20);
  EXPECT_FALSE(w.v->Visible());
  EXPECT_EQ(w.v->LineButton(), 0);
  // Filled again in one update: the bar comes back when the update ends.
  w.list->Items().BeginUpdate();
  w.list->Items().SetCount(40000);
  w.list->Items().EndUpdate();
  Pump(20);
  EXPECT_TRUE(w.v->Visible());
  EXPECT_EQ(w.v->Max(), 40000 - w.list->VisibleRowCount());
  // Kept rows deleted one by one.
  w.list->Items().SetCount(0);
  w.list->SetOwnerData(false);
  for (int i = 0; i < 60; ++i) w.list->Items().Add()->SetCaption("row " + std::to_string(i));
  Pump(20);
  EXPECT_TRUE(w.v->Visible());
  while (w.list->Items().Count() > 3) w.list->Items().Delete(0);
  Pump(20);
  EXPECT_FALSE(w.v->Visible());
}

TEST_F(QzListViewTest, MovingTheOutsideBarsScrollsTheList) {
  QzWindow w;
  w.v->SetPosition(50000);
  Pump(20);
  EXPECT_EQ(TopIndex(w.list), 50000);
  EXPECT_EQ(w.v->Position(), 50000);
  // Beyond the end: the list stops at its last page and the bar with it.
  w.v->SetPosition(w.v->Max());
  Pump(20);
  EXPECT_EQ(TopIndex(w.list), w.v->Max());
  w.v->SetPosition(0);
  Pump(20);
  EXPECT_EQ(TopIndex(w.list), 0);
  // A line button held: the list follows by five rows a step.
  tolvane_test::PostedMouse m;
  m.Press(w.v->SecondButton(), 6, 6);
  Pump(350);
  m.Release(w.v->SecondButton(), 6, 6);
  Pump(20);
  EXPECT_GT(w.v->Position(), 0);
  EXPECT_EQ(w.v->Position() % 5, 0);
  EXPECT_EQ(TopIndex(w.list), w.v->Position());

  // Sideways: columns wider than the list.
  for (int i = 0; i < w.list->Columns().Count(); ++i) w.list->Columns()[i]->SetWidth(250);
  Pump(20);
  ASSERT_TRUE(w.h->Visible());
  EXPECT_GT(w.h->Max(), 0);
  w.h->SetPosition(120);
  Pump(20);
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS;
  GetScrollInfo(w.list->Handle(), SB_HORZ, &si);
  EXPECT_EQ(si.nPos, 120);
  // With both bars shown the vertical one ends where the horizontal one starts.
  EXPECT_LE(w.v->Top() + w.v->Height(), w.h->Top() + 1);
  EXPECT_LE(w.h->Left() + w.h->Width(), w.v->Left() + 1);
}

TEST_F(QzListViewTest, HeaderStaysHookedAcrossANewWindowAndManyColumnsStayBounded) {
  QzWindow w(100);
  HWND old_header = w.Header();
  ASSERT_EQ(w.list->HookedHeader(), old_header);
  w.list->RecreateWnd();
  Pump(40);
  HWND header = w.Header();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(w.list->HookedHeader(), header);
  w.Refresh();
  // Still painted by the view: the check box shows and answers.
  ClickScreen(w.StateCentre(0));
  EXPECT_EQ(w.state_clicks, std::vector<int>{0});
  EXPECT_TRUE(w.column_clicks.empty());

  // 300 columns: the slots past 256 show no pictures and take no check clicks. (Added while
  // the list has no window, which is then made again: the header is hooked once more.)
  w.list->DestroyHandle();
  EXPECT_EQ(w.list->HookedHeader(), nullptr);
  while (w.list->Columns().Count() < 300) w.list->Columns().Add()->SetWidth(30);
  w.list->HandleNeeded();
  ASSERT_NE(w.list->HookedHeader(), nullptr);
  EXPECT_EQ(w.list->HookedHeader(), w.Header());
  for (THeadColumn& c : w.list->HeadColumns) c.StateIndex = 3;
  w.list->RepaintHeader();
  Pump(20);
  EXPECT_GT(w.list->StateHitRect(255).right, w.list->StateHitRect(254).right);
  EXPECT_EQ(w.list->StateHitRect(256).right, 0);
  RECT c280 = w.ColumnRect(280);
  EXPECT_EQ(w.list->StateImageAt(c280.left + 6, 10), -1);

  // Without a background picture the header is the system's: no check click.
  w.list->SetHeadBG(nullptr);
  w.Refresh();
  w.list->Scroll(-100000, 0);
  w.Refresh();
  ClickScreen(w.StateCentre(0));
  EXPECT_EQ(w.state_clicks.size(), 1u);
  EXPECT_EQ(w.column_clicks, std::vector<int>{0});
  EXPECT_EQ(w.list->StateImageAt(8, 10), -1);
}

TEST_F(QzListViewTest, LookSetsTheFrameColourAndARemovedThemeFallsBackToDeepBlue) {
  QzWindow w(10);
  const TColor expected[] = {0, 0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000};
  for (int s = 1; s <= 5; ++s) {
    w.list->SetUIStyle(static_cast<TSkinUIStyle>(s));
    EXPECT_EQ(w.list->BorderColor(), expected[s]) << s;
    EXPECT_EQ(w.v->UIStyle(), static_cast<TSkinUIStyle>(s));
  }
  w.list->SetUIStyle(TSkinUIStyle::MacOS);
  w.Refresh();
  auto shot = Grab(w.list->Handle());
  EXPECT_EQ(static_cast<COLORREF>(shot->GetPixel(0, shot->Height() / 2)), 0x7F7F7Fu);  // outer
  EXPECT_EQ(static_cast<COLORREF>(shot->GetPixel(1, shot->Height() / 2)),
            ColorToRGB(w.list->Color()));  // inner

  auto* theme = new TSkinFileTheme(w.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  w.list->SetFileTheme(theme);
  w.list->SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(w.list->BorderColor(), theme->GetColor(22));
  EXPECT_EQ(w.v->FileTheme(), theme);
  delete theme;
  EXPECT_EQ(w.list->FileTheme(), nullptr);
  EXPECT_EQ(w.list->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(w.list->BorderColor(), 0x000000);
}

TEST_F(QzListViewTest, ListGoneBeforeItsBarsLeavesThemWorking) {
  QzWindow w(1000);
  TQzScrollBar* v = w.v;
  delete w.list;
  w.list = nullptr;
  Pump(20);
  EXPECT_FALSE(static_cast<bool>(v->OnChange()));
  v->SetPosition(10);  // no list to call back into
  EXPECT_EQ(v->Max(), 100);
}

TEST(QzListViewGallery, FiveStylesAndASkinArchiveWrittenForALook) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  using Gallery = tolvane_test::ListViewGallery<TQzListView, TQzScrollBar>;
  Gallery gallery;
  constexpr int kH = Gallery::kH;
  TForm& form = gallery.form;
  TSkinFileTheme* theme = gallery.theme;
  ASSERT_TRUE(theme->Ready());
  auto* checks = new TImageList(&form, 16, 16);
  tolvane_test::FillCheckPictures(*checks);
  auto* sorts = new TImageList(&form, 12, 12);
  FillSortPictures(*sorts);
  for (int style = 1; style <= Gallery::kLooks; ++style) {
    gallery.Add(
        style, -1,
        [&](TQzListView* l) {
          l->SetStateImages(checks);
          l->SetHeadState(checks);
          l->SetHeadImgSort(sorts);
          l->HeadFont().SetColor(style == Gallery::kLooks ? 0x2E6B3A : 0x404040);
        },
        [&](TQzListView* l) {
          const TColor deep =
              style == Gallery::kLooks ? theme->GetColor(25) : GetStyleColor(style, 31);
          TPicture pic;
          HeaderBackground(pic, clWhite, deep, l->BorderColor());
          l->SetHeadBG(&pic);
          Separator(pic, l->BorderColor());
          l->SetHeadline(&pic);
          l->HeadColumns[0].StateIndex = 2;
          l->HeadColumns[1].SortIndex = 2;
        },
        [](TListItem* it, int i) { it->SetStateIndex(i % 3 ? 1 : 3); });
  }
  const std::vector<TQzListView*>& lists = gallery.lists;
  TBitmap shot;
  gallery.Shoot([](TQzListView* l) { l->SetItemIndex(2); }, "qz_listview.png", shot);

  EXPECT_EQ(Count(shot, RECT{0, 0, shot.Width(), shot.Height()}, clFuchsia), 0);
  for (TQzListView* l : lists) {
    // The outer frame in the look's colour, on the left edge where no bar covers it.
    EXPECT_EQ(static_cast<COLORREF>(shot.GetPixel(l->Left(), l->Top() + kH / 2)),
              ColorToRGB(l->BorderColor()));
    // The header's check-all box shows its mixed picture.
    RECT s = l->StateHitRect(0);
    POINT p{(s.left + s.right) / 2, (s.top + s.bottom) / 2};
    MapWindowPoints(l->HeaderHandle(), form.Handle(), &p, 1);
    EXPECT_EQ(static_cast<COLORREF>(shot.GetPixel(p.x, p.y)), kMixedCentre);
    EXPECT_TRUE(l->VScrollBar()->Visible());
    EXPECT_TRUE(l->HScrollBar()->Visible());
  }
}
