// The filters: splitting the name list, extensions, the size and time windows, and the FAT and
// NTFS node tests over records built by hand (times, sizes and names chosen per case).
#include "engine/filters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ansi_text.h"
#include "engine/engine.h"
#include "tests/engine/filters_test_tree.h"

namespace scavrel {
namespace {

using testing_tree::AddFatFile;
using testing_tree::AddFolder;
using testing_tree::AddNtfsFile;
using testing_tree::FatDate;
using testing_tree::FatEntry;
using testing_tree::FatTime;
using testing_tree::FatTimes;
using testing_tree::NtfsFileNameHead;

// File times of the hand-built FAT entry (local time, as FAT keeps it).
constexpr uint64_t kCreated20260314_102030 = 134179572300000000ull;
constexpr uint64_t kWritten20260315_080000 = 134180352000000000ull;
constexpr uint64_t kHour = 36000000000ull;

// A time zone a fixed distance east of UTC, and a double-byte code page whose lead bytes are
// 0x81..0x9F (as in Shift-JIS).
class TestPlatform : public FilterPlatform, public AnsiCodePage {
 public:
  int64_t offset = 0;
  bool double_byte = false;
  uint64_t UtcToLocal(uint64_t utc) const override { return utc + static_cast<uint64_t>(offset); }
  bool IsLeadByte(uint8_t byte) const override {
    return double_byte && byte >= 0x81 && byte <= 0x9F;
  }
};

class Filters : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFilterPlatform(&platform_);
    SetAnsiCodePage(&platform_);
  }
  void TearDown() override {
    SetFilterPlatform(nullptr);
    SetAnsiCodePage(nullptr);
  }

  static std::vector<std::string> Items(const TextList& list) {
    std::vector<std::string> out;
    for (ListPosition p = list.Head(); p != nullptr; p = p->next) out.push_back(p->text);
    return out;
  }

  static std::string Extension(const std::string& name) {
    std::string out = "unchanged";
    EXPECT_TRUE(ExtensionOf(name, &out)) << name;
    return out;
  }

  TestPlatform platform_;
  Engine fat_{EngineKind::kFat};
  Engine ntfs_{EngineKind::kNtfs};
};

TEST_F(Filters, SplitTrimsASingleItemAndKeepsListItemsAsWritten) {
  TextList list;
  SplitNameFilter("  *.doc \t", &list);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"*.doc"}));
  SplitNameFilter("*.doc , *.xls", &list);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"*.doc ", " *.xls"}));
  SplitNameFilter("*.jpg,", &list);  // a trailing comma adds an empty last item
  EXPECT_EQ(Items(list), (std::vector<std::string>{"*.jpg", ""}));
  SplitNameFilter("a,,b", &list);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"a", "", "b"}));
  SplitNameFilter("", &list);
  EXPECT_TRUE(list.Empty());
}

TEST_F(Filters, BlanksAndCommasAloneMeanNoNameTest) {
  TextList list;
  for (const char* text : {"   ", ",", " , ,", "\t"}) {
    SplitNameFilter(text, &list);
    EXPECT_TRUE(list.Empty()) << "[" << text << "]";
  }
  FoundNode* file = AddFatFile(fat_.tree, nullptr, u"report.doc", FatEntry(100));
  SplitNameFilter(" , ", &fat_.name_filters);
  EXPECT_TRUE(NodeFilter(fat_, file));
}

TEST_F(Filters, ExtensionIsTheUpperCasePartAfterTheLastDot) {
  EXPECT_EQ(Extension("*.doc"), "DOC");
  EXPECT_EQ(Extension(".doc"), "DOC");
  EXPECT_EQ(Extension("Report 2026.Doc"), "DOC");
  EXPECT_EQ(Extension("backup.tar.gz"), "GZ");
  EXPECT_EQ(Extension("README"), "");
  EXPECT_EQ(Extension("*.doc "), "DOC ");  // a blank before a comma stays in the item
  std::string out = "unchanged";
  EXPECT_FALSE(ExtensionOf("", &out));
  EXPECT_EQ(out, "");
}

