// The NTFS scan over real volumes that mkntfs and ntfs-3g built (tools/ntfsvol): the tree
// holds every deleted file of the builder's manifest under its folder path with its size, no
// live file, and every named deleted file that ntfsundelete and fls (The Sleuth Kit) list on
// the same image; a file the manifest lists as deleted that none of the three tools finds is
// reported with the reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "tests/engine/ntfs_save_support.h"
#include "tests/engine/utf_text.h"
#include "tests/engine/volume_scan.h"

using namespace scavrel;

namespace {

const std::string kDir = TOLVANE_NTFS_VOLUMES;

using utf_text::Utf8;

struct Entry {
  bool directory = false;
  bool deleted = false;
  uint64_t size = 0;
  uint64_t free = 0, total = 0;
  uint64_t runs = 0;
};

using ntfs_save_test::Leaf;
using ntfs_save_test::ManifestFile;

class NtfsImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream skipped(kDir + "/SKIPPED");
    if (skipped) {
      std::string why((std::istreambuf_iterator<char>(skipped)), {});
      GTEST_SKIP() << "NTFS test volumes were not built: " << why;
    }
    engine.last_error = &error;
  }

  uint8_t Scan(const std::string& image, bool full) {
    uint8_t result = volume_scan::ScanImage(engine, kDir + "/" + image, full);
    tree.clear();
    if (!engine.tree.empty() && engine.tree.root() != nullptr) Collect(engine.tree.root(), "");
    return result;
  }

  void Collect(const FoundNode* node, const std::string& path) {
    for (const FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
      auto* rec = AsNtfsRecord(c->record);
      const char16_t* name = GetWideName(&rec->long_name);
      if (name == nullptr) name = GetWideName(&rec->short_name);
      std::string p = path.empty() ? Utf8(name) : path + "/" + Utf8(name);
      Entry e;
      e.directory = c->directory;
      e.deleted = c->deleted;
      std::memcpy(&e.size, rec->file_name + 48, 8);
      e.free = rec->extents.free_clusters;
      e.total = rec->extents.total_clusters;
      e.runs = rec->extents.node_count;
      tree[p] = e;
      Collect(c, p);
    }
  }

  std::set<std::string> DeletedFileLeaves() const {
    std::set<std::string> out;
    for (auto& [p, e] : tree)
      if (e.deleted && !e.directory) out.insert(Leaf(p));
    return out;
  }

  static std::vector<ManifestFile> Manifest(const std::string& image) {
    return ntfs_save_test::ReadManifest(kDir + "/" + image + ".tsv");
  }

  static std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
  }

  // fls: deleted regular files with their paths ("-/r * 74-128-2:<TAB>deltree/a/b/c.txt"),
  // without its $OrphanFiles (records it found no name for).
  static std::set<std::string> FlsDeletedFiles(const std::string& image) {
    std::set<std::string> out;
    std::istringstream lines(Run("fls -r -d -p '" + kDir + "/" + image + "' 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("-/r", 0) != 0) continue;
      size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      std::string path = line.substr(tab + 1);
      if (path.rfind("$OrphanFiles/", 0) == 0) continue;
      out.insert(path);
    }
    return out;
  }

  // ntfsundelete -s: deleted files with a name (its columns: inode, flags, %, date, time,
  // size, name).
  static std::set<std::string> UndeleteFiles(const std::string& image) {
    std::set<std::string> out;
    std::istringstream lines(Run("ntfsundelete -s '" + kDir + "/" + image + "' 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream f(line);
      std::string inode, flags, pct, date, time, size;
      if (!(f >> inode >> flags >> pct >> date >> time >> size)) continue;
      if (inode.empty() || !isdigit(static_cast<unsigned char>(inode[0])) || flags[0] != 'F')
        continue;
      std::string name;
      std::getline(f, name);
      name.erase(0, name.find_first_not_of(' '));
      if (name != "<none>") out.insert(name);
    }
    return out;
  }

  static bool HavePeers() {
    return !Run("command -v fls ntfsundelete 2>/dev/null").empty();
  }

  // The checks shared by the quick and the full scan of one of the basic volumes.
  void CheckAgainstManifestAndPeers(const std::string& image) {
    auto manifest = Manifest(image);
    ASSERT_FALSE(manifest.empty());
    std::set<std::string> fls, undelete;
    const bool peers = HavePeers();
    if (peers) {
      fls = FlsDeletedFiles(image);
      undelete = UndeleteFiles(image);
      EXPECT_FALSE(fls.empty());
    }
    size_t deleted = 0, missing = 0;
    for (const ManifestFile& f : manifest) {
      if (f.state == "live" || f.state == "old_live") {
        auto it = tree.find(f.path);
        EXPECT_TRUE(it == tree.end() || it->second.directory) << "live file listed: " << f.path;
        continue;
      }
      // "flagged": deleted by clearing the record's in-use flag alone, as Windows does; its
      // clusters are still marked in use.
      if (f.state != "deleted" && f.state != "overwritten" && f.state != "flagged") continue;
      ++deleted;
      auto it = tree.find(f.path);
      if (it != tree.end()) {
        EXPECT_TRUE(it->second.deleted) << f.path;
        EXPECT_EQ(it->second.size, f.size) << f.path;
        if (f.state == "deleted") EXPECT_EQ(it->second.free, it->second.total) << f.path;
        continue;
      }
      // Not found: only acceptable when no other tool finds it by name either (ntfs-3g
      // reused the record, or removed the file's last name when it deleted a file whose
      // attributes spread over several records).
      ++missing;
      if (peers) {
        EXPECT_FALSE(fls.count(f.path)) << "fls finds what we miss: " << f.path;
        EXPECT_FALSE(undelete.count(Leaf(f.path)) && f.path.find('/') == std::string::npos)
            << "ntfsundelete finds what we miss: " << f.path;
      }
      std::printf("  not found by any tool (record reused or nameless): %s\n", f.path.c_str());
    }
    EXPECT_GT(deleted, 0u);
    EXPECT_LT(missing, deleted / 4 + 2);
    // Every named deleted file the peers list is ours too.
    for (const std::string& path : fls) EXPECT_TRUE(tree.count(path)) << "fls lists " << path;
    auto leaves = DeletedFileLeaves();
    for (const std::string& name : undelete)
      EXPECT_TRUE(leaves.count(name)) << "ntfsundelete lists " << name;
    uint64_t deleted_nodes = 0;
    for (auto& [p, e] : tree) deleted_nodes += e.deleted && !e.directory;
    EXPECT_EQ(engine.scan_progress.counter_a.load(), deleted_nodes);
    std::printf("  %s: %zu deleted in manifest, %zu found by no tool, fls %zu, ntfsundelete %zu, "
                "ours %llu\n", image.c_str(), deleted, missing, fls.size(), undelete.size(),
                static_cast<unsigned long long>(deleted_nodes));
  }

  LastError error;
  Engine engine{EngineKind::kNtfs};
  std::map<std::string, Entry> tree;
};

TEST_F(NtfsImageTest, QuickScanOf4KClusterVolumeMatchesManifestAndPeers) {
  ASSERT_EQ(Scan("basic4k.img", false), 1);
  CheckAgainstManifestAndPeers("basic4k.img");
  EXPECT_EQ(tree.at("deltree/a/b/c.txt").size, 500u);
  EXPECT_TRUE(tree.at("deltree/a/b").deleted);
  EXPECT_EQ(tree.at("empty.dat").size, 0u);
  EXPECT_EQ(tree.at("frag/fragmented.bin").total, 30u);
  EXPECT_GE(tree.at("frag/fragmented.bin").runs, 10u);
  // Its data lies in an extension record named by an attribute list; the named streams beside
  // it are not its content.
  EXPECT_EQ(tree.at("ads/kept.bin").total, 13u);
}

TEST_F(NtfsImageTest, QuickScanOf512ByteClusterVolumeMatchesManifestAndPeers) {
  ASSERT_EQ(Scan("basic512.img", false), 1);
  CheckAgainstManifestAndPeers("basic512.img");
  EXPECT_EQ(tree.at("frag/fragmented.bin").total, 60u);
  EXPECT_EQ(tree.at("ads/kept.bin").total, 98u);
}

TEST_F(NtfsImageTest, FullScanKeepsEverythingTheQuickScanFinds) {
  for (const char* image : {"basic4k.img", "basic512.img"}) {
    ASSERT_EQ(Scan(image, false), 1);
    auto quick = tree;
    ASSERT_EQ(Scan(image, true), 1) << error.Text();
    EXPECT_EQ(error.Code(), 0);
    for (auto& [p, e] : quick) EXPECT_TRUE(tree.count(p)) << image << " " << p;
    EXPECT_EQ(engine.scan_progress.done.load(), engine.scan_progress.total.load());
  }
}

TEST_F(NtfsImageTest, FullScanFindsFilesDeletedBeforeAQuickReformat) {
  auto manifest = Manifest("reformat.img");
  ASSERT_EQ(Scan("reformat.img", false), 1);
  auto quick = DeletedFileLeaves();
  EXPECT_TRUE(tree.count("new/n2.txt"));
  ASSERT_EQ(Scan("reformat.img", true), 1) << error.Text();
  auto full = DeletedFileLeaves();
  size_t lost = 0;
  for (const ManifestFile& f : manifest) {
    if (f.state != "lost") continue;
    ++lost;
    EXPECT_FALSE(quick.count(Leaf(f.path))) << f.path;
    EXPECT_TRUE(full.count(Leaf(f.path))) << f.path;
  }
  EXPECT_GT(lost, 10u);
  EXPECT_TRUE(tree.count("new/n2.txt"));
}

TEST_F(NtfsImageTest, StopDuringTheMainPassOfARealVolumeSucceeds) {
  class StopPlatform : public WorkerPlatform {
   public:
    Engine* engine = nullptr;
    void PumpMessages() override {
      if (engine->scan_progress.done >= 100) engine->scan_flags.stop = 1;
    }
  } platform;
  platform.engine = &engine;
  engine.platform = &platform;
  ASSERT_EQ(Scan("basic4k.img", false), 1);
  EXPECT_EQ(engine.scan_progress.done.load(), 100u);
  engine.platform = &DefaultWorkerPlatform();
}

}  // namespace
