// Pause, continue and stop of the NTFS scan inside its MFT record pass through Scavrel.dll's
// exports under Wine, over many.img (tools/ntfsvol --many: some 6,000 MFT records, most of them
// deleted files). The test polls GetProgress as the front end does and pauses as soon as the
// pass is seen under way; a pause that lands elsewhere is retried a bounded number of times.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/scavrel_dll.h"

#ifndef TOLVANE_NTFS_MANY_DIR
#error "TOLVANE_NTFS_MANY_DIR names the folder the volume builder writes many.img to"
#endif

namespace {

using scavrel::FoundNode;
using namespace scavrel_dll;

Bool8 NtfsPause() { return Call<Bool8 (*)()>("NtfsPause")(); }
Bool8 NtfsContinue() { return Call<Bool8 (*)()>("NtfsContinue")(); }
Bool8 NtfsStop() { return Call<Bool8 (*)()>("NtfsStop")(); }

std::string Image() { return ZPath(TOLVANE_NTFS_MANY_DIR, "many.img"); }

Bool8 ProcNtfs(uint8_t full) {
  return Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcNtfs")("C:\\", Image().c_str(),
                                                                        full);
}

bool WaitFinished(DWORD limit_ms) {
  DWORD start = GetTickCount();
  while (!Poll().finished) {
    if (GetTickCount() - start > limit_ms) return false;
    Sleep(2);
  }
  return true;
}

// The tree as the exports show it, with every link checked on the way.
struct TreeWalk {
  bool has_root = false;
  uint64_t reported_nodes = 0;  // GetTreeFirst's count
  uint64_t nodes = 0;
  std::set<std::string> paths;
  std::vector<std::string> faults;
};

TreeWalk WalkTree() {
  TreeWalk walk;
  FoundNode* root = nullptr;
  const uint64_t result = Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root);
  walk.reported_nodes = result >> 32;
  walk.has_root = (result & 0xFF) != 0 && root != nullptr;
  if (!walk.has_root) return walk;
  struct Item {
    FoundNode* node;
    std::string path;
  };
  std::vector<Item> stack{{root, ""}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    if (++walk.nodes > walk.reported_nodes) {
      walk.faults.push_back("more nodes reachable than the tree counts");
      return walk;
    }
    uint32_t children = 0;
    FoundNode* previous = nullptr;
    for (FoundNode* c = item.node->first_child; c != nullptr; c = c->next_sibling) {
      ++children;
      std::string path = item.path + "/" + NameOf(c);
      if (c->parent != item.node) walk.faults.push_back(path + ": parent link");
      if (c->previous_sibling != previous) walk.faults.push_back(path + ": previous sibling");
      previous = c;
      walk.paths.insert(path + (c->directory ? "/" : ""));
      stack.push_back({c, path});
    }
    if (item.node->last_child != previous) walk.faults.push_back(item.path + ": last child");
    if (item.node->child_count != children) walk.faults.push_back(item.path + ": child count");
  }
  return walk;
}

class NtfsMainPassControlDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadScavrel(); }
  static void TearDownTestSuite() { FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    std::ifstream skipped(std::string(TOLVANE_NTFS_MANY_DIR) + "/SKIPPED");
    if (skipped) {
      std::string why((std::istreambuf_iterator<char>(skipped)), {});
      GTEST_SKIP() << "many.img was not built: " << why;
    }
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(1);
  }
  void TearDown() override {
    NtfsStop();
    EXPECT_TRUE(WaitFinished(20000)) << "the scan could not be ended";
    NtfsStop();
    Call<Bool8 (*)()>("ClearRecovery")();
  }

  // An unpaused quick scan: its tree, and the MFT record count (the pass's total).
  TreeWalk Reference() {
    EXPECT_EQ(ProcNtfs(0), 1);
    EXPECT_TRUE(WaitFinished(60000));
    records_ = Poll().total;
    return WalkTree();
  }

  // Starts a scan and pauses it as soon as the MFT pass is seen under way; true when the run
  // then stands paused inside that pass (*held: the progress there).
  bool PauseInMainPass(uint8_t full, Progress* held) {
    if (ProcNtfs(full) != 1) return false;
    Progress p;
    DWORD start = GetTickCount();
    do {
      p = Poll();
    } while (!p.finished && !(p.total == records_ && p.done > 0) &&
             GetTickCount() - start < 20000);
    EXPECT_EQ(NtfsPause(), 1);
    // The worker stops at its next step.
    *held = WaitStill();
    if (!held->finished && held->total == records_ && held->done < records_) return true;
    std::printf("missed the MFT pass: paused at %llu of %llu, finished %d\n",
                static_cast<unsigned long long>(held->done),
                static_cast<unsigned long long>(held->total), held->finished);
    NtfsContinue();
    WaitFinished(30000);
    return false;
  }

  uint64_t records_ = 0;
};

