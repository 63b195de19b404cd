// TControlCanvas: window DCs are released; paint DCs belong to whoever began the paint.
#include "forms/ControlCanvas.h"

#include "forms/WinControl.h"

namespace forms {

HDC TControlCanvas::AcquireHandle() {
  HWND wnd = control_->Handle();
  HDC dc = GetDC(wnd);
  owned_wnd_ = wnd;
  return dc;
}

void TControlCanvas::FreeHandle() {
  if (dc_ && owned_wnd_) ReleaseDC(owned_wnd_, dc_);
  owned_wnd_ = nullptr;
  dc_ = nullptr;
}

void TControlCanvas::SetPaintHandle(HDC dc) {
  FreeHandle();
  dc_ = dc;
}

}  // namespace forms
