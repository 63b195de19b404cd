// Scan then save over hand-made NTFS volumes (ntfs_test::Volume): the runs the scanner lists,
// sparse ones included, come out of the save path as the file's bytes, holes as zeros.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/check_states.h"
#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "engine/save_tree.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/save_test_support.h"

using namespace scavrel;
using ntfs_test::Record;

namespace {

class ImagePlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string& path, uint32_t* error) override {
    if (path != "image") {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    return std::make_unique<MemoryVolumeReader>(image);
  }
  void PumpMessages() override {}
  void ShowReadError(const std::string&) override {}
  std::vector<uint8_t> image;
};

// A cluster whose bytes name it: byte i is (cluster + i * 7) mod 253.
std::vector<uint8_t> ClusterBytes(uint64_t cluster) {
  std::vector<uint8_t> bytes(4096);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>((cluster + i * 7) % 253);
  return bytes;
}

class NtfsSave : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.last_error = &error;
    engine.platform = &platform;
    engine.volume_device_path = "image";
    engine.root_name = "C:\\";
    output.folders.insert(u"T:\\OUT");
  }
  void ScanAndSave() {
    platform.image = vol.Image();
    engine.extra_pass = 0;
    engine.scan_flags.stop = 0;
    ASSERT_EQ(NtfsScanMain(engine), 1);
    ASSERT_FALSE(engine.tree.empty());
    ClickNtfsNode(engine, engine.tree.root(), kChecked);
    engine.save_flags.stop = 0;
    ASSERT_TRUE(SaveTree(engine, output, "T:\\out", nullptr));
  }

  LastError error;
  Engine engine{EngineKind::kNtfs};
  ImagePlatform platform;
  ntfs_test::Volume vol;
  save_test::MemoryOutput output;
};

TEST_F(NtfsSave, SparseFileComesOutWithZerosForItsHolesAndCounts) {
  // Runs as NTFS writes them for a file with a hole: 2 clusters at 100, a 3-cluster run
  // without an offset field (header 0x01), then 1 cluster at 100 + 3.
  const std::vector<uint8_t> runs{0x11, 0x02, 0x64, 0x01, 0x03, 0x11, 0x01, 0x03};
  const uint64_t size = 5 * 4096 + 1000;
  for (uint64_t c : {100, 101, 103}) vol.Write(c * 4096, ClusterBytes(c));
  vol.Write(102 * 4096, ClusterBytes(102));  // lies between, never part of the file
  vol.SetRecord(16, Record(3).FileName(5, u"docs").Finish());
  vol.SetRecord(17, Record(0).FileName(16, u"holes.vhd", 1, size, 6 * 4096)
                        .NonResident(0x80, runs, 0, 5, size).Finish());
  vol.SetRecord(18, Record(0).FileName(16, u"note.txt", 1, 5)
                        .Resident(0x80, ntfs_test::Bytes("hello")).Finish());
  ScanAndSave();

  std::vector<uint8_t> expected = ClusterBytes(100);
  const std::vector<uint8_t> at101 = ClusterBytes(101);
  expected.insert(expected.end(), at101.begin(), at101.end());
  expected.insert(expected.end(), 3 * 4096, 0);
  const std::vector<uint8_t> at103 = ClusterBytes(103);
  expected.insert(expected.end(), at103.begin(), at103.end());
  expected.resize(size);
  const std::vector<uint8_t>* saved = output.FileAt(u"T:\\out\\docs\\holes.vhd");
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(*saved, expected);
  const std::vector<uint8_t>* note = output.FileAt(u"T:\\out\\docs\\note.txt");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(*note, ntfs_test::Bytes("hello"));
  EXPECT_EQ(engine.save_progress.counter_a, 2u);  // both whole: a hole is data, not loss
}

TEST_F(NtfsSave, FileThatIsAllHoleIsZerosWithoutReadingTheVolume) {
  // One sparse run of 2 clusters: a header 0x01 and its length, no offset field.
  vol.SetRecord(16, Record(0).FileName(5, u"blank.img", 1, 8192, 8192)
                        .NonResident(0x80, {0x01, 0x02}, 0, 1, 8192).Finish());
  ScanAndSave();
  const std::vector<uint8_t>* saved = output.FileAt(u"T:\\out\\blank.img");
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(*saved, std::vector<uint8_t>(8192, 0));
  EXPECT_EQ(engine.save_progress.counter_a, 1u);
}

TEST_F(NtfsSave, DeletedFileWithASparseRunLongerThanTheVolumeIsKeptAndSavedToItsSize) {
  // 1 cluster at 100, then 2^40 sparse clusters (some 4 PiB, on a 1 MiB volume), then 1 at
  // 101; the file's size ends 500 bytes into its fourth cluster. The save writes what the size
  // covers, zeros for the hole, and nothing of the rest of the hole: a save that walked the
  // whole run, or made room for it, would not end.
  const std::vector<uint8_t> runs{0x11, 0x01, 0x64, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x01, 0x11, 0x01, 0x01, 0x00};
  const uint64_t hole = uint64_t{1} << 40;
  const uint64_t size = 3 * 4096 + 500;
  for (uint64_t c : {100, 101}) vol.Write(c * 4096, ClusterBytes(c));
  vol.SetRecord(16, Record(0).FileName(5, u"disk.vhdx", 1, size, (hole + 2) * 4096)
                        .NonResident(0x80, runs, 0, hole + 1, size).Finish());
  ScanAndSave();

  std::vector<uint8_t> expected = ClusterBytes(100);
  expected.resize(size, 0);
  const std::vector<uint8_t>* saved = output.FileAt(u"T:\\out\\disk.vhdx");
  ASSERT_NE(saved, nullptr) << "the file was dropped";
  EXPECT_EQ(*saved, expected);
  EXPECT_EQ(engine.save_progress.counter_a, 1u);  // whole: the hole is data, not loss
}

}  // namespace
