// TFilterEntryForm: the date and size rows, the calendar buttons and the checks both filter
// dialogs share (see FilterEntryForm.h).
#include "frontend/win/FilterEntryForm.h"

#include "frontend/LangFile.h"
#include "frontend/win/EngineCalls.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/ProgramArt.h"
#include "frontend/win/UnitFrmCalendar.h"
#include "frontend/win/UnitMsgBox.h"

namespace vardeck {

namespace {

constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 24;
constexpr int kCalendarButtonWidth = 22;
constexpr int kSizeEditWidth = 130;
constexpr int kSizeEditMaxLength = 10;
// The caret goes to the end of a restored size text by the End key, as a user would press it.
constexpr WPARAM kEndKey = VK_END;

}  // namespace

TFilterEntryForm::TFilterEntryForm(forms::TComponent* owner, const std::string& caption,
                                   int client_height, const char* picture)
    : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(client_height);
  skForm1 = WearFrame(this, FrameButtons::Dialog, caption);

  skImagePanel6 = new skin::TSkinImagePanel(this);
  skImagePanel6->SetBounds(-1, 1, 20, 18);
  LoadArt(skImagePanel6->Picture(), art::kTitleIcon);
  skImagePanel6->SetTransparent(true);
  skImagePanel6->SetParent(skForm1);

  skImagePicture = new skin::TSkinImagePanel(this);
  skImagePicture->SetBounds(14, 36, 40, 40);
  LoadArt(skImagePicture->Picture(), picture);
  skImagePicture->SetTransparent(true);
  skImagePicture->SetParent(skForm1);

  OnClose = [this](forms::TObject*, forms::TCloseAction& action) { FormClose(action); };
}

forms::TLabel* TFilterEntryForm::AddLabel(int left, int top, const std::string& caption,
                                          bool bold) {
  auto* l = new forms::TLabel(this);
  l->SetLeft(left);
  l->SetTop(top);
  l->SetTransparent(true);
  l->Font().SetName("Tahoma");
  l->Font().SetSize(8);
  if (bold) l->Font().SetStyle(forms::fsBold);
  l->Font().SetColor(kTextBlue);
  l->SetCaption(caption);
  l->SetParent(skForm1);
  return l;
}

skin::TSkinEdit* TFilterEntryForm::AddEdit(int left, int top, int width) {
  auto* e = new skin::TSkinEdit(this);
  e->SetBounds(left, top, width, kRowHeight);
  e->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  e->SetParent(skForm1);
  return e;
}

void TFilterEntryForm::BuildRangeRows(int top, int size_top, int buttons_top) {
  // Labels sit four pixels below their edit's top, so that both texts share a base line.
  const int to_left = kEditLeft + kDateEditWidth + kCalendarButtonWidth + 10;
  const int second_left = to_left + 20;
  auto date_row = [&](int y, const char* caption, forms::TLabel*& label, skin::TSkinEdit*& min,
                      skin::TSkinImageButton*& min_button, forms::TLabel*& to,
                      skin::TSkinEdit*& max, skin::TSkinImageButton*& max_button) {
    label = AddLabel(kLabelLeft, y + 4, caption);
    min = AddEdit(kEditLeft, y, kDateEditWidth);
    min->SetReadOnly(true);
    min_button = new skin::TSkinImageButton(this);
    min_button->SetBounds(kEditLeft + kDateEditWidth + 2, y, kCalendarButtonWidth, kRowHeight);
    WearButtonArt(min_button, art::kCalendarButton, 8);
    min_button->SetParent(skForm1);
    to = AddLabel(to_left, y + 4, "to:");
    max = AddEdit(second_left, y, kDateEditWidth);
    max->SetReadOnly(true);
    max_button = new skin::TSkinImageButton(this);
    max_button->SetBounds(second_left + kDateEditWidth + 2, y, kCalendarButtonWidth, kRowHeight);
    WearButtonArt(max_button, art::kCalendarButton, 8);
    max_button->SetParent(skForm1);
    WireCalendarButton(min_button, min);
    WireCalendarButton(max_button, max);
  };
  date_row(top, "File created from:", LabelCreate, EditMinCreatefile, bCreateMin, LabelCreateTo,
           EditMaxCreatefile, bCreateMax);
  date_row(top + 30, "File modified from:", LabelModify, EditMinModifyfile, bModifyMin,
           LabelModifyTo, EditMaxModifyfile, bModifyMax);

  auto size_row = [&](int y, const char* caption, forms::TLabel*& label, skin::TSkinEdit*& edit,
                      forms::TLabel*& bytes, std::string& last) {
    label = AddLabel(kLabelLeft, y + 4, caption);
    edit = AddEdit(kEditLeft, y, kSizeEditWidth);
    edit->SetMaxLength(kSizeEditMaxLength);
    bytes = AddLabel(kEditLeft + kSizeEditWidth + 6, y + 4, "bytes");
    skin::TSkinEdit* e = edit;
    std::string* remembered = &last;
    edit->OnChange = [this, e, remembered](forms::TObject*) { SizeChange(e, *remembered); };
  };
  size_row(size_top, "Min size:", LabelMinSize, EditMinsize, LabelMinBytes, last_min_size_);
  size_row(size_top + 30, "Max size:", LabelMaxSize, EditMaxsize, LabelMaxBytes, last_max_size_);

  auto button = [&](int left, const char* caption) {
    auto* b = new skin::TSkinImageButton(this);
    b->SetBounds(left, buttons_top, kButtonWidth, kButtonHeight);
    b->SetCaption(caption);
    WearButtonArt(b, art::kDialogButton, 10);
    b->SetParent(skForm1);
    return b;
  };
  const int right = kClientWidth - 14;
  BOk = button(right - 3 * kButtonWidth - 16, "&Find");
  BOk->SetDefault(true);
  BClear = button(right - 2 * kButtonWidth - 8, "&Clear");
  BClose = button(right - kButtonWidth, "&Exit");
  BOk->OnClick = [this](forms::TObject*) { BOkClick(); };
  BClear->OnClick = [this](forms::TObject*) { BClearClick(); };
  BClose->SetCancel(true);  // Esc leaves the dialog as Exit does, the settings unchanged
  BClose->OnClick = [this](forms::TObject*) { BCloseClick(); };
}

