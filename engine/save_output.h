// Where saved files go: the few file-system operations the save path needs, behind one seam.
// Scavrel.dll installs the Win32 one at load (wide paths, CreateFileW); tests install a folder
// tree kept in memory. Paths are wide text with backslash separators, as Windows spells them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/ansi_text.h"

namespace scavrel {

// One output file, open for writing; closed when destroyed.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Writes all `length` bytes; false with a system error code on failure.
  virtual bool Write(const void* bytes, size_t length, uint32_t* error) = 0;
};

class SaveOutput {
 public:
  virtual ~SaveOutput() = default;

  // A text of the exported interface as wide text, through the engine's code page (the list
  // save's row texts and destinations call it on the output they were given).
  std::u16string FromAnsi(const std::string& text) const { return AnsiToWide(text); }

  // True when a file or folder of that name exists.
  virtual bool Exists(const std::u16string& path) = 0;
  // Creates every missing folder of a path up to its last backslash; true when they all exist
  // as folders afterwards. `made_last` (when given) tells whether the last folder was made by
  // this call, and so was empty when made.
  virtual bool MakeFolders(const std::u16string& path, uint32_t* error,
                           bool* made_last = nullptr) = 0;
  // Creates a file for writing. `replace`: an existing file is emptied and reused; otherwise
  // an existing name fails with ERROR_FILE_EXISTS. The save itself never replaces.
  virtual std::unique_ptr<OutputFile> Create(const std::u16string& path, bool replace,
                                             uint32_t* error) = 0;
  // The volume name ("\\?\Volume{...}\") of a drive root or mount point.
  virtual bool VolumeNameOf(const std::u16string& root, std::u16string* name,
                            uint32_t* error) = 0;
  // The first drive root or mount point ("X:\") through which a volume name is reached.
  virtual bool PathOfVolume(const std::u16string& volume_name, std::u16string* path) = 0;
};

// The output the save thread uses (null: none installed, every save fails). Not synchronised:
// set it before any save runs.
SaveOutput* CurrentSaveOutput();
void SetSaveOutput(SaveOutput* output);

// System error codes the save path reports (Win32 values, so the texts match the system's).
constexpr uint32_t kErrorFileExists = 80;            // ERROR_FILE_EXISTS
constexpr uint32_t kErrorAlreadyExists = 183;        // ERROR_ALREADY_EXISTS
constexpr uint32_t kErrorFilenameTooLong = 206;      // ERROR_FILENAME_EXCED_RANGE
constexpr uint32_t kErrorFileCorrupt = 1392;         // ERROR_FILE_CORRUPT
constexpr uint32_t kErrorInvalidParameter = 87;      // ERROR_INVALID_PARAMETER

}  // namespace scavrel
