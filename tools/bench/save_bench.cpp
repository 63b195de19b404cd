// Times the engine's save of every deleted file of one image, outside any test harness:
//   save_bench fat|ntfs IMAGE OUT_DIR [full]
// Quick (or full) scan, the root ticked as the user would, then the whole tree saved into OUT_DIR (a
// Linux folder standing in for the destination drive T:). Prints the scan and save times, the
// files saved and the bytes written.
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "engine/check_states.h"
#include "engine/engine.h"
#include "engine/fat_scan.h"
#include "engine/ntfs_scan.h"
#include "engine/save_output.h"
#include "engine/save_tree.h"
#include "tests/engine/utf_text.h"
#include "tests/engine/volume_scan.h"

namespace {

constexpr char16_t kVolumeName[] = u"\\\\?\\Volume{T}\\";

using utf_text::Utf8;

// Drive T: is the folder given on the command line.
class FolderOutput : public scavrel::SaveOutput {
 public:
  explicit FolderOutput(std::string base) : base_(std::move(base)) {}
  uint64_t bytes = 0;

  std::string Local(std::u16string path) const {
    const std::u16string volume = kVolumeName;
    if (path.compare(0, volume.size(), volume) == 0) path = u"T:\\" + path.substr(volume.size());
    if (path.size() >= 2 && path[1] == u':') path = path.substr(2);
    std::string out = base_ + Utf8(path);
    for (char& c : out) c = c == '\\' ? '/' : c;
    return out;
  }

  struct File : scavrel::OutputFile {
    std::ofstream out;
    FolderOutput* owner;
    bool Write(const void* data, size_t length, uint32_t* error) override {
      out.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
      owner->bytes += length;
      if (!out) *error = 29;  // ERROR_WRITE_FAULT
      return static_cast<bool>(out);
    }
  };

  bool Exists(const std::u16string& path) override {
    struct stat st;
    return stat(Local(path).c_str(), &st) == 0;
  }
  bool MakeFolders(const std::u16string& path, uint32_t* error, bool* made_last) override {
    if (made_last != nullptr) *made_last = false;
    std::string local = Local(path);
    for (size_t at = base_.size() + 1; at != std::string::npos; at = local.find('/', at + 1)) {
      std::string folder = local.substr(0, at);
      if (folder.empty()) continue;
      if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        *error = 3;
        return false;
      }
    }
    mkdir(local.c_str(), 0755);
    return true;
  }
  std::unique_ptr<scavrel::OutputFile> Create(const std::u16string& path, bool,
                                              uint32_t* error) override {
    auto file = std::make_unique<File>();
    file->owner = this;
    file->out.open(Local(path), std::ios::binary | std::ios::trunc);
    if (!file->out) {
      *error = 3;
      return nullptr;
    }
    return file;
  }
  bool VolumeNameOf(const std::u16string& root, std::u16string* name, uint32_t* error) override {
    if (root.size() < 2 || (root[0] != u'T' && root[0] != u't')) {
      *error = 2;
      return false;
    }
    *name = kVolumeName;
    return true;
  }
  bool PathOfVolume(const std::u16string& volume_name, std::u16string* path) override {
    if (volume_name != kVolumeName) return false;
    *path = u"T:\\";
    return true;
  }

 private:
  std::string base_;
};

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: save_bench fat|ntfs IMAGE OUT_DIR [full]\n");
    return 2;
  }
  const bool ntfs = std::string(argv[1]) == "ntfs";
  scavrel::LastError error;
  scavrel::Engine engine(ntfs ? scavrel::EngineKind::kNtfs : scavrel::EngineKind::kFat);
  engine.last_error = &error;
  engine.root_name = "C:\\";
  const bool full = argc > 4 && std::string(argv[4]) == "full";
  auto start = std::chrono::steady_clock::now();
  uint8_t ok = volume_scan::ScanImage(engine, argv[2], full);
  const double scan_ms = Since(start);
  if (!ok || engine.tree.empty()) {
    std::fprintf(stderr, "scan failed: %d %s\n", error.Code(), error.Text().c_str());
    return 1;
  }
  scavrel::ClickNtfsNode(engine, engine.tree.root(), scavrel::kChecked);
  FolderOutput output(argv[3]);
  engine.save_flags.stop = 0;
  start = std::chrono::steady_clock::now();
  scavrel::SaveTree(engine, output, "T:\\", nullptr);
  const double save_ms = Since(start);
  std::printf("scan: %.1f ms\nsave: %.1f ms, %llu files saved, %llu bytes written\n", scan_ms,
              save_ms, static_cast<unsigned long long>(engine.save_progress.counter_a.load()),
              static_cast<unsigned long long>(output.bytes));
  return 0;
}
