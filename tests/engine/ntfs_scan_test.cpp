// The NTFS scan over hand-made volumes (ntfs_test::Volume): which records become entries, where
// they hang, the counters, the prune, the free-cluster pass for lost records, stopping, and the
// engine's error codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "tests/engine/ntfs_test_volume.h"

using namespace scavrel;
using ntfs_test::Record;

namespace {

// Serves one in-memory image as every volume path; counts "Read" boxes; can raise the stop
// flag after a number of worker steps.
class TestPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string& path, uint32_t* error) override {
    if (path != "image") {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    return std::make_unique<MemoryVolumeReader>(image);
  }
  void PumpMessages() override {
    ++steps;
    if (engine == nullptr) return;
    if (stop_after != 0 && steps >= stop_after) engine->scan_flags.stop = 1;
    if (stop_at_done != 0 && engine->scan_progress.done >= stop_at_done) engine->scan_flags.stop = 1;
    if (stop_at_total != 0 && engine->scan_progress.total == stop_at_total) engine->scan_flags.stop = 1;
  }
  void ShowReadError(const std::string& text) override { read_boxes.push_back(text); }

  std::vector<uint8_t> image;
  Engine* engine = nullptr;
  uint64_t steps = 0;
  uint64_t stop_after = 0;    // worker steps
  uint64_t stop_at_done = 0;  // progress value
  uint64_t stop_at_total = 0; // progress total (the extra pass counts clusters)
  std::vector<std::string> read_boxes;
};

std::string Utf8Name(const FoundNode* node) {
  auto* rec = reinterpret_cast<NtfsEntryRecord*>(node->record);
  const char16_t* name = GetWideName(&rec->long_name);
  if (name == nullptr) name = GetWideName(&rec->short_name);
  std::string out;
  for (size_t i = 0; name != nullptr && name[i] != 0; ++i) out += static_cast<char>(name[i]);
  return out;
}

// Every valid node below the root by path ("a/b"), with D/F and deleted marks.
void Collect(const FoundNode* node, const std::string& path,
             std::map<std::string, const FoundNode*>* out) {
  for (const FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
    std::string p = path.empty() ? Utf8Name(c) : path + "/" + Utf8Name(c);
    (*out)[p] = c;
    Collect(c, p, out);
  }
}

class NtfsScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.last_error = &error;
    engine.platform = &platform;
    platform.engine = &engine;
    engine.volume_device_path = "image";
    engine.root_name = "C:\\";
  }
  uint8_t Scan(bool full) {
    platform.image = vol.Image();
    engine.extra_pass = full ? 1 : 0;
    engine.scan_flags.stop = 0;
    uint8_t result = NtfsScanMain(engine);
    tree.clear();
    // A prune may remove the root itself (nothing deleted below it).
    if (!engine.tree.empty() && engine.tree.root() != nullptr) Collect(engine.tree.root(), "", &tree);
    return result;
  }
  uint64_t Size(const std::string& path) {
    auto* rec = reinterpret_cast<NtfsEntryRecord*>(tree.at(path)->record);
    uint64_t size = 0;
    std::memcpy(&size, rec->file_name + 48, 8);
    return size;
  }
  ExtentList& Extents(const std::string& path) {
    return reinterpret_cast<NtfsEntryRecord*>(tree.at(path)->record)->extents;
  }

  LastError error;
  Engine engine{EngineKind::kNtfs};
  TestPlatform platform;
  ntfs_test::Volume vol;
  std::map<std::string, const FoundNode*> tree;
};

const std::string kUnknown = "$Unknow Folder";

