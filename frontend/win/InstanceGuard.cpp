// The single-instance guard (see InstanceGuard.h).
#include "frontend/win/InstanceGuard.h"

#include <cstring>

namespace vardeck {

namespace {

// The class of the framework's hidden application window: a stored handle that now names
// some other window (handles are reused) must not be restored.
constexpr const char* kApplicationWindowClass = "TolvaneApplication";

bool IsApplicationWindow(HWND window) {
  if (!window || !IsWindow(window)) return false;
  char name[64] = {};
  if (!GetClassNameA(window, name, sizeof name)) return false;
  return std::strcmp(name, kApplicationWindowClass) == 0;
}

}  // namespace

AllowForegroundFunction g_allow_foreground = &AllowSetForegroundWindow;

uint32_t StoredWindowValue(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

HWND WindowFromStoredValue(uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

InstanceGuard::InstanceGuard() {
  mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kInstanceMappingName);
  bool created = false;
  if (!mapping_) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(uint32_t), kInstanceMappingName);
    created = mapping_ != nullptr;
  }
  if (!mapping_) return;
  view_ = static_cast<volatile uint32_t*>(
      MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
  if (!view_) {
    CloseHandle(mapping_);
    mapping_ = nullptr;
    return;
  }
  // A mapping opened the moment after another start created it may find this too; writing 0
  // again changes nothing the other start has not yet relied on.
  if (created) *view_ = 0;
}

InstanceGuard::~InstanceGuard() {
  if (view_) {
    // The next start must not find a handle that is about to die.
    if (own_ && *view_ == StoredWindowValue(own_)) *view_ = 0;
    UnmapViewOfFile(const_cast<uint32_t*>(view_));
  }
  if (mapping_) CloseHandle(mapping_);
}

bool InstanceGuard::Check(HWND own_application_window) {
  if (!view_) return false;
  const uint32_t stored = *view_;
  HWND first = WindowFromStoredValue(stored);
  if (stored == 0 || first == own_application_window || !IsApplicationWindow(first)) {
    *view_ = StoredWindowValue(own_application_window);
    own_ = own_application_window;
    return false;
  }
  // Windows lets only the foreground process give the foreground away, and that is this start,
  // which the user has just launched: without its leave the first instance's own restore may
  // only flash its taskbar button. The leave must come before the restore is sent.
  DWORD first_process = 0;
  GetWindowThreadProcessId(first, &first_process);
  if (first_process != 0) g_allow_foreground(first_process);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(first, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                      kRestoreTimeoutMs, &ignored);
  HWND popup = GetLastActivePopup(first);
  if (popup && popup != first && IsWindowVisible(popup) && IsWindowEnabled(popup))
    SetForegroundWindow(popup);
  return true;
}

}  // namespace vardeck
