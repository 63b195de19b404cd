// Run control of the FAT scan through Scavrel.dll under Wine: pause, continue and stop while the
// worker is inside a chosen pass, and the "Read" message box that the worker raises, found and
// closed from here so that the run never waits on a person.
//
// The volume (tools/fatvol, fat32_control.img) holds a known number of deleted files for each
// pass; the passes note their files in order, so the deleted-file counter alone tells which pass
// a paused worker stands in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/read_box.h"
#include "tests/engine/scavrel_dll.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using scavrel::testing::FindReadBoxWindow;
using scavrel::testing::MessageText;
using scavrel::testing::ReadBoxText;
using scavrel::testing::WaitClosingReadBoxes;

using namespace scavrel_dll;

std::string WinPath(const std::string& name) { return ZPath(TOLVANE_FATVOL_DIR, name); }

Bool8 ProcFat(const std::string& device, uint8_t full) {
  return Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcFat")("X:\\", device.c_str(),
                                                                      full);
}
Bool8 FatPause() { return Call<Bool8 (*)()>("FatPause")(); }
Bool8 FatContinue() { return Call<Bool8 (*)()>("FatContinue")(); }
Bool8 FatStop() { return Call<Bool8 (*)()>("FatStop")(); }

// Bounded: a scan of these volumes takes well under a second.
Progress WaitForScan(DWORD limit_ms = 30000) {
  Progress p;
  DWORD start = GetTickCount();
  for (;;) {
    p = Poll();
    // A snapshot may mix two moments (counters read before the flag): once the flag is seen,
    // read again for the final values.
    if (p.finished) return Poll();
    if (GetTickCount() - start > limit_ms) break;
    Sleep(2);
  }
  ADD_FAILURE() << "scan did not finish";
  return p;
}

// Deleted files per pass, as the builder wrote them down.
struct PassCounts {
  uint64_t root = 0, live = 0, deleted = 0, lost = 0;
};

PassCounts ReadCounts() {
  PassCounts c;
  std::ifstream in(std::string(TOLVANE_FATVOL_DIR) + "/fat32_control.counts");
  in >> c.root >> c.live >> c.deleted >> c.lost;
  return c;
}

// The tree as the exports show it, with every link checked on the way.
struct TreeWalk {
  uint64_t reported_nodes = 0;  // GetTreeFirst's count
  uint64_t nodes = 0;
  uint64_t files = 0;
  uint64_t empty_folders = 0;
  std::multiset<std::string> paths;
  std::vector<std::string> faults;
};

TreeWalk WalkTree() {
  TreeWalk walk;
  FoundNode* root = nullptr;
  uint64_t result = Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root);
  walk.reported_nodes = result >> 32;
  if ((result & 0xFF) == 0 || root == nullptr) return walk;
  if (root->parent != nullptr) walk.faults.push_back("the root has a parent");
  struct Item {
    FoundNode* node;
    std::string path;
  };
  std::vector<Item> stack{{root, ""}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    FoundNode* node = item.node;
    ++walk.nodes;
    if (walk.nodes > walk.reported_nodes + 1) {
      walk.faults.push_back("more nodes reachable than the tree counts (a cycle?)");
      return walk;
    }
    uint32_t children = 0;
    FoundNode* previous = nullptr;
    for (FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
      ++children;
      std::string path = item.path + "/" + NameOf(c);
      if (c->parent != node) walk.faults.push_back(path + ": parent link");
      if (c->previous_sibling != previous) walk.faults.push_back(path + ": previous sibling");
      if (c->depth != node->depth + 1) walk.faults.push_back(path + ": depth");
      previous = c;
      stack.push_back({c, path});
    }
    if (node->last_child != previous) walk.faults.push_back(item.path + ": last child");
    if (node->child_count != children) walk.faults.push_back(item.path + ": child count");
    if ((node->has_children != 0) != (children != 0)) {
      walk.faults.push_back(item.path + ": has-children flag");
    }
    if (node->directory == 0) {
      ++walk.files;
      walk.paths.insert(item.path);
      if (children != 0) walk.faults.push_back(item.path + ": a file with children");
    } else if (children == 0) {
      ++walk.empty_folders;
    }
  }
  if (walk.nodes != walk.reported_nodes) {
    walk.faults.push_back("reachable nodes " + std::to_string(walk.nodes) + ", counted " +
                          std::to_string(walk.reported_nodes));
  }
  return walk;
}

std::string Faults(const TreeWalk& walk) {
  std::string all;
  for (size_t i = 0; i < walk.faults.size() && i < 10; ++i) all += walk.faults[i] + "\n";
  return all;
}

class FatControlDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadScavrel(); }
  static void TearDownTestSuite() { FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(0);
    counts_ = ReadCounts();
    ASSERT_NE(counts_.root, 0u) << "no counts beside fat32_control.img";
  }
  void TearDown() override {
    // Whatever a failed test left running ends here (a "Read" box left up included), so the
    // next test can start its scan.
    FatStop();
    WaitClosingReadBoxes([] { return Poll().finished != 0; }, 15000);
    EXPECT_EQ(Poll().finished, 1) << "the scan could not be ended";
  }
  uint64_t AllFiles() const { return counts_.root + counts_.live + counts_.deleted + counts_.lost; }

  // Starts a full scan and pauses it once the deleted-file counter has passed `after`; true when
  // the worker then stands paused with the counter below `before` (so inside the pass that
  // notes files `after` to `before`). False when the scan ran past it: the caller tries again.
  bool PauseInside(uint64_t after, uint64_t before, Progress* paused) {
    EXPECT_EQ(ProcFat(WinPath("fat32_control.img"), 1), 1);
    // The counters still hold the last scan's values until the worker clears them.
    Progress p;
    DWORD start = GetTickCount();
    bool cleared = false;
    do {
      p = Poll();
      cleared = cleared || p.a <= after;
    } while (!p.finished && (!cleared || p.a <= after) && GetTickCount() - start < 20000);
    EXPECT_EQ(FatPause(), 1);
    // The worker stops at its next step.
    *paused = WaitStill();
    if (!paused->finished && paused->a > after && paused->a < before) return true;
    std::printf("missed the pass: paused with %llu files, finished %d\n",
                static_cast<unsigned long long>(paused->a), paused->finished);
    EXPECT_EQ(FatContinue(), 1);
    WaitForScan();
    return false;
  }

  PassCounts counts_;
};

TEST_F(FatControlDll, PauseHoldsTheScanStillAndContinueEndsWithTheUnpausedTree) {
  ASSERT_EQ(ProcFat(WinPath("fat32_control.img"), 1), 1);
  Progress whole = WaitForScan();
  ASSERT_EQ(whole.a, AllFiles());
  TreeWalk reference = WalkTree();
  ASSERT_TRUE(reference.faults.empty()) << Faults(reference);
  ASSERT_EQ(reference.files, AllFiles());

  // Paused at once (while the table loads) and paused in the middle of the lost-folder pass,
  // where every cluster read moves the done value.
  const uint64_t before_lost = counts_.root + counts_.live + counts_.deleted;
  for (int where = 0; where < 2; ++where) {
    SCOPED_TRACE(where == 0 ? "paused at the start" : "paused in the lost-folder pass");
    Progress held;
    if (where == 0) {
      ASSERT_EQ(ProcFat(WinPath("fat32_control.img"), 1), 1);
      ASSERT_EQ(FatPause(), 1);
      // The worker first clears the last scan's tree and counters (a while, for a big tree on
      // a busy machine) and stops at its first step, in the table load; nothing it shows
      // changes from there until the root pass.
      DWORD start = GetTickCount();
      do {
        held = Poll();
      } while ((held.a != 0 || !held.text.empty()) && GetTickCount() - start < 10000);
      held = WaitStill();
    } else {
      bool inside = false;
      for (int attempt = 0; attempt < 8 && !inside; ++attempt) {
        inside = PauseInside(before_lost + counts_.lost / 4, UINT64_MAX, &held);
      }
      ASSERT_TRUE(inside) << "the scan never stood paused in the lost-folder pass";
    }
    ASSERT_EQ(held.finished, 0);
    EXPECT_EQ(FatPause(), 1);  // a second pause changes nothing
    Sleep(200);  // a fixed while on purpose: nothing may move in it
    Progress later = Poll();
    EXPECT_EQ(later, held) << "done " << held.done << " -> " << later.done << ", files " << held.a
                           << " -> " << later.a;
    ASSERT_EQ(FatContinue(), 1);
    Progress end = WaitForScan();
    EXPECT_EQ(end.a, whole.a);
    EXPECT_EQ(end.b, whole.b);
    TreeWalk walk = WalkTree();
    EXPECT_TRUE(walk.faults.empty()) << Faults(walk);
    EXPECT_EQ(walk.nodes, reference.nodes);
    EXPECT_EQ(walk.paths, reference.paths);
  }
}

