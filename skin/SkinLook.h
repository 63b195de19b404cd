// TSkinLook: what a skinned control is drawn with, the theme it names (FileTheme) and the style
// it asks for (UIStyle), and the one place that decides between the theme's archive and a
// built-in style. Every skinned control holds one and asks it for its colours and values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "forms/Forms.h"
#include "skin/SkinMgr.h"
#include "skin/SkinThemes.h"

namespace skin {

class TSkinLook {
 public:
  TSkinLook() = default;
  TSkinLook(TSkinFileTheme* theme, TSkinUIStyle style) : theme_(theme), style_(style) {}

  TSkinFileTheme* Theme() const { return theme_; }
  TSkinUIStyle Style() const { return style_; }
  void SetStyle(TSkinUIStyle s) { style_ = s; }
  // The same theme asked with another style.
  TSkinLook WithStyle(TSkinUIStyle s) const { return TSkinLook(theme_, s); }

  // Takes `theme` in place of the current one. `holder`, the component the look belongs to,
  // hears of the theme's going through its Notification, which asks ThemeGone.
  void SetTheme(forms::TComponent& holder, TSkinFileTheme* theme);
  // True when `c` is the theme going away; the look has let it go then.
  bool ThemeGone(forms::TComponent* c, forms::TOperation op);

  // Skin mode: the style is FromThemeFile and the theme is assigned and ready.
  bool SkinMode() const;
  // The built-in style drawn with: the style asked for, DeepBlue for FromThemeFile without a
  // ready theme, FromThemeFile in skin mode.
  TSkinUIStyle Effective() const;
  // The theme in skin mode, else nil: what a control hands on to the parts it draws with.
  TSkinFileTheme* Skin() const { return SkinMode() ? theme_ : nullptr; }

  // The skin's colour `key` in skin mode when the skin has it; else the built-in `item` of
  // the style in use (DeepBlue's for a skin that lacks the colour).
  forms::TColor Color(int key, int item) const;
  // The skin's colour or integer `key` in skin mode when the skin has it, else none or
  // `fallback`.
  std::optional<forms::TColor> SkinColor(int key) const;
  forms::TColor ColorOr(int key, forms::TColor fallback) const;
  int IntegerOr(int key, int fallback) const;

  // The two published properties of the look, FileTheme and UIStyle, read and written alike
  // by every control. Get: true when `name` is one of them. Set: the setter's result when
  // `name` is one of them with a value of its kind (a style outside the five and
  // FromThemeFile is refused), nothing otherwise, so the caller asks its base class.
  bool GetPublished(std::string_view name, forms::TPropValue* out) const;
  template <class Control>
  static std::optional<bool> SetPublished(Control& control, std::string_view name,
                                          const forms::TPropValue& value);

 private:
  TSkinFileTheme* theme_ = nullptr;
  TSkinUIStyle style_ = TSkinUIStyle::DeepBlue;
};

template <class Control>
std::optional<bool> TSkinLook::SetPublished(Control& control, std::string_view name,
                                            const forms::TPropValue& value) {
  if (name == "FileTheme" && std::holds_alternative<forms::TComponent*>(value)) {
    control.SetFileTheme(dynamic_cast<TSkinFileTheme*>(std::get<forms::TComponent*>(value)));
    return true;
  }
  if (name == "UIStyle" && std::holds_alternative<std::int64_t>(value)) {
    auto s = std::get<std::int64_t>(value);
    if (s < 0 || s > 5) return false;
    control.SetUIStyle(static_cast<TSkinUIStyle>(s));
    return true;
  }
  return std::nullopt;
}

}  // namespace skin
