// Starting Vardeck.exe from a test, in the test's own Wine session: the process, its visible
// top-level windows and its end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

namespace tolvane_test {

// Vardeck.exe's windows are, like the tests' own, not handed to a window manager (there is
// none on the test display; see tests/support/WineUnmanaged.h).
inline void UnmanageVardeckWindows() {
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Vardeck.exe\\X11 Driver", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(k, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(k);
}

class VardeckProcess {
 public:
  // Starts `exe` (Vardeck.exe in the test's folder unless told otherwise).
  explicit VardeckProcess(const std::string& exe = "Vardeck.exe") {
    UnmanageVardeckWindows();
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + exe + "\"";
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi_) != 0;
  }
  ~VardeckProcess() {
    if (!started_) return;
    if (Running()) TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 10000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  VardeckProcess(const VardeckProcess&) = delete;
  VardeckProcess& operator=(const VardeckProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return pi_.dwProcessId; }
  bool Running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  // Waits for the process to end; its exit code, or STILL_ACTIVE after the time.
  DWORD WaitForExit(DWORD ms) const {
    if (!started_) return STILL_ACTIVE;
    WaitForSingleObject(pi_.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

  // The visible top-level windows of the process with this title.
  std::vector<HWND> VisibleWindows(const std::string& title) const {
    Search s{pi_.dwProcessId, &title, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  // Waits up to `ms` (stretched with the machine's load) for a visible window with the
  // title; nil when none came or the program ended.
  HWND WaitForWindow(const std::string& title, DWORD ms) const {
    HWND found = nullptr;
    WaitFor([&] {
      std::vector<HWND> w = VisibleWindows(title);
      if (!w.empty()) found = w.front();
      return found || !Running();
    }, ms);
    return found;
  }

 private:
  struct Search {
    DWORD pid;
    const std::string* title;
    std::vector<HWND> found;
  };
  // EnumWindows' callback: a named CALLBACK function, which the 32-bit build needs.
  static BOOL CALLBACK CollectVisible(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<Search*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    if (pid == s->pid && IsWindowVisible(w) && *s->title == text) s->found.push_back(w);
    return TRUE;
  }

  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

}  // namespace tolvane_test
