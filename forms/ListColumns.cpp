// TListColumns: adding and removing columns keeps the window's columns and the indexes in step.
#include "forms/ListColumns.h"

#include "forms/CustomListView.h"

namespace forms {

TListColumn* TListColumns::Add() {
  columns_.push_back(std::make_unique<TListColumn>(owner_, Count()));
  TListColumn* c = columns_.back().get();
  c->Apply(true);
  owner_->ColumnAdded(c->Index());
  return c;
}

TListColumn* TListColumns::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return columns_[index].get();
}

void TListColumns::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  if (owner_->HandleAllocated()) owner_->Send(LVM_DELETECOLUMN, static_cast<WPARAM>(index));
  columns_.erase(columns_.begin() + index);
  for (int i = index; i < Count(); ++i) columns_[i]->index_ = i;
}

void TListColumns::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

}  // namespace forms
