// Storage of the front end's shared state (see SharedState.h).
#include "frontend/SharedState.h"

namespace vardeck {

std::atomic<int32_t> ScanState{kRunIdle};
std::atomic<int32_t> SaveState{kRunIdle};
std::atomic<uint8_t> StopRequested{0};
uint8_t NtfsChosen = 0;
uint8_t FindMode = 0;
uint8_t FullScan = 0;
std::string ScanDriveCaption;
std::string ScanDevicePath;
std::atomic<uint8_t> ScanFinishedPending{0};
std::atomic<uint8_t> SaveFinishedPending{0};
std::atomic<uint8_t> SaveShortPending{0};
std::atomic<int32_t> SaveRefused{0};
FilterBounds Bounds;
std::string NameFilterText;
FilterBounds FindBounds;
std::string FindNameFilterText;
uint32_t FolderContentsList = 0;
uint32_t HitList = 0;

std::atomic<bool> ProgressShown{false};
bool InitialTreeClick = false;
CloseMode ResultsCloseMode = CloseMode::kNotShown;
uint32_t HitListCount = 0;
uint32_t FolderListCount = 0;

std::string NamePattern;
std::string PatternLeadingStar;
std::string PatternTrailingStar;

void ResetScanState() {
  SaveFinishedPending = 0;
  SaveShortPending = 0;
  ScanFinishedPending = 0;
  ScanState = kRunIdle;
  StopRequested = 0;
  SaveState = kRunIdle;
  SaveRefused = 0;
  Bounds = FilterBounds{};
  NameFilterText.clear();
  FindBounds = FilterBounds{};
  FindNameFilterText.clear();
  NamePattern.clear();
  PatternLeadingStar.clear();
  PatternTrailingStar.clear();
}

}  // namespace vardeck
