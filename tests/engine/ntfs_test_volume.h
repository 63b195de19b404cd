// Hand-made NTFS volumes for the engine's tests: a boot sector, an MFT of 64 one-KiB records,
// a volume bitmap and whatever records a test adds, laid out as NTFS lays them out (4 KiB
// clusters, 512-byte sectors). Records are built attribute by attribute and closed with their
// update-sequence fixups, so the scanner reads them exactly as it reads a real volume.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ntfs_test {

inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// One MFT record, built attribute by attribute.
class Record {
 public:
  explicit Record(uint16_t flags, size_t size = 1024) : bytes_(size, 0) {
    std::memcpy(bytes_.data(), "FILE", 4);
    Put16(bytes_, 4, 0x30);                        // update-sequence array
    Put16(bytes_, 6, static_cast<uint16_t>(size / 512 + 1));
    // The first attribute follows the array, 8-byte aligned: 0x38 for 1 KiB records.
    at_ = (0x30 + 2 * (size / 512 + 1) + 7) & ~size_t{7};
    Put16(bytes_, 20, static_cast<uint16_t>(at_));
    Put16(bytes_, 22, flags);
    Put32(bytes_, 28, static_cast<uint32_t>(size));
  }

  // A raw attribute: header fields are the caller's.
  Record& Raw(const std::vector<uint8_t>& attribute) {
    std::memcpy(bytes_.data() + at_, attribute.data(), attribute.size());
    at_ += attribute.size();
    return *this;
  }

  Record& Resident(uint32_t type, const std::vector<uint8_t>& value, const std::u16string& name = u"") {
    size_t name_bytes = name.size() * 2;
    size_t value_offset = (24 + name_bytes + 7) & ~size_t{7};
    size_t length = (value_offset + value.size() + 7) & ~size_t{7};
    std::vector<uint8_t> a(length, 0);
    Put32(a, 0, type);
    Put32(a, 4, static_cast<uint32_t>(length));
    a[9] = static_cast<uint8_t>(name.size());
    Put16(a, 10, 24);
    for (size_t i = 0; i < name.size(); ++i) Put16(a, 24 + 2 * i, name[i]);
    Put32(a, 16, static_cast<uint32_t>(value.size()));
    Put16(a, 20, static_cast<uint16_t>(value_offset));
    std::memcpy(a.data() + value_offset, value.data(), value.size());
    return Raw(a);
  }

  Record& NonResident(uint32_t type, const std::vector<uint8_t>& runs, uint64_t first_vcn,
                      uint64_t last_vcn, uint64_t real_size, const std::u16string& name = u"") {
    size_t name_bytes = name.size() * 2;
    size_t runs_offset = (64 + name_bytes + 7) & ~size_t{7};
    size_t length = (runs_offset + runs.size() + 1 + 7) & ~size_t{7};
    std::vector<uint8_t> a(length, 0);
    Put32(a, 0, type);
    Put32(a, 4, static_cast<uint32_t>(length));
    a[8] = 1;
    a[9] = static_cast<uint8_t>(name.size());
    Put16(a, 10, 64);
    for (size_t i = 0; i < name.size(); ++i) Put16(a, 64 + 2 * i, name[i]);
    Put64(a, 16, first_vcn);
    Put64(a, 24, last_vcn);
    Put16(a, 32, static_cast<uint16_t>(runs_offset));
    Put64(a, 40, (last_vcn - first_vcn + 1) * 4096);
    Put64(a, 48, real_size);
    Put64(a, 56, real_size);
    std::memcpy(a.data() + runs_offset, runs.data(), runs.size());
    return Raw(a);
  }

  // A file-name attribute: parent, sizes, namespace and name.
  Record& FileName(uint64_t parent, const std::u16string& name, uint8_t name_space = 1,
                   uint64_t size = 0, uint64_t allocated = 0) {
    std::vector<uint8_t> v(66 + name.size() * 2, 0);
    Put64(v, 0, parent | (uint64_t{1} << 48));
    Put64(v, 8, 0x01D0000000000000ull);
    Put64(v, 16, 0x01D0000000000001ull);
    Put64(v, 40, allocated);
    Put64(v, 48, size);
    v[64] = static_cast<uint8_t>(name.size());
    v[65] = name_space;
    for (size_t i = 0; i < name.size(); ++i) Put16(v, 66 + 2 * i, name[i]);
    return Resident(0x30, v);
  }

