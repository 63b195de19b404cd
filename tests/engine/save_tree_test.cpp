// The save walk over hand-built FAT and NTFS trees into the memory destination T:\out: which
// entries are saved where (whole tree by check state and filter, one node with everything
// below it), folder counts, unique names with and without auto-rename, the output path through
// the volume name and its drive-letter fallback, names that must stay inside the destination,
// names and paths too long for the system, and a stop in the middle of a save.
#include "engine/save_tree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/run_control.h"
#include "engine/save_names.h"
#include "tests/engine/save_test_support.h"

namespace scavrel {
namespace {

using save_test::AddRun;
using save_test::FatFile;
using save_test::MemoryOutput;
using save_test::NamedFolder;
using save_test::NtfsFile;
using save_test::OpenVolume;
using save_test::PatternImage;
using save_test::Slice;

using save_test::FatClusterOffset;
using save_test::kClusterBytes;
using save_test::kFatGeometry;
using save_test::kNtfsGeometry;

class SaveTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.last_error = &error_;
    engine_.save_flags.stop = 0;  // as a save's start leaves it
    output_.folders.insert(u"T:\\OUT");
    root_ = NamedFolder(engine_.tree, nullptr, u"T:\\", kMixed, false);
    OpenVolume(engine_, image_, kFatGeometry);
  }

  bool SaveAll() { return SaveTree(engine_, output_, "T:\\out\\", nullptr); }
  bool SaveNode(FoundNode* node) { return SaveTree(engine_, output_, "T:\\out\\", node); }

  std::vector<std::string> Listing() const { return output_.Listing(); }
  std::vector<uint8_t> Saved(const std::u16string& path) const { return output_.Saved(path); }

  LastError error_;
  Engine engine_{EngineKind::kFat};
  MemoryOutput output_;
  FoundNode* root_ = nullptr;
  std::vector<uint8_t> image_ = PatternImage(1 << 20, kClusterBytes);
};

TEST_F(SaveTreeTest, CheckedFilesLandUnderTheirFolderPathsWithExactBytes) {
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FoundNode* sub = NamedFolder(engine_.tree, docs, u"Sub");
  FatFile(engine_.tree, docs, u"a.txt", 1000, 5, 1);
  FatFile(engine_.tree, sub, u"b.bin", 9000, 7, 3);
  FatFile(engine_.tree, root_, u"c.txt", 0, 12, 0);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\C.TXT: 0", "T:\\OUT\\DOCS\\A.TXT: 1000",
                                                 "T:\\OUT\\DOCS\\SUB\\B.BIN: 9000"}));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 1000));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\Sub\\b.bin"), Slice(image_, FatClusterOffset(7), 9000));
  EXPECT_EQ(engine_.save_progress.counter_a, 3u);  // files saved
  EXPECT_EQ(engine_.save_progress.counter_b, 2u);  // folders created
}

TEST_F(SaveTreeTest, WholeTreeSavePassesOverUncheckedLiveAndFilteredOutFiles) {
  FoundNode* kept = NamedFolder(engine_.tree, root_, u"Kept", kMixed);
  FatFile(engine_.tree, kept, u"yes.doc", 10, 5, 1);
  FatFile(engine_.tree, kept, u"no.doc", 10, 6, 1)->check_state = kUnchecked;
  FatFile(engine_.tree, kept, u"filtered.txt", 10, 7, 1);
  FoundNode* live = testing_tree::AddFatFile(engine_.tree, kept, u"live.doc",
                                             testing_tree::FatEntry(10), /*deleted=*/false);
  live->check_state = kChecked;
  // An unchecked folder is not made; a checked file below it goes to the folder above.
  FoundNode* plain = NamedFolder(engine_.tree, root_, u"Plain", kUnchecked);
  FatFile(engine_.tree, plain, u"up.doc", 10, 8, 1);
  SplitNameFilter("*.doc", &engine_.name_filters);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Listing(),
            (std::vector<std::string>{"T:\\OUT\\KEPT\\YES.DOC: 10", "T:\\OUT\\UP.DOC: 10"}));
  EXPECT_EQ(engine_.save_progress.counter_b, 1u);
}

