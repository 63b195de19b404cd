// TListItems: the rows of a list view. Either items kept here (Add, Insert, Delete) or, in
// owner-data mode, only a count: Items(i) then hands out the row as OnData fills it.
#pragma once

#include <memory>
#include <vector>

#include "forms/ListItem.h"

namespace forms {

class TListItems : public TObject {
 public:
  explicit TListItems(TCustomListView* owner) : owner_(owner) {}

  TListItem* Add();
  TListItem* Insert(int index);
  int Count() const;
  // Owner-data mode: the number of rows the list shows (the list asks OnData for those it
  // draws). Ignored otherwise.
  void SetCount(int n);
  // Nil outside 0 .. Count-1. In owner-data mode the item is filled by OnData and stays valid
  // until the next call.
  TListItem* Items(int index);
  TListItem* operator[](int index) { return Items(index); }
  void Delete(int index);
  void Clear();
  int IndexOf(const TListItem* item) const;

  // Brackets many changes: the list does not redraw until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

 private:
  friend class TCustomListView;
  friend class TListItem;
  void Renumber(int from);
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
  int data_count_ = 0;
  int update_count_ = 0;
};

}  // namespace forms
