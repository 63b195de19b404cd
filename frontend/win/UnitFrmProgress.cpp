// UnitFrmProgress: the scan window's size and the scan's pause, continue and stop.
#include "frontend/win/UnitFrmProgress.h"

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"

namespace vardeck {

TFrmProgress* FrmProgress = nullptr;

TFrmProgress::TFrmProgress(forms::TComponent* owner)
    : TProgressForm(owner, 181, " File found:", 100) {}

std::atomic<int32_t>& TFrmProgress::RunState() { return ScanState; }

void TFrmProgress::PauseRun() { NtfsChosen ? NtfsPause() : FatPause(); }

void TFrmProgress::ContinueRun() { NtfsChosen ? NtfsContinue() : FatContinue(); }

void TFrmProgress::StopRun() {
  // The engine's stop wakes a paused worker itself, so that it sees the stop.
  NtfsChosen ? NtfsStop() : FatStop();
  // When the window closes the results window goes back to the start window.
  ResultsCloseMode = CloseMode::kStartAfterStop;
}

}  // namespace vardeck
