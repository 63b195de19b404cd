// TCustomTreeView: the system tree view ("SysTreeView32") wrapped: nodes with data, pictures and
// state pictures from TImageLists, expansion, selection, hit tests and the tree events. The
// control answers its own notifications (TVN_SELCHANGED, TVN_ITEMEXPANDED...) as reflected
// CN_NOTIFY.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "forms/CustomDraw.h"
#include "forms/CustomSysView.h"
#include "forms/TreeNodes.h"

namespace forms {

// When the tree keeps its nodes in order: never, when a node's data changes, when its text
// changes (and as nodes are added), or both.
enum class TSortType { stNone, stData, stText, stBoth };

class TCustomTreeView : public TCustomSysView,
                        private TCustomDraw<TCustomTreeView, NMTVCUSTOMDRAW> {
 public:
  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;
  const char* ClassName() const override { return "TCustomTreeView"; }

  TTreeNodes& Items() { return items_; }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* node);
  TTreeNode* TopItem() const;
  // The node whose icon, text or state picture lies at a client point (anywhere on its row
  // with RowSelect), or nil.
  TTreeNode* GetNodeAt(int x, int y) const;
  THitTests GetHitTestInfoAt(int x, int y) const;
  void FullExpand();
  void FullCollapse();
  // Puts the top-level nodes in order (OnCompare, else by text), and every level below with
  // `recurse`.
  void AlphaSort(bool recurse = true);
  TSortType SortType() const { return sort_type_; }
  // A sort type that sorts puts the whole tree in order at once.
  void SetSortType(TSortType v);

