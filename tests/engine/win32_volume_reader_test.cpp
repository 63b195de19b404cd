// The DLL's volume reader over an image file under the real file system: whatever mix of
// offsets and lengths the scanners and the save ask for (small steps on, jumps, large reads
// that go straight into the caller's buffer, reads that end at the volume's end) gives the
// file's own bytes, reads past the end fail with ERROR_HANDLE_EOF, and a bad sector fails only
// the reads that hold it.
#include "engine/win/win32_volume_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace scavrel {
namespace {

// The reader over the image with a span of bad sectors: any read of the handle that touches
// them fails with a CRC error, as a failing disk's does.
class BadSectorReader : public Win32VolumeReader {
 public:
  uint64_t bad_from = 0, bad_to = 0;
  int reads = 0, bad_reads = 0;

 protected:
  bool ReadSpan(uint64_t offset, uint8_t* into, size_t length, DWORD* got) override {
    ++reads;
    if (offset < bad_to && bad_from < offset + length) {
      ++bad_reads;
      *got = 0;
      error_ = ERROR_CRC;
      return false;
    }
    return Win32VolumeReader::ReadSpan(offset, into, length, got);
  }
};

class Win32VolumeReaderTest : public ::testing::Test {
 protected:
  // Not a multiple of the reader's 64 KiB alignment: the last window is a short one.
  static constexpr size_t kImageSize = 5 * (1 << 20) + 3 * 512;

  void SetUp() override {
    char folder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    char name[MAX_PATH] = {};
    ASSERT_NE(GetTempFileNameA(folder, "tvr", 0, name), 0u);
    path_ = name;
    image_.resize(kImageSize);
    uint32_t state = 12345;
    for (uint8_t& byte : image_) {
      state = state * 1103515245u + 12345u;
      byte = static_cast<uint8_t>(state >> 16);
    }
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, image_.data(), static_cast<DWORD>(image_.size()), &written,
                          nullptr));
    CloseHandle(file);
    ASSERT_TRUE(reader_.Open(path_)) << reader_.LastErrorCode();
    ASSERT_EQ(reader_.Size(), kImageSize);
  }
  void TearDown() override {
    reader_.Close();
    DeleteFileA(path_.c_str());
  }

  // Reads through the reader and says where the bytes differ from the file's, if anywhere.
  ::testing::AssertionResult ReadsAsTheFile(uint64_t offset, size_t length) {
    std::vector<uint8_t> got(length + 16, 0xCC);
    if (!reader_.Read(offset, got.data() + 8, length)) {
      return ::testing::AssertionFailure()
             << "read of " << length << " at " << offset << " failed: " << reader_.LastErrorCode();
    }
    for (size_t i = 0; i < 8; ++i) {
      if (got[i] != 0xCC || got[8 + length + i] != 0xCC)
        return ::testing::AssertionFailure() << "read of " << length << " at " << offset
                                             << " wrote outside its buffer";
    }
    if (std::memcmp(got.data() + 8, image_.data() + offset, length) != 0) {
      return ::testing::AssertionFailure()
             << "read of " << length << " at " << offset << " gave other bytes";
    }
    return ::testing::AssertionSuccess();
  }

  std::string path_;
  std::vector<uint8_t> image_;
  BadSectorReader reader_;
};

TEST_F(Win32VolumeReaderTest, StepsOnJumpsAndLargeReadsAllGiveTheFilesBytes) {
  // A scan walking clusters, across many window ends.
  for (uint64_t at = 4096 * 3; at < 3 * (1 << 20); at += 4096) ASSERT_TRUE(ReadsAsTheFile(at, 4096));
  // A save's pieces: a jump back, then 64 KiB pieces from an offset inside a sector.
  for (uint64_t at = 70000; at < 70000 + 10 * 65536; at += 65536) {
    ASSERT_TRUE(ReadsAsTheFile(at, 65536));
  }
  // Large reads: aligned, unaligned at both ends, from inside the current window.
  EXPECT_TRUE(ReadsAsTheFile(1 << 20, 2 << 20));
  EXPECT_TRUE(ReadsAsTheFile(12345, 3 * (1 << 20) + 777));
  EXPECT_TRUE(ReadsAsTheFile(12345 + 4096, 1 << 20));
  EXPECT_TRUE(ReadsAsTheFile(65536 * 7, (1 << 20) + 65536));
  // Odd mixes, fixed seed.
  uint32_t state = 99;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int i = 0; i < 300; ++i) {
    const size_t length = i % 10 == 0 ? next() % (3 << 20) : next() % 70000;
    const uint64_t offset = next() % (kImageSize - length);
    ASSERT_TRUE(ReadsAsTheFile(offset, length));
  }
}

