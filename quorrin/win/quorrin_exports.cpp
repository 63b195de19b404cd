// Quorrin.dll's exported functions: each forwards to the process-wide registry of the portable
// core, which refuses bad arguments and lets no exception out.
#include "quorrin/list_registry.h"
#include "quorrin/quorrin_api.h"

using quorrin_api::SortedListHandle;

static_assert(kQuorrinCellTextStorage == quorrin::kCellTextStorage);
static_assert(sizeof(quorrin_api::IntegerCell) == sizeof(void*),
              "an integer cell must hold a found-node address");

SortedListHandle QUORRIN_CALL AddList() { return quorrin::AddList(); }

int32_t QUORRIN_CALL DeleteAll() { return quorrin::DeleteAll(); }

int32_t QUORRIN_CALL ClearList(SortedListHandle list) { return quorrin::ClearList(list); }

int32_t QUORRIN_CALL FieldRemoveall(SortedListHandle list) {
  return quorrin::FieldRemoveall(list);
}

int32_t QUORRIN_CALL FieldAdd(const char* name, int32_t type, SortedListHandle list) {
  return quorrin::FieldAdd(name, type, list);
}

int32_t QUORRIN_CALL Add(SortedListHandle list) { return quorrin::Add(list); }

int32_t QUORRIN_CALL SetValue(const void* value, uint32_t field, SortedListHandle list) {
  return quorrin::SetValue(value, field, list);
}

int32_t QUORRIN_CALL UpdateList(SortedListHandle list) { return quorrin::UpdateList(list); }

uint32_t QUORRIN_CALL GetListCount(SortedListHandle list) { return quorrin::GetListCount(list); }

int32_t QUORRIN_CALL Sort(const char* key_text, int32_t key_count, SortedListHandle list) {
  return quorrin::Sort(key_text, key_count, list);
}

int32_t QUORRIN_CALL GetSortValue(void* const* storage_variable, uint32_t row, uint32_t field,
                                  SortedListHandle list) {
  return quorrin::GetSortValue(storage_variable, row, field, list);
}

uint32_t QUORRIN_CALL GetSortText(char* storage, uint32_t storage_bytes, uint32_t row,
                                  uint32_t field, SortedListHandle list) {
  return quorrin::GetSortText(storage, storage_bytes, row, field, list);
}

int32_t QUORRIN_CALL SetSortValue(const void* value, uint32_t row, uint32_t field,
                                  SortedListHandle list) {
  return quorrin::SetSortValue(value, row, field, list);
}
