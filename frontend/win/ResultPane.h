// One result list of the results window: the sorted list behind it, the view that shows it, its
// row count after the last fill and where its rows keep their cells (caption and sub-item texts,
// picture, check state, node). The folder contents and the hit list are two of these, so that
// no handler reads one list's rows by the other's field numbers, and the two lists fill, hit
// test, tick, sort and move their focus the same way.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "engine/found_tree.h"
#include "forms/Forms.h"
#include "frontend/ResultRows.h"
#include "skin/QzListView.h"

namespace vardeck {

struct ResultFields {
  uint32_t caption;     // the text of column 0
  uint32_t last_text;   // sub-items are the texts after the caption, up to this one
  uint32_t image;
  uint32_t check;
  uint32_t node;
};

// What a pane leaves to its window: the folder list's ticks reach the folder tree and its
// header follows the folder it shows; the hit list stands alone and needs none of these.
struct ResultPaneHooks {
  // A row's check changed (by its box or the popup).
  std::function<void(int row)> checked;
  // The header's check picture as the window sees it (none: worked out from the rows).
  std::function<int()> header_state;
  // The header's box clicked: returns the state every row's node is to take, or
  // ResultPane::kNodesSet when the hook ticked them itself, or ResultPane::kRefused.
  std::function<int()> tick_all;
  // A right click on a row, at the screen point given.
  std::function<void(int row, POINT screen)> menu;
};

class ResultPane {
 public:
  static constexpr int kNodesSet = -1;
  static constexpr int kRefused = -2;

  // The list handle and the count are the shared state's: the handles are made with the start
  // window, the count is the pane's to set at each fill.
  ResultPane(const uint32_t& list, uint32_t& count, ResultList kind, ResultFields fields)
      : list_(list), count_(count), kind_(kind), fields_(fields) {}

  void SetView(skin::TQzListView* view) { view_ = view; }
  void SetHooks(ResultPaneHooks hooks) { hooks_ = std::move(hooks); }
  skin::TQzListView* View() const { return view_; }
  uint32_t List() const { return list_; }
  uint32_t Count() const { return count_; }
  bool HasRow(int row) const { return row >= 0 && static_cast<uint32_t>(row) < count_; }

  // The rows built anew by `build` (which empties and lays out the sorted list and appends
  // to it) in one update bracket; `empty_first` lets the view drop its rows before.
  void Refill(bool empty_first,
              const std::function<void(const SortedListOps& ops, uint32_t list)>& build);

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

  // The rectangle of a row's check picture in the view's client area (empty for no row).
  RECT StateRect(int row) const;
  // The view's OnMouseDown: a left click on a row's box toggles it, a right click opens the
  // menu.
  void MouseDown(forms::TMouseButton button, int x, int y);
  // The popup's Check and Uncheck on one row.
  void Check(int row, uint8_t wanted);
  // The header's check box: every row ticked or unticked together.
  void HeaderStateClick(int column);
  // The view's OnColumnClick: sorted by that column, the other way on a second click.
  void SortBy(int column);
  // The view's OnKeyDown: the plain navigation keys move the focus here (see MoveRowFocus).
  void KeyDown(WORD& key, forms::TShiftState shift);
  // Moves the focused and selected row as a navigation key does; false when the key is not
  // one or the list must move by itself.
  bool MoveRowFocus(unsigned key);

  // Sort marks and column directions forgotten; ResetHeader also unticks the header and
  // forgets the last sorted column.
  void ClearSortMarks();
  void ResetHeader();
  void SetHeaderState(int state);

 private:
  int HeaderState(int state) const {
    return hooks_.header_state ? hooks_.header_state() : HeaderStateFor(state);
  }
  void DropSelectionBeforeClick();

  const uint32_t& list_;
  uint32_t& count_;
  ResultList kind_;
  ResultFields fields_;
  ResultPaneHooks hooks_;
  skin::TQzListView* view_ = nullptr;
};

}  // namespace vardeck