// A scan's megabyte pieces and a save's quarter-megabyte ones start on cluster ends: each is
// one read of the handle into the caller's buffer, never a window load and a copy besides.
TEST_F(Win32VolumeReaderTest, PiecesThatStartOnAClusterAreReadOnceEach) {
  int before = reader_.reads;
  for (uint64_t at = 4096 * 5; at < 4096 * 5 + 4 * (1 << 20); at += 1 << 20) {
    ASSERT_TRUE(ReadsAsTheFile(at, 1 << 20));
  }
  EXPECT_EQ(reader_.reads - before, 4);
  before = reader_.reads;
  for (uint64_t at = 3 * 4096; at < 3 * 4096 + 8 * 262144; at += 262144) {
    ASSERT_TRUE(ReadsAsTheFile(at, 262144));
  }
  EXPECT_EQ(reader_.reads - before, 8);
  // A small file after a jump: one window of the smallest size.
  before = reader_.reads;
  EXPECT_TRUE(ReadsAsTheFile((3 << 20) + 8192, 9000));
  EXPECT_EQ(reader_.reads - before, 1);
}

TEST_F(Win32VolumeReaderTest, ReadsUpToTheEndSucceedAndPastItFailWithHandleEof) {
  EXPECT_TRUE(ReadsAsTheFile(kImageSize - 512, 512));
  EXPECT_TRUE(ReadsAsTheFile(kImageSize - (2 << 20) - 100, (2 << 20) + 100));  // large, to the end
  EXPECT_TRUE(ReadsAsTheFile(0, kImageSize));

  std::vector<uint8_t> buffer(3 << 20);
  EXPECT_FALSE(reader_.Read(kImageSize - 100, buffer.data(), 101));
  EXPECT_EQ(reader_.LastErrorCode(), static_cast<uint32_t>(ERROR_HANDLE_EOF));
  EXPECT_FALSE(reader_.Read(kImageSize - (2 << 20), buffer.data(), (2 << 20) + 1));
  EXPECT_EQ(reader_.LastErrorCode(), static_cast<uint32_t>(ERROR_HANDLE_EOF));
  EXPECT_FALSE(reader_.Read(kImageSize, buffer.data(), 1));
  EXPECT_FALSE(reader_.Read(uint64_t{1} << 40, buffer.data(), 4096));
  EXPECT_EQ(reader_.LastErrorCode(), static_cast<uint32_t>(ERROR_HANDLE_EOF));
  EXPECT_TRUE(reader_.Read(kImageSize, buffer.data(), 0));

  // A failed read leaves the reader usable.
  EXPECT_TRUE(ReadsAsTheFile(4096, 4096));
  EXPECT_TRUE(ReadsAsTheFile(2 << 20, 2 << 20));
}

TEST_F(Win32VolumeReaderTest, ABadSectorFailsOnlyTheReadsThatHoldItAndIsNotReadOverAndOver) {
  constexpr uint64_t kBad = (2 << 20) + 9 * 4096 + 512;  // one sector inside the third MiB
  reader_.bad_from = kBad;
  reader_.bad_to = kBad + 512;
  // A scan walking clusters through the bad sector: the window that would hold it cannot be
  // loaded, yet every cluster but the one holding the sector comes back whole, and that one
  // fails with the disk's error rather than coming back as zeros.
  for (uint64_t at = 2 << 20; at < 4 << 20; at += 4096) {
    if (at <= kBad && kBad < at + 4096) {
      std::vector<uint8_t> cluster(4096, 0xCC);
      EXPECT_FALSE(reader_.Read(at, cluster.data(), cluster.size()));
      EXPECT_EQ(reader_.LastErrorCode(), static_cast<uint32_t>(ERROR_CRC));
      continue;
    }
    ASSERT_TRUE(ReadsAsTheFile(at, 4096));
  }
  // Sectors beside the bad one, read on their own.
  EXPECT_TRUE(ReadsAsTheFile(kBad - 512, 512));
  EXPECT_TRUE(ReadsAsTheFile(kBad + 512, 1000));
  // A failing read can take seconds on a dying disk: the sector was tried by the failed window,
  // by the cluster that holds it, and by the last two reads' neighbours at most — not once per
  // cluster of the window.
  EXPECT_LE(reader_.bad_reads, 4);
  // Past the failed window the reads go back to large windows: 1 MiB in a few reads, not 256.
  const int before = reader_.reads;
  for (uint64_t at = 4 << 20; at < 5 << 20; at += 4096) ASSERT_TRUE(ReadsAsTheFile(at, 4096));
  EXPECT_LE(reader_.reads - before, 6);
  // A large read that holds the sector fails as a whole; the reader stays usable.
  std::vector<uint8_t> big(3 << 20);
  EXPECT_FALSE(reader_.Read(1 << 20, big.data(), big.size()));
  EXPECT_EQ(reader_.LastErrorCode(), static_cast<uint32_t>(ERROR_CRC));
  EXPECT_TRUE(ReadsAsTheFile(1 << 20, 1 << 20));
}

TEST(Win32VolumeReader, AClosedReaderRefusesReads) {
  Win32VolumeReader reader;
  uint8_t byte = 0;
  EXPECT_FALSE(reader.Read(0, &byte, 1));
  EXPECT_EQ(reader.LastErrorCode(), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(reader.Open("Z:\\no such folder\\no such image.img"));
  EXPECT_NE(reader.LastErrorCode(), 0u);
}

}  // namespace
}  // namespace scavrel
