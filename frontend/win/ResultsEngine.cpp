// The results window's calls into Scavrel.dll and Quorrin.dll (see ResultsEngine.h).
#include "frontend/win/ResultsEngine.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/scavrel_api.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

bool EngineResultSource::Accepts(FoundNode* node) { return FilterNtfsTreeNode(node) != 0; }

std::string EngineResultSource::Name(FoundNode* node) {
  // The engine cuts its copy to the buffer it is told of; a name is never longer.
  char buffer[kOutTextPathSize] = {};
  char* address = buffer;
  if (node == nullptr || GetDictionaryName(node->record, &address) == 0) return std::string();
  return buffer;
}

bool EngineResultSource::Facts(FoundNode* node, EntryFacts& facts) {
  facts = EntryFacts{};
  if (node == nullptr || node->record == nullptr) return false;
  void* block = nullptr;
  scavrel_api::ExtentList* extents = nullptr;
  if (GetpFileAttr(node->record, &block, &extents, &facts.free_clusters, &facts.total_clusters,
                   &facts.first_cluster) == 0 ||
      block == nullptr) {
    return false;
  }
  facts.attributes = std::span<const uint8_t>(static_cast<const uint8_t*>(block),
                                              ntfs_ ? kNtfsAttributeBytes : kFatAttributeBytes);
  return true;
}

const SortedListOps& QuorrinOps() {
  static const SortedListOps ops = {::ClearList,   ::FieldRemoveall, ::FieldAdd,
                                    ::Add,         ::SetValue,       ::UpdateList,
                                    ::GetListCount, ::Sort,          ::GetSortValue,
                                    ::SetSortValue};
  return ops;
}

uint8_t EngineCheckState(FoundNode* node) {
  uint8_t state = scavrel::kUnchecked;
  if (node == nullptr || GetnSelect(node, &state) == 0) return scavrel::kUnchecked;
  return state;
}

int TreeNodeStates::ChildCount(void* item) { return static_cast<forms::TTreeNode*>(item)->Count(); }

void* TreeNodeStates::Child(void* item, int index) {
  return static_cast<forms::TTreeNode*>(item)->Item(index);
}

void* TreeNodeStates::Parent(void* item) { return static_cast<forms::TTreeNode*>(item)->Parent(); }

void TreeNodeStates::RefreshState(void* item) {
  auto* node = static_cast<forms::TTreeNode*>(item);
  node->SetStateIndex(EngineCheckState(NodeOf(node)));
}

void ClearFolderItems(forms::TTreeNodes& items) {
  constexpr int kPieceDepth = 256;
  std::vector<std::pair<int, forms::TTreeNode*>> pieces;  // (depth, node)
  std::vector<std::pair<int, forms::TTreeNode*>> stack;
  for (forms::TTreeNode* top = items.GetFirstNode(); top; top = top->GetNextSibling()) {
    stack.push_back({0, top});
  }
  while (!stack.empty()) {
    auto [depth, node] = stack.back();
    stack.pop_back();
    if (depth > 0 && depth % kPieceDepth == 0) pieces.push_back({depth, node});
    for (int i = 0; i < node->Count(); ++i) stack.push_back({depth + 1, node->Item(i)});
  }
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (auto& piece : pieces) piece.second->Delete();
  items.Clear();
}

}  // namespace vardeck
