// The NTFS volume layer over hand-made sectors and records: boot-sector geometry, fixups, data
// runs, run lists, data attributes, attribute lists, the bitmap and free-cluster counts. The
// records are built by ntfs_test::Record the way mkntfs and ntfs-3g lay them out (1 KiB, two
// fixup blocks, attributes 8-byte aligned).
#include <gtest/gtest.h>

#include <cstring>

#include "engine/engine.h"
#include "engine/ntfs_data_runs.h"
#include "engine/ntfs_fixup.h"
#include "engine/ntfs_volume.h"
#include "tests/engine/ntfs_test_volume.h"

using namespace scavrel;
using ntfs_test::Record;

namespace {

// A boot sector as mkntfs writes it for a 1 MiB volume with 4 KiB clusters.
std::vector<uint8_t> BootSector(uint16_t bps = 512, uint8_t spc = 8, uint8_t cpr = 0xF6) {
  std::vector<uint8_t> b(512, 0);
  std::memcpy(b.data() + 3, "NTFS    ", 8);
  ntfs_test::Put16(b, 11, bps);
  b[13] = spc;
  ntfs_test::Put64(b, 40, 2048);
  ntfs_test::Put64(b, 48, 4);
  b[64] = cpr;
  ntfs_test::Put16(b, 510, 0xAA55);
  return b;
}

ByteSpan Span(const std::vector<uint8_t>& v) { return ByteSpan{v.data(), v.size()}; }

class NtfsVolumeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.last_error = &error;
    engine.scan_flags.stop = 0;
    ASSERT_TRUE(CheckNtfsBootSector(volume, Span(BootSector())));
    volume.bitmap.assign(32, 0);
  }
  ExtentList* NewList() {
    lists.emplace_back(std::make_unique<ExtentList>());
    InitExtentList(lists.back().get());
    return lists.back().get();
  }
  void TearDown() override {
    for (auto& l : lists) FreeRuns(l.get());
  }
  static std::vector<std::pair<uint64_t, uint64_t>> Runs(ExtentList* list) {
    std::vector<std::pair<uint64_t, uint64_t>> out;
    for (RunListNode* n = list->first; n != nullptr; n = n->next)
      out.emplace_back(n->run->first_cluster, n->run->cluster_count);
    return out;
  }
  LastError error;
  Engine engine{EngineKind::kNtfs};
  NtfsVolume volume;
  std::vector<std::unique_ptr<ExtentList>> lists;
};

TEST(NtfsBootSector, ClustersPerRecordF6GivesTwoSectorRecords) {
  NtfsVolume v;
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 8, 0xF6))));
  EXPECT_EQ(v.sectors_per_record, 2u);
  EXPECT_EQ(v.records_per_cluster, 4u);
  EXPECT_EQ(v.RecordSize(), 1024u);
}

TEST(NtfsBootSector, OneSectorClustersPassWhateverTheRecordSize) {
  NtfsVolume v;
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 1, 0xF5))));  // 2 KiB records
  EXPECT_EQ(v.sectors_per_record, 4u);
  EXPECT_EQ(v.records_per_cluster, 0u);
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 2, 0xF5))));  // 2 into 4 sectors
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 8, 0x01))));   // one cluster each
  EXPECT_EQ(v.sectors_per_record, 8u);
}

TEST(NtfsBootSector, UnusableGeometryIsRejectedWithoutAFault) {
  NtfsVolume v;
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(0, 8, 0xF6))));     // bytes per sector 0
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 0, 0xF6))));   // no sectors per cluster
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(4096, 1, 0xF6))));  // record < sector
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(513, 8, 0xF6))));
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 8, 0x80))));   // 2^128 bytes
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 128, 2))));    // 128 KiB records
  EXPECT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 128, 1))));     // 64 KiB: the most
  auto bad_sig = BootSector();
  bad_sig[510] = 0;
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(bad_sig)));
  auto fat = BootSector();
  std::memcpy(fat.data() + 3, "MSDOS5.0", 8);
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(fat)));
  EXPECT_FALSE(CheckNtfsBootSector(v, ByteSpan{fat.data(), 100}));
}

