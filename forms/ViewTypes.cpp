// The system's custom-draw item state bits translated for the view events.
#include "forms/ViewTypes.h"

#include <windows.h>
#include <commctrl.h>

namespace forms {

TCustomDrawState CustomDrawStateOf(UINT s) {
  TCustomDrawState r = 0;
  if (s & CDIS_SELECTED) r |= cdsSelected;
  if (s & CDIS_GRAYED) r |= cdsGrayed;
  if (s & CDIS_DISABLED) r |= cdsDisabled;
  if (s & CDIS_CHECKED) r |= cdsChecked;
  if (s & CDIS_FOCUS) r |= cdsFocused;
  if (s & CDIS_DEFAULT) r |= cdsDefault;
  if (s & CDIS_HOT) r |= cdsHot;
  if (s & CDIS_MARKED) r |= cdsMarked;
  if (s & CDIS_INDETERMINATE) r |= cdsIndeterminate;
  return r;
}

TItemStates ItemStatesOf(UINT s) {
  TItemStates r = 0;
  if (s & LVIS_CUT) r |= isCut;
  if (s & LVIS_DROPHILITED) r |= isDropHilited;
  if (s & LVIS_FOCUSED) r |= isFocused;
  if (s & LVIS_SELECTED) r |= isSelected;
  if (s & LVIS_ACTIVATING) r |= isActivating;
  return r;
}

}  // namespace forms
