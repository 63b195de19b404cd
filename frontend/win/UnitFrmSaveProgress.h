// UnitFrmSaveProgress: the save progress window TFrmSaveProgress, shown modally while the engine saves.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmSaveProgress : public forms::TForm {
 public:
  explicit TFrmSaveProgress(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmSaveProgress"; }

  skin::TSkinForm* skForm1 = nullptr;
};

extern TFrmSaveProgress* FrmSaveProgress;

}  // namespace vardeck