TEST_F(NtfsMainPassControlDll, PauseInTheMftPassHoldsItAndContinueEndsWithTheUnpausedTree) {
  const TreeWalk reference = Reference();
  ASSERT_TRUE(reference.faults.empty()) << reference.faults.front();
  ASSERT_GT(records_, 5000u);
  ASSERT_GT(reference.paths.size(), 1000u);

  Progress held;
  bool inside = false;
  for (int attempt = 0; attempt < 8 && !inside; ++attempt) inside = PauseInMainPass(0, &held);
  ASSERT_TRUE(inside) << "the scan never stood paused in its MFT pass";
  EXPECT_EQ(NtfsPause(), 1);  // a second pause changes nothing
  // Looked at for a fixed while on purpose: nothing may move in it.
  for (int i = 0; i < 15; ++i) {
    Sleep(10);
    const Progress now = Poll();
    ASSERT_EQ(now, held) << "done " << held.done << " -> " << now.done;
  }
  ASSERT_EQ(NtfsContinue(), 1);
  ASSERT_TRUE(WaitFinished(60000)) << "the continued scan did not end";
  const Progress end = Poll();
  EXPECT_EQ(end.done, end.total);
  EXPECT_GT(end.a, held.a);

  const TreeWalk after = WalkTree();
  ASSERT_TRUE(after.faults.empty()) << after.faults.front();
  EXPECT_EQ(after.reported_nodes, reference.reported_nodes);
  EXPECT_EQ(after.nodes, reference.nodes);
  EXPECT_EQ(after.paths, reference.paths);
}

TEST_F(NtfsMainPassControlDll, StopOnAFullScanPausedInTheMftPassEndsItThereAndANewScanRuns) {
  const TreeWalk reference = Reference();
  ASSERT_TRUE(reference.faults.empty()) << reference.faults.front();
  ASSERT_GT(records_, 5000u);

  Progress held;
  bool inside = false;
  for (int attempt = 0; attempt < 8 && !inside; ++attempt) inside = PauseInMainPass(1, &held);
  ASSERT_TRUE(inside) << "the scan never stood paused in its MFT pass";
  // False while the run is unfinished; true only once the worker has ended.
  if (NtfsStop() != 0) {
    EXPECT_EQ(Poll().finished, 1) << "Stop said finished too early";
  }
  ASSERT_TRUE(WaitFinished(20000)) << "the stopped scan did not end";
  EXPECT_EQ(NtfsStop(), 1);
  // The record the worker stood in may be counted done (a stop inside its attribute walk drops
  // it); nothing after it is read. The full scan's free-cluster search still begins (it sets
  // its own total) and ends at its first step, before any lost record is taken.
  const Progress end = Poll();
  EXPECT_LE(end.done, held.done + 1) << "the MFT pass went on after the stop";
  EXPECT_LT(end.done, end.total);
  EXPECT_EQ(end.a, held.a);
  EXPECT_EQ(end.b, held.b);
  // The nodes made so far stay but are left unlinked, and the root without children is
  // pruned: the exports show no tree, and nothing reachable is out of joint.
  const TreeWalk cut = WalkTree();
  EXPECT_TRUE(cut.faults.empty());
  EXPECT_FALSE(cut.has_root);

  ASSERT_EQ(ProcNtfs(0), 1) << "a new scan after the stop was refused";
  ASSERT_TRUE(WaitFinished(60000));
  const TreeWalk again = WalkTree();
  ASSERT_TRUE(again.faults.empty()) << again.faults.front();
  EXPECT_EQ(again.nodes, reference.nodes);
  EXPECT_EQ(again.paths, reference.paths);
}

}  // namespace
