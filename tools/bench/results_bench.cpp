// Times the results window over one volume image: the engine's scan (from the window's scan
// start to the engine's finished flag) and, after it, the results on screen (the folder tree
// built from the found tree, the first folder's rows filled, the window painted), or in find
// mode the hit list. Run under Wine with a display:
//   results_bench.exe IMAGE fat|ntfs [find]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/scavrel_api.h"
#include "forms/Forms.h"
#include "frontend/SharedState.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/VardeckMain.h"

using Clock = std::chrono::steady_clock;

static double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: results_bench IMAGE fat|ntfs [find]\n");
    return 2;
  }
  forms::TApplication* app = forms::Application();
  if (!app->Handle()) {
    std::fprintf(stderr, "no window system (DISPLAY unset)\n");
    return 1;
  }
  using namespace vardeck;
  CreateForms();
  const bool ntfs = std::strcmp(argv[2], "ntfs") == 0;
  FindMode = argc > 3 && std::strcmp(argv[3], "find") == 0;
  NtfsChosen = ntfs;
  SetNtfs(ntfs);
  FullScan = 0;
  ScanDriveCaption = "Z:\\";
  ScanDevicePath = argv[1];
  ScanState = kRunRunning;
  StopRequested = 0;

  Clock::time_point start = Clock::now(), scan_end{}, shown{};
  bool done = false;
  // In place of the progress window's watch: poll the engine as closely as the clock allows, so
  // the two times meet at the engine's finished flag.
  FrmFindFile->StartScanWatch = [&] {
    start = Clock::now();
    uint8_t finished = 0;
    char text[kOutTextPathSize];
    char* address = text;
    while (!finished) {
      uint64_t a, b, c, d;
      GetProgress(&a, &b, &c, &d, &address, &finished);
      if (!finished) Sleep(1);
    }
    scan_end = Clock::now();
    FrmFindFile->ShowScanResult();
    UpdateWindow(FrmFindFile->Handle());
    RedrawWindow(FrmFindFile->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    shown = Clock::now();
    ScanState = kRunIdle;
    done = true;
  };
  FrmFindFile->BeginScanResults();
  while (!done) {
    app->ProcessMessages();
    Sleep(1);
  }
  std::printf("engine scan:              %9.1f ms\n", Ms(scan_end - start));
  if (FindMode) {
    std::printf("hit list on screen after: %9.1f ms  (%u rows)\n", Ms(shown - scan_end),
                HitListCount);
  } else {
    std::printf("results tree on screen after: %9.1f ms  (%d folders, %u rows shown)\n",
                Ms(shown - scan_end), FrmFindFile->TreeView1->Items().Count(), FolderListCount);
  }
  std::fflush(stdout);
  DestroyForms();
  return 0;
}
