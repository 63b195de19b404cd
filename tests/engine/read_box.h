// The "Read" message box that a worker thread raises when a volume read fails, as a test
// finds it: a top-level dialog of this process captioned "Read", its text, and the system's
// text for the failure it reports.
#pragma once

#include <windows.h>

#include <string>

namespace scavrel::testing {

struct BoxSearch {
  HWND found = nullptr;
};

inline BOOL CALLBACK FindReadBox(HWND window, LPARAM parameter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  char class_name[64] = {};
  char caption[64] = {};
  GetClassNameA(window, class_name, sizeof(class_name));
  GetWindowTextA(window, caption, sizeof(caption));
  if (std::string(class_name) == "#32770" && std::string(caption) == "Read") {
    reinterpret_cast<BoxSearch*>(parameter)->found = window;
    return FALSE;
  }
  return TRUE;
}

inline HWND FindReadBoxWindow() {
  BoxSearch search;
  EnumWindows(&FindReadBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits up to `limit_ms` for `finished()`, pressing OK on every "Read" box meanwhile: a box that
// a failed test left up would keep the worker, and so the process, from ending.
template <typename Finished>
void WaitClosingReadBoxes(Finished finished, DWORD limit_ms) {
  DWORD start = GetTickCount();
  while (!finished() && GetTickCount() - start < limit_ms) {
    if (HWND box = FindReadBoxWindow()) PostMessageA(box, WM_COMMAND, IDOK, 0);
    Sleep(5);
  }
}

inline std::string MessageText(DWORD code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
      0, nullptr);
  std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : "";
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The static control of a message box that carries its text (the same id on Windows and Wine).
constexpr int kMessageTextId = 0xFFFF;

// The box's text without its trailing line ends.
inline std::string ReadBoxText(HWND box) {
  char text[512] = {};
  GetDlgItemTextA(box, kMessageTextId, text, sizeof(text));
  std::string shown = text;
  while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
  return shown;
}

}  // namespace scavrel::testing
