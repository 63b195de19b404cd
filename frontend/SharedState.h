// The front end's shared state: the scan and save states, the flags the progress windows and
// watch threads exchange, the filter bounds and name filter pushed to the engine before a
// scan, the two sorted-list handles, and the values the results window and the find dialog
// keep beside them. Process-wide, set up with the start window, never freed.
//
// The values a watch thread writes (the run states, the stop and end-of-run flags) are atomics:
// the windows read them on the GUI thread while a watch thread may be setting them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vardeck {

// Values of ScanState and SaveState.
enum RunState : int32_t { kRunIdle = 0, kRunRunning = 1, kRunPaused = 2 };

// What closing the results window does (ResultsCloseMode). While its results are live the
// close ends the program, once the user agrees; after a stopped scan or Back it hands the
// screen back to the start window without asking.
enum class CloseMode : int32_t {
  kNotShown = 0,
  kEndProgram = 1,
  kStartAfterStop = 2,
  kStartAfterBack = 3,
};

// A bound whose both 32-bit halves are all ones is not set.
inline constexpr uint64_t kFilterBoundNotSet = ~uint64_t{0};

// The six bounds of the filter and find dialogs (sizes in bytes, times as 64-bit file times).
struct FilterBounds {
  uint64_t size_min = kFilterBoundNotSet;
  uint64_t size_max = kFilterBoundNotSet;
  uint64_t create_min = kFilterBoundNotSet;
  uint64_t create_max = kFilterBoundNotSet;
  uint64_t modify_min = kFilterBoundNotSet;
  uint64_t modify_max = kFilterBoundNotSet;
  bool operator==(const FilterBounds&) const = default;
};

// ---- the start window's values -------------------------------------------------------------
extern std::atomic<int32_t> ScanState;
extern std::atomic<int32_t> SaveState;
extern std::atomic<uint8_t> StopRequested;
// 1: the NTFS engine, 0: the FAT engine; decides which pause, continue and stop export is called.
extern uint8_t NtfsChosen;
// 1: a find-file scan (flat hit list), 0: a folder-tree scan.
extern uint8_t FindMode;
extern uint8_t FullScan;
// The drive row's caption as the engine named it, and the volume name without its last
// character: the two texts the results window passes to ProcNtfs / ProcFat.
extern std::string ScanDriveCaption;
extern std::string ScanDevicePath;
extern std::atomic<uint8_t> ScanFinishedPending;
extern std::atomic<uint8_t> SaveFinishedPending;
// Set instead of SaveFinishedPending when a save wrote fewer files than it wanted: the
// results window shows "saveshort".
extern std::atomic<uint8_t> SaveShortPending;
extern std::atomic<int32_t> SaveRefused;
// The folder filters of the filter dialog: what quick and full scans push (StartScan) and what
// the results window's tree and lists apply.
extern FilterBounds Bounds;
// Extensions or names separated by ",", as SetFilterList takes them.
extern std::string NameFilterText;
// The find dialog's criteria, kept apart from the folder filters: only the find dialog
// pushes them, on OK, just before its find-file scan starts; every quick or full scan pushes
// the folder filters again, so the criteria never stay behind as its filters.
extern FilterBounds FindBounds;
extern std::string FindNameFilterText;
// Quorrin list handles, made when the start window is created.
extern uint32_t FolderContentsList;
extern uint32_t HitList;

// ---- the results window's values -----------------------------------------------------------
extern std::atomic<bool> ProgressShown;
extern bool InitialTreeClick;
extern CloseMode ResultsCloseMode;
extern uint32_t HitListCount;
extern uint32_t FolderListCount;

// ---- the find dialog's name pattern --------------------------------------------------------
// The find dialog's MakeFilename result that the hit list tests each name against
// (NameMatches); the star flags are "*" or empty. Its extension filter is FindNameFilterText.
extern std::string NamePattern;
extern std::string PatternLeadingStar;
extern std::string PatternTrailingStar;

// Puts the values the start window sets at its creation back to their start values: idle run
// states, no flags pending, every bound not set, empty name filters and find pattern.
void ResetScanState();

}  // namespace vardeck
