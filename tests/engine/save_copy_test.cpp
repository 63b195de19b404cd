// The one-file copies over memory volumes with known cluster contents: FAT pieces and their
// sector-rounded reads, NTFS runs and sparse runs, runs and sizes that reach past the volume or
// the runs, resident data in an MFT record with its update-sequence fixups, and failed
// reads. Every file goes through SaveOneFile into the memory destination T:\out.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/ntfs_data_runs.h"
#include "engine/ntfs_fixup.h"
#include "engine/save_session.h"
#include "engine/save_tree.h"
#include "tests/engine/failing_reader.h"
#include "tests/engine/save_test_support.h"

namespace scavrel {
namespace {

using save_test::AddRun;
using save_test::FatFile;
using save_test::MemoryOutput;
using save_test::NamedFolder;
using save_test::NtfsFile;
using save_test::OpenVolume;
using save_test::PatternImage;
using save_test::RecordingReader;
using save_test::Slice;

using save_test::FatClusterOffset;
using save_test::kClusterBytes;
using save_test::kFatGeometry;
using save_test::kNtfsGeometry;

class SaveCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    fat_.last_error = &error_;
    ntfs_.last_error = &error_;
    fat_.save_flags.stop = 0;  // as a save's start leaves it
    ntfs_.save_flags.stop = 0;
    output_.folders.insert(u"T:\\OUT");
    fat_root_ = NamedFolder(fat_.tree, nullptr, u"T:\\");
    ntfs_root_ = NamedFolder(ntfs_.tree, nullptr, u"T:\\");
  }

  bool Save(Engine& engine, FoundNode* node) {
    SaveSession session(engine, output_, false);
    return SaveOneFile(session, u"T:\\out", node);
  }
  std::vector<uint8_t> Saved(const std::u16string& name) {
    return output_.Saved(u"T:\\out\\" + name);
  }

  LastError error_;
  Engine fat_{EngineKind::kFat};
  Engine ntfs_{EngineKind::kNtfs};
  MemoryOutput output_;
  FoundNode* fat_root_ = nullptr;
  FoundNode* ntfs_root_ = nullptr;
  std::vector<uint8_t> image_ = PatternImage(1 << 20, kClusterBytes);
};

TEST_F(SaveCopy, FatFileLargerThanAPieceIsCopiedInWholePiecesThenItsSectorRoundedTail) {
  RecordingReader* reader = OpenVolume(fat_, image_, kFatGeometry);
  const uint32_t size = kSavePieceBytes + 4464;
  const uint32_t clusters = static_cast<uint32_t>((size + kClusterBytes - 1) / kClusterBytes);
  FoundNode* file = FatFile(fat_.tree, fat_root_, u"big.bin", size, 10, clusters);

  ASSERT_TRUE(Save(fat_, file));
  const uint64_t start = FatClusterOffset(10);
  ASSERT_EQ(reader->reads.size(), 2u);
  EXPECT_EQ(reader->reads[0], std::make_pair(start, kSavePieceBytes));
  // 4,464 bytes read as whole sectors
  EXPECT_EQ(reader->reads[1], std::make_pair(start + kSavePieceBytes, size_t{4608}));
  EXPECT_EQ(Saved(u"big.bin"), Slice(image_, start, size));
  EXPECT_EQ(fat_.save_progress.total, uint64_t{size});
  EXPECT_EQ(fat_.save_progress.done, uint64_t{size});
  EXPECT_EQ(fat_.save_progress.counter_a, 1u);
  EXPECT_EQ(fat_.save_progress.text.Get(), "big.bin");
}

TEST_F(SaveCopy, ZeroByteFilesAreCreatedEmptyAndCount) {
  OpenVolume(fat_, image_, kFatGeometry);
  FoundNode* fat_empty = FatFile(fat_.tree, fat_root_, u"empty.txt", 0, 5, 0);
  EXPECT_TRUE(Save(fat_, fat_empty));
  ASSERT_NE(output_.FileAt(u"T:\\out\\empty.txt"), nullptr);
  EXPECT_TRUE(output_.FileAt(u"T:\\out\\empty.txt")->empty());

  OpenVolume(ntfs_, image_, kNtfsGeometry);
  FoundNode* ntfs_empty = NtfsFile(ntfs_.tree, ntfs_root_, u"none.dat", 0);
  EXPECT_TRUE(Save(ntfs_, ntfs_empty));
  ASSERT_NE(output_.FileAt(u"T:\\out\\none.dat"), nullptr);
  EXPECT_TRUE(output_.FileAt(u"T:\\out\\none.dat")->empty());
  EXPECT_EQ(fat_.save_progress.counter_a + ntfs_.save_progress.counter_a, 2u);
}

