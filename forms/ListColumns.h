// TListColumns: the columns of a list view, in order.
#pragma once

#include <memory>
#include <vector>

#include "forms/ListColumn.h"

namespace forms {

class TListColumns : public TObject {
 public:
  explicit TListColumns(TCustomListView* owner) : owner_(owner) {}

  TListColumn* Add();
  int Count() const { return static_cast<int>(columns_.size()); }
  // Nil outside 0 .. Count-1.
  TListColumn* Items(int index) const;
  TListColumn* operator[](int index) const { return Items(index); }
  void Delete(int index);
  void Clear();

 private:
  friend class TCustomListView;
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
};

}  // namespace forms
