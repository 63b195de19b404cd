// TPopupMenu: a menu opened at a point of the screen; the choice comes back as WM_COMMAND to
// the menu layer's window, which runs the item's click.
#pragma once

#include "forms/Menu.h"

namespace forms {

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
  const char* ClassName() const override { return "TPopupMenu"; }

  // Runs OnPopup, then shows the menu with its top-left corner at the screen point (x, y)
  // and returns when it closes. The chosen item's click runs from the message queue, once the
  // posted WM_COMMAND is handled.
  virtual void Popup(int x, int y);
  TNotifyEvent OnPopup;
  // Whether a control's right click opens the menu on its own.
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool v) { auto_popup_ = v; }
  // The component the menu was last opened for (set by whoever opens it).
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* c) { popup_component_ = c; }
  // The point of the last Popup, in screen coordinates.
  POINT PopupPoint() const { return popup_point_; }

 protected:
  HMENU CreateMenuHandle() override { return CreatePopupMenu(); }
  virtual void DoPopup(TObject* sender);

 private:
  bool auto_popup_ = true;
  TComponent* popup_component_ = nullptr;
  POINT popup_point_{0, 0};
};

}  // namespace forms
