// The inflater against streams made by zlib (tools/skinpack/make_fixtures.py, built at test
// build time), a few streams built bit by bit where zlib never goes, and streams broken in
// one named way each.
#include "skin/Inflate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/skin/SkinFixtures.h"

namespace skin {
namespace {

using skin_test::ReadFixture;

InflateStatus InflateBytes(const std::vector<uint8_t>& stream, std::vector<uint8_t>* out) {
  MemoryInflateInput input(stream.data(), stream.size());
  MemoryInflateOutput output;
  InflateStatus status = Inflate(input, output);
  *out = output.bytes();
  return status;
}

// Hands out its bytes in pieces of a fixed size, to exercise the input buffer's refills.
class TrickleInput : public InflateInput {
 public:
  TrickleInput(const std::vector<uint8_t>& data, std::size_t piece) : data_(data), piece_(piece) {}
  std::ptrdiff_t Read(uint8_t* dst, std::size_t size) override {
    std::size_t n = std::min({size, piece_, data_.size() - position_});
    std::memcpy(dst, data_.data() + position_, n);
    position_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  const std::vector<uint8_t>& data_;
  std::size_t piece_;
  std::size_t position_ = 0;
};

class RecordingOutput : public InflateOutput {
 public:
  bool Write(const uint8_t* data, std::size_t size) override {
    sizes.push_back(size);
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  std::vector<std::size_t> sizes;
  std::vector<uint8_t> bytes;
};

uint32_t Crc32(const uint8_t* data, std::size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1u) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

class ZlibStream : public ::testing::TestWithParam<std::string> {};

TEST_P(ZlibStream, DecodesToTheBytesItWasMadeFrom) {
  std::vector<uint8_t> stream = ReadFixture("deflate/" + GetParam() + ".deflate");
  std::vector<uint8_t> expected = ReadFixture("deflate/" + GetParam() + ".out");
  std::vector<uint8_t> out;
  ASSERT_EQ(InflateBytes(stream, &out), InflateStatus::kOk);
  ASSERT_EQ(out.size(), expected.size());
  EXPECT_TRUE(out == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Inflate, ZlibStream,
    ::testing::Values("text_level0", "text_level1", "text_level9", "text_fixed_huffman",
                      "text_huffman_only", "long_overlap_level9", "long_overlap_rle",
                      "incompressible_level9", "one_byte", "empty", "max_distance_fixed",
                      "stored_sizes"));

TEST(Inflate, OutputLeavesInHalfWindowsThenTheRest) {
  // 320,000 bytes: every flush passes 32 KiB; the tail goes out once the final block ends.
  std::vector<uint8_t> stream = ReadFixture("deflate/long_overlap_level9.deflate");
  MemoryInflateInput input(stream.data(), stream.size());
  RecordingOutput output;
  ASSERT_EQ(Inflate(input, output), InflateStatus::kOk);
  ASSERT_EQ(output.bytes.size(), 320000u);
  for (std::size_t i = 0; i + 1 < output.sizes.size(); ++i) EXPECT_EQ(output.sizes[i], 32768u);
  EXPECT_GE(output.sizes.back(), 1u);
  EXPECT_LE(output.sizes.back(), 65536u);
}

TEST(Inflate, InputArrivingAByteAtATimeDecodesTheSame) {
  for (const char* name : {"text_level9", "text_level0", "stored_sizes"}) {
    std::vector<uint8_t> stream = ReadFixture(std::string("deflate/") + name + ".deflate");
    std::vector<uint8_t> expected = ReadFixture(std::string("deflate/") + name + ".out");
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{5000}}) {
      TrickleInput input(stream, piece);
      MemoryInflateOutput output;
      ASSERT_EQ(Inflate(input, output), InflateStatus::kOk) << name << " piece " << piece;
      EXPECT_TRUE(output.bytes() == expected) << name << " piece " << piece;
    }
  }
}

TEST(Inflate, EveryRandomZlibStreamDecodesToItsSource) {
  // Hundreds of streams from random data of several shapes, each made by zlib with a random
  // level, strategy, memory level and window size: u32 size, u32 CRC-32, u32 length, stream.
  std::vector<uint8_t> all = ReadFixture("differential.bin");
  std::size_t position = 0;
  int streams = 0;
  while (position + 12 <= all.size()) {
    uint32_t size = Le32(&all[position]);
    uint32_t crc = Le32(&all[position + 4]);
    uint32_t length = Le32(&all[position + 8]);
    position += 12;
    ASSERT_LE(length, all.size() - position);
    MemoryInflateInput input(&all[position], length);
    MemoryInflateOutput output;
    ASSERT_EQ(Inflate(input, output), InflateStatus::kOk) << "stream " << streams;
    ASSERT_EQ(output.bytes().size(), size) << "stream " << streams;
    ASSERT_EQ(Crc32(output.bytes().data(), size), crc) << "stream " << streams;
    position += length;
    ++streams;
  }
  EXPECT_EQ(position, all.size());
  EXPECT_EQ(streams, 400);
}

class BrokenStream : public ::testing::TestWithParam<std::string> {};

TEST_P(BrokenStream, IsRefusedAsMalformed) {
  std::vector<uint8_t> stream = ReadFixture("malformed/" + GetParam() + ".deflate");
  std::vector<uint8_t> out;
  EXPECT_EQ(InflateBytes(stream, &out), InflateStatus::kMalformed);
}

INSTANTIATE_TEST_SUITE_P(
    Inflate, BrokenStream,
    ::testing::Values("length_symbol_286", "length_symbol_287", "distance_symbol_30",
                      "distance_symbol_31", "distance_before_first_byte", "match_at_start",
                      "repeat_16_first", "repeat_past_lengths", "repeat_16_past_lengths",
                      "hlit_287", "hlit_288", "hdist_31", "hdist_32",
                      "unused_code_length_entry", "unused_literal_entry", "over_subscribed",
                      "stored_bad_nlen", "block_type_3_final", "block_type_3_then_more",
                      "ends_before_final", "zero_padding", "all_zero", "truncated_level9",
                      "truncated_stored", "empty_input"));

TEST(Inflate, FailingInputIsAReadErrorAndRefusedOutputAWriteError) {
  class Failing : public InflateInput {
   public:
    std::ptrdiff_t Read(uint8_t*, std::size_t) override { return -1; }
  } failing;
  MemoryInflateOutput sink;
  EXPECT_EQ(Inflate(failing, sink), InflateStatus::kReadError);

  std::vector<uint8_t> stream = ReadFixture("deflate/text_level1.deflate");
  MemoryInflateInput input(stream.data(), stream.size());
  MemoryInflateOutput small(1000);
  EXPECT_EQ(Inflate(input, small), InflateStatus::kWriteError);
}

TEST(HuffmanTree, RfcExampleGivesBitReversedFlatTable) {
  // RFC 1951 3.2.2: A..H with lengths 3,3,3,3,3,2,4,4 get F=00, A=010 .. E=110, G=1110,
  // H=1111. The reader takes bits least significant first, so each code sits bit-reversed at
  // every index whose low bits match it.
  const uint8_t lengths[8] = {3, 3, 3, 3, 3, 2, 4, 4};
  THuffmanTree tree(15);
  ASSERT_TRUE(tree.Build(lengths, 8, 8, nullptr, 0, 0));
  EXPECT_EQ(tree.table_bits(), 4);
  auto symbol_at = [&](uint32_t index) { return THuffmanTree::Symbol(tree.Lookup(index)); };
  // F = 00: indexes xx00.
  for (uint32_t hi = 0; hi < 4; ++hi) EXPECT_EQ(symbol_at(hi << 2), 5u);
  // A = 010 reversed 010; E = 110 reversed 011; G = 1110 reversed 0111; H reversed 1111.
  EXPECT_EQ(symbol_at(0b0010), 0u);
  EXPECT_EQ(symbol_at(0b1010), 0u);
  EXPECT_EQ(symbol_at(0b0011), 4u);
  EXPECT_EQ(symbol_at(0b0111), 6u);
  EXPECT_EQ(symbol_at(0b1111), 7u);
  EXPECT_EQ(THuffmanTree::CodeLength(tree.Lookup(0b0111)), 4);
  EXPECT_EQ(THuffmanTree::CodeLength(tree.Lookup(0b0000)), 2);
}

TEST(HuffmanTree, ExtraBitsComeFromTheTableFromTheFirstExtraSymbolOn) {
  uint8_t lengths[4] = {2, 2, 2, 2};
  const uint8_t extra[2] = {5, 7};
  THuffmanTree tree(15);
  ASSERT_TRUE(tree.Build(lengths, 4, 2, extra, 2, 0));
  // Codes 00, 01, 10, 11 for symbols 0..3, bit-reversed: 0 -> 0, 1 -> 2, 2 -> 1, 3 -> 3.
  EXPECT_EQ(THuffmanTree::ExtraBits(tree.Lookup(0)), 0);
  EXPECT_EQ(THuffmanTree::ExtraBits(tree.Lookup(2)), 0);
  EXPECT_EQ(THuffmanTree::ExtraBits(tree.Lookup(1)), 5);
  EXPECT_EQ(THuffmanTree::ExtraBits(tree.Lookup(3)), 7);
}

TEST(HuffmanTree, IncompleteCodesLeaveUnusedEntriesAndBadSetsAreRefused) {
  const uint8_t one[3] = {0, 1, 0};
  THuffmanTree tree(15);
  ASSERT_TRUE(tree.Build(one, 3, 3, nullptr, 0, 0));
  EXPECT_EQ(THuffmanTree::Symbol(tree.Lookup(0)), 1u);
  EXPECT_EQ(tree.Lookup(1), THuffmanTree::kUnused);

  const uint8_t none[3] = {0, 0, 0};
  ASSERT_TRUE(tree.Build(none, 3, 3, nullptr, 0, 0));
  EXPECT_EQ(tree.Lookup(0), THuffmanTree::kUnused);

  const uint8_t over[3] = {1, 1, 1};
  EXPECT_FALSE(tree.Build(over, 3, 3, nullptr, 0, 0));
  const uint8_t too_long[2] = {8, 1};
  THuffmanTree code_length_tree(7);
  EXPECT_FALSE(code_length_tree.Build(too_long, 2, 2, nullptr, 0, 0));
}

}  // namespace
}  // namespace skin