TEST(NtfsBootSector, SectorsPerClusterAbove80IsAPowerOfTwoUpToTwoMebibytes) {
  NtfsVolume v;
  // 256 - 0xFD = 3: eight sectors, the same volume as the plain byte 8.
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 0xFD, 0xF6))));
  EXPECT_EQ(v.sectors_per_cluster, 8u);
  EXPECT_EQ(v.records_per_cluster, 4u);
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 0xF8, 0xF6))));  // 128 KiB
  EXPECT_EQ(v.sectors_per_cluster, 256u);
  EXPECT_EQ(v.ClusterSize(), 128u * 1024);
  EXPECT_EQ(v.records_per_cluster, 128u);
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 0xF4, 0xF6))));  // 2 MiB: the most
  EXPECT_EQ(v.sectors_per_cluster, 4096u);
  EXPECT_EQ(v.ClusterCount(), 0u);  // 2,048 sectors are less than one such cluster
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(4096, 0xF7, 0xF4))));  // 512 x 4 KiB
  EXPECT_EQ(v.ClusterSize(), 2u * 1024 * 1024);
  EXPECT_EQ(v.sectors_per_record, 1u);
  // Beyond 2 MiB, and the shifts no cluster can have, are refused rather than misread.
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 0xF3, 0xF6))));
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(4096, 0xF6, 0xF4))));
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 0x81, 0xF6))));
  EXPECT_FALSE(CheckNtfsBootSector(v, Span(BootSector(512, 0xE0, 0xF6))));
  // 0x80 itself is still the plain count.
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(512, 0x80, 0xF6))));
  EXPECT_EQ(v.sectors_per_cluster, 128u);
}

TEST_F(NtfsVolumeTest, FixupsRestoreBlockEndsAndRejectATornRecord) {
  auto record = Record(1).FileName(5, u"x").Finish();
  auto original = record;
  ASSERT_TRUE(CheckRecordHeader(volume, record.data()));
  EXPECT_EQ(record[510], original[0x32]);
  EXPECT_EQ(record[1022], original[0x34]);
  auto torn = original;
  torn[1022] ^= 0xFF;  // second block written by a different update
  auto before = torn;
  EXPECT_FALSE(CheckRecordHeader(volume, torn.data()));
  EXPECT_EQ(torn, before);  // a failed record is left as read
}

TEST(NtfsFixups, TheScannerAndTheSaveShareOneRoutine) {
  // The record header check restores exactly what ApplyNtfsFixups restores on its own.
  NtfsVolume v;
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector())));
  auto checked = Record(1).FileName(5, u"x").Finish();
  auto fixed = checked;
  ASSERT_TRUE(CheckRecordHeader(v, checked.data()));
  ASSERT_TRUE(ApplyNtfsFixups(fixed.data(), fixed.size()));
  EXPECT_EQ(checked, fixed);
}

TEST(NtfsFixups, FourKiBSectorsStillUse512ByteBlocks) {
  // A 4 KiB-sector volume with 4 KiB records: eight update-sequence entries, one per 512 bytes.
  NtfsVolume v;
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector(4096, 1, 0xF4))));
  ASSERT_EQ(v.RecordSize(), 4096u);
  Record r(1, 4096);
  for (size_t i = 1; i <= 8; ++i) r.bytes()[i * 512 - 2] = static_cast<uint8_t>(0xA0 + i);
  auto bytes = r.Finish();
  ntfs_test::Put16(bytes, 20, 0x48);  // the header alone: attributes would follow the array
  ASSERT_TRUE(CheckRecordHeader(v, bytes.data()));
  for (size_t i = 1; i <= 8; ++i) EXPECT_EQ(bytes[i * 512 - 2], 0xA0 + i) << i;
}

TEST_F(NtfsVolumeTest, RecordHeaderOffsetsOutsideTheRecordAreRejected) {
  auto r = Record(1).FileName(5, u"x").Finish();
  auto first_past = r;
  ntfs_test::Put16(first_past, 20, 2000);
  EXPECT_FALSE(CheckRecordHeader(volume, first_past.data()));
  auto used_past = r;
  ntfs_test::Put32(used_past, 24, 1025);
  EXPECT_FALSE(CheckRecordHeader(volume, used_past.data()));
  auto usa_over = r;
  ntfs_test::Put16(usa_over, 20, 0x30);  // attributes over the update-sequence array
  EXPECT_FALSE(CheckRecordHeader(volume, usa_over.data()));
}

