// libFuzzer target: the whole FAT scan (quick and full) over an in-memory volume made of the
// input bytes: boot sector, allocation table and directory clusters as the fuzzer shapes them.
// Seeds: small hand-made FAT16 and FAT32 volumes (fat_fuzz_seeds/). Besides not crashing, no
// allocation may outgrow what the image can hold.
#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// The most one allocation of a scan may take: the largest per-cluster table (a pointer per
// cluster) for the most clusters an allocation table inside the image can describe (a FAT12
// entry is a byte and a half), one cluster (at most 128 sectors of 4 KiB) and 64 KiB for
// pieces and names. Anything sized from the boot sector's claims beyond that is a fault.
constexpr size_t kLargestCluster = 128 * 4096;
std::atomic<size_t> limit{0};

void OnMalloc(const volatile void*, size_t size) {
  const size_t most = limit.load(std::memory_order_relaxed);
  if (most == 0 || size <= most) return;
  limit = 0;
  std::fprintf(stderr, "==fat_scan_fuzzer: the scan allocated %zu bytes in one piece\n", size);
  __sanitizer_print_stack_trace();
  std::abort();
}
void OnFree(const volatile void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
  return 0;
}

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
    limit = 8 * (size * 2 / 3 + 2) + kLargestCluster + 64 * 1024;
    scavrel::fat::RunFatScan(engine);
    limit = 0;
  }
  return 0;
}
