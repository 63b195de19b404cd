// TThread: a worker thread that hands work to the GUI thread in order: Synchronize waits for
// the call to run there, Queue does not. The GUI thread runs the calls in CheckSynchronize
// (from its message loop, woken by a message to the application window).
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "forms/Types.h"

namespace forms {

class TThread : public TObject {
 public:
  TThread();
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }
  // Waits for the thread to end; on the GUI thread it keeps running handed-over calls.
  void WaitFor();

  static void Synchronize(std::function<void()> fn);
  static void Queue(std::function<void()> fn);

 protected:
  virtual void Execute() = 0;

 private:
  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::mutex mutex_;
  std::condition_variable done_;
};

// Runs the calls handed over so far, in order; true when at least one ran. GUI thread only.
bool CheckSynchronize();
// How the GUI thread is woken when a call is handed over (set by the application object).
void SetSynchronizeWakeup(void (*wake)(void*), void* arg);
// Marks the calling thread as the GUI thread (the first thread to touch the application).
void SetMainThread();
bool IsMainThread();

}  // namespace forms
