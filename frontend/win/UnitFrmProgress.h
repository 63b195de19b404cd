// UnitFrmProgress: the scan progress window TFrmProgress, shown modally while the engine scans.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmProgress : public forms::TForm {
 public:
  explicit TFrmProgress(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmProgress"; }

  skin::TSkinForm* skForm1 = nullptr;
};

extern TFrmProgress* FrmProgress;

}  // namespace vardeck
