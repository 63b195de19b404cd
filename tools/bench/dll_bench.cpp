// Times scans and saves through Scavrel.dll as the front end runs them: ProcFat or ProcNtfs,
// then GetProgress polled until the scan has finished; for a save the root ticked with
// ClickNtfsNode and SaveDeleteFile with GetProgressSave polled the same way. Windows only (run
// under Wine by the bench scripts):
//   dll_bench scan fat|ntfs DEVICE_PATH [REPEAT]         quick and full scan, best of REPEAT
//   dll_bench save fat|ntfs DEVICE_PATH DEST [full]      one scan, then one save into DEST
//   dll_bench rewrite SOURCE DEST                        the system's own part of a save: the
//       files and folders under SOURCE (a save's output, read into memory first, untimed)
//       made again under DEST as the save makes them, with CreateDirectoryW, CreateFileW,
//       one WriteFile and CloseHandle each; no volume read, no bookkeeping
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bool8 = uint8_t;
using ProgressFn = Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**, uint8_t*);
HMODULE g_module = nullptr;

template <typename F>
F Call(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_module, name)));
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Counters {
  uint64_t a = 0, b = 0;
};

// Polls a progress export every millisecond until its run has finished.
Counters WaitFinished(const char* progress_export) {
  auto progress = Call<ProgressFn>(progress_export);
  uint64_t done, total;
  Counters counters;
  uint8_t finished = 0;
  char text[1001];
  char* out = text;
  do {
    Sleep(1);
    progress(&done, &total, &counters.a, &counters.b, &out, &finished);
  } while (!finished);
  return counters;
}

bool Scan(bool ntfs, const char* device, uint8_t full) {
  auto start = Call<Bool8 (*)(const char*, const char*, uint8_t)>(ntfs ? "ProcNtfs" : "ProcFat");
  Call<Bool8 (*)(uint8_t)>("SetNtfs")(ntfs ? 1 : 0);
  if (!start("X:\\", device, full)) {
    std::fprintf(stderr, "the scan did not start\n");
    return false;
  }
  return true;
}

int RunScans(bool ntfs, const char* device, int repeat) {
  for (uint8_t full : {0, 1}) {
    double best = 1e30;
    Counters counters;
    for (int i = 0; i < repeat; ++i) {
      const double start = Now();
      if (!Scan(ntfs, device, full)) return 1;
      counters = WaitFinished("GetProgress");
      const double ms = Now() - start;
      if (ms < best) best = ms;
    }
    std::printf("%s scan: %.1f ms (best of %d), %llu deleted files counted\n",
                full ? "full" : "quick", best, repeat,
                static_cast<unsigned long long>(counters.a));
  }
  return 0;
}

int RunSave(bool ntfs, const char* device, const char* destination, uint8_t full) {
  double start = Now();
  if (!Scan(ntfs, device, full)) return 1;
  WaitFinished("GetProgress");
  const double scan_ms = Now() - start;
  void* root = nullptr;
  if ((Call<uint64_t (*)(void**)>("GetTreeFirst")(&root) & 0xFF) == 0 || root == nullptr) {
    std::fprintf(stderr, "the scan found no tree\n");
    return 1;
  }
  Call<Bool8 (*)(void*, uint32_t)>("ClickNtfsNode")(root, 3);
  start = Now();
  if (!Call<Bool8 (*)(const char*)>("SaveDeleteFile")(destination)) {
    std::fprintf(stderr, "the save did not start\n");
    return 1;
  }
  Counters saved = WaitFinished("GetProgressSave");
  const double save_ms = Now() - start;
  std::printf("scan: %.1f ms\nsave: %.1f ms, %llu files saved, %llu folders made\n", scan_ms,
              save_ms, static_cast<unsigned long long>(saved.a),
              static_cast<unsigned long long>(saved.b));
  return 0;
}

struct Found {
  std::wstring path;  // below the source, with a leading backslash
  bool folder = false;
  std::vector<char> bytes;
};

// Folders before the files in them, in the order FindFirstFileW lists them.
void ReadTree(const std::wstring& source, const std::wstring& below, std::vector<Found>* out) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((source + below + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> folders;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    Found found;
    found.path = below + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      found.folder = true;
      folders.push_back(found.path);
      out->push_back(std::move(found));
      continue;
    }
    HANDLE file = CreateFileW((source + found.path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    found.bytes.resize(data.nFileSizeLow);
    DWORD read = 0;
    if (!found.bytes.empty()) ReadFile(file, found.bytes.data(), data.nFileSizeLow, &read, nullptr);
    CloseHandle(file);
    out->push_back(std::move(found));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  for (const std::wstring& folder : folders) ReadTree(source, folder, out);
}

std::wstring WideOf(const char* text) {
  wchar_t buffer[MAX_PATH * 4] = {};
  MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, MAX_PATH * 4);
  return buffer;
}

int RunRewrite(const char* source_text, const char* destination_text) {
  std::vector<Found> tree;
  ReadTree(WideOf(source_text), L"", &tree);
  // The long-path form, as the save opens its files.
  const std::wstring destination = L"\\\\?\\" + WideOf(destination_text);
  CreateDirectoryW(destination.c_str(), nullptr);
  unsigned long long files = 0, failures = 0;
  const double start = Now();
  for (const Found& found : tree) {
    const std::wstring path = destination + found.path;
    if (found.folder) {
      if (!CreateDirectoryW(path.c_str(), nullptr)) ++failures;
      continue;
    }
    HANDLE file = CreateFileW(path.c_str(), FILE_ALL_ACCESS, FILE_SHARE_WRITE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      ++failures;
      continue;
    }
    DWORD written = 0;
    if (!found.bytes.empty() &&
        !WriteFile(file, found.bytes.data(), static_cast<DWORD>(found.bytes.size()), &written,
                   nullptr)) {
      ++failures;
    }
    CloseHandle(file);
    ++files;
  }
  const double ms = Now() - start;
  std::printf("rewrite: %.1f ms, %llu files, %llu failures\n", ms, files, failures);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool scan = argc >= 4 && std::strcmp(argv[1], "scan") == 0;
  const bool save = argc >= 5 && std::strcmp(argv[1], "save") == 0;
  if (argc >= 4 && std::strcmp(argv[1], "rewrite") == 0) return RunRewrite(argv[2], argv[3]);
  if (!scan && !save) {
    std::fprintf(stderr,
                 "usage: dll_bench scan fat|ntfs DEVICE_PATH [REPEAT]\n"
                 "       dll_bench save fat|ntfs DEVICE_PATH DEST [full]\n"
                 "       dll_bench rewrite SOURCE DEST\n");
    return 2;
  }
  g_module = LoadLibraryA("Scavrel.dll");
  if (g_module == nullptr) {
    std::fprintf(stderr, "Scavrel.dll not loaded: %lu\n", GetLastError());
    return 1;
  }
  const bool ntfs = std::strcmp(argv[2], "ntfs") == 0;
  if (scan) return RunScans(ntfs, argv[3], argc > 4 ? std::atoi(argv[4]) : 3);
  return RunSave(ntfs, argv[3], argv[4], argc > 5 && std::strcmp(argv[5], "full") == 0);
}
