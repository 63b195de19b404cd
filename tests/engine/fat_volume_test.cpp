// The FAT scan over real volumes that mkfs.fat and mtools built (tools/fatvol/build_volumes.py,
// run by the ctest fixture into the build tree): quick and full scans against the builder's
// manifest, and against what The Sleuth Kit's fls lists as deleted on the same image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/engine/fat_manifest.h"
#include "tests/engine/fat_test_support.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

std::string VolumePath(const std::string& name, const char* ext) {
  return std::string(TOLVANE_FATVOL_DIR) + "/" + name + ext;
}

auto ReadVolumeManifest(const std::string& name) { return ReadManifest(VolumePath(name, ".tsv")); }

class FatVolumeScan : public ::testing::TestWithParam<const char*> {};

TEST_P(FatVolumeScan, QuickAndFullScansFindEveryReachableDeletedFileAndNothingLive) {
  const std::string name = GetParam();
  auto manifest = ReadVolumeManifest(name);
  ASSERT_FALSE(manifest.empty()) << "no manifest for " << name;
  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "full scan" : "quick scan");
    ScanRig rig;
    ASSERT_EQ(rig.ScanFile(VolumePath(name, ".img"), full), 1);
    EXPECT_EQ(rig.error.Code(), 0);
    EXPECT_EQ(TreeFault(rig.engine.tree), "");
    TreeView view = View(rig.engine.tree);
    Expectation expect(manifest, full);

    std::set<std::string> allowed;
    size_t must = 0;
    for (auto& [path, e] : manifest) {
      if (e.dir || e.state == "live") continue;
      std::string where = expect.TreePath(e);
      if (!where.empty()) allowed.insert(where);
      if (!expect.MustFind(e)) continue;
      ++must;
      EXPECT_TRUE(view.Has(where)) << path << " expected at " << where;
    }
    for (FoundNode* node : view.file_nodes) {
      std::string path = PathOf(node);
      EXPECT_TRUE(allowed.count(path)) << "found " << path << ", which the manifest keeps live or never had";
      for (auto& [mpath, e] : manifest) {
        if (!e.dir && e.state != "live" && expect.TreePath(e) == path) {
          EXPECT_EQ(SizeOf(node), e.size) << path;
        }
      }
    }
    EXPECT_EQ(rig.engine.scan_progress.counter_a.load(), view.files.size());
    EXPECT_EQ(view.files.size(), must);
    EXPECT_EQ(rig.engine.scan_progress.counter_b.load(), expect.FolderCount());
    EXPECT_LE(rig.engine.scan_progress.done.load(), rig.engine.scan_progress.total.load());
    if (must == 0) EXPECT_TRUE(rig.engine.tree.empty());
  }
}

