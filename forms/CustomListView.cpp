// TCustomListView: the window's styles, the reflected notifications (rows on demand, custom
// draw, column clicks, selection changes) and hit tests.
#include "forms/CustomListView.h"

#include <algorithm>


namespace forms {

namespace {

// Text for a callback item, in the form the notification asked for.
void CopyText(const std::string& text, bool wide, void* buffer, int size) {
  if (!buffer || size <= 0) return;
  if (!wide) {
    lstrcpynA(static_cast<char*>(buffer), text.c_str(), size);
    return;
  }
  auto* out = static_cast<wchar_t*>(buffer);
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
  size_t len = std::min(w.size(), static_cast<size_t>(size - 1));
  std::copy_n(w.data(), len, out);
  out[len] = L'\0';
}

std::string NarrowText(const wchar_t* w) {
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
  return s;
}

TSearchDirection DirectionOf(UINT vk) {
  switch (vk) {
    case VK_LEFT: return TSearchDirection::sdLeft;
    case VK_RIGHT: return TSearchDirection::sdRight;
    case VK_UP: return TSearchDirection::sdAbove;
    case VK_DOWN: return TSearchDirection::sdBelow;
    default: return TSearchDirection::sdAll;
  }
}

THitTests HitTestsOf(UINT f) {
  THitTests r = 0;
  if (f & LVHT_ABOVE) r |= htAbove;
  if (f & LVHT_BELOW) r |= htBelow;
  if (f & LVHT_NOWHERE) r |= htNowhere;
  if (f & LVHT_ONITEMICON) r |= htOnIcon;
  if (f & LVHT_ONITEMLABEL) r |= htOnLabel;
  if (f & LVHT_ONITEMSTATEICON) r |= htOnStateIcon;
  if (f & LVHT_TOLEFT) r |= htToLeft;
  if (f & LVHT_TORIGHT) r |= htToRight;
  if (f & LVHT_ONITEM) r |= htOnItem;
  return r;
}

}  // namespace

TCustomListView::TCustomListView(TComponent* owner) : TCustomSysView(owner, 250, 150) {}

TCustomListView::~TCustomListView() {
  BeginDestroy();
  // The window goes while this is still a list view: it notifies as its rows go.
  DestroyHandle();
}

void TCustomListView::CreateParams(TCreateParams& p) {
  TCustomSysView::CreateParams(p);
  CreateSubClass(p, WC_LISTVIEWA);
  // The image lists are ours to free.
  p.Style |= WS_TABSTOP | LVS_SHAREIMAGELISTS;
  switch (view_style_) {
    case TViewStyle::vsIcon: p.Style |= LVS_ICON; break;
    case TViewStyle::vsSmallIcon: p.Style |= LVS_SMALLICON; break;
    case TViewStyle::vsList: p.Style |= LVS_LIST; break;
    case TViewStyle::vsReport: p.Style |= LVS_REPORT; break;
  }
  if (!multi_select_) p.Style |= LVS_SINGLESEL;
  if (!hide_selection_) p.Style |= LVS_SHOWSELALWAYS;
  if (!read_only_) p.Style |= LVS_EDITLABELS;
  if (owner_data_) p.Style |= LVS_OWNERDATA;
  if (owner_draw_ && view_style_ == TViewStyle::vsReport) p.Style |= LVS_OWNERDRAWFIXED;
  if (!show_column_headers_) p.Style |= LVS_NOCOLUMNHEADER;
  if (border_style_ == TBorderStyle::bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd() {
  TCustomSysView::CreateWnd();
  if (!handle_) return;
  // Notifications in their ANSI form, as the rest of the layer speaks.
  Send(LVM_SETUNICODEFORMAT, FALSE);
  // State pictures are asked for like texts, so owner-data rows can have them.
  Send(LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK);
  ApplyExtendedStyle();
  ApplyColors();
  ApplyImages();
  for (int i = 0; i < columns_.Count(); ++i) columns_[i]->Apply(true);
  if (owner_data_) {
    Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(items_.data_count_), 0);
  } else {
    for (int i = 0; i < static_cast<int>(items_.items_.size()); ++i) InsertItemWindow(i);
  }
  if (items_.update_count_ > 0) Send(WM_SETREDRAW, FALSE);
}

void TCustomListView::DestroyWnd() {
  // Keep the widths the user dragged for the next window.
  for (int i = 0; i < columns_.Count(); ++i) columns_[i]->width_ = columns_[i]->Width();
  TCustomSysView::DestroyWnd();
}

void TCustomListView::InsertItemWindow(int index) {
  if (!handle_ || owner_data_) return;
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  it.iItem = index;
  it.pszText = LPSTR_TEXTCALLBACKA;
  it.iImage = I_IMAGECALLBACK;
  it.lParam = reinterpret_cast<LPARAM>(items_.items_[index].get());
  Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  SetSubItemCallbacks(index, 1);
}

void TCustomListView::SetSubItemCallbacks(int item, int first_column) {
  for (int c = first_column; c < columns_.Count(); ++c) {
    LVITEMA it{};
    it.iSubItem = c;
    it.pszText = LPSTR_TEXTCALLBACKA;
    Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
  }
}

void TCustomListView::ColumnAdded(int column) {
  if (!handle_ || owner_data_ || column == 0) return;
  for (int i = 0; i < static_cast<int>(items_.items_.size()); ++i) {
    LVITEMA it{};
    it.iSubItem = column;
    it.pszText = LPSTR_TEXTCALLBACKA;
    Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
  }
}

DWORD TCustomListView::StyleMask() const {
  return LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_NOCOLUMNHEADER;
}

void TCustomListView::ApplyExtendedStyle() {
  DWORD bits = 0;
  if (row_select_) bits |= LVS_EX_FULLROWSELECT;
  if (grid_lines_) bits |= LVS_EX_GRIDLINES;
  if (checkboxes_) bits |= LVS_EX_CHECKBOXES;
  if (double_buffered_) bits |= LVS_EX_DOUBLEBUFFER;
  if (flat_scroll_bars_) bits |= LVS_EX_FLATSB;
  const DWORD mask = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                     LVS_EX_DOUBLEBUFFER | LVS_EX_FLATSB;
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, bits);
}

void TCustomListView::ApplyColors() {
  COLORREF back = ColorToRGB(Color());
  Send(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
  Send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
  Send(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color())));
}

