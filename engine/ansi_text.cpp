// The code-page seam and its portable Windows-1252 code page.
#include "engine/ansi_text.h"

#include <atomic>

namespace scavrel {
namespace {

// Windows-1252 0x80-0x9F; the five unassigned bytes map to the C1 controls as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const AnsiCodePage kPortableCodePage;
std::atomic<const AnsiCodePage*> g_code_page{nullptr};

}  // namespace

std::u16string AnsiCodePage::ToWide(const std::string& text) const {
  std::u16string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto b = static_cast<uint8_t>(ch);
    out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return out;
}

std::string AnsiCodePage::FromWide(const std::u16string& text) const {
  std::string out;
  out.reserve(text.size());
  for (char16_t u : text) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == u) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    out.push_back(mapped);
  }
  return out;
}

std::string AnsiCodePage::UpperCase(const std::string& text) const {
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    auto byte = static_cast<uint8_t>(out[i]);
    if (IsLeadByte(byte)) {
      ++i;  // the trail byte may look like an ASCII letter; it is part of another character
      continue;
    }
    if (byte >= 'a' && byte <= 'z') out[i] = static_cast<char>(byte - 'a' + 'A');
  }
  return out;
}

const AnsiCodePage& CurrentAnsiCodePage() {
  const AnsiCodePage* code_page = g_code_page.load(std::memory_order_acquire);
  return code_page != nullptr ? *code_page : kPortableCodePage;
}

void SetAnsiCodePage(const AnsiCodePage* code_page) {
  g_code_page.store(code_page, std::memory_order_release);
}

std::u16string AnsiToWide(const std::string& text) { return CurrentAnsiCodePage().ToWide(text); }

std::string WideToAnsi(const std::u16string& text) {
  return CurrentAnsiCodePage().FromWide(text);
}

std::string WideToAnsi(const char16_t* text) {
  if (text == nullptr) return std::string();
  return WideToAnsi(std::u16string(text));
}

}  // namespace scavrel
