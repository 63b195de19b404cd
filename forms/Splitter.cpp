// TSplitter: finding the control it splits, the room it may take, and the drag.
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
  SetAlignCursor();
}

void TSplitter::SetBeveled(bool v) {
  if (v == beveled_) return;
  beveled_ = v;
  Invalidate();
}

bool TSplitter::Horizontal() const {
  return Align() == TAlign::alLeft || Align() == TAlign::alRight;
}

void TSplitter::SetAlignCursor() { SetCursor(Horizontal() ? crHSplit : crVSplit); }

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

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft || target_) return;
  // The alignment may have changed since the splitter was made.
  SetAlignCursor();
  target_ = SplitControl();
  if (!target_) return;
  start_ = POINT{x + Left(), y + Top()};
  start_size_ = Horizontal() ? target_->Width() : target_->Height();
  max_size_ = MaxSize();
}

void TSplitter::DragTo(int x, int y) {
  if (!target_) return;
  // Dragging towards the split control's far side shrinks it.
  int sign = (Align() == TAlign::alLeft || Align() == TAlign::alTop) ? 1 : -1;
  POINT p{x + Left(), y + Top()};
  int delta = sign * (Horizontal() ? p.x - start_.x : p.y - start_.y);
  int size = SplitterDragSize(start_size_, delta, min_size_, max_size_);
  if (Horizontal()) {
    if (size != target_->Width()) target_->SetWidth(size);
  } else if (size != target_->Height()) {
    target_->SetHeight(size);
  }
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  DragTo(x, y);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft && target_) {
    DragTo(x, y);
    EndDrag();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TSplitter::EndDrag() {
  TControl* target = target_;
  target_ = nullptr;
  int size = Horizontal() ? target->Width() : target->Height();
  if (size != start_size_ && OnMoved) OnMoved(this);
}

void TSplitter::CMCancelMode(TMessage&) {
  if (target_) EndDrag();
}

void TSplitter::Paint() {
  TCanvas& c = Canvas();
  RECT r{0, 0, Width(), Height()};
  c.Brush.Style = TBrushStyle::bsSolid;
  c.Brush.Color = Color();
  c.FillRect(r);
  if (beveled_)
    DrawEdge(c.Handle(), &r, BDR_RAISEDINNER, Horizontal() ? BF_LEFT | BF_RIGHT : BF_TOP | BF_BOTTOM);
}

}  // namespace forms
