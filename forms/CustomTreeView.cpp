// TCustomTreeView: the window's styles, the reflected notifications (selection, expansion,
// deletion, custom draw), hit tests, and the node tree put back into a window made anew.
#include "forms/CustomTreeView.h"

#include <algorithm>


namespace forms {

namespace {

THitTests HitTestsOf(UINT f) {
  THitTests r = 0;
  if (f & TVHT_ABOVE) r |= htAbove;
  if (f & TVHT_BELOW) r |= htBelow;
  if (f & TVHT_NOWHERE) r |= htNowhere;
  if (f & TVHT_ONITEMBUTTON) r |= htOnButton;
  if (f & TVHT_ONITEMICON) r |= htOnIcon;
  if (f & TVHT_ONITEMINDENT) r |= htOnIndent;
  if (f & TVHT_ONITEMLABEL) r |= htOnLabel;
  if (f & TVHT_ONITEMRIGHT) r |= htOnRight;
  if (f & TVHT_ONITEMSTATEICON) r |= htOnStateIcon;
  if (f & TVHT_TOLEFT) r |= htToLeft;
  if (f & TVHT_TORIGHT) r |= htToRight;
  if (f & TVHT_ONITEM) r |= htOnItem;
  return r;
}

// Each node of the tree in depth-first order.
template <typename F>
void ForEachNode(TTreeNodes& nodes, F f) {
  for (TTreeNode* n = nodes.GetFirstNode(); n; n = n->GetNext()) f(n);
}

// The tree's own timers have small numbers; this one holds back a selection change.
constexpr UINT_PTR kChangeDelayTimer = 0x4344;

}  // namespace

TCustomTreeView::TCustomTreeView(TComponent* owner) : TCustomSysView(owner, 120, 120) {}

TCustomTreeView::~TCustomTreeView() {
  BeginDestroy();
  // The window goes while this is still a tree view; its items' notifications then find a
  // tree that knows it is going.
  DestroyHandle();
}

void TCustomTreeView::CreateParams(TCreateParams& p) {
  TCustomSysView::CreateParams(p);
  CreateSubClass(p, WC_TREEVIEWA);
  p.Style |= WS_TABSTOP;
  if (show_buttons_) p.Style |= TVS_HASBUTTONS;
  if (show_lines_) p.Style |= TVS_HASLINES;
  if (show_root_) p.Style |= TVS_LINESATROOT;
  if (!read_only_) p.Style |= TVS_EDITLABELS;
  if (!hide_selection_) p.Style |= TVS_SHOWSELALWAYS;
  if (row_select_) p.Style |= TVS_FULLROWSELECT;
  if (hot_track_) p.Style |= TVS_TRACKSELECT;
  if (auto_expand_) p.Style |= TVS_SINGLEEXPAND;
  if (!tool_tips_) p.Style |= TVS_NOTOOLTIPS;
  if (border_style_ == TBorderStyle::bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateWnd() {
  TCustomSysView::CreateWnd();
  if (!handle_) return;
  // Notifications in their ANSI form, as the rest of the layer speaks.
  Send(TVM_SETUNICODEFORMAT, FALSE);
  if (double_buffered_) Send(TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
  ApplyColors();
  ApplyImages();
  Send(TVM_SETINDENT, static_cast<WPARAM>(indent_));
  TTreeNode* keep = selected_;
  for (auto& r : items_.roots_) items_.InsertWindowItems(r.get());
  if (keep) SetSelected(keep);
  if (items_.update_count_ > 0) Send(WM_SETREDRAW, FALSE);
}

void TCustomTreeView::DestroyWnd() {
  // The timer goes with the window: a change still held back is told now.
  const bool change_waiting = change_waiting_;
  change_waiting_ = false;
  if (handle_) {
    selected_ = Selected();
    indent_ = Indent();
    ForEachNode(items_, [](TTreeNode* n) { n->expanded_ = n->Expanded(); });
  }
  window_going_ = true;
  TCustomSysView::DestroyWnd();
  window_going_ = false;
  ForEachNode(items_, [](TTreeNode* n) { n->item_ = nullptr; });
  if (change_waiting && !IsDestroying()) Change(selected_);
}

DWORD TCustomTreeView::StyleMask() const {
  return TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS |
         TVS_FULLROWSELECT | TVS_TRACKSELECT | TVS_SINGLEEXPAND | TVS_NOTOOLTIPS;
}

void TCustomTreeView::ApplyColors() {
  Send(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  Send(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color())));
}

void TCustomTreeView::GiveImageList(bool state, HIMAGELIST list) {
  Send(TVM_SETIMAGELIST, state ? TVSIL_STATE : TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
}

int TCustomTreeView::Indent() const {
  return handle_ ? static_cast<int>(Send(TVM_GETINDENT)) : indent_;
}

void TCustomTreeView::SetIndent(int v) {
  indent_ = v < 0 ? 0 : v;
  Send(TVM_SETINDENT, static_cast<WPARAM>(indent_));
}

void TCustomTreeView::SetShowButtons(bool v) { show_buttons_ = v; ApplyStyle(); }
void TCustomTreeView::SetShowLines(bool v) { show_lines_ = v; ApplyStyle(); }
void TCustomTreeView::SetShowRoot(bool v) { show_root_ = v; ApplyStyle(); }
void TCustomTreeView::SetRowSelect(bool v) { row_select_ = v; ApplyStyle(); }
void TCustomTreeView::SetHotTrack(bool v) { hot_track_ = v; ApplyStyle(); }
void TCustomTreeView::SetAutoExpand(bool v) { auto_expand_ = v; ApplyStyle(); }

void TCustomTreeView::SetDoubleBuffered(bool v) {
  double_buffered_ = v;
  Send(TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, v ? TVS_EX_DOUBLEBUFFER : 0);
}

void TCustomTreeView::SetToolTips(bool v) {
  if (v == tool_tips_) return;
  tool_tips_ = v;
  // The tree makes its tip window when it is made; the style alone does not take it away.
  if (handle_) RecreateWnd();
}

// ---- several nodes selected -------------------------------------------------------------------

void TCustomTreeView::SetMultiSelect(bool v) {
  multi_select_ = v;
  if (!v) ClearSelections(nullptr);
  anchor_ = nullptr;
}

int TCustomTreeView::SelectionCount() const {
  if (!multi_select_) return Selected() ? 1 : 0;
  return static_cast<int>(selections_.size());
}

TTreeNode* TCustomTreeView::Selections(int index) const {
  if (!multi_select_) return index == 0 ? Selected() : nullptr;
  if (index < 0 || index >= static_cast<int>(selections_.size())) return nullptr;
  return selections_[static_cast<size_t>(index)];
}

void TCustomTreeView::MarkSelected(TTreeNode* node, bool selected) {
  if (!handle_ || !node || !node->item_) return;
  TVITEMA it{};
  it.mask = TVIF_STATE | TVIF_HANDLE;
  it.hItem = node->item_;
  it.stateMask = TVIS_SELECTED;
  it.state = selected ? TVIS_SELECTED : 0;
  Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TCustomTreeView::ClearSelections(TTreeNode* keep) {
  for (TTreeNode* n : selections_)
    if (n != keep) MarkSelected(n, false);
  selections_.clear();
  if (keep) selections_.push_back(keep);
}

void TCustomTreeView::SelectionChanged(TTreeNode* node) {
  if (!multi_select_ || !node) return;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (shift && anchor_) {
    // The shown nodes between the two, whichever lies above.
    std::vector<TTreeNode*> range;
    for (int direction : {TVGN_NEXTVISIBLE, TVGN_PREVIOUSVISIBLE}) {
      range.assign(1, anchor_);
      HTREEITEM h = anchor_->item_;
      while (h && range.back() != node) {
        h = reinterpret_cast<HTREEITEM>(
            Send(TVM_GETNEXTITEM, static_cast<WPARAM>(direction), reinterpret_cast<LPARAM>(h)));
        if (TTreeNode* n = NodeOf(h)) range.push_back(n);
      }
      if (range.back() == node) break;
    }
    if (range.back() != node) range.assign(1, node);
    ClearSelections(nullptr);
    selections_ = range;
  } else if (ctrl) {
    auto at = std::find(selections_.begin(), selections_.end(), node);
    if (at != selections_.end()) selections_.erase(at);
    else selections_.push_back(node);
    anchor_ = node;
  } else {
    ClearSelections(node);
    anchor_ = node;
  }
  // The system takes the mark off the node the caret left.
  for (TTreeNode* n : selections_) MarkSelected(n, true);
}

void TCustomTreeView::ChangeSoon(TTreeNode* node) {
  if (change_delay_ <= 0 || !handle_) {
    Change(node);
    return;
  }
  // A new change starts the wait again.
  SetTimer(handle_, kChangeDelayTimer, static_cast<UINT>(change_delay_), nullptr);
  change_waiting_ = true;
}

void TCustomTreeView::WMTimer(TMessage& m) {
  if (m.WParam != kChangeDelayTimer) {
    DefaultHandler(m);
    return;
  }
  KillTimer(handle_, kChangeDelayTimer);
  if (!change_waiting_) return;
  change_waiting_ = false;
  Change(Selected());
}

TTreeNode* TCustomTreeView::NodeOf(HTREEITEM item) const {
  if (!item || !handle_) return nullptr;
  TVITEMA it{};
  it.mask = TVIF_PARAM | TVIF_HANDLE;
  it.hItem = item;
  if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
  return reinterpret_cast<TTreeNode*>(it.lParam);
}

void TCustomTreeView::NodeGoing(TTreeNode* node) {
  if (selected_ && (selected_ == node || selected_->IsDescendantOf(node))) selected_ = nullptr;
  if (anchor_ && (anchor_ == node || anchor_->IsDescendantOf(node))) anchor_ = nullptr;
  std::erase_if(selections_,
                [node](TTreeNode* n) { return n == node || n->IsDescendantOf(node); });
  // With a window the deletion notifications of its items announce the nodes.
  if (handle_ || !OnDeletion) return;
  OnDeletion(this, node);
  for (TTreeNode* n = node->GetFirstChild(); n && n->IsDescendantOf(node); n = n->GetNext())
    OnDeletion(this, n);
}

TTreeNode* TCustomTreeView::Selected() const {
  if (!handle_) return selected_;
  return NodeOf(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET)));
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (node && node->TreeView() != this) return;
  selected_ = node;
  if (handle_) Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
  return NodeOf(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE)));
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const {
  if (!handle_) return nullptr;
  TVHITTESTINFO ht{};
  ht.pt = POINT{x, y};
  Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
  UINT on = TVHT_ONITEM;
  if (row_select_) on |= TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT;
  return (ht.flags & on) ? NodeOf(ht.hItem) : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(int x, int y) const {
  if (!handle_) return htNowhere;
  TVHITTESTINFO ht{};
  ht.pt = POINT{x, y};
  Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
  return HitTestsOf(ht.flags);
}

void TCustomTreeView::FullExpand() {
  for (auto& r : items_.roots_) r->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (auto& r : items_.roots_) r->Collapse(true);
}

int CALLBACK TCustomTreeView::CompareNodes(LPARAM a, LPARAM b, LPARAM tree) {
  auto* self = reinterpret_cast<TCustomTreeView*>(tree);
  auto* node1 = reinterpret_cast<TTreeNode*>(a);
  auto* node2 = reinterpret_cast<TTreeNode*>(b);
  if (self->OnCompare) {
    int compare = 0;
    self->OnCompare(self, node1, node2, 0, compare);
    return compare;
  }
  return lstrcmpiA(node1->text_.c_str(), node2->text_.c_str());
}

void TCustomTreeView::SortChildren(TTreeNode* parent, bool recurse) {
  auto& v = items_.SiblingsOf(parent);
  const auto self = reinterpret_cast<LPARAM>(this);
  if (handle_ && (!parent || parent->item_)) {
    TVSORTCB cb{};
    cb.hParent = parent ? parent->item_ : TVI_ROOT;
    cb.lpfnCompare = &CompareNodes;
    cb.lParam = self;
    Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&cb));
    // Take the order the window now has.
    auto h = reinterpret_cast<HTREEITEM>(
        parent ? Send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent->item_))
               : Send(TVM_GETNEXTITEM, TVGN_ROOT));
    for (size_t i = 0; h && i < v.size(); ++i) {
      TTreeNode* node = NodeOf(h);
      auto at = std::find_if(v.begin() + static_cast<std::ptrdiff_t>(i), v.end(),
                             [node](const auto& p) { return p.get() == node; });
      if (at != v.end()) std::iter_swap(v.begin() + static_cast<std::ptrdiff_t>(i), at);
      h = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(h)));
    }
  } else {
    std::stable_sort(v.begin(), v.end(), [self](const auto& a, const auto& b) {
      return CompareNodes(reinterpret_cast<LPARAM>(a.get()), reinterpret_cast<LPARAM>(b.get()),
                          self) < 0;
    });
  }
  if (!recurse) return;
  for (auto& c : v)
    if (c->HasChildren()) SortChildren(c.get(), true);
}

