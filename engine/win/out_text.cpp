// Bounded text copies for the exported interface.
#include "engine/win/out_text.h"

#include <windows.h>

#include <cstring>

#include "engine/found_tree.h"

namespace scavrel {

void CopyTextToBuffer(char* buffer, size_t capacity, const std::string& text) {
  if (buffer == nullptr || capacity == 0) return;
  size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

void CopyOutText(scavrel_api::OutText out, const std::string& text, size_t capacity) {
  if (out == nullptr) return;
  CopyTextToBuffer(*out, capacity, text);
}

std::string WideToAnsi(const char16_t* text) {
  size_t length = WideNameLength(text);
  if (length == 0) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text);
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0,
                                  nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), out.data(), bytes, nullptr,
                      nullptr);
  return out;
}

}  // namespace scavrel
