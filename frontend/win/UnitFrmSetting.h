// UnitFrmSetting: the filter dialog TFrmSetting (size range, creation and modification date ranges, name extensions).
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmSetting : public forms::TForm {
 public:
  explicit TFrmSetting(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmSetting"; }

  skin::TSkinForm* skForm1 = nullptr;
};

extern TFrmSetting* FrmSetting;

}  // namespace vardeck
