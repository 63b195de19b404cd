// What the save tests build by hand: a destination kept in memory (drive T: mounted as the
// volume \\?\Volume{T}\, whose name can be made to refuse file creation as Wine's does), a
// volume image with known cluster contents behind a reader that records every read, a fake
// scanned-volume geometry, and FAT and NTFS file nodes with runs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/found_tree.h"
#include "engine/save_output.h"
#include "engine/volume_reader.h"
#include "tests/engine/filters_test_tree.h"

namespace scavrel::save_test {

inline std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// A destination in memory. Keys are drive-letter paths in upper case (names compare without
// case, as on Windows). The root T:\ always exists; a file needs its folder.
class MemoryOutput : public SaveOutput {
 public:
  static constexpr char16_t kVolumeName[] = u"\\\\?\\Volume{T}\\";

  bool volume_names_creatable = true;  // false: creating under \\?\Volume{T}\ fails (Wine)
  bool volume_name_known = true;       // false: T:\ has no volume name
  bool drive_letters_creatable = true; // false: creating under T:\ fails
  bool fold_dotless_i = false;         // the dotless i names the same as 'I' (as on NTFS)
  int exists_questions = 0;            // Exists calls
  int volume_name_questions = 0;       // VolumeNameOf calls
  int drive_root_questions = 0;        // PathOfVolume calls
  std::function<void(const std::u16string&)> on_create;  // called before each create
  std::function<void()> on_write;                        // called before each write

  std::map<std::u16string, std::vector<uint8_t>> files;  // by upper-case drive path
  std::set<std::u16string> folders{u"T:"};
  std::vector<std::u16string> creates;                    // every path Create was given

  struct File : OutputFile {
    MemoryOutput* owner;
    std::vector<uint8_t>* bytes;
    bool Write(const void* data, size_t length, uint32_t*) override {
      if (owner->on_write) owner->on_write();
      const auto* at = static_cast<const uint8_t*>(data);
      bytes->insert(bytes->end(), at, at + length);
      return true;
    }
  };

  static std::u16string Key(std::u16string path) {
    for (char16_t& c : path) {
      if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
      if (c >= 0xE0 && c <= 0xFE && c != 0xF7) c -= 0x20;  // Latin-1 letters
    }
    while (path.size() > 1 && path.back() == u'\\') path.pop_back();
    return path;
  }
  // Key as this destination compares names.
  std::u16string Compared(const std::u16string& path) const {
    std::u16string key = Key(path);
    if (fold_dotless_i) {
      for (char16_t& c : key) {
        if (c == 0x131) c = u'I';
      }
    }
    return key;
  }

  // A path through the volume name in its drive-letter spelling.
  static std::u16string DrivePath(const std::u16string& path) {
    std::u16string volume = kVolumeName;
    if (path.compare(0, volume.size(), volume) == 0) return u"T:\\" + path.substr(volume.size());
    return path;
  }

  bool Exists(const std::u16string& path) override {
    ++exists_questions;
    std::u16string key = Compared(path);
    return files.count(key) != 0 || folders.count(key) != 0;
  }

  bool MakeFolders(const std::u16string& path, uint32_t* error,
                   bool* made_last = nullptr) override {
    std::u16string key = Compared(path);
    if (made_last != nullptr) *made_last = folders.count(key) == 0 && files.count(key) == 0;
    if (key.compare(0, 3, u"T:\\") != 0) {
      *error = 3;  // ERROR_PATH_NOT_FOUND
      return false;
    }
    if (folders.count(key.substr(0, key.rfind(u'\\'))) != 0 && files.count(key) == 0) {
      folders.insert(key);  // the parent is there: only the last folder is new
      return true;
    }
    for (size_t end = key.find(u'\\', 3); ; end = key.find(u'\\', end + 1)) {
      std::u16string folder = key.substr(0, end);
      if (files.count(folder) != 0) {
        *error = 183;  // ERROR_ALREADY_EXISTS: a file is in the way
        return false;
      }
      folders.insert(folder);
      if (end == std::u16string::npos) break;
    }
    return true;
  }

