// UnitFind: the window's frame; its controls and handlers are built on it.
#include "frontend/win/UnitFind.h"

#include "frontend/win/FormFrame.h"

namespace vardeck {

TFrmFind* FrmFind = nullptr;

TFrmFind::TFrmFind(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(420);
  SetClientHeight(300);
  skForm1 = WearFrame(this, FrameButtons::Dialog, " Find file");
}

}  // namespace vardeck
