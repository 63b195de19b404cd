// Found trees built by hand for the filter and check-state tests: folders, deleted and live
// files with FAT or NTFS records whose on-disk bytes the tests choose.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/found_tree.h"

namespace scavrel::testing_tree {

// A deleted FAT short entry, built by hand in the layout mkfs.fat volumes use: "?EPORT  DOC"
// (0xE5 marks it deleted), archive attribute, created 2026-03-14 10:20:30, last written
// 2026-03-15 08:00:00, first cluster 5, 100 bytes.
constexpr std::array<uint8_t, 32> kDeletedReportDoc = {
    0xE5, 'E',  'P',  'O',  'R',  'T',  ' ',  ' ',   // name
    'D',  'O',  'C',                                 // extension
    0x20,                                            // attributes: archive
    0x00, 0x00,                                      // case bits, creation tenths
    0x8F, 0x52,                                      // creation time 10:20:30
    0x6E, 0x5C,                                      // creation date 2026-03-14
    0x6F, 0x5C,                                      // last access date
    0x00, 0x00,                                      // first cluster, high half
    0x00, 0x40,                                      // write time 08:00:00
    0x6F, 0x5C,                                      // write date 2026-03-15
    0x05, 0x00,                                      // first cluster, low half
    0x64, 0x00, 0x00, 0x00,                          // size 100
};

// FAT date and time words.
constexpr uint16_t FatDate(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr uint16_t FatTime(int hour, int minute, int second) {
  return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

inline void PutLe16(uint8_t* bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}
inline void PutLe32(uint8_t* bytes, size_t offset, uint32_t value) {
  PutLe16(bytes, offset, static_cast<uint16_t>(value));
  PutLe16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}
inline void PutLe64(uint8_t* bytes, size_t offset, uint64_t value) {
  PutLe32(bytes, offset, static_cast<uint32_t>(value));
  PutLe32(bytes, offset + 4, static_cast<uint32_t>(value >> 32));
}

struct FatTimes {
  uint16_t create_date = FatDate(2026, 3, 14);
  uint16_t create_time = FatTime(10, 20, 30);
  uint16_t write_date = FatDate(2026, 3, 15);
  uint16_t write_time = FatTime(8, 0, 0);
};

inline std::array<uint8_t, 32> FatEntry(uint32_t size, const FatTimes& times = {}) {
  std::array<uint8_t, 32> entry = kDeletedReportDoc;
  PutLe16(entry.data(), 14, times.create_time);
  PutLe16(entry.data(), 16, times.create_date);
  PutLe16(entry.data(), 22, times.write_time);
  PutLe16(entry.data(), 24, times.write_date);
  PutLe32(entry.data(), 28, size);
  return entry;
}

// The head of a $FILE_NAME value (66 bytes), built by hand: parent record 5, the given UTC
// times for creation, modification, change and access, the given size as allocated and data
// size, archive flag, name length 0 and the Win32 namespace.
inline std::array<uint8_t, 66> NtfsFileNameHead(uint64_t created_utc, uint64_t modified_utc,
                                                uint64_t size) {
  std::array<uint8_t, 66> head{};
  PutLe64(head.data(), 0, 0x0005000000000005ull);
  PutLe64(head.data(), 8, created_utc);
  PutLe64(head.data(), 16, modified_utc);
  PutLe64(head.data(), 24, modified_utc);
  PutLe64(head.data(), 32, modified_utc);
  PutLe64(head.data(), 40, (size + 4095) / 4096 * 4096);
  PutLe64(head.data(), 48, size);
  PutLe32(head.data(), 56, 0x20);
  head[65] = 1;
  return head;
}

inline FoundNode* AddFolder(FoundTree& tree, FoundNode* parent, bool deleted = false) {
  FoundNode* node = tree.NewNode();
  node->directory = 1;
  node->valid = 1;
  node->deleted = deleted ? 1 : 0;
  tree.MoveNode(node, parent);
  return node;
}

// A valid file node carrying `record`, moved under `parent`.
inline FoundNode* HangFile(FoundTree& tree, FoundNode* parent, EntryRecord* record,
                           bool deleted) {
  FoundNode* node = tree.NewNode();
  node->valid = 1;
  node->deleted = deleted ? 1 : 0;
  node->record = record;
  tree.MoveNode(node, parent);
  return node;
}

inline FoundNode* AddFatFile(FoundTree& tree, FoundNode* parent, const std::u16string& name,
                             const std::array<uint8_t, 32>& entry, bool deleted = true) {
  FatEntryRecord* record = NewFatRecord();
  std::memcpy(record->dir_entry, entry.data(), entry.size());
  SetWideName(&record->long_name, name.data(), name.size());
  return HangFile(tree, parent, AsEntryRecord(record), deleted);
}

inline FoundNode* AddNtfsFile(FoundTree& tree, FoundNode* parent, const std::u16string& name,
                              const std::array<uint8_t, 66>& head, bool deleted = true) {
  NtfsEntryRecord* record = NewNtfsRecord();
  std::memcpy(record->file_name, head.data(), head.size());
  SetWideName(&record->long_name, name.data(), name.size());
  return HangFile(tree, parent, AsEntryRecord(record), deleted);
}

}  // namespace scavrel::testing_tree
