// UnitFrmSetting: the filter dialog's own controls (the name extensions) and the storing and
// pushing of the folder filters.
#include "frontend/win/UnitFrmSetting.h"

#include "frontend/LangFile.h"
#include "frontend/ProductTexts.h"
#include "frontend/SharedState.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/EngineCalls.h"
#include "frontend/win/ProgramArt.h"
#include "frontend/win/UnitMsgBox.h"

namespace vardeck {

TFrmSetting* FrmSetting = nullptr;

namespace {
constexpr int kClientHeight = 258;
constexpr int kDatesTop = 36;
constexpr int kSizesTop = 100;
constexpr int kExtensionTop = 164;
constexpr int kButtonsTop = 220;
}  // namespace

TFrmSetting::TFrmSetting(forms::TComponent* owner)
    : TFilterEntryForm(owner, std::string(ProductTitle), kClientHeight, art::kFilterPicture) {
  BuildRangeRows(kDatesTop, kSizesTop, kButtonsTop);
  Label7 = AddLabel(kLabelLeft, kExtensionTop + 4, "File extention:");
  EditFilterlist = AddEdit(kEditLeft, kExtensionTop, kClientWidth - 14 - kEditLeft);
  EditFilterlist->SetMaxLength(kNameFilterMaxLength);
  Label8 = AddLabel(kEditLeft, kExtensionTop + 26, "for example (*.jpg, *.bmp)");
  AddHiddenPieces();
  OnShow = [this](forms::TObject*) { FormShow(); };
  WearFirstTheme(this);
}

void TFrmSetting::FormShow() {
  dialog_result_ = forms::mrCancel;
  GetSetting(EditFilterlist);
}

bool TFrmSetting::SaveSetting() {
  FilterBounds bounds;
  if (!CheckEntries(bounds)) return false;
  if (ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::SaveSetting)) != kBoxOk) return false;
  Bounds = bounds;
  NameFilterText = EditFilterlist->Text();
  PushFiltersFromDialog(Bounds, NameFilterText);
  return true;
}

void TFrmSetting::BOkClick() {
  if (!SaveSetting()) return;
  dialog_result_ = kBoxOk;
  if (OnFiltersApplied) OnFiltersApplied();
  Close();
}

void TFrmSetting::BClearClick() {
  EditMinsize->SetText("");
  EditMaxsize->SetText("");
  ClearDates();
  EditFilterlist->SetText("");
}

}  // namespace vardeck
