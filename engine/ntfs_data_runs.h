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

// A decoded run placed on the volume.
struct PlacedRun {
  uint64_t first_cluster = 0;  // kSparseCluster for a sparse run
  uint64_t length = 0;         // clusters
  bool sparse = false;
};

// Walks a run list run by run over a volume of `cluster_count` clusters: each run's offset is
// added to the previous run's first cluster (a sparse run leaves it where it was). Every reader
// of a run list (a file's data, the attribute list's own clusters) goes through this, so each
// takes the same runs as damage: one that cannot be decoded, or one with clusters that is
// longer than the volume or whose clusters do not lie wholly on it. A sparse run may be of any
// length.
class RunListCursor {
 public:
  RunListCursor(ByteSpan runs, uint64_t cluster_count)
      : runs_(runs), cluster_count_(cluster_count) {}

  // The next run: kRun and *run, kEnd at the list's end marker, kBad for damage.
  RunDecode Next(PlacedRun* run);

 private:
  ByteSpan runs_;
  uint64_t cluster_count_ = 0;
  size_t position_ = 0;
  uint64_t current_ = 0;  // the first cluster of the last run that had clusters
};

}  // namespace scavrel
