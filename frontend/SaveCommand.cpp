// The save commands' steps (see SaveCommand.h).
#include "frontend/SaveCommand.h"

namespace vardeck {

std::string WithTrailingBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

SaveOutcome RunSaveCommand(SaveSteps& steps) {
  // A save of nothing would end in "savefinished": a failure reported as success.
  if (!steps.AnythingTicked()) {
    steps.TellNothingTicked();
    return SaveOutcome::kNothingTicked;
  }
  std::string folder = steps.ChooseFolder();
  if (folder.empty()) return SaveOutcome::kNoFolder;
  // Writing onto the volume being recovered can overwrite the very clusters to be saved: only
  // the warning's explicit go-on answer lets it happen.
  if (steps.OnScannedVolume(folder) && !steps.ConfirmScannedVolume()) {
    return SaveOutcome::kKeptOffVolume;
  }
  if (!steps.Fits(folder)) {
    steps.TellTooLarge();
    return SaveOutcome::kTooLarge;
  }
  if (!steps.Start(WithTrailingBackslash(folder))) return SaveOutcome::kRefused;
  return SaveOutcome::kStarted;
}

}  // namespace vardeck
