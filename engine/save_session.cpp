// One save run's working state and the output seam's defaults.
#include "engine/save_session.h"

#include "engine/save_names.h"

namespace scavrel {
namespace {

SaveOutput* g_save_output = nullptr;

// Sector sizes a copy can align to; a boot sector that claims more is damaged.
constexpr uint32_t kMaxBytesPerSector = 65536;

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

std::unique_ptr<OutputFile> SaveSession::CreateTarget(const OutputTarget& target,
                                                      uint32_t* error) {
  // Auto-rename found a free name, so replacing only matters when another program made the
  // file meanwhile; with auto-rename off a taken name must never be written over.
  const bool replace = engine.auto_rename != 0;
  std::unique_ptr<OutputFile> file = output.Create(target.Path(), replace, error);
  if (file != nullptr) return file;
  std::u16string root;
  if (!output.PathOfVolume(target.volume_name, &root) || root == target.volume_name) {
    return nullptr;
  }
  return output.Create(JoinPath(root, target.tail), replace, error);
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
