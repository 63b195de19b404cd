// Name, size and time filters, and the FAT and NTFS node tests.
#include "engine/filters.h"

#include <atomic>
#include <cstring>

#include "engine/ansi_text.h"

namespace scavrel {

namespace {

// Where the node tests find their values inside the record's attribute block.
// FAT form: the 32-byte directory entry as stored on disk.
constexpr size_t kFatCreateTime = 14;  // u16, local time
constexpr size_t kFatCreateDate = 16;  // u16, local date
constexpr size_t kFatWriteTime = 22;
constexpr size_t kFatWriteDate = 24;
constexpr size_t kFatFileSize = 28;  // u32
// NTFS form: the head of the file-name attribute value (times are UTC file times).
constexpr size_t kNtfsCreateTime = 8;         // u64
constexpr size_t kNtfsModifyTime = 16;        // u64
constexpr size_t kNtfsDataSize = 48;          // u64
constexpr size_t kNtfsFileNameHeadSize = 66;  // what the record keeps of the value

static_assert(kFatFileSize + 4 <= sizeof(FatEntryRecord::dir_entry));
static_assert(kNtfsDataSize + 8 <= kNtfsFileNameHeadSize);
static_assert(sizeof(NtfsEntryRecord::file_name) == kNtfsFileNameHeadSize);

uint16_t ReadLe16(const uint8_t* bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

uint32_t ReadLe32(const uint8_t* bytes, size_t offset) {
  return static_cast<uint32_t>(ReadLe16(bytes, offset)) |
         (static_cast<uint32_t>(ReadLe16(bytes, offset + 2)) << 16);
}

uint64_t ReadLe64(const uint8_t* bytes, size_t offset) {
  return static_cast<uint64_t>(ReadLe32(bytes, offset)) |
         (static_cast<uint64_t>(ReadLe32(bytes, offset + 4)) << 32);
}

const FilterPlatform kPortablePlatform;
std::atomic<const FilterPlatform*> g_platform{nullptr};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 (the file-time epoch) to a date of the proleptic Gregorian calendar.
int64_t DaysSince1601(int year, int month, int day) {
  int64_t y = year - 1601;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

constexpr uint64_t kFileTimeTicksPerSecond = 10000000;

bool BoundSet(int64_t bound) { return bound != kBoundNotSet; }

// The name the filter compares: the long name, or the short one when the long is empty.
std::string FilterName(const EntryRecord* record, RecordForm form) {
  auto* writable = const_cast<EntryRecord*>(record);
  const char16_t* name = GetWideName(LongNameSlot(writable, form));
  if (WideNameLength(name) == 0) name = GetWideName(ShortNameSlot(writable, form));
  return WideToAnsi(name);
}

bool FatNodeFilter(const Engine& engine, const EntryRecord* record) {
  uint8_t entry[sizeof(FatEntryRecord::dir_entry)];
  std::memcpy(entry, reinterpret_cast<const FatEntryRecord*>(record)->dir_entry, sizeof(entry));
  uint64_t created = 0;
  FatDateTimeToFileTime(ReadLe16(entry, kFatCreateDate), ReadLe16(entry, kFatCreateTime),
                        &created);
  if (!CreationInWindow(engine, created)) return false;
  uint64_t modified = 0;
  FatDateTimeToFileTime(ReadLe16(entry, kFatWriteDate), ReadLe16(entry, kFatWriteTime),
                        &modified);
  if (!ModificationInWindow(engine, modified)) return false;
  if (!SizeInWindow(ReadLe32(entry, kFatFileSize), engine.bounds[kSizeMin],
                    engine.bounds[kSizeMax])) {
    return false;
  }
  if (engine.name_filters.Empty()) return true;
  return NameInFilterList(engine.name_filters, FilterName(record, RecordForm::kFat));
}

bool NtfsNodeFilter(const Engine& engine, const EntryRecord* record) {
  uint8_t head[kNtfsFileNameHeadSize];
  std::memcpy(head, reinterpret_cast<const NtfsEntryRecord*>(record)->file_name, sizeof(head));
  const FilterPlatform& platform = CurrentFilterPlatform();
  // The conversion is skipped for a window without bounds: every time passes it.
  if (BoundSet(engine.bounds[kCreateMin]) || BoundSet(engine.bounds[kCreateMax])) {
    if (!CreationInWindow(engine, platform.UtcToLocal(ReadLe64(head, kNtfsCreateTime)))) {
      return false;
    }
  }
  if (BoundSet(engine.bounds[kModifyMin]) || BoundSet(engine.bounds[kModifyMax])) {
    if (!ModificationInWindow(engine, platform.UtcToLocal(ReadLe64(head, kNtfsModifyTime)))) {
      return false;
    }
  }
  if (!SizeInWindow(ReadLe64(head, kNtfsDataSize), engine.bounds[kSizeMin],
                    engine.bounds[kSizeMax])) {
    return false;
  }
  if (engine.name_filters.Empty()) return true;
  return NameInFilterList(engine.name_filters, FilterName(record, RecordForm::kNtfs));
}

}  // namespace

const FilterPlatform& CurrentFilterPlatform() {
  const FilterPlatform* platform = g_platform.load(std::memory_order_acquire);
  return platform != nullptr ? *platform : kPortablePlatform;
}

void SetFilterPlatform(const FilterPlatform* platform) {
  g_platform.store(platform, std::memory_order_release);
}

bool ExtensionOf(const std::string& name, std::string* extension) {
  extension->clear();
  if (name.empty()) return false;
  const AnsiCodePage& code_page = CurrentAnsiCodePage();
  size_t dot = std::string::npos;
  for (size_t i = 0; i < name.size(); ++i) {
    auto byte = static_cast<uint8_t>(name[i]);
    if (byte == '.') {
      dot = i;
    } else if (code_page.IsLeadByte(byte)) {
      ++i;  // skip the trail byte
    }
  }
  if (dot != std::string::npos) *extension = code_page.UpperCase(name.substr(dot + 1));
  return true;
}

bool SizeInWindow(uint64_t size, int64_t min, int64_t max) {
  // The setters refuse sizes below -1, so a set size bound is never negative; sizes are
  // compared unsigned so that a damaged 64-bit size reads as huge, not as negative.
  if (BoundSet(min) && !(size > static_cast<uint64_t>(min))) return false;
  if (BoundSet(max) && !(size <= static_cast<uint64_t>(max))) return false;
  return true;
}

bool TimeInWindow(uint64_t file_time, int64_t min, int64_t max) {
  if (BoundSet(min) && file_time < static_cast<uint64_t>(min)) return false;
  if (BoundSet(max) && file_time > static_cast<uint64_t>(max)) return false;
  return true;
}

bool CreationInWindow(const Engine& engine, uint64_t local_file_time) {
  return TimeInWindow(local_file_time, engine.bounds[kCreateMin], engine.bounds[kCreateMax]);
}

bool ModificationInWindow(const Engine& engine, uint64_t local_file_time) {
  return TimeInWindow(local_file_time, engine.bounds[kModifyMin], engine.bounds[kModifyMax]);
}

bool FatDateTimeToFileTime(uint16_t date, uint16_t time, uint64_t* file_time) {
  *file_time = 0;
  int day = date & 0x1F;
  int month = (date >> 5) & 0x0F;
  int year = 1980 + (date >> 9);
  int seconds = (time & 0x1F) * 2;
  int minutes = (time >> 5) & 0x3F;
  int hours = time >> 11;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  if (hours > 23 || minutes > 59 || seconds > 59) return false;
  auto total_seconds = static_cast<uint64_t>(DaysSince1601(year, month, day)) * 86400 +
                       static_cast<uint64_t>(hours * 3600 + minutes * 60 + seconds);
  *file_time = total_seconds * kFileTimeTicksPerSecond;
  return true;
}

bool NameInFilterList(const TextList& list, const std::string& ansi_name) {
  if (list.Empty()) return true;
  std::string name_extension;
  if (!ExtensionOf(ansi_name, &name_extension)) return false;
  std::string item_extension;
  for (ListPosition item = list.Head(); item != nullptr; item = item->next) {
    if (ExtensionOf(item->text, &item_extension) && item_extension == name_extension) {
      return true;
    }
  }
  return false;
}

bool NodeFilter(const Engine& engine, const FoundNode* node) {
  if (node == nullptr) return false;
  if (node->directory != 0) return true;
  const EntryRecord* record = node->record;
  if (record == nullptr) return false;
  return engine.is_ntfs() ? NtfsNodeFilter(engine, record) : FatNodeFilter(engine, record);
}

std::string FitAnsiText(const std::string& text, size_t capacity) {
  if (capacity == 0) return std::string();
  size_t limit = capacity - 1;
  if (text.size() <= limit) return text;
  const AnsiCodePage& code_page = CurrentAnsiCodePage();
  size_t end = 0;
  while (end < limit) {
    size_t width = code_page.IsLeadByte(static_cast<uint8_t>(text[end])) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return text.substr(0, end);
}

}  // namespace scavrel
