// TScreen: the forms of the program, the active one, and monitor work areas.
#pragma once

#include <vector>

#include "forms/Types.h"

namespace forms {

class TCustomForm;

class TScreen : public TObject {
 public:
  const std::vector<TCustomForm*>& Forms() const { return forms_; }
  TCustomForm* ActiveForm() const { return active_form_; }
  void SetActiveForm(TCustomForm* f) { active_form_ = f; }
  // Work area of the monitor nearest to `wnd`; with no window, the primary work area.
  RECT WorkAreaRect(HWND wnd) const;

  void AddForm(TCustomForm* f);
  void RemoveForm(TCustomForm* f);

 private:
  std::vector<TCustomForm*> forms_;
  TCustomForm* active_form_ = nullptr;
};

TScreen* Screen();

}  // namespace forms
