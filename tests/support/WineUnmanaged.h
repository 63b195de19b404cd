// Included by a window test whose windows Wine's X11 driver is to leave unmanaged (see
// UnmanageWineWindows): the setting is written as the program starts, before any window.
#pragma once

#include "tests/support/WindowRobot.h"

namespace tolvane_test {

inline const bool kWineUnmanaged = UnmanageWineWindows();

}  // namespace tolvane_test
