// The save thread's walk over the found tree and the per-file step.
#include "engine/save_tree.h"

#include <vector>

#include "engine/ansi_text.h"
#include "engine/filters.h"
#include "engine/save_copy.h"
#include "engine/save_names.h"

namespace scavrel {
namespace {

// A file is saved when it passes the filter, is deleted, valid and checked; a save asked for
// one node saves every file below it.
bool FileWanted(const SaveSession& session, const FoundNode* node) {
  if (!node->valid) return false;
  if (session.node_given) return true;
  return node->deleted && node->check_state == kChecked && NodeFilter(session.engine, node);
}

bool FolderWalked(const FoundNode* node) {
  return node->valid && node->has_children && node->subtree_has_deleted;
}

// The files below a folder that the walk would have saved: the ones a folder that could not be
// made takes with it, which the save's counts must not leave out.
uint64_t WantedFilesBelow(const SaveSession& session, const FoundNode* folder) {
  uint64_t files = 0;
  std::vector<const FoundNode*> open{folder};
  while (!open.empty()) {
    const FoundNode* at = open.back();
    open.pop_back();
    for (const FoundNode* child = at->first_child; child != nullptr; child = child->next_sibling) {
      if (!child->directory) {
        if (FileWanted(session, child)) ++files;
      } else if (FolderWalked(child)) {
        open.push_back(child);
      }
    }
  }
  return files;
}

}  // namespace

bool MakeOutputFolder(SaveSession& session, const std::u16string& path, const FoundNode* folder,
                      std::u16string* child_path) {
  Engine& engine = session.engine;
  std::u16string name = DisplayName(folder, engine.tree.record_form());
  if (name.empty()) {
    *child_path = path;
    return true;
  }
  *child_path = JoinPath(path, SafeOutputName(name));
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    engine.save_progress.done = 100;
    engine.save_progress.total = 100;
  }
  if (name.size() > kMaxOutputNameUnits || child_path->size() + 1 > kMaxOutputPathUnits) {
    engine.SetSystemError(kErrorFilenameTooLong);
    return false;
  }
  uint32_t error = 0;
  if (!session.MakeFolders(*child_path + u'\\', &error)) {
    // A file of that name is in the way (a deleted file and a deleted folder may share a
    // name, and a destination may hold a file of it): with auto-rename the folder takes the
    // next free name, as a file would, rather than its whole subtree staying unsaved.
    std::u16string renamed;
    auto taken = [&](const std::u16string& candidate) { return session.Exists(candidate); };
    if (engine.auto_rename == 0 || !session.output.Exists(*child_path) ||
        !MakeUniqueName(taken, true, path, SafeOutputName(name), &renamed)) {
      engine.SetSystemError(error);
      return false;
    }
    *child_path = JoinPath(path, renamed);
    if (child_path->size() + 1 > kMaxOutputPathUnits ||
        !session.MakeFolders(*child_path + u'\\', &error)) {
      engine.SetSystemError(child_path->size() + 1 > kMaxOutputPathUnits ? kErrorFilenameTooLong
                                                                          : error);
      return false;
    }
  }
  engine.AddSaveCounterB();
  return true;
}

