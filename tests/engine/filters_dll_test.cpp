// The filter and check-state exports of Scavrel.dll, called by name as the front end does, on
// trees built by hand in this process: which engine answers, the system's time-zone rule for
// NTFS times, and the name list read back into the filter dialog's 101-byte buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/found_tree.h"
#include "engine/text_list.h"
#include "tests/engine/filters_test_tree.h"
#include "tests/engine/scavrel_dll.h"

namespace {

using scavrel::FoundNode;
using scavrel::FoundTree;
using scavrel::RecordForm;
using namespace scavrel::testing_tree;

using Bool8 = uint8_t;
using scavrel_dll::Call;
using SetBound = Bool8 (*)(uint32_t, uint32_t);

constexpr uint64_t kCreated20260314_102030 = 134179572300000000ull;  // the FAT entry's words
constexpr uint64_t kNotSet = ~0ull;

class FiltersDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { scavrel_dll::LoadScavrel(); }
  static void TearDownTestSuite() { scavrel_dll::FreeScavrel(); }

  void SetUp() override {
    ASSERT_NE(scavrel_dll::g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    fat_tree_.set_record_form(RecordForm::kFat);
    ntfs_tree_.set_record_form(RecordForm::kNtfs);
    ResetFilters();
  }
  void TearDown() override {
    if (scavrel_dll::g_scavrel) ResetFilters();
  }

  void ResetFilters() {
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(0);
    Call<Bool8 (*)(const char*)>("SetFilterList")("");
    for (const char* name : {"SetMinFilesize", "SetMaxFilesize", "SetMinCreatefile",
                             "SetMaxCreatefile", "SetMinModifyfile", "SetMaxModifyfile"}) {
      Bound(name, kNotSet);
    }
  }

  static Bool8 Bound(const char* setter, uint64_t value) {
    return Call<SetBound>(setter)(static_cast<uint32_t>(value),
                                  static_cast<uint32_t>(value >> 32));
  }
  static bool Filter(FoundNode* node) {
    return Call<Bool8 (*)(FoundNode*)>("FilterNtfsTreeNode")(node) != 0;
  }
  static uint8_t State(FoundNode* node) {
    uint8_t state = 0;
    EXPECT_NE(Call<Bool8 (*)(FoundNode*, uint8_t*)>("GetnSelect")(node, &state), 0);
    return state;
  }

  FoundTree fat_tree_;
  FoundTree ntfs_tree_;
};

TEST_F(FiltersDll, FatNodesAreTestedBySizeNameAndLocalFatWords) {
  FoundNode* f100 = AddFatFile(fat_tree_, nullptr, u"report.dOC", FatEntry(100));
  FoundNode* f101 = AddFatFile(fat_tree_, nullptr, u"notes.txt", FatEntry(101));
  ASSERT_NE(Bound("SetMinFilesize", 100), 0);
  EXPECT_FALSE(Filter(f100));
  EXPECT_TRUE(Filter(f101));
  Bound("SetMinFilesize", kNotSet);

  Call<Bool8 (*)(const char*)>("SetFilterList")("*.Doc");  // case folded by the code page
  EXPECT_TRUE(Filter(f100));
  EXPECT_FALSE(Filter(f101));
  Call<Bool8 (*)(const char*)>("SetFilterList")("");

  // FAT words are local already: the exact creation time passes whatever zone Wine runs in.
  Bound("SetMinCreatefile", kCreated20260314_102030);
  Bound("SetMaxCreatefile", kCreated20260314_102030);
  EXPECT_TRUE(Filter(f100));
  Bound("SetMinCreatefile", kCreated20260314_102030 + 1);
  EXPECT_FALSE(Filter(f100));
}

TEST_F(FiltersDll, NtfsTimesAreComparedInLocalTimeByTheSystemsRule) {
  const uint64_t utc = 133536816000000000ull;  // 2024-02-29 12:00:00 UTC
  FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
  FILETIME out{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&in, &out));
  const uint64_t local = (static_cast<uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
  // A second run of this test sets the zone (TZ for Wine) and says how far east it lies, so
  // that the conversion is seen to happen and not only to agree with itself.
  char hours[16] = "";
  if (GetEnvironmentVariableA("TOLVANE_ZONE_OFFSET_HOURS", hours, sizeof(hours)) > 0) {
    EXPECT_EQ(static_cast<int64_t>(local - utc), std::stoll(hours) * 36000000000ll);
  }
  FoundNode* file =
      AddNtfsFile(ntfs_tree_, nullptr, u"a.txt", NtfsFileNameHead(utc, utc, 10));
  Call<Bool8 (*)(uint8_t)>("SetNtfs")(1);
  Bound("SetMinCreatefile", local);
  Bound("SetMaxModifyfile", local);
  EXPECT_TRUE(Filter(file));
  Bound("SetMinCreatefile", local + 1);
  EXPECT_FALSE(Filter(file));
  Bound("SetMinCreatefile", kNotSet);
  Bound("SetMaxModifyfile", local - 1);
  EXPECT_FALSE(Filter(file));
}

TEST_F(FiltersDll, IsFilterOkAlwaysAsksTheNtfsEngine) {
  FoundNode* big = AddNtfsFile(ntfs_tree_, nullptr, u"disk.vhd", NtfsFileNameHead(0, 0, 5ull << 30));
  auto is_filter_ok = Call<Bool8 (*)(FoundNode*)>("isFilterOK");
  Bound("SetMinFilesize", 4ull << 30);
  Call<Bool8 (*)(uint8_t)>("SetNtfs")(0);
  EXPECT_NE(is_filter_ok(big), 0);
  Bound("SetMinFilesize", 6ull << 30);
  EXPECT_EQ(is_filter_ok(big), 0);
  EXPECT_EQ(is_filter_ok(nullptr), 0);
}

TEST_F(FiltersDll, ClickNtfsNodeChecksAFolderAndSkipsWhatIsNotSelectable) {
  auto click = Call<Bool8 (*)(FoundNode*, uint32_t)>("ClickNtfsNode");
  FoundNode* root = AddFolder(fat_tree_, nullptr);
  FoundNode* docs = AddFolder(fat_tree_, root);
  FoundNode* a = AddFatFile(fat_tree_, docs, u"a.doc", FatEntry(1));
  FoundNode* b = AddFatFile(fat_tree_, docs, u"b.doc", FatEntry(1));
  FoundNode* live = AddFatFile(fat_tree_, docs, u"live.doc", FatEntry(1), false);
  FoundNode* empty = AddFolder(fat_tree_, root);

  EXPECT_NE(click(docs, 0), 0);
  EXPECT_EQ(State(docs), 3);
  EXPECT_EQ(State(a), 3);
  EXPECT_EQ(State(b), 3);
  EXPECT_EQ(State(live), 1);
  EXPECT_EQ(State(root), 3);
  EXPECT_NE(click(empty, 3), 0);  // not selectable: nothing changes, still true
  EXPECT_EQ(State(empty), 1);
  EXPECT_NE(click(a, 0), 0);
  EXPECT_EQ(State(docs), 2);
  EXPECT_EQ(State(root), 2);
  EXPECT_EQ(click(nullptr, 0), 0);
  EXPECT_EQ(Call<Bool8 (*)(FoundNode*)>("ClickNode")(nullptr), 0);
}

TEST_F(FiltersDll, ALongFilterNameIsCutToTheDialogsBuffer) {
  std::string item = "*." + std::string(300, 'x');
  Call<Bool8 (*)(const char*)>("SetFilterList")(("*.doc," + item).c_str());
  scavrel::ListPosition position = nullptr;
  ASSERT_NE(Call<Bool8 (*)(scavrel::ListPosition*)>("GetFilterHeader")(&position), 0);
  auto get_list = Call<Bool8 (*)(scavrel::ListPosition*, char*)>("GetFilterList");
  std::string buffer(400, 'z');
  EXPECT_NE(get_list(&position, buffer.data()), 0);
  EXPECT_STREQ(buffer.c_str(), "*.doc");
  EXPECT_EQ(get_list(&position, buffer.data()), 0);
  EXPECT_EQ(std::string(buffer.c_str()), item.substr(0, 100));
  EXPECT_EQ(buffer[101], 'z');  // nothing past the 101 bytes
}

}  // namespace