// The results window's way back calls ClearRecovery; while a scan stands paused it would free
// the tables and the tree under the worker. It is refused, and the scan ends as if untouched.
TEST_F(FatControlDll, ClearRecoveryDuringAPausedScanIsRefusedAndTheScanEndsWithItsTree) {
  auto clear = Call<Bool8 (*)()>("ClearRecovery");
  ASSERT_EQ(ProcFat(WinPath("fat32_control.img"), 1), 1);
  WaitForScan();
  TreeWalk reference = WalkTree();
  ASSERT_EQ(reference.files, AllFiles());

  ASSERT_EQ(ProcFat(WinPath("fat32_control.img"), 1), 1);
  ASSERT_EQ(FatPause(), 1);
  EXPECT_EQ(clear(), 0);  // the worker still on its way to the pause
  WaitStill();
  EXPECT_EQ(clear(), 0);  // and standing in it
  ASSERT_EQ(FatContinue(), 1);
  Progress end = WaitForScan();
  EXPECT_EQ(end.a, AllFiles());
  TreeWalk walk = WalkTree();
  EXPECT_TRUE(walk.faults.empty()) << Faults(walk);
  EXPECT_EQ(walk.paths, reference.paths);

  EXPECT_EQ(clear(), 1);  // finished: the tree goes
  FoundNode* root = nullptr;
  EXPECT_EQ(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
}

TEST_F(FatControlDll, StopInEachPassFinishesWithAConsistentTree) {
  struct Pass {
    const char* name;
    uint64_t after, before;
    bool pruned;  // only a stop in the lost-folder pass lets the scan prune and succeed
  };
  const PassCounts& c = counts_;
  const uint64_t live_end = c.root + c.live;
  const uint64_t deleted_end = live_end + c.deleted;
  const Pass passes[] = {
      {"root pass", c.root / 4, c.root, false},
      {"live folders", c.root + c.live / 4, live_end, false},
      {"deleted folders", live_end + c.deleted / 4, deleted_end, false},
      // Past its last lost folder the pass still reads the free clusters up to the end.
      {"lost folders", deleted_end + c.lost / 4, AllFiles() + 1, true},
  };
  for (const Pass& pass : passes) {
    SCOPED_TRACE(pass.name);
    Progress held;
    bool inside = false;
    for (int attempt = 0; attempt < 8 && !inside; ++attempt) {
      inside = PauseInside(pass.after, pass.before, &held);
    }
    ASSERT_TRUE(inside) << "the scan never stood paused in this pass";
    // Stop on a paused scan lets it run on to see the stop. It reports false while the run is
    // unfinished; the worker may see the stop and end before Stop looks, and then it is true.
    if (FatStop() != 0) {
      EXPECT_EQ(Poll().finished, 1) << "Stop said finished too early";
    }
    Progress end = WaitForScan(10000);
    ASSERT_EQ(end.finished, 1);
    EXPECT_EQ(FatStop(), 1);
    // The worker stood before its next step; stopped there, it notes nothing more.
    EXPECT_EQ(end.a, held.a);
    TreeWalk walk = WalkTree();
    EXPECT_TRUE(walk.faults.empty()) << Faults(walk);
    // Nothing takes a file node away, pruned or not.
    EXPECT_EQ(walk.files, end.a);
    if (pass.pruned) {
      EXPECT_EQ(walk.empty_folders, 0u);
    } else {
      EXPECT_GT(walk.empty_folders, 0u) << "an unpruned tree keeps its empty folders";
    }
  }
  // The engine takes a new scan at once, and it runs to its end.
  ASSERT_EQ(ProcFat(WinPath("fat32_control.img"), 0), 1);
  Progress last = WaitForScan();
  EXPECT_EQ(last.a, c.root + c.live + c.deleted);
}

TEST_F(FatControlDll, ReadBoxOfAnUnreadableVolumeIsClosedAndTheScanFinishes) {
  // An empty image opens, but the read of its first sector comes back short: the scan reports
  // the read failure in the "Read" box on its worker thread and waits there for OK.
  ASSERT_EQ(ProcFat(WinPath("unreadable.img"), 0), 1);
  char display[256] = {};
  const bool have_display = GetEnvironmentVariableA("DISPLAY", display, sizeof(display)) != 0;

  HWND box = nullptr;
  DWORD start = GetTickCount();
  while (box == nullptr && GetTickCount() - start < 15000) {
    box = FindReadBoxWindow();
    if (box == nullptr) {
      // Without a screen the box cannot be made, and the scan simply ends.
      if (!have_display && Poll().finished) break;
      Sleep(20);
    }
  }
  if (box == nullptr) {
    Progress p = Poll();
    if (!have_display && p.finished) {
      GTEST_SKIP() << "no DISPLAY: the box could not be shown and the scan ended at once";
    }
    FAIL() << "no \"Read\" box appeared within 15 s (scan finished: " << int(p.finished) << ")";
  }

  // The box waits for its button: the scan is not finished while it is up.
  EXPECT_EQ(Poll().finished, 0);
  EXPECT_EQ(ReadBoxText(box), MessageText(ERROR_HANDLE_EOF))
      << "the box shows the failed read's system text";

  PostMessageA(box, WM_COMMAND, IDOK, 0);
  Progress p = WaitForScan(10000);
  ASSERT_EQ(p.finished, 1);
  EXPECT_EQ(p.a, 0u);
  EXPECT_EQ(FindReadBoxWindow(), nullptr);
  FoundNode* root = nullptr;
  EXPECT_EQ(Call<uint64_t (*)(FoundNode**)>("GetTreeFirst")(&root) & 0xFF, 0u);
  // The engine is not left stuck: a scan of a good volume runs next.
  ASSERT_EQ(ProcFat(WinPath("fat32_control.img"), 0), 1);
  EXPECT_EQ(WaitForScan().a, counts_.root + counts_.live + counts_.deleted);
}

}  // namespace
}  // namespace scavrel::fat::testing
