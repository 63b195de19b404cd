// Where a skinned title bar last laid out its buttons, for tests that press them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinTitleBar.h"

namespace tolvane_test {

// The bar's first button of `type`, in the bar's client coordinates; an empty rectangle when
// the bar has none.
inline RECT TitleButtonRect(skin::TSkinTitleBar* bar, skin::TSkinTitleBarBtnType type) {
  for (int i = 0; i < bar->Buttons().Count(); ++i)
    if (bar->Buttons().Items(i)->ButtonType() == type) return bar->ButtonRect(i);
  return RECT{};
}

// Centre of that button in the bar's client coordinates; a test failure when there is none.
inline POINT TitleButtonCentre(skin::TSkinTitleBar* bar, skin::TSkinTitleBarBtnType type) {
  RECT r = TitleButtonRect(bar, type);
  if (r.right <= r.left) ADD_FAILURE() << "the title bar shows no such button";
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace tolvane_test
