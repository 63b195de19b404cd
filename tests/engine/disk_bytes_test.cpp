// Tests of the little-endian readers every on-disk structure is read through: fields are
// assembled low byte first, and a field that does not lie wholly inside its span reads as 0,
// whatever the offset (also offsets near the top of size_t, where offset + width wraps).
#include "engine/disk_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace scavrel {
namespace {

// Eight bytes of a made-up field, chosen so that every byte position shows in the value.
constexpr uint8_t kField[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

TEST(DiskBytes, FieldsReadLowByteFirstAtEveryWidth) {
  const ByteSpan bytes(kField);
  EXPECT_EQ(ReadLe8(bytes, 7), 0xEFu);
  EXPECT_EQ(ReadLe16(bytes, 1), 0x4523u);
  EXPECT_EQ(ReadLe32(bytes, 4), 0xEFCDAB89u);
  EXPECT_EQ(ReadLe64(bytes, 0), 0xEFCDAB8967452301ull);
  // Data runs store fields of any width from 0 to 8 bytes.
  EXPECT_EQ(ReadLeN(bytes, 2, 3), 0x896745u);
  EXPECT_EQ(ReadLeN(bytes, 0, 0), 0u);
  EXPECT_EQ(ReadLeN(bytes, 0, 8), 0xEFCDAB8967452301ull);
}

TEST(DiskBytes, FieldCrossingTheSpanEndReadsZero) {
  const ByteSpan bytes(kField);
  const size_t huge = std::numeric_limits<size_t>::max();
  EXPECT_EQ(ReadLe8(bytes, 8), 0u);
  EXPECT_EQ(ReadLe16(bytes, 7), 0u);
  EXPECT_EQ(ReadLe32(bytes, 5), 0u);
  EXPECT_EQ(ReadLe64(bytes, 1), 0u);
  EXPECT_EQ(ReadLeN(bytes, 6, 3), 0u);
  EXPECT_EQ(ReadLeN(bytes, 0, 9), 0u);  // wider than any field
  for (size_t offset : {huge, huge - 1, huge - 7}) {
    EXPECT_FALSE(FieldInside(bytes, offset, 2)) << offset;
    EXPECT_EQ(ReadLe16(bytes, offset), 0u) << offset;
    EXPECT_EQ(ReadLe64(bytes, offset), 0u) << offset;
  }
  EXPECT_FALSE(FieldInside(bytes, 1, huge));
  EXPECT_EQ(ReadLe32(ByteSpan(), 0), 0u);
}

TEST(DiskBytes, SlicesOutsideTheSpanAreEmptyAndNeverLonger) {
  const ByteSpan bytes(kField);
  EXPECT_EQ(SpanSlice(bytes, 2, 4).size(), 4u);
  EXPECT_EQ(ReadLe16(SpanSlice(bytes, 2, 4), 0), 0x6745u);
  EXPECT_TRUE(SpanSlice(bytes, 6, 3).empty());
  EXPECT_TRUE(SpanSlice(bytes, std::numeric_limits<size_t>::max(), 1).empty());
  EXPECT_EQ(SpanSlice(bytes, 8, 0).size(), 0u);
  EXPECT_EQ(SpanFrom(bytes, 5).size(), 3u);
  EXPECT_EQ(ReadLe8(SpanFrom(bytes, 5), 0), 0xABu);
  EXPECT_TRUE(SpanFrom(bytes, 8).empty());
  EXPECT_TRUE(SpanFrom(bytes, 100).empty());
}

TEST(DiskBytes, WritersStoreWhatTheReadersRead) {
  uint8_t buffer[8] = {};
  WriteLe16(buffer, 0xBEEF);
  EXPECT_EQ(ReadLe16(buffer, 0), 0xBEEFu);
  WriteLe32(buffer, 0x12345678u);
  EXPECT_EQ(buffer[0], 0x78u);
  EXPECT_EQ(ReadLe32(buffer, 0), 0x12345678u);
  WriteLe64(buffer, 0x0102030405060708ull);
  EXPECT_EQ(buffer[7], 0x01u);
  EXPECT_EQ(ReadLe64(buffer, 0), 0x0102030405060708ull);
}

}  // namespace
}  // namespace scavrel
