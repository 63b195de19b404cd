// TWinControl: a control with its own window. The object owns the HWND, which is either of a
// window class of our own (one per control class name) or a system control ("EDIT",
// "SysListView32"...) that is subclassed; either way every message goes to WindowProc, and
// the object is found from the handle through a window property. Holds the child controls in
// order (which is also the tab order), does alignment, reflects child notifications back to
// the child's object (CN_*), tracks the mouse over graphic children and sets cursors.
// WinControl.cpp holds the children and layout, WinControlWindow.cpp the window's making and
// WinControlRoute.cpp the messages, with the route they take written down at its top.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "forms/Control.h"

namespace forms {

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  // Our own window class of this name is registered (once) with ClassStyle; TWinControl's
  // CreateParams names it after the control class and asks for CS_DBLCLKS when the control
  // has csDoubleClicks.
  std::string WinClassName;
  UINT ClassStyle = 0;
  // Set by CreateSubClass: WinClassName is a system class, created as it is and subclassed.
  bool SystemClass = false;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }
  bool IsWindowed() const override { return true; }

  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  void DestroyHandle();

  const std::vector<TControl*>& Controls() const { return controls_; }
  int ControlCount() const { return static_cast<int>(controls_.size()); }

  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool v) override;
  void SetEnabled(bool v) override;
  void SetText(const std::string& text) override;
  void Invalidate() override;
  void Repaint() override;
  void Update();
  void Realign();
  void InvalidateChildArea(const RECT& r);

  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool v) { tab_stop_ = v; }
  int TabOrder() const;
  void SetTabOrder(int order);
  virtual bool CanFocus() const;
  bool Focused() const { return handle_ && GetFocus() == handle_; }
  virtual void SetFocus();
  // The next control in tab order after `current` (wrapping) that can take the focus.
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;

  // Sends `m` to every child control in order until one sets a non-zero result.
  void Broadcast(TMessage& m);
  TControl* ControlAtPos(POINT p) const;

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // The object of one of our windows (own class or wrapped system control), or nil.
  static TWinControl* FromHandle(HWND wnd);
  // The control a window belongs to: the object of one of our windows, or the control that
  // took a window of the system control's own (a combo box's edit) as a part of it.
  static TWinControl* ControlOf(HWND wnd);
  // True when the window is a subclassed system control.
  bool IsWrapped() const { return wrapped_; }

 protected:
  friend class TControl;
  friend class TApplication;
  // A wrapped control calls this from its CreateParams override, after the inherited one:
  //   void CreateParams(TCreateParams& p) override {
  //     TWinControl::CreateParams(p);
  //     CreateSubClass(p, "EDIT");
  //     p.Style |= ES_AUTOHSCROLL;
  //   }
  // CreateWnd then creates that system class and subclasses it; its default handler is the
  // system's window procedure, which gets mouse and key messages after our events ran.
  // Messages of a wrapped control arrive in their wide (Unicode) form: comctl32's subclass
  // chain is a Unicode one.
  static void CreateSubClass(TCreateParams& params, const char* system_class);
  // Marks (unmarks) a window that the system control made inside this one as a part of it,
  // for ControlOf.
  void AdoptPart(HWND part);
  static void ReleasePart(HWND part);
  virtual void CreateParams(TCreateParams& params);
  // WS_EX_RTLREADING, WS_EX_LEFTSCROLLBAR and WS_EX_RIGHT as the direction in force asks.
  DWORD BiDiExStyle() const;
  virtual void CreateWnd();
  virtual void DestroyWnd();
  void CreateChildHandles();
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  // Lays the aligned and anchored children out in the client area.
  virtual void AlignControls();
  // The layout itself; returns the part of the client area the aligned children left free.
  RECT AlignChildren();

  void WndProc(TMessage& m) override;
  void Dispatch(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;
  void BoundsChanged() override;
  // The window's extended style follows the new direction in place, and the children that
  // take their parent's direction hear of it.
  void BiDiModeChanged() override;

  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char& key);
  // Paints the graphic (windowless) children into `dc`.
  void PaintControls(HDC dc);

  virtual void WMPaint(TMessage& m);
  virtual void WMEraseBkgnd(TMessage& m);
  virtual void WMSetFocus(TMessage& m);
  virtual void WMKillFocus(TMessage& m);
  virtual void WMKeyDown(TMessage& m);
  virtual void WMKeyUp(TMessage& m);
  virtual void WMChar(TMessage& m);
  virtual void WMSize(TMessage& m);
  virtual void WMGetDlgCode(TMessage& m);
  virtual void WMSetCursor(TMessage& m);
  virtual void WMWindowPosChanged(TMessage& m);
  // Takes Left, Top, Width and Height from the window (parent client coordinates for a child,
  // screen coordinates for a top-level window).
  virtual void UpdateBounds();
  // Sends a child's notification to the child's object as CN_BASE + the message; false when
  // it came from no control of ours.
  bool ReflectToChild(TMessage& m);
  void CMFontChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMDialogKey(TMessage& m) override { Broadcast(m); }
  void CMDialogChar(TMessage& m) override { Broadcast(m); }
  void CMFocusChanged(TMessage& m) override { Broadcast(m); }
  void CMCancelMode(TMessage& m) override;

  // Sets the band of `pixels` in Color that a wrapped control keeps inside its window edge
  // (the client area shrinks by it).
  void SetNonClientBand(int pixels);
  int NonClientBand() const { return nc_band_; }

  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;
  // Set by wrappers of system controls (list and tree views) that follow a left press in a
  // modal loop of their own, which takes the release off the queue: the release events then
  // run when that loop returns with the button up.
  bool release_taken_by_system_ = false;

 private:
  static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  static LRESULT CALLBACK SubclassWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                          DWORD_PTR ref);
  static LRESULT CALLBACK CreationHook(int code, WPARAM w, LPARAM l);
  void AttachWrapped(HWND wnd);
  // A mouse message over a graphic child, or any while one holds the mouse, goes to that child
  // in its own coordinates (the wheel's stay with the window); true when a child took it.
  bool RouteMouseToGraphicChild(TMessage& m);
  // Passes a left press on and, when the system control's loop took its release off the
  // queue (no release came by meanwhile and the button is up), runs the release events.
  void LeftPressWithSwallowedRelease(TMessage& m);
  // Sends WM_MOUSEMOVE's news to the graphic children: leave for the one left, enter for the
  // one now under the mouse (nil: none).
  void SetMouseControl(TControl* c);
  void NcCalcSize(TMessage& m);
  void NcPaint(TMessage& m);
  bool tab_stop_ = false;
  bool wrapped_ = false;
  bool left_up_seen_ = false;
  int nc_band_ = 0;
  bool mouse_inside_ = false;
  TControl* mouse_control_ = nullptr;    // graphic child under the mouse
  TControl* capture_control_ = nullptr;  // graphic child that took the mouse on a press
  int aligned_width_ = 0, aligned_height_ = 0;
};

// The thumb position that a WM_HSCROLL or WM_VSCROLL reports, in full 32 bits: the message
// itself carries only 16. Read from the scroll bar control in lParam, else from `wnd`'s own
// bar; the track position while dragging, the position otherwise.
int ScrollMessagePos(HWND wnd, const TMessage& m);

// comctl32's subclass chain, for windows that are no controls of ours but whose messages a
// control wants to see first (a list view's header). False / 0 where comctl32 lacks it.
bool SubclassWindow(HWND wnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR ref);
void UnsubclassWindow(HWND wnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l);

}  // namespace forms
