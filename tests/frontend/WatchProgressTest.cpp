// The watch threads' arithmetic without threads: bar positions from progress snapshots
// (empty totals, counts past 32 bits, a wrapped product), the full scan's second phase, and
// which end a save is announced with, and the pending end-of-run text taken once.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

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

TEST(SaveEndAnnouncement, StoppedIsQuietShortSaysSoElseFinished) {
  EXPECT_EQ(SaveEndAnnouncement(true, 0, 5), SaveEnd::Quiet);
  EXPECT_EQ(SaveEndAnnouncement(true, 5, 5), SaveEnd::Quiet);
  EXPECT_EQ(SaveEndAnnouncement(false, 5, 5), SaveEnd::Finished);
  EXPECT_EQ(SaveEndAnnouncement(false, 4, 5), SaveEnd::Short);
  EXPECT_EQ(SaveEndAnnouncement(false, 0, 0), SaveEnd::Finished);
  EXPECT_EQ(SaveEndAnnouncement(false, 6, 5), SaveEnd::Finished);  // renamed copies count once
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

TEST(ScanEndText, UnreadDriveEmptyScanAndEmptySearchAreNotAnnouncedAsFinds) {
  EXPECT_EQ(ScanEndText(false, /*tree_kept=*/false, false), LangKey::ReadFailed);
  EXPECT_EQ(ScanEndText(true, /*tree_kept=*/false, false), LangKey::ReadFailed);
  EXPECT_EQ(ScanEndText(false, true, /*anything_found=*/false), LangKey::NothingFound);
  EXPECT_EQ(ScanEndText(true, true, /*anything_found=*/false), LangKey::NoHits);
  EXPECT_EQ(ScanEndText(false, true, true), LangKey::ScanFinished);
  EXPECT_EQ(ScanEndText(true, true, true), LangKey::ScanFinished);
  ScanFinishedPending = 1;
  EXPECT_EQ(TakePendingEndText(LangKey::NoHits), LangKey::NoHits);
}
