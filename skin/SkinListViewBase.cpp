// TSkinListViewBase: the frame, the look, the header hook and the outside scroll bars.
#include "skin/SkinListViewBase.h"

#include <algorithm>
#include <cstdlib>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

constexpr UINT_PTR kHeaderHookId = 0x515A;  // "QZ"

bool ReadScrollInfo(HWND wnd, int bar, SCROLLINFO& si) {
  si = SCROLLINFO{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  return wnd && GetScrollInfo(wnd, bar, &si);
}

}  // namespace

TSkinListViewBase::TSkinListViewBase(TComponent* owner) : TCustomListView(owner) {
  SetViewStyle(TViewStyle::vsReport);
  SetBorderStyle(TBorderStyle::bsNone);
  SetBorderWidth(2);
  SetUIStyle(OwnerFormUIStyle(owner));
}

TSkinListViewBase::~TSkinListViewBase() {
  BeginDestroy();
  UnhookHeader();
  // The bars outlive the list on their form: they must no longer call back into it.
  AttachBar(true, nullptr);
  AttachBar(false, nullptr);
  SetFileTheme(nullptr);
}

// ---- look -----------------------------------------------------------------------------------

void TSkinListViewBase::SetFileTheme(TSkinFileTheme* theme) {
  if (theme == look_.Theme()) return;
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinListViewBase::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  // A skin without the colour keeps the current one rather than a colour of -1.
  border_color_ = look_.SkinMode()
                      ? look_.ColorOr(Skin2Color::ControlBorderColor, border_color_)
                      : GetStyleColor(StyleIndex(look_.Effective()), StyleItem::ControlBorder);
  LookChanged(look_);
  Invalidate();
  Frame();
}

void TSkinListViewBase::LookChanged(const TSkinLook& look) {
  for (TSkinCustomScrollBar* b : {vbar_, hbar_}) {
    if (!b) continue;
    b->SetFileTheme(look.Skin());
    b->SetUIStyle(look.Effective());
  }
}

void TSkinListViewBase::SetBorderColor(TColor c) {
  border_color_ = c;
  Invalidate();
  Frame();
}

void TSkinListViewBase::Frame() {
  if (HandleAllocated()) FrameWindowBorder(this, border_color_, Color(), true);
}

bool TSkinListViewBase::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  if (name == "VScrollBar" || name == "HScrollBar") {
    if (out) *out = static_cast<TComponent*>(name[0] == 'V' ? vbar_ : hbar_);
    return true;
  }
  return TCustomListView::GetPublished(name, out);
}

bool TSkinListViewBase::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  if ((name == "VScrollBar" || name == "HScrollBar") && std::holds_alternative<TComponent*>(v)) {
    AttachBar(name[0] == 'V', AsBar(std::get<TComponent*>(v)));
    return true;
  }
  return TCustomListView::SetPublished(name, v);
}

void TSkinListViewBase::Notification(TComponent* c, TOperation op) {
  TCustomListView::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (c == vbar_) vbar_ = nullptr;
  if (c == hbar_) hbar_ = nullptr;
  if (look_.ThemeGone(c, op) && !IsDestroying()) SetUIStyle(TSkinUIStyle::DeepBlue);
}

// ---- header hook ----------------------------------------------------------------------------

LRESULT CALLBACK TSkinListViewBase::HeaderProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR,
                                               DWORD_PTR ref) {
  auto* self = reinterpret_cast<TSkinListViewBase*>(ref);
  if (msg == WM_NCDESTROY) {
    // The list destroys its header with itself: let go before the handle is reused.
    LRESULT r = DefSubclassMessage(wnd, msg, w, l);
    UnsubclassWindow(wnd, HeaderProc, kHeaderHookId);
    if (self->header_ == wnd) self->header_ = nullptr;
    return r;
  }
  return self->HeaderMessage(wnd, msg, w, l);
}

LRESULT TSkinListViewBase::DefHeader(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  return DefSubclassMessage(wnd, msg, w, l);
}

LRESULT TSkinListViewBase::HeaderMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  LRESULT r = DefHeader(wnd, msg, w, l);
  // The header moves when the list scrolls sideways.
  if (msg == WM_WINDOWPOSCHANGED && !scrolling_by_bar_) SyncScrollBars();
  return r;
}

void TSkinListViewBase::HookHeader() {
  if (!HandleAllocated()) return;
  HWND h = HeaderHandle();
  if (h == header_) return;
  UnhookHeader();
  if (h && SubclassWindow(h, HeaderProc, kHeaderHookId, reinterpret_cast<DWORD_PTR>(this))) {
    header_ = h;
    HeaderHooked();
  }
}

void TSkinListViewBase::UnhookHeader() {
  if (!header_) return;
  if (IsWindow(header_)) UnsubclassWindow(header_, HeaderProc, kHeaderHookId);
  header_ = nullptr;
}

void TSkinListViewBase::Loaded() {
  TCustomListView::Loaded();
  HookHeader();
  PlaceScrollBars();
}

