// The watch threads' arithmetic without threads: bar positions from progress snapshots
// (empty totals, counts past 32 bits, a wrapped product), the full scan's second phase, and
// the messages that end a scan and a save, and the pending end-of-run text taken once.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "frontend/LangFile.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"

using namespace vardeck;

TEST(WatchBarPosition, ScalesDoneToMaxAndStaysAtZeroWithoutATotal) {
  EXPECT_EQ(WatchBarPosition(0, 0, 100), 0);
  EXPECT_EQ(WatchBarPosition(5, 0, 100), 0);  // no total yet: nothing to show
  EXPECT_EQ(WatchBarPosition(1, 3, 100), 33);
  EXPECT_EQ(WatchBarPosition(3, 3, 100), 100);
  // A 3 TiB volume's bytes: the product needs 49 bits.
  const uint64_t tib3 = 3ull << 40;
  EXPECT_EQ(WatchBarPosition(tib3 / 2, tib3, 100), 50);
  EXPECT_EQ(WatchBarPosition(tib3 - 1, tib3, 100), 99);
}

TEST(WatchBarPosition, ValuesNoVolumeGivesStillGiveANumber) {
  // Past 2^63 the counters read as negative numbers in the engine's signed arithmetic; the
  // result is whatever the wrapped quotient says, never a trap.
  EXPECT_EQ(WatchBarPosition(UINT64_MAX, UINT64_MAX, 100), 100);
  EXPECT_EQ(WatchBarPosition(1ull << 62, 1, 100), 0);  // 2^62 x 100 wraps to 0 in 64 bits
  EXPECT_EQ(WatchBarPosition(static_cast<uint64_t>(INT64_MIN), UINT64_MAX, 1), 0);  // -2^63 / -1
  EXPECT_EQ(WatchBarPosition(7, 2, INT_MAX), static_cast<int>(static_cast<uint32_t>(7ll * INT_MAX / 2)));
}

TEST(FullScanPhase, StartsWhenTheScaledDoneFallsBelowTheBar) {
  EXPECT_FALSE(FullScanPhaseStarted(50, 100, 100, 40));
  EXPECT_FALSE(FullScanPhaseStarted(40, 100, 100, 40));
  EXPECT_TRUE(FullScanPhaseStarted(39, 100, 100, 40));
  EXPECT_TRUE(FullScanPhaseStarted(0, 100, 100, 100));
  EXPECT_FALSE(FullScanPhaseStarted(0, 0, 100, 100));           // no total: never
  EXPECT_FALSE(FullScanPhaseStarted(0, UINT64_MAX, 100, 100));  // a negative total: never
}

TEST(TakePendingEndText, EachFlagGivesItsTextOnceAndTheScanWins) {
  EXPECT_FALSE(TakePendingEndText().has_value());
  SaveFinishedPending = 1;
  EXPECT_EQ(TakePendingEndText(), LangKey::SaveFinished);
  EXPECT_FALSE(TakePendingEndText().has_value());  // taken
  SaveShortPending = 1;
  EXPECT_EQ(TakePendingEndText(), LangKey::SaveShort);
  SaveFinishedPending = 1;
  ScanFinishedPending = 1;
  EXPECT_EQ(TakePendingEndText(), LangKey::ScanFinished);
  EXPECT_EQ(SaveFinishedPending, 0);
  EXPECT_EQ(ScanFinishedPending, 0);
}

// Texts that show which key and which values a message was made of.
LanguageTexts MarkedTexts() {
  LanguageTexts texts;
  for (size_t i = 0; i < kLangKeyCount; ++i) texts.Set(static_cast<LangKey>(i), std::string(kLangKeyNames[i]));
  texts.Set(LangKey::SaveShort, "saveshort whole=%1 short=%2");
  texts.Set(LangKey::OtherFileSystem, "otherfilesystem %1");
  return texts;
}

TEST(ScanEndMessage, AnEmptyResultIsExplainedByHowTheScanEnded) {
  const LanguageTexts texts = MarkedTexts();
  using scavrel::ScanOutcome;
  auto folder = [&](ScanOutcome outcome, std::string_view fs = {}) {
    return ScanEndMessage(texts, false, outcome, fs, false, false);
  };
  // A healthy volume with nothing deleted is no failing drive.
  EXPECT_EQ(folder(ScanOutcome::kComplete), "nothingfound");
  EXPECT_EQ(folder(ScanOutcome::kUnreadable), "readfailed");
  EXPECT_EQ(folder(ScanOutcome::kDamaged), "readfailed");
  EXPECT_EQ(folder(ScanOutcome::kNotEnded), "readfailed");
  EXPECT_EQ(folder(ScanOutcome::kOtherFileSystem, "exFAT"), "otherfilesystem exFAT");
  EXPECT_EQ(folder(ScanOutcome::kOtherFileSystem), "unknownfilesystem");
  // A format the program reads, met by the wrong engine, is never called unreadable by name.
  EXPECT_EQ(folder(ScanOutcome::kOtherFileSystem, "FAT32"), "readfailed");
  // What was found speaks first, whatever the outcome.
  EXPECT_EQ(ScanEndMessage(texts, false, ScanOutcome::kDamaged, "", true, false), "scanfinished");
  EXPECT_EQ(ScanEndMessage(texts, true, ScanOutcome::kComplete, "", true, true), "scanfinished");
  EXPECT_EQ(ScanEndMessage(texts, true, ScanOutcome::kComplete, "", true, false), "nohits");
  EXPECT_EQ(ScanEndMessage(texts, true, ScanOutcome::kComplete, "", false, false), "nothingfound");
  ScanFinishedPending = 1;
  EXPECT_EQ(TakePendingEndText(LangKey::NoHits), LangKey::NoHits);
}

TEST(SaveEndMessage, CountsTheFilesAndNamesTheSideThatFailed) {
  const LanguageTexts texts = MarkedTexts();
  scavrel::SaveCounts all_whole;
  all_whole.whole = 5;
  EXPECT_EQ(SaveEndMessage(texts, all_whole, 5), "savefinished");
  EXPECT_EQ(SaveEndMessage(texts, all_whole, 3), "savefinished");  // renamed copies count once

  // Data past the drive's readable end: one file whole, 17 written short. The drive failed,
  // not the destination.
  scavrel::SaveCounts source;
  source.whole = 1;
  source.partial = 17;
  source.source_failures = 17;
  EXPECT_EQ(SaveEndMessage(texts, source, 18),
            "saveshort whole=1 short=17\r\nsavesourcefailed\r\nsavewritten");

  // A folder that takes no file: nothing was written, so nothing is said to be in it.
  scavrel::SaveCounts refused;
  refused.failed = 4;
  refused.destination_failures = 4;
  EXPECT_EQ(SaveEndMessage(texts, refused, 4), "saveshort whole=0 short=4\r\nsavedestinationfailed");

  // Files the engine never reached count as not saved; a stop's cut file blames neither side.
  scavrel::SaveCounts cut;
  cut.whole = 2;
  cut.partial = 1;
  EXPECT_EQ(SaveEndMessage(texts, cut, 6), "saveshort whole=2 short=4\r\nsavewritten");
}

TEST(FillInValues, ReplacesEachNumberedMarkAndLeavesTheRest) {
  EXPECT_EQ(FillInValues("%1 of %2, %1 again, %3 kept, 100%", {"a", "b"}),
            "a of b, a again, %3 kept, 100%");
  EXPECT_EQ(FillInValues("%", {"a"}), "%");
}
