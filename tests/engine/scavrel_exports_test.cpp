// Scavrel.dll loaded by name, the way a caller that does not link it would: every export must
// resolve, and the engine-choice, filter and result functions behave as the interface says
// before any scan has run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/found_tree.h"
#include "engine/text_list.h"
#include "tests/engine/scavrel_dll.h"

namespace {

using Bool8 = uint8_t;
using scavrel_dll::Call;

const char* const kExports[] = {
    "GetDriverList",     "GetDriverName",     "GetDriverInfo",     "GetVolume",
    "CheckCurrentDriver", "SetNtfs",          "ProcFat",           "ProcNtfs",
    "FatPause",          "FatContinue",       "FatStop",           "NtfsPause",
    "NtfsContinue",      "NtfsStop",          "GetProgress",       "GetTreeFirst",
    "GetDictionaryName", "GetpFileAttr",      "GetnSelect",        "ClickNtfsNode",
    "ClickNode",         "FilterNtfsTreeNode", "isFilterOK",       "ClearRecovery",
    "SetFilterList",     "GetFilterHeader",   "GetFilterList",     "SetMinFilesize",
    "SetMaxFilesize",    "SetMinCreatefile",  "SetMaxCreatefile",  "SetMinModifyfile",
    "SetMaxModifyfile",  "GetMinFile",        "GetMaxFile",        "GetMinCreatefile",
    "GetMaxCreatefile",  "GetMinModifyfile",  "GetMaxModifyfile",  "SetAutoRename",
    "GetAutoRename",     "GetSaveSize",       "SaveDeleteFile",    "SaveMenuFile",
    "SaveDeleteFile1",   "GetProgressSave",   "FatSavePause",      "FatSaveContinue",
    "FatSaveStop",       "NtfsSavePause",     "NtfsSaveContinue",  "NtfsSaveStop",
    "FatSavePause1",     "FatSaveContinue1",  "FatSaveStop1",      "NtfsSavePause1",
    "NtfsSaveContinue1", "NtfsSaveStop1",     "TestAA",            "GetScanOutcome",
    "GetSaveCounts",
};

class ScavrelDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { scavrel_dll::LoadScavrel(); }
  static void TearDownTestSuite() { scavrel_dll::FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(scavrel_dll::g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(0);
    Call<Bool8 (*)()>("ClearRecovery")();
  }


};

TEST_F(ScavrelDll, EveryExportResolvesByItsUndecoratedName) {
  for (const char* name : kExports) {
    EXPECT_NE(GetProcAddress(scavrel_dll::g_scavrel, name), nullptr) << name;
  }
  // The "...1" names are the same entry points as their plain twins.
  EXPECT_EQ(GetProcAddress(scavrel_dll::g_scavrel, "FatSaveStop1"), GetProcAddress(scavrel_dll::g_scavrel, "FatSaveStop"));
  EXPECT_EQ(GetProcAddress(scavrel_dll::g_scavrel, "NtfsSavePause1"), GetProcAddress(scavrel_dll::g_scavrel, "NtfsSavePause"));
}

TEST_F(ScavrelDll, GetTreeFirstIsFalseWithNullRootBeforeAnyScan) {
  auto get_tree_first = Call<uint64_t (*)(scavrel::FoundNode**)>("GetTreeFirst");
  auto set_ntfs = Call<Bool8 (*)(uint8_t)>("SetNtfs");
  for (uint8_t choice : {0, 1}) {
    set_ntfs(choice);
    scavrel::FoundNode* root = reinterpret_cast<scavrel::FoundNode*>(1);
    uint64_t result = get_tree_first(&root);
    EXPECT_EQ(result & 0xFF, 0u);
    EXPECT_EQ(result >> 32, 0u);
    EXPECT_EQ(root, nullptr);
  }
}

TEST_F(ScavrelDll, SizeBoundMinusOneIsAcceptedAndMinusTwoRefusedInBothEngines) {
  auto set_min = Call<Bool8 (*)(uint32_t, uint32_t)>("SetMinFilesize");
  auto set_max = Call<Bool8 (*)(uint32_t, uint32_t)>("SetMaxFilesize");
  auto get_min = Call<Bool8 (*)(uint64_t*)>("GetMinFile");
  auto get_max = Call<Bool8 (*)(uint64_t*)>("GetMaxFile");
  auto set_ntfs = Call<Bool8 (*)(uint8_t)>("SetNtfs");

  EXPECT_NE(set_min(100, 0), 0);
  EXPECT_NE(set_max(0, 1), 0);  // 4 GiB: the high half counts
  EXPECT_EQ(set_min(0xFFFFFFFEu, 0xFFFFFFFFu), 0);  // -2
  for (uint8_t choice : {0, 1}) {
    set_ntfs(choice);
    uint64_t v = 0;
    EXPECT_NE(get_min(&v), 0);
    EXPECT_EQ(v, 100u);
    EXPECT_NE(get_max(&v), 0);
    EXPECT_EQ(v, 0x100000000ull);
  }
  EXPECT_NE(set_min(0xFFFFFFFFu, 0xFFFFFFFFu), 0);  // -1: not set
  EXPECT_NE(set_max(0xFFFFFFFFu, 0xFFFFFFFFu), 0);
  for (uint8_t choice : {0, 1}) {
    set_ntfs(choice);
    uint64_t v = 0;
    get_min(&v);
    EXPECT_EQ(v, ~0ull);
  }
  // The time bounds take any value.
  auto set_create_min = Call<Bool8 (*)(uint32_t, uint32_t)>("SetMinCreatefile");
  auto get_create_min = Call<Bool8 (*)(uint64_t*)>("GetMinCreatefile");
  EXPECT_NE(set_create_min(0xFFFFFFFEu, 0xFFFFFFFFu), 0);
  uint64_t v = 0;
  get_create_min(&v);
  EXPECT_EQ(v, 0xFFFFFFFFFFFFFFFEull);
  set_create_min(0xFFFFFFFFu, 0xFFFFFFFFu);
}

TEST_F(ScavrelDll, SetNtfsRedirectsCurrentEngineCallsWhileFatControlsKeepTheFatObject) {
  auto set_ntfs = Call<Bool8 (*)(uint8_t)>("SetNtfs");
  auto set_filter = Call<Bool8 (*)(const char*)>("SetFilterList");
  auto get_header = Call<Bool8 (*)(scavrel::ListPosition*)>("GetFilterHeader");
  auto fat_save_stop = Call<Bool8 (*)()>("FatSaveStop");
  auto ntfs_save_stop = Call<Bool8 (*)()>("NtfsSaveStop");
  auto fat_pause = Call<Bool8 (*)()>("FatPause");
  auto get_progress_save = Call<Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**,
                                          uint8_t*)>("GetProgressSave");

