// UnitFrmSetting: the window's frame; its controls and handlers are built on it.
#include "frontend/win/UnitFrmSetting.h"

#include "frontend/win/FormFrame.h"

namespace vardeck {

TFrmSetting* FrmSetting = nullptr;

TFrmSetting::TFrmSetting(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(420);
  SetClientHeight(330);
  skForm1 = WearFrame(this, FrameButtons::Dialog, " Filter");
}

}  // namespace vardeck