TEST_F(Filters, ExtensionSkipsTrailBytesOfDoubleByteCharacters) {
  platform_.double_byte = true;
  // 0x81 0x2E would end in a dot in a single-byte reading; here it is one character.
  EXPECT_EQ(Extension("ab.c\x81."), "C\x81.");
  EXPECT_EQ(Extension("ab.c\x81.d"), "C\x81.D");
  // 0x82 0x61: the trail byte looks like 'a' and must not be changed to 'A'.
  EXPECT_EQ(Extension("x.\x82\x61z"), "\x82\x61Z");
  platform_.double_byte = false;
  EXPECT_EQ(Extension("ab.c\x81."), "");
  EXPECT_EQ(Extension("x.\x82\x61z"), "\x82\x41Z");
}

TEST_F(Filters, ABlankBeforeTheCommaSpoilsTheFirstItemOnly) {
  FoundNode* doc = AddFatFile(fat_.tree, nullptr, u"report.doc", FatEntry(100));
  FoundNode* xls = AddFatFile(fat_.tree, nullptr, u"sheet.XLS", FatEntry(100));
  SplitNameFilter("*.doc , *.xls", &fat_.name_filters);
  EXPECT_FALSE(NodeFilter(fat_, doc));
  EXPECT_TRUE(NodeFilter(fat_, xls));
  SplitNameFilter("  *.doc  ", &fat_.name_filters);
  EXPECT_TRUE(NodeFilter(fat_, doc));
  EXPECT_FALSE(NodeFilter(fat_, xls));
}

TEST_F(Filters, AnItemWithoutADotPassesOnlyNamesWithoutADot) {
  FoundNode* plain = AddFatFile(fat_.tree, nullptr, u"Makefile", FatEntry(100));
  FoundNode* dotted = AddFatFile(fat_.tree, nullptr, u"doc.txt", FatEntry(100));
  SplitNameFilter("doc", &fat_.name_filters);
  EXPECT_TRUE(NodeFilter(fat_, plain));
  EXPECT_FALSE(NodeFilter(fat_, dotted));
  // An empty item has no extension at all and matches nothing.
  SplitNameFilter("*.zip,", &fat_.name_filters);
  EXPECT_FALSE(NodeFilter(fat_, plain));
}

TEST_F(Filters, NameTestFallsBackToTheShortNameAndFailsWithoutAnyName) {
  FoundNode* file = AddFatFile(fat_.tree, nullptr, u"", FatEntry(100));
  auto* record = AsFatRecord(file->record);
  SplitNameFilter("*.doc", &fat_.name_filters);
  EXPECT_FALSE(NodeFilter(fat_, file));
  SetWideName(&record->short_name, u"xEPORT.DOC", 10);
  EXPECT_TRUE(NodeFilter(fat_, file));
  SplitNameFilter("", &fat_.name_filters);
  SetWideName(&record->short_name, nullptr, 0);
  EXPECT_TRUE(NodeFilter(fat_, file));  // no list, no name test
}

TEST_F(Filters, SizeMinimumIsExclusiveAndMaximumInclusive) {
  FoundNode* f100 = AddFatFile(fat_.tree, nullptr, u"a.bin", FatEntry(100));
  FoundNode* f101 = AddFatFile(fat_.tree, nullptr, u"b.bin", FatEntry(101));
  fat_.bounds[kSizeMin] = 100;
  EXPECT_FALSE(NodeFilter(fat_, f100));
  EXPECT_TRUE(NodeFilter(fat_, f101));
  fat_.bounds[kSizeMin] = kBoundNotSet;
  fat_.bounds[kSizeMax] = 100;
  EXPECT_TRUE(NodeFilter(fat_, f100));
  EXPECT_FALSE(NodeFilter(fat_, f101));
  fat_.bounds[kSizeMin] = 99;
  EXPECT_TRUE(NodeFilter(fat_, f100));
  EXPECT_TRUE(SizeInWindow(0, kBoundNotSet, kBoundNotSet));
}

