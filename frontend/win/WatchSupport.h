// What the three watch threads share: the hand-over of window changes to the GUI thread, the
// engine's progress snapshot, the engine's filter for the count of files a save wants, the
// thread's release once its body is done, and how the results window starts them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/found_tree.h"
#include "forms/Forms.h"

namespace vardeck {

// The engine is polled this often, and the first poll waits this long for the window.
inline constexpr unsigned kPollMilliseconds = 100;

// Runs `change` on the GUI thread and waits for it: the changes are applied in the order the
// thread hands them over, and none outlives the values it refers to.
inline void OnGui(std::function<void()> change) { forms::TThread::Synchronize(std::move(change)); }

// Frees the thread object on the GUI thread once its body has returned.
void ReleaseOnGui(forms::TThread* thread);

struct ProgressSnapshot {
  uint64_t done = 0, total = 0, counter_a = 0, counter_b = 0;
  std::string text;
  bool finished = false;
};

using ProgressExport = uint8_t(__cdecl*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**,
                                         uint8_t*);
// GetProgress or GetProgressSave.
ProgressSnapshot PollProgress(ProgressExport poll);

// Gives the results window its two watch starts: the scan's (TMyThread under the modal scan
// progress window) and the save's (TMyThreadSave or TMyThreadSavefile under the modal save
// progress window). Called once the windows exist.
void ConnectWatchThreads();

// FilterNtfsTreeNode of the engine SetNtfs chose.
std::function<bool(scavrel::FoundNode*)> EngineFilter();

}  // namespace vardeck
