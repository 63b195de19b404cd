// Tests of the save commands' steps: which answers lead to the engine being asked to write,
// and with which destination.
#include "frontend/SaveCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardeck {
namespace {

class Script : public SaveSteps {
 public:
  std::string folder = "D:\\out";
  bool on_scanned = false;
  bool confirm = false;
  bool fits = true;
  bool accepts = true;
  bool ticked = true;
  std::vector<std::string> calls;

  bool AnythingTicked() override { return ticked; }
  void TellNothingTicked() override { calls.push_back("nothingticked"); }
  std::string ChooseFolder() override { calls.push_back("choose"); return folder; }
  bool OnScannedVolume(const std::string& f) override {
    calls.push_back("check " + f);
    return on_scanned;
  }
  bool ConfirmScannedVolume() override { calls.push_back("warn"); return confirm; }
  bool Fits(const std::string& f) override { calls.push_back("size " + f); return fits; }
  void TellTooLarge() override { calls.push_back("lowvolume"); }
  bool Start(const std::string& f) override { calls.push_back("start " + f); return accepts; }
};

using Calls = std::vector<std::string>;

TEST(SaveCommand, NothingTickedIsToldBeforeAFolderIsAskedForAndNothingStarts) {
  Script s;
  s.ticked = false;
  EXPECT_EQ(RunSaveCommand(s), SaveOutcome::kNothingTicked);
  EXPECT_EQ(s.calls, Calls{"nothingticked"});
}

TEST(SaveCommand, CancelledFolderBrowserEndsBeforeAnyCheck) {
  Script s;
  s.folder.clear();
  EXPECT_EQ(RunSaveCommand(s), SaveOutcome::kNoFolder);
  EXPECT_EQ(s.calls, Calls{"choose"});
}

TEST(SaveCommand, FolderOnTheScannedVolumeIsWrittenOnlyAfterTheExplicitGoOn) {
  Script s;
  s.on_scanned = true;
  s.confirm = false;  // Cancel, or the box closed
  EXPECT_EQ(RunSaveCommand(s), SaveOutcome::kKeptOffVolume);
  EXPECT_EQ(s.calls, (Calls{"choose", "check D:\\out", "warn"}));

  Script go;
  go.on_scanned = true;
  go.confirm = true;
  EXPECT_EQ(RunSaveCommand(go), SaveOutcome::kStarted);
  EXPECT_EQ(go.calls, (Calls{"choose", "check D:\\out", "warn", "size D:\\out", "start D:\\out\\"}));
}

TEST(SaveCommand, FolderElsewhereIsNotWarnedAbout) {
  Script s;
  EXPECT_EQ(RunSaveCommand(s), SaveOutcome::kStarted);
  EXPECT_EQ(s.calls, (Calls{"choose", "check D:\\out", "size D:\\out", "start D:\\out\\"}));
}

TEST(SaveCommand, EntriesThatDoNotFitAreToldAndNeverStarted) {
  Script s;
  s.fits = false;
  EXPECT_EQ(RunSaveCommand(s), SaveOutcome::kTooLarge);
  EXPECT_EQ(s.calls, (Calls{"choose", "check D:\\out", "size D:\\out", "lowvolume"}));
}

TEST(SaveCommand, EngineRefusalIsReportedAndDriveRootKeepsItsSingleBackslash) {
  Script s;
  s.folder = "E:\\";
  s.accepts = false;
  EXPECT_EQ(RunSaveCommand(s), SaveOutcome::kRefused);
  EXPECT_EQ(s.calls.back(), "start E:\\");
}

}  // namespace
}  // namespace vardeck
