// Scans and saves over volumes with unreadable sectors (testing_reader::FailingReader): a read
// the disk refuses costs what lies on the bad sectors and nothing more, the scan goes on and
// links what it read, the user is told once, and every read stays small enough for a pause or
// a stop to be seen. The NTFS volumes are ntfs_test::Volume (64 one-KiB records from cluster
// 4, bitmap at cluster 24, 4 KiB clusters, 512-byte sectors); the FAT volumes are HandFat
// (FAT16, table at sector 1, root at sectors 2-3, cluster 2 at sector 4, 512-byte clusters).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/fat_scan.h"
#include "engine/ntfs_scan.h"
#include "engine/salvage_read.h"
#include "tests/engine/failing_reader.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/utf_text.h"

namespace scavrel {
namespace {

using ntfs_test::Record;
using testing_reader::FailingReader;
using testing_reader::kErrorCrc;

// Serves `image` with reads failing on `bad`; counts the worker's steps and "Read" boxes.
class FailingPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string&, uint32_t*) override {
    auto reader = std::make_unique<FailingReader>(image, bad);
    reader->hide_size = hide_size;
    return reader;
  }
  void PumpMessages() override { ++steps; }
  void ShowReadError(const std::string& text) override { read_boxes.push_back(text); }

  std::vector<uint8_t> image;
  std::vector<std::pair<uint64_t, uint64_t>> bad;
  bool hide_size = false;
  uint64_t steps = 0;
  std::vector<std::string> read_boxes;
};

std::string NameOf(const FoundNode* node) {
  auto* record = AsNtfsRecord(node->record);
  const char16_t* name = GetWideName(&record->long_name);
  return utf_text::Utf8(name != nullptr ? name : GetWideName(&record->short_name));
}

void Collect(const FoundNode* node, const std::string& path, std::map<std::string, int>* out) {
  for (const FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
    const std::string p = path.empty() ? NameOf(c) : path + "/" + NameOf(c);
    (*out)[p] = 1;
    Collect(c, p, out);
  }
}

// --- the reads themselves --------------------------------------------------------------------

class SalvageReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.platform = &platform;
    engine.last_error = &error;
    engine.scan_flags.stop = 0;
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 512);
  }
  LastError error;
  FailingPlatform platform;
  Engine engine{EngineKind::kNtfs};
  std::vector<uint8_t> image = std::vector<uint8_t>(4 << 20);
};

TEST_F(SalvageReadTest, BadSectorCostsItsUnitAndTheRestOfThePieceIsRead) {
  FailingReader reader(image, {{70000, 1}});
  std::vector<uint8_t> buffer(200000, 0xAA), bad;
  EXPECT_EQ(SalvageRead(engine, reader, 1000, buffer.data(), buffer.size(), 1024, &bad),
            Salvage::kHoles);
  // Byte 70,000 of the volume is byte 69,000 of the buffer: unit 67.
  ASSERT_EQ(bad.size(), 196u);
  for (size_t k = 0; k < bad.size(); ++k) EXPECT_EQ(bad[k], k == 67 ? 1 : 0) << k;
  std::vector<uint8_t> expected(image.begin() + 1000, image.begin() + 201000);
  std::fill(expected.begin() + 67 * 1024, expected.begin() + 68 * 1024, 0);
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(engine.unreadable_bytes.load(), 1024u);
  EXPECT_EQ(engine.unreadable_error.load(), kErrorCrc);
}

// A 32 MiB read is made in pieces of at most 1 MiB with a worker step before each: a pause or
// a stop waits for one piece, not for the whole read.
TEST_F(SalvageReadTest, LargeReadsGoInStepsAndAStopEndsThem) {
  std::vector<uint8_t> big(32 << 20);
  MemoryVolumeReader plain(big);
  struct Longest : VolumeReader {
    explicit Longest(VolumeReader& inner) : inner(inner) {}
    bool Read(uint64_t offset, void* buffer, size_t length) override {
      longest = std::max(longest, length);
      ++reads;
      return inner.Read(offset, buffer, length);
    }
    uint32_t LastErrorCode() const override { return inner.LastErrorCode(); }
    uint64_t Size() const override { return inner.Size(); }
    VolumeReader& inner;
    size_t longest = 0;
    int reads = 0;
  } reader(plain);
  std::vector<uint8_t> buffer(big.size());
  EXPECT_EQ(SalvageRead(engine, reader, 0, buffer.data(), buffer.size(), 4096, nullptr),
            Salvage::kWhole);
  EXPECT_LE(reader.longest, kScanPieceBytes);
  EXPECT_GE(platform.steps, 32u);

  engine.scan_flags.stop = 1;
  reader.reads = 0;
  EXPECT_EQ(SalvageRead(engine, reader, 0, buffer.data(), buffer.size(), 4096, nullptr),
            Salvage::kStopped);
  EXPECT_EQ(reader.reads, 0);
}

