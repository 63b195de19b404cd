// Found tree operations: node creation, the creation-order list, child lists with their
// height / depth / subtree-has-deleted bookkeeping, and the records hung from the nodes.
#include "engine/found_tree.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/ntfs_file_name.h"

namespace scavrel {

// --- wide names -----------------------------------------------------------------------------

size_t WideNameLength(const char16_t* text) {
  size_t n = 0;
  if (text != nullptr) {
    while (text[n] != 0) ++n;
  }
  return n;
}

// Name slots sit at unaligned offsets inside the packed records: they are read and written
// through memcpy, never through a dereference of the slot pointer.
const char16_t* GetWideName(const WideName* slot) {
  WideName value;
  std::memcpy(&value, slot, sizeof(value));
  return value;
}

static void StoreWideName(WideName* slot, WideName value) {
  std::memcpy(slot, &value, sizeof(value));
}

void FreeWideName(WideName* slot) {
  delete[] GetWideName(slot);
  StoreWideName(slot, nullptr);
}

void SetWideName(WideName* slot, const char16_t* text, size_t length) {
  FreeWideName(slot);
  if (text == nullptr || length == 0) return;
  auto* copy = new char16_t[length + 1];
  std::memcpy(copy, text, length * sizeof(char16_t));
  copy[length] = 0;
  StoreWideName(slot, copy);
}

// --- extent lists ----------------------------------------------------------------------------

void InitExtentList(ExtentList* list) {
  std::memset(list, 0, sizeof(*list));
}

ClusterRun* AppendRun(ExtentList* list) {
  auto* run = new ClusterRun{};
  auto* node = new RunListNode{};
  node->run = run;
  node->previous = list->last;
  node->next = nullptr;
  ++list->node_count;
  if (list->node_count == 1 || list->last == nullptr) {
    list->first = node;
  } else {
    list->last->next = node;
  }
  list->last = node;
  list->cursor = node;
  node->sequence = list->node_count;
  list->current_run = run;
  return run;
}

RunListNode* FirstRun(ExtentList* list) {
  list->cursor = list->first;
  return list->first;
}

void FreeRuns(ExtentList* list) {
  RunListNode* node = list->last;
  while (node != nullptr) {
    RunListNode* previous = node->previous;
    delete node->run;
    delete node;
    node = previous;
  }
  list->node_count = 0;
  list->first = nullptr;
  list->last = nullptr;
  list->cursor = nullptr;
  // The freed run may still be named here; nobody reads it once the list is empty, but a
  // dangling pointer in a record the front end can see helps nobody.
  list->current_run = nullptr;
}

void ClearRuns(ExtentList* list) {
  list->total_clusters = 0;
  FreeRuns(list);
}

// --- records ---------------------------------------------------------------------------------

void InitFatRecord(FatEntryRecord* record) {
  InitExtentList(&record->extents);
  record->long_name = nullptr;
  record->short_name = nullptr;
  record->flag = 0;
  std::memset(record->dir_entry, 0, sizeof(record->dir_entry));
}

void InitNtfsRecord(NtfsEntryRecord* record) {
  InitExtentList(&record->extents);
  record->long_name = nullptr;
  record->short_name = nullptr;
  record->name_from_attribute_list = 0;
  // Only the two size slots of the file-name head (allocated and data size, side by side) are
  // cleared; the scanner copies the rest from disk.
  static_assert(ntfs_name::kSize == ntfs_name::kAllocatedSize + 8);
  std::memset(record->file_name + ntfs_name::kAllocatedSize, 0, 16);
  record->resident_data = 1;
}

void FreeFatRecord(FatEntryRecord* record) {
  FreeWideName(&record->long_name);
  FreeWideName(&record->short_name);
  FreeRuns(&record->extents);
}

void FreeNtfsRecord(NtfsEntryRecord* record) {
  FreeWideName(&record->long_name);
  FreeWideName(&record->short_name);
  FreeRuns(&record->extents);
}

FatEntryRecord* NewFatRecord() {
  auto* record = new FatEntryRecord{};
  InitFatRecord(record);
  return record;
}

NtfsEntryRecord* NewNtfsRecord() {
  auto* record = new NtfsEntryRecord{};
  InitNtfsRecord(record);
  return record;
}

WideName* LongNameSlot(EntryRecord* record, RecordForm form) {
  if (form == RecordForm::kNtfs) return &AsNtfsRecord(record)->long_name;
  return &AsFatRecord(record)->long_name;
}

WideName* ShortNameSlot(EntryRecord* record, RecordForm form) {
  if (form == RecordForm::kNtfs) return &AsNtfsRecord(record)->short_name;
  return &AsFatRecord(record)->short_name;
}

// --- the tree --------------------------------------------------------------------------------

void FoundTree::FreeRecord(EntryRecord* record) {
  if (record == nullptr) return;
  if (record_form_ == RecordForm::kNtfs) {
    auto* ntfs = AsNtfsRecord(record);
    FreeNtfsRecord(ntfs);
    delete ntfs;
  } else {
    auto* fat = AsFatRecord(record);
    FreeFatRecord(fat);
    delete fat;
  }
}

FoundNode* FoundTree::NewNode() {
  auto* node = new FoundNode{};
  node->previous_created = last_created_;
  node->next_created = nullptr;
  ++node_count_;
  if (node_count_ == 1) {
    first_created_ = node;
    root_ = node;
  } else if (last_created_ != nullptr) {
    last_created_->next_created = node;
  }
  last_created_ = node;
  cursor_ = node;
  node->height = 1;
  node->check_state = kUnchecked;
  node->depth = 1;
  return node;
}

FoundNode* FoundTree::MoveNode(FoundNode* node, FoundNode* new_parent) {
  if (node == nullptr || node == new_parent) return node;
  DetachNode(node);
  AttachNode(node, new_parent);
  return node;
}

static bool CountsAsDeleted(const FoundNode* node) {
  return node->valid && (node->subtree_has_deleted || (node->deleted && !node->directory));
}

void FoundTree::AttachNode(FoundNode* node, FoundNode* parent) {
  if (node == nullptr) return;
  if (parent == nullptr) {
    if (root_ == nullptr) {
      root_ = node;
      last_top_level_ = node;
    } else {
      if (last_top_level_ != nullptr && last_top_level_ != node) {
        node->previous_sibling = last_top_level_;
        last_top_level_->next_sibling = node;
      }
      last_top_level_ = node;
    }
    node->depth = 1;
    node->parent = nullptr;
    node->next_sibling = nullptr;
    return;
  }

  // Only the parent is raised; its ancestors keep their heights.
  if (parent->height < node->height + 1) parent->height = static_cast<uint16_t>(node->height + 1);

  if (parent->has_children && parent->last_child != nullptr) {
    parent->last_child->next_sibling = node;
    node->previous_sibling = parent->last_child;
  } else {
    parent->has_children = 1;
    parent->first_child = node;
    node->previous_sibling = nullptr;
  }
  parent->last_child = node;

  // A marked folder's ancestors are marked already: the walk ends at the first one, so hanging
  // many entries below a deep folder chain marks each folder once, not once per entry.
  if (CountsAsDeleted(node)) {
    for (FoundNode* up = parent; up != nullptr && !up->subtree_has_deleted; up = up->parent) {
      up->subtree_has_deleted = 1;
    }
  }

  ++parent->child_count;
  node->depth = static_cast<uint16_t>(parent->depth + 1);
  node->parent = parent;
  node->next_sibling = nullptr;
}

void FoundTree::Unmark(FoundNode* folder) {
  for (; folder != nullptr && folder->subtree_has_deleted != 0; folder = folder->parent) {
    for (const FoundNode* child = folder->first_child; child != nullptr;
         child = child->next_sibling) {
      if (child->valid && (child->subtree_has_deleted || child->deleted)) return;
    }
    folder->subtree_has_deleted = 0;
  }
}

void FoundTree::DetachNode(FoundNode* node) {
  if (node == nullptr) return;
  FoundNode* parent = node->parent;
  if (parent != nullptr) {
    FoundNode* previous = parent->first_child == node ? nullptr : node->previous_sibling;
    FoundNode* next = node->next_sibling;
    if (previous != nullptr) {
      previous->next_sibling = next;
    } else {
      parent->first_child = next;
    }
    if (next != nullptr) {
      next->previous_sibling = previous;
    } else {
      parent->last_child = previous;
    }

    uint16_t height = 1;
    bool has_deleted = false;
    for (FoundNode* child = parent->first_child; child != nullptr; child = child->next_sibling) {
      if (child->height > height) height = child->height;
      if (child->valid && (child->subtree_has_deleted || child->deleted)) has_deleted = true;
    }
    parent->height = height;
    if (parent->first_child == nullptr) {
      parent->has_children = 0;
      parent->last_child = nullptr;
    }
    if (parent->child_count > 0) --parent->child_count;
    const bool was_marked = parent->subtree_has_deleted != 0;
    parent->subtree_has_deleted = has_deleted ? 1 : 0;
    // The parent's ancestors were marked through it: those with no other deleted entry below
    // them lose the mark too, or the prune would keep them as folders with deleted entries.
    if (was_marked && !has_deleted) Unmark(parent->parent);
  }
  node->parent = nullptr;
  node->next_sibling = nullptr;
  node->depth = 0;
}

void FoundTree::DeleteNode(FoundNode* node) {
  if (node == nullptr) return;
  DetachNode(node);
  if (node == first_created_) first_created_ = node->next_created;
  if (node == last_created_) last_created_ = node->previous_created;
  if (node->previous_created != nullptr) node->previous_created->next_created = node->next_created;
  if (node->next_created != nullptr) node->next_created->previous_created = node->previous_created;
  // The children of a deleted node would keep a dangling parent: hand them to the top level.
  // The prunes delete leaves before their folders, so this only guards against misuse.
  for (FoundNode* child = node->first_child; child != nullptr;) {
    FoundNode* next = child->next_sibling;
    child->parent = nullptr;
    child->next_sibling = nullptr;
    child->previous_sibling = nullptr;
    child->depth = 0;
    child = next;
  }
  if (node == root_) root_ = nullptr;
  if (node == last_top_level_) last_top_level_ = nullptr;
  if (node == cursor_) cursor_ = nullptr;
  FreeRecord(node->record);
  delete node;
  --node_count_;
}

bool FoundTree::PruneEmptyFolders(FoundNode* node, const std::function<bool()>& stop) {
  if (node == nullptr) return false;
  // Children before their parent, without recursion: a deep folder chain must not exhaust
  // the thread's stack.
  struct Visit {
    FoundNode* node;
    FoundNode* next_child;
  };
  std::vector<Visit> stack{{node, node->first_child}};
  while (!stack.empty()) {
    if (stop && stop()) return false;
    Visit& top = stack.back();
    if (top.next_child != nullptr) {
      FoundNode* child = top.next_child;
      top.next_child = child->next_sibling;  // taken before the child may be deleted
      stack.push_back({child, child->first_child});
      continue;
    }
    FoundNode* done = top.node;
    stack.pop_back();
    // A folder that still has children is never deleted: that would leave them with a parent
    // that no longer exists.
    if (done->subtree_has_deleted == 0 && done->directory != 0 && done->first_child == nullptr) {
      DeleteNode(done);
    }
  }
  return true;
}

void FoundTree::ClearTree() {
  if (last_created_ == nullptr) return;
  FoundNode* node = last_created_;
  while (node != nullptr) {
    FoundNode* previous = node->previous_created;
    FreeRecord(node->record);
    delete node;
    node = previous;
  }
  ResetTree();
}

void FoundTree::ResetTree() {
  root_ = nullptr;
  last_top_level_ = nullptr;
  node_count_ = 0;
  first_created_ = nullptr;
  last_created_ = nullptr;
  cursor_ = nullptr;
}

FoundNode* FoundTree::FirstCreated() {
  cursor_ = first_created_;
  return first_created_;
}

}  // namespace scavrel
