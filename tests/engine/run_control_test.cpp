// The run states of the scan and save threads, driven by scripted worker bodies that need no
// volume: starts, refusals, pause, continue, stop, the thread handle's life and the progress
// snapshot; and a stress run of every control from several threads at once.
#include "engine/run_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace scavrel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What the scripted bodies do and report. WorkerBody is a plain function pointer, so the
// script is process-wide; each test resets it.
struct Script {
  std::atomic<uint64_t> steps{0};
  std::atomic<bool> saw_stop{false};
  std::atomic<bool> hold_exit{false};  // after seeing stop, wait for release before returning
  std::mutex mutex;
  std::condition_variable released_cv;
  bool released = false;
  std::string destination_at_end;

  void Reset() {
    steps = 0;
    saw_stop = false;
    hold_exit = false;
    std::lock_guard<std::mutex> hold(mutex);
    released = false;
    destination_at_end.clear();
  }
  void Release() {
    {
      std::lock_guard<std::mutex> hold(mutex);
      released = true;
    }
    released_cv.notify_all();
  }
  void WaitForRelease() {
    std::unique_lock<std::mutex> hold(mutex);
    released_cv.wait(hold, [&] { return released; });
  }
};

Script g_script;

// Steps until asked to stop, then (when told so) waits to be released.
uint8_t StepUntilStopped(Engine& engine) {
  while (!engine.ScanStep()) {
    ++g_script.steps;
    engine.AddScanDone();
    std::this_thread::sleep_for(100us);
  }
  g_script.saw_stop = true;
  if (g_script.hold_exit) g_script.WaitForRelease();
  return 7;
}

// A save that waits to be released, then notes the destination it worked on.
uint8_t SaveUntilReleased(Engine& engine) {
  g_script.WaitForRelease();
  g_script.destination_at_end = engine.save.destination;
  return 1;
}

uint8_t Throws(Engine&) { throw std::runtime_error("no memory for the tables"); }

template <typename Predicate>
bool WaitFor(Predicate predicate, std::chrono::milliseconds limit = 5000ms) {
  auto deadline = Clock::now() + limit;
  while (!predicate()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// True once the worker has stopped stepping (a paused worker never steps again).
bool WaitUntilStill() {
  return WaitFor([] {
    uint64_t before = g_script.steps;
    std::this_thread::sleep_for(15ms);
    return g_script.steps == before;
  });
}

bool Finished(const RunFlags& flags) { return flags.finished == 1; }

// Stops whatever still runs so that the engine can go away.
void StopAndWait(Engine& engine, RunFlags& flags) {
  g_script.Release();
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, flags); }));
}

class RunControl : public ::testing::Test {
 protected:
  void SetUp() override { g_script.Reset(); }
  void TearDown() override {
    StopAndWait(engine, engine.scan_flags);
    StopAndWait(engine, engine.save_flags);
  }
  Engine engine{EngineKind::kFat};
};

TEST_F(RunControl, FirstStartSucceedsAndASecondStartWhileRunningIsRefusedAndStopsTheFirst) {
  engine.scan_body = &StepUntilStopped;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  EXPECT_EQ(engine.scan_flags.finished, 0);
  EXPECT_EQ(engine.scan_flags.running, 1);
  EXPECT_EQ(engine.scan_flags.stop, 0);

  bool prepared = false;
  EXPECT_FALSE(StartScanThread(engine, [&] { prepared = true; }));
  EXPECT_FALSE(prepared);  // a refused start stores nothing
  EXPECT_EQ(engine.scan_flags.stop, 1);
  ASSERT_TRUE(WaitFor([&] { return Finished(engine.scan_flags); }));
  EXPECT_TRUE(g_script.saw_stop);
  EXPECT_EQ(engine.scan_result, 7);

  // Finished: the next start is accepted again.
  EXPECT_TRUE(StartScanThread(engine, [&] { prepared = true; }));
  EXPECT_TRUE(prepared);
}

TEST_F(RunControl, PauseTwiceSuspendsOnceAndOneContinueResumes) {
  engine.scan_body = &StepUntilStopped;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  ASSERT_TRUE(WaitFor([] { return g_script.steps > 3; }));

  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));
  EXPECT_EQ(engine.scan_flags.running, 0);
  ASSERT_TRUE(WaitUntilStill());
  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));  // no second suspension to undo
  uint64_t paused_at = g_script.steps;
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(g_script.steps, paused_at);

  EXPECT_TRUE(ContinueRun(engine, engine.scan_flags));
  EXPECT_EQ(engine.scan_flags.running, 1);
  EXPECT_TRUE(WaitFor([&] { return g_script.steps > paused_at + 3; }));
  EXPECT_TRUE(ContinueRun(engine, engine.scan_flags));  // running already: nothing to do
}

