// Starting, pausing, continuing and stopping an engine's scan and save threads, and the
// progress snapshot the pollers read. Portable: threads come from the engine's platform.
//
// Run states of one kind of run (stop, finished, running bytes):
//   constructed (255, 1, 0) -> starter -> running (0, 0, 1) <-> paused (0, 0, 0)
//   StopRun -> stop requested (1, 0, 1) -> worker ends -> finished (stop, 1, running)
// A new run of a kind starts only from that kind's finished state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine.h"

namespace scavrel {

// The six values GetProgress and GetProgressSave hand out.
struct ProgressSnapshot {
  uint64_t done = 0;  // never more than total
  uint64_t total = 0;
  uint64_t counter_a = 0;
  uint64_t counter_b = 0;
  std::string text;
  uint8_t finished = 1;
};

ProgressSnapshot TakeProgressSnapshot(const RunProgress& progress, const RunFlags& flags);

// Pause and continue act on a running thread only; with none they succeed and change nothing.
bool PauseRun(Engine& engine, RunFlags& flags);
bool ContinueRun(Engine& engine, RunFlags& flags);
// Asks the run to stop (resuming it when paused); true once the run has finished.
bool StopRun(Engine& engine, RunFlags& flags);

// The starters: false when a run of that kind is still in progress (it has now been asked to
// stop), when the engine's other kind of run is in progress, or when no thread could be made.
// `prepare` stores the scan's arguments once the start is accepted, under the engine lock.
bool StartScanThread(Engine& engine, const std::function<void()>& prepare);
// The save starters take their arguments from engine.pending_save.
bool StartTreeSaveThread(Engine& engine);
bool StartListSaveThread(Engine& engine);

// ClearRecovery's work on both engines (error, trees, scan counters and text, volumes). The
// trees and volumes are what running workers read, so while any scan or save of either engine
// has not finished (running, paused, or asked to stop and not yet ended) nothing is freed and
// the result is false.
bool ClearRecovery(Engine& ntfs, Engine& fat, LastError& error);

// The per-step point of a worker: waits while the run is paused; true when it must stop.
bool RunStep(Engine& engine, RunFlags& flags);

// Decides when a worker really pumps its message queue: at its first step, then only when
// `interval` ticks have passed since the last pump. Pumping costs a server round trip under
// Wine (tens of microseconds), far more than a step of a scan loop; so does reading the clock
// (some 160 ns under Wine, where a FAT scan takes a step per table entry): ClockDue says at
// which steps the clock is worth reading at all, the first one and every kStepsPerClock-th.
class PumpGate {
 public:
  static constexpr int kStepsPerClock = 32;

  explicit PumpGate(int64_t interval) : interval_(interval) {}
  bool ClockDue() {
    if (--steps_left_ > 0) return false;
    steps_left_ = kStepsPerClock;
    return true;
  }
  bool Due(int64_t now) {
    if (pumped_ && now - last_ < interval_ && now >= last_) return false;
    pumped_ = true;
    last_ = now;
    return true;
  }

 private:
  int64_t interval_;
  int64_t last_ = 0;
  bool pumped_ = false;
  int steps_left_ = 1;
};

}  // namespace scavrel
