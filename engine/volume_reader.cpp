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
    return false;
  }
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
    if (offset >= window_offset_ && offset - window_offset_ < window_.size()) {
      const size_t inside = static_cast<size_t>(offset - window_offset_);
      const size_t n = std::min(length, window_.size() - inside);
      std::memcpy(out, window_.data() + inside, n);
      out += n;
      offset += n;
      length -= n;
      continue;
    }
    if (length >= kWindowBytes) return ReadStream(offset, out, length);
    const uint64_t start = offset - offset % kWindowAlignment;
    window_.resize(static_cast<size_t>(std::min<uint64_t>(kWindowBytes, size_ - start)));
    if (!ReadStream(start, window_.data(), window_.size())) {
      // Whatever failed in the window need not lie in the caller's bytes.
      window_.clear();
      return ReadStream(offset, out, length);
    }
    window_offset_ = start;
  }
  return true;
}

}  // namespace scavrel
