// The list-driven save over hand-built FAT and NTFS trees into the memory destination T:\out,
// reading rows from real sorted lists (Quorrin's portable core behind the library seam, laid
// out as the front end's hit list) and from hand-made list functions for cells no real list
// holds: which rows are saved where, the folder count, the folder text cut, texts that try to
// leave the destination, stale and null nodes, a library that cannot be had, a stop, and the
// run on the save thread as SaveDeleteFile1 starts it.
#include "engine/save_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/run_control.h"
#include "engine/save_names.h"
#include "quorrin/list_registry.h"
#include "tests/engine/save_test_support.h"

namespace scavrel {
namespace {

using quorrin_api::IntegerCell;
using save_test::FatFile;
using save_test::MemoryOutput;
using save_test::NamedFolder;
using save_test::Narrow;
using save_test::OpenVolume;
using save_test::PatternImage;
using save_test::Slice;

using save_test::FatClusterOffset;
using save_test::kClusterBytes;
using save_test::kFatGeometry;
using save_test::kNtfsGeometry;

// The front end's hit list: six text fields, four integer fields; field 0 the containing
// folder's path, 8 the check state, 9 the node.
class HitList {
 public:
  HitList() : handle_(quorrin::AddList()) {
    for (int field = 0; field < 10; ++field) {
      quorrin::FieldAdd("a", field < 6 ? kQuorrinFieldText : kQuorrinFieldInteger, handle_);
    }
  }
  ~HitList() { quorrin::ClearList(handle_); }

  void Row(const std::string& folder, IntegerCell state, const FoundNode* node) {
    quorrin::Add(handle_);
    quorrin::SetValue(folder.c_str(), 0, handle_);
    IntegerCell node_cell = reinterpret_cast<IntegerCell>(node);
    quorrin::SetValue(&state, 8, handle_);
    quorrin::SetValue(&node_cell, 9, handle_);
  }

  uint32_t handle() const { return handle_; }

 private:
  uint32_t handle_;
};

// Quorrin's own functions behind the seam; counts what each run loads and frees.
class CoreLibrary : public ListLibrary {
 public:
  bool refuse = false;
  quorrin_api::GetListCountFn count = &quorrin::GetListCount;
  quorrin_api::GetSortValueFn get = &quorrin::GetSortValue;
  quorrin_api::GetSortTextFn get_text = &quorrin::GetSortText;
  int loads = 0;
  int frees = 0;

  bool Load(ListBinding* binding, uint32_t* error) override {
    if (refuse) {
      *error = 126;  // ERROR_MOD_NOT_FOUND, what LoadLibraryA reports for a missing DLL
      return false;
    }
    ++loads;
    binding->get_list_count = count;
    binding->get_sort_value = get;
    binding->get_sort_text = get_text;
    binding->module = this;
    return true;
  }
  void Free(const ListBinding& binding) override {
    if (binding.module == this) ++frees;
  }
};

ListSaveArguments FrontEndArguments(uint32_t list) {
  // SaveDeleteFile1(destination, HitList, 8, 0, 1, 9, 3)
  return ListSaveArguments::From({list, 8, 0, 1, 9, 3});
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 5000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class SaveListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.last_error = &error_;
    engine_.save_flags.stop = 0;  // as a save's start leaves it
    output_.folders.insert(u"T:\\OUT");
    root_ = NamedFolder(engine_.tree, nullptr, u"X:\\", kMixed, false);
    OpenVolume(engine_, image_, kFatGeometry);
  }

  bool Save(const std::string& destination = "T:\\out\\") {
    return SaveList(engine_, output_, library_, destination, FrontEndArguments(list_.handle()));
  }

  std::vector<std::string> Listing() const { return output_.Listing(); }
  std::vector<uint8_t> Saved(const std::u16string& path) const { return output_.Saved(path); }
  uint64_t FilesSaved() const { return engine_.save_progress.counter_a; }
  uint64_t FoldersCreated() const { return engine_.save_progress.counter_b; }

