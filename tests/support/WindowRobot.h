// The one robot of the window tests: the message loop run for a moment or until something
// holds, deadlines that stretch with the machine's load, input as a user gives it (clicks
// through the system's input queue, posted clicks and keys, typed characters), a thread that
// acts while the GUI thread sits in a modal loop, and pictures of windows for a person to
// look at (PNG files in tests/artifacts/ of the build tree).
//
// Deadlines: a wait is given the time it needs on a quiet machine; WaitFactor() stretches it
// by TOLVANE_WAIT_FACTOR (scripts/test.sh sets it; 1 when unset) times the load the machine
// carries now (the one-minute load average over the processors, read from /proc under Wine,
// at least 1), six times and four minutes at most. A wait that holds returns as soon as its
// condition does, so only a failing test pays for a long deadline.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "forms/Forms.h"

namespace tolvane_test {

// ---- time ----------------------------------------------------------------------------------

// How much longer than on a quiet machine a wait may take now (at least 1).
double WaitFactor();
// `base_ms` stretched by WaitFactor().
DWORD Scaled(DWORD base_ms);

// Runs the calling thread's message queue for about `ms` milliseconds (one round at least).
void Pump(int ms = 25);

// Runs the calling (GUI) thread's message queue until `done` holds; false when it still does
// not at the deadline.
bool WaitUntil(const std::function<bool()>& done, DWORD base_ms = 10000);

// The same for a robot thread, which has no windows of its own to serve: looks every few
// milliseconds and leaves the queue alone.
bool WaitFor(const std::function<bool()>& done, DWORD base_ms = 10000);

bool WaitVisible(HWND wnd, DWORD base_ms = 10000);
bool WaitHidden(HWND wnd, DWORD base_ms = 10000);

// Returns once every message posted to `wnd` before the call has been taken from its thread's
// queue (and so handled, or a modal loop it opened is running): from the window's own thread
// by running the queue, from another thread by posting a marker and waiting to see it taken.
// False when the window's thread did not get there before the deadline.
bool Flush(HWND wnd, DWORD base_ms = 10000);

// Waits until `wnd` is shown and enabled and its thread has taken what was posted to it (so a
// modal window that has just come up runs its loop): ready for input. Called from a robot
// thread.
bool WaitReady(HWND wnd, DWORD base_ms = 10000);

// ---- input ---------------------------------------------------------------------------------

// The screen point of a client point of `c`.
POINT ScreenOf(forms::TWinControl* c, int x, int y);
// A left click at a screen point, through the system's input queue (so system controls see
// real button state, double-click timing and their own drag detection). Given the window the
// click is for, from a robot thread: returns once that window's thread has taken the button's
// release from its queue (false when it did not before the deadline, or when it took it for
// a window that is neither that one nor one of its children).
bool ClickAt(POINT screen, HWND taken_by = nullptr);
// The same at a point of a window's client area; from the window's own thread the messages it
// causes are handled before this returns.
void ClickClient(HWND wnd, int x, int y);
void DoubleClickClient(HWND wnd, int x, int y);
void RightClickClient(HWND wnd, int x, int y);
// A left click in the middle of a window (from any thread). From a robot thread: false when
// the window's thread did not take the release, or took it for another window.
POINT MiddleOf(HWND wnd);
bool ClickMiddle(HWND wnd);
// A robot thread's click on a button or other control that must change something: clicks
// its middle once its window is ready and the control is the window under that point, and
// waits until `done` holds. False when the control took the click and `done` did not follow
// within the deadline.
bool Press(HWND control, const std::function<bool()>& done, DWORD base_ms = 10000);
// Moves the pointer through the system's input queue, so that the window under it sees the
// move (SetCursorPos alone sends no mouse message under Wine).
void MoveMouseTo(POINT screen);
// The pointer out of the way, in the screen's bottom right corner, where no test window is.
void ParkPointer();
// A left click at a client point as the system posts it (move, button down, up), for windows
// that another thread waits in.
void PostClick(HWND wnd, int x = 5, int y = 5);
// Key down, then up, posted as the keyboard driver posts them; TranslateMessage in the
// message loop makes the character. Returns once the window's thread has taken both.
void PressKey(HWND wnd, WORD vk);
// The same pair posted without waiting, for a timer of the GUI thread that acts inside a modal
// loop (the loop takes them once the timer returns).
void PostKey(HWND wnd, WORD vk);
// Keys through the system's input queue, to whatever window has the focus then (a menu's
// loop included): each pair a virtual key and whether it goes up. TapKey: down, then up.
void KeyStrokes(std::initializer_list<std::pair<WORD, bool>> strokes);
void TapKey(WORD vk);
// Characters as the keyboard's translation hands them to the window; returns once the
// window's thread has taken them.
void Type(HWND wnd, const std::string& text);

// A right click at a client point of `wnd` and, once the popup menu it opens is up, `keys`
// one a tick as the menu's own loop takes them; a menu still open after the last is closed.
// `shown`, when given, gets the menu's window before the first key, once the menu has been
// painted afresh and put on the screen (for a picture of it, Grab).
void RightClickAndChoose(HWND wnd, POINT at, std::vector<WORD> keys,
                         const std::function<void(HWND menu)>& shown = {});

// Presses the left button at screen point `from`, moves the pointer by (dx, dy) in ten steps
// and lets go. The moves and the release come from another thread, as a hand makes them, once
// this thread has taken the press (and sits in whatever loop it started, the system's move
// loop), while this thread pumps.
void DragWithTheMouse(POINT from, int dx, int dy);

// Presses the left button at screen point `at` through the system's input queue and holds it,
// running this (GUI) thread's queue, until `done` holds or the deadline passes; then lets go.
// For controls that act while held (a scroll arrow that repeats). Returns `done`.
bool HoldDownAt(POINT at, const std::function<bool()>& done, DWORD base_ms = 10000);

// Moves the cursor and sends the mouse messages the system would (to the window that holds
// the capture, else to the window under the cursor, in that window's client coordinates),
// each handled before the next: drags with exact intermediate points.
class PostedMouse {
 public:
  void Press(forms::TWinControl* c, int x, int y) { Send(c, x, y, WM_LBUTTONDOWN); }
  void MoveTo(forms::TWinControl* c, int x, int y) { Send(c, x, y, WM_MOUSEMOVE); }
  void Release(forms::TWinControl* c, int x, int y) { Send(c, x, y, WM_LBUTTONUP); }
  void Click(forms::TWinControl* c, int x, int y) {
    Press(c, x, y);
    Release(c, x, y);
  }

