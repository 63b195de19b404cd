// What a view's own scroll bars say and whether its skinned bar covers them on the screen, for
// the window tests of the views that wear skinned bars.
#pragma once

#include <windows.h>

#include "forms/WinControl.h"
#include "skin/QzScrollBar.h"
#include "tests/support/WindowRobot.h"

namespace tolvane_test {

// The view's own bar `which` (SB_VERT, SB_HORZ); nPos -1 when the view has none.
inline SCROLLINFO NativeBar(HWND wnd, int which) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(wnd, which, &si)) si.nPos = -1;
  return si;
}

// Whether the skinned bar is what the screen shows over the middle of the view's own bar
// (`object`: OBJID_VSCROLL, OBJID_HSCROLL).
inline bool CoversNativeBar(HWND view, LONG object, skin::TQzScrollBar* bar) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  if (!GetScrollBarInfo(view, object, &info)) return false;
  const RECT& r = info.rcScrollBar;
  const HWND top = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  return top == bar->Handle() || IsChild(bar->Handle(), top);
}

inline POINT MiddleOnScreen(forms::TWinControl* c) { return MiddleOf(c->Handle()); }

}  // namespace tolvane_test