  // Both engines hold the filter list; SetNtfs only chooses who answers.
  set_filter("*.doc");
  scavrel::ListPosition position = nullptr;
  set_ntfs(2);  // any non-zero value selects NTFS
  EXPECT_NE(get_header(&position), 0);
  set_ntfs(0);
  EXPECT_NE(get_header(&position), 0);

  // With NTFS chosen, the Fat* controls still address the FAT object: nothing runs there, so
  // its stop reports a finished run, and a pause with no thread is a no-op success.
  set_ntfs(1);
  EXPECT_NE(fat_save_stop(), 0);
  EXPECT_NE(fat_pause(), 0);
  EXPECT_NE(ntfs_save_stop(), 0);
  uint64_t done = 9, total = 9, a = 9, b = 9;
  char buffer[1001] = "junk";
  char* text = buffer;
  uint8_t finished = 0;
  EXPECT_NE(get_progress_save(&done, &total, &a, &b, &text, &finished), 0);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(total, 0u);
  EXPECT_STREQ(buffer, "");
  set_filter("");
}

// With no run in progress every control succeeds: pause and continue find no thread, and stop
// finds the run finished. The "...1" names answer as their twins.
TEST_F(ScavrelDll, EveryPauseContinueAndStopSucceedsWhenNothingRuns) {
  const char* const controls[] = {
      "FatPause",          "FatContinue",      "FatStop",           "NtfsPause",
      "NtfsContinue",      "NtfsStop",         "FatSavePause",      "FatSaveContinue",
      "FatSaveStop",       "NtfsSavePause",    "NtfsSaveContinue",  "NtfsSaveStop",
      "FatSavePause1",     "FatSaveContinue1", "FatSaveStop1",      "NtfsSavePause1",
      "NtfsSaveContinue1", "NtfsSaveStop1",
  };
  for (int round = 0; round < 2; ++round) {  // stopping twice is still a finished run
    for (const char* name : controls) {
      auto control = Call<Bool8 (*)()>(name);
      ASSERT_NE(control, nullptr) << name;
      EXPECT_NE(control(), 0) << name;
    }
  }
}