void TCustomTreeView::AlphaSort(bool recurse) { SortChildren(nullptr, recurse); }

void TCustomTreeView::SetSortType(TSortType v) {
  if (v == sort_type_) return;
  sort_type_ = v;
  if (v != TSortType::stNone) AlphaSort(true);
}

void TCustomTreeView::GetImageIndex(TTreeNode* node) {
  if (OnGetImageIndex) OnGetImageIndex(this, node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node) {
  bool allow = true;
  if (OnEditing) OnEditing(this, node, allow);
  return allow;
}

void TCustomTreeView::Edit(TTreeNode* node, std::string& text) {
  if (OnEdited) OnEdited(this, node, text);
}

void TCustomTreeView::GetDispInfo(NMHDR* h) {
  // The A and W forms differ only in the text's character size; only pictures are asked for.
  TVITEMA& it = reinterpret_cast<NMTVDISPINFOA*>(h)->item;
  auto* n = reinterpret_cast<TTreeNode*>(it.lParam);
  if (!n) n = NodeOf(it.hItem);
  if (!n) return;
  answering_images_ = true;
  if (it.mask & TVIF_IMAGE) {
    GetImageIndex(n);
    it.iImage = n->image_index_ < 0 ? I_IMAGENONE : n->image_index_;
  }
  if (it.mask & TVIF_SELECTEDIMAGE) {
    GetSelectedIndex(n);
    it.iSelectedImage = n->selected_index_ < 0 ? I_IMAGENONE : n->selected_index_;
  }
  answering_images_ = false;
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}

void TCustomTreeView::WndProc(TMessage& m) {
  const bool right = m.Msg == WM_RBUTTONDOWN || m.Msg == WM_RBUTTONDBLCLK;
  if (handle_ && (right || m.Msg == WM_LBUTTONDOWN)) {
    const int x = static_cast<short>(LOWORD(m.LParam));
    const int y = static_cast<short>(HIWORD(m.LParam));
    if (right && right_click_select_) {
      if (TTreeNode* node = GetNodeAt(x, y)) SetSelected(node);
    }
    // A plain click on the caret's own node moves no caret, and so tells no change: the
    // other selected nodes are let go here.
    if (m.Msg == WM_LBUTTONDOWN && multi_select_ && !(m.WParam & (MK_CONTROL | MK_SHIFT))) {
      TTreeNode* node = GetNodeAt(x, y);
      if (node && node == Selected()) {
        ClearSelections(node);
        anchor_ = node;
      }
    }
  }
  TCustomSysView::WndProc(m);
}

void TCustomTreeView::Dispatch(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    CNNotify(m);
    return;
  }
  if (m.Msg == WM_TIMER) {
    WMTimer(m);
    return;
  }
  TCustomSysView::Dispatch(m);
}

