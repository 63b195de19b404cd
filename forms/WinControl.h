// TWinControl: a control with its own window. The object owns the HWND; the window procedure
// finds the object through the window's user data and hands every message to WindowProc.
// Holds the child controls in order (which is also the tab order) and does alignment.
#pragma once

#include <vector>

#include "forms/Control.h"

namespace forms {

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  const char* WinClassName = "TolvaneControl";
  UINT ClassStyle = 0;
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

  static TWinControl* FromHandle(HWND wnd);

 protected:
  friend class TControl;
  friend class TApplication;
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  void CreateChildHandles();
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void AlignControls();

  void WndProc(TMessage& m) override;
  void Dispatch(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;
  void BoundsChanged() override;

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
  virtual void WMWindowPosChanged(TMessage& m);
  // Takes Left, Top, Width and Height from the window (parent client coordinates for a child,
  // screen coordinates for a top-level window).
  virtual void UpdateBounds();
  virtual void WMGetDlgCode(TMessage& m) { m.Result = 0; }
  void CMFontChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMDialogKey(TMessage& m) override { Broadcast(m); }
  void CMDialogChar(TMessage& m) override { Broadcast(m); }
  void CMFocusChanged(TMessage& m) override { Broadcast(m); }
  void CMCancelMode(TMessage& m) override;

  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;

 private:
  static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  bool tab_stop_ = false;
  bool mouse_inside_ = false;
  int aligned_width_ = 0, aligned_height_ = 0;
};

}  // namespace forms
