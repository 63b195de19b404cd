// The record container and its reader, over archives and containers that
// tools/skinpack/make_fixtures.py builds: the "main" container holds, in this order,
//   bitmaps SKIN2_BUTTON (24-bit 4x3), SKIN2_TITLEBAR1 (8-bit 5x2 checker),
//           SKIN2_CHECKBOX (32-bit 3x3, rows top-down), SKIN2_BUTTON again (1x1 cyan);
//   integers SKIN2_TITLEBARICONPOSX -5, skin2_formcolor 0xC0FFEE, SKIN2_TRANSCOLOR 0xFF00FF,
//           SKIN2_TRANSCOLOR 0x00FF00, "SKIN2_" + 58 x "L" (64 characters) 64, WEIRD=NAME 7;
//   flags SKIN2_BUTTONTRANS 200, SKIN2_TITLEFIVESECT 1; text AUTHOR "Tolvane test skin";
//   a record of unknown kind 9 named SKIN2_TABCONTROLTRANS;
//   and a closing record (next offset 0) dressed as integer SKIN2_TITLEBARCAPTIONTOP.
#include "skin/Sk2Container.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "skin/Skin2Define.h"
#include "skin/SkinTempName.h"
#include "tests/skin/SkinFixtures.h"

namespace skin {
namespace {

using skin_test::FileExists;
using skin_test::FixturePath;
using skin_test::ReadFixture;

const char kPassword[] = "tolvane";

std::string Archive(const std::string& name) { return FixturePath("archives/" + name + ".ssk"); }

TEST(Sk2Reader, ReadsEveryRecordKind) {
  Tsk2SkinFileReader reader(Archive("plain"), "");
  ASSERT_TRUE(reader.Ready());

  const SkinBitmap* button = reader.GetBitmap("SKIN2_BUTTON");
  ASSERT_NE(button, nullptr);
  ASSERT_EQ(button->width, 4);
  ASSERT_EQ(button->height, 3);
  // Stored bottom-up; read back with the first row at the top.
  EXPECT_EQ(button->Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(button->Pixel(3, 0), 0xFF00FFu);
  EXPECT_EQ(button->Pixel(3, 1), 0x123456u);
  EXPECT_EQ(button->Pixel(3, 2), 0xFEDCBAu);
  EXPECT_EQ(button->file_bytes[0], 'B');

  const SkinBitmap* title = reader.GetBitmap("SKIN2_TITLEBAR1");
  ASSERT_NE(title, nullptr);
  ASSERT_EQ(title->width, 5);
  EXPECT_EQ(title->Pixel(0, 0), 0xFF00FFu);
  EXPECT_EQ(title->Pixel(1, 0), 0x336699u);
  EXPECT_EQ(title->Pixel(0, 1), 0x336699u);

  const SkinBitmap* checkbox = reader.GetBitmap("SKIN2_CHECKBOX");
  ASSERT_NE(checkbox, nullptr);
  EXPECT_EQ(checkbox->Pixel(0, 0), 0x111111u);
  EXPECT_EQ(checkbox->Pixel(2, 2), 0x999999u);

  EXPECT_EQ(reader.GetInteger("SKIN2_TITLEBARICONPOSX"), -5);
  EXPECT_EQ(reader.GetFlag("SKIN2_BUTTONTRANS"), 200);
  EXPECT_EQ(reader.GetFlag("SKIN2_TITLEFIVESECT"), 1);
  ASSERT_EQ(reader.texts().lines().size(), 1u);
  EXPECT_EQ(reader.texts().lines()[0], "AUTHOR=Tolvane test skin");
}

TEST(Sk2Reader, NamesAreComparedWithoutRegardToCaseAndTheFirstRecordWins) {
  Tsk2SkinFileReader reader(Archive("plain"), "");
  ASSERT_TRUE(reader.Ready());
  EXPECT_EQ(reader.GetInteger("SKIN2_FORMCOLOR"), 0xC0FFEE);  // written in lower case
  EXPECT_EQ(reader.GetFlag("skin2_ButtonTrans"), 200);
  const SkinBitmap* button = reader.GetBitmap("skin2_button");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->width, 4);  // not the second, 1x1, SKIN2_BUTTON
  EXPECT_EQ(reader.GetInteger("SKIN2_TRANSCOLOR"), 0xFF00FF);
}

TEST(Sk2Reader, SixtyFourCharacterNameIsTakenWhole) {
  Tsk2SkinFileReader reader(Archive("plain"), "");
  std::string name = "SKIN2_" + std::string(58, 'L');
  EXPECT_EQ(reader.GetInteger(name), 64);
  EXPECT_EQ(reader.GetInteger(name.substr(0, 63)), -1);
}

TEST(Sk2Reader, MissingNamesClosingRecordAndUnknownKindsReadAsDefaults) {
  Tsk2SkinFileReader reader(Archive("plain"), "");
  EXPECT_EQ(reader.GetBitmap("SKIN2_SCROLLBAR"), nullptr);
  EXPECT_EQ(reader.GetInteger("SKIN2_CONTROLCOLOR"), -1);
  EXPECT_EQ(reader.GetFlag("SKIN2_BUTTONTRANSX"), 0);
  // The record that ends the chain is not itself an entry.
  EXPECT_EQ(reader.GetInteger("SKIN2_TITLEBARCAPTIONTOP"), -1);
  // Kind 9 is none of the four lists.
  EXPECT_EQ(reader.GetFlag("SKIN2_TABCONTROLTRANS"), 0);
  // A name holding "=" is cut there, as a name=value list reads its lines: the value "NAME=7"
  // does not convert.
  EXPECT_EQ(reader.GetInteger("WEIRD=NAME"), -1);
  EXPECT_EQ(reader.GetInteger("WEIRD"), -1);
}

TEST(Sk2Reader, ChainWhoseFirstRecordEndsItIsEmptyButReady) {
  Tsk2SkinFileReader reader(Archive("empty_chain"), "");
  EXPECT_TRUE(reader.Ready());
  EXPECT_EQ(reader.GetInteger("SKIN2_TRANSCOLOR"), -1);
  EXPECT_TRUE(reader.texts().lines().empty());
}

TEST(Sk2Reader, EncryptedSkinsReadWithTheirPasswordOnly) {
  Tsk2SkinFileReader good(Archive("encrypted_time_check"), kPassword);
  EXPECT_TRUE(good.Ready());
  EXPECT_EQ(good.GetInteger("SKIN2_TITLEBARICONPOSX"), -5);

  Tsk2SkinFileReader large(Archive("large_level1_encrypted"), kPassword);
  ASSERT_TRUE(large.Ready());
  const SkinBitmap* border = large.GetBitmap("SKIN2_FORMLEFTBORDER");
  ASSERT_NE(border, nullptr);
  EXPECT_EQ(border->width, 200);
  EXPECT_EQ(border->Pixel(199, 119), static_cast<uint32_t>((199 * 1237 + 119 * 7919) & 0xFFFFFF));

  // Result 2 of the extraction: silently unready.
  Tsk2SkinFileReader none(Archive("encrypted_crc_check"), "");
  EXPECT_FALSE(none.Ready());
  EXPECT_EQ(none.GetInteger("SKIN2_TITLEBARICONPOSX"), -1);
}

TEST(Sk2Reader, ReadsWhatThePackerProgramWroteFromAFolderAndAValuesFile) {
  // tools/skinpack/skinpack.py run on make_fixtures.py's cli_source folder (one bitmap, a text
  // file it skips, and values.txt), encrypted with the time check byte.
  Tsk2SkinFileReader reader(Archive("cli_packed"), kPassword);
  ASSERT_TRUE(reader.Ready());
  const SkinBitmap* menubar = reader.GetBitmap("SKIN2_MENUBAR");
  ASSERT_NE(menubar, nullptr);
  EXPECT_EQ(menubar->Pixel(1, 0), 0x0A0B0Cu);
  EXPECT_EQ(reader.GetBitmap("readme"), nullptr);
  EXPECT_EQ(reader.GetInteger("SKIN2_TITLEBARBUTTONPOSY"), -12);
  EXPECT_EQ(reader.GetInteger("SKIN2_FORMCOLOR"), 0xFF00FF);
  EXPECT_EQ(reader.GetFlag("SKIN2_TITLEBARNEEDREGION"), 1);
  ASSERT_EQ(reader.texts().lines().size(), 1u);
  EXPECT_EQ(reader.texts().lines()[0], "COMMENT=two words");
}

TEST(Sk2Reader, UnusableArchiveRaisesFailedToReadSkinFile) {
  for (const char* name : {"pk_magic", "commented", "other_entry_only", "no_such_file"}) {
    std::string temp = NewSkinTempName();
    try {
      Tsk2SkinFileReader reader(Archive(name), "", temp);
      ADD_FAILURE() << name << " did not raise";
    } catch (const SkinFileError& e) {
      EXPECT_STREQ(e.what(), "Failed to read skin file!");
    }
    EXPECT_FALSE(FileExists(temp)) << name;
  }
}

TEST(Sk2Reader, TemporaryFileIsGoneWhateverTheOutcome) {
  struct Case {
    const char* archive;
    const char* password;
    bool ready;
  };
  for (const Case& c : {Case{"plain", "", true}, Case{"encrypted_crc_check", "", false},
                        Case{"size_mismatch_larger", "", false},
                        Case{"damaged_container", "", false}}) {
    std::string temp = NewSkinTempName();
    Tsk2SkinFileReader reader(Archive(c.archive), c.password, temp);
    EXPECT_EQ(reader.Ready(), c.ready) << c.archive;
    EXPECT_FALSE(FileExists(temp)) << c.archive;
  }
}

class DamagedContainer : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedContainer, IsRefused) {
  std::vector<uint8_t> bytes = ReadFixture("containers/" + GetParam() + ".sk2");
  MemoryArchiveSource file(bytes.data(), bytes.size());
  Sk2Lists lists;
  EXPECT_FALSE(ReadSk2Container(file, &lists));
}

INSTANTIATE_TEST_SUITE_P(
    Sk2Container, DamagedContainer,
    ::testing::Values("header_length_40", "header_length_16", "header_length_huge",
                      "integer_size_2", "integer_size_8", "flag_size_0", "flag_size_4",
                      "chain_loops_to_itself", "chain_loops_to_first", "next_record_outside",
                      "first_record_cut", "text_size_past_end", "data_offset_past_end",
                      "bitmap_not_a_bitmap", "bitmap_rows_missing", "shorter_than_header"));

// A one-bit bitmap file of width x height with every row present (all zero), built by hand:
// the cheapest way for a record to claim many pixels.
std::vector<uint8_t> OneBitBitmap(int width, int height) {
  const uint32_t stride = ((static_cast<uint32_t>(width) + 31) / 32) * 4;
  const uint32_t offset = 14 + 40 + 8;
  std::vector<uint8_t> b(offset + static_cast<size_t>(stride) * height, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<uint32_t>(b.size()), 4);
  put(10, offset, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 1, 2);
  put(54 + 4, 0xFFFFFF, 3);  // palette: black, white
  return b;
}

TEST(Sk2Bitmap, RecordMayNotClaimAGigabytePictureFromItsRows) {
  // 32 MiB of rows claim 16384 x 16384 pixels: 1 GiB once decoded.
  std::vector<uint8_t> huge = OneBitBitmap(16384, 16384);
  SkinBitmap out;
  EXPECT_FALSE(DecodeBmp(huge.data(), huge.size(), &out));
  EXPECT_TRUE(out.pixels.empty());
  // The largest picture a record may hold still decodes.
  std::vector<uint8_t> largest = OneBitBitmap(2048, 2048);
  ASSERT_TRUE(DecodeBmp(largest.data(), largest.size(), &out));
  EXPECT_EQ(out.Pixel(2047, 2047), 0u);
  std::vector<uint8_t> wider = OneBitBitmap(2049, 2048);
  EXPECT_FALSE(DecodeBmp(wider.data(), wider.size(), &out));
}

TEST(Sk2Container, EveryTruncationAndFlippedByteOfTheMainContainerIsHandled) {
  std::vector<uint8_t> bytes = ReadFixture("containers/main.sk2");
  {
    MemoryArchiveSource file(bytes.data(), bytes.size());
    Sk2Lists lists;
    ASSERT_TRUE(ReadSk2Container(file, &lists));
    EXPECT_EQ(lists.bitmaps.size(), 4u);
    EXPECT_EQ(lists.integers.lines().size(), 6u);
  }
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    MemoryArchiveSource file(bytes.data(), length);
    Sk2Lists lists;
    // Every cut loses at least the closing record.
    EXPECT_FALSE(ReadSk2Container(file, &lists)) << length;
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::vector<uint8_t> flipped = bytes;
    flipped[at] ^= 0xA5;
    MemoryArchiveSource file(flipped.data(), flipped.size());
    Sk2Lists lists;
    ReadSk2Container(file, &lists);
  }
}

