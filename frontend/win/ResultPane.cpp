// A result list of the results window (see ResultPane.h).
#include "frontend/win/ResultPane.h"

#include <algorithm>
#include <string>

#include "engine/scavrel_api.h"
#include "frontend/ResultRows.h"
#include "frontend/win/Hourglass.h"
#include "frontend/win/ResultsEngine.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {
namespace {

// GetSortValue's text storage: one cell at most (the library cuts at its own bound).
constexpr size_t kCellBufferSize = 5001;

std::string CellText(uint32_t list, int row, uint32_t field) {
  char buffer[kCellBufferSize];
  buffer[0] = '\0';
  void* storage = buffer;
  ::GetSortValue(&storage, static_cast<uint32_t>(row), field, list);
  buffer[kCellBufferSize - 1] = '\0';
  return buffer;
}

quorrin_api::IntegerCell CellInteger(uint32_t list, int row, uint32_t field) {
  quorrin_api::IntegerCell value = 0;
  void* storage = &value;
  ::GetSortValue(&storage, static_cast<uint32_t>(row), field, list);
  return value;
}

}  // namespace

void ResultPane::Refill(bool empty_first,
                        const std::function<void(const SortedListOps&, uint32_t)>& build) {
  view_->Items().BeginUpdate();
  if (empty_first) view_->Items().SetCount(0);
  const SortedListOps& ops = QuorrinOps();
  build(ops, list_);
  ops.UpdateList(list_);
  count_ = ops.GetListCount(list_);
  view_->Items().SetCount(static_cast<int>(count_));
  view_->Items().EndUpdate();
}

void ResultPane::Fill(forms::TListItem* item) const {
  const int row = item->Index();
  if (!HasRow(row)) return;
  item->SetCaption(CellText(list_, row, fields_.caption));
  item->SubItems().clear();
  for (uint32_t f = fields_.caption + 1; f <= fields_.last_text; ++f) {
    item->SubItems().push_back(CellText(list_, row, f));
  }
  item->SetImageIndex(Image(row));
  item->SetStateIndex(State(row));
  item->SetData(Node(row));
}

scavrel::FoundNode* ResultPane::Node(int row) const {
  return reinterpret_cast<scavrel::FoundNode*>(
      static_cast<uintptr_t>(CellInteger(list_, row, fields_.node)));
}

int ResultPane::Image(int row) const {
  return static_cast<int>(CellInteger(list_, row, fields_.image));
}

int ResultPane::State(int row) const {
  return static_cast<int>(CellInteger(list_, row, fields_.check));
}

void ResultPane::SetState(int row, uint8_t state) {
  quorrin_api::IntegerCell cell = StateCell(state);
  ::SetSortValue(&cell, static_cast<uint32_t>(row), fields_.check, list_);
}

uint8_t ResultPane::Toggle(int row) {
  scavrel::FoundNode* node = Node(row);
  ClickNtfsNode(node, 0);
  const uint8_t state = EngineCheckState(node);
  SetState(row, state);
  if (view_) view_->UpdateItems(row, row);
  return state;
}

int ResultPane::HeaderStateFor(int state) const {
  for (uint32_t row = 0; row < count_; ++row) {
    if (State(static_cast<int>(row)) != state) return scavrel::kMixed;
  }
  return state;
}

RECT ResultPane::StateRect(int row) const {
  RECT icon{};
  // The system's own hit test says "on the state picture" anywhere left of the sub-items on
  // some systems (Wine, with row select): the picture sits just left of the item's icon.
  icon.left = LVIR_ICON;
  if (!view_->HandleAllocated() ||
      !SendMessageA(view_->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                    reinterpret_cast<LPARAM>(&icon))) {
    return RECT{};
  }
  forms::TImageList* states = view_->StateImages();
  const int width = states ? states->Width() : 0;
  return RECT{icon.left - width, icon.top, icon.left, icon.bottom};
}

void ResultPane::DropSelectionBeforeClick() {
  // A click selects its row by first deselecting every row, which Wine's owner-data list does
  // by visiting them all (see MoveRowFocus); with the one selected row let go here first, it
  // finds nothing to deselect.
  if (!view_->HandleAllocated()) return;
  HWND h = view_->Handle();
  const int focused = static_cast<int>(
      SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focused < 0 || SendMessageA(h, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return;
  if (!(SendMessageA(h, LVM_GETITEMSTATE, static_cast<WPARAM>(focused), LVIS_SELECTED) &
        LVIS_SELECTED)) {
    return;
  }
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&item));
}

void ResultPane::MouseDown(forms::TMouseButton button, int x, int y) {
  DropSelectionBeforeClick();
  forms::TListItem* item = view_->GetItemAt(x, y);
  if (!item) return;
  const int row = item->Index();
  if (!HasRow(row)) return;
  if (button == forms::TMouseButton::mbLeft) {
    RECT box = StateRect(row);
    if (PtInRect(&box, POINT{x, y})) {
      const uint8_t now = Toggle(row);
      if (hooks_.checked) hooks_.checked(row);
      SetHeaderState(HeaderState(now));
    } else if (hooks_.header_state) {
      // A header that follows its folder is read again at every click.
      SetHeaderState(hooks_.header_state());
    }
  } else if (button == forms::TMouseButton::mbRight && hooks_.menu) {
    hooks_.menu(row, view_->ClientToScreen(POINT{x, y}));
  }
}

