// The FAT scan over hand-made volumes: boot-sector refusals, chain ends, names, deleted and lost
// folders, the prune, and stops in every pass. Each volume is built byte by byte (HandFat) for
// a case that mkfs.fat and mtools do not produce on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/fat_names.h"
#include "engine/fat_table.h"
#include "tests/engine/fat_test_support.h"

namespace scavrel::fat::testing {
namespace {

template <typename T>
T V(T value) {  // copies a packed field out before an assertion binds it
  return value;
}

// --- boot sector ------------------------------------------------------------------------------

TEST(FatBootSector, RefusedSectorsEndTheScanWith2815AndAnEmptyTree) {
  struct Case {
    const char* what;
    void (*damage)(std::vector<uint8_t>&);
  } cases[] = {
      {"type text FAT and blanks", [](std::vector<uint8_t>& b) { std::memcpy(&b[54], "FAT     ", 8); }},
      {"no signature", [](std::vector<uint8_t>& b) { b[510] = 0; }},
      {"zero bytes per sector", [](std::vector<uint8_t>& b) { WriteLe16(&b[11], 0); }},
      {"odd bytes per sector", [](std::vector<uint8_t>& b) { WriteLe16(&b[11], 100); }},
      {"zero sectors per cluster", [](std::vector<uint8_t>& b) { b[13] = 0; }},
      {"zero tables", [](std::vector<uint8_t>& b) { b[16] = 0; }},
      {"zero reserved sectors", [](std::vector<uint8_t>& b) { WriteLe16(&b[14], 0); }},
      {"zero table sectors", [](std::vector<uint8_t>& b) { WriteLe16(&b[22], 0); }},
      {"zero root entries", [](std::vector<uint8_t>& b) { WriteLe16(&b[17], 0); }},
      {"total below the data region", [](std::vector<uint8_t>& b) { WriteLe16(&b[19], 3); }},
      {"total zero", [](std::vector<uint8_t>& b) { WriteLe16(&b[19], 0); }},
      {"table too small for the clusters",
       [](std::vector<uint8_t>& b) { WriteLe16(&b[19], 60000); }},
  };
  for (const Case& c : cases) {
    HandFat fat;
    c.damage(fat.bytes);
    ScanRig rig;
    EXPECT_EQ(rig.Scan(&fat.bytes, true), 0) << c.what;
    EXPECT_EQ(rig.error.Code(), 2815) << c.what;
    EXPECT_EQ(rig.error.Text(), "Is not Fat partition!") << c.what;
    EXPECT_TRUE(rig.engine.tree.empty()) << c.what;
  }
}

TEST(FatBootSector, Fat32RefusesARootClusterOutsideTheVolume) {
  HandFat fat(200, true);
  WriteLe32(&fat.bytes[44], 5000);
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&fat.bytes, false), 0);
  EXPECT_EQ(rig.error.Code(), 2815);
}

TEST(FatBootSector, PartialLastClusterCountsAsACluster) {
  // 2 sectors per cluster over an odd number of data sectors.
  uint8_t sector[512] = {};
  WriteLe16(sector + 11, 512);
  sector[13] = 2;
  WriteLe16(sector + 14, 1);
  sector[16] = 2;
  WriteLe16(sector + 17, 512);
  WriteLe16(sector + 19, 1 + 2 * 9 + 32 + 2001);  // 2001 data sectors
  WriteLe16(sector + 22, 9);
  std::memcpy(sector + 54, "FAT12   ", 8);
  WriteLe16(sector + 510, 0xAA55);
  FatGeometry g;
  ASSERT_TRUE(ParseFatBootSector(ByteSpan(sector, 512), &g));
  EXPECT_EQ(g.cluster_count, 1001u);
  EXPECT_EQ(g.first_root_sector, 19u);
  EXPECT_EQ(g.first_data_sector, 51u);
}

TEST(FatBootSector, SavePathGetsTheScannedGeometry) {
  HandFat fat(64);  // one reserved sector, one table sector, two root sectors
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  VolumeGeometry g;
  ASSERT_NE(rig.engine.volume_state, nullptr);
  ASSERT_TRUE(rig.engine.volume_state->Geometry(&g));
  EXPECT_EQ(g.bytes_per_sector, 512u);
  EXPECT_EQ(g.sectors_per_cluster, 1u);
  EXPECT_EQ(g.first_data_sector, 4u);
  EXPECT_NE(rig.engine.volume, nullptr);  // kept open for the save path
}

TEST(FatBootSector, TableThatDoesNotFitTheVolumeFailsWith2816) {
  HandFat fat;
  fat.bytes.resize(600);  // the boot sector and a little of the table
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&fat.bytes, false), 0);
  EXPECT_EQ(rig.error.Code(), 2816);
  EXPECT_EQ(rig.error.Text(), "FAT Table is Error!");
}

TEST(FatBootSector, RootFolderPastTheImageEndsTheScanWithoutABufferForIt) {
  // 65,520 root entries (2 MiB) claimed on a volume of 34 KiB; the sector count makes room.
  HandFat fat;
  WriteLe16(&fat.bytes[17], 65520);
  WriteLe16(&fat.bytes[19], 1 + 1 + 4095 + 64);
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&fat.bytes, false), 0);
  EXPECT_LE(rig.platform.longest_read, fat.bytes.size());
}

TEST(FatBootSector, ClusterLargerThanTheDeviceHoldsIsNeverReadNorBuffered) {
  // 128 sectors (64 KiB) a cluster on a volume of 34 KiB: its one cluster is cut short.
  HandFat fat;
  fat.bytes[13] = 128;
  fat.Entry(fat.Root(0), "DOCS       ", 0x10, 2, 0);
  fat.SetFat(2, 0xFFFF);
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&fat.bytes, true), 1);
  EXPECT_LE(rig.platform.longest_read, fat.bytes.size());
  EXPECT_TRUE(rig.platform.read_boxes.empty());
}