TEST(Skin2Define, FourGroupsOf84NamesInOrder) {
  EXPECT_STREQ(Skin2KeyNames[0], "SKIN2_TRANSCOLOR");
  EXPECT_STREQ(Skin2KeyNames[31], "SKIN2_SIDECHANNELBORDERCOLOR");
  EXPECT_STREQ(Skin2KeyNames[32], "SKIN2_TITLEBAR1");
  EXPECT_STREQ(Skin2KeyNames[65], "SKIN2_SCROLLBUTTON");
  EXPECT_STREQ(Skin2KeyNames[66], "SKIN2_TITLEBARICONPOSX");
  EXPECT_STREQ(Skin2KeyNames[74], "SKIN2_BOTTOMREGIONMAXY");
  EXPECT_STREQ(Skin2KeyNames[75], "SKIN2_TITLEFIVESECT");
  EXPECT_STREQ(Skin2KeyNames[83], "SKIN2_TABCONTROLTRANS");
  std::set<std::string> unique(Skin2KeyNames, Skin2KeyNames + kSkin2KeyCount);
  EXPECT_EQ(unique.size(), 84u);

  EXPECT_STREQ(Skin2KeyName(Skin2Group::kBitmap, 19), "SKIN2_PROGRESSBAR1");
  EXPECT_STREQ(Skin2KeyName(Skin2Group::kColor, 13), "SKIN2_SELECTEDMENUCOLOR");
  EXPECT_STREQ(Skin2KeyName(Skin2Group::kInteger, 8), "SKIN2_BOTTOMREGIONMAXY");
  EXPECT_STREQ(Skin2KeyName(Skin2Group::kFlag, 5), "SKIN2_BUTTONTRANS");
  // The index is masked with 0x7F first.
  EXPECT_STREQ(Skin2KeyName(Skin2Group::kColor, 0x80 + 13), "SKIN2_SELECTEDMENUCOLOR");
}

