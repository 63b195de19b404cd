// The save watch threads' shared body (see SaveWatch.h).
#include "frontend/win/SaveWatch.h"

#include <string>

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"
#include "frontend/win/WatchSupport.h"

namespace vardeck {

TSaveWatchThread::TSaveWatchThread(skin::TSkinProgressBar* bar, TFrmSaveProgress* window,
                                   forms::TLabel* files, forms::TLabel* folders,
                                   forms::TLabel* current)
    : bar_(bar),
      window_(window),
      files_(files),
      folders_(folders),
      current_(current),
      results_(FrmFindFile) {
  // Made on the GUI thread before the window shows: a stop from an earlier save must not
  // make this one end quietly.
  StopRequested = 0;
}

void TSaveWatchThread::Execute() {
  WatchSave();
  ReleaseOnGui(this);
}

void TSaveWatchThread::WatchSave() {
  const uint64_t wanted = FilesWanted();
  if (!ProgressShown) Sleep(kPollMilliseconds);
  ProgressSnapshot s;
  do {
    Sleep(kPollMilliseconds);
    s = PollProgress(GetProgressSave);
    OnGui([&] {
      bar_->SetPosition(WatchBarPosition(s.done, s.total, bar_->Max()));
      files_->SetCaption(std::to_string(s.counter_a));
      folders_->SetCaption(std::to_string(s.counter_b));
      window_->ShowCurrentItem(s.text);
    });
  } while (!s.finished);
  // The snapshot that showed the flag may hold counters read just before the last file was
  // counted: the files saved are read once more.
  const uint64_t saved = PollProgress(GetProgressSave).counter_a;

  SaveEnd end = SaveEnd::Quiet;
  OnGui([&] {
    bar_->SetPosition(bar_->Max());
    SaveState = kRunIdle;
    end = SaveEndAnnouncement(StopRequested != 0, saved, wanted);
    window_->CloseAtRunEnd();
    window_->Button2->SetCaption(kPauseCaption);
  });
  if (end == SaveEnd::Quiet) return;
  if (end == SaveEnd::Short) SaveShortPending = 1;
  else SaveFinishedPending = 1;
  OnGui([&] {
    if (results_) results_->FormClick();
  });
}

}  // namespace vardeck
