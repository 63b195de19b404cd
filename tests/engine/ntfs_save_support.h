// What the NTFS volume saves share, natively and through Scavrel.dll: the builder's manifest
// (tools/ntfsvol: state, size, path per line, and the SHA-256 of each file in the .json) and
// the paths as wide text.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

inline std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = static_cast<uint8_t>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 0 ? 0x7F : (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

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