  LastError error_;
  Engine engine_{EngineKind::kFat};
  MemoryOutput output_;
  CoreLibrary library_;
  HitList list_;
  FoundNode* root_ = nullptr;
  std::vector<uint8_t> image_ = PatternImage(1 << 20, kClusterBytes);
};

TEST_F(SaveListTest, CheckedRowsWithANodeAreSavedWhereTheirFolderTextsPoint) {
  FoundNode* docs = NamedFolder(engine_.tree, root_, u"Docs");
  FoundNode* old = NamedFolder(engine_.tree, docs, u"Old");
  FoundNode* a = FatFile(engine_.tree, old, u"a.txt", 1000, 5, 1);
  FoundNode* b = FatFile(engine_.tree, root_, u"b.bin", 9000, 7, 3);
  FoundNode* unchecked = FatFile(engine_.tree, old, u"unchecked.txt", 10, 11, 1);
  FoundNode* mixed = FatFile(engine_.tree, old, u"mixed.txt", 10, 12, 1);
  FoundNode* c = FatFile(engine_.tree, docs, u"c.txt", 0, 13, 0);
  list_.Row("X:\\Docs\\Old\\", 3, a);
  list_.Row("X:\\", 3, b);
  list_.Row("X:\\Docs\\Old\\", 1, unchecked);
  list_.Row("X:\\Docs\\Old\\", 2, mixed);
  list_.Row("X:\\Docs\\Old\\", 3, nullptr);
  // Without the trailing backslash the front end writes, the last folder is made all the same.
  list_.Row("C:\\Docs", 3, c);
  // The row's state decides, not the node's.
  a->check_state = kUnchecked;
  unchecked->check_state = kChecked;

  EXPECT_TRUE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\B.BIN: 9000",
                                                 "T:\\OUT\\DOCS\\C.TXT: 0",
                                                 "T:\\OUT\\DOCS\\OLD\\A.TXT: 1000"}));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\Old\\a.txt"), Slice(image_, FatClusterOffset(5), 1000));
  EXPECT_EQ(Saved(u"T:\\out\\b.bin"), Slice(image_, FatClusterOffset(7), 9000));
  EXPECT_EQ(FilesSaved(), 3u);
  // Docs\Old is new (its parent Docs comes with it); Docs exists by the time c.txt needs it;
  // the destination itself was there.
  EXPECT_EQ(FoldersCreated(), 1u);
  EXPECT_EQ(library_.loads, 1);
  EXPECT_EQ(library_.frees, 1);
}

TEST_F(SaveListTest, FolderCountCountsFoldersThatWereNotThereBeforeTheirFirstRow) {
  FoundNode* one = FatFile(engine_.tree, root_, u"one.txt", 10, 5, 1);
  FoundNode* two = FatFile(engine_.tree, root_, u"two.txt", 10, 6, 1);
  FoundNode* three = FatFile(engine_.tree, root_, u"three.txt", 10, 7, 1);
  FoundNode* four = FatFile(engine_.tree, root_, u"four.txt", 10, 8, 1);
  FoundNode* blocked = FatFile(engine_.tree, root_, u"blocked.txt", 10, 9, 1);
  output_.folders.insert(u"T:\\OUT\\THERE");
  output_.files[u"T:\\OUT\\AFILE"] = {1, 2, 3};
  list_.Row("X:\\Same\\", 3, one);
  list_.Row("X:\\Same\\", 3, two);
  list_.Row("X:\\There\\", 3, three);
  list_.Row("X:\\Same\\Deeper\\", 3, four);
  // A file where the folder should be: nothing is made, the row's file fails alone.
  list_.Row("X:\\AFile\\", 3, blocked);

  EXPECT_TRUE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\AFILE: 3",
                                                 "T:\\OUT\\SAME\\DEEPER\\FOUR.TXT: 10",
                                                 "T:\\OUT\\SAME\\ONE.TXT: 10",
                                                 "T:\\OUT\\SAME\\TWO.TXT: 10",
                                                 "T:\\OUT\\THERE\\THREE.TXT: 10"}));
  EXPECT_EQ(FoldersCreated(), 2u);  // Same, Same\Deeper
  EXPECT_EQ(FilesSaved(), 4u);
  EXPECT_EQ(error_.Code(), 183);  // the file in the way, as the destination reported it
}

// Two deleted folders "Docs" and "DOCS" are one folder on Windows: rows of both, in any
// order, give every file a name of its own there, and no row writes over another's file.
TEST_F(SaveListTest, FoldersThatDifferOnlyInCaseShareOneFolderAndNoFileIsWrittenOver) {
  FoundNode* a = FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  FoundNode* b_upper = FatFile(engine_.tree, root_, u"b.txt", 10, 6, 1);
  FoundNode* b_lower = FatFile(engine_.tree, root_, u"B.TXT", 10, 7, 1);
  FoundNode* a_again = FatFile(engine_.tree, root_, u"a.txt", 10, 8, 1);
  list_.Row("X:\\Docs\\", 3, a);
  list_.Row("X:\\DOCS\\", 3, b_upper);
  list_.Row("X:\\Docs\\", 3, b_lower);
  list_.Row("X:\\docs\\", 3, a_again);

  EXPECT_TRUE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\DOCS\\A.TXT: 10",
                                                 "T:\\OUT\\DOCS\\A1.TXT: 10",
                                                 "T:\\OUT\\DOCS\\B.TXT: 10",
                                                 "T:\\OUT\\DOCS\\B1.TXT: 10"}));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\b.txt"), Slice(image_, FatClusterOffset(6), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\B1.TXT"), Slice(image_, FatClusterOffset(7), 10));
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a1.txt"), Slice(image_, FatClusterOffset(8), 10));
  EXPECT_EQ(FilesSaved(), 4u);
  EXPECT_EQ(FoldersCreated(), 1u);
}

