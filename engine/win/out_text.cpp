// Bounded text copies for the exported interface.
#include "engine/win/out_text.h"

#include <algorithm>
#include <cstring>

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

}  // namespace scavrel
