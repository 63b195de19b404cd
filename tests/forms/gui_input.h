// Input for the GUI tests as a user gives it: the message loop run for a moment, keys posted as
// the keyboard driver posts them, and mouse clicks through the system's input queue (so that
// system controls see real button state, double-click timing and their own drag detection).
#pragma once

#include <windows.h>

#include "forms/Application.h"

namespace tolvane_test {

inline void Pump() {
  for (int i = 0; i < 5; ++i) {
    forms::Application()->ProcessMessages();
    Sleep(5);
  }
}

// Down, then up; TranslateMessage in the message loop makes the character.
inline void PressKey(HWND wnd, WORD vk) {
  UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  PostMessageA(wnd, WM_KEYDOWN, vk, 1 | (scan << 16));
  Pump();
  PostMessageA(wnd, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
  Pump();
}

// A left click at a screen point.
inline void ClickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT in[2] = {};
  in[0].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].type = INPUT_MOUSE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

// A right click at a point of a window's client area, with the messages it causes handled.
inline void RightClickClient(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  SetCursorPos(p.x, p.y);
  INPUT in[2] = {};
  in[0].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  in[1].type = INPUT_MOUSE;
  in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, in, sizeof(INPUT));
  Pump();
}

// A left click at a point of a window's client area, with the messages it causes handled.
inline void ClickClient(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  ClickAt(p);
  Pump();
}

inline void DoubleClickClient(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  ClickAt(p);
  ClickAt(p);
  Pump();
}

}  // namespace tolvane_test
