// The five built-in looks: the style enumeration, the table of 48 items per style (raw values,
// colours, resource bitmap names, flags) and its lookups, and how a control picks its
// starting style from its owner form's frame.
#pragma once

#include <cstdint>

#include "forms/Forms.h"

namespace skin {

enum class TSkinUIStyle : unsigned char {
  FromThemeFile = 0,
  MacOS = 1,
  WinXP = 2,
  DeepBlue = 3,
  Protein = 4,
  BlueGlass = 5,
};

// Item kinds of the built-in table.
enum TStyleItemKind : int { skRaw = 0, skColor = 1, skBitmap = 2, skFlag = 3 };

constexpr int kStyleItemCount = 48;

// The UIStyle of the first frame control (class TSkinForm) among the owner form's controls;
// DeepBlue for a nil owner, a non-form owner or a form without one.
TSkinUIStyle OwnerFormUIStyle(forms::TComponent* owner);

// Item `item` (1..48) of `style` (masked with 0x7F): its value and kind; styles other than
// 1..5 and items outside the table give kind 0 and -1. A bitmap item's value is the address
// of its resource name.
std::intptr_t GetStyleItem(int style, int item, int& kind);
forms::TColor GetStyleColor(int style, int item);
int GetStyleFlag(int style, int item);
int GetStyleValue(int style, int item);
// The resource name of a bitmap item, or nullptr.
const char* GetStyleBitmapName(int style, int item);
void LoadStyleBitmap(int style, int item, forms::TBitmap* bitmap);
// Count 0: the whole bitmap; otherwise frame `index` (1-based) of `count`.
void GetStyleBitmap(int style, int item, forms::TBitmap* graphic, int index, int count);

inline int StyleIndex(TSkinUIStyle s) { return static_cast<int>(s); }

}  // namespace skin
