// The DLL's answers to the engine's seams: the worker platform (volume opening, the worker
// threads and their message pump, system error texts, the "Read" message box) and the Win32
// volume functions behind the drive list.
#pragma once

#include <cstdint>
#include <string>

#include "engine/drive_list.h"
#include "engine/engine.h"

namespace scavrel {

// The system's message text for an error code, line end included, or "Unknow Error!".
std::string SystemErrorText(uint32_t code);

class Win32VolumeSystem : public VolumeSystem {
 public:
  bool MajorVersion(uint32_t* major) override;
  std::string LogicalDriveStrings() override;
  uint32_t DriveType(const std::string& root) override;
  void* FindFirstMountPoint(const std::string& root, std::string* name) override;
  bool FindNextMountPoint(void* search, std::string* name) override;
  void FindMountPointClose(void* search) override;
  bool VolumeNameForMountPoint(const std::string& path, std::string* volume_name) override;
  bool FileSystemName(const std::string& path, std::string* file_system) override;
  bool DiskFreeSpace(const std::string& path, uint64_t* free_to_caller, uint64_t* total,
                     uint64_t* total_free) override;
  bool VolumePathName(const std::string& path, std::string* volume_path) override;
  bool VolumePathNames(const std::string& volume_name, std::vector<std::string>* paths) override;
};

class Win32WorkerPlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string& path, uint32_t* error) override;
  // Serves the calling thread's messages, at most once every few milliseconds.
  void PumpMessages() override;
  std::string SystemErrorText(uint32_t code) override;
  void ShowReadError(const std::string& text) override;
  // Worker threads keep the module that holds their code loaded until they end, so that
  // unloading the library while a scan or save runs does not pull the code from under them.
  void* StartThread(ThreadRoutine routine, void* parameter) override;
  void CloseThread(void* handle) override;

  // How long a worker goes without serving its messages, in milliseconds.
  static constexpr int kPumpIntervalMs = 4;

 private:
  Win32VolumeSystem volumes_;
};

}  // namespace scavrel