  std::unique_ptr<OutputFile> Create(const std::u16string& path, bool replace,
                                     uint32_t* error) override {
    creates.push_back(path);
    if (on_create) on_create(path);
    std::u16string volume = kVolumeName;
    if (!volume_names_creatable && path.compare(0, volume.size(), volume) == 0) {
      *error = 2;  // ERROR_FILE_NOT_FOUND, as Wine 8 answers
      return nullptr;
    }
    if (!drive_letters_creatable && path.compare(0, volume.size(), volume) != 0) {
      *error = 5;  // ERROR_ACCESS_DENIED
      return nullptr;
    }
    std::u16string key = Compared(DrivePath(path));
    if (folders.count(key.substr(0, key.rfind(u'\\'))) == 0) {
      *error = 3;  // ERROR_PATH_NOT_FOUND
      return nullptr;
    }
    if (folders.count(key) != 0 || (!replace && files.count(key) != 0)) {
      *error = 80;  // ERROR_FILE_EXISTS
      return nullptr;
    }
    auto file = std::make_unique<File>();
    file->owner = this;
    file->bytes = &files[key];
    file->bytes->clear();
    return file;
  }

  bool VolumeNameOf(const std::u16string& root, std::u16string* name, uint32_t* error) override {
    ++volume_name_questions;
    if (!volume_name_known || Key(root) != u"T:") {
      *error = 2;
      return false;
    }
    *name = kVolumeName;
    return true;
  }

  bool PathOfVolume(const std::u16string& volume_name, std::u16string* path) override {
    ++drive_root_questions;
    if (volume_name != kVolumeName) return false;
    *path = u"T:\\";
    return true;
  }

  // The bytes of a saved file, by its drive-letter path; null when there is none.
  const std::vector<uint8_t>* FileAt(const std::u16string& path) const {
    auto found = files.find(Compared(path));
    return found == files.end() ? nullptr : &found->second;
  }

  // A file's bytes; a missing file reads as DE AD, which no expected content is.
  std::vector<uint8_t> Saved(const std::u16string& path) const {
    const std::vector<uint8_t>* bytes = FileAt(path);
    return bytes == nullptr ? std::vector<uint8_t>{0xDE, 0xAD} : *bytes;
  }

  // The saved files as "path: size" lines, in path order.
  std::vector<std::string> Listing() const;
};

inline std::vector<std::string> MemoryOutput::Listing() const {
  std::vector<std::string> lines;
  for (const auto& [path, bytes] : files) {
    lines.push_back(Narrow(path) + ": " + std::to_string(bytes.size()));
  }
  return lines;
}

// The fake scanned volume behind the hand-built trees: 4,096-byte clusters of eight 512-byte
// sectors; FAT cluster 2 at sector 40; NTFS records of 1,024 bytes.
constexpr uint32_t kClusterBytes = 4096;
constexpr VolumeGeometry kFatGeometry{512, 8, 40, 0};
constexpr VolumeGeometry kNtfsGeometry{512, 8, 0, 2};

inline uint64_t FatClusterOffset(uint64_t cluster) { return (40 + (cluster - 2) * 8) * 512; }

// A volume image whose every byte tells where it lies: byte i of cluster c (counted from the
// image start in `cluster_bytes` units) is (c * 7 + i * 13 + i / 256) mod 251.
inline std::vector<uint8_t> PatternImage(size_t size, size_t cluster_bytes) {
  std::vector<uint8_t> image(size);
  for (size_t at = 0; at < size; ++at) {
    size_t c = at / cluster_bytes, i = at % cluster_bytes;
    image[at] = static_cast<uint8_t>((c * 7 + i * 13 + i / 256) % 251);
  }
  return image;
}

inline std::vector<uint8_t> Slice(const std::vector<uint8_t>& image, size_t offset,
                                  size_t length) {
  return std::vector<uint8_t>(image.begin() + offset, image.begin() + offset + length);
}

// A memory volume that keeps every read it served (or refused), and can fail reads on demand.
class RecordingReader : public VolumeReader {
 public:
  explicit RecordingReader(const std::vector<uint8_t>& image) : inner_(image) {}
  bool Read(uint64_t offset, void* buffer, size_t length) override {
    reads.emplace_back(offset, length);
    if (fail_reads) {
      error_ = kErrorReadFault;
      return false;
    }
    bool ok = inner_.Read(offset, buffer, length);
    error_ = inner_.LastErrorCode();
    return ok;
  }
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return inner_.Size(); }

