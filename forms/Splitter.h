// TSplitter: a windowless bar aligned beside another aligned control; dragging it resizes
// that control, never below MinSize and never so far that the rest of the parent's client
// area gets less than MinSize. OnMoved runs when a drag has changed the size.
#pragma once

#include "forms/GraphicControl.h"

namespace forms {

// The size a drag by `delta` pixels (towards the split control's growing side) gives a
// control that was `start` wide or high, kept within [min_size, max_size]; a max_size below
// min_size leaves the control as it was. Plain arithmetic for tests.
int SplitterDragSize(int start, int delta, int min_size, int max_size);

class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* owner);
  const char* ClassName() const override { return "TSplitter"; }

  int MinSize() const { return min_size_; }
  void SetMinSize(int v) { min_size_ = v < 1 ? 1 : v; }
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool v);

  // The control this splitter resizes: the visible sibling of the same alignment whose edge
  // touches the splitter's (for alLeft, the one whose right edge is the splitter's left).
  TControl* SplitControl() const;
  // The largest size the split control may take now.
  int MaxSize() const;
  bool Dragging() const { return target_ != nullptr; }

  TNotifyEvent OnMoved;

 protected:
  void Paint() override;
  // The parent hands a pressed graphic control every mouse message until the release, in
  // the control's coordinates: the drag follows them.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMCancelMode(TMessage& m) override;
  // Realigning to another side changes the pointer's shape as well.
  void BoundsChanged() override { SetAlignCursor(); }

 private:
  bool Horizontal() const;  // a left or right splitter, dragged along x
  void SetAlignCursor();
  void DragTo(int x, int y);
  void EndDrag();
  int min_size_ = 30;
  bool beveled_ = false;
  // While dragging: the control resized, and where and how large it was at the press (the
  // mouse position in the parent's coordinates, which do not move with the splitter).
  TControl* target_ = nullptr;
  POINT start_{};
  int start_size_ = 0;
  int max_size_ = 0;
};

}  // namespace forms
