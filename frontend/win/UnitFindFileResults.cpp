// UnitFindFile, what the results window shows: the scan's result as the folder tree with the
// folder's contents or as the hit list, the filters applied again, the tree's clicks, and the
// two lists, each a ResultPane, with the popup's Check and Uncheck.
#include "frontend/win/UnitFindFile.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/scavrel_api.h"
#include "frontend/FilterSettings.h"
#include "frontend/FoundTreeWalk.h"
#include "frontend/LangFile.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"
#include "frontend/win/Hourglass.h"
#include "frontend/win/ResultsEngine.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {
namespace {

const std::string& LangText(LangKey key) { return Lang().Text(key); }

// Holds a window's painting off while its children change in many steps, and has it all
// painted once at the end. The tree's and the list's own update brackets keep their rows from
// painting, but not the frames and bars that the system paints again each time a scroll bar
// comes or goes; under Wine each such paint costs several trips to the window server. A
// window not on screen paints nothing anyway.
class PaintingHeld {
 public:
  explicit PaintingHeld(HWND window) : window_(IsWindowVisible(window) ? window : nullptr) {
    if (window_) SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~PaintingHeld() {
    if (!window_) return;
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  PaintingHeld(const PaintingHeld&) = delete;
  PaintingHeld& operator=(const PaintingHeld&) = delete;

 private:
  HWND window_;
};

// The find dialog's name pattern as the hit rows test it.
NameTest CurrentNameTest() {
  FindCriteria criteria;
  criteria.pattern = NamePattern;
  criteria.leading_star = PatternLeadingStar == "*";
  criteria.trailing_star = PatternTrailingStar == "*";
  if (criteria.pattern.empty()) return NameTest();
  return [criteria](std::string_view name) { return NameMatches(criteria, name); };
}

}  // namespace

void TFrmFindFile::ShowScanResult() {
  TakeScanMode();
  FoundNode* root = nullptr;
  const bool tree_kept = (GetTreeFirst(&root) & 0xFF) != 0 && root != nullptr;
  const bool anything_deleted = tree_kept && root->subtree_has_deleted;
  // An empty tree alone cannot tell a healthy drive with nothing deleted from one that could
  // not be read: the engine says which.
  uint8_t outcome = 0;
  char file_system[kOutTextFileSystemSize] = {};
  char* file_system_address = file_system;
  if (!GetScanOutcome(&outcome, &file_system_address)) outcome = 0;
  auto message = [&](bool any_hit) {
    return ScanEndMessage(Lang(), ShowsHits(), static_cast<scavrel::ScanOutcome>(outcome),
                          file_system, anything_deleted, any_hit);
  };
  if (ShowsHits()) {
    BuildHitList();
    ShowPanels();
    scan_end_message_ = message(HitListCount > 0);
    return;
  }
  scan_end_message_ = message(false);
  {
    // The folder tree, its first folder opened and that folder's rows: painted once.
    PaintingHeld held(Panel1->Handle());
    if (BuildFolderTree()) {
      TreeView1->SetSelected(TreeView1->Items().GetFirstNode());
      InitialTreeClick = true;
      TreeView1Click();
      InitialTreeClick = false;
    }
  }
  ShowPanels();
}

void TFrmFindFile::ReapplyFilters() {
  if (ShowsHits()) {
    ShowScanResult();
    return;
  }
  // The user's place survives new filters: the folder shown, and every branch still there
  // that was open. Tree items die with the rebuild, the engine's nodes do not.
  std::set<FoundNode*> expanded;
  for (forms::TTreeNode* item = TreeView1->Items().GetFirstNode(); item; item = item->GetNext()) {
    if (item->Expanded()) expanded.insert(NodeOf(item));
  }
  ShowFilterMark();
  FoundNode* current = CurrentFolderItem ? NodeOf(CurrentFolderItem) : nullptr;
  CurrentFolderItem = nullptr;
  PopupTreeItem = nullptr;
  mouse_down_item_ = nullptr;
  if (!BuildFolderTree()) {
    FillListview(nullptr);
    return;
  }
  std::map<FoundNode*, forms::TTreeNode*> items;
  TreeView1->Items().BeginUpdate();
  for (forms::TTreeNode* item = TreeView1->Items().GetFirstNode(); item; item = item->GetNext()) {
    items[NodeOf(item)] = item;
    if (expanded.count(NodeOf(item))) item->Expand(false);
  }
  TreeView1->Items().EndUpdate();
  // A folder the filters now hide gives way to its nearest ancestor that is still listed.
  forms::TTreeNode* target = nullptr;
  for (FoundNode* node = current; node && !target; node = node->parent) {
    auto found = items.find(node);
    if (found != items.end()) target = found->second;
  }
  if (!target) target = TreeView1->Items().GetFirstNode();
  for (forms::TTreeNode* up = target->Parent(); up; up = up->Parent()) up->Expand(false);
  TreeView1->SetSelected(target);
  target->MakeVisible();
  CurrentFolderItem = target;
  FillListview(NodeOf(target));
}

void TFrmFindFile::ShowPanels() {
  const bool find_mode = ShowsHits();
  Panel2->SetVisible(find_mode);
  Panel1->SetVisible(!find_mode);
  skButton1->SetVisible(!find_mode);
  // Recover closes the gap the hidden Filter button leaves.
  skBRecovery->SetLeft(find_mode ? skButton1->Left() : skButton1->Left() + skButton1->Width() + 5);
  ShowFilterMark();
}

void TFrmFindFile::ShowFilterMark() {
  // A find-file scan lists what its own criteria asked for, just given: only the folder
  // filters carried over from earlier results need the mark.
  const bool on = !ShowsHits() && FiltersActive(Bounds, NameFilterText);
  const int left = skBRecovery->Left() + skBRecovery->Width() + 10;
  FilterMark->SetBounds(left, FilterMark->Top(),
                        std::max(60, skImageButton1->Left() - 8 - left), FilterMark->Height());
  FilterMark->SetCaption(LangText(LangKey::FilterOn));
  FilterMark->SetVisible(on);
}

bool TFrmFindFile::BuildFolderTree() {
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) == 0) root = nullptr;
  return BuildFolderTree(root);
}

