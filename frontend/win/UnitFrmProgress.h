// UnitFrmProgress: the scan progress window TFrmProgress, shown modally while the engine scans
// and its watch thread TMyThread follows the scan. Pause, Continue and Stop act on the engine
// the scan runs in (NtfsChosen).
#pragma once

#include "frontend/win/ProgressForm.h"

namespace vardeck {

class TFrmProgress : public TProgressForm {
 public:
  explicit TFrmProgress(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmProgress"; }

 protected:
  std::atomic<int32_t>& RunState() override;
  void PauseRun() override;
  void ContinueRun() override;
  void StopRun() override;
};

extern TFrmProgress* FrmProgress;

}  // namespace vardeck
