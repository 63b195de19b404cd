// The DLL's volume reader: a raw volume (\\.\X:) or an image file opened read-only through
// CreateFileA, with a read-ahead window.
//
// Raw volume handles accept only sector-aligned offsets and lengths, and every ReadFile costs
// a system round trip (under Wine ~13 us for 4 KiB, ~200 us for 1 MiB), so callers may ask for
// any offset and length and the reader only ever reads aligned spans:
//   - a request that misses the window loads a new one at the 64 KiB boundary below it: 64 KiB
//     after a jump (a save opening its next file), doubling up to 1 MiB while the reads go on
//     where the last window ended (a scan walking clusters);
//   - a request of 64 KiB or more that starts on a 4 KiB boundary (what the window does not
//     hold of it) is read straight into the caller's buffer, in one call, its whole 4 KiB
//     pieces without passing through the window: a scan's megabyte pieces and a save's
//     quarter-megabyte ones start on cluster ends, and copying them through the window would
//     cost as much as the read. 4 KiB is a whole number of sectors on 512-byte and 4 KiB
//     sector disks alike;
//   - a window that fails to load (a bad sector somewhere in it) does not fail the caller's
//     request: the request is read on its own, sector-aligned, and so is every later request
//     inside that window's span, so that one bad sector neither hides the good ones around it
//     nor is read again for each of them.
// A failed read is reported as failed, never as zeros.
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
  static constexpr size_t kSectorSize = 512;          // of reads beside a failed window
  static constexpr size_t kDirectAlignment = 4 << 10;  // of reads into the caller's buffer
  static constexpr size_t kDirectBytes = 64 << 10;     // the smallest of them

 protected:
  // One read of the handle at an aligned offset; false with error_ set when the system failed
  // it (`got` may then be short). Tests put bad sectors here.
  virtual bool ReadSpan(uint64_t offset, uint8_t* into, size_t length, DWORD* got);
  uint32_t error_ = 0;

 private:
  bool LoadWindow(uint64_t offset, size_t wanted);
  // The sector-aligned span around [offset, offset + length), up to a window's size, as the
  // window; false when even that fails.
  bool LoadExact(uint64_t offset, size_t length);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  uint64_t size_ = 0;
  std::vector<uint8_t> block_;
  uint64_t block_offset_ = 0;
  size_t block_length_ = 0;  // valid bytes in block_; 0 = nothing cached
  size_t window_ = kAlignment;  // size of the last window loaded
  uint64_t read_end_ = ~0ull;   // where the last read from the handle ended
  bool direct_reads_ = true;    // large reads may go straight into the caller's buffer
  uint64_t failed_from_ = 0, failed_to_ = 0;  // span of the last window that failed to load
};

}  // namespace scavrel
