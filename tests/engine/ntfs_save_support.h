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
    auto* rec = reinterpret_cast<scavrel::NtfsEntryRecord*>(c->record);
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
