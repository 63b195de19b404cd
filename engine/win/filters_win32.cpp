// The filters' platform in Scavrel.dll: the system's ANSI code page and current time-zone
// rule. Installed when the library loads.
#include <windows.h>

#include "engine/filters.h"
#include "engine/win/out_text.h"

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

  bool IsLeadByte(uint8_t byte) const override { return IsDBCSLeadByte(byte) != 0; }

  // The code page's own case rules (accented letters included), through wide text, so that
  // trail bytes are never changed on their own.
  std::string UpperCase(const std::string& text) const override {
    if (text.empty()) return text;
    std::string out = text;
    CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
  }

  std::string WideToAnsi(const char16_t* text) const override {
    return scavrel::WideToAnsi(text);
  }
};

const Win32FilterPlatform g_win32_filter_platform;
const bool g_filter_platform_installed = [] {
  SetFilterPlatform(&g_win32_filter_platform);
  return true;
}();

}  // namespace
}  // namespace scavrel
