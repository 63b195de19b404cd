// TListItems: kept rows mirrored into the window as callback items (the window asks for their
// texts and pictures), or in owner-data mode only the count.
#include "forms/ListItems.h"

#include <algorithm>

#include "forms/CustomListView.h"

namespace forms {

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int index) {
  if (owner_->OwnerData()) return nullptr;  // rows come from OnData
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, std::make_unique<TListItem>(owner_, index));
  Renumber(index);
  owner_->InsertItemWindow(index);
  return items_[index].get();
}

int TListItems::Count() const {
  return owner_->OwnerData() ? data_count_ : static_cast<int>(items_.size());
}

void TListItems::SetCount(int n) {
  if (!owner_->OwnerData()) return;
  data_count_ = std::max(0, n);
  owner_->DropDataCache();
  if (owner_->HandleAllocated()) owner_->Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(data_count_), 0);
}

TListItem* TListItems::Items(int index) {
  // Asked by the program: the row as its data stands now.
  owner_->DropDataCache();
  return owner_->ItemAt(index);
}

void TListItems::Delete(int index) {
  if (owner_->OwnerData() || index < 0 || index >= Count()) return;
  if (owner_->HandleAllocated()) owner_->Send(LVM_DELETEITEM, static_cast<WPARAM>(index));
  items_.erase(items_.begin() + index);
  Renumber(index);
}

void TListItems::Clear() {
  if (owner_->OwnerData()) {
    SetCount(0);
    return;
  }
  if (owner_->HandleAllocated()) owner_->Send(LVM_DELETEALLITEMS);
  items_.clear();
}

int TListItems::IndexOf(const TListItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

void TListItems::BeginUpdate() {
  if (update_count_++ == 0 && owner_->HandleAllocated()) owner_->Send(WM_SETREDRAW, FALSE);
}

void TListItems::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0) return;
  if (!owner_->HandleAllocated()) return;
  owner_->Send(WM_SETREDRAW, TRUE);
  InvalidateRect(owner_->Handle(), nullptr, TRUE);
}

void TListItems::Renumber(int from) {
  for (size_t i = static_cast<size_t>(from); i < items_.size(); ++i)
    items_[i]->index_ = static_cast<int>(i);
}

}  // namespace forms