TEST_F(SaveTreeTest, SaveOfOneFolderSavesEverythingBelowItWhateverItsStateAndTheFilter) {
  FoundNode* other = NamedFolder(engine_.tree, root_, u"Other");
  FatFile(engine_.tree, other, u"skip.txt", 10, 4, 1);
  FoundNode* photos = NamedFolder(engine_.tree, root_, u"Photos", kUnchecked);
  FoundNode* trip = NamedFolder(engine_.tree, photos, u"Trip", kUnchecked);
  FatFile(engine_.tree, photos, u"one.jpg", 100, 5, 1)->check_state = kUnchecked;
  FatFile(engine_.tree, trip, u"two.jpg", 200, 6, 1)->check_state = kUnchecked;
  FatFile(engine_.tree, trip, u"three.txt", 300, 7, 1);
  SplitNameFilter("*.doc", &engine_.name_filters);

  EXPECT_TRUE(SaveNode(photos));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\PHOTOS\\ONE.JPG: 100",
                                                 "T:\\OUT\\PHOTOS\\TRIP\\THREE.TXT: 300",
                                                 "T:\\OUT\\PHOTOS\\TRIP\\TWO.JPG: 200"}));

  // One file node: saved alone, directly into the destination.
  output_.files.clear();
  FoundNode* lone = FatFile(engine_.tree, other, u"lone.txt", 5, 9, 1);
  lone->check_state = kUnchecked;
  EXPECT_TRUE(SaveNode(lone));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\LONE.TXT: 5"}));
}

TEST_F(SaveTreeTest, AutoRenameAppendsOnesBeforeTheLastDot) {
  output_.files[u"T:\\OUT\\REPORT.DOC"] = {1};
  output_.files[u"T:\\OUT\\REPORT1.DOC"] = {2};
  output_.files[u"T:\\OUT\\README"] = {3};
  output_.files[u"T:\\OUT\\A.TXT"] = {4};
  FatFile(engine_.tree, root_, u"report.doc", 10, 5, 1);
  FatFile(engine_.tree, root_, u"README", 10, 6, 1);
  FatFile(engine_.tree, root_, u"a.txt", 10, 7, 1);
  FatFile(engine_.tree, root_, u"a.txt", 10, 8, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\report11.doc"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\README1"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(Saved(u"T:\\out\\a1.txt"), Slice(image_, FatClusterOffset(7), 10));
  EXPECT_EQ(Saved(u"T:\\out\\a11.txt"), Slice(image_, FatClusterOffset(8), 10));
  EXPECT_EQ(Saved(u"T:\\out\\a.txt"), std::vector<uint8_t>{4});
}

TEST_F(SaveTreeTest, FreeNamesInAFolderTheRunMadeNeedNoQuestionAndTheRestAreAsked) {
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FatFile(engine_.tree, docs, u"one.txt", 10, 5, 1);
  FatFile(engine_.tree, docs, u"two.txt", 10, 6, 1);
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.exists_questions, 0);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\DOCS\\ONE.TXT: 10",
                                                 "T:\\OUT\\DOCS\\TWO.TXT: 10"}));

  // The destination itself, and a folder an earlier save made, are asked about every name
  // (one.txt, one1.txt, two.txt, two1.txt, top.txt).
  output_.exists_questions = 0;
  FatFile(engine_.tree, root_, u"top.txt", 10, 7, 1);
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.exists_questions, 5);
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\one1.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\top.txt"), Slice(image_, FatClusterOffset(7), 10));
}

TEST_F(SaveTreeTest, NamesThatMayMeetOnesTheRunGaveOutInItsOwnFolderAreStillRenamed) {
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  NamedFolder(engine_.tree, docs, u"x");
  FatFile(engine_.tree, docs->first_child, u"in.txt", 10, 9, 1);  // so that x is made
  FatFile(engine_.tree, docs, u"a.txt", 10, 5, 1);
  FatFile(engine_.tree, docs, u"A.TXT", 10, 6, 1);           // the same name to Windows
  FatFile(engine_.tree, docs, u"x", 10, 7, 1);               // the folder's name
  FatFile(engine_.tree, docs, u"A1~1.TXT", 10, 11, 1);        // may be a short name
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\A1.TXT"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\x1"), Slice(image_, FatClusterOffset(7), 10));
  EXPECT_EQ(output_.exists_questions, 3);  // A.TXT, x and A1~1.TXT
  EXPECT_EQ(engine_.save_progress.counter_a, 5u);
}

