// Run control of the engines' worker threads: starters, thread routines, pause, continue,
// stop, the per-step wait and the progress snapshot.
#include "engine/run_control.h"

#include <algorithm>

namespace scavrel {

namespace {

uint8_t RunBody(WorkerBody body, Engine& engine) {
  if (body == nullptr) return 0;
  // An exception leaving a thread would end the whole process; a body that throws has
  // simply failed.
  try {
    return body(engine);
  } catch (...) {
    return 0;
  }
}

// The end of every thread routine. The handle is taken out of its field under the lock: the
// starter holds that lock from thread creation until it has stored the handle, so a thread
// that ends at once still finds (and closes) its own handle, and only its own.
void FinishRun(Engine& engine, RunFlags& flags) {
  void* handle = nullptr;
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    handle = flags.thread;
    flags.thread = nullptr;
  }
  if (handle != nullptr) engine.platform->CloseThread(handle);
  // Set after the lock is released and after the handle is gone: this byte is the worker's
  // last touch of the engine, so whoever sees it may start a new run or drop the engine.
  flags.finished = 1;
}

void ScanThreadRoutine(void* parameter) {
  Engine& engine = *static_cast<Engine*>(parameter);
  engine.scan_result = RunBody(engine.scan_body, engine);
  engine.SettleScanOutcome(engine.scan_result != 0);
  FinishRun(engine, engine.scan_flags);
}

void TreeSaveThreadRoutine(void* parameter) {
  Engine& engine = *static_cast<Engine*>(parameter);
  RunBody(engine.save_body, engine);
  FinishRun(engine, engine.save_flags);
}

void ListSaveThreadRoutine(void* parameter) {
  Engine& engine = *static_cast<Engine*>(parameter);
  RunBody(engine.list_save_body, engine);
  FinishRun(engine, engine.save_flags);
}

bool StartRun(Engine& engine, RunFlags& flags, const RunFlags& other,
              WorkerPlatform::ThreadRoutine routine, const std::function<void()>& prepare) {
  if (!StopRun(engine, flags)) return false;
  std::lock_guard<std::mutex> hold(engine.lock);
  // Checked again under the lock, for starters racing each other. A scan resets the volume
  // and rebuilds the tree that a save reads, and a save walks that tree, so one kind does not
  // start while the other kind of the same engine is in progress.
  if (flags.finished != 1 || other.finished != 1) return false;
  if (prepare) prepare();
  flags.stop = 0;
  flags.finished = 0;
  flags.running = 1;
  flags.paused = 0;
  void* handle = engine.platform->StartThread(routine, &engine);
  if (handle == nullptr) {
    // No thread will ever finish this run: back to finished, so a later start can succeed.
    flags.finished = 1;
    flags.running = 0;
    return false;
  }
  flags.thread = handle;
  return true;
}

}  // namespace

ProgressSnapshot TakeProgressSnapshot(const RunProgress& progress, const RunFlags& flags) {
  ProgressSnapshot snapshot;
  // The finished byte first: the worker sets it after its last update, so a snapshot that says
  // finished also carries the final counts (a poller stopping at finished shows them).
  snapshot.finished = flags.finished == 1 ? 1 : 0;
  snapshot.total = progress.total;
  snapshot.done = std::min<uint64_t>(progress.done, snapshot.total);
  snapshot.counter_a = progress.counter_a;
  snapshot.counter_b = progress.counter_b;
  snapshot.text = progress.text.Get();
  return snapshot;
}

bool PauseRun(Engine& engine, RunFlags& flags) {
  std::lock_guard<std::mutex> hold(engine.lock);
  if (flags.running != 1) return true;  // paused already: a second pause is a no-op
  if (flags.thread == nullptr) return true;
  flags.paused = 1;
  flags.running = 0;
  return true;
}

bool ContinueRun(Engine& engine, RunFlags& flags) {
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    if (flags.running != 0) return true;
    if (flags.thread == nullptr) return true;
    flags.paused = 0;
    flags.running = 1;
  }
  engine.run_resumed.notify_all();
  return true;
}

bool StopRun(Engine& engine, RunFlags& flags) {
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    flags.stop = 1;
    // A paused worker must run on to see the stop byte.
    if (flags.running == 0 && flags.thread != nullptr) {
      flags.paused = 0;
      flags.running = 1;
    }
  }
  engine.run_resumed.notify_all();
  if (flags.finished != 1) return false;
  std::lock_guard<std::mutex> hold(engine.lock);
  flags.running = 0;
  return true;
}

bool StartScanThread(Engine& engine, const std::function<void()>& prepare) {
  return StartRun(engine, engine.scan_flags, engine.save_flags, &ScanThreadRoutine, [&] {
    engine.scan_outcome = ScanOutcome::kNotEnded;
    engine.scan_file_system.clear();
    if (prepare) prepare();
  });
}

bool StartTreeSaveThread(Engine& engine) {
  return StartRun(engine, engine.save_flags, engine.scan_flags, &TreeSaveThreadRoutine, [&] {
    engine.save.node = engine.pending_save.node;
    engine.save.destination = engine.pending_save.destination;
    engine.save_counts = SaveCounts{};
  });
}

bool StartListSaveThread(Engine& engine) {
  return StartRun(engine, engine.save_flags, engine.scan_flags, &ListSaveThreadRoutine, [&] {
    engine.save.list_destination = engine.pending_save.list_destination;
    engine.save.list_arguments = engine.pending_save.list_arguments;
    engine.save_counts = SaveCounts{};
  });
}

bool ClearRecovery(Engine& ntfs, Engine& fat, LastError& error) {
  // Both locks at once: a starter, which checks the finished bytes under its engine's lock,
  // cannot start a run between the test and the clear.
  std::scoped_lock hold(ntfs.lock, fat.lock);
  for (const Engine* engine : {&ntfs, &fat}) {
    if (engine->scan_flags.finished != 1 || engine->save_flags.finished != 1) return false;
  }
  error.Reset();
  for (Engine* engine : {&ntfs, &fat}) {
    engine->Clear();
    engine->scan_outcome = ScanOutcome::kNotEnded;
    engine->scan_file_system.clear();
  }
  return true;
}

bool RunStep(Engine& engine, RunFlags& flags) {
  if (flags.stop != 0) return true;
  if (flags.paused != 0) {
    std::unique_lock<std::mutex> hold(engine.lock);
    engine.run_resumed.wait(hold, [&] { return flags.paused == 0 || flags.stop != 0; });
  }
  return flags.stop != 0;
}

}  // namespace scavrel