TEST(NtfsDataRuns, Header21WithOffset8000IsSixteenClustersBack32768) {
  const std::vector<uint8_t> bytes{0x21, 0x10, 0x00, 0x80, 0x00};
  DataRun run;
  ASSERT_EQ(DecodeDataRun(Span(bytes), 0, &run), RunDecode::kRun);
  EXPECT_EQ(run.length, 16u);
  EXPECT_EQ(run.offset, -32768);
  EXPECT_EQ(run.size, 4u);
  EXPECT_EQ(DecodeDataRun(Span(bytes), 4, &run), RunDecode::kEnd);
}

TEST(NtfsDataRuns, FieldsWiderThanEightBytesOrPastTheSpanAreRejected) {
  DataRun run;
  for (uint8_t header : {0x19, 0x91, 0xF1, 0x1F}) {
    std::vector<uint8_t> bytes(40, 0x01);
    bytes[0] = header;
    EXPECT_EQ(DecodeDataRun(Span(bytes), 0, &run), RunDecode::kBad) << int(header);
  }
  const std::vector<uint8_t> cut{0x31, 0x10, 0x00};
  EXPECT_EQ(DecodeDataRun(Span(cut), 0, &run), RunDecode::kBad);
  EXPECT_EQ(DecodeDataRun(Span(cut), 3, &run), RunDecode::kBad);
  const std::vector<uint8_t> sparse{0x01, 0x05};
  ASSERT_EQ(DecodeDataRun(Span(sparse), 0, &run), RunDecode::kRun);
  EXPECT_TRUE(run.sparse);
  EXPECT_EQ(run.length, 5u);
}

TEST(NtfsDataRuns, CursorPlacesEachRunFromThePreviousRunsFirstClusterAndSparseRunsLeaveIt) {
  // 4 @32, 2 sparse, 3 @16 (32 - 16: from the last run that had clusters), end.
  const std::vector<uint8_t> runs{0x11, 0x04, 0x20, 0x01, 0x02, 0x11, 0x03, 0xF0, 0x00};
  RunListCursor cursor(Span(runs), 256);
  PlacedRun run;
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  EXPECT_EQ(run.first_cluster, 32u);
  EXPECT_EQ(run.length, 4u);
  EXPECT_FALSE(run.sparse);
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  EXPECT_TRUE(run.sparse);
  EXPECT_EQ(run.first_cluster, kSparseCluster);
  EXPECT_EQ(run.length, 2u);
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  EXPECT_EQ(run.first_cluster, 16u);
  EXPECT_EQ(run.length, 3u);
  EXPECT_EQ(cursor.Next(&run), RunDecode::kEnd);
}

TEST(NtfsDataRuns, CursorTakesRunsLongerThanTheVolumeOrOffItAsDamage) {
  const std::vector<std::vector<uint8_t>> damaged = {
      {0x12, 0x00, 0x02, 0x05, 0x00},        // 512 clusters of a 256-cluster volume
      {0x21, 0x10, 0xF8, 0x00, 0x00},        // 16 @248: past the end
      {0x11, 0x01, 0x10, 0x11, 0x01, 0xE0},  // 1 @16, then 32 back: before cluster 0
      {0x31, 0x01},                          // cut short
  };
  for (const auto& runs : damaged) {
    RunListCursor cursor(Span(runs), 256);
    PlacedRun run;
    RunDecode result = cursor.Next(&run);
    if (result == RunDecode::kRun) result = cursor.Next(&run);
    EXPECT_EQ(result, RunDecode::kBad) << int(runs[0]);
  }
  const std::vector<uint8_t> last_cluster{0x11, 0x01, 0x7F, 0x11, 0x01, 0x7F, 0x00};  // 127, 254
  RunListCursor cursor(Span(last_cluster), 255);
  PlacedRun run;
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  EXPECT_EQ(run.first_cluster, 254u);
}