bool TCustomTreeView::HasCustomDrawEvents() const {
  return OnCustomDraw || OnAdvancedCustomDraw || HasItemDrawEvents();
}

LRESULT TCustomTreeView::PrePaint(NMTVCUSTOMDRAW& cd, TCustomDrawState, bool& default_draw) {
  PrePaintEvents(default_draw, OnCustomDraw, OnAdvancedCustomDraw, this, cd.nmcd.rc);
  return PrePaintAnswer(default_draw, HasItemDrawEvents() ? CDRF_NOTIFYITEMDRAW : 0,
                        bool(OnAdvancedCustomDraw));
}

LRESULT TCustomTreeView::PostPaint(NMTVCUSTOMDRAW& cd, TCustomDrawState, bool& default_draw) {
  PostPaintEvent(default_draw, OnAdvancedCustomDraw, this, cd.nmcd.rc);
  return CDRF_DODEFAULT;
}

LRESULT TCustomTreeView::ItemPrePaint(NMTVCUSTOMDRAW& cd, TCustomDrawState state,
                                      bool& default_draw) {
  auto* node = reinterpret_cast<TTreeNode*>(cd.nmcd.lItemlParam);
  if (!node) return CDRF_DODEFAULT;
  PrePaintEvents(default_draw, OnCustomDrawItem, OnAdvancedCustomDrawItem, this, node, state);
  return PrePaintAnswer(default_draw, 0, bool(OnAdvancedCustomDrawItem));
}

