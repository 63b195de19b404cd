// TControlCanvas: a canvas on a control's window; outside painting it takes the window's DC
// on first use and gives it back when told.
#pragma once

#include "forms/Canvas.h"

namespace forms {

class TWinControl;

class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TWinControl* control) : control_(control) {}
  ~TControlCanvas() override { FreeHandle(); }
  void FreeHandle();
  // Paints into a DC handed over (WM_PAINT); FreeHandle then only forgets it.
  void SetPaintHandle(HDC dc);

 protected:
  HDC AcquireHandle() override;

 private:
  TWinControl* control_;
  HWND owned_wnd_ = nullptr;
};

}  // namespace forms