TEST_F(SaveCopy, NtfsRunsAreVolumeClustersTakenInOrderAndCutAtTheSize) {
  OpenVolume(ntfs_, image_, kNtfsGeometry);
  // 10,000 bytes over three fragments; the last run holds more than the size needs.
  FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, u"frag.doc", 10000);
  AddRun(file, 30, 1);
  AddRun(file, 12, 1);
  AddRun(file, 50, 4);

  ASSERT_TRUE(Save(ntfs_, file));
  std::vector<uint8_t> expected = Slice(image_, 30 * kClusterBytes, kClusterBytes);
  std::vector<uint8_t> second = Slice(image_, 12 * kClusterBytes, kClusterBytes);
  std::vector<uint8_t> third = Slice(image_, 50 * kClusterBytes, 10000 - 2 * kClusterBytes);
  expected.insert(expected.end(), second.begin(), second.end());
  expected.insert(expected.end(), third.begin(), third.end());
  EXPECT_EQ(Saved(u"frag.doc"), expected);
  EXPECT_EQ(ntfs_.save_progress.counter_a, 1u);
}

TEST_F(SaveCopy, NtfsSparseRunsAreHolesOfZerosAndTheFileCounts) {
  RecordingReader* reader = OpenVolume(ntfs_, image_, kNtfsGeometry);
  // As the scanner lists it: a hole first, data at 20, a two-cluster hole, data at 23.
  FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, u"sparse.vhd", 5 * kClusterBytes);
  AddRun(file, kSparseCluster, 1);
  AddRun(file, 20, 1);
  AddRun(file, kSparseCluster, 2);
  AddRun(file, 23, 1);

  ASSERT_TRUE(Save(ntfs_, file));
  std::vector<uint8_t> expected(kClusterBytes, 0);
  std::vector<uint8_t> at20 = Slice(image_, 20 * kClusterBytes, kClusterBytes);
  expected.insert(expected.end(), at20.begin(), at20.end());
  expected.insert(expected.end(), 2 * kClusterBytes, 0);
  std::vector<uint8_t> at23 = Slice(image_, 23 * kClusterBytes, kClusterBytes);
  expected.insert(expected.end(), at23.begin(), at23.end());
  EXPECT_EQ(Saved(u"sparse.vhd"), expected);
  ASSERT_EQ(reader->reads.size(), 2u);  // holes are never read
  EXPECT_EQ(ntfs_.save_progress.counter_a, 1u);
}

TEST_F(SaveCopy, NtfsRunsRepeatingAClusterAreReadAgainNotTakenForHoles) {
  // Two runs at the same cluster (a damaged or deliberately shared list) are both real data.
  OpenVolume(ntfs_, image_, kNtfsGeometry);
  FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, u"twice.bin", 2 * kClusterBytes);
  AddRun(file, 20, 1);
  AddRun(file, 20, 1);

  ASSERT_TRUE(Save(ntfs_, file));
  std::vector<uint8_t> expected = Slice(image_, 20 * kClusterBytes, kClusterBytes);
  expected.insert(expected.end(), expected.begin(), expected.end());
  EXPECT_EQ(Saved(u"twice.bin"), expected);
}

