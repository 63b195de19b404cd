// Shortcut texts. The key names are fixed English words, not the keyboard layout's names, so
// that a menu reads the same on every system.
#include "forms/ShortCut.h"

#include <cctype>

namespace forms {

namespace {

struct KeyName {
  WORD key;
  const char* name;
};

constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},   {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

std::string KeyText(WORD key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  for (const KeyName& k : kKeyNames)
    if (k.key == key) return k.name;
  return {};
}

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

WORD KeyFromText(const std::string& s) {
  if (s.size() == 1) {
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<WORD>(c);
  }
  if (s.size() >= 2 && (s[0] == 'F' || s[0] == 'f')) {
    int n = 0;
    for (size_t i = 1; i < s.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(s[i]))) return 0;
      n = n * 10 + (s[i] - '0');
      if (n > 24) return 0;
    }
    if (n >= 1) return static_cast<WORD>(VK_F1 + n - 1);
    return 0;
  }
  for (const KeyName& k : kKeyNames)
    if (EqualNoCase(s, k.name)) return k.key;
  return 0;
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key & 0xFF00) return scNone;
  TShortCut s = key;
  if (shift & ssShift) s |= scShift;
  if (shift & ssCtrl) s |= scCtrl;
  if (shift & ssAlt) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut shortcut, WORD& key, TShiftState& shift) {
  key = shortcut & 0xFF;
  shift = 0;
  if (shortcut & scShift) shift |= ssShift;
  if (shortcut & scCtrl) shift |= ssCtrl;
  if (shortcut & scAlt) shift |= ssAlt;
}

std::string ShortCutToText(TShortCut shortcut) {
  std::string key = KeyText(shortcut & 0xFF);
  if (key.empty()) return {};
  std::string text;
  if (shortcut & scCtrl) text += "Ctrl+";
  if (shortcut & scShift) text += "Shift+";
  if (shortcut & scAlt) text += "Alt+";
  return text + key;
}

TShortCut TextToShortCut(const std::string& text) {
  TShortCut mods = 0;
  size_t at = 0;
  // "Ctrl++" would name the plus key, which has no name here: the last '+' ends the modifiers.
  while (true) {
    size_t plus = text.find('+', at);
    if (plus == std::string::npos || plus + 1 >= text.size()) break;
    std::string part = text.substr(at, plus - at);
    if (EqualNoCase(part, "Ctrl")) mods |= scCtrl;
    else if (EqualNoCase(part, "Shift")) mods |= scShift;
    else if (EqualNoCase(part, "Alt")) mods |= scAlt;
    else return scNone;
    at = plus + 1;
  }
  WORD key = KeyFromText(text.substr(at));
  return key ? static_cast<TShortCut>(key | mods) : scNone;
}

}  // namespace forms