void TFilterEntryForm::AddHiddenPieces() {
  skNumberEdit1 = new skin::TSkinNumberEdit(this);
  skNumberEdit1->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  skNumberEdit1->SetVisible(false);
  skNumberEdit1->SetParent(skForm1);
  skComboBox1 = new skin::TSkinComboBox(this);
  skComboBox1->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  skComboBox1->SetVisible(false);
  skComboBox1->SetParent(skForm1);
}

void TFilterEntryForm::WireCalendarButton(skin::TSkinImageButton* button, skin::TSkinEdit* edit) {
  button->OnMouseDown = [this](forms::TObject*, forms::TMouseButton, forms::TShiftState, int,
                               int) { RecordAnchor(); };
  button->OnClick = [this, edit](forms::TObject*) { SelectDatetime(edit); };
}

void TFilterEntryForm::RecordAnchor() {
  POINT p{};
  if (!GetCursorPos(&p) || !FrmCalendar) return;
  FrmCalendar->Anchor = ScreenPoint{p.x, p.y};
}

void TFilterEntryForm::SelectDatetime(skin::TSkinEdit* edit) {
  if (!FrmCalendar) return;
  FrmCalendar->DateText = edit->Text();
  FrmCalendar->ShowModal();
  edit->SetText(FrmCalendar->DateText);
}

void TFilterEntryForm::SizeChange(skin::TSkinEdit* edit, std::string& last_accepted) {
  // Setting the text back raises the change again: that one is ours.
  if (writing_size_) return;
  const DigitsOnlyResult r = DigitsOnly(edit->Text(), last_accepted);
  if (r.text == edit->Text()) return;
  writing_size_ = true;
  edit->SetText(r.text);
  writing_size_ = false;
  if (r.move_caret_to_end && edit->HandleAllocated()) {
    SendMessageA(edit->Handle(), WM_KEYDOWN, kEndKey, 0);
    SendMessageA(edit->Handle(), WM_KEYUP, kEndKey, 0xC0000001);
  }
}

skin::TSkinEdit* TFilterEntryForm::EditOf(FilterEntry entry) const {
  switch (entry) {
    case FilterEntry::kCreateMin: return EditMinCreatefile;
    case FilterEntry::kCreateMax: return EditMaxCreatefile;
    case FilterEntry::kModifyMin: return EditMinModifyfile;
    case FilterEntry::kModifyMax: return EditMaxModifyfile;
    case FilterEntry::kSizeMin: return EditMinsize;
    case FilterEntry::kSizeMax: return EditMaxsize;
    case FilterEntry::kNone: break;
  }
  return nullptr;
}

FilterEntries TFilterEntryForm::Entries() const {
  FilterEntries e;
  e.create_min = EditMinCreatefile->Text();
  e.create_max = EditMaxCreatefile->Text();
  e.modify_min = EditMinModifyfile->Text();
  e.modify_max = EditMaxModifyfile->Text();
  e.size_min = EditMinsize->Text();
  e.size_max = EditMaxsize->Text();
  return e;
}

void TFilterEntryForm::ShowEntries(const FilterEntries& e) {
  EditMinCreatefile->SetText(e.create_min);
  EditMaxCreatefile->SetText(e.create_max);
  EditMinModifyfile->SetText(e.modify_min);
  EditMaxModifyfile->SetText(e.modify_max);
  EditMinsize->SetText(e.size_min);
  EditMaxsize->SetText(e.size_max);
}

void TFilterEntryForm::ShowBounds(const FilterBounds& bounds) { ShowEntries(EntriesOfBounds(bounds)); }

void TFilterEntryForm::GetSetting(skin::TSkinEdit* name_list) {
  ShowBounds(EngineFilterBounds());
  name_list->SetText(EngineNameFilterText());
}

void TFilterEntryForm::ClearDates() {
  EditMinCreatefile->SetText("");
  EditMaxCreatefile->SetText("");
  EditMinModifyfile->SetText("");
  EditMaxModifyfile->SetText("");
}

bool TFilterEntryForm::CheckEntries(FilterBounds& bounds) {
  const FilterCheck check = CheckFilterEntries(Entries());
  if (check.ok) {
    bounds = check.bounds;
    return true;
  }
  const std::optional<LangKey> key = FindLangKey(check.text_key);
  ShowAttention(BoxButtons::kOk, key ? Lang().Text(*key) : check.text_key);
  if (skin::TSkinEdit* edit = EditOf(check.focus)) {
    if (edit->CanFocus()) edit->SetFocus();
  }
  return false;
}

void TFilterEntryForm::FormClose(forms::TCloseAction&) { SetModalResult(dialog_result_); }

}  // namespace vardeck