bool TFrmFindFile::BuildFolderTree(FoundNode* root) {
  ClearFolderItems(TreeView1->Items());
  if (root == nullptr) return false;
  EngineResultSource source(NtfsChosen != 0);
  forms::TTreeNodes& items = TreeView1->Items();
  items.BeginUpdate();
  vardeck::BuildFolderTree(root, source, [&](FoundNode* node, const std::string& name,
                                             void* parent) -> void* {
    // All of the item in its one insert: set one by one, each field is a message of its own.
    forms::TTreeNodes::TNodeFields fields;
    fields.data = node;
    fields.image_index = kFolderImage;
    fields.selected_index = kOpenFolderImage;
    fields.state_index = node->check_state;
    return items.AddChildWith(static_cast<forms::TTreeNode*>(parent), name, fields);
  });
  items.EndUpdate();
  return items.GetFirstNode() != nullptr;
}

void TFrmFindFile::BuildHitList() {
  hit_pane_.ResetHeader();
  hit_pane_.Refill(true, [](const SortedListOps& ops, uint32_t list) {
    ResetHitList(ops, list);
    FoundNode* root = nullptr;
    if ((GetTreeFirst(&root) & 0xFF) == 0 || root == nullptr) return;
    EngineResultSource source(NtfsChosen != 0);
    BuildHitRows(root, source, CurrentNameTest(),
                 [&](const ResultRow& row) { AppendHitRow(ops, list, row); });
  });
}

// ---- the folder tree ------------------------------------------------------------------------------

void TFrmFindFile::TreeView1MouseDown(forms::TMouseButton button, int x, int y) {
  forms::TTreeNode* item = TreeView1->GetNodeAt(x, y);
  if (button == forms::TMouseButton::mbLeft) {
    mouse_down_item_ = item;
    return;
  }
  if (button == forms::TMouseButton::mbRight && item) {
    PopupSource = kPopupTree;
    PopupTreeItem = item;
    PopupRow = -1;
    PopupNode = NodeOf(item);
    mouse_down_item_ = nullptr;
    POINT p = TreeView1->ClientToScreen(POINT{x, y});
    skPopupMenu1->Popup(p.x, p.y);
  }
}

void TFrmFindFile::TreeView1MouseUp(forms::TMouseButton button, int x, int y) {
  forms::TTreeNode* item = TreeView1->GetNodeAt(x, y);
  if (button != forms::TMouseButton::mbLeft || !item || item != mouse_down_item_) return;
  Hourglass wait;
  if (TreeView1->GetHitTestInfoAt(x, y) & forms::htOnStateIcon) {
    ClickNtfsNode(NodeOf(item), 0);
    RefreshNodeStates(item);
  }
  forms::TTreeNode* selected = TreeView1->Selected();
  if (!selected) selected = item;
  CurrentFolderItem = selected;
  FillListview(NodeOf(selected));
}

void TFrmFindFile::TreeView1Click() {
  if (!InitialTreeClick) return;
  forms::TTreeNode* selected = TreeView1->Selected();
  if (!selected) return;
  CurrentFolderItem = selected;
  selected->Expand(false);
  FillListview(NodeOf(selected));
}

void TFrmFindFile::ListView1DblClick() {
  forms::TListItem* row = ListView1->Selected();
  if (!row || !CurrentFolderItem) return;
  int index = row->Index();
  if (index < 0 || static_cast<uint32_t>(index) >= FolderListCount) return;
  if (folder_pane_.Image(index) <= 0) return;
  FoundNode* node = folder_pane_.Node(index);
  forms::TTreeNode* target = nullptr;
  for (int i = 0; i < CurrentFolderItem->Count(); ++i) {
    forms::TTreeNode* child = CurrentFolderItem->Item(i);
    if (NodeOf(child) == node) {
      target = child;
      break;
    }
  }
  if (!target) return;
  CurrentFolderItem = target;
  FillListview(node);
  for (forms::TTreeNode* up = target->Parent(); up && !up->Expanded(); up = up->Parent()) {
    up->Expand(false);
  }
  TreeView1->SetSelected(target);
}

