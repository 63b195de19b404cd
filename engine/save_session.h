// One save run's working state: the engine, the output seam, the scanned volume's geometry
// and the copy buffer. The tree save and the list-driven save each open one per run and hand
// it to the per-file step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/save_output.h"

namespace scavrel {

// Copies move through one buffer, one read and one write per piece of at most this size.
constexpr size_t kSavePieceBytes = 65536;

// Where one output file is created: through the volume name of the destination's drive, and,
// when the system cannot create files there (Wine), through the drive root that the same
// volume is mounted at.
struct OutputTarget {
  std::u16string volume_name;  // "\\?\Volume{...}\"
  std::u16string tail;         // the folders below the volume root and the file name
  std::u16string Path() const;
};

class SaveSession {
 public:
  // `node_given`: the save was asked for one node (SaveMenuFile), which saves everything
  // below it whatever its check state and the filters say.
  SaveSession(Engine& engine, SaveOutput& output, bool node_given);

  // False when the scan left no open volume or no usable geometry: nothing can be copied.
  bool ready() const { return ready_; }

  // Creates the target file through its volume name, else through the drive root.
  std::unique_ptr<OutputFile> CreateTarget(const OutputTarget& target, uint32_t* error);

  Engine& engine;
  SaveOutput& output;
  const bool node_given;
  VolumeGeometry geometry;
  // One piece plus the sector slack of a read that starts or ends inside a sector.
  std::vector<uint8_t> buffer;

 private:
  bool ready_ = false;
};

// A save run's progress at its start: done 0 of 100, no files, no folders, no text.
void StartSaveProgress(Engine& engine);

}  // namespace scavrel
