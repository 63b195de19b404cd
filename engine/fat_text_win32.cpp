// The FAT scan's text codec in Scavrel.dll: short names and the progress text in the system's
// ANSI code page. Installed when the library loads.
#include <windows.h>

#include "engine/fat_names.h"

namespace scavrel::fat {
namespace {

class Win32FatTextCodec : public FatTextCodec {
 public:
  std::u16string AnsiToWide(const std::string& text) const override {
    if (text.empty()) return std::u16string();
    int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
    if (units <= 0) return FatTextCodec::AnsiToWide(text);
    std::u16string out(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(out.data()), units);
    return out;
  }

  std::string WideToAnsi(const std::u16string& text) const override {
    if (text.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
    if (bytes <= 0) return FatTextCodec::WideToAnsi(text);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), bytes,
                        nullptr, nullptr);
    return out;
  }
};

const Win32FatTextCodec g_win32_codec;
const bool g_codec_installed = [] {
  SetFatTextCodec(&g_win32_codec);
  return true;
}();

}  // namespace
}  // namespace scavrel::fat
