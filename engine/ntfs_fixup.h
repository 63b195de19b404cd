// Update-sequence fixups of NTFS multi-sector records (MFT records). NTFS writes a record with
// the last two bytes of every sector replaced by the update sequence number and keeps the
// original bytes in the update-sequence array, so a torn write shows as a mismatch. A record
// is usable only after the original bytes are put back.
//
// Multi-sector header (the start of every MFT record)
//   off size field
//     0   4  magic ("FILE")
//     4   2  update-sequence array offset
//     6   2  update-sequence array count (the number, then one entry per sector)
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel {

constexpr size_t kFixupArrayOffsetField = 4;

// NTFS protects every 512 bytes of a record, whatever the volume's sector size: a 4,096-byte
// record on a disk of 4,096-byte sectors still carries eight saved pairs.
constexpr uint32_t kNtfsFixupStride = 512;

// Puts back the original last two bytes of each `stride`-byte sector of a record read as
// stored. Every sector must end with the update sequence number, else the record is torn and
// nothing is changed. False too when the array or a sector would lie outside the record.
bool ApplyNtfsFixups(uint8_t* record, size_t record_size, uint32_t stride);

}  // namespace scavrel
