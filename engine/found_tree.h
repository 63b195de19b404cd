// The found tree: one FoundNode per kept entry, each with an EntryRecord that holds the entry's
// cluster runs, its on-disk attribute bytes and its names.
//
// FoundNode, EntryRecord and ExtentList cross the boundary between Scavrel and the front end,
// which reads their fields by offset; they are packed byte layouts. On the 32-bit deliverable
// every pointer is 4 bytes and the offsets are the ones in the tables below (checked by
// static_assert); on x86_64 the pointers are 8 bytes and the offsets after the first pointer
// move, but the front end and the engine are built from this one header, so they agree.
//
// FoundNode (32-bit offsets)
//   off size field
//     0   4  reserved, 0
//     4   2  height (maintained by AttachNode/DetachNode)
//     6   4  child count
//    10   2  depth (1 at top level, parent + 1 when attached, 0 after detach)
//    12   1  check state (1 unchecked, 2 mixed, 3 checked)
//    13   1  has children
//    14   1  directory
//    15   1  deleted
//    16   1  valid (0: skipped by every walk)
//    17   1  subtree has deleted
//    18   4  next created           22  4  previous created
//    26   4  parent                 30  4  first child
//    34   4  last child             38  4  next sibling
//    42   4  previous sibling       46  4  record
//
// EntryRecord (32-bit offsets): 0 flag byte, 8 ExtentList (128 bytes), 136 attribute block;
//   FAT form (176 bytes):  136 the 32-byte directory entry, 168 long name, 172 short name;
//   NTFS form (216 bytes): 136 the first 66 bytes of the file-name value, 202 resident-data
//                          flag, 204 long name, 208 short name.
// Names are engine-owned zero-terminated UTF-16 texts; a null reference is the empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace scavrel {

enum CheckState : uint8_t {
  kUnchecked = 1,
  kMixed = 2,
  kChecked = 3,
};

#pragma pack(push, 1)

struct ClusterRun {
  uint64_t first_cluster;
  uint64_t cluster_count;
};

struct RunListNode {
  uint64_t sequence;  // the list's node count right after this node was appended
  RunListNode* next;
  RunListNode* previous;
  ClusterRun* run;
};

struct ExtentList {
  uint64_t node_count;
  RunListNode* first;
  RunListNode* last;
  RunListNode* cursor;
  uint32_t reserved20;
  ClusterRun* current_run;
  uint32_t reserved28;
  uint64_t free_clusters;   // clusters of the entry still unallocated on the volume
  uint64_t reserved40;
  uint64_t reserved48;
  uint64_t total_clusters;  // sum of the run lengths
  uint64_t reserved64;
  uint8_t reserved72[48];
  uint8_t runs_settled;     // NTFS: no further data runs are taken for the entry
  uint8_t reserved121[7];
};

struct FoundNode;

// Reference to an engine-owned wide text (a pointer-sized cell in the record).
using WideName = char16_t*;

struct FatEntryRecord {
  uint8_t flag;
  uint8_t reserved1[7];
  ExtentList extents;
  uint8_t dir_entry[32];  // the directory entry as stored on disk
  WideName long_name;
  WideName short_name;
};

struct NtfsEntryRecord {
  uint8_t name_from_attribute_list;
  uint8_t reserved1[7];
  ExtentList extents;
  uint8_t file_name[66];  // head of the $FILE_NAME value as stored on disk
  uint8_t resident_data;  // 1 while the data is (taken to be) inside the MFT record
  uint8_t reserved203;
  WideName long_name;
  WideName short_name;
  uint8_t reserved212[4];
};

// The two record forms share their head: the flag byte, the extent list and the start of the
// attribute block. EntryRecord is that head; the tree's RecordForm says which form it is.
struct EntryRecord {
  uint8_t flag;
  uint8_t reserved1[7];
  ExtentList extents;
  uint8_t attributes[32];
};

struct FoundNode {
  uint32_t reserved0;
  uint16_t height;
  uint32_t child_count;
  uint16_t depth;
  uint8_t check_state;
  uint8_t has_children;
  uint8_t directory;
  uint8_t deleted;
  uint8_t valid;
  uint8_t subtree_has_deleted;
  FoundNode* next_created;
  FoundNode* previous_created;
  FoundNode* parent;
  FoundNode* first_child;
  FoundNode* last_child;
  FoundNode* next_sibling;
  FoundNode* previous_sibling;
  EntryRecord* record;
};

#pragma pack(pop)

// Offsets of the shared records that hold on every target (before the first pointer).
static_assert(offsetof(FoundNode, child_count) == 6);
static_assert(offsetof(FoundNode, check_state) == 12);
static_assert(offsetof(FoundNode, subtree_has_deleted) == 17);
static_assert(offsetof(FoundNode, next_created) == 18);
static_assert(offsetof(EntryRecord, extents) == 8);
static_assert(offsetof(FatEntryRecord, extents) == 8);
static_assert(offsetof(NtfsEntryRecord, extents) == 8);
static_assert(sizeof(ClusterRun) == 16);

