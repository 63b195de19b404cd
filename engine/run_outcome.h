// How a scan and a save ended, as the engine hands it to the front end: the last scan's
// outcome (GetScanOutcome) and one save's file counts (GetSaveCounts). The enum values and the
// record's layout are part of Scavrel.dll's interface.
#pragma once

#include <cstdint>

namespace scavrel {

// The last scan of an engine, from what it could do with the volume. A scan that found
// nothing deleted ends kComplete like any other that read its volume: the found tree tells
// what was found, this tells why there may be nothing in it.
enum class ScanOutcome : uint8_t {
  kNotEnded = 0,        // no scan has ended since the last clear (or one is running)
  kComplete = 1,        // the volume was read to the end
  kUnreadable = 2,      // the volume could not be opened, or its reads failed
  kOtherFileSystem = 3, // the first sector holds no file system this engine reads
  kDamaged = 4,         // its file system, but the tables it needs could not be used
  kStopped = 5,         // the user stopped it
};

// The files one save wanted, by how each ended. A file is counted once, as whole, partial
// or failed; the failures it met are told apart by side: the scanned volume could not give all
// of its data (source), or the destination refused the file, a write or the file's folder
// (destination). A file cut off by the user's stop is partial on neither side.
struct SaveCounts {
  uint64_t whole = 0;    // every byte of its recorded size read and written
  uint64_t partial = 0;  // written, but not all of it
  uint64_t failed = 0;   // nothing of it written
  uint64_t source_failures = 0;
  uint64_t destination_failures = 0;
};

}  // namespace scavrel