void TFrmFindFile::FillListview(FoundNode* folder) {
  folder_pane_.ClearSortMarks();
  // The header shows the folder the rows come from (the popup may fill another folder than
  // the tree's selected one).
  folder_pane_.SetHeaderState(EngineCheckState(folder));
  folder_pane_.Refill(false, [folder](const SortedListOps& ops, uint32_t list) {
    ResetFolderList(ops, list);
    EngineResultSource source(NtfsChosen != 0);
    BuildFolderRows(folder, source,
                    [&](const ResultRow& row) { AppendFolderRow(ops, list, row); });
  });
}

// ---- the two lists ------------------------------------------------------------------------------

void TFrmFindFile::WirePanes() {
  ResultPaneHooks folder;
  // The folder list's ticks reach the tree, and its header shows the folder's own state.
  folder.checked = [this](int) {
    if (CurrentFolderItem) RefreshNodeStates(CurrentFolderItem);
  };
  folder.header_state = [this] { return EngineCheckState(NodeOf(CurrentFolderItem)); };
  folder.tick_all = [this] {
    if (!CurrentFolderItem) return ResultPane::kRefused;
    // The folder is ticked as a whole; its rows then read their nodes' new states.
    ClickNtfsNode(NodeOf(CurrentFolderItem), 0);
    RefreshNodeStates(CurrentFolderItem);
    return ResultPane::kNodesSet;
  };
  folder.menu = [this](int row, POINT screen) {
    OpenPopup(kPopupFolderRow, CurrentFolderItem, row, folder_pane_.Node(row), screen);
  };
  folder_pane_.SetHooks(std::move(folder));
  ResultPaneHooks hits;
  hits.menu = [this](int row, POINT screen) {
    OpenPopup(kPopupHitRow, TreeView1->Selected(), row, hit_pane_.Node(row), screen);
  };
  hit_pane_.SetHooks(std::move(hits));
}

void TFrmFindFile::OpenPopup(int source, forms::TTreeNode* tree_item, int row, FoundNode* node,
                             POINT screen) {
  PopupSource = source;
  PopupTreeItem = tree_item;
  PopupRow = row;
  PopupNode = node;
  skPopupMenu1->Popup(screen.x, screen.y);
}

RECT TFrmFindFile::RowStateRect(skin::TQzListView* list, int row) {
  return (list == ListView2 ? hit_pane_ : folder_pane_).StateRect(row);
}

void TFrmFindFile::ListView1Data(forms::TListItem* item) { folder_pane_.Fill(item); }
void TFrmFindFile::ListView2Data(forms::TListItem* item) { hit_pane_.Fill(item); }
void TFrmFindFile::ListView1ColumnClick(int column) { folder_pane_.SortBy(column); }
void TFrmFindFile::ListView2ColumnClick(int column) { hit_pane_.SortBy(column); }
void TFrmFindFile::ListView1KeyDown(WORD& key, forms::TShiftState shift) {
  folder_pane_.KeyDown(key, shift);
}
void TFrmFindFile::ListView2KeyDown(WORD& key, forms::TShiftState shift) {
  hit_pane_.KeyDown(key, shift);
}
void TFrmFindFile::ListView1MouseDown(forms::TMouseButton button, int x, int y) {
  folder_pane_.MouseDown(button, x, y);
}
void TFrmFindFile::ListView2MouseDown(forms::TMouseButton button, int x, int y) {
  hit_pane_.MouseDown(button, x, y);
}
void TFrmFindFile::ListView1HeaderStateClick(int column) { folder_pane_.HeaderStateClick(column); }
void TFrmFindFile::ListView2HeaderStateClick(int column) { hit_pane_.HeaderStateClick(column); }

void TFrmFindFile::CheckFromPopup(uint8_t wanted) {
  switch (PopupSource) {
    case kPopupFolderRow: folder_pane_.Check(PopupRow, wanted); break;
    case kPopupHitRow: hit_pane_.Check(PopupRow, wanted); break;
    case kPopupTree: CheckTreeFromPopup(wanted); break;
    default: break;
  }
}

void TFrmFindFile::CheckTreeFromPopup(uint8_t wanted) {
  if (!PopupTreeItem) return;
  Hourglass wait;
  ClickNtfsNode(PopupNode, wanted);
  RefreshNodeStates(PopupTreeItem);
  // The list shows the folder the popup named, and that folder is the current one.
  TreeView1->SetSelected(PopupTreeItem);
  CurrentFolderItem = PopupTreeItem;
  FillListview(PopupNode);
}

void TFrmFindFile::M2Click() { CheckFromPopup(scavrel::kChecked); }
void TFrmFindFile::M3Click() { CheckFromPopup(scavrel::kUnchecked); }

}  // namespace vardeck
