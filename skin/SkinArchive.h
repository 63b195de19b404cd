// Skin archives (".ssk"): ZIP archives whose first two bytes read "SK" instead of "PK", holding
// one record container that is always inflated and may carry the traditional PKWARE
// encryption. This is the extraction routine; Sk2Container.h parses what it extracts.
//
// End of central directory record (the last 22 bytes of the file; no comment allowed)
//   off size field
//     0   4  signature 0x06054B50
//     4  12  disk numbers and entry counts (not used)
//    16   4  central directory offset
//    20   2  comment length (must be 0)
// Central directory file header (46 bytes, then name, extra field, comment)
//     8   2  general purpose flags (bit 0 encrypted, bit 3 check byte from the time)
//    12   2  modification time          16   4  CRC-32
//    24   4  uncompressed size          28   2  name length
//    30   2  extra field length         32   2  comment length
//    42   4  local header offset
// Local file header (30 bytes, then name and extra field): 26 name length, 28 extra length.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "skin/Inflate.h"

namespace skin {

// Results of an extraction, as the container reader sees them.
enum SkinExtractResult : uint8_t {
  kExtracted = 0,       // the output holds the entry's bytes
  kArchiveUnusable = 1, // not a skin archive, unreadable, or no such entry
  kNotExtractable = 2,  // entry found but encrypted without password, wrong password,
                        // undecodable data or a size that differs from the directory's
};

// Random access to the archive's bytes. ReadAt is false unless all size bytes were read.
class ArchiveSource {
 public:
  virtual ~ArchiveSource() = default;
  virtual uint64_t Size() const = 0;
  virtual bool ReadAt(uint64_t offset, uint8_t* dst, std::size_t size) = 0;
};

class MemoryArchiveSource : public ArchiveSource {
 public:
  MemoryArchiveSource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, uint8_t* dst, std::size_t size) override;

 private:
  const uint8_t* data_;
  std::size_t size_;
};

// A file opened for reading (others may read and write it meanwhile).
class FileArchiveSource : public ArchiveSource {
 public:
  explicit FileArchiveSource(const std::string& path);
  ~FileArchiveSource() override;
  FileArchiveSource(const FileArchiveSource&) = delete;
  FileArchiveSource& operator=(const FileArchiveSource&) = delete;

  bool is_open() const { return file_ != nullptr; }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, uint8_t* dst, std::size_t size) override;

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

// Extracts the entry named entry_name (compared without regard to ASCII case) into output.
// output may have taken bytes even when the result is not kExtracted.
SkinExtractResult ExtractSkinEntry(ArchiveSource& archive, const std::string& entry_name,
                                   InflateOutput& output, const std::string& password);

// The same from a file to a file; the output file is created only once the entry is found and
// is deleted again on every result but kExtracted.
SkinExtractResult ExtractSkinEntryToFile(const std::string& archive_path,
                                         const std::string& entry_name,
                                         const std::string& output_path,
                                         const std::string& password);

}  // namespace skin
