// The maker's scroll bar, which the maker's list and tree views lay over their own scroll
// bars and keep in step with them. It is the skinned scroll bar under a class name of its
// own (forms and views refer to it by that name) and without LastChange.
#pragma once

#include "skin/SkinScrollBar.h"

namespace skin {

class TQzScrollBar : public TSkinCustomScrollBar {
 public:
  explicit TQzScrollBar(forms::TComponent* owner) : TSkinCustomScrollBar(owner) {}
  const char* ClassName() const override { return "TQzScrollBar"; }
};

}  // namespace skin
