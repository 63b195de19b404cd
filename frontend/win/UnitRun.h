// UnitRun: the start window TFrmRun, the program's main window while no scan result is shown:
// the list of volumes the engine reports with their capacity and file system, the quick, full
// and find-file scan starts with their checks, the refresh button, the About window, the help
// file and the home page.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "skin/QzListView.h"
#include "skin/SkinButton.h"
#include "skin/SkinForm.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinURLLabel.h"

namespace vardeck {

class TFrmRun : public forms::TForm {
 public:
  explicit TFrmRun(forms::TComponent* owner);
  ~TFrmRun() override;
  const char* ClassName() const override { return "TFrmRun"; }

  // Fills the drive list from the engine; always true.
  bool RefreshDriver();
  // A quick (0) or full (1) folder-tree scan of the selected row.
  void StartScan(uint8_t full);
  // A find-file scan of the selected row, after the find-criteria dialog.
  void FindScan(uint8_t full);

  skin::TSkinForm* skForm1 = nullptr;
  skin::TSkinImagePanel* skImagePanel3 = nullptr;
  forms::TLabel* Label1 = nullptr;
  forms::TLabel* Label5 = nullptr;
  forms::TImage* Image1 = nullptr;
  skin::TSkinURLLabel* skURLLabel1 = nullptr;
  forms::TImage* Image3 = nullptr;
  skin::TSkinURLLabel* skURLLabel3 = nullptr;
  skin::TSkinImagePanel* skImagePanel5 = nullptr;
  skin::TSkinImagePanel* skImagePanel6 = nullptr;
  skin::TSkinImagePanel* skImagePanel9 = nullptr;
  skin::TSkinImagePanel* skImageFirst = nullptr;
  skin::TQzListView* skListDisk = nullptr;
  skin::TQzScrollBar* QzScrollBar1 = nullptr;
  skin::TQzScrollBar* QzScrollBar2 = nullptr;
  forms::TImageList* ImageList3 = nullptr;
  skin::TSkinImageButton* sBStart = nullptr;
  skin::TSkinImageButton* skButton2 = nullptr;
  skin::TSkinImageButton* skButton6 = nullptr;
  skin::TSkinImageButton* skBRefresh = nullptr;
  skin::TSkinImagePanel* skImagePanel2 = nullptr;
  skin::TSkinImagePanel* skImagePanel4 = nullptr;
  skin::TSkinImagePanel* skImagePanel1 = nullptr;
  forms::TLabel* Label2 = nullptr;
  skin::TSkinImageButton* skImageButton1 = nullptr;
  forms::TTimer* Timer1 = nullptr;

 protected:
  void Dispatch(forms::TMessage& m) override;

 private:
  void BuildControls();
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormPaint();
  void FormCloseQuery(bool& can_close);
  void Timer1Timer();
  void sBStart1Click();
  void skButton2Click();
  void skButton6Click();
  void skImageButton1Click();
  void skURLLabel1Click();
  void skURLLabel3Click();
  void skListDiskCustomDraw(const RECT& rect, bool& default_draw);
  void skListDiskMouseDown(forms::TMouseButton button, int y);
  void skListDiskMouseUp(int y);
  // The part of StartScan and FindScan after their checks: the volume's device path, the
  // results window's geometry, the engine choice and the hand-over.
  void BeginScan(const std::string& caption, const std::string& volume_name, uint8_t full,
                 const std::string& file_system);
  // The selected row's caption, or empty when no row is selected.
  std::string SelectedCaption();

  // Where the content panel sits: below the header band, whatever the window's size.
  int first_top_;
  forms::TListItem* pressed_row_ = nullptr;
};

extern TFrmRun* FrmRun;

}  // namespace vardeck
