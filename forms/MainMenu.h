// TMainMenu: a menu bar's worth of items. A form given it through its Menu shows it as the
// window's native menu bar; a skinned frame shows it through a bar of its own instead.
#pragma once

#include "forms/Menu.h"

namespace forms {

class TCustomForm;

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
  ~TMainMenu() override;
  const char* ClassName() const override { return "TMainMenu"; }

  // The form whose native menu bar shows this menu (set by the form's SetMenu), or nil.
  TCustomForm* WindowForm() const { return form_; }
  void MenuChanged(TMenuItem* item, bool rebuild) override;

 protected:
  friend class TCustomForm;
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void SetWindowForm(TCustomForm* f) { form_ = f; }

 private:
  TCustomForm* form_ = nullptr;
};

}  // namespace forms
