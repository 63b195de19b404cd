// Extraction of the record container from a skin archive: the central directory walk, the
// traditional PKWARE decryption and the hand-over to the inflater.
#include "skin/SkinArchive.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace skin {
namespace {

constexpr uint32_t kEndSignature = 0x06054B50u;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kEndCentralOffset = 16;
constexpr std::size_t kEndCommentLength = 20;

constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kCentralFlags = 8;
constexpr std::size_t kCentralTime = 12;
constexpr std::size_t kCentralCrc = 16;
constexpr std::size_t kCentralUncompressed = 24;
constexpr std::size_t kCentralNameLength = 28;
constexpr std::size_t kCentralExtraLength = 30;
constexpr std::size_t kCentralCommentLength = 32;
constexpr std::size_t kCentralLocalOffset = 42;
// The name buffer holds 259 characters and a terminator.
constexpr std::size_t kMaxCentralName = 259;

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kLocalNameLength = 26;
constexpr std::size_t kLocalExtraLength = 28;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagCheckFromTime = 0x0008;
constexpr std::size_t kEncryptionHeaderSize = 12;
constexpr std::size_t kDecryptBlock = 1024;

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNameIgnoringCase(const uint8_t* name, std::size_t length, const std::string& wanted) {
  if (length != wanted.size()) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (AsciiUpper(static_cast<char>(name[i])) != AsciiUpper(wanted[i])) return false;
  }
  return true;
}

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

// The three keys of the application note's traditional encryption.
class ZipCryptoKeys {
 public:
  explicit ZipCryptoKeys(const std::string& password) {
    for (char c : password) Update(static_cast<uint8_t>(c));
  }
  uint8_t Decrypt(uint8_t b) {
    uint32_t temp = (keys_[2] | 2u) & 0xFFFFu;
    uint8_t plain = b ^ static_cast<uint8_t>((temp * (temp ^ 1u)) >> 8);
    Update(plain);
    return plain;
  }

 private:
  static uint32_t Crc(uint32_t crc, uint8_t b) { return CrcTable()[(crc ^ b) & 0xFFu] ^ (crc >> 8); }
  void Update(uint8_t b) {
    keys_[0] = Crc(keys_[0], b);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFFu)) * 134775813u + 1u;
    keys_[2] = Crc(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }
  uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

// The entry's data runs from its start to the end of the archive: the inflater stops at the
// final block, whatever follows.
class ArchiveTail : public InflateInput {
 public:
  ArchiveTail(ArchiveSource& archive, uint64_t start) : archive_(archive), position_(start) {}
  std::ptrdiff_t Read(uint8_t* dst, std::size_t size) override {
    uint64_t end = archive_.Size();
    if (position_ >= end) return 0;
    std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(size, end - position_));
    if (!archive_.ReadAt(position_, dst, n)) return -1;
    position_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  ArchiveSource& archive_;
  uint64_t position_;
};

class DecryptingInput : public InflateInput {
 public:
  DecryptingInput(InflateInput& inner, ZipCryptoKeys& keys) : inner_(inner), keys_(keys) {}
  std::ptrdiff_t Read(uint8_t* dst, std::size_t size) override {
    std::ptrdiff_t got = inner_.Read(dst, std::min(size, kDecryptBlock));
    for (std::ptrdiff_t i = 0; i < got; ++i) dst[i] = keys_.Decrypt(dst[i]);
    return got;
  }

 private:
  InflateInput& inner_;
  ZipCryptoKeys& keys_;
};

// Counts what reaches the output and refuses bytes beyond the directory's size: such an entry
// can only end in a size mismatch, and a small archive must not fill the disk first.
class CountingOutput : public InflateOutput {
 public:
  CountingOutput(InflateOutput& inner, uint64_t limit) : inner_(inner), limit_(limit) {}
  bool Write(const uint8_t* data, std::size_t size) override {
    if (size > limit_ - count_) {
      overrun_ = true;
      return false;
    }
    if (!inner_.Write(data, size)) return false;
    count_ += size;
    return true;
  }
  uint64_t count() const { return count_; }
  bool overrun() const { return overrun_; }

 private:
  InflateOutput& inner_;
  uint64_t limit_;
  uint64_t count_ = 0;
  bool overrun_ = false;
};

class FileOutput : public InflateOutput {
 public:
  explicit FileOutput(std::FILE* file) : file_(file) {}
  bool Write(const uint8_t* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file_) == size;
  }

 private:
  std::FILE* file_;
};

struct CentralEntry {
  uint16_t flags = 0;
  uint16_t time = 0;
  uint32_t crc = 0;
  uint32_t uncompressed_size = 0;
  uint32_t local_offset = 0;
};

// Steps up to the entry's central header; false when the archive is unusable or lacks it.
bool FindEntry(ArchiveSource& archive, const std::string& entry_name, CentralEntry* entry) {
  uint8_t two[2];
  if (!archive.ReadAt(0, two, 2) || two[0] != 'S' || two[1] != 'K') return false;
  uint64_t size = archive.Size();
  if (size < kEndRecordSize) return false;
  uint64_t end_position = size - kEndRecordSize;
  uint8_t end[kEndRecordSize];
  if (!archive.ReadAt(end_position, end, sizeof end)) return false;
  // Archives with a comment are not searched for their end record.
  if (ReadLe32(end) != kEndSignature || ReadLe16(end + kEndCommentLength) != 0) return false;

  uint64_t position = ReadLe32(end + kEndCentralOffset);
  uint8_t header[kCentralHeaderSize];
  uint8_t name[kMaxCentralName];
  while (position < end_position) {
    if (!archive.ReadAt(position, header, sizeof header)) return false;
    std::size_t name_length = ReadLe16(header + kCentralNameLength);
    uint64_t next = position + kCentralHeaderSize + name_length +
                    ReadLe16(header + kCentralExtraLength) + ReadLe16(header + kCentralCommentLength);
    // A name too long for the name buffer cannot be the entry sought; it is passed over.
    if (name_length <= kMaxCentralName) {
      if (!archive.ReadAt(position + kCentralHeaderSize, name, name_length)) return false;
      if (SameNameIgnoringCase(name, name_length, entry_name)) {
        entry->flags = ReadLe16(header + kCentralFlags);
        entry->time = ReadLe16(header + kCentralTime);
        entry->crc = ReadLe32(header + kCentralCrc);
        entry->uncompressed_size = ReadLe32(header + kCentralUncompressed);
        entry->local_offset = ReadLe32(header + kCentralLocalOffset);
        return true;
      }
    }
    position = next;
  }
  return false;
}