void TSkinListViewBase::CreateWnd() {
  TCustomListView::CreateWnd();
  // Every new window has a new header (a form's border change re-creates its children).
  HookHeader();
  PlaceScrollBars();
}

void TSkinListViewBase::DestroyWnd() {
  UnhookHeader();
  TCustomListView::DestroyWnd();
}

// ---- messages -------------------------------------------------------------------------------

void TSkinListViewBase::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL:
      TCustomListView::Dispatch(m);
      // A bar stepping the list line by line brings itself up to date once it is done.
      if (scrolling_by_bar_) return;
      if (bar_options_.ScrollSyncsBoth) SyncScrollBars();
      else SyncBar(m.Msg == WM_VSCROLL);
      return;
    case WM_MOUSEWHEEL:
      TCustomListView::Dispatch(m);
      if (bar_options_.ScrollSyncsBoth) SyncScrollBars();
      else if (vbar_) SyncVScrollBar();
      else SyncHScrollBar();
      return;
    case WM_KEYDOWN:
    case WM_CHAR:
      // A typed character scrolls too: type-ahead brings the row found into view.
      TCustomListView::Dispatch(m);
      SyncScrollBars();
      return;
    case WM_LBUTTONDOWN:
      left_down_ = true;
      TCustomListView::Dispatch(m);
      // The list follows the press in a loop of its own that may take the release.
      if (GetKeyState(VK_LBUTTON) >= 0) left_down_ = false;
      SyncScrollBars();
      return;
    case WM_LBUTTONUP:
      left_down_ = false;
      TCustomListView::Dispatch(m);
      return;
    case WM_MOUSEMOVE:
      TCustomListView::Dispatch(m);
      if (left_down_) SyncScrollBars();
      return;
    case WM_SIZE:
      // The list lays out its own bars while it takes the new size, after the bounds have
      // changed: what they show is known only once it has.
      PlaceScrollBars();
      TCustomListView::Dispatch(m);
      PlaceScrollBars();
      return;
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCPAINT:
      TCustomListView::Dispatch(m);
      Frame();
      return;
    case WM_SETREDRAW:
      DefaultHandler(m);
      if (LOBYTE(m.WParam)) {
        if (Items().Count() == 0) AlphaSort();
        // The end of an update: what was filled or emptied meanwhile shows in the bars.
        SyncScrollBars();
      }
      return;
    case WM_STYLECHANGED:
      TCustomListView::Dispatch(m);
      HookHeader();  // a list turned into a report view gets its header now
      return;
    // Programmatic changes of the rows or the scroll position: the list moves its own bars
    // without a scroll message, so the outside ones follow here.
    case LVM_SETITEMCOUNT:
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_ENSUREVISIBLE:
    case LVM_SCROLL:
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW:
    case LVM_DELETECOLUMN:
    case LVM_SETCOLUMNWIDTH:
      TCustomListView::Dispatch(m);
      if (Items().UpdateCount() == 0 && !scrolling_by_bar_) SyncScrollBars();
      return;
    default:
      TCustomListView::Dispatch(m);
  }
}

void TSkinListViewBase::BoundsChanged() {
  TCustomListView::BoundsChanged();
  PlaceScrollBars();
}

void TSkinListViewBase::CMVisibleChanged(TMessage& m) {
  TCustomListView::CMVisibleChanged(m);
  if (Visible()) {
    PlaceScrollBars();
    return;
  }
  for (TSkinCustomScrollBar* b : {vbar_, hbar_})
    if (b) b->SetVisible(false);
}

void TSkinListViewBase::CMEnabledChanged(TMessage& m) {
  TCustomListView::CMEnabledChanged(m);
  SyncScrollBars();
}

// ---- outside bars ---------------------------------------------------------------------------

