// libFuzzer target: the whole FAT scan (quick and full) over an in-memory volume made of the
// input bytes: boot sector, allocation table and directory clusters as the fuzzer shapes them.
// Seeds: small hand-made FAT16 and FAT32 volumes (fat_fuzz_seeds/).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/fat_scan.h"

namespace {

class MemoryPlatform : public scavrel::WorkerPlatform {
 public:
  std::unique_ptr<scavrel::VolumeReader> OpenVolume(const std::string&, uint32_t*) override {
    return std::make_unique<scavrel::MemoryVolumeReader>(*image);
  }
  const std::vector<uint8_t>* image = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image(data, data + size);
  MemoryPlatform platform;
  platform.image = &image;
  scavrel::LastError error;
  for (uint8_t full : {0, 1}) {
    scavrel::Engine engine(scavrel::EngineKind::kFat);
    engine.platform = &platform;
    engine.last_error = &error;
    engine.extra_pass = full;
    engine.scan_flags.stop = 0;
    scavrel::fat::RunFatScan(engine);
  }
  return 0;
}
