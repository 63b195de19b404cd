// The results window's calls into Scavrel.dll and Quorrin.dll (see ResultsEngine.h).
#include "frontend/win/ResultsEngine.h"

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

}  // namespace vardeck
