// Update-sequence fixups of NTFS records.
#include "engine/ntfs_fixup.h"

#include <cstring>

#include "engine/disk_bytes.h"
#include "engine/ntfs_mft_record.h"

namespace scavrel {

bool ApplyNtfsFixups(uint8_t* record, size_t record_size) {
  constexpr size_t kBlock = ntfs_record::kFixupBlock;
  if (record == nullptr || record_size < kBlock || record_size % kBlock != 0) return false;
  const ByteSpan span{record, record_size};
  const size_t blocks = record_size / kBlock;
  const size_t array = ReadLe16(span, ntfs_record::kUsaOffset);
  // The array holds the sequence number and one saved pair per block.
  if (!FieldInside(span, array, 2 * (blocks + 1))) return false;
  const uint16_t sequence = ReadLe16(span, array);
  for (size_t i = 1; i <= blocks; ++i) {
    if (ReadLe16(span, i * kBlock - 2) != sequence) return false;
  }
  for (size_t i = 1; i <= blocks; ++i) {
    std::memcpy(record + i * kBlock - 2, record + array + 2 * i, 2);
  }
  return true;
}

}  // namespace scavrel
