// What the results window shows of the engine's found tree: the folder tree, the rows of a
// folder's contents and of the find-mode hit list, their texts, the sort keys behind column
// clicks and the check-state pictures of the tree. Portable: the engine is reached through a
// ResultSource (the exports in the program, a hand-made tree in tests) and the sorted lists
// through a SortedListOps table.
//
// Every walk over the found tree keeps its own stack: a found tree may be as deep as a
// damaged volume makes it, and the GUI thread's stack is not.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/found_tree.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

using scavrel::EntryRecord;
using scavrel::FoundNode;

// --- the engine, as the builders ask it -------------------------------------------------------

struct EntryFacts {
  std::span<const uint8_t> attributes;  // the FAT directory entry or the NTFS file-name head
  uint64_t free_clusters = 0;
  uint64_t total_clusters = 0;
  uint64_t first_cluster = 0;
};

// The first cluster of a file whose first run is sparse: it has none.
inline constexpr uint64_t kNoFirstCluster = ~uint64_t{0};

class ResultSource {
 public:
  virtual ~ResultSource() = default;
  // FilterNtfsTreeNode.
  virtual bool Accepts(FoundNode* node) = 0;
  // GetDictionaryName of the node's record.
  virtual std::string Name(FoundNode* node) = 0;
  // GetpFileAttr of the node's record; false when the engine gives nothing.
  virtual bool Facts(FoundNode* node, EntryFacts& facts) = 0;
  // Which form the attribute block has.
  virtual bool Ntfs() const = 0;
};

// Bytes of the attribute block each record form keeps.
constexpr size_t kFatAttributeBytes = 32;
constexpr size_t kNtfsAttributeBytes = 66;

// --- row layouts ----------------------------------------------------------------------------

// FolderContentsList: "a1" to "a11" as the window has always had them, then two sort keys.
// The integer size cell holds only the low 32 bits (a 32-bit cell on the 32-bit program), so
// sizes sort by a 20-digit text of the whole 64-bit size; the first cluster likewise.
namespace folder_field {
constexpr uint32_t kName = 0, kSize = 1, kCreated = 2, kModified = 3, kStatus = 4,
                   kFirstCluster = 5, kSizeLow = 6, kImage = 7, kCheck = 8, kNode = 9, kKind = 10,
                   kSizeKey = 11, kClusterKey = 12;
constexpr uint32_t kCount = 13;
}  // namespace folder_field

// HitList: "a1" to "a10", then the size key. The engine's list-driven save reads fields 0
// (path), 8 (check state) and 9 (node).
namespace hit_field {
constexpr uint32_t kPath = 0, kName = 1, kStatus = 2, kSize = 3, kCreated = 4, kModified = 5,
                   kSizeLow = 6, kImage = 7, kCheck = 8, kNode = 9, kSizeKey = 10;
constexpr uint32_t kCount = 11;
}  // namespace hit_field

// Images of the item picture list.
constexpr int kFileImage = 0;
constexpr int kOpenFolderImage = 1;
constexpr int kFolderImage = 2;
// Field kKind: folders (1) stay ahead of files (2) whatever the sort.
constexpr int kFolderKind = 1;
constexpr int kFileKind = 2;

// One row of either list before it goes into the sorted list.
struct ResultRow {
  std::string path;  // hit list only: the containing folder, ending in "\"
  std::string name;
  std::string size_text;
  std::string created;
  std::string modified;
  std::string status;
  std::string first_cluster_text;
  uint64_t size = 0;
  uint64_t first_cluster = 0;
  bool folder = false;
  uint8_t check_state = 0;
  FoundNode* node = nullptr;
};

// The texts and numbers of an entry from its attribute block: size, the two time texts, the
// recoverability word and the first cluster (FAT entries keep 32-bit sizes, NTFS 64-bit).
void DescribeFile(const EntryFacts& facts, bool ntfs, ResultRow& row);
// A folder row's fixed texts ("0 byte", "N/A") with its times.
void DescribeFolder(const EntryFacts& facts, bool ntfs, ResultRow& row);

// A number as a text that sorts as the number: 20 digits, zero-padded.
std::string NumberKey(uint64_t value);

// --- the sorted lists -------------------------------------------------------------------------

