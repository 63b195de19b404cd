// UnitFrmCalendar: the date picker TFrmCalendar of the filter and find dialogs.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmCalendar : public forms::TForm {
 public:
  explicit TFrmCalendar(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmCalendar"; }

  skin::TSkinForm* skForm1 = nullptr;
};

extern TFrmCalendar* FrmCalendar;

}  // namespace vardeck
