// TSkinMenuBarHost: what a skinned main menu and its menu bar need from the frame that shows
// them: the frame's look, and the three calls through which the menu tells of its changes.
// TSkinMenuBarLink implements all of it for a frame; a frame forwards to its link.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinThemes.h"

namespace skin {

class TSkinFileTheme;
class TSkinMenuBar;

class TSkinMenuBarHost {
 public:
  virtual ~TSkinMenuBarHost() = default;
  // The frame's UIStyle and FileTheme (used when the menu is not a skinned main menu).
  virtual TSkinUIStyle MenuBarUIStyle() const = 0;
  virtual TSkinFileTheme* MenuBarFileTheme() const = 0;
  virtual forms::TColor MenuBarColor() const = 0;
  virtual forms::TColor MenuBarToColor() const = 0;
  virtual forms::TMainMenu* Menu() const = 0;
  // From the skinned main menu: its items were rebuilt; a menu change; its UseSystemFont
  // changed.
  virtual void RebuildMenuBar() = 0;
  virtual void RefreshMenuBarItems() = 0;
  virtual void UpdateMenuBarFont() = 0;
  // The bar is being freed (by whoever owns it).
  virtual void MenuBarDestroyed(TSkinMenuBar* bar) = 0;
};

}  // namespace skin
