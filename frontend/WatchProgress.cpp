// The watch threads' arithmetic; see WatchProgress.h.
#include "frontend/WatchProgress.h"

#include "frontend/SharedState.h"

namespace vardeck {

namespace {

// done x max / total in signed 64 bits. The product wraps as the two's-complement hardware
// does (done beyond 2^55 bytes cannot come from a real volume), and the one quotient that
// would trap (the most negative value by -1) is taken as its wrapped result.
int64_t ScaledDone(uint64_t done, uint64_t total, int max) {
  const auto product = static_cast<int64_t>(done * static_cast<uint64_t>(static_cast<int64_t>(max)));
  const auto divisor = static_cast<int64_t>(total);
  if (divisor == -1) return static_cast<int64_t>(0 - static_cast<uint64_t>(product));
  return product / divisor;
}

}  // namespace

int WatchBarPosition(uint64_t done, uint64_t total, int max) {
  if (total == 0) return 0;
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(ScaledDone(done, total, max))));
}

bool FullScanPhaseStarted(uint64_t done, uint64_t total, int max, int current_position) {
  if (static_cast<int64_t>(total) <= 0) return false;
  return ScaledDone(done, total, max) < current_position;
}

SaveEnd SaveEndAnnouncement(bool stopped, uint64_t files_saved, uint64_t files_wanted) {
  if (stopped) return SaveEnd::Quiet;
  return files_saved < files_wanted ? SaveEnd::Short : SaveEnd::Finished;
}

std::optional<LangKey> TakePendingEndText(LangKey scan_text) {
  std::optional<LangKey> text;
  if (SaveFinishedPending.exchange(0)) text = LangKey::SaveFinished;
  if (SaveShortPending.exchange(0)) text = LangKey::SaveShort;
  if (ScanFinishedPending.exchange(0)) text = scan_text;
  return text;
}

LangKey ScanEndText(bool find_mode, bool tree_kept, bool anything_found) {
  if (!tree_kept) return LangKey::ReadFailed;
  if (!anything_found) return find_mode ? LangKey::NoHits : LangKey::NothingFound;
  return LangKey::ScanFinished;
}

}  // namespace vardeck
