// TScreen: monitor queries and cursors through the system.
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

HCURSOR TScreen::CursorHandle(TCursor c) const {
  const char* id = IDC_ARROW;
  switch (c) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    // The system has no splitter shapes of its own: its two-way arrows stand for them.
    case crHSplit: id = IDC_SIZEWE; break;
    case crVSplit: id = IDC_SIZENS; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  // System cursors are shared: they are never freed.
  return LoadCursorA(nullptr, id);
}

void TScreen::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  UpdateCursorShape();
}

void TScreen::UpdateCursorShape() const {
  POINT p;
  if (!GetCursorPos(&p)) return;
  HWND under = WindowFromPoint(p);
  // Over another program's window the shape is that program's business.
  if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
               MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

void TScreen::AddForm(TCustomForm* f) { forms_.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  if (active_form_ == f) active_form_ = nullptr;
}

}  // namespace forms
