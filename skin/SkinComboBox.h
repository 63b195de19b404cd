// The skinned drop-down combo box: the wrapped COMBOBOX with a flat frame and a drop button
// of the style (a picture for MacOS and WinXP, a filled button with a drawn arrow otherwise)
// painted over the system's own drawing, colours from the style or theme.
#pragma once

#include "forms/Bitmap.h"
#include "forms/CustomComboBox.h"
#include "skin/SkinLook.h"

namespace skin {

class TSkinCustomComboBox : public forms::TCustomComboBox {
 public:
  explicit TSkinCustomComboBox(forms::TComponent* owner);
  ~TSkinCustomComboBox() override;
  const char* ClassName() const override { return "TSkinCustomComboBox"; }

  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c);
  forms::TColor ArrowColor() const { return arrow_color_; }
  void SetArrowColor(forms::TColor c);
  forms::TColor ButtonColor() const { return button_color_; }
  void SetButtonColor(forms::TColor c);
  void SetEnabled(bool v) override;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void CloseUp() override;
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  void WndProc(forms::TMessage& m) override;
  void PaintSkin();

 private:
  TSkinLook look_;
  forms::TColor border_color_ = 0;
  forms::TColor arrow_color_ = forms::clBlack;
  forms::TColor button_color_ = 0;
  forms::TBitmap button_picture_;  // MacOS and WinXP only
};

class TSkinComboBox : public TSkinCustomComboBox {
 public:
  explicit TSkinComboBox(forms::TComponent* owner) : TSkinCustomComboBox(owner) {}
  const char* ClassName() const override { return "TSkinComboBox"; }
};

}  // namespace skin
