// Read-only access to a volume's bytes. The scanners and the save path read through this
// interface only: a Win32 volume handle in the DLL, a file or a memory block in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace scavrel {

class VolumeReader {
 public:
  virtual ~VolumeReader() = default;
  // Reads exactly `length` bytes at byte `offset`. On failure returns false and leaves a system
  // error code in LastErrorCode() (a read past the end of the volume fails too).
  virtual bool Read(uint64_t offset, void* buffer, size_t length) = 0;
  virtual uint32_t LastErrorCode() const = 0;
  // Size of the volume in bytes, or 0 when the platform cannot tell.
  virtual uint64_t Size() const = 0;
};

// Error codes a portable reader reports (the Win32 values, so texts match on both sides).
constexpr uint32_t kErrorReadFault = 30;       // ERROR_READ_FAULT
constexpr uint32_t kErrorHandleEof = 38;       // ERROR_HANDLE_EOF
constexpr uint32_t kErrorFileNotFound = 2;     // ERROR_FILE_NOT_FOUND

class MemoryVolumeReader : public VolumeReader {
 public:
  MemoryVolumeReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit MemoryVolumeReader(const std::vector<uint8_t>& bytes)
      : data_(bytes.data()), size_(bytes.size()) {}

  bool Read(uint64_t offset, void* buffer, size_t length) override;
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  uint32_t error_ = 0;
};

// An image file opened read-only. Small reads are served from a read-ahead window (a scan
// walks clusters one by one; a stream seek and read for each would cost more than the scan),
// large ones go straight into the caller's buffer.
class FileVolumeReader : public VolumeReader {
 public:
  explicit FileVolumeReader(const std::string& path);
  bool ok() const { return ok_; }

  bool Read(uint64_t offset, void* buffer, size_t length) override;
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return size_; }

  static constexpr size_t kWindowBytes = 1 << 20;
  static constexpr size_t kWindowAlignment = 64 << 10;

 private:
  bool ReadStream(uint64_t offset, uint8_t* into, size_t length);

  std::ifstream file_;
  std::vector<uint8_t> window_;
  uint64_t window_offset_ = 0;
  bool ok_ = false;
  uint64_t size_ = 0;
  uint32_t error_ = 0;
};

}  // namespace scavrel
