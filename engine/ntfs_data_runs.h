// Data runs (the mapping pairs of a non-resident attribute).
//
// One run: a header byte whose low nibble L is the size of the length field and whose high
// nibble O is the size of the offset field, then L bytes of run length in clusters (unsigned)
// and O bytes of cluster offset from the previous run's first cluster (signed). A header of 0
// ends the list. A run with O = 0 is sparse: it holds no clusters on disk, reads as zeros, and
// leaves the running cluster where it was.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/disk_bytes.h"

namespace scavrel {

// First cluster of a sparse run in an ExtentList: the run has no clusters on the volume and
// its bytes are zeros. No real cluster number comes near it.
constexpr uint64_t kSparseCluster = ~0ull;

struct DataRun {
  uint64_t length = 0;   // clusters
  int64_t offset = 0;    // clusters, relative to the previous run's first cluster
  bool sparse = false;   // O = 0
  size_t size = 0;       // bytes the run took, header included
};

enum class RunDecode { kRun, kEnd, kBad };

// Decodes the run at `position` of `span`. kEnd at a header of 0 (or a 32-bit 0xFFFFFFFF);
// kBad when a field is wider than 8 bytes or the run does not fit in the span.
RunDecode DecodeDataRun(ByteSpan span, size_t position, DataRun* run);

}  // namespace scavrel
