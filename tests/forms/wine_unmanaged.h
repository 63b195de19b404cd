// GUI tests run under Wine on an X server without a window manager. Wine treats an activated
// window as managed and, when it hides one, waits two seconds for a window manager that never
// answers. Before the first window exists, this tells Wine's X11 driver (for this executable
// only) to manage no windows. Under Windows nothing is written.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane_test {

inline bool UnmanageWineWindows() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path, n);
  exe = exe.substr(exe.find_last_of("\\/") + 1);
  std::string key = "Software\\Wine\\AppDefaults\\" + exe + "\\X11 Driver";
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return false;
  RegSetValueExA(k, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(k);
  return true;
}

inline const bool kWineUnmanaged = UnmanageWineWindows();

}  // namespace tolvane_test
