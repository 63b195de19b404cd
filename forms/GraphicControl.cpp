// TGraphicControl: paints on the parent's DC handed over with WM_PAINT.
#include "forms/GraphicControl.h"

namespace forms {

TGraphicControl::TMeasureCanvas::~TMeasureCanvas() {
  // The DC's own objects go back in before it goes.
  ReleaseHandle();
  if (measure_dc_) DeleteDC(measure_dc_);
}

HDC TGraphicControl::TMeasureCanvas::AcquireHandle() {
  if (!measure_dc_) measure_dc_ = CreateCompatibleDC(nullptr);
  return measure_dc_;
}

void TGraphicControl::Dispatch(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    canvas_.SetHandle(reinterpret_cast<HDC>(m.WParam));
    Paint();
    // Back to the measuring DC on the next use.
    canvas_.SetHandle(nullptr);
    return;
  }
  TControl::Dispatch(m);
}

}  // namespace forms