TEST_F(SaveTreeTest, NamesOutsideAsciiAreComparedWithoutCaseAndWhatTheFileSystemFoldsFurtherIsCaught) {
  // "\u00c9t\u00e9.txt" and "\u00c9T\u00c9.TXT" are one name to Windows; so, on NTFS, are
  // "\u0131d.txt" (dotless i) and "id.txt", which no fold of ours equates: the create finds
  // it taken and the file takes the next name.
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FatFile(engine_.tree, docs, u"\u00e9t\u00e9.txt", 10, 5, 1);
  FatFile(engine_.tree, docs, u"\u00c9T\u00c9.TXT", 10, 6, 1);
  FatFile(engine_.tree, docs, u"\u0131d.txt", 10, 7, 1);
  FatFile(engine_.tree, docs, u"id.txt", 10, 8, 1);
  output_.fold_dotless_i = true;
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\\u00e9t\u00e9.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\\u00c9T\u00c91.TXT"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\\u0131d.txt"), Slice(image_, FatClusterOffset(7), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\id1.txt"), Slice(image_, FatClusterOffset(8), 10));
  EXPECT_EQ(engine_.save_progress.counter_a, 4u);
}

TEST_F(SaveTreeTest, AFileThatAppearsBeforeTheCreateIsNeitherWrittenOverNorLost) {
  FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  FatFile(engine_.tree, root_, u"b.txt", 10, 6, 1);
  // Another program makes a.txt and a1.txt between the name's choice and its create.
  output_.on_create = [&](const std::u16string& path) {
    if (MemoryOutput::Key(MemoryOutput::DrivePath(path)) != u"T:\\OUT\\A.TXT") return;
    output_.files[u"T:\\OUT\\A.TXT"] = {'o', 't', 'h', 'e', 'r'};
    output_.files[u"T:\\OUT\\A1.TXT"] = {'t', 'o', 'o'};
  };
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\a.txt"), (std::vector<uint8_t>{'o', 't', 'h', 'e', 'r'}));
  EXPECT_EQ(Saved(u"T:\\out\\a1.txt"), (std::vector<uint8_t>{'t', 'o', 'o'}));
  EXPECT_EQ(Saved(u"T:\\out\\a11.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\b.txt"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(engine_.save_progress.counter_a, 2u);
}

TEST_F(SaveTreeTest, WithoutAutoRenameATakenNameIsRefusedAndNothingIsWrittenOverIt) {
  engine_.auto_rename = 0;
  output_.files[u"T:\\OUT\\A.TXT"] = {'k', 'e', 'e', 'p'};
  FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  FatFile(engine_.tree, root_, u"b.txt", 10, 6, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\a.txt"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(Saved(u"T:\\out\\b.txt"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
  EXPECT_EQ(error_.Code(), static_cast<int32_t>(kErrorFileExists));
  // With auto-rename off the file is created only if still new, so a file another program
  // makes meanwhile is not replaced either.
  std::unique_ptr<OutputFile> late;
  SaveSession session(engine_, output_, false);
  uint32_t code = 0;
  EXPECT_EQ(session.CreateTarget({MemoryOutput::kVolumeName, u"out\\a.txt", {}}, &code), nullptr);
  EXPECT_EQ(code, kErrorFileExists);
}

TEST_F(SaveTreeTest, FilesAreCreatedThroughTheVolumeNameOfTheDestinationsDrive) {
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FatFile(engine_.tree, docs, u"a.txt", 10, 5, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.creates, std::vector<std::u16string>{u"\\\\?\\Volume{T}\\out\\Docs\\a.txt"});
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 10));
}

TEST_F(SaveTreeTest, WhereTheVolumeNameCannotTakeFilesTheDriveLetterDoes) {
  output_.volume_names_creatable = false;
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FatFile(engine_.tree, docs, u"a.txt", 10, 5, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.creates, (std::vector<std::u16string>{
                                 u"\\\\?\\Volume{T}\\out\\Docs\\a.txt", u"T:\\out\\Docs\\a.txt"}));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
}

TEST_F(SaveTreeTest, ARunAsksForTheVolumeNameAndItsDriveRootOnceAndKeepsToTheWayThatWorked) {
  // Wine: no file can be made under the volume name, and every question about volumes costs a
  // round trip to the mount manager.
  output_.volume_names_creatable = false;
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FoundNode* other = NamedFolder(engine_.tree, root_, u"Other");
  FatFile(engine_.tree, docs, u"a.txt", 10, 5, 1);
  FatFile(engine_.tree, docs, u"b.txt", 20, 6, 1);
  FatFile(engine_.tree, other, u"c.txt", 30, 7, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.creates, (std::vector<std::u16string>{
                                 u"\\\\?\\Volume{T}\\out\\Docs\\a.txt", u"T:\\out\\Docs\\a.txt",
                                 u"T:\\out\\Docs\\b.txt", u"T:\\out\\Other\\c.txt"}));
  EXPECT_EQ(output_.volume_name_questions, 1);
  EXPECT_EQ(output_.drive_root_questions, 1);
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\b.txt"), Slice(image_, FatClusterOffset(6), 20));
  EXPECT_EQ(Saved(u"T:\\out\\Other\\c.txt"), Slice(image_, FatClusterOffset(7), 30));
  EXPECT_EQ(engine_.save_progress.counter_a, 3u);
}

TEST_F(SaveTreeTest, WhenTheDriveRootStopsTakingFilesTheVolumeNameServesAgain) {
  output_.volume_names_creatable = false;
  FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  FatFile(engine_.tree, root_, u"b.txt", 20, 6, 1);
  FatFile(engine_.tree, root_, u"c.txt", 30, 7, 1);
  int made = 0;
  output_.on_create = [&](const std::u16string&) {
    // After the first file the volume name works and the drive letter no longer does.
    if (++made == 3) {
      output_.volume_names_creatable = true;
      output_.drive_letters_creatable = false;
    }
  };

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.creates, (std::vector<std::u16string>{
                                 u"\\\\?\\Volume{T}\\out\\a.txt", u"T:\\out\\a.txt",
                                 u"T:\\out\\b.txt", u"\\\\?\\Volume{T}\\out\\b.txt",
                                 u"\\\\?\\Volume{T}\\out\\c.txt"}));
  EXPECT_EQ(Saved(u"T:\\out\\c.txt"), Slice(image_, FatClusterOffset(7), 30));
  EXPECT_EQ(engine_.save_progress.counter_a, 3u);
}