// fls -r -d -p lists the deleted entries it finds; every deleted file it names must be in our
// tree unless a stated reason keeps it out. Every volume holds deleted files fls can see, so
// an empty or failed listing is a fault of the comparison, not a pass.
TEST_P(FatVolumeScan, EveryDeletedFileThatFlsNamesIsInTheTree) {
  const std::string name = GetParam();
  if (std::system("command -v fls >/dev/null 2>&1") != 0) GTEST_SKIP() << "fls is not installed";
  std::string command = "fls -r -d -p '" + VolumePath(name, ".img") + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr) << "fls cannot be run";
  std::vector<std::string> lines;
  char buffer[4096];
  while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) lines.emplace_back(buffer);
  ASSERT_EQ(pclose(pipe), 0) << "fls failed on " << name;

  auto manifest = ReadVolumeManifest(name);
  ScanRig rig;
  ASSERT_EQ(rig.ScanFile(VolumePath(name, ".img"), true), 1);
  TreeView view = View(rig.engine.tree);
  // Our tree by the names fls would use: fls shows a deleted entry's first character as '_'.
  auto fls_form = [](std::string s) {
    if (!s.empty() && s[0] == 'x') s[0] = '_';
    return s;
  };
  std::multimap<std::string, FoundNode*> by_leaf;
  for (FoundNode* node : view.file_nodes) {
    by_leaf.emplace(fls_form(Shown(node)), node);
    by_leaf.emplace(fls_form(ShortName(node)), node);
  }

  int listed = 0, found = 0, excused = 0;
  std::set<std::string> fls_leaves;
  for (std::string line : lines) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find(" * ") == std::string::npos) continue;
    if (line.size() < 3 || line[2] != 'r') continue;  // files only
    std::string path = line.substr(tab + 1);
    ++listed;
    fls_leaves.insert(Leaf(path));
    bool orphan = path.rfind("$OrphanFiles/", 0) == 0;
    std::string parent = orphan ? "$Unknow Folder" : Parent(path);
    bool hit = false;
    auto range = by_leaf.equal_range(Leaf(path));
    for (auto it = range.first; it != range.second && !hit; ++it) {
      std::string ours = PathOf(it->second);
      std::string our_parent = Parent(ours);
      // Compare parents in fls's form, component by component.
      std::string converted;
      std::stringstream parts(our_parent);
      std::string part;
      while (std::getline(parts, part, '/')) converted += (converted.empty() ? "" : "/") + fls_form(part);
      hit = orphan ? ours.rfind("$Unknow Folder/", 0) == 0 : converted == parent;
    }
    if (hit) {
      ++found;
      continue;
    }
    // Reasons a file fls names is not in the tree.
    const ManifestEntry* entry = nullptr;
    for (auto& [mpath, e] : manifest) {
      if (e.dir || e.state == "live") continue;
      std::string leaf = Leaf(mpath);
      if (e.short_only && e.entry_deleted) leaf[0] = '_';
      if (Leaf(path) == leaf && (orphan || Parent(path).size() == Parent(mpath).size())) entry = &e;
    }
    if (entry != nullptr && entry->size == 0) {
      ++excused;  // an empty file has no cluster: the scan keeps only entries with one
      continue;
    }
    if (entry != nullptr && !entry->in_first_run) {
      ++excused;  // past a gap in its deleted or lost folder's clusters (see the README)
      continue;
    }
    if (entry == nullptr && orphan) {
      // fls reads free clusters for slots and takes some of a file's bytes for entries (the
      // builder's JUNK.BIN): the builder never wrote such a file.
      ++excused;
      continue;
    }
    ADD_FAILURE() << "fls lists " << path << ", which the scan did not find";
  }
  EXPECT_GT(listed, 0) << "fls listed no deleted file on " << name << ": nothing was compared";
  EXPECT_GT(found, 0);
  std::printf("%s: fls names %d deleted files; %d in the tree, %d left out for a stated reason\n",
              name.c_str(), listed, found, excused);

  // The other way round: every file of the tree is one the builder wrote, and when its
  // clusters survive intact fls names it too (in its folder or, by its short name, among its
  // orphans): the tree holds no entry made of other bytes.
  Expectation expect(manifest, true);
  for (FoundNode* node : view.file_nodes) {
    const std::string path = PathOf(node);
    const ManifestEntry* entry = nullptr;
    for (auto& [mpath, e] : manifest) {
      if (!e.dir && e.state != "live" && expect.TreePath(e) == path) entry = &e;
    }
    if (entry == nullptr) {
      ADD_FAILURE() << path << " is in the tree, but the builder never wrote it";
      continue;
    }
    if (!entry->clusters_free || entry->overwritten) continue;
    EXPECT_TRUE(fls_leaves.count(fls_form(Shown(node))) ||
                fls_leaves.count(fls_form(ShortName(node))))
        << path << " is in the tree, but fls does not name it";
  }
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatVolumeScan,
                         ::testing::Values("fat12", "fat16", "fat32", "fat16_reformat",
                                           "fat32_reformat"));

}  // namespace
}  // namespace scavrel::fat::testing
