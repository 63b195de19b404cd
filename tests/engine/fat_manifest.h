// The volume builder's manifests (tools/fatvol) and where the FAT scan places what they list:
// shared by the native scans of the built volumes and the scans through Scavrel.dll under Wine.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace scavrel::fat::testing {

struct ManifestEntry {
  std::string path;
  bool dir = false;
  std::string state;  // live, deleted, lost
  uint32_t size = 0;
  uint32_t first_cluster = 0;
  bool entry_deleted = false;
  bool short_only = false;
  bool clusters_free = false;
  bool overwritten = false;
  bool fragmented = false;
  // The entry lies in its folder's first stretch of consecutive clusters (always true for
  // entries of the root).
  bool in_first_run = true;
  // The file's bytes come from the builder's generator (save_builder_content.h), not by hand.
  bool generated = true;
  // For an entry past that first stretch: the first cluster of the stretch that holds it.
  uint32_t piece_cluster = 0;
};

// The builder's .tsv manifest (one entry a line; see tools/fatvol/build_volumes.py).
inline std::map<std::string, ManifestEntry> ReadManifest(const std::string& tsv_path) {
  std::map<std::string, ManifestEntry> out;
  std::ifstream in(tsv_path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, '\t')) f.push_back(field);
    if (f.size() < 11) continue;
    ManifestEntry e;
    e.path = f[0];
    e.dir = f[1] == "dir";
    e.state = f[2];
    e.size = static_cast<uint32_t>(std::stoul(f[3]));
    e.first_cluster = static_cast<uint32_t>(std::stoul(f[4]));
    e.entry_deleted = f[5] == "1";
    e.short_only = f[6] == "1";
    e.clusters_free = f[7] == "1";
    e.overwritten = f[8] == "1";
    e.fragmented = f[9] == "1";
    if (f.size() > 11) e.in_first_run = f[11] == "1";
    if (f.size() > 12) e.generated = f[12] == "1";
    if (f.size() > 13) e.piece_cluster = static_cast<uint32_t>(std::stoul(f[13]));
    out[e.path] = e;
  }
  return out;
}

inline std::string Parent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
inline std::string Leaf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where the scan places the manifest entries and what it must count.
class Expectation {
 public:
  Expectation(const std::map<std::string, ManifestEntry>& m, bool full) : m_(m), full_(full) {}

  // The scan's name for one entry: a deleted entry without a long name shows 'x' first.
  std::string Shown(const ManifestEntry& e) const {
    std::string leaf = Leaf(e.path);
    if (e.short_only && e.entry_deleted) leaf[0] = 'x';
    return leaf;
  }

  // The path in the found tree, or "" when the scan cannot reach the entry.
  std::string TreePath(const ManifestEntry& e) const {
    std::string parent = Parent(e.path);
    if (!parent.empty() && InLaterPiece(e)) {
      // Found on its own by the full scan. A long name may have begun in the cluster before,
      // which nothing leads to: only short names are placed.
      if (!full_ || !e.short_only) return "";
      return "$Unknow Folder/Dir" + std::to_string(e.piece_cluster) + "/" + Shown(e);
    }
    if (e.state == "lost") {
      if (!full_ || parent.empty()) return "";  // the old root went with the reformat
      const ManifestEntry& p = m_.at(parent);
      if (!FolderReadable(p) || !e.in_first_run) return "";
      if (Parent(parent).empty()) return "$Unknow Folder/Dir" + std::to_string(p.first_cluster) + "/" + Shown(e);
      std::string up = TreePath(p);
      return up.empty() ? "" : up + "/" + Shown(e);
    }
    if (parent.empty()) return Shown(e);
    const ManifestEntry& p = m_.at(parent);
    if (p.state != "live" && (!FolderReadable(p) || !e.in_first_run)) return "";
    std::string up = TreePath(p);
    return up.empty() ? "" : up + "/" + Shown(e);
  }

  // A deleted file the scan must find: it has clusters and its folders can be read.
  bool MustFind(const ManifestEntry& e) const {
    return !e.dir && e.state != "live" && e.size > 0 && !TreePath(e).empty();
  }

  // Folders kept: every live folder, and every folder met inside a deleted or lost folder.
  uint64_t FolderCount() const {
    uint64_t n = 0;
    for (auto& [path, e] : m_) {
      if (!e.dir) continue;
      if (e.state == "live") {
        ++n;
      } else if (!Parent(path).empty() && m_.at(Parent(path)).state != "live" &&
                 e.in_first_run && FolderReached(m_.at(Parent(path)))) {
        ++n;
      }
    }
    return n;
  }

 private:
  // Whether the scan reads the folder's entries.
  bool FolderReached(const ManifestEntry& dir) const {
    if (dir.state == "live") return true;
    if (dir.state == "lost" && !full_) return false;
    if (!FolderReadable(dir)) return false;
    std::string parent = Parent(dir.path);
    return parent.empty() || FolderReached(m_.at(parent));
  }
  // An entry in a later stretch of a deleted or lost folder whose clusters are free.
  bool InLaterPiece(const ManifestEntry& e) const {
    if (e.in_first_run || e.piece_cluster < 2 || Parent(e.path).empty()) return false;
    const ManifestEntry& p = m_.at(Parent(e.path));
    return p.state != "live" && p.clusters_free;
  }
  // A deleted folder is read over consecutive free clusters from its first, as far as they
  // hold its entries: the entries in a later stretch (in_first_run false) are not found.
  bool FolderReadable(const ManifestEntry& dir) const {
    return dir.clusters_free && dir.first_cluster >= 2;
  }
  const std::map<std::string, ManifestEntry>& m_;
  bool full_;
};

}  // namespace scavrel::fat::testing
