// Update-sequence fixups of NTFS multi-sector records (MFT records; header in
// engine/ntfs_mft_record.h). NTFS writes a record with the last two bytes of every 512-byte
// block replaced by the update sequence number and keeps the original bytes in the
// update-sequence array, so a torn write shows as a mismatch. A record is usable only after the
// original bytes are put back. The scanner and the save path's resident copy both use this.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scavrel {

// Puts back the original last two bytes of each 512-byte block of a record read as stored
// (NTFS protects every 512 bytes whatever the sector size: a 4,096-byte record on a disk of
// 4,096-byte sectors still carries eight saved pairs). The array's offset is read from the
// record's header. Every block is checked before any is restored, so a record that fails is
// left as it was read (the free-space pass tries overlapping pieces of one buffer). False when
// a block does not end with the sequence number (a torn record), when the array lies outside
// the record, or when the record is not a whole number of blocks.
bool ApplyNtfsFixups(uint8_t* record, size_t record_size);

}  // namespace scavrel