// A volume with one of each kind of record the main pass meets.
void AddMixedRecords(ntfs_test::Volume& v) {
  v.SetRecord(16, Record(3).FileName(5, u"docs").Finish());
  v.SetRecord(17, Record(0).FileName(16, u"a.txt").Resident(0x80, ntfs_test::Bytes("hello")).Finish());
  v.SetRecord(18, Record(1).FileName(16, u"live.txt").Resident(0x80, ntfs_test::Bytes("x")).Finish());
  v.SetRecord(19, Record(0).FileName(16, u"big.bin")
                      .NonResident(0x80, {0x11, 0x02, 0x30}, 0, 1, 8000).Finish());
  v.SetRecord(20, Record(2).FileName(5, u"old").Finish());
  v.SetRecord(21, Record(0).FileName(20, u"inold.txt", 1, 3).Resident(0x80, {1, 2, 3}).Finish());
  v.SetRecord(22, Record(3).FileName(5, u"empty").Finish());
  v.SetRecord(23, Record(0).FileName(18, u"parent-is-file.txt").Finish());
  v.SetRecord(24, Record(0).FileName(1000, u"parent-beyond.txt").Finish());
  v.SetRecord(25, Record(0).FileName(63, u"in-last.txt").Finish());
  v.SetRecord(63, Record(3).FileName(5, u"lastdir").Finish());
  auto zero = Record(0).FileName(16, u"zero-length.txt").Finish();
  ntfs_test::Put32(zero, 0x38 + 4, 0);
  zero[0x38 + 4] = 0;  // damaged: an attribute of length 0 (fixups untouched: not a block end)
  v.SetRecord(26, zero);
  v.SetRecord(27, Record(0).FileName(16, u"no-end.txt").Finish(false));
  v.SetRecord(28, Record(2).FileName(5, u"deleted-empty-dir").Finish());
  v.SetRecord(29, Record(0).FileName(16, u"DOSNAM~1.TXT", 2).FileName(16, u"dos and long.txt", 1).Finish());
  v.SetRecord(30, Record(0).Finish());  // no name at all
}

TEST_F(NtfsScanTest, QuickScanHangsDeletedFilesUnderTheirFolders) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  EXPECT_EQ(error.Code(), 0);
  EXPECT_EQ(Utf8Name(engine.tree.root()), "C:\\");
  EXPECT_TRUE(tree.count("docs/a.txt"));
  EXPECT_TRUE(tree.count("docs/big.bin"));
  EXPECT_TRUE(tree.count("old/inold.txt"));
  EXPECT_TRUE(tree.count("docs/dos and long.txt"));
  EXPECT_FALSE(tree.count("docs/live.txt"));
  EXPECT_FALSE(tree.count("docs/zero-length.txt"));
  EXPECT_FALSE(tree.count("docs/no-end.txt"));
  EXPECT_EQ(Size("docs/a.txt"), 5u);
  EXPECT_EQ(Size("docs/big.bin"), 8000u);
  EXPECT_EQ(Size("old/inold.txt"), 3u);  // the name's size stands
  EXPECT_TRUE(tree.at("old")->deleted);
  EXPECT_TRUE(tree.at("docs/a.txt")->deleted);
}

TEST_F(NtfsScanTest, UnusableParentsHangUnderTheCatchAllFolder) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  EXPECT_TRUE(tree.count(kUnknown + "/parent-is-file.txt"));
  EXPECT_TRUE(tree.count(kUnknown + "/parent-beyond.txt"));
  // The MFT's last record is a folder like any other.
  EXPECT_TRUE(tree.count("lastdir/in-last.txt"));
  EXPECT_TRUE(tree.at(kUnknown)->directory);
}

TEST_F(NtfsScanTest, PruneRemovesFoldersWithoutDeletedEntries) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  EXPECT_FALSE(tree.count("empty"));
  EXPECT_FALSE(tree.count("deleted-empty-dir"));
  EXPECT_TRUE(tree.count("docs"));
}

TEST_F(NtfsScanTest, CountersAndProgressMatchTheTree) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  uint64_t deleted_files = 0;
  for (auto& [path, node] : tree) deleted_files += node->deleted && !node->directory;
  EXPECT_EQ(deleted_files, 7u);
  EXPECT_EQ(engine.scan_progress.counter_a.load(), 7u);
  // Folders kept when made: root, docs, old, empty, lastdir, deleted-empty-dir.
  EXPECT_EQ(engine.scan_progress.counter_b.load(), 6u);
  EXPECT_EQ(engine.scan_progress.total.load(), 64u);
  EXPECT_EQ(engine.scan_progress.done.load(), 64u);
}

TEST_F(NtfsScanTest, ResidentDataIsFullyRecoverableAndRunsCountTheBitmap) {
  AddMixedRecords(vol);
  vol.Use(49);  // second cluster of big.bin reused
  ASSERT_EQ(Scan(false), 1);
  EXPECT_EQ(Extents("docs/a.txt").total_clusters, 1u);
  EXPECT_EQ(Extents("docs/a.txt").free_clusters, 1u);
  EXPECT_EQ(Extents("docs/big.bin").total_clusters, 2u);
  EXPECT_EQ(Extents("docs/big.bin").free_clusters, 0u);  // cluster 48's byte part is not all free
}

