// What the results window tests read and point at in the results window: the point of a tree
// item's check picture, a list cell's text, a header click that sorts, the texts of the folder
// tree. The moves come from the one robot (tests/support/WindowRobot.h).
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "frontend/win/UnitFindFile.h"
#include "skin/QzListView.h"
#include "skin/QzTreeView.h"
#include "tests/support/WindowRobot.h"

namespace vardeck::results_robot {

// A client point of the tree item's check picture, found by the tree's own hit test.
inline bool TreeStatePoint(skin::TQzTreeView* tree, forms::TTreeNode* item, POINT& at) {
  RECT text = item->DisplayRect(true);
  int y = (text.top + text.bottom) / 2;
  for (int x = 0; x < text.left; ++x) {
    if (tree->GetHitTestInfoAt(x, y) & forms::htOnStateIcon) {
      at = POINT{x + 4, y};
      return true;
    }
  }
  return false;
}

inline std::string RowText(skin::TQzListView* list, int row, int column) {
  char text[1024] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  SendMessageA(list->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
  return text;
}

inline void ClickHeaderColumn(skin::TQzListView* list, int column) {
  // Two clicks on one column within the double-click time are a double click, not two sorts.
  tolvane_test::Pump(static_cast<int>(GetDoubleClickTime()) + 100);
  HWND header = list->HeaderHandle();
  RECT r{};
  SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
  tolvane_test::ClickClient(header, (r.left + r.right) / 2 + 10, (r.top + r.bottom) / 2);
  tolvane_test::Pump();
}

inline std::set<std::string> TreeTexts() {
  std::set<std::string> texts;
  std::vector<forms::TTreeNode*> stack;
  if (forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode()) stack.push_back(root);
  while (!stack.empty()) {
    forms::TTreeNode* node = stack.back();
    stack.pop_back();
    texts.insert(node->Text());
    for (int i = 0; i < node->Count(); ++i) stack.push_back(node->Item(i));
  }
  return texts;
}

}  // namespace vardeck::results_robot
