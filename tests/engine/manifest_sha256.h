// The SHA-256 of every file in a volume builder's JSON manifest (tools/fatvol and
// tools/ntfsvol both write one object per file, with "path" and "sha256" among its flat
// fields), and the same digest of saved bytes, so a saved file is checked against what the
// builder itself wrote rather than against a rebuilt copy.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/engine/save_builder_content.h"

namespace manifest_sha256 {

// The JSON string that starts at text[at] (just past its opening quote), unescaped to UTF-8.
inline std::string JsonString(const std::string& text, size_t at) {
  std::string out;
  auto put = [&out](uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  while (at < text.size() && text[at] != '"') {
    char c = text[at++];
    if (c != '\\' || at >= text.size()) {
      out += c;
      continue;
    }
    char e = text[at++];
    if (e == 'u' && at + 4 <= text.size()) {
      uint32_t unit = std::stoul(text.substr(at, 4), nullptr, 16);
      at += 4;
      if (unit >= 0xD800 && unit <= 0xDBFF && at + 6 <= text.size() && text[at] == '\\' &&
          text[at + 1] == 'u') {
        uint32_t low = std::stoul(text.substr(at + 2, 4), nullptr, 16);
        at += 6;
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      }
      put(unit);
    } else {
      out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    }
  }
  return out;
}

// path -> lower-case hex digest, for every object that has both fields.
inline std::map<std::string, std::string> Read(const std::string& json_path) {
  std::ifstream in(json_path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string text = all.str();
  std::map<std::string, std::string> out;
  for (size_t open = text.find('{', 1); open != std::string::npos;
       open = text.find('{', open + 1)) {
    size_t close = text.find('}', open);
    std::string object = text.substr(open, close == std::string::npos ? std::string::npos
                                                                      : close - open);
    size_t path = object.find("\"path\": \"");
    size_t sha = object.find("\"sha256\": \"");
    if (path == std::string::npos || sha == std::string::npos) continue;
    out[JsonString(object, path + 9)] = JsonString(object, sha + 11);
  }
  return out;
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
  auto digest = scavrel::fat::testing::Sha256(std::string(bytes.begin(), bytes.end()));
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : digest) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace manifest_sha256
