// TSkinMainMenu: its own check-glyph list, hooking of its items, and keeping the frame's
// menu bar told of its changes.
#include "skin/SkinMainMenu.h"

namespace skin {

TSkinMainMenu::TSkinMainMenu(forms::TComponent* owner)
    : forms::TMainMenu(owner), TSkinMenuLook(this, true), check_list_(NewMenuCheckList(this)) {
  SetImages(check_list_);
  // The frame shows the items; the window's native menu bar is never used.
  if (auto* form = dynamic_cast<forms::TCustomForm*>(owner)) form->SetMenu(nullptr);
}

TSkinMainMenu::~TSkinMainMenu() {
  BeginDestroy();
  // The frame's Notification hears of the removal; the link must not call back meanwhile.
  frame_ = nullptr;
}

forms::TImageList* TSkinMainMenu::UserImages() const {
  return Images() == check_list_ ? nullptr : Images();
}

void TSkinMainMenu::SetUserImages(forms::TImageList* images) {
  SetImages(images ? images : check_list_);
}

void TSkinMainMenu::LookChanged() {
  if (frame_ && !IsDestroying()) frame_->UpdateMenuBarFont();
}

void TSkinMainMenu::Loaded() {
  forms::TMainMenu::Loaded();
  for (int i = 0; i < Items()->Count(); ++i) HookMenuItemDrawing(Items()->Items(i));
  if (frame_) frame_->RebuildMenuBar();
}

void TSkinMainMenu::MenuChanged(forms::TMenuItem* item, bool rebuild) {
  forms::TMainMenu::MenuChanged(item, rebuild);
  if (!frame_ || IsDestroying()) return;
  // A change of the tree needs new buttons; a changed caption or state only new texts.
  if (rebuild) frame_->RebuildMenuBar();
  else frame_->RefreshMenuBarItems();
}

void TSkinMainMenu::Notification(forms::TComponent* component, forms::TOperation operation) {
  forms::TMainMenu::Notification(component, operation);
  LookNotification(component, operation);
  if (operation == forms::TOperation::opInsert)
    if (auto* item = dynamic_cast<forms::TMenuItem*>(component)) HookMenuItemDrawing(item);
}

bool TSkinMainMenu::GetPublished(std::string_view name, forms::TPropValue* out) const {
  if (name == "Images") {
    if (out) *out = static_cast<forms::TComponent*>(UserImages());
    return true;
  }
  return LookGetPublished(name, out) || forms::TMainMenu::GetPublished(name, out);
}

bool TSkinMainMenu::SetPublished(std::string_view name, const forms::TPropValue& value) {
  if (name == "Images" && std::holds_alternative<forms::TComponent*>(value)) {
    SetUserImages(dynamic_cast<forms::TImageList*>(std::get<forms::TComponent*>(value)));
    return true;
  }
  return LookSetPublished(name, value) || forms::TMainMenu::SetPublished(name, value);
}

}  // namespace skin
