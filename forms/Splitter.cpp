// TSplitter: the drag runs its own small message loop on the parent's capture, the way the
// system's own tracking loops do, so that the parent's message routing stays untouched.
#include "forms/Splitter.h"

#include "forms/WinControl.h"

namespace forms {

int SplitterDragSize(int start, int delta, int min_size, int max_size) {
  if (max_size < min_size) return start;
  long long s = static_cast<long long>(start) + delta;
  if (s < min_size) s = min_size;
  if (s > max_size) s = max_size;
  return static_cast<int>(s);
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetAlign(TAlign::alLeft);
  SetBounds(0, 0, 3, 100);
  SetParentColor(true);
}

void TSplitter::SetBeveled(bool v) {
  if (v == beveled_) return;
  beveled_ = v;
  Invalidate();
}

bool TSplitter::Horizontal() const {
  return Align() == TAlign::alLeft || Align() == TAlign::alRight;
}

TControl* TSplitter::SplitControl() const {
  if (!parent_) return nullptr;
  for (TControl* c : parent_->Controls()) {
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    RECT r = c->BoundsRect();
    switch (Align()) {
      case TAlign::alLeft: if (r.right == Left()) return c; break;
      case TAlign::alRight: if (r.left == Left() + Width()) return c; break;
      case TAlign::alTop: if (r.bottom == Top()) return c; break;
      case TAlign::alBottom: if (r.top == Top() + Height()) return c; break;
      default: return nullptr;
    }
  }
  return nullptr;
}

int TSplitter::MaxSize() const {
  TControl* target = SplitControl();
  if (!target || !parent_) return 0;
  bool h = Horizontal();
  int room = h ? parent_->ClientWidth() : parent_->ClientHeight();
  // Everything else stacked along the same axis keeps its size; the client remainder keeps
  // at least MinSize.
  for (TControl* c : parent_->Controls()) {
    if (c == target || !c->Visible()) continue;
    TAlign a = c->Align();
    if (h && (a == TAlign::alLeft || a == TAlign::alRight)) room -= c->Width();
    if (!h && (a == TAlign::alTop || a == TAlign::alBottom)) room -= c->Height();
  }
  return room - min_size_;
}

void TSplitter::ApplySize(TControl* target, int size) {
  if (Horizontal()) {
    if (size != target->Width()) target->SetWidth(size);
  } else if (size != target->Height()) {
    target->SetHeight(size);
  }
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft || dragging_ || !parent_ || !parent_->HandleAllocated())
    return;
  TrackDrag(POINT{x + Left(), y + Top()});
}

void TSplitter::TrackDrag(POINT start) {
  TControl* target = SplitControl();
  if (!target) return;
  HWND wnd = parent_->Handle();
  bool h = Horizontal();
  // Dragging towards the split control's far side shrinks it.
  int sign = (Align() == TAlign::alLeft || Align() == TAlign::alTop) ? 1 : -1;
  int start_size = h ? target->Width() : target->Height();
  int max_size = MaxSize();
  dragging_ = true;
  SetCapture(wnd);
  bool cancelled = false;
  bool quit = false;
  int quit_code = 0;
  while (GetCapture() == wnd) {
    MSG msg;
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      quit = true;
      quit_code = static_cast<int>(msg.wParam);
      break;
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
      // Under the capture the parent gets every mouse message, in its client coordinates.
      POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
      if (msg.hwnd != wnd) MapWindowPoints(msg.hwnd, wnd, &p, 1);
      int delta = sign * (h ? p.x - start.x : p.y - start.y);
      ApplySize(target, SplitterDragSize(start_size, delta, min_size_, max_size));
      if (msg.message == WM_LBUTTONUP) break;
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      cancelled = true;
      break;
    }
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (GetCapture() == wnd) ReleaseCapture();
  dragging_ = false;
  clicked_ = false;  // the release went to the loop, not to a click
  if (cancelled) ApplySize(target, start_size);
  int end_size = h ? target->Width() : target->Height();
  if (end_size != start_size && OnMoved) OnMoved(this);
  if (quit) PostQuitMessage(quit_code);
}

void TSplitter::Paint() {
  TCanvas& c = Canvas();
  RECT r{0, 0, Width(), Height()};
  c.Brush.Style = TBrushStyle::bsSolid;
  c.Brush.Color = Color();
  c.FillRect(r);
  if (beveled_) DrawEdge(c.Handle(), &r, BDR_RAISEDINNER, Horizontal() ? BF_LEFT | BF_RIGHT : BF_TOP | BF_BOTTOM);
}

}  // namespace forms
