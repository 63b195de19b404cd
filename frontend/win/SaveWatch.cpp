// The save watch threads' shared body (see SaveWatch.h).
#include "frontend/win/SaveWatch.h"

#include <string>

#include "engine/scavrel_api.h"
#include "frontend/LangFile.h"
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
  // Read once the finished flag is seen: the worker has counted its last file by then.
  scavrel::SaveCounts counts;
  GetSaveCounts(&counts.whole, &counts.partial, &counts.failed, &counts.source_failures,
                &counts.destination_failures);

  bool stopped = false;
  std::string message;
  OnGui([&] {
    bar_->SetPosition(bar_->Max());
    SaveState = kRunIdle;
    stopped = StopRequested != 0;
    message = SaveEndMessage(Lang(), counts, wanted);
    window_->CloseAtRunEnd();
    window_->Button2->SetCaption(kPauseCaption);
  });
  if (stopped) return;
  const bool whole = message == Lang().Text(LangKey::SaveFinished);
  OnGui([&] {
    if (results_ && !whole) results_->SetSaveShortText(message);
  });
  if (whole) SaveFinishedPending = 1;
  else SaveShortPending = 1;
  OnGui([&] {
    if (results_) results_->FormClick();
  });
}

}  // namespace vardeck