TEST_F(SaveListTest, EmptyListSavesNothingAndStillLoadsAndFreesTheLibrary) {
  EXPECT_TRUE(Save());
  EXPECT_TRUE(output_.files.empty());
  EXPECT_EQ(FilesSaved(), 0u);
  EXPECT_EQ(FoldersCreated(), 0u);
  EXPECT_EQ(engine_.save_progress.total, 100u);
  EXPECT_EQ(library_.loads, 1);
  EXPECT_EQ(library_.frees, 1);
}

TEST_F(SaveListTest, LibraryThatCannotBeHadEndsTheRunWithNothingMade) {
  FoundNode* a = FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  list_.Row("X:\\Docs\\", 3, a);
  engine_.save_progress.counter_a = 7;  // a previous save's counts do not stay on show
  library_.refuse = true;
  EXPECT_FALSE(Save());
  EXPECT_TRUE(output_.files.empty());
  EXPECT_EQ(output_.folders.count(u"T:\\OUT\\DOCS"), 0u);
  EXPECT_EQ(FilesSaved(), 0u);
  EXPECT_EQ(error_.Code(), 126);

  // Bound, but without its functions.
  library_.refuse = false;
  library_.get = nullptr;
  EXPECT_FALSE(Save());
  EXPECT_TRUE(output_.files.empty());
  library_.get = &quorrin::GetSortValue;
  library_.get_text = nullptr;
  EXPECT_FALSE(Save());
  EXPECT_TRUE(output_.files.empty());
  EXPECT_EQ(library_.loads, library_.frees);
}

TEST(SaveListFolderText, CutDropsTheRootAndTheBackslashesRightAfterIt) {
  EXPECT_EQ(CutFolderText(u"C:\\Docs\\Old"), u"Docs\\Old");
  EXPECT_EQ(CutFolderText(u"C:\\Docs\\Old\\"), u"Docs\\Old\\");
  EXPECT_EQ(CutFolderText(u"C:\\\\\\Docs"), u"Docs");
  EXPECT_EQ(CutFolderText(u"\\\\server\\share\\x"), u"server\\share\\x");
  EXPECT_EQ(CutFolderText(u"Docs"), u"Docs");
  EXPECT_EQ(CutFolderText(u"C:\\"), u"");
  EXPECT_EQ(CutFolderText(u""), u"");
  // Only the backslashes right after the first go; later doubled ones stay for the next step.
  EXPECT_EQ(CutFolderText(u"X:\\a\\\\b"), u"a\\\\b");

  EXPECT_EQ(SafeFolderTail(u"a\\\\b\\"), u"a\\b");
  EXPECT_EQ(SafeFolderTail(u"..\\..\\Windows"), u"__\\__\\Windows");
  EXPECT_EQ(SafeFolderTail(u"CON\\x:y"), u"CON_\\x_y");
  EXPECT_EQ(SafeFolderTail(u"\\"), u"");
}

TEST_F(SaveListTest, FolderTextsNeverLeaveTheDestination) {
  FoundNode* up = FatFile(engine_.tree, root_, u"up.txt", 10, 5, 1);
  FoundNode* plain = FatFile(engine_.tree, root_, u"plain.txt", 10, 6, 1);
  FoundNode* empty = FatFile(engine_.tree, root_, u"empty.txt", 10, 7, 1);
  FoundNode* device = FatFile(engine_.tree, root_, u"device.txt", 10, 8, 1);
  list_.Row("X:\\..\\..\\", 3, up);
  list_.Row("Plain", 3, plain);  // no backslash: the whole text is the folder
  list_.Row("", 3, empty);
  list_.Row("X:\\NUL\\", 3, device);

  EXPECT_TRUE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\EMPTY.TXT: 10",
                                                 "T:\\OUT\\NUL_\\DEVICE.TXT: 10",
                                                 "T:\\OUT\\PLAIN\\PLAIN.TXT: 10",
                                                 "T:\\OUT\\__\\__\\UP.TXT: 10"}));
}