TEST_F(NtfsScanTest, FolderLoopsFromStaleParentsEndUnderTheCatchAllFolder) {
  vol.SetRecord(40, Record(2).FileName(41, u"loopA").Finish());
  vol.SetRecord(41, Record(2).FileName(40, u"loopB").Finish());
  vol.SetRecord(42, Record(0).FileName(41, u"inloop.txt").Finish());
  ASSERT_EQ(Scan(false), 1);
  bool found = false;
  for (auto& [path, node] : tree) found |= path.find("inloop.txt") != std::string::npos;
  EXPECT_TRUE(found);
  EXPECT_TRUE(tree.count(kUnknown + "/loopA/loopB/inloop.txt") ||
              tree.count(kUnknown + "/loopB/inloop.txt"));
}

TEST_F(NtfsScanTest, NoRootRecordMakesTheCatchAllFolderTheTop) {
  vol.SetRecord(5, std::vector<uint8_t>(1024, 0));
  vol.SetRecord(17, Record(0).FileName(5, u"orphan.txt").Finish());
  ASSERT_EQ(Scan(false), 1);
  EXPECT_EQ(Utf8Name(engine.tree.root()), kUnknown);
  EXPECT_TRUE(tree.count("orphan.txt"));
}

TEST_F(NtfsScanTest, StopDuringTheMainPassLeavesNodesUnlinkedAndSucceeds) {
  AddMixedRecords(vol);
  platform.stop_at_done = 30;  // after the root's record, before the last ones
  ASSERT_EQ(Scan(false), 1);
  EXPECT_EQ(engine.scan_progress.done.load(), 30u);
  EXPECT_TRUE(tree.empty());  // nothing was linked under the root
}

// --- the free-cluster pass ---------------------------------------------------------------------

std::vector<uint8_t> LostRecord(const std::u16string& name, uint16_t flags = 0) {
  return Record(flags).FileName(5, name, 1, 4).Resident(0x80, {9, 9, 9, 9}).Finish();
}

TEST_F(NtfsScanTest, FullScanFindsLostRecordsInEveryFreeCluster) {
  // Clusters 0-24 are in use. Lost records lie where a byte-wise search would miss them:
  vol.Use(200); vol.Use(201); vol.Use(202); vol.Use(203);
  vol.Write(204 * 4096, LostRecord(u"after-used-low-bits.txt"));  // byte 25: bits 0-3 used
  for (uint64_t c = 26; c < 40; ++c) vol.Use(c);
  vol.Write(46 * 4096, LostRecord(u"crossing-bytes.txt"));        // run 40.. spans bytes 5, 6
  vol.Write(72 * 4096, LostRecord(u"after-free-byte.txt"));       // byte 9 after free byte 8
  vol.Write(100 * 4096 + 3 * 512, LostRecord(u"unaligned.txt"));  // not on a cluster start
  vol.Write(120 * 4096, LostRecord(u"was-live.txt", 1));          // in-use flag: not taken
  ASSERT_EQ(Scan(true), 1);
  EXPECT_EQ(error.Code(), 0);
  EXPECT_TRUE(tree.count("after-used-low-bits.txt"));
  EXPECT_TRUE(tree.count("crossing-bytes.txt"));
  EXPECT_TRUE(tree.count("after-free-byte.txt"));
  EXPECT_TRUE(tree.count("unaligned.txt"));
  EXPECT_FALSE(tree.count("was-live.txt"));
  EXPECT_EQ(engine.scan_progress.counter_a.load(), 4u);
  EXPECT_EQ(engine.scan_progress.total.load(), 256u);
  EXPECT_EQ(engine.scan_progress.done.load(), 256u);
  EXPECT_EQ(Size("unaligned.txt"), 4u);
  EXPECT_EQ(Extents("unaligned.txt").free_clusters, Extents("unaligned.txt").total_clusters);
}

TEST_F(NtfsScanTest, QuickScanDoesNotLookAtFreeClusters) {
  vol.Write(72 * 4096, LostRecord(u"lost.txt"));
  ASSERT_EQ(Scan(false), 1);
  EXPECT_FALSE(tree.count("lost.txt"));
}