void ResultPane::Check(int row, uint8_t wanted) {
  if (!HasRow(row)) return;
  Hourglass wait;
  FoundNode* node = Node(row);
  ClickNtfsNode(node, wanted);
  const uint8_t now = EngineCheckState(node);
  SetState(row, now);
  view_->UpdateItems(row, row);
  if (hooks_.checked) hooks_.checked(row);
  SetHeaderState(HeaderState(now));
}

void ResultPane::HeaderStateClick(int column) {
  if (column != 0 || count_ == 0) return;
  int wanted = view_->HeadColumns[0].StateIndex == scavrel::kChecked ? scavrel::kUnchecked
                                                                     : scavrel::kChecked;
  if (hooks_.tick_all) wanted = hooks_.tick_all();
  if (wanted == kRefused) return;
  Hourglass wait;
  view_->Items().BeginUpdate();
  // The engine's nodes follow the rows: the free-space check and a per-node save read them.
  for (uint32_t row = 0; row < count_; ++row) {
    FoundNode* node = Node(static_cast<int>(row));
    if (wanted != kNodesSet) ClickNtfsNode(node, static_cast<uint8_t>(wanted));
    SetState(static_cast<int>(row), EngineCheckState(node));
  }
  SetHeaderState(HeaderState(wanted));
  view_->Items().EndUpdate();
  view_->UpdateItems(0, static_cast<int>(count_) - 1);
}

void ResultPane::SortBy(int column) {
  skin::TQzListView* list = view_;
  if (column < 0 || column >= list->Columns().Count() || column >= skin::kHeadColumnCount) return;
  list->Items().BeginUpdate();
  forms::TListColumn* clicked = list->Columns().Items(column);
  const int last = static_cast<int>(list->Tag());
  const int direction = NextSortDirection(last, column, static_cast<int>(clicked->Tag()));
  clicked->SetTag(direction);
  if (last >= 0 && last < skin::kHeadColumnCount) {
    list->HeadColumns[static_cast<size_t>(last)].SortIndex = -1;
  }
  list->SetTag(column);
  list->HeadColumns[static_cast<size_t>(column)].SortIndex = direction;
  SortOrder order = MakeSortOrder(kind_, column, direction);
  {
    Hourglass wait;
    ::Sort(order.text.c_str(), order.key_count, list_);
  }
  list->RepaintHeader();
  list->Items().EndUpdate();
  list->UpdateItems(0, std::max(0, static_cast<int>(count_) - 1));
}

void ResultPane::KeyDown(WORD& key, forms::TShiftState shift) {
  if (shift & (forms::ssShift | forms::ssCtrl | forms::ssAlt)) return;
  if (MoveRowFocus(key)) key = 0;
}

bool ResultPane::MoveRowFocus(unsigned key) {
  // The system list moves its single selection by first deselecting every row; Wine's does that
  // for an owner-data list by visiting all rows one by one (13 s for 100,000 rows, at every
  // key). Moving the focus here touches only the two rows concerned, on every system alike.
  if (!view_->HandleAllocated()) return false;
  HWND h = view_->Handle();
  const int count = static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0));
  const int focused = static_cast<int>(
      SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  const int top = static_cast<int>(SendMessageA(h, LVM_GETTOPINDEX, 0, 0));
  const int per_page = static_cast<int>(SendMessageA(h, LVM_GETCOUNTPERPAGE, 0, 0));
  const int target = ListKeyTarget(key, focused, count, top, per_page);
  if (target < 0) return false;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (focused >= 0 && focused != target) {
    item.state = 0;
    SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&item));
  }
  // Another row still selected (the selection did not follow the focus): the system's own
  // move sorts it out.
  if (focused != target && SendMessageA(h, LVM_GETSELECTEDCOUNT, 0, 0) != 0) return false;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(target), reinterpret_cast<LPARAM>(&item));
  SendMessageA(h, LVM_SETSELECTIONMARK, 0, target);
  SendMessageA(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(target), FALSE);
  return true;
}

void ResultPane::ClearSortMarks() {
  for (int i = 0; i < view_->Columns().Count(); ++i) {
    view_->Columns().Items(i)->SetTag(0);
    if (i < skin::kHeadColumnCount) view_->HeadColumns[static_cast<size_t>(i)].SortIndex = -1;
  }
}

void ResultPane::ResetHeader() {
  for (skin::THeadColumn& c : view_->HeadColumns) c.SortIndex = -1;
  view_->HeadColumns[0].StateIndex = scavrel::kUnchecked;
  for (int i = 0; i < view_->Columns().Count(); ++i) view_->Columns().Items(i)->SetTag(0);
  view_->SetTag(0);
  view_->RepaintHeader();
}

void ResultPane::SetHeaderState(int state) {
  view_->HeadColumns[0].StateIndex = state;
  view_->RepaintHeader();
}

}  // namespace vardeck
