// UnitMsgBox: the front end's modal message box TFrmAttention, with one button (OK) or two (OK,
// Cancel), sized to its text. Every message of the front end's own goes through it.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "frontend/MessageBoxLayout.h"
#include "skin/SkinButton.h"
#include "skin/SkinForm.h"
#include "skin/SkinImagePanel.h"

namespace vardeck {

// ShowModal's result when the box was closed without a button (its title bar's close button,
// the system menu, Alt+F4): every caller takes it as "not OK".
inline constexpr forms::TModalResult kBoxClosed = 16777215;
inline constexpr forms::TModalResult kBoxOk = 1;
inline constexpr forms::TModalResult kBoxCancel = 2;

// The buttons of a box ShowAttention shows: OK alone, to tell; OK and Cancel, to ask.
enum class BoxButtons : unsigned { kOk = 1, kOkCancel = 2 };

class TFrmAttention : public forms::TForm {
 public:
  explicit TFrmAttention(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmAttention"; }

  void SetButtonCount(unsigned n);
  int ButtonCount() const { return button_count_; }
  // Which button Esc presses in a box with two: Cancel, or OK where OK is the safe answer.
  void SetEscapePressesOk(bool ok) { escape_presses_ok_ = ok; }
  // Measures the text, sizes the label and the window and places the buttons.
  void SetMessageText(const std::string& text);
  const MessageBoxLayout& Layout() const { return layout_; }

  skin::TSkinForm* skForm1 = nullptr;
  forms::TLabel* Label1 = nullptr;
  skin::TSkinImagePanel* skImagePanel1 = nullptr;
  skin::TSkinImagePanel* skImagePanel6 = nullptr;
  skin::TSkinImageButton* Button1 = nullptr;
  skin::TSkinImageButton* Button2 = nullptr;

 private:
  void FormShow();
  void Button1Click();
  void Button2Click();
  void FormClose(forms::TCloseAction& action);

  MessageBoxMetrics metrics_;
  MessageBoxLayout layout_;
  MeasuredText measured_;
  forms::TModalResult pending_result_ = kBoxClosed;
  int button_count_ = 2;
  bool escape_presses_ok_ = false;
};

extern TFrmAttention* FrmAttention;

// The calling order every caller uses: caption "Attention", the buttons, the text, shown
// modally. Returns ShowModal's result (kBoxOk only when OK was pressed).
forms::TModalResult ShowAttention(BoxButtons buttons, const std::string& text);
// A two-button box whose OK is the safe answer and Cancel the risky one: Esc presses OK, so
// that only an explicit Cancel gives kBoxCancel (closing the box gives kBoxClosed).
forms::TModalResult ShowAttentionSafeOk(const std::string& text);

}  // namespace vardeck