TEST_F(RunControl, StopOnAPausedRunResumesItAndReportsFalseUntilTheWorkerHasFinished) {
  engine.scan_body = &StepUntilStopped;
  g_script.hold_exit = true;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  ASSERT_TRUE(PauseRun(engine, engine.scan_flags));
  ASSERT_TRUE(WaitUntilStill());

  EXPECT_FALSE(StopRun(engine, engine.scan_flags));
  EXPECT_EQ(engine.scan_flags.running, 1);  // resumed so that it sees the stop byte
  ASSERT_TRUE(WaitFor([] { return g_script.saw_stop.load(); }));
  EXPECT_FALSE(StopRun(engine, engine.scan_flags));  // the body has not returned yet
  EXPECT_EQ(engine.scan_flags.finished, 0);

  g_script.Release();
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.scan_flags); }));
  EXPECT_EQ(engine.scan_flags.running, 0);
  EXPECT_EQ(engine.scan_flags.stop, 1);
}

TEST_F(RunControl, ControlsBeforeAnyRunSucceedAndLeaveTheConstructedState) {
  for (RunFlags* flags : {&engine.scan_flags, &engine.save_flags}) {
    EXPECT_TRUE(ContinueRun(engine, *flags));
    EXPECT_TRUE(PauseRun(engine, *flags));
    EXPECT_EQ(flags->running, 0);
    EXPECT_EQ(flags->stop, 255);
    EXPECT_EQ(flags->finished, 1);
    EXPECT_TRUE(StopRun(engine, *flags));  // the constructed state counts as finished
  }
}

TEST_F(RunControl, PauseAndContinueAfterTheRunEndedChangeNothing) {
  engine.scan_body = nullptr;  // a null body just finishes
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  ASSERT_TRUE(WaitFor([&] { return Finished(engine.scan_flags); }));
  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));
  EXPECT_EQ(engine.scan_flags.running, 1);  // no thread left to pause
  EXPECT_TRUE(ContinueRun(engine, engine.scan_flags));
  EXPECT_TRUE(StopRun(engine, engine.scan_flags));
  EXPECT_EQ(engine.scan_flags.running, 0);
}

TEST_F(RunControl, ProgressBeforeAnyScanIsEmptyAndFinishedAndDoneNeverExceedsTotal) {
  ProgressSnapshot before = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
  EXPECT_EQ(before.done, 0u);
  EXPECT_EQ(before.total, 0u);
  EXPECT_EQ(before.counter_a, 0u);
  EXPECT_EQ(before.counter_b, 0u);
  EXPECT_EQ(before.text, "");
  EXPECT_EQ(before.finished, 1);

  engine.SetSaveTotal(10);
  engine.SetSaveDone(25);
  engine.AddSaveCounterA(3);
  engine.AddSaveCounterB(2);
  engine.SetSaveText("C:\\out\\a.doc");
  ProgressSnapshot save = TakeProgressSnapshot(engine.save_progress, engine.save_flags);
  EXPECT_EQ(save.done, 10u);
  EXPECT_EQ(save.total, 10u);
  EXPECT_EQ(save.counter_a, 3u);
  EXPECT_EQ(save.counter_b, 2u);
  EXPECT_EQ(save.text, "C:\\out\\a.doc");
}

// Starts threads through the portable default, counting handles handed out and closed. A
// handle may be reused once closed, so what is checked is that only open handles are closed.
class CountingPlatform : public WorkerPlatform {
 public:
  void* StartThread(ThreadRoutine routine, void* parameter) override {
    if (refuse) return nullptr;
    void* handle = WorkerPlatform::StartThread(routine, parameter);
    std::lock_guard<std::mutex> hold(mutex);
    if (!open.insert(handle).second) ++bad_closes;
    ++started;
    return handle;
  }
  void CloseThread(void* handle) override {
    {
      std::lock_guard<std::mutex> hold(mutex);
      if (open.erase(handle) != 1) ++bad_closes;
      ++closed;
    }
    WorkerPlatform::CloseThread(handle);
  }
  std::atomic<bool> refuse{false};
  std::mutex mutex;
  std::set<void*> open;
  int started = 0;
  int closed = 0;
  int bad_closes = 0;
};

