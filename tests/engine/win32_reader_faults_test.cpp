// The DLL's volume reader over an image file whose reads fail on a chosen sector
// (failing_read_file.h hooks this program's own ReadFile): a bad sector fails only the requests
// that touch it, whatever window the reader would have read around them, and a window that
// failed is not read again for every request inside it.
#include "engine/win/win32_volume_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/engine/failing_read_file.h"

namespace scavrel {
namespace {

TEST(Win32ReaderFaults, BadSectorFailsOnlyTheRequestsThatTouchIt) {
  ASSERT_TRUE(testing::HookReadFile(GetModuleHandleA(nullptr)));
  char folder[MAX_PATH] = {};
  ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  char name[MAX_PATH] = {};
  ASSERT_NE(GetTempFileNameA(folder, "tvf", 0, name), 0u);
  std::vector<uint8_t> image(1 << 20);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + i / 512);
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
  CloseHandle(file);

  constexpr uint64_t kBad = 300;
  testing::g_bad = {{kBad * 512 + 100, 1}};
  testing::g_refused = 0;
  Win32VolumeReader reader;
  ASSERT_TRUE(reader.Open(name));
  std::vector<uint8_t> sector(512);
  for (uint64_t s = 0; s < 600; ++s) {
    const bool read = reader.Read(s * 512, sector.data(), sector.size());
    ASSERT_EQ(read, s != kBad) << "sector " << s;
    if (read) {
      ASSERT_TRUE(std::equal(sector.begin(), sector.end(), image.begin() + s * 512)) << s;
    } else {
      EXPECT_EQ(reader.LastErrorCode(), static_cast<uint32_t>(ERROR_CRC));
    }
  }
  // The window that held the bad sector, then the bad sector alone: nothing more.
  EXPECT_LE(testing::g_refused.load(), 3);

  // A record of two sectors beside it, and a large read across it.
  std::vector<uint8_t> record(1024);
  EXPECT_TRUE(reader.Read((kBad + 1) * 512, record.data(), record.size()));
  EXPECT_FALSE(reader.Read((kBad - 1) * 512, record.data(), record.size()));
  std::vector<uint8_t> big(1 << 20);
  EXPECT_FALSE(reader.Read(0, big.data(), big.size()));
  EXPECT_EQ(reader.LastErrorCode(), static_cast<uint32_t>(ERROR_CRC));

  testing::g_bad.clear();
  EXPECT_TRUE(reader.Read(0, big.data(), big.size()));
  EXPECT_EQ(big, image);
  reader.Close();
  DeleteFileA(name);
}

}  // namespace
}  // namespace scavrel
