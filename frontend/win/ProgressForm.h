// TProgressForm: what the scan and save progress windows have in common: the counters, the
// current item, the phase text, the bar, Pause/Continue and Stop, the timer that notes the
// window on screen, and the refusal to close while the run it follows is still active (its
// watch thread closes it at the run's end). TFrmProgress and TFrmSaveProgress say which run
// that is and which engine exports pause, continue and stop it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "forms/Forms.h"
#include "skin/SkinButton.h"
#include "skin/SkinForm.h"
#include "skin/SkinProgressBar.h"

namespace vardeck {

class TProgressForm : public forms::TForm {
 public:
  // `found_caption` is the text before the current item; Timer1 gets `timer_interval`.
  TProgressForm(forms::TComponent* owner, int client_height, const std::string& found_caption,
                unsigned timer_interval);

  skin::TSkinForm* skForm1 = nullptr;
  forms::TLabel* Label2 = nullptr;
  forms::TLabel* LabFolder = nullptr;
  forms::TLabel* Label3 = nullptr;
  forms::TLabel* LabFile = nullptr;
  forms::TLabel* Label4 = nullptr;
  forms::TLabel* Labfindfile = nullptr;
  forms::TLabel* LabScan = nullptr;
  skin::TSkinProgressBar* ProgressBar1 = nullptr;
  skin::TSkinImageButton* Button2 = nullptr;
  skin::TSkinImageButton* Button3 = nullptr;
  forms::TTimer* Timer1 = nullptr;

  // The watch thread's end of the run, on the GUI thread: the one close the window lets
  // through while the run's state is not yet idle.
  void CloseAtRunEnd();
  // The current item's text in Labfindfile, shortened with "..." to the label's width.
  void ShowCurrentItem(const std::string& text);

  // The handlers, as the buttons, the timer and the window call them.
  void FormShow();
  void Timer1Timer();
  void Button2Click();
  void Button3Click();
  void FormCloseQuery(bool& can_close);

 protected:
  // The run this window follows (ScanState or SaveState) and its engine controls.
  virtual std::atomic<int32_t>& RunState() = 0;
  virtual void PauseRun() = 0;
  virtual void ContinueRun() = 0;
  virtual void StopRun() = 0;

 private:
  bool closing_at_run_end_ = false;
};

// The captions Button2 alternates between.
inline constexpr const char* kPauseCaption = "&Pause";
inline constexpr const char* kContinueCaption = "&Continue";

}  // namespace vardeck
