// MyThread: TMyThread, the scan watch thread. It follows the engine's scan every 100 ms on
// the scan progress window (bar, counters, current item, phase text) and, when the scan has
// finished, ends it through EndScan, as the results window's own follower does: the results
// window builds what it shows (the folder tree, or in find mode the hit list), the progress
// window closes, the results window announces the end. Every change to a window is made on
// the GUI thread; the thread itself only waits and polls the engine. It releases itself when
// its body is done.
#pragma once

#include <cstdint>
#include <functional>

#include "forms/Forms.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmProgress.h"
#include "skin/SkinProgressBar.h"

namespace vardeck {

class TMyThread final : public forms::TThread, private ScanFollower {
 public:
  // Starts at once; the results window is FrmFindFile.
  TMyThread(skin::TSkinProgressBar* bar, TFrmProgress* progress, forms::TLabel* files,
            forms::TLabel* folders, forms::TLabel* current);

 protected:
  void Execute() override;

 private:
  void WatchScan();
  // The progress window's part of the end (see ScanFollower).
  void OnGuiThread(const std::function<void()>& step) override;
  void Finished() override;
  void Stopped() override;
  void BeforeBuild() override;
  void AfterBuild() override;

  skin::TSkinProgressBar* bar_;
  TFrmProgress* progress_;
  forms::TLabel* files_;
  forms::TLabel* folders_;
  forms::TLabel* current_;
  TFrmFindFile* results_;
};

}  // namespace vardeck
