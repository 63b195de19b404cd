// The windows' built-in themes (see BuiltInThemes.h).
#include "frontend/win/BuiltInThemes.h"

#include <string>
#include <vector>

namespace vardeck {

namespace {

HMODULE g_skin_module = nullptr;
std::string g_skin_name = kSkinResourceName;

}  // namespace

void SetSkinResource(HMODULE module, const char* name) {
  g_skin_module = module;
  g_skin_name = name ? name : kSkinResourceName;
}

std::span<const std::uint8_t> SkinResourceData() {
  HMODULE module = g_skin_module ? g_skin_module : GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, g_skin_name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(module, found);
  if (!bytes || size == 0) return {};
  return {static_cast<const std::uint8_t*>(bytes), size};
}

skin::TSkinBuiltInFileTheme* AddBuiltInTheme(forms::TForm* form, const char* name) {
  auto* theme = new skin::TSkinBuiltInFileTheme(form);
  theme->SetName(name);
  std::span<const std::uint8_t> data = SkinResourceData();
  if (!data.empty()) theme->ReadSkinData(data);
  return theme;
}

skin::TSkinBuiltInFileTheme* BuiltInTheme(forms::TCustomForm* form, int n) {
  if (!form) return nullptr;
  for (forms::TComponent* c : form->Components())
    if (auto* theme = dynamic_cast<skin::TSkinBuiltInFileTheme*>(c))
      if (n-- == 0) return theme;
  return nullptr;
}

void WearFirstTheme(forms::TCustomForm* form) {
  skin::TSkinBuiltInFileTheme* first = BuiltInTheme(form, 0);
  if (!first) return;
  for (forms::TComponent* c : std::vector<forms::TComponent*>(form->Components())) {
    forms::TPropValue v;
    if (!c->GetPublished("FileTheme", &v) || !std::holds_alternative<forms::TComponent*>(v) ||
        std::get<forms::TComponent*>(v) != nullptr)
      continue;
    c->SetPublished("FileTheme", forms::TPropValue{static_cast<forms::TComponent*>(first)});
  }
}

}  // namespace vardeck
