// The SKIN2 key names: the record names a theme looks up in a skin's container, in four groups
// (colours, bitmaps, integers, flags) laid end to end in one array of 84 names.
#pragma once

#include "skin/SkinKeys.h"

namespace skin {

enum class Skin2Group {
  kColor,    // looked up in the integer list
  kBitmap,   // looked up in the bitmap list
  kInteger,  // looked up in the integer list
  kFlag,     // looked up in the flag list
};

constexpr int kSkin2ColorBase = 0;
constexpr int kSkin2ColorCount = 32;
constexpr int kSkin2BitmapBase = 32;
constexpr int kSkin2BitmapCount = 34;
constexpr int kSkin2IntegerBase = 66;
constexpr int kSkin2IntegerCount = 9;
constexpr int kSkin2FlagBase = 75;
constexpr int kSkin2FlagCount = 9;
constexpr int kSkin2KeyCount = 84;
static_assert(Skin2Color::Count == kSkin2ColorCount && Skin2Bitmap::Count == kSkin2BitmapCount &&
              Skin2Integer::Count == kSkin2IntegerCount && Skin2Flag::Count == kSkin2FlagCount);
static_assert(kSkin2ColorBase + kSkin2ColorCount == kSkin2BitmapBase &&
              kSkin2BitmapBase + kSkin2BitmapCount == kSkin2IntegerBase &&
              kSkin2IntegerBase + kSkin2IntegerCount == kSkin2FlagBase &&
              kSkin2FlagBase + kSkin2FlagCount == kSkin2KeyCount);

extern const char* const Skin2KeyNames[kSkin2KeyCount];

// The name of key `index` of a group: the index is masked with 0x7F and added to the group's
// base. An index that falls outside its own group names no key (nullptr) rather than a key of
// the next group or a place past the array.
const char* Skin2KeyName(Skin2Group group, int index);

}  // namespace skin