TEST_F(SaveTreeTest, AFileNeitherWayTakesFailsWithTheDriveRootsError) {
  output_.volume_names_creatable = false;
  FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  FatFile(engine_.tree, root_, u"b.txt", 20, 6, 1);
  output_.on_create = [&](const std::u16string& path) {
    if (path == u"T:\\out\\b.txt") output_.drive_letters_creatable = false;
  };

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.creates.size(), 4u);
  EXPECT_EQ(output_.FileAt(u"T:\\out\\b.txt"), nullptr);
  EXPECT_EQ(error_.Code(), 5);  // ERROR_ACCESS_DENIED from T:\, not the volume name's 2
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
}

TEST_F(SaveTreeTest, DestinationRootAloneGivesPathsRightBelowTheVolume) {
  FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  EXPECT_TRUE(SaveTree(engine_, output_, "T:\\", nullptr));
  EXPECT_EQ(output_.creates, std::vector<std::u16string>{u"\\\\?\\Volume{T}\\a.txt"});
}

TEST_F(SaveTreeTest, WithoutAVolumeNameFilesAreSavedThroughThePlainPath) {
  output_.volume_name_known = false;
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FatFile(engine_.tree, docs, u"a.txt", 10, 5, 1);
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(output_.creates, std::vector<std::u16string>{u"T:\\out\\Docs\\a.txt"});
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
}

TEST_F(SaveTreeTest, FoundNamesStayInsideTheDestination) {
  FoundNode* up = NamedFolder(engine_.tree, root_, u"..");
  FatFile(engine_.tree, up, u"..\\..\\evil.txt", 10, 5, 1);
  FatFile(engine_.tree, root_, u"CON.txt", 10, 6, 1);
  FatFile(engine_.tree, root_, u"data:stream", 10, 7, 1);
  FatFile(engine_.tree, root_, u"trail. ", 10, 8, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Listing(), (std::vector<std::string>{
                           "T:\\OUT\\CON_.TXT: 10", "T:\\OUT\\DATA_STREAM: 10",
                           "T:\\OUT\\TRAIL__: 10", "T:\\OUT\\__\\.._.._EVIL.TXT: 10"}));
}

