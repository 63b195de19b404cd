// TQzTreeView: look (frame colour from the theme or style), the outside bars attached, placed
// and synced, and scrolling the tree from them.
#include "skin/QzTreeView.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

constexpr int kBarSmallChange = 5;

// The tree's rectangle in the coordinates of the bar's parent (usually the tree's own).
RECT TreeRectFor(const TControl* tree, const TControl* bar) {
  RECT r = tree->BoundsRect();
  TWinControl* from = tree->Parent();
  TWinControl* to = bar->Parent();
  if (from && to && from != to && from->HandleAllocated() && to->HandleAllocated())
    MapWindowPoints(from->Handle(), to->Handle(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

TQzTreeView::TQzTreeView(TComponent* owner) : TCustomTreeView(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  SetBorderStyle(TBorderStyle::bsNone);
  SetBorderWidth(2);
  SetUIStyle(OwnerFormUIStyle(owner));
}

TQzTreeView::~TQzTreeView() {
  BeginDestroy();
  // The bars outlive the tree on their form: they must not call back into it.
  for (TQzScrollBar* bar : {vbar_, hbar_})
    if (bar) bar->OnChange() = nullptr;
  vbar_ = hbar_ = nullptr;
  SetFileTheme(nullptr);
}

// ---- properties -----------------------------------------------------------------------------

void TQzTreeView::SetBorderColor(TColor c) {
  border_color_ = c;
  Invalidate();
  PaintFrame();
}

void TQzTreeView::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TQzTreeView::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  const TSkinUIStyle eff = look_.Effective();
  // A skin without a control border colour frames the tree as the fallback style does.
  const TColor border = look_.Color(Skin2Color::ControlBorderColor, StyleItem::ControlBorder);
  if (vbar_) vbar_->SetUIStyle(eff);
  if (hbar_) hbar_->SetUIStyle(eff);
  SetBorderColor(border);
}

void TQzTreeView::SetVScrollBar(TQzScrollBar* bar) { AttachBar(vbar_, bar, true); }
void TQzTreeView::SetHScrollBar(TQzScrollBar* bar) { AttachBar(hbar_, bar, false); }

void TQzTreeView::ReleaseBar(TQzScrollBar* bar) {
  bar->OnChange() = nullptr;
  bar->SetLineButton(0);
  bar->SetMax(100);
  bar->SetEnabled(true);
  if (bar != vbar_ && bar != hbar_) RemoveFreeNotification(bar);
}

void TQzTreeView::AttachBar(TQzScrollBar*& slot, TQzScrollBar* bar, bool vertical) {
  if (bar == slot) return;
  TQzScrollBar* old = slot;
  slot = bar;
  if (old) ReleaseBar(old);
  if (!bar) return;
  FreeNotification(bar);
  bar->SetSmallChange(kBarSmallChange);
  bar->SetOrientation(vertical ? TSkinProgressBarOrientation::skVertical
                               : TSkinProgressBarOrientation::skHorizontal);
  // A bar attached after the tree took its style would keep a look of its own.
  bar->SetUIStyle(look_.Effective());
  if (vertical)
    bar->OnChange() = [this](TObject*) { VScrollBarChange(); };
  else
    bar->OnChange() = [this](TObject*) { HScrollBarChange(); };
  PlaceScrollBars();
}

void TQzTreeView::Notification(TComponent* component, TOperation operation) {
  TCustomTreeView::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == vbar_) vbar_ = nullptr;
  if (component == hbar_) hbar_ = nullptr;
  if (look_.ThemeGone(component, operation)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

bool TQzTreeView::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  if (name == "BorderColor") {
    if (out) *out = static_cast<std::int64_t>(border_color_);
    return true;
  }
  if (name == "VScrollBar" || name == "HScrollBar") {
    if (out) *out = static_cast<TComponent*>(name == "VScrollBar" ? vbar_ : hbar_);
    return true;
  }
  // The framework tree's own options that a form sets on this view.
  std::int64_t value = 0;
  if (name == "MultiSelect") value = MultiSelect();
  else if (name == "RightClickSelect") value = RightClickSelect();
  else if (name == "ChangeDelay") value = ChangeDelay();
  else if (name == "ToolTips") value = ToolTips();
  else return TCustomTreeView::GetPublished(name, out);
  if (out) *out = value;
  return true;
}

bool TQzTreeView::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  if (name == "BorderColor" && std::holds_alternative<std::int64_t>(v)) {
    SetBorderColor(static_cast<TColor>(std::get<std::int64_t>(v)));
    return true;
  }
  if ((name == "VScrollBar" || name == "HScrollBar") && std::holds_alternative<TComponent*>(v)) {
    auto* bar = dynamic_cast<TQzScrollBar*>(std::get<TComponent*>(v));
    if (std::get<TComponent*>(v) && !bar) return false;
    if (name == "VScrollBar") SetVScrollBar(bar);
    else SetHScrollBar(bar);
    return true;
  }
  if (std::holds_alternative<std::int64_t>(v)) {
    const std::int64_t n = std::get<std::int64_t>(v);
    if (name == "MultiSelect") SetMultiSelect(n != 0);
    else if (name == "RightClickSelect") SetRightClickSelect(n != 0);
    else if (name == "ChangeDelay")
      SetChangeDelay(static_cast<int>(std::clamp<std::int64_t>(n, 0, INT_MAX)));
    else if (name == "ToolTips") SetToolTips(n != 0);
    else return TCustomTreeView::SetPublished(name, v);
    return true;
  }
  return TCustomTreeView::SetPublished(name, v);
}

// ---- life and messages ----------------------------------------------------------------------

void TQzTreeView::Loaded() {
  TCustomTreeView::Loaded();
  PlaceScrollBars();
}

void TQzTreeView::CreateWnd() {
  // The nodes go into the new window one by one: one sync when they are all there. A new
  // window redraws, unless the base class turns it off again for nodes in an update.
  redraw_off_ = false;
  filling_window_ = true;
  TCustomTreeView::CreateWnd();
  filling_window_ = false;
  PlaceScrollBars();
}

void TQzTreeView::BiDiModeChanged() {
  TCustomTreeView::BiDiModeChanged();
  PlaceScrollBars();
}

void TQzTreeView::BoundsChanged() {
  TCustomTreeView::BoundsChanged();
  PlaceScrollBars();
}

void TQzTreeView::CMVisibleChanged(TMessage& m) {
  TCustomTreeView::CMVisibleChanged(m);
  if (Visible()) {
    PlaceScrollBars();
    return;
  }
  for (TQzScrollBar* bar : {vbar_, hbar_})
    if (bar) bar->SetVisible(false);
}

void TQzTreeView::CMEnabledChanged(TMessage& m) {
  TCustomTreeView::CMEnabledChanged(m);
  SyncScrollBars();
}

void TQzTreeView::WndProc(TMessage& m) {
  TCustomTreeView::WndProc(m);
  if (IsDestroying()) return;
  switch (m.Msg) {
    case WM_MOVE:
    case WM_SIZE:
      PlaceScrollBars();
      break;
    case WM_PAINT:
      // The first paint comes after the form made every window, the bars' too.
      KeepBarsAbove();
      PaintFrame();
      break;
    case WM_ERASEBKGND:
    case WM_NCPAINT:
      PaintFrame();
      break;
    case WM_SETREDRAW:
      // The end of an update: the nodes changed in one go.
      redraw_off_ = m.WParam == 0;
      if (!redraw_off_) SyncScrollBars();
      break;
    case WM_LBUTTONDOWN:
      // The system follows the press in a loop of its own, which may have taken the release
      // already: only a button still held makes moves worth following.
      left_down_ = GetKeyState(VK_LBUTTON) < 0;
      SyncScrollBars();
      break;
    case WM_LBUTTONUP:
      left_down_ = false;
      break;
    case WM_MOUSEMOVE:
      if (left_down_) SyncScrollBars();
      break;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONDBLCLK:
      SyncScrollBars();
      break;
    // What the program does to the nodes changes the rows just as input does.
    case TVM_INSERTITEMA:
    case TVM_INSERTITEMW:
    case TVM_DELETEITEM:
    case TVM_EXPAND:
    case TVM_SETITEMA:
    case TVM_SETITEMW:
    case TVM_SELECTITEM:
    case TVM_ENSUREVISIBLE:
    case TVM_SETINDENT:
    case TVM_SETIMAGELIST:
    case TVM_SETITEMHEIGHT:
    case TVM_SORTCHILDREN:
    case TVM_SORTCHILDRENCB:
    case WM_SETFONT:
      if (!redraw_off_ && !filling_window_) SyncScrollBars();
      break;
    default:
      break;
  }
}

void TQzTreeView::PaintFrame() {
  FrameWindowBorder(this, border_color_, Color(), true);
  if (!handle_ || !vbar_ || !hbar_ || !vbar_->Visible() || !hbar_->Visible()) return;
  // Neither outside bar covers the square where the native bars meet: it takes the bars'
  // colour instead of the system's.
  HDC dc = GetWindowDC(handle_);
  RECT corner{Width() - 1 - vbar_->Width(), Height() - 1 - hbar_->Height(), Width() - 1,
              Height() - 1};
  HBRUSH brush = CreateSolidBrush(ColorToRGB(vbar_->Color()));
  FillRect(dc, &corner, brush);
  DeleteObject(brush);
  ReleaseDC(handle_, dc);
}

// ---- the bars -------------------------------------------------------------------------------

void TQzTreeView::SyncBar(TQzScrollBar* bar, LONG object_id, int which) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  const bool known = HandleAllocated() && skin::GetScrollBarInfo(handle_, object_id, &info);
  const DWORD state = known ? info.rgstate[0] : STATE_SYSTEM_INVISIBLE;
  if (state & STATE_SYSTEM_INVISIBLE || (Enabled() && (state & STATE_SYSTEM_UNAVAILABLE))) {
    bar->SetLineButton(0);
    bar->SetEnabled(false);
    bar->SetVisible(false);
  } else if (Enabled()) {
    bar->SetLineButton(std::abs(info.xyThumbBottom - info.xyThumbTop));
    bar->SetEnabled(true);
    bar->SetVisible(true);
  } else {
    // A disabled window's bars report themselves unavailable: the outside bar stays where it
    // is, only disabled.
    bar->SetEnabled(false);
  }
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  if (!HandleAllocated() || !GetScrollInfo(handle_, which, &si)) return;
  bar->SetMax(si.nMax - static_cast<int>(si.nPage) + 1);
  bar->SetMin(si.nMin);
  bar->SetPosition(si.nPos);
}

