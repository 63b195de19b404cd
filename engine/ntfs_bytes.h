// Little-endian field readers over a byte span of known length: every NTFS structure is read
// through these, never by casting a disk buffer to a struct.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel {

struct ByteSpan {
  const uint8_t* data = nullptr;
  size_t size = 0;

  // True when `length` bytes at `offset` lie inside the span (overflow-safe).
  bool Has(size_t offset, size_t length) const {
    return offset <= size && length <= size - offset;
  }
  // The bytes at `offset`, cut to the span's end; empty when offset is past it.
  ByteSpan From(size_t offset) const {
    if (offset >= size) return ByteSpan{data, 0};
    return ByteSpan{data + offset, size - offset};
  }
  ByteSpan Slice(size_t offset, size_t length) const {
    if (!Has(offset, length)) return ByteSpan{data, 0};
    return ByteSpan{data + offset, length};
  }
};

// Each reader returns 0 for a field that does not lie wholly inside the span, so a caller that
// forgot a Has() test reads a harmless zero instead of foreign memory.
inline uint64_t ReadLeN(ByteSpan span, size_t offset, size_t width) {
  if (!span.Has(offset, width)) return 0;
  uint64_t value = 0;
  for (size_t i = width; i > 0; --i) value = (value << 8) | span.data[offset + i - 1];
  return value;
}
inline uint8_t ReadLe8(ByteSpan span, size_t offset) {
  return static_cast<uint8_t>(ReadLeN(span, offset, 1));
}
inline uint16_t ReadLe16(ByteSpan span, size_t offset) {
  return static_cast<uint16_t>(ReadLeN(span, offset, 2));
}
inline uint32_t ReadLe32(ByteSpan span, size_t offset) {
  return static_cast<uint32_t>(ReadLeN(span, offset, 4));
}
inline uint64_t ReadLe64(ByteSpan span, size_t offset) { return ReadLeN(span, offset, 8); }

}  // namespace scavrel