TEST_F(SalvageReadTest, DeviceOfUnknownSizeIsMeasuredAndABadSectorDoesNotEndIt) {
  std::vector<uint8_t> device(1000 * 512 + 512 * 3);
  FailingReader reader(device, {{600 * 512, 512}});
  reader.hide_size = true;
  EXPECT_EQ(DeviceEnd(reader, uint64_t{1} << 40, 512, 512), device.size());
  EXPECT_LT(reader.reads, 60u);
  EXPECT_EQ(DeviceEnd(reader, 4096, 512, 512), 4096u);  // the claim, when the device holds it
  reader.hide_size = false;
  EXPECT_EQ(DeviceEnd(reader, uint64_t{1} << 40, 512, 512), device.size());
}

// --- NTFS ------------------------------------------------------------------------------------

constexpr uint64_t kMftOffset = ntfs_test::Volume::kMftCluster * 4096;
constexpr uint64_t RecordAt(uint64_t number) { return kMftOffset + number * 1024; }

class NtfsFailingScan : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.platform = &platform;
    engine.last_error = &error;
    engine.volume_device_path = "image";
    engine.root_name = "C:\\";
    vol.SetRecord(16, Record(3).FileName(5, u"docs").Finish());
    vol.SetRecord(17, Record(0).FileName(16, u"a.txt").Resident(0x80, {1, 2, 3}).Finish());
    vol.SetRecord(20, Record(0).FileName(16, u"gone.txt").Resident(0x80, {4}).Finish());
    vol.SetRecord(21, Record(0).FileName(5, u"b.txt")
                          .NonResident(0x80, {0x11, 0x02, 0x30}, 0, 1, 8000).Finish());
  }
  uint8_t Scan(bool full) {
    if (platform.image.empty()) platform.image = vol.Image();
    engine.extra_pass = full ? 1 : 0;
    engine.scan_flags.stop = 0;
    const uint8_t result = NtfsScanMain(engine);
    tree.clear();
    if (!engine.tree.empty()) Collect(engine.tree.root(), "", &tree);
    return result;
  }

  LastError error;
  FailingPlatform platform;
  Engine engine{EngineKind::kNtfs};
  ntfs_test::Volume vol;
  std::map<std::string, int> tree;
};

// One bad sector in a chunk of the record table used to end the main pass: nothing was linked,
// the prune emptied the tree and the scan still succeeded.
TEST_F(NtfsFailingScan, BadSectorInTheMftCostsTheRecordOnItAndTheRestIsLinked) {
  platform.bad = {{RecordAt(20) + 512, 512}};
  EXPECT_EQ(Scan(false), 1);
  EXPECT_EQ(tree.count("docs/a.txt"), 1u);
  EXPECT_EQ(tree.count("b.txt"), 1u);
  EXPECT_EQ(tree.count("docs/gone.txt"), 0u);
  EXPECT_EQ(engine.unreadable_bytes.load(), 1024u);
  EXPECT_EQ(error.Code(), static_cast<int32_t>(kErrorCrc));
  ASSERT_EQ(platform.read_boxes.size(), 1u);
  EXPECT_EQ(platform.read_boxes[0], "Unknow Error!");
  EXPECT_EQ(engine.scan_progress.done.load(), ntfs_test::Volume::kRecords);
}

