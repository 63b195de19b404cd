// The steps of the results window's save commands (Recover button, the popup's Recover), in
// the order the user meets them: the folder choice, the warning when the folder lies on the
// scanned volume, the free-space check, the engine's start. Portable: the window hands in the
// dialogs and the engine calls, so tests walk every answer without a window or a volume.
#pragma once

#include <string>

namespace vardeck {

class SaveSteps {
 public:
  virtual ~SaveSteps() = default;
  // Something would be saved: a ticked entry (the Recover button), or the popup's entry.
  virtual bool AnythingTicked() = 0;
  // The one-button "nothingticked" message.
  virtual void TellNothingTicked() = 0;
  // The folder browser; an empty text when it was cancelled.
  virtual std::string ChooseFolder() = 0;
  // CheckCurrentDriver: the folder lies on the volume being recovered.
  virtual bool OnScannedVolume(const std::string& folder) = 0;
  // The two-button warning; true only for its explicit go-on answer, the second button. Its
  // first button (OK, the focused one), Esc and closing the box give false.
  virtual bool ConfirmScannedVolume() = 0;
  // GetSaveSize: the entries to be saved fit on the folder's volume.
  virtual bool Fits(const std::string& folder) = 0;
  // The one-button "lowvolume" message.
  virtual void TellTooLarge() = 0;
  // SaveState := running, then the engine's save start; false when it refused.
  virtual bool Start(const std::string& folder) = 0;
};

enum class SaveOutcome {
  kNothingTicked,    // nothing to save: told so before any folder is asked for
  kNoFolder,         // the browser was cancelled or gave nothing
  kKeptOffVolume,    // the user did not confirm saving onto the scanned volume
  kTooLarge,         // the entries do not fit
  kRefused,          // the engine did not start the save
  kStarted,
};

// Runs the steps; the engine is asked to write only when every check passed.
SaveOutcome RunSaveCommand(SaveSteps& steps);

// The destination as the engine takes it: ending in "\".
std::string WithTrailingBackslash(std::string folder);

}  // namespace vardeck
