// TSizeConstraints: limits kept and applied; a change is announced so that the form can
// bring its present size inside them at once.
#include "forms/SizeConstraints.h"

#include <algorithm>

namespace forms {

void TSizeConstraints::Set(int& field, int v) {
  if (v < 0) v = 0;
  if (v == field) return;
  field = v;
  if (OnChange) OnChange(this);
}

void TSizeConstraints::Apply(int& w, int& h) const {
  if (max_width_ > 0) w = std::min(w, max_width_);
  if (max_height_ > 0) h = std::min(h, max_height_);
  if (min_width_ > 0) w = std::max(w, min_width_);
  if (min_height_ > 0) h = std::max(h, min_height_);
}

}  // namespace forms