enum class Outcome { kDone, kFailed, kRefused };

Outcome Decode(ArchiveSource& archive, const CentralEntry& entry, const std::string& password,
               InflateOutput& output) {
  uint8_t local[kLocalHeaderSize];
  if (!archive.ReadAt(entry.local_offset, local, sizeof local)) return Outcome::kFailed;
  uint64_t data = uint64_t{entry.local_offset} + kLocalHeaderSize +
                  ReadLe16(local + kLocalNameLength) + ReadLe16(local + kLocalExtraLength);
  ArchiveTail tail(archive, data);

  // The method field is not looked at: the data is always inflated.
  InflateStatus status;
  if (entry.flags & kFlagEncrypted) {
    if (password.empty()) return Outcome::kRefused;
    ZipCryptoKeys keys(password);
    uint8_t header[kEncryptionHeaderSize];
    if (tail.Read(header, sizeof header) != static_cast<std::ptrdiff_t>(sizeof header)) {
      return Outcome::kFailed;
    }
    for (uint8_t& b : header) b = keys.Decrypt(b);
    uint8_t check = (entry.flags & kFlagCheckFromTime) ? static_cast<uint8_t>(entry.time >> 8)
                                                      : static_cast<uint8_t>(entry.crc >> 24);
    if (header[kEncryptionHeaderSize - 1] != check) return Outcome::kRefused;
    DecryptingInput plain(tail, keys);
    status = Inflate(plain, output);
  } else {
    status = Inflate(tail, output);
  }
  switch (status) {
    case InflateStatus::kOk:
      return Outcome::kDone;
    case InflateStatus::kMalformed:
      return Outcome::kRefused;
    default:
      return Outcome::kFailed;
  }
}

}  // namespace

bool MemoryArchiveSource::ReadAt(uint64_t offset, uint8_t* dst, std::size_t size) {
  if (offset > size_ || size > size_ - offset) return false;
  if (size > 0) std::memcpy(dst, data_ + offset, size);
  return true;
}

FileArchiveSource::FileArchiveSource(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return;
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long end = std::ftell(file_);
    if (end >= 0) {
      size_ = static_cast<uint64_t>(end);
      return;
    }
  }
  std::fclose(file_);
  file_ = nullptr;
}

FileArchiveSource::~FileArchiveSource() {
  if (file_ != nullptr) std::fclose(file_);
}

bool FileArchiveSource::ReadAt(uint64_t offset, uint8_t* dst, std::size_t size) {
  if (offset > size_ || size > size_ - offset) return false;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(dst, 1, size, file_) == size;
}

namespace {

SkinExtractResult Judge(ArchiveSource& archive, const CentralEntry& entry,
                        const std::string& password, InflateOutput& output) {
  CountingOutput counted(output, entry.uncompressed_size);
  Outcome outcome;
  try {
    outcome = Decode(archive, entry, password, counted);
  } catch (const std::bad_alloc&) {
    outcome = Outcome::kFailed;
  }
  // The size is judged after every outcome, so an interrupted extraction normally ends as a
  // mismatch; no CRC-32 of the output is checked.
  if (counted.overrun() || counted.count() != entry.uncompressed_size) return kNotExtractable;
  if (outcome == Outcome::kRefused) return kNotExtractable;
  if (outcome == Outcome::kFailed) return kArchiveUnusable;
  if (counted.count() == 0) return kArchiveUnusable;
  return kExtracted;
}

bool FindEntryNoThrow(ArchiveSource& archive, const std::string& entry_name,
                      CentralEntry* entry) {
  try {
    return FindEntry(archive, entry_name, entry);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

SkinExtractResult ExtractSkinEntry(ArchiveSource& archive, const std::string& entry_name,
                                   InflateOutput& output, const std::string& password) {
  CentralEntry entry;
  if (!FindEntryNoThrow(archive, entry_name, &entry)) return kArchiveUnusable;
  return Judge(archive, entry, password, output);
}

SkinExtractResult ExtractSkinEntryToFile(const std::string& archive_path,
                                         const std::string& entry_name,
                                         const std::string& output_path,
                                         const std::string& password) {
  SkinExtractResult result = kArchiveUnusable;
  {
    FileArchiveSource archive(archive_path);
    CentralEntry entry;
    if (archive.is_open() && FindEntryNoThrow(archive, entry_name, &entry)) {
      std::FILE* out = std::fopen(output_path.c_str(), "wb");
      if (out != nullptr) {
        FileOutput file_output(out);
        result = Judge(archive, entry, password, file_output);
        if (std::fclose(out) != 0 && result == kExtracted) result = kArchiveUnusable;
      }
    }
  }
  if (result != kExtracted) std::remove(output_path.c_str());
  return result;
}

}  // namespace skin
