// One Quorrin table: typed fields addressed by 0-based position and rows stored column by
// column, with the stable multi-key sort the result views use. Portable and unlocked; the
// process-wide registry (list_registry.h) owns the tables and their locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorrin {

// Field types as FieldAdd's callers number them.
enum class FieldType : int32_t { kText = 1, kInteger = 11 };

// An integer cell is pointer-sized: the result views keep found-node addresses in one, and on
// 64-bit Windows those no longer fit the 32 bits the cells had on 32-bit Windows.
using IntegerCell = intptr_t;

// Longest text a cell keeps: a Windows path cannot be longer, and a caller that hands over an
// unterminated buffer is not read past this.
constexpr size_t kMaxCellText = 32767;

struct SortKey {
  uint32_t field = 0;
  bool descending = false;
};

// Reads the first key_count keys of a sort text: pairs "field|direction" joined by ",",
// direction 1 ascending or 2 descending. Anything after the last pair wanted (the views leave
// a trailing "," at times) is not read. No keys when the text is malformed, holds fewer pairs,
// or key_count is not positive.
std::optional<std::vector<SortKey>> ParseSortKeys(std::string_view key_text,
                                                  int32_t key_count);

// Orders texts the way the result views show them: bytes as unsigned, ASCII letters without
// regard to case (file names on the scanned volumes are case-insensitive).
int CompareCellText(std::string_view a, std::string_view b);

class SortedList {
 public:
  uint32_t RowCount() const { return rows_; }
  size_t FieldCount() const { return columns_.size(); }
  std::optional<FieldType> TypeOf(uint32_t field) const;

  // Drops every row; the fields stay.
  void ClearRows();
  // Drops every field; rows that are still there keep their positions with no cells.
  void RemoveFields();
  // Appends a field of type 1 or 11; cells of rows already present start empty (text "",
  // integer 0). Any other type is refused.
  bool AddField(int32_t type);
  // Appends a row of empty cells; refused only when the row count would pass 32 bits.
  bool AddRow();

  // Writes a cell of the newest row; refused without rows, past the fields or on a field of
  // the other type.
  bool SetNewestText(uint32_t field, std::string_view text);
  bool SetNewestInteger(uint32_t field, IntegerCell value);

  // Cells of the row at a position; refused for unknown rows or fields and the wrong type.
  const std::string* Text(uint32_t row, uint32_t field) const;
  std::optional<IntegerCell> Integer(uint32_t row, uint32_t field) const;
  bool SetInteger(uint32_t row, uint32_t field, IntegerCell value);

  // Reorders the rows by the keys: integer fields as signed numbers, text fields by
  // CompareCellText. Rows equal on every key keep their order. Refused (rows untouched) when a
  // key names an unknown field.
  bool Sort(const std::vector<SortKey>& keys);

 private:
  struct Column {
    FieldType type;
    std::vector<IntegerCell> integers;  // type 11 only
    std::vector<std::string> texts;     // type 1 only
  };

  Column* NewestCell(uint32_t field, FieldType type);

  std::vector<Column> columns_;
  uint32_t rows_ = 0;
};

}  // namespace quorrin
