// TFilterEntryForm: what the filter dialog (TFrmSetting) and the find dialog (TFrmFind) share:
// the creation and modification date ranges with their calendar buttons, the size range with
// its digits-only edits, the Find, Clear and Exit buttons, and the reading, checking and
// showing of those entries. Each dialog lays the rows out at its own height and adds its own
// controls.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "frontend/FilterSettings.h"
#include "skin/SkinButton.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinEdit.h"
#include "skin/SkinForm.h"
#include "skin/SkinImagePanel.h"

namespace vardeck {

class TFilterEntryForm : public forms::TForm {
 public:
  const char* ClassName() const override { return "TFilterEntryForm"; }

  // The edit a check names for its focus, or nil for kNone.
  skin::TSkinEdit* EditOf(FilterEntry entry) const;
  // The six entries as the user left them, and shown again.
  FilterEntries Entries() const;
  void ShowEntries(const FilterEntries& entries);

  skin::TSkinForm* skForm1 = nullptr;
  skin::TSkinImagePanel* skImagePanel6 = nullptr;  // title icon
  skin::TSkinImagePanel* skImagePicture = nullptr;
  forms::TLabel* LabelCreate = nullptr;            // "File created from:"
  skin::TSkinEdit* EditMinCreatefile = nullptr;
  skin::TSkinImageButton* bCreateMin = nullptr;
  forms::TLabel* LabelCreateTo = nullptr;          // "to:"
  skin::TSkinEdit* EditMaxCreatefile = nullptr;
  skin::TSkinImageButton* bCreateMax = nullptr;
  forms::TLabel* LabelModify = nullptr;            // "File modified from:"
  skin::TSkinEdit* EditMinModifyfile = nullptr;
  skin::TSkinImageButton* bModifyMin = nullptr;
  forms::TLabel* LabelModifyTo = nullptr;          // "to:"
  skin::TSkinEdit* EditMaxModifyfile = nullptr;
  skin::TSkinImageButton* bModifyMax = nullptr;
  forms::TLabel* LabelMinSize = nullptr;           // "Min size:"
  skin::TSkinEdit* EditMinsize = nullptr;
  forms::TLabel* LabelMinBytes = nullptr;          // "bytes"
  forms::TLabel* LabelMaxSize = nullptr;           // "Max size:"
  skin::TSkinEdit* EditMaxsize = nullptr;
  forms::TLabel* LabelMaxBytes = nullptr;          // "bytes"
  skin::TSkinImageButton* BOk = nullptr;
  skin::TSkinImageButton* BClear = nullptr;
  skin::TSkinImageButton* BClose = nullptr;
  // Hidden: no entry of the dialogs takes its value from them.
  skin::TSkinNumberEdit* skNumberEdit1 = nullptr;
  skin::TSkinComboBox* skComboBox1 = nullptr;

  // Layout shared by both dialogs: labels at the left column, edits from kEditLeft.
  static constexpr int kLabelLeft = 66;
  static constexpr int kEditLeft = 176;
  static constexpr int kDateEditWidth = 150;
  static constexpr int kRowHeight = 21;
  static constexpr int kClientWidth = 566;

 protected:
  TFilterEntryForm(forms::TComponent* owner, const std::string& caption, int client_height,
                   const char* picture);

  // Builds the two date rows from `top` (30 pixels apart) and the two size rows from
  // `size_top`, and the three buttons at `buttons_top`, right-aligned.
  void BuildRangeRows(int top, int size_top, int buttons_top);
  // The hidden number edit and combo box, made last as the dialogs declare them.
  void AddHiddenPieces();
  forms::TLabel* AddLabel(int left, int top, const std::string& caption, bool bold = false);
  skin::TSkinEdit* AddEdit(int left, int top, int width);

  // Runs the checks; at the first failure the message box shows its text (one button) and
  // the named edit gets the focus. True, with the bounds read, when every entry passed.
  bool CheckEntries(FilterBounds& bounds);
  // The dialog's settings, read back into its entries.
  void ShowBounds(const FilterBounds& bounds);
  // What the engine filters by now, shown in the entries and the name list edit: each
  // dialog opens on the settings the last accepted dialog (or scan start) pushed.
  void GetSetting(skin::TSkinEdit* name_list);
  void ClearDates();

  // What each dialog does on its Find button.
  virtual void BOkClick() = 0;
  virtual void BClearClick() = 0;
  void BCloseClick() { Close(); }

  // The dialog's result for ShowModal: kept apart from the framework's so that every way of
  // closing (Exit, the title bar, Alt+F4) hands the dialog's own value over.
  forms::TModalResult dialog_result_ = forms::mrCancel;

 private:
  void SelectDatetime(skin::TSkinEdit* edit);
  void RecordAnchor();
  void SizeChange(skin::TSkinEdit* edit, std::string& last_accepted);
  void WireCalendarButton(skin::TSkinImageButton* button, skin::TSkinEdit* edit);
  void FormClose(forms::TCloseAction& action);

  std::string last_min_size_;
  std::string last_max_size_;
  bool writing_size_ = false;
};

}  // namespace vardeck
