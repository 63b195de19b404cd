// TCustomForm / TForm: a top-level window holding controls; shows modeless or modal, keeps the
// active control, routes dialog keys and characters to its controls and previews keys.
#pragma once

#include "forms/WinControl.h"

namespace forms {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter,
                       poOwnerFormCenter };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

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
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle s) { form_style_ = s; }
  // The MDI client window of an MDI parent form (none is ever made here).
  HWND ClientHandle() const { return nullptr; }
  bool Active() const { return active_; }

  using TCloseEvent = std::function<void(TObject*, TCloseAction&)>;
  using TCloseQueryEvent = std::function<void(TObject*, bool&)>;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  void KeyDown(WORD& key, TShiftState shift) override { TWinControl::KeyDown(key, shift); }
  void KeyUp(WORD& key, TShiftState shift) override { TWinControl::KeyUp(key, shift); }
  void KeyPress(char& key) override { TWinControl::KeyPress(key); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void Dispatch(TMessage& m) override;
  void CMDialogKey(TMessage& m) override;
  virtual bool CloseQuery();
  void ApplyPosition();

 private:
  TWinControl* active_control_ = nullptr;
  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool key_preview_ = false;
  bool active_ = false;
  bool positioned_ = false;
  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TPosition position_ = TPosition::poDesigned;
  TFormStyle form_style_ = TFormStyle::fsNormal;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  const char* ClassName() const override { return "TForm"; }
};

}  // namespace forms
