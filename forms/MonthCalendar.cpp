// TMonthCalendar: the object keeps the selected day while there is no window and after each
// notification, so that Date answers the same before and after the window exists.
#include "forms/MonthCalendar.h"

#include <commctrl.h>

namespace forms {

namespace {

SYSTEMTIME DayOf(SYSTEMTIME t) {
  t.wHour = t.wMinute = t.wSecond = t.wMilliseconds = 0;
  return t;
}

}  // namespace

TMonthCalendar::TMonthCalendar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 191, 154);
  SetTabStop(true);
  SetColor(clWindow);
  GetLocalTime(&date_);
  date_ = DayOf(date_);
}

void TMonthCalendar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, MONTHCAL_CLASSA);
  p.Style |= WS_TABSTOP;
}

void TMonthCalendar::CreateWnd() {
  TWinControl::CreateWnd();
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  SendMessageA(handle_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date_));
}

SYSTEMTIME TMonthCalendar::Date() const {
  if (!handle_) return date_;
  SYSTEMTIME t{};
  if (!SendMessageA(handle_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&t))) return date_;
  return DayOf(t);
}

void TMonthCalendar::SetDate(const SYSTEMTIME& date) {
  SYSTEMTIME day = DayOf(date);
  FILETIME check;
  if (!SystemTimeToFileTime(&day, &check)) return;  // no such day
  if (handle_ && !SendMessageA(handle_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day))) return;
  date_ = day;
}

SIZE TMonthCalendar::MinimumSize() {
  RECT r{0, 0, Width(), Height()};
  if (HWND h = Handle()) SendMessageA(h, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void TMonthCalendar::CNNotify(TMessage& m) {
  auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
  if (hdr->code == MCN_SELCHANGE || hdr->code == MCN_SELECT) {
    auto* sel = reinterpret_cast<NMSELCHANGE*>(m.LParam);
    date_ = DayOf(sel->stSelStart);
    if (hdr->code == MCN_SELECT) {
      if (OnClick) OnClick(this);
    } else if (OnChange) {
      OnChange(this);
    }
  }
}

void TMonthCalendar::Dispatch(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    CNNotify(m);
    return;
  }
  TWinControl::Dispatch(m);
}

}  // namespace forms
