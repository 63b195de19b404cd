// UnitFindFile, saving: Recover and the popup's Recover through the save command's steps,
// with the window's dialogs and the engine's three saves.
#include "frontend/win/UnitFindFile.h"

#include "engine/scavrel_api.h"
#include "forms/FolderBrowser.h"
#include "frontend/FoundTreeWalk.h"
#include "frontend/LangFile.h"
#include "frontend/SaveCommand.h"
#include "frontend/SharedState.h"
#include "frontend/win/ResultsEngine.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/WatchSupport.h"

namespace vardeck {
namespace {

const std::string& LangText(LangKey key) { return Lang().Text(key); }

// The steps of a save command, with the window's dialogs and the engine.
class WindowSaveSteps : public SaveSteps {
 public:
  WindowSaveSteps(std::function<bool(const std::string&)> start, FoundNode* node,
                  std::function<bool()> anything_ticked)
      : start_(std::move(start)), node_(node), anything_ticked_(std::move(anything_ticked)) {}
  bool AnythingTicked() override { return anything_ticked_(); }
  void TellNothingTicked() override { ShowAttention(BoxButtons::kOk, LangText(LangKey::NothingTicked)); }
  std::string ChooseFolder() override {
    std::string folder;
    if (!forms::SelectDirectory("Select a Folder", "", folder)) return std::string();
    return folder;
  }
  bool OnScannedVolume(const std::string& folder) override {
    return CheckCurrentDriver(folder.c_str()) != 0;
  }
  bool ConfirmScannedVolume() override {
    // OK, the focused button that Enter presses, ends the save; so do Esc and the close box.
    return ShowAttentionSafeOk(LangText(LangKey::CurrentDriver)) == kBoxCancel;
  }
  bool Fits(const std::string& folder) override {
    uint64_t needed = 0;
    return GetSaveSize(folder.c_str(), node_, &needed) != 0;
  }
  void TellTooLarge() override { ShowAttention(BoxButtons::kOk, LangText(LangKey::LowVolume)); }
  bool Start(const std::string& folder) override { return start_(folder); }

 private:
  std::function<bool(const std::string&)> start_;
  FoundNode* node_;
  std::function<bool()> anything_ticked_;
};

}  // namespace

bool TFrmFindFile::StartEngineSave(const std::string& destination, bool popup, bool& list_save) {
  SaveState = kRunRunning;
  scavrel_api::Bool8 started = 0;
  list_save = false;
  if (popup) {
    // One entry, in either mode: the engine's per-node save.
    started = SaveMenuFile(destination.c_str(), PopupNode);
  } else if (!ShowsHits()) {
    started = SaveDeleteFile(destination.c_str());
  } else {
    list_save = true;
    started = SaveDeleteFile1(destination.c_str(), HitList, hit_field::kCheck, hit_field::kPath,
                              1, hit_field::kNode, scavrel::kChecked);
  }
  if (!started) SaveState = kRunIdle;
  return started != 0;
}

void TFrmFindFile::Save(bool popup) {
  if (SaveState != kRunIdle || ScanState != kRunIdle) return;
  if (popup && PopupNode == nullptr) return;
  bool list_save = false;
  WindowSaveSteps steps(
      [&](const std::string& destination) {
        return StartEngineSave(destination, popup, list_save);
      },
      popup ? PopupNode : nullptr, [&] { return popup || AnythingTicked(); });
  if (RunSaveCommand(steps) != SaveOutcome::kStarted) return;
  Sleep(100);
  ProgressShown = false;
  if (StartSaveWatch) {
    StartSaveWatch(list_save, popup ? PopupNode : nullptr);
    return;
  }
  FollowOnTimer(FollowedRun::kSave);
}

bool TFrmFindFile::AnythingTicked() {
  if (ShowsHits()) {
    // The list-driven save writes the rows whose check field is ticked.
    for (uint32_t row = 0; row < HitListCount; ++row) {
      if (hit_pane_.State(static_cast<int>(row)) == scavrel::kChecked) {
        return true;
      }
    }
    return false;
  }
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) == 0 || root == nullptr) return false;
  return CountFilesToSave(root, nullptr, EngineFilter()) > 0;
}

void TFrmFindFile::skBRecoveryClick() { Save(false); }
void TFrmFindFile::M1Click() { Save(true); }

}  // namespace vardeck
