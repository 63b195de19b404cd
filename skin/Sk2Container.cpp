// Reading the record container: header, record chain, the four name lists and their lookups.
#include "skin/Sk2Container.h"

#include <cstdio>
#include <new>
#include <unordered_set>

#include "skin/SkinTempName.h"

namespace skin {
namespace {

constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kHeaderLengthField = 12;
constexpr std::size_t kFirstRecordField = 20;

constexpr std::size_t kRecordSize = 77;
constexpr std::size_t kNameSize = 64;
constexpr std::size_t kKindField = 64;
constexpr std::size_t kDataOffsetField = 65;
constexpr std::size_t kDataSizeField = 69;
constexpr std::size_t kNextField = 73;

enum RecordKind : uint8_t { kBitmap = 0, kInteger = 1, kFlag = 2, kText = 3 };

const char kEntryName[] = "SKINDATA.SK2";

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameTextIgnoringCase(const std::string& a, std::size_t a_length, const std::string& b) {
  if (a_length != b.size()) return false;
  for (std::size_t i = 0; i < a_length; ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// Whole-string decimal conversion, as the lists' values were written.
bool ToInt32(const std::string& text, int32_t* value) {
  if (text.empty() || text.size() > 11) return false;
  std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (text[0] == '-') v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

bool ReadRecords(ArchiveSource& file, Sk2Lists* lists) {
  uint8_t header[kHeaderSize];
  if (!file.ReadAt(0, header, 16)) return false;
  // The header buffer holds 24 bytes: a longer header would overrun it, and a shorter one
  // would not reach the first-record offset.
  if (Le32(header + kHeaderLengthField) != kHeaderSize) return false;
  if (!file.ReadAt(0, header, kHeaderSize)) return false;

  uint64_t file_size = file.Size();
  uint64_t offset = Le32(header + kFirstRecordField);
  std::unordered_set<uint64_t> visited;
  // Records may share data; the budget keeps a chain of many records over one large bitmap
  // from multiplying it without end. A sound container reads each byte once.
  uint64_t budget = 2 * file_size + (uint64_t{1} << 20);
  uint8_t record[kRecordSize];
  std::vector<uint8_t> data;
  for (;;) {
    if (!visited.insert(offset).second) return false;  // the chain came back to a record
    if (!file.ReadAt(offset, record, sizeof record)) return false;
    uint32_t next = Le32(record + kNextField);
    if (next == 0) return true;

    std::size_t name_length = 0;
    while (name_length < kNameSize && record[name_length] != 0) ++name_length;
    std::string name(reinterpret_cast<const char*>(record), name_length);
    uint8_t kind = record[kKindField];
    uint64_t data_offset = Le32(record + kDataOffsetField);
    uint32_t data_size = Le32(record + kDataSizeField);

    if (kind <= kText) {
      if (kind == kInteger && data_size != 4) return false;
      if (kind == kFlag && data_size != 1) return false;
      if (data_offset > file_size || data_size > file_size - data_offset) return false;
      if (data_size > budget) return false;
      budget -= data_size;
      data.resize(data_size);
      if (!file.ReadAt(data_offset, data.data(), data_size)) return false;
    }
    switch (kind) {
      case kBitmap: {
        auto bitmap = std::make_unique<SkinBitmap>();
        if (!DecodeBmp(data.data(), data.size(), bitmap.get())) return false;
        lists->bitmaps.emplace_back(name, std::move(bitmap));
        break;
      }
      case kInteger:
        lists->integers.Add(name + "=" + std::to_string(static_cast<int32_t>(Le32(data.data()))));
        break;
      case kFlag:
        lists->flags.Add(name + "=" + std::to_string(data[0]));
        break;
      case kText:
        lists->texts.Add(name + "=" + std::string(data.begin(), data.end()));
        break;
      default:
        break;
    }
    offset = next;
  }
}

}  // namespace

int Sk2NameValueList::IndexOfName(const std::string& name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::size_t equals = lines_[i].find('=');
    if (equals == std::string::npos) continue;
    if (SameTextIgnoringCase(lines_[i], equals, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string Sk2NameValueList::ValueFromIndex(int index) const {
  const std::string& line = lines_[static_cast<std::size_t>(index)];
  std::size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

void Sk2Lists::Clear() {
  bitmaps.clear();
  integers.Clear();
  flags.Clear();
  texts.Clear();
}

bool ReadSk2Container(ArchiveSource& file, Sk2Lists* lists) {
  try {
    return ReadRecords(file, lists);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

Tsk2SkinFileReader::Tsk2SkinFileReader(const std::string& archive_path,
                                       const std::string& password) {
  Read(archive_path, password, NewSkinTempName());
}

Tsk2SkinFileReader::Tsk2SkinFileReader(const std::string& archive_path,
                                       const std::string& password,
                                       const std::string& temp_path) {
  Read(archive_path, password, temp_path);
}

void Tsk2SkinFileReader::Read(const std::string& archive_path, const std::string& password,
                              const std::string& temp_path) {
  ready_ = false;
  switch (ExtractSkinEntryToFile(archive_path, kEntryName, temp_path, password)) {
    case kExtracted:
      break;
    case kNotExtractable:
      return;
    default:
      throw SkinFileError();
  }
  bool read;
  {
    FileArchiveSource file(temp_path);
    read = file.is_open() && ReadSk2Container(file, &lists_);
  }
  // Deleted whether the container could be read or not.
  std::remove(temp_path.c_str());
  if (!read) {
    // A damaged container leaves no half-filled lists behind.
    lists_.Clear();
    return;
  }
  ready_ = true;
}

const SkinBitmap* Tsk2SkinFileReader::GetBitmap(const std::string& name) const {
  for (const auto& [key, bitmap] : lists_.bitmaps) {
    if (SameTextIgnoringCase(key, key.size(), name)) return bitmap.get();
  }
  return nullptr;
}

int32_t Tsk2SkinFileReader::GetInteger(const std::string& name) const {
  int index = lists_.integers.IndexOfName(name);
  int32_t value;
  if (index < 0 || !ToInt32(lists_.integers.ValueFromIndex(index), &value)) return -1;
  return value;
}

int32_t Tsk2SkinFileReader::GetFlag(const std::string& name) const {
  int index = lists_.flags.IndexOfName(name);
  int32_t value;
  if (index < 0 || !ToInt32(lists_.flags.ValueFromIndex(index), &value)) return 0;
  return value;
}

}  // namespace skin
