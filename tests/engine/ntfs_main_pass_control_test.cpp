// Pause, continue and stop of the NTFS scan inside its main pass (the MFT record pass), on the
// engine's own scan thread started through the run-control starter, over a real volume that
// mkntfs and ntfs-3g built (many.img: some 6,000 MFT records, most of them deleted files). The
// worker platform's message pump is the test's window into the pass: at the first step past
// the middle of the MFT it hands control to the test thread, which pauses the run there as a
// user would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "engine/ntfs_volume.h"
#include "engine/run_control.h"

using namespace scavrel;
using namespace std::chrono_literals;

namespace {

const std::string kDir = TOLVANE_NTFS_MANY_DIR;
const std::string kImage = kDir + "/many.img";

// Counts the worker's steps; once armed, the first step of the main pass at or past
// `trigger_done` records waits for the test thread to release it.
class WatchingPlatform : public WorkerPlatform {
 public:
  void PumpMessages() override {
    ++steps;
    if (!armed || fired) return;
    const RunProgress& progress = engine->scan_progress;
    if (progress.total != record_count || progress.done < trigger_done) return;
    std::unique_lock<std::mutex> hold(mutex_);
    fired = true;
    changed_.notify_all();
    // Bounded, so that a broken test never leaves the worker waiting for ever.
    changed_.wait_for(hold, 10s, [&] { return released_; });
  }

  bool WaitFired(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(mutex_);
    return changed_.wait_for(hold, limit, [&] { return fired.load(); });
  }
  void Release() {
    std::lock_guard<std::mutex> hold(mutex_);
    released_ = true;
    changed_.notify_all();
  }