TEST_F(RunControl, AThreadThatEndsAtOnceClosesItsOwnHandleExactlyOnce) {
  CountingPlatform platform;
  engine.platform = &platform;
  engine.scan_body = nullptr;
  for (int run = 0; run < 200; ++run) {
    ASSERT_TRUE(WaitFor([&] { return StartScanThread(engine, nullptr); })) << run;
  }
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.scan_flags); }));
  std::lock_guard<std::mutex> hold(platform.mutex);
  EXPECT_EQ(platform.started, 200);
  EXPECT_EQ(platform.closed, 200);
  EXPECT_TRUE(platform.open.empty());
  EXPECT_EQ(platform.bad_closes, 0);
  EXPECT_EQ(engine.scan_flags.thread, nullptr);
  engine.platform = &DefaultWorkerPlatform();
}

// Taken literally, a failed thread creation would leave the run unfinished for ever and refuse
// every later start of that kind; the run goes back to finished instead.
TEST_F(RunControl, AFailedThreadCreationIsRefusedAndLeavesTheKindStartable) {
  CountingPlatform platform;
  engine.platform = &platform;
  platform.refuse = true;
  EXPECT_FALSE(StartTreeSaveThread(engine));
  EXPECT_EQ(engine.save_flags.finished, 1);
  EXPECT_EQ(engine.save_flags.running, 0);
  EXPECT_EQ(TakeProgressSnapshot(engine.save_progress, engine.save_flags).finished, 1);

  platform.refuse = false;
  EXPECT_TRUE(StartTreeSaveThread(engine));
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.save_flags); }));
  engine.platform = &DefaultWorkerPlatform();
}

TEST_F(RunControl, ARefusedSaveStartLeavesTheRunningSaveItsOwnDestination) {
  engine.save_body = &SaveUntilReleased;
  engine.pending_save.destination = "D:\\first";
  ASSERT_TRUE(StartTreeSaveThread(engine));

  engine.pending_save.destination = "D:\\second";
  engine.pending_save.list_destination = "D:\\list";
  engine.pending_save.list_arguments = {11, 8, 0, 1, 9, 3};
  EXPECT_FALSE(StartTreeSaveThread(engine));
  EXPECT_FALSE(StartListSaveThread(engine));
  EXPECT_EQ(engine.save_flags.stop, 1);  // the running save is asked to end
  EXPECT_EQ(engine.save.destination, "D:\\first");
  EXPECT_EQ(engine.save.list_destination, "");

  g_script.Release();
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.save_flags); }));
  EXPECT_EQ(g_script.destination_at_end, "D:\\first");

  // The refused call's arguments were kept: the next list save starts with them.
  engine.list_save_body = nullptr;
  ASSERT_TRUE(StartListSaveThread(engine));
  EXPECT_EQ(engine.save.list_destination, "D:\\list");
  EXPECT_EQ(engine.save.list_arguments, (std::array<uint32_t, 6>{11, 8, 0, 1, 9, 3}));
}

// A scan resets the volume and rebuilds the tree that a save of the same engine reads: while
// one kind runs the other kind is refused, and the running one is left alone.
TEST_F(RunControl, AScanIsRefusedWhileASaveOfTheSameEngineRunsAndTheSaveGoesOn) {
  engine.save_body = &SaveUntilReleased;
  ASSERT_TRUE(StartTreeSaveThread(engine));
  bool prepared = false;
  EXPECT_FALSE(StartScanThread(engine, [&] { prepared = true; }));
  EXPECT_FALSE(prepared);
  EXPECT_EQ(engine.save_flags.stop, 0);

  Engine other(EngineKind::kNtfs);  // the other engine's scan is not affected
  other.scan_body = nullptr;
  EXPECT_TRUE(StartScanThread(other, nullptr));
  ASSERT_TRUE(WaitFor([&] { return StopRun(other, other.scan_flags); }));

  g_script.Release();
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.save_flags); }));
  engine.scan_body = &StepUntilStopped;
  EXPECT_TRUE(StartScanThread(engine, nullptr));
  EXPECT_FALSE(StartTreeSaveThread(engine));
}

TEST_F(RunControl, ABodyThatThrowsStillFinishesTheRun) {
  engine.scan_body = &Throws;
  engine.scan_result = 9;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  ASSERT_TRUE(WaitFor([&] { return Finished(engine.scan_flags); }));
  EXPECT_EQ(engine.scan_result, 0);
}

