// TMonthCalendar: the system's month calendar (SysMonthCal32) wrapped: the selected date,
// OnClick when the user picks a day and OnChange whenever the selection moves (also by
// scrolling to another month), from the MCN_* notifications.
#pragma once

#include "forms/WinControl.h"

namespace forms {

class TMonthCalendar : public TWinControl {
 public:
  explicit TMonthCalendar(TComponent* owner);
  const char* ClassName() const override { return "TMonthCalendar"; }

  // The selected day (time fields zero).
  SYSTEMTIME Date() const;
  // Takes the day of `date`; a date the control refuses (outside its range) is ignored.
  void SetDate(const SYSTEMTIME& date);
  // The size that shows one whole month.
  SIZE MinimumSize();

  TNotifyEvent OnClick;   // a day was picked with the mouse or keyboard
  TNotifyEvent OnChange;  // the selection changed, however

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void CNNotify(TMessage& m);
  void Dispatch(TMessage& m) override;

 private:
  SYSTEMTIME date_{};
};

}  // namespace forms
