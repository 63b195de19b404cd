// Times the FAT engine's quick and full scans of one image, outside any test harness:
//   fat_bench IMAGE [REPEAT]
// Natively it reads through FileVolumeReader; the Windows build (TOLVANE_BENCH_WIN32) reads
// through the DLL's Win32VolumeReader, so that the two runs show the platform's cost apart.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/fat_scan.h"
#ifdef TOLVANE_BENCH_WIN32
#include "engine/win/win32_volume_reader.h"
#endif

namespace {

class BenchPlatform : public scavrel::WorkerPlatform {
 public:
  std::unique_ptr<scavrel::VolumeReader> OpenVolume(const std::string& path,
                                                    uint32_t* error) override {
#ifdef TOLVANE_BENCH_WIN32
    auto reader = std::make_unique<scavrel::Win32VolumeReader>();
    if (!reader->Open(path)) {
      *error = reader->LastErrorCode();
      return nullptr;
    }
    return reader;
#else
    return WorkerPlatform::OpenVolume(path, error);
#endif
  }
};

uint64_t CountFiles(const scavrel::FoundNode* node) {
  uint64_t n = 0;
  for (const scavrel::FoundNode* c = node->first_child; c != nullptr; c = c->next_sibling) {
    n += c->directory ? CountFiles(c) : 1;
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fat_bench IMAGE [REPEAT]\n");
    return 2;
  }
  int repeat = argc > 2 ? std::atoi(argv[2]) : 3;
  BenchPlatform platform;
  scavrel::LastError error;
  for (uint8_t full : {0, 1}) {
    double best = 1e30;
    uint64_t files = 0, folders = 0;
    for (int i = 0; i < repeat; ++i) {
      scavrel::Engine engine(scavrel::EngineKind::kFat);
      engine.platform = &platform;
      engine.last_error = &error;
      engine.volume_device_path = argv[1];
      engine.extra_pass = full;
      engine.scan_flags.stop = 0;
      auto start = std::chrono::steady_clock::now();
      uint8_t ok = scavrel::fat::RunFatScan(engine);
      double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (!ok) {
        std::fprintf(stderr, "scan failed: %d %s\n", error.Code(), error.Text().c_str());
        return 1;
      }
      if (ms < best) best = ms;
      files = engine.tree.empty() ? 0 : CountFiles(engine.tree.root());
      folders = engine.scan_progress.counter_b;
    }
    std::printf("%s scan: %.1f ms (best of %d), %llu deleted files in the tree, %llu folders kept\n",
                full ? "full" : "quick", best, repeat, static_cast<unsigned long long>(files),
                static_cast<unsigned long long>(folders));
  }
  return 0;
}