TEST(FatBootSector, UnreadableVolumeSetsTheSystemErrorAndShowsTheReadBox) {
  std::vector<uint8_t> tiny(100, 0);
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&tiny, false), 0);
  EXPECT_EQ(rig.error.Code(), static_cast<int32_t>(kErrorHandleEof));
  EXPECT_EQ(rig.platform.read_boxes.size(), 1u);

  ScanRig missing;
  EXPECT_EQ(missing.ScanFile("/nonexistent/volume.img", false), 0);
  EXPECT_EQ(missing.error.Code(), static_cast<int32_t>(kErrorFileNotFound));
}

// --- allocation table and runs ------------------------------------------------------------------

// A volume state with a given table, without a volume behind it.
FatVolume MakeVolume(FatType type, uint32_t clusters) {
  FatVolume v;
  v.geometry.type = type;
  v.geometry.bytes_per_sector = 512;
  v.geometry.sectors_per_cluster = 1;
  v.geometry.cluster_count = clusters;
  v.geometry.first_data_sector = 100;
  switch (type) {
    case FatType::kFat12: v.geometry.bad_marker = 0xFF7; v.geometry.end_first = 0xFF8; break;
    case FatType::kFat16: v.geometry.bad_marker = 0xFFF7; v.geometry.end_first = 0xFFF8; break;
    default: v.geometry.bad_marker = 0x0FFFFFF7; v.geometry.end_first = 0x0FFFFFF8; break;
  }
  v.allocation_table.assign(clusters + 2, 0);
  v.visited.assign(clusters + 2, 0);
  v.owner.assign(clusters + 2, nullptr);
  return v;
}

TEST(FatTable, Fat12EntriesUnpackFromThreeByteGroups) {
  // A FAT12 table as DOS writes it: media descriptor F0 with fill bits, then 2 -> 3 -> end.
  std::vector<uint8_t> image(512 * 40, 0);
  uint8_t* b = image.data();
  WriteLe16(b + 11, 512);
  b[13] = 1;
  WriteLe16(b + 14, 1);
  b[16] = 1;
  WriteLe16(b + 17, 16);
  WriteLe16(b + 19, 40);
  WriteLe16(b + 22, 1);
  std::memcpy(b + 54, "FAT12   ", 8);
  WriteLe16(b + 510, 0xAA55);
  const uint8_t table[] = {0xF0, 0xFF, 0xFF, 0x03, 0xF0, 0xFF};
  std::memcpy(b + 512, table, sizeof(table));
  FatVolume volume;
  ASSERT_TRUE(ParseFatBootSector(ByteSpan(b, 512), &volume.geometry));
  EXPECT_EQ(volume.geometry.cluster_count, 37u);  // 40 sectors less boot, table and root
  Engine engine(EngineKind::kFat);
  engine.scan_flags.stop = 0;
  MemoryVolumeReader reader(image);
  ASSERT_TRUE(LoadAllocationTable(engine, reader, volume));
  EXPECT_EQ(volume.allocation_table[0], 0xFF0u);
  EXPECT_EQ(volume.allocation_table[1], 0xFFFu);
  EXPECT_EQ(volume.allocation_table[2], 0x003u);
  EXPECT_EQ(volume.allocation_table[3], 0xFFFu);
  EXPECT_EQ(volume.allocation_table[4], 0u);
}

TEST(FatChain, EveryEndValueEndsAChain) {
  Engine engine(EngineKind::kFat);
  FatProgress progress(engine);
  progress.Start(1000);
  struct { FatType type; uint32_t end; } cases[] = {
      {FatType::kFat12, 0xFF8}, {FatType::kFat12, 0xFFF}, {FatType::kFat16, 0xFFF8},
      {FatType::kFat16, 0xFFFE}, {FatType::kFat32, 0x0FFFFFF8}, {FatType::kFat32, 0x0FFFFFFF}};
  for (auto c : cases) {
    FatVolume v = MakeVolume(c.type, 100);
    v.allocation_table[10] = 11;
    v.allocation_table[11] = 20;
    v.allocation_table[20] = c.end;
    FatEntryRecord* record = NewFatRecord();
    EXPECT_TRUE(WalkClusterChain(v, progress, &record->extents, 10)) << std::hex << c.end;
    EXPECT_EQ(V(record->extents.total_clusters), 3u);
    EXPECT_EQ(V(record->extents.node_count), 2u);
    FreeFatRecord(record);
    delete record;
  }
}

TEST(FatChain, Fat32EntriesAreReadWithoutTheirTopFourBits) {
  // 0xFFFFFFFF (an end value with the reserved bits set) and 0xF000000C (cluster 12 with them)
  // as some systems write them.
  HandFat fat(64, true);
  fat.SetFat(2, 0xFFFFFFFF);
  fat.SetFat(10, 0xF000000C);
  fat.SetFat(12, 0xFFFFFFFF);
  fat.Entry(fat.Root(0), "LIVEDIR    ", 0x10, 10, 0);
  fat.Dots(10, 0);
  for (int i = 2; i < 16; ++i) fat.Entry(fat.Slot(10, i), "FILLER  TXT", 0x20, 40, 1);
  fat.Entry(fat.Slot(12, 0), "\xE5" "ATA    TXT", 0x20, 30, 100);
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_TRUE(View(rig.engine.tree).Has("LIVEDIR/xATA.TXT"));
}