// The 32-bit deliverable: the byte layouts the front end reads, exactly.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FoundNode) == 50);
static_assert(offsetof(FoundNode, parent) == 26);
static_assert(offsetof(FoundNode, first_child) == 30);
static_assert(offsetof(FoundNode, next_sibling) == 38);
static_assert(offsetof(FoundNode, record) == 46);
static_assert(sizeof(RunListNode) == 20);
static_assert(sizeof(ExtentList) == 128);
static_assert(offsetof(ExtentList, current_run) == 24);
static_assert(offsetof(ExtentList, free_clusters) == 32);
static_assert(offsetof(ExtentList, total_clusters) == 56);
static_assert(offsetof(ExtentList, runs_settled) == 120);
static_assert(sizeof(FatEntryRecord) == 176);
static_assert(offsetof(FatEntryRecord, dir_entry) == 136);
static_assert(offsetof(FatEntryRecord, long_name) == 168);
static_assert(offsetof(FatEntryRecord, short_name) == 172);
static_assert(sizeof(NtfsEntryRecord) == 216);
static_assert(offsetof(NtfsEntryRecord, file_name) == 136);
static_assert(offsetof(NtfsEntryRecord, resident_data) == 202);
static_assert(offsetof(NtfsEntryRecord, long_name) == 204);
static_assert(offsetof(NtfsEntryRecord, short_name) == 208);
static_assert(offsetof(EntryRecord, attributes) == 136);
#endif

// Both forms keep the extent list and the attribute block at the same place.
static_assert(offsetof(FatEntryRecord, dir_entry) == offsetof(EntryRecord, attributes));
static_assert(offsetof(NtfsEntryRecord, file_name) == offsetof(EntryRecord, attributes));

// The only casts between the forms: a node's record is the FAT or the NTFS form (the tree's
// RecordForm says which) behind the shared head, and the asserts above keep the head where
// both forms have it. A null record stays null.
inline FatEntryRecord* AsFatRecord(EntryRecord* record) {
  return reinterpret_cast<FatEntryRecord*>(record);
}
inline const FatEntryRecord* AsFatRecord(const EntryRecord* record) {
  return reinterpret_cast<const FatEntryRecord*>(record);
}
inline NtfsEntryRecord* AsNtfsRecord(EntryRecord* record) {
  return reinterpret_cast<NtfsEntryRecord*>(record);
}
inline const NtfsEntryRecord* AsNtfsRecord(const EntryRecord* record) {
  return reinterpret_cast<const NtfsEntryRecord*>(record);
}
// The shared head of a record of either form, as a node holds it.
inline EntryRecord* AsEntryRecord(FatEntryRecord* record) {
  return reinterpret_cast<EntryRecord*>(record);
}
inline EntryRecord* AsEntryRecord(NtfsEntryRecord* record) {
  return reinterpret_cast<EntryRecord*>(record);
}

enum class RecordForm : uint8_t {
  kNone = 0,
  kNtfs = 1,
  kFat = 2,
};

// --- wide names -----------------------------------------------------------------------------

// Replaces *slot with a copy of the `length` UTF-16 units at `text` (the old text is freed).
void SetWideName(WideName* slot, const char16_t* text, size_t length);
void FreeWideName(WideName* slot);
// The text in a slot (null for the empty text).
const char16_t* GetWideName(const WideName* slot);
size_t WideNameLength(const char16_t* text);

// --- records ---------------------------------------------------------------------------------

void InitExtentList(ExtentList* list);
// Appends a run node; the returned run's content is left to the caller.
ClusterRun* AppendRun(ExtentList* list);
RunListNode* FirstRun(ExtentList* list);
void FreeRuns(ExtentList* list);
void ClearRuns(ExtentList* list);

void InitFatRecord(FatEntryRecord* record);
void InitNtfsRecord(NtfsEntryRecord* record);
void FreeFatRecord(FatEntryRecord* record);
void FreeNtfsRecord(NtfsEntryRecord* record);

// New records of either form, constructed; released with FreeRecord.
FatEntryRecord* NewFatRecord();
NtfsEntryRecord* NewNtfsRecord();

// The name slots of a record of the given form.
WideName* LongNameSlot(EntryRecord* record, RecordForm form);
WideName* ShortNameSlot(EntryRecord* record, RecordForm form);

// --- the tree --------------------------------------------------------------------------------

class FoundTree {
 public:
  FoundTree() = default;
  ~FoundTree() { ClearTree(); }
  FoundTree(const FoundTree&) = delete;
  FoundTree& operator=(const FoundTree&) = delete;

  FoundNode* NewNode();
  FoundNode* MoveNode(FoundNode* node, FoundNode* new_parent);
  void AttachNode(FoundNode* node, FoundNode* parent);
  void DetachNode(FoundNode* node);
  void DeleteNode(FoundNode* node);
  void ClearTree();
  void ResetTree();
  FoundNode* FirstCreated();

  // Releases a record of this tree's form and frees it.
  void FreeRecord(EntryRecord* record);

  FoundNode* root() const { return root_; }
  void set_root(FoundNode* node) { root_ = node; }
  uint64_t node_count() const { return node_count_; }
  bool empty() const { return node_count_ == 0; }
  RecordForm record_form() const { return record_form_; }
  void set_record_form(RecordForm form) { record_form_ = form; }
  FoundNode* last_created() const { return last_created_; }
  FoundNode* cursor() const { return cursor_; }

  // Removes, bottom-up below and including `node`, every folder left with no children and no
  // deleted entry in its subtree. `stop` is asked before each node; true from it ends the
  // prune there (false is returned), leaving a tree that is whole, only not pruned yet.
  bool PruneEmptyFolders(FoundNode* node, const std::function<bool()>& stop);

 private:
  // Clears the "holds deleted entries" mark upward from `folder` while no child still
  // carries one.
  void Unmark(FoundNode* folder);

  FoundNode* root_ = nullptr;
  FoundNode* last_top_level_ = nullptr;
  uint64_t node_count_ = 0;
  RecordForm record_form_ = RecordForm::kNone;
  FoundNode* first_created_ = nullptr;
  FoundNode* last_created_ = nullptr;
  FoundNode* cursor_ = nullptr;
};

}  // namespace scavrel
