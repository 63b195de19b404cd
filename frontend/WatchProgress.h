// What the scan and save watch threads make of the engine's progress snapshots: the bar's
// position, the moment a full scan enters its second phase, and how the end of a save is
// announced. Portable: the threads and windows that use it are in frontend/win.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/run_outcome.h"
#include "frontend/LangFile.h"

namespace vardeck {

// done x max / total as the engine's counters are read (signed 64-bit product and quotient),
// cut to its low 32 bits; 0 while total is 0. Done never exceeds total, so a real snapshot
// gives 0..max; out-of-order values still give a number, never a fault.
int WatchBarPosition(uint64_t done, uint64_t total, int max);

// A full scan restarts its done count for its second phase: true when total is positive and
// the position the snapshot means lies below the bar's current position.
bool FullScanPhaseStarted(uint64_t done, uint64_t total, int max, int current_position);

// The message that ends a save the user did not stop: "savefinished" when every file it wanted
// was saved whole; otherwise how many were saved whole and how many only in part or not at all
// ("saveshort"), the side that failed (the scanned drive's reads, the destination's writes),
// and, when anything was written, where it went. `files_wanted` is what the front end ticked:
// a file the engine never reached still counts as not saved.
std::string SaveEndMessage(const LanguageTexts& texts, const scavrel::SaveCounts& counts,
                           uint64_t files_wanted);

// For the results window's click handling, which announces the end of a run: takes (clears)
// the pending end-of-run flags of the shared state and gives the text to show, if any. A scan
// announced with a save still pending shows the scan's text, as the last one set wins.
std::optional<LangKey> TakePendingEndText(LangKey scan_text = LangKey::ScanFinished);

// The message that announces a scan that was not stopped. What it found speaks first: anything
// deleted in the tree (or, in find mode, a hit) is "scanfinished", deleted files without a hit
// "nohits". An empty result is explained by the engine's outcome: read to the end and nothing
// deleted ("nothingfound"); a first sector of another file system, named ("otherfilesystem")
// or not ("unknownfilesystem"); a volume that could not be read or used ("readfailed").
std::string ScanEndMessage(const LanguageTexts& texts, bool find_mode,
                           scavrel::ScanOutcome outcome, std::string_view file_system,
                           bool anything_deleted, bool any_hit);

}  // namespace vardeck
