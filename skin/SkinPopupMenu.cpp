// TSkinPopupMenu: construction, hooking of its items, published properties.
#include "skin/SkinPopupMenu.h"

namespace skin {

TSkinPopupMenu::TSkinPopupMenu(forms::TComponent* owner)
    : forms::TPopupMenu(owner), TSkinMenuLook(this, false) {}

TSkinPopupMenu::~TSkinPopupMenu() { BeginDestroy(); }

void TSkinPopupMenu::Loaded() {
  forms::TPopupMenu::Loaded();
  for (int i = 0; i < Items()->Count(); ++i) HookMenuItemDrawing(Items()->Items(i));
}

void TSkinPopupMenu::Notification(forms::TComponent* component, forms::TOperation operation) {
  forms::TPopupMenu::Notification(component, operation);
  LookNotification(component, operation);
  if (operation == forms::TOperation::opInsert)
    if (auto* item = dynamic_cast<forms::TMenuItem*>(component)) HookMenuItemDrawing(item);
}

bool TSkinPopupMenu::GetPublished(std::string_view name, forms::TPropValue* out) const {
  return LookGetPublished(name, out) || forms::TPopupMenu::GetPublished(name, out);
}

bool TSkinPopupMenu::SetPublished(std::string_view name, const forms::TPropValue& value) {
  return LookSetPublished(name, value) || forms::TPopupMenu::SetPublished(name, value);
}

}  // namespace skin
