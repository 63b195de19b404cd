// The exported interface of Quorrin.dll, the sorted-list library: flat cdecl functions with
// undecorated names, the list handle always last. Vardeck links it; Scavrel binds GetListCount
// and GetSortValue by name (the function types below) during a list-driven save.
//
// Widths. On 32-bit Windows every argument and cell is 32 bits. Arguments that carry an
// address (texts, value and storage addresses) are pointer-sized, and so is an integer cell,
// because the result views keep found-node addresses in integer cells: an integer cell is an
// intptr_t, 8 bytes on 64-bit Windows. SetValue and SetSortValue read a whole intptr_t at the
// address they are given, and GetSortValue writes one for an integer cell, so the callers'
// integer variables are intptr_t too. Handles, field and row positions, types and key counts
// stay 32 bits.
//
// Texts are zero-terminated in the ANSI code page, and a list keeps them whole (up to 32,767
// bytes). GetSortValue gets no storage size: every text it copies is cut to
// kQuorrinCellTextStorage bytes, terminator included, the smallest storage its callers give
// it. GetSortText takes the storage's size and tells how much the whole text needs, so a
// caller that must have the whole text (Scavrel's list-driven save, whose folder texts may be
// long paths) gets it.
//
// Results: AddList returns the new handle (0 when none could be made), GetListCount the row
// count (0 for an unknown handle); every other function returns 1 when done and 0 when it
// refused: an unknown handle, field or row, a field of the other type, a null address, a type
// other than 1 and 11, a malformed sort text. Nothing faults on such arguments.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(QUORRIN_BUILDING_DLL)
#define QUORRIN_API extern "C" __declspec(dllexport)
#else
#define QUORRIN_API extern "C" __declspec(dllimport)
#endif
#define QUORRIN_CALL __cdecl
#else
#define QUORRIN_API extern "C"
#define QUORRIN_CALL
#endif

namespace quorrin_api {
using SortedListHandle = uint32_t;
using IntegerCell = intptr_t;
}  // namespace quorrin_api

// Field types of FieldAdd.
constexpr int32_t kQuorrinFieldText = 1;
constexpr int32_t kQuorrinFieldInteger = 11;
// Sort directions in the sort text.
constexpr int32_t kQuorrinAscending = 1;
constexpr int32_t kQuorrinDescending = 2;

// Bytes of a text copied out by GetSortValue, terminator included.
constexpr size_t kQuorrinCellTextStorage = 1000;

// A new empty list.
QUORRIN_API quorrin_api::SortedListHandle QUORRIN_CALL AddList();
// Frees every list; their handles are refused from then on.
QUORRIN_API int32_t QUORRIN_CALL DeleteAll();
// Removes all rows (the fields stay until FieldRemoveall).
QUORRIN_API int32_t QUORRIN_CALL ClearList(quorrin_api::SortedListHandle list);
QUORRIN_API int32_t QUORRIN_CALL FieldRemoveall(quorrin_api::SortedListHandle list);
// Appends a field of type 1 (text) or 11 (integer), addressed from then on by its 0-based
// position; the name is not kept.
QUORRIN_API int32_t QUORRIN_CALL FieldAdd(const char* name, int32_t type,
                                          quorrin_api::SortedListHandle list);
// Appends a row of empty cells ("" and 0).
QUORRIN_API int32_t QUORRIN_CALL Add(quorrin_api::SortedListHandle list);
// Fills a cell of the newest row: value is a zero-terminated text for a text field, the
// address of an IntegerCell for an integer field.
QUORRIN_API int32_t QUORRIN_CALL SetValue(const void* value, uint32_t field,
                                          quorrin_api::SortedListHandle list);
// Ends a fill; rows are readable at once, so this only confirms the handle.
QUORRIN_API int32_t QUORRIN_CALL UpdateList(quorrin_api::SortedListHandle list);
QUORRIN_API uint32_t QUORRIN_CALL GetListCount(quorrin_api::SortedListHandle list);
// key_text: key_count pairs "field|direction" joined by "," (e.g. "10|1,0|2"); integer fields
// compare as signed numbers, text fields byte by byte with ASCII letters folded to one case.
// The sort is stable. Row positions follow the new order.
QUORRIN_API int32_t QUORRIN_CALL Sort(const char* key_text, int32_t key_count,
                                      quorrin_api::SortedListHandle list);
// storage_variable: the address of a variable that holds the storage's address; the variable
// itself is not changed. The storage receives the cell of the row at that position (see the
// widths above); on a refusal its first sizeof(IntegerCell) bytes are cleared.
QUORRIN_API int32_t QUORRIN_CALL GetSortValue(void* const* storage_variable, uint32_t row,
                                              uint32_t field,
                                              quorrin_api::SortedListHandle list);
// Copies the text cell of the row at that position into storage (storage_bytes bytes),
// zero-terminated and cut to fit. Returns the bytes the whole text needs, terminator included:
// more than storage_bytes means the copy was cut. 0 when refused (an unknown handle, row or
// field, an integer field, no storage), with an empty text left in the storage when it has
// room.
QUORRIN_API uint32_t QUORRIN_CALL GetSortText(char* storage, uint32_t storage_bytes,
                                              uint32_t row, uint32_t field,
                                              quorrin_api::SortedListHandle list);
// value: the address of an IntegerCell; sets an integer cell of the row at that position.
QUORRIN_API int32_t QUORRIN_CALL SetSortValue(const void* value, uint32_t row, uint32_t field,
                                              quorrin_api::SortedListHandle list);

// The functions a caller binds by name with GetProcAddress.
namespace quorrin_api {
using GetListCountFn = uint32_t(QUORRIN_CALL*)(SortedListHandle list);
using GetSortValueFn = int32_t(QUORRIN_CALL*)(void* const* storage_variable, uint32_t row,
                                              uint32_t field, SortedListHandle list);
using GetSortTextFn = uint32_t(QUORRIN_CALL*)(char* storage, uint32_t storage_bytes,
                                              uint32_t row, uint32_t field,
                                              SortedListHandle list);
}  // namespace quorrin_api
