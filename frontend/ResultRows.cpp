// The results window's rows, builders, sort keys and tree check pictures (see ResultRows.h).
#include "frontend/ResultRows.h"

#include <algorithm>
#include <cstdio>

#include "engine/disk_bytes.h"
#include "engine/fat_dir_entry.h"
#include "engine/ntfs_file_name.h"
#include "frontend/TextRoutines.h"

namespace vardeck {

namespace {

struct EntryTimes {
  std::string created;
  std::string modified;
};

EntryTimes TimesOf(const EntryFacts& facts, bool ntfs) {
  scavrel::ByteSpan block = facts.attributes;
  if (ntfs) {
    return {FileTimeText(scavrel::ReadLe64(block, scavrel::ntfs_name::kCreationTime)),
            FileTimeText(scavrel::ReadLe64(block, scavrel::ntfs_name::kModificationTime))};
  }
  namespace fat = scavrel::fat;
  return {DosDateTimeText(scavrel::ReadLe16(block, fat::kDeCreationDate),
                          scavrel::ReadLe16(block, fat::kDeCreationTime)),
          DosDateTimeText(scavrel::ReadLe16(block, fat::kDeWriteDate),
                          scavrel::ReadLe16(block, fat::kDeWriteTime))};
}

bool IsTreeFolder(const FoundNode* node) {
  return node->valid != 0 && node->subtree_has_deleted != 0 && node->has_children != 0 &&
         node->directory != 0;
}

bool IsDeletedFile(const FoundNode* node) {
  return node->valid != 0 && node->deleted != 0 && node->directory == 0;
}

void SetText(const SortedListOps& ops, uint32_t list, uint32_t field, const std::string& text) {
  ops.SetValue(text.c_str(), field, list);
}

void SetInteger(const SortedListOps& ops, uint32_t list, uint32_t field,
                quorrin_api::IntegerCell value) {
  ops.SetValue(&value, field, list);
}

quorrin_api::IntegerCell NodeCell(FoundNode* node) {
  return static_cast<quorrin_api::IntegerCell>(reinterpret_cast<uintptr_t>(node));
}

// The low 32 bits, as the 32-bit program's integer cell holds them.
quorrin_api::IntegerCell LowSizeCell(uint64_t size) {
  return static_cast<quorrin_api::IntegerCell>(static_cast<int32_t>(static_cast<uint32_t>(size)));
}

void AddFields(const SortedListOps& ops, uint32_t list, uint32_t text_fields,
               uint32_t integer_fields, uint32_t key_fields) {
  ops.ClearList(list);
  ops.FieldRemoveall(list);
  uint32_t number = 1;
  auto add = [&](int32_t type) {
    std::string name = "a" + std::to_string(number++);
    ops.FieldAdd(name.c_str(), type, list);
  };
  for (uint32_t i = 0; i < text_fields; ++i) add(kQuorrinFieldText);
  for (uint32_t i = 0; i < integer_fields; ++i) add(kQuorrinFieldInteger);
  for (uint32_t i = 0; i < key_fields; ++i) add(kQuorrinFieldText);
}

}  // namespace

std::string NumberKey(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof(text), "%020llu", static_cast<unsigned long long>(value));
  return text;
}

void DescribeFile(const EntryFacts& facts, bool ntfs, ResultRow& row) {
  scavrel::ByteSpan block = facts.attributes;
  row.folder = false;
  row.size = ntfs ? scavrel::ReadLe64(block, scavrel::ntfs_name::kSize)
                  : scavrel::fat::EntryFileSize(block);
  row.size_text = SizeText(static_cast<int64_t>(row.size));
  EntryTimes times = TimesOf(facts, ntfs);
  row.created = std::move(times.created);
  row.modified = std::move(times.modified);
  row.status = QualityText(static_cast<int64_t>(facts.free_clusters),
                           static_cast<int64_t>(facts.total_clusters));
  row.first_cluster = facts.first_cluster;
  // A file whose first run is sparse (NTFS) has no first cluster: the engine marks it with
  // all ones, which is no cluster number a user can use.
  row.first_cluster_text = facts.first_cluster == kNoFirstCluster
                               ? std::string("N/A")
                               : std::to_string(facts.first_cluster);
}

void DescribeFolder(const EntryFacts& facts, bool ntfs, ResultRow& row) {
  row.folder = true;
  row.size = 0;
  row.size_text = "0 byte";
  EntryTimes times = TimesOf(facts, ntfs);
  row.created = std::move(times.created);
  row.modified = std::move(times.modified);
  row.status = "N/A";
  row.first_cluster = 0;
  row.first_cluster_text = "N/A";
}

