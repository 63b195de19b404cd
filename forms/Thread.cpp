// TThread and the hand-over queue to the GUI thread.
#include "forms/Thread.h"

#include <deque>
#include <future>

namespace forms {

namespace {

struct Call {
  std::function<void()> fn;
  std::promise<void>* done;  // set for Synchronize, which waits on it
};

std::mutex g_mutex;
std::deque<Call> g_calls;
void (*g_wake)(void*) = nullptr;
void* g_wake_arg = nullptr;
std::thread::id g_main = std::this_thread::get_id();

void Enqueue(std::function<void()> fn, std::promise<void>* done) {
  void (*wake)(void*);
  void* arg;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.push_back({std::move(fn), done});
    wake = g_wake;
    arg = g_wake_arg;
  }
  if (wake) wake(arg);
}

}  // namespace

void SetMainThread() { g_main = std::this_thread::get_id(); }
bool IsMainThread() { return std::this_thread::get_id() == g_main; }

void SetSynchronizeWakeup(void (*wake)(void*), void* arg) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_wake = wake;
  g_wake_arg = arg;
}

bool CheckSynchronize() {
  if (!IsMainThread()) return false;
  bool any = false;
  for (;;) {
    Call c;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_calls.empty()) return any;
      c = std::move(g_calls.front());
      g_calls.pop_front();
    }
    any = true;
    try {
      c.fn();
      if (c.done) c.done->set_value();
    } catch (...) {
      if (c.done) c.done->set_exception(std::current_exception());
    }
  }
}

void TThread::Synchronize(std::function<void()> fn) {
  if (IsMainThread()) {
    fn();
    return;
  }
  std::promise<void> done;
  auto f = done.get_future();
  Enqueue(std::move(fn), &done);
  f.get();
}

void TThread::Queue(std::function<void()> fn) {
  if (IsMainThread()) {
    // Still in order behind anything queued before.
    Enqueue(std::move(fn), nullptr);
    CheckSynchronize();
    return;
  }
  Enqueue(std::move(fn), nullptr);
}

TThread::TThread() = default;

TThread::~TThread() {
  if (thread_.joinable()) {
    Terminate();
    WaitFor();
  }
}

void TThread::Start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] {
    try {
      Execute();
    } catch (...) {
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
  });
}

void TThread::WaitFor() {
  if (!thread_.joinable()) return;
  if (IsMainThread()) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!finished_) {
      lock.unlock();
      CheckSynchronize();
      lock.lock();
      done_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }
  thread_.join();
}

}  // namespace forms
