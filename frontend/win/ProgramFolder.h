// The folder of the running program, where Lang.rec and the help file are installed.
#pragma once

#include <string>

namespace vardeck {

// The folder with its trailing backslash; empty when the system cannot tell.
std::string ProgramFolder();

}  // namespace vardeck