TEST(FatChain, LoopsAndExitsEndSafely) {
  Engine engine(EngineKind::kFat);
  FatProgress progress(engine);
  progress.Start(1000);
  FatVolume v = MakeVolume(FatType::kFat16, 50);
  v.allocation_table[5] = 6;
  v.allocation_table[6] = 7;
  v.allocation_table[7] = 5;  // back to the start
  FatEntryRecord* loop = NewFatRecord();
  EXPECT_FALSE(WalkClusterChain(v, progress, &loop->extents, 5));
  EXPECT_EQ(V(loop->extents.total_clusters), 2u);  // the current run shortened by one

  v.allocation_table[30] = 51;  // N+1: the last cluster, fine
  v.allocation_table[51] = 52;  // past the volume
  FatEntryRecord* out = NewFatRecord();
  EXPECT_FALSE(WalkClusterChain(v, progress, &out->extents, 30));

  FatEntryRecord* outside = NewFatRecord();
  EXPECT_FALSE(WalkClusterChain(v, progress, &outside->extents, 52));
  EXPECT_EQ(V(outside->extents.total_clusters), 0u);
  for (FatEntryRecord* r : {loop, out, outside}) {
    FreeFatRecord(r);
    delete r;
  }
}

TEST(FatDeletedRun, RunMayEndOnTheLastClusterButNotPastIt) {
  FatVolume v = MakeVolume(FatType::kFat16, 50);  // clusters 2..51
  uint8_t entry[32] = {};
  auto map = [&](uint32_t first, uint32_t size, uint64_t* count) {
    WriteLe16(entry + 26, static_cast<uint16_t>(first));
    WriteLe32(entry + 28, size);
    FatEntryRecord* r = NewFatRecord();
    bool ok = MapDeletedFileRun(v, &r->extents, ByteSpan(entry, 32));
    *count = r->extents.total_clusters;
    FreeFatRecord(r);
    delete r;
    return ok;
  };
  uint64_t n = 0;
  EXPECT_TRUE(map(50, 1024, &n));   // 50, 51 = N+1
  EXPECT_EQ(n, 2u);
  EXPECT_FALSE(map(50, 1025, &n));  // would reach 52
  EXPECT_TRUE(map(51, 0, &n));      // empty file with a cluster: one run of 0
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(map(0, 0, &n));      // empty file without a cluster
  EXPECT_FALSE(map(52, 10, &n));
}

TEST(FatDeletedRun, FreeCountTellsHowManyClustersAreStillFree) {
  FatVolume v = MakeVolume(FatType::kFat16, 50);
  v.allocation_table[11] = 0xFFFF;
  uint8_t entry[32] = {};
  WriteLe16(entry + 26, 10);
  WriteLe32(entry + 28, 3 * 512);
  FatEntryRecord* r = NewFatRecord();
  ASSERT_TRUE(MapDeletedFileRun(v, &r->extents, ByteSpan(entry, 32)));
  EXPECT_EQ(V(r->extents.total_clusters), 3u);
  EXPECT_EQ(V(r->extents.free_clusters), 2u);
  FreeFatRecord(r);
  delete r;
}

// --- names --------------------------------------------------------------------------------------

TEST(FatNames, DeletedShortEntryShowsItsFirstCharacterAsX) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "BC     TXT", 0x20, 5, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  TreeView view = View(rig.engine.tree);
  ASSERT_EQ(view.files.size(), 1u);
  EXPECT_EQ(view.files[0], "xBC.TXT");
  EXPECT_EQ(LongName(view.file_nodes[0]), "");
  EXPECT_EQ(V(rig.engine.scan_progress.counter_a.load()), 1u);
  EXPECT_EQ(rig.engine.scan_progress.text.Get(), "xBC.TXT");
}

// Case bits as Windows and mtools write them for names typed in lower case ("notes.txt"):
// 0x08 the base, 0x10 the extension. Quick and full scans, root, live and deleted folders.
TEST(FatNames, CaseBitsShowTheShortNameInLowerCaseAndTheDeletedMarkStillAsX) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "OTES   TXT", 0x20, 5, 10);
  fat.Root(0)[12] = 0x18;
  fat.Entry(fat.Root(1), "\xE5" "EADME  TXT", 0x20, 6, 10);
  fat.Root(1)[12] = 0x08;  // base only: "readme.TXT" as Windows shows it
  fat.Entry(fat.Root(2), "\xE5" "ONFIG  SYS", 0x20, 7, 10);
  fat.Root(2)[12] = 0x10;
  fat.Entry(fat.Root(3), "LIVE       ", 0x10, 10, 0);  // a live folder shown as "live"
  fat.Root(3)[12] = 0x08;
  fat.Chain(10, 1);
  fat.Dots(10, 0);
  fat.Entry(fat.Slot(10, 2), "\xE5" "ODO    MD ", 0x20, 8, 10);
  fat.Slot(10, 2)[12] = 0x18;
  fat.Entry(fat.Root(4), "\xE5" "LD        ", 0x10, 12, 0);  // a deleted folder "old"
  fat.Root(4)[12] = 0x08;
  fat.Dots(12, 0);
  fat.Entry(fat.Slot(12, 2), "\xE5" "ECIPE  DOC", 0x20, 9, 10);
  fat.Slot(12, 2)[12] = 0x18;
  for (bool full : {false, true}) {
    ScanRig rig;
    ASSERT_EQ(rig.Scan(&fat.bytes, full), 1);
    std::vector<std::string> files = View(rig.engine.tree).files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"live/xodo.md", "xONFIG.sys", "xeadme.TXT",
                                               "xld/xecipe.doc", "xotes.txt"}));
  }
}

