// Skinned dialog components. TSkinDialog holds what every skinned dialog shares (theme, look,
// position, caption and the two fonts); TSkinMessageDialog shows a modal message window with a
// picture, the text and one to three skinned buttons, and answers with the pressed button's
// modal result.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "skin/SkinLook.h"

namespace skin {

enum class TSkinIconType { skNone, skWarning, skStop, skInformation, skHelp };
// 1 to 3.
using TSkinDialogButtonsCount = int;

class TSkinDialog : public forms::TComponent {
 public:
  explicit TSkinDialog(forms::TComponent* owner);
  ~TSkinDialog() override;
  const char* ClassName() const override { return "TSkinDialog"; }

  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  forms::TPosition Position() const { return position_; }
  void SetPosition(forms::TPosition p) { position_ = p; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c) { caption_ = c; }
  // Sets the fonts' colours to the look (the theme's, or the built-in style's).
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  forms::TFont& Font() { return font_; }
  void SetFont(const forms::TFont& f) { font_.Assign(f); }
  forms::TFont& CaptionFont() { return caption_font_; }
  void SetCaptionFont(const forms::TFont& f) { caption_font_.Assign(f); }
  forms::TCursor ButtonCursor() const { return button_cursor_; }
  void SetButtonCursor(forms::TCursor c) { button_cursor_ = c; }

  // Shows the dialog and returns how it was left.
  virtual forms::TModalResult ShowDialog() = 0;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Notification(forms::TComponent* c, forms::TOperation op) override;

 private:
  TSkinLook look_;
  forms::TPosition position_ = forms::TPosition::poScreenCenter;
  std::string caption_ = "skDialog";
  forms::TFont font_;
  forms::TFont caption_font_;
  forms::TCursor button_cursor_ = forms::crHandPoint;
};

class TfrmMsg;

class TSkinMessageDialog : public TSkinDialog {
 public:
  explicit TSkinMessageDialog(forms::TComponent* owner);
  const char* ClassName() const override { return "TSkinMessageDialog"; }

  // Kept within 1 to 3.
  TSkinDialogButtonsCount ButtonCount() const { return button_count_; }
  void SetButtonCount(TSkinDialogButtonsCount n);
  // Buttons numbered 1 to 3, from left to right; other numbers read empty and write nothing.
  std::string ButtonCaption(int number) const;
  void SetButtonCaption(int number, const std::string& caption);
  forms::TModalResult ButtonModalResult(int number) const;
  void SetButtonModalResult(int number, forms::TModalResult r);
  TSkinIconType IconType() const { return icon_type_; }
  void SetIconType(TSkinIconType t) { icon_type_ = t; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& t) { text_ = t; }

  // Builds the window, shows it modally and frees it; the pressed button's result, or the
  // framework's cancel result when the window was closed some other way.
  forms::TModalResult ShowDialog() override;
  // The window ShowDialog would show, not yet shown (the caller frees it).
  TfrmMsg* BuildWindow();

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 private:
  TSkinDialogButtonsCount button_count_ = 1;
  std::string captions_[3] = {"OK", "Cancel", "Cancel"};
  forms::TModalResult results_[3] = {forms::mrOk, forms::mrCancel, forms::mrCancel};
  TSkinIconType icon_type_ = TSkinIconType::skNone;
  std::string text_ = "Hello world!";
};

}  // namespace skin
