// TSkinTitleBarPopupMenu: the skinned system menu of a title bar (minimise, maximise/restore,
// close), opened from the control box or Alt+Space; an entry is greyed out while its title
// button is hidden.
#pragma once

#include "skin/SkinPopupMenu.h"

namespace skin {

class TSkinTitleBar;

class TSkinTitleBarPopupMenu : public TSkinPopupMenu {
 public:
  TSkinTitleBarPopupMenu(forms::TComponent* owner, TSkinTitleBar* bar);
  const char* ClassName() const override { return "TSkinTitleBarPopupMenu"; }

  // Enables the entries whose buttons are visible, then opens the menu at (x, y).
  void Popup(int x, int y) override;
  // The entries' enabled states as the next Popup would set them.
  void UpdateItems();

  forms::TMenuItem* MinimizeItem() const { return minimize_; }
  forms::TMenuItem* MaximizeItem() const { return maximize_; }
  forms::TMenuItem* CloseItem() const { return close_; }

 private:
  TSkinTitleBar* bar_;
  forms::TMenuItem* minimize_;
  forms::TMenuItem* maximize_;
  forms::TMenuItem* close_;
};

}  // namespace skin
