// UnitFrmCalendar: the window's frame; its controls and handlers are built on it.
#include "frontend/win/UnitFrmCalendar.h"

#include "frontend/win/FormFrame.h"

namespace vardeck {

TFrmCalendar* FrmCalendar = nullptr;

TFrmCalendar::TFrmCalendar(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(240);
  SetClientHeight(200);
  skForm1 = WearFrame(this, FrameButtons::Dialog, " Date");
}

}  // namespace vardeck