TEST_F(SaveTreeTest, TooLongNamesAndTooDeepPathsFailAloneAndTheWalkGoesOn) {
  FatFile(engine_.tree, root_, std::u16string(300, u'n') + u".txt", 10, 5, 1);
  // Folders of 250 characters: the 131st level passes the longest Win32 path.
  FoundNode* deep = root_;
  for (int level = 0; level < 140; ++level) {
    deep = NamedFolder(engine_.tree, deep, std::u16string(250, static_cast<char16_t>(u'a' + level % 26)));
  }
  FatFile(engine_.tree, deep, u"bottom.txt", 10, 6, 1);
  FatFile(engine_.tree, root_, u"after.txt", 10, 7, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\after.txt"), Slice(image_, FatClusterOffset(7), 10));
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
  EXPECT_EQ(engine_.save_progress.counter_b, 130u);
  for (const auto& path : output_.folders) EXPECT_LE(path.size(), kMaxOutputPathUnits);
}

TEST_F(SaveTreeTest, FolderThatCannotBeMadeSkipsItsOwnEntriesOnly) {
  engine_.auto_rename = 0;
  output_.files[u"T:\\OUT\\BLOCKED"] = {1};  // a file where the folder would go
  FoundNode* blocked = NamedFolder(engine_.tree, root_, u"Blocked");
  FatFile(engine_.tree, blocked, u"lost.txt", 10, 5, 1);
  FoundNode* open = NamedFolder(engine_.tree, root_, u"Open");
  FatFile(engine_.tree, open, u"kept.txt", 10, 6, 1);

  SaveSession session(engine_, output_, false);
  EXPECT_FALSE(SaveFolder(session, blocked, u"T:\\out"));
  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\Open\\kept.txt"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(output_.FileAt(u"T:\\out\\Blocked\\lost.txt"), nullptr);
}

// A deleted file and a deleted folder of one name in one folder, and a file of the destination
// in a folder's way: with auto-rename the folder is renamed and everything in it saved.
TEST_F(SaveTreeTest, AFileInAFoldersWayGivesTheFolderTheNextFreeName) {
  output_.files[u"T:\\OUT\\OLD"] = {1};
  output_.files[u"T:\\OUT\\OLD1"] = {2};
  FoundNode* old_folder = NamedFolder(engine_.tree, root_, u"Old");
  FatFile(engine_.tree, old_folder, u"in old.txt", 10, 5, 1);
  FatFile(engine_.tree, root_, u"notes", 10, 6, 1);
  FoundNode* notes = NamedFolder(engine_.tree, root_, u"NOTES");
  FatFile(engine_.tree, notes, u"in notes.txt", 10, 7, 1);

  EXPECT_TRUE(SaveAll());
  EXPECT_EQ(Saved(u"T:\\out\\Old11\\in old.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\notes"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(Saved(u"T:\\out\\NOTES1\\in notes.txt"), Slice(image_, FatClusterOffset(7), 10));
  EXPECT_EQ(Saved(u"T:\\out\\OLD"), std::vector<uint8_t>{1});
  EXPECT_EQ(engine_.save_progress.counter_a, 3u);
  EXPECT_EQ(engine_.save_progress.counter_b, 2u);
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 5000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// SaveDeleteFile's road: the starter takes the pending arguments and runs SaveThreadBody on
// the engine's save thread; the poller sees the finished flag and the counters.
TEST_F(SaveTreeTest, SaveStartedOnTheSaveThreadWritesTheTreeAndFinishes) {
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FatFile(engine_.tree, docs, u"a.txt", 1000, 5, 1);
  engine_.save_body = &SaveThreadBody;
  engine_.pending_save.destination = "T:\\out\\";
  engine_.pending_save.node = nullptr;
  SetSaveOutput(&output_);

  ASSERT_TRUE(StartTreeSaveThread(engine_));
  ASSERT_TRUE(WaitFor([&] { return engine_.save_flags.finished == 1; }));
  EXPECT_TRUE(StopRun(engine_, engine_.save_flags));
  SetSaveOutput(nullptr);
  ProgressSnapshot progress = TakeProgressSnapshot(engine_.save_progress, engine_.save_flags);
  EXPECT_EQ(progress.finished, 1);
  EXPECT_EQ(progress.counter_a, 1u);
  EXPECT_EQ(progress.counter_b, 1u);
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 1000));
}

// The save progress window's Stop, while the thread is inside the second file: that file is
// left as far as it was written, the third is never made, the first stays whole.
TEST_F(SaveTreeTest, StopFromAnotherThreadEndsTheSaveAndKeepsFinishedFiles) {
  FatFile(engine_.tree, root_, u"first.bin", 1000, 10, 1);
  // Larger than one piece, so that the stop comes between its pieces.
  const uint32_t second_size = kSavePieceBytes + 50000;
  FatFile(engine_.tree, root_, u"second.bin", second_size, 20,
          (second_size + kClusterBytes - 1) / kClusterBytes);
  FatFile(engine_.tree, root_, u"third.bin", 1000, 200, 1);
  std::mutex mutex;
  std::condition_variable changed;
  int writes = 0;
  bool stopped = false;
  output_.on_write = [&] {
    std::unique_lock<std::mutex> hold(mutex);
    if (++writes != 2) return;  // the second file's first piece waits for the stop
    changed.notify_all();
    changed.wait(hold, [&] { return stopped; });
  };
  engine_.save_body = &SaveThreadBody;
  engine_.pending_save.destination = "T:\\out";
  SetSaveOutput(&output_);

  ASSERT_TRUE(StartTreeSaveThread(engine_));
  {
    std::unique_lock<std::mutex> hold(mutex);
    ASSERT_TRUE(changed.wait_for(hold, std::chrono::seconds(10), [&] { return writes >= 2; }));
    EXPECT_FALSE(StopRun(engine_, engine_.save_flags));  // asked to stop, not finished yet
    stopped = true;
    changed.notify_all();
  }
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine_, engine_.save_flags); }));
  SetSaveOutput(nullptr);
  EXPECT_EQ(Saved(u"T:\\out\\first.bin"), Slice(image_, FatClusterOffset(10), 1000));
  EXPECT_EQ(Saved(u"T:\\out\\second.bin"), Slice(image_, FatClusterOffset(20), kSavePieceBytes));
  EXPECT_EQ(output_.FileAt(u"T:\\out\\third.bin"), nullptr);
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
}

