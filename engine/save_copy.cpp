// The one-file copies of the save path.
#include "engine/save_copy.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/ntfs_data_runs.h"
#include "engine/ntfs_fixup.h"
#include "engine/save_names.h"
#include "engine/volume_reader.h"

namespace scavrel {
namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

enum class Piece { kRead, kMissing, kFailed };

// Byte offset of a cluster on the volume. FAT clusters count from 2 at the first data sector;
// NTFS clusters from the volume's start. False when the cluster lies before the data area or
// its offset does not fit 64 bits (a damaged run: nothing of it is on the volume).
bool ClusterOffset(const VolumeGeometry& geometry, bool fat, uint64_t cluster,
                   uint64_t* offset) {
  uint64_t sector = 0;
  if (fat) {
    if (cluster < 2) return false;
    if (__builtin_mul_overflow(cluster - 2, uint64_t{geometry.sectors_per_cluster}, &sector) ||
        __builtin_add_overflow(sector, geometry.first_data_sector, &sector)) {
      return false;
    }
  } else if (__builtin_mul_overflow(cluster, uint64_t{geometry.sectors_per_cluster}, &sector)) {
    return false;
  }
  return !__builtin_mul_overflow(sector, uint64_t{geometry.bytes_per_sector}, offset);
}

// Reads the n bytes at `run_offset + d` as whole sectors into the zeroed buffer and tells
// where they start in it. Only bytes inside the volume are read; a piece that reaches past
// its end keeps zeros there and is reported missing. A piece the disk refuses is read again
// sector by sector: the sectors that still fail keep zeros, the rest of the piece is kept,
// and the piece is reported failed with the first failure's code in *code.
Piece ReadPiece(SaveSession& session, uint64_t run_offset, uint64_t d, size_t n, size_t* at,
                uint32_t* code) {
  const uint32_t bps = session.geometry.bytes_per_sector;
  const size_t lead = static_cast<size_t>(d % bps);
  const size_t length = (lead + n + bps - 1) / bps * bps;
  std::memset(session.buffer.data(), 0, length);
  *at = lead;
  uint64_t start = 0;
  if (__builtin_add_overflow(run_offset, d - lead, &start)) return Piece::kMissing;
  VolumeReader& volume = *session.engine.volume;
  const uint64_t volume_size = volume.Size();
  size_t readable = length;
  bool missing = false;
  if (volume_size != 0) {
    if (start >= volume_size) return Piece::kMissing;
    if (volume_size - start < length) {
      readable = static_cast<size_t>(volume_size - start);
      missing = readable < lead + n;
    }
  }
  if (volume.Read(start, session.buffer.data(), readable)) {
    return missing ? Piece::kMissing : Piece::kRead;
  }
  bool failed = false;
  for (size_t sector = 0; sector < readable; sector += bps) {
    if (session.engine.SaveStep()) return Piece::kFailed;
    const size_t take = std::min<size_t>(bps, readable - sector);
    uint8_t* into = session.buffer.data() + sector;
    if (volume.Read(start + sector, into, take)) continue;
    std::memset(into, 0, take);
    if (!failed) *code = volume.LastErrorCode() != 0 ? volume.LastErrorCode() : kErrorReadFault;
    failed = true;
  }
  if (failed) return Piece::kFailed;
  return missing ? Piece::kMissing : Piece::kRead;
}

// Where a file's bytes stop being on the volume: the file offset after the last byte that a
// run holds inside the device (or that a sparse run gives as zeros). Bytes past it are not
// written: a run that a damaged record or a cut-off image puts past the device's end would
// otherwise pad the file with zeros up to the run's size, however large it claims to be.
uint64_t PresentEnd(const FoundNode* node, const VolumeGeometry& geometry, bool fat,
                    uint64_t device_bytes) {
  if (device_bytes == 0) return kMax;  // a device of unknown size: every byte may be there
  const uint64_t cluster_bytes =
      uint64_t{geometry.sectors_per_cluster} * geometry.bytes_per_sector;
  uint64_t position = 0;
  uint64_t end = 0;
  for (const RunListNode* link = node->record->extents.first; link != nullptr; link = link->next) {
    const ClusterRun* run = link->run;
    if (run == nullptr) continue;
    uint64_t run_bytes = 0;
    if (__builtin_mul_overflow(run->cluster_count, cluster_bytes, &run_bytes)) run_bytes = kMax;
    uint64_t present = 0;
    uint64_t run_offset = 0;
    if (!fat && run->first_cluster == kSparseCluster) {
      present = run_bytes;
    } else if (ClusterOffset(geometry, fat, run->first_cluster, &run_offset) &&
               run_offset < device_bytes) {
      present = std::min(run_bytes, device_bytes - run_offset);
    }
    if (present != 0) {
      uint64_t reach = 0;
      end = __builtin_add_overflow(position, present, &reach) ? kMax : reach;
    }
    if (__builtin_add_overflow(position, run_bytes, &position)) break;
  }
  return end;
}

// The one place a copied file is counted: the progress's saved files and the save's counts.
void EndFile(Engine& engine, FileSaved how) {
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    engine.save_progress.done = engine.save_progress.total.load();
    if (how == FileSaved::kWhole) engine.save_progress.counter_a += 1;
  }
  engine.NoteSavedFile(how);
}

