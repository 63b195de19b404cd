// The wrapped list view in real windows under the X server: rows on demand in owner-data mode,
// kept rows, column clicks, hit tests on state pictures, the mouse release after a click on a
// row, selection events, custom draw, double-clicks, the system's check boxes on kept rows,
// sorting through OnCompare, header right clicks, and owner-data cache hints and range
// state changes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"
#include "tests/forms/view_pictures.h"

using namespace forms;
using tolvane_test::ClickClient;
using tolvane_test::DoubleClickClient;
using tolvane_test::FillCheckPictures;
using tolvane_test::PressKey;
using tolvane_test::RightClickClient;
using tolvane_test::Pump;

namespace {

// Runs the queue until a click is no longer a double click with the click before.
void PastTheDoubleClickTime() { Pump(static_cast<int>(GetDoubleClickTime()) + 100); }

std::string CellText(HWND list, int row, int column) {
  char buf[128] = {};
  LVITEMA it{};
  it.iSubItem = column;
  it.pszText = buf;
  it.cchTextMax = sizeof(buf);
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
  return buf;
}

struct ListForm {
  TForm* form;
  TCustomListView* list;
  TImageList* states;
  explicit ListForm(bool owner_data) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(30, 30, 420, 260);
    states = new TImageList(form, 16, 16);
    FillCheckPictures(*states);
    list = new TCustomListView(form);
    list->SetBounds(10, 10, 400, 240);
    list->SetViewStyle(TViewStyle::vsReport);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    list->SetOwnerData(owner_data);
    list->SetStateImages(states);
    const char* captions[] = {"Name", "Size", "Status"};
    for (const char* c : captions) {
      TListColumn* col = list->Columns().Add();
      col->SetCaption(c);
      col->SetWidth(110);
    }
  }
  void Show() {
    list->SetParent(form);
    form->Show();
    Pump();
    UpdateWindow(list->Handle());
    Pump();
  }
  ~ListForm() { delete form; }
};