void TQzTreeView::SyncScrollBars() {
  if (IsDestroying() || syncing_) return;
  syncing_ = true;
  if (vbar_) SyncBar(vbar_, OBJID_VSCROLL, SB_VERT);
  if (hbar_) SyncBar(hbar_, OBJID_HSCROLL, SB_HORZ);
  syncing_ = false;
}

void TQzTreeView::PlaceScrollBars() {
  SyncScrollBars();
  if (IsDestroying()) return;
  // Right to left, the vertical bar goes to the left edge and the horizontal one starts
  // after it.
  const bool rtl = UseRightToLeftScrollBar();
  if (hbar_) {
    const RECT t = TreeRectFor(this, hbar_);
    const int th = t.bottom - t.top, tw = t.right - t.left;
    if (th < hbar_->Height()) {
      hbar_->SetTop(t.top);
    } else {
      int w = tw - 1;
      if (vbar_ && vbar_->Visible()) w -= vbar_->Width();
      const int l = t.left + 1 + (rtl && vbar_ ? vbar_->Width() : 0);
      hbar_->SetBounds(l, t.top + th - hbar_->Height() - 1, std::max(w, 0), hbar_->Height());
    }
  }
  if (vbar_) {
    const RECT t = TreeRectFor(this, vbar_);
    const int th = t.bottom - t.top, tw = t.right - t.left;
    if (tw < vbar_->Width()) {
      vbar_->SetLeft(t.left);
    } else {
      int h = th - 1;
      if (hbar_ && hbar_->Visible()) h -= hbar_->Height();
      const int l = rtl ? t.left + 2 : t.left + tw - vbar_->Width() - 1;
      vbar_->SetBounds(l, t.top + 1, vbar_->Width(), std::max(h, 0));
    }
  }
  KeepBarsAbove();
}

