// The save path's Win32 side: the output seam over the file system (wide paths, CreateFileW)
// and GetSaveSize's questions to the system about the destination's volume.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "engine/engine.h"
#include "engine/found_tree.h"
#include "engine/save_output.h"

namespace scavrel {

class Win32SaveOutput : public SaveOutput {
 public:
  bool Exists(const std::u16string& path) override;
  bool MakeFolders(const std::u16string& path, uint32_t* error,
                   bool* made_last = nullptr) override;
  std::unique_ptr<OutputFile> Create(const std::u16string& path, bool replace,
                                     uint32_t* error) override;
  bool VolumeNameOf(const std::u16string& root, std::u16string* name, uint32_t* error) override;
  bool PathOfVolume(const std::u16string& volume_name, std::u16string* path) override;

 private:
  // The long-path form of a file's path, its folder's part made full once for a run of files
  // in that folder.
  std::u16string LongFilePath(const std::u16string& path);

  std::mutex folder_lock_;
  std::u16string folder_;       // the last folder asked for, as given, with its backslash
  std::u16string long_folder_;  // its long-path form, with a backslash
};

// A path as the "\\?\" form that passes MAX_PATH: made full and tidy ('.', '..', '/'), then
// "\\?\X:\..." or "\\?\UNC\server\share\..."; paths already in that form are kept.
std::u16string LongPathForm(const std::u16string& path);

// The output Scavrel.dll installs at load.
Win32SaveOutput& TheWin32SaveOutput();

// GetSaveSize: the bytes the files below `node` (the whole tree for null) take on the
// destination's volume into *size; true when they fit the bytes free to the caller. False,
// *size untouched, when the system cannot describe the destination's volume.
bool GetSaveSizeWin32(const Engine& engine, const char* destination, const FoundNode* node,
                      uint64_t* size);

}  // namespace scavrel
