// TCustomDrawFonts: the fonts that custom-draw events of a list or tree view chose for their
// items during one paint. A system view may leave an item's font selected in its paint DC, so
// each font lives until the next paint begins instead of going when the event's canvas font
// changes.
#pragma once

#include <memory>
#include <vector>

#include "forms/Font.h"

namespace forms {

class TCustomDrawFonts : public TObject {
 public:
  // A font like `font` for this paint.
  HFONT Get(const TFont& font);
  // A new paint begins: the fonts of the last one go.
  void Clear() { fonts_.clear(); }

 private:
  std::vector<std::unique_ptr<TFont>> fonts_;
};

}  // namespace forms