TEST(NtfsDataRuns, CursorRefusesOffsetsThatWouldCarryPastSixtyFourBits) {
  // 1 @35, then 16 at 35 + INT64_MAX (the fuzz finding), and 1 @35, then 35 + INT64_MIN.
  const std::vector<std::vector<uint8_t>> damaged = {
      {0x11, 0x01, 0x23, 0x81, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
      {0x11, 0x01, 0x23, 0x81, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80},
  };
  for (const auto& runs : damaged) {
    RunListCursor cursor(Span(runs), 256);
    PlacedRun run;
    ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
    EXPECT_EQ(cursor.Next(&run), RunDecode::kBad) << int(runs.back());
  }
  // A volume claiming more clusters than a signed count holds: the second run lies above
  // 2^63, where a signed running cluster would have turned negative.
  const std::vector<uint8_t> high{0x81, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F,
                                  0x81, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x00};
  RunListCursor cursor(Span(high), ~0ull);
  PlacedRun run;
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  EXPECT_EQ(run.first_cluster, 0x800000000000000Full);
}

TEST_F(NtfsVolumeTest, RunListMustCoverTheVcnSpanExactly) {
  const std::vector<uint8_t> runs{0x11, 0x04, 0x20, 0x11, 0x03, 0x10, 0x00};  // 4 @32, 3 @48
  ExtentList* ok = NewList();
  EXPECT_TRUE(ReadRunList(engine, volume, Span(runs), ok, 0, 6));
  EXPECT_EQ(Runs(ok), (std::vector<std::pair<uint64_t, uint64_t>>{{32, 4}, {48, 3}}));
  EXPECT_EQ(ok->total_clusters, 7u);
  EXPECT_FALSE(ReadRunList(engine, volume, Span(runs), NewList(), 0, 7));  // one short
  EXPECT_FALSE(ReadRunList(engine, volume, Span(runs), NewList(), 0, 5));
}

TEST_F(NtfsVolumeTest, RunsOutsideTheVolumeOrBeforeClusterZeroFail) {
  const std::vector<uint8_t> past{0x21, 0x10, 0xF8, 0x00, 0x00};       // 16 @248 of 256
  EXPECT_FALSE(ReadRunList(engine, volume, Span(past), NewList(), 0, 15));
  const std::vector<uint8_t> negative{0x11, 0x01, 0x10, 0x11, 0x01, 0xE0, 0x00};  // 16, then -32
  EXPECT_FALSE(ReadRunList(engine, volume, Span(negative), NewList(), 0, 1));
}

TEST_F(NtfsVolumeTest, SparseRunsHoldNoClustersAndCountAsRecoverable) {
  // 2 clusters at 40, 3 sparse, 1 at 41: the sparse run leaves the running cluster at 40.
  const std::vector<uint8_t> runs{0x11, 0x02, 0x28, 0x01, 0x03, 0x11, 0x01, 0x01, 0x00};
  ExtentList* list = NewList();
  ASSERT_TRUE(ReadRunList(engine, volume, Span(runs), list, 0, 5));
  EXPECT_EQ(Runs(list), (std::vector<std::pair<uint64_t, uint64_t>>{
                            {40, 2}, {kSparseCluster, 3}, {41, 1}}));
  volume.bitmap[5] = 0x01;  // cluster 40 in use
  ASSERT_TRUE(CountFreeClusters(volume, list));
  EXPECT_EQ(list->free_clusters, 3u + 1u);  // the sparse three and cluster 41 (all-or-none
                                            // in its byte part: bit 0 is used, bits 1 free)
}

TEST_F(NtfsVolumeTest, SparseRunsLongerThanTheVolumeAreTakenWhole) {
  // 1 @32, 2^40 sparse clusters (a 6-byte length field, no offset), 1 @33: a file NTFS made
  // sparse, far larger than the 256-cluster volume it lies on, and a plain run after it.
  const std::vector<uint8_t> runs{0x11, 0x01, 0x20, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x01, 0x11, 0x01, 0x01, 0x00};
  const uint64_t hole = uint64_t{1} << 40;
  ExtentList* list = NewList();
  ASSERT_TRUE(ReadRunList(engine, volume, Span(runs), list, 0, hole + 1));
  EXPECT_EQ(Runs(list), (std::vector<std::pair<uint64_t, uint64_t>>{
                            {32, 1}, {kSparseCluster, hole}, {33, 1}}));
  EXPECT_EQ(list->total_clusters, hole + 2);
  ASSERT_TRUE(CountFreeClusters(volume, list));
  EXPECT_EQ(list->free_clusters, hole + 2);
  // The longest length field there is, sparse: still no clusters to place.
  const std::vector<uint8_t> longest{0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  RunListCursor cursor(Span(longest), 256);
  PlacedRun run;
  ASSERT_EQ(cursor.Next(&run), RunDecode::kRun);
  EXPECT_TRUE(run.sparse);
  EXPECT_EQ(run.length, ~uint64_t{0});
  EXPECT_EQ(cursor.Next(&run), RunDecode::kEnd);
}

TEST_F(NtfsVolumeTest, ResidentDataIsOneRunAtTheValueInTheRecord) {
  auto bytes = Record(0).FileName(5, u"a.txt").Resident(0x80, ntfs_test::Bytes("hello")).Finish();
  ASSERT_TRUE(CheckRecordHeader(volume, bytes.data()));
  NtfsEntryRecord* entry = NewNtfsRecord();
  ByteSpan used = UsedPart(Span(bytes));
  Attribute name;
  ASSERT_TRUE(AttributeWalk(engine, used, 0x38).Next(&name));
  const size_t data_at = 0x38 + name.length;
  ASSERT_TRUE(ReadDataAttributes(engine, volume, used, data_at, entry, &entry->extents, 777));
  // The value sits 24 bytes into the data attribute.
  EXPECT_EQ(Runs(&entry->extents), (std::vector<std::pair<uint64_t, uint64_t>>{{777, data_at + 24}}));
  EXPECT_EQ(entry->extents.total_clusters, 1u);
  EXPECT_EQ(entry->resident_data, 1);
  uint64_t size = 0;
  std::memcpy(&size, entry->file_name + 48, 8);
  EXPECT_EQ(size, 5u);
  // Bitmap bits at "cluster" 777 say nothing about data held in the record.
  volume.bitmap.assign(4096, 0xFF);
  ASSERT_TRUE(CountEntryFreeClusters(volume, entry));
  EXPECT_EQ(entry->extents.free_clusters, 1u);
  FreeNtfsRecord(entry);
  delete entry;
}

TEST_F(NtfsVolumeTest, FileNameSizeWinsOverTheDataSizeUnlessItIsZero) {
  for (uint64_t name_size : {5000u, 0u}) {
    auto bytes = Record(0)
                     .FileName(5, u"b.bin", 1, name_size, name_size ? 8192 : 0)
                     .NonResident(0x80, {0x11, 0x02, 0x30}, 0, 1, 8000)
                     .Finish();
    ASSERT_TRUE(CheckRecordHeader(volume, bytes.data()));
    ByteSpan used = UsedPart(Span(bytes));
    NtfsEntryRecord* entry = NewNtfsRecord();
    Attribute name;
    ASSERT_TRUE(AttributeWalk(engine, used, 0x38).Next(&name));
    ASSERT_TRUE(CopyFileNameHead(used, name, entry));
    ASSERT_TRUE(ReadDataAttributes(engine, volume, used, 0x38 + name.length, entry,
                                   &entry->extents, 0));
    uint64_t size = 0;
    std::memcpy(&size, entry->file_name + 48, 8);
    EXPECT_EQ(size, name_size ? 5000u : 8000u);
    EXPECT_EQ(entry->resident_data, 0);
    FreeNtfsRecord(entry);
    delete entry;
  }
}

TEST_F(NtfsVolumeTest, NamedDataInTheBaseRecordIsNotTheFilesData) {
  auto bytes = Record(0)
                   .FileName(5, u"c.bin")
                   .NonResident(0x80, {0x11, 0x01, 0x40}, 0, 0, 100, u"Zone.Identifier")
                   .NonResident(0x80, {0x11, 0x02, 0x30}, 0, 1, 8000)
                   .Finish();
  ASSERT_TRUE(CheckRecordHeader(volume, bytes.data()));
  ExtentList* list = NewList();
  Attribute name;
  ASSERT_TRUE(AttributeWalk(engine, UsedPart(Span(bytes)), 0x38).Next(&name));
  ASSERT_TRUE(ReadDataAttributes(engine, volume, UsedPart(Span(bytes)), 0x38 + name.length,
                                 nullptr, list, 0));
  EXPECT_EQ(Runs(list), (std::vector<std::pair<uint64_t, uint64_t>>{{48, 2}}));
}

TEST_F(NtfsVolumeTest, AttributeWalkStaysInsideTheRecord) {
  auto zero_length = Record(0).FileName(5, u"d").Finish();
  ntfs_test::Put32(zero_length, 0x38 + 4, 0);
  ASSERT_TRUE(CheckRecordHeader(volume, zero_length.data()));
  Attribute a;
  AttributeWalk zero_walk(engine, UsedPart(Span(zero_length)), 0x38);
  EXPECT_FALSE(zero_walk.Next(&a));
  EXPECT_TRUE(zero_walk.Failed());
  auto no_end = Record(0).FileName(5, u"d").Finish(false);
  ASSERT_TRUE(CheckRecordHeader(volume, no_end.data()));
  AttributeWalk no_end_walk(engine, UsedPart(Span(no_end)), 0x38);
  ASSERT_TRUE(no_end_walk.Next(&a));
  EXPECT_FALSE(no_end_walk.Next(&a));
  EXPECT_TRUE(no_end_walk.Failed());
  auto long_attr = Record(0).FileName(5, u"d").Finish();
  ntfs_test::Put32(long_attr, 0x38 + 4, 0x10000);
  ASSERT_TRUE(CheckRecordHeader(volume, long_attr.data()));
  AttributeWalk long_walk(engine, UsedPart(Span(long_attr)), 0x38);
  EXPECT_FALSE(long_walk.Next(&a));
  EXPECT_TRUE(long_walk.Failed());
}

TEST(NtfsFreeClusters, FiveClustersFromClusterSixCountByByteParts) {
  NtfsVolume v;
  ASSERT_TRUE(CheckNtfsBootSector(v, Span(BootSector())));
  v.bitmap = {0x00, 0x00, 0x00};
  ExtentList list;
  InitExtentList(&list);
  ClusterRun* run = AppendRun(&list);
  run->first_cluster = 6;
  run->cluster_count = 5;
  ASSERT_TRUE(CountFreeClusters(v, &list));
  EXPECT_EQ(list.free_clusters, 5u);
  v.bitmap[0] = 0x80;
  list.free_clusters = 0;
  ASSERT_TRUE(CountFreeClusters(v, &list));
  EXPECT_EQ(list.free_clusters, 3u);
  run->first_cluster = 20;  // 20..24 needs a fourth byte
  EXPECT_FALSE(CountFreeClusters(v, &list));
  run->first_cluster = 16;
  run->cluster_count = 8;   // ends exactly at the bitmap's end
  list.free_clusters = 0;
  ASSERT_TRUE(CountFreeClusters(v, &list));
  EXPECT_EQ(list.free_clusters, 8u);
  FreeRuns(&list);
}

TEST(NtfsFreeClusters, FirstFreeBitFromAStartBit) {
  EXPECT_EQ(FirstFreeBit(0xF0, 0), 0);
  EXPECT_EQ(FirstFreeBit(0x0F, 0), 4);
  EXPECT_EQ(FirstFreeBit(0x0F, 6), 6);
  EXPECT_EQ(FirstFreeBit(0xFF, 0), 8);
  EXPECT_EQ(FirstFreeBit(0x00, 8), 8);
}

// --- attribute lists and named records --------------------------------------------------------

class NtfsListTest : public NtfsVolumeTest {
 protected:
  void Open() {
    image = vol.Image();
    engine.volume = std::make_unique<MemoryVolumeReader>(image);
    ASSERT_TRUE(CheckNtfsBootSector(volume, ByteSpan{image.data(), 512}));
    ASSERT_TRUE(LocateMft(engine, volume));
    ASSERT_TRUE(LoadVolumeBitmap(engine, volume));
  }
  ntfs_test::Volume vol;
  std::vector<uint8_t> image;
};

TEST_F(NtfsListTest, ResidentListTakesUnnamedDataAndNamesFromListedRecords) {
  // Base record 30 lists its name and data in extension record 31; record 31 also holds a named
  // stream, which is not the file's content.
  vol.SetRecord(31, Record(0)
                        .FileName(16, u"listed.bin", 1, 12288)
                        .NonResident(0x80, {0x11, 0x01, 0x50}, 0, 0, 50, u"meta")
                        .NonResident(0x80, {0x11, 0x03, 0x30}, 0, 2, 12288)
                        .Finish());
  auto list = ntfs_test::Concat({ntfs_test::ListEntry(0x10, 30), ntfs_test::ListEntry(0x30, 31),
                                 ntfs_test::ListEntry(0x80, 31),
                                 ntfs_test::ListEntry(0x80, 31, u"meta")});
  auto base = Record(0).Resident(0x20, list).Finish();
  Open();
  ASSERT_TRUE(CheckRecordHeader(volume, base.data()));
  NtfsEntryRecord* entry = NewNtfsRecord();
  ASSERT_TRUE(ReadAttributeList(engine, volume, UsedPart(Span(base)), &entry->extents, 0x38,
                                entry, nullptr));
  EXPECT_EQ(Runs(&entry->extents), (std::vector<std::pair<uint64_t, uint64_t>>{{48, 3}}));
  EXPECT_EQ(entry->extents.runs_settled, 1);
  EXPECT_EQ(entry->name_from_attribute_list, 1);
  EXPECT_EQ(std::u16string(GetWideName(&entry->long_name)), u"listed.bin");
  EXPECT_EQ(entry->resident_data, 0);
  FreeNtfsRecord(entry);
  delete entry;
}

TEST_F(NtfsListTest, NonResidentListIsReadFromItsClusters) {
  vol.SetRecord(33, Record(0).NonResident(0x80, {0x11, 0x02, 0x60}, 0, 1, 8000).Finish());
  vol.SetRecord(34, Record(0).FileName(16, u"far.bin").Finish());
  auto list = ntfs_test::Concat({ntfs_test::ListEntry(0x30, 34), ntfs_test::ListEntry(0x80, 33)});
  vol.Write(70 * 4096, list);
  auto base = Record(0).NonResident(0x20, {0x11, 0x01, 0x46}, 0, 0, list.size()).Finish();
  Open();
  ASSERT_TRUE(CheckRecordHeader(volume, base.data()));
  NtfsEntryRecord* entry = NewNtfsRecord();
  ASSERT_TRUE(ReadAttributeList(engine, volume, UsedPart(Span(base)), &entry->extents, 0x38,
                                entry, nullptr));
  EXPECT_EQ(Runs(&entry->extents), (std::vector<std::pair<uint64_t, uint64_t>>{{96, 2}}));
  EXPECT_EQ(std::u16string(GetWideName(&entry->long_name)), u"far.bin");
  FreeNtfsRecord(entry);
  delete entry;
}

TEST_F(NtfsListTest, NonResidentListOverTwoRunsIsReadRunAfterRunWhereEachLies) {
  // The list's first cluster (at 80) is filled with standard-information entries; its last
  // two entries lie in its second run, ten clusters back (at 70).
  vol.SetRecord(33, Record(0).NonResident(0x80, {0x11, 0x02, 0x60}, 0, 1, 8000).Finish());
  vol.SetRecord(34, Record(0).FileName(16, u"far.bin").Finish());
  std::vector<uint8_t> filler;
  const std::vector<uint8_t> standard_information = ntfs_test::ListEntry(0x10, 30);
  for (int i = 0; i < 128; ++i) filler = ntfs_test::Concat({filler, standard_information});
  ASSERT_EQ(filler.size(), 4096u);
  vol.Write(80 * 4096, filler);
  vol.Write(70 * 4096,
            ntfs_test::Concat({ntfs_test::ListEntry(0x30, 34), ntfs_test::ListEntry(0x80, 33)}));
  auto base = Record(0).NonResident(0x20, {0x11, 0x01, 0x50, 0x11, 0x01, 0xF6}, 0, 1, 4096 + 64)
                  .Finish();
  // The same list whose second run would start 200 clusters on, past the volume's end.
  auto off_volume =
      Record(0).NonResident(0x20, {0x11, 0x01, 0x50, 0x11, 0x01, 0xC8}, 0, 1, 4096 + 64)
          .Finish();
  Open();
  ASSERT_TRUE(CheckRecordHeader(volume, base.data()));
  NtfsEntryRecord* entry = NewNtfsRecord();
  ASSERT_TRUE(ReadAttributeList(engine, volume, UsedPart(Span(base)), &entry->extents, 0x38,
                                entry, nullptr));
  EXPECT_EQ(Runs(&entry->extents), (std::vector<std::pair<uint64_t, uint64_t>>{{96, 2}}));
  EXPECT_EQ(std::u16string(GetWideName(&entry->long_name)), u"far.bin");
  FreeNtfsRecord(entry);
  delete entry;

  ASSERT_TRUE(CheckRecordHeader(volume, off_volume.data()));
  ExtentList* list = NewList();
  EXPECT_FALSE(ReadAttributeList(engine, volume, UsedPart(Span(off_volume)), list, 0x38,
                                 nullptr, nullptr));
}

TEST_F(NtfsListTest, NonResidentListClaimingMoreThanTheDeviceHoldsIsRefused) {
  // A 192 KiB volume whose list claims 200 KiB: its buffer would outgrow the device.
  vol = ntfs_test::Volume(48);
  vol.SetRecord(34, Record(0).FileName(16, u"far.bin").Finish());
  vol.Write(30 * 4096, ntfs_test::ListEntry(0x30, 34));
  auto fits = Record(0).NonResident(0x20, {0x11, 0x01, 0x1E}, 0, 0, 32).Finish();
  auto claims = Record(0).NonResident(0x20, {0x11, 0x01, 0x1E}, 0, 0, 200 * 1024).Finish();
  Open();
  volume.device_bytes = image.size();
  for (auto* base : {&fits, &claims}) {
    ASSERT_TRUE(CheckRecordHeader(volume, base->data()));
    NtfsEntryRecord* entry = NewNtfsRecord();
    EXPECT_EQ(ReadAttributeList(engine, volume, UsedPart(Span(*base)), &entry->extents, 0x38,
                                entry, nullptr),
              base == &fits);
    FreeNtfsRecord(entry);
    delete entry;
  }
}

TEST_F(NtfsListTest, ListEntriesOfLengthZeroOrPastTheListFail) {
  auto entry0 = ntfs_test::ListEntry(0x80, 33);
  ntfs_test::Put16(entry0, 4, 0);
  auto base = Record(0).Resident(0x20, entry0).Finish();
  auto long_entry = ntfs_test::ListEntry(0x80, 33);
  ntfs_test::Put16(long_entry, 4, 400);
  auto base2 = Record(0).Resident(0x20, long_entry).Finish();
  Open();
  for (auto* b : {&base, &base2}) {
    ASSERT_TRUE(CheckRecordHeader(volume, b->data()));
    ExtentList* list = NewList();
    EXPECT_FALSE(ReadAttributeList(engine, volume, UsedPart(Span(*b)), list, 0x38, nullptr,
                                   nullptr));
  }
}

TEST_F(NtfsListTest, BitmapInSeveralRunsIsLaidOutRunAfterRun) {
  vol.SetRecord(6, Record(1).FileName(5, u"$Bitmap")
                       .NonResident(0x80, {0x11, 0x01, 0x18, 0x11, 0x01, 0x06}, 0, 1, 8192)
                       .Finish());
  vol.Use(30);
  Open();
  // Cluster 24 holds the bitmap's first 4 KiB (written by Image()), cluster 30 the next.
  EXPECT_EQ(volume.bitmap.size(), 8192u);
  EXPECT_EQ(volume.bitmap[0], 0xFF);  // boot area and MFT
  EXPECT_EQ(Runs(&volume.bitmap_runs),
            (std::vector<std::pair<uint64_t, uint64_t>>{{24, 1}, {30, 1}}));
  EXPECT_EQ(volume.bitmap[4096], image[30 * 4096]);
}

TEST_F(NtfsListTest, RecordNumbersMapThroughTheMftRuns) {
  Open();
  uint64_t sector = 0;
  ASSERT_TRUE(RecordToSector(volume, 0, &sector));
  EXPECT_EQ(sector, 32u);
  ASSERT_TRUE(RecordToSector(volume, 5, &sector));
  EXPECT_EQ(sector, 42u);
  ASSERT_TRUE(RecordToSector(volume, 63, &sector));
  EXPECT_EQ(sector, 32u + 126u);
  EXPECT_FALSE(RecordToSector(volume, 64, &sector));
  EXPECT_EQ(volume.mft_record_count, 64u);
}

}  // namespace
