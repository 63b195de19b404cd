// The hit-list save's watch thread (see MyThreadSavefile.h).
#include "frontend/win/MyThreadSavefile.h"

#include "engine/found_tree.h"
#include "frontend/ResultRows.h"
#include "frontend/SharedState.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

TMyThreadSavefile::TMyThreadSavefile(skin::TSkinProgressBar* bar, TFrmSaveProgress* window,
                                     forms::TLabel* files, forms::TLabel* folders,
                                     forms::TLabel* current)
    : TSaveWatchThread(bar, window, files, folders, current) {
  Start();
}

uint64_t TMyThreadSavefile::FilesWanted() {
  // The rows the engine saves, read through the fields the results window hands
  // SaveDeleteFile1: a check cell of exactly kChecked and a node.
  uint64_t wanted = 0;
  const uint32_t rows = GetListCount(HitList);
  for (uint32_t row = 0; row < rows; ++row) {
    quorrin_api::IntegerCell cell = 0;
    void* storage = &cell;
    if (!GetSortValue(&storage, row, hit_field::kCheck, HitList) || cell != scavrel::kChecked) {
      continue;
    }
    cell = 0;
    if (GetSortValue(&storage, row, hit_field::kNode, HitList) && cell != 0) ++wanted;
  }
  return wanted;
}

}  // namespace vardeck