void ResetFolderList(const SortedListOps& ops, uint32_t list) { AddFields(ops, list, 6, 5, 2); }

void ResetHitList(const SortedListOps& ops, uint32_t list) { AddFields(ops, list, 6, 4, 1); }

void AppendFolderRow(const SortedListOps& ops, uint32_t list, const ResultRow& row) {
  namespace f = folder_field;
  ops.Add(list);
  SetText(ops, list, f::kName, row.name);
  SetText(ops, list, f::kSize, row.size_text);
  SetText(ops, list, f::kCreated, row.created);
  SetText(ops, list, f::kModified, row.modified);
  SetText(ops, list, f::kStatus, row.status);
  SetText(ops, list, f::kFirstCluster, row.first_cluster_text);
  SetInteger(ops, list, f::kSizeLow, LowSizeCell(row.size));
  SetInteger(ops, list, f::kImage, row.folder ? kFolderImage : kFileImage);
  SetInteger(ops, list, f::kCheck, StateCell(row.check_state));
  SetInteger(ops, list, f::kNode, NodeCell(row.node));
  SetInteger(ops, list, f::kKind, row.folder ? kFolderKind : kFileKind);
  SetText(ops, list, f::kSizeKey, NumberKey(row.size));
  SetText(ops, list, f::kClusterKey, NumberKey(row.first_cluster));
}

void AppendHitRow(const SortedListOps& ops, uint32_t list, const ResultRow& row) {
  namespace f = hit_field;
  ops.Add(list);
  SetText(ops, list, f::kPath, row.path);
  SetText(ops, list, f::kName, row.name);
  SetText(ops, list, f::kStatus, row.status);
  SetText(ops, list, f::kSize, row.size_text);
  SetText(ops, list, f::kCreated, row.created);
  SetText(ops, list, f::kModified, row.modified);
  SetInteger(ops, list, f::kSizeLow, LowSizeCell(row.size));
  SetInteger(ops, list, f::kImage, kFileImage);
  SetInteger(ops, list, f::kCheck, StateCell(row.check_state));
  SetInteger(ops, list, f::kNode, NodeCell(row.node));
  SetText(ops, list, f::kSizeKey, NumberKey(row.size));
}

void BuildFolderTree(FoundNode* root, ResultSource& source, const AddFolderItem& add) {
  // One frame per sibling chain being walked: the next node of the chain and the item its
  // nodes go under. The top frame is always the innermost chain, as in a recursive walk.
  struct Frame {
    FoundNode* next;
    void* parent_item;
  };
  std::vector<Frame> frames;
  frames.push_back({root, nullptr});
  while (!frames.empty()) {
    Frame& top = frames.back();
    FoundNode* node = top.next;
    if (node == nullptr) {
      frames.pop_back();
      continue;
    }
    top.next = node->next_sibling;
    void* parent_item = top.parent_item;  // `top` may move when a frame is pushed
    if (!IsTreeFolder(node) || !source.Accepts(node)) continue;
    void* item = add(node, source.Name(node), parent_item);
    if (node->child_count > 0 && node->first_child != nullptr) {
      frames.push_back({node->first_child, item});
    }
  }
}

void BuildFolderRows(FoundNode* folder, ResultSource& source,
                     const std::function<void(const ResultRow&)>& emit) {
  if (folder == nullptr) return;
  bool ntfs = source.Ntfs();
  for (int pass = 0; pass < 2; ++pass) {
    for (FoundNode* child = folder->first_child; child != nullptr; child = child->next_sibling) {
      bool wanted = pass == 0 ? IsTreeFolder(child) : IsDeletedFile(child);
      if (!wanted || !source.Accepts(child)) continue;
      ResultRow row;
      row.name = source.Name(child);
      EntryFacts facts;
      source.Facts(child, facts);
      if (pass == 0) {
        DescribeFolder(facts, ntfs, row);
      } else {
        DescribeFile(facts, ntfs, row);
      }
      row.check_state = child->check_state;
      row.node = child;
      emit(row);
    }
  }
}