void TCustomListView::GiveImageList(bool state, HIMAGELIST list) {
  if (state && !list && checkboxes_) {
    // Without pictures of its own a list with check boxes keeps the system's. When it showed
    // the program's until now (that copy is about to go), the style switched on anew makes
    // the system's boxes again.
    const auto shown = reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_STATE));
    if (shown && shown == images_.StateCopy()) {
      Send(LVM_SETIMAGELIST, LVSIL_STATE, 0);
      Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, 0);
      Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    }
    return;
  }
  Send(LVM_SETIMAGELIST, state ? LVSIL_STATE : LVSIL_SMALL, reinterpret_cast<LPARAM>(list));
}

void TCustomListView::SetViewStyle(TViewStyle v) {
  if (v == view_style_) return;
  view_style_ = v;
  if (owner_draw_) RecreateWnd();
  else ApplyStyle();
}

void TCustomListView::SetOwnerData(bool v) {
  if (v == owner_data_) return;
  items_.Clear();
  owner_data_ = v;
  items_.data_count_ = 0;
  DropDataCache();
  // The system fixes owner-data mode when the window is made.
  RecreateWnd();
}

void TCustomListView::SetOwnerDraw(bool v) {
  if (v == owner_draw_) return;
  owner_draw_ = v;
  RecreateWnd();
}

void TCustomListView::SetMultiSelect(bool v) { multi_select_ = v; ApplyStyle(); }
void TCustomListView::SetShowColumnHeaders(bool v) { show_column_headers_ = v; ApplyStyle(); }
void TCustomListView::SetRowSelect(bool v) { row_select_ = v; ApplyExtendedStyle(); }
void TCustomListView::SetGridLines(bool v) { grid_lines_ = v; ApplyExtendedStyle(); }
void TCustomListView::SetCheckboxes(bool v) { checkboxes_ = v; ApplyExtendedStyle(); }
void TCustomListView::SetDoubleBuffered(bool v) { double_buffered_ = v; ApplyExtendedStyle(); }

void TCustomListView::SetFlatScrollBars(bool v) {
  if (v == flat_scroll_bars_) return;
  flat_scroll_bars_ = v;
  // A window that once had the flat bars may keep them: a new window drops them.
  if (!v) RecreateWnd();
  else ApplyExtendedStyle();
}

HWND TCustomListView::HeaderHandle() {
  return reinterpret_cast<HWND>(Send(LVM_GETHEADER));
}

