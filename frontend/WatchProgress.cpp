// The watch threads' arithmetic; see WatchProgress.h.
#include "frontend/WatchProgress.h"

#include <algorithm>

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

std::string SaveEndMessage(const LanguageTexts& texts, const scavrel::SaveCounts& counts,
                           uint64_t files_wanted) {
  const uint64_t unreached = files_wanted > counts.whole ? files_wanted - counts.whole : 0;
  const uint64_t not_whole = std::max(counts.partial + counts.failed, unreached);
  if (not_whole == 0) return texts.Text(LangKey::SaveFinished);
  const std::string whole = std::to_string(counts.whole);
  const std::string short_files = std::to_string(not_whole);
  std::string message = FillInValues(texts.Text(LangKey::SaveShort), {whole, short_files});
  auto add = [&](LangKey key) {
    if (!message.empty()) message += "\r\n";
    message += texts.Text(key);
  };
  if (counts.source_failures > 0) add(LangKey::SaveSourceFailed);
  if (counts.destination_failures > 0) add(LangKey::SaveDestinationFailed);
  // Pointing to the folder when nothing reached it would send the user looking for nothing.
  if (counts.whole + counts.partial > 0) add(LangKey::SaveWritten);
  return message;
}

std::optional<LangKey> TakePendingEndText(LangKey scan_text) {
  std::optional<LangKey> text;
  if (SaveFinishedPending.exchange(0)) text = LangKey::SaveFinished;
  if (SaveShortPending.exchange(0)) text = LangKey::SaveShort;
  if (ScanFinishedPending.exchange(0)) text = scan_text;
  return text;
}

std::string ScanEndMessage(const LanguageTexts& texts, bool find_mode,
                           scavrel::ScanOutcome outcome, std::string_view file_system,
                           bool anything_deleted, bool any_hit) {
  if (find_mode ? any_hit : anything_deleted) return texts.Text(LangKey::ScanFinished);
  if (anything_deleted) return texts.Text(LangKey::NoHits);
  switch (outcome) {
    case scavrel::ScanOutcome::kComplete:
      return texts.Text(LangKey::NothingFound);
    case scavrel::ScanOutcome::kOtherFileSystem:
      if (file_system.empty()) return texts.Text(LangKey::UnknownFileSystem);
      // A file system the program reads, met by the other engine (the system misnamed the
      // drive): "cannot read FAT32" would be untrue.
      if (file_system != "FAT12" && file_system != "FAT16" && file_system != "FAT32" &&
          file_system != "NTFS") {
        return OtherFileSystemText(texts, file_system);
      }
      break;
    default:
      break;
  }
  return texts.Text(LangKey::ReadFailed);
}

}  // namespace vardeck
