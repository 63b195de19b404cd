// A failing disk under Wine, for tests: a module's import of kernel32's ReadFile is pointed at
// a stand-in that refuses every read touching one of the chosen byte ranges with ERROR_CRC
// (what Windows reports for a sector the drive cannot read) and hands every other read to the
// system. The module stays the one that ships; only the test's process sees the stand-in.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace scavrel::testing {

// Byte ranges whose reads fail; set before a run starts, read by its thread.
inline std::vector<std::pair<uint64_t, uint64_t>> g_bad;
inline std::atomic<int> g_refused{0};  // reads refused so far
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
inline ReadFileFn g_system_read = nullptr;

inline BOOL WINAPI FailingReadFile(HANDLE file, LPVOID buffer, DWORD length, LPDWORD read,
                                   LPOVERLAPPED overlapped) {
  LARGE_INTEGER zero{};
  LARGE_INTEGER at{};
  if (overlapped == nullptr && SetFilePointerEx(file, zero, &at, FILE_CURRENT)) {
    const uint64_t offset = static_cast<uint64_t>(at.QuadPart);
    for (const auto& [start, size] : g_bad) {
      if (offset < start + size && start < offset + length) {
        if (read != nullptr) *read = 0;
        ++g_refused;
        SetLastError(ERROR_CRC);
        return FALSE;
      }
    }
  }
  return g_system_read(file, buffer, length, read, overlapped);
}

// Points the module's import of kernel32's ReadFile at FailingReadFile.
inline bool HookReadFile(HMODULE module) {
  auto* base = reinterpret_cast<uint8_t*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return false;
  for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       library->Name != 0; ++library) {
    if (_stricmp(reinterpret_cast<const char*>(base + library->Name), "kernel32.dll") != 0)
      continue;
    const DWORD names_at =
        library->OriginalFirstThunk != 0 ? library->OriginalFirstThunk : library->FirstThunk;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names_at);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), "ReadFile") != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                          &protection))
        return false;
      g_system_read = reinterpret_cast<ReadFileFn>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(&FailingReadFile);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
      return true;
    }
  }
  return false;
}

}  // namespace scavrel::testing
