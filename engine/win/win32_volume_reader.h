// The DLL's volume reader: a raw volume (\\.\X:) or an image file opened read-only through
// CreateFileA, with a read-ahead window.
//
// Raw volume handles accept only sector-aligned offsets and lengths, and every ReadFile costs
// a system round trip (under Wine ~13 us for 4 KiB, ~200 us for 1 MiB), so callers may ask for
// any offset and length and the reader only ever reads aligned spans:
//   - a request that misses the window loads a new one at the 64 KiB boundary below it: 64 KiB
//     after a jump (a save opening its next file), doubling up to 1 MiB while the reads go on
//     where the last window ended (a scan walking clusters);
//   - the whole aligned 64 KiB pieces of a request of 1 MiB or more are read straight into the
//     caller's buffer, in one call, without passing through the window;
//   - a window that fails to load (a bad sector in it) is not kept: the request alone is read,
//     in whole sectors, so a bad sector fails only the requests that touch it, and later
//     requests inside that window are read the same way without trying the window again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/volume_reader.h"

namespace scavrel {

class Win32VolumeReader : public VolumeReader {
 public:
  Win32VolumeReader() = default;
  ~Win32VolumeReader() override { Close(); }
  Win32VolumeReader(const Win32VolumeReader&) = delete;
  Win32VolumeReader& operator=(const Win32VolumeReader&) = delete;

  // Opens the path read-only with read and write sharing; false with LastErrorCode() set.
  bool Open(const std::string& path);
  void Close();
  bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }

  bool Read(uint64_t offset, void* buffer, size_t length) override;
  uint32_t LastErrorCode() const override { return error_; }
  uint64_t Size() const override { return size_; }

  static constexpr size_t kBlockSize = 1 << 20;       // the largest window
  static constexpr size_t kAlignment = 64 << 10;      // of every read; the smallest window
  static constexpr size_t kLargestRead = 64 << 20;    // one ReadFile at most

 private:
  // Reads `length` bytes at an aligned offset; false unless all of them came.
  bool ReadSpan(uint64_t offset, uint8_t* into, size_t length, DWORD* got);
  bool LoadWindow(uint64_t offset, size_t wanted);
  // Reads just the sectors of a request that a failed window held, bypassing the window.
  bool ReadNarrow(uint64_t offset, uint8_t* out, size_t length);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  uint64_t size_ = 0;
  uint32_t error_ = 0;
  std::vector<uint8_t> block_;
  uint64_t block_offset_ = 0;
  size_t block_length_ = 0;  // valid bytes in block_; 0 = nothing cached
  size_t window_ = kAlignment;  // size of the last window loaded
  uint64_t read_end_ = ~0ull;   // where the last read from the handle ended
  bool direct_reads_ = true;    // large reads may go straight into the caller's buffer
  uint64_t failed_start_ = 0;   // the last window that failed to load: [start, end)
  uint64_t failed_end_ = 0;
};

}  // namespace scavrel