// Bytes past the volume's end are not there: the file ends with the last byte the volume
// holds, not padded with zeros up to what its runs claim (a damaged run may claim terabytes).
// A run past the end before one inside it is a gap of zeros that keeps the later bytes where
// they belong.
TEST_F(SaveCopy, RunPastTheVolumeEndWritesWhatIsThereAndFails) {
  std::vector<uint8_t> small = PatternImage(64 * kClusterBytes, kClusterBytes);
  RecordingReader* reader = OpenVolume(ntfs_, small, kNtfsGeometry);
  FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, u"edge.bin", 6 * kClusterBytes);
  AddRun(file, 61, 6);  // clusters 64 to 66 lie past the end

  EXPECT_FALSE(Save(ntfs_, file));
  EXPECT_EQ(Saved(u"edge.bin"), Slice(small, 61 * kClusterBytes, 3 * kClusterBytes));
  for (const auto& read : reader->reads) EXPECT_LE(read.first + read.second, small.size());
  EXPECT_EQ(error_.Code(), static_cast<int32_t>(kErrorHandleEof));
  EXPECT_EQ(ntfs_.save_progress.counter_a, 0u);

  FoundNode* huge = NtfsFile(ntfs_.tree, ntfs_root_, u"huge.bin", uint64_t{1} << 40);
  AddRun(huge, 63, uint64_t{1} << 28);
  EXPECT_FALSE(Save(ntfs_, huge));
  EXPECT_EQ(Saved(u"huge.bin"), Slice(small, 63 * kClusterBytes, kClusterBytes));

  FoundNode* gap = NtfsFile(ntfs_.tree, ntfs_root_, u"gap.bin", 3 * kClusterBytes);
  AddRun(gap, 100, 2);
  AddRun(gap, 5, 1);
  EXPECT_FALSE(Save(ntfs_, gap));
  std::vector<uint8_t> expected(2 * kClusterBytes, 0);
  std::vector<uint8_t> last = Slice(small, 5 * kClusterBytes, kClusterBytes);
  expected.insert(expected.end(), last.begin(), last.end());
  EXPECT_EQ(Saved(u"gap.bin"), expected);
}

// A sector the disk refuses costs the file that sector's bytes (zeros in the copy) and not the
// rest of it; the file counts as failed with the read's error, and the save goes on.
TEST_F(SaveCopy, UnreadableSectorIsZerosInTheCopyAndTheFileFails) {
  OpenVolume(fat_, image_, kFatGeometry);
  auto failing = std::make_unique<testing_reader::FailingReader>(std::move(fat_.volume));
  const uint64_t start = FatClusterOffset(10);
  failing->Fail(start + 70000, 1);
  fat_.volume = std::move(failing);
  FoundNode* file = FatFile(fat_.tree, fat_root_, u"worn.bin", 100000, 10, 25);
  FoundNode* next = FatFile(fat_.tree, fat_root_, u"next.bin", 1000, 40, 1);

  EXPECT_FALSE(Save(fat_, file));
  std::vector<uint8_t> expected = Slice(image_, start, 100000);
  std::fill(expected.begin() + 70000 / 512 * 512, expected.begin() + 70000 / 512 * 512 + 512, 0);
  EXPECT_EQ(Saved(u"worn.bin"), expected);
  EXPECT_EQ(error_.Code(), static_cast<int32_t>(testing_reader::kErrorCrc));
  EXPECT_EQ(fat_.save_progress.counter_a, 0u);

  EXPECT_TRUE(Save(fat_, next));
  EXPECT_EQ(fat_.save_progress.counter_a, 1u);
}

TEST_F(SaveCopy, DamagedRunsNeverReadOutsideTheVolume) {
  RecordingReader* reader = OpenVolume(ntfs_, image_, kNtfsGeometry);
  // A cluster number whose byte offset does not fit 64 bits must not wrap into the volume.
  FoundNode* wrap = NtfsFile(ntfs_.tree, ntfs_root_, u"wrap.bin", 100);
  AddRun(wrap, 0x0400000000000001ull, 1);
  EXPECT_FALSE(Save(ntfs_, wrap));
  EXPECT_TRUE(Saved(u"wrap.bin").empty());  // nothing of it is on the volume
  EXPECT_TRUE(reader->reads.empty());

  // A FAT run before the data area (clusters 0 and 1 are not data clusters).
  OpenVolume(fat_, image_, kFatGeometry);
  FoundNode* early = FatFile(fat_.tree, fat_root_, u"early.bin", 100, 1, 1);
  EXPECT_FALSE(Save(fat_, early));
  EXPECT_TRUE(Saved(u"early.bin").empty());
}

