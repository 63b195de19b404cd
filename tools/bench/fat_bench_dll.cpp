// Times the FAT scan through Scavrel.dll as the front end runs it: ProcFat, then GetProgress
// polled until the scan has finished. Windows only (run under Wine by bench_fat.sh):
//   fat_bench_dll DEVICE_PATH [REPEAT]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

using Bool8 = uint8_t;
HMODULE g_module = nullptr;

template <typename F>
F Call(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_module, name)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fat_bench_dll DEVICE_PATH [REPEAT]\n");
    return 2;
  }
  int repeat = argc > 2 ? std::atoi(argv[2]) : 3;
  g_module = LoadLibraryA("Scavrel.dll");
  if (g_module == nullptr) {
    std::fprintf(stderr, "Scavrel.dll not loaded: %lu\n", GetLastError());
    return 1;
  }
  auto proc_fat = Call<Bool8 (*)(const char*, const char*, uint8_t)>("ProcFat");
  auto get_progress =
      Call<Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**, uint8_t*)>("GetProgress");
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (uint8_t full : {0, 1}) {
    double best = 1e30;
    uint64_t files = 0;
    for (int i = 0; i < repeat; ++i) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      if (!proc_fat("X:\\", argv[1], full)) {
        std::fprintf(stderr, "ProcFat refused\n");
        return 1;
      }
      uint64_t done, total, a, b;
      uint8_t finished = 0;
      char text[1001];
      char* out = text;
      do {
        Sleep(1);
        get_progress(&done, &total, &a, &b, &out, &finished);
      } while (!finished);
      QueryPerformanceCounter(&end);
      double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                  static_cast<double>(frequency.QuadPart);
      if (ms < best) best = ms;
      files = a;
    }
    std::printf("%s scan: %.1f ms (best of %d), %llu deleted files counted\n",
                full ? "full" : "quick", best, repeat, static_cast<unsigned long long>(files));
  }
  return 0;
}