// The sorted-list operations the front end writes and reads rows with.
struct SortedListOps {
  int32_t(QUORRIN_CALL* ClearList)(uint32_t list);
  int32_t(QUORRIN_CALL* FieldRemoveall)(uint32_t list);
  int32_t(QUORRIN_CALL* FieldAdd)(const char* name, int32_t type, uint32_t list);
  int32_t(QUORRIN_CALL* Add)(uint32_t list);
  int32_t(QUORRIN_CALL* SetValue)(const void* value, uint32_t field, uint32_t list);
  int32_t(QUORRIN_CALL* UpdateList)(uint32_t list);
  uint32_t(QUORRIN_CALL* GetListCount)(uint32_t list);
  int32_t(QUORRIN_CALL* Sort)(const char* key_text, int32_t key_count, uint32_t list);
  int32_t(QUORRIN_CALL* GetSortValue)(void* const* storage_variable, uint32_t row,
                                      uint32_t field, uint32_t list);
  int32_t(QUORRIN_CALL* SetSortValue)(const void* value, uint32_t row, uint32_t field,
                                      uint32_t list);
};

// Empties the list and gives it the folder-contents or the hit-list fields.
void ResetFolderList(const SortedListOps& ops, uint32_t list);
void ResetHitList(const SortedListOps& ops, uint32_t list);
void AppendFolderRow(const SortedListOps& ops, uint32_t list, const ResultRow& row);
void AppendHitRow(const SortedListOps& ops, uint32_t list, const ResultRow& row);

// A check state as the integer cell it is kept in: GetnSelect hands out a byte, which goes
// into the pointer-sized cell zero-extended (the list-driven save compares the whole cell).
inline quorrin_api::IntegerCell StateCell(uint8_t state) {
  return static_cast<quorrin_api::IntegerCell>(static_cast<uintptr_t>(state));
}

// --- builders -----------------------------------------------------------------------------------

// The folder tree: every valid folder that has deleted entries below it, has children, and
// passes the filter, in sibling order, each under its parent's item. `add` makes the item for
// `node` under `parent_item` (null at the top) and returns it.
using AddFolderItem = std::function<void*(FoundNode* node, const std::string& name,
                                          void* parent_item)>;
void BuildFolderTree(FoundNode* root, ResultSource& source, const AddFolderItem& add);

// The rows of one folder: its sub-folders first (as the tree has them), then its deleted
// files, each in sibling order.
void BuildFolderRows(FoundNode* folder, ResultSource& source,
                     const std::function<void(const ResultRow&)>& emit);

// The hit rows under the root: every valid deleted file that passes the filter and whose
// name `wanted` takes (the find dialog's name pattern; empty: every name), inside folders
// that have deleted entries and pass the filter; the path of each is the root's name and the
// folders down to it, each followed by "\".
using NameTest = std::function<bool(std::string_view name)>;
void BuildHitRows(FoundNode* root, ResultSource& source, const NameTest& wanted,
                  const std::function<void(const ResultRow&)>& emit);

// --- sorting ----------------------------------------------------------------------------------

enum class ResultList { kFolderContents, kHits };

// The field a column sorts by.
uint32_t SortKeyField(ResultList list, int column);
// The direction a click gives a column: the column sorted last flips 1 <-> 2 (anything else
// becomes 1); any other column starts at 1.
int NextSortDirection(int last_sorted_column, int clicked_column, int column_direction);
struct SortOrder {
  std::string text;
  int32_t key_count = 0;
};
// The folder contents keep folders ahead of files (field kKind first).
SortOrder MakeSortOrder(ResultList list, int column, int direction);

// --- moving through a long list with the keys --------------------------------------------------

// The navigation keys a result list moves its single selection with (the system's key codes).
enum ListKey : unsigned {
  kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyEnd = 0x23, kKeyHome = 0x24,
  kKeyUp = 0x26, kKeyDown = 0x28,
};
// The row a plain navigation key moves the focus to, as the system list moves it: Page Down
// goes to the last row on the page first, then a page on (Page Up likewise to the first);
// -1 for a key that is no navigation key or an empty list. `focused` -1: no row yet (any key
// starts at the first row); `top` and `per_page` are the first visible row and how many
// rows one page shows.
int ListKeyTarget(unsigned key, int focused, int count, int top, int per_page);

// --- the folder tree's check pictures -----------------------------------------------------------

// The tree the results window shows, as the state helpers walk it (children by position:
// a tree view's nodes find their next sibling only by searching their parent).
class StateTree {
 public:
  virtual ~StateTree() = default;
  virtual int ChildCount(void* item) = 0;
  virtual void* Child(void* item, int index) = 0;
  virtual void* Parent(void* item) = 0;
  // The item's state picture := the engine's check state of its node.
  virtual void RefreshState(void* item) = 0;
};

// The item and every item below it, in child order.
void RefreshSubtreeStates(StateTree& tree, void* item);
// Every ancestor of the item up to the top.
void RefreshAncestorStates(StateTree& tree, void* item);
void RefreshNodeStates(StateTree& tree, void* item);

}  // namespace vardeck