// The recorded size of an NTFS file comes from its file name or its initialised size, which
// nothing checks against the runs: a damaged record must not make the save write a size's
// worth of zeros. The file ends with its runs' last cluster, and fails as incomplete.
TEST_F(SaveCopy, SizeLargerThanTheRunsEndsAtTheirLastClusterAndFails) {
  OpenVolume(ntfs_, image_, kNtfsGeometry);
  FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, u"short.txt", 3 * kClusterBytes + 10);
  AddRun(file, 40, 2);

  EXPECT_FALSE(Save(ntfs_, file));
  EXPECT_EQ(Saved(u"short.txt"), Slice(image_, 40 * kClusterBytes, 2 * kClusterBytes));
  EXPECT_EQ(error_.Code(), static_cast<int32_t>(kErrorHandleEof));
  EXPECT_EQ(ntfs_.save_progress.done, ntfs_.save_progress.total);
  EXPECT_EQ(ntfs_.save_progress.counter_a, 0u);

  FoundNode* huge = NtfsFile(ntfs_.tree, ntfs_root_, u"huge.bin", uint64_t{64} << 20);
  AddRun(huge, 41, 1);
  EXPECT_FALSE(Save(ntfs_, huge));
  EXPECT_EQ(Saved(u"huge.bin"), Slice(image_, 41 * kClusterBytes, kClusterBytes));

  // A sparse run counts as allocated: its zeros are the file's own.
  FoundNode* holes = NtfsFile(ntfs_.tree, ntfs_root_, u"holes.bin", 5 * kClusterBytes);
  AddRun(holes, kSparseCluster, 2);
  EXPECT_FALSE(Save(ntfs_, holes));
  EXPECT_EQ(Saved(u"holes.bin"), std::vector<uint8_t>(2 * kClusterBytes, 0));
}

TEST_F(SaveCopy, FailedReadEndsTheFileWithTheReadersError) {
  RecordingReader* reader = OpenVolume(fat_, image_, kFatGeometry);
  reader->fail_reads = true;
  FoundNode* file = FatFile(fat_.tree, fat_root_, u"bad.txt", 1000, 5, 1);
  EXPECT_FALSE(Save(fat_, file));
  EXPECT_EQ(error_.Code(), static_cast<int32_t>(kErrorReadFault));
  EXPECT_EQ(fat_.save_progress.counter_a, 0u);
}

// An MFT record of 1,024 bytes (two 512-byte sectors), built by hand in the layout NTFS
// writes: "FILE", update-sequence array at 0x30 with sequence number 7, and a resident value
// of 40 bytes at 0x1E8 that runs across the end of the first sector (bytes 0x1FE-0x1FF).
// As stored, those two bytes hold the sequence number; the array holds the value's own bytes.
constexpr uint64_t kRecordSector = 40;
constexpr size_t kValuePosition = 0x1E8;
constexpr size_t kValueSize = 40;

std::vector<uint8_t> ValueBytes() {
  std::vector<uint8_t> value(kValueSize);
  for (size_t i = 0; i < kValueSize; ++i) value[i] = static_cast<uint8_t>('A' + i);
  return value;
}

std::vector<uint8_t> StoredRecord(size_t record_size = 1024) {
  const size_t blocks = record_size / 512;
  std::vector<uint8_t> record(record_size, 0);
  std::memcpy(record.data(), "FILE", 4);
  record[4] = 0x30;  // update-sequence array offset
  record[6] = static_cast<uint8_t>(blocks + 1);  // sequence number + one pair per 512 bytes
  std::vector<uint8_t> value = ValueBytes();
  std::memcpy(record.data() + kValuePosition, value.data(), value.size());
  record[0x30] = 7;  // the sequence number
  for (size_t sector = 1; sector <= blocks; ++sector) {
    size_t end = sector * 512 - 2;
    record[0x30 + 2 * sector] = record[end];
    record[0x30 + 2 * sector + 1] = record[end + 1];
    record[end] = 7;
    record[end + 1] = 0;
  }
  return record;
}

class SaveResident : public SaveCopy {
 protected:
  FoundNode* ResidentFile(const std::u16string& name, uint64_t size, size_t position) {
    FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, name, size);
    AsNtfsRecord(file->record)->resident_data = 1;
    AddRun(file, kRecordSector, position);
    return file;
  }
  void PlaceRecord(const std::vector<uint8_t>& record) {
    std::memcpy(image_.data() + kRecordSector * 512, record.data(), record.size());
    OpenVolume(ntfs_, image_, kNtfsGeometry);
  }
};

