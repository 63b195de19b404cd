// UnitFind: the find dialog's own controls (the file name) and the storing and pushing of the
// find criteria.
#include "frontend/win/UnitFind.h"

#include "frontend/LangFile.h"
#include "frontend/ProductTexts.h"
#include "frontend/SharedState.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/EngineCalls.h"
#include "frontend/win/ProgramArt.h"
#include "frontend/win/UnitMsgBox.h"

namespace vardeck {

TFrmFind* FrmFind = nullptr;

namespace {
constexpr int kClientHeight = 284;
constexpr int kNameTop = 36;
constexpr int kOptionsTop = 88;
constexpr int kDatesTop = 110;
constexpr int kSizesTop = 174;
constexpr int kButtonsTop = 246;
}  // namespace

TFrmFind::TFrmFind(forms::TComponent* owner)
    : TFilterEntryForm(owner, std::string(ProductTitle), kClientHeight, art::kFindPicture) {
  Label11 = AddLabel(kLabelLeft, kNameTop + 4, "Find file:");
  skEditFilename = AddEdit(kEditLeft, kNameTop, kClientWidth - 14 - kEditLeft);
  // The text after its last dot becomes one item of the engine's name list, "*." in front:
  // one character less than the list's own bound keeps that item inside it.
  skEditFilename->SetMaxLength(kNameFilterMaxLength - 1);
  Label12 = AddLabel(kEditLeft, kNameTop + 26, " Please enter the file name (or part of it) above.");
  Label14 = AddLabel(kLabelLeft, kOptionsTop, "Filter Options:", true);
  BuildRangeRows(kDatesTop, kSizesTop, kButtonsTop);
  EditFilterlist = AddEdit(kEditLeft, kButtonsTop, kDateEditWidth);
  EditFilterlist->SetMaxLength(kNameFilterMaxLength);
  EditFilterlist->SetVisible(false);
  AddHiddenPieces();
  OnShow = [this](forms::TObject*) { FormShow(); };
  WearFirstTheme(this);
}

void TFrmFind::FormShow() {
  dialog_result_ = kFindNotAccepted;
  GetSetting(EditFilterlist);
  if (skEditFilename->CanFocus()) skEditFilename->SetFocus();
}

bool TFrmFind::SaveSetting(const FindCriteria& criteria) {
  FilterBounds bounds;
  if (!CheckEntries(bounds)) return false;
  FindBounds = bounds;
  NamePattern = criteria.pattern;
  PatternLeadingStar = criteria.leading_star ? "*" : "";
  PatternTrailingStar = criteria.trailing_star ? "*" : "";
  FindNameFilterText = criteria.extension_filter;
  PushFiltersFromDialog(FindBounds, FindNameFilterText);
  return true;
}

void TFrmFind::BOkClick() {
  const FindCriteria criteria = MakeFilename(skEditFilename->Text());
  if (!FindMode) {
    // Only a find-file scan from the start window takes criteria.
    ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::FindFileInfo));
    return;
  }
  if (!SaveSetting(criteria)) return;
  dialog_result_ = kFindAccepted;
  Close();
}

void TFrmFind::BClearClick() {
  ClearDates();
  skEditFilename->SetText("");
}

}  // namespace vardeck
