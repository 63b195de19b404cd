// TCustomEdit / TEdit: the system's single-line EDIT control wrapped: its text kept in step
// with what the user types (OnChange on every change), length limit, read-only and password
// modes, the selection, a border, and its colours answered through WM_CTLCOLOREDIT.
#pragma once

#include "forms/ColorBrush.h"
#include "forms/WinControl.h"

namespace forms {

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;
  const char* ClassName() const override { return "TCustomEdit"; }

  // 0: as long as the system allows.
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  // 0: the text is shown; any other character is shown for each character instead.
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char c);
  TEditCharCase CharCase() const { return char_case_; }
  void SetCharCase(TEditCharCase c);
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool v);
  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool v) { auto_select_ = v; }
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle b);
  // Whether the text changed since the last SetModified(false) (typing sets it).
  bool Modified() const;
  void SetModified(bool v);

  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  std::string SelText() const;
  // Replaces the selection (at the caret when nothing is selected).
  void SetSelText(const std::string& text);
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Runs OnChange; called whenever the text changed, by typing or by SetText.
  virtual void Change();
  void CMFontChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  // The child's own WM_COMMAND and WM_CTLCOLOR* coming back from the parent.
  void CNCommand(TMessage& m);
  void Dispatch(TMessage& m) override;

 private:
  // Takes the window's text after the user or the system changed it; false when it was the
  // text already known.
  bool TextFromWindow();
  int max_length_ = 0;
  bool read_only_ = false;
  char password_char_ = 0;
  TEditCharCase char_case_ = TEditCharCase::ecNormal;
  bool hide_selection_ = true;
  bool auto_select_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  // Kept while there is no window, applied when it is made.
  int sel_start_ = 0, sel_length_ = 0;
  bool modified_ = false;
  TColorBrush brush_;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
  const char* ClassName() const override { return "TEdit"; }
};

}  // namespace forms