  // Closes the record: end marker, used size, fixups.
  std::vector<uint8_t> Finish(bool end_marker = true) {
    if (end_marker) {
      Put32(bytes_, at_, 0xFFFFFFFF);
      at_ += 8;
    }
    Put32(bytes_, 24, static_cast<uint32_t>(at_));
    const uint16_t sequence = 0x0007;
    Put16(bytes_, 0x30, sequence);
    for (size_t i = 1; i <= bytes_.size() / 512; ++i) {
      size_t end = i * 512 - 2;
      bytes_[0x30 + 2 * i] = bytes_[end];
      bytes_[0x30 + 2 * i + 1] = bytes_[end + 1];
      Put16(bytes_, end, sequence);
    }
    return bytes_;
  }

  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t at_;
};

// An attribute-list entry.
inline std::vector<uint8_t> ListEntry(uint32_t type, uint64_t record, const std::u16string& name = u"",
                                      uint64_t first_vcn = 0) {
  size_t length = (26 + name.size() * 2 + 7) & ~size_t{7};
  std::vector<uint8_t> e(length, 0);
  Put32(e, 0, type);
  Put16(e, 4, static_cast<uint16_t>(length));
  e[6] = static_cast<uint8_t>(name.size());
  e[7] = 26;
  Put64(e, 8, first_vcn);
  Put64(e, 16, record | (uint64_t{1} << 48));
  for (size_t i = 0; i < name.size(); ++i) Put16(e, 26 + 2 * i, name[i]);
  return e;
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// A whole volume: 4 KiB clusters (256 unless asked, at least 25), MFT of 64 records at
// cluster 4 (16 clusters), bitmap at cluster 24, records 0 (MFT), 5 (root) and 6 (bitmap) in
// place.
class Volume {
 public:
  static constexpr uint64_t kClusters = 256;
  static constexpr uint64_t kMftCluster = 4;
  static constexpr uint64_t kMftClusters = 16;
  static constexpr uint64_t kBitmapCluster = 24;
  static constexpr uint64_t kRecords = kMftClusters * 4;

  explicit Volume(uint64_t clusters = kClusters) : bytes_(clusters * 4096, 0), bitmap_(4096, 0) {
    Put16(bytes_, 11, 512);
    bytes_[13] = 8;
    Put64(bytes_, 40, clusters * 8);
    Put64(bytes_, 48, kMftCluster);
    bytes_[64] = 0xF6;
    Put16(bytes_, 510, 0xAA55);
    std::memcpy(bytes_.data() + 3, "NTFS    ", 8);
    for (uint64_t c = 0; c < 4; ++c) Use(c);
    for (uint64_t c = kMftCluster; c < kMftCluster + kMftClusters; ++c) Use(c);
    Use(kBitmapCluster);
    SetRecord(0, Record(1).FileName(5, u"$MFT")
                     .NonResident(0x80, {0x11, 0x10, 0x04}, 0, kMftClusters - 1, kMftClusters * 4096)
                     .Finish());
    SetRecord(5, Record(3).FileName(5, u".").Finish());
    SetRecord(6, Record(1).FileName(5, u"$Bitmap")
                     .NonResident(0x80, {0x11, 0x01, 0x18}, 0, 0, clusters / 8)
                     .Finish());
  }

  void SetRecord(uint64_t number, const std::vector<uint8_t>& record) {
    std::memcpy(bytes_.data() + kMftCluster * 4096 + number * 1024, record.data(), record.size());
  }
  void Use(uint64_t cluster) { bitmap_[cluster / 8] |= 1 << (cluster % 8); }
  void Free(uint64_t cluster) { bitmap_[cluster / 8] &= ~(1 << (cluster % 8)); }
  void Write(uint64_t offset, const std::vector<uint8_t>& data) {
    std::memcpy(bytes_.data() + offset, data.data(), data.size());
  }
  std::vector<uint8_t>& bitmap() { return bitmap_; }

  // The volume's bytes with the bitmap written in.
  std::vector<uint8_t> Image() {
    std::vector<uint8_t> out = bytes_;
    std::memcpy(out.data() + kBitmapCluster * 4096, bitmap_.data(), bitmap_.size());
    return out;
  }
  std::vector<uint8_t>& raw() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<uint8_t> bitmap_;
};

}  // namespace ntfs_test
