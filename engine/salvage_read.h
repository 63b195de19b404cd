// Scan reads that survive a failing disk: a large read is made in pieces with a worker step
// between them, and a piece the volume refuses is read again in small units, so that a bad
// sector costs the units that lie on it and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "engine/volume_reader.h"

namespace scavrel {

// The largest piece a scan reads at once: at a slow disk's few tens of MB/s a piece still
// takes well under the 100 ms in which a pause or a stop must be seen.
constexpr size_t kScanPieceBytes = 1 << 20;

enum class Salvage : uint8_t {
  kWhole,    // every byte came
  kHoles,    // some units could not be read: they hold zeros and are marked
  kStopped,  // the run was asked to stop; the buffer is incomplete
};

// Reads `length` bytes at `offset` into `buffer` for the scan of `engine`, in pieces of at
// most kScanPieceBytes with a scan step before each. A piece that fails is read again `unit`
// bytes at a time (the last unit may be shorter); a unit that still fails is zero-filled,
// flagged in *bad (one byte per unit, sized by the call, when given) and, when it lies inside
// the device, noted on the engine as unreadable. Units past the device's end are missing,
// not unreadable: nothing was lost there that the volume held.
Salvage SalvageRead(Engine& engine, VolumeReader& reader, uint64_t offset, uint8_t* buffer,
                    size_t length, size_t unit, std::vector<uint8_t>* bad);

// The end of a device whose size the platform cannot tell (VolumeReader::Size() 0), found by
// probing single sectors between `known_good` and `claimed` bytes (a boot sector's claim): the
// byte after the last sector that does not fail with ERROR_HANDLE_EOF. A sector that fails
// otherwise is a bad sector of a device that goes on. A reader that knows its size answers
// min(claimed, size) without a read.
uint64_t DeviceEnd(VolumeReader& reader, uint64_t claimed, uint64_t known_good,
                   uint32_t sector_bytes);

}  // namespace scavrel
