// The robot of the results window tests: the message loop run until something holds, message
// boxes answered as a user answers them, pictures of a window, points of a tree item's check
// picture, list cells and header clicks, button clicks and popup menus driven by keys.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forms/Forms.h"
#include "frontend/LangFile.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitMsgBox.h"
#include "skin/QzListView.h"
#include "skin/QzTreeView.h"
#include "tests/forms/gui_input.h"
#include "tests/skin/png_writer.h"

namespace vardeck::results_robot {

using tolvane_test::ClickClient;
using tolvane_test::Pump;

inline bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump();
  }
  return true;
}

// Answers every message box as the user would: a click on the chosen button of each box that
// comes up, its text kept. A timer of the GUI thread, so it also runs inside the boxes' own
// modal loops.
class BoxAnswers {
 public:
  BoxAnswers() {
    timer_ = new forms::TTimer(nullptr);
    timer_->SetInterval(50);
    timer_->OnTimer = [this](forms::TObject*) { Tick(); };
    timer_->SetEnabled(true);
  }
  ~BoxAnswers() { delete timer_; }
  int button = 1;  // 1 OK, 2 Cancel
  std::vector<std::string> texts;
  bool Saw(LangKey key) const {
    for (const std::string& t : texts) {
      if (t == Lang().Text(key)) return true;
    }
    return false;
  }

 private:
  void Tick() {
    bool shown = FrmAttention && FrmAttention->HandleAllocated() &&
                 IsWindowVisible(FrmAttention->Handle());
    if (!shown) {
      answering_ = false;
      return;
    }
    if (answering_) return;
    answering_ = true;
    texts.push_back(FrmAttention->Label1->Caption());
    skin::TSkinImageButton* b = button == 2 && FrmAttention->ButtonCount() == 2
                                    ? FrmAttention->Button2
                                    : FrmAttention->Button1;
    RECT r{};
    GetClientRect(b->Handle(), &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(b->Handle(), WM_LBUTTONUP, 0, at);
  }
  forms::TTimer* timer_;
  bool answering_ = false;
};


inline void SavePicture(forms::TForm* form, const char* file) {
  UpdateWindow(form->Handle());
  Pump();
  RECT r{};
  GetWindowRect(form->Handle(), &r);
  forms::TBitmap shot(r.right - r.left, r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(shot.Canvas().Handle(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
         SRCCOPY);
  ReleaseDC(nullptr, screen);
  CreateDirectoryA("..\\tests", nullptr);
  CreateDirectoryA("..\\tests\\artifacts", nullptr);
  EXPECT_TRUE(tolvane_test::WritePng(shot, std::string("..\\tests\\artifacts\\") + file));
}

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
  WaitUntil([] { return false; }, static_cast<int>(GetDoubleClickTime()) + 100);
  HWND header = list->HeaderHandle();
  RECT r{};
  SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
  ClickClient(header, (r.left + r.right) / 2 + 10, (r.top + r.bottom) / 2);
  Pump();
}

inline void ClickButton(skin::TSkinImageButton* b) {
  RECT r{};
  GetClientRect(b->Handle(), &r);
  ClickClient(b->Handle(), r.right / 2, r.bottom / 2);
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

// Keys for a popup menu while its own loop runs: a thread timer sends one key a tick, once the
// menu window is up; the last step closes a menu left open.
inline std::vector<WORD>* g_menu_keys = nullptr;
inline size_t g_menu_next = 0;

inline void CALLBACK MenuTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (!g_menu_keys || !menu || !IsWindowVisible(menu)) return;
  if (g_menu_next >= g_menu_keys->size()) {
    EndMenu();
    return;
  }
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = (*g_menu_keys)[g_menu_next++];
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// A right click at a client point, and the keys for the popup it opens.
inline void RightClickAndChoose(HWND wnd, POINT at, std::vector<WORD> keys) {
  g_menu_keys = &keys;
  g_menu_next = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 80, MenuTick);
  tolvane_test::RightClickClient(wnd, at.x, at.y);
  WaitUntil([&] { return g_menu_next >= keys.size() && !FindWindowA("#32768", nullptr); }, 5000);
  KillTimer(nullptr, timer);
  g_menu_keys = nullptr;
  Pump();
}

}  // namespace vardeck::results_robot