void BuildHitRows(FoundNode* root, ResultSource& source, const NameTest& wanted,
                  const std::function<void(const ResultRow&)>& emit) {
  if (root == nullptr) return;
  bool ntfs = source.Ntfs();
  std::string path = source.Name(root);
  if (path.empty() || path.back() != '\\') path += '\\';
  // One frame per folder being listed: its next child and the length of its path.
  struct Frame {
    FoundNode* next;
    size_t path_length;
  };
  std::vector<Frame> frames;
  frames.push_back({root->first_child, path.size()});
  while (!frames.empty()) {
    Frame& top = frames.back();
    FoundNode* node = top.next;
    if (node == nullptr) {
      frames.pop_back();
      continue;
    }
    top.next = node->next_sibling;
    path.resize(top.path_length);
    if (node->valid == 0) continue;
    if (node->directory != 0) {
      if (node->subtree_has_deleted == 0 || !source.Accepts(node)) continue;
      path += source.Name(node);
      path += '\\';
      frames.push_back({node->first_child, path.size()});
      continue;
    }
    if (node->deleted == 0 || !source.Accepts(node)) continue;
    ResultRow row;
    row.name = source.Name(node);
    if (wanted && !wanted(row.name)) continue;
    EntryFacts facts;
    source.Facts(node, facts);
    DescribeFile(facts, ntfs, row);
    row.path = path;
    row.check_state = node->check_state;
    row.node = node;
    emit(row);
  }
}

uint32_t SortKeyField(ResultList list, int column) {
  if (list == ResultList::kFolderContents) {
    switch (column) {
      case 1: return folder_field::kSizeKey;
      case 5: return folder_field::kClusterKey;
      default: return static_cast<uint32_t>(column);
    }
  }
  return column == 3 ? hit_field::kSizeKey : static_cast<uint32_t>(column);
}

int ListKeyTarget(unsigned key, int focused, int count, int top, int per_page) {
  if (count <= 0) return -1;
  const int last = count - 1;
  const int page = std::max(1, per_page);
  auto clamp = [last](int row) { return std::clamp(row, 0, last); };
  if (focused < 0 || focused > last) {
    switch (key) {
      case kKeyEnd: return last;
      case kKeyUp: case kKeyDown: case kKeyPageUp: case kKeyPageDown: case kKeyHome: return 0;
      default: return -1;
    }
  }
  switch (key) {
    case kKeyUp: return clamp(focused - 1);
    case kKeyDown: return clamp(focused + 1);
    case kKeyHome: return 0;
    case kKeyEnd: return last;
    case kKeyPageDown: {
      const int page_bottom = clamp(top + page - 1);
      return focused < page_bottom ? page_bottom : clamp(focused + page - 1);
    }
    case kKeyPageUp: {
      const int page_top = clamp(top);
      return focused > page_top ? page_top : clamp(focused - (page - 1));
    }
    default: return -1;
  }
}

int NextSortDirection(int last_sorted_column, int clicked_column, int column_direction) {
  if (last_sorted_column != clicked_column) return kQuorrinAscending;
  if (column_direction == kQuorrinAscending) return kQuorrinDescending;
  return kQuorrinAscending;
}

SortOrder MakeSortOrder(ResultList list, int column, int direction) {
  std::string key = std::to_string(SortKeyField(list, column)) + "|" + std::to_string(direction);
  if (list == ResultList::kFolderContents) {
    return {std::to_string(folder_field::kKind) + "|1," + key, 2};
  }
  return {key, 1};
}

void RefreshSubtreeStates(StateTree& tree, void* item) {
  if (item == nullptr) return;
  // Depth first, children in order; one frame per item whose children are being visited.
  struct Frame {
    void* item;
    int next_child;
    int child_count;
  };
  tree.RefreshState(item);
  std::vector<Frame> frames;
  frames.push_back({item, 0, tree.ChildCount(item)});
  while (!frames.empty()) {
    Frame& top = frames.back();
    if (top.next_child >= top.child_count) {
      frames.pop_back();
      continue;
    }
    void* child = tree.Child(top.item, top.next_child++);
    if (child == nullptr) continue;
    tree.RefreshState(child);
    frames.push_back({child, 0, tree.ChildCount(child)});
  }
}

void RefreshAncestorStates(StateTree& tree, void* item) {
  if (item == nullptr) return;
  for (void* up = tree.Parent(item); up != nullptr; up = tree.Parent(up)) tree.RefreshState(up);
}

void RefreshNodeStates(StateTree& tree, void* item) {
  RefreshSubtreeStates(tree, item);
  RefreshAncestorStates(tree, item);
}

}  // namespace vardeck
