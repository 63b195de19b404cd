// One save run's working state: the engine, the output seam, the scanned volume's geometry
// and the copy buffer. The tree save and the list-driven save each open one per run and hand
// it to the per-file step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/engine.h"
#include "engine/save_output.h"

namespace scavrel {

// Copies move through one buffer, one read and one write per piece of at most this size. Under
// Wine every write is a system call of its own: a piece that holds a typical document whole
// writes it with one, while the progress of a large file still moves every quarter MiB.
constexpr size_t kSavePieceBytes = 256 * 1024;

// Where one output file is created: through the volume name of the destination's drive, and,
// when the system cannot create files there (Wine), through the drive root that the same
// volume is mounted at.
struct OutputTarget {
  std::u16string volume_name;  // "\\?\Volume{...}\"
  std::u16string tail;         // the folders below the volume root and the file name
  // The drive-letter folder the file name was chosen in (empty: no rename on a clash).
  std::u16string folder;
  std::u16string Path() const;
};

class SaveSession {
 public:
  // `node_given`: the save was asked for one node (SaveMenuFile), which saves everything
  // below it whatever its check state and the filters say.
  SaveSession(Engine& engine, SaveOutput& output, bool node_given);

  // False when the scan left no open volume or no usable geometry: nothing can be copied.
  bool ready() const { return ready_; }

  // SaveOutput::MakeFolders, keeping the folders this run made itself.
  bool MakeFolders(const std::u16string& path, uint32_t* error);

  // Whether a name is taken in its folder. In a folder this run made, the only names taken are
  // those the run gave out there (another program filling the folder meanwhile is the same
  // race as a file appearing between the test and the create, which the create itself
  // catches), so a name that is none of them needs no question to the system, which under
  // Wine costs a scan of the folder. Folders and names are compared as Windows compares them,
  // without regard to case (FoldNameCase): "Docs" and "DOCS" are one folder, with one set
  // of names.
  bool Exists(const std::u16string& path);
  // Keeps a name given out in a folder (a file created, or about to be, or a folder made).
  void NoteName(const std::u16string& folder, const std::u16string& name);

  // The volume name of a drive root (SaveOutput::VolumeNameOf), asked once per root and run:
  // under Wine every answer is a round trip to the mount manager, about half a millisecond,
  // which a save of thousands of small files would otherwise pay for each of them.
  bool VolumeNameOf(const std::u16string& root, std::u16string* name, uint32_t* error);

  // Creates the target file through its volume name, else through the drive root. Once a
  // volume's name has refused a file that its drive root then took (Wine refuses every file
  // under a volume name), the drive root is tried first for that volume's later files; either
  // way a failure reports the drive root's error.
  //
  // A file is only ever created new: nothing a save recovered, and nothing that was there
  // before, is written over. When the name turns out taken after all (the file system folds
  // a case the save did not, or a short name of another file answers to it) and auto-rename
  // is on, the next free name in the target's folder is taken instead.
  std::unique_ptr<OutputFile> CreateTarget(const OutputTarget& target, uint32_t* error);

  Engine& engine;
  SaveOutput& output;
  const bool node_given;
  VolumeGeometry geometry;
  // One piece plus the sector slack of a read that starts or ends inside a sector.
  std::vector<uint8_t> buffer;

 private:
  // What the system answered about one drive root, and about the volume it names.
  struct VolumeAnswer {
    std::u16string root;
    bool named = false;
    std::u16string volume_name;
    uint32_t error = 0;
    bool path_asked = false;
    bool has_path = false;
    std::u16string path;          // PathOfVolume of the volume name
    bool drive_root_first = false;
  };
  VolumeAnswer* AnswerForVolume(const std::u16string& volume_name);
  std::unique_ptr<OutputFile> CreateOnce(const OutputTarget& target, uint32_t* error);

  bool ready_ = false;
  std::vector<VolumeAnswer> volumes_;
  // Folders this run made (by their folded paths), each with the names given out in it
  // (folded).
  struct MadeFolder {
    std::unordered_set<std::u16string> names;
  };
  std::unordered_map<std::u16string, MadeFolder> made_folders_;
};

// A save run's progress at its start: done 0 of 100, no files, no folders, no text.
void StartSaveProgress(Engine& engine);

}  // namespace scavrel