void TSkinListViewBase::AttachBar(bool vertical, TSkinCustomScrollBar* bar) {
  TSkinCustomScrollBar*& slot = vertical ? vbar_ : hbar_;
  if (bar == slot) return;
  if (TSkinCustomScrollBar* old = slot) {
    slot = nullptr;
    if (old != vbar_ && old != hbar_) RemoveFreeNotification(old);
    old->OnChange() = nullptr;
    old->SetLineButton(0);
    old->SetMax(100);
    old->SetEnabled(true);
  }
  if (!bar) return;
  slot = bar;
  FreeNotification(bar);
  bar->SetSmallChange(5);
  bar->SetOrientation(vertical ? TSkinProgressBarOrientation::skVertical
                               : TSkinProgressBarOrientation::skHorizontal);
  if (vertical) bar->OnChange() = [this](TObject*) { VScrollBarChange(); };
  else bar->OnChange() = [this](TObject*) { HScrollBarChange(); };
  if (bar->HandleAllocated())
    SetWindowPos(bar->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  bar->SetFileTheme(look_.Skin());
  bar->SetUIStyle(look_.Effective());
  PlaceScrollBars();
}

void TSkinListViewBase::BiDiModeChanged() {
  TCustomListView::BiDiModeChanged();
  PlaceScrollBars();
}

void TSkinListViewBase::PlaceScrollBars() {
  if (IsLoading() || IsDestroying()) return;
  const int inset = bar_options_.FarInset;
  // Right to left, the vertical bar goes to the left edge and the horizontal one starts
  // after it.
  const bool rtl = UseRightToLeftScrollBar();
  const bool v_shown = vbar_ && vbar_->Visible();
  const bool h_shown = hbar_ && hbar_->Visible();
  if (hbar_) {
    if (Height() < hbar_->Height()) {
      hbar_->SetTop(Top());
    } else {
      int w = Width() - inset - (v_shown ? vbar_->Width() : 0);
      int l = Left() + 1 + (rtl && vbar_ ? vbar_->Width() : 0);
      hbar_->SetBounds(l, Top() + Height() - hbar_->Height() - inset, std::max(0, w),
                       hbar_->Height());
    }
  }
  if (vbar_) {
    if (Width() < vbar_->Width()) {
      vbar_->SetLeft(Left());
    } else {
      int l = rtl ? Left() + 2 : Left() + Width() - vbar_->Width() - inset;
      int h = Height() - inset - (h_shown ? hbar_->Height() : 0);
      vbar_->SetBounds(l, Top() + 1, vbar_->Width(), std::max(0, h));
    }
  }
  SyncScrollBars();
}

void TSkinListViewBase::SyncScrollBars() {
  SyncVScrollBar();
  SyncHScrollBar();
}

void TSkinListViewBase::SyncBar(bool vertical) {
  TSkinCustomScrollBar* bar = vertical ? vbar_ : hbar_;
  if (IsLoading() || IsDestroying() || !bar || !HandleAllocated() || syncing_) return;
  syncing_ = true;
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof(sbi);
  const bool ok = skin::GetScrollBarInfo(handle_, vertical ? OBJID_VSCROLL : OBJID_HSCROLL, &sbi);
  const bool shown = ok && !(sbi.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE));
  bool place = false;
  if (!shown) {
    bar->SetLineButton(0);
    bar->SetEnabled(false);
    bar->SetVisible(false);
  } else if (Enabled()) {
    bar->SetLineButton(std::abs(sbi.xyThumbBottom - sbi.xyThumbTop));
    bar->SetEnabled(true);
    place = !bar->Visible();
    bar->SetVisible(true);
  } else {
    bar->SetEnabled(false);
  }
  SCROLLINFO si;
  if (ReadScrollInfo(handle_, vertical ? SB_VERT : SB_HORZ, si)) {
    // Full 32-bit values throughout: a list of more than 32,767 rows scrolls past them.
    const int page = static_cast<int>(si.nPage);
    const int max = std::max(si.nMin, si.nMax - page + 1);
    if (bar_options_.MaxBeforeMin) {
      bar->SetMax(max);
      bar->SetMin(si.nMin);
    } else {
      bar->SetMin(si.nMin);
      bar->SetMax(max);
    }
    if (bar_options_.SetPageSize && bar->PageSize() != page) bar->SetPageSize(page);  // rebuilds the thumb
    bar->SetPosition(vertical && bar_options_.VerticalFromTrackPos ? si.nTrackPos : si.nPos);
  }
  syncing_ = false;
  // A bar that has just appeared narrows the other one.
  if (place) PlaceScrollBars();
}

void TSkinListViewBase::VScrollBarChange() {
  if (syncing_ || !vbar_ || !HandleAllocated()) return;
  SCROLLINFO si;
  if (!ReadScrollInfo(handle_, SB_VERT, si)) return;
  const int pos = std::clamp(vbar_->Position(), vbar_->Min(), vbar_->Max());
  if (pos != vbar_->Position()) vbar_->SetPosition(pos);
  if (Items().Count() == 0) return;
  long long rows = static_cast<long long>(si.nTrackPos) - pos;
  if (pos < si.nMin) rows = si.nTrackPos;
  else if (pos > si.nMax) rows = static_cast<long long>(si.nTrackPos) - si.nMax;
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (!SendMessageA(handle_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return;
  const long long dy = -rows * (r.bottom - r.top);
  scrolling_by_bar_ = true;
  SendMessageA(handle_, LVM_SCROLL, 0,
               static_cast<LPARAM>(std::clamp<long long>(dy, INT_MIN, INT_MAX)));
  scrolling_by_bar_ = false;
  InvalidateRect(handle_, nullptr, FALSE);
}

void TSkinListViewBase::HScrollBarChange() {
  if (syncing_ || !hbar_ || !HandleAllocated()) return;
  scrolling_by_bar_ = true;
  SCROLLINFO si;
  if (ReadScrollInfo(handle_, SB_HORZ, si))
    SendMessageA(handle_, LVM_SCROLL, static_cast<WPARAM>(hbar_->Position() - si.nTrackPos), 0);
  scrolling_by_bar_ = false;
}

}  // namespace skin
