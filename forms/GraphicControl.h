// TGraphicControl: a windowless control; its parent paints it (with the DC's origin moved to
// the control) and passes it the mouse messages that fall on it.
#pragma once

#include "forms/Canvas.h"
#include "forms/Control.h"

namespace forms {

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
  const char* ClassName() const override { return "TGraphicControl"; }
  TCanvas& Canvas() { return canvas_; }

 protected:
  virtual void Paint() {}
  void Dispatch(TMessage& m) override;

 private:
  TCanvas canvas_;
};

}  // namespace forms