TEST_F(NtfsFailingScan, ManyBadSectorsShowOneBoxAndAnUnreadableRootLeavesTheCatchAllOnTop) {
  platform.bad = {{RecordAt(5), 512}, {RecordAt(20), 1}, {RecordAt(30), 2048}};
  EXPECT_EQ(Scan(false), 1);
  EXPECT_EQ(NameOf(engine.tree.root()), "$Unknow Folder");
  EXPECT_EQ(tree.count("docs/a.txt"), 1u);
  EXPECT_EQ(tree.count("b.txt"), 1u);
  EXPECT_EQ(platform.read_boxes.size(), 1u);
  EXPECT_EQ(engine.unreadable_bytes.load(), 4u * 1024);
}

TEST_F(NtfsFailingScan, UnreadableMftRecordIsTakenFromTheMirror) {
  std::vector<uint8_t> image = vol.Image();
  constexpr uint64_t kMirror = 30;
  std::memcpy(image.data() + kMirror * 4096, image.data() + kMftOffset, 4096);
  ntfs_test::Put64(image, 56, kMirror);
  platform.image = image;
  platform.bad = {{kMftOffset, 512}};
  EXPECT_EQ(Scan(false), 1);
  EXPECT_EQ(tree.count("docs/a.txt"), 1u);
}

// The bitmap's cluster unreadable: no cluster is known to be free, so none is rated as such,
// and the records are still listed.
TEST_F(NtfsFailingScan, UnreadableBitmapTakesEveryClusterAsInUse) {
  platform.bad = {{ntfs_test::Volume::kBitmapCluster * 4096 + 512, 512}};
  EXPECT_EQ(Scan(false), 1);
  ASSERT_EQ(tree.count("b.txt"), 1u);
  for (const FoundNode* n = engine.tree.root()->first_child; n != nullptr; n = n->next_sibling) {
    if (NameOf(n) != "b.txt") continue;
    EXPECT_EQ(n->record->extents.free_clusters, 0u);
  }
  EXPECT_EQ(platform.read_boxes.size(), 1u);

  // Its record unreadable too.
  platform.bad = {{RecordAt(6), 512}};
  EXPECT_EQ(Scan(false), 1);
  EXPECT_EQ(tree.count("b.txt"), 1u);
}

TEST_F(NtfsFailingScan, BadSectorInAFreeRunDoesNotEndTheSearchForLostRecords) {
  vol.Write(72 * 4096, Record(0).FileName(16, u"lost.txt").Resident(0x80, {9}).Finish());
  platform.bad = {{70 * 4096 + 1024, 512}};
  EXPECT_EQ(Scan(true), 1);
  EXPECT_EQ(tree.count("docs/lost.txt"), 1u);
  EXPECT_EQ(platform.read_boxes.size(), 1u);
}

// A device whose size the platform cannot tell: the boot sector claims 2^32 sectors and the
// MFT a million clusters. Sized from the claim, the record table would hold four million
// slots and the pass read far past the device; measured, the MFT is refused.
TEST_F(NtfsFailingScan, UnknownDeviceSizeIsMeasuredBeforeTheMftIsSizedFromTheClaim) {
  vol.SetRecord(0, Record(1).FileName(5, u"$MFT")
                       .NonResident(0x80, {0x31, 0x00, 0x00, 0x10, 0x04}, 0, 0xFFFFF,
                                    uint64_t{0x100000} * 4096)
                       .Finish());
  std::vector<uint8_t> image = vol.Image();
  ntfs_test::Put64(image, 40, uint64_t{1} << 32);
  platform.image = image;
  platform.hide_size = true;
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), kErrorNoMft);
}

// --- FAT -------------------------------------------------------------------------------------

using fat::testing::HandFat;
using fat::testing::ScanRig;
using fat::testing::View;

constexpr uint64_t kSector = 512;
constexpr uint64_t ClusterAt(uint32_t cluster) { return (4 + cluster - 2) * kSector; }

