// UnitFrmSaveProgress: the window's frame; its controls and handlers are built on it.
#include "frontend/win/UnitFrmSaveProgress.h"

#include "frontend/win/FormFrame.h"

namespace vardeck {

TFrmSaveProgress* FrmSaveProgress = nullptr;

TFrmSaveProgress::TFrmSaveProgress(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(420);
  SetClientHeight(160);
  skForm1 = WearFrame(this, FrameButtons::Dialog, " Saving");
}

}  // namespace vardeck
