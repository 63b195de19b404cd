// TColorBrush: the brush a wrapped edit or combo box answers WM_CTLCOLOR* with — made for the
// control's colours when first asked, and again after a colour change dropped it.
#pragma once

#include <windows.h>

#include "forms/Types.h"

namespace forms {

class TColorBrush {
 public:
  TColorBrush() = default;
  TColorBrush(const TColorBrush&) = delete;
  TColorBrush& operator=(const TColorBrush&) = delete;
  ~TColorBrush() { Drop(); }

  // Sets the text and back colours of the message's DC and answers with the brush.
  void Answer(TMessage& m, TColor back, TColor text) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, ColorToRGB(text));
    SetBkColor(dc, ColorToRGB(back));
    if (!brush_) brush_ = CreateSolidBrush(ColorToRGB(back));
    m.Result = reinterpret_cast<LRESULT>(brush_);
  }
  void Drop() {
    if (brush_) DeleteObject(brush_);
    brush_ = nullptr;
  }

 private:
  HBRUSH brush_ = nullptr;
};

}  // namespace forms
