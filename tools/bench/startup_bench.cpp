// Start-up benchmark: the time from this process's start to the start window on the screen,
// with the nine windows made as Vardeck.exe makes them. Run by tools/bench/bench_startup.sh
// under Wine and a private X server, once with the program's skin archives and once with the
// built-in look (the themes pointed at a resource that does not exist), to show what loading
// the 13 archives costs.
//   startup_bench.exe skin|builtin
// Prints one line: "<mode> <ms from process start> <ms making the windows> <ms showing the start
// window>".
//   startup_bench.exe alternate
// Makes and destroys the nine windows eight times with each look, alternately, in this one
// process, and prints "alternate <fastest ms with the built-in look> <fastest ms with the skin>":
// the least disturbed figure on a busy machine.
//   startup_bench.exe themes
// Times only what the archives cost: 13 built-in themes made on one bare form, as the nine
// windows make theirs, in a fresh process. Prints "themes <ms>".
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "forms/Forms.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"

namespace {

double Milliseconds(const FILETIME& from, const FILETIME& to) {
  ULARGE_INTEGER a{}, b{};
  a.LowPart = from.dwLowDateTime;
  a.HighPart = from.dwHighDateTime;
  b.LowPart = to.dwLowDateTime;
  b.HighPart = to.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

}  // namespace

double NowMs() {
  LARGE_INTEGER frequency{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "alternate") == 0) {
    if (!forms::Application()->Handle()) return 1;
    double fastest[2] = {1e9, 1e9};
    for (int round = 0; round < 8; ++round)
      for (int skin = 0; skin < 2; ++skin) {
        vardeck::SetSkinResource(nullptr, skin ? nullptr : "NO_SUCH_SKIN");
        const double begin = NowMs();
        vardeck::CreateForms();
        const double made = NowMs() - begin;
        vardeck::DestroyForms();
        if (made < fastest[skin]) fastest[skin] = made;
      }
    std::printf("alternate %.1f %.1f\n", fastest[0], fastest[1]);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "themes") == 0) {
    forms::Application();
    forms::TForm form(nullptr);
    LARGE_INTEGER frequency{}, begin{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    for (int i = 0; i < 13; ++i) vardeck::AddBuiltInTheme(&form, "skBuiltInFileTheme");
    QueryPerformanceCounter(&end);
    std::printf("themes %.1f\n", 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                                     static_cast<double>(frequency.QuadPart));
    return 0;
  }
  const bool skin = argc > 1 && std::strcmp(argv[1], "skin") == 0;
  if (!skin) vardeck::SetSkinResource(nullptr, "NO_SUCH_SKIN");
  forms::TApplication* app = forms::Application();
  if (!app->Handle()) {
    std::fprintf(stderr, "no window system\n");
    return 1;
  }
  LARGE_INTEGER frequency{}, begin{}, made{}, shown{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  vardeck::CreateForms();
  QueryPerformanceCounter(&made);
  vardeck::FrmRun->OnShow = nullptr;  // no drive reads: only the window itself is timed
  vardeck::FrmRun->Show();
  HWND wnd = vardeck::FrmRun->Handle();
  for (int i = 0; i < 2000 && !IsWindowVisible(wnd); ++i) {
    app->ProcessMessages();
    Sleep(1);
  }
  UpdateWindow(wnd);
  app->ProcessMessages();
  GdiFlush();
  QueryPerformanceCounter(&shown);
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  auto ms = [&](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) /
           static_cast<double>(frequency.QuadPart);
  };
  std::printf("%s %.1f %.1f %.1f\n", skin ? "skin" : "builtin", Milliseconds(created, now),
              ms(begin, made), ms(made, shown));
  std::fflush(stdout);
  vardeck::DestroyForms();
  return 0;
}