LRESULT TCustomTreeView::ItemPostPaint(NMTVCUSTOMDRAW& cd, TCustomDrawState state,
                                       bool& default_draw) {
  auto* node = reinterpret_cast<TTreeNode*>(cd.nmcd.lItemlParam);
  if (node) PostPaintEvent(default_draw, OnAdvancedCustomDrawItem, this, node, state);
  return CDRF_DODEFAULT;
}

void TCustomTreeView::CNNotify(TMessage& m) {
  auto* h = reinterpret_cast<NMHDR*>(m.LParam);
  // The A and W forms of these notifications differ only in their text pointers.
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(h);
  auto node_new = [&] { return reinterpret_cast<TTreeNode*>(nm->itemNew.lParam); };
  switch (h->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: {
      if (window_going_) return;
      bool allow = true;
      if (OnChanging) OnChanging(this, node_new(), allow);
      m.Result = allow ? FALSE : TRUE;
      return;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      if (window_going_) return;
      selected_ = node_new();
      SelectionChanged(selected_);
      ChangeSoon(selected_);
      return;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      if (program_expand_) return;
      if (nm->action & TVE_EXPAND) m.Result = CanExpand(node_new()) ? FALSE : TRUE;
      else if (nm->action & TVE_COLLAPSE) m.Result = CanCollapse(node_new()) ? FALSE : TRUE;
      return;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      if (TTreeNode* n = node_new()) {
        n->expanded_ = (nm->action & TVE_EXPAND) != 0;
        if (program_expand_) return;
        if (nm->action & TVE_EXPAND) Expand(n);
        else if (nm->action & TVE_COLLAPSE) Collapse(n);
      }
      return;
    case NM_CUSTOMDRAW:
      m.Result = CustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(h));
      return;
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW:
      GetDispInfo(h);
      return;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto& it = reinterpret_cast<NMTVDISPINFOA*>(h)->item;
      auto* n = reinterpret_cast<TTreeNode*>(it.lParam);
      if (!n) n = NodeOf(it.hItem);
      m.Result = n && CanEdit(n) ? FALSE : TRUE;  // TRUE: no edit
      return;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
      // The text the user typed; none when the edit was cancelled.
      auto& it = reinterpret_cast<NMTVDISPINFOA*>(h)->item;
      auto* n = reinterpret_cast<TTreeNode*>(it.lParam);
      if (!n) n = NodeOf(it.hItem);
      if (!n || !it.pszText) return;
      std::string typed;
      if (h->code == TVN_ENDLABELEDITW) {
        auto* w = reinterpret_cast<const wchar_t*>(it.pszText);
        int len = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
        typed.assign(static_cast<size_t>(len > 0 ? len - 1 : 0), '\0');
        if (len > 1) WideCharToMultiByte(CP_ACP, 0, w, -1, typed.data(), len, nullptr, nullptr);
      } else {
        typed = it.pszText;
      }
      std::string text = typed;
      Edit(n, text);
      n->text_ = text;
      if (text == typed) {
        m.Result = TRUE;  // the window keeps the text typed
      } else {
        m.Result = FALSE;  // the handler's text instead
        n->ApplyItem(TVIF_TEXT);
      }
      if (SortsByText()) SortChildren(n->parent_, false);
      return;
    }
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: {
      if (window_going_) return;
      auto* n = reinterpret_cast<TTreeNode*>(nm->itemOld.lParam);
      if (!n) return;
      n->item_ = nullptr;
      if (OnDeletion) OnDeletion(this, n);
      return;
    }
    default:
      DefaultHandler(m);
  }
}

}  // namespace forms