TEST_F(SaveListTest, DestinationThatIsRelativeOrTooLongSavesNothing) {
  FoundNode* a = FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  list_.Row("X:\\Docs\\", 3, a);
  for (const char* relative : {"", "out\\", "\\out\\", "1:\\out"}) {
    EXPECT_FALSE(Save(relative)) << relative;
    EXPECT_EQ(error_.Code(), 161) << relative;
  }
  std::string deep = "T:\\out\\" + std::string(32800, 'd');
  EXPECT_TRUE(Save(deep));
  EXPECT_EQ(error_.Code(), 206);
  EXPECT_TRUE(output_.files.empty());
  EXPECT_EQ(output_.folders.size(), 2u);  // T: and T:\OUT
}

TEST_F(SaveListTest, RowNodesTheTreeDoesNotHoldArePassedOver) {
  FoundNode* kept = FatFile(engine_.tree, root_, u"kept.txt", 10, 5, 1);
  FoundNode* gone = FatFile(engine_.tree, root_, u"gone.txt", 10, 6, 1);
  // A node of another tree, and one this tree has freed since the row was made.
  FoundTree other;
  other.set_record_form(RecordForm::kFat);
  FoundNode* other_root = NamedFolder(other, nullptr, u"Y:\\", kMixed, false);
  FoundNode* foreign = FatFile(other, other_root, u"foreign.txt", 10, 7, 1);
  list_.Row("X:\\", 3, kept);
  list_.Row("X:\\", 3, foreign);
  list_.Row("X:\\", 3, gone);
  list_.Row("X:\\", 3, reinterpret_cast<const FoundNode*>(0x10));
  engine_.tree.DeleteNode(gone);

  EXPECT_TRUE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\KEPT.TXT: 10"}));
}

TEST_F(SaveListTest, StopEndsTheRunBeforeTheNextRow) {
  FoundNode* first = FatFile(engine_.tree, root_, u"first.txt", 10, 5, 1);
  FoundNode* second = FatFile(engine_.tree, root_, u"second.txt", 10, 6, 1);
  list_.Row("X:\\", 3, first);
  list_.Row("X:\\", 3, second);
  output_.on_write = [&] { engine_.save_flags.stop = 1; };
  EXPECT_FALSE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{"T:\\OUT\\FIRST.TXT: 10"}));
  EXPECT_EQ(library_.frees, 1);
}

TEST_F(SaveListTest, NtfsRowsAreCopiedFromTheirRuns) {
  Engine ntfs(EngineKind::kNtfs);
  ntfs.last_error = &error_;
  ntfs.save_flags.stop = 0;
  FoundNode* root = NamedFolder(ntfs.tree, nullptr, u"X:\\", kMixed, false);
  FoundNode* file = save_test::NtfsFile(ntfs.tree, root, u"n.dat", 5000);
  save_test::AddRun(file, 3, 2);
  OpenVolume(ntfs, image_, kNtfsGeometry);
  list_.Row("X:\\Sub\\", 3, file);

  EXPECT_TRUE(SaveList(ntfs, output_, library_, "T:\\out\\", FrontEndArguments(list_.handle())));
  EXPECT_EQ(Saved(u"T:\\out\\Sub\\n.dat"), Slice(image_, 3 * kClusterBytes, 5000));
  EXPECT_EQ(ntfs.save_progress.counter_a, 1u);
  EXPECT_EQ(ntfs.save_progress.counter_b, 1u);
}

// Deep found trees give folder texts far past GetSortValue's 999 bytes: the file goes into
// the whole folder, not into one cut off at that length.
TEST_F(SaveListTest, FolderTextLongerThanAThousandBytesIsFollowedWhole) {
  FoundNode* a = FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  std::string folder = "X:\\";
  std::string expected = "T:\\OUT";
  for (int level = 0; level < 12; ++level) {
    const std::string name = std::string(120, static_cast<char>('a' + level));
    folder += name + "\\";
    expected += "\\" + std::string(120, static_cast<char>('A' + level));
  }
  ASSERT_GT(folder.size(), 1400u);
  list_.Row(folder, 3, a);
  EXPECT_TRUE(Save());
  EXPECT_EQ(Listing(), (std::vector<std::string>{expected + "\\A.TXT: 10"}));
  EXPECT_EQ(FoldersCreated(), 1u);
}

