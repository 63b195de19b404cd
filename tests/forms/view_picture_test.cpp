// A form with the wrapped tree view and list view side by side, as the results window lays them
// out, taken from the screen and written to tests/artifacts/ of the build tree (views.png) for
// a person to look at: pictures, check-box state pictures, header, selection.
#include <gtest/gtest.h>

#include <string>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"
#include "tests/forms/view_pictures.h"

using namespace forms;
using tolvane_test::FillCheckPictures;
using tolvane_test::FillItemPictures;
using tolvane_test::Pump;

TEST(ViewPicture, TreeAndListSideBySideWrittenForALook) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(40, 40, 660, 300);
  auto* items = new TImageList(&form, 16, 16);
  FillItemPictures(*items);
  auto* checks = new TImageList(&form, 16, 16);
  FillCheckPictures(*checks);

  auto* tree = new TCustomTreeView(&form);
  tree->SetBounds(8, 8, 190, 284);
  tree->SetReadOnly(true);
  tree->SetHideSelection(false);
  tree->SetImages(items);
  tree->SetStateImages(checks);
  tree->SetDoubleBuffered(true);
  TTreeNodes& n = tree->Items();
  TTreeNode* root = n.AddChild(nullptr, "C:\\");
  TTreeNode* docs = n.AddChild(root, "Documents");
  n.AddChild(docs, "Letters");
  n.AddChild(docs, "Invoices 2024");
  TTreeNode* photos = n.AddChild(root, "Photos");
  n.AddChild(photos, "Holiday");
  n.AddChild(root, "Program Files");
  int state = 1;
  for (TTreeNode* x = n.GetFirstNode(); x; x = x->GetNext()) {
    x->SetImageIndex(2);
    x->SetSelectedIndex(1);
    x->SetStateIndex(state);
    state = state % 3 + 1;
  }
  tree->SetParent(&form);

  auto* list = new TCustomListView(&form);
  list->SetBounds(206, 8, 446, 284);
  list->SetViewStyle(TViewStyle::vsReport);
  list->SetRowSelect(true);
  list->SetReadOnly(true);
  list->SetHideSelection(false);
  list->SetDoubleBuffered(true);
  list->SetSmallImages(items);
  list->SetStateImages(checks);
  struct Col { const char* caption; int width; TAlignment align; };
  for (Col c : {Col{"Filename", 150, TAlignment::taLeftJustify},
                Col{"Size", 80, TAlignment::taRightJustify},
                Col{"Status", 80, TAlignment::taLeftJustify},
                Col{"Date Modified", 120, TAlignment::taLeftJustify}}) {
    TListColumn* col = list->Columns().Add();
    col->SetCaption(c.caption);
    col->SetWidth(c.width);
    col->SetAlignment(c.align);
  }
  const char* names[] = {"Letters", "Invoices 2024", "report.docx", "budget.xlsx",
                         "notes.txt", "photo_0001.jpg", "a very long file name that does not fit.pdf"};
  const char* sizes[] = {"0 byte", "0 byte", "24.50 KB", "1.20 MB", "812 bytes", "3.75 MB", "88.00 KB"};
  const char* status[] = {"N/A", "N/A", "Very good", "Good", "Pool", "Bad", "Very good"};
  list->SetOwnerData(true);
  list->OnData = [&](TObject*, TListItem* item) {
    int i = item->Index();
    item->SetCaption(names[i]);
    item->SubItems() = {sizes[i], status[i], "2024-05-0" + std::to_string(i + 1) + " 10:2" + std::to_string(i)};
    item->SetImageIndex(i < 2 ? 2 : 0);
    item->SetStateIndex(1 + i % 3);
  };
  list->Items().SetCount(7);
  list->SetParent(&form);

  form.Show();
  Pump();
  root->Expand(false);
  docs->Expand(false);
  tree->SetSelected(docs);
  list->SetItemIndex(3);
  list->SetFocus();
  Pump();
  UpdateWindow(tree->Handle());
  UpdateWindow(list->Handle());
  Pump();

  TBitmap shot;
  tolvane_test::GrabWindow(form.Handle(), shot);
  tolvane_test::SavePicture(shot, "views.png");

  // The selected row is drawn in the highlight colour across the row; another row is not.
  auto on_form = [&](int row) {
    RECT r = list->Items()[row]->DisplayRect(TDisplayCode::drBounds);
    POINT p{300, (r.top + r.bottom) / 2};
    MapWindowPoints(list->Handle(), form.Handle(), &p, 1);
    return p;
  };
  POINT sel = on_form(3);
  EXPECT_EQ(static_cast<COLORREF>(shot.GetPixel(sel.x, sel.y)), GetSysColor(COLOR_HIGHLIGHT));
  POINT other = on_form(5);
  EXPECT_NE(static_cast<COLORREF>(shot.GetPixel(other.x, other.y)), GetSysColor(COLOR_HIGHLIGHT));
}