TEST(FatNames, DeletedLongNameEntriesNameTheFileAcrossAVolumeLabel) {
  HandFat fat;
  int n = HandFat::LongName(fat.Root(0), u"A long name, \u00e9t\u00e9.txt", true);
  fat.Entry(fat.Root(n), "TOLVANE    ", 0x08, 0, 0);  // a label between the parts and the entry
  fat.Entry(fat.Root(n + 1), "\xE5" "ONGNA~1TXT", 0x20, 7, 600);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  TreeView view = View(rig.engine.tree);
  ASSERT_EQ(view.files.size(), 1u);
  EXPECT_EQ(view.files[0], "A long name, \u00e9t\u00e9.txt");
  EXPECT_EQ(ShortName(view.file_nodes[0]), "xONGNA~1.TXT");
  EXPECT_EQ(rig.engine.scan_progress.text.Get(), "A long name, \xe9t\xe9.txt");  // as ANSI text
}

TEST(FatNames, BlankShortEntryWithoutALongNameIsNotKept) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  fat.Entry(fat.Slot(10, 2), "           ", 0x20, 30, 10);  // all blanks
  fat.Entry(fat.Slot(10, 3), "           ", 0x10, 31, 0);
  fat.Entry(fat.Slot(10, 4), "KEPT    TXT", 0x20, 32, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_EQ(View(rig.engine.tree).files, std::vector<std::string>{"xLDDIR/KEPT.TXT"});
  EXPECT_EQ(V(rig.engine.scan_progress.counter_b.load()), 0u);
}

TEST(FatNames, LongNameStraddlingTwoClustersOfALiveFolderIsKept) {
  HandFat fat;
  fat.Entry(fat.Root(0), "FOLDER     ", 0x10, 10, 0);
  fat.Chain(10, 2);
  fat.Dots(10, 0);
  // Fill cluster 10 with live entries up to its last slot, which holds the name's last part.
  for (int i = 2; i < 15; ++i) fat.Entry(fat.Slot(10, i), "FILLER  TXT", 0x20, 40, 1);
  std::u16string name = u"straddling long file name.bin";  // 3 parts
  uint8_t parts[96];
  ASSERT_EQ(HandFat::LongName(parts, name, true), 3);
  std::memcpy(fat.Slot(10, 15), parts, 32);
  std::memcpy(fat.Slot(11, 0), parts + 32, 64);
  fat.Entry(fat.Slot(11, 2), "\xE5" "TRADD~1BIN", 0x20, 20, 100);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_TRUE(View(rig.engine.tree).Has("FOLDER/straddling long file name.bin"));
}

// --- folders ------------------------------------------------------------------------------------

TEST(FatFolders, DeletedFolderOverTwoFreeClustersYieldsBoth) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  for (int i = 2; i < 16; ++i) fat.Entry(fat.Slot(10, i), "\xE5" "IRST   TXT", 0x20, 30, 10);
  fat.Entry(fat.Slot(11, 0), "\xE5" "ECOND  TXT", 0x20, 31, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  TreeView view = View(rig.engine.tree);
  EXPECT_TRUE(view.Has("xLDDIR/xIRST.TXT"));
  EXPECT_TRUE(view.Has("xLDDIR/xECOND.TXT"));
  EXPECT_EQ(view.files.size(), 15u);

  fat.SetFat(11, 0xFFFF);  // the second cluster now belongs to someone else
  ScanRig again;
  ASSERT_EQ(again.Scan(&fat.bytes, false), 1);
  view = View(again.engine.tree);
  EXPECT_TRUE(view.Has("xLDDIR/xIRST.TXT"));
  EXPECT_FALSE(view.Has("xLDDIR/xECOND.TXT"));
}

TEST(FatFolders, DeletedFolderWhoseFirstClusterIsReusedIsPruned) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  fat.Entry(fat.Slot(10, 2), "\xE5" "IRST   TXT", 0x20, 30, 10);
  fat.SetFat(10, 0xFFFF);
  fat.Entry(fat.Root(1), "\xE5" "ONE    TXT", 0x20, 31, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  TreeView view = View(rig.engine.tree);
  EXPECT_EQ(view.files, std::vector<std::string>{"xONE.TXT"});
  EXPECT_TRUE(view.folders.empty());
}

