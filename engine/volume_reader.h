// Read-only access to a volume's bytes. The scanners and the save path read through this
// interface only: a Win32 volume handle in the DLL, a file or a memory block in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
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

// An image file opened read-only, read ahead as the DLL's volume reader reads a volume:
//   - a small request that misses the window loads a new one at the 64 KiB boundary below it:
//     64 KiB after a jump (a save opening its next file), doubling up to 1 MiB while the reads
//     go on where the last read from the file ended (a scan walking clusters one by one, for
//     which a stream seek and read each would cost more than the scan);
//   - a request of 64 KiB or more, or what is left of it past the window, goes straight into
//     the caller's buffer in one read: passing it through the window would only copy it twice.
// A save of thousands of small files then reads each file once, not the megabyte around it.
class FileVolumeReader : public VolumeReader {
 public:
  explicit FileVolumeReader(const std::string& path);
  bool ok() const { return ok_; }

  bool Read(uint64_t offset, void* buffer, size_t length) override;
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return size_; }

  static constexpr size_t kWindowBytes = 1 << 20;      // the largest window
  static constexpr size_t kWindowAlignment = 64 << 10;  // of every window; the smallest one
  static constexpr size_t kDirectBytes = 64 << 10;      // requests this large skip the window

 private:
  bool ReadStream(uint64_t offset, uint8_t* into, size_t length);
  bool LoadWindow(uint64_t offset, size_t wanted);

  std::ifstream file_;
  std::unique_ptr<uint8_t[]> window_;
  uint64_t window_offset_ = 0;
  size_t window_length_ = 0;          // valid bytes in window_; 0 = nothing cached
  size_t window_size_ = kWindowAlignment;  // of the last window loaded
  uint64_t read_end_ = ~0ull;         // where the last read from the file ended
  bool ok_ = false;
  uint64_t size_ = 0;
  uint32_t error_ = 0;
};

}  // namespace scavrel
