// TSkinMenuBarLink: the menu-bar side of a skinned frame: its Menu, the bar it creates for it
// under the title bar, the bar's colours and height, and the calls through which a skinned
// main menu keeps the bar in step. A frame holds one and forwards to it:
//   Menu / SetMenu, MenuBarColor / SetMenuBarColor, MenuBarToColor / SetMenuBarToColor,
//   MenuBarHeight / SetMenuBarHeight, RebuildMenuBar, RefreshMenuBarItems, UpdateMenuBarFont,
//   RemoveMenuBar; its Notification passes removals on (Notification below); its style
//   change calls ApplyStyle; its destructor lets the link go first.
#pragma once

#include <functional>

#include "skin/SkinMenuBar.h"
#include "skin/SkinMenuBarHost.h"

namespace skin {

class TSkinMenuBarLink : public TSkinMenuBarHost {
 public:
  // `frame`: the panel the bar is put on (and owner of the bar). `style`, `theme`: the
  // frame's look. `barCreated`: called after a bar was made (the frame puts its title bar
  // back above it). `mdiChild`: no bar is ever made.
  TSkinMenuBarLink(forms::TWinControl* frame, std::function<TSkinUIStyle()> style,
                   std::function<TSkinFileTheme*()> theme, std::function<void()> barCreated,
                   bool mdiChild = false);
  ~TSkinMenuBarLink() override;

  forms::TMainMenu* Menu() const override { return menu_; }
  void SetMenu(forms::TMainMenu* menu);
  forms::TColor MenuBarColor() const override { return color_; }
  void SetMenuBarColor(forms::TColor c);
  forms::TColor MenuBarToColor() const override { return to_color_; }
  void SetMenuBarToColor(forms::TColor c);
  // The visible bar's height, else 0; writing sets the bar's and every button's height.
  int MenuBarHeight() const;
  void SetMenuBarHeight(int h);
  TSkinMenuBar* Bar() const { return bar_; }

  void CreateMenuBar();
  void RemoveMenuBar();
  void RebuildMenuBar() override;
  void RefreshMenuBarItems() override;
  void UpdateMenuBarFont() override;
  void MenuBarDestroyed(TSkinMenuBar* bar) override;
  TSkinUIStyle MenuBarUIStyle() const override { return style_(); }
  TSkinFileTheme* MenuBarFileTheme() const override { return theme_(); }

  // The frame's style or theme changed: a skinned main menu in Menu takes them too.
  void ApplyStyle(TSkinUIStyle style, TSkinFileTheme* theme);
  // The frame's Notification: the removal of the Menu component removes the bar.
  void Notification(forms::TComponent* component, forms::TOperation operation);

 private:
  forms::TWinControl* frame_;
  std::function<TSkinUIStyle()> style_;
  std::function<TSkinFileTheme*()> theme_;
  std::function<void()> bar_created_;
  bool mdi_child_;
  forms::TMainMenu* menu_ = nullptr;
  TSkinMenuBar* bar_ = nullptr;
  forms::TColor color_ = forms::clBtnFace;
  forms::TColor to_color_ = forms::clBtnFace;
  int height_value_ = 22;
};

}  // namespace skin
