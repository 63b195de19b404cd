// Win32 worker platform and volume functions.
#include "engine/win/win32_platform.h"

#include <windows.h>

#include <new>

#include "engine/run_control.h"
#include "engine/win/win32_volume_reader.h"

namespace scavrel {

namespace {

constexpr DWORD kVersionInfoSize = 148;  // OSVERSIONINFOA

struct ThreadStart {
  WorkerPlatform::ThreadRoutine routine;
  void* parameter;
  HMODULE pinned;  // null when the code lives in the executable itself
};

DWORD WINAPI WorkerThreadEntry(LPVOID argument) {
  ThreadStart start = *static_cast<ThreadStart*>(argument);
  delete static_cast<ThreadStart*>(argument);
  start.routine(start.parameter);
  if (start.pinned != nullptr) FreeLibraryAndExitThread(start.pinned, 0);
  return 0;
}

int64_t PerformanceTicksPerInterval() {
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 0;
  return frequency.QuadPart * Win32WorkerPlatform::kPumpIntervalMs / 1000;
}

const int64_t g_pump_interval = PerformanceTicksPerInterval();

}  // namespace

std::string SystemErrorText(uint32_t code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
      0, nullptr);
  if (length == 0 || buffer == nullptr) {
    if (buffer != nullptr) LocalFree(buffer);
    return "Unknow Error!";
  }
  std::string text(buffer, length);
  LocalFree(buffer);
  return text;
}

// --- volume functions -------------------------------------------------------------------------

bool Win32VolumeSystem::MajorVersion(uint32_t* major) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = kVersionInfoSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  *major = version.dwMajorVersion;
  return true;
}

std::string Win32VolumeSystem::LogicalDriveStrings() {
  DWORD size = GetLogicalDriveStringsA(0, nullptr);
  if (size == 0) return std::string();
  std::string buffer(size + 1, '\0');
  DWORD length = GetLogicalDriveStringsA(size, buffer.data());
  if (length == 0 || length > size) return std::string();
  buffer.resize(length);
  return buffer;
}

uint32_t Win32VolumeSystem::DriveType(const std::string& root) {
  return GetDriveTypeA(root.c_str());
}

void* Win32VolumeSystem::FindFirstMountPoint(const std::string& root, std::string* name) {
  char buffer[kMountPointNameSize] = {};
  HANDLE search = FindFirstVolumeMountPointA(root.c_str(), buffer, sizeof(buffer));
  if (search == INVALID_HANDLE_VALUE) return nullptr;
  *name = buffer;
  return search;
}

bool Win32VolumeSystem::FindNextMountPoint(void* search, std::string* name) {
  char buffer[kMountPointNameSize] = {};
  if (!FindNextVolumeMountPointA(search, buffer, sizeof(buffer))) return false;
  *name = buffer;
  return true;
}

void Win32VolumeSystem::FindMountPointClose(void* search) { FindVolumeMountPointClose(search); }

bool Win32VolumeSystem::VolumeNameForMountPoint(const std::string& path,
                                                std::string* volume_name) {
  char buffer[kVolumeNameSize] = {};
  if (!GetVolumeNameForVolumeMountPointA(path.c_str(), buffer, sizeof(buffer))) return false;
  *volume_name = buffer;
  return true;
}

bool Win32VolumeSystem::FileSystemName(const std::string& path, std::string* file_system) {
  char label[kFileSystemNameSize] = {};
  char name[kFileSystemNameSize] = {};
  if (!GetVolumeInformationA(path.c_str(), label, sizeof(label), nullptr, nullptr, nullptr, name,
                             sizeof(name))) {
    return false;
  }
  *file_system = name;
  return true;
}

bool Win32VolumeSystem::DiskFreeSpace(const std::string& path, uint64_t* free_to_caller,
                                      uint64_t* total, uint64_t* total_free) {
  ULARGE_INTEGER available{}, bytes{}, free_bytes{};
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &bytes, &free_bytes)) return false;
  *free_to_caller = available.QuadPart;
  *total = bytes.QuadPart;
  *total_free = free_bytes.QuadPart;
  return true;
}

bool Win32VolumeSystem::VolumePathName(const std::string& path, std::string* volume_path) {
  char buffer[kVolumePathSize] = {};
  if (!GetVolumePathNameA(path.c_str(), buffer, sizeof(buffer))) return false;
  *volume_path = buffer;
  return true;
}

bool Win32VolumeSystem::VolumePathNames(const std::string& volume_name,
                                        std::vector<std::string>* paths) {
  char buffer[kVolumePathSize] = {};
  DWORD returned = 0;
  if (!GetVolumePathNamesForVolumeNameA(volume_name.c_str(), buffer, sizeof(buffer) - 1,
                                        &returned)) {
    return false;
  }
  *paths = SplitDriveStrings(std::string(buffer, sizeof(buffer)));
  return true;
}

// --- worker platform --------------------------------------------------------------------------

std::unique_ptr<VolumeReader> Win32WorkerPlatform::OpenVolume(const std::string& path,
                                                              uint32_t* error) {
  VolumeOpener open = [](const std::string& device, uint32_t* open_error)
      -> std::unique_ptr<VolumeReader> {
    auto reader = std::make_unique<Win32VolumeReader>();
    if (!reader->Open(device)) {
      if (open_error) *open_error = reader->LastErrorCode();
      return nullptr;
    }
    return reader;
  };
  return OpenScanVolume(volumes_, open, path, error);
}

void Win32WorkerPlatform::PumpMessages() {
  thread_local PumpGate gate(g_pump_interval);
  if (!gate.ClockDue()) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (!gate.Due(now.QuadPart)) return;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::string Win32WorkerPlatform::SystemErrorText(uint32_t code) {
  return scavrel::SystemErrorText(code);
}

void Win32WorkerPlatform::ShowReadError(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Read", MB_OK | MB_ICONERROR);
}

void* Win32WorkerPlatform::StartThread(ThreadRoutine routine, void* parameter) {
  auto* start = new (std::nothrow) ThreadStart{routine, parameter, nullptr};
  if (start == nullptr) return nullptr;
  // Code linked into the executable needs no pin: nothing unloads it.
  auto code = reinterpret_cast<LPCSTR>(&WorkerThreadEntry);
  HMODULE module = nullptr;
  if (GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          code, &module) &&
      module != GetModuleHandleA(nullptr)) {
    HMODULE pinned = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, code, &pinned)) {
      start->pinned = pinned;
    }
  }
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &WorkerThreadEntry, start, 0, &id);
  if (thread == nullptr) {
    if (start->pinned != nullptr) FreeLibrary(start->pinned);
    delete start;
    return nullptr;
  }
  return thread;
}

void Win32WorkerPlatform::CloseThread(void* handle) { CloseHandle(handle); }

}  // namespace scavrel
