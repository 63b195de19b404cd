// The list-driven save: rows of a sorted list, each naming a found node and the folder it
// belongs in, saved through the tree save's per-file step.
#include "engine/save_list.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/save_names.h"
#include "engine/save_session.h"
#include "engine/save_tree.h"

namespace scavrel {
namespace {

ListLibrary* g_list_library = nullptr;

constexpr uint32_t kErrorModNotFound = 126;  // ERROR_MOD_NOT_FOUND
constexpr uint32_t kErrorBadPathname = 161;  // ERROR_BAD_PATHNAME

// GetSortValue's storage: an integer cell arrives as one IntegerCell at its start (a text
// cell, should a field be of the wrong type, zero-terminated within these bytes).
constexpr size_t kCellBufferBytes = kQuorrinCellTextStorage;
static_assert(kCellBufferBytes >= sizeof(quorrin_api::IntegerCell));
// A folder text longer than this is no Windows path; the text buffer grows no further.
constexpr size_t kMaxFolderTextBytes = 32768;

// Releases the run's binding on every way out of the run.
class BoundList {
 public:
  BoundList(ListLibrary& library, const ListBinding& binding)
      : library_(library), binding_(binding) {}
  ~BoundList() { library_.Free(binding_); }
  BoundList(const BoundList&) = delete;
  BoundList& operator=(const BoundList&) = delete;
  const ListBinding& operator*() const { return binding_; }

 private:
  ListLibrary& library_;
  ListBinding binding_;
};

// The nodes of the engine's current tree, gathered on first use. A list row carries a raw
// node address that outlives the tree it came from when the list is kept past ClearRecovery
// or a new scan; only a node the tree still holds is read.
class TreeNodes {
 public:
  explicit TreeNodes(const FoundTree& tree) : tree_(tree) {}

  bool Holds(const FoundNode* node) {
    if (!gathered_) Gather();
    return std::binary_search(nodes_.begin(), nodes_.end(), node, std::less<>());
  }

 private:
  void Gather() {
    gathered_ = true;
    // Every live node is on the creation chain; walked backwards from its newest node, which
    // the tree gives without moving its cursor.
    const uint64_t count = tree_.node_count();
    for (const FoundNode* node = tree_.last_created(); node != nullptr && nodes_.size() < count;
         node = node->previous_created) {
      nodes_.push_back(node);
    }
    std::sort(nodes_.begin(), nodes_.end(), std::less<>());
  }

  const FoundTree& tree_;
  bool gathered_ = false;
  std::vector<const FoundNode*> nodes_;
};

// A drive-letter path ("X:" or "X:\..."), or a UNC or device path: where a destination may
// lie. A relative destination would put folders under the process's current folder.
bool IsAbsoluteDestination(const std::u16string& path) {
  if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') return true;
  if (path.size() < 2 || path[1] != u':') return false;
  const char16_t drive = path[0];
  const bool letter = (drive >= u'A' && drive <= u'Z') || (drive >= u'a' && drive <= u'z');
  return letter && (path.size() == 2 || path[2] == u'\\');
}

// Reads one cell of a row through the bound function into the run's cell buffer.
class CellReader {
 public:
  CellReader(const ListBinding& binding, uint32_t list)
      : get_(binding.get_sort_value),
        get_text_(binding.get_sort_text),
        list_(list),
        buffer_(kCellBufferBytes, 0),
        text_(kCellBufferBytes, 0) {}

  quorrin_api::IntegerCell Integer(uint32_t row, uint32_t field) {
    Read(row, field);
    quorrin_api::IntegerCell value = 0;
    std::memcpy(&value, buffer_.data(), sizeof(value));
    return value;
  }

  // The whole text: a folder text cut short would put the row's file into another folder.
  std::string Text(uint32_t row, uint32_t field) {
    for (;;) {
      text_[0] = '\0';
      const uint32_t needed =
          get_text_(text_.data(), static_cast<uint32_t>(text_.size()), row, field, list_);
      if (needed <= text_.size() || text_.size() >= kMaxFolderTextBytes) break;
      text_.assign(std::min<size_t>(needed, kMaxFolderTextBytes), '\0');
    }
    // The library terminates what it copies; the last byte is kept a terminator all the
    // same, so that a text never reads past the buffer.
    text_.back() = '\0';
    return std::string(text_.data());
  }

 private:
  // The result is not looked at: a refused read leaves the buffer's first IntegerCell zero,
  // which reads as an unselected row, a null node or an empty text.
  void Read(uint32_t row, uint32_t field) {
    void* storage = buffer_.data();
    get_(&storage, row, field, list_);
  }

