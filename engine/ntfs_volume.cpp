// Boot sector, fixups, the MFT's and the bitmap's runs, run lists, attribute lists and free
// cluster counts of an NTFS volume.
#include "engine/ntfs_volume.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/ntfs_attribute.h"
#include "engine/ntfs_attribute_list.h"
#include "engine/ntfs_boot_sector.h"
#include "engine/ntfs_data_runs.h"
#include "engine/ntfs_file_name.h"
#include "engine/ntfs_fixup.h"
#include "engine/ntfs_mft_record.h"

namespace scavrel {

NtfsVolume::NtfsVolume() {
  InitExtentList(&mft_runs);
  InitExtentList(&bitmap_runs);
}

NtfsVolume::~NtfsVolume() {
  FreeRuns(&mft_runs);
  FreeRuns(&bitmap_runs);
}

// --- boot sector and records -----------------------------------------------------------------

bool CheckNtfsBootSector(NtfsVolume& volume, ByteSpan sector) {
  if (!FieldInside(sector, 0, ntfs_boot::kSize)) return false;
  std::memcpy(volume.boot_sector.data(), sector.data(), ntfs_boot::kSize);
  ByteSpan boot{volume.boot_sector.data(), volume.boot_sector.size()};
  volume.bytes_per_sector = ReadLe16(boot, ntfs_boot::kBytesPerSector);
  volume.sectors_per_cluster = 0;
  volume.total_sectors = ReadLe64(boot, ntfs_boot::kTotalSectors);
  volume.mft_cluster = ReadLe64(boot, ntfs_boot::kMftCluster);
  volume.mft_mirror_cluster = ReadLe64(boot, ntfs_boot::kMftMirrorCluster);
  volume.clusters_per_record = static_cast<int8_t>(ReadLe8(boot, ntfs_boot::kClustersPerRecord));
  volume.sectors_per_record = 0;
  volume.records_per_cluster = 0;

  // Every later division and fixup stride rests on these; a zero or odd sector size, or no
  // sectors per cluster, would divide by zero or walk records in pieces that do not exist.
  const uint32_t bps = volume.bytes_per_sector;
  if (bps < 256 || bps > 4096 || (bps & (bps - 1)) != 0) return false;
  // Clusters above 64 KiB do not fit the byte: Windows then writes 256 - log2(sectors), so
  // 0xF4 on 512-byte sectors is 4,096 sectors (2 MiB). Read as a count, such a byte would put
  // the MFT and every run at the wrong place.
  const uint8_t spc_byte = ReadLe8(boot, ntfs_boot::kSectorsPerCluster);
  if (spc_byte == 0) return false;
  if (spc_byte <= ntfs_boot::kPlainSectorsPerClusterMax) {
    volume.sectors_per_cluster = spc_byte;
  } else {
    const unsigned shift = 256u - spc_byte;
    if (shift > 31 || (uint64_t{bps} << shift) > ntfs_boot::kMaxClusterBytes) return false;
    volume.sectors_per_cluster = uint32_t{1} << shift;
  }

  const int c = volume.clusters_per_record;
  uint64_t record_bytes;
  if (c >= 1) {
    record_bytes = uint64_t{volume.sectors_per_cluster} * static_cast<uint64_t>(c) * bps;
  } else {
    if (-c > 31) return false;
    record_bytes = uint64_t{1} << (-c);
  }
  uint64_t spr = record_bytes / bps;
  if (spr == 0) return false;
  volume.sectors_per_record = static_cast<uint32_t>(std::min<uint64_t>(spr, 0xFFFFFFFFu));
  if (volume.sectors_per_cluster > 1 && volume.sectors_per_cluster % volume.sectors_per_record != 0)
    return false;
  volume.records_per_cluster = volume.sectors_per_cluster / volume.sectors_per_record;
  // Records are fixed up in 512-byte blocks and read into buffers of their own size.
  if (volume.RecordSize() < ntfs_record::kFixupBlock || volume.RecordSize() > kMaxRecordSize ||
      volume.RecordSize() % ntfs_record::kFixupBlock != 0)
    return false;
  if (ReadLe16(boot, ntfs_boot::kSignature) != ntfs_boot::kSignatureValue) return false;
  return std::memcmp(volume.boot_sector.data() + ntfs_boot::kOemId, "NTFS", 4) == 0;
}

bool CheckRecordHeader(const NtfsVolume& volume, uint8_t* record) {
  const size_t size = volume.RecordSize();
  ByteSpan span{record, size};
  if (!FieldInside(span, 0, ntfs_record::kHeaderSize)) return false;
  if (ReadLe32(span, ntfs_record::kMagic) != ntfs_record::kMagicValue) return false;
  const size_t usa_offset = ReadLe16(span, ntfs_record::kUsaOffset);
  const size_t first = ReadLe16(span, ntfs_record::kFirstAttribute);
  const size_t blocks = size / ntfs_record::kFixupBlock;
  if (first < usa_offset + 2 * blocks + 2) return false;
  if (first > size) return false;
  const uint32_t used = ReadLe32(span, ntfs_record::kUsedSize);
  const uint32_t allocated = ReadLe32(span, ntfs_record::kAllocatedSize);
  if (allocated > size || used > allocated) return false;
  return ApplyNtfsFixups(record, size);
}

uint16_t RecordFlags(ByteSpan record) { return ReadLe16(record, ntfs_record::kFlags); }

ByteSpan UsedPart(ByteSpan record) {
  size_t used = ReadLe32(record, ntfs_record::kUsedSize);
  return record.first(std::min(used, record.size()));
}

bool RecordToSector(const NtfsVolume& volume, uint64_t record_number, uint64_t* sector) {
  if (record_number == ntfs_record::kMftRecord) {
    *sector = volume.mft_cluster * volume.sectors_per_cluster;
    return true;
  }
  if (volume.sectors_per_record == 0) return false;
  uint64_t first = 0;
  for (RunListNode* node = volume.mft_runs.first; node != nullptr; node = node->next) {
    const uint64_t first_cluster = node->run->first_cluster;
    const uint64_t length = node->run->cluster_count;
    const uint64_t records =
        volume.records_per_cluster != 0
            ? length * volume.records_per_cluster
            : length * volume.sectors_per_cluster / volume.sectors_per_record;
    if (record_number < first + records) {
      if (first_cluster == kSparseCluster) return false;
      *sector = (record_number - first) * volume.sectors_per_record +
                first_cluster * volume.sectors_per_cluster;
      return true;
    }
    first += records;
  }
  return false;
}

bool ReadSectors(Engine& engine, const NtfsVolume& volume, uint64_t sector, uint8_t* buffer,
                 size_t length) {
  if (!engine.volume) {
    engine.SetSystemError(kErrorReadFault);
    return false;
  }
  if (volume.bytes_per_sector == 0 || sector > ~0ull / volume.bytes_per_sector) {
    engine.SetSystemError(kErrorHandleEof);
    return false;
  }
  if (!engine.volume->Read(sector * volume.bytes_per_sector, buffer, length)) {
    const uint32_t code = engine.volume->LastErrorCode();
    engine.SetSystemError(code);
    if (code != kErrorHandleEof) engine.NoteUnreadable(code, length);
    return false;
  }
  return true;
}

Salvage ReadSectorsSalvaging(Engine& engine, const NtfsVolume& volume, uint64_t sector,
                             uint8_t* buffer, size_t length, size_t unit,
                             std::vector<uint8_t>* bad) {
  if (!engine.volume || volume.bytes_per_sector == 0 ||
      sector > ~0ull / volume.bytes_per_sector) {
    std::memset(buffer, 0, length);
    if (bad != nullptr) bad->assign(unit == 0 ? 1 : (length + unit - 1) / unit, 1);
    return Salvage::kHoles;
  }
  return SalvageRead(engine, *engine.volume, sector * volume.bytes_per_sector, buffer, length,
                     unit, bad);
}

// --- attributes ------------------------------------------------------------------------------

bool AttributeWalk::Next(Attribute* out) {
  if (state_ != State::kWalking) return false;
  const auto fail = [this] {
    state_ = State::kFailed;
    return false;
  };
  if (engine_.ScanStep()) return fail();
  // A record whose attributes run out before an end marker is damaged: the walk fails rather
  // than reading whatever follows the used part.
  if (!FieldInside(used_, position_, 4)) return fail();
  const uint32_t type = ReadLe32(used_, position_ + ntfs_attr::kType);
  if (ntfs_attr::IsEndMarker(type)) {
    state_ = State::kEnded;
    return false;
  }
  if (!FieldInside(used_, position_, 16)) return fail();
  const uint32_t length = ReadLe32(used_, position_ + ntfs_attr::kLength);
  if (length < 16 || !FieldInside(used_, position_, length)) return fail();
  out->position = position_;
  out->type = type;
  out->length = length;
  out->non_resident = ReadLe8(used_, position_ + ntfs_attr::kNonResident) != 0;
  out->name_length = ReadLe8(used_, position_ + ntfs_attr::kNameLength);
  // Inside the used part, so the sum cannot wrap.
  position_ += length;
  return true;
}

bool ResidentValue(ByteSpan used, const Attribute& attribute, ByteSpan* value,
                   size_t* value_position) {
  if (attribute.non_resident || attribute.length < ntfs_attr::kResidentHeaderSize) return false;
  const size_t p = attribute.position;
  const size_t value_length = ReadLe32(used, p + ntfs_attr::kValueLength);
  const size_t value_offset = ReadLe16(used, p + ntfs_attr::kValueOffset);
  if (value_offset > attribute.length || value_length > attribute.length - value_offset)
    return false;
  *value = SpanSlice(used, p + value_offset, value_length);
  *value_position = p + value_offset;
  return true;
}

namespace {

bool NonResidentHeader(ByteSpan used, const Attribute& attribute) {
  return attribute.non_resident && attribute.length >= ntfs_attr::kNonResidentHeaderSize;
}

ByteSpan RunListSpan(ByteSpan used, const Attribute& attribute) {
  const size_t offset = ReadLe16(used, attribute.position + ntfs_attr::kRunListOffset);
  if (offset > attribute.length) return used.first(0);
  return SpanSlice(used, attribute.position + offset, attribute.length - offset);
}

// The two size slots of the file-name head (allocated at 40, size at 48) are filled by the
// first value that reaches them.
void FillEmptySizeSlot(NtfsEntryRecord* record, size_t offset, uint64_t value) {
  if (ReadLe64(record->file_name, offset) != 0) return;
  WriteLe64(record->file_name + offset, value);
}

void AddRun(ExtentList* list, uint64_t first_cluster, uint64_t count) {
  ClusterRun* run = AppendRun(list);
  run->first_cluster = first_cluster;
  run->cluster_count = count;
}

// One unnamed data attribute into the list: its runs, or the place of its value in the record.
bool TakeDataAttribute(Engine& engine, const NtfsVolume& volume, ByteSpan used,
                       const Attribute& attribute, NtfsEntryRecord* record, ExtentList* list,
                       uint64_t record_sector) {
  if (attribute.non_resident) {
    if (!NonResidentHeader(used, attribute)) return false;
    const size_t p = attribute.position;
    if (record != nullptr) {
      FillEmptySizeSlot(record, ntfs_name::kSize, ReadLe64(used, p + ntfs_attr::kInitializedSize));
      FillEmptySizeSlot(record, ntfs_name::kAllocatedSize,
                        ReadLe64(used, p + ntfs_attr::kAllocatedSize));
      record->resident_data = 0;
    }
    return ReadRunList(engine, volume, RunListSpan(used, attribute), list,
                       ReadLe64(used, p + ntfs_attr::kFirstVcn),
                       ReadLe64(used, p + ntfs_attr::kLastVcn));
  }
  ByteSpan value;
  size_t value_position = 0;
  if (!ResidentValue(used, attribute, &value, &value_position)) return false;
  if (record != nullptr) {
    FillEmptySizeSlot(record, ntfs_name::kSize, value.size());
    FillEmptySizeSlot(record, ntfs_name::kAllocatedSize, value_position);
  }
  // Resident data has no clusters: the run names the record's sector and the value's byte
  // position in it, and counts as one cluster.
  AddRun(list, record_sector, value_position);
  list->total_clusters = 1;
  return true;
}

}  // namespace

bool ReadRunList(Engine& engine, const NtfsVolume& volume, ByteSpan runs, ExtentList* list,
                 uint64_t first_vcn, uint64_t last_vcn) {
  const uint64_t expected = last_vcn - first_vcn + 1;  // 0 for an empty attribute (last = -1)
  RunListCursor cursor(runs, volume.ClusterCount());
  uint64_t sum = 0;
  for (;;) {
    if (engine.ScanStep()) return false;
    PlacedRun run;
    const RunDecode decoded = cursor.Next(&run);
    if (decoded == RunDecode::kBad) return false;
    if (decoded == RunDecode::kEnd) break;
    if (sum + run.length < sum) return false;
    AddRun(list, run.first_cluster, run.length);
    list->total_clusters += run.length;
    sum += run.length;
  }
  return sum == expected;
}

bool ReadDataAttributes(Engine& engine, const NtfsVolume& volume, ByteSpan used,
                        size_t position, NtfsEntryRecord* record, ExtentList* list,
                        uint64_t record_sector) {
  AttributeWalk walk(engine, used, position);
  Attribute attribute;
  while (walk.Next(&attribute)) {
    // Named data attributes are other streams of the file, not its content.
    if (attribute.type == ntfs_attr::kTypeData && attribute.name_length == 0) {
      if (!TakeDataAttribute(engine, volume, used, attribute, record, list, record_sector))
        return false;
    }
  }
  return walk.Ended();
}

bool CopyFileNameHead(ByteSpan used, const Attribute& attribute, NtfsEntryRecord* record) {
  if (attribute.non_resident) return false;
  ByteSpan value;
  size_t value_position = 0;
  if (!ResidentValue(used, attribute, &value, &value_position)) return false;
  if (!FieldInside(value, 0, ntfs_name::kName)) return false;
  uint8_t head[ntfs_name::kHeadSize];
  std::memcpy(head, value.data(), sizeof(head));
  // A zero size in the name keeps what the record already holds (from an earlier name or the
  // data attribute).
  for (size_t slot : {ntfs_name::kAllocatedSize, ntfs_name::kSize}) {
    if (ReadLe64(value, slot) == 0) std::memcpy(head + slot, record->file_name + slot, 8);
  }
  std::memcpy(record->file_name, head, sizeof(head));
  const uint8_t length = ReadLe8(value, ntfs_name::kNameLength);
  const uint8_t name_space = ReadLe8(value, ntfs_name::kNamespace);
  record->file_name[ntfs_name::kNameLength] = length;
  record->file_name[ntfs_name::kNamespace] = name_space;
  if (!FieldInside(value, ntfs_name::kName, size_t{length} * 2)) return false;
  std::u16string name(length, u'\0');
  for (size_t i = 0; i < length; ++i) name[i] = ReadLe16(value, ntfs_name::kName + 2 * i);
  const bool dos = name_space == ntfs_name::kNamespaceDos ||
                   name_space == ntfs_name::kNamespaceWin32AndDos;
  SetWideName(dos ? &record->short_name : &record->long_name, name.data(), name.size());
  return true;
}

// --- attribute lists -------------------------------------------------------------------------

namespace {

// Reads the MFT record a list entry names into `buffer`; false when it cannot be mapped, read
// or checked.
bool ReadListedRecord(Engine& engine, const NtfsVolume& volume, uint64_t reference,
                      std::vector<uint8_t>* buffer, uint64_t* sector) {
  if (!RecordToSector(volume, reference & ntfs_record::kReferenceMask, sector)) return false;
  buffer->assign(volume.RecordSize(), 0);
  if (!ReadSectors(engine, volume, *sector, buffer->data(), buffer->size())) return false;
  return CheckRecordHeader(volume, buffer->data());
}

bool ReadListedData(Engine& engine, const NtfsVolume& volume, uint64_t reference,
                    NtfsEntryRecord* record, ExtentList* list) {
  std::vector<uint8_t> buffer;
  uint64_t sector = 0;
  if (!ReadListedRecord(engine, volume, reference, &buffer, &sector)) return false;
  ByteSpan used = UsedPart(ByteSpan{buffer.data(), buffer.size()});
  return ReadDataAttributes(engine, volume, used,
                            ReadLe16(used, ntfs_record::kFirstAttribute), record, list, sector);
}

bool ReadListedFileNames(Engine& engine, const NtfsVolume& volume, uint64_t reference,
                         NtfsEntryRecord* record) {
  std::vector<uint8_t> buffer;
  uint64_t sector = 0;
  if (!ReadListedRecord(engine, volume, reference, &buffer, &sector)) return false;
  ByteSpan used = UsedPart(ByteSpan{buffer.data(), buffer.size()});
  AttributeWalk walk(engine, used, ReadLe16(used, ntfs_record::kFirstAttribute));
  Attribute attribute;
  while (walk.Next(&attribute)) {
    if (attribute.type == ntfs_attr::kTypeFileName && !attribute.non_resident) {
      if (!CopyFileNameHead(used, attribute, record)) return false;
    }
  }
  return walk.Ended();
}

bool WalkListEntries(Engine& engine, const NtfsVolume& volume, ByteSpan entries,
                     bool resident, ExtentList* list, NtfsEntryRecord* record,
                     const FoundNode* node) {
  uint8_t outcome = 0;
  std::vector<uint64_t> data_records;  // each record's data attributes are taken once
  size_t position = 0;
  while (position < entries.size()) {
    if (engine.ScanStep()) return false;
    // Fewer bytes than an entry header left: the padding after the last entry.
    if (!FieldInside(entries, position, 4)) break;
    const uint32_t type = ReadLe32(entries, position + ntfs_list::kType);
    if (ntfs_attr::IsEndMarker(type)) break;
    if (type > ntfs_list::kMaxType ||
        !FieldInside(entries, position, ntfs_list::kMinEntrySize))
      return false;
    const size_t length = ReadLe16(entries, position + ntfs_list::kEntryLength);
    if (length < ntfs_list::kMinEntrySize || !FieldInside(entries, position, length))
      return false;
    const uint64_t reference =
        ReadLe64(entries, position + ntfs_list::kRecordReference) & ntfs_record::kReferenceMask;
    const bool named = ReadLe8(entries, position + ntfs_list::kNameLength) != 0;
    if (type == ntfs_attr::kTypeData && (!resident || node == nullptr || node->directory == 0)) {
      // A named entry is another stream of the file; its runs are not the file's content.
      if (!named &&
          std::find(data_records.begin(), data_records.end(), reference) == data_records.end()) {
        data_records.push_back(reference);
        if (!ReadListedData(engine, volume, reference, record, list)) return false;
        outcome = 1;
      }
    } else if (type == ntfs_attr::kTypeFileName && record != nullptr) {
      const bool copied = ReadListedFileNames(engine, volume, reference, record);
      record->name_from_attribute_list = copied ? 1 : 0;
      outcome = copied ? 1 : 0;
    }
    position += length;
  }
  list->runs_settled = outcome;
  return true;
}

}  // namespace

bool ReadAttributeList(Engine& engine, const NtfsVolume& volume, ByteSpan used,
                       ExtentList* list, size_t position, NtfsEntryRecord* record,
                       const FoundNode* node) {
  Attribute attribute;
  if (!FieldInside(used, position, 16)) return false;
  attribute.position = position;
  attribute.type = ReadLe32(used, position + ntfs_attr::kType);
  attribute.length = ReadLe32(used, position + ntfs_attr::kLength);
  const uint8_t form = ReadLe8(used, position + ntfs_attr::kNonResident);
  attribute.non_resident = form != 0;
  if (attribute.type != ntfs_attr::kTypeAttributeList ||
      !FieldInside(used, position, attribute.length))
    return false;

  if (form == 0) {
    ByteSpan value;
    size_t value_position = 0;
    if (!ResidentValue(used, attribute, &value, &value_position)) return false;
    return WalkListEntries(engine, volume, value, true, list, record, node);
  }
  if (form != 1 || !NonResidentHeader(used, attribute)) return false;

  // The list's runs are read whole into one buffer: entries may cross cluster ends.
  const uint64_t real_size = ReadLe64(used, position + ntfs_attr::kRealSize);
  const size_t cluster_size = volume.ClusterSize();
  // The list is read into one buffer of its claimed size, which cannot exceed the device.
  if (real_size > ntfs_list::kMaxListSize || real_size > volume.ReadableClusters() * cluster_size)
    return false;
  // A run's bytes, capped at what the list still lacks (the length test first keeps the
  // product from overflowing).
  auto run_share = [cluster_size](const PlacedRun& run, uint64_t remaining) -> uint64_t {
    return run.length > remaining / cluster_size + 1
               ? remaining
               : std::min<uint64_t>(run.length * cluster_size, remaining);
  };
  // The runs are walked once before anything is read, so that the buffer holds what they
  // describe and not what the header claims (a damaged header may claim the whole volume
  // over a single cluster), and the clusters are then read straight into it.
  uint64_t held = 0;
  {
    RunListCursor cursor(RunListSpan(used, attribute), volume.ClusterCount());
    while (held < real_size) {
      PlacedRun run;
      const RunDecode decoded = cursor.Next(&run);
      if (decoded == RunDecode::kBad) return false;
      if (decoded == RunDecode::kEnd) break;
      if (run.sparse) return false;  // an attribute list always has its clusters
      held += run_share(run, real_size - held);
    }
  }
  // Whole clusters, so that the last run's cluster can be read in place; still within the
  // device, whose size is a whole number of clusters.
  std::vector<uint8_t> bytes(static_cast<size_t>((held + cluster_size - 1) / cluster_size) *
                             cluster_size);
  size_t filled = 0;
  RunListCursor cursor(RunListSpan(used, attribute), volume.ClusterCount());
  while (filled < held) {
    if (engine.ScanStep()) return false;
    PlacedRun run;
    if (cursor.Next(&run) != RunDecode::kRun) break;
    const uint64_t run_bytes = run_share(run, held - filled);
    if (run_bytes == 0) continue;  // a run of no clusters adds nothing
    const size_t clusters = static_cast<size_t>((run_bytes + cluster_size - 1) / cluster_size);
    if (!engine.volume || !engine.volume->Read(run.first_cluster * cluster_size,
                                               bytes.data() + filled, clusters * cluster_size)) {
      engine.ReportReadError(engine.volume ? engine.volume->LastErrorCode() : kErrorReadFault);
      return false;
    }
    filled += static_cast<size_t>(run_bytes);
  }
  return WalkListEntries(engine, volume, ByteSpan{bytes.data(), filled}, false, list, record,
                         node);
}

// --- the MFT and the bitmap ------------------------------------------------------------------

namespace {

// Walks a system record (the MFT's or the bitmap's) for its data runs. `resident_value`
// receives the value of resident data (a tiny bitmap may be resident).
bool ReadSystemRecordRuns(Engine& engine, const NtfsVolume& volume, ByteSpan used,
                          uint64_t sector, ExtentList* list,
                          std::vector<uint8_t>* resident_value) {
  size_t position = ReadLe16(used, ntfs_record::kFirstAttribute);
  if (position > used.size()) return true;
  AttributeWalk walk(engine, used, position);
  Attribute attribute;
  while (walk.Next(&attribute)) {
    if (attribute.type == ntfs_attr::kTypeAttributeList) {
      if (!ReadAttributeList(engine, volume, used, list, attribute.position, nullptr, nullptr))
        return false;
    } else if (attribute.type == ntfs_attr::kTypeData && list->runs_settled == 0) {
      if (resident_value != nullptr && !attribute.non_resident && attribute.name_length == 0) {
        ByteSpan value;
        size_t value_position = 0;
        if (!ResidentValue(used, attribute, &value, &value_position)) return false;
        resident_value->assign(value.data(), value.data() + value.size());
        return true;
      }
      return ReadDataAttributes(engine, volume, used, attribute.position, nullptr, list, sector);
    }
  }
  return walk.Ended();
}

}  // namespace

bool LocateMft(Engine& engine, NtfsVolume& volume) {
  ClearRuns(&volume.mft_runs);
  volume.mft_runs.runs_settled = 0;
  volume.mft_record_count = 0;
  if (volume.mft_cluster >= volume.ClusterCount()) return false;
  uint64_t sector = volume.mft_cluster * volume.sectors_per_cluster;
  std::vector<uint8_t> record(volume.RecordSize());
  if (!ReadSectors(engine, volume, sector, record.data(), record.size())) {
    // The MFT's own record on a bad sector: its copy in the mirror describes the same runs.
    if (volume.mft_mirror_cluster >= volume.ClusterCount()) return false;
    sector = volume.mft_mirror_cluster * volume.sectors_per_cluster;
    if (!ReadSectors(engine, volume, sector, record.data(), record.size())) return false;
  }
  if (!CheckRecordHeader(volume, record.data())) return false;
  ByteSpan used = UsedPart(ByteSpan{record.data(), record.size()});
  if (!ReadSystemRecordRuns(engine, volume, used, sector, &volume.mft_runs, nullptr))
    return false;
  // Each run lies inside the claimed volume, but runs may repeat (or be sparse), and the claim
  // may exceed the device: an MFT of more clusters than the device holds is damage, and its
  // record count would size the scan's record table.
  if (volume.mft_runs.total_clusters > volume.ReadableClusters()) return false;
  const uint64_t sectors = volume.mft_runs.total_clusters * volume.sectors_per_cluster;
  if (sectors % volume.sectors_per_record != 0) return false;
  volume.mft_record_count = sectors / volume.sectors_per_record;
  return volume.mft_record_count > ntfs_record::kBitmapRecord;
}

bool LoadVolumeBitmap(Engine& engine, NtfsVolume& volume) {
  ClearRuns(&volume.bitmap_runs);
  volume.bitmap_runs.runs_settled = 0;
  volume.bitmap.clear();
  uint64_t sector = 0;
  if (!RecordToSector(volume, ntfs_record::kBitmapRecord, &sector)) return false;
  std::vector<uint8_t> record(volume.RecordSize());
  const uint64_t cluster_size = volume.ClusterSize();
  const uint64_t needed = (volume.ClusterCount() + 7) / 8;
  if (!ReadSectors(engine, volume, sector, record.data(), record.size())) {
    // The bitmap's record on a bad sector: no cluster is known to be free. Every cluster is
    // taken as in use, so the records are still read and listed (none rated as recoverable
    // from free clusters), rather than the scan ending with nothing.
    if (engine.volume == nullptr || engine.volume->LastErrorCode() == kErrorHandleEof)
      return false;
    volume.bitmap.assign(static_cast<size_t>(needed), 0xFF);
    return true;
  }
  if (!CheckRecordHeader(volume, record.data())) return false;
  ByteSpan used = UsedPart(ByteSpan{record.data(), record.size()});
  std::vector<uint8_t> resident;
  if (!ReadSystemRecordRuns(engine, volume, used, sector, &volume.bitmap_runs, &resident))
    return false;
  if (!resident.empty()) {
    volume.bitmap = std::move(resident);
    return true;
  }
  // A bitmap far larger than the volume needs is damage; refusing it keeps the buffer sane.
  const uint64_t clusters = volume.bitmap_runs.total_clusters;
  if (clusters == 0 || clusters > needed / cluster_size + 2 || clusters > volume.ReadableClusters())
    return false;
  volume.bitmap.assign(static_cast<size_t>(clusters * cluster_size), 0);
  size_t filled = 0;
  for (RunListNode* node = volume.bitmap_runs.first; node != nullptr; node = node->next) {
    const uint64_t first = node->run->first_cluster;
    const size_t bytes = static_cast<size_t>(node->run->cluster_count * cluster_size);
    if (first == kSparseCluster) return false;
    // A bitmap cluster that cannot be read says nothing of its clusters: they are taken as in
    // use, so that no file is rated recoverable from clusters that may be taken.
    std::vector<uint8_t> unreadable;
    const Salvage got =
        ReadSectorsSalvaging(engine, volume, first * volume.sectors_per_cluster,
                             volume.bitmap.data() + filled, bytes, cluster_size, &unreadable);
    if (got == Salvage::kStopped) return false;
    for (size_t k = 0; k < unreadable.size(); ++k) {
      if (unreadable[k] == 0) continue;
      const size_t at = filled + k * static_cast<size_t>(cluster_size);
      std::memset(volume.bitmap.data() + at, 0xFF,
                  std::min<size_t>(static_cast<size_t>(cluster_size), filled + bytes - at));
    }
    filled += bytes;
  }
  return true;
}

// --- free clusters ---------------------------------------------------------------------------

int FirstFreeBit(uint8_t byte, int start_bit) {
  for (int bit = start_bit; bit >= 0 && bit < 8; ++bit) {
    if ((byte & (1u << bit)) == 0) return bit;
  }
  return 8;
}

namespace {

// True when bits [from, to] of a byte are all clear.
bool BitsClear(uint8_t byte, unsigned from, unsigned to) {
  unsigned mask = ((0xFFu << from) & (0xFFu >> (7 - to))) & 0xFFu;
  return (byte & mask) == 0;
}

}  // namespace

bool CountFreeClusters(const NtfsVolume& volume, ExtentList* list) {
  const uint64_t bits = uint64_t{volume.bitmap.size()} * 8;
  const uint8_t* map = volume.bitmap.data();
  uint64_t free = 0;
  for (RunListNode* node = list->first; node != nullptr; node = node->next) {
    const uint64_t first = node->run->first_cluster;
    const uint64_t count = node->run->cluster_count;
    if (first == kSparseCluster) {
      free += count;  // zeros need no clusters: nothing of a sparse run can be lost
      continue;
    }
    if (count == 0) continue;
    if (first > bits || count > bits - first) return false;
    const uint64_t end = first + count;
    const uint64_t first_byte = first / 8;
    const uint64_t last_byte = (end - 1) / 8;
    const unsigned first_bit = static_cast<unsigned>(first % 8);
    // Each part counts whole or not at all: the first byte's share of the run, the whole
    // bytes between, the last byte's share.
    if (first_byte == last_byte) {
      if (BitsClear(map[first_byte], first_bit, static_cast<unsigned>((end - 1) % 8))) free += count;
      continue;
    }
    if (BitsClear(map[first_byte], first_bit, 7)) free += 8 - first_bit;
    const uint64_t tail_bits = end % 8;
    const uint64_t middle_end = tail_bits == 0 ? last_byte + 1 : last_byte;
    for (uint64_t j = first_byte + 1; j < middle_end; ++j) {
      if (map[j] == 0) free += 8;
    }
    if (tail_bits != 0 && BitsClear(map[last_byte], 0, static_cast<unsigned>(tail_bits - 1)))
      free += tail_bits;
  }
  list->free_clusters += free;
  return true;
}

bool CountEntryFreeClusters(const NtfsVolume& volume, NtfsEntryRecord* record) {
  ExtentList* list = &record->extents;
  // Data inside the MFT record is there as long as the record is: nothing of it is lost.
  if (record->resident_data == 1 && list->node_count != 0) {
    list->free_clusters = list->total_clusters;
    return true;
  }
  return CountFreeClusters(volume, list);
}

}  // namespace scavrel
