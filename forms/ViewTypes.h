// Types shared by the wrapped list and tree views: custom-draw stages and item states, hit-test
// results, and what changed in an item.
#pragma once

#include "forms/Types.h"

namespace forms {

enum class TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };

// The state of an item being drawn, as a bit set.
enum TCustomDrawStateFlag : unsigned {
  cdsSelected = 1, cdsGrayed = 2, cdsDisabled = 4, cdsChecked = 8, cdsFocused = 16,
  cdsDefault = 32, cdsHot = 64, cdsMarked = 128, cdsIndeterminate = 256
};
using TCustomDrawState = unsigned;

// Where a point lies relative to the items, as a bit set; htOnItem is set with any of the
// item's parts (icon, label, state icon).
enum THitTestFlag : unsigned {
  htAbove = 1, htBelow = 2, htNowhere = 4, htOnItem = 8, htOnButton = 16, htOnIcon = 32,
  htOnIndent = 64, htOnLabel = 128, htOnRight = 256, htOnStateIcon = 512, htToLeft = 1024,
  htToRight = 2048
};
using THitTests = unsigned;

enum class TItemChange { ctText, ctImage, ctState };

// What a find in an owner-data list looks for: the program's data, a caption that starts with
// the text, a caption equal to it, or the row nearest a point.
enum class TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum class TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
// The states of a row, as a bit set.
enum TItemStateFlag : unsigned {
  isCut = 1, isDropHilited = 2, isFocused = 4, isSelected = 8, isActivating = 16
};
using TItemStates = unsigned;
// The row states a list view reports in its LVIS_* bits.
TItemStates ItemStatesOf(UINT lvis);

// The custom-draw item state bits of the system, as the events see them.
TCustomDrawState CustomDrawStateOf(UINT item_state);

}  // namespace forms
