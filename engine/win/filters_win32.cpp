// The filters' platform in Scavrel.dll: the system's current time-zone rule (the code page is
// the engine's, engine/win/ansi_text_win32.cpp). Installed when the library loads.
#include <windows.h>

#include "engine/filters.h"

namespace scavrel {
namespace {

class Win32FilterPlatform : public FilterPlatform {
 public:
  // FileTimeToLocalFileTime applies the bias in force now (daylight saving included), the
  // same rule the front end's time texts use.
  uint64_t UtcToLocal(uint64_t utc) const override {
    FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    FILETIME out{};
    if (!FileTimeToLocalFileTime(&in, &out)) return utc;
    return (static_cast<uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
  }
};

const Win32FilterPlatform g_win32_filter_platform;
const bool g_filter_platform_installed = [] {
  SetFilterPlatform(&g_win32_filter_platform);
  return true;
}();

}  // namespace
}  // namespace scavrel
