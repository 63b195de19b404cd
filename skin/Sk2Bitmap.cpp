// Windows bitmap files to pixels, bounded by the record's own size.
//
// BITMAPFILEHEADER (14 bytes): 0 "BM", 2 file size, 6 reserved, 10 offset of the pixel rows.
// BITMAPCOREHEADER (12 bytes, at 14): 4 width (16), 6 height (16), 8 planes, 10 bit count;
//   RGB triples follow.
// BITMAPINFOHEADER (40 bytes or a longer version, at 14): 4 width, 8 height (negative: rows
//   top-down), 12 planes, 14 bit count, 16 compression (0 RGB, 3 bit fields), 32 colours used;
//   a 40-byte header with bit fields is followed by three masks, longer ones hold them at 40;
//   RGBQUAD entries follow the header (and masks).
#include "skin/Sk2Bitmap.h"

#include <bit>
#include <cstdlib>

namespace skin {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// Larger pictures are no skin part. The rows must lie in the record's bytes, but at one bit a
// pixel 32 MiB of rows still claim 16384 x 16384 pixels, a 1 GiB picture from an archive of a
// few KiB (its rows deflate to almost nothing): a record may claim kMaxSkinBitmapPixels at most.
constexpr int64_t kMaxSide = 16384;

uint32_t Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Scales the bits of value under mask to 0..255.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int width = std::popcount(mask >> shift);
  uint32_t v = (value & mask) >> shift;
  uint32_t max = (width >= 32) ? 0xFFFFFFFFu : ((1u << width) - 1);
  return static_cast<uint32_t>((uint64_t{v} * 255 + max / 2) / max);
}

}  // namespace

bool DecodeBmp(const uint8_t* data, std::size_t size, SkinBitmap* out) {
  *out = SkinBitmap{};
  if (size < kFileHeaderSize + 12 || data[0] != 'B' || data[1] != 'M') return false;
  uint32_t pixel_offset = Le32(data + 10);
  const uint8_t* info = data + kFileHeaderSize;
  uint32_t header_size = Le32(info);
  if (header_size > size - kFileHeaderSize) return false;

  int64_t width, height;
  uint32_t bit_count, compression = kBiRgb, colours_used = 0;
  std::size_t palette_entry;
  if (header_size == 12) {
    width = Le16(info + 4);
    height = Le16(info + 6);  // unsigned: core bitmaps are always bottom-up
    bit_count = Le16(info + 10);
    palette_entry = 3;
  } else if (header_size >= 40) {
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    bit_count = Le16(info + 14);
    compression = Le32(info + 16);
    colours_used = Le32(info + 32);
    palette_entry = 4;
  } else {
    return false;
  }
  bool top_down = height < 0;
  height = std::llabs(height);
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  if (width * height > kMaxSkinBitmapPixels) return false;

  uint32_t masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
  if (bit_count == 16) {
    masks[0] = 0x7C00u;
    masks[1] = 0x03E0u;
    masks[2] = 0x001Fu;
  }
  std::size_t tables = kFileHeaderSize + header_size;
  if (compression == kBiBitfields) {
    if (bit_count != 16 && bit_count != 32) return false;
    const uint8_t* m = info + 40;
    if (header_size == 40) {
      if (size - tables < 12) return false;
      tables += 12;
    } else if (header_size < 52) {
      return false;
    }
    for (int i = 0; i < 3; ++i) masks[i] = Le32(m + 4 * i);
  } else if (compression != kBiRgb) {
    return false;
  }

  std::vector<uint32_t> palette;
  if (bit_count == 1 || bit_count == 4 || bit_count == 8) {
    uint64_t count = colours_used != 0 ? colours_used : (uint64_t{1} << bit_count);
    if (count > 256) count = 256;
    if (count * palette_entry > size - tables) return false;
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* e = data + tables + i * palette_entry;
      palette.push_back((uint32_t{e[2]} << 16) | (uint32_t{e[1]} << 8) | e[0]);
    }
  } else if (bit_count != 16 && bit_count != 24 && bit_count != 32) {
    return false;
  }

  uint64_t stride = ((static_cast<uint64_t>(width) * bit_count + 31) / 32) * 4;
  if (pixel_offset > size || stride * static_cast<uint64_t>(height) > size - pixel_offset) {
    return false;
  }

  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->pixels.resize(static_cast<std::size_t>(width * height));
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* src = data + pixel_offset + stride * static_cast<uint64_t>(row);
    int64_t y = top_down ? row : height - 1 - row;
    uint32_t* dst = out->pixels.data() + y * width;
    for (int64_t x = 0; x < width; ++x) {
      uint32_t colour;
      switch (bit_count) {
        case 1:
        case 4:
        case 8: {
          uint64_t bit = static_cast<uint64_t>(x) * bit_count;
          uint32_t index = (src[bit / 8] >> (8 - bit_count - bit % 8)) & ((1u << bit_count) - 1);
          // An index past a short palette reads as black, as the system draws it.
          colour = index < palette.size() ? palette[index] : 0;
          break;
        }
        case 16: {
          uint32_t v = Le16(src + 2 * x);
          colour = (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
          break;
        }
        case 24:
          colour = (uint32_t{src[3 * x + 2]} << 16) | (uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
          break;
        default: {
          uint32_t v = Le32(src + 4 * x);
          colour = (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
          break;
        }
      }
      dst[x] = colour;
    }
  }
  out->file_bytes.assign(data, data + size);
  return true;
}

}  // namespace skin
