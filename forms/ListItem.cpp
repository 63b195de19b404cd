// TListItem: a row's fields; selection, focus and geometry are the window's.
#include "forms/ListItem.h"

#include "forms/CustomListView.h"

namespace forms {

void TListItem::Reset(int index) {
  index_ = index;
  caption_.clear();
  sub_items_.clear();
  image_index_ = -1;
  state_index_ = -1;
  data_ = nullptr;
}

void TListItem::SetCaption(const std::string& v) {
  caption_ = v;
  Update();
}

void TListItem::SetImageIndex(int v) {
  image_index_ = v;
  Update();
}

void TListItem::SetStateIndex(int v) {
  state_index_ = v;
  Update();
}

void TListItem::Update() {
  // The row OnData fills is being drawn; asking for a redraw from there would never end.
  if (this == &owner_->data_item_) return;
  if (owner_->HandleAllocated() && index_ >= 0)
    owner_->Send(LVM_REDRAWITEMS, static_cast<WPARAM>(index_), static_cast<LPARAM>(index_));
}

bool TListItem::Selected() const {
  if (!owner_->HandleAllocated() || index_ < 0) return false;
  return owner_->Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index_), LVIS_SELECTED) != 0;
}

void TListItem::SetSelected(bool v) {
  if (!owner_->HandleAllocated() || index_ < 0) return;
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED;
  it.state = v ? LVIS_SELECTED : 0;
  owner_->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&it));
}

bool TListItem::Focused() const {
  if (!owner_->HandleAllocated() || index_ < 0) return false;
  return owner_->Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index_), LVIS_FOCUSED) != 0;
}

void TListItem::SetFocused(bool v) {
  if (!owner_->HandleAllocated() || index_ < 0) return;
  LVITEMA it{};
  it.stateMask = LVIS_FOCUSED;
  it.state = v ? LVIS_FOCUSED : 0;
  owner_->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&it));
}

RECT TListItem::DisplayRect(TDisplayCode code) const {
  RECT r{};
  if (!owner_->HandleAllocated() || index_ < 0) return r;
  switch (code) {
    case TDisplayCode::drBounds: r.left = LVIR_BOUNDS; break;
    case TDisplayCode::drIcon: r.left = LVIR_ICON; break;
    case TDisplayCode::drLabel: r.left = LVIR_LABEL; break;
    case TDisplayCode::drSelectBounds: r.left = LVIR_SELECTBOUNDS; break;
  }
  if (!owner_->Send(LVM_GETITEMRECT, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&r)))
    r = RECT{};
  return r;
}

void TListItem::MakeVisible(bool partial_ok) {
  if (owner_->HandleAllocated() && index_ >= 0)
    owner_->Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index_), partial_ok ? TRUE : FALSE);
}

void TListItem::Delete() {
  if (this != &owner_->data_item_) owner_->Items().Delete(index_);
}

}  // namespace forms
