// Reading Lang.rec: entries, line breaks, keys, the broken tail, hostile files, and the file
// that the build installs beside the program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "frontend/LangFile.h"

#ifdef _WIN32
#include "frontend/win/ProgramFolder.h"
#endif

namespace vardeck {
namespace {

using namespace std::string_literals;

const std::string& TextOf(const LanguageTexts& texts, LangKey key) { return texts.Text(key); }

TEST(LangFile, ValueOverThreeLinesKeepsItsInnerBreaksAndLosesTheBlanksAtItsEnds) {
  LanguageTexts texts;
  ASSERT_TRUE(
      ReadLanguageText("back~!~  First line\r\nsecond line\r\nthird line  \r\n~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Back), "First line\r\nsecond line\r\nthird line");
}

TEST(LangFile, LoneCrAndLoneLfLineEndsBecomeCrLfInsideValues) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("back~!~one\rtwo\nthree\r\nfour~!~\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Back), "one\r\ntwo\r\nthree\r\nfour");
}

TEST(LangFile, KeysAreMatchedWhateverTheirCaseAndBlanksAroundThem) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("QuickScan~!~Quick~!~\r\n\r\n  \tFULLSCAN \t~!~Full~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::QuickScan), "Quick");
  EXPECT_EQ(TextOf(texts, LangKey::FullScan), "Full");
}

TEST(LangFile, ValuesKeepTheirCase) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("url~!~Open The HOME page~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Url), "Open The HOME page");
}

TEST(LangFile, LastLineWithoutLineBreakStillCounts) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("help~!~Help~!~\r\nabout~!~About~!~", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Help), "Help");
  EXPECT_EQ(TextOf(texts, LangKey::About), "About");
}

TEST(LangFile, SeparatorWithBlankBeforeLineBreakDoesNotCloseTheValue) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("banner~!~part one~!~ \r\npart two~!~\r\nurl~!~U~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Banner), "part one~!~ \r\npart two");
  EXPECT_EQ(TextOf(texts, LangKey::Url), "U");
}

TEST(LangFile, BrokenTailIsDroppedAndEntriesBeforeItAreKept) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText(
      "help~!~Help~!~\r\nabout~!~About, never closed\r\nurl~!~Url~!~ trailing\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Help), "Help");
  EXPECT_EQ(TextOf(texts, LangKey::About), "");
  EXPECT_EQ(TextOf(texts, LangKey::Url), "");
}

TEST(LangFile, LaterEntryReplacesEarlierAndUnknownKeysAreSkipped) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText(
      "refresh~!~old~!~\r\nnonsense~!~ignored~!~\r\nREFRESH~!~new~!~\r\nrefreshx~!~x~!~\r\n",
      texts));
  EXPECT_EQ(TextOf(texts, LangKey::Refresh), "new");
  for (size_t i = 0; i < kLangKeyCount; ++i) {
    if (static_cast<LangKey>(i) != LangKey::Refresh) {
      EXPECT_EQ(texts.Text(static_cast<LangKey>(i)), "") << kLangKeyNames[i];
    }
  }
}

TEST(LangFile, TextBeforeAKeyOnItsLineBecomesPartOfTheKey) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("; note help~!~Help~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Help), "");
}

TEST(LangFile, UnsetKeysLeaveEarlierTextsAsTheyAreUntilCleared) {
  LanguageTexts texts;
  texts.Set(LangKey::Warning, "kept");
  ASSERT_TRUE(ReadLanguageText("help~!~Help~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::Warning), "kept");
  texts.Clear();
  EXPECT_EQ(TextOf(texts, LangKey::Warning), "");
  EXPECT_EQ(TextOf(texts, LangKey::Help), "");
}

TEST(LangFile, FileWithoutLinesReadsFalseAndBlankLinesReadTrue) {
  LanguageTexts texts;
  EXPECT_FALSE(ReadLanguageText("", texts));
  EXPECT_TRUE(ReadLanguageText("\r\n", texts));
  EXPECT_TRUE(ReadLanguageText("no separators at all", texts));
}

TEST(LangFile, Utf8ByteOrderMarkDoesNotCostTheFirstEntry) {
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText("\xEF\xBB\xBFquickscan~!~Quick~!~\r\n", texts));
  EXPECT_EQ(TextOf(texts, LangKey::QuickScan), "Quick");
}

TEST(LangFile, ParseLanguageEntryCutsOneEntryAndCountsWhatItCut) {
  std::string joined = "  key ~!~ value ~!~\r\nnext~!~";
  std::string_view text = joined;
  std::string key;
  std::string value;
  // Six characters of key text, the three of its separator, seven of value, five of the end.
  EXPECT_EQ(ParseLanguageEntry(text, key, value), 6u + 3u + 7u + 5u);
  EXPECT_EQ(key, "key");
  EXPECT_EQ(value, "value");
  EXPECT_EQ(text, "next~!~");
  EXPECT_EQ(ParseLanguageEntry(text, key, value), 0u);
  EXPECT_EQ(key, "");
  EXPECT_EQ(value, "");
}

TEST(LangFile, ParseLanguageEntryWithEmptyKeyAndValueIsStillAnEntry) {
  std::string_view text = "~!~~!~\r\n";
  std::string key = "stale";
  std::string value = "stale";
  EXPECT_EQ(ParseLanguageEntry(text, key, value), 8u);
  EXPECT_EQ(key, "");
  EXPECT_EQ(value, "");
  EXPECT_TRUE(text.empty());
}

// Bytes that no editor writes: NULs, every byte value, lone separators' pieces, separators
// glued together. None of it may fault; what is well formed still counts.
TEST(LangFile, BinaryBytesAndStraySeparatorsAreReadWithoutFault) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "~!~~!~!~\r~!~\n\0\0\r\r~"s;
  LanguageTexts texts;
  EXPECT_TRUE(ReadLanguageText(bytes, texts));

  const std::string with_nul = "help~!~a\0b~!~\r\n"s;
  ASSERT_TRUE(ReadLanguageText(with_nul, texts));
  EXPECT_EQ(TextOf(texts, LangKey::Help), "a\0b"s);
}

