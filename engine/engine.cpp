// Engine object construction, reset, the workers' per-step point and progress updates, the
// portable platform defaults and the name filter list.
#include "engine/engine.h"

#include <algorithm>
#include <thread>

#include "engine/run_control.h"

namespace scavrel {

Engine::Engine(EngineKind kind) : kind_(kind) {
  tree.ResetTree();
  tree.set_record_form(kind == EngineKind::kNtfs ? RecordForm::kNtfs : RecordForm::kFat);
  bounds.fill(kBoundNotSet);
  ResetVolume();
}

Engine::~Engine() {
  ResetVolume();
  name_filters.Clear();
  tree.ClearTree();
}

void Engine::ResetVolume() {
  volume_state.reset();
  volume.reset();
  scan_progress.ResetTotals();
  save_progress.ResetTotals();
}

std::unique_ptr<VolumeReader> WorkerPlatform::OpenVolume(const std::string& path,
                                                         uint32_t* error) {
  auto reader = std::make_unique<FileVolumeReader>(path);
  if (!reader->ok()) {
    if (error) *error = reader->LastErrorCode();
    return nullptr;
  }
  return reader;
}

std::string WorkerPlatform::SystemErrorText(uint32_t code) { return "Unknow Error!"; }

void* WorkerPlatform::StartThread(ThreadRoutine routine, void* parameter) {
  try {
    return new std::thread(routine, parameter);
  } catch (...) {
    return nullptr;
  }
}

void WorkerPlatform::CloseThread(void* handle) {
  auto* thread = static_cast<std::thread*>(handle);
  // Called by the thread itself as its routine ends: nobody joins a worker.
  if (thread->joinable()) thread->detach();
  delete thread;
}

WorkerPlatform& DefaultWorkerPlatform() {
  static WorkerPlatform platform;
  return platform;
}

bool Engine::ScanStep() {
  platform->PumpMessages();
  return RunStep(*this, scan_flags);
}

bool Engine::SaveStep() {
  platform->PumpMessages();
  return RunStep(*this, save_flags);
}

#define SCAVREL_LOCKED(statement)            \
  do {                                       \
    std::lock_guard<std::mutex> hold(lock);  \
    statement;                               \
  } while (0)

void Engine::SetScanTotal(uint64_t value) { SCAVREL_LOCKED(scan_progress.total = value); }
void Engine::SetScanDone(uint64_t value) { SCAVREL_LOCKED(scan_progress.done = value); }
void Engine::AddScanDone(uint64_t amount) { SCAVREL_LOCKED(scan_progress.done += amount); }
void Engine::AddScanCounterA(uint64_t amount) { SCAVREL_LOCKED(scan_progress.counter_a += amount); }
void Engine::AddScanCounterB(uint64_t amount) { SCAVREL_LOCKED(scan_progress.counter_b += amount); }
void Engine::SetScanText(std::string text) { scan_progress.text.Set(std::move(text)); }
void Engine::SetSaveTotal(uint64_t value) { SCAVREL_LOCKED(save_progress.total = value); }
void Engine::SetSaveDone(uint64_t value) { SCAVREL_LOCKED(save_progress.done = value); }
void Engine::AddSaveDone(uint64_t amount) { SCAVREL_LOCKED(save_progress.done += amount); }
void Engine::AddSaveCounterA(uint64_t amount) { SCAVREL_LOCKED(save_progress.counter_a += amount); }
void Engine::AddSaveCounterB(uint64_t amount) { SCAVREL_LOCKED(save_progress.counter_b += amount); }
void Engine::SetSaveText(std::string text) { save_progress.text.Set(std::move(text)); }

void Engine::EndScan(ScanOutcome outcome, std::string file_system) {
  std::lock_guard<std::mutex> hold(lock);
  scan_outcome = outcome;
  scan_file_system = std::move(file_system);
}

void Engine::SettleScanOutcome(bool succeeded) {
  std::lock_guard<std::mutex> hold(lock);
  // The stop first: a body that the stop ended may still report success for what it kept.
  if (scan_flags.stop != 0) scan_outcome = ScanOutcome::kStopped;
  if (scan_outcome != ScanOutcome::kNotEnded) return;
  // A body that gave up without saying why met a volume it could not use to the end.
  scan_outcome = succeeded ? ScanOutcome::kComplete : ScanOutcome::kDamaged;
}

ScanOutcome Engine::LastScanOutcome(std::string* file_system) {
  std::lock_guard<std::mutex> hold(lock);
  if (file_system != nullptr) *file_system = scan_file_system;
  return scan_outcome;
}

void Engine::NoteSavedFile(FileSaved how, uint64_t files) {
  std::lock_guard<std::mutex> hold(lock);
  switch (how) {
    case FileSaved::kWhole: save_counts.whole += files; break;
    case FileSaved::kSourceShort:
      save_counts.partial += files;
      save_counts.source_failures += files;
      break;
    case FileSaved::kDestinationShort:
      save_counts.partial += files;
      save_counts.destination_failures += files;
      break;
    case FileSaved::kSourceRefused:
      save_counts.failed += files;
      save_counts.source_failures += files;
      break;
    case FileSaved::kDestinationRefused:
      save_counts.failed += files;
      save_counts.destination_failures += files;
      break;
    case FileSaved::kCut: save_counts.partial += files; break;
  }
}

SaveCounts Engine::SaveCountsNow() {
  std::lock_guard<std::mutex> hold(lock);
  return save_counts;
}

#undef SCAVREL_LOCKED

void Engine::SetError(int32_t code, std::string text) {
  if (last_error != nullptr) last_error->Set(code, std::move(text));
}

void Engine::SetSystemError(uint32_t code) {
  SetError(static_cast<int32_t>(code), platform->SystemErrorText(code));
}

void Engine::ReportReadError(uint32_t code) {
  SetSystemError(code);
  if (read_box_shown_.exchange(1) != 0) return;
  platform->ShowReadError(last_error != nullptr ? last_error->Text() : std::string());
}

void Engine::NoteUnreadable(uint32_t code, uint64_t bytes) {
  uint32_t none = 0;
  // A failure that gives no code is still a failure: it must not read as "nothing lost".
  unreadable_error.compare_exchange_strong(none, code != 0 ? code : kErrorReadFault);
  unreadable_bytes += bytes;
}

bool Engine::ReportReadLosses() {
  if (unreadable_bytes == 0 && unreadable_error == 0) return false;
  ReportReadError(unreadable_error);
  return true;
}

void Engine::Clear() {
  if (last_error != nullptr) last_error->Reset();
  tree.ClearTree();
  scan_progress.ResetCounters();
  scan_progress.text.Clear();
  unreadable_bytes = 0;
  unreadable_error = 0;
  read_box_shown_ = 0;
  ResetVolume();
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

void SplitNameFilter(const std::string& text, TextList* list) {
  list->Clear();
  if (text.empty()) return;
  // Blanks and commas alone name no extension: as a list they would reject every file while
  // the filter dialog, which trims the items it reads back, shows an empty filter. They mean
  // no name test, as the empty text does.
  if (std::all_of(text.begin(), text.end(), [](char c) { return c == ',' || IsBlank(c); })) {
    return;
  }
  // A comma byte is never the trail byte of a double-byte character in the ANSI code pages
  // (trail bytes start at 0x40), so a byte search is multi-byte safe.
  size_t comma = text.find(',');
  if (comma == std::string::npos) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsBlank(text[begin])) ++begin;
    list->Add(text.substr(begin, end - begin));
    return;
  }
  size_t start = 0;
  while (comma != std::string::npos) {
    list->Add(text.substr(start, comma - start));
    start = comma + 1;
    comma = text.find(',', start);
  }
  list->Add(text.substr(start));
}

}  // namespace scavrel