TEST(Skin2Define, IndexOutsideItsGroupNamesNoKey) {
  EXPECT_EQ(Skin2KeyName(Skin2Group::kColor, 32), nullptr);  // would be SKIN2_TITLEBAR1
  EXPECT_EQ(Skin2KeyName(Skin2Group::kBitmap, 34), nullptr);
  EXPECT_EQ(Skin2KeyName(Skin2Group::kInteger, 9), nullptr);
  EXPECT_EQ(Skin2KeyName(Skin2Group::kFlag, 9), nullptr);
  EXPECT_EQ(Skin2KeyName(Skin2Group::kFlag, 127), nullptr);  // past the array
}

TEST(Skin2Define, KeysResolveAgainstAReader) {
  Tsk2SkinFileReader reader(Archive("plain"), "");
  EXPECT_EQ(reader.GetInteger(Skin2KeyName(Skin2Group::kColor, 2)), 0xC0FFEE);  // FORMCOLOR
  EXPECT_EQ(reader.GetInteger(Skin2KeyName(Skin2Group::kInteger, 0)), -5);
  EXPECT_EQ(reader.GetFlag(Skin2KeyName(Skin2Group::kFlag, 5)), 200);
  EXPECT_NE(reader.GetBitmap(Skin2KeyName(Skin2Group::kBitmap, 15)), nullptr);  // BUTTON
}

}  // namespace
}  // namespace skin
