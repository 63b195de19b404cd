// The tree save's watch thread (see MyThreadSave.h).
#include "frontend/win/MyThreadSave.h"

#include "engine/scavrel_api.h"
#include "frontend/FoundTreeWalk.h"
#include "frontend/win/WatchSupport.h"

namespace vardeck {

TMyThreadSave::TMyThreadSave(skin::TSkinProgressBar* bar, TFrmSaveProgress* window,
                             forms::TLabel* files, forms::TLabel* folders, forms::TLabel* current,
                             scavrel::FoundNode* save_node)
    : TSaveWatchThread(bar, window, files, folders, current), save_node_(save_node) {
  Start();
}

uint64_t TMyThreadSave::FilesWanted() {
  scavrel::FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) == 0 || !root) return 0;
  return CountFilesToSave(root, save_node_, EngineFilter());
}

}  // namespace vardeck
