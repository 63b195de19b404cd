// Helpers of the FAT engine tests: a platform that serves in-memory volumes and can ask the scan
// to stop after a number of steps, a builder of small hand-made FAT volumes, and tree readers.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/disk_bytes.h"
#include "engine/fat_scan.h"
#include "engine/found_tree.h"
#include "tests/engine/utf_text.h"
#include "tests/engine/watched_reader.h"

namespace scavrel::fat::testing {

// Serves the volume from memory when `image` is set (any path), otherwise opens the path as an
// image file. With stop_after set, the scan is asked to stop at that step.
class TestPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string& path, uint32_t* error) override {
    ++opens;
    if (image != nullptr) {
      return std::make_unique<testing_reader::WatchedReader>(*image, &longest_read);
    }
    return WorkerPlatform::OpenVolume(path, error);
  }
  void PumpMessages() override {
    ++steps;
    if (stop_after != 0 && steps >= stop_after && engine != nullptr) engine->scan_flags.stop = 1;
  }
  void ShowReadError(const std::string& text) override { read_boxes.push_back(text); }

  const std::vector<uint8_t>* image = nullptr;
  Engine* engine = nullptr;
  uint64_t stop_after = 0;
  uint64_t steps = 0;
  int opens = 0;
  std::vector<std::string> read_boxes;
  size_t longest_read = 0;  // of the memory image
};

// One engine wired to a test platform, as the library wires its FAT engine.
struct ScanRig {
  ScanRig() {
    engine.platform = &platform;
    engine.last_error = &error;
    platform.engine = &engine;
    engine.root_name = "X:\\";
  }
  uint8_t Scan(const std::vector<uint8_t>* image, bool full) {
    platform.image = image;
    engine.extra_pass = full ? 1 : 0;
    engine.scan_flags.stop = 0;
    engine.scan_flags.finished = 0;
    return RunFatScan(engine);
  }
  uint8_t ScanFile(const std::string& path, bool full) {
    engine.volume_device_path = path;
    return Scan(nullptr, full);
  }
  LastError error;
  TestPlatform platform;
  Engine engine{EngineKind::kFat};
};

// --- names and paths ----------------------------------------------------------------------------

using utf_text::Utf8;

inline FatEntryRecord* Record(const FoundNode* node) {
  return AsFatRecord(node->record);
}
inline std::string LongName(const FoundNode* n) { return Utf8(GetWideName(&Record(n)->long_name)); }
inline std::string ShortName(const FoundNode* n) { return Utf8(GetWideName(&Record(n)->short_name)); }
// The name the user sees: the long name, else the short name.
inline std::string Shown(const FoundNode* n) {
  std::string name = LongName(n);
  return name.empty() ? ShortName(n) : name;
}
// Path below the root node: "DOCS/file.txt".
inline std::string PathOf(const FoundNode* n) {
  std::string path;
  for (const FoundNode* p = n; p != nullptr && p->parent != nullptr; p = p->parent) {
    path = path.empty() ? Shown(p) : Shown(p) + "/" + path;
  }
  return path;
}
inline uint32_t SizeOf(const FoundNode* n) {
  return ReadLe32(ByteSpan(Record(n)->dir_entry, 32), 28);
}

template <typename F>
void ForEachNode(FoundNode* node, F&& visit) {
  if (node == nullptr) return;
  std::vector<FoundNode*> stack{node};
  while (!stack.empty()) {
    FoundNode* n = stack.back();
    stack.pop_back();
    visit(n);
    for (FoundNode* c = n->first_child; c != nullptr; c = c->next_sibling) stack.push_back(c);
  }
}

// Files and folders of the tree by path (empty when the tree is empty).
struct TreeView {
  std::vector<std::string> files;
  std::vector<std::string> folders;
  std::vector<FoundNode*> file_nodes;
  bool Has(const std::string& path) const {
    for (auto& f : files) if (f == path) return true;
    return false;
  }
  bool HasFolder(const std::string& path) const {
    for (auto& f : folders) if (f == path) return true;
    return false;
  }
};

inline TreeView View(FoundTree& tree) {
  TreeView view;
  if (tree.empty()) return view;
  ForEachNode(tree.root(), [&](FoundNode* n) {
    if (n == tree.root()) return;
    if (n->directory) {
      view.folders.push_back(PathOf(n));
    } else {
      view.files.push_back(PathOf(n));
      view.file_nodes.push_back(n);
    }
  });
  return view;
}

// Structural consistency of a tree: parent links, child counts, creation-order list length.
inline std::string TreeFault(FoundTree& tree) {
  uint64_t created = 0;
  for (FoundNode* n = tree.FirstCreated(); n != nullptr; n = n->next_created) {
    if (++created > tree.node_count()) return "creation list longer than the node count";
  }
  if (created != tree.node_count()) return "creation list shorter than the node count";
  if (tree.empty()) return "";
  uint64_t reached = 0;
  std::string fault;
  ForEachNode(tree.root(), [&](FoundNode* n) {
    ++reached;
    uint32_t count = 0;
    for (FoundNode* c = n->first_child; c != nullptr; c = c->next_sibling) {
      ++count;
      if (c->parent != n) fault = "child with a wrong parent";
    }
    if (count != n->child_count) fault = "child count off";
    if (n->record == nullptr) fault = "node without a record";
  });
  if (reached > tree.node_count()) return "more nodes reached than exist";
  return fault;
}

// --- hand-made volumes ----------------------------------------------------------------------------