TListItem* TCustomListView::ItemAt(int index) {
  if (index < 0 || index >= items_.Count()) return nullptr;
  if (!owner_data_) return items_.items_[index].get();
  // The system asks for each column of a row in turn: one OnData per row drawn.
  if (data_index_ != index) {
    data_item_.Reset(index);
    data_index_ = index;
    if (OnData) OnData(this, &data_item_);
  }
  return &data_item_;
}

TListItem* TCustomListView::Selected() {
  int i = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return i >= 0 ? items_.Items(i) : nullptr;
}

void TCustomListView::SetSelected(TListItem* item) {
  ClearSelection();
  if (!item) return;
  item->SetSelected(true);
  item->SetFocused(true);
}

int TCustomListView::ItemIndex() {
  if (!handle_) return -1;
  return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TCustomListView::SetItemIndex(int index) {
  ClearSelection();
  if (index < 0 || index >= items_.Count()) return;
  TListItem* item = items_.Items(index);
  item->SetSelected(true);
  item->SetFocused(true);
}

TListItem* TCustomListView::ItemFocused() {
  int i = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  return i >= 0 && handle_ ? items_.Items(i) : nullptr;
}

void TCustomListView::SetItemFocused(TListItem* item) {
  if (item) item->SetFocused(true);
}

int TCustomListView::SelCount() { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }

void TCustomListView::ClearSelection() {
  if (!handle_) return;
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
}

TListItem* TCustomListView::TopItem() {
  if (!handle_) return nullptr;
  return items_.Items(static_cast<int>(Send(LVM_GETTOPINDEX)));
}

int TCustomListView::VisibleRowCount() { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE)); }

TListItem* TCustomListView::GetItemAt(int x, int y) {
  if (!handle_) return nullptr;
  LVHITTESTINFO ht{};
  ht.pt = POINT{x, y};
  int i = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
  if (i >= 0 && (ht.flags & LVHT_ONITEM)) return items_.Items(i);
  if (view_style_ != TViewStyle::vsReport) return nullptr;
  // In a report a row reaches across all columns: a point right of the label still lies on it.
  for (int top = static_cast<int>(Send(LVM_GETTOPINDEX)), n = items_.Count(), k = 0;
       top + k < n && k <= VisibleRowCount(); ++k) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!Send(LVM_GETITEMRECT, static_cast<WPARAM>(top + k), reinterpret_cast<LPARAM>(&r))) break;
    if (y >= r.top && y < r.bottom && x >= r.left && x < r.right) return items_.Items(top + k);
  }
  return nullptr;
}

THitTests TCustomListView::GetHitTestInfoAt(int x, int y) {
  if (!handle_) return htNowhere;
  LVHITTESTINFO ht{};
  ht.pt = POINT{x, y};
  Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
  return HitTestsOf(ht.flags);
}

void TCustomListView::Scroll(int dx, int dy) { Send(LVM_SCROLL, static_cast<WPARAM>(dx), dy); }

void TCustomListView::UpdateItems(int first, int last) {
  DropDataCache();
  Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
}

int CALLBACK TCustomListView::CompareItems(LPARAM a, LPARAM b, LPARAM list) {
  auto* self = reinterpret_cast<TCustomListView*>(list);
  auto* item1 = reinterpret_cast<TListItem*>(a);
  auto* item2 = reinterpret_cast<TListItem*>(b);
  if (self->OnCompare) {
    int compare = 0;
    self->OnCompare(self, item1, item2, 0, compare);
    return compare;
  }
  return lstrcmpiA(item1->Caption().c_str(), item2->Caption().c_str());
}

bool TCustomListView::AlphaSort() {
  if (owner_data_) return false;
  auto& v = items_.items_;
  const auto self = reinterpret_cast<LPARAM>(this);
  if (handle_) {
    Send(LVM_SORTITEMS, static_cast<WPARAM>(self), reinterpret_cast<LPARAM>(&CompareItems));
    // Take the order the window now has.
    for (size_t i = 0; i < v.size(); ++i) {
      LVITEMA it{};
      it.mask = LVIF_PARAM;
      it.iItem = static_cast<int>(i);
      Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
      auto* item = reinterpret_cast<TListItem*>(it.lParam);
      auto at = std::find_if(v.begin() + static_cast<std::ptrdiff_t>(i), v.end(),
                             [item](const auto& p) { return p.get() == item; });
      if (at != v.end()) std::iter_swap(v.begin() + static_cast<std::ptrdiff_t>(i), at);
    }
  } else {
    std::stable_sort(v.begin(), v.end(), [self](const auto& a, const auto& b) {
      return CompareItems(reinterpret_cast<LPARAM>(a.get()), reinterpret_cast<LPARAM>(b.get()),
                          self) < 0;
    });
  }
  items_.Renumber(0);
  return true;
}

