// TCustomPanel: the plain panel look.
#include "forms/CustomPanel.h"

namespace forms {

UINT AlignmentToDrawText(TAlignment a) {
  switch (a) {
    case TAlignment::taLeftJustify: return DT_LEFT;
    case TAlignment::taRightJustify: return DT_RIGHT;
    default: return DT_CENTER;
  }
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
  SetBounds(0, 0, 185, 41);
}

RECT TCustomPanel::ClientRect() const {
  RECT r{0, 0, Width(), Height()};
  InflateRect(&r, -border_width_, -border_width_);
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void TCustomPanel::Paint() {
  TCanvas& c = Canvas();
  RECT r{0, 0, Width(), Height()};
  c.Brush.Style = TBrushStyle::bsSolid;
  c.Brush.Color = Color();
  c.FillRect(r);
  auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    UINT edge = cut == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER;
    DrawEdge(c.Handle(), &r, edge, BF_RECT);
    InflateRect(&r, -1, -1);
  };
  bevel(bevel_outer_);
  bevel(bevel_inner_);
  if (!Text().empty()) {
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font().Assign(Font());
    c.DrawText(Text(), r, DT_SINGLELINE | DT_VCENTER | AlignmentToDrawText(alignment_));
  }
}

}  // namespace forms
