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
  if (decoded.length > cluster_count_) return RunDecode::kBad;
  run->length = decoded.length;
  run->sparse = decoded.sparse;
  if (decoded.sparse) {
    run->first_cluster = kSparseCluster;
    return RunDecode::kRun;
  }
  // The run must lie on the volume; a run outside it is damage, not data.
  const int64_t next = static_cast<int64_t>(current_) + decoded.offset;
  if (next < 0 || static_cast<uint64_t>(next) > cluster_count_ ||
      decoded.length > cluster_count_ - static_cast<uint64_t>(next))
    return RunDecode::kBad;
  current_ = static_cast<uint64_t>(next);
  run->first_cluster = current_;
  return RunDecode::kRun;
}

}  // namespace scavrel
