// One save run's working state and the output seam's defaults.
#include "engine/save_session.h"

#include "engine/save_names.h"

namespace scavrel {
namespace {

SaveOutput* g_save_output = nullptr;

// Sector sizes a copy can align to; a boot sector that claims more is damaged.
constexpr uint32_t kMaxBytesPerSector = 65536;

// How often a create that finds its name taken moves on to the next free name before the
// file fails: a file system that calls every name taken must not hold the save.
constexpr int kMaxRenamesOnClash = 64;

// The folder and the name of a path (split at its last backslash).
struct PathParts {
  std::u16string folder;
  std::u16string name;
};
bool SplitLast(const std::u16string& path, PathParts* parts) {
  const size_t slash = path.rfind(u'\\');
  if (slash == std::u16string::npos) return false;
  parts->folder = path.substr(0, slash);
  parts->name = path.substr(slash + 1);
  return true;
}

std::u16string FolderKey(std::u16string folder) {
  while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  return FoldNameCase(folder);
}

}  // namespace

SaveOutput* CurrentSaveOutput() { return g_save_output; }
void SetSaveOutput(SaveOutput* output) { g_save_output = output; }

std::u16string OutputTarget::Path() const { return JoinPath(volume_name, tail); }

SaveSession::SaveSession(Engine& engine, SaveOutput& output, bool node_given)
    : engine(engine), output(output), node_given(node_given) {
  if (engine.volume == nullptr || engine.volume_state == nullptr) return;
  VolumeGeometry found;
  if (!engine.volume_state->Geometry(&found)) return;
  if (found.bytes_per_sector == 0 || found.bytes_per_sector > kMaxBytesPerSector ||
      found.sectors_per_cluster == 0) {
    return;
  }
  geometry = found;
  buffer.assign(kSavePieceBytes + 2 * static_cast<size_t>(found.bytes_per_sector), 0);
  ready_ = true;
}

bool SaveSession::MakeFolders(const std::u16string& path, uint32_t* error) {
  bool made = false;
  if (!output.MakeFolders(path, error, &made)) return false;
  std::u16string folder = path;
  while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  PathParts parts;
  if (SplitLast(folder, &parts)) NoteName(parts.folder, parts.name);
  if (made) made_folders_.try_emplace(FolderKey(folder));
  return true;
}

bool SaveSession::Exists(const std::u16string& path) {
  PathParts parts;
  if (SplitLast(path, &parts)) {
    auto folder = made_folders_.find(FolderKey(parts.folder));
    // A '~' may be a short (8.3) name that the system made for a long one.
    if (folder != made_folders_.end() && parts.name.find(u'~') == std::u16string::npos &&
        folder->second.names.count(FoldNameCase(parts.name)) == 0) {
      return false;
    }
  }
  return output.Exists(path);
}

void SaveSession::NoteName(const std::u16string& folder, const std::u16string& name) {
  auto found = made_folders_.find(FolderKey(folder));
  if (found == made_folders_.end()) return;
  found->second.names.insert(FoldNameCase(name));
}

bool SaveSession::VolumeNameOf(const std::u16string& root, std::u16string* name,
                               uint32_t* error) {
  for (const VolumeAnswer& answer : volumes_) {
    if (answer.root != root) continue;
    if (!answer.named) {
      *error = answer.error;
      return false;
    }
    *name = answer.volume_name;
    return true;
  }
  VolumeAnswer answer;
  answer.root = root;
  uint32_t code = 0;
  answer.named = output.VolumeNameOf(root, &answer.volume_name, &code);
  answer.error = code;
  volumes_.push_back(answer);
  return VolumeNameOf(root, name, error);
}

SaveSession::VolumeAnswer* SaveSession::AnswerForVolume(const std::u16string& volume_name) {
  for (VolumeAnswer& answer : volumes_) {
    if (answer.named && answer.volume_name == volume_name) return &answer;
  }
  // A target whose volume name did not come through VolumeNameOf (a caller's own).
  VolumeAnswer answer;
  answer.named = true;
  answer.volume_name = volume_name;
  volumes_.push_back(answer);
  return &volumes_.back();
}

std::unique_ptr<OutputFile> SaveSession::CreateTarget(const OutputTarget& wanted,
                                                      uint32_t* error) {
  OutputTarget target = wanted;
  for (int renames = 0;; ++renames) {
    std::unique_ptr<OutputFile> file = CreateOnce(target, error);
    if (file != nullptr) return file;
    const bool taken = *error == kErrorFileExists || *error == kErrorAlreadyExists;
    if (!taken || engine.auto_rename == 0 || target.folder.empty() ||
        renames == kMaxRenamesOnClash) {
      return nullptr;
    }
    PathParts parts;
    if (!SplitLast(u"\\" + target.tail, &parts)) return nullptr;
    // The name is taken whatever this run's own bookkeeping said: keep it so, and take the
    // next name that is free.
    NoteName(target.folder, parts.name);
    std::u16string next;
    auto in_use = [&](const std::u16string& path) { return Exists(path); };
    if (!MakeUniqueName(in_use, true, target.folder, parts.name, &next) || next == parts.name) {
      return nullptr;
    }
    NoteName(target.folder, next);
    target.tail = target.tail.substr(0, target.tail.size() - parts.name.size()) + next;
  }
}

std::unique_ptr<OutputFile> SaveSession::CreateOnce(const OutputTarget& target,
                                                    uint32_t* error) {
  // Never replace: a name this run gave out earlier, or a file that was there before the
  // save or that another program made meanwhile, keeps its bytes.
  const bool replace = false;
  if (target.volume_name.empty()) return output.Create(target.Path(), replace, error);
  VolumeAnswer* volume = AnswerForVolume(target.volume_name);
  if (volume->drive_root_first) {
    std::unique_ptr<OutputFile> file =
        output.Create(JoinPath(volume->path, target.tail), replace, error);
    if (file != nullptr) return file;
    uint32_t by_name_error = 0;
    file = output.Create(target.Path(), replace, &by_name_error);
    if (file != nullptr) volume->drive_root_first = false;
    return file;
  }
  std::unique_ptr<OutputFile> file = output.Create(target.Path(), replace, error);
  if (file != nullptr) return file;
  if (!volume->path_asked) {
    volume->path_asked = true;
    volume->has_path = output.PathOfVolume(target.volume_name, &volume->path) &&
                       volume->path != target.volume_name;
  }
  if (!volume->has_path) return nullptr;
  file = output.Create(JoinPath(volume->path, target.tail), replace, error);
  if (file != nullptr) volume->drive_root_first = true;
  return file;
}

void StartSaveProgress(Engine& engine) {
  {
    std::lock_guard<std::mutex> hold(engine.lock);
    engine.save_progress.done = 0;
    engine.save_progress.total = 100;
    engine.save_progress.counter_a = 0;
    engine.save_progress.counter_b = 0;
  }
  engine.SetSaveText(std::string());
}

}  // namespace scavrel
