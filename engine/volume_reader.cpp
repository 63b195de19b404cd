// Portable volume readers: memory blocks and image files.
#include "engine/volume_reader.h"

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

bool FileVolumeReader::Read(uint64_t offset, void* buffer, size_t length) {
  if (!ok_) return false;
  if (offset > size_ || length > size_ - offset) {
    error_ = kErrorHandleEof;
    return false;
  }
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(length));
  if (!file_ || static_cast<size_t>(file_.gcount()) != length) {
    error_ = kErrorReadFault;
    return false;
  }
  return true;
}

}  // namespace scavrel
