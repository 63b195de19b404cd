// TCustomControl: a windowed control that paints itself on its Canvas in Paint.
#pragma once

#include "forms/ControlCanvas.h"
#include "forms/WinControl.h"

namespace forms {

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  const char* ClassName() const override { return "TCustomControl"; }
  TCanvas& Canvas() { return canvas_; }

 protected:
  virtual void Paint() {}
  void WMPaint(TMessage& m) override;

 private:
  TControlCanvas canvas_{this};
};

}  // namespace forms
