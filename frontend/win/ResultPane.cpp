// A result list of the results window (see ResultPane.h).
#include "frontend/win/ResultPane.h"

#include <string>

#include "engine/scavrel_api.h"
#include "frontend/ResultRows.h"
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

}  // namespace vardeck
