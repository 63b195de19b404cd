// The system's ANSI code page for the engine's texts in Scavrel.dll (short names, progress
// texts, filter names, destinations). Installed when the library loads.
#include <windows.h>

#include "engine/ansi_text.h"

namespace scavrel {
namespace {

class Win32AnsiCodePage : public AnsiCodePage {
 public:
  std::u16string ToWide(const std::string& text) const override {
    if (text.empty()) return std::u16string();
    int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
    if (units <= 0) return AnsiCodePage::ToWide(text);
    std::u16string out(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(out.data()), units);
    return out;
  }

  std::string FromWide(const std::u16string& text) const override {
    if (text.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
    if (bytes <= 0) return AnsiCodePage::FromWide(text);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), bytes,
                        nullptr, nullptr);
    return out;
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
};

const Win32AnsiCodePage g_win32_code_page;
const bool g_code_page_installed = [] {
  SetAnsiCodePage(&g_win32_code_page);
  return true;
}();

}  // namespace
}  // namespace scavrel
