// The drive functions' logic over a seam of system calls: the drive-path list (drive roots,
// then mount points), a volume's name, file system and sizes, whether a destination lies on
// the scanned volume, and opening a scan's device path. The DLL answers the seam with the
// Win32 volume functions; tests answer it with the volumes they make up.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "engine/text_list.h"
#include "engine/volume_reader.h"

namespace scavrel {

// GetDriveTypeA's answers that the drive list keeps.
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;

// Bounds of the system's answers, as the callers' buffers give them.
constexpr uint32_t kMountPointNameSize = 1000;
constexpr uint32_t kVolumePathSize = 1000;
constexpr uint32_t kVolumeNameSize = 100;
constexpr uint32_t kFileSystemNameSize = 100;

// The system calls behind the drive functions, one method each.
class VolumeSystem {
 public:
  virtual ~VolumeSystem() = default;
  // GetVersionExA: the major version; false when the version cannot be read.
  virtual bool MajorVersion(uint32_t* major) = 0;
  // GetLogicalDriveStringsA: the roots, each zero-terminated, then an empty entry.
  virtual std::string LogicalDriveStrings() = 0;
  virtual uint32_t DriveType(const std::string& root) = 0;
  // FindFirstVolumeMountPointA / FindNext / Close. A search handle, or null when none opens.
  virtual void* FindFirstMountPoint(const std::string& root, std::string* name) = 0;
  virtual bool FindNextMountPoint(void* search, std::string* name) = 0;
  virtual void FindMountPointClose(void* search) = 0;
  // GetVolumeNameForVolumeMountPointA ("\\?\Volume{...}\").
  virtual bool VolumeNameForMountPoint(const std::string& path, std::string* volume_name) = 0;
  // GetVolumeInformationA: the file-system name ("FAT", "FAT32", "NTFS", ...).
  virtual bool FileSystemName(const std::string& path, std::string* file_system) = 0;
  // GetDiskFreeSpaceExA.
  virtual bool DiskFreeSpace(const std::string& path, uint64_t* free_to_caller,
                             uint64_t* total, uint64_t* total_free) = 0;
  // GetVolumePathNameA: the root or mount point of the volume that holds a path.
  virtual bool VolumePathName(const std::string& path, std::string* volume_path) = 0;
  // GetVolumePathNamesForVolumeNameA: the drive letters and folders a volume is mounted at.
  virtual bool VolumePathNames(const std::string& volume_name, std::vector<std::string>* paths) = 0;
};

// The entries of a GetLogicalDriveStringsA answer, up to the empty one.
std::vector<std::string> SplitDriveStrings(const std::string& strings);

// GetDriverList's work: false (the list untouched, the flag 0) when the version cannot be read.
bool BuildDriveList(VolumeSystem& system, TextList* list, uint8_t* nt5_or_later);

struct DriveInfo {
  std::string volume_name;  // the device path a scan opens, plus a trailing backslash
  std::string file_system;
  uint64_t total_bytes = 0;
  uint64_t free_to_caller = 0;
  uint64_t total_free = 0;
};

// GetDriverInfo's work. Before NT 5 the path itself stands for the volume name.
bool ReadDriveInfo(VolumeSystem& system, uint8_t nt5_or_later, const std::string& path,
                   DriveInfo* info);

// CheckCurrentDriver's work: true when the destination's volume is the scanned volume (the
// tree of the current engine): when its volume path is the one of the caption that names the
// tree's root, or when its volume's name is the scanned device (`scanned_device`, the scan's
// volume device path; empty: not known), so that the volume reached through another drive
// letter or a mount point is recognised too.
bool DestinationOnScannedVolume(VolumeSystem& system, FoundTree& tree,
                                const std::string& scanned_device,
                                const std::string& destination,
                                const std::function<std::string(const char16_t*)>& to_ansi);

using VolumeOpener =
    std::function<std::unique_ptr<VolumeReader>(const std::string& path, uint32_t* error)>;

// Opens a scan's device path. Some systems (Wine) open a volume by its "\\?\Volume{...}" name
// but cannot read through it: when the name does not give a readable first sector, the same
// volume is opened through its drive letter ("\\.\X:"). Null with *error set when neither
// opens; a volume that opens but cannot be read is handed back for the scanner to report.
std::unique_ptr<VolumeReader> OpenScanVolume(VolumeSystem& system, const VolumeOpener& open,
                                             const std::string& device_path, uint32_t* error);

}  // namespace scavrel
