// Decoding one data run.
#include "engine/ntfs_data_runs.h"

namespace scavrel {

RunDecode DecodeDataRun(ByteSpan span, size_t position, DataRun* run) {
  if (!FieldInside(span, position, 1)) return RunDecode::kBad;
  const uint8_t header = ReadLe8(span, position);
  if (header == 0) return RunDecode::kEnd;
  if (FieldInside(span, position, 4) && ReadLe32(span, position) == 0xFFFFFFFFu)
    return RunDecode::kEnd;
  size_t length_size = header & 0x0F;
  size_t offset_size = header >> 4;
  if (length_size > 8 || offset_size > 8) return RunDecode::kBad;
  if (!FieldInside(span, position + 1, length_size + offset_size)) return RunDecode::kBad;
  run->length = ReadLeN(span, position + 1, length_size);
  uint64_t raw = ReadLeN(span, position + 1 + length_size, offset_size);
  if (offset_size >= 1 && offset_size <= 7 && (raw >> (offset_size * 8 - 1)) & 1) {
    raw |= ~0ull << (offset_size * 8);
  }
  run->offset = static_cast<int64_t>(raw);
  run->sparse = offset_size == 0;
  run->size = 1 + length_size + offset_size;
  return RunDecode::kRun;
}

RunDecode RunListCursor::Next(PlacedRun* run) {
  DataRun decoded;
  const RunDecode result = DecodeDataRun(runs_, position_, &decoded);
  if (result != RunDecode::kRun) return result;
  position_ += decoded.size;
  run->length = decoded.length;
  run->sparse = decoded.sparse;
  // A sparse run holds no clusters, so the volume's size says nothing of its length: a file
  // that NTFS made sparse may be far larger than the disk it lies on.
  if (decoded.sparse) {
    run->first_cluster = kSparseCluster;
    return RunDecode::kRun;
  }
  if (decoded.length > cluster_count_) return RunDecode::kBad;
  // The run must lie on the volume; a run outside it is damage, not data. The offset is any
  // 64-bit value a damaged record holds, so the step is taken in unsigned arithmetic that
  // refuses to wrap rather than in a signed sum that may overflow.
  uint64_t next = 0;
  if (decoded.offset >= 0) {
    if (__builtin_add_overflow(current_, static_cast<uint64_t>(decoded.offset), &next))
      return RunDecode::kBad;
  } else {
    const uint64_t back = 0 - static_cast<uint64_t>(decoded.offset);
    if (back > current_) return RunDecode::kBad;
    next = current_ - back;
  }
  if (next > cluster_count_ || decoded.length > cluster_count_ - next) return RunDecode::kBad;
  current_ = next;
  run->first_cluster = current_;
  return RunDecode::kRun;
}

}  // namespace scavrel
