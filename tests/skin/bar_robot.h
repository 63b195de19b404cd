// A small robot for the track and scroll bar tests: it moves the cursor and sends the mouse
// messages the system would (to the window that holds the capture, else to the window under
// the cursor, in that window's client coordinates), pumps the queue for a while, and renders
// a control into a bitmap.
#pragma once

#include <windows.h>

#include <memory>

#include "forms/Forms.h"

namespace bar_robot {

inline void Pump(int ms = 30) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    forms::Application()->ProcessMessages();
    Sleep(2);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

// Screen point of a client point of `c`.
inline POINT ScreenOf(forms::TWinControl* c, int x, int y) {
  POINT p{x, y};
  ClientToScreen(c->Handle(), &p);
  return p;
}

class Mouse {
 public:
  // Presses the left button at a client point of `c`.
  void Press(forms::TWinControl* c, int x, int y) { Send(ScreenOf(c, x, y), WM_LBUTTONDOWN); }
  void MoveTo(forms::TWinControl* c, int x, int y) { Send(ScreenOf(c, x, y), WM_MOUSEMOVE); }
  void Release(forms::TWinControl* c, int x, int y) { Send(ScreenOf(c, x, y), WM_LBUTTONUP); }
  void Click(forms::TWinControl* c, int x, int y) {
    Press(c, x, y);
    Release(c, x, y);
  }

 private:
  void Send(POINT screen, UINT msg) {
    SetCursorPos(screen.x, screen.y);
    HWND target = GetCapture();
    if (!target) target = WindowFromPoint(screen);
    POINT client = screen;
    ScreenToClient(target, &client);
    if (msg == WM_LBUTTONDOWN) down_ = true;
    if (msg == WM_LBUTTONUP) down_ = false;
    WPARAM keys = down_ ? MK_LBUTTON : 0;
    PostMessageA(target, msg, keys, MAKELPARAM(client.x, client.y));
    Pump(10);
  }
  bool down_ = false;
};

inline std::unique_ptr<forms::TBitmap> Render(forms::TControl* c) {
  auto b = std::make_unique<forms::TBitmap>(c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(b->Canvas().Handle()), 0);
  return b;
}

// Paints a windowed control and its windowed children into `dc` at (x, y), as the screen
// shows them.
inline void PaintTree(forms::TControl* c, HDC dc, int x, int y) {
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
  if (auto* w = dynamic_cast<forms::TWinControl*>(c))
    for (forms::TControl* child : w->Controls())
      if (child->IsWindowed() && child->Visible())
        PaintTree(child, dc, x + child->Left(), y + child->Top());
}

}  // namespace bar_robot
