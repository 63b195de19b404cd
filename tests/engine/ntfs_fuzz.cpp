// Fuzzes the NTFS scan with damaged MFT records, run lists, attribute lists and boot sectors.
// The first byte picks what the input replaces in a small valid volume (ntfs_test::Volume):
//   0  an MFT record (1 KiB, fixups as given) and the cluster an attribute list may point at;
//      the same bytes also lie in free space, for the full scan's lost-record search
//   1  the boot sector
//   2  the MFT's own record (record 0)
//   3  a run list read directly
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "engine/ntfs_volume.h"
#include "tests/engine/ntfs_test_volume.h"

using namespace scavrel;

namespace {

class FuzzPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string&, uint32_t*) override {
    return std::make_unique<MemoryVolumeReader>(image);
  }
  std::vector<uint8_t> image;
};

std::vector<uint8_t> Piece(const uint8_t* data, size_t size, size_t offset, size_t length) {
  std::vector<uint8_t> out(length, 0);
  if (offset < size) std::memcpy(out.data(), data + offset, std::min(length, size - offset));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0] % 4;
  ++data;
  --size;
  ntfs_test::Volume vol;
  vol.SetRecord(16, ntfs_test::Record(3).FileName(5, u"dir").Finish());
  FuzzPlatform platform;
  LastError error;
  Engine engine(EngineKind::kNtfs);
  engine.last_error = &error;
  engine.platform = &platform;
  engine.volume_device_path = "image";

  if (mode == 3) {
    NtfsVolume volume;
    auto image = vol.Image();
    if (!CheckNtfsBootSector(volume, ByteSpan{image.data(), 512})) return 0;
    engine.scan_flags.stop = 0;
    ExtentList list;
    InitExtentList(&list);
    uint64_t first = size >= 1 ? data[0] : 0;
    ReadRunList(engine, volume, ByteSpan{data, size}, &list, first, first + 40);
    volume.bitmap.assign(32, 0x55);
    CountFreeClusters(volume, &list);
    FreeRuns(&list);
    return 0;
  }
  if (mode == 0) {
    vol.SetRecord(17, Piece(data, size, 0, 1024));
    vol.Write(70 * 4096, Piece(data, size, 1024, 4096));
    vol.Write(100 * 4096 + 512, Piece(data, size, 0, 1024));
  } else if (mode == 1) {
    vol.Write(0, Piece(data, size, 0, 512));
  } else {
    vol.SetRecord(0, Piece(data, size, 0, 1024));
  }
  platform.image = vol.Image();
  for (uint8_t full : {0, 1}) {
    engine.extra_pass = full;
    engine.scan_flags.stop = 0;
    NtfsScanMain(engine);
  }
  return 0;
}
