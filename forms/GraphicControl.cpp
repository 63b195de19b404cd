// TGraphicControl: paints on the parent's DC handed over with WM_PAINT.
#include "forms/GraphicControl.h"

namespace forms {

void TGraphicControl::Dispatch(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    canvas_.SetHandle(reinterpret_cast<HDC>(m.WParam));
    Paint();
    canvas_.SetHandle(nullptr);
    return;
  }
  TControl::Dispatch(m);
}

}  // namespace forms
