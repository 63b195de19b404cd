// TCustomControl: WM_PAINT with a DC in WPARAM paints into that DC (a parent painting its
// background under a child, a test rendering into a bitmap); otherwise into the paint DC.
#include "forms/CustomControl.h"

namespace forms {

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::WMPaint(TMessage& m) {
  PAINTSTRUCT ps{};
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(handle_, &ps);
  canvas_.SetPaintHandle(dc);
  int saved = SaveDC(dc);
  Paint();
  RestoreDC(dc, saved);
  PaintControls(dc);
  canvas_.FreeHandle();
  if (own) EndPaint(handle_, &ps);
}

}  // namespace forms