bool CopyFromRuns(SaveSession& session, const FoundNode* node, const OutputTarget& target,
                  const std::string& display_text, bool fat) {
  Engine& engine = session.engine;
  const uint64_t recorded = RecordedSize(node, fat ? RecordForm::kFat : RecordForm::kNtfs);
  const VolumeGeometry& geometry = session.geometry;
  const uint64_t cluster_bytes =
      uint64_t{geometry.sectors_per_cluster} * geometry.bytes_per_sector;
  // NTFS takes the size from the file name or the initialised size, which nothing checks
  // against the runs: the file ends where its runs' clusters end, however large the record
  // says it is. Runs that cannot all be on a volume (their byte count overflows) set no bound.
  uint64_t allocated = 0;
  for (const RunListNode* link = node->record->extents.first; link != nullptr; link = link->next) {
    if (link->run == nullptr) continue;
    uint64_t run_bytes = 0;
    if (__builtin_mul_overflow(link->run->cluster_count, cluster_bytes, &run_bytes) ||
        __builtin_add_overflow(allocated, run_bytes, &allocated)) {
      allocated = kMax;
      break;
    }
  }
  const uint64_t size = std::min({recorded, allocated,
                                  PresentEnd(node, geometry, fat, engine.volume->Size())});
  uint32_t error = 0;
  std::unique_ptr<OutputFile> file = session.CreateTarget(target, &error);
  if (file == nullptr) {
    engine.SetSystemError(error);
    engine.NoteSavedFile(FileSaved::kDestinationRefused);
    return false;
  }
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    engine.save_progress.done = 0;
    engine.save_progress.total = size;
  }
  engine.SetSaveText(display_text);

  uint8_t* buffer = session.buffer.data();
  bool ok = true;
  bool missing = false;
  uint32_t unreadable = 0;  // the first read failure's code: the file is then not whole
  uint64_t written = 0;
  bool write_refused = false;

  auto write = [&](const uint8_t* bytes, size_t n) {
    if (!file->Write(bytes, n, &error)) {
      engine.SetSystemError(error);
      write_refused = true;
      return false;
    }
    written += n;
    engine.SetSaveDone(written);
    return true;
  };

  for (const RunListNode* link = node->record->extents.first; ok && link != nullptr &&
                                                              written < size;
       link = link->next) {
    if (engine.SaveStep()) {
      ok = false;
      break;
    }
    const ClusterRun* run = link->run;
    if (run == nullptr) continue;
    const uint64_t first = run->first_cluster;
    const uint64_t count = run->cluster_count;
    // A sparse run has no clusters: NTFS reads it as zeros, so its bytes are data, not loss.
    const bool hole = !fat && first == kSparseCluster;

    uint64_t run_bytes = 0;
    if (__builtin_mul_overflow(count, cluster_bytes, &run_bytes)) run_bytes = kMax;
    run_bytes = std::min(run_bytes, size - written);
    uint64_t run_offset = 0;
    const bool placed = !hole && ClusterOffset(geometry, fat, first, &run_offset);
    if (!hole && !placed && run_bytes > 0) missing = true;

    for (uint64_t d = 0; d < run_bytes;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kSavePieceBytes, run_bytes - d));
      if (engine.SaveStep()) {
        ok = false;
        break;
      }
      const uint8_t* bytes = buffer;
      if (placed) {
        size_t at = 0;
        uint32_t code = 0;
        Piece piece = ReadPiece(session, run_offset, d, n, &at, &code);
        if (engine.save_flags.stop != 0) {
          ok = false;
          break;
        }
        // What the disk gave of a failed piece is kept, and the copy goes on: on a failing
        // disk every byte still readable is worth having. The file is not counted as saved.
        if (piece == Piece::kFailed && unreadable == 0) unreadable = code;
        if (piece == Piece::kMissing) missing = true;
        bytes = buffer + at;
      } else {
        std::memset(buffer, 0, n);
      }
      if (!write(bytes, n)) {
        ok = false;
        break;
      }
      d += n;
    }
  }

  // Runs that end before the recorded size: the file ends with them and is incomplete.
  if (ok && written < recorded) missing = true;
  // A file the loop left early was refused a write or cut off by a stop.
  FileSaved how = ok ? FileSaved::kWhole
                     : write_refused ? FileSaved::kDestinationShort : FileSaved::kCut;
  if (ok && unreadable != 0) {
    engine.SetSystemError(unreadable);
    how = FileSaved::kSourceShort;
  } else if (ok && missing) {
    engine.SetSystemError(kErrorHandleEof);
    how = FileSaved::kSourceShort;
  }
  EndFile(engine, how);
  return how == FileSaved::kWhole;
}

}  // namespace

