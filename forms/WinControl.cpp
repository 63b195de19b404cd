// TWinControl: the child controls in order (which is also the tab order), bounds and the
// window's visibility, state and text, alignment and anchors, focus and the painting of the
// graphic children. The window itself is made in WinControlWindow.cpp; the messages take the
// route written down in WinControlRoute.cpp.
#include "forms/WinControl.h"

#include <algorithm>
#include <vector>

#include "forms/Form.h"

namespace forms {

namespace {

void CollectTabOrder(const TWinControl* parent, std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> wins;
  for (TControl* c : parent->Controls())
    if (auto* w = dynamic_cast<TWinControl*>(c)) wins.push_back(w);
  std::stable_sort(wins.begin(), wins.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* w : wins) {
    out.push_back(w);
    CollectTabOrder(w, out);
  }
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  BeginDestroy();
  // Owned controls go while this window still exists; foreign children are only unhooked.
  DestroyComponents();
  for (TControl* c : std::vector<TControl*>(controls_)) c->parent_ = nullptr;
  controls_.clear();
  DestroyHandle();
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  c->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (handle_) w->HandleNeeded();
  } else {
    InvalidateChildArea(c->BoundsRect());
  }
  if (c->Align() != TAlign::alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  controls_.erase(it);
  c->parent_ = nullptr;
  if (mouse_control_ == c) mouse_control_ = nullptr;
  if (capture_control_ == c) {
    capture_control_ = nullptr;
    if (handle_ && GetCapture() == handle_) ReleaseCapture();
  }
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    // A windowed child cannot live without its parent window.
    w->DestroyHandle();
  } else {
    InvalidateChildArea(c->BoundsRect());
  }
  if (TCustomForm* f = ParentForm()) f->ControlRemoved(c);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (!handle_) {
    TControl::SetBounds(left, top, width, height);
    return;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  // The window moves first and the fields follow what it reports (WM_WINDOWPOSCHANGED), so a
  // SetBounds made from inside the resulting WM_SIZE moves the window again and its result
  // is what stays.
  SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateBounds();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::BoundsChanged() { AlignControls(); }

void TWinControl::SetVisible(bool v) {
  if (v == visible_) return;
  TControl::SetVisible(v);
  if (handle_) ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  if (handle_) EnableWindow(handle_, v);
  TControl::SetEnabled(v);
}

void TWinControl::SetText(const std::string& text) {
  if (text == Text()) return;
  if (handle_) SetWindowTextA(handle_, text.c_str());
  TControl::SetText(text);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::InvalidateChildArea(const RECT& r) {
  if (handle_) InvalidateRect(handle_, &r, FALSE);
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::AlignControls() { AlignChildren(); }

RECT TWinControl::AlignChildren() {
  RECT r = ClientRect();
  int cw = r.right - r.left, ch = r.bottom - r.top;
  // Anchored children follow the change of the client size since the last layout.
  if (aligned_width_ || aligned_height_) {
    int dx = cw - aligned_width_, dy = ch - aligned_height_;
    for (TControl* c : controls_) {
      if (c->Align() != TAlign::alNone || (!dx && !dy)) continue;
      int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
      TAnchors a = c->Anchors();
      if ((a & akRight) && (a & akLeft)) w += dx;
      else if (a & akRight) l += dx;
      if ((a & akBottom) && (a & akTop)) h += dy;
      else if (a & akBottom) t += dy;
      c->SetBounds(l, t, w, h);
    }
  }
  aligned_width_ = cw;
  aligned_height_ = ch;
  bool client_taken = false;
  for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight,
                      TAlign::alClient}) {
    for (TControl* c : controls_) {
      if (c->Align() != pass || !c->Visible()) continue;
      switch (pass) {
        case TAlign::alTop:
          c->SetBounds(r.left, r.top, r.right - r.left, c->height_);
          r.top += c->height_;
          break;
        case TAlign::alBottom:
          c->SetBounds(r.left, r.bottom - c->height_, r.right - r.left, c->height_);
          r.bottom -= c->height_;
          break;
        case TAlign::alLeft:
          c->SetBounds(r.left, r.top, c->width_, r.bottom - r.top);
          r.left += c->width_;
          break;
        case TAlign::alRight:
          c->SetBounds(r.right - c->width_, r.top, c->width_, r.bottom - r.top);
          r.right -= c->width_;
          break;
        default:
          c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
          client_taken = true;
          break;
      }
    }
  }
  if (client_taken) r.right = r.left, r.bottom = r.top;
  return r;
}

int TWinControl::TabOrder() const {
  if (!parent_) return 0;
  int i = 0;
  for (TControl* c : parent_->controls_) {
    if (c == this) return i;
    if (c->IsWindowed()) ++i;
  }
  return i;
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::find(v.begin(), v.end(), static_cast<TControl*>(this)));
  int i = 0;
  auto it = v.begin();
  for (; it != v.end(); ++it) {
    if (!(*it)->IsWindowed()) continue;
    if (i == order) break;
    ++i;
  }
  v.insert(it, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (HWND h = Handle()) ::SetFocus(h);
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const {
  std::vector<TWinControl*> list;
  CollectTabOrder(this, list);
  if (list.empty()) return nullptr;
  auto n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[i] == current) start = i;
  for (int step = 1; step <= n; ++step) {
    int i = forward ? (start + step) % n : ((start - step) % n + n) % n;
    if (start < 0 && !forward) i = n - step;
    TWinControl* c = list[i];
    if (c->TabStop() && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    c->WindowProc(m);
    if (m.Result != 0) return;
  }
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    RECT r = c->BoundsRect();
    if (c->Visible() && PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(dc, &r)) continue;
    int saved = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, c->Left(), c->Top(), &old);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::SetNonClientBand(int pixels) {
  nc_band_ = pixels < 0 ? 0 : pixels;
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace forms
