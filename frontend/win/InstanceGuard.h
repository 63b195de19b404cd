// The single-instance guard: a named 4-byte file mapping that holds the first instance's
// application window. A later start finds it there, brings the first instance back to the
// front and ends without windows.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vardeck {

inline constexpr const char* kInstanceMappingName = "{CAF49BBB-AF40-4FDE-8757-51D5AEB5BBBF}";

// The mapping keeps 32 bits of a window handle: Windows keeps window handles within 32 bits
// (so that 32- and 64-bit programs can share them), and a 64-bit handle is its low half
// sign-extended.
uint32_t StoredWindowValue(HWND window);
HWND WindowFromStoredValue(uint32_t value);

class InstanceGuard {
 public:
  // Opens the mapping or creates it (holding 0); without a view the guard is off.
  InstanceGuard();
  ~InstanceGuard();
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  bool Active() const { return view_ != nullptr; }
  // True when another instance owns the mapping (it has been restored and brought forward,
  // and this one must create no windows); false when this one may go on, having stored its
  // own application window. A stored handle that names no live application window of this
  // program (its instance ended abnormally) is taken over.
  bool Check(HWND own_application_window);

 private:
  HANDLE mapping_ = nullptr;
  volatile uint32_t* view_ = nullptr;
  HWND own_ = nullptr;
};

// How a later start hands the foreground to the first instance (AllowSetForegroundWindow);
// tests put a recorder here.
using AllowForegroundFunction = BOOL(WINAPI*)(DWORD process_id);
extern AllowForegroundFunction g_allow_foreground;

// How long a second start waits for the first instance to answer its restore: a first
// instance that hangs must not hang the second.
inline constexpr UINT kRestoreTimeoutMs = 2000;

}  // namespace vardeck