bool SaveOneFile(SaveSession& session, const std::u16string& folder, const FoundNode* node) {
  if (node == nullptr || node->record == nullptr) return false;
  Engine& engine = session.engine;
  const RecordForm form = engine.tree.record_form();
  std::u16string name = DisplayName(node, form);
  if (name.empty() || !session.ready()) {
    engine.NoteSavedFile(FileSaved::kSourceRefused);
    return false;
  }
  std::u16string unique;
  auto taken = [&](const std::u16string& path) { return session.Exists(path); };
  if (!MakeUniqueName(taken, engine.auto_rename != 0, folder, SafeOutputName(name), &unique)) {
    // Taken with auto-rename off: nothing is written over an existing file.
    engine.SetSystemError(name.size() <= kMaxOutputNameUnits && engine.auto_rename == 0
                              ? kErrorFileExists
                              : kErrorFilenameTooLong);
    engine.NoteSavedFile(FileSaved::kDestinationRefused);
    return false;
  }

  session.NoteName(folder, unique);
  FolderRoot parts = SplitFolderRoot(folder);
  OutputTarget target;
  target.folder = folder;
  uint32_t error = 0;
  if (session.VolumeNameOf(parts.root, &target.volume_name, &error)) {
    target.tail = JoinPath(parts.rest, unique);
  } else {
    // A destination with no volume name of its own (a network share, say) is written through
    // its plain path: refusing it would save nothing to a place the user chose on purpose.
    target.volume_name.clear();
    target.tail = JoinPath(folder, unique);
  }
  if (target.Path().size() > kMaxOutputPathUnits) {
    engine.SetSystemError(kErrorFilenameTooLong);
    engine.NoteSavedFile(FileSaved::kDestinationRefused);
    return false;
  }
  const std::string display = WideToAnsi(unique);
  if (form != RecordForm::kNtfs) return CopyFatFile(session, node, target, display);
  const auto* record = AsNtfsRecord(node->record);
  if (record->resident_data != 0) return CopyNtfsResidentFile(session, node, target, display);
  return CopyNtfsRunsFile(session, node, target, display);
}

bool SaveFolder(SaveSession& session, FoundNode* node, const std::u16string& path) {
  if (node == nullptr) return true;
  if (!node->directory) {
    if (FileWanted(session, node)) SaveOneFile(session, path, node);
    return true;
  }
  if (!FolderWalked(node)) return true;

  // Each open folder keeps its next child and the path its children go below. An explicit
  // stack: a damaged volume can nest folders deeper than a thread's stack allows.
  struct Open {
    FoundNode* next;
    std::u16string path;
  };
  std::vector<Open> open;
  bool all_made = true;
  auto enter = [&](FoundNode* folder, const std::u16string& parent_path) {
    std::u16string child_path = parent_path;
    const uint8_t state = folder->check_state;
    if (state == kMixed || state == kChecked || session.node_given) {
      if (!MakeOutputFolder(session, parent_path, folder, &child_path)) {
        session.engine.NoteSavedFile(FileSaved::kDestinationRefused,
                                     WantedFilesBelow(session, folder));
        return false;
      }
    }
    open.push_back({folder->first_child, std::move(child_path)});
    return true;
  };
  if (!enter(node, path)) return false;
  while (!open.empty()) {
    FoundNode* child = open.back().next;
    if (child == nullptr) {
      open.pop_back();
      continue;
    }
    open.back().next = child->next_sibling;
    if (session.engine.SaveStep()) return false;
    if (child->directory) {
      if (FolderWalked(child)) {
        std::u16string parent_path = open.back().path;
        if (!enter(child, parent_path)) all_made = false;
      }
    } else if (FileWanted(session, child)) {
      SaveOneFile(session, open.back().path, child);
    }
  }
  return all_made;
}

bool SaveTree(Engine& engine, SaveOutput& output, const std::string& destination_text,
              FoundNode* node) {
  FoundTree& tree = engine.tree;
  // A prune may have deleted the root: an empty tree has no root to walk.
  if (tree.empty() || tree.root() == nullptr) return false;
  std::u16string destination = AnsiToWide(destination_text);
  if (!destination.empty() && destination.back() == u'\\') destination.pop_back();
  StartSaveProgress(engine);

  SaveSession session(engine, output, node != nullptr);
  if (!session.ready()) return false;
  if (node == nullptr || node == tree.root()) {
    for (FoundNode* child = tree.root()->first_child; child != nullptr;
         child = child->next_sibling) {
      if (engine.SaveStep()) return false;
      if (child->valid) SaveFolder(session, child, destination);
    }
  } else {
    if (engine.SaveStep()) return false;
    if (node->valid) SaveFolder(session, node, destination);
  }
  // A stop inside the last entry ends its walk without another step out here.
  return engine.save_flags.stop == 0;
}

uint8_t SaveThreadBody(Engine& engine) {
  bool result = false;
  try {
    SaveOutput* output = CurrentSaveOutput();
    if (output != nullptr) {
      result = SaveTree(engine, *output, engine.save.destination, engine.save.node);
    }
  } catch (...) {
    // Out of memory, for one: the save ends like any failed save.
    result = false;
  }
  return result ? 1 : 0;
}

}  // namespace scavrel
