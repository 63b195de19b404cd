// What the windows hand the shell to open (the home page, the help file), through one
// replaceable function, so that tests see what would be opened instead of starting a browser.
#pragma once

#include <functional>
#include <string>

namespace vardeck {

using ShellOpener = std::function<void(const std::string& target)>;

// Opens the target with the shell's "open" verb, normal window, the given window as owner.
void ShellOpen(const std::string& target);
// The help: a window titled "Tolvane Help" when one is open (shown, activated, brought to the
// foreground), else Tolvane.chm in the program's folder through the opener. A missing help
// file is not handed to the shell, which would offer to search for a program for it.
void OpenProgramHelp();

// Replaces the opener (nil: the shell again); returns the one it replaced.
ShellOpener SetShellOpener(ShellOpener opener);

}  // namespace vardeck
