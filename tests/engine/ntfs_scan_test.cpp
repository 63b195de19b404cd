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
#include "tests/engine/watched_reader.h"

using namespace scavrel;
using ntfs_test::Record;

namespace {

// Serves one in-memory image as every volume path; counts "Read" boxes; can raise the stop
// flag after a number of worker steps.
using testing_reader::WatchedReader;

class TestPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string& path, uint32_t* error) override {
    if (path != "image") {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    return std::make_unique<WatchedReader>(image, &longest_read);
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
  size_t longest_read = 0;
};

std::string Utf8Name(const FoundNode* node) {
  auto* rec = AsNtfsRecord(node->record);
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
    auto* rec = AsNtfsRecord(tree.at(path)->record);
    uint64_t size = 0;
    std::memcpy(&size, rec->file_name + 48, 8);
    return size;
  }
  ExtentList& Extents(const std::string& path) {
    return AsNtfsRecord(tree.at(path)->record)->extents;
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

// The caption is text in the system's ANSI code page, as the FAT scan reads it: here the
// portable Windows-1252 one, whose 0x80 is the euro sign (not U+0080).
TEST_F(NtfsScanTest, TheRootIsNamedWithTheCaptionReadInTheAnsiCodePage) {
  engine.root_name = "E:\\Mount \x80\\";
  vol.SetRecord(17, Record(0).FileName(5, u"keep.txt").Finish());
  ASSERT_EQ(Scan(false), 1);
  auto* root = AsNtfsRecord(engine.tree.root()->record);
  EXPECT_EQ(std::u16string(GetWideName(&root->long_name)), u"E:\\Mount \u20AC\\");
}

// The MFT's second run lies past the end of the image: the records read before it are still
// linked, and the catch-all folder hangs under the root, so the lost records the extra pass
// finds can be reached like every other entry.
TEST_F(NtfsScanTest, LostRecordsAfterAnEarlyEndedMainPassHangUnderTheCatchAllFolder) {
  vol.SetRecord(0, Record(1).FileName(5, u"$MFT")
                       .NonResident(0x80, {0x11, 0x08, 0x04, 0x21, 0x08, 0xEC, 0x00}, 0, 15,
                                    16 * 4096)
                       .Finish());
  for (uint64_t c = 240; c < 248; ++c) vol.Use(c);
  for (uint64_t c = 200; c < 240; ++c) vol.Use(c);  // the pass reads nothing past the image
  for (uint64_t c = 248; c < 256; ++c) vol.Use(c);
  vol.SetRecord(17, Record(0).FileName(5, u"keep.txt").Finish());
  vol.Write(72 * 4096, Record(0).FileName(999, u"lost.txt").Finish());
  platform.image = vol.Image();
  platform.image.resize(200 * 4096);
  engine.extra_pass = 1;
  engine.scan_flags.stop = 0;
  ASSERT_EQ(NtfsScanMain(engine), 1);
  ASSERT_FALSE(engine.tree.empty());
  ASSERT_NE(engine.tree.root(), nullptr);
  EXPECT_EQ(Utf8Name(engine.tree.root()), "C:\\");
  Collect(engine.tree.root(), "", &tree);
  EXPECT_TRUE(tree.count(kUnknown + "/lost.txt"));
  EXPECT_TRUE(tree.count("keep.txt"));
}

// Every folder of a chain as deep as the MFT allows lies inside the one before it, each
// holding a deleted file: linking the chain looks at each parent link a bounded number of
// times, not once per ancestor of every node.
TEST_F(NtfsScanTest, ADeepFolderChainIsLinkedWithoutWalkingEveryNodesAncestors) {
  const uint64_t first = 16, last = 61;
  for (uint64_t r = first; r <= last; r += 2) {
    vol.SetRecord(r, Record(2).FileName(r == first ? 5 : r - 2, u"d").Finish());
    vol.SetRecord(r + 1, Record(0).FileName(r, u"f.txt").Finish());
  }
  platform.image = vol.Image();
  engine.volume = std::make_unique<MemoryVolumeReader>(platform.image);
  engine.scan_flags.stop = 0;
  NtfsVolume volume;
  uint8_t boot[512];
  ASSERT_TRUE(engine.volume->Read(0, boot, sizeof(boot)));
  ASSERT_TRUE(CheckNtfsBootSector(volume, ByteSpan{boot, sizeof(boot)}));
  ASSERT_TRUE(LocateMft(engine, volume));
  ASSERT_TRUE(LoadVolumeBitmap(engine, volume));
  NtfsScanner scanner(engine, volume);
  scanner.ScanMftRecords();

  const uint64_t levels = (last - first + 1) / 2;
  std::string path;
  for (uint64_t level = 0; level < levels; ++level) path += "d/";
  Collect(engine.tree.root(), "", &tree);
  EXPECT_TRUE(tree.count(path + "f.txt")) << "the chain is broken";
  EXPECT_LE(scanner.link_steps(), 2 * volume.mft_record_count);
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

TEST_F(NtfsScanTest, FreeRunCrossingTheDeviceEndIsSearchedUpToIt) {
  // The boot sector claims 512 clusters, the image holds 256 and the bitmap says clusters 200
  // on are free: the search reads up to the image's end, not past it.
  ntfs_test::Put64(vol.raw(), 40, uint64_t{512} * 8);
  for (uint64_t c = 25; c < 200; ++c) vol.Use(c);
  vol.Write(210 * 4096, LostRecord(u"near-the-end.txt"));
  ASSERT_EQ(Scan(true), 1);
  EXPECT_EQ(error.Code(), 0);
  EXPECT_TRUE(tree.count("near-the-end.txt"));
  EXPECT_LE(platform.longest_read, vol.raw().size());
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

// As in the FAT scan, a volume that opens but whose first sector cannot be read is shown to
// the user in the "Read" box.
TEST_F(NtfsScanTest, UnreadableFirstSectorSetsTheSystemErrorAndShowsTheReadBox) {
  platform.image.assign(100, 0);
  engine.scan_flags.stop = 0;
  EXPECT_EQ(NtfsScanMain(engine), 0);
  EXPECT_EQ(error.Code(), static_cast<int32_t>(kErrorHandleEof));
  EXPECT_EQ(platform.read_boxes.size(), 1u);
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

// --- geometry the boot sector claims ----------------------------------------------------------

TEST_F(NtfsScanTest, PowerOfTwoClusterByteScansLikeThePlainCount) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  std::vector<std::string> plain;
  for (const auto& [path, node] : tree) plain.push_back(path);
  vol.raw()[13] = 0xFD;  // 2^(256 - 0xFD) = 8 sectors
  ASSERT_EQ(Scan(false), 1);
  std::vector<std::string> power;
  for (const auto& [path, node] : tree) power.push_back(path);
  EXPECT_EQ(power, plain);
  EXPECT_TRUE(tree.count("docs/big.bin"));
  EXPECT_EQ(Extents("docs/big.bin").first->run->first_cluster, 0x30u);
}

TEST_F(NtfsScanTest, MftLargerThanTheDeviceIsRefusedBeforeAnythingIsSizedFromIt) {
  // The boot sector claims 2^40 sectors and the MFT's record a run of 2^24 clusters (2^26
  // records: a record table of 512 MiB) on an image of 1 MiB.
  ntfs_test::Put64(vol.raw(), 40, uint64_t{1} << 40);
  vol.SetRecord(0, Record(1).FileName(5, u"$MFT")
                       .NonResident(0x80, {0x14, 0x00, 0x00, 0x00, 0x01, 0x04}, 0,
                                    (uint64_t{1} << 24) - 1, uint64_t{1} << 36)
                       .Finish());
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), 1024);
  EXPECT_EQ(engine.scan_progress.total.load(), 0u);
}

TEST_F(NtfsScanTest, MftRunsThatRepeatTheirClustersPastTheVolumeAreRefused) {
  // Seventeen runs over the same sixteen clusters: 272 clusters on a volume of 256, and each
  // record of the MFT would be taken seventeen times.
  std::vector<uint8_t> runs{0x11, 0x10, 0x04};
  for (int i = 0; i < 16; ++i) runs.insert(runs.end(), {0x11, 0x10, 0x00});
  vol.SetRecord(0, Record(1).FileName(5, u"$MFT")
                       .NonResident(0x80, runs, 0, 17 * 16 - 1, 17 * 16 * 4096)
                       .Finish());
  vol.SetRecord(17, Record(0).FileName(5, u"once.txt").Finish());
  EXPECT_EQ(Scan(false), 0);
  EXPECT_EQ(error.Code(), 1024);
  EXPECT_TRUE(tree.empty());
}

TEST_F(NtfsScanTest, LargeRecordsAreReadInChunksOfAtMostTenMillionBytes) {
  // 4 KiB records (one cluster each): an MFT of 4,000 of them at cluster 4, with deleted files
  // either side of where a chunk of 10,240,000 bytes ends (record 2,500).
  constexpr uint64_t kRecords = 4000, kClusters = 4100;
  std::vector<uint8_t>& image = platform.image;
  image.assign(kClusters * 4096, 0);
  auto put = [&](uint64_t cluster, const std::vector<uint8_t>& bytes) {
    std::memcpy(image.data() + cluster * 4096, bytes.data(), bytes.size());
  };
  put(0, std::vector<uint8_t>(vol.raw().begin(), vol.raw().begin() + 512));
  ntfs_test::Put64(image, 40, kClusters * 8);
  image[64] = 1;  // one cluster per record
  put(4, Record(1, 4096).FileName(5, u"$MFT")
             .NonResident(0x80, {0x12, 0xA0, 0x0F, 0x04}, 0, kRecords - 1, kRecords * 4096)
             .Finish());
  put(4 + 5, Record(3, 4096).FileName(5, u".").Finish());
  put(4 + 6, Record(1, 4096).FileName(5, u"$Bitmap")
                 .Resident(0x80, std::vector<uint8_t>(kClusters / 8 + 1, 0xFF)).Finish());
  put(4 + 2499, Record(0, 4096).FileName(5, u"before.txt").Finish());
  put(4 + 2500, Record(0, 4096).FileName(5, u"after.txt").Finish());
  engine.scan_flags.stop = 0;
  ASSERT_EQ(NtfsScanMain(engine), 1);
  EXPECT_LE(platform.longest_read, size_t{10240000});
  EXPECT_EQ(engine.scan_progress.done.load(), kRecords);
  Collect(engine.tree.root(), "", &tree);
  EXPECT_TRUE(tree.count("before.txt"));
  EXPECT_TRUE(tree.count("after.txt"));
}

TEST_F(NtfsScanTest, EngineClearEmptiesEverything) {
  AddMixedRecords(vol);
  ASSERT_EQ(Scan(false), 1);
  error.Set(5, "x");
  engine.NoteUnreadable(23, 512);
  engine.Clear();
  EXPECT_EQ(engine.unreadable_bytes.load(), 0u);
  EXPECT_EQ(engine.unreadable_error.load(), 0u);
  EXPECT_TRUE(engine.tree.empty());
  EXPECT_EQ(engine.scan_progress.counter_a.load(), 0u);
  EXPECT_EQ(error.Code(), 0);
  EXPECT_FALSE(engine.volume);
  EXPECT_FALSE(engine.volume_state);
}

}  // namespace
