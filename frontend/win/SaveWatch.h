// The body the two save watch threads share: the engine's save progress polled every 100 ms on
// the save progress window, and at the end the window closed and the end announced by the
// results window: nothing for a save the user stopped, "savefinished" when every file the
// save wanted was written whole, else "saveshort" with the engine's counts and the side that
// failed. How many files a save wants is the
// one thing the two threads count differently (the tree, or the ticked rows of the hit list).
#pragma once

#include <cstdint>

#include "forms/Forms.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmSaveProgress.h"
#include "skin/SkinProgressBar.h"

namespace vardeck {

class TSaveWatchThread : public forms::TThread {
 public:
  TSaveWatchThread(skin::TSkinProgressBar* bar, TFrmSaveProgress* window, forms::TLabel* files,
                   forms::TLabel* folders, forms::TLabel* current);

 protected:
  void Execute() override;
  // The files the engine's save will try to write; read before the first poll, while the
  // modal window keeps the found tree and the hit list as they are.
  virtual uint64_t FilesWanted() = 0;

 private:
  void WatchSave();

  skin::TSkinProgressBar* bar_;
  TFrmSaveProgress* window_;
  forms::TLabel* files_;
  forms::TLabel* folders_;
  forms::TLabel* current_;
  TFrmFindFile* results_;
};

}  // namespace vardeck
