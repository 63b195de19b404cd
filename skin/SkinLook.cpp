// TSkinLook: skin mode, the style in use and the lookups that fall back from a skin's key to
// a built-in item or a default.
#include "skin/SkinLook.h"

namespace skin {

namespace {

// What a loaded skin answers for a colour or integer key it lacks.
constexpr int kMissing = -1;

}  // namespace

void TSkinLook::SetTheme(forms::TComponent& holder, TSkinFileTheme* theme) {
  if (theme_) holder.RemoveFreeNotification(theme_);
  theme_ = theme;
  if (theme) holder.FreeNotification(theme);
}

bool TSkinLook::ThemeGone(forms::TComponent* c, forms::TOperation op) {
  if (op != forms::TOperation::opRemove || !theme_ || c != theme_) return false;
  theme_ = nullptr;
  return true;
}

bool TSkinLook::SkinMode() const {
  TSkinUIStyle effective;
  return TSkinFileTheme::ResolveStyle(theme_, style_, effective);
}

TSkinUIStyle TSkinLook::Effective() const {
  TSkinUIStyle effective;
  TSkinFileTheme::ResolveStyle(theme_, style_, effective);
  return effective;
}

std::optional<forms::TColor> TSkinLook::SkinColor(int key) const {
  if (!SkinMode()) return std::nullopt;
  const forms::TColor c = theme_->GetColor(key);
  if (c == kMissing) return std::nullopt;
  return c;
}

forms::TColor TSkinLook::ColorOr(int key, forms::TColor fallback) const {
  return SkinColor(key).value_or(fallback);
}

forms::TColor TSkinLook::Color(int key, int item) const {
  if (auto c = SkinColor(key)) return *c;
  TSkinUIStyle style = Effective();
  if (style == TSkinUIStyle::FromThemeFile) style = TSkinUIStyle::DeepBlue;
  return GetStyleColor(StyleIndex(style), item);
}

int TSkinLook::IntegerOr(int key, int fallback) const {
  if (!SkinMode()) return fallback;
  const int v = theme_->GetInteger(key);
  return v == kMissing ? fallback : v;
}

bool TSkinLook::GetPublished(std::string_view name, forms::TPropValue* out) const {
  if (name == "FileTheme") {
    if (out) *out = static_cast<forms::TComponent*>(theme_);
    return true;
  }
  if (name == "UIStyle") {
    if (out) *out = static_cast<std::int64_t>(style_);
    return true;
  }
  return false;
}

}  // namespace skin
