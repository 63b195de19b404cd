// TSkinMenuLook: the look that the skinned popup and main menus share: the published
// colours, heights, bar and font settings, the UIStyle writer that fills them from a skin
// archive or a built-in style, and the measure and draw handlers hooked into every item.
// Both menu components derive from their form-layer menu and from this class. Also two
// helpers the frame uses as well: the system menu font and the flat frame of a menu window.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "skin/SkinLook.h"

namespace skin {

// Sets `font` to the system's menu font and the menu text colour; unchanged when the system
// gives no metrics.
void UseSystemMenuFont(forms::TFont& font);
// Frames a menu's window over its whole rectangle: an outer frame (from the second row down),
// a white inner frame, and the line colour along the bottom and right edges and the top.
void FrameFlatMenuWindow(HWND wnd, forms::TColor outer, forms::TColor line);

class TSkinMenuLook {
 public:
  virtual ~TSkinMenuLook();

  // Published in this order by both menus, after OwnerDraw (always true; the main menu
  // publishes Images first).
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle style);
  int MenuItemHeight() const { return menu_item_height_; }
  void SetMenuItemHeight(int v);
  int SeparatorHeight() const { return separator_height_; }
  void SetSeparatorHeight(int v);
  int BarWidth() const { return bar_width_; }
  void SetBarWidth(int v) { Set(bar_width_, v); }
  forms::TColor BarColor() const { return bar_color_; }
  void SetBarColor(forms::TColor c) { Set(bar_color_, c); }
  forms::TColor BarToColor() const { return bar_to_color_; }
  void SetBarToColor(forms::TColor c) { Set(bar_to_color_, c); }
  forms::TColor Color() const { return color_; }
  void SetColor(forms::TColor c) { Set(color_, c); }
  forms::TColor SeparatorColor() const { return separator_color_; }
  void SetSeparatorColor(forms::TColor c) { Set(separator_color_, c); }
  forms::TColor SelectedBorderColor() const { return selected_border_color_; }
  void SetSelectedBorderColor(forms::TColor c) { Set(selected_border_color_, c); }
  forms::TColor SelectedColor() const { return selected_color_; }
  void SetSelectedColor(forms::TColor c) { Set(selected_color_, c); }
  forms::TColor SelectedFontColor() const { return selected_font_color_; }
  void SetSelectedFontColor(forms::TColor c) { Set(selected_font_color_, c); }
  forms::TColor FontColor() const { return font_color_; }
  void SetFontColor(forms::TColor c) { Set(font_color_, c); }
  // Stored, not used in drawing.
  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c) { Set(border_color_, c); }
  bool FlatMenu() const { return flat_menu_; }
  void SetFlatMenu(bool v) { Set(flat_menu_, v); }
  const std::string& FontName() const { return font_name_; }
  void SetFontName(const std::string& v) { Set(font_name_, v); }
  int FontSize() const { return font_size_; }
  void SetFontSize(int v) { Set(font_size_, v); }
  forms::TFontCharset FontCharset() const { return font_charset_; }
  void SetFontCharset(forms::TFontCharset v) { Set(font_charset_, v); }
  bool UseSystemFont() const { return use_system_font_; }
  void SetUseSystemFont(bool v) { Set(use_system_font_, v); }

  // The handlers every item of the menu gets (HookMenuItemDrawing).
  void MeasureItem(forms::TMenuItem* item, forms::TCanvas& canvas, int& width, int& height) const;
  void DrawItem(forms::TMenuItem* item, forms::TCanvas& canvas, const RECT& rect,
                bool selected) const;
  // Sets the measure and draw events of `item` and of all its sub-items to this look's.
  void HookMenuItemDrawing(forms::TMenuItem* item);
  // The items are laid out right to left: the menu's BiDiMode is not left-to-right and the
  // system's locale reads right to left.
  bool RightToLeft() const;
  // The look's font as the items show it (system menu font or FontName/Size/Charset).
  void ApplyFont(forms::TFont& font) const;

  const TSkinLook& Look() const { return look_; }
  // Where the skin's colours come from: true with the theme's look, else the built-in style
  // to use is in `effective`.
  bool Resolve(TSkinUIStyle& effective) const {
    effective = look_.Effective();
    return look_.SkinMode();
  }

 protected:
  // `main_menu`: the main menu always stores MenuItemHeight; the popup ignores it in MacOS.
  TSkinMenuLook(forms::TMenu* menu, bool main_menu);
  // The images the items draw from (nil for none) and the list holding the check glyph.
  virtual forms::TImageList* ItemImages() const = 0;
  virtual forms::TImageList* CheckGlyphs() const = 0;
  // A property changed (repaint what shows the menu).
  virtual void LookChanged() {}
  // The published properties by name (both menus answer them through these).
  bool LookGetPublished(std::string_view name, forms::TPropValue* out) const;
  bool LookSetPublished(std::string_view name, const forms::TPropValue& value);
  // Removal of the theme component: back to DeepBlue. Call from Notification.
  void LookNotification(forms::TComponent* component, forms::TOperation operation);

  forms::TMenu* menu_;

 private:
  template <typename T>
  void Set(T& field, const T& v) {
    if (field == v) return;  // painting sets values too: an equal one must not repaint
    field = v;
    LookChanged();
  }
  bool main_menu_;
  TSkinLook look_;
  int menu_item_height_ = 21;
  int separator_height_ = 21;
  int bar_width_ = 0;
  forms::TColor bar_color_ = forms::clBtnFace;
  forms::TColor bar_to_color_ = forms::clBtnFace;
  forms::TColor color_ = forms::clWhite;
  forms::TColor separator_color_ = forms::clGray;
  forms::TColor selected_border_color_ = static_cast<forms::TColor>(forms::clSystemColor | COLOR_HIGHLIGHT);
  forms::TColor selected_color_ = static_cast<forms::TColor>(forms::clSystemColor | COLOR_HIGHLIGHT);
  forms::TColor selected_font_color_ = forms::clWhite;
  forms::TColor font_color_ = forms::clWhite;
  forms::TColor border_color_ = forms::clBlack;
  bool flat_menu_ = false;
  std::string font_name_ = "MS Sans Serif";
  int font_size_ = 8;
  forms::TFontCharset font_charset_ = DEFAULT_CHARSET;
  bool use_system_font_ = true;
};

// The 16 x 16 "MENU_CHECKED" glyph in an image list keyed on white: one list for every
// popup menu of the program, made on first use.
forms::TImageList* SharedMenuCheckList();
// A new such list (the main menu owns one).
forms::TImageList* NewMenuCheckList(forms::TComponent* owner);

}  // namespace skin
