// What the tests over the built NTFS volumes share (the scan, and the saves natively and
// through Scavrel.dll): the builder's manifest (tools/ntfsvol: state, size, path per line, and
// the SHA-256 of each file in the .json) and the paths as wide text.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "tests/engine/utf_text.h"

namespace ntfs_save_test {

struct ManifestFile {
  std::string state, path;
  uint64_t size = 0;
};

inline std::vector<ManifestFile> ReadManifest(const std::string& tsv_path) {
  std::vector<ManifestFile> out;
  std::ifstream in(tsv_path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    ManifestFile f;
    std::string size;
    std::getline(fields, f.state, '\t');
    std::getline(fields, size, '\t');
    std::getline(fields, f.path);
    if (size.empty()) continue;
    f.size = std::stoull(size);
    out.push_back(f);
  }
  return out;
}

using utf_text::Utf16;

inline std::string Leaf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A node of the scanned tree as the tests read it.
struct Found {
  std::u16string path;  // below the root, backslashes
  bool deleted = false, directory = false, resident = false;
  uint64_t free = 0, total = 0;
};

// Every node below `node` by its UTF-8 path ("a/b"). The name slots are read straight from the
// packed records, so the tests through Scavrel.dll can read its tree in place without linking
// the engine.
inline void Collect(const scavrel::FoundNode* node, const std::u16string& path,
                    std::map<std::string, Found>* out) {
  for (const scavrel::FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
    auto* rec = scavrel::AsNtfsRecord(c->record);
    const char16_t* name = nullptr;
    std::memcpy(&name, &rec->long_name, sizeof(name));
    if (name == nullptr || name[0] == 0) std::memcpy(&name, &rec->short_name, sizeof(name));
    std::u16string leaf = name == nullptr ? std::u16string() : std::u16string(name);
    Found f;
    f.path = path.empty() ? leaf : path + u"\\" + leaf;
    f.deleted = c->deleted;
    f.directory = c->directory;
    f.resident = rec->resident_data != 0;
    f.free = rec->extents.free_clusters;
    f.total = rec->extents.total_clusters;
    std::u16string slashed = f.path;
    for (char16_t& ch : slashed) ch = ch == u'\\' ? u'/' : ch;
    (*out)[utf_text::Utf8(slashed)] = f;
    Collect(c, f.path, out);
  }
}

// The tree's deleted files by leaf name: a deleted file whose folder did not survive hangs
// elsewhere, and is found by its leaf name when that is unique.
inline std::map<std::string, std::vector<std::string>> DeletedFilesByLeaf(
    const std::map<std::string, Found>& tree) {
  std::map<std::string, std::vector<std::string>> by_leaf;
  for (auto& [path, f] : tree) {
    if (f.deleted && !f.directory) by_leaf[Leaf(path)].push_back(path);
  }
  return by_leaf;
}

// Where the scan put a manifest file: its own path, or else the one deleted file of its leaf
// name; "" when the scan has no such node (a reused or nameless record: the scan tests say why).
inline std::string FoundAt(const ManifestFile& f, const std::map<std::string, Found>& tree,
                           const std::map<std::string, std::vector<std::string>>& by_leaf) {
  if (tree.count(f.path)) return f.path;
  auto leaf = by_leaf.find(Leaf(f.path));
  if (leaf == by_leaf.end() || leaf->second.size() != 1) return std::string();
  return leaf->second.front();
}

// Some of a deleted file's clusters hold other data now (a file deleted by its in-use flag
// alone keeps its clusters).
inline bool ClustersReused(const ManifestFile& f, const Found& found) {
  return f.state != "flagged" && found.free != found.total;
}

// One scan of one built image.
struct Case {
  const char* image;
  bool full;
};
inline void PrintTo(const Case& c, std::ostream* out) {
  *out << c.image << (c.full ? " full" : " quick");
}

// States of a file the save must bring back: deleted (clusters free), flagged (deleted as
// Windows does, by the record's in-use flag alone: its clusters still hold its data) and, for
// a full scan, lost (deleted before a quick reformat).
inline bool Recoverable(const ManifestFile& f, bool full) {
  return f.state == "deleted" || f.state == "flagged" || (full && f.state == "lost");
}

}  // namespace ntfs_save_test