TEST_F(ScavrelDll, GetProgressBeforeAnyScanReportsNothingAndFinished) {
  auto get_progress = Call<Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**,
                                     uint8_t*)>("GetProgress");
  uint64_t done = 1, total = 1, a = 1, b = 1;
  char buffer[1001] = "junk";
  char* text = buffer;
  uint8_t finished = 0;
  EXPECT_NE(get_progress(&done, &total, &a, &b, &text, &finished), 0);
  EXPECT_EQ(done + total + a + b, 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(finished, 1);
}

TEST_F(ScavrelDll, DictionaryNameFallsBackFromLongToShortToUnknownFolder) {
  auto get_name = Call<Bool8 (*)(scavrel::EntryRecord*, char**)>("GetDictionaryName");
  auto set_ntfs = Call<Bool8 (*)(uint8_t)>("SetNtfs");
  char buffer[1001];
  char* out = buffer;

  // Records built here stand for the engine's own; the names are set by the test.
  scavrel::FatEntryRecord fat{};
  scavrel::InitFatRecord(&fat);
  set_ntfs(0);
  EXPECT_NE(get_name(scavrel::AsEntryRecord(&fat), &out), 0);
  EXPECT_STREQ(buffer, "$Unknow Folder");
  scavrel::SetWideName(&fat.short_name, u"REPORT~1.DOC", 12);
  get_name(scavrel::AsEntryRecord(&fat), &out);
  EXPECT_STREQ(buffer, "REPORT~1.DOC");
  scavrel::SetWideName(&fat.long_name, u"Report 2026.doc", 15);
  get_name(scavrel::AsEntryRecord(&fat), &out);
  EXPECT_STREQ(buffer, "Report 2026.doc");
  scavrel::FreeFatRecord(&fat);

  scavrel::NtfsEntryRecord ntfs{};
  scavrel::InitNtfsRecord(&ntfs);
  set_ntfs(1);
  get_name(scavrel::AsEntryRecord(&ntfs), &out);
  EXPECT_STREQ(buffer, "$Unknow Folder");
  scavrel::SetWideName(&ntfs.long_name, u"notes.txt", 9);
  get_name(scavrel::AsEntryRecord(&ntfs), &out);
  EXPECT_STREQ(buffer, "notes.txt");
  scavrel::FreeNtfsRecord(&ntfs);
  set_ntfs(0);
}

TEST_F(ScavrelDll, DictionaryNameIsCutToTheCallersBuffer) {
  auto get_name = Call<Bool8 (*)(scavrel::EntryRecord*, char**)>("GetDictionaryName");
  scavrel::FatEntryRecord fat{};
  scavrel::InitFatRecord(&fat);
  std::u16string long_name(3000, u'a');
  scavrel::SetWideName(&fat.long_name, long_name.data(), long_name.size());
  std::string buffer(2000, 'z');
  char* out = buffer.data();
  get_name(scavrel::AsEntryRecord(&fat), &out);
  EXPECT_EQ(std::string(buffer.c_str()).size(), 1000u);
  EXPECT_EQ(buffer[1001], 'z');  // nothing written past the 1,001-byte buffer
  scavrel::FreeFatRecord(&fat);
}

