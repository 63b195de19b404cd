// UnitFrmCalendar: the date picker's controls, its place beside the anchor and the date text
// it takes and gives back.
#include "frontend/win/UnitFrmCalendar.h"

#include "frontend/TextRoutines.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/ProgramArt.h"

namespace vardeck {

TFrmCalendar* FrmCalendar = nullptr;

namespace {

// A date text read as the system's time fields (the text's time taken as it stands).
bool SystemTimeOfText(const std::string& text, SYSTEMTIME& out) {
  uint64_t file_time = 0;
  if (!IsDateTimeText(text) || !DateTextToFileTime(text, file_time)) return false;
  FILETIME ft{static_cast<DWORD>(file_time), static_cast<DWORD>(file_time >> 32)};
  return FileTimeToSystemTime(&ft, &out) != FALSE;
}

}  // namespace

TFrmCalendar::TFrmCalendar(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  // The picker goes where its anchor says, not centred.
  SetPosition(forms::TPosition::poDesigned);
  const PickerLayout design = LayOutPicker(0, 0);
  SetClientWidth(design.client_width);
  SetClientHeight(design.client_height);
  skForm1 = WearFrame(this, FrameButtons::Dialog, "Calendar");

  MonthCalendar1 = new forms::TMonthCalendar(this);
  MonthCalendar1->SetParent(skForm1);

  DateTimePicker1 = new forms::TDateTimePicker(this);
  DateTimePicker1->SetKind(forms::TDateTimeKind::dtkTime);
  DateTimePicker1->SetParent(skForm1);

  skButton1 = new skin::TSkinImageButton(this);
  skButton1->SetCaption("&OK");
  skButton1->SetDefault(true);
  WearButtonArt(skButton1, art::kDialogButton, 10);
  skButton1->OnClick = [this](forms::TObject*) { skButton1Click(); };
  skButton1->SetParent(skForm1);

  skButton2 = new skin::TSkinImageButton(this);
  skButton2->SetCaption("&Cancel");
  WearButtonArt(skButton2, art::kDialogButton, 10);
  skButton2->SetCancel(true);  // Esc closes the picker as Cancel does
  skButton2->OnClick = [this](forms::TObject*) { skButton2Click(); };
  skButton2->SetParent(skForm1);

  SizeToCalendar();
  OnShow = [this](forms::TObject*) { FormShow(); };
  WearFirstTheme(this);
}

void TFrmCalendar::SizeToCalendar() {
  // The system's calendar decides how wide a month is: day names and digits of the user's
  // locale, its font. Asked again at every showing, as the user may have changed them.
  const SIZE month = MonthCalendar1->MinimumSize();
  const PickerLayout l = LayOutPicker(month.cx, month.cy);
  SetClientWidth(l.client_width);
  SetClientHeight(l.client_height);
  MonthCalendar1->SetBounds(l.calendar_left, l.calendar_top, l.calendar_width, l.calendar_height);
  DateTimePicker1->SetBounds(8, l.bottom_row_top, 90, 24);
  skButton1->SetBounds(l.ok_left, l.bottom_row_top, 73, 24);
  skButton2->SetBounds(l.cancel_left, l.bottom_row_top, 73, 24);
}

void TFrmCalendar::FormShow() {
  SizeToCalendar();
  const ScreenPoint at = PlacePicker(Anchor, Width(), Height(), GetSystemMetrics(SM_CXSCREEN),
                                     GetSystemMetrics(SM_CYSCREEN));
  SetBounds(at.x, at.y, Width(), Height());
  SYSTEMTIME shown{};
  if (!SystemTimeOfText(DateText, shown)) GetLocalTime(&shown);
  DateTimePicker1->SetTime(shown);
  MonthCalendar1->SetDate(shown);
  if (MonthCalendar1->CanFocus()) MonthCalendar1->SetFocus();
}

void TFrmCalendar::skButton1Click() {
  SYSTEMTIME picked = MonthCalendar1->Date();
  const SYSTEMTIME time = DateTimePicker1->Time();
  picked.wHour = time.wHour;
  picked.wMinute = time.wMinute;
  picked.wSecond = time.wSecond;
  picked.wMilliseconds = 0;
  FILETIME ft{};
  if (SystemTimeToFileTime(&picked, &ft))
    DateText = FileTimeToDateText((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  Close();
}

void TFrmCalendar::skButton2Click() { Close(); }

}  // namespace vardeck
