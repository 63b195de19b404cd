// The process-wide lists behind Quorrin's handles, and every operation of the library with the
// arguments its exports take (the exports only forward here). Portable: no <windows.h>.
//
// A handle is a small number that is not handed out twice, so a handle kept past DeleteAll
// is refused instead of reaching a later list. Each list has its own reader/writer
// lock: the engine's save thread and the GUI thread read one list at the same time, and a
// writer (a refill, a sort, a check box) waits for the readers. A list taken out of the
// registry by DeleteAll lives on until the last reader lets go of it.
//
// Nothing here throws or faults on a bad argument: unknown handles, fields and rows, null
// addresses, unknown types and malformed sort texts are refused with a 0 result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quorrin/sorted_list.h"

namespace quorrin {

using ListHandle = uint32_t;

// GetSortValue gets no storage size: every text it copies out is cut to fit the smallest
// storage its callers give it (1,000 bytes), terminator included. The texts themselves are
// kept whole; GetSortText hands them out whole to a caller that says how much it holds.
constexpr size_t kCellTextStorage = 1000;

// 0 when no list could be made.
ListHandle AddList();
int32_t DeleteAll();
int32_t ClearList(ListHandle list);
int32_t FieldRemoveall(ListHandle list);
// The name is not kept: fields are addressed by position only.
int32_t FieldAdd(const char* name, int32_t type, ListHandle list);
int32_t Add(ListHandle list);
// value: a zero-terminated text for a text field, the address of an IntegerCell for an
// integer field.
int32_t SetValue(const void* value, uint32_t field, ListHandle list);
int32_t UpdateList(ListHandle list);
// 0 for an unknown handle.
uint32_t GetListCount(ListHandle list);
int32_t Sort(const char* key_text, int32_t key_count, ListHandle list);
// Copies the text cell of a row into `storage` of `storage_bytes` bytes, zero-terminated and
// cut to fit; returns the bytes the whole text takes, terminator included (more than
// storage_bytes: the copy was cut, ask again with that much), or 0 when refused: an unknown
// handle, row or field, an integer field, no storage. A refusal leaves an empty text when
// there is storage.
uint32_t GetSortText(char* storage, uint32_t storage_bytes, uint32_t row, uint32_t field,
                     ListHandle list);
// storage_variable holds the address of the caller's storage. A text cell arrives
// zero-terminated and cut to kCellTextStorage bytes, an integer cell as sizeof(IntegerCell)
// bytes. A refused read still clears the first sizeof(IntegerCell) bytes of the storage (when
// there is one), so a caller that does not look at the result never acts on the cell of an
// earlier read.
int32_t GetSortValue(void* const* storage_variable, uint32_t row, uint32_t field, ListHandle list);
// value: the address of an IntegerCell; integer fields only.
int32_t SetSortValue(const void* value, uint32_t row, uint32_t field, ListHandle list);

// Number of lists alive (for tests).
size_t LiveListCount();

}  // namespace quorrin
