// The hit-list save's watch thread (see MyThreadSavefile.h).
#include "frontend/win/MyThreadSavefile.h"

#include "frontend/SharedState.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

namespace {

// The fields the list-driven save reads (the results window passes them to SaveDeleteFile1).
constexpr uint32_t kCheckField = 8;
constexpr uint32_t kNodeField = 9;
constexpr quorrin_api::IntegerCell kTicked = 3;

}  // namespace

TMyThreadSavefile::TMyThreadSavefile(skin::TSkinProgressBar* bar, TFrmSaveProgress* window,
                                     forms::TLabel* files, forms::TLabel* folders,
                                     forms::TLabel* current)
    : TSaveWatchThread(bar, window, files, folders, current) {
  Start();
}

uint64_t TMyThreadSavefile::FilesWanted() {
  // The rows the engine saves: a check cell of exactly 3 and a node.
  uint64_t wanted = 0;
  const uint32_t rows = GetListCount(HitList);
  for (uint32_t row = 0; row < rows; ++row) {
    quorrin_api::IntegerCell cell = 0;
    void* storage = &cell;
    if (!GetSortValue(&storage, row, kCheckField, HitList) || cell != kTicked) continue;
    cell = 0;
    if (GetSortValue(&storage, row, kNodeField, HitList) && cell != 0) ++wanted;
  }
  return wanted;
}

}  // namespace vardeck