  Engine* engine = nullptr;
  std::atomic<uint64_t> steps{0};
  std::atomic<bool> armed{false};
  std::atomic<bool> fired{false};
  uint64_t record_count = 0;
  uint64_t trigger_done = 0;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
};

std::string Utf8(const char16_t* text) {
  std::string out;
  for (size_t i = 0; text != nullptr && text[i] != 0; ++i) {
    uint32_t c = text[i];
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {  // surrogate halves pass as themselves: the paths only need to compare equal
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The found tree as a set of paths, with every link checked on the way.
struct TreeShape {
  uint64_t node_count = 0;     // what the tree says
  uint64_t created = 0;        // nodes on the creation list
  uint64_t reachable = 0;      // nodes below (and including) the root
  uint64_t attached = 0;       // created nodes that have a parent
  std::set<std::string> paths;
  std::vector<std::string> faults;
};

TreeShape Shape(FoundTree& tree) {
  TreeShape shape;
  shape.node_count = tree.node_count();
  for (FoundNode* n = tree.FirstCreated(); n != nullptr; n = n->next_created) {
    if (++shape.created > shape.node_count + 1) {
      shape.faults.push_back("the creation list is longer than the node count");
      break;
    }
    if (n->parent != nullptr) ++shape.attached;
    uint32_t children = 0;
    FoundNode* previous = nullptr;
    for (FoundNode* c = n->first_child; c != nullptr; c = c->next_sibling) {
      if (c->parent != n) shape.faults.push_back("a child names another parent");
      if (c->previous_sibling != previous) shape.faults.push_back("a broken sibling link");
      previous = c;
      if (++children > shape.node_count) break;
    }
    if (n->child_count != children) shape.faults.push_back("child count disagrees");
    if (n->last_child != previous) shape.faults.push_back("last child disagrees");
  }
  if (tree.root() == nullptr) return shape;
  struct Item {
    FoundNode* node;
    std::string path;
  };
  std::vector<Item> stack{{tree.root(), ""}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    if (++shape.reachable > shape.node_count) {
      shape.faults.push_back("more nodes reachable than the tree counts");
      break;
    }
    for (FoundNode* c = item.node->first_child; c != nullptr; c = c->next_sibling) {
      auto* record = AsNtfsRecord(c->record);
      const char16_t* name = GetWideName(&record->long_name);
      if (name == nullptr || name[0] == 0) name = GetWideName(&record->short_name);
      std::string path = item.path + "/" + Utf8(name);
      shape.paths.insert(path + (c->directory ? "/" : ""));
      stack.push_back({c, path});
    }
  }
  return shape;
}

class NtfsMainPassControl : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream skipped(kDir + "/SKIPPED");
    if (skipped) {
      std::string why((std::istreambuf_iterator<char>(skipped)), {});
      GTEST_SKIP() << "NTFS test volumes were not built: " << why;
    }
    ASSERT_TRUE(std::ifstream(kImage).good()) << kImage;
    engine.last_error = &error;
    engine.platform = &platform;
    engine.scan_body = &NtfsScanMain;
    platform.engine = &engine;
  }
  void TearDown() override {
    // The worker must be gone before the engine and the platform go out of scope.
    platform.Release();
    StopRun(engine, engine.scan_flags);
    WaitFinished(20s);
  }

  bool Start(uint8_t extra_pass) {
    return StartScanThread(engine, [&] {
      engine.volume_device_path = kImage;
      engine.extra_pass = extra_pass;
    });
  }
  bool WaitFinished(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (engine.scan_flags.finished != 1) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }
  // An unpaused scan: its tree, and the volume's MFT record count from the scan's state.
  TreeShape Reference(uint8_t extra_pass) {
    EXPECT_TRUE(Start(extra_pass));
    EXPECT_TRUE(WaitFinished(60s));
    EXPECT_EQ(engine.scan_result, 1);
    auto* volume = dynamic_cast<NtfsVolume*>(engine.volume_state.get());
    if (volume != nullptr) platform.record_count = volume->mft_record_count;
    return Shape(engine.tree);
  }
  // Starts a scan that the worker's pump pauses past the middle of the MFT; true once the run
  // stands paused there.
  bool StartAndPauseInMainPass(uint8_t extra_pass) {
    platform.trigger_done = platform.record_count / 2;
    platform.armed = true;
    if (!Start(extra_pass)) return false;
    if (!platform.WaitFired(30s)) return false;
    const bool paused = PauseRun(engine, engine.scan_flags);
    platform.Release();
    // The worker goes from the pump straight to the pause test of the same step.
    std::this_thread::sleep_for(20ms);
    return paused;
  }

  LastError error;
  WatchingPlatform platform;
  Engine engine{EngineKind::kNtfs};
};

TEST_F(NtfsMainPassControl, PauseInTheMainPassHoldsTheScanStillAndContinueEndsWithTheUnpausedTree) {
  const TreeShape reference = Reference(0);
  ASSERT_TRUE(reference.faults.empty()) << reference.faults.front();
  ASSERT_GT(platform.record_count, 5000u) << "too few MFT records to pause inside the pass";
  ASSERT_GT(reference.paths.size(), 100u);
  const ProgressSnapshot finished = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);

  ASSERT_TRUE(StartAndPauseInMainPass(0));
  const ProgressSnapshot held = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
  const uint64_t held_steps = platform.steps;
  EXPECT_EQ(held.finished, 0);
  EXPECT_EQ(held.total, platform.record_count) << "not in the MFT pass";
  EXPECT_GE(held.done, platform.trigger_done);
  EXPECT_LT(held.done, held.total);
  EXPECT_LT(held.counter_a, finished.counter_a) << "the pause came after the last deleted file";
  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));  // a second pause changes nothing
  for (int i = 0; i < 15; ++i) {
    std::this_thread::sleep_for(10ms);
    const ProgressSnapshot now = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
    ASSERT_EQ(now.finished, 0) << "the paused scan finished";
    ASSERT_EQ(now.done, held.done) << "records were read while paused";
    ASSERT_EQ(now.counter_a, held.counter_a);
    ASSERT_EQ(now.counter_b, held.counter_b);
    ASSERT_EQ(now.text, held.text);
    ASSERT_EQ(platform.steps, held_steps) << "the worker stepped while paused";
  }
  EXPECT_EQ(engine.scan_flags.running, 0);

  ASSERT_TRUE(ContinueRun(engine, engine.scan_flags));
  ASSERT_TRUE(WaitFinished(60s)) << "the continued scan did not end";
  EXPECT_GT(platform.steps, held_steps);
  EXPECT_EQ(engine.scan_result, 1);
  const ProgressSnapshot end = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
  EXPECT_EQ(end.done, end.total);
  EXPECT_EQ(end.counter_a, finished.counter_a);
  EXPECT_EQ(end.counter_b, finished.counter_b);

  const TreeShape after = Shape(engine.tree);
  ASSERT_TRUE(after.faults.empty()) << after.faults.front();
  EXPECT_EQ(after.node_count, reference.node_count);
  EXPECT_EQ(after.reachable, reference.reachable);
  EXPECT_EQ(after.paths, reference.paths);
}

