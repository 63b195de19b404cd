// TTreeNode: one item of a tree view: text, the program's data, picture, picture when
// selected, state picture, children in order, expansion and selection. The node owns its
// children; the window's item (ItemId) mirrors it while the tree view has a window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms/Types.h"

#include <commctrl.h>

namespace forms {

class TCustomTreeView;
class TTreeNodes;

class TTreeNode : public TObject {
 public:
  TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {}
  ~TTreeNode() override;

  const std::string& Text() const { return text_; }
  void SetText(const std::string& v);
  // Setting the data sorts the node among its siblings when the tree sorts by data.
  void* Data() const { return data_; }
  void SetData(void* v);
  // Pictures of the tree's Images (-1: none). The tree asks for them as it draws the node
  // (OnGetImageIndex and OnGetSelectedIndex may set them then).
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int v);
  int SelectedIndex() const { return selected_index_; }
  void SetSelectedIndex(int v);
  // The picture of the tree's StateImages left of the node, 1 to 15 (0 or -1: none; a tree
  // view never shows the first picture of its state list).
  int StateIndex() const { return state_index_; }
  void SetStateIndex(int v);

  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  bool HasChildren() const { return !children_.empty(); }
  // Nil outside 0 .. Count-1.
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node in depth-first order (children before siblings), or nil.
  TTreeNode* GetNext() const;
  int Index() const;
  int Level() const;
  bool IsDescendantOf(const TTreeNode* other) const;

  bool Expanded() const;
  void SetExpanded(bool v) { v ? Expand(false) : Collapse(false); }
  // Expanding or collapsing from the program runs the tree's expanding and expanded events,
  // as a click on the button does.
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const { return Selected(); }
  // The item's rectangle in the tree's client area (only the text with `text_only`); empty
  // while it is scrolled out of a collapsed parent or the tree has no window.
  RECT DisplayRect(bool text_only) const;
  void MakeVisible();
  // Removes the node and its children from the tree and frees it.
  void Delete();
  // Puts the children in order (the tree's OnCompare, else by text), and theirs too with
  // `recurse`.
  void AlphaSort(bool recurse);

  HTREEITEM ItemId() const { return item_; }
  TTreeNodes* Owner() const { return owner_; }
  TCustomTreeView* TreeView() const;

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  // Writes the node's fields into its window item.
  void ApplyItem(UINT mask);
  // Has the window draw the node again (its pictures are asked for then).
  void Redraw();
  TTreeNodes* owner_;
  TTreeNode* parent_;
  std::vector<std::unique_ptr<TTreeNode>> children_;
  HTREEITEM item_ = nullptr;
  std::string text_;
  void* data_ = nullptr;
  int image_index_ = -1;
  int selected_index_ = -1;
  int state_index_ = -1;
  bool expanded_ = false;
};

}  // namespace forms
