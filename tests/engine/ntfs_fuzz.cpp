// Fuzzes the NTFS scan with damaged MFT records, run lists, attribute lists and boot sectors.
// The first byte picks what the input replaces in a small valid volume (ntfs_test::Volume of
// 48 clusters, 192 KiB):
//   0  an MFT record (1 KiB, fixups as given) and the cluster an attribute list may point at;
//      the same bytes also lie in free space, for the full scan's lost-record search
//   1  the boot sector
//   2  the MFT's own record (record 0)
//   3  a run list read directly
// The volume is built once; each input starts from a copy of it in a buffer that stays
// allocated, so an input costs its scan and not the building of pages. Each input gets one
// full scan: its main pass is the quick scan's whole work.
//
// Besides not crashing, a scan must not allocate more than the image holds in one piece: every
// buffer it sizes from on-disk counts is bounded by the device, whatever the boot sector or a
// record claims. Nor may all it allocates in one scan, piece by piece, pass a few times the
// image: a count that makes the scan allocate over and over (a record table, a run list of
// claimed length) grows with what the volume claims, not with what it holds. (The fuzzer's
// resident size levels off near 360 MB all the same: AddressSanitizer keeps 256 MB of freed
// blocks in quarantine, and every scan frees its 128 KiB record buffers.)
#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "engine/ntfs_volume.h"
#include "tests/engine/ntfs_test_volume.h"

using namespace scavrel;

namespace {

constexpr uint64_t kClusters = 48;
constexpr size_t kImageBytes = kClusters * 4096;
constexpr uint64_t kListCluster = 30;
constexpr uint64_t kLostRecordAt = 40 * 4096 + 512;  // off a cluster start, as lost ones may be

class FuzzPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string&, uint32_t*) override {
    return std::make_unique<MemoryVolumeReader>(*image);
  }
  const std::vector<uint8_t>* image = nullptr;
};

// The valid volume every input starts from, and the buffer the input's bytes go into.
struct Fixture {
  std::vector<uint8_t> base;
  std::vector<uint8_t> image;
  Fixture() {
    ntfs_test::Volume vol(kClusters);
    vol.SetRecord(16, ntfs_test::Record(3).FileName(5, u"dir").Finish());
    base = vol.Image();
    image = base;
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Watches every allocation while a scan runs; one larger than the image, or more than
// kScanBytesBound in all, is a fault.
std::atomic<bool> watching{false};
std::atomic<size_t> scan_bytes{0};
constexpr size_t kScanBytesBound = 4 * kImageBytes + 256 * 1024;

void OnMalloc(const volatile void*, size_t size) {
  if (!watching.load(std::memory_order_relaxed)) return;
  const size_t total = scan_bytes.fetch_add(size, std::memory_order_relaxed) + size;
  if (size <= kImageBytes && total <= kScanBytesBound) return;
  watching = false;
  std::fprintf(stderr,
               "==ntfs_fuzz: the scan allocated %zu bytes in one piece, %zu in all (image: %zu)\n",
               size, total, kImageBytes);
  __sanitizer_print_stack_trace();
  std::abort();
}
void OnFree(const volatile void*) {}

void Place(std::vector<uint8_t>& image, size_t at, const uint8_t* data, size_t size,
           size_t offset, size_t length) {
  // The piece of the input at `offset`, zero-filled to `length`.
  std::memset(image.data() + at, 0, length);
  if (offset < size) std::memcpy(image.data() + at, data + offset, std::min(length, size - offset));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
  Shared();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0] % 4;
  ++data;
  --size;
  Fixture& fixture = Shared();
  std::vector<uint8_t>& image = fixture.image;

  LastError error;
  Engine engine(EngineKind::kNtfs);
  engine.last_error = &error;
  engine.scan_flags.stop = 0;

  if (mode == 3) {
    NtfsVolume volume;
    if (!CheckNtfsBootSector(volume, ByteSpan{fixture.base.data(), 512})) __builtin_trap();
    volume.device_bytes = kImageBytes;
    ExtentList list;
    InitExtentList(&list);
    uint64_t first = data[0];
    scan_bytes = 0;
    watching = true;
    ReadRunList(engine, volume, ByteSpan{data, size}, &list, first, first + 40);
    volume.bitmap.assign(32, 0x55);
    CountFreeClusters(volume, &list);
    watching = false;
    FreeRuns(&list);
    return 0;
  }

  std::memcpy(image.data(), fixture.base.data(), kImageBytes);
  const size_t records = ntfs_test::Volume::kMftCluster * 4096;
  if (mode == 0) {
    Place(image, records + 17 * 1024, data, size, 0, 1024);
    Place(image, kListCluster * 4096, data, size, 1024, 4096);
    Place(image, kLostRecordAt, data, size, 0, 1024);
  } else if (mode == 1) {
    Place(image, 0, data, size, 0, 512);
  } else {
    Place(image, records, data, size, 0, 1024);
  }

  FuzzPlatform platform;
  platform.image = &image;
  engine.platform = &platform;
  engine.volume_device_path = "image";
  engine.extra_pass = 1;
  scan_bytes = 0;
  watching = true;
  NtfsScanMain(engine);
  watching = false;
  return 0;
}