// The middle of row `row`'s caption cell.
POINT RowPoint(TCustomListView* list, int row) {
  RECT r = list->Items()[row]->DisplayRect(TDisplayCode::drLabel);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

class ListView : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(ListView, OwnerDataWithManyRowsAsksOnlyForTheRowsShown) {
  ListForm t(true);
  std::set<int> asked;
  int calls = 0;
  t.list->OnData = [&](TObject*, TListItem* item) {
    ++calls;
    asked.insert(item->Index());
    item->SetCaption("Row " + std::to_string(item->Index()));
    item->SubItems().push_back(std::to_string(item->Index() * 10));
    item->SubItems().push_back("Good");
    item->SetStateIndex(1 + item->Index() % 3);
  };
  t.list->Items().SetCount(100000);
  t.Show();
  EXPECT_EQ(SendMessageA(t.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 100000);
  int shown = t.list->VisibleRowCount();
  ASSERT_GT(shown, 5);
  ASSERT_FALSE(asked.empty());
  EXPECT_LE(*asked.rbegin(), shown + 1);
  EXPECT_LE(static_cast<int>(asked.size()), shown + 2);
  // One call per row drawn, not one per cell.
  EXPECT_LE(calls, 3 * (shown + 2));

  asked.clear();
  SendMessageA(t.list->Handle(), LVM_ENSUREVISIBLE, 70000, FALSE);
  UpdateWindow(t.list->Handle());
  Pump();
  ASSERT_FALSE(asked.empty());
  EXPECT_GE(*asked.begin(), 70000 - shown - 1);
  EXPECT_LE(*asked.rbegin(), 70000 + shown + 1);
  EXPECT_EQ(CellText(t.list->Handle(), 70000, 0), "Row 70000");
  EXPECT_EQ(CellText(t.list->Handle(), 70000, 1), "700000");
  EXPECT_EQ(t.list->Items()[99999]->Caption(), "Row 99999");
  // Data changed between two requests for the same row: the second sees the change.
  std::string suffix;
  t.list->OnData = [&](TObject*, TListItem* item) {
    item->SetCaption("Row " + std::to_string(item->Index()) + suffix);
  };
  EXPECT_EQ(CellText(t.list->Handle(), 42, 0), "Row 42");
  suffix = " changed";
  EXPECT_EQ(CellText(t.list->Handle(), 42, 0), "Row 42 changed");
  EXPECT_EQ(t.list->Items()[100000], nullptr);
}

TEST_F(ListView, KeptRowsShowTheirTextsAndFollowSortAndDelete) {
  ListForm t(false);
  const char* names[] = {"delta", "alpha", "charlie", "bravo"};
  for (const char* n : names) {
    TListItem* it = t.list->Items().Add();
    it->SetCaption(n);
    it->SubItems().push_back(std::string(n) + ".size");
  }
  t.Show();
  EXPECT_EQ(CellText(t.list->Handle(), 0, 0), "delta");
  EXPECT_EQ(CellText(t.list->Handle(), 2, 1), "charlie.size");
  // A column added later still asks for its texts.
  t.list->Columns().Add()->SetCaption("Extra");
  t.list->Items()[1]->SubItems() = {"a", "b", "third"};
  EXPECT_EQ(CellText(t.list->Handle(), 1, 3), "third");

  EXPECT_TRUE(t.list->AlphaSort());
  EXPECT_EQ(CellText(t.list->Handle(), 0, 0), "alpha");
  EXPECT_EQ(t.list->Items()[0]->Caption(), "alpha");
  EXPECT_EQ(t.list->Items()[3]->Caption(), "delta");
  EXPECT_EQ(t.list->Items()[2]->Index(), 2);
  t.list->Items().Delete(0);
  EXPECT_EQ(CellText(t.list->Handle(), 0, 0), "bravo");
  EXPECT_EQ(t.list->Items()[0]->Index(), 0);
  // A new window gets the same rows.
  t.list->RecreateWnd();
  EXPECT_EQ(SendMessageA(t.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(CellText(t.list->Handle(), 2, 1), "delta.size");
  t.list->Items().Clear();
  EXPECT_EQ(SendMessageA(t.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListView, ClickOnAColumnHeaderReportsThatColumn) {
  ListForm t(false);
  t.list->Items().Add()->SetCaption("one");
  TListColumn* clicked = nullptr;
  int clicks = 0;
  t.list->OnColumnClick = [&](TObject*, TListColumn* c) {
    clicked = c;
    ++clicks;
  };
  t.Show();
  HWND header = t.list->HeaderHandle();
  ASSERT_NE(header, nullptr);
  RECT r{};
  SendMessageA(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
  ClickClient(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(clicked, t.list->Columns()[2]);
}

TEST_F(ListView, HitTestFindsTheStatePictureOfARow) {
  for (bool owner_data : {false, true}) {
    ListForm t(owner_data);
    if (owner_data) {
      t.list->OnData = [](TObject*, TListItem* item) {
        item->SetCaption("data row");
        item->SetStateIndex(2);
      };
      t.list->Items().SetCount(5);
    } else {
      for (int i = 0; i < 5; ++i) {
        TListItem* it = t.list->Items().Add();
        it->SetCaption("kept row");
        it->SetStateIndex(2);
      }
    }
    t.Show();
    RECT row = t.list->Items()[1]->DisplayRect(TDisplayCode::drBounds);
    int y = (row.top + row.bottom) / 2;
    int state_x = -1;
    for (int x = row.left; x < row.left + 40 && state_x < 0; ++x)
      if (t.list->GetHitTestInfoAt(x, y) & htOnStateIcon) state_x = x;
    EXPECT_GE(state_x, 0) << (owner_data ? "owner data" : "kept rows");
    if (state_x >= 0) {
      EXPECT_TRUE(t.list->GetHitTestInfoAt(state_x, y) & htOnItem);
      EXPECT_EQ(t.list->GetItemAt(state_x, y)->Index(), 1);
    }
    POINT label = RowPoint(t.list, 1);
    THitTests on_label = t.list->GetHitTestInfoAt(label.x, label.y);
    EXPECT_FALSE(on_label & htOnStateIcon);
    EXPECT_TRUE(on_label & htOnLabel);
    EXPECT_TRUE(t.list->GetHitTestInfoAt(5, 230) & htNowhere);
    EXPECT_EQ(t.list->GetItemAt(5, 230), nullptr);
  }
}

TEST_F(ListView, ClickOnARowSelectsItAndHandsOverTheRelease) {
  ListForm t(true);
  t.list->OnData = [](TObject*, TListItem* item) {
    item->SetCaption("row " + std::to_string(item->Index()));
  };
  t.list->Items().SetCount(50);
  int downs = 0, ups = 0, clicks = 0;
  int up_row = -1;
  TListItem* selected_event = nullptr;
  t.list->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
    if (b == TMouseButton::mbLeft) ++downs;
  };
  t.list->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    if (b != TMouseButton::mbLeft) return;
    ++ups;
    // The release's own position: the row under it is the one clicked.
    if (TListItem* it = t.list->GetItemAt(x, y)) up_row = it->Index();
  };
  t.list->OnClick = [&](TObject*) { ++clicks; };
  int select_events = 0;
  t.list->OnSelectItem = [&](TObject*, TListItem* item, bool selected) {
    if (!selected) return;
    ++select_events;
    selected_event = item;
  };
  t.Show();
  POINT p = RowPoint(t.list, 3);
  ClickClient(t.list->Handle(), p.x, p.y);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(up_row, 3);
  EXPECT_EQ(t.list->ItemIndex(), 3);
  EXPECT_EQ(select_events, 1);
  ASSERT_NE(selected_event, nullptr);
  EXPECT_EQ(t.list->Selected()->Caption(), "row 3");

  // At the row's left edge and far right beyond the caption: still that row.
  for (int x : {0, 300}) {
    TListItem* at = t.list->GetItemAt(x, p.y);
    ASSERT_NE(at, nullptr) << x;
    EXPECT_EQ(at->Index(), 3);
  }

  int dbl = 0;
  t.list->OnDblClick = [&](TObject*) { ++dbl; };
  PastTheDoubleClickTime();
  POINT q = RowPoint(t.list, 5);
  DoubleClickClient(t.list->Handle(), q.x, q.y);
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(t.list->ItemIndex(), 5);
}

TEST_F(ListView, TypingInAnOwnerDataListLeavesTheSelectionWhereItIs) {
  ListForm t(true);
  t.list->OnData = [](TObject*, TListItem* item) { item->SetCaption("row"); };
  t.list->Items().SetCount(20);
  t.Show();
  t.list->SetItemIndex(5);
  t.list->SetFocus();
  Pump();
  PressKey(t.list->Handle(), 'R');
  EXPECT_EQ(t.list->ItemIndex(), 5);
}

TEST_F(ListView, EditedCaptionIsKeptByTheRow) {
  ListForm t(false);
  t.list->SetReadOnly(false);
  t.list->Items().Add()->SetCaption("old name");
  t.list->Items().Add()->SetCaption("other");
  t.Show();
  t.list->SetFocus();
  HWND edit = reinterpret_cast<HWND>(SendMessageA(t.list->Handle(), LVM_EDITLABELA, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "new name");
  PressKey(edit, VK_RETURN);
  EXPECT_EQ(t.list->Items()[0]->Caption(), "new name");
  EXPECT_EQ(CellText(t.list->Handle(), 0, 0), "new name");
}

// A handler that runs a modal loop of its own on the press (a popup menu) takes the release
// with it; the list must not then wait for a release that already happened.
TEST_F(ListView, PressWhoseReleaseAHandlerTookDoesNotHangTheList) {
  ListForm t(false);
  for (int i = 0; i < 4; ++i) t.list->Items().Add()->SetCaption("r" + std::to_string(i));
  int downs = 0;
  t.list->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    ++downs;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE)) {
    }
  };
  t.Show();
  POINT p = RowPoint(t.list, 1);
  RightClickClient(t.list->Handle(), p.x, p.y);
  EXPECT_EQ(downs, 1);
  RightClickClient(t.list->Handle(), p.x, p.y);
  EXPECT_EQ(downs, 2);
}

TEST_F(ListView, SelectionFromTheProgramAndMultiSelect) {
  ListForm t(false);
  for (int i = 0; i < 6; ++i) t.list->Items().Add()->SetCaption("r" + std::to_string(i));
  t.Show();
  EXPECT_EQ(t.list->Selected(), nullptr);
  EXPECT_EQ(t.list->ItemIndex(), -1);
  t.list->SetSelected(t.list->Items()[2]);
  EXPECT_EQ(t.list->ItemIndex(), 2);
  EXPECT_EQ(t.list->ItemFocused(), t.list->Items()[2]);
  t.list->SetItemIndex(4);
  EXPECT_EQ(t.list->SelCount(), 1);  // single selection by default
  EXPECT_TRUE(t.list->Items()[4]->Selected());
  EXPECT_FALSE(t.list->Items()[2]->Selected());
  t.list->SetMultiSelect(true);
  t.list->Items()[1]->SetSelected(true);
  EXPECT_EQ(t.list->SelCount(), 2);
  t.list->ClearSelection();
  EXPECT_EQ(t.list->SelCount(), 0);
}

TEST_F(ListView, CustomDrawEventsSeeEachRowAndCanTakeOverThePaint) {
  ListForm t(false);
  for (int i = 0; i < 4; ++i) t.list->Items().Add()->SetCaption("item " + std::to_string(i));
  std::set<std::string> drawn;
  int sub_items = 0;
  t.list->OnCustomDrawItem = [&](TCustomListView*, TListItem* item, TCustomDrawState,
                                 bool& default_draw) {
    drawn.insert(item->Caption());
    default_draw = true;
  };
  t.list->OnCustomDrawSubItem = [&](TCustomListView*, TListItem*, int sub, TCustomDrawState,
                                    bool&) {
    if (sub > 0) ++sub_items;
  };
  t.Show();
  EXPECT_EQ(drawn.size(), 4u);
  EXPECT_GE(sub_items, 4 * 2);

  // The whole list drawn by the program: no row events, and its paint is what shows.
  drawn.clear();
  RECT whole{};
  t.list->OnCustomDraw = [&](TCustomListView* sender, const RECT& r, bool& default_draw) {
    whole = r;
    sender->Canvas().Brush.Color = 0x00C0FF;
    sender->Canvas().FillRect(r);
    default_draw = false;
  };
  InvalidateRect(t.list->Handle(), nullptr, TRUE);
  UpdateWindow(t.list->Handle());
  Pump();
  EXPECT_TRUE(drawn.empty());
  EXPECT_GT(whole.bottom - whole.top, 0);
  HDC dc = GetDC(t.list->Handle());
  RECT row = t.list->Items()[1]->DisplayRect(TDisplayCode::drBounds);
  EXPECT_EQ(GetPixel(dc, row.left + 150, (row.top + row.bottom) / 2), RGB(0xFF, 0xC0, 0x00));
  ReleaseDC(t.list->Handle(), dc);
}

TEST_F(ListView, OwnerDrawnRowsAreDrawnByTheirOwnObject) {
  ListForm t(false);
  t.list->SetOwnerDraw(true);
  for (int i = 0; i < 3; ++i) t.list->Items().Add()->SetCaption("drawn " + std::to_string(i));
  std::set<std::string> drawn;
  TCustomDrawState selected_state = 0;
  t.list->OnDrawItem = [&](TCustomListView* sender, TListItem* item, const RECT& r,
                           TCustomDrawState state) {
    drawn.insert(item->Caption());
    if (item->Index() == 1) selected_state = state;
    sender->Canvas().Brush.Color = 0x40A040;
    sender->Canvas().FillRect(r);
  };
  t.Show();
  t.list->SetItemIndex(1);
  UpdateWindow(t.list->Handle());
  Pump();
  EXPECT_TRUE(GetWindowLongPtrA(t.list->Handle(), GWL_STYLE) & LVS_OWNERDRAWFIXED);
  EXPECT_EQ(drawn.size(), 3u);
  EXPECT_TRUE(selected_state & cdsSelected);
  HDC dc = GetDC(t.list->Handle());
  POINT p = RowPoint(t.list, 2);
  EXPECT_EQ(GetPixel(dc, p.x, p.y), RGB(0x40, 0xA0, 0x40));
  ReleaseDC(t.list->Handle(), dc);
}

TEST_F(ListView, WindowStylesFollowTheProperties) {
  ListForm t(false);
  t.list->SetDoubleBuffered(true);
  t.list->SetHideSelection(false);
  t.list->SetBorderStyle(TBorderStyle::bsNone);
  t.list->SetBorderWidth(2);
  t.Show();
  HWND h = t.list->Handle();
  auto ex = SendMessageA(h, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_TRUE(ex & LVS_EX_DOUBLEBUFFER);
  EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
  auto style = GetWindowLongPtrA(h, GWL_STYLE);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(style & LVS_OWNERDATA);
  EXPECT_FALSE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // The border band takes two pixels off each side of the client area.
  RECT cr{};
  GetClientRect(h, &cr);
  EXPECT_EQ(cr.right, 400 - 4);
  EXPECT_EQ(cr.bottom, 240 - 4);
  // A column's minimum holds against a narrower width, also one the header takes itself.
  TListColumn* c = t.list->Columns()[0];
  c->SetMinWidth(60);
  c->SetWidth(20);
  EXPECT_EQ(c->Width(), 60);
  HDITEMA hd{};
  hd.mask = HDI_WIDTH;
  hd.cxy = 10;
  SendMessageA(t.list->HeaderHandle(), HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&hd));
  Pump();
  EXPECT_EQ(c->Width(), 60);
}

TEST_F(ListView, SystemCheckBoxesOnKeptRowsFollowClicksSpaceAndTheProgram) {
  ListForm t(false);
  t.list->SetStateImages(nullptr);  // the system's boxes, not pictures of the program's
  t.list->SetCheckboxes(true);
  for (int i = 0; i < 5; ++i) t.list->Items().Add()->SetCaption("row " + std::to_string(i));
  t.Show();
  HWND lv = t.list->Handle();
  std::vector<int> changed;
  t.list->OnChange = [&](TObject*, TListItem* item, TItemChange c) {
    if (c == TItemChange::ctState && item) changed.push_back(item->Index());
  };
  // Every row shows an empty box until it is ticked.
  ASSERT_NE(ListView_GetImageList(lv, LVSIL_STATE), nullptr);
  EXPECT_EQ(ListView_GetItemState(lv, 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
  t.list->Items()[3]->SetChecked(true);
  EXPECT_EQ(ListView_GetItemState(lv, 3, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  // A click on row 1's box ticks it; on its caption it does not.
  RECT b = t.list->Items()[1]->DisplayRect(TDisplayCode::drBounds);
  const int y = (b.top + b.bottom) / 2;
  int x = b.left;
  for (; x < b.left + 40; ++x)
    if (t.list->GetHitTestInfoAt(x, y) & htOnStateIcon) break;
  ASSERT_LT(x, b.left + 40);
  ClickClient(lv, x + 3, y);
  Pump();
  EXPECT_TRUE(t.list->Items()[1]->Checked());
  EXPECT_EQ(changed, std::vector<int>{1});
  PastTheDoubleClickTime();
  POINT p = RowPoint(t.list, 2);
  ClickClient(lv, p.x, p.y);
  Pump();
  EXPECT_FALSE(t.list->Items()[2]->Checked());
  // Space flips the focused row's box.
  PressKey(lv, VK_SPACE);
  EXPECT_TRUE(t.list->Items()[2]->Checked());
  PressKey(lv, VK_SPACE);
  EXPECT_FALSE(t.list->Items()[2]->Checked());
  // With pictures of its own the list leaves the rows' states to the program.
  t.list->SetStateImages(t.states);
  ClickClient(lv, x + 3, y);
  Pump();
  EXPECT_TRUE(t.list->Items()[1]->Checked());
  // Without them again: the system's boxes come back (not the program's pictures, gone now).
  HIMAGELIST program = ListView_GetImageList(lv, LVSIL_STATE);
  t.list->SetStateImages(nullptr);
  HIMAGELIST shown = ListView_GetImageList(lv, LVSIL_STATE);
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown, program);
  PastTheDoubleClickTime();
  ClickClient(lv, x + 3, y);
  Pump();
  EXPECT_FALSE(t.list->Items()[1]->Checked());
}

TEST_F(ListView, OnCompareOrdersKeptRowsWithAndWithoutAWindow) {
  for (bool window : {true, false}) {
    ListForm t(false);
    for (const char* n : {"10", "9", "100", "1"}) t.list->Items().Add()->SetCaption(n);
    // By number, largest first (by text "9" would lead).
    t.list->OnCompare = [](TObject*, TListItem* a, TListItem* b, int, int& compare) {
      compare = std::stoi(b->Caption()) - std::stoi(a->Caption());
    };
    if (window) t.Show();
    EXPECT_TRUE(t.list->AlphaSort());
    std::string order;
    for (int i = 0; i < 4; ++i) order += t.list->Items()[i]->Caption() + " ";
    EXPECT_EQ(order, "100 10 9 1 ") << (window ? "window" : "no window");
    if (window) EXPECT_EQ(CellText(t.list->Handle(), 3, 0), "1");
  }
}

TEST_F(ListView, RightClickOnAColumnHeaderReportsThatColumnAndWhere) {
  ListForm t(false);
  std::vector<std::pair<TListColumn*, POINT>> clicked;
  t.list->OnColumnRightClick = [&](TObject*, TListColumn* c, POINT p) { clicked.push_back({c, p}); };
  t.Show();
  HWND header = t.list->HeaderHandle();
  RECT r{};
  SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  POINT at{r.left + 20, (r.top + r.bottom) / 2};
  RightClickClient(header, at.x, at.y);
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0].first, t.list->Columns()[1]);
  MapWindowPoints(header, t.list->Handle(), &at, 1);
  EXPECT_EQ(clicked[0].second.x, at.x);
  EXPECT_EQ(clicked[0].second.y, at.y);
}

TEST_F(ListView, OwnerDataCacheHintsAndRangeStateChangesReachTheirEvents) {
  ListForm t(true);
  t.list->SetMultiSelect(true);
  t.list->OnData = [](TObject*, TListItem* item) { item->SetCaption("row"); };
  std::pair<int, int> hint{-1, -1}, range{-1, -1};
  TItemStates new_state = 0;
  t.list->OnDataHint = [&](TObject*, int from, int to) { hint = {from, to}; };
  t.list->OnDataStateChange = [&](TObject*, int from, int to, TItemStates, TItemStates now) {
    range = {from, to};
    new_state = now;
  };
  t.list->Items().SetCount(1000);
  t.Show();
  // A click on row 2, then Shift and a click on row 6: rows 3 to 6 join in one go.
  POINT p2 = RowPoint(t.list, 2), p6 = RowPoint(t.list, 6);
  ClickClient(t.list->Handle(), p2.x, p2.y);
  tolvane_test::KeyStrokes({{VK_SHIFT, false}});
  ClickClient(t.list->Handle(), p6.x, p6.y);
  tolvane_test::KeyStrokes({{VK_SHIFT, true}});
  EXPECT_EQ(t.list->SelCount(), 5);
  EXPECT_LE(range.first, 3);
  EXPECT_EQ(range.second, 6);
  EXPECT_TRUE(new_state & isSelected);
  // Scrolled far down: the hint names the rows now shown.
  SendMessageA(t.list->Handle(), LVM_ENSUREVISIBLE, 900, FALSE);
  UpdateWindow(t.list->Handle());
  EXPECT_LE(hint.first, 900);
  EXPECT_GE(hint.second, 900);
  EXPECT_LE(hint.second - hint.first, t.list->VisibleRowCount() + 2);
}
