// What the scan and save watch threads make of the engine's progress snapshots: the bar's
// position, the moment a full scan enters its second phase, and how the end of a save is
// announced. Portable: the threads and windows that use it are in frontend/win.
#pragma once

#include <cstdint>
#include <optional>

#include "frontend/LangFile.h"

namespace vardeck {

// done x max / total as the engine's counters are read (signed 64-bit product and quotient),
// cut to its low 32 bits; 0 while total is 0. Done never exceeds total, so a real snapshot
// gives 0..max; out-of-order values still give a number, never a fault.
int WatchBarPosition(uint64_t done, uint64_t total, int max);

// A full scan restarts its done count for its second phase: true when total is positive and
// the position the snapshot means lies below the bar's current position.
bool FullScanPhaseStarted(uint64_t done, uint64_t total, int max, int current_position);

// How a save that has ended is announced.
enum class SaveEnd {
  Quiet,     // stopped by the user: the window closes, nothing is shown
  Finished,  // every wanted file was saved: "savefinished"
  Short,     // fewer files saved than were wanted: "saveshort"
};
SaveEnd SaveEndAnnouncement(bool stopped, uint64_t files_saved, uint64_t files_wanted);

// For the results window's click handling, which announces the end of a run: takes (clears)
// the pending end-of-run flags of the shared state and gives the text to show, if any. A scan
// announced with a save still pending shows the scan's text, as the last one set wins.
std::optional<LangKey> TakePendingEndText(LangKey scan_text = LangKey::ScanFinished);

// The text that announces a scan that ran to its end. The engine keeps no found tree when it
// could not use the volume at all (the volume would not open, its first sector could not be
// read or holds no file system it reads): that is "readfailed", never "scanfinished" over an
// empty window. A scan that read the volume but found nothing, or no hit, says so.
LangKey ScanEndText(bool find_mode, bool tree_kept, bool anything_found);

}  // namespace vardeck
