// A robot for the front end's window tests: it works on a thread of its own, so that it can
// answer the modal boxes and dialogs that the GUI thread is waiting in, and it gives input as a
// user does (SendInput clicks on the screen). Window handles are taken on the GUI thread before
// the robot starts; the robot itself only calls thread-safe window functions.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "forms/Application.h"
#include "tests/forms/gui_input.h"

namespace tolvane_test {

// Waits up to `ms` for a window to be visible (and enabled when asked); false when it is not.
inline bool WaitVisible(HWND wnd, DWORD ms = 10000) {
  for (DWORD waited = 0; waited < ms; waited += 20) {
    if (IsWindowVisible(wnd)) return true;
    Sleep(20);
  }
  return false;
}

inline bool WaitHidden(HWND wnd, DWORD ms = 10000) {
  for (DWORD waited = 0; waited < ms; waited += 20) {
    if (!IsWindowVisible(wnd)) return true;
    Sleep(20);
  }
  return false;
}

// Moves the pointer through the system's input queue, so that the window under it sees the
// move (SetCursorPos alone sends no mouse message under Wine).
inline void MoveMouseTo(POINT screen) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

// A left click in the middle of a window, through the system's input queue.
inline void ClickMiddle(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// A left click on a window's client point as the system posts it (button down, then up), for
// windows that another thread waits in.
inline void PostClick(HWND wnd, int x = 5, int y = 5) {
  PostMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Runs the GUI thread's message loop until `done` says so or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 15000) {
  for (DWORD waited = 0; waited < ms; waited += 10) {
    forms::Application()->ProcessMessages();
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

class Robot {
 public:
  explicit Robot(std::function<void()> steps)
      : thread_([this, steps = std::move(steps)] {
          steps();
          done_ = true;
        }) {}
  ~Robot() { Join(); }
  bool Done() const { return done_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace tolvane_test