TEST_F(NtfsScanTest, LostRecordWithUnusableParentGoesToTheCatchAllFolder) {
  vol.Write(72 * 4096, Record(0).FileName(999, u"lost.txt").Finish());
  ASSERT_EQ(Scan(true), 1);
  EXPECT_TRUE(tree.count(kUnknown + "/lost.txt"));
}

TEST_F(NtfsScanTest, BitmapShorterThanTheVolumeIsError1028) {
  // The boot sector claims more clusters than the one-cluster bitmap describes; the bitmap's
  // bits past the image say "in use", so the pass reads only inside the image.
  ntfs_test::Put64(vol.raw(), 40, uint64_t{40000} * 8);
  for (size_t i = 32; i < 4096; ++i) vol.bitmap()[i] = 0xFF;
  vol.SetRecord(17, Record(0).FileName(5, u"keep.txt").Finish());
  ASSERT_EQ(Scan(true), 0);
  EXPECT_EQ(error.Code(), 1028);
  EXPECT_EQ(error.Text(), "Is not NTFS partition or The partition is Error!");
  EXPECT_TRUE(tree.count("keep.txt"));
}

TEST_F(NtfsScanTest, StopDuringTheExtraPassPrunesAndSucceeds) {
  vol.SetRecord(16, Record(3).FileName(5, u"livedir").Finish());
  vol.SetRecord(17, Record(0).FileName(5, u"keep.txt").Finish());
  vol.Write(250 * 4096, LostRecord(u"too-late.txt"));
  platform.stop_at_total = 256;  // the first step of the extra pass
  ASSERT_EQ(Scan(true), 1);
  EXPECT_LT(engine.scan_progress.done.load(), 250u);
  EXPECT_TRUE(tree.count("keep.txt"));
  EXPECT_FALSE(tree.count("livedir"));  // pruned
  EXPECT_FALSE(tree.count("too-late.txt"));
}

// Chunk bounds of the free-cluster search. Five thousand 64 KiB clusters (512-byte sectors,
// 128 per cluster) are 320 MiB; 255 sectors of 4 KiB per cluster, as a crafted boot sector
// may claim, make a 5,000-cluster chunk of 5.2 GB, past what a 32-bit size_t holds; the
// power-of-two form of the field reaches 4,096 sectors per cluster.
TEST(FreeRunChunks, ChunkBytesStayBoundedWhateverTheGeometry) {
  struct Geometry {
    uint64_t spc, bps;
  };
  for (Geometry g : {Geometry{128, 512}, Geometry{255, 4096}, Geometry{4096, 512},
                     Geometry{4096, 4096}, Geometry{uint64_t{1} << 62, 512}}) {
    const uint64_t sectors = FreeRunChunkSectors(g.spc, g.bps, ~0ull / 4096);
    EXPECT_GT(sectors, 0u) << g.spc << " x " << g.bps;
    EXPECT_LE(sectors * g.bps, kFreeRunChunkBytes) << g.spc << " x " << g.bps;
    EXPECT_LE(sectors * g.bps, uint64_t{0xFFFFFFFF}) << g.spc << " x " << g.bps;
  }
  // Ordinary volumes keep their 5,000-cluster chunks; a run's end shortens the last one.
  EXPECT_EQ(FreeRunChunkSectors(8, 512, 1 << 30), 5000u * 8);
  EXPECT_EQ(FreeRunChunkSectors(1, 4096, 1 << 30), 5000u);
  EXPECT_EQ(FreeRunChunkSectors(8, 512, 17), 17u);
  EXPECT_EQ(FreeRunChunkSectors(0, 512, 17), 0u);
}

// A 64 MiB volume of 64 KiB clusters, all of them free, that serves zeros except for what a
// test writes into it, and keeps the largest read it was asked for.
class SparseVolume : public VolumeReader {
 public:
  static constexpr uint64_t kSize = 64ull << 20;
  bool Read(uint64_t offset, void* buffer, size_t length) override {
    largest_read = std::max<uint64_t>(largest_read, length);
    if (offset > kSize || length > kSize - offset) {
      error_ = kErrorHandleEof;
      return false;
    }
    std::memset(buffer, 0, length);
    for (const auto& [at, bytes] : written) {
      const uint64_t from = std::max(at, offset), to = std::min(at + bytes.size(), offset + length);
      if (from < to)
        std::memcpy(static_cast<uint8_t*>(buffer) + (from - offset), bytes.data() + (from - at), to - from);
    }
    return true;
  }
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return kSize; }

  std::map<uint64_t, std::vector<uint8_t>> written;
  uint64_t largest_read = 0;

 private:
  uint32_t error_ = 0;
};

