// TCustomDraw<View, Draw>: the custom-draw stage machine of the wrapped list and tree views, after
// WTL's CCustomDraw mixin. CustomDraw() takes one NM_CUSTOMDRAW (`Draw` is the view's form of
// it), readies the view's canvas on the paint DC and hands the stage to the view's handler of
// that stage; a view writes only the stages it has events for, the others answer
// CDRF_DODEFAULT. A row drawn after its events changed the canvas is drawn in the canvas's font
// and colours.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "forms/CustomDrawFonts.h"
#include "forms/ViewTypes.h"

namespace forms {

// `View` derives from TCustomSysView and from this class, befriends it and supplies
//   bool HasCustomDrawEvents() const;  // any custom-draw event at all
// and any of the stages below under the same names.
template <class View, class Draw>
class TCustomDraw {
 protected:
  LRESULT CustomDraw(Draw* cd);

  // A new paint begins (before the view is asked whether it has events).
  void CustomDrawBegins() {}
  // Each stage runs the view's events of that stage, leaves their `default_draw` and answers
  // the system.
  LRESULT PrePaint(Draw&, TCustomDrawState, bool&) { return CDRF_DODEFAULT; }
  LRESULT PostPaint(Draw&, TCustomDrawState, bool&) { return CDRF_DODEFAULT; }
  LRESULT ItemPrePaint(Draw&, TCustomDrawState, bool&) { return CDRF_DODEFAULT; }
  LRESULT ItemPostPaint(Draw&, TCustomDrawState, bool&) { return CDRF_DODEFAULT; }
  LRESULT SubItemPrePaint(Draw&, TCustomDrawState, bool&) { return CDRF_DODEFAULT; }
  LRESULT SubItemPostPaint(Draw&, TCustomDrawState, bool&) { return CDRF_DODEFAULT; }
  // Whether an item stage that kept the default drawing takes the canvas's font and colours.
  bool StageTakesCanvas(DWORD) const { return true; }

  // The pre-paint events of one level: the plain event, then the advanced one unless the plain
  // one did the drawing. `args` are what both take before their own parameters.
  template <class Plain, class Advanced, class... Args>
  static void PrePaintEvents(bool& default_draw, const Plain& plain, const Advanced& advanced,
                             const Args&... args) {
    if (plain) plain(args..., default_draw);
    if (default_draw && advanced) advanced(args..., TCustomDrawStage::cdPrePaint, default_draw);
  }
  template <class Advanced, class... Args>
  static void PostPaintEvent(bool& default_draw, const Advanced& advanced, const Args&... args) {
    if (advanced) advanced(args..., TCustomDrawStage::cdPostPaint, default_draw);
  }
  // The answer to a pre-paint stage: skip the system's drawing when an event did it, else ask
  // for the level below (`deeper`, 0 for none) and for the post-paint stage when it has events.
  static LRESULT PrePaintAnswer(bool default_draw, DWORD deeper, bool post_events) {
    if (!default_draw) return CDRF_SKIPDEFAULT;
    LRESULT result = CDRF_DODEFAULT | deeper;
    if (post_events) result |= CDRF_NOTIFYPOSTPAINT;
    return result;
  }

 private:
  // A system view may leave an item's font selected in its paint DC: the fonts the events chose
  // live until the next paint.
  TCustomDrawFonts fonts_;
};

template <class View, class Draw>
LRESULT TCustomDraw<View, Draw>::CustomDraw(Draw* cd) {
  View& view = static_cast<View&>(*this);
  NMCUSTOMDRAW& nm = cd->nmcd;
  const DWORD stage = nm.dwDrawStage;
  if (stage == CDDS_PREPAINT) {
    view.CustomDrawBegins();
    fonts_.Clear();
  }
  if (!view.HasCustomDrawEvents()) return CDRF_DODEFAULT;
  auto& canvas = view.canvas_;
  canvas.SetPaintHandle(nm.hdc);
  canvas.Font().Assign(view.Font());
  canvas.Brush.Color = view.Color();
  bool default_draw = true;
  LRESULT result = CDRF_DODEFAULT;
  const TCustomDrawState state = CustomDrawStateOf(nm.uItemState);
  switch (stage) {
    case CDDS_PREPAINT:
      result = view.PrePaint(*cd, state, default_draw);
      break;
    case CDDS_POSTPAINT:
      result = view.PostPaint(*cd, state, default_draw);
      break;
    case CDDS_ITEMPREPAINT:
      result = view.ItemPrePaint(*cd, state, default_draw);
      break;
    case CDDS_ITEMPOSTPAINT:
      result = view.ItemPostPaint(*cd, state, default_draw);
      break;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      result = view.SubItemPrePaint(*cd, state, default_draw);
      break;
    case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM:
      result = view.SubItemPostPaint(*cd, state, default_draw);
      break;
    default:
      break;
  }
  if ((stage & CDDS_ITEM) && default_draw && !(result & CDRF_SKIPDEFAULT) &&
      view.StageTakesCanvas(stage)) {
    if (!canvas.Font().Equals(view.Font())) {
      SelectObject(nm.hdc, fonts_.Get(canvas.Font()));
      result |= CDRF_NEWFONT;
    }
    if (canvas.Font().Color() != view.Font().Color() || canvas.Brush.Color != view.Color()) {
      cd->clrText = ColorToRGB(canvas.Font().Color());
      cd->clrTextBk = ColorToRGB(canvas.Brush.Color);
      result |= CDRF_NEWFONT;
    }
  }
  canvas.FreeHandle();
  return result;
}

}  // namespace forms