void TCustomListView::ColClick(TListColumn* column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

void TCustomListView::ColRightClick(TListColumn* column, POINT point) {
  if (OnColumnRightClick) OnColumnRightClick(this, column, point);
}

int TCustomListView::OwnerDataFind(TItemFind find, const std::string& find_string,
                                   POINT position, void* find_data, int start_index,
                                   TSearchDirection direction, bool wrap) {
  int index = -1;
  if (OnDataFind)
    OnDataFind(this, find, find_string, position, find_data, start_index, direction, wrap,
               index);
  return index;
}

void TCustomListView::OwnerDataHint(int start_index, int end_index) {
  if (OnDataHint) OnDataHint(this, start_index, end_index);
}

void TCustomListView::OwnerDataStateChange(int start_index, int end_index,
                                           TItemStates old_state, TItemStates new_state) {
  if (OnDataStateChange) OnDataStateChange(this, start_index, end_index, old_state, new_state);
}

void TCustomListView::HeaderRightClick() {
  HWND header = HeaderHandle();
  DWORD at = GetMessagePos();
  POINT screen{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  HDHITTESTINFO ht{};
  ht.pt = screen;
  ::ScreenToClient(header, &ht.pt);
  int index = static_cast<int>(SendMessageA(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
  if (index < 0 || !(ht.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN))) return;
  TListColumn* column = columns_[index];
  if (!column) return;
  POINT p = screen;
  ::ScreenToClient(handle_, &p);
  ColRightClick(column, p);
}

void TCustomListView::Dispatch(TMessage& m) {
  // The row OnData filled serves the requests of one message (a paint asks for each cell);
  // by the next message the program's data may have changed.
  if (m.Msg != CN_NOTIFY && m.Msg != CN_DRAWITEM) DropDataCache();
  switch (m.Msg) {
    case CN_NOTIFY:
      CNNotify(m);
      return;
    case CN_DRAWITEM:
      CNDrawItem(m);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (KeptCheckBoxes())
        ToggleCheckAt(static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
      TCustomSysView::Dispatch(m);
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE && KeptCheckBoxes())
        if (TListItem* item = ItemFocused()) item->SetChecked(!item->Checked());
      TCustomSysView::Dispatch(m);
      return;
    case WM_NOTIFY: {
      TCustomSysView::Dispatch(m);
      auto* h = reinterpret_cast<const NMHDR*>(m.LParam);
      if (!h || h->hwndFrom != HeaderHandle()) return;
      if (h->code == HDN_ITEMCHANGEDA || h->code == HDN_ITEMCHANGEDW)
        HeaderChanged(reinterpret_cast<const NMHEADERA*>(h));
      else if (h->code == static_cast<UINT>(NM_RCLICK))
        HeaderRightClick();
      return;
    }
    default:
      TCustomSysView::Dispatch(m);
  }
}

bool TCustomListView::KeptCheckBoxes() const {
  return checkboxes_ && !owner_data_ && !StateImages() && view_style_ == TViewStyle::vsReport;
}

void TCustomListView::ToggleCheckAt(int x, int y) {
  if (!(GetHitTestInfoAt(x, y) & htOnStateIcon)) return;
  if (TListItem* item = GetItemAt(x, y)) {
    item->SetChecked(!item->Checked());
    if (OnChange) OnChange(this, item, TItemChange::ctState);
  }
}

void TCustomListView::HeaderChanged(const NMHEADERA* nm) {
  if (!nm->pitem || !(nm->pitem->mask & HDI_WIDTH)) return;
  TListColumn* c = columns_[nm->iItem];
  if (!c) return;
  int w = nm->pitem->cxy;
  if (c->MinWidth() && w < c->MinWidth()) c->SetWidth(c->MinWidth());
  else if (c->MaxWidth() && w > c->MaxWidth()) c->SetWidth(c->MaxWidth());
}

void TCustomListView::CMMouseEnter(TMessage&) {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TCustomListView::CMMouseLeave(TMessage&) {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TCustomListView::CNNotify(TMessage& m) {
  auto* h = reinterpret_cast<NMHDR*>(m.LParam);
  switch (h->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:
      GetDispInfo(h);
      return;
    case NM_CUSTOMDRAW:
      m.Result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(h));
      return;
    case LVN_COLUMNCLICK:
      if (TListColumn* c = columns_[reinterpret_cast<NMLISTVIEW*>(h)->iSubItem]) ColClick(c);
      return;
    case LVN_ITEMCHANGING: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(h);
      if ((nm->uChanged & LVIF_STATE) && OnChanging) {
        bool allow = true;
        OnChanging(this, ItemAt(nm->iItem), TItemChange::ctState, allow);
        m.Result = allow ? FALSE : TRUE;
      }
      return;
    }
    case LVN_ITEMCHANGED:
      ItemChanged(reinterpret_cast<NMLISTVIEW*>(h));
      return;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
      // Type-ahead in owner-data mode: the rows are the program's, so OnDataFind finds them.
      m.Result = FindItem(h);
      return;
    case LVN_ODCACHEHINT: {
      auto* nm = reinterpret_cast<NMLVCACHEHINT*>(h);
      OwnerDataHint(nm->iFrom, nm->iTo);
      return;
    }
    case LVN_ODSTATECHANGED: {
      auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(h);
      OwnerDataStateChange(nm->iFrom, nm->iTo, ItemStatesOf(nm->uOldState),
                           ItemStatesOf(nm->uNewState));
      return;
    }
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
      // The caption the user typed; none when the edit was cancelled.
      auto& it = reinterpret_cast<NMLVDISPINFOA*>(h)->item;
      TListItem* item = owner_data_ ? nullptr : ItemAt(it.iItem);
      if (!item || !it.pszText) return;
      item->caption_ = h->code == LVN_ENDLABELEDITW
                           ? NarrowText(reinterpret_cast<const wchar_t*>(it.pszText))
                           : std::string(it.pszText);
      m.Result = FALSE;  // the text stays a callback, answered from the item
      item->Update();
      return;
    }
    default:
      DefaultHandler(m);
  }
}

LRESULT TCustomListView::FindItem(NMHDR* h) {
  // The A and W forms differ only in the text's character size. Wine sends the W form
  // whatever format the list was told to speak.
  auto* nm = reinterpret_cast<NMLVFINDITEMA*>(h);
  const LVFINDINFOA& f = nm->lvfi;
  TItemFind find = TItemFind::ifExactString;
  if (f.flags & LVFI_PARAM) find = TItemFind::ifData;
  else if (f.flags & LVFI_NEARESTXY) find = TItemFind::ifNearest;
  else if (f.flags & LVFI_PARTIAL) find = TItemFind::ifPartialString;
  std::string text;
  if (f.psz && (find == TItemFind::ifExactString || find == TItemFind::ifPartialString))
    text = h->code == LVN_ODFINDITEMW ? NarrowText(reinterpret_cast<const wchar_t*>(f.psz))
                                      : std::string(f.psz);
  int found = OwnerDataFind(find, text, f.pt, reinterpret_cast<void*>(f.lParam), nm->iStart,
                            DirectionOf(f.vkDirection), (f.flags & LVFI_WRAP) != 0);
  // A row that is not there would have the list jump to nowhere.
  return found >= 0 && found < items_.Count() ? found : -1;
}

void TCustomListView::GetDispInfo(NMHDR* h) {
  // The A and W forms differ only in the text's character size.
  LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(h)->item;
  TListItem* item = ItemAt(it.iItem);
  if (!item) return;
  if (it.mask & LVIF_TEXT) {
    static const std::string empty;
    const std::string* text = &empty;
    if (it.iSubItem == 0) text = &item->Caption();
    else if (it.iSubItem - 1 < static_cast<int>(item->SubItems().size()))
      text = &item->SubItems()[static_cast<size_t>(it.iSubItem - 1)];
    CopyText(*text, h->code == LVN_GETDISPINFOW, it.pszText, it.cchTextMax);
  }
  if ((it.mask & LVIF_IMAGE) && it.iSubItem == 0)
    it.iImage = item->ImageIndex() < 0 ? I_IMAGENONE : item->ImageIndex();
  if ((it.mask & LVIF_STATE) && (it.stateMask & LVIS_STATEIMAGEMASK)) {
    it.state &= ~LVIS_STATEIMAGEMASK;
    // A list view's state number is one more than the picture's index (0 is none).
    int index = item->StateIndex();
    // The system's check boxes: a row that says nothing shows an empty box.
    if (index < 0 && checkboxes_ && !StateImages()) index = 0;
    if (index >= 0 && index < 15)
      it.state |= INDEXTOSTATEIMAGEMASK(static_cast<UINT>(index + 1));
  }
  if (it.mask & LVIF_INDENT) it.iIndent = 0;
}

void TCustomListView::ItemChanged(const NMLISTVIEW* nm) {
  if (!(nm->uChanged & LVIF_STATE)) return;
  TListItem* item = ItemAt(nm->iItem);
  if (OnChange) OnChange(this, item, TItemChange::ctState);
  bool was = (nm->uOldState & LVIS_SELECTED) != 0;
  bool now = (nm->uNewState & LVIS_SELECTED) != 0;
  if (was != now && OnSelectItem) OnSelectItem(this, ItemAt(nm->iItem), now);
}

bool TCustomListView::HasCustomDrawEvents() const {
  return OnCustomDraw || OnAdvancedCustomDraw || HasItemDrawEvents() || HasSubItemDrawEvents();
}

bool TCustomListView::HasItemDrawEvents() const {
  return OnCustomDrawItem || OnAdvancedCustomDrawItem;
}

bool TCustomListView::HasSubItemDrawEvents() const {
  return OnCustomDrawSubItem || OnAdvancedCustomDrawSubItem;
}

LRESULT TCustomListView::PrePaint(NMLVCUSTOMDRAW& cd, TCustomDrawState, bool& default_draw) {
  PrePaintEvents(default_draw, OnCustomDraw, OnAdvancedCustomDraw, this, cd.nmcd.rc);
  const bool rows = HasItemDrawEvents() || HasSubItemDrawEvents();
  return PrePaintAnswer(default_draw, rows ? CDRF_NOTIFYITEMDRAW : 0, bool(OnAdvancedCustomDraw));
}

LRESULT TCustomListView::PostPaint(NMLVCUSTOMDRAW& cd, TCustomDrawState, bool& default_draw) {
  PostPaintEvent(default_draw, OnAdvancedCustomDraw, this, cd.nmcd.rc);
  return CDRF_DODEFAULT;
}

LRESULT TCustomListView::ItemPrePaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state,
                                      bool& default_draw) {
  TListItem* item = ItemAt(static_cast<int>(cd.nmcd.dwItemSpec));
  PrePaintEvents(default_draw, OnCustomDrawItem, OnAdvancedCustomDrawItem, this, item, state);
  return PrePaintAnswer(default_draw, HasSubItemDrawEvents() ? CDRF_NOTIFYSUBITEMDRAW : 0,
                        bool(OnAdvancedCustomDrawItem));
}

LRESULT TCustomListView::ItemPostPaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state,
                                       bool& default_draw) {
  if (OnAdvancedCustomDrawItem)
    PostPaintEvent(default_draw, OnAdvancedCustomDrawItem,
                   this, ItemAt(static_cast<int>(cd.nmcd.dwItemSpec)), state);
  return CDRF_DODEFAULT;
}

