// Scavrel.dll as the tests under Wine drive it: the module loaded by name from the test's folder,
// exports called by name, GetProgress/GetProgressSave polled until their run has finished, the
// build tree's volumes named through Wine's Z: drive, and saved files read back and removed.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/found_tree.h"

namespace scavrel_dll {

using Bool8 = uint8_t;
using ProgressFn = Bool8 (*)(uint64_t*, uint64_t*, uint64_t*, uint64_t*, char**, uint8_t*);

// The test shares the process with the DLL, so the found tree it exports is read in place.
inline HMODULE g_scavrel = nullptr;

inline void LoadScavrel() { g_scavrel = LoadLibraryA("Scavrel.dll"); }
inline void FreeScavrel() {
  if (g_scavrel != nullptr) FreeLibrary(g_scavrel);
  g_scavrel = nullptr;
}

template <typename F>
F Bind(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// An export of Scavrel.dll by name.
template <typename F>
F Call(const char* name) {
  return Bind<F>(g_scavrel, name);
}

// A folder of the build tree (a Linux path) and a name in it, as Wine's Z: drive shows them.
inline std::string ZPath(const std::string& unix_folder, const std::string& name) {
  std::string path = "Z:" + unix_folder + "/" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// One answer of GetProgress or GetProgressSave: a and b are the two counters (deleted and
// recoverable files of a scan; files and folders of a save).
struct Progress {
  uint64_t done = 0, total = 0, a = 0, b = 0;
  std::string text;
  uint8_t finished = 0;
  bool operator==(const Progress&) const = default;
};

inline Progress Poll(const char* export_name = "GetProgress") {
  Progress p;
  char buffer[1001] = {};
  char* out = buffer;
  Call<ProgressFn>(export_name)(&p.done, &p.total, &p.a, &p.b, &out, &p.finished);
  p.text = buffer;
  return p;
}

// A worker asked to pause runs on to its next step before it stands there, later than at once
// on a busy machine. Waits until the export's answers stand still (two looks `gap_ms` apart
// the same) or the run has finished, for `limit_ms` at most; the last answer.
inline Progress WaitStill(const char* export_name = "GetProgress", DWORD gap_ms = 50,
                          DWORD limit_ms = 20000) {
  Progress last = Poll(export_name);
  const DWORD start = GetTickCount();
  for (;;) {
    Sleep(gap_ms);
    const Progress now = Poll(export_name);
    if (now == last || now.finished) return now;
    if (GetTickCount() - start > limit_ms) {
      ADD_FAILURE() << "the paused worker went on moving (done " << now.done << " of "
                    << now.total << ")";
      return now;
    }
    last = now;
  }
}

// Polls a progress export until its run has finished, at most 6000 times 5 ms (the front end's
// watch threads poll every 100 ms; these runs take well under a second). The last answer.
inline Progress PollUntilFinished(const char* export_name) {
  Progress p;
  for (int i = 0; i < 6000; ++i) {
    p = Poll(export_name);
    if (p.finished) return p;
    Sleep(5);
  }
  return p;
}

// The same, where a run that never ends is a failure of the test.
inline Progress WaitFor(const char* export_name) {
  Progress p = PollUntilFinished(export_name);
  if (!p.finished) ADD_FAILURE() << export_name << " never reported the end of the run";
  return p;
}

// A path in the user's temporary folder (ANSI): `name` and the process id, so that tests
// that ctest runs side by side do not meet.
inline std::string TempPath(const std::string& name) {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name + std::to_string(GetCurrentProcessId());
}

// A node's name as the front end shows it (GetDictionaryName, in the ANSI code page).
inline std::string NameOf(const scavrel::FoundNode* node) {
  char buffer[1001] = {};
  char* out = buffer;
  Call<Bool8 (*)(scavrel::EntryRecord*, char**)>("GetDictionaryName")(node->record, &out);
  return buffer;
}

inline std::wstring Wide(const std::string& text, UINT code_page = CP_UTF8) {
  int units = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()),
                                  nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      units);
  return wide;
}

inline std::vector<uint8_t> ReadWholeFile(const std::wstring& path, bool* found) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  *found = file != INVALID_HANDLE_VALUE;
  if (!*found) return bytes;
  uint8_t chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  CloseHandle(file);
  return bytes;
}

inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace scavrel_dll
