// UnitFrmSaveProgress: the save window's size and the save's pause, continue and stop.
#include "frontend/win/UnitFrmSaveProgress.h"

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"

namespace vardeck {

TFrmSaveProgress* FrmSaveProgress = nullptr;

// The timer that notes the window on screen keeps its default second.
TFrmSaveProgress::TFrmSaveProgress(forms::TComponent* owner)
    : TProgressForm(owner, 177, "File found:", 1000) {}

std::atomic<int32_t>& TFrmSaveProgress::RunState() { return SaveState; }

void TFrmSaveProgress::PauseRun() { NtfsChosen ? NtfsSavePause() : FatSavePause(); }

void TFrmSaveProgress::ContinueRun() { NtfsChosen ? NtfsSaveContinue() : FatSaveContinue(); }

void TFrmSaveProgress::StopRun() {
  // A paused save thread is resumed first, then asked to stop.
  if (NtfsChosen) {
    NtfsSaveContinue();
    NtfsSaveStop();
  } else {
    FatSaveContinue();
    FatSaveStop();
  }
}

}  // namespace vardeck
