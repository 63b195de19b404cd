// Little-endian field readers over byte spans of known length: every on-disk structure (FAT and
// NTFS), and every copy of disk bytes a found record keeps, is read through these, never by
// casting a buffer to a struct. A field that does not lie wholly inside its span reads as 0, so
// a damaged or short buffer is never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scavrel {

using ByteSpan = std::span<const uint8_t>;

// True when `width` bytes at `offset` lie inside the span (overflow-safe).
inline bool FieldInside(ByteSpan bytes, size_t offset, size_t width) {
  return offset <= bytes.size() && width <= bytes.size() - offset;
}

// The bytes from `offset` to the span's end; empty when offset lies past it.
inline ByteSpan SpanFrom(ByteSpan bytes, size_t offset) {
  return offset >= bytes.size() ? bytes.first(0) : bytes.subspan(offset);
}

// `length` bytes at `offset`; empty when they do not lie wholly inside the span.
inline ByteSpan SpanSlice(ByteSpan bytes, size_t offset, size_t length) {
  return FieldInside(bytes, offset, length) ? bytes.subspan(offset, length) : bytes.first(0);
}

// A field of 0 to 8 bytes (data runs store fields of any of these widths).
inline uint64_t ReadLeN(ByteSpan bytes, size_t offset, size_t width) {
  if (width > 8 || !FieldInside(bytes, offset, width)) return 0;
  uint64_t value = 0;
  for (size_t i = width; i > 0; --i) value = (value << 8) | bytes[offset + i - 1];
  return value;
}

inline uint8_t ReadLe8(ByteSpan bytes, size_t offset) {
  return FieldInside(bytes, offset, 1) ? bytes[offset] : 0;
}

inline uint16_t ReadLe16(ByteSpan bytes, size_t offset) {
  if (!FieldInside(bytes, offset, 2)) return 0;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint32_t ReadLe32(ByteSpan bytes, size_t offset) {
  if (!FieldInside(bytes, offset, 4)) return 0;
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline uint64_t ReadLe64(ByteSpan bytes, size_t offset) {
  if (!FieldInside(bytes, offset, 8)) return 0;
  return static_cast<uint64_t>(ReadLe32(bytes, offset)) |
         (static_cast<uint64_t>(ReadLe32(bytes, offset + 4)) << 32);
}

// Writers for the engine's own copies (a record's directory entry, a size slot): the caller
// owns a buffer of at least the field's width at `bytes`.
inline void WriteLe16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteLe32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void WriteLe64(uint8_t* bytes, uint64_t value) {
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace scavrel
