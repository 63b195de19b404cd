// Pictures for the list and tree view tests: item pictures (a file, an open and a closed
// folder) and check-box state pictures, drawn by hand so that a look at a test picture shows
// at once which is which.
#pragma once

#include "forms/Bitmap.h"
#include "forms/ImageList.h"

namespace tolvane_test {

// Pictures 0 (file) and 1, 2 (open and closed folder).
inline void FillItemPictures(forms::TImageList& list) {
  forms::TBitmap strip(48, 16);
  forms::TCanvas& c = strip.Canvas();
  c.Brush.Color = forms::clFuchsia;
  c.FillRect(RECT{0, 0, 48, 16});
  // A page with a folded corner.
  c.Brush.Color = 0x606060;
  c.FillRect(RECT{3, 1, 13, 15});
  c.Brush.Color = 0xFFFFFF;
  c.FillRect(RECT{4, 2, 12, 14});
  c.Brush.Color = 0xB0B0B0;
  c.FillRect(RECT{9, 2, 12, 5});
  // Folders: a tab and a body.
  for (int i = 1; i <= 2; ++i) {
    int x = i * 16;
    c.Brush.Color = 0x1870B0;
    c.FillRect(RECT{x + 1, 3, x + 7, 5});
    c.FillRect(RECT{x + 1, 4, x + 15, 14});
    c.Brush.Color = i == 1 ? 0x60D8F8 : 0x40C0F0;
    c.FillRect(RECT{x + 2, i == 1 ? 7 : 5, x + 14, 13});
  }
  list.AddMasked(strip, forms::clFuchsia);
}

// State pictures 1 unchecked, 2 mixed, 3 checked (0 unused: a tree cannot show it).
inline void FillCheckPictures(forms::TImageList& list) {
  forms::TBitmap strip(64, 16);
  forms::TCanvas& c = strip.Canvas();
  c.Brush.Color = forms::clFuchsia;
  c.FillRect(RECT{0, 0, 64, 16});
  for (int i = 1; i <= 3; ++i) {
    int x = i * 16;
    c.Brush.Color = 0x404040;
    c.FillRect(RECT{x + 2, 2, x + 14, 14});
    c.Brush.Color = 0xFFFFFF;
    c.FillRect(RECT{x + 3, 3, x + 13, 13});
    if (i == 2) {
      c.Brush.Color = 0x909090;
      c.FillRect(RECT{x + 5, 5, x + 11, 11});
    }
    if (i == 3) {
      for (int k = 0; k < 3; ++k) {
        c.SetPixel(x + 5 + k, 7 + k, 0x000000);
        c.SetPixel(x + 5 + k, 8 + k, 0x000000);
      }
      for (int k = 0; k < 5; ++k) {
        c.SetPixel(x + 8 + k, 8 - k, 0x000000);
        c.SetPixel(x + 8 + k, 9 - k, 0x000000);
      }
    }
  }
  list.AddMasked(strip, forms::clFuchsia);
}

}  // namespace tolvane_test
