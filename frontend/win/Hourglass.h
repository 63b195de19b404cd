// The wait cursor for as long as a long step of the GUI thread runs.
#pragma once

#include "forms/Forms.h"

namespace vardeck {

struct Hourglass {
  Hourglass() { forms::Screen()->SetCursor(forms::crHourGlass); }
  ~Hourglass() { forms::Screen()->SetCursor(forms::crDefault); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;
};

}  // namespace vardeck
