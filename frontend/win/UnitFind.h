// UnitFind: the find-criteria dialog TFrmFind, opened by the start window before a find-file
// scan: a file name (or part of it) and the same date and size ranges as the filter dialog.
// Accepted criteria are kept apart from the folder filters (FindBounds, FindNameFilterText
// and the name pattern) and pushed to the engine; ShowModal gives kFindAccepted only then.
#pragma once

#include "frontend/win/FilterEntryForm.h"

namespace vardeck {

// ShowModal's results: accepted, and anything else (the value the dialog starts each showing
// with, kept when it is closed without accepted criteria).
inline constexpr forms::TModalResult kFindAccepted = 1;
inline constexpr forms::TModalResult kFindNotAccepted = 61047;

class TFrmFind : public TFilterEntryForm {
 public:
  explicit TFrmFind(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmFind"; }

  forms::TLabel* Label11 = nullptr;  // "Find file:"
  skin::TSkinEdit* skEditFilename = nullptr;
  forms::TLabel* Label12 = nullptr;  // the hint under the name
  forms::TLabel* Label14 = nullptr;  // "Filter Options:"
  // Hidden: the engine's name list as the dialog found it (the criteria make their own).
  skin::TSkinEdit* EditFilterlist = nullptr;

 private:
  void FormShow();
  bool SaveSetting(const FindCriteria& criteria);
  void BOkClick() override;
  void BClearClick() override;
};

extern TFrmFind* FrmFind;

}  // namespace vardeck
