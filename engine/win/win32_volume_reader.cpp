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
  error_ = 0;
  return true;
}

void Win32VolumeReader::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  block_length_ = 0;
  size_ = 0;
}

bool Win32VolumeReader::LoadBlock(uint64_t block_offset) {
  block_length_ = 0;
  size_t want = kBlockSize;
  if (size_ != 0) {
    if (block_offset >= size_) {
      error_ = ERROR_HANDLE_EOF;
      return false;
    }
    want = static_cast<size_t>(std::min<uint64_t>(want, size_ - block_offset));
  }
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(block_offset);
  if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) {
    error_ = GetLastError();
    return false;
  }
  DWORD got = 0;
  if (!ReadFile(handle_, block_.data(), static_cast<DWORD>(want), &got, nullptr)) {
    error_ = GetLastError();
    return false;
  }
  block_offset_ = block_offset;
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
    if (block_length_ == 0 || offset < block_offset_ || offset >= block_offset_ + block_length_) {
      if (!LoadBlock(offset - offset % kBlockSize)) return false;
      if (offset >= block_offset_ + block_length_) {
        error_ = ERROR_HANDLE_EOF;
        return false;
      }
    }
    size_t inside = static_cast<size_t>(offset - block_offset_);
    size_t n = std::min(length, block_length_ - inside);
    std::memcpy(out, block_.data() + inside, n);
    out += n;
    offset += n;
    length -= n;
  }
  return true;
}

}  // namespace scavrel
