// UnitFindFile: the results window's frame and its hand-over from the start window.
#include "frontend/win/UnitFindFile.h"

#include "engine/scavrel_api.h"
#include "frontend/SharedState.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/UnitRun.h"

namespace vardeck {

TFrmFindFile* FrmFindFile = nullptr;

TFrmFindFile::TFrmFindFile(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsSizeable);
  SetClientWidth(700);
  SetClientHeight(470);
  skForm1 = WearFrame(this, FrameButtons::All, " Tolvane  2.4");
  scan_start_timer_ = new forms::TTimer(this);
  scan_start_timer_->SetEnabled(false);
  scan_start_timer_->SetInterval(100);
  scan_start_timer_->OnTimer = [this](forms::TObject*) {
    scan_start_timer_->SetEnabled(false);
    if (FrmRun) FrmRun->Hide();
    if (NtfsChosen)
      ProcNtfs(ScanDriveCaption.c_str(), ScanDevicePath.c_str(), FullScan);
    else
      ProcFat(ScanDriveCaption.c_str(), ScanDevicePath.c_str(), FullScan);
  };
}

// Placeholder of the results window: becomes the main window, hides the start window and
// starts the scan from its timer, as the finished window will.
void TFrmFindFile::BeginScanResults() {
  forms::Application()->SetMainForm(this);
  ResultsCloseMode = 1;
  Show();
  scan_start_timer_->SetEnabled(true);
}

}  // namespace vardeck

namespace vardeck {

// ---- WATCH THREADS' VIEW OF THE RESULTS WINDOW ----------------------------------------------
// Empty until the results window is built (see UnitFindFile.h): the tree's click fills the
// folder list, the window's click shows the pending end-of-run text (TakePendingEndText).
void TFrmFindFile::TreeView1Click(forms::TObject*) {}
void TFrmFindFile::FormClick(forms::TObject*) {}
// ---- end of the watch threads' view ---------------------------------------------------------

}  // namespace vardeck
