// What the tests over the built NTFS volumes share (the scan, and the saves natively and
// through Scavrel.dll): the builder's manifest (tools/ntfsvol: state, size, path per line, and
// the SHA-256 of each file in the .json) and the paths as wide text.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// States of a file the save must bring back: deleted (clusters free), flagged (deleted as
// Windows does, by the record's in-use flag alone: its clusters still hold its data) and, for
// a full scan, lost (deleted before a quick reformat).
inline bool Recoverable(const ManifestFile& f, bool full) {
  return f.state == "deleted" || f.state == "flagged" || (full && f.state == "lost");
}

}  // namespace ntfs_save_test
