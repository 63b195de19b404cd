// UnitMsgBox: the message box's controls, its sizing to the text and its results.
#include "frontend/win/UnitMsgBox.h"

#include "frontend/ProductTexts.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/ProgramArt.h"

namespace vardeck {

TFrmAttention* FrmAttention = nullptr;

TFrmAttention::TFrmAttention(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(409);
  SetClientHeight(216);
  skForm1 = WearFrame(this, FrameButtons::Dialog, std::string(MessageBoxTitle));

  Label1 = new forms::TLabel(this);
  Label1->SetAutoSize(false);
  Label1->SetWordWrap(true);
  Label1->SetTransparent(true);
  Label1->SetBounds(101, 45, 294, 50);
  Label1->Font().SetName("Tahoma");
  Label1->Font().SetSize(8);
  Label1->Font().SetColor(kTextBlue);
  Label1->SetParent(skForm1);

  skImagePanel1 = new skin::TSkinImagePanel(this);
  skImagePanel1->SetBounds(28, 49, 49, 41);
  LoadArt(skImagePanel1->Picture(), art::kBoxPicture);
  skImagePanel1->SetTransparent(true);
  skImagePanel1->SetParent(skForm1);

  skImagePanel6 = new skin::TSkinImagePanel(this);
  skImagePanel6->SetBounds(-1, 1, 20, 18);
  LoadArt(skImagePanel6->Picture(), art::kTitleIcon);
  skImagePanel6->SetTransparent(true);
  skImagePanel6->SetParent(skForm1);

  Button1 = new skin::TSkinImageButton(this);
  Button1->SetBounds(0, 181, 73, 24);
  Button1->SetCaption("&OK");
  Button1->SetAnchors(forms::akRight | forms::akBottom);
  Button1->SetDefault(true);
  WearButtonArt(Button1, art::kDialogButton, 10);
  Button1->OnClick = [this](forms::TObject*) { Button1Click(); };
  Button1->SetParent(skForm1);

  Button2 = new skin::TSkinImageButton(this);
  Button2->SetBounds(0, 181, 73, 24);
  Button2->SetCaption("&Cancel");
  Button2->SetAnchors(forms::akRight | forms::akBottom);
  WearButtonArt(Button2, art::kDialogButton, 10);
  Button2->OnClick = [this](forms::TObject*) { Button2Click(); };
  Button2->SetParent(skForm1);

  OnShow = [this](forms::TObject*) { FormShow(); };
  OnClose = [this](forms::TObject*, forms::TCloseAction& action) { FormClose(action); };
  WearFirstTheme(this);
  SetMessageText("");
}

void TFrmAttention::SetButtonCount(unsigned n) { button_count_ = MessageBoxButtonCount(n); }

void TFrmAttention::SetMessageText(const std::string& text) {
  forms::TCanvas& canvas = Label1->Canvas();
  canvas.Font().Assign(Label1->Font());
  auto width = [&canvas](std::string_view part) { return canvas.TextWidth(std::string(part)); };
  measured_ = MeasureMessageText(text, width, canvas.TextHeight("A"), metrics_);
  layout_ = LayOutMessageBox(measured_, button_count_, metrics_);

  Label1->SetBounds(metrics_.label_left, metrics_.label_top, layout_.label_width,
                    layout_.label_height);
  Label1->SetCaption(text);
  // The layout's sizes are the client area's: the frame's own strips come on top.
  SetClientWidth(layout_.window_width);
  SetClientHeight(layout_.window_height);
  const int button_top = layout_.window_height - (216 - 181);
  Button1->SetBounds(layout_.ok_left, button_top, Button1->Width(), Button1->Height());
  Button1->SetVisible(true);
  // Esc answers the box as its Cancel button does (as its OK where OK is the safe answer); a
  // box with OK alone it dismisses.
  const bool escape_on_cancel = layout_.cancel_shown && !escape_presses_ok_;
  Button1->SetCancel(!escape_on_cancel);
  Button2->SetCancel(escape_on_cancel);
  if (layout_.cancel_shown) {
    Button2->SetBounds(layout_.cancel_left, button_top, Button2->Width(), Button2->Height());
    Button2->SetVisible(true);
  } else {
    Button2->SetVisible(false);
  }
}

void TFrmAttention::FormShow() {
  pending_result_ = kBoxClosed;
  ActiveControl();
  if (Button1->CanFocus()) Button1->SetFocus();
}

void TFrmAttention::Button1Click() {
  pending_result_ = kBoxOk;
  Close();
}

void TFrmAttention::Button2Click() {
  pending_result_ = kBoxCancel;
  Close();
}

void TFrmAttention::FormClose(forms::TCloseAction&) { SetModalResult(pending_result_); }

namespace {

forms::TModalResult ShowBox(BoxButtons buttons, const std::string& text, bool escape_presses_ok) {
  if (!FrmAttention) return kBoxClosed;
  FrmAttention->skForm1->SetCaption(std::string(MessageBoxTitle));
  FrmAttention->SetButtonCount(static_cast<unsigned>(buttons));
  FrmAttention->SetEscapePressesOk(escape_presses_ok);
  FrmAttention->SetMessageText(text);
  return FrmAttention->ShowModal();
}

}  // namespace

forms::TModalResult ShowAttention(BoxButtons buttons, const std::string& text) {
  return ShowBox(buttons, text, false);
}

forms::TModalResult ShowAttentionSafeOk(const std::string& text) { return ShowBox(BoxButtons::kOkCancel, text, true); }

}  // namespace vardeck