TEST_F(SaveTreeTest, AStopInsideTheLastEntryMakesTheSaveFalse) {
  FoundNode* photos = NamedFolder(engine_.tree, root_, u"Photos");
  FatFile(engine_.tree, photos, u"one.jpg", 100000, 5, 25);
  output_.on_write = [&] { engine_.save_flags.stop = 1; };
  EXPECT_FALSE(SaveNode(photos));
  engine_.save_flags.stop = 0;
  EXPECT_FALSE(SaveAll());  // stopped again inside the only entry of the root
}

TEST_F(SaveTreeTest, NothingIsSavedWithoutATreeAVolumeOrAnOutput) {
  Engine empty(EngineKind::kFat);
  empty.save_flags.stop = 0;
  EXPECT_FALSE(SaveTree(empty, output_, "T:\\out", nullptr));

  SetSaveOutput(nullptr);  // the thread's body without an installed output
  EXPECT_EQ(SaveThreadBody(engine_), 0);

  FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  engine_.volume_state.reset();
  EXPECT_FALSE(SaveAll());
  EXPECT_TRUE(output_.creates.empty());
}

class SaveNtfsTree : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.last_error = &error_;
    engine_.save_flags.stop = 0;
    output_.folders.insert(u"T:\\OUT");
    OpenVolume(engine_, image_, kNtfsGeometry);
  }
  LastError error_;
  Engine engine_{EngineKind::kNtfs};
  MemoryOutput output_;
  std::vector<uint8_t> image_ = PatternImage(1 << 20, kClusterBytes);
};

TEST_F(SaveNtfsTree, NtfsFilesAreCopiedFromTheirRunsUnderTheirFolders) {
  FoundNode* root = NamedFolder(engine_.tree, nullptr, u"T:\\", kMixed, false);
  FoundNode* music = NamedFolder(engine_.tree, root, u"Music");
  FoundNode* song = NtfsFile(engine_.tree, music, u"song.mp3", 5000);
  AddRun(song, 33, 2);

  EXPECT_TRUE(SaveTree(engine_, output_, "T:\\out", nullptr));
  const std::vector<uint8_t>* saved = output_.FileAt(u"T:\\out\\Music\\song.mp3");
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(*saved, Slice(image_, 33 * kClusterBytes, 5000));
  EXPECT_EQ(engine_.save_progress.counter_a, 1u);
  EXPECT_EQ(engine_.save_progress.counter_b, 1u);
}

}  // namespace
}  // namespace scavrel
