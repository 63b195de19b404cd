// TScreen: monitor queries through the system.
#include "forms/Screen.h"

#include <algorithm>

namespace forms {

TScreen* Screen() {
  static TScreen screen;
  return &screen;
}

RECT TScreen::WorkAreaRect(HWND wnd) const {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (wnd) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (GetMonitorInfoA(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcWork;
  }
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void TScreen::AddForm(TCustomForm* f) { forms_.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  if (active_form_ == f) active_form_ = nullptr;
}

}  // namespace forms