TEST_F(SaveResident, ValueAcrossASectorEndComesOutWithItsOwnBytes) {
  std::vector<uint8_t> record = StoredRecord();
  ASSERT_EQ(record[0x1FE], 7);  // as stored, the value's bytes 22 and 23 are the sequence
  PlaceRecord(record);
  FoundNode* file = ResidentFile(u"note.txt", kValueSize, kValuePosition);

  ASSERT_TRUE(Save(ntfs_, file));
  EXPECT_EQ(Saved(u"note.txt"), ValueBytes());
  EXPECT_EQ(ntfs_.save_progress.counter_a, 1u);
  EXPECT_EQ(ntfs_.save_progress.text.Get(), "note.txt");
}

TEST_F(SaveResident, TornRecordFailsAndCreatesNothing) {
  std::vector<uint8_t> record = StoredRecord();
  record[1022] = 8;  // the second sector was written by another update
  PlaceRecord(record);
  FoundNode* file = ResidentFile(u"torn.txt", kValueSize, kValuePosition);

  EXPECT_FALSE(Save(ntfs_, file));
  EXPECT_EQ(output_.FileAt(u"T:\\out\\torn.txt"), nullptr);
  EXPECT_EQ(error_.Code(), static_cast<int32_t>(kErrorFileCorrupt));
}

TEST_F(SaveResident, ValuePastTheRecordOrNoRunCreatesNothing) {
  PlaceRecord(StoredRecord());
  FoundNode* past = ResidentFile(u"past.txt", 600, kValuePosition);
  EXPECT_FALSE(Save(ntfs_, past));
  FoundNode* no_run = NtfsFile(ntfs_.tree, ntfs_root_, u"norun.txt", 10);
  AsNtfsRecord(no_run->record)->resident_data = 1;
  EXPECT_FALSE(Save(ntfs_, no_run));
  EXPECT_TRUE(output_.creates.empty());
  EXPECT_EQ(ntfs_.save_progress.total, 100u);
  EXPECT_EQ(ntfs_.save_progress.counter_a, 0u);
}

// A volume of 4,096-byte sectors with 4,096-byte records: NTFS still protects every 512
// bytes, so the value that crosses byte 0x1FE needs the first of eight saved pairs.
TEST_F(SaveResident, FourKibSectorRecordsAreFixedEvery512Bytes) {
  std::vector<uint8_t> record = StoredRecord(4096);
  std::memcpy(image_.data() + 5 * 4096, record.data(), record.size());
  OpenVolume(ntfs_, image_, VolumeGeometry{4096, 1, 0, 1});
  FoundNode* file = NtfsFile(ntfs_.tree, ntfs_root_, u"wide.txt", kValueSize);
  AsNtfsRecord(file->record)->resident_data = 1;
  AddRun(file, 5, kValuePosition);  // the record's sector, in 4,096-byte sectors

  ASSERT_TRUE(Save(ntfs_, file));
  EXPECT_EQ(Saved(u"wide.txt"), ValueBytes());
}

TEST(NtfsFixups, PutBackTheSavedBytesOfEverySector) {
  std::vector<uint8_t> record = StoredRecord();
  ASSERT_TRUE(ApplyNtfsFixups(record.data(), record.size()));
  EXPECT_EQ(std::vector<uint8_t>(record.begin() + kValuePosition,
                                 record.begin() + kValuePosition + kValueSize),
            ValueBytes());
  EXPECT_EQ(record[1022], 0);
}

TEST(NtfsFixups, RefuseTornRecordsAndArraysOutsideTheRecord) {
  std::vector<uint8_t> torn = StoredRecord();
  torn[510] = 9;
  std::vector<uint8_t> before = torn;
  EXPECT_FALSE(ApplyNtfsFixups(torn.data(), torn.size()));
  EXPECT_EQ(torn, before);  // nothing changed

  std::vector<uint8_t> far = StoredRecord();
  far[4] = 0xFE;  // array at 0x3FE: its three entries would end past the record
  far[5] = 0x03;
  EXPECT_FALSE(ApplyNtfsFixups(far.data(), far.size()));
  EXPECT_FALSE(ApplyNtfsFixups(far.data(), 1000));  // not whole 512-byte blocks
  EXPECT_FALSE(ApplyNtfsFixups(nullptr, 1024));
}

}  // namespace
}  // namespace scavrel
