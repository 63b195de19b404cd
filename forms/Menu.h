// TMenu: the common part of main and popup menus: the root of the item tree, the system menu
// (HMENU) built from it, the image list the items draw from, shortcut lookup, and the hidden
// window through which the system's WM_MEASUREITEM, WM_DRAWITEM and WM_COMMAND for menu items
// reach the items' objects.
#pragma once

#include <memory>

#include "forms/BiDi.h"
#include "forms/Component.h"
#include "forms/MenuItem.h"

namespace forms {

class TImageList;

// maAutomatic would have the menu pick accelerator letters itself; captions here keep the
// '&' they are given either way, the setting is only stored and copied.
enum class TMenuAutoFlag { maAutomatic, maManual, maParent };

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  const char* ClassName() const override { return "TMenu"; }

  // The root of the tree: its children are the menu's entries.
  TMenuItem* Items() const { return items_.get(); }

  // The system menu of the tree, built on first use and again after a change of the tree.
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Owner-drawn menus make every item MFT_OWNERDRAW, so that the items' measure and draw
  // events paint them.
  virtual bool OwnerDraw() const { return owner_draw_; }
  virtual void SetOwnerDraw(bool v);
  TImageList* Images() const { return images_; }
  virtual void SetImages(TImageList* images);
  // The reading direction: the owning control's while ParentBiDiMode is set (the default);
  // setting a mode clears ParentBiDiMode.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode mode);
  bool ParentBiDiMode() const { return parent_bidi_mode_; }
  void SetParentBiDiMode(bool v) { parent_bidi_mode_ = v; }
  TMenuAutoFlag AutoHotkeys() const { return auto_hotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag f) { auto_hotkeys_ = f; }

  // A WM_KEYDOWN (or WM_SYSKEYDOWN) that is the shortcut of an enabled, visible item (its
  // parents enabled and visible too) clicks that item; true when one was clicked.
  bool IsShortCut(const TMessage& key_message);
  // The item whose shortcut this is, or nil.
  TMenuItem* FindItemByShortCut(TShortCut shortcut) const;

  // An item (with its subtree) has just entered this menu's tree.
  virtual void ItemInserted(TMenuItem* item) {}
  // After an item changed: `rebuild` when the system menu must be made again.
  virtual void MenuChanged(TMenuItem* item, bool rebuild);
  TNotifyEvent OnChange;

  // The window that menus name as their owner: the system sends it the owner-draw and command
  // messages of every menu of this layer. Nil without a window system.
  static HWND MenuWindow();
  // Handles a menu's WM_MEASUREITEM, WM_DRAWITEM (ODT_MENU) or WM_COMMAND (from a menu) that
  // reached some other window, e.g. a form showing a native menu bar; false when `m` is no
  // such message or names no item of ours.
  static bool DispatchMenuMessage(TMessage& m);

 protected:
  virtual HMENU CreateMenuHandle() = 0;
  void DestroyMenuHandle();
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::unique_ptr<TMenuItem> items_;
  HMENU handle_ = nullptr;
  bool dirty_ = true;
  bool owner_draw_ = false;
  TImageList* images_ = nullptr;
  TMenuAutoFlag auto_hotkeys_ = TMenuAutoFlag::maAutomatic;
  TBiDiMode bidi_mode_ = TBiDiMode::bdLeftToRight;
  bool parent_bidi_mode_ = true;
};

}  // namespace forms
