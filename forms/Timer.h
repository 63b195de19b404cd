// TTimer: calls OnTimer every Interval milliseconds on the GUI thread while Enabled.
#pragma once

#include "forms/Component.h"

namespace forms {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  const char* ClassName() const override { return "TTimer"; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  TNotifyEvent OnTimer;

 private:
  static LRESULT CALLBACK TimerWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  void Update();
  HWND wnd_ = nullptr;
  bool enabled_ = true;
  unsigned interval_ = 1000;
};

}  // namespace forms