TEST_F(Filters, NtfsSizeIsSixtyFourBitsAndADamagedHugeSizeFailsAMaximum) {
  FoundNode* big = AddNtfsFile(ntfs_.tree, nullptr, u"disk.vhd",
                               NtfsFileNameHead(0, 0, 5ull << 30));
  FoundNode* damaged = AddNtfsFile(ntfs_.tree, nullptr, u"x.bin",
                                   NtfsFileNameHead(0, 0, 0xFFFFFFFFFFFFFF00ull));
  ntfs_.bounds[kSizeMin] = 4ll << 30;
  EXPECT_TRUE(NodeFilter(ntfs_, big));
  ntfs_.bounds[kSizeMin] = kBoundNotSet;
  ntfs_.bounds[kSizeMax] = 1ll << 40;
  EXPECT_TRUE(NodeFilter(ntfs_, big));
  EXPECT_FALSE(NodeFilter(ntfs_, damaged));
}

TEST_F(Filters, FolderAlwaysPassesAndARecordlessFileFails) {
  FoundNode* folder = AddFolder(fat_.tree, nullptr);
  FoundNode* bare = fat_.tree.NewNode();
  bare->valid = 1;
  bare->deleted = 1;
  fat_.bounds[kSizeMin] = 1000000;
  fat_.bounds[kCreateMax] = 0;
  SplitNameFilter("*.none", &fat_.name_filters);
  EXPECT_TRUE(NodeFilter(fat_, folder));
  EXPECT_FALSE(NodeFilter(fat_, bare));
  EXPECT_FALSE(NodeFilter(fat_, nullptr));
  FoundNode* ntfs_folder = AddFolder(ntfs_.tree, nullptr);
  ntfs_.bounds[kSizeMin] = 1000000;
  EXPECT_TRUE(NodeFilter(ntfs_, ntfs_folder));
}

TEST_F(Filters, FatTimesAreLocalWordsWithInclusiveEndsWhateverTheTimeZone) {
  platform_.offset = 5 * static_cast<int64_t>(kHour);  // must not touch FAT times
  FoundNode* file = AddFatFile(fat_.tree, nullptr, u"report.doc", FatEntry(100));
  fat_.bounds[kCreateMin] = kCreated20260314_102030;
  fat_.bounds[kCreateMax] = kCreated20260314_102030;
  EXPECT_TRUE(NodeFilter(fat_, file));
  fat_.bounds[kCreateMin] = kCreated20260314_102030 + 1;
  fat_.bounds[kCreateMax] = kBoundNotSet;
  EXPECT_FALSE(NodeFilter(fat_, file));
  fat_.bounds[kCreateMin] = kBoundNotSet;
  fat_.bounds[kCreateMax] = kCreated20260314_102030 - 1;
  EXPECT_FALSE(NodeFilter(fat_, file));
  fat_.bounds[kCreateMax] = kBoundNotSet;

  // The write words feed the modification window, not the creation words.
  fat_.bounds[kModifyMin] = kWritten20260315_080000;
  EXPECT_TRUE(NodeFilter(fat_, file));
  fat_.bounds[kModifyMin] = kWritten20260315_080000 + 1;
  EXPECT_FALSE(NodeFilter(fat_, file));
  fat_.bounds[kModifyMin] = kBoundNotSet;
  fat_.bounds[kModifyMax] = kWritten20260315_080000;
  EXPECT_TRUE(NodeFilter(fat_, file));
  fat_.bounds[kModifyMax] = kCreated20260314_102030;
  EXPECT_FALSE(NodeFilter(fat_, file));
}

TEST_F(Filters, NtfsTimesAreTurnedFromUtcToLocalBeforeTheComparison) {
  // Stored UTC: created 07:20:30, modified 05:00:00; the zone is three hours east, so the
  // local times are those of the FAT entry above.
  platform_.offset = 3 * static_cast<int64_t>(kHour);
  FoundNode* file = AddNtfsFile(
      ntfs_.tree, nullptr, u"report.doc",
      NtfsFileNameHead(kCreated20260314_102030 - 3 * kHour, kWritten20260315_080000 - 3 * kHour,
                       100));
  ntfs_.bounds[kCreateMin] = kCreated20260314_102030;
  ntfs_.bounds[kCreateMax] = kCreated20260314_102030;
  EXPECT_TRUE(NodeFilter(ntfs_, file));
  ntfs_.bounds[kCreateMin] = kCreated20260314_102030 + 1;
  EXPECT_FALSE(NodeFilter(ntfs_, file));
  ntfs_.bounds[kCreateMin] = kBoundNotSet;
  ntfs_.bounds[kCreateMax] = kBoundNotSet;

  ntfs_.bounds[kModifyMax] = kWritten20260315_080000 - 1;
  EXPECT_FALSE(NodeFilter(ntfs_, file));
  ntfs_.bounds[kModifyMax] = kWritten20260315_080000;
  EXPECT_TRUE(NodeFilter(ntfs_, file));
  // In UTC the same record would fall outside a window around its local time.
  platform_.offset = 0;
  ntfs_.bounds[kModifyMin] = kWritten20260315_080000 - kHour;
  EXPECT_FALSE(NodeFilter(ntfs_, file));
}

