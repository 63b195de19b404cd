// The watch threads' shared helpers (see WatchSupport.h).
#include "frontend/win/WatchSupport.h"

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"
#include "frontend/win/MyThread.h"
#include "frontend/win/MyThreadSave.h"
#include "frontend/win/MyThreadSavefile.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmProgress.h"
#include "frontend/win/UnitFrmSaveProgress.h"

namespace vardeck {

void ReleaseOnGui(forms::TThread* thread) {
  // Queued, not waited for: the deletion joins this very thread, which returns right after.
  forms::TThread::Queue([thread] { delete thread; });
}

ProgressSnapshot PollProgress(ProgressExport poll) {
  char buffer[kOutTextPathSize] = {};
  char* text = buffer;
  uint8_t finished = 0;
  ProgressSnapshot s;
  poll(&s.done, &s.total, &s.counter_a, &s.counter_b, &text, &finished);
  buffer[kOutTextPathSize - 1] = '\0';
  s.text = buffer;
  s.finished = finished != 0;
  return s;
}

void ConnectWatchThreads() {
  if (!FrmFindFile) return;
  FrmFindFile->StartScanWatch = [] {
    TFrmProgress* p = FrmProgress;
    ProgressShown = false;
    new TMyThread(p->ProgressBar1, p, p->LabFile, p->LabFolder, p->Labfindfile);
    p->ShowModal();
  };
  FrmFindFile->StartSaveWatch = [](bool list_save, scavrel::FoundNode* node) {
    TFrmSaveProgress* w = FrmSaveProgress;
    ProgressShown = false;
    if (list_save) new TMyThreadSavefile(w->ProgressBar1, w, w->LabFile, w->LabFolder, w->Labfindfile);
    else new TMyThreadSave(w->ProgressBar1, w, w->LabFile, w->LabFolder, w->Labfindfile, node);
    w->ShowModal();
  };
}

std::function<bool(scavrel::FoundNode*)> EngineFilter() {
  return [](scavrel::FoundNode* n) { return FilterNtfsTreeNode(n) != 0; };
}

}  // namespace vardeck
