// A system image list (HIMAGELIST) copied from a TImageList, for the system controls that draw
// item pictures themselves (list and tree views). The copy is taken when made: images added to
// the TImageList later need a new copy.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "forms/ImageList.h"

namespace forms {

// Nil for an empty or unusable list. The caller destroys it (ImageList_Destroy).
HIMAGELIST CreateSystemImageList(const TImageList& images);

}  // namespace forms
