// MyThreadSavefile: TMyThreadSavefile, the watch thread of the find mode's save of the hit
// list's ticked rows (SaveDeleteFile1).
#pragma once

#include "frontend/win/SaveWatch.h"

namespace vardeck {

class TMyThreadSavefile final : public TSaveWatchThread {
 public:
  // Starts at once.
  TMyThreadSavefile(skin::TSkinProgressBar* bar, TFrmSaveProgress* window, forms::TLabel* files,
                    forms::TLabel* folders, forms::TLabel* current);

 protected:
  uint64_t FilesWanted() override;
};

}  // namespace vardeck
