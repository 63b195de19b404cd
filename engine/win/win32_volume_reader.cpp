// Win32 volume reader with aligned read-ahead.
#include "engine/win/win32_volume_reader.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>

namespace scavrel {

bool Win32VolumeReader::Open(const std::string& path) {
  Close();
  handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    error_ = GetLastError();
    return false;
  }
  // Volumes report their length through the disk ioctl; image files (and Wine's image-backed
  // drives, where the ioctl fails) through the file size.
  GET_LENGTH_INFORMATION length{};
  DWORD returned = 0;
  if (DeviceIoControl(handle_, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof(length),
                      &returned, nullptr)) {
    size_ = static_cast<uint64_t>(length.Length.QuadPart);
  } else {
    LARGE_INTEGER file_size{};
    size_ = GetFileSizeEx(handle_, &file_size) ? static_cast<uint64_t>(file_size.QuadPart) : 0;
  }
  block_.resize(kBlockSize);
  block_length_ = 0;
  window_ = kAlignment;
  read_end_ = ~0ull;
  direct_reads_ = true;
  failed_from_ = failed_to_ = 0;
  error_ = 0;
  return true;
}

void Win32VolumeReader::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  block_length_ = 0;
  size_ = 0;
}

bool Win32VolumeReader::ReadSpan(uint64_t offset, uint8_t* into, size_t length, DWORD* got) {
  *got = 0;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) {
    error_ = GetLastError();
    return false;
  }
  if (!ReadFile(handle_, into, static_cast<DWORD>(length), got, nullptr)) {
    error_ = GetLastError();
    return false;
  }
  read_end_ = offset + *got;
  return true;
}

bool Win32VolumeReader::LoadWindow(uint64_t offset, size_t wanted) {
  const uint64_t start = offset - offset % kAlignment;
  window_ = start == read_end_ ? std::min(window_ * 2, kBlockSize) : kAlignment;
  // At least the part of the request that a window can hold.
  const uint64_t reach = std::min<uint64_t>(offset - start + wanted, kBlockSize);
  size_t want = std::max(window_, static_cast<size_t>((reach + kAlignment - 1) / kAlignment *
                                                      kAlignment));
  block_length_ = 0;
  if (size_ != 0) {
    if (start >= size_) {
      error_ = ERROR_HANDLE_EOF;
      return false;
    }
    want = static_cast<size_t>(std::min<uint64_t>(want, size_ - start));
  }
  DWORD got = 0;
  if (!ReadSpan(start, block_.data(), want, &got)) {
    failed_from_ = start;
    failed_to_ = start + want;
    return false;
  }
  block_offset_ = start;
  block_length_ = got;
  return true;
}

bool Win32VolumeReader::LoadExact(uint64_t offset, size_t length) {
  block_length_ = 0;
  const uint64_t start = offset - offset % kSectorSize;
  uint64_t end = offset + std::min(length, kBlockSize - kSectorSize);
  end = (end + kSectorSize - 1) / kSectorSize * kSectorSize;
  if (size_ != 0) end = std::min(end, size_);
  if (end <= start) {
    error_ = ERROR_HANDLE_EOF;
    return false;
  }
  DWORD got = 0;
  if (!ReadSpan(start, block_.data(), static_cast<size_t>(end - start), &got)) return false;
  block_offset_ = start;
  block_length_ = got;
  return true;
}

bool Win32VolumeReader::Read(uint64_t offset, void* buffer, size_t length) {
  if (handle_ == INVALID_HANDLE_VALUE) {
    error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  while (length > 0) {
    if (block_length_ != 0 && offset >= block_offset_ && offset < block_offset_ + block_length_) {
      const size_t inside = static_cast<size_t>(offset - block_offset_);
      const size_t n = std::min(length, block_length_ - inside);
      std::memcpy(out, block_.data() + inside, n);
      out += n;
      offset += n;
      length -= n;
      continue;
    }
    if (direct_reads_ && offset % kDirectAlignment == 0 && length >= kDirectBytes) {
      size_t direct = std::min(length - length % kDirectAlignment, kLargestRead);
      if (size_ != 0 && offset < size_ && size_ - offset < direct) {
        const uint64_t left = size_ - offset;
        direct = static_cast<size_t>(left - left % kDirectAlignment);
      }
      if (direct != 0 && (size_ == 0 || offset < size_)) {
        DWORD got = 0;
        if (!ReadSpan(offset, out, direct, &got)) {
          // A device that wants its buffers aligned more strictly than the caller's refuses
          // the call as a bad parameter: this volume is then read through the window only.
          if (error_ != ERROR_INVALID_PARAMETER) return false;
          direct_reads_ = false;
          continue;
        }
        if (got == 0) {
          error_ = ERROR_HANDLE_EOF;
          return false;
        }
        window_ = kBlockSize;  // reading on from here is a large sequential read
        out += got;
        offset += got;
        length -= got;
        continue;
      }
    }
    // The head of a large request needs a window only up to the next boundary; the rest goes
    // straight through.
    const size_t wanted = length >= kDirectBytes + kDirectAlignment
                              ? kDirectAlignment - offset % kDirectAlignment
                              : length;
    const bool near_failure = offset >= failed_from_ && offset < failed_to_;
    if (near_failure || !LoadWindow(offset, wanted)) {
      if (!near_failure && error_ == ERROR_HANDLE_EOF) return false;
      if (!LoadExact(offset, length)) return false;
    }
    if (offset >= block_offset_ + block_length_) {
      error_ = ERROR_HANDLE_EOF;
      return false;
    }
  }
  return true;
}

}  // namespace scavrel
