// Menu shortcuts: a key and its Shift, Ctrl and Alt bits packed in one value, the text a menu
// shows for it ("Ctrl+C", "Shift+Del", "F5") and the way back from such a text.
#pragma once

#include <string>

#include "forms/Types.h"

namespace forms {

// Low byte: the virtual key; the modifier bits above it.
using TShortCut = WORD;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(WORD key, TShiftState shift);
void ShortCutToKey(TShortCut shortcut, WORD& key, TShiftState& shift);
// "Ctrl+Shift+S"; empty for scNone and for a key that has no name.
std::string ShortCutToText(TShortCut shortcut);
// The shortcut a text names (modifiers in any order, case ignored); scNone when it names none.
TShortCut TextToShortCut(const std::string& text);

}  // namespace forms
