// The portable volume readers over an image file: whatever mix of offsets and lengths the
// scanners and the save ask for (steps across the read-ahead window's ends, jumps back, large
// reads, reads that end at the image's end) gives the file's own bytes, and reads past the end
// fail with ERROR_HANDLE_EOF.
#include "engine/volume_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace scavrel {
namespace {

class FileVolumeReaderTest : public ::testing::Test {
 protected:
  // Not a multiple of the window's alignment: the last window is a short one.
  static constexpr size_t kImageSize = 3 * FileVolumeReader::kWindowBytes + 3 * 512 + 7;

  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("tolvane-fvr-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              ".img"))
                .string();
    image_.resize(kImageSize);
    uint32_t state = 777;
    for (uint8_t& byte : image_) {
      state = state * 1103515245u + 12345u;
      byte = static_cast<uint8_t>(state >> 16);
    }
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image_.data()), static_cast<std::streamsize>(kImageSize));
  }
  void TearDown() override { std::remove(path_.c_str()); }

  ::testing::AssertionResult ReadsAsTheFile(FileVolumeReader& reader, uint64_t offset,
                                            size_t length) {
    std::vector<uint8_t> got(length + 1, 0xCC);
    if (!reader.Read(offset, got.data(), length)) {
      return ::testing::AssertionFailure() << "read of " << length << " at " << offset << " failed";
    }
    if (got[length] != 0xCC || std::memcmp(got.data(), image_.data() + offset, length) != 0) {
      return ::testing::AssertionFailure()
             << "read of " << length << " at " << offset << " gave other bytes";
    }
    return ::testing::AssertionSuccess();
  }

  std::string path_;
  std::vector<uint8_t> image_;
};

TEST_F(FileVolumeReaderTest, StepsJumpsLargeReadsAndTheEndAllGiveTheFilesBytes) {
  FileVolumeReader reader(path_);
  ASSERT_TRUE(reader.ok());
  ASSERT_EQ(reader.Size(), kImageSize);
  // Clusters walked across two window ends, then a jump back into the first window.
  for (uint64_t at = 512; at < 2 * FileVolumeReader::kWindowBytes + 8192; at += 4096) {
    ASSERT_TRUE(ReadsAsTheFile(reader, at, 4096));
  }
  EXPECT_TRUE(ReadsAsTheFile(reader, 100, 3000));
  // Large reads (straight through) from inside a window and across its end.
  EXPECT_TRUE(ReadsAsTheFile(reader, 12345, 2 * FileVolumeReader::kWindowBytes + 777));
  EXPECT_TRUE(ReadsAsTheFile(reader, 0, kImageSize));
  // Up to the end, in the short last window.
  EXPECT_TRUE(ReadsAsTheFile(reader, kImageSize - 5000, 5000));
  EXPECT_TRUE(ReadsAsTheFile(reader, kImageSize - 1, 1));

  uint8_t buffer[4096];
  EXPECT_FALSE(reader.Read(kImageSize - 100, buffer, 101));
  EXPECT_EQ(reader.LastErrorCode(), kErrorHandleEof);
  EXPECT_FALSE(reader.Read(uint64_t{1} << 40, buffer, 1));
  EXPECT_EQ(reader.LastErrorCode(), kErrorHandleEof);
  EXPECT_TRUE(reader.Read(kImageSize, buffer, 0));
  EXPECT_TRUE(ReadsAsTheFile(reader, 4096, 4096));  // still usable
}

TEST(FileVolumeReader, AMissingImageIsNotOpened) {
  FileVolumeReader reader("/no such folder/no such image.img");
  EXPECT_FALSE(reader.ok());
  uint8_t byte = 0;
  EXPECT_FALSE(reader.Read(0, &byte, 1));
}

}  // namespace
}  // namespace scavrel
