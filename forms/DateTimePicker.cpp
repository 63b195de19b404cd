// TDateTimePicker: the value is kept in the object while there is no window and refreshed
// from every DTN_DATETIMECHANGE.
#include "forms/DateTimePicker.h"

#include <commctrl.h>

namespace forms {

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 186, 21);
  SetTabStop(true);
  SetColor(clWindow);
  GetLocalTime(&value_);
  value_.wMilliseconds = 0;
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, DATETIMEPICK_CLASSA);
  p.Style |= WS_TABSTOP;
  // The time form brings its own spin button instead of the drop-down calendar.
  if (kind_ == TDateTimeKind::dtkTime) p.Style |= DTS_TIMEFORMAT;
}

void TDateTimePicker::CreateWnd() {
  TWinControl::CreateWnd();
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  SendMessageA(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value_));
}

void TDateTimePicker::SetKind(TDateTimeKind k) {
  if (k == kind_) return;
  value_ = DateTime();
  kind_ = k;
  RecreateWnd();
}

SYSTEMTIME TDateTimePicker::DateTime() const {
  if (!handle_) return value_;
  SYSTEMTIME t{};
  if (SendMessageA(handle_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID)
    return value_;
  return t;
}

void TDateTimePicker::SetDateTime(const SYSTEMTIME& value) {
  FILETIME check;
  if (!SystemTimeToFileTime(&value, &check)) return;  // no such date or time
  SYSTEMTIME v = value;
  // The day of the week follows the date, whatever the caller put there.
  FileTimeToSystemTime(&check, &v);
  if (handle_ && !SendMessageA(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&v)))
    return;
  value_ = v;
}

SYSTEMTIME TDateTimePicker::Date() const {
  SYSTEMTIME t = DateTime();
  t.wHour = t.wMinute = t.wSecond = t.wMilliseconds = 0;
  return t;
}

void TDateTimePicker::SetDate(const SYSTEMTIME& date) {
  SYSTEMTIME v = DateTime();
  v.wYear = date.wYear;
  v.wMonth = date.wMonth;
  v.wDay = date.wDay;
  SetDateTime(v);
}

SYSTEMTIME TDateTimePicker::Time() const { return DateTime(); }

void TDateTimePicker::SetTime(const SYSTEMTIME& time) {
  SYSTEMTIME v = DateTime();
  v.wHour = time.wHour;
  v.wMinute = time.wMinute;
  v.wSecond = time.wSecond;
  v.wMilliseconds = time.wMilliseconds;
  SetDateTime(v);
}

void TDateTimePicker::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TDateTimePicker::CNNotify(TMessage& m) {
  auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
  if (hdr->code != DTN_DATETIMECHANGE) return;
  auto* change = reinterpret_cast<NMDATETIMECHANGE*>(m.LParam);
  if (change->dwFlags == GDT_VALID) value_ = change->st;
  if (OnChange) OnChange(this);
}

void TDateTimePicker::Dispatch(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    CNNotify(m);
    return;
  }
  TWinControl::Dispatch(m);
}

}  // namespace forms