// A small FAT16 (or FAT32) volume built byte by byte: 512-byte sectors, one sector per cluster,
// one allocation table. Used for the cases real tools do not produce.
class HandFat {
 public:
  explicit HandFat(uint32_t clusters = 64, bool fat32 = false) : fat32_(fat32) {
    uint32_t entry = fat32 ? 4 : 2;
    table_sectors_ = ((clusters + 2) * entry + 511) / 512;
    reserved_ = fat32 ? 2 : 1;
    root_sectors_ = fat32 ? 0 : 2;  // 32 root entries
    data_start_ = reserved_ + table_sectors_ + root_sectors_;
    bytes.assign(static_cast<size_t>(data_start_ + clusters) * 512, 0);
    uint8_t* b = bytes.data();
    b[0] = 0xEB; b[1] = 0x3C; b[2] = 0x90;
    std::memcpy(b + 3, "HANDMADE", 8);
    WriteLe16(b + 11, 512);
    b[13] = 1;
    WriteLe16(b + 14, static_cast<uint16_t>(reserved_));
    b[16] = 1;
    WriteLe16(b + 17, fat32 ? 0 : 32);
    b[21] = 0xF8;
    uint32_t total = data_start_ + clusters;
    if (fat32) {
      WriteLe32(b + 32, total);
      WriteLe32(b + 36, table_sectors_);
      WriteLe32(b + 44, 2);
      std::memcpy(b + 82, "FAT32   ", 8);
    } else {
      if (total < 65536) WriteLe16(b + 19, static_cast<uint16_t>(total)); else WriteLe32(b + 32, total);
      WriteLe16(b + 22, static_cast<uint16_t>(table_sectors_));
      std::memcpy(b + 54, "FAT16   ", 8);
    }
    WriteLe16(b + 510, 0xAA55);
    SetFat(0, fat32 ? 0x0FFFFFF8 : 0xFFF8);
    SetFat(1, fat32 ? 0x0FFFFFFF : 0xFFFF);
    if (fat32) SetFat(2, 0x0FFFFFFF);
  }

  void SetFat(uint32_t cluster, uint32_t value) {
    uint8_t* t = bytes.data() + reserved_ * 512;
    if (fat32_) WriteLe32(t + cluster * 4, value); else WriteLe16(t + cluster * 2, static_cast<uint16_t>(value));
  }
  // Chains clusters first..first+count-1 and ends the chain.
  void Chain(uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i + 1 < count; ++i) SetFat(first + i, first + i + 1);
    SetFat(first + count - 1, fat32_ ? 0x0FFFFFFF : 0xFFFF);
  }
  uint8_t* Cluster(uint32_t c) { return bytes.data() + (data_start_ + (c - 2)) * 512; }
  // Entry slot i of the root directory (FAT32: of its first cluster).
  uint8_t* Root(int i) {
    uint32_t root_cluster = fat32_ ? ReadLe32(ByteSpan(bytes), 44) : 0;
    return (fat32_ ? Cluster(root_cluster) : bytes.data() + (reserved_ + table_sectors_) * 512) + 32 * i;
  }
  uint8_t* Slot(uint32_t cluster, int i) { return Cluster(cluster) + 32 * i; }

  // A short entry; `name11` is the 11 name bytes as stored (a leading '\xE5' marks it deleted).
  static void Entry(uint8_t* at, const char* name11, uint8_t attributes, uint32_t cluster,
                    uint32_t size) {
    std::memcpy(at, name11, 11);
    at[11] = attributes;
    WriteLe16(at + 20, static_cast<uint16_t>(cluster >> 16));
    WriteLe16(at + 26, static_cast<uint16_t>(cluster & 0xFFFF));
    WriteLe32(at + 28, size);
  }
  // The long-name entries of `name` in disk order (last part first) from `at`, each carrying
  // `checksum` (ShortNameChecksum of the short entry they name); returns how many slots they
  // took.
  static int LongName(uint8_t* at, const std::u16string& name, bool deleted,
                      uint8_t checksum = 0) {
    int parts = static_cast<int>((name.size() + 12) / 13);
    std::u16string padded = name;
    if (padded.size() % 13 != 0) {
      padded.push_back(0);
      while (padded.size() % 13 != 0) padded.push_back(0xFFFF);
    }
    for (int k = 0; k < parts; ++k) {
      int part = parts - k;  // disk order: last part first
      uint8_t* e = at + 32 * k;
      std::memset(e, 0, 32);
      e[0] = deleted ? 0xE5 : static_cast<uint8_t>(part | (k == 0 ? 0x40 : 0));
      e[11] = 0x0F;
      e[13] = checksum;
      const char16_t* u = padded.data() + 13 * (part - 1);
      for (int i = 0; i < 5; ++i) WriteLe16(e + 1 + 2 * i, u[i]);
      for (int i = 0; i < 6; ++i) WriteLe16(e + 14 + 2 * i, u[5 + i]);
      for (int i = 0; i < 2; ++i) WriteLe16(e + 28 + 2 * i, u[11 + i]);
    }
    return parts;
  }
  // "." and ".." at the start of a folder cluster.
  void Dots(uint32_t cluster, uint32_t parent) {
    Entry(Slot(cluster, 0), ".          ", 0x10, cluster, 0);
    Entry(Slot(cluster, 1), "..         ", 0x10, parent, 0);
  }

  std::vector<uint8_t> bytes;

 private:
  bool fat32_;
  uint32_t table_sectors_ = 0;
  uint32_t reserved_ = 0;
  uint32_t root_sectors_ = 0;
  uint32_t data_start_ = 0;
};

}  // namespace scavrel::fat::testing