// A file far larger than any language file, full of entries: read in one pass, not once per
// entry (cutting entries off the front of a copied text would take minutes here).
TEST(LangFile, HugeFileIsReadInOnePass) {
  std::string bytes;
  const std::string entry = "unknownkey~!~some value~!~\r\n";
  for (int i = 0; i < 400'000; ++i) bytes += entry;
  bytes += "help~!~Last~!~\r\n";
  const auto start = std::chrono::steady_clock::now();
  LanguageTexts texts;
  ASSERT_TRUE(ReadLanguageText(bytes, texts));
  EXPECT_EQ(TextOf(texts, LangKey::Help), "Last");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

class LangFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ::testing::TempDir();
    std::remove(Path().c_str());
  }
  void TearDown() override { std::remove(Path().c_str()); }
  std::string Path() const {
    std::string path = folder_;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path + std::string(kLanguageFileName);
  }
  void Write(const std::string& bytes) {
    std::ofstream file(Path(), std::ios::binary);
    file << bytes;
  }
  std::string folder_;
};

TEST_F(LangFileOnDisk, MissingFileReadsFalse) {
  LanguageTexts texts;
  EXPECT_FALSE(LoadLanguage(folder_, texts));
}

TEST_F(LangFileOnDisk, EmptyFileReadsFalse) {
  Write("");
  LanguageTexts texts;
  EXPECT_FALSE(LoadLanguage(folder_, texts));
}

TEST_F(LangFileOnDisk, FolderWithOrWithoutTrailingSeparatorFindsTheFile) {
  Write("selectdriver~!~Select a drive.~!~\r\n");
  std::string bare = folder_;
  while (!bare.empty() && (bare.back() == '/' || bare.back() == '\\')) bare.pop_back();
  for (const std::string& folder : {bare, bare + "/"}) {
    LanguageTexts texts;
    ASSERT_TRUE(LoadLanguage(folder, texts)) << folder;
    EXPECT_EQ(TextOf(texts, LangKey::SelectDriver), "Select a drive.");
  }
}

// The file the build installs beside the program (and beside the tests): every key has a text.
std::string InstalledFolder() {
#ifdef _WIN32
  return ProgramFolder();
#else
  return TOLVANE_RUNTIME_DIR;
#endif
}

TEST(FillInText, EveryMarkTakesTheValueAndAMissingMarkStillNamesIt) {
  EXPECT_EQ(FillInText("uses %1, not FAT. (%1)", "exFAT"), "uses exFAT, not FAT. (exFAT)");
  EXPECT_EQ(FillInText("no mark", "exFAT"), "no mark exFAT");
  EXPECT_EQ(FillInText("", "exFAT"), "exFAT");
  // A value that holds the mark itself is not filled again.
  EXPECT_EQ(FillInText("[%1]", "%1%1"), "[%1%1]");
  EXPECT_EQ(FillInText("100%", "x"), "100% x");
}

TEST(ShippedLangFile, ExfatDriveIsNamedWithTheFileSystemsReadNotCalledMissing) {
  LanguageTexts texts;
  ASSERT_TRUE(LoadLanguage(InstalledFolder(), texts));
  const std::string text = OtherFileSystemText(texts, "exFAT");
  EXPECT_NE(text.find("exFAT"), std::string::npos) << text;
  EXPECT_NE(text.find("NTFS"), std::string::npos) << text;
  EXPECT_NE(text, texts.Text(LangKey::UnknowType));
  EXPECT_EQ(text.find("%1"), std::string::npos) << text;
  EXPECT_EQ(OtherFileSystemText(texts, ""), texts.Text(LangKey::UnknowType));
}

TEST(ShippedLangFile, DefinesEveryKeyWithANonEmptyText) {
  LanguageTexts texts;
  ASSERT_TRUE(LoadLanguage(InstalledFolder(), texts)) << InstalledFolder();
  for (size_t i = 0; i < kLangKeyCount; ++i) {
    EXPECT_FALSE(texts.Text(static_cast<LangKey>(i)).empty()) << kLangKeyNames[i];
  }
}

TEST(ShippedLangFile, EveryEntryIsClosedSoNoTextSwallowsTheNext) {
  std::string path = InstalledFolder();
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  std::ifstream file(path + std::string(kLanguageFileName), std::ios::binary);
  ASSERT_TRUE(file);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::string joined = JoinLanguageLines(bytes);
  std::string_view rest = joined;
  std::string key;
  std::string value;
  size_t entries = 0;
  while (ParseLanguageEntry(rest, key, value) != 0) {
    ++entries;
    EXPECT_EQ(value.find("~!~"), std::string::npos) << key;
  }
  // Only blank lines may follow the last entry: anything else is a broken entry.
  EXPECT_EQ(rest.find_first_not_of("\r\n \t"), std::string_view::npos);
  EXPECT_GE(entries, kLangKeyCount);
}

}  // namespace
}  // namespace vardeck
