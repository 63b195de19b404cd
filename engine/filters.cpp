// Name, size and time filters, and the FAT and NTFS node tests.
#include "engine/filters.h"

#include <atomic>

#include "engine/ansi_text.h"
#include "engine/disk_bytes.h"
#include "engine/fat_dir_entry.h"
#include "engine/ntfs_file_name.h"

namespace scavrel {

namespace {

// The node tests read the record's copies of disk bytes: FAT the 32-byte directory entry (local
// times), NTFS the head of the file-name value (UTC file times).
static_assert(fat::kDeFileSize + 4 <= sizeof(FatEntryRecord::dir_entry));
static_assert(ntfs_name::kSize + 8 <= sizeof(NtfsEntryRecord::file_name));

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
  const ByteSpan entry(AsFatRecord(record)->dir_entry);
  uint64_t created = 0;
  FatDateTimeToFileTime(ReadLe16(entry, fat::kDeCreationDate),
                        ReadLe16(entry, fat::kDeCreationTime), &created);
  if (!CreationInWindow(engine, created)) return false;
  uint64_t modified = 0;
  FatDateTimeToFileTime(ReadLe16(entry, fat::kDeWriteDate), ReadLe16(entry, fat::kDeWriteTime),
                        &modified);
  if (!ModificationInWindow(engine, modified)) return false;
  if (!SizeInWindow(fat::EntryFileSize(entry), engine.bounds[kSizeMin],
                    engine.bounds[kSizeMax])) {
    return false;
  }
  if (engine.name_filters.Empty()) return true;
  return NameInFilterList(engine.name_filters, FilterName(record, RecordForm::kFat));
}

bool NtfsNodeFilter(const Engine& engine, const EntryRecord* record) {
  const ByteSpan head(AsNtfsRecord(record)->file_name);
  const FilterPlatform& platform = CurrentFilterPlatform();
  // The conversion is skipped for a window without bounds: every time passes it.
  if (BoundSet(engine.bounds[kCreateMin]) || BoundSet(engine.bounds[kCreateMax])) {
    const uint64_t created = ReadLe64(head, ntfs_name::kCreationTime);
    if (!CreationInWindow(engine, platform.UtcToLocal(created))) return false;
  }
  if (BoundSet(engine.bounds[kModifyMin]) || BoundSet(engine.bounds[kModifyMax])) {
    const uint64_t modified = ReadLe64(head, ntfs_name::kModificationTime);
    if (!ModificationInWindow(engine, platform.UtcToLocal(modified))) return false;
  }
  if (!SizeInWindow(ReadLe64(head, ntfs_name::kSize), engine.bounds[kSizeMin],
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