TEST(FreeRunChunks, LargeClustersAreSearchedInBoundedChunksAndNothingIsMissed) {
  LastError error;
  Engine engine{EngineKind::kNtfs};
  engine.last_error = &error;
  engine.scan_flags.stop = 0;
  auto reader = std::make_unique<SparseVolume>();
  SparseVolume& sparse = *reader;
  engine.volume = std::move(reader);
  NtfsVolume volume;
  volume.bytes_per_sector = 512;
  volume.sectors_per_cluster = 128;
  volume.total_sectors = SparseVolume::kSize / 512;
  volume.sectors_per_record = 2;
  volume.records_per_cluster = 64;
  volume.bitmap.assign(volume.ClusterCount() / 8, 0);  // every cluster free
  auto lost = [](const std::u16string& name) {
    return Record(0).FileName(5, name, 1, 4).Resident(0x80, {9, 9, 9, 9}).Finish();
  };
  // One across the first chunk's end, one in the second chunk off any cluster start.
  sparse.written[kFreeRunChunkBytes - 512] = lost(u"across.txt");
  sparse.written[(40ull << 20) + 3 * 512] = lost(u"far.txt");

  NtfsScanner scanner(engine, volume);
  EXPECT_EQ(scanner.ScanFreeClustersForRecords(), 0);
  EXPECT_LE(sparse.largest_read, kFreeRunChunkBytes);
  EXPECT_EQ(engine.scan_progress.counter_a.load(), 2u);
  EXPECT_EQ(engine.scan_progress.done.load(), volume.ClusterCount());
  std::vector<std::string> names;
  for (const FoundNode* n = engine.tree.root(); n != nullptr; n = n->next_sibling)
    names.push_back(Utf8Name(n));
  EXPECT_EQ(names, (std::vector<std::string>{"across.txt", "far.txt"}));
}

// --- failures ----------------------------------------------------------------------------------

TEST_F(NtfsScanTest, VolumeThatCannotBeOpenedKeepsTheSystemError) {
  engine.volume_device_path = "missing";
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), static_cast<int32_t>(kErrorFileNotFound));
}

TEST_F(NtfsScanTest, BadBootSectorIs1023) {
  vol.raw()[3] = 'X';
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), 1023);
  EXPECT_EQ(error.Text(), "Is not NTFS partition!");
}

TEST_F(NtfsScanTest, DamagedMftRecordIs1024) {
  vol.SetRecord(0, std::vector<uint8_t>(1024, 0));
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), 1024);
  EXPECT_EQ(error.Text(), "Is not NTFS partition,The MFT Table is not found!");
}

TEST_F(NtfsScanTest, DamagedBitmapRecordIs1025) {
  vol.SetRecord(6, Record(1).FileName(5, u"$Bitmap").Finish());  // no data
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), 1025);
  EXPECT_EQ(error.Text(), "Is not NTFS partition,The Bitmap is Error!");
}

TEST_F(NtfsScanTest, FailedReadOfAnAttributeListShowsTheReadBox) {
  // The list's cluster lies inside the volume's geometry but past the end of the image.
  auto base = Record(0).NonResident(0x20, {0x11, 0x01, 0x7F}, 0, 0, 64).Finish();  // cluster 127
  vol.SetRecord(17, base);
  platform.image = vol.Image();
  platform.image.resize(100 * 4096);
  engine.scan_flags.stop = 0;
  ASSERT_EQ(NtfsScanMain(engine), 1);
  ASSERT_EQ(platform.read_boxes.size(), 1u);
}

TEST_F(NtfsScanTest, ClearNtfsEngineEmptiesEverything) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  error.Set(5, "x");
  ClearNtfsEngine(engine);
  EXPECT_TRUE(engine.tree.empty());
  EXPECT_EQ(engine.scan_progress.counter_a.load(), 0u);
  EXPECT_EQ(error.Code(), 0);
  EXPECT_FALSE(engine.volume);
  EXPECT_FALSE(engine.volume_state);
}

}  // namespace
