// RFC 1951 decoding for skin archives: stored, fixed and dynamic blocks through flat lookup
// tables, with every malformed stream ending in kMalformed rather than a wild read or a loop.
#include "skin/Inflate.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace skin {
namespace {

constexpr int kMaxCodeLength = 15;
constexpr int kMaxCodeLengthCodeLength = 7;

// RFC 1951 section 3.2.5. Symbols 286-287 and distances 30-31 have codes in the fixed trees but
// no meaning; they stay outside these tables and are refused when decoded.
constexpr int kLengthSymbols = 29;  // 257 .. 285
constexpr uint16_t kLengthBase[kLengthSymbols] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                                  15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[kLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceSymbols = 30;
constexpr uint16_t kDistanceBase[kDistanceSymbols] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[kDistanceSymbols] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,
                                                      4, 4, 5, 5, 6, 6, 7, 7,  8,  8,
                                                      9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                          11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr std::size_t kInputBufferSize = 16384;
constexpr std::size_t kWindowMark = 65536;
constexpr std::size_t kWindowSize = kWindowMark + 258;
constexpr std::size_t kWindowHalf = 32768;
constexpr std::size_t kStoredChunk = 16384;

uint32_t ReverseBits(uint32_t code, int length) {
  uint32_t reversed = 0;
  for (int i = 0; i < length; ++i) {
    reversed = (reversed << 1) | (code & 1u);
    code >>= 1;
  }
  return reversed;
}

// Built on first use and kept for the life of the process.
struct FixedTrees {
  THuffmanTree literal{kMaxCodeLength};
  THuffmanTree distance{kMaxCodeLength};
  FixedTrees() {
    uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    literal.Build(lengths, 288, 257, kLengthExtra, kLengthSymbols, 0);
    uint8_t distances[32];
    std::fill(distances, distances + 32, 5);
    distance.Build(distances, 32, 0, kDistanceExtra, kDistanceSymbols, 0);
  }
};

const FixedTrees& Fixed() {
  static const FixedTrees trees;
  return trees;
}

class Inflater {
 public:
  Inflater(InflateInput& input, InflateOutput& output)
      : input_(input), output_(output), in_(new uint8_t[kInputBufferSize]),
        window_(new uint8_t[kWindowSize]) {}

  InflateStatus Run() {
    bool final_block = false;
    while (!final_block) {
      uint32_t header;
      if (!Take(3, &header)) return status_;
      final_block = (header & 1u) != 0;
      switch (header >> 1) {
        case 0:
          if (!StoredBlock()) return status_;
          break;
        case 1:
          if (!CodedBlock(Fixed().literal, Fixed().distance)) return status_;
          break;
        case 2:
          if (!DynamicBlock()) return status_;
          break;
        default:
          // Reserved block type: no encoder writes it, and skipping it would let a run of
          // garbage bits pass as a stream.
          return InflateStatus::kMalformed;
      }
    }
    if (position_ > 0 && !output_.Write(window_.get(), position_)) {
      return InflateStatus::kWriteError;
    }
    return InflateStatus::kOk;
  }

 private:
  bool Fail(InflateStatus status) {
    status_ = status;
    return false;
  }

  // Moves the next input byte into the bit buffer; false at the end of the data or on error.
  bool PullByte() {
    if (in_pos_ == in_len_) {
      if (at_end_) return false;
      std::ptrdiff_t got = input_.Read(in_.get(), kInputBufferSize);
      if (got < 0) {
        read_failed_ = true;
        at_end_ = true;
        return false;
      }
      in_pos_ = 0;
      in_len_ = static_cast<std::size_t>(got);
      if (got == 0) {
        at_end_ = true;
        return false;
      }
    }
    bits_ |= static_cast<uint64_t>(in_[in_pos_++]) << bit_count_;
    bit_count_ += 8;
    return true;
  }

  // The next n (<= 32) bits without consuming them; bits past the end of the data read as 0,
  // which is harmless because consuming them fails.
  uint32_t Peek(int n) {
    while (bit_count_ < n && PullByte()) {
    }
    return static_cast<uint32_t>(bits_ & ((uint64_t{1} << n) - 1));
  }

  bool Drop(int n) {
    if (n > bit_count_) {
      // The stream ended before its final block (a short file, or zero padding at the end).
      return Fail(read_failed_ ? InflateStatus::kReadError : InflateStatus::kMalformed);
    }
    bits_ >>= n;
    bit_count_ -= n;
    return true;
  }

  bool Take(int n, uint32_t* value) {
    *value = Peek(n);
    return Drop(n);
  }

  bool Decode(const THuffmanTree& tree, int extra_room, uint32_t* symbol, uint32_t* extra) {
    int table_bits = tree.table_bits();
    uint32_t peeked = Peek(table_bits + extra_room);
    uint32_t entry = tree.Lookup(peeked);
    if (entry == THuffmanTree::kUnused) {
      // An incomplete code leaves holes in the table; data that lands in one is not a code.
      if (table_bits > bit_count_ && read_failed_) return Fail(InflateStatus::kReadError);
      return Fail(InflateStatus::kMalformed);
    }
    int length = THuffmanTree::CodeLength(entry);
    int extra_bits = THuffmanTree::ExtraBits(entry);
    *symbol = THuffmanTree::Symbol(entry);
    *extra = (peeked >> length) & ((1u << extra_bits) - 1);
    return Drop(length + extra_bits);
  }

  bool FlushIfFull() {
    if (position_ < kWindowMark) return true;
    if (!output_.Write(window_.get(), kWindowHalf)) return Fail(InflateStatus::kWriteError);
    std::memmove(window_.get(), window_.get() + kWindowHalf, position_ - kWindowHalf);
    position_ -= kWindowHalf;
    return true;
  }

  bool StoredBlock() {
    Drop(bit_count_ % 8);
    uint8_t header[4];
    if (!TakeBytes(header, 4)) return false;
    uint32_t length = header[0] | (header[1] << 8);
    uint32_t complement = header[2] | (header[3] << 8);
    if ((length ^ complement) != 0xFFFFu) return Fail(InflateStatus::kMalformed);
    while (length > 0) {
      // The chunk also stops at the flush mark: a full 16 KiB chunk started just below it would
      // run past the window's 258 spare bytes.
      std::size_t chunk = std::min<std::size_t>({length, kStoredChunk, kWindowMark - position_});
      if (!TakeBytes(window_.get() + position_, chunk)) return false;
      position_ += chunk;
      length -= static_cast<uint32_t>(chunk);
      if (!FlushIfFull()) return false;
    }
    return true;
  }

  // Whole bytes after a byte boundary: those still held in the bit buffer first.
  bool TakeBytes(uint8_t* dst, std::size_t n) {
    while (n > 0 && bit_count_ >= 8) {
      *dst++ = static_cast<uint8_t>(bits_);
      bits_ >>= 8;
      bit_count_ -= 8;
      --n;
    }
    while (n > 0) {
      if (in_pos_ == in_len_) {
        if (!PullByte()) {
          return Fail(read_failed_ ? InflateStatus::kReadError : InflateStatus::kMalformed);
        }
        // PullByte put the byte in the (empty) bit buffer.
        *dst++ = static_cast<uint8_t>(bits_);
        bits_ = 0;
        bit_count_ = 0;
        --n;
        continue;
      }
      std::size_t step = std::min(n, in_len_ - in_pos_);
      std::memcpy(dst, in_.get() + in_pos_, step);
      in_pos_ += step;
      dst += step;
      n -= step;
    }
    return true;
  }

  bool DynamicBlock() {
    uint32_t hlit, hdist, hclen;
    if (!Take(5, &hlit) || !Take(5, &hdist) || !Take(4, &hclen)) return false;
    int literal_count = static_cast<int>(hlit) + 257;
    int distance_count = static_cast<int>(hdist) + 1;
    int code_length_count = static_cast<int>(hclen) + 4;
    if (literal_count > 286 || distance_count > 30) return Fail(InflateStatus::kMalformed);

    uint8_t code_length_lengths[19] = {};
    for (int i = 0; i < code_length_count; ++i) {
      uint32_t v;
      if (!Take(3, &v)) return false;
      code_length_lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(v);
    }
    THuffmanTree code_length_tree(kMaxCodeLengthCodeLength);
    if (!code_length_tree.Build(code_length_lengths, 19, 19, nullptr, 0, 0)) {
      return Fail(InflateStatus::kMalformed);
    }

    uint8_t lengths[286 + 30] = {};
    int total = literal_count + distance_count;
    int filled = 0;
    while (filled < total) {
      uint32_t symbol, unused;
      if (!Decode(code_length_tree, 0, &symbol, &unused)) return false;
      if (symbol < 16) {
        lengths[filled++] = static_cast<uint8_t>(symbol);
        continue;
      }
      uint8_t repeated = 0;
      uint32_t count;
      if (symbol == 16) {
        if (filled == 0) return Fail(InflateStatus::kMalformed);  // nothing to repeat
        repeated = lengths[filled - 1];
        if (!Take(2, &count)) return false;
        count += 3;
      } else if (symbol == 17) {
        if (!Take(3, &count)) return false;
        count += 3;
      } else {
        if (!Take(7, &count)) return false;
        count += 11;
      }
      if (count > static_cast<uint32_t>(total - filled)) return Fail(InflateStatus::kMalformed);
      std::fill(lengths + filled, lengths + filled + count, repeated);
      filled += static_cast<int>(count);
    }

    THuffmanTree literal_tree(kMaxCodeLength);
    THuffmanTree distance_tree(kMaxCodeLength);
    if (!literal_tree.Build(lengths, literal_count, 257, kLengthExtra, kLengthSymbols, 0) ||
        !distance_tree.Build(lengths, distance_count, 0, kDistanceExtra, kDistanceSymbols,
                             literal_count)) {
      return Fail(InflateStatus::kMalformed);
    }
    return CodedBlock(literal_tree, distance_tree);
  }

  bool CodedBlock(const THuffmanTree& literal_tree, const THuffmanTree& distance_tree) {
    for (;;) {
      uint32_t symbol, extra;
      if (!Decode(literal_tree, 5, &symbol, &extra)) return false;
      if (symbol < 256) {
        window_[position_++] = static_cast<uint8_t>(symbol);
        if (!FlushIfFull()) return false;
        continue;
      }
      if (symbol == 256) return true;
      uint32_t length_index = symbol - 257;
      if (length_index >= kLengthSymbols) return Fail(InflateStatus::kMalformed);
      std::size_t length = kLengthBase[length_index] + extra;

      uint32_t distance_symbol;
      if (!Decode(distance_tree, 14, &distance_symbol, &extra)) return false;
      if (distance_symbol >= kDistanceSymbols) return Fail(InflateStatus::kMalformed);
      std::size_t distance = kDistanceBase[distance_symbol] + extra;
      // Until the first flush the window start is the first output byte; after it the window
      // always holds the last 32 KiB.
      if (distance > position_) return Fail(InflateStatus::kMalformed);

      uint8_t* dst = window_.get() + position_;
      const uint8_t* src = dst - distance;
      if (distance < length) {
        for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
      } else {
        std::memcpy(dst, src, length);
      }
      position_ += length;
      if (!FlushIfFull()) return false;
    }
  }

  InflateInput& input_;
  InflateOutput& output_;
  std::unique_ptr<uint8_t[]> in_;
  std::size_t in_pos_ = 0;
  std::size_t in_len_ = 0;
  bool at_end_ = false;
  bool read_failed_ = false;
  uint64_t bits_ = 0;
  int bit_count_ = 0;
  std::unique_ptr<uint8_t[]> window_;
  std::size_t position_ = 0;
  InflateStatus status_ = InflateStatus::kMalformed;
};

}  // namespace

THuffmanTree::THuffmanTree(int max_length) : max_length_(max_length), table_(1, kUnused) {}

bool THuffmanTree::Build(const uint8_t* lengths, int count, int first_extra_symbol,
                         const uint8_t* extra_bits, int extra_count, int offset) {
  const uint8_t* own = lengths + offset;
  int counts[kMaxCodeLength + 1] = {};
  int longest = 0;
  for (int s = 0; s < count; ++s) {
    int n = own[s];
    if (n > max_length_ || n > kMaxCodeLength) return false;
    ++counts[n];
    longest = std::max(longest, n);
  }
  // Canonical codes (RFC 1951 3.2.2); a set that needs more codes of some length than that
  // length holds is over-subscribed and has no decoding.
  uint32_t next_code[kMaxCodeLength + 2] = {};
  uint32_t code = 0;
  counts[0] = 0;
  for (int n = 1; n <= kMaxCodeLength; ++n) {
    code = (code + static_cast<uint32_t>(counts[n - 1])) << 1;
    next_code[n] = code;
    if (code + static_cast<uint32_t>(counts[n]) > (1u << n)) return false;
  }

  table_bits_ = longest;
  mask_ = (1u << longest) - 1;
  table_.assign(std::size_t{1} << longest, kUnused);
  for (int s = 0; s < count; ++s) {
    int n = own[s];
    if (n == 0) continue;
    uint32_t extra = 0;
    if (s >= first_extra_symbol && s - first_extra_symbol < extra_count) {
      extra = extra_bits[s - first_extra_symbol];
    }
    uint32_t entry = static_cast<uint32_t>(s) | (static_cast<uint32_t>(n) << 16) | (extra << 24);
    uint32_t reversed = ReverseBits(next_code[n]++, n);
    for (uint32_t i = reversed; i < table_.size(); i += 1u << n) table_[i] = entry;
  }
  return true;
}

InflateStatus Inflate(InflateInput& input, InflateOutput& output) {
  Inflater inflater(input, output);
  return inflater.Run();
}

std::ptrdiff_t MemoryInflateInput::Read(uint8_t* dst, std::size_t size) {
  std::size_t n = std::min(size, size_ - position_);
  if (n > 0) std::memcpy(dst, data_ + position_, n);
  position_ += n;
  return static_cast<std::ptrdiff_t>(n);
}

bool MemoryInflateOutput::Write(const uint8_t* data, std::size_t size) {
  if (size > limit_ - bytes_.size()) return false;
  bytes_.insert(bytes_.end(), data, data + size);
  return true;
}

}  // namespace skin
