// The two engine objects (FAT and NTFS) with everything the exported interface reads and
// writes: run flags and progress, the found tree, filters, save arguments. Portable: the Win32
// glue adds thread handles and the volume handle around it.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/found_tree.h"
#include "engine/run_outcome.h"
#include "engine/text_list.h"
#include "engine/volume_reader.h"

namespace scavrel {

enum class EngineKind : uint8_t { kFat, kNtfs };

// A text that one thread replaces while others copy it (the progress texts): copies never see
// a half-written text.
class SharedText {
 public:
  void Set(std::string text) {
    std::lock_guard<std::mutex> hold(mutex_);
    text_ = std::move(text);
  }
  std::string Get() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return text_;
  }
  void Clear() { Set(std::string()); }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

// The last error of both engines: a system error code with its text, or one of the engine's
// own codes (2815, 2816, 1023, 1024, 1025, 1028).
class LastError {
 public:
  void Set(int32_t code, std::string text) {
    std::lock_guard<std::mutex> hold(mutex_);
    code_ = code;
    text_ = std::move(text);
  }
  void Reset() { Set(0, std::string()); }
  int32_t Code() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return code_;
  }
  std::string Text() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return text_;
  }

 private:
  mutable std::mutex mutex_;
  int32_t code_ = 0;
  std::string text_;
};

// Run flags of one kind of run (scan or save) of one engine. Single bytes, read without the
// lock by the pollers and the worker's per-step stop test; written under the engine lock.
struct RunFlags {
  std::atomic<uint8_t> running{0};
  std::atomic<uint8_t> stop{255};
  std::atomic<uint8_t> finished{1};
  // A pause asked for and not yet lifted: the worker waits at its next step. Pausing there,
  // and not wherever the thread happens to be, keeps a paused worker from holding the lock.
  std::atomic<uint8_t> paused{0};
  // The platform's handle of the worker thread while one exists (under the engine lock).
  void* thread = nullptr;
};

// Progress of one kind of run: done / total, two counters, the current item's text.
struct RunProgress {
  std::atomic<uint64_t> total{0};
  std::atomic<uint64_t> done{0};
  std::atomic<uint64_t> counter_a{0};
  std::atomic<uint64_t> counter_b{0};
  SharedText text;

  void ResetCounters() {
    counter_a = 0;
    counter_b = 0;
  }
  void ResetTotals() {
    total = 0;
    done = 0;
  }
};

// What the platform gives the engine's workers: opening the volume, the thread's message
// pump, system error texts and the "Read" message box. The defaults serve portable tests.
class WorkerPlatform {
 public:
  virtual ~WorkerPlatform() = default;
  // Opens a volume device path (or an image file) read-only; null with *error set on failure.
  virtual std::unique_ptr<VolumeReader> OpenVolume(const std::string& path, uint32_t* error);
  virtual void PumpMessages() {}
  // The system's message text for an error code, or "Unknow Error!".
  virtual std::string SystemErrorText(uint32_t code);
  // Shows a failed volume read to the user (a message box captioned "Read" on Windows).
  virtual void ShowReadError(const std::string& text) {}

  using ThreadRoutine = void (*)(void* parameter);
  // Starts routine(parameter) on a new thread at once; its handle, or null when no thread
  // could be made.
  virtual void* StartThread(ThreadRoutine routine, void* parameter);
  // Releases a handle StartThread gave, once; the thread itself may be the caller.
  virtual void CloseThread(void* handle);
};

WorkerPlatform& DefaultWorkerPlatform();

// Per-scan volume state a scanner keeps in its engine (boot sector copy, tables, run lists):
// the save path reads through it after the scan.
//
// The save path copies clusters through the geometry the scanner found.
struct VolumeGeometry {
  uint32_t bytes_per_sector = 0;
  uint32_t sectors_per_cluster = 0;
  uint64_t first_data_sector = 0;   // FAT: sector of cluster 2; NTFS: 0
  uint32_t sectors_per_record = 0;  // NTFS: sectors of one MFT record; FAT: 0
};

class VolumeState {
 public:
  virtual ~VolumeState() = default;
  // The scanned volume's geometry; false when the scan did not get that far.
  virtual bool Geometry(VolumeGeometry* out) const { return false; }
};

// How one file of a save ended (counted into SaveCounts by NoteSavedFile).
enum class FileSaved : uint8_t {
  kWhole,
  kSourceShort,         // written, but the volume could not give all of it
  kDestinationShort,    // created, but a write was refused
  kSourceRefused,       // nothing written: its data could not be read
  kDestinationRefused,  // nothing written: the destination refused the file or its folder
  kCut,                 // written in part when the user stopped the save
};

class Engine;
using WorkerBody = uint8_t (*)(Engine& engine);

enum FilterBoundIndex {
  kSizeMin,
  kSizeMax,
  kCreateMin,
  kCreateMax,
  kModifyMin,
  kModifyMax,
  kFilterBoundCount,
};

constexpr int64_t kBoundNotSet = -1;

class Engine {
 public:
  explicit Engine(EngineKind kind);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  EngineKind kind() const { return kind_; }
  bool is_ntfs() const { return kind_ == EngineKind::kNtfs; }

  // Resets the volume reading state (reader closed, tables freed) and the progress totals.
  void ResetVolume();
  // What a scan starts from and ClearRecovery leaves: last error cleared, tree freed, scan
  // counters and text cleared, the read losses forgotten, volume state reset.
  void Clear();

