// The shell opener of the windows (see ShellOpen.h).
#include "frontend/win/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

#include "frontend/win/ProgramFolder.h"

namespace vardeck {

namespace {
ShellOpener& Opener() {
  static ShellOpener opener;
  return opener;
}
}  // namespace

void ShellOpen(const std::string& target) {
  if (Opener()) {
    Opener()(target);
    return;
  }
  ShellExecuteA(GetActiveWindow(), "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenProgramHelp() {
  if (HWND help = FindWindowA(nullptr, "Tolvane Help")) {
    ShowWindow(help, SW_SHOWNORMAL);
    SetActiveWindow(help);
    SetForegroundWindow(help);
    return;
  }
  const std::string path = ProgramFolder() + "Tolvane.chm";
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  ShellOpen(path);
}

ShellOpener SetShellOpener(ShellOpener opener) {
  ShellOpener old = std::move(Opener());
  Opener() = std::move(opener);
  return old;
}

}  // namespace vardeck
