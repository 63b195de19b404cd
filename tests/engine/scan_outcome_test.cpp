// How a scan ended, as both engines report it through their outcome: volumes with nothing
// deleted read to the end, first sectors of file systems the engine does not read (named when
// the sector names one), a damaged NTFS boot sector and a volume that would not open. The
// volumes are hand-made: HandFat's FAT16 and ntfs_test::Volume hold no deleted entry as built.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/fat_scan.h"
#include "engine/ntfs_scan.h"
#include "engine/volume_kind.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/ntfs_test_volume.h"

namespace scavrel {
namespace {

// A 1 MiB volume whose first sector carries only an OEM name and the boot signature.
std::vector<uint8_t> FirstSectorNamed(const char* oem8) {
  std::vector<uint8_t> image(1 << 20, 0);
  const uint8_t jump[3] = {0xEB, 0x76, 0x90};
  std::memcpy(image.data(), jump, 3);
  std::memcpy(image.data() + 3, oem8, 8);
  image[510] = 0x55;
  image[511] = 0xAA;
  return image;
}

struct Ended {
  ScanOutcome outcome;
  std::string file_system;
  bool tree_empty;
};

// Runs one engine's scan body over the image (none: the volume does not open) and settles the
// outcome as the thread routine does.
Ended Scan(EngineKind kind, const std::vector<uint8_t>* image) {
  LastError error;
  fat::testing::TestPlatform platform;
  Engine engine(kind);
  engine.platform = &platform;
  engine.last_error = &error;
  platform.engine = &engine;
  platform.image = image;
  engine.root_name = "X:\\";
  engine.volume_device_path = "Z:\\no\\such\\image.img";
  engine.scan_flags.stop = 0;
  const uint8_t result = kind == EngineKind::kNtfs ? NtfsScanMain(engine) : fat::RunFatScan(engine);
  engine.SettleScanOutcome(result != 0);
  Ended ended;
  ended.outcome = engine.LastScanOutcome(&ended.file_system);
  ended.tree_empty = engine.tree.empty();
  return ended;
}

TEST(ScanOutcome, AVolumeWithNothingDeletedIsReadToTheEnd) {
  fat::testing::HandFat fat;
  fat.Entry(fat.Root(0), "LIVE    TXT", 0x20, 2, 10);
  fat.Chain(2, 1);
  Ended ended = Scan(EngineKind::kFat, &fat.bytes);
  EXPECT_EQ(ended.outcome, ScanOutcome::kComplete);
  EXPECT_TRUE(ended.tree_empty);

  ntfs_test::Volume ntfs;
  const std::vector<uint8_t> image = ntfs.Image();
  ended = Scan(EngineKind::kNtfs, &image);
  EXPECT_EQ(ended.outcome, ScanOutcome::kComplete);
  EXPECT_TRUE(ended.tree_empty);
}

TEST(ScanOutcome, AnotherFileSystemIsNamedByItsFirstSector) {
  const std::vector<uint8_t> exfat = FirstSectorNamed("EXFAT   ");
  for (EngineKind kind : {EngineKind::kFat, EngineKind::kNtfs}) {
    Ended ended = Scan(kind, &exfat);
    EXPECT_EQ(ended.outcome, ScanOutcome::kOtherFileSystem);
    EXPECT_EQ(ended.file_system, "exFAT");
  }
  const std::vector<uint8_t> bitlocker = FirstSectorNamed("-FVE-FS-");
  EXPECT_EQ(Scan(EngineKind::kNtfs, &bitlocker).file_system, "BitLocker");
  // The other engine's file system is named too: the front end tells it apart.
  fat::testing::HandFat fat;
  EXPECT_EQ(Scan(EngineKind::kNtfs, &fat.bytes).file_system, "FAT16");
  // A blank first sector names nothing.
  const std::vector<uint8_t> blank(1 << 20, 0);
  Ended ended = Scan(EngineKind::kNtfs, &blank);
  EXPECT_EQ(ended.outcome, ScanOutcome::kOtherFileSystem);
  EXPECT_EQ(ended.file_system, "");
}

TEST(ScanOutcome, ADamagedNtfsBootSectorAndAVolumeThatDoesNotOpenAreNoOtherFileSystem) {
  ntfs_test::Volume ntfs;
  std::vector<uint8_t> image = ntfs.Image();
  image[11] = 0;  // no bytes per sector
  image[12] = 0;
  EXPECT_EQ(Scan(EngineKind::kNtfs, &image).outcome, ScanOutcome::kDamaged);
  EXPECT_EQ(Scan(EngineKind::kNtfs, nullptr).outcome, ScanOutcome::kUnreadable);
  EXPECT_EQ(Scan(EngineKind::kFat, nullptr).outcome, ScanOutcome::kUnreadable);
}

TEST(BootSectorFileSystem, ShortAndEmptySectorsNameNothing) {
  const uint8_t oem[] = {0xEB, 0x52, 0x90, 'N', 'T', 'F', 'S'};
  EXPECT_EQ(BootSectorFileSystem(ByteSpan(oem, sizeof(oem))), "");
  EXPECT_EQ(BootSectorFileSystem(ByteSpan()), "");
}

}  // namespace
}  // namespace scavrel