  std::vector<std::pair<uint64_t, size_t>> reads;
  bool fail_reads = false;

 private:
  MemoryVolumeReader inner_;
  uint32_t error_ = 0;
};

class FakeVolumeState : public VolumeState {
 public:
  explicit FakeVolumeState(VolumeGeometry geometry) : geometry_(geometry) {}
  bool Geometry(VolumeGeometry* out) const override {
    *out = geometry_;
    return true;
  }

 private:
  VolumeGeometry geometry_;
};

// Gives the engine an open volume over `image` (kept by the caller) with that geometry;
// returns the reader.
inline RecordingReader* OpenVolume(Engine& engine, const std::vector<uint8_t>& image,
                                   VolumeGeometry geometry) {
  auto reader = std::make_unique<RecordingReader>(image);
  RecordingReader* raw = reader.get();
  engine.volume = std::move(reader);
  engine.volume_state = std::make_unique<FakeVolumeState>(geometry);
  return raw;
}

inline void AddRun(FoundNode* node, uint64_t first_cluster, uint64_t count) {
  ClusterRun* run = AppendRun(&node->record->extents);
  run->first_cluster = first_cluster;
  run->cluster_count = count;
  node->record->extents.total_clusters = node->record->extents.total_clusters + count;
}

// A deleted, checked FAT file of `size` bytes in one run from `first_cluster`.
inline FoundNode* FatFile(FoundTree& tree, FoundNode* parent, const std::u16string& name,
                          uint32_t size, uint64_t first_cluster, uint64_t clusters) {
  FoundNode* node = testing_tree::AddFatFile(tree, parent, name, testing_tree::FatEntry(size));
  node->check_state = kChecked;
  AddRun(node, first_cluster, clusters);
  return node;
}

// A deleted, checked NTFS file of `size` bytes whose data lies in runs (added by the caller).
inline FoundNode* NtfsFile(FoundTree& tree, FoundNode* parent, const std::u16string& name,
                           uint64_t size) {
  FoundNode* node =
      testing_tree::AddNtfsFile(tree, parent, name, testing_tree::NtfsFileNameHead(0, 0, size));
  node->check_state = kChecked;
  AsNtfsRecord(node->record)->resident_data = 0;
  return node;
}

// A valid folder with a name and the given check state, hung under `parent` (null: a new
// node that is not in any child list; the first node of a tree is its root).
inline FoundNode* NamedFolder(FoundTree& tree, FoundNode* parent, const std::u16string& name,
                              uint8_t state = kChecked, bool deleted = true) {
  FoundNode* node = tree.NewNode();
  node->directory = 1;
  node->valid = 1;
  node->deleted = deleted ? 1 : 0;
  node->check_state = state;
  if (tree.record_form() == RecordForm::kNtfs) {
    NtfsEntryRecord* record = NewNtfsRecord();
    SetWideName(&record->long_name, name.data(), name.size());
    node->record = AsEntryRecord(record);
  } else {
    FatEntryRecord* record = NewFatRecord();
    SetWideName(&record->long_name, name.data(), name.size());
    node->record = AsEntryRecord(record);
  }
  if (parent != nullptr) tree.MoveNode(node, parent);
  return node;
}

}  // namespace scavrel::save_test
