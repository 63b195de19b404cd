// The windows' built-in themes: each window builds its themes as its form is built, and each
// theme loads the program's skin archive from the resource of Vardeck.exe into its "SkinData".
// A window's skinned controls take its first theme unless told otherwise; a damaged or missing
// resource leaves the themes unready, so the controls draw the built-in DeepBlue look.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "forms/Forms.h"
#include "skin/SkinMgr.h"

namespace vardeck {

// The RCDATA resource that holds the program's skin archive.
inline constexpr const char* kSkinResourceName = "TOLVANE_SKIN";

// Where the themes find the archive: the program's own module and kSkinResourceName unless a
// test points them at another module or name (a null module is the program's).
void SetSkinResource(HMODULE module, const char* name);

// The archive's bytes as the resource holds them; empty when there is no such resource.
std::span<const std::uint8_t> SkinResourceData();

// A new built-in theme owned by `form`, named `name`, its SkinData read from the resource.
skin::TSkinBuiltInFileTheme* AddBuiltInTheme(forms::TForm* form, const char* name);

// The form's n-th built-in theme (0 the first), or nullptr.
skin::TSkinBuiltInFileTheme* BuiltInTheme(forms::TCustomForm* form, int n);

// Points every skinned control of the form that has no theme yet at the form's first theme.
void WearFirstTheme(forms::TCustomForm* form);

}  // namespace vardeck