TEST(FatFolders, LiveFolderWithoutDotEntriesIsNotRead) {
  HandFat fat;
  fat.Entry(fat.Root(0), "NODOTS     ", 0x10, 10, 0);
  fat.Chain(10, 1);
  fat.Entry(fat.Slot(10, 0), "\xE5" "IDDEN  TXT", 0x20, 30, 10);
  fat.Entry(fat.Root(1), "DOTS       ", 0x10, 11, 0);
  fat.Chain(11, 1);
  fat.Dots(11, 0);
  fat.Entry(fat.Slot(11, 2), "\xE5" "EEN    TXT", 0x20, 31, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  TreeView view = View(rig.engine.tree);
  EXPECT_EQ(view.files, std::vector<std::string>{"DOTS/xEEN.TXT"});
  EXPECT_EQ(V(rig.engine.scan_progress.counter_b.load()), 2u);  // both live folders kept
}

TEST(FatFolders, SecondLiveEntryForTheSameClusterIsDropped) {
  HandFat fat;
  fat.Entry(fat.Root(0), "FIRST      ", 0x10, 10, 0);
  fat.Entry(fat.Root(1), "SECOND     ", 0x10, 10, 0);
  fat.Chain(10, 1);
  fat.Dots(10, 0);
  fat.Entry(fat.Slot(10, 2), "\xE5" "ILE    TXT", 0x20, 30, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_EQ(View(rig.engine.tree).files, std::vector<std::string>{"FIRST/xILE.TXT"});
  EXPECT_EQ(V(rig.engine.scan_progress.counter_b.load()), 1u);
}

TEST(FatFolders, Fat32RootStartsAtTheBootSectorsRootCluster) {
  HandFat fat(100, true);
  fat.SetFat(2, 0);
  WriteLe32(&fat.bytes[44], 7);
  fat.Chain(7, 1);
  fat.Entry(fat.Root(0), "\xE5" "OOTFILETXT", 0x20, 20, 50);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_TRUE(View(rig.engine.tree).Has("xOOTFILE.TXT"));
}

TEST(FatFolders, Fat32RootWithABadClusterFailsTheScanWithoutAnError) {
  HandFat fat(100, true);
  fat.SetFat(2, 3);
  fat.SetFat(3, 0x0FFFFFF7);
  fat.Entry(fat.Root(0), "\xE5" "OOTFILETXT", 0x20, 20, 50);
  ScanRig rig;
  EXPECT_EQ(rig.Scan(&fat.bytes, false), 0);
  EXPECT_EQ(rig.error.Code(), 0);
}

TEST(FatFolders, VolumeWithoutDeletedFilesEndsWithAnEmptyTree) {
  HandFat fat;
  fat.Entry(fat.Root(0), "LIVE    TXT", 0x20, 10, 10);
  fat.Chain(10, 1);
  fat.Entry(fat.Root(1), "\xE5" "MPTYDIR   ", 0x10, 11, 0);
  fat.Dots(11, 0);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  EXPECT_TRUE(rig.engine.tree.empty());
  EXPECT_EQ(rig.engine.tree.FirstCreated(), nullptr);
}

TEST(FatLostFolders, FreeFolderClusterBecomesDirWithItsNumberUnderUnknownFolder) {
  HandFat fat(1300);
  fat.Dots(1234, 1234);
  fat.Entry(fat.Slot(1234, 2), "LOSTFILETXT", 0x20, 1240, 700);
  fat.Entry(fat.Slot(1234, 3), "SUBDIR     ", 0x10, 1236, 0);
  fat.Dots(1236, 1234);
  fat.Entry(fat.Slot(1236, 2), "INNER   TXT", 0x20, 1241, 5);
  ScanRig quick;
  ASSERT_EQ(quick.Scan(&fat.bytes, false), 1);
  EXPECT_TRUE(quick.engine.tree.empty());  // with the extra pass off no free cluster is read

  ScanRig full;
  ASSERT_EQ(full.Scan(&fat.bytes, true), 1);
  TreeView view = View(full.engine.tree);
  EXPECT_TRUE(view.Has("$Unknow Folder/Dir1234/LOSTFILE.TXT"));
  EXPECT_TRUE(view.Has("$Unknow Folder/Dir1234/SUBDIR/INNER.TXT"));
  EXPECT_EQ(view.files.size(), 2u);
}

TEST(FatLostFolders, LostClusterWhoseDotNamesAnExistingFolderAddsToThatFolder) {
  HandFat fat(100);
  fat.Entry(fat.Root(0), "LIVEDIR    ", 0x10, 10, 0);
  fat.Chain(10, 1);
  fat.Dots(10, 0);
  // An old copy of LIVEDIR's cluster, left free: its "." still says 10.
  fat.Dots(50, 0);
  fat.Entry(fat.Slot(50, 0), ".          ", 0x10, 10, 0);
  fat.Entry(fat.Slot(50, 2), "\xE5" "LDCOPY TXT", 0x20, 60, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  TreeView view = View(rig.engine.tree);
  EXPECT_EQ(view.files, std::vector<std::string>{"LIVEDIR/xLDCOPY.TXT"});
}

// --- slots of deleted and lost folders ------------------------------------------------------

// Slots as a file's data may hold them in the cluster beside a deleted folder: each imitates
// an entry (an attribute byte below 0x80, a first cluster inside the volume) but breaks one
// rule that a FAT driver keeps. Built by hand; the volumes of tools/fatvol hold the same kind
// of cluster (JUNK.BIN).
struct JunkSlot {
  const char* what;
  const char* name11;
  uint8_t attributes;
  uint32_t cluster;
  uint32_t size;
};
const JunkSlot kJunkSlots[] = {
    {"a '.' in the name", "._         ", 0x20, 3, 4000},
    {"a reserved attribute bit", "_          ", 0x62, 3, 4096},
    {"control bytes in the name", "\x01\x02" "DATA\x7f BIN", 0x20, 5, 100},
    {"a blank first byte", " AME    TXT", 0x20, 8, 10},
    {"a size past the volume", "HUGE    BIN", 0x20, 4, 0xFFFFFF00u},
    {"a first cluster past the volume", "FAR     BIN", 0x20, 0x00FFFF00u, 100},
    {"a folder with a size", "SUBDIR     ", 0x10, 12, 512},
    {"a volume label", "LABEL      ", 0x08, 0, 0},
};

// A deleted folder at cluster 10 whose first cluster is full (fourteen deleted files).
HandFat FullDeletedFolder() {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  for (int i = 2; i < 16; ++i) fat.Entry(fat.Slot(10, i), "\xE5" "IRST   TXT", 0x20, 30, 10);
  return fat;
}

std::vector<std::string> Repeated(const std::string& path, size_t times) {
  return std::vector<std::string>(times, path);
}

std::vector<std::string> Sorted(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(FatFolderSlots, DeletedFolderWalkDoesNotGoOnIntoANeighbourClusterOfImplausibleSlots) {
  for (const JunkSlot& junk : kJunkSlots) {
    SCOPED_TRACE(junk.what);
    HandFat fat = FullDeletedFolder();
    // One good entry first: a single slot that no driver would write refuses the cluster.
    fat.Entry(fat.Slot(11, 0), "\xE5" "ECOND  TXT", 0x20, 31, 10);
    fat.Entry(fat.Slot(11, 1), junk.name11, junk.attributes, junk.cluster, junk.size);
    for (bool full : {false, true}) {
      ScanRig rig;
      ASSERT_EQ(rig.Scan(&fat.bytes, full), 1);
      EXPECT_EQ(View(rig.engine.tree).files, Repeated("xLDDIR/xIRST.TXT", 14));
      EXPECT_EQ(V(rig.engine.scan_progress.counter_a.load()), 14u);
    }
  }
  // Long-name parts out of their sequence, and a run whose checksum names another entry.
  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant == 0 ? "a part out of order" : "a wrong checksum");
    HandFat fat = FullDeletedFolder();
    uint8_t parts[64];
    HandFat::LongName(parts, u"a name of two parts", false, 0x5A);
    if (variant == 0) parts[0] = 0x02;  // part 2 without the last-part bit
    std::memcpy(fat.Slot(11, 0), parts, 64);
    fat.Entry(fat.Slot(11, 2), "ANAMEO~1TXT", 0x20, 31, 10);
    if (variant == 0) fat.Slot(11, 0)[13] = ShortNameChecksum(ByteSpan(fat.Slot(11, 2), 32));
    ScanRig rig;
    ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
    EXPECT_EQ(View(rig.engine.tree).files, Repeated("xLDDIR/xIRST.TXT", 14));
  }
}

TEST(FatFolderSlots, DeletedFolderWalkGoesOnIntoANextClusterOfLowerCaseShortNames) {
  HandFat fat = FullDeletedFolder();
  fat.Entry(fat.Slot(11, 0), "\xE5" "econd  txt", 0x20, 31, 10);
  for (bool full : {false, true}) {
    ScanRig rig;
    ASSERT_EQ(rig.Scan(&fat.bytes, full), 1);
    std::vector<std::string> expected = Repeated("xLDDIR/xIRST.TXT", 14);
    expected.push_back("xLDDIR/xecond.txt");
    EXPECT_EQ(Sorted(View(rig.engine.tree).files), Sorted(expected));
  }
}

TEST(FatFolderSlots, ImplausibleSlotsOfADeletedFolderAreDroppedAndTheOthersKept) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  int slot = 2;
  for (const JunkSlot& junk : kJunkSlots) {
    fat.Entry(fat.Slot(10, slot++), junk.name11, junk.attributes, junk.cluster, junk.size);
  }
  fat.Entry(fat.Slot(10, slot++), "\xE5" "OOD    TXT", 0x20, 30, 10);
  fat.Entry(fat.Slot(10, slot++), "\xE5" "\x81" "ND    TXT", 0x20, 31, 10);  // an OEM byte
  fat.Entry(fat.Slot(10, slot++), "\x05" "EMPTY  TXT", 0x20, 0, 0);  // no cluster: not listed
  // Lower case as some devices store it: a short name, not junk.
  fat.Entry(fat.Slot(10, slot++), "\xE5" "ower   txt", 0x20, 32, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_EQ(Sorted(View(rig.engine.tree).files),
            Sorted({"xLDDIR/xOOD.TXT", "xLDDIR/x\u0081ND.TXT", "xLDDIR/xower.txt"}));
  EXPECT_EQ(V(rig.engine.scan_progress.counter_b.load()), 0u);  // the "folder" was dropped
}

TEST(FatFolderSlots, ADeletedFoldersLongNameIsTakenOnlyFromARunThatNamesItsEntry) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  int at = 2;
  auto named = [&](const std::u16string& name, const char* short11, bool deleted,
                   int checksum_delta, uint32_t cluster) {
    uint8_t entry[32] = {};
    HandFat::Entry(entry, short11, 0x20, cluster, 10);
    const uint8_t sum = static_cast<uint8_t>(ShortNameChecksum(ByteSpan(entry, 32)) + checksum_delta);
    at += HandFat::LongName(fat.Slot(10, at), name, deleted, sum);
    std::memcpy(fat.Slot(10, at++), entry, 32);
  };
  named(u"the right checksum.txt", "THERIG~1TXT", false, 0, 30);
  named(u"a wrong checksum.txt", "AWRONG~1TXT", false, 1, 31);
  // Deleted parts lose their ordinals and the short entry its first byte: taken as they are.
  named(u"all deleted.txt", "\xE5" "LLDEL~1TXT", true, 7, 32);
  // A deleted entry's parts, then a slot reused for a new entry without a long name.
  at += HandFat::LongName(fat.Slot(10, at), u"stale parts.txt", true, 0x33);
  fat.Entry(fat.Slot(10, at++), "REUSED  TXT", 0x20, 33, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_EQ(Sorted(View(rig.engine.tree).files),
            Sorted({"xLDDIR/the right checksum.txt", "xLDDIR/AWRONG~1.TXT",
                    "xLDDIR/all deleted.txt", "xLDDIR/REUSED.TXT"}));
}

TEST(FatFolderSlots, ALongNameStraddlingIntoTheNextClusterOfADeletedFolderKeepsTheWalkGoing) {
  HandFat fat;
  fat.Entry(fat.Root(0), "\xE5" "LDDIR     ", 0x10, 10, 0);
  fat.Dots(10, 0);
  for (int i = 2; i < 15; ++i) fat.Entry(fat.Slot(10, i), "\xE5" "IRST   TXT", 0x20, 30, 10);
  uint8_t entry[32] = {};
  HandFat::Entry(entry, "STRADD~1BIN", 0x20, 20, 100);
  uint8_t parts[96];
  ASSERT_EQ(HandFat::LongName(parts, u"straddling long file name.bin", false,
                              ShortNameChecksum(ByteSpan(entry, 32))),
            3);
  std::memcpy(fat.Slot(10, 15), parts, 32);       // the last part (0x43) ends cluster 10
  std::memcpy(fat.Slot(11, 0), parts + 32, 64);   // parts 2 and 1 open cluster 11
  std::memcpy(fat.Slot(11, 2), entry, 32);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, false), 1);
  EXPECT_TRUE(View(rig.engine.tree).Has("xLDDIR/straddling long file name.bin"));
}

