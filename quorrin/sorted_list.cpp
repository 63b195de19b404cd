// The table behind one list handle, and its sort.
#include "quorrin/sorted_list.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace quorrin {

namespace {

// A decimal number without sign at text[pos]; advances pos past it. Refuses an empty or
// overlong number rather than letting it wrap.
std::optional<uint32_t> ReadNumber(std::string_view text, size_t& pos) {
  uint64_t value = 0;
  size_t start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
    if (value > 0x7FFFFFFF) return std::nullopt;
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return static_cast<uint32_t>(value);
}

unsigned char FoldCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

std::optional<std::vector<SortKey>> ParseSortKeys(std::string_view key_text, int32_t key_count) {
  if (key_count <= 0) return std::nullopt;
  std::vector<SortKey> keys;
  size_t pos = 0;
  for (int32_t i = 0; i < key_count; ++i) {
    if (i > 0) {
      if (pos >= key_text.size() || key_text[pos] != ',') return std::nullopt;
      ++pos;
    }
    auto field = ReadNumber(key_text, pos);
    if (!field || pos >= key_text.size() || key_text[pos] != '|') return std::nullopt;
    ++pos;
    auto direction = ReadNumber(key_text, pos);
    if (!direction || (*direction != 1 && *direction != 2)) return std::nullopt;
    keys.push_back(SortKey{*field, *direction == 2});
  }
  return keys;
}

int CompareCellText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = FoldCase(static_cast<unsigned char>(a[i]));
    unsigned char cb = FoldCase(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::optional<FieldType> SortedList::TypeOf(uint32_t field) const {
  if (field >= columns_.size()) return std::nullopt;
  return columns_[field].type;
}

void SortedList::ClearRows() {
  for (Column& column : columns_) {
    column.integers.clear();
    column.texts.clear();
  }
  rows_ = 0;
}

void SortedList::RemoveFields() { columns_.clear(); }

bool SortedList::AddField(int32_t type) {
  if (type != static_cast<int32_t>(FieldType::kText) &&
      type != static_cast<int32_t>(FieldType::kInteger)) {
    return false;
  }
  Column column{static_cast<FieldType>(type), {}, {}};
  if (column.type == FieldType::kText) {
    column.texts.resize(rows_);
  } else {
    column.integers.resize(rows_, 0);
  }
  columns_.push_back(std::move(column));
  return true;
}

bool SortedList::AddRow() {
  if (rows_ == UINT32_MAX) return false;
  // All columns grow or none: should an allocation fail, the cells already appended are taken
  // back, so that every column keeps one cell per row.
  size_t grown = 0;
  try {
    for (Column& column : columns_) {
      if (column.type == FieldType::kText) {
        column.texts.emplace_back();
      } else {
        column.integers.push_back(0);
      }
      ++grown;
    }
  } catch (...) {
    for (size_t i = 0; i < grown; ++i) {
      if (columns_[i].type == FieldType::kText) {
        columns_[i].texts.pop_back();
      } else {
        columns_[i].integers.pop_back();
      }
    }
    throw;
  }
  ++rows_;
  return true;
}

SortedList::Column* SortedList::NewestCell(uint32_t field, FieldType type) {
  if (rows_ == 0 || field >= columns_.size() || columns_[field].type != type) return nullptr;
  return &columns_[field];
}

bool SortedList::SetNewestText(uint32_t field, std::string_view text) {
  Column* column = NewestCell(field, FieldType::kText);
  if (column == nullptr) return false;
  column->texts[rows_ - 1].assign(text.substr(0, kMaxCellText));
  return true;
}

bool SortedList::SetNewestInteger(uint32_t field, IntegerCell value) {
  Column* column = NewestCell(field, FieldType::kInteger);
  if (column == nullptr) return false;
  column->integers[rows_ - 1] = value;
  return true;
}

const std::string* SortedList::Text(uint32_t row, uint32_t field) const {
  if (row >= rows_ || field >= columns_.size() || columns_[field].type != FieldType::kText) {
    return nullptr;
  }
  return &columns_[field].texts[row];
}

std::optional<IntegerCell> SortedList::Integer(uint32_t row, uint32_t field) const {
  if (row >= rows_ || field >= columns_.size() || columns_[field].type != FieldType::kInteger) {
    return std::nullopt;
  }
  return columns_[field].integers[row];
}

bool SortedList::SetInteger(uint32_t row, uint32_t field, IntegerCell value) {
  if (row >= rows_ || field >= columns_.size() || columns_[field].type != FieldType::kInteger) {
    return false;
  }
  columns_[field].integers[row] = value;
  return true;
}

bool SortedList::Sort(const std::vector<SortKey>& keys) {
  for (const SortKey& key : keys) {
    if (key.field >= columns_.size()) return false;
  }
  std::vector<uint32_t> order(rows_);
  std::iota(order.begin(), order.end(), 0u);
  auto before = [&](uint32_t a, uint32_t b) {
    for (const SortKey& key : keys) {
      const Column& column = columns_[key.field];
      int c;
      if (column.type == FieldType::kInteger) {
        IntegerCell x = column.integers[a], y = column.integers[b];
        c = x < y ? -1 : (x > y ? 1 : 0);
      } else {
        c = CompareCellText(column.texts[a], column.texts[b]);
      }
      if (c != 0) return key.descending ? c > 0 : c < 0;
    }
    return false;
  };
  std::stable_sort(order.begin(), order.end(), before);

  // Every allocation comes before the first row moves: if one fails, the rows keep their old
  // order instead of being left torn apart. Moving the texts copies none of them.
  std::vector<Column> sorted;
  sorted.reserve(columns_.size());
  for (const Column& column : columns_) {
    Column out{column.type, {}, {}};
    if (column.type == FieldType::kText) {
      out.texts.reserve(rows_);
    } else {
      out.integers.reserve(rows_);
    }
    sorted.push_back(std::move(out));
  }
  for (size_t f = 0; f < columns_.size(); ++f) {
    Column& from = columns_[f];
    Column& to = sorted[f];
    if (from.type == FieldType::kText) {
      for (uint32_t index : order) to.texts.push_back(std::move(from.texts[index]));
    } else {
      for (uint32_t index : order) to.integers.push_back(from.integers[index]);
    }
  }
  columns_.swap(sorted);
  return true;
}

}  // namespace quorrin
