// The progress windows' shared controls and handlers (see ProgressForm.h).
#include "frontend/win/ProgressForm.h"

#include "frontend/ProductTexts.h"
#include "frontend/SharedState.h"
#include "frontend/TextRoutines.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/ProgramArt.h"

namespace vardeck {

namespace {

// Layout of the 409-pixel-wide client area: counters and the current item in two columns
// under the title bar, the phase text, the bar, the buttons at the bottom right.
constexpr int kClientWidth = 409;
constexpr int kCaptionLeft = 22, kValueLeft = 96, kValueWidth = 300;
constexpr int kFirstRow = 36, kRowStep = 18;
constexpr int kBarLeft = 13, kBarWidth = 383, kBarHeight = 15;
constexpr int kButtonWidth = 73, kButtonHeight = 24, kButtonGap = 8;

forms::TLabel* MakeLabel(forms::TForm* form, skin::TSkinForm* frame, int left, int top,
                         int width, const std::string& caption) {
  auto* label = new forms::TLabel(form);
  label->SetAutoSize(false);
  label->SetTransparent(true);
  label->SetShowAccelChar(false);  // file names may hold "&"
  label->SetBounds(left, top, width, 14);
  label->Font().SetName("Tahoma");
  label->Font().SetSize(8);
  label->Font().SetColor(kTextBlue);
  label->SetCaption(caption);
  label->SetParent(frame);
  return label;
}

}  // namespace

TProgressForm::TProgressForm(forms::TComponent* owner, int client_height,
                             const std::string& found_caption, unsigned timer_interval)
    : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(client_height);
  skForm1 = WearFrame(this, FrameButtons::Dialog, std::string(ProductTitle));
  AddBuiltInTheme(this, "skBuiltInFileTheme2");

  Label2 = MakeLabel(this, skForm1, kCaptionLeft, kFirstRow, 70, "Folders:");
  LabFolder = MakeLabel(this, skForm1, kValueLeft, kFirstRow, kValueWidth, "");
  Label3 = MakeLabel(this, skForm1, kCaptionLeft, kFirstRow + kRowStep, 70, "Files:");
  LabFile = MakeLabel(this, skForm1, kValueLeft, kFirstRow + kRowStep, kValueWidth, "");
  Label4 = MakeLabel(this, skForm1, kCaptionLeft, kFirstRow + 2 * kRowStep, 70, found_caption);
  Labfindfile = MakeLabel(this, skForm1, kValueLeft, kFirstRow + 2 * kRowStep, kValueWidth, "");
  LabScan = MakeLabel(this, skForm1, kCaptionLeft, kFirstRow + 3 * kRowStep + 4, 300, "");
  LabScan->Font().SetStyle(forms::fsBold);

  const int bottom = client_height - 12;
  ProgressBar1 = new skin::TSkinProgressBar(this);
  ProgressBar1->SetBounds(kBarLeft, bottom - kButtonHeight - 10 - kBarHeight, kBarWidth, kBarHeight);
  ProgressBar1->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  ProgressBar1->SetFileTheme(BuiltInTheme(this, 0));
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(100);
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetShowCaption(true);
  ProgressBar1->SetSmartShowCaption(true);
  ProgressBar1->SetBorderColor(kTextBlue);
  ProgressBar1->SetColor(forms::clWhite);
  ProgressBar1->SetParent(skForm1);

  const int button_top = bottom - kButtonHeight;
  Button3 = new skin::TSkinImageButton(this);
  Button3->SetBounds(kBarLeft + kBarWidth - kButtonWidth, button_top, kButtonWidth, kButtonHeight);
  Button3->SetCaption("&Stop");
  WearButtonArt(Button3, art::kDialogButton, 10);
  Button3->OnClick = [this](forms::TObject*) { Button3Click(); };
  Button3->SetParent(skForm1);

  Button2 = new skin::TSkinImageButton(this);
  Button2->SetBounds(Button3->Left() - kButtonGap - kButtonWidth, button_top, kButtonWidth,
                     kButtonHeight);
  Button2->SetCaption(kPauseCaption);
  WearButtonArt(Button2, art::kDialogButton, 10);
  Button2->OnClick = [this](forms::TObject*) { Button2Click(); };
  Button2->SetParent(skForm1);

  Timer1 = new forms::TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(timer_interval);
  Timer1->OnTimer = [this](forms::TObject*) { Timer1Timer(); };

  OnShow = [this](forms::TObject*) { FormShow(); };
  OnCloseQuery = [this](forms::TObject*, bool& can_close) { FormCloseQuery(can_close); };
  WearFirstTheme(this);
}

void TProgressForm::FormShow() {
  LabFolder->SetCaption("");
  LabFile->SetCaption("");
  Labfindfile->SetCaption("");
  ProgressBar1->SetPosition(0);
  Timer1->SetEnabled(true);
}

void TProgressForm::Timer1Timer() {
  Timer1->SetEnabled(false);
  ProgressShown = true;
}

void TProgressForm::Button2Click() {
  std::atomic<int32_t>& state = RunState();
  int32_t expected = kRunRunning;
  // Compare-and-swap: the watch thread may set the state to idle at this very moment, and a
  // run that has ended must not be taken for paused.
  if (state.compare_exchange_strong(expected, kRunPaused)) {
    Button2->SetCaption(kContinueCaption);
    PauseRun();
  } else if (expected == kRunPaused && state.compare_exchange_strong(expected, kRunRunning)) {
    Button2->SetCaption(kPauseCaption);
    ContinueRun();
  }
}

void TProgressForm::Button3Click() {
  if (RunState() == kRunIdle) {
    Close();
    return;
  }
  StopRun();
  StopRequested = 1;
}

void TProgressForm::FormCloseQuery(bool& can_close) {
  // Closing the window while its run goes on would leave the watch thread and the engine's
  // worker with nobody to follow them, and let the results window free the found tree under
  // a running worker: the close box, Alt+F4 and the system menu are refused until the end.
  can_close = closing_at_run_end_ || RunState() == kRunIdle;
}

void TProgressForm::ShowCurrentItem(const std::string& text) {
  // A long path ends in "..." rather than running under the window's edge.
  forms::TCanvas& canvas = Labfindfile->Canvas();
  canvas.Font().Assign(Labfindfile->Font());
  auto width = [&canvas](std::string_view part) { return canvas.TextWidth(std::string(part)); };
  Labfindfile->SetCaption(EllipsisText(width, text, Labfindfile->Width()));
}

void TProgressForm::CloseAtRunEnd() {
  closing_at_run_end_ = true;
  Close();
  closing_at_run_end_ = false;
}

}  // namespace vardeck