// ClearRecovery frees the found trees and closes the volumes that the workers read: while a
// scan or save of either engine runs, is paused or has not yet ended after a stop, it is
// refused and frees nothing, in neither engine.
TEST_F(RunControl, ClearRecoveryIsRefusedUntilEveryWorkerOfBothEnginesHasFinished) {
  Engine ntfs(EngineKind::kNtfs);
  LastError error;
  engine.tree.NewNode();
  ntfs.tree.NewNode();
  error.Set(5, "kept");
  auto untouched = [&] {
    return engine.tree.node_count() == 1 && ntfs.tree.node_count() == 1 && error.Code() == 5;
  };

  engine.scan_body = &StepUntilStopped;
  g_script.hold_exit = true;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  EXPECT_FALSE(ClearRecovery(ntfs, engine, error));  // running
  ASSERT_TRUE(PauseRun(engine, engine.scan_flags));
  ASSERT_TRUE(WaitUntilStill());
  EXPECT_FALSE(ClearRecovery(ntfs, engine, error));  // paused
  EXPECT_FALSE(StopRun(engine, engine.scan_flags));
  ASSERT_TRUE(WaitFor([] { return g_script.saw_stop.load(); }));
  EXPECT_FALSE(ClearRecovery(ntfs, engine, error));  // asked to stop, not yet ended
  EXPECT_TRUE(untouched());
  g_script.Release();
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.scan_flags); }));

  g_script.Reset();
  ntfs.save_body = &SaveUntilReleased;
  ASSERT_TRUE(StartTreeSaveThread(ntfs));
  EXPECT_FALSE(ClearRecovery(ntfs, engine, error));  // the other engine's save
  EXPECT_TRUE(untouched());
  g_script.Release();
  ASSERT_TRUE(WaitFor([&] { return StopRun(ntfs, ntfs.save_flags); }));

  EXPECT_TRUE(ClearRecovery(ntfs, engine, error));
  EXPECT_TRUE(engine.tree.empty());
  EXPECT_TRUE(ntfs.tree.empty());
  EXPECT_EQ(error.Code(), 0);
}

// A worker reports progress at every step while four threads pause, continue, stop, restart
// and poll at random. Whatever the interleaving, nothing deadlocks and the run can be ended.
uint8_t BusyScan(Engine& engine) {
  engine.SetScanTotal(1000000);
  while (!engine.ScanStep()) {
    engine.AddScanDone();
    engine.AddScanCounterA();
    engine.SetScanText(g_script.steps % 2 ? "C:\\long\\folder\\name\\file.txt" : "a");
    ++g_script.steps;
  }
  return 1;
}

TEST_F(RunControl, ControlsFromSeveralThreadsAtOnceNeverDeadlockOrLoseTheRun) {
  engine.scan_body = &BusyScan;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  std::atomic<bool> done{false};
  std::atomic<uint64_t> polls{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(static_cast<unsigned>(t) * 7919u + 1);
      while (!done) {
        switch (random() % 8) {
          case 0: case 1: PauseRun(engine, engine.scan_flags); break;
          case 2: case 3: ContinueRun(engine, engine.scan_flags); break;
          case 4: StopRun(engine, engine.scan_flags); break;
          case 5: StartScanThread(engine, nullptr); break;
          default: {
            ProgressSnapshot snapshot =
                TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
            EXPECT_LE(snapshot.done, snapshot.total);
            EXPECT_TRUE(snapshot.text.empty() || snapshot.text == "a" ||
                        snapshot.text == "C:\\long\\folder\\name\\file.txt");
            ++polls;
          }
        }
      }
    });
  }
  std::this_thread::sleep_for(1500ms);
  done = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_GT(polls, 0u);
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.scan_flags); }));
  EXPECT_EQ(engine.scan_flags.thread, nullptr);
}

TEST(PumpGate, PumpsAtTheFirstStepThenOnlyAfterTheInterval) {
  PumpGate gate(100);
  EXPECT_TRUE(gate.Due(5000));
  EXPECT_FALSE(gate.Due(5001));
  EXPECT_FALSE(gate.Due(5099));
  EXPECT_TRUE(gate.Due(5100));
  EXPECT_FALSE(gate.Due(5150));
  EXPECT_TRUE(gate.Due(4000));  // a clock that went back does not silence the pump
}

TEST(PumpGate, ReadsTheClockAtTheFirstStepThenOnceEveryFewSteps) {
  PumpGate gate(100);
  std::vector<int> reads;
  for (int step = 0; step < 3 * PumpGate::kStepsPerClock + 1; ++step) {
    if (gate.ClockDue()) reads.push_back(step);
  }
  const int every = PumpGate::kStepsPerClock;
  EXPECT_EQ(reads, (std::vector<int>{0, every, 2 * every, 3 * every}));
}

}  // namespace
}  // namespace scavrel