  // --- run state -----------------------------------------------------------------------------
  // The workers change it through the helpers below (under `lock`); the exports' pollers and
  // starters read and set it. Each kind of run has its own flags and progress.
  std::mutex lock;  // guards run flags and progress updates
  std::condition_variable run_resumed;  // a paused worker waits on it (with `lock`)
  RunFlags scan_flags;
  RunFlags save_flags;
  RunProgress scan_progress;
  RunProgress save_progress;
  uint8_t scan_result = 0;

  // How the last scan ended, and the file system its first sector announced when it was not
  // this engine's (under `lock`). The scan starter and ClearRecovery reset them; a scan body
  // sets them where it gives up (EndScan); the thread routine settles the rest from the body's
  // result.
  ScanOutcome scan_outcome = ScanOutcome::kNotEnded;
  std::string scan_file_system;
  void EndScan(ScanOutcome outcome, std::string file_system = std::string());
  void SettleScanOutcome(bool succeeded);
  ScanOutcome LastScanOutcome(std::string* file_system);

  // The running (or last) save's file counts (under `lock`): reset by the save starters,
  // counted by the per-file steps through NoteSavedFile.
  SaveCounts save_counts;
  void NoteSavedFile(FileSaved how, uint64_t files = 1);
  SaveCounts SaveCountsNow();

  // --- the volume --------------------------------------------------------------------------
  // The exports name it before a scan; the scan opens `volume` and leaves its geometry and
  // tables in `volume_state`, through which the saves read it afterwards. A save never
  // replaces either: only a scan (or ClearRecovery) resets them.
  std::string volume_device_path;
  std::string root_name = "ROOT";
  uint8_t extra_pass = 0;  // the scan also searches free clusters for lost folders and records
  std::unique_ptr<VolumeReader> volume;
  std::unique_ptr<VolumeState> volume_state;

  // --- the found tree ----------------------------------------------------------------------
  // Built by the scan alone; the saves, the filters and the front end (through the exports)
  // read it. The filters are set through the exports and applied by the saves and the views.
  FoundTree tree;
  std::array<int64_t, kFilterBoundCount> bounds;
  TextList name_filters;

  // --- save settings -----------------------------------------------------------------------
  struct SaveArguments {
    FoundNode* node = nullptr;  // null: the whole tree
    std::string destination;
    std::string list_destination;
    std::array<uint32_t, 6> list_arguments{};
  };
  // What SaveDeleteFile, SaveMenuFile and SaveDeleteFile1 stored last.
  SaveArguments pending_save;
  // The arguments of the running (or last) save: copied from pending_save by the starter
  // when a save starts, so a refused start never changes what a running save works on. The
  // saves read these and auto_rename, never pending_save.
  SaveArguments save;
  uint8_t auto_rename = 1;

  // --- what the workers use ---------------------------------------------------------------
  WorkerPlatform* platform = &DefaultWorkerPlatform();
  LastError* last_error = nullptr;  // shared by both engines; set by the library at load

  // The work of each kind of run; set by the library at load, replaced by tests.
  WorkerBody scan_body = nullptr;
  WorkerBody save_body = nullptr;
  WorkerBody list_save_body = nullptr;

  // The per-step point of every worker loop: pumps the thread's messages, waits while the run
  // is paused, and tells whether the run must stop (stop byte not 0). A pause takes effect
  // here and only here, so a worker must never call it while it holds `lock`.
  bool ScanStep();
  bool SaveStep();

  // Progress updates, each under the engine lock.
  void SetScanTotal(uint64_t total);
  void SetScanDone(uint64_t done);
  void AddScanDone(uint64_t amount = 1);
  void AddScanCounterA(uint64_t amount = 1);  // deleted files kept
  void AddScanCounterB(uint64_t amount = 1);  // folders kept
  void SetScanText(std::string text);
  void SetSaveTotal(uint64_t total);
  void SetSaveDone(uint64_t done);
  void AddSaveDone(uint64_t amount = 1);
  void AddSaveCounterA(uint64_t amount = 1);  // files saved
  void AddSaveCounterB(uint64_t amount = 1);  // folders created
  void SetSaveText(std::string text);

  // The last-error pair: an engine code with its text, or a system error with the system's
  // text. ReportReadError also shows the text to the user ("Read" message box).
  void SetError(int32_t code, std::string text);
  void SetSystemError(uint32_t code);
  // Sets the system error and shows the "Read" box, at most once a scan: on a failing disk a
  // box per bad sector would hold the scan at every one of them.
  void ReportReadError(uint32_t code);

  // --- reads given up ----------------------------------------------------------------------
  // A scan that cannot read a stretch of the volume goes on without what lies there; these
  // count what was lost since the last Clear, and the first failure's system error code.
  std::atomic<uint64_t> unreadable_bytes{0};
  std::atomic<uint32_t> unreadable_error{0};
  // Notes `bytes` of the volume that could not be read (`code`: the read's system error).
  void NoteUnreadable(uint32_t code, uint64_t bytes);
  // At the end of a scan that went on past unreadable stretches: the first failure becomes the
  // last error and the user is told through the "Read" box (unless a box was shown already).
  // True when anything was lost.
  bool ReportReadLosses();

 private:
  EngineKind kind_;
  std::atomic<uint8_t> read_box_shown_{0};
};

// SplitNameFilter: replaces the engine's name filter list with the items of a
// comma-separated text. A single item is trimmed; items of a list are kept as written. A text
// of nothing but blanks and commas leaves the list empty (no name test).
void SplitNameFilter(const std::string& text, TextList* list);

}  // namespace scavrel
