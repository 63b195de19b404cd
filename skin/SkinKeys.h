// The look keys every skinned control reads, named once: the SKIN2 key indexes within their
// four groups (the order of Skin2KeyNames) and the items of the built-in style table
// (1..48). Controls pass these to the theme getters and to GetStyleColor and its kin.
#pragma once

namespace skin {

// Colour keys (looked up in a skin's integer records).
namespace Skin2Color {
enum : int {
  TransColor, TitleFontColor, FormColor, MenuBarStartColor, MenuBarEndColor,
  TopSelectedMenuColor, TopSelectedMenuBorderColor, TopSelectedMenuFontColor, TopMenuFontColor,
  LeftBarStartColor, LeftBarEndColor, MenuItemColor, MenuItemFontColor, SelectedMenuColor,
  SelectedMenuBorderColor, SelectedMenuFontColor, ToolBarStartColor, ToolBarEndColor,
  ToolBarOnColor, ToolBarBorderColor, ToolBarDownColor, ControlColor, ControlBorderColor,
  ControlFontColor, ButtonFontColor, ScrollBarColor, TabControlColor, TabControlBorderColor,
  TabControlActiveFontColor, TabControlInactiveFontColor, SideChannelColor,
  SideChannelBorderColor,
  Count
};
}  // namespace Skin2Color

// Bitmap keys.
namespace Skin2Bitmap {
enum : int {
  TitleBar1, TitleBar2, TitleBar3, TitleBar4, TitleBar5, FormLeftBorder, FormRightBorder,
  FormBottomBorder1, FormBottomBorder2, FormBottomBorder3, MinimizedTitle, TitleButtons,
  CheckedMenuIcon, MenuBar, ToolBar, Button, CheckBox, CheckBoxList, RadioButton,
  ProgressBar1,  // left cap
  ProgressBar2,  // the filled part
  ProgressBar3,  // the empty part
  ProgressBar4,  // right cap
  TrackBar, TrackBarSlider, TrackBarVSlider, ScrollBarUpButton, ScrollBar, ScrollBarDownButton,
  TabControl, TabControlLine, SideChannelBar, SideChannelTitle, ScrollButton,
  Count
};
}  // namespace Skin2Bitmap

// Integer keys.
namespace Skin2Integer {
enum : int {
  TitleBarIconPosX, TitleBarIconPosY, TitleBarCaptionTop, TitleBarButtonPosX,
  TitleBarButtonPosY, TitleBarRegionMinY, TitleBarRegionMaxY, BottomRegionMinY,
  BottomRegionMaxY,
  Count
};
}  // namespace Skin2Integer

// Flag keys.
namespace Skin2Flag {
enum : int {
  TitleFiveSect, BottomBorderThreeSect, TitleBarNeedRegion, BottomBorderNeedRegion,
  TitleBtnTrans, ButtonTrans, CheckBoxTrans, RadioButtonTrans, TabControlTrans,
  Count
};
}  // namespace Skin2Flag

// Items of the built-in style table, by their role.
namespace StyleItem {
enum : int {
  Button = 1,              // push-button face, 3 frames
  ButtonTransparent = 2,
  CheckBox = 3,
  RadioButton = 4,
  TitleButtons = 5,        // 18 frames
  TitleButtonsTransparent = 6,
  LeftTitleButtonX = 7,
  RightTitleButtonX = 8,
  TitleButtonTop = 9,
  TitleLeft = 10,
  TitleClient = 11,
  TitleRight = 12,
  FormMinWidth = 13,
  FormRoundCorner = 14,
  FormColor = 15,          // also flat-menu frame, list and combo-box backgrounds
  FormBorderColor = 16,
  FormBorderWidth = 17,
  SelectedMenuBorder = 18,
  SelectedMenuFill = 19,
  SelectedMenuFont = 20,
  MenuItemFill = 21,
  MenuItemFont = 22,
  MenuLeftBar = 23,
  ProgressBarFill = 24,
  ControlBorder = 25,      // progress bar, edits, lists, tree, combo box
  ControlColor = 26,       // progress bar background
  ControlFontColor = 27,   // list views
  TrackBarBar = 28,
  TrackBarSlider = 29,
  TrackBarSliderV = 30,
  ScrollBarColor = 31,
  ScrollBarButton = 32,    // 6 frames
  ScrollBarTrack = 33,     // 3 frames
};
}  // namespace StyleItem

}  // namespace skin
