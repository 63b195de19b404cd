// One result list of the results window: the sorted list behind it, the view that shows it, its
// row count after the last fill and where its rows keep their cells (caption and sub-item texts,
// picture, check state, node). The folder contents and the hit list are two of these, so that
// no handler reads one list's rows by the other's field numbers.
#pragma once

#include <cstdint>

#include "engine/found_tree.h"
#include "forms/Forms.h"
#include "skin/QzListView.h"

namespace vardeck {

struct ResultFields {
  uint32_t caption;     // the text of column 0
  uint32_t last_text;   // sub-items are the texts after the caption, up to this one
  uint32_t image;
  uint32_t check;
  uint32_t node;
};

class ResultPane {
 public:
  // The list handle and the count are the shared state's, read at each call: the handles are
  // made with the start window, the counts change with every fill.
  ResultPane(const uint32_t& list, const uint32_t& count, ResultFields fields)
      : list_(list), count_(count), fields_(fields) {}

  void SetView(skin::TQzListView* view) { view_ = view; }
  skin::TQzListView* View() const { return view_; }
  uint32_t List() const { return list_; }
  uint32_t Count() const { return count_; }
  bool HasRow(int row) const { return row >= 0 && static_cast<uint32_t>(row) < count_; }

  // The view's OnData: the row's texts, picture, check picture and node (nothing for a row at
  // or beyond the count).
  void Fill(forms::TListItem* item) const;
  scavrel::FoundNode* Node(int row) const;
  int Image(int row) const;
  int State(int row) const;
  void SetState(int row, uint8_t state);
  // The row's check box clicked: the engine toggles the node, the row takes its new state and
  // is drawn again. Returns that state.
  uint8_t Toggle(int row);
  // The check picture of column 0 once every row should hold `state`: 2 (mixed) when a row
  // holds another.
  int HeaderStateFor(int state) const;

 private:
  const uint32_t& list_;
  const uint32_t& count_;
  ResultFields fields_;
  skin::TQzListView* view_ = nullptr;
};

}  // namespace vardeck
