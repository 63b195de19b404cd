// The handle registry and the locking around each list; the table work is in sorted_list.cpp.
#include "quorrin/list_registry.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string_view>

namespace quorrin {

namespace {

struct Entry {
  std::shared_mutex lock;
  SortedList list;
};

class Registry {
 public:
  ListHandle Create() {
    auto entry = std::make_shared<Entry>();
    std::unique_lock hold(lock_);
    // Handles count up from 1 and are not reused; should the 32-bit count ever wrap, 0 and
    // the handles still alive are passed over.
    ListHandle handle = next_;
    while (handle == 0 || lists_.count(handle) != 0) ++handle;
    next_ = handle + 1;
    lists_.emplace(handle, std::move(entry));
    return handle;
  }

  void RemoveAll() {
    std::map<ListHandle, std::shared_ptr<Entry>> gone;
    {
      std::unique_lock hold(lock_);
      gone.swap(lists_);
    }
    // The tables are freed here, outside the registry lock, or later by their last reader.
  }

  std::shared_ptr<Entry> Find(ListHandle handle) const {
    std::shared_lock hold(lock_);
    auto it = lists_.find(handle);
    return it == lists_.end() ? nullptr : it->second;
  }

  size_t Count() const {
    std::shared_lock hold(lock_);
    return lists_.size();
  }

 private:
  mutable std::shared_mutex lock_;
  std::map<ListHandle, std::shared_ptr<Entry>> lists_;
  ListHandle next_ = 1;
};

Registry& TheRegistry() {
  // Built on first use and never destroyed, so that no call made while the process tears down
  // (a window destroyed late frees its lists) meets a registry already gone.
  static Registry* registry = new Registry;
  return *registry;
}

// Runs body on the list under its exclusive lock; 0 for an unknown handle or a failure.
template <typename F>
int32_t Write(ListHandle handle, F&& body) {
  try {
    auto entry = TheRegistry().Find(handle);
    if (!entry) return 0;
    std::unique_lock hold(entry->lock);
    return body(entry->list) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

IntegerCell LoadInteger(const void* address) {
  IntegerCell value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

}  // namespace

ListHandle AddList() {
  try {
    return TheRegistry().Create();
  } catch (...) {
    return 0;
  }
}

int32_t DeleteAll() {
  TheRegistry().RemoveAll();
  return 1;
}

int32_t ClearList(ListHandle list) {
  return Write(list, [](SortedList& l) {
    l.ClearRows();
    return true;
  });
}

int32_t FieldRemoveall(ListHandle list) {
  return Write(list, [](SortedList& l) {
    l.RemoveFields();
    return true;
  });
}

int32_t FieldAdd(const char* /*name*/, int32_t type, ListHandle list) {
  return Write(list, [type](SortedList& l) { return l.AddField(type); });
}

int32_t Add(ListHandle list) {
  return Write(list, [](SortedList& l) { return l.AddRow(); });
}

int32_t SetValue(const void* value, uint32_t field, ListHandle list) {
  if (value == nullptr) return 0;
  return Write(list, [&](SortedList& l) {
    auto type = l.TypeOf(field);
    if (!type) return false;
    if (*type == FieldType::kInteger) return l.SetNewestInteger(field, LoadInteger(value));
    const char* text = static_cast<const char*>(value);
    return l.SetNewestText(field, std::string_view(text, strnlen(text, kMaxCellText)));
  });
}

int32_t UpdateList(ListHandle list) {
  // The rows are ready to read as soon as they are written; the call only confirms the handle.
  return TheRegistry().Find(list) ? 1 : 0;
}

uint32_t GetListCount(ListHandle list) {
  try {
    auto entry = TheRegistry().Find(list);
    if (!entry) return 0;
    std::shared_lock hold(entry->lock);
    return entry->list.RowCount();
  } catch (...) {
    return 0;
  }
}

int32_t Sort(const char* key_text, int32_t key_count, ListHandle list) {
  if (key_text == nullptr) return 0;
  std::string_view text(key_text, strnlen(key_text, kCellTextStorage));
  auto keys = ParseSortKeys(text, key_count);
  if (!keys) return 0;
  return Write(list, [&](SortedList& l) { return l.Sort(*keys); });
}

int32_t GetSortValue(void* const* storage_variable, uint32_t row, uint32_t field,
                     ListHandle list) {
  if (storage_variable == nullptr || *storage_variable == nullptr) return 0;
  char* storage = static_cast<char*>(*storage_variable);
  try {
    auto entry = TheRegistry().Find(list);
    if (entry) {
      std::shared_lock hold(entry->lock);
      const SortedList& l = entry->list;
      if (const std::string* text = l.Text(row, field)) {
        size_t n = std::min(text->size(), kCellTextStorage - 1);
        std::memcpy(storage, text->data(), n);
        storage[n] = '\0';
        return 1;
      }
      if (auto value = l.Integer(row, field)) {
        std::memcpy(storage, &*value, sizeof(IntegerCell));
        return 1;
      }
    }
  } catch (...) {
  }
  std::memset(storage, 0, sizeof(IntegerCell));
  return 0;
}

uint32_t GetSortText(char* storage, uint32_t storage_bytes, uint32_t row, uint32_t field,
                     ListHandle list) {
  if (storage == nullptr || storage_bytes == 0) return 0;
  storage[0] = '\0';
  try {
    auto entry = TheRegistry().Find(list);
    if (!entry) return 0;
    std::shared_lock hold(entry->lock);
    const std::string* text = entry->list.Text(row, field);
    if (text == nullptr) return 0;
    const size_t n = std::min<size_t>(text->size(), storage_bytes - 1);
    std::memcpy(storage, text->data(), n);
    storage[n] = '\0';
    // A cell holds at most kMaxCellText bytes, so its size always fits.
    return static_cast<uint32_t>(text->size() + 1);
  } catch (...) {
    return 0;
  }
}

int32_t SetSortValue(const void* value, uint32_t row, uint32_t field, ListHandle list) {
  if (value == nullptr) return 0;
  IntegerCell cell = LoadInteger(value);
  return Write(list, [&](SortedList& l) { return l.SetInteger(row, field, cell); });
}

size_t LiveListCount() { return TheRegistry().Count(); }

}  // namespace quorrin