TEST(FatFolderSlots, ALostFolderGoesOnOnlyIntoAFreeClusterOfPlausibleSlots) {
  HandFat fat(100);
  fat.Dots(50, 50);
  for (int i = 2; i < 16; ++i) fat.Entry(fat.Slot(50, i), "\xE5" "OST    TXT", 0x20, 70, 10);
  int slot = 0;
  for (const JunkSlot& junk : kJunkSlots) {
    if (slot < 4) fat.Entry(fat.Slot(51, slot++), junk.name11, junk.attributes, junk.cluster, junk.size);
  }
  // No folder start, right after a cluster that ended Dir50: a folder piece of its own.
  fat.Entry(fat.Slot(52, 0), "\xE5" "ATER   TXT", 0x20, 71, 10);
  // A full lost folder followed at once by another folder's first cluster: that cluster
  // starts a folder of its own instead of continuing the first.
  fat.Dots(60, 60);
  for (int i = 2; i < 16; ++i) fat.Entry(fat.Slot(60, i), "\xE5" "OST    TXT", 0x20, 72, 10);
  fat.Dots(61, 61);
  fat.Entry(fat.Slot(61, 2), "\xE5" "EXT    TXT", 0x20, 73, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  std::vector<std::string> expected = Repeated("$Unknow Folder/Dir50/xOST.TXT", 14);
  for (int i = 0; i < 14; ++i) expected.push_back("$Unknow Folder/Dir60/xOST.TXT");
  expected.push_back("$Unknow Folder/Dir61/xEXT.TXT");
  expected.push_back("$Unknow Folder/Dir52/xATER.TXT");
  EXPECT_EQ(Sorted(View(rig.engine.tree).files), Sorted(expected));
}

TEST(FatLostFolders, AFoldersClusterWrittenApartFromItsStartIsFoundOnAFullScan) {
  // OLDDIR's first cluster is full; a file was written after it (cluster 11, live) before the
  // folder grew into cluster 13, whose first slots end a long name begun in cluster 10.
  HandFat fat = FullDeletedFolder();
  fat.Entry(fat.Root(1), "LIVE    BIN", 0x20, 11, 512);
  fat.Chain(11, 1);
  uint8_t parts[64];
  HandFat::LongName(parts, u"a name of two parts", true, 0x5A);
  std::memcpy(fat.Slot(13, 0), parts + 32, 32);  // part 1 of the run
  fat.Entry(fat.Slot(13, 1), "\xE5" "NAMEO~1TXT", 0x20, 40, 10);
  fat.Entry(fat.Slot(13, 2), "\xE5" "ECOND  TXT", 0x20, 41, 10);
  // A piece of a folder that a reformat left behind lists entries that were never deleted.
  fat.Entry(fat.Slot(20, 0), "STALE   TXT", 0x20, 42, 10);
  ScanRig quick;
  ASSERT_EQ(quick.Scan(&fat.bytes, false), 1);
  EXPECT_EQ(View(quick.engine.tree).files, Repeated("xLDDIR/xIRST.TXT", 14));

  ScanRig full;
  ASSERT_EQ(full.Scan(&fat.bytes, true), 1);
  std::vector<std::string> expected = Repeated("xLDDIR/xIRST.TXT", 14);
  expected.push_back("$Unknow Folder/Dir13/xNAMEO~1.TXT");
  expected.push_back("$Unknow Folder/Dir13/xECOND.TXT");
  expected.push_back("$Unknow Folder/Dir20/STALE.TXT");
  EXPECT_EQ(Sorted(View(full.engine.tree).files), Sorted(expected));
  EXPECT_EQ(TreeFault(full.engine.tree), "");
}

TEST(FatLostFolders, LostFolderGoesOnAfterItsSubFolderAndPastAnAllocatedClusterIntoTheNextFree) {
  // Dir50 fills cluster 50: a deleted sub-folder first (at 53), then thirteen files. Cluster 51
  // is a live file's; the next free cluster, 52, continues Dir50. The sub-folder's walk claims
  // 53 and the zeroed 54 before Dir50 is read on from its third slot.
  HandFat fat(100);
  fat.Dots(50, 50);
  fat.Entry(fat.Slot(50, 2), "\xE5" "UB        ", 0x10, 53, 0);
  for (int i = 3; i < 16; ++i) fat.Entry(fat.Slot(50, i), "\xE5" "ILE    TXT", 0x20, 70, 10);
  fat.Entry(fat.Root(0), "LIVE    BIN", 0x20, 51, 512);
  fat.Chain(51, 1);
  fat.Entry(fat.Slot(52, 0), "\xE5" "ATER   TXT", 0x20, 71, 10);
  fat.Dots(53, 50);
  fat.Entry(fat.Slot(53, 2), "\xE5" "NNER   TXT", 0x20, 72, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  std::vector<std::string> expected = Repeated("$Unknow Folder/Dir50/xILE.TXT", 13);
  expected.push_back("$Unknow Folder/Dir50/xUB/xNNER.TXT");
  expected.push_back("$Unknow Folder/Dir50/xATER.TXT");
  EXPECT_EQ(Sorted(View(rig.engine.tree).files), Sorted(expected));
  EXPECT_EQ(TreeFault(rig.engine.tree), "");
}

// --- stops and progress ---------------------------------------------------------------------

// A volume with something for every pass: root entries, a live folder, a deleted folder with a
// sub-folder, and a lost folder for the extra pass.
HandFat EveryPassVolume() {
  HandFat fat(120);
  fat.Entry(fat.Root(0), "\xE5" "OOT    TXT", 0x20, 100, 10);
  fat.Entry(fat.Root(1), "LIVE       ", 0x10, 10, 0);
  fat.Chain(10, 1);
  fat.Dots(10, 0);
  fat.Entry(fat.Slot(10, 2), "\xE5" "NLIVE  TXT", 0x20, 101, 10);
  fat.Entry(fat.Slot(10, 3), "\xE5" "ELDIR     ", 0x10, 20, 0);
  fat.Dots(20, 10);
  fat.Entry(fat.Slot(20, 2), "\xE5" "NDEL   TXT", 0x20, 102, 10);
  fat.Entry(fat.Slot(20, 3), "\xE5" "UB        ", 0x10, 21, 0);
  fat.Dots(21, 20);
  fat.Entry(fat.Slot(21, 2), "\xE5" "NSUB   TXT", 0x20, 103, 10);
  fat.Dots(60, 60);
  fat.Entry(fat.Slot(60, 2), "\xE5" "NLOST  TXT", 0x20, 104, 10);
  return fat;
}

TEST(FatProgress, CountersAndProgressMatchTheTree) {
  HandFat fat = EveryPassVolume();
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  TreeView view = View(rig.engine.tree);
  std::vector<std::string> want = {"xOOT.TXT", "LIVE/xNLIVE.TXT", "LIVE/xELDIR/xNDEL.TXT",
                                   "LIVE/xELDIR/xUB/xNSUB.TXT",
                                   "$Unknow Folder/Dir60/xNLOST.TXT"};
  std::sort(want.begin(), want.end());
  std::sort(view.files.begin(), view.files.end());
  EXPECT_EQ(view.files, want);
  EXPECT_EQ(V(rig.engine.scan_progress.counter_a.load()), 5u);
  EXPECT_EQ(V(rig.engine.scan_progress.counter_b.load()), 2u);  // LIVE, and xUB in a deleted folder
  EXPECT_EQ(V(rig.engine.scan_progress.total.load()), 122u);
  EXPECT_LE(V(rig.engine.scan_progress.done.load()), 122u);
  EXPECT_GT(V(rig.engine.scan_progress.done.load()), 100u);  // the lost pass read the free clusters
  EXPECT_EQ(TreeFault(rig.engine.tree), "");
}

TEST(FatStop, StopAtAnyStepLeavesAConsistentTree) {
  HandFat fat = EveryPassVolume();
  ScanRig whole;
  ASSERT_EQ(whole.Scan(&fat.bytes, true), 1);
  const uint64_t steps = whole.platform.steps;
  ASSERT_GT(steps, 100u);
  std::printf("scan of %llu steps\n", static_cast<unsigned long long>(steps));
  bool saw_stopped_failure = false, saw_stopped_success = false;
  // Every step of the short passes, and a spread of steps over the long table load and the
  // lost-folder pass.
  for (uint64_t k = 1; k <= steps; k += (k < 150 || k > steps - 700) ? 1 : 37) {
    ScanRig rig;
    rig.platform.stop_after = k;
    uint8_t result = rig.Scan(&fat.bytes, true);
    EXPECT_EQ(TreeFault(rig.engine.tree), "") << "stopped at step " << k;
    EXPECT_EQ(rig.error.Code(), 0) << "stopped at step " << k;
    (result ? saw_stopped_success : saw_stopped_failure) = true;
  }
  // Stops in the root, live and deleted passes fail the scan; a stop in the lost-folder pass
  // ends that pass and the scan prunes and succeeds.
  EXPECT_TRUE(saw_stopped_failure);
  EXPECT_TRUE(saw_stopped_success);
}

TEST(FatStop, StopDuringTheLostFolderPassStillPrunes) {
  HandFat fat = EveryPassVolume();
  ScanRig quick;
  ASSERT_EQ(quick.Scan(&fat.bytes, false), 1);
  ScanRig rig;
  rig.platform.stop_after = quick.platform.steps + 1;  // the extra pass's first step
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  TreeView view = View(rig.engine.tree);
  EXPECT_EQ(view.files.size(), 4u);
  EXPECT_FALSE(view.HasFolder("$Unknow Folder"));
}

TEST(FatStop, DeeplyNestedFoldersDoNotExhaustTheStack) {
  // A chain of 3000 live folders, each inside the one before, and a deleted file at the bottom.
  const uint32_t depth = 3000;
  HandFat fat(depth + 20);
  fat.Entry(fat.Root(0), "D          ", 0x10, 2, 0);
  for (uint32_t c = 2; c < 2 + depth; ++c) {
    fat.Chain(c, 1);
    fat.Dots(c, c == 2 ? 0 : c - 1);
    if (c + 1 < 2 + depth) fat.Entry(fat.Slot(c, 2), "D          ", 0x10, c + 1, 0);
  }
  fat.Entry(fat.Slot(1 + depth, 2), "\xE5" "OTTOM  TXT", 0x20, depth + 10, 10);
  ScanRig rig;
  ASSERT_EQ(rig.Scan(&fat.bytes, true), 1);
  FoundNode* node = rig.engine.tree.root();
  uint32_t levels = 0;
  while (node->first_child != nullptr) {
    node = node->first_child;
    ++levels;
  }
  EXPECT_EQ(Shown(node), "xOTTOM.TXT");
  EXPECT_EQ(levels, depth + 1);
  EXPECT_EQ(V(rig.engine.scan_progress.counter_a.load()), 1u);
}

}  // namespace
}  // namespace scavrel::fat::testing
