// TTreeNodes: the nodes of a tree view: the top-level nodes in order, adding at either end of a
// sibling chain or as a child, clearing, and depth-first access by absolute index.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms/TreeNode.h"

namespace forms {

class TTreeNodes : public TObject {
 public:
  explicit TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}
  ~TTreeNodes() override;

  // A new last sibling of `sibling` (a top-level node when nil).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text);
  // A new first sibling of `sibling` (a top-level node when nil).
  TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
  // A new last (first) child of `parent` (a top-level node when nil).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
  // A new last child of `parent` with its data and pictures given at once: the window item is
  // made with them in the one insert, where setting each afterwards costs a message (and a
  // repaint test) per node. Setting the data sorts as SetData does.
  struct TNodeFields {
    void* data = nullptr;
    int image_index = -1;
    int selected_index = -1;
    int state_index = -1;
  };
  TTreeNode* AddChildWith(TTreeNode* parent, const std::string& text, const TNodeFields& fields);
  // A new node just before `sibling` (the last top-level node when nil).
  TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
  void Delete(TTreeNode* node);
  void Clear();

  // All nodes at every level.
  int Count() const;
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  // The node at depth-first position `index`, or nil.
  TTreeNode* Item(int index) const;
  TTreeNode* operator[](int index) const { return Item(index); }
  TCustomTreeView* Owner() const { return owner_; }

  // Brackets many changes: the tree does not redraw until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InsertAt(TTreeNode* parent, size_t position, const std::string& text,
                      const TNodeFields* fields = nullptr);
  std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(TTreeNode* parent);
  // Makes the window item of `node` (at `index` among its siblings; -1: looked up) and of its
  // subtree.
  void InsertWindowItems(TTreeNode* node, int index = -1);
  // TVM_INSERTITEMA for `ins`; the new item's handle.
  LRESULT SendInsert(TVINSERTSTRUCTA& ins);
  bool Updating() const { return update_count_ > 0; }
  TCustomTreeView* owner_;
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  int update_count_ = 0;
};

}  // namespace forms