TEST_F(Filters, FatDateWordsConvertOnlyWhenTheyNameAMoment) {
  uint64_t t = 1;
  EXPECT_TRUE(FatDateTimeToFileTime(FatDate(1980, 1, 1), 0, &t));
  EXPECT_EQ(t, 119600064000000000ull);
  EXPECT_TRUE(FatDateTimeToFileTime(FatDate(2107, 12, 31), FatTime(23, 59, 58), &t));
  EXPECT_EQ(t, 159992927980000000ull);
  EXPECT_TRUE(FatDateTimeToFileTime(FatDate(2024, 2, 29), FatTime(12, 0, 0), &t));
  EXPECT_EQ(t, 133536816000000000ull);

  struct Bad {
    uint16_t date, time;
  };
  const Bad bad[] = {
      {0, 0},                                  // zeroed entry: month 0, day 0
      {FatDate(2023, 2, 29), 0},               // not a leap year
      {FatDate(2100, 2, 29), 0},               // century, not a leap year
      {FatDate(2026, 4, 31), 0},
      {static_cast<uint16_t>((46 << 9) | (13 << 5) | 1), 0},  // month 13
      {FatDate(2026, 1, 1), static_cast<uint16_t>(24 << 11)},  // hour 24
      {FatDate(2026, 1, 1), static_cast<uint16_t>(60 << 5)},   // minute 60
      {FatDate(2026, 1, 1), 30},                                // second 60
      {0xFFFF, 0xFFFF},
  };
  for (const Bad& b : bad) {
    t = 1;
    EXPECT_FALSE(FatDateTimeToFileTime(b.date, b.time, &t)) << b.date << " " << b.time;
    EXPECT_EQ(t, 0u);
  }
}

TEST_F(Filters, InvalidFatDatesReadAsTheEarliestTime) {
  FatTimes zeroed;
  zeroed.create_date = 0;
  zeroed.create_time = 0;
  zeroed.write_date = 0xFFFF;
  zeroed.write_time = 0xFFFF;
  FoundNode* file = AddFatFile(fat_.tree, nullptr, u"old.doc", FatEntry(100, zeroed));
  EXPECT_TRUE(NodeFilter(fat_, file));
  fat_.bounds[kCreateMax] = kCreated20260314_102030;
  fat_.bounds[kModifyMax] = kCreated20260314_102030;
  EXPECT_TRUE(NodeFilter(fat_, file));
  fat_.bounds[kCreateMin] = 1;
  EXPECT_FALSE(NodeFilter(fat_, file));
}

TEST_F(Filters, FitAnsiTextCutsAtACharacterBoundary) {
  EXPECT_EQ(FitAnsiText("short", kFilterItemBufferSize), "short");
  std::string long_item(300, 'x');
  EXPECT_EQ(FitAnsiText(long_item, kFilterItemBufferSize).size(), 100u);
  platform_.double_byte = true;
  std::string text = std::string(99, 'a') + "\x82\x61" + "b";  // the pair at bytes 99 and 100
  EXPECT_EQ(FitAnsiText(text, kFilterItemBufferSize), std::string(99, 'a'));
  text = std::string(98, 'a') + "\x82\x61" + "b";
  EXPECT_EQ(FitAnsiText(text, kFilterItemBufferSize), std::string(98, 'a') + "\x82\x61");
  EXPECT_EQ(FitAnsiText("abc", 0), "");
}

}  // namespace
}  // namespace scavrel
