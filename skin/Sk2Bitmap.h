// Bitmaps of a skin container: each record holds a complete Windows bitmap file, kept as it was
// stored and decoded into top-down 0x00RRGGBB pixels (the memory order of a 32-bit DIB).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

struct SkinBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;     // width * height, first row at the top
  std::vector<uint8_t> file_bytes;  // the bitmap file as the record held it

  uint32_t Pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The most pixels one bitmap record may claim (2048 x 2048, 16 MiB decoded).
constexpr int64_t kMaxSkinBitmapPixels = int64_t{1} << 22;

// Decodes an uncompressed bitmap file (core or info header; 1, 4, 8, 16, 24 or 32 bits, with
// or without bit-field masks). False for anything else or for data that does not fit the
// given bytes; out is then left empty.
bool DecodeBmp(const uint8_t* data, std::size_t size, SkinBitmap* out);

}  // namespace skin
