// TMenuItem: one entry of a menu tree: caption (a caption of "-" is a separator line),
// shortcut, check mark, enabled, visible and default states, an image from the menu's image
// list, a click event and, for owner-drawn menus, measure and draw events. An item with
// children opens a submenu. Items are components (the form owns them) and also children of
// their parent item, which frees them with itself.
#pragma once

#include <string>
#include <vector>

#include "forms/Canvas.h"
#include "forms/Component.h"
#include "forms/ShortCut.h"

namespace forms {

class TMenu;
class TMenuItem;

// Width and height start at the system's idea; the handler sets what the item needs.
using TMenuMeasureItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;
// `selected`: the item is highlighted (under the mouse or chosen by keyboard).
using TMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, const RECT& rect, bool selected)>;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  const char* ClassName() const override { return "TMenuItem"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  bool IsLine() const { return caption_ == "-"; }
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut s);
  // The shortcut as the menu shows it ("Ctrl+C"); empty without one.
  std::string ShortCutText() const { return ShortCutToText(shortcut_); }
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // Shown in bold; Enter on the submenu chooses it.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  // Index into the menu's Images; -1 for none.
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int i);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t t) { tag_ = t; }

  // The tree.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* item) const;
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  // Adds (or inserts at `index`, clamped) an item taken from wherever it was.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Takes the item out of the tree without freeing it.
  void Remove(TMenuItem* item);
  // Frees the child at `index` (nothing when out of range).
  void Delete(int index);
  // Frees every child.
  void Clear();
  // The menu the tree belongs to, or nil.
  TMenu* GetParentMenu() const;

  // The WM_COMMAND identifier of this item, unique in the process while it lives.
  UINT Command() const { return command_; }
  // The submenu of an item with children, once the menu's handle is built; else nil.
  HMENU Handle() const { return submenu_; }

  // Runs OnClick (a menu choice, a shortcut).
  virtual void Click();
  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;

  // Owner drawing of this item: the events when set, else a plain system-coloured look.
  virtual void MeasureItem(TCanvas& canvas, int& width, int& height);
  virtual void DrawItem(TCanvas& canvas, const RECT& rect, bool selected);

  // The item with `command` among the items alive, or nil.
  static TMenuItem* FindByCommand(UINT command);

 protected:
  friend class TMenu;
  // The root item of a menu knows its menu.
  void SetMenu(TMenu* menu) { menu_ = menu; }
  // Tells the menu that the tree or an item's look changed.
  void Changed(bool rebuild);
  // Appends this item (and its subtree) to `menu` as the menu's next entry.
  void AppendTo(HMENU menu, bool owner_draw);
  void ForgetHandles();

 private:
  std::string caption_;
  TShortCut shortcut_ = scNone;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool default_ = false;
  int image_index_ = -1;
  std::intptr_t tag_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;
  UINT command_ = 0;
  HMENU submenu_ = nullptr;
};

}  // namespace forms
