// A volume that fails where a failing disk does: every read that touches one of the chosen
// byte ranges fails with ERROR_CRC (23), the code Windows gives for a sector the drive cannot
// read; everything else reads as the inner volume. It can also hide its size, as a raw device
// may whose length the platform cannot tell.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/volume_reader.h"

namespace scavrel::testing_reader {

constexpr uint32_t kErrorCrc = 23;

class FailingReader : public VolumeReader {
 public:
  explicit FailingReader(std::unique_ptr<VolumeReader> inner) : inner_(std::move(inner)) {}
  FailingReader(const std::vector<uint8_t>& image, std::vector<std::pair<uint64_t, uint64_t>> bad)
      : inner_(std::make_unique<MemoryVolumeReader>(image)), bad_(std::move(bad)) {}

  // Reads touching [offset, offset + length) fail from now on.
  void Fail(uint64_t offset, uint64_t length) { bad_.emplace_back(offset, length); }

  bool Read(uint64_t offset, void* buffer, size_t length) override {
    ++reads;
    for (const auto& [start, size] : bad_) {
      if (offset < start + size && start < offset + length) {
        error_ = kErrorCrc;
        return false;
      }
    }
    const bool ok = inner_->Read(offset, buffer, length);
    error_ = ok ? 0 : inner_->LastErrorCode();
    return ok;
  }
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return hide_size ? 0 : inner_->Size(); }

  bool hide_size = false;
  uint64_t reads = 0;

 private:
  std::unique_ptr<VolumeReader> inner_;
  std::vector<std::pair<uint64_t, uint64_t>> bad_;
  uint32_t error_ = 0;
};

}  // namespace scavrel::testing_reader
