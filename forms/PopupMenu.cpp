// TPopupMenu: opening the menu at a point.
#include "forms/PopupMenu.h"

#include "forms/Application.h"

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
  // A menu opened while another program is in front would not close on a click outside it:
  // then the owner must come forward first (and the menu loop be woken once it ends). While a
  // window of ours is in front that would only deactivate it, greying its title bar.
  const bool inFront = Application()->Active();
  if (!inFront) SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  if (!inFront) PostMessageA(owner, WM_NULL, 0, 0);
}

}  // namespace forms
