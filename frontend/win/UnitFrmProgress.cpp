// UnitFrmProgress: the window's frame; its controls and handlers are built on it.
#include "frontend/win/UnitFrmProgress.h"

#include "frontend/win/FormFrame.h"

namespace vardeck {

TFrmProgress* FrmProgress = nullptr;

TFrmProgress::TFrmProgress(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(420);
  SetClientHeight(160);
  skForm1 = WearFrame(this, FrameButtons::Dialog, " Scanning");
}

}  // namespace vardeck
