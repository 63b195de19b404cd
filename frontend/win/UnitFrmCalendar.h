// UnitFrmCalendar: the date picker TFrmCalendar of the filter and find dialogs: a month
// calendar and a time field, opened beside the calendar button that was pressed, taking and
// giving back the date text of the edit beside that button.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "frontend/FilterSettings.h"
#include "skin/SkinButton.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmCalendar : public forms::TForm {
 public:
  explicit TFrmCalendar(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmCalendar"; }

  // The text a dialog hands over before showing the picker and reads back after it: a date
  // and time text, or anything else (the picker then starts at the current local time). OK
  // replaces it; Cancel and closing leave it as it was.
  std::string DateText;
  // Where the mouse went down on the calendar button, in screen coordinates.
  ScreenPoint Anchor;

  skin::TSkinForm* skForm1 = nullptr;
  forms::TMonthCalendar* MonthCalendar1 = nullptr;
  forms::TDateTimePicker* DateTimePicker1 = nullptr;
  skin::TSkinImageButton* skButton1 = nullptr;
  skin::TSkinImageButton* skButton2 = nullptr;

 private:
  // The window and its controls laid out around the month calendar's minimum size.
  void SizeToCalendar();
  void FormShow();
  void skButton1Click();
  void skButton2Click();
};

extern TFrmCalendar* FrmCalendar;

}  // namespace vardeck