LRESULT TCustomListView::SubItemPrePaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state,
                                         bool& default_draw) {
  TListItem* item = ItemAt(static_cast<int>(cd.nmcd.dwItemSpec));
  PrePaintEvents(default_draw, OnCustomDrawSubItem, OnAdvancedCustomDrawSubItem, this, item,
                 cd.iSubItem, state);
  return PrePaintAnswer(default_draw, 0, bool(OnAdvancedCustomDrawSubItem));
}

LRESULT TCustomListView::SubItemPostPaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state,
                                          bool& default_draw) {
  if (OnAdvancedCustomDrawSubItem)
    PostPaintEvent(default_draw, OnAdvancedCustomDrawSubItem, this,
                   ItemAt(static_cast<int>(cd.nmcd.dwItemSpec)), cd.iSubItem, state);
  return CDRF_DODEFAULT;
}

void TCustomListView::CNDrawItem(TMessage& m) {
  auto* ds = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
  TCustomDrawState state = 0;
  if (ds->itemState & ODS_SELECTED) state |= cdsSelected;
  if (ds->itemState & ODS_FOCUS) state |= cdsFocused;
  if (ds->itemState & ODS_DISABLED) state |= cdsDisabled;
  if (OnDrawItem) {
    canvas_.SetPaintHandle(ds->hDC);
    canvas_.Font().Assign(Font());
    canvas_.Brush.Color = Color();
    OnDrawItem(this, ItemAt(static_cast<int>(ds->itemID)), ds->rcItem, state);
    canvas_.FreeHandle();
  }
  m.Result = TRUE;
}

}  // namespace forms
