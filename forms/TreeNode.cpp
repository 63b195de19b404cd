// TTreeNode: fields mirrored into the window item; relations from the node tree kept here.
#include "forms/TreeNode.h"

#include <cstring>

#include "forms/CustomTreeView.h"

namespace forms {

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return owner_->Owner(); }

void TTreeNode::ApplyItem(UINT mask) {
  TCustomTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return;
  TVITEMA it{};
  it.mask = mask | TVIF_HANDLE;
  it.hItem = item_;
  it.pszText = const_cast<char*>(text_.c_str());
  // The pictures are asked for as the node is drawn (TVN_GETDISPINFO).
  it.iImage = I_IMAGECALLBACK;
  it.iSelectedImage = I_IMAGECALLBACK;
  it.stateMask = TVIS_STATEIMAGEMASK;
  it.state = state_index_ > 0 && state_index_ < 16
                 ? INDEXTOSTATEIMAGEMASK(static_cast<UINT>(state_index_)) : 0;
  tree->Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TTreeNode::SetText(const std::string& v) {
  text_ = v;
  ApplyItem(TVIF_TEXT);
  if (TreeView()->SortsByText()) TreeView()->SortChildren(parent_, false);
}

void TTreeNode::SetData(void* v) {
  data_ = v;
  if (TreeView()->SortsByData()) TreeView()->SortChildren(parent_, false);
}

void TTreeNode::Redraw() {
  TCustomTreeView* tree = TreeView();
  // Set while the tree asks for the picture: it takes the answer; a redraw would ask again.
  // In an update the whole tree is drawn again at its end.
  if (!item_ || !tree->HandleAllocated() || tree->answering_images_ || owner_->Updating())
    return;
  RECT r = DisplayRect(false);
  if (!IsRectEmpty(&r)) InvalidateRect(tree->Handle(), &r, TRUE);
}

void TTreeNode::SetImageIndex(int v) {
  if (v == image_index_) return;
  image_index_ = v;
  Redraw();
}

void TTreeNode::SetSelectedIndex(int v) {
  if (v == selected_index_) return;
  selected_index_ = v;
  Redraw();
}

void TTreeNode::AlphaSort(bool recurse) { TreeView()->SortChildren(this, recurse); }

void TTreeNode::SetStateIndex(int v) {
  state_index_ = v;
  ApplyItem(TVIF_STATE);
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<size_t>(index)].get();
}

int TTreeNode::Index() const {
  const auto& siblings = owner_->SiblingsOf(parent_);
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = owner_->SiblingsOf(parent_);
  int i = Index();
  return i >= 0 && i + 1 < static_cast<int>(siblings.size())
             ? siblings[static_cast<size_t>(i + 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  int i = Index();
  return i > 0 ? owner_->SiblingsOf(parent_)[static_cast<size_t>(i - 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (TTreeNode* c = GetFirstChild()) return c;
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

bool TTreeNode::IsDescendantOf(const TTreeNode* other) const {
  for (const TTreeNode* p = parent_; p; p = p->parent_)
    if (p == other) return true;
  return false;
}

bool TTreeNode::Expanded() const {
  TCustomTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return expanded_;
  return (tree->Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_), TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool recurse) {
  TCustomTreeView* tree = TreeView();
  // Windows sends no expanding or expanded notification for an expansion it is told to make
  // (Wine does; those are ignored); the events run here as they would for a click.
  if (HasChildren() && !Expanded() && tree->CanExpand(this)) {
    expanded_ = true;
    tree->program_expand_ = true;
    if (item_) tree->Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
    tree->program_expand_ = false;
    tree->Expand(this);
  }
  if (recurse)
    for (auto& c : children_) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  TCustomTreeView* tree = TreeView();
  if (recurse)
    for (auto& c : children_) c->Collapse(true);
  if (HasChildren() && Expanded() && tree->CanCollapse(this)) {
    expanded_ = false;
    tree->program_expand_ = true;
    if (item_) tree->Send(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
    tree->program_expand_ = false;
    tree->Collapse(this);
  }
}

bool TTreeNode::Selected() const { return TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool v) {
  if (v) TreeView()->SetSelected(this);
  else if (Selected()) TreeView()->SetSelected(nullptr);
}

RECT TTreeNode::DisplayRect(bool text_only) const {
  RECT r{};
  TCustomTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return r;
  // The message takes the item's handle in the rectangle it fills.
  HTREEITEM item = item_;
  std::memcpy(&r, &item, sizeof(item));
  if (!tree->Send(TVM_GETITEMRECT, text_only ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r)))
    r = RECT{};
  return r;
}

void TTreeNode::MakeVisible() {
  if (item_) TreeView()->Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::Delete() { owner_->Delete(this); }

}  // namespace forms