  quorrin_api::GetSortValueFn get_;
  quorrin_api::GetSortTextFn get_text_;
  uint32_t list_;
  std::vector<char> buffer_;
  std::vector<char> text_;
};

// Creates one row's folder; true when it stands as a folder afterwards. A folder that was not
// there before counts as created, once, however many rows go into it.
bool MakeRowFolder(SaveSession& session, const std::u16string& folder) {
  Engine& engine = session.engine;
  if (folder.size() + 1 > kMaxOutputPathUnits) {
    engine.SetSystemError(kErrorFilenameTooLong);
    return false;
  }
  const bool existed = session.output.Exists(folder);
  uint32_t error = 0;
  if (!session.MakeFolders(folder + u'\\', &error)) {
    engine.SetSystemError(error);
    return false;
  }
  if (!existed) engine.AddSaveCounterB();
  return true;
}

}  // namespace

ListLibrary* CurrentListLibrary() { return g_list_library; }
void SetListLibrary(ListLibrary* library) { g_list_library = library; }

ListSaveArguments ListSaveArguments::From(const std::array<uint32_t, 6>& stored) {
  ListSaveArguments arguments;
  arguments.list = stored[0];
  arguments.selection_field = stored[1];
  arguments.path_field = stored[2];
  arguments.unused = stored[3];
  arguments.node_field = stored[4];
  arguments.selection_value = stored[5];
  return arguments;
}

std::u16string CutFolderText(const std::u16string& text) {
  size_t slash = text.find(u'\\');
  if (slash == std::u16string::npos) return text;
  size_t start = slash + 1;
  while (start < text.size() && text[start] == u'\\') ++start;
  return text.substr(start);
}

std::u16string SafeFolderTail(const std::u16string& cut) {
  std::u16string tail;
  size_t start = 0;
  while (start <= cut.size()) {
    size_t end = cut.find(u'\\', start);
    if (end == std::u16string::npos) end = cut.size();
    if (end > start) {
      if (!tail.empty()) tail += u'\\';
      tail += SafeOutputName(cut.substr(start, end - start));
    }
    start = end + 1;
  }
  return tail;
}

bool SaveList(Engine& engine, SaveOutput& output, ListLibrary& library,
              const std::string& destination_text, const ListSaveArguments& arguments) {
  StartSaveProgress(engine);
  std::u16string destination = output.FromAnsi(destination_text);
  if (!IsAbsoluteDestination(destination)) {
    engine.SetSystemError(kErrorBadPathname);
    return false;
  }
  while (destination.size() > 3 && destination.back() == u'\\') destination.pop_back();
  // Without the scan's volume nothing can be copied: no folder is made for nothing.
  SaveSession session(engine, output, /*node_given=*/true);
  if (!session.ready()) return false;

  ListBinding binding;
  uint32_t error = kErrorModNotFound;
  if (!library.Load(&binding, &error)) {
    engine.SetSystemError(error);
    return false;
  }
  BoundList bound(library, binding);
  if ((*bound).get_list_count == nullptr || (*bound).get_sort_value == nullptr ||
      (*bound).get_sort_text == nullptr) {
    engine.SetSystemError(kErrorModNotFound);
    return false;
  }

  const uint32_t rows = (*bound).get_list_count(arguments.list);
  CellReader cells(*bound, arguments.list);
  TreeNodes tree_nodes(engine.tree);
  // The selection value is a 32-bit argument; a cell is pointer-wide, and the front end's
  // check states are small numbers that fit both.
  const auto wanted = static_cast<quorrin_api::IntegerCell>(
      static_cast<int32_t>(arguments.selection_value));
  for (uint32_t row = 0; row < rows; ++row) {
    if (engine.SaveStep()) return false;
    if (cells.Integer(row, arguments.selection_field) != wanted) continue;
    const quorrin_api::IntegerCell node_cell = cells.Integer(row, arguments.node_field);
    if (node_cell == 0) continue;
    const auto* node = reinterpret_cast<const FoundNode*>(node_cell);
    if (!tree_nodes.Holds(node)) continue;

    std::u16string cut = CutFolderText(output.FromAnsi(cells.Text(row, arguments.path_field)));
    std::u16string tail = SafeFolderTail(cut);
    std::u16string folder = tail.empty() ? destination : JoinPath(destination, tail);
    if (!MakeRowFolder(session, folder)) {
      engine.NoteSavedFile(FileSaved::kDestinationRefused);
      continue;
    }
    SaveOneFile(session, folder, node);
  }
  // A stop inside the last row's copy ends it without another step out here.
  return engine.save_flags.stop == 0;
}

uint8_t SaveListThreadBody(Engine& engine) {
  bool result = false;
  try {
    SaveOutput* output = CurrentSaveOutput();
    ListLibrary* library = CurrentListLibrary();
    if (output != nullptr && library != nullptr) {
      result = SaveList(engine, *output, *library, engine.save.list_destination,
                        ListSaveArguments::From(engine.save.list_arguments));
    } else if (library == nullptr) {
      engine.SetSystemError(kErrorModNotFound);
    }
  } catch (...) {
    // Out of memory, for one: the save ends like any failed save.
    result = false;
  }
  return result ? 1 : 0;
}

}  // namespace scavrel
