// The scan watch thread (see MyThread.h): polling, and what the progress window does at the
// end of the scan, which EndScan drives.
#include "frontend/win/MyThread.h"

#include <string>

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"
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

  EndScan(results_, *this);
}

void TMyThread::OnGuiThread(const std::function<void()>& step) { OnGui(step); }

void TMyThread::Finished() { bar_->SetPosition(bar_->Max()); }

void TMyThread::Stopped() {
  progress_->Button2->SetCaption(kPauseCaption);
  progress_->CloseAtRunEnd();
}

void TMyThread::BeforeBuild() {
  progress_->Button2->SetEnabled(false);
  progress_->Button3->SetEnabled(false);
  if (!FindMode) progress_->LabScan->SetCaption(kBuildingText);
}

void TMyThread::AfterBuild() {
  progress_->Button2->SetCaption(kPauseCaption);
  progress_->CloseAtRunEnd();
  progress_->Button2->SetEnabled(true);
  progress_->Button3->SetEnabled(true);
}

}  // namespace vardeck
