// TDateTimePicker: the system's date and time picker (SysDateTimePick32) wrapped, as a date
// field with a drop-down calendar or (Kind dtkTime) a time field with a spin button; its value
// and OnChange from DTN_DATETIMECHANGE.
#pragma once

#include "forms/WinControl.h"

namespace forms {

enum class TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TWinControl {
 public:
  explicit TDateTimePicker(TComponent* owner);
  const char* ClassName() const override { return "TDateTimePicker"; }

  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind k);
  // The whole value; Date and Time read or replace one half of it.
  SYSTEMTIME DateTime() const;
  void SetDateTime(const SYSTEMTIME& value);
  SYSTEMTIME Date() const;
  void SetDate(const SYSTEMTIME& date);
  SYSTEMTIME Time() const;
  void SetTime(const SYSTEMTIME& time);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void CMFontChanged(TMessage& m) override;
  void CNNotify(TMessage& m);
  void Dispatch(TMessage& m) override;

 private:
  TDateTimeKind kind_ = TDateTimeKind::dtkDate;
  SYSTEMTIME value_{};
};

}  // namespace forms
