// MyThreadSave: TMyThreadSave, the watch thread of a save of the found tree (SaveDeleteFile,
// the ticked entries) or of one node (SaveMenuFile, the popup's entry).
#pragma once

#include "engine/found_tree.h"
#include "frontend/win/SaveWatch.h"

namespace vardeck {

class TMyThreadSave final : public TSaveWatchThread {
 public:
  // `save_node`: the node handed to SaveMenuFile, or nullptr after SaveDeleteFile. Starts at
  // once.
  TMyThreadSave(skin::TSkinProgressBar* bar, TFrmSaveProgress* window, forms::TLabel* files,
                forms::TLabel* folders, forms::TLabel* current, scavrel::FoundNode* save_node);

 protected:
  uint64_t FilesWanted() override;

 private:
  scavrel::FoundNode* save_node_;
};

}  // namespace vardeck
