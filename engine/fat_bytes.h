// Little-endian field readers over byte spans of known length, for the FAT on-disk structures.
// A field that does not lie wholly inside the span reads as 0, so a damaged or short buffer
// can never be read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scavrel::fat {

using Bytes = std::span<const uint8_t>;

inline bool FieldInside(Bytes bytes, size_t offset, size_t width) {
  return offset <= bytes.size() && width <= bytes.size() - offset;
}

inline uint8_t ReadLe8(Bytes bytes, size_t offset) {
  return FieldInside(bytes, offset, 1) ? bytes[offset] : 0;
}

inline uint16_t ReadLe16(Bytes bytes, size_t offset) {
  if (!FieldInside(bytes, offset, 2)) return 0;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint32_t ReadLe32(Bytes bytes, size_t offset) {
  if (!FieldInside(bytes, offset, 4)) return 0;
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline void WriteLe16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteLe32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace scavrel::fat
