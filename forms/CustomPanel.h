// TCustomPanel: a container that paints its colour, optional bevels and a centred caption.
#pragma once

#include "forms/CustomControl.h"

namespace forms {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);
  const char* ClassName() const override { return "TCustomPanel"; }

  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut b) { bevel_inner_ = b; Invalidate(); }
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut b) { bevel_outer_ = b; Invalidate(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { alignment_ = a; Invalidate(); }
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int w) { border_width_ = w; Realign(); Invalidate(); }
  RECT ClientRect() const override;

 protected:
  void Paint() override;
  void CMTextChanged(TMessage& m) override { Invalidate(); }

 private:
  TBevelCut bevel_inner_ = TBevelCut::bvNone;
  TBevelCut bevel_outer_ = TBevelCut::bvRaised;
  TAlignment alignment_ = TAlignment::taCenter;
  int border_width_ = 0;
};

UINT AlignmentToDrawText(TAlignment a);

}  // namespace forms
