// TSkinPopupMenu: a popup menu whose items the skin's menu look measures and draws.
#pragma once

#include "skin/SkinMenuLook.h"

namespace skin {

class TSkinPopupMenu : public forms::TPopupMenu, public TSkinMenuLook {
 public:
  explicit TSkinPopupMenu(forms::TComponent* owner);
  ~TSkinPopupMenu() override;
  const char* ClassName() const override { return "TSkinPopupMenu"; }

  bool OwnerDraw() const override { return true; }
  void SetOwnerDraw(bool) override {}

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Loaded() override;
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  // Items entering the tree get the look's measure and draw handlers. (The notification of a
  // new item comes while it is still being constructed, too early to know it as an item.)
  void ItemInserted(forms::TMenuItem* item) override { HookMenuItemDrawing(item); }
  forms::TImageList* ItemImages() const override { return Images(); }
  forms::TImageList* CheckGlyphs() const override { return SharedMenuCheckList(); }
};

}  // namespace skin
