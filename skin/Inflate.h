// The skin reader's own RFC 1951 inflater: flat-table Huffman decoding (THuffmanTree), a 16 KiB
// input buffer and a 64 KiB + 258 output window flushed in 32 KiB halves. Input and output go
// through small seams so the same code serves files, decrypted streams and memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// Where compressed bytes come from. Read returns the number of bytes placed in dst (0 at the
// end of the data) or -1 when the underlying read failed.
class InflateInput {
 public:
  virtual ~InflateInput() = default;
  virtual std::ptrdiff_t Read(uint8_t* dst, std::size_t size) = 0;
};

// Where decoded bytes go. Write returns false when the bytes could not be taken.
class InflateOutput {
 public:
  virtual ~InflateOutput() = default;
  virtual bool Write(const uint8_t* data, std::size_t size) = 0;
};

// One decoding table: 2^L 32-bit entries, L being the longest code length present. An entry is
// all ones when no code reaches it; otherwise bits 0-15 hold the symbol, 16-23 the code length
// and 24-31 the number of extra bits that follow the code.
class THuffmanTree {
 public:
  static constexpr uint32_t kUnused = 0xFFFFFFFFu;

  explicit THuffmanTree(int max_length);

  // lengths[offset .. offset + count) are the code lengths of symbols 0 .. count-1. Symbols at
  // or above first_extra_symbol take their extra-bit count from extra_bits (extra_count
  // entries; a symbol past the table gets none). False when a length exceeds the tree's largest
  // allowed length or the lengths over-subscribe the code space.
  bool Build(const uint8_t* lengths, int count, int first_extra_symbol, const uint8_t* extra_bits,
             int extra_count, int offset);

  uint32_t Lookup(uint32_t index) const { return table_[index & mask_]; }
  int table_bits() const { return table_bits_; }

  static uint32_t Symbol(uint32_t entry) { return entry & 0xFFFFu; }
  static int CodeLength(uint32_t entry) { return static_cast<int>((entry >> 16) & 0xFFu); }
  static int ExtraBits(uint32_t entry) { return static_cast<int>(entry >> 24); }

 private:
  int max_length_;
  int table_bits_ = 0;
  uint32_t mask_ = 0;
  std::vector<uint32_t> table_;
};

enum class InflateStatus {
  kOk,          // a block with BFINAL set was finished and every byte written
  kMalformed,   // the stream breaks RFC 1951 or ends before its final block
  kReadError,   // the input seam failed
  kWriteError,  // the output seam refused bytes
};

// Decodes one raw deflate stream (no zlib or gzip wrapper) from input to output.
InflateStatus Inflate(InflateInput& input, InflateOutput& output);

// Memory-backed seams, used by the encrypted path's callers, the tests and the fuzzers.
class MemoryInflateInput : public InflateInput {
 public:
  MemoryInflateInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::ptrdiff_t Read(uint8_t* dst, std::size_t size) override;

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

class MemoryInflateOutput : public InflateOutput {
 public:
  // limit: the most bytes taken before Write refuses (guards the fuzzers against bombs).
  explicit MemoryInflateOutput(std::size_t limit = SIZE_MAX) : limit_(limit) {}
  bool Write(const uint8_t* data, std::size_t size) override;
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::size_t limit_;
  std::vector<uint8_t> bytes_;
};

}  // namespace skin
