// A memory volume that notes the longest single read it is asked for. A scanner reads into a
// buffer of the read's length, so a test sees what the scanner sized from on-disk counts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/volume_reader.h"

namespace scavrel::testing_reader {

class WatchedReader : public MemoryVolumeReader {
 public:
  WatchedReader(const std::vector<uint8_t>& image, size_t* longest)
      : MemoryVolumeReader(image), longest_(longest) {}
  bool Read(uint64_t offset, void* buffer, size_t length) override {
    *longest_ = std::max(*longest_, length);
    return MemoryVolumeReader::Read(offset, buffer, length);
  }

 private:
  size_t* longest_;
};

}  // namespace scavrel::testing_reader
