// The scan watch thread (see MyThread.h): polling, and the end of the scan handed to the
// results window.
#include "frontend/win/MyThread.h"

#include <string>

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"
#include "frontend/win/ResultsEngine.h"
#include "frontend/win/WatchSupport.h"

namespace vardeck {

namespace {

constexpr const char* kScanText = "Scan in progress!";
constexpr const char* kFullScanText = "Full Scan in progress!";
constexpr const char* kBuildingText = "Building Tree in progress!";

}  // namespace

TMyThread::TMyThread(skin::TSkinProgressBar* bar, TFrmProgress* progress, forms::TLabel* files,
                     forms::TLabel* folders, forms::TLabel* current)
    : bar_(bar),
      progress_(progress),
      files_(files),
      folders_(folders),
      current_(current),
      results_(FrmFindFile) {
  Start();
}

void TMyThread::Execute() {
  WatchScan();
  ReleaseOnGui(this);
}

void TMyThread::WatchScan() {
  if (!ProgressShown) Sleep(kPollMilliseconds);
  OnGui([&] {
    bar_->SetPosition(0);
    progress_->LabScan->SetCaption(kScanText);
  });
  bool full_scan_shown = false;
  ProgressSnapshot s;
  do {
    Sleep(kPollMilliseconds);
    s = PollProgress(GetProgress);
    OnGui([&] {
      // A full scan counts its second phase from 0 again: the bar falls back, once.
      if (!full_scan_shown && FullScanPhaseStarted(s.done, s.total, bar_->Max(), bar_->Position())) {
        progress_->LabScan->SetCaption(kFullScanText);
        full_scan_shown = true;
      }
      bar_->SetPosition(WatchBarPosition(s.done, s.total, bar_->Max()));
      files_->SetCaption(std::to_string(s.counter_a));
      folders_->SetCaption(std::to_string(s.counter_b));
      progress_->ShowCurrentItem(s.text);
    });
  } while (!s.finished);

  OnGui([&] {
    bar_->SetPosition(bar_->Max());
    if (results_) ClearFolderItems(results_->TreeView1->Items());
  });
  if (StopRequested) {
    // Stopped: nothing is built and nothing announced; the results window goes back to the
    // start window.
    OnGui([&] {
      progress_->Button2->SetCaption(kPauseCaption);
      progress_->CloseAtRunEnd();
      if (results_) results_->ScanStopped();
    });
  } else {
    EndFinishedScan();
  }
  ScanState = kRunIdle;
  StopRequested = 0;
}

void TMyThread::EndFinishedScan() {
  OnGui([&] {
    progress_->Button2->SetEnabled(false);
    progress_->Button3->SetEnabled(false);
    if (!FindMode) progress_->LabScan->SetCaption(kBuildingText);
  });
  // The results window builds the folder tree (with its first folder clicked open) or the hit
  // list from the finished found tree, in one update, and shows the layout that goes with it.
  OnGui([&] {
    if (results_) results_->ShowScanResult();
  });
  OnGui([&] {
    progress_->Button2->SetCaption(kPauseCaption);
    progress_->CloseAtRunEnd();
    progress_->Button2->SetEnabled(true);
    progress_->Button3->SetEnabled(true);
  });
  ScanFinishedPending = 1;
  OnGui([&] {
    if (results_) results_->FormClick();
  });
}

}  // namespace vardeck