void TQzTreeView::KeepBarsAbove() {
  // The bars are windows of their own lying over the tree, so they must be above it in the
  // siblings' order; a new child window may go under its siblings (Wine puts it last). They
  // are raised once for each pair of windows, tree and bar, that has not been seen yet.
  TQzScrollBar* bars[2] = {vbar_, hbar_};
  for (int i = 0; i < 2; ++i) {
    if (!bars[i] || !bars[i]->HandleAllocated() || !handle_) continue;
    HWND bar = bars[i]->Handle();
    if (raised_[i].bar == bar && raised_[i].tree == handle_) continue;
    SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    raised_[i] = {bar, handle_};
  }
}

void TQzTreeView::VScrollBarChange() {
  if (syncing_ || !vbar_ || !HandleAllocated()) return;
  ScrollToRow(vbar_->Position());
  Invalidate();
}

void TQzTreeView::HScrollBarChange() {
  if (syncing_ || !hbar_ || !HandleAllocated()) return;
  // The tree scrolls sideways by pixels; no tree is 32,767 of them wide, so the 16 bits that
  // the message carries hold the position.
  const int pos = std::clamp(hbar_->Position(), 0, 0x7FFF);
  SendMessageA(handle_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
  Invalidate();
}

void TQzTreeView::ScrollToRow(int row) {
  // A thumb position sent in a scroll message would be cut to 16 bits, and a tree of found
  // folders easily has more rows than that: the row is found by walking the shown rows and
  // made the top one.
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (!GetScrollInfo(handle_, SB_VERT, &si)) return;
  const int page = std::max(static_cast<int>(si.nPage), 1);
  row = std::clamp(row, si.nMin, std::max(si.nMin, si.nMax - page + 1));
  if (row != si.nPos) {
    // Walk from the nearest of the first row, the top row and the last row.
    struct Start { UINT code; int row; };
    const Start starts[] = {{TVGN_ROOT, 0}, {TVGN_FIRSTVISIBLE, si.nPos},
                            {TVGN_LASTVISIBLE, si.nMax}};
    const Start* best = &starts[0];
    for (const Start& s : starts)
      if (std::abs(row - s.row) < std::abs(row - best->row)) best = &s;
    auto item = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, best->code, 0));
    int at = best->row;
    while (item && at != row) {
      auto next = reinterpret_cast<HTREEITEM>(Send(
          TVM_GETNEXTITEM, at < row ? TVGN_NEXTVISIBLE : TVGN_PREVIOUSVISIBLE,
          reinterpret_cast<LPARAM>(item)));
      if (!next) break;
      item = next;
      at += at < row ? 1 : -1;
    }
    if (item) Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(item));
  }
  SyncScrollBars();
}

}  // namespace skin