TEST_F(ScavrelDll, GetpFileAttrReportsFirstClusterZeroForAnEmptyExtentList) {
  auto get_attr = Call<Bool8 (*)(scavrel::EntryRecord*, void**, scavrel::ExtentList**, uint64_t*,
                                 uint64_t*, uint64_t*)>("GetpFileAttr");
  scavrel::FatEntryRecord fat{};
  scavrel::InitFatRecord(&fat);
  scavrel::AppendRun(&fat.extents)->first_cluster = 77;  // a folder's run of length 0
  void* block = nullptr;
  scavrel::ExtentList* list = nullptr;
  uint64_t free_count = 1, total = 1, first = 1;
  EXPECT_NE(get_attr(scavrel::AsEntryRecord(&fat), &block, &list, &free_count,
                     &total, &first), 0);
  EXPECT_EQ(block, fat.dir_entry);
  EXPECT_EQ(list, &fat.extents);
  EXPECT_EQ(total, 0u);
  EXPECT_EQ(first, 0u);

  fat.extents.total_clusters = 5;
  fat.extents.free_clusters = 4;
  get_attr(scavrel::AsEntryRecord(&fat), &block, &list, &free_count, &total,
           &first);
  EXPECT_EQ(first, 77u);
  EXPECT_EQ(free_count, 4u);
  scavrel::FreeFatRecord(&fat);
}

TEST_F(ScavrelDll, FilterListIsWalkedByPositionAndTheLastNameReturnsFalse) {
  auto set_filter = Call<Bool8 (*)(const char*)>("SetFilterList");
  auto get_header = Call<Bool8 (*)(scavrel::ListPosition*)>("GetFilterHeader");
  auto get_list = Call<Bool8 (*)(scavrel::ListPosition*, char*)>("GetFilterList");

  set_filter("*.doc, *.xls,,jpg");
  scavrel::ListPosition position = nullptr;
  ASSERT_NE(get_header(&position), 0);
  char buffer[1001];
  std::string names;
  Bool8 more = 1;
  int count = 0;
  while (more) {
    more = get_list(&position, buffer);
    names += std::string("[") + buffer + "]";
    ++count;
  }
  EXPECT_EQ(count, 4);
  EXPECT_EQ(names, "[*.doc][ *.xls][][jpg]");

  set_filter("  *.txt  ");
  get_header(&position);
  EXPECT_EQ(get_list(&position, buffer), 0);  // the only name is also the last
  EXPECT_STREQ(buffer, "*.txt");

  set_filter("");
  EXPECT_EQ(get_header(&position), 0);
  EXPECT_EQ(position, nullptr);
}

TEST_F(ScavrelDll, AutoRenameIsOnFromTheStartAndWritesBothEngines) {
  auto set_rename = Call<Bool8 (*)(uint8_t)>("SetAutoRename");
  auto get_rename = Call<Bool8 (*)()>("GetAutoRename");
  auto set_ntfs = Call<Bool8 (*)(uint8_t)>("SetNtfs");
  EXPECT_EQ(get_rename(), 1);
  set_rename(0);
  set_ntfs(1);
  EXPECT_EQ(get_rename(), 0);
  set_rename(1);
  set_ntfs(0);
  EXPECT_EQ(get_rename(), 1);
}

TEST_F(ScavrelDll, GetnSelectReadsTheNodesCheckState) {
  auto get_select = Call<Bool8 (*)(scavrel::FoundNode*, uint8_t*)>("GetnSelect");
  scavrel::FoundNode node{};
  node.check_state = scavrel::kMixed;
  uint8_t state = 0;
  EXPECT_NE(get_select(&node, &state), 0);
  EXPECT_EQ(state, scavrel::kMixed);
}

}  // namespace
