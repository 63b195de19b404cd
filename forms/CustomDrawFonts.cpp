// TCustomDrawFonts: one font per description per paint.
#include "forms/CustomDrawFonts.h"

namespace forms {

HFONT TCustomDrawFonts::Get(const TFont& font) {
  for (auto& f : fonts_)
    if (f->Equals(font)) return f->Handle();
  fonts_.push_back(std::make_unique<TFont>());
  fonts_.back()->Assign(font);
  return fonts_.back()->Handle();
}

}  // namespace forms
