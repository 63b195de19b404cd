// Update-sequence fixups of NTFS records.
#include "engine/ntfs_fixup.h"

namespace scavrel {
namespace {

uint16_t Le16(const uint8_t* bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

}  // namespace

bool ApplyNtfsFixups(uint8_t* record, size_t record_size, uint32_t stride) {
  if (record == nullptr || stride < 2 || record_size < stride || record_size % stride != 0) {
    return false;
  }
  if (record_size < kFixupArrayOffsetField + 2) return false;
  const size_t sectors = record_size / stride;
  const size_t array = Le16(record, kFixupArrayOffsetField);
  // The array holds the sequence number and one saved pair per sector.
  if (array > record_size || (sectors + 1) * 2 > record_size - array) return false;
  const uint16_t sequence = Le16(record, array);
  for (size_t i = 1; i <= sectors; ++i) {
    if (Le16(record, i * stride - 2) != sequence) return false;
  }
  for (size_t i = 1; i <= sectors; ++i) {
    record[i * stride - 2] = record[array + 2 * i];
    record[i * stride - 1] = record[array + 2 * i + 1];
  }
  return true;
}

}  // namespace scavrel
