// Portable volume readers: memory blocks and image files.
#include "engine/volume_reader.h"

#include <algorithm>
#include <cstring>

namespace scavrel {

bool MemoryVolumeReader::Read(uint64_t offset, void* buffer, size_t length) {
  if (offset > size_ || length > size_ - offset) {
    error_ = kErrorHandleEof;
    return false;
  }
  if (length != 0) std::memcpy(buffer, data_ + offset, length);
  return true;
}

FileVolumeReader::FileVolumeReader(const std::string& path)
    : file_(path, std::ios::binary | std::ios::in) {
  if (!file_) {
    error_ = kErrorFileNotFound;
    return;
  }
  file_.seekg(0, std::ios::end);
  std::streamoff end = file_.tellg();
  if (end < 0) {
    error_ = kErrorReadFault;
    return;
  }
  size_ = static_cast<uint64_t>(end);
  ok_ = true;
}

bool FileVolumeReader::ReadStream(uint64_t offset, uint8_t* into, size_t length) {
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  file_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(length));
  if (!file_ || static_cast<size_t>(file_.gcount()) != length) {
    error_ = kErrorReadFault;
    read_end_ = ~0ull;
    return false;
  }
  read_end_ = offset + length;
  return true;
}

bool FileVolumeReader::LoadWindow(uint64_t offset, size_t wanted) {
  const uint64_t start = offset - offset % kWindowAlignment;
  window_size_ = offset == read_end_ ? std::min(window_size_ * 2, kWindowBytes) : kWindowAlignment;
  // At least the part of the request that a window can hold.
  const uint64_t reach = std::min<uint64_t>(offset - start + wanted, kWindowBytes);
  const size_t rounded =
      static_cast<size_t>((reach + kWindowAlignment - 1) / kWindowAlignment * kWindowAlignment);
  const size_t length =
      static_cast<size_t>(std::min<uint64_t>(std::max(window_size_, rounded), size_ - start));
  window_length_ = 0;
  if (!window_) window_ = std::make_unique<uint8_t[]>(kWindowBytes);
  if (!ReadStream(start, window_.get(), length)) return false;
  window_offset_ = start;
  window_length_ = length;
  return true;
}

bool FileVolumeReader::Read(uint64_t offset, void* buffer, size_t length) {
  if (!ok_) return false;
  if (offset > size_ || length > size_ - offset) {
    error_ = kErrorHandleEof;
    return false;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  while (length > 0) {
    if (window_length_ != 0 && offset >= window_offset_ &&
        offset - window_offset_ < window_length_) {
      const size_t inside = static_cast<size_t>(offset - window_offset_);
      const size_t n = std::min(length, window_length_ - inside);
      std::memcpy(out, window_.get() + inside, n);
      out += n;
      offset += n;
      length -= n;
      continue;
    }
    if (length >= kDirectBytes) return ReadStream(offset, out, length);
    // Whatever failed in the window need not lie in the caller's bytes.
    if (!LoadWindow(offset, length)) return ReadStream(offset, out, length);
  }
  return true;
}

}  // namespace scavrel
