// UnitFrmSetting: the filter dialog TFrmSetting, opened by the results window's Filter button:
// creation and modification date ranges, a size range and a list of name extensions. Accepted
// settings become the folder filters (Bounds, NameFilterText) and are pushed to the engine.
#pragma once

#include <functional>

#include "frontend/win/FilterEntryForm.h"

namespace vardeck {

class TFrmSetting : public TFilterEntryForm {
 public:
  explicit TFrmSetting(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmSetting"; }

  // Runs after accepted settings were stored and pushed, before the dialog closes. The
  // results window sets it to rebuild its folder tree and the folder it shows, so that what
  // is shown, what is ticked and what is saved follow the new filters.
  std::function<void()> OnFiltersApplied;

  forms::TLabel* Label7 = nullptr;  // "File extention:"
  skin::TSkinEdit* EditFilterlist = nullptr;
  forms::TLabel* Label8 = nullptr;  // "for example (*.jpg, *.bmp)"

 private:
  void FormShow();
  // Checks, asks, stores and pushes; false when a check or the question held it back.
  bool SaveSetting();
  void BOkClick() override;
  void BClearClick() override;
};

extern TFrmSetting* FrmSetting;

}  // namespace vardeck