  TImageList* Images() const { return images_.Images(); }
  void SetImages(TImageList* v) { SetItemImages(v); }
  int Indent() const;
  void SetIndent(int v);
  bool ShowButtons() const { return show_buttons_; }
  void SetShowButtons(bool v);
  bool ShowLines() const { return show_lines_; }
  void SetShowLines(bool v);
  bool ShowRoot() const { return show_root_; }
  void SetShowRoot(bool v);
  bool RowSelect() const { return row_select_; }
  void SetRowSelect(bool v);
  bool HotTrack() const { return hot_track_; }
  void SetHotTrack(bool v);
  // Expanding a node collapses the others on its way (single-expand).
  bool AutoExpand() const { return auto_expand_; }
  void SetAutoExpand(bool v);
  bool DoubleBuffered() const { return double_buffered_; }
  void SetDoubleBuffered(bool v);
  // Several nodes selected at once: a click with Ctrl adds the node or takes it out again, a
  // click with Shift selects the shown nodes from the last node clicked without Shift to this
  // one, a plain click selects its node alone. Selected() stays the node that has the caret.
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool v);
  int SelectionCount() const;
  // The selected nodes in the order they were selected (the caret's node alone without
  // MultiSelect).
  TTreeNode* Selections(int index) const;
  // A press of the right button selects the node under the pointer before OnMouseDown runs,
  // so that a popup menu opened from there acts on the node the user sees selected.
  bool RightClickSelect() const { return right_click_select_; }
  void SetRightClickSelect(bool v) { right_click_select_ = v; }
  // Milliseconds between a selection change and its OnChange; a change within that time
  // replaces the one waiting (moving through the nodes with the keys fires once, at the end).
  int ChangeDelay() const { return change_delay_; }
  void SetChangeDelay(int ms) { change_delay_ = ms < 0 ? 0 : ms; }
  // The system's tip that shows a node's whole text where the tree cuts it off.
  bool ToolTips() const { return tool_tips_; }
  void SetToolTips(bool v);

  using TTVCustomDrawEvent =
      std::function<void(TCustomTreeView* sender, const RECT& rect, bool& default_draw)>;
  using TTVAdvancedCustomDrawEvent = std::function<void(
      TCustomTreeView* sender, const RECT& rect, TCustomDrawStage stage, bool& default_draw)>;
  using TTVCustomDrawItemEvent = std::function<void(
      TCustomTreeView* sender, TTreeNode* node, TCustomDrawState state, bool& default_draw)>;
  using TTVAdvancedCustomDrawItemEvent =
      std::function<void(TCustomTreeView* sender, TTreeNode* node, TCustomDrawState state,
                         TCustomDrawStage stage, bool& default_draw)>;
  using TTVChangedEvent = std::function<void(TObject* sender, TTreeNode* node)>;
  using TTVChangingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
  using TTVExpandingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
  using TTVExpandedEvent = std::function<void(TObject* sender, TTreeNode* node)>;
  // The node is about to be drawn: the handler may set its ImageIndex (SelectedIndex).
  using TTVGetImageEvent = std::function<void(TObject* sender, TTreeNode* node)>;
  // The user starts editing a node's text: clear `allow_edit` to refuse.
  using TTVEditingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow_edit)>;
  // The user finished editing: `text` is what the node will show (the handler may change it).
  using TTVEditedEvent = std::function<void(TObject* sender, TTreeNode* node, std::string& text)>;
  // Sets `compare` below 0 when node1 goes before node2, above 0 when after, 0 when equal.
  using TTVCompareEvent = std::function<void(TObject* sender, TTreeNode* node1,
                                             TTreeNode* node2, int data, int& compare)>;

  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVExpandingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;
  TTVCustomDrawEvent OnCustomDraw;
  TTVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;
  TTVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
  TTVGetImageEvent OnGetImageIndex;
  TTVGetImageEvent OnGetSelectedIndex;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVCompareEvent OnCompare;

 protected:
  friend class TTreeNode;
  friend class TTreeNodes;
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  void Dispatch(TMessage& m) override;
  void ApplyColors() override;
  void GiveImageList(bool state, HIMAGELIST list) override;
  DWORD StyleMask() const override;
  virtual void CNNotify(TMessage& m);
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapse(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  virtual void GetImageIndex(TTreeNode* node);
  virtual void GetSelectedIndex(TTreeNode* node);
  virtual bool CanEdit(TTreeNode* node);
  virtual void Edit(TTreeNode* node, std::string& text);
  TTreeNode* NodeOf(HTREEITEM item) const;
  // `node` and its subtree are about to go.
  void NodeGoing(TTreeNode* node);
  bool SortsByText() const { return sort_type_ == TSortType::stText || sort_type_ == TSortType::stBoth; }
  bool SortsByData() const { return sort_type_ == TSortType::stData || sort_type_ == TSortType::stBoth; }
  // Puts the children of `parent` (the top-level nodes when nil) in order, in the node tree
  // and in the window alike.
  void SortChildren(TTreeNode* parent, bool recurse);

 private:
  friend class TCustomDraw<TCustomTreeView, NMTVCUSTOMDRAW>;
  // The custom-draw stages the tree has events for.
  bool HasCustomDrawEvents() const;
  bool HasItemDrawEvents() const { return OnCustomDrawItem || OnAdvancedCustomDrawItem; }
  LRESULT PrePaint(NMTVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT PostPaint(NMTVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT ItemPrePaint(NMTVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT ItemPostPaint(NMTVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  // A node takes the canvas's font and colours before it is drawn only.
  bool StageTakesCanvas(DWORD stage) const { return stage == CDDS_ITEMPREPAINT; }

  static int CALLBACK CompareNodes(LPARAM a, LPARAM b, LPARAM tree);
  void GetDispInfo(NMHDR* h);
  // The caret moved to `node`: the selection follows as the keys held say.
  void SelectionChanged(TTreeNode* node);
  void MarkSelected(TTreeNode* node, bool selected);
  void ClearSelections(TTreeNode* keep);
  // Change() at once, or once ChangeDelay has passed without another change.
  void ChangeSoon(TTreeNode* node);
  void WMTimer(TMessage& m);
  TTreeNodes items_{this};
  int indent_ = 19;
  bool show_buttons_ = true;
  bool show_lines_ = true;
  bool show_root_ = true;
  bool row_select_ = false;
  bool hot_track_ = false;
  bool auto_expand_ = false;
  bool double_buffered_ = false;
  TTreeNode* selected_ = nullptr;  // kept over a new window
  // While the window goes (a new one follows, or the tree itself goes) its items' deletion
  // notifications are no deletion of nodes.
  bool window_going_ = false;
  // While the program expands or collapses a node (its events run from TTreeNode): some
  // systems notify of that expansion too, others do not.
  bool program_expand_ = false;
  TSortType sort_type_ = TSortType::stNone;
  bool multi_select_ = false;
  bool right_click_select_ = false;
  bool tool_tips_ = true;
  int change_delay_ = 0;
  bool change_waiting_ = false;
  // The nodes selected besides (or with) the caret's, and the node a Shift click runs from.
  std::vector<TTreeNode*> selections_;
  TTreeNode* anchor_ = nullptr;
  // Set while the images of a node are asked for (TVN_GETDISPINFO).
  bool answering_images_ = false;
};

}  // namespace forms
