// TTimer: one hidden message window per timer, as WM_TIMER needs a window or a callback.
#include "forms/Timer.h"

namespace forms {

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExA(GetModuleHandleA(nullptr), "TolvaneTimer", &wc)) {
    wc.lpfnWndProc = TimerWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TolvaneTimer";
    RegisterClassExA(&wc);
  }
  wnd_ = CreateWindowExA(0, "TolvaneTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  if (wnd_) SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Update();
}

TTimer::~TTimer() {
  BeginDestroy();
  if (wnd_) {
    KillTimer(wnd_, 1);
    DestroyWindow(wnd_);
  }
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_TIMER) {
    auto* self = reinterpret_cast<TTimer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && self->enabled_ && self->OnTimer) self->OnTimer(self);
    return 0;
  }
  return DefWindowProcA(wnd, msg, w, l);
}

void TTimer::Update() {
  if (!wnd_) return;
  KillTimer(wnd_, 1);
  if (enabled_ && interval_ > 0 && !IsDestroying()) SetTimer(wnd_, 1, interval_, nullptr);
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update();
}

}  // namespace forms
