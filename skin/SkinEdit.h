// The skinned single-line edit TSkinEdit (the wrapped EDIT with a flat two-line frame in the
// theme's control border colour) and its numeric form TSkinNumberEdit, which takes only the
// characters of a number, keeps its Value in step with the text and shows the value through
// its Mask once the user leaves it.
#pragma once

#include <functional>
#include <string>

#include "forms/CustomEdit.h"
#include "skin/SkinLook.h"

namespace skin {

// The text a number mask makes of `value`: as many decimals as the mask has digit places
// after its '.', at least as many integer digits as it has '0's before it, thousands grouped
// when the mask has a ','.
std::string FormatNumberMask(const std::string& mask, double value, char decimal, char thousands);
// The number a text holds, thousands separators left out; false for anything else (blanks,
// letters, a second separator, an empty text).
bool ParseNumberText(const std::string& text, char decimal, char thousands, double& value);

class TSkinEdit : public forms::TCustomEdit {
 public:
  explicit TSkinEdit(forms::TComponent* owner);
  ~TSkinEdit() override;
  const char* ClassName() const override { return "TSkinEdit"; }

  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c);

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  // Called after every style change.
  virtual void StyleChanged() {}
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  void WndProc(forms::TMessage& m) override;
  void PaintFrame();

 private:
  TSkinLook look_;
  forms::TColor border_color_ = 0;
};

class TSkinNumberEdit : public TSkinEdit {
 public:
  explicit TSkinNumberEdit(forms::TComponent* owner);
  const char* ClassName() const override { return "TSkinNumberEdit"; }

  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& m) { mask_ = m; }
  double Value() const { return value_; }
  // Stores the value and shows it through Mask.
  void SetValue(double v);
  int AutoSelectSigns() const { return auto_select_signs_; }
  void SetAutoSelectSigns(int n) { auto_select_signs_ = n; }
  void Click() override;

  // The refusal of a text that is no number (pasted or set): the last good value is shown
  // again and this runs (a beep by default).
  std::function<void(TSkinNumberEdit*)> OnRefuse;

 protected:
  void CreateParams(forms::TCreateParams& p) override;
  void KeyPress(char& key) override;
  void Change() override;
  void WMSetFocus(forms::TMessage& m) override;
  void WMKillFocus(forms::TMessage& m) override;

 private:
  void SelectSigns();
  void Refuse();
  std::string mask_ = "0.00";
  double value_ = 0;
  int auto_select_signs_ = 2;
  bool writing_ = false;  // the text is being set from the value
};

// The locale's decimal and thousands separators (one character each).
char LocaleDecimalSeparator();
char LocaleThousandsSeparator();

}  // namespace skin
