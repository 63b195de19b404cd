// TMenuItem: the tree, the command identifiers, the system menu entries made from items and
// the plain owner-drawn look.
#include "forms/MenuItem.h"

#include <algorithm>
#include <map>

#include "forms/Menu.h"

namespace forms {

namespace {

// Identifiers from 1 up to below the system commands (SC_* start at 0xF000), reused once
// their item is gone; WM_COMMAND carries only 16 bits of them.
constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0xEFFF;

std::map<UINT, TMenuItem*>& Commands() {
  static std::map<UINT, TMenuItem*> commands;
  return commands;
}

UINT NewCommand(TMenuItem* item) {
  static UINT next = kFirstCommand;
  auto& commands = Commands();
  for (UINT tries = 0; tries <= kLastCommand; ++tries) {
    UINT id = next;
    next = next >= kLastCommand ? kFirstCommand : next + 1;
    if (commands.emplace(id, item).second) return id;
  }
  return 0;  // every identifier in use: the item can be shown but not chosen
}

}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NewCommand(this)) {}

TMenuItem::~TMenuItem() {
  BeginDestroy();
  if (parent_) parent_->Remove(this);
  Clear();
  if (command_) Commands().erase(command_);
}

TMenuItem* TMenuItem::FindByCommand(UINT command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[index];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  // An item cannot become a child of its own subtree.
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (TMenu* m = GetParentMenu()) m->ItemInserted(item);
  Changed(true);
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  if (!IsDestroying()) Changed(true);
}

void TMenuItem::Delete(int index) {
  if (TMenuItem* item = Items(index)) delete item;  // removes itself
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TMenuItem::Changed(bool rebuild) {
  if (IsDestroying()) return;
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this, rebuild);
}

void TMenuItem::SetCaption(const std::string& c) {
  if (c == caption_) return;
  // Turning into or out of a separator changes the entry's kind.
  caption_ = c;
  Changed(true);
}

void TMenuItem::SetShortCut(TShortCut s) {
  if (s == shortcut_) return;
  shortcut_ = s;
  Changed(true);
}

void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Changed(true);
}

void TMenuItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed(true);
}

void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed(true);
}

void TMenuItem::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  Changed(true);
}

void TMenuItem::SetImageIndex(int i) {
  if (i == image_index_) return;
  image_index_ = i;
  Changed(true);
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::ForgetHandles() {
  submenu_ = nullptr;
  for (TMenuItem* c : items_) c->ForgetHandles();
}

void TMenuItem::AppendTo(HMENU menu, bool owner_draw) {
  if (!visible_) return;
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
  mi.wID = command_;
  mi.dwItemData = command_;  // owner-draw messages name the item by this, not by a pointer
  mi.fState = (enabled_ ? 0 : MFS_DISABLED) | (checked_ ? MFS_CHECKED : 0) |
              (default_ ? MFS_DEFAULT : 0);
  std::string text = caption_;
  if (owner_draw) {
    // An owner-drawn line stays a separator too, or keyboard navigation would stop on it and
    // Enter would "choose" it.
    mi.fType = MFT_OWNERDRAW | (IsLine() ? MFT_SEPARATOR : 0);
  } else if (IsLine()) {
    mi.fType = MFT_SEPARATOR;
  } else {
    mi.fType = MFT_STRING;
    if (std::string sc = ShortCutText(); !sc.empty()) text += "\t" + sc;
    mi.fMask |= MIIM_STRING;
    mi.dwTypeData = text.data();
  }
  if (!items_.empty()) {
    submenu_ = CreatePopupMenu();
    for (TMenuItem* c : items_) c->AppendTo(submenu_, owner_draw);
    mi.fMask |= MIIM_SUBMENU;
    mi.hSubMenu = submenu_;
  }
  InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mi);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
  if (OnMeasureItem) {
    OnMeasureItem(this, canvas, width, height);
    return;
  }
  if (IsLine()) {
    height = 5;
    return;
  }
  SIZE s = canvas.TextExtent(caption_.empty() ? " " : caption_);
  width = s.cx + canvas.TextWidth(ShortCutText()) + 40;
  height = std::max<int>(s.cy + 4, GetSystemMetrics(SM_CYMENU));
}

void TMenuItem::DrawItem(TCanvas& canvas, const RECT& rect, bool selected) {
  if (OnDrawItem) {
    OnDrawItem(this, canvas, rect, selected);
    return;
  }
  bool hot = selected && enabled_;
  canvas.Brush.Color = static_cast<TColor>(clSystemColor | (hot ? COLOR_HIGHLIGHT : COLOR_MENU));
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.FillRect(rect);
  if (IsLine()) {
    canvas.Pen.Color = clGray;
    int y = (rect.top + rect.bottom) / 2;
    canvas.MoveTo(rect.left + 2, y);
    canvas.LineTo(rect.right - 2, y);
    return;
  }
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Font().SetColor(!enabled_ ? clGray
                                   : static_cast<TColor>(clSystemColor |
                                                         (hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT)));
  RECT r{rect.left + 20, rect.top, rect.right, rect.bottom};
  canvas.DrawText(caption_, r, DT_SINGLELINE | DT_VCENTER);
  std::string sc = ShortCutText();
  if (!sc.empty()) {
    RECT s{rect.right - canvas.TextWidth(sc) - 16, rect.top, rect.right, rect.bottom};
    canvas.DrawText(sc, s, DT_SINGLELINE | DT_VCENTER);
  }
  if (checked_) {
    int x = rect.left + 6, y = (rect.top + rect.bottom) / 2;
    canvas.Pen.Color = canvas.Font().Color();
    canvas.Polyline({{x, y}, {x + 2, y + 2}, {x + 7, y - 3}});
  }
}

}  // namespace forms
