// UnitFindFile: the results window TFrmFindFile, which takes over from the start window when a
// scan starts, runs the engine's scan and shows what it found.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmFindFile : public forms::TForm {
 public:
  explicit TFrmFindFile(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmFindFile"; }

  // HAND-OVER FROM THE START WINDOW. The start window has set ScanDriveCaption,
  // ScanDevicePath, FullScan, FindMode and NtfsChosen (and chosen the engine with SetNtfs), and
  // given this window its own geometry; this call shows the results window, which hides the
  // start window and starts the engine's scan. Until the results window is built this is a
  // placeholder that does just that and shows an empty window.
  void BeginScanResults();

  skin::TSkinForm* skForm1 = nullptr;

 private:
  forms::TTimer* scan_start_timer_ = nullptr;
};

extern TFrmFindFile* FrmFindFile;

}  // namespace vardeck
