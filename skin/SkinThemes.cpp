// The built-in style table. Colours are TColor values ($BBGGRR).
#include "skin/SkinThemes.h"

#include "skin/SkinPublic.h"

namespace skin {

namespace {

struct StyleItem {
  int kind;
  std::intptr_t value[5];  // MacOS, WinXP, DeepBlue, Protein, BlueGlass
};

#define NAMES(a, b, c, d, e)                                                                  \
  {                                                                                           \
    reinterpret_cast<std::intptr_t>(a), reinterpret_cast<std::intptr_t>(b),                  \
        reinterpret_cast<std::intptr_t>(c), reinterpret_cast<std::intptr_t>(d),              \
        reinterpret_cast<std::intptr_t>(e)                                                    \
  }
#define ELEMENT(e) NAMES("MACOS_" e, "WINXP_" e, "DEEPBLUE_" e, "PROTEIN_" e, "BLUEGLASS_" e)

const StyleItem kItems[kStyleItemCount] = {
    /* 1 push-button face, 3 frames */ {skBitmap, ELEMENT("BUTTON")},
    /* 2 push button transparent */ {skFlag, {1, 0, 0, 0, 1}},
    /* 3 check box */ {skBitmap, ELEMENT("CHECKBOX")},
    /* 4 radio button */ {skBitmap, ELEMENT("RADIOBUTTON")},
    /* 5 title-bar buttons, 18 frames */ {skBitmap, ELEMENT("TITLEBTN")},
    /* 6 title-bar buttons transparent */ {skFlag, {0, 0, 0, 1, 1}},
    /* 7 left title-button x offset */ {skRaw, {3, 2, 0, 0, 4}},
    /* 8 right title-button x offset */ {skRaw, {-2, -2, 0, 0, -3}},
    /* 9 title-button top */ {skRaw, {4, 5, 2, 2, 6}},
    /* 10 title bar left */ {skBitmap, ELEMENT("TITLE_LEFT")},
    /* 11 title bar middle */ {skBitmap, ELEMENT("TITLE_CLIENT")},
    /* 12 title bar right */ {skBitmap, ELEMENT("TITLE_RIGHT")},
    /* 13 form minimum width */ {skRaw, {130, 150, 130, 130, 270}},
    /* 14 form round-corner size */ {skRaw, {0, 13, 0, 0, 11}},
    /* 15 form colour */ {skColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    /* 16 form border colour */ {skColor, {0x7F7F7F, 0xC82C00, 0x000000, 0x000000, 0x000000}},
    /* 17 form border width */ {skRaw, {1, 3, 1, 1, 1}},
    /* 18 selected menu item border */ {skColor, {0xC47339, 0xC66931, 0xA04A44, 0xC4302D, 0xEC5E5E}},
    /* 19 selected menu item fill */ {skColor, {0xC47339, 0xEFD3C6, 0xA04A44, 0xC4302D, 0xEC5E5E}},
    /* 20 selected menu item font */ {skColor, {0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
    /* 21 menu item fill */ {skColor, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xE7E7E7}},
    /* 22 menu item font */ {skColor, {0x000000, 0x000000, 0x000000, 0x000000, 0x000000}},
    /* 23 menu left bar */ {skColor, {0x000000, 0xCED3D6, 0xCED3D6, 0xCED3D6, 0xCED3D6}},
    /* 24 progress bar fill */ {skBitmap, ELEMENT("PROGRESSBAR")},
    /* 25 control border */ {skColor, {0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000}},
    /* 26 control colour */ {skColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    /* 27 control font colour */ {skColor, {0x000000, 0xCF4602, 0x000000, 0x000000, 0x000000}},
    /* 28 track bar bar */ {skBitmap, ELEMENT("TRACKBAR_BAR")},
    /* 29 track bar slider */ {skBitmap, ELEMENT("TRACKBAR_SLIDER")},
    /* 30 track bar vertical slider */ {skBitmap, ELEMENT("TRACKBAR_SLIDER_V")},
    /* 31 scroll bar colour */ {skColor, {0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4}},
    /* 32 scroll bar line buttons, 6 frames */ {skBitmap, ELEMENT("SCROLLBAR_BUTTON")},
    /* 33 scroll bar track, 3 frames */ {skBitmap, ELEMENT("SCROLLBAR_TRACK")},
    /* 34 check list */ {skBitmap, ELEMENT("CHECKLIST")},
    /* 35 */ {skColor, {0x474747, 0xC66931, 0x474747, 0x474747, 0x474747}},
    /* 36 */ {skColor, {0xEFEFEF, 0xEFD3C6, 0xEFEFEF, 0xEFEFEF, 0xEFEFEF}},
    /* 37 */ {skColor, {0xD8D8D8, 0xE1AC93, 0xD8D8D8, 0xD8D8D8, 0xD8D8D8}},
    /* 38 scroll button */
    {skBitmap, NAMES("MACOS_SCROLLBUTTON", "WINXP_SCROLLBUTTON", "MORE_SCROLLBUTTON",
                     "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON")},
    /* 39 tab */ {skBitmap, ELEMENT("TAB")},
    /* 40 tab line */ {skBitmap, ELEMENT("TAB_LINE")},
    /* 41 side channel handle */ {skBitmap, ELEMENT("SIDECHENNEL_HANDLE")},
    /* 42 side channel bar */ {skBitmap, ELEMENT("SIDECHENNEL_BAR")},
    /* 43 */ {skBitmap, NAMES("", "", "", "", "")},
    /* 44 */ {skColor, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
    /* 45 */ {skBitmap, NAMES("", "", "", "", "")},
    /* 46 */ {skBitmap, NAMES("", "", "", "", "")},
    /* 47 */ {skRaw, {0, 0, 0, 0, 0}},
    /* 48 */ {skColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
};

#undef ELEMENT
#undef NAMES

}  // namespace

TSkinUIStyle OwnerFormUIStyle(forms::TComponent* owner) {
  auto* form = dynamic_cast<forms::TCustomForm*>(owner);
  if (!form) return TSkinUIStyle::DeepBlue;
  for (forms::TControl* c : form->Controls()) {
    if (std::string_view(c->ClassName()) != "TSkinForm") continue;
    forms::TPropValue v;
    if (c->GetPublished("UIStyle", &v) && std::holds_alternative<std::int64_t>(v)) {
      auto s = std::get<std::int64_t>(v);
      if (s >= 0 && s <= 5) return static_cast<TSkinUIStyle>(s);
    }
    break;
  }
  return TSkinUIStyle::DeepBlue;
}

std::intptr_t GetStyleItem(int style, int item, int& kind) {
  style &= 0x7F;
  if (style < 1 || style > 5 || item < 1 || item > kStyleItemCount) {
    kind = skRaw;
    return -1;
  }
  kind = kItems[item - 1].kind;
  return kItems[item - 1].value[style - 1];
}

forms::TColor GetStyleColor(int style, int item) {
  int kind;
  std::intptr_t v = GetStyleItem(style, item, kind);
  return kind == skColor ? static_cast<forms::TColor>(v) : 0;
}

int GetStyleFlag(int style, int item) {
  int kind;
  std::intptr_t v = GetStyleItem(style, item, kind);
  return kind == skFlag ? static_cast<int>(v) : 0;
}

int GetStyleValue(int style, int item) {
  int kind;
  std::intptr_t v = GetStyleItem(style, item, kind);
  return kind == skRaw ? static_cast<int>(v) : -1;
}

const char* GetStyleBitmapName(int style, int item) {
  int kind;
  std::intptr_t v = GetStyleItem(style, item, kind);
  return kind == skBitmap ? reinterpret_cast<const char*>(v) : nullptr;
}

void LoadStyleBitmap(int style, int item, forms::TBitmap* bitmap) {
  const char* name = GetStyleBitmapName(style, item);
  if (!bitmap || !name || !*name) return;
  bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), name);
}

void GetStyleBitmap(int style, int item, forms::TBitmap* graphic, int index, int count) {
  if (!graphic) return;
  if (count == 0) {
    LoadStyleBitmap(style, item, graphic);
    return;
  }
  forms::TBitmap whole;
  LoadStyleBitmap(style, item, &whole);
  ExtractFrame(whole, *graphic, count, index);
}

}  // namespace skin
