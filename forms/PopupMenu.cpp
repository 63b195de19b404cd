// TPopupMenu: opening the menu at a point.
#include "forms/PopupMenu.h"

namespace forms {

void TPopupMenu::DoPopup(TObject* sender) {
  if (OnPopup) OnPopup(sender);
}

void TPopupMenu::Popup(int x, int y) {
  popup_point_ = POINT{x, y};
  DoPopup(this);
  HMENU menu = Handle();
  HWND owner = MenuWindow();
  if (!menu || !owner) return;
  // The system closes a menu when its owner loses the foreground; without this a click
  // outside the menu would leave it open.
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}

}  // namespace forms
