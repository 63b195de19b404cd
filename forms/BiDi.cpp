// The locale question behind right-to-left layout, and what each mode means on this system.
#include "forms/BiDi.h"

#include <windows.h>

namespace forms {

namespace {

bool AskSystem() {
  switch (PRIMARYLANGID(GetUserDefaultLangID())) {
    case LANG_ARABIC: case LANG_HEBREW: case LANG_FARSI: case LANG_URDU: return true;
    default: return GetSystemMetrics(SM_MIDEASTENABLED) != 0;
  }
}

TMiddleEastQuery g_query = nullptr;

}  // namespace

bool SysLocaleMiddleEast() { return g_query ? g_query() : AskSystem(); }

void SetSysLocaleMiddleEastQuery(TMiddleEastQuery query) { g_query = query; }

bool UseRightToLeftAlignment(TBiDiMode mode) {
  return mode == TBiDiMode::bdRightToLeft && SysLocaleMiddleEast();
}

bool UseRightToLeftReading(TBiDiMode mode) {
  return mode != TBiDiMode::bdLeftToRight && SysLocaleMiddleEast();
}

bool UseRightToLeftScrollBar(TBiDiMode mode) {
  return (mode == TBiDiMode::bdRightToLeft || mode == TBiDiMode::bdRightToLeftNoAlign) &&
         SysLocaleMiddleEast();
}

}  // namespace forms
