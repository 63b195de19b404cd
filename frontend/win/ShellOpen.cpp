// The shell opener of the windows (see ShellOpen.h).
#include "frontend/win/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

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

ShellOpener SetShellOpener(ShellOpener opener) {
  ShellOpener old = std::move(Opener());
  Opener() = std::move(opener);
  return old;
}

}  // namespace vardeck
