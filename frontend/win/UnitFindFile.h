// UnitFindFile: the results window TFrmFindFile, which takes over from the start window when a
// scan starts, runs the engine's scan and shows what it found.
#pragma once

#include "forms/Forms.h"
#include "skin/QzListView.h"
#include "skin/QzTreeView.h"
#include "skin/SkinButton.h"
#include "skin/SkinForm.h"

namespace vardeck {

class TFrmFindFile : public forms::TForm {
 public:
  explicit TFrmFindFile(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmFindFile"; }

  // HAND-OVER FROM THE START WINDOW. The start window has set ScanDriveCaption,
  // ScanDevicePath, FullScan, FindMode and NtfsChosen (and chosen the engine with SetNtfs), and
  // given this window its own geometry; this call shows the results window, which hides the
  // start window and starts the engine's scan. Until the results window is built this is a
  // placeholder that does just that and shows an empty window.
  void BeginScanResults();

  skin::TSkinForm* skForm1 = nullptr;

  // ---- WATCH THREADS' VIEW OF THE RESULTS WINDOW ------------------------------------------
  // What the scan and save watch threads (MyThread, SaveWatch) reach of this window: the two
  // layouts' panels, the folder tree, the hit list, the Filter button, the tree's click
  // handling and the window's click handling that announces the end of a run. Nil controls
  // and empty handlers until the results window is built; its build takes this block over.
  forms::TPanel* Panel1 = nullptr;
  forms::TPanel* Panel2 = nullptr;
  skin::TQzTreeView* TreeView1 = nullptr;
  skin::TQzListView* ListView2 = nullptr;
  skin::TSkinImageButton* skButton1 = nullptr;
  void TreeView1Click(forms::TObject* sender);
  void FormClick(forms::TObject* sender);
  // ---- end of the watch threads' view -----------------------------------------------------

 private:
  forms::TTimer* scan_start_timer_ = nullptr;
};

extern TFrmFindFile* FrmFindFile;

}  // namespace vardeck