 private:
  void Send(forms::TWinControl* c, int x, int y, UINT msg);
  bool down_ = false;
};

// ---- a thread that acts while the GUI thread waits ----------------------------------------

// Runs `steps` on a thread of its own, so that it can answer the modal boxes and dialogs the
// GUI thread is waiting in. Window handles are taken on the GUI thread before it starts; the
// steps call only thread-safe window functions.
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

// ---- pictures ------------------------------------------------------------------------------

// What the screen shows in a rectangle of it, into `out` (sized to it); a window's rectangle,
// frame and all; the same as a bitmap of its own.
void GrabScreen(const RECT& screen, forms::TBitmap& out);
void GrabWindow(HWND wnd, forms::TBitmap& out);
std::unique_ptr<forms::TBitmap> Grab(HWND wnd);
// Writes a bitmap as a PNG file (stored, uncompressed deflate blocks).
bool WritePng(const forms::TBitmap& bmp, const std::string& path);
// Writes `picture` as tests/artifacts/<file> of the build tree (the tests run in its bin/).
void SavePicture(const forms::TBitmap& picture, const std::string& file);
// The window as the screen shows it, frame and all, repainted first, saved as above. From the
// window's own thread or from a robot thread while the GUI thread sits in a modal loop.
void Shoot(HWND wnd, const std::string& file);
// A control painted into a bitmap of its size (its own WM_PAINT into a memory DC).
std::unique_ptr<forms::TBitmap> Render(forms::TControl* c);
// Paints a windowed control and its windowed children into `dc` at (x, y), as the screen
// shows them.
void PaintTree(forms::TControl* c, HDC dc, int x, int y);

// The GDI objects this process holds, for tests that show and free windows many times. Wine's
// GetGuiResources answers 0; there a handle whose high word is 0 names the table entry of its
// low word whatever its generation, so the live entries are counted one by one.
DWORD GdiObjectCount();

// Under Wine on an X server without a window manager, an activated window counts as managed
// and hiding it waits two seconds for a manager that never answers; this tells Wine's X11
// driver (for this executable only) to manage no windows. Called as the program starts
// (tests/support/WineUnmanaged.h does); where the prefix did not have the setting yet, the
// program runs itself again with it and ends as that run ends. False, and nothing written,
// outside Wine.
bool UnmanageWineWindows();

}  // namespace tolvane_test