TEST_F(NtfsMainPassControl, StopOnAScanPausedInTheMainPassEndsItThereAndANewScanRuns) {
  // A full scan: the stop must also end the free-cluster pass that would follow.
  const TreeShape reference = Reference(1);
  ASSERT_TRUE(reference.faults.empty()) << reference.faults.front();
  ASSERT_GT(platform.record_count, 1000u);

  ASSERT_TRUE(StartAndPauseInMainPass(1));
  const ProgressSnapshot held = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
  ASSERT_EQ(held.total, platform.record_count) << "not in the MFT pass";
  ASSERT_EQ(held.finished, 0);

  // False while the worker has not finished; once true, the finished byte is set.
  bool stopped = StopRun(engine, engine.scan_flags);
  const auto end_by = std::chrono::steady_clock::now() + 20s;
  while (!stopped && std::chrono::steady_clock::now() < end_by) {
    EXPECT_EQ(engine.scan_flags.stop, 1);
    std::this_thread::sleep_for(1ms);
    stopped = StopRun(engine, engine.scan_flags);
  }
  ASSERT_TRUE(stopped) << "the stopped scan did not end";
  EXPECT_EQ(engine.scan_flags.finished, 1);
  EXPECT_EQ(engine.scan_flags.running, 0);
  // Stopping ends the pass at the step where the run stood; the scan still succeeds.
  EXPECT_EQ(engine.scan_result, 1);
  // The record the worker stood in may be counted done (a stop inside its attribute walk drops
  // it); nothing after it is read. The full scan's free-cluster search still begins (it sets
  // its own total) and ends at its first step, before any lost record is taken.
  const ProgressSnapshot end = TakeProgressSnapshot(engine.scan_progress, engine.scan_flags);
  EXPECT_LE(end.done, held.done + 1);
  EXPECT_LT(end.done, end.total);
  EXPECT_EQ(end.counter_a, held.counter_a);
  EXPECT_EQ(end.counter_b, held.counter_b);

  // The nodes made so far stay, unlinked: no catch-all folder, and the root, left without
  // children, pruned.
  const TreeShape cut = Shape(engine.tree);
  ASSERT_TRUE(cut.faults.empty()) << cut.faults.front();
  EXPECT_EQ(cut.created, cut.node_count);
  EXPECT_GT(cut.node_count, 0u);
  EXPECT_LT(cut.node_count, reference.node_count);
  EXPECT_EQ(cut.attached, 0u);
  EXPECT_EQ(engine.tree.root(), nullptr);

  platform.armed = false;
  ASSERT_TRUE(Start(1)) << "a new scan after the stop was refused";
  ASSERT_TRUE(WaitFinished(60s));
  EXPECT_EQ(engine.scan_result, 1);
  const TreeShape again = Shape(engine.tree);
  ASSERT_TRUE(again.faults.empty()) << again.faults.front();
  EXPECT_EQ(again.node_count, reference.node_count);
  EXPECT_EQ(again.paths, reference.paths);
}

}  // namespace
