// UnitFrmSaveProgress: the save progress window TFrmSaveProgress, shown modally while the
// engine saves and a save watch thread (TMyThreadSave, TMyThreadSavefile) follows the save.
#pragma once

#include "frontend/win/ProgressForm.h"

namespace vardeck {

class TFrmSaveProgress : public TProgressForm {
 public:
  explicit TFrmSaveProgress(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmSaveProgress"; }

 protected:
  std::atomic<int32_t>& RunState() override;
  void PauseRun() override;
  void ContinueRun() override;
  void StopRun() override;
};

extern TFrmSaveProgress* FrmSaveProgress;

}  // namespace vardeck