// Cells no real list gives: a text that fills the whole buffer without a terminator, and a
// selection read from a text field. Neither may read past the buffer or select the row.
const char* g_fake_text = nullptr;
uint32_t FakeCount(uint32_t) { return 2; }
uint32_t FakeText(char* storage, uint32_t storage_bytes, uint32_t, uint32_t, uint32_t) {
  std::memset(storage, 'p', storage_bytes);
  return storage_bytes;  // "it fitted", with no room left for a terminator
}
int32_t FakeGet(void* const* storage_variable, uint32_t row, uint32_t field, uint32_t) {
  char* storage = static_cast<char*>(*storage_variable);
  if (field == 0) {
    std::memset(storage, 'p', kQuorrinCellTextStorage);
  } else if (field == 8) {
    if (row == 0) {
      IntegerCell state = 3;
      std::memcpy(storage, &state, sizeof(state));
    } else {
      std::memcpy(storage, "3", 2);  // a text cell that says "3"
    }
  } else {
    IntegerCell node = reinterpret_cast<IntegerCell>(g_fake_text);
    std::memcpy(storage, &node, sizeof(node));
  }
  return 1;
}

TEST_F(SaveListTest, UnterminatedTextsAndTextSelectionCellsAreReadSafely) {
  FoundNode* a = FatFile(engine_.tree, root_, u"a.txt", 10, 5, 1);
  g_fake_text = reinterpret_cast<const char*>(a);
  library_.count = &FakeCount;
  library_.get = &FakeGet;
  library_.get_text = &FakeText;
  EXPECT_TRUE(Save());
  // Row 0 only; its folder is the 999 bytes the buffer holds before its last byte.
  ASSERT_EQ(output_.files.size(), 1u);
  EXPECT_EQ(Narrow(output_.files.begin()->first),
            "T:\\OUT\\" + std::string(999, 'P') + "\\A.TXT");
}

// SaveDeleteFile1's road: the starter takes the pending arguments, the save thread runs
// SaveListThreadBody with the installed output and library, and the poller sees it finish.
TEST_F(SaveListTest, ListSaveOnTheSaveThreadFinishesAlsoWithoutALibrary) {
  FoundNode* a = FatFile(engine_.tree, root_, u"a.txt", 1000, 5, 1);
  list_.Row("X:\\Docs\\", 3, a);
  engine_.list_save_body = &SaveListThreadBody;
  engine_.pending_save.list_destination = "T:\\out\\";
  engine_.pending_save.list_arguments = {list_.handle(), 8, 0, 1, 9, 3};
  SetSaveOutput(&output_);
  SetListLibrary(&library_);

  ASSERT_TRUE(StartListSaveThread(engine_));
  ASSERT_TRUE(WaitFor([&] { return engine_.save_flags.finished == 1; }));
  EXPECT_TRUE(StopRun(engine_, engine_.save_flags));
  ProgressSnapshot progress = TakeProgressSnapshot(engine_.save_progress, engine_.save_flags);
  EXPECT_EQ(progress.finished, 1);
  EXPECT_EQ(progress.counter_a, 1u);
  EXPECT_EQ(progress.counter_b, 1u);
  EXPECT_EQ(Saved(u"T:\\out\\Docs\\a.txt"), Slice(image_, FatClusterOffset(5), 1000));

  // No library installed at all: the run ends, finished, with nothing more saved.
  SetListLibrary(nullptr);
  output_.files.clear();
  ASSERT_TRUE(StartListSaveThread(engine_));
  ASSERT_TRUE(WaitFor([&] { return engine_.save_flags.finished == 1; }));
  EXPECT_TRUE(StopRun(engine_, engine_.save_flags));
  EXPECT_TRUE(output_.files.empty());
  EXPECT_EQ(error_.Code(), 126);

  // An empty list through the thread.
  HitList empty;
  SetListLibrary(&library_);
  engine_.pending_save.list_arguments = {empty.handle(), 8, 0, 1, 9, 3};
  ASSERT_TRUE(StartListSaveThread(engine_));
  ASSERT_TRUE(WaitFor([&] { return engine_.save_flags.finished == 1; }));
  EXPECT_TRUE(StopRun(engine_, engine_.save_flags));
  progress = TakeProgressSnapshot(engine_.save_progress, engine_.save_flags);
  EXPECT_EQ(progress.finished, 1);
  EXPECT_EQ(progress.counter_a, 0u);
  EXPECT_TRUE(output_.files.empty());
  SetListLibrary(nullptr);
  SetSaveOutput(nullptr);
}

}  // namespace
}  // namespace scavrel
