// TSkinMainMenu: a main menu whose items the skin's menu look draws; it is never shown as the
// native menu bar but through the menu bar of the frame that has it as its Menu.
#pragma once

#include "skin/SkinMenuBarHost.h"
#include "skin/SkinMenuLook.h"

namespace skin {

class TSkinMainMenu : public forms::TMainMenu, public TSkinMenuLook {
 public:
  explicit TSkinMainMenu(forms::TComponent* owner);
  ~TSkinMainMenu() override;
  const char* ClassName() const override { return "TSkinMainMenu"; }

  bool OwnerDraw() const override { return true; }
  void SetOwnerDraw(bool) override {}
  // The user's images: nil while the menu's own check list is installed; nil reinstalls it.
  forms::TImageList* UserImages() const;
  void SetUserImages(forms::TImageList* images);

  // The frame that shows this menu (set and cleared by the frame's SetMenu; cleared when the
  // frame goes away).
  TSkinMenuBarHost* Frame() const { return frame_; }
  void SetFrame(TSkinMenuBarHost* frame) { frame_ = frame; }

  void MenuChanged(forms::TMenuItem* item, bool rebuild) override;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Loaded() override;
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  // Items entering the tree get the look's measure and draw handlers. (The notification of a
  // new item comes while it is still being constructed, too early to know it as an item.)
  void ItemInserted(forms::TMenuItem* item) override { HookMenuItemDrawing(item); }
  // A changed look property (UseSystemFont among them) refreshes the frame's bar font.
  void LookChanged() override;
  forms::TImageList* ItemImages() const override { return UserImages(); }
  forms::TImageList* CheckGlyphs() const override { return check_list_; }

 private:
  forms::TImageList* check_list_;  // owned (a component of this menu's owner chain)
  TSkinMenuBarHost* frame_ = nullptr;
};

}  // namespace skin
