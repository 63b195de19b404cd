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
  // During painting the canvas draws on the parent's DC; outside painting it is a memory DC
  // of the screen's format, good for measuring text (a label sizes itself, a message box
  // measures its text on its label's canvas before anything is shown).
  TCanvas& Canvas() { return canvas_; }

 protected:
  virtual void Paint() {}
  void Dispatch(TMessage& m) override;

 private:
  class TMeasureCanvas : public TCanvas {
   public:
    ~TMeasureCanvas() override;
   protected:
    HDC AcquireHandle() override;
   private:
    HDC measure_dc_ = nullptr;
  };
  TMeasureCanvas canvas_;
};

}  // namespace forms
