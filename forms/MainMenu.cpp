// TMainMenu: keeping a form's native menu bar in step with the items.
#include "forms/MainMenu.h"

#include "forms/Form.h"

namespace forms {

TMainMenu::~TMainMenu() {
  BeginDestroy();
  if (form_) form_->SetMenu(nullptr);
}

void TMainMenu::MenuChanged(TMenuItem* item, bool rebuild) {
  TMenu::MenuChanged(item, rebuild);
  if (IsDestroying() || !form_ || !form_->HandleAllocated()) return;
  if (rebuild) {
    // The window lets go of the old menu before Handle() destroys it.
    ::SetMenu(form_->Handle(), nullptr);
    ::SetMenu(form_->Handle(), Handle());
  }
  DrawMenuBar(form_->Handle());
}

}  // namespace forms
