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
  HDC dc = dc_;
  HWND wnd = owned_wnd_;
  owned_wnd_ = nullptr;
  // The DC gets its own font, pen and brush back before it is released or handed back.
  ReleaseHandle();
  if (dc && wnd) ReleaseDC(wnd, dc);
}

void TControlCanvas::SetPaintHandle(HDC dc) {
  FreeHandle();
  SetHandle(dc);
}

}  // namespace forms
