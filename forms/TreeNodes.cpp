// TTreeNodes: the node tree and its window items, made as nodes are added (and all again when
// the window is made anew).
#include "forms/TreeNodes.h"

#include <algorithm>

#include "forms/CustomTreeView.h"

namespace forms {

TTreeNodes::~TTreeNodes() = default;

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::SiblingsOf(TTreeNode* parent) {
  return parent ? parent->children_ : roots_;
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, size_t position, const std::string& text,
                                const TNodeFields* fields) {
  auto& siblings = SiblingsOf(parent);
  position = std::min(position, siblings.size());
  auto node = std::make_unique<TTreeNode>(this, parent);
  node->text_ = text;
  if (fields != nullptr) {
    node->data_ = fields->data;
    node->image_index_ = fields->image_index;
    node->selected_index_ = fields->selected_index;
    node->state_index_ = fields->state_index;
  }
  TTreeNode* n = node.get();
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), std::move(node));
  InsertWindowItems(n, static_cast<int>(position));
  if (owner_->SortsByText() || (fields != nullptr && owner_->SortsByData()))
    owner_->SortChildren(parent, false);
  return n;
}

void TTreeNodes::InsertWindowItems(TTreeNode* node, int index) {
  if (!owner_->HandleAllocated()) return;
  auto& siblings = SiblingsOf(node->parent_);
  int i = index >= 0 ? index : node->Index();
  TVINSERTSTRUCTA ins{};
  ins.hParent = node->parent_ ? node->parent_->item_ : TVI_ROOT;
  ins.hInsertAfter = i > 0 ? siblings[static_cast<size_t>(i - 1)]->item_ : TVI_FIRST;
  TVITEMA& it = ins.item;
  it.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  it.pszText = const_cast<char*>(node->text_.c_str());
  it.lParam = reinterpret_cast<LPARAM>(node);
  // The pictures are asked for as the node is drawn (TVN_GETDISPINFO).
  it.iImage = I_IMAGECALLBACK;
  it.iSelectedImage = I_IMAGECALLBACK;
  it.stateMask = TVIS_STATEIMAGEMASK;
  if (node->state_index_ > 0 && node->state_index_ < 16)
    it.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(node->state_index_));
  node->item_ = reinterpret_cast<HTREEITEM>(SendInsert(ins));
  for (size_t k = 0; k < node->children_.size(); ++k)
    InsertWindowItems(node->children_[k].get(), static_cast<int>(k));
  // Expanded only once it has the children to show.
  if (node->expanded_ && node->item_ && node->HasChildren()) {
    owner_->program_expand_ = true;
    owner_->Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->item_));
    owner_->program_expand_ = false;
  }
}

LRESULT TTreeNodes::SendInsert(TVINSERTSTRUCTA& ins) {
  const auto param = reinterpret_cast<LPARAM>(&ins);
  // With the tree's redraw off nothing of the view's own answers an insert (the outside bars
  // follow at the update's end), so the insert goes straight to the system's tree: under Wine
  // each message through the subclass chain costs three trips to the window server (the
  // chain looks its property up at every step), and a tree of found folders is thousands of
  // inserts.
  if (Updating()) {
    HWND tree = owner_->Handle();
    if (auto system = reinterpret_cast<WNDPROC>(GetClassLongPtrA(tree, GCLP_WNDPROC)))
      return CallWindowProcA(system, tree, TVM_INSERTITEMA, 0, param);
  }
  return owner_->Send(TVM_INSERTITEMA, 0, param);
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
  TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
  return InsertAt(parent, SiblingsOf(parent).size(), text);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text) {
  return InsertAt(sibling ? sibling->parent_ : nullptr, 0, text);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
  return InsertAt(parent, SiblingsOf(parent).size(), text);
}

TTreeNode* TTreeNodes::AddChildWith(TTreeNode* parent, const std::string& text,
                                    const TNodeFields& fields) {
  return InsertAt(parent, SiblingsOf(parent).size(), text, &fields);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) {
  return InsertAt(parent, 0, text);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
  if (!sibling) return InsertAt(nullptr, roots_.size(), text);
  return InsertAt(sibling->parent_, static_cast<size_t>(sibling->Index()), text);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node || node->owner_ != this) return;
  owner_->NodeGoing(node);
  if (owner_->HandleAllocated() && node->item_)
    owner_->Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->item_));
  auto& siblings = SiblingsOf(node->parent_);
  siblings.erase(siblings.begin() + node->Index());
}

void TTreeNodes::Clear() {
  for (auto& r : roots_) owner_->NodeGoing(r.get());
  if (owner_->HandleAllocated()) owner_->Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  roots_.clear();
}

int TTreeNodes::Count() const {
  int n = 0;
  for (const TTreeNode* c = GetFirstNode(); c; c = c->GetNext()) ++n;
  return n;
}

TTreeNode* TTreeNodes::Item(int index) const {
  if (index < 0) return nullptr;
  TTreeNode* c = GetFirstNode();
  for (; c && index > 0; --index) c = c->GetNext();
  return c;
}

void TTreeNodes::BeginUpdate() {
  if (update_count_++ == 0 && owner_->HandleAllocated()) owner_->Send(WM_SETREDRAW, FALSE);
}

void TTreeNodes::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0) return;
  if (!owner_->HandleAllocated()) return;
  owner_->Send(WM_SETREDRAW, TRUE);
  InvalidateRect(owner_->Handle(), nullptr, TRUE);
}

}  // namespace forms
