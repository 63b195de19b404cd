// TCustomComboBox: the object's item list is the master copy; the window is filled from it
// when made and told of every change. A sorted combo box keeps its own order (the window is
// made without CBS_SORT), so that an index means the same item on both sides.
#include "forms/CustomComboBox.h"

#include <algorithm>
#include <optional>
#include <string>

#include "forms/WindowText.h"

namespace forms {

namespace {
constexpr UINT_PTR kEditSubclassId = 0x434245;  // "CBE"
}  // namespace

std::string TCustomComboBox::TItems::Strings(int index) const {
  if (index < 0 || index >= Count()) return {};
  return list_[static_cast<size_t>(index)];
}

int TCustomComboBox::TItems::Add(const std::string& s) {
  int at = Count();
  if (owner_->sorted_) {
    auto it = std::upper_bound(list_.begin(), list_.end(), s, [](const std::string& a, const std::string& b) {
      return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    at = static_cast<int>(it - list_.begin());
  }
  Insert(at, s);
  return at;
}

void TCustomComboBox::TItems::Insert(int index, const std::string& s) {
  index = std::clamp(index, 0, Count());
  list_.insert(list_.begin() + index, s);
  if (HWND h = owner_->handle_)
    SendMessageA(h, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
  else if (owner_->item_index_ >= index)
    ++owner_->item_index_;
}

void TCustomComboBox::TItems::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  list_.erase(list_.begin() + index);
  if (HWND h = owner_->handle_) {
    SendMessageA(h, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  } else if (owner_->item_index_ == index) {
    owner_->item_index_ = -1;
  } else if (owner_->item_index_ > index) {
    --owner_->item_index_;
  }
  owner_->SelectionGone();
}

void TCustomComboBox::TItems::Clear() {
  list_.clear();
  owner_->item_index_ = -1;
  if (HWND h = owner_->handle_) SendMessageA(h, CB_RESETCONTENT, 0, 0);
  owner_->SelectionGone();
}

int TCustomComboBox::TItems::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (lstrcmpiA(list_[static_cast<size_t>(i)].c_str(), s.c_str()) == 0) return i;
  return -1;
}

void TCustomComboBox::TItems::Assign(const std::vector<std::string>& items) {
  Clear();
  for (const std::string& s : items) Add(s);
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() {
  BeginDestroy();
  DestroyHandle();
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "COMBOBOX");
  p.Style &= ~WS_CLIPCHILDREN;
  p.Style |= WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (style_) {
    case TComboBoxStyle::csDropDown: p.Style |= CBS_DROPDOWN; break;
    case TComboBoxStyle::csSimple: p.Style |= CBS_SIMPLE; break;
    case TComboBoxStyle::csDropDownList: p.Style |= CBS_DROPDOWNLIST; break;
  }
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  for (const std::string& s : items_.list_)
    SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (max_length_) SendMessageA(handle_, CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  if (item_index_ >= 0) SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(item_index_), 0);
  else if (style_ != TComboBoxStyle::csDropDownList) SetWindowTextA(handle_, Text().c_str());
  // The system fixes the closed height from the font; take it.
  RECT r;
  GetWindowRect(handle_, &r);
  if (style_ != TComboBoxStyle::csSimple && r.bottom - r.top != height_)
    TControl::SetBounds(left_, top_, width_, r.bottom - r.top);
  if (style_ != TComboBoxStyle::csDropDownList) AttachEdit();
}

void TCustomComboBox::AttachEdit() {
  HWND e = handle_ ? FindWindowExA(handle_, nullptr, "Edit", nullptr) : nullptr;
  if (!e || !SubclassWindow(e, EditProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    return;
  edit_ = e;
  AdoptPart(e);
}

LRESULT CALLBACK TCustomComboBox::EditProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                           DWORD_PTR ref) {
  auto* self = reinterpret_cast<TCustomComboBox*>(ref);
  if (msg == WM_NCDESTROY) {
    LRESULT r = DefSubclassMessage(wnd, msg, w, l);
    UnsubclassWindow(wnd, EditProc, id);
    ReleasePart(wnd);
    if (self->edit_ == wnd) self->edit_ = nullptr;
    return r;
  }
  return self->EditMessage(wnd, msg, w, l);
}

bool TCustomComboBox::IsOwnWindow(HWND wnd) const {
  if (!wnd || !handle_) return false;
  if (wnd == handle_ || wnd == edit_) return true;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  return GetComboBoxInfo(handle_, &info) && wnd == info.hwndList;
}

LRESULT TCustomComboBox::EditMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  LPARAM own = l;
  bool route = false;
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
      route = true;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The combo box hands its focus on to the edit: entering and leaving are the moves
      // from and to windows outside it.
      route = !IsOwnWindow(reinterpret_cast<HWND>(w));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP: {
      // The mouse events see the point in the combo box's client coordinates.
      POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      MapWindowPoints(wnd, handle_, &p, 1);
      l = MAKELPARAM(p.x, p.y);
      route = true;
      break;
    }
    default:
      break;
  }
  if (!route || IsDestroying() || !handle_) return DefSubclassMessage(wnd, msg, w, own);
  EditDefault outer = edit_default_;
  edit_default_ = EditDefault{wnd, msg, own};
  TMessage m{msg, w, l, 0};
  WindowProc(m);
  edit_default_ = outer;
  return m.Result;
}

void TCustomComboBox::DefaultHandler(TMessage& m) {
  if (edit_default_.wnd && m.Msg == edit_default_.msg) {
    // Once: whatever the handlers send the combo box meanwhile is its own.
    EditDefault d = edit_default_;
    edit_default_ = EditDefault{};
    m.Result = DefSubclassMessage(d.wnd, m.Msg, m.WParam, d.lparam);
    return;
  }
  TWinControl::DefaultHandler(m);
}

void TCustomComboBox::DestroyWnd() {
  if (handle_) item_index_ = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
  TWinControl::DestroyWnd();
}

void TCustomComboBox::SelectionGone() {
  // A drop-down list shows nothing but its selected item: with that item gone, so is the text.
  if (style_ == TComboBoxStyle::csDropDownList && ItemIndex() < 0) TControl::SetText("");
}

void TCustomComboBox::SetStyle(TComboBoxStyle s) {
  if (s == style_) return;
  style_ = s;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool v) {
  if (v == sorted_) return;
  sorted_ = v;
  if (!v) return;
  std::string selected = items_.Strings(ItemIndex());
  std::vector<std::string> items = items_.list_;
  items_.Assign(items);
  if (!selected.empty()) SetItemIndex(items_.IndexOf(selected));
}

void TCustomComboBox::SetMaxLength(int v) {
  max_length_ = v < 0 ? 0 : v;
  if (handle_) SendMessageA(handle_, CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

int TCustomComboBox::ItemIndex() const {
  if (handle_) return static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
  return item_index_;
}

void TCustomComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_.Count()) index = -1;
  item_index_ = index;
  // Setting the selection in code sends no CBN_SELCHANGE: the copy of the text follows here.
  if (handle_) SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  TControl::SetText(index >= 0 ? items_.Strings(index) : std::string());
}

void TCustomComboBox::SetText(const std::string& text) {
  if (style_ == TComboBoxStyle::csDropDownList) {
    SetItemIndex(items_.IndexOf(text));
    return;
  }
  TWinControl::SetText(text);
}

bool TCustomComboBox::DroppedDown() const {
  return handle_ && SendMessageA(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool v) {
  if (handle_) SendMessageA(handle_, CB_SHOWDROPDOWN, v, 0);
}

void TCustomComboBox::SizeDropDown() {
  if (!handle_ || style_ == TComboBoxStyle::csSimple) return;
  int item = static_cast<int>(SendMessageA(handle_, CB_GETITEMHEIGHT, 0, 0));
  int shown = std::clamp(items_.Count(), 1, drop_down_count_);
  RECT r;
  GetWindowRect(handle_, &r);
  SetWindowPos(handle_, nullptr, 0, 0, r.right - r.left, (r.bottom - r.top) + item * shown + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

bool TCustomComboBox::TextFromWindow() {
  std::optional<std::string> text = ChangedWindowText(handle_, Text());
  if (!text) return false;
  // The window has it already: only the copy is brought up to date.
  TControl::SetText(*text);
  return true;
}

void TCustomComboBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case CBN_SELCHANGE: {
      // The edit part still shows the old text when this arrives: take the item's.
      int index = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
      item_index_ = index;
      if (index >= 0) TControl::SetText(items_.Strings(index));
      Select();
      Change();
      break;
    }
    case CBN_EDITCHANGE:
      // As with an edit, Wine also reports a key the length limit refused.
      if (TextFromWindow()) Change();
      break;
    case CBN_DROPDOWN:
      SizeDropDown();
      DropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    default:
      break;
  }
}

void TCustomComboBox::CMColorChanged(TMessage& m) {
  brush_.Drop();
  TWinControl::CMColorChanged(m);
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TCustomComboBox::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TCustomComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: CNCommand(m); return;
    // The focus moving between the combo box and its edit neither enters nor leaves it.
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (edit_ && !edit_default_.wnd && reinterpret_cast<HWND>(m.WParam) == edit_) {
        DefaultHandler(m);
        return;
      }
      TWinControl::Dispatch(m);
      return;
    // The edit part and the dropped list ask the combo box itself for their colours.
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORLISTBOX: brush_.Answer(m, Color(), Font().Color()); return;
    default: TWinControl::Dispatch(m);
  }
}

}  // namespace forms
