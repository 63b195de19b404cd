// TCustomForm / TForm: a top-level window holding controls; shows modeless or modal, keeps the
// active control, routes dialog keys and characters to its controls and previews keys. Its
// bounds are the window's (borders included), its client area the system's; it can be
// minimised, maximised and restored, and keeps to its size constraints.
#pragma once

#include "forms/ControlCanvas.h"
#include "forms/SizeConstraints.h"
#include "forms/WinControl.h"

namespace forms {

class TMainMenu;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter,
                       poOwnerFormCenter };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  const char* ClassName() const override { return "TCustomForm"; }

  void Show();
  void Hide();
  void Close();
  TModalResult ShowModal();
  // Frees the form once the messages now queued have been handled.
  void Release();
  void SetVisible(bool v) override;
  void SetBounds(int left, int top, int width, int height) override;
  // The system's client rectangle (inside the borders and caption), also before the window
  // exists and while it is minimised.
  RECT ClientRect() const override;
  POINT ClientToScreen(POINT p) const override;

  // Minimised, maximised or normal. Set on a hidden form, it takes effect when it is shown.
  TWindowState WindowState() const;
  void SetWindowState(TWindowState s);
  TSizeConstraints& Constraints() { return constraints_; }

  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult r) { modal_result_ = r; }
  bool Modal() const { return modal_; }

  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* c);
  // Called when a control of this form receives the focus.
  void SetFocusedControl(TWinControl* c);
  // A control is leaving the form: forget it as active control.
  void ControlRemoved(TControl* c);

  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool v) { key_preview_ = v; }
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle b);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  // Set before the window is made. An MDI parent (fsMDIForm) gets an MDI client window in the
  // part of its client area its aligned controls leave free; an MDI child (fsMDIChild) is made
  // inside the MDI client of the application's main form, which must be an MDI parent (without
  // one the child gets no window).
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle s) { form_style_ = s; }
  // The MDI client window of an MDI parent form; nil for other forms and before the window.
  HWND ClientHandle() const { return client_handle_; }
  // The MDI children that have a window in this MDI parent's client.
  int MDIChildCount() const;
  bool Active() const { return active_; }
  // The menu shown as the window's native menu bar (not owned; nil for none).
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  using TCloseEvent = std::function<void(TObject*, TCloseAction&)>;
  using TCloseQueryEvent = std::function<void(TObject*, bool&)>;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  // After every change of the window's size (by the program, the user or the system).
  TNotifyEvent OnResize;
  // While the form paints, after its background and before its graphic controls, on Canvas.
  TNotifyEvent OnPaint;
  TCanvas& Canvas() { return canvas_; }

  // Gives every form the owner it should have: the main form none (and its own task-bar
  // button), every other form the main form, or the application window while there is no
  // main form with a window.
  static void UpdateOwners();
  // Restores the visible forms owned by this one that are minimised.
  void RestoreOwnedForms();

  void KeyDown(WORD& key, TShiftState shift) override { TWinControl::KeyDown(key, shift); }
  void KeyUp(WORD& key, TShiftState shift) override { TWinControl::KeyUp(key, shift); }
  void KeyPress(char& key) override { TWinControl::KeyPress(key); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void UpdateBounds() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* component, TOperation operation) override;
  void CMDialogKey(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;
  void AlignControls() override;
  virtual bool CloseQuery();
  void ApplyPosition();

 private:
  // Width and height of the borders and caption around the client area.
  SIZE NonClientSize() const;
  void WMGetMinMaxInfo(TMessage& m);
  void WMSysCommand(TMessage& m);
  void WMPaint(TMessage& m) override;
  bool IsMDIChild() const { return form_style_ == TFormStyle::fsMDIChild; }
  // The MDI client an MDI child lives in (nil without an MDI parent main form).
  static HWND MainClientHandle();
  TWinControl* active_control_ = nullptr;
  TMainMenu* menu_ = nullptr;
  HWND client_handle_ = nullptr;
  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool key_preview_ = false;
  bool active_ = false;
  bool positioned_ = false;
  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TPosition position_ = TPosition::poDesigned;
  TFormStyle form_style_ = TFormStyle::fsNormal;
  TWindowState window_state_ = TWindowState::wsNormal;
  TSizeConstraints constraints_;
  TControlCanvas canvas_{this};
  // Border size last measured on the window (a minimised window shows none of it).
  mutable SIZE measured_nc_{0, 0};
  mutable bool nc_measured_ = false;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  const char* ClassName() const override { return "TForm"; }
};

}  // namespace forms