bool CopyFatFile(SaveSession& session, const FoundNode* node, const OutputTarget& target,
                 const std::string& display_text) {
  if (node == nullptr || node->record == nullptr) return false;
  return CopyFromRuns(session, node, target, display_text, /*fat=*/true);
}

bool CopyNtfsRunsFile(SaveSession& session, const FoundNode* node, const OutputTarget& target,
                      const std::string& display_text) {
  if (node == nullptr || node->record == nullptr) return false;
  return CopyFromRuns(session, node, target, display_text, /*fat=*/false);
}

bool CopyNtfsResidentFile(SaveSession& session, const FoundNode* node,
                          const OutputTarget& target, const std::string& display_text) {
  if (node == nullptr || node->record == nullptr) return false;
  Engine& engine = session.engine;
  const VolumeGeometry& geometry = session.geometry;
  bool ok = false;
  // Until the file is created, whatever goes wrong is the record's: its data is not there.
  FileSaved how = FileSaved::kSourceRefused;
  std::unique_ptr<OutputFile> file;
  [&] {
    const RunListNode* link = node->record->extents.first;
    if (link == nullptr || link->run == nullptr) return;
    const uint64_t sector = link->run->first_cluster;
    const uint64_t position = link->run->cluster_count;
    const uint64_t size = RecordedSize(node, RecordForm::kNtfs);
    const uint64_t record_bytes =
        uint64_t{geometry.sectors_per_record} * geometry.bytes_per_sector;
    if (record_bytes == 0 || record_bytes > kSavePieceBytes) return;
    if (position > record_bytes || size > record_bytes - position) return;

    uint64_t offset = 0;
    VolumeReader& volume = *engine.volume;
    const uint64_t volume_size = volume.Size();
    if (__builtin_mul_overflow(sector, uint64_t{geometry.bytes_per_sector}, &offset) ||
        (volume_size != 0 && (offset >= volume_size || volume_size - offset < record_bytes))) {
      engine.SetSystemError(kErrorHandleEof);
      return;
    }
    uint8_t* record = session.buffer.data();
    std::memset(record, 0, static_cast<size_t>(record_bytes));
    if (!volume.Read(offset, record, static_cast<size_t>(record_bytes))) {
      engine.SetSystemError(volume.LastErrorCode());
      return;
    }
    // As stored, the last two bytes of every 512-byte block hold the update sequence number:
    // a value that crosses a block end would come out with two wrong bytes.
    if (!ApplyNtfsFixups(record, static_cast<size_t>(record_bytes))) {
      engine.SetSystemError(kErrorFileCorrupt);
      return;
    }
    uint32_t error = 0;
    file = session.CreateTarget(target, &error);
    if (file == nullptr) {
      engine.SetSystemError(error);
      how = FileSaved::kDestinationRefused;
      return;
    }
    if (!file->Write(record + position, static_cast<size_t>(size), &error)) {
      engine.SetSystemError(error);
      how = FileSaved::kDestinationShort;
      return;
    }
    ok = true;
    how = FileSaved::kWhole;
  }();
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    engine.save_progress.done = 100;
    engine.save_progress.total = 100;
    if (ok) engine.save_progress.counter_a += 1;
  }
  engine.NoteSavedFile(how);
  if (ok) engine.SetSaveText(display_text);
  return ok;
}

}  // namespace scavrel