class FatFailingScan : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.platform = &platform;
    engine.last_error = &error;
    engine.root_name = "X:\\";
    // DOCS: a live folder over clusters 2 and 3, a deleted file in each; two deleted files in
    // the root, one in each of its two sectors.
    fat.Entry(fat.Root(0), "DOCS       ", 0x10, 2, 0);
    fat.Chain(2, 2);
    fat.Dots(2, 0);
    fat.Entry(fat.Slot(2, 2), "\xE5" "NE     TXT", 0x20, 10, 10);
    // Deleted entries of no cluster (not listed) fill the first cluster, so that the folder
    // goes on into its second.
    for (int i = 3; i < 16; ++i) fat.Entry(fat.Slot(2, i), "\xE5" "ILLER  TXT", 0x20, 0, 0);
    fat.Entry(fat.Slot(3, 0), "\xE5" "WO     TXT", 0x20, 11, 10);
    fat.Entry(fat.Root(1), "\xE5" "OOTA   TXT", 0x20, 12, 10);
    fat.Entry(fat.Root(16), "\xE5" "OOTB   TXT", 0x20, 13, 10);
  }
  uint8_t Scan() {
    if (platform.image.empty()) platform.image = fat.bytes;
    engine.extra_pass = 0;
    engine.scan_flags.stop = 0;
    return fat::RunFatScan(engine);
  }

  LastError error;
  FailingPlatform platform;
  Engine engine{EngineKind::kFat};
  HandFat fat;
};

TEST_F(FatFailingScan, BadRootSectorCostsItsEntriesAndTheScanGoesOn) {
  platform.bad = {{2 * kSector + 100, 1}};
  EXPECT_EQ(Scan(), 1);
  auto view = View(engine.tree);
  EXPECT_TRUE(view.Has("xOOTB.TXT"));
  EXPECT_FALSE(view.Has("xOOTA.TXT"));
  EXPECT_EQ(platform.read_boxes.size(), 1u);
  EXPECT_EQ(error.Code(), static_cast<int32_t>(kErrorCrc));
}

TEST_F(FatFailingScan, UnreadableFolderClusterCostsItsEntriesAndTheChainGoesOn) {
  platform.bad = {{ClusterAt(2), 1}};
  EXPECT_EQ(Scan(), 1);
  auto view = View(engine.tree);
  EXPECT_TRUE(view.Has("DOCS/xWO.TXT"));
  EXPECT_FALSE(view.Has("DOCS/xNE.TXT"));
  EXPECT_TRUE(view.Has("xOOTA.TXT"));
  EXPECT_EQ(platform.read_boxes.size(), 1u);
}

// The table's only copy unreadable: its entries are unknown, read as bad clusters (no chain
// through them, nothing free), and the root is still read.
TEST_F(FatFailingScan, UnreadableTableSectorLeavesItsEntriesUnknownNotTheScanFailed) {
  platform.bad = {{kSector, kSector}};
  EXPECT_EQ(Scan(), 1);
  auto view = View(engine.tree);
  ASSERT_TRUE(view.Has("xOOTA.TXT"));
  for (FoundNode* n : view.file_nodes) EXPECT_EQ(n->record->extents.free_clusters, 0u);
  EXPECT_EQ(platform.read_boxes.size(), 1u);
}

// A device whose size the platform cannot tell is measured before the table is sized: one
// that holds the table is scanned as any other, one cut short inside it is refused.
TEST_F(FatFailingScan, DeviceOfUnknownSizeIsMeasuredBeforeTheTableIsSized) {
  platform.hide_size = true;
  EXPECT_EQ(Scan(), 1);
  EXPECT_TRUE(View(engine.tree).Has("DOCS/xWO.TXT"));

  platform.image.resize(kSector + 100);
  EXPECT_EQ(Scan(), 0);
  EXPECT_EQ(error.Code(), fat::kErrorFatTable);
}

TEST_F(FatFailingScan, UnreadableTableSectorIsTakenFromTheSecondCopy) {
  // A second copy of the table after the first: one more sector before the root.
  std::vector<uint8_t> image = fat.bytes;
  image.insert(image.begin() + 2 * kSector, image.begin() + kSector, image.begin() + 2 * kSector);
  image[16] = 2;
  WriteLe16(image.data() + 19, static_cast<uint16_t>(ReadLe16(ByteSpan(image), 19) + 1));
  platform.image = image;
  platform.bad = {{kSector, kSector}};
  EXPECT_EQ(Scan(), 1);
  auto view = View(engine.tree);
  EXPECT_TRUE(view.Has("DOCS/xNE.TXT"));
  EXPECT_TRUE(view.Has("DOCS/xWO.TXT"));
}

}  // namespace
}  // namespace scavrel
