// Random sequences of list operations with random positions, types and sort texts, checked
// against a model of each list's fields and row count: every read that the model allows must
// succeed, every other must be refused, no text copy may pass the engine's 1,000-byte buffer,
// and a successful sort must leave the rows ordered by its first key.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "quorrin/list_registry.h"
#include "quorrin/sorted_list.h"

namespace {

struct Model {
  quorrin::ListHandle handle = 0;
  std::vector<int32_t> types;
  uint32_t rows = 0;
};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Done() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Small positions mostly, now and then one far out of range.
  uint32_t Position() {
    uint8_t b = Byte();
    return (b & 0x80) ? 0xFFFFFF00u | b : b % 14;
  }
  std::string Text() {
    uint8_t b = Byte();
    if (b == 0xFF) return std::string(1500, 'x');  // past every caller's storage
    size_t n = b % 24;
    std::string out;
    while (n-- > 0 && !Done()) out.push_back(static_cast<char>(Byte()));
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckOrderedByFirstKey(const Model& m, const quorrin::SortKey& key) {
  char* buffer = new char[quorrin::kCellTextStorage];
  void* variable = buffer;
  std::string previous_text;
  quorrin::IntegerCell previous_value = 0;
  for (uint32_t row = 0; row < m.rows; ++row) {
    Check(quorrin::GetSortValue(&variable, row, key.field, m.handle) == 1);
    if (m.types[key.field] == 1) {
      std::string text(buffer);
      if (row > 0) {
        int c = quorrin::CompareCellText(previous_text, text);
        Check(key.descending ? c >= 0 : c <= 0);
      }
      previous_text = text;
    } else {
      quorrin::IntegerCell value;
      std::memcpy(&value, buffer, sizeof value);
      if (row > 0) Check(key.descending ? previous_value >= value : previous_value <= value);
      previous_value = value;
    }
  }
  delete[] buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorrin::DeleteAll();
  Model lists[2];
  for (Model& m : lists) m.handle = quorrin::AddList();
  Input in(data, size);
  int steps = 0;
  while (!in.Done() && steps++ < 400) {
    uint8_t op = in.Byte();
    Model& m = lists[op & 1];
    // Some operations go to a handle that is not a list.
    quorrin::ListHandle handle = (op & 0x80) ? m.handle + 1000 : m.handle;
    bool live = handle == m.handle;
    switch ((op >> 1) % 10) {
      case 0:
        Check(quorrin::ClearList(handle) == (live ? 1 : 0));
        if (live) m.rows = 0;
        break;
      case 1:
        Check(quorrin::FieldRemoveall(handle) == (live ? 1 : 0));
        if (live) m.types.clear();
        break;
      case 2: {
        int32_t type = static_cast<int8_t>(in.Byte());
        if (in.Byte() & 1) type = (type & 1) ? 11 : 1;
        bool ok = live && (type == 1 || type == 11);
        Check(quorrin::FieldAdd("a", type, handle) == (ok ? 1 : 0));
        if (ok) m.types.push_back(type);
        break;
      }
      case 3:
        if (m.rows < 200) {
          Check(quorrin::Add(handle) == (live ? 1 : 0));
          if (live) ++m.rows;
        }
        break;
      case 4: {
        uint32_t field = in.Position();
        bool ok = live && m.rows > 0 && field < m.types.size();
        if (field < m.types.size() && m.types[field] == 1) {
          std::string text = in.Text();
          Check(quorrin::SetValue(text.c_str(), field, handle) == (ok ? 1 : 0));
        } else {
          quorrin::IntegerCell value = static_cast<int8_t>(in.Byte()) * 1000003;
          Check(quorrin::SetValue(&value, field, handle) == (ok ? 1 : 0));
        }
        break;
      }
      case 5:
        Check(quorrin::GetListCount(handle) == (live ? m.rows : 0));
        Check(quorrin::UpdateList(handle) == (live ? 1 : 0));
        break;
      case 6: {
        std::string key_text = in.Text();
        int32_t key_count = static_cast<int8_t>(in.Byte()) % 4;
        auto keys = quorrin::ParseSortKeys(key_text, key_count);
        bool ok = live && keys.has_value();
        if (keys) {
          for (const auto& key : *keys) ok = ok && key.field < m.types.size();
        }
        Check(quorrin::Sort(key_text.c_str(), key_count, handle) == (ok ? 1 : 0));
        if (ok) CheckOrderedByFirstKey(m, keys->front());
        break;
      }
      case 7: {
        uint32_t row = in.Position(), field = in.Position();
        bool ok = live && row < m.rows && field < m.types.size();
        // Exactly the engine's buffer: a longer copy is a heap overflow.
        char* buffer = new char[quorrin::kCellTextStorage];
        void* variable = buffer;
        Check(quorrin::GetSortValue(&variable, row, field, handle) == (ok ? 1 : 0));
        Check(variable == buffer);
        if (ok && m.types[field] == 1) {
          Check(std::memchr(buffer, 0, quorrin::kCellTextStorage) != nullptr);
        }
        delete[] buffer;
        // A sized read into exactly that many bytes: whole or cut, always terminated.
        const uint32_t bytes = in.Byte() % 64 + 1;
        char* sized = new char[bytes];
        const uint32_t needed = quorrin::GetSortText(sized, bytes, row, field, handle);
        const bool text = ok && m.types[field] == 1;
        Check(text ? needed >= 1 : needed == 0);
        Check(std::memchr(sized, 0, bytes) != nullptr);
        if (text) Check(std::strlen(sized) == std::min<size_t>(needed, bytes) - 1);
        delete[] sized;
        break;
      }
      case 8: {
        uint32_t row = in.Position(), field = in.Position();
        bool ok = live && row < m.rows && field < m.types.size() && m.types[field] == 11;
        quorrin::IntegerCell value = in.Byte();
        Check(quorrin::SetSortValue(&value, row, field, handle) == (ok ? 1 : 0));
        break;
      }
      case 9:
        if (in.Byte() == 0xA5) {
          Check(quorrin::DeleteAll() == 1);
          for (Model& each : lists) {
            Check(quorrin::GetListCount(each.handle) == 0);
            each = Model{};
            each.handle = quorrin::AddList();
          }
        }
        break;
    }
  }
  return 0;
}
