// The program's main block (see VardeckMain.h).
#include "frontend/win/VardeckMain.h"

#include "forms/Forms.h"
#include "frontend/win/InstanceGuard.h"
#include "frontend/win/UnitFind.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmCalendar.h"
#include "frontend/win/UnitFrmMessage.h"
#include "frontend/win/UnitFrmProgress.h"
#include "frontend/win/UnitFrmSaveProgress.h"
#include "frontend/win/UnitFrmSetting.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/WatchSupport.h"

namespace vardeck {

void CreateForms() {
  FrmRun = new TFrmRun(nullptr);
  forms::Application()->SetMainForm(FrmRun);
  FrmFindFile = new TFrmFindFile(nullptr);
  FrmSetting = new TFrmSetting(nullptr);
  // New folder filters rebuild the results window's tree and the folder it shows.
  FrmSetting->OnFiltersApplied = [] { FrmFindFile->ReapplyFilters(); };
  FrmMessage = new TFrmMessage(nullptr);
  FrmProgress = new TFrmProgress(nullptr);
  FrmSaveProgress = new TFrmSaveProgress(nullptr);
  FrmCalendar = new TFrmCalendar(nullptr);
  FrmFind = new TFrmFind(nullptr);
  FrmAttention = new TFrmAttention(nullptr);
}

namespace {
template <typename T>
void Destroy(T*& form) {
  delete form;
  form = nullptr;
}
}  // namespace

void DestroyForms() {
  Destroy(FrmAttention);
  Destroy(FrmFind);
  Destroy(FrmCalendar);
  Destroy(FrmSaveProgress);
  Destroy(FrmProgress);
  Destroy(FrmMessage);
  Destroy(FrmSetting);
  Destroy(FrmFindFile);
  Destroy(FrmRun);
}

int RunVardeck() {
  forms::TApplication* app = forms::Application();
  InstanceGuard guard;
  if (guard.Check(app->Handle())) return 0;
  // Without a window system there is no window to show and nothing to wait for.
  if (!app->Handle()) return 1;
  CreateForms();
  // The scans and saves are followed on the progress windows by the watch threads. (Tests that
  // make the windows in their own process leave the results window following runs itself.)
  ConnectWatchThreads();
  // The start window may already have ended the program (no language file): then it is never
  // shown and the loop is not entered.
  if (!app->Terminated()) app->Run();
  DestroyForms();
  return 0;
}

}  // namespace vardeck
