// Extraction from skin archives built by tools/skinpack (make_fixtures.py): the walk, both
// encryption check modes, the result byte, and the output file's fate.
#include "skin/SkinArchive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "skin/SkinTempName.h"
#include "tests/skin/SkinFixtures.h"

namespace skin {
namespace {

using skin_test::FileExists;
using skin_test::FixturePath;
using skin_test::ReadFixture;

const char kEntry[] = "SKINDATA.SK2";
const char kPassword[] = "tolvane";  // the fixtures' password

SkinExtractResult ExtractBytes(const std::vector<uint8_t>& archive, std::vector<uint8_t>* out,
                               const std::string& password = "") {
  MemoryArchiveSource source(archive.data(), archive.size());
  MemoryInflateOutput output;
  SkinExtractResult result = ExtractSkinEntry(source, kEntry, output, password);
  if (out != nullptr) *out = output.bytes();
  return result;
}

uint16_t Le16(const std::vector<uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t Le32(const std::vector<uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// Offset of the (first) central directory header, from the end record.
std::size_t CentralHeader(const std::vector<uint8_t>& archive) {
  return Le32(archive, archive.size() - 22 + 16);
}

struct Extracting {
  const char* archive;
  const char* password;
};

void PrintTo(const Extracting& e, std::ostream* os) {
  *os << e.archive << (e.password[0] != '\0' ? " with password" : "");
}

class ArchiveThatExtracts : public ::testing::TestWithParam<Extracting> {};

TEST_P(ArchiveThatExtracts, GivesResultZeroAndTheEntrysBytes) {
  std::string name = GetParam().archive;
  std::vector<uint8_t> out;
  ASSERT_EQ(ExtractBytes(ReadFixture("archives/" + name + ".ssk"), &out, GetParam().password),
            kExtracted);
  EXPECT_TRUE(out == ReadFixture("archives/" + name + ".out"));
}

INSTANTIATE_TEST_SUITE_P(
    SkinArchive, ArchiveThatExtracts,
    ::testing::Values(Extracting{"plain", ""},
                      // The entry name is compared without regard to case.
                      Extracting{"lowercase_name", ""}, Extracting{"second_entry", ""},
                      // A first name too long for the name buffer is passed over.
                      Extracting{"long_name_first", ""},
                      // The method field says "stored" but the data is deflate: inflated.
                      Extracting{"stored_method_deflated_data", ""},
                      Extracting{"large_level0", ""},
                      Extracting{"encrypted_crc_check", kPassword},
                      Extracting{"encrypted_time_check", kPassword},
                      Extracting{"large_level1_encrypted", kPassword},
                      // A password on an unencrypted entry is not used.
                      Extracting{"plain", "unused"}),
    [](const ::testing::TestParamInfo<Extracting>& info) {
      std::string name = info.param.archive;
      if (info.param.password[0] != '\0') name += "_with_password";
      return name;
    });

TEST(SkinArchive, UnusableArchivesGiveResultOne) {
  // "PK" instead of "SK"; an archive comment (the end record is not searched for); no entry of
  // that name; an entry of no bytes.
  for (const char* name : {"pk_magic", "commented", "other_entry_only", "empty_entry"}) {
    EXPECT_EQ(ExtractBytes(ReadFixture(std::string("archives/") + name + ".ssk"), nullptr),
              kArchiveUnusable)
        << name;
  }
  const std::vector<uint8_t> tiny = {'S', 'K', 3, 4};
  EXPECT_EQ(ExtractBytes(tiny, nullptr), kArchiveUnusable);
  EXPECT_EQ(ExtractBytes({}, nullptr), kArchiveUnusable);

  std::vector<uint8_t> archive = ReadFixture("archives/plain.ssk");
  std::vector<uint8_t> far = archive;
  far[far.size() - 22 + 19] = 0x7F;  // central directory offset beyond the file
  EXPECT_EQ(ExtractBytes(far, nullptr), kArchiveUnusable);
}

TEST(SkinArchive, EntriesThatCannotBeExtractedGiveResultTwo) {
  // Raw container bytes under method 0 are no deflate stream; sizes that differ from the
  // directory's; a reserved block type.
  for (const char* name : {"stored_method_raw_data", "size_mismatch_larger",
                           "size_mismatch_smaller", "damaged_deflate"}) {
    EXPECT_EQ(ExtractBytes(ReadFixture(std::string("archives/") + name + ".ssk"), nullptr),
              kNotExtractable)
        << name;
  }
}

TEST(SkinArchive, OutputNeverGrowsPastTheDirectorysSize) {
  std::vector<uint8_t> out;
  ASSERT_EQ(ExtractBytes(ReadFixture("archives/size_mismatch_smaller.ssk"), &out),
            kNotExtractable);
  EXPECT_LT(out.size(), ReadFixture("archives/plain.out").size());
}

TEST(SkinArchive, EncryptedEntryNeedsTheRightPassword) {
  for (const char* name : {"encrypted_crc_check", "encrypted_time_check"}) {
    std::vector<uint8_t> archive = ReadFixture(std::string("archives/") + name + ".ssk");
    std::vector<uint8_t> out;
    EXPECT_EQ(ExtractBytes(archive, &out, ""), kNotExtractable) << name;
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ExtractBytes(archive, nullptr, "Tolvane"), kNotExtractable) << name;
    EXPECT_EQ(ExtractBytes(archive, nullptr, "wrong password"), kNotExtractable) << name;
  }
}

TEST(SkinArchive, CheckByteComesFromTheCrcOrWithFlagBit3FromTheTime) {
  const std::size_t kTimeHigh = 13, kCrcHigh = 19;
  {
    std::vector<uint8_t> archive = ReadFixture("archives/encrypted_crc_check.ssk");
    std::size_t central = CentralHeader(archive);
    ASSERT_EQ(Le16(archive, central + 8) & 8, 0);
    std::vector<uint8_t> other_time = archive;
    other_time[central + kTimeHigh] ^= 0x55;
    EXPECT_EQ(ExtractBytes(other_time, nullptr, kPassword), kExtracted);
    std::vector<uint8_t> other_crc = archive;
    other_crc[central + kCrcHigh] ^= 0x55;
    EXPECT_EQ(ExtractBytes(other_crc, nullptr, kPassword), kNotExtractable);
  }
  {
    std::vector<uint8_t> archive = ReadFixture("archives/encrypted_time_check.ssk");
    std::size_t central = CentralHeader(archive);
    ASSERT_EQ(Le16(archive, central + 8) & 8, 8);
    // No CRC-32 of the output is checked either, so a changed CRC does not matter here.
    std::vector<uint8_t> other_crc = archive;
    other_crc[central + kCrcHigh] ^= 0x55;
    EXPECT_EQ(ExtractBytes(other_crc, nullptr, kPassword), kExtracted);
    std::vector<uint8_t> other_time = archive;
    other_time[central + kTimeHigh] ^= 0x55;
    EXPECT_EQ(ExtractBytes(other_time, nullptr, kPassword), kNotExtractable);
  }
}

TEST(SkinArchive, CentralNameLongerThanItsBufferIsPassedOverNotCopied) {
  // A single entry whose name length field says 300 while the name is SKINDATA.SK2: the walk
  // must neither copy 300 bytes into its 259-byte buffer nor take it for the entry.
  std::vector<uint8_t> archive = ReadFixture("archives/plain.ssk");
  std::size_t central = CentralHeader(archive);
  archive[central + 28] = 300 & 0xFF;
  archive[central + 29] = 300 >> 8;
  EXPECT_EQ(ExtractBytes(archive, nullptr), kArchiveUnusable);
}

TEST(SkinArchive, EveryTruncationAndEveryFlippedByteEndsInAResult) {
  // Damage of every kind must end in one of the three results, without a fault.
  std::vector<uint8_t> archive = ReadFixture("archives/encrypted_time_check.ssk");
  for (std::size_t length = 0; length < archive.size(); ++length) {
    std::vector<uint8_t> cut(archive.begin(), archive.begin() + length);
    EXPECT_NE(ExtractBytes(cut, nullptr, kPassword), kExtracted) << length;
  }
  for (std::size_t at = 0; at < archive.size(); ++at) {
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> flipped = archive;
      flipped[at] ^= mask;
      SkinExtractResult result = ExtractBytes(flipped, nullptr, kPassword);
      EXPECT_LE(static_cast<int>(result), 2);
    }
  }
}

TEST(SkinArchiveFile, ResultZeroLeavesTheEntryInTheOutputFile) {
  std::string out = NewSkinTempName();
  ASSERT_EQ(ExtractSkinEntryToFile(FixturePath("archives/large_level1_encrypted.ssk"), kEntry,
                                   out, kPassword),
            kExtracted);
  std::vector<uint8_t> expected = ReadFixture("archives/large_level1_encrypted.out");
  std::FILE* f = std::fopen(out.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> got(expected.size() + 1);
  std::size_t n = std::fread(got.data(), 1, got.size(), f);
  std::fclose(f);
  std::remove(out.c_str());
  got.resize(n);
  EXPECT_TRUE(got == expected);
}

TEST(SkinArchiveFile, EveryOtherResultLeavesNoOutputFile) {
  struct Case {
    const char* archive;
    const char* password;
    SkinExtractResult result;
  };
  for (const Case& c : {Case{"encrypted_crc_check.ssk", "", kNotExtractable},
                        Case{"size_mismatch_larger.ssk", "", kNotExtractable},
                        Case{"damaged_deflate.ssk", "", kNotExtractable},
                        Case{"pk_magic.ssk", "", kArchiveUnusable},
                        Case{"other_entry_only.ssk", "", kArchiveUnusable},
                        Case{"no_such_archive.ssk", "", kArchiveUnusable}}) {
    std::string out = NewSkinTempName();
    EXPECT_EQ(ExtractSkinEntryToFile(FixturePath(std::string("archives/") + c.archive), kEntry,
                                     out, c.password),
              c.result)
        << c.archive;
    EXPECT_FALSE(FileExists(out)) << c.archive;
  }
}

TEST(SkinTempName, IsABracedGuidInTheTemporaryFolderAndNewEachTime) {
  std::string a = NewSkinTempName();
  std::string b = NewSkinTempName();
  EXPECT_NE(a, b);
  ASSERT_GE(a.size(), 39u);
  std::string guid = a.substr(a.size() - 38);
  EXPECT_EQ(guid.front(), '{');
  EXPECT_EQ(guid.back(), '}');
  for (std::size_t dash : {9u, 14u, 19u, 24u}) EXPECT_EQ(guid[dash], '-') << guid;
  char separator = a[a.size() - 39];
  EXPECT_TRUE(separator == '\\' || separator == '/');
}

}  // namespace
}  // namespace skin
