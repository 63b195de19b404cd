// Scavrel.dll's exported functions: thin wrappers that pick the engine object, call the engine
// and turn every failure (exceptions included) into a false result. The process-wide objects
// are defined here, in the order the library builds them at load.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/ansi_text.h"
#include "engine/check_states.h"
#include "engine/drive_list.h"
#include "engine/engine.h"
#include "engine/fat_scan.h"
#include "engine/ntfs_scan.h"
#include "engine/filters.h"
#include "engine/run_control.h"
#include "engine/save_list.h"
#include "engine/save_tree.h"
#include "engine/scavrel_api.h"
#include "engine/win/out_text.h"
#include "engine/win/save_win32.h"
#include "engine/win/win32_platform.h"

using scavrel::Engine;
using scavrel::EngineKind;
using scavrel_api::Bool8;
using scavrel_api::OutText;

namespace {

// Constructed in this order at load, destroyed in reverse at unload.
std::string g_empty_text;
scavrel::LastError g_last_error;
Engine g_ntfs_engine(EngineKind::kNtfs);
Engine g_fat_engine(EngineKind::kFat);
// What the workers of both engines reach the system through (volume, threads, messages).
scavrel::Win32WorkerPlatform& Platform() {
  static scavrel::Win32WorkerPlatform platform;
  return platform;
}
const bool g_engines_wired = [] {
  g_ntfs_engine.last_error = &g_last_error;
  g_fat_engine.last_error = &g_last_error;
  g_ntfs_engine.platform = &Platform();
  g_fat_engine.platform = &Platform();
  g_fat_engine.scan_body = scavrel::fat::RunFatScan;
  g_ntfs_engine.scan_body = scavrel::NtfsScanMain;
  g_ntfs_engine.save_body = scavrel::SaveThreadBody;
  g_fat_engine.save_body = scavrel::SaveThreadBody;
  g_ntfs_engine.list_save_body = scavrel::SaveListThreadBody;
  g_fat_engine.list_save_body = scavrel::SaveListThreadBody;
  return true;
}();
scavrel::TextList g_drive_list;  // rebuilt by GetDriverList; positions die with it
uint8_t g_nt5_or_later = 0;      // set by GetDriverList: volume names and mount points exist
scavrel::Win32VolumeSystem g_volume_system;

uint8_t g_engine_choice = 0;  // SetNtfs: 0 the FAT engine, anything else the NTFS engine

Engine& Current() { return g_engine_choice != 0 ? g_ntfs_engine : g_fat_engine; }

// No exception may cross the export boundary: a failure inside is a false result.
template <typename F>
Bool8 Guarded(F&& body) {
  try {
    return body() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

Bool8 StoreBound(int index, uint32_t low, uint32_t high, bool refuse_below_minus_one) {
  int64_t value = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
  if (refuse_below_minus_one && value < -1) return 0;
  g_fat_engine.bounds[index] = value;
  g_ntfs_engine.bounds[index] = value;
  return 1;
}

Bool8 ReadBound(int index, uint64_t* out) {
  if (out == nullptr) return 0;
  *out = static_cast<uint64_t>(Current().bounds[index]);
  return 1;
}

Bool8 Snapshot(const scavrel::RunProgress& progress, const scavrel::RunFlags& flags,
               uint64_t* done, uint64_t* total, uint64_t* counter_a, uint64_t* counter_b,
               OutText text, uint8_t* finished) {
  scavrel::ProgressSnapshot snapshot = scavrel::TakeProgressSnapshot(progress, flags);
  if (done) *done = snapshot.done;
  if (total) *total = snapshot.total;
  if (counter_a) *counter_a = snapshot.counter_a;
  if (counter_b) *counter_b = snapshot.counter_b;
  scavrel::CopyOutText(text, snapshot.text);
  if (finished) *finished = snapshot.finished;
  return 1;
}

Bool8 Pause(Engine& engine, scavrel::RunFlags& flags) {
  return Guarded([&] { return scavrel::PauseRun(engine, flags); });
}
Bool8 Continue(Engine& engine, scavrel::RunFlags& flags) {
  return Guarded([&] { return scavrel::ContinueRun(engine, flags); });
}
Bool8 Stop(Engine& engine, scavrel::RunFlags& flags) {
  return Guarded([&] { return scavrel::StopRun(engine, flags); });
}

}  // namespace

// --- drives and volumes ---------------------------------------------------------------------

SCAVREL_API Bool8 SCAVREL_CALL GetDriverList(scavrel_api::ListPosition* out) {
  return Guarded([&] {
    if (!scavrel::BuildDriveList(g_volume_system, &g_drive_list, &g_nt5_or_later)) return false;
    if (out) *out = g_drive_list.Head();
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetDriverName(scavrel_api::ListPosition* position, OutText name) {
  return Guarded([&] {
    if (position == nullptr || *position == nullptr) return false;
    scavrel::CopyOutText(name, (*position)->text);
    *position = (*position)->next;
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetDriverInfo(const char* path, OutText volume_name,
                                             OutText file_system, uint64_t* total_bytes,
                                             uint64_t* free_to_caller, uint64_t* total_free) {
  return Guarded([&] {
    if (path == nullptr) return false;
    scavrel::DriveInfo info;
    if (!scavrel::ReadDriveInfo(g_volume_system, g_nt5_or_later, path, &info)) return false;
    scavrel::CopyOutText(volume_name, info.volume_name);
    scavrel::CopyOutText(file_system, info.file_system, kOutTextFileSystemSize);
    if (total_bytes) *total_bytes = info.total_bytes;
    if (free_to_caller) *free_to_caller = info.free_to_caller;
    if (total_free) *total_free = info.total_free;
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetVolume(const char* path, OutText out, uint32_t length) {
  if (path == nullptr || out == nullptr || *out == nullptr || length == 0) return 0;
  return GetVolumePathNameA(path, *out, length) ? 1 : 0;
}

SCAVREL_API Bool8 SCAVREL_CALL CheckCurrentDriver(const char* destination) {
  return Guarded([&] {
    if (destination == nullptr) return false;
    return scavrel::DestinationOnScannedVolume(
        g_volume_system, Current().tree, Current().volume_device_path, destination,
        [](const char16_t* text) { return scavrel::WideToAnsi(text); });
  });
}

// --- engine choice ----------------------------------------------------------------------------

SCAVREL_API Bool8 SCAVREL_CALL SetNtfs(uint8_t ntfs) {
  g_engine_choice = ntfs;
  return 1;
}

// --- scan -------------------------------------------------------------------------------------

static Bool8 StartScan(Engine& engine, const char* caption, const char* device_path,
                       uint8_t extra_pass) {
  return Guarded([&] {
    std::string root_name = caption ? caption : "";
    std::string volume_device_path = device_path ? device_path : "";
    // Stored only once the start is accepted: a refused call leaves a running scan its texts
    // and its volume.
    return scavrel::StartScanThread(engine, [&] {
      engine.root_name = std::move(root_name);
      engine.volume_device_path = std::move(volume_device_path);
      engine.ResetVolume();
      engine.extra_pass = extra_pass;
    });
  });
}

SCAVREL_API Bool8 SCAVREL_CALL ProcFat(const char* caption, const char* device_path,
                                       uint8_t extra_pass) {
  return StartScan(g_fat_engine, caption, device_path, extra_pass);
}

SCAVREL_API Bool8 SCAVREL_CALL ProcNtfs(const char* caption, const char* device_path,
                                        uint8_t extra_pass) {
  return StartScan(g_ntfs_engine, caption, device_path, extra_pass);
}

SCAVREL_API Bool8 SCAVREL_CALL FatPause() { return Pause(g_fat_engine, g_fat_engine.scan_flags); }
SCAVREL_API Bool8 SCAVREL_CALL FatContinue() {
  return Continue(g_fat_engine, g_fat_engine.scan_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL FatStop() { return Stop(g_fat_engine, g_fat_engine.scan_flags); }
SCAVREL_API Bool8 SCAVREL_CALL NtfsPause() {
  return Pause(g_ntfs_engine, g_ntfs_engine.scan_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL NtfsContinue() {
  return Continue(g_ntfs_engine, g_ntfs_engine.scan_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL NtfsStop() { return Stop(g_ntfs_engine, g_ntfs_engine.scan_flags); }

SCAVREL_API Bool8 SCAVREL_CALL GetProgress(uint64_t* done, uint64_t* total, uint64_t* counter_a,
                                           uint64_t* counter_b, OutText text, uint8_t* finished) {
  Engine& engine = Current();
  return Guarded([&] {
    return Snapshot(engine.scan_progress, engine.scan_flags, done, total, counter_a, counter_b,
                    text, finished);
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetScanOutcome(uint8_t* outcome, OutText file_system) {
  Engine& engine = Current();
  return Guarded([&] {
    std::string name;
    const scavrel::ScanOutcome last = engine.LastScanOutcome(&name);
    if (outcome) *outcome = static_cast<uint8_t>(last);
    scavrel::CopyOutText(file_system, name, kOutTextFileSystemSize);
    return true;
  });
}

// --- results ----------------------------------------------------------------------------------

SCAVREL_API uint64_t SCAVREL_CALL GetTreeFirst(scavrel_api::FoundNode** root) {
  scavrel::FoundTree& tree = Current().tree;
  if (root) *root = tree.root();
  uint64_t count = tree.node_count();
  uint64_t has_nodes = (count != 0 && tree.root() != nullptr) ? 1 : 0;
  return (std::min<uint64_t>(count, 0xFFFFFFFFu) << 32) | has_nodes;
}

SCAVREL_API Bool8 SCAVREL_CALL GetDictionaryName(scavrel_api::EntryRecord* record, OutText name) {
  return Guarded([&] {
    scavrel::RecordForm form = Current().tree.record_form();
    const char16_t* text = nullptr;
    if (record != nullptr) {
      text = scavrel::GetWideName(scavrel::LongNameSlot(record, form));
      if (scavrel::WideNameLength(text) == 0) {
        text = scavrel::GetWideName(scavrel::ShortNameSlot(record, form));
      }
    }
    if (scavrel::WideNameLength(text) == 0) {
      scavrel::CopyOutText(name, "$Unknow Folder");
    } else {
      scavrel::CopyOutText(name, scavrel::WideToAnsi(text));
    }
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetpFileAttr(scavrel_api::EntryRecord* record,
                                            void** attribute_block,
                                            scavrel_api::ExtentList** extents,
                                            uint64_t* free_clusters, uint64_t* total_clusters,
                                            uint64_t* first_cluster) {
  if (record == nullptr) return 0;
  scavrel::ExtentList* list = &record->extents;
  if (attribute_block) *attribute_block = record->attributes;
  if (extents) *extents = list;
  if (free_clusters) *free_clusters = list->free_clusters;
  if (total_clusters) *total_clusters = list->total_clusters;
  if (first_cluster) {
    *first_cluster = 0;
    if (static_cast<int64_t>(list->total_clusters) > 0) {
      scavrel::RunListNode* first = scavrel::FirstRun(list);
      if (first != nullptr && first->run != nullptr) *first_cluster = first->run->first_cluster;
    }
  }
  return 1;
}

SCAVREL_API Bool8 SCAVREL_CALL GetnSelect(scavrel_api::FoundNode* node, uint8_t* state) {
  if (node == nullptr || state == nullptr) return 0;
  *state = node->check_state;
  return 1;
}

SCAVREL_API Bool8 SCAVREL_CALL ClickNtfsNode(scavrel_api::FoundNode* node, uint32_t state) {
  Engine& engine = Current();
  return Guarded([&] {
    if (node == nullptr) return false;
    scavrel::ClickNtfsNode(engine, node, state);
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL ClickNode(scavrel_api::FoundNode* node) {
  Engine& engine = Current();
  return Guarded([&] {
    if (node == nullptr) return false;
    scavrel::ClickNode(engine, node);
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL FilterNtfsTreeNode(scavrel_api::FoundNode* node) {
  Engine& engine = Current();
  return Guarded([&] { return scavrel::NodeFilter(engine, node); });
}

// The NTFS engine's test whatever SetNtfs chose: it reads the NTFS record form.
SCAVREL_API Bool8 SCAVREL_CALL isFilterOK(scavrel_api::FoundNode* node) {
  return Guarded([&] { return scavrel::NodeFilter(g_ntfs_engine, node); });
}

SCAVREL_API Bool8 SCAVREL_CALL ClearRecovery() {
  return Guarded([] { return scavrel::ClearRecovery(g_ntfs_engine, g_fat_engine, g_last_error); });
}

// --- filters ----------------------------------------------------------------------------------

SCAVREL_API Bool8 SCAVREL_CALL SetFilterList(const char* names) {
  return Guarded([&] {
    std::string text = names ? names : "";
    scavrel::SplitNameFilter(text, &g_ntfs_engine.name_filters);
    scavrel::SplitNameFilter(text, &g_fat_engine.name_filters);
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetFilterHeader(scavrel_api::ListPosition* out) {
  scavrel::ListPosition head = Current().name_filters.Head();
  if (out) *out = head;
  return head != nullptr ? 1 : 0;
}

// The buffer has no length: its one caller, the filter dialog, passes 101 bytes, so a longer
// name is cut there (at a character boundary) rather than written past its end.
SCAVREL_API Bool8 SCAVREL_CALL GetFilterList(scavrel_api::ListPosition* position, char* buffer) {
  return Guarded([&] {
    if (position == nullptr || *position == nullptr) return false;
    scavrel::CopyTextToBuffer(
        buffer, scavrel::kFilterItemBufferSize,
        scavrel::FitAnsiText((*position)->text, scavrel::kFilterItemBufferSize));
    *position = (*position)->next;
    return *position != nullptr;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL SetMinFilesize(uint32_t low, uint32_t high) {
  return StoreBound(scavrel::kSizeMin, low, high, true);
}
SCAVREL_API Bool8 SCAVREL_CALL SetMaxFilesize(uint32_t low, uint32_t high) {
  return StoreBound(scavrel::kSizeMax, low, high, true);
}
SCAVREL_API Bool8 SCAVREL_CALL SetMinCreatefile(uint32_t low, uint32_t high) {
  return StoreBound(scavrel::kCreateMin, low, high, false);
}
SCAVREL_API Bool8 SCAVREL_CALL SetMaxCreatefile(uint32_t low, uint32_t high) {
  return StoreBound(scavrel::kCreateMax, low, high, false);
}
SCAVREL_API Bool8 SCAVREL_CALL SetMinModifyfile(uint32_t low, uint32_t high) {
  return StoreBound(scavrel::kModifyMin, low, high, false);
}
SCAVREL_API Bool8 SCAVREL_CALL SetMaxModifyfile(uint32_t low, uint32_t high) {
  return StoreBound(scavrel::kModifyMax, low, high, false);
}
SCAVREL_API Bool8 SCAVREL_CALL GetMinFile(uint64_t* out) { return ReadBound(scavrel::kSizeMin, out); }
SCAVREL_API Bool8 SCAVREL_CALL GetMaxFile(uint64_t* out) { return ReadBound(scavrel::kSizeMax, out); }
SCAVREL_API Bool8 SCAVREL_CALL GetMinCreatefile(uint64_t* out) {
  return ReadBound(scavrel::kCreateMin, out);
}
SCAVREL_API Bool8 SCAVREL_CALL GetMaxCreatefile(uint64_t* out) {
  return ReadBound(scavrel::kCreateMax, out);
}
SCAVREL_API Bool8 SCAVREL_CALL GetMinModifyfile(uint64_t* out) {
  return ReadBound(scavrel::kModifyMin, out);
}
SCAVREL_API Bool8 SCAVREL_CALL GetMaxModifyfile(uint64_t* out) {
  return ReadBound(scavrel::kModifyMax, out);
}

// --- save -------------------------------------------------------------------------------------

SCAVREL_API Bool8 SCAVREL_CALL SetAutoRename(uint8_t on) {
  g_fat_engine.auto_rename = on;
  g_ntfs_engine.auto_rename = on;
  return 1;
}

SCAVREL_API Bool8 SCAVREL_CALL GetAutoRename() { return Current().auto_rename; }

SCAVREL_API Bool8 SCAVREL_CALL GetSaveSize(const char* destination, scavrel_api::FoundNode* node,
                                           uint64_t* size) {
  Engine& engine = Current();
  return Guarded([&] { return scavrel::GetSaveSizeWin32(engine, destination, node, size); });
}

SCAVREL_API Bool8 SCAVREL_CALL SaveDeleteFile(const char* destination) {
  Engine& engine = Current();
  return Guarded([&] {
    engine.pending_save.node = nullptr;
    engine.pending_save.destination = destination ? destination : "";
    return scavrel::StartTreeSaveThread(engine);
  });
}

SCAVREL_API Bool8 SCAVREL_CALL SaveMenuFile(const char* destination, scavrel_api::FoundNode* node) {
  Engine& engine = Current();
  return Guarded([&] {
    engine.pending_save.node = node;
    engine.pending_save.destination = destination ? destination : "";
    return scavrel::StartTreeSaveThread(engine);
  });
}

SCAVREL_API Bool8 SCAVREL_CALL SaveDeleteFile1(const char* destination, uint32_t list,
                                               uint32_t selection_field, uint32_t path_field,
                                               uint32_t fourth_value, uint32_t node_field,
                                               uint32_t selection_value) {
  Engine& engine = Current();
  return Guarded([&] {
    engine.pending_save.list_destination = destination ? destination : "";
    engine.pending_save.list_arguments = {list,         selection_field, path_field,
                                          fourth_value, node_field,      selection_value};
    return scavrel::StartListSaveThread(engine);
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetProgressSave(uint64_t* done, uint64_t* total,
                                               uint64_t* counter_a, uint64_t* counter_b,
                                               OutText text, uint8_t* finished) {
  Engine& engine = Current();
  return Guarded([&] {
    return Snapshot(engine.save_progress, engine.save_flags, done, total, counter_a, counter_b,
                    text, finished);
  });
}

SCAVREL_API Bool8 SCAVREL_CALL GetSaveCounts(uint64_t* whole, uint64_t* partial, uint64_t* failed,
                                             uint64_t* source_failures,
                                             uint64_t* destination_failures) {
  Engine& engine = Current();
  return Guarded([&] {
    const scavrel::SaveCounts counts = engine.SaveCountsNow();
    if (whole) *whole = counts.whole;
    if (partial) *partial = counts.partial;
    if (failed) *failed = counts.failed;
    if (source_failures) *source_failures = counts.source_failures;
    if (destination_failures) *destination_failures = counts.destination_failures;
    return true;
  });
}

SCAVREL_API Bool8 SCAVREL_CALL FatSavePause() {
  return Pause(g_fat_engine, g_fat_engine.save_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL FatSaveContinue() {
  return Continue(g_fat_engine, g_fat_engine.save_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL FatSaveStop() { return Stop(g_fat_engine, g_fat_engine.save_flags); }
SCAVREL_API Bool8 SCAVREL_CALL NtfsSavePause() {
  return Pause(g_ntfs_engine, g_ntfs_engine.save_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL NtfsSaveContinue() {
  return Continue(g_ntfs_engine, g_ntfs_engine.save_flags);
}
SCAVREL_API Bool8 SCAVREL_CALL NtfsSaveStop() {
  return Stop(g_ntfs_engine, g_ntfs_engine.save_flags);
}

SCAVREL_API Bool8 SCAVREL_CALL TestAA() {
  MessageBoxA(nullptr, "AA", "", MB_OK);
  return 1;
}
