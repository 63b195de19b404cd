// A scan run natively over a volume image file, as the library's worker thread runs it: the
// image as the device, quick or full (the extra pass), no stop asked. For the tests over the
// builders' volumes and the bench tools.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/fat_scan.h"
#include "engine/ntfs_scan.h"

namespace volume_scan {

inline uint8_t ScanImage(scavrel::Engine& engine, const std::string& image_path, bool full) {
  engine.volume_device_path = image_path;
  engine.extra_pass = full ? 1 : 0;
  engine.scan_flags.stop = 0;
  return engine.is_ntfs() ? scavrel::NtfsScanMain(engine) : scavrel::fat::RunFatScan(engine);
}

}  // namespace volume_scan
