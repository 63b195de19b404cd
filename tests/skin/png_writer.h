// Writes a bitmap as a PNG file (stored, uncompressed deflate blocks) so that test pictures can
// be looked at without further tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "forms/Bitmap.h"

namespace tolvane_test {

inline std::uint32_t Crc32(const std::uint8_t* p, size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline bool WritePng(const forms::TBitmap& bmp, const std::string& path) {
  const int w = bmp.Width(), h = bmp.Height();
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < w; ++x) {
      auto c = static_cast<std::uint32_t>(bmp.GetPixel(x, y));
      raw.push_back(c & 0xFF);
      raw.push_back((c >> 8) & 0xFF);
      raw.push_back((c >> 16) & 0xFF);
    }
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (size_t at = 0; at < raw.size() || at == 0;) {
    size_t n = std::min<size_t>(65535, raw.size() - at);
    bool last = at + n >= raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  std::uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) z.push_back((adler >> s) & 0xFF);

  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
    std::uint32_t n = static_cast<std::uint32_t>(data.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back((n >> s) & 0xFF);
    std::vector<std::uint8_t> td(type, type + 4);
    td.insert(td.end(), data.begin(), data.end());
    out.insert(out.end(), td.begin(), td.end());
    std::uint32_t crc = Crc32(td.data(), td.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back((crc >> s) & 0xFF);
  };
  std::vector<std::uint8_t> ihdr;
  for (int v : {w, h})
    for (int s = 24; s >= 0; s -= 8) ihdr.push_back((static_cast<std::uint32_t>(v) >> s) & 0xFF);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk("IHDR", ihdr);
  chunk("IDAT", z);
  chunk("IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace tolvane_test
