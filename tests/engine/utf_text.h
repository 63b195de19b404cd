// UTF-16 names of the found tree as UTF-8 text and back, for tests and bench tools that compare
// them with the builders' manifests (which are UTF-8). A high surrogate pairs only with a low
// one that follows; anything else is written on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace utf_text {

inline std::string Utf8(const char16_t* text, size_t length) {
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

inline std::string Utf8(const std::u16string& text) { return Utf8(text.data(), text.size()); }

// A name slot may be empty (null).
inline std::string Utf8(const char16_t* text) {
  return text == nullptr ? std::string() : Utf8(text, std::char_traits<char16_t>::length(text));
}

inline std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = static_cast<uint8_t>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 0 ? 0x7F : (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace utf_text
