// UnitFind: the find-criteria dialog TFrmFind of a find-file scan.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmFind : public forms::TForm {
 public:
  explicit TFrmFind(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmFind"; }

  skin::TSkinForm* skForm1 = nullptr;
};

extern TFrmFind* FrmFind;

}  // namespace vardeck
