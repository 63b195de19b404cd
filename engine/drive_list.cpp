// Drive list, volume information, the destination test and the scan's volume opening.
#include "engine/drive_list.h"

#include <cctype>

namespace scavrel {

namespace {

constexpr size_t kFirstSectorSize = 512;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
         path[1] == ':' && path[2] == '\\';
}

bool FirstSectorReadable(VolumeReader& reader) {
  uint8_t sector[kFirstSectorSize];
  return reader.Read(0, sector, sizeof(sector));
}

}  // namespace

std::vector<std::string> SplitDriveStrings(const std::string& strings) {
  std::vector<std::string> roots;
  size_t start = 0;
  while (start < strings.size()) {
    size_t end = strings.find('\0', start);
    if (end == std::string::npos) end = strings.size();
    if (end == start) break;  // the empty entry ends the list
    roots.push_back(strings.substr(start, end - start));
    start = end + 1;
  }
  return roots;
}

bool BuildDriveList(VolumeSystem& system, TextList* list, uint8_t* nt5_or_later) {
  uint32_t major = 0;
  if (!system.MajorVersion(&major)) {
    *nt5_or_later = 0;
    return false;
  }
  *nt5_or_later = major > 4 ? 1 : 0;
  list->Clear();

  std::vector<std::string> roots;
  for (const std::string& root : SplitDriveStrings(system.LogicalDriveStrings())) {
    uint32_t type = system.DriveType(root);
    if (type == kDriveRemovable || type == kDriveFixed) {
      list->Add(root);
      roots.push_back(root);
    }
  }
  if (*nt5_or_later == 0) return true;

  // Mount points follow all roots; only the roots are searched, not the mount points found.
  for (const std::string& root : roots) {
    std::string name;
    void* search = system.FindFirstMountPoint(root, &name);
    if (search == nullptr) continue;
    list->Add(root + name);
    while (system.FindNextMountPoint(search, &name)) list->Add(root + name);
    system.FindMountPointClose(search);
  }
  return true;
}

bool ReadDriveInfo(VolumeSystem& system, uint8_t nt5_or_later, const std::string& path,
                   DriveInfo* info) {
  if (nt5_or_later == 1) {
    if (!system.VolumeNameForMountPoint(path, &info->volume_name)) return false;
  } else {
    info->volume_name = path;
  }
  if (!system.FileSystemName(path, &info->file_system)) return false;
  return system.DiskFreeSpace(path, &info->free_to_caller, &info->total_bytes,
                              &info->total_free);
}

namespace {

// A volume name in one form for comparing: trailing backslash dropped, letters folded (the
// system does not promise one case for the GUID's hex digits).
std::string VolumeKey(std::string name) {
  while (!name.empty() && name.back() == '\\') name.pop_back();
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// The volume name of a scan's device path: a volume name stands for itself; a drive's device
// path ("\\.\X:") or a bare drive ("X:", "X:\") is asked for the name of its root. Empty when
// the device names no volume the system knows.
std::string ScannedVolumeName(VolumeSystem& system, const std::string& device) {
  if (StartsWithNoCase(device, "\\\\?\\Volume{")) return VolumeKey(device);
  std::string drive = StartsWithNoCase(device, "\\\\.\\") ? device.substr(4) : device;
  if (drive.size() == 2 || (drive.size() == 3 && drive[2] == '\\')) {
    std::string root = drive.substr(0, 2) + "\\";
    std::string name;
    if (IsDriveRoot(root) && system.VolumeNameForMountPoint(root, &name)) return VolumeKey(name);
  }
  return std::string();
}

}  // namespace

bool DestinationOnScannedVolume(VolumeSystem& system, FoundTree& tree,
                                const std::string& scanned_device,
                                const std::string& destination,
                                const std::function<std::string(const char16_t*)>& to_ansi) {
  std::string destination_volume;
  if (!system.VolumePathName(destination, &destination_volume)) return false;
  // A tree pruned to nothing keeps a stale root reference: the node count decides.
  if (tree.empty()) return false;
  FoundNode* root = tree.FirstCreated();
  if (root == nullptr) return false;
  // The scanners create the root first; climbing from the first node finds it even when the
  // first node was hung below another. The walk is bounded by the node count.
  for (uint64_t steps = tree.node_count(); root->parent != nullptr && steps > 0; --steps) {
    root = root->parent;
  }
  if (root->record != nullptr) {
    std::string caption = to_ansi(GetWideName(LongNameSlot(root->record, tree.record_form())));
    std::string scanned_volume;
    if (system.VolumePathName(caption, &scanned_volume) && destination_volume == scanned_volume) {
      return true;
    }
  }
  const std::string scanned_name = ScannedVolumeName(system, scanned_device);
  std::string destination_name;
  return !scanned_name.empty() &&
         system.VolumeNameForMountPoint(destination_volume, &destination_name) &&
         VolumeKey(destination_name) == scanned_name;
}

std::unique_ptr<VolumeReader> OpenScanVolume(VolumeSystem& system, const VolumeOpener& open,
                                             const std::string& device_path, uint32_t* error) {
  uint32_t first_error = 0;
  std::unique_ptr<VolumeReader> reader = open(device_path, &first_error);
  if (reader != nullptr && FirstSectorReadable(*reader)) return reader;

  if (StartsWithNoCase(device_path, "\\\\?\\Volume{")) {
    std::string volume_name = device_path;
    if (volume_name.back() != '\\') volume_name += '\\';
    std::vector<std::string> paths;
    if (system.VolumePathNames(volume_name, &paths)) {
      for (const std::string& path : paths) {
        if (!IsDriveRoot(path)) continue;
        uint32_t letter_error = 0;
        std::unique_ptr<VolumeReader> by_letter =
            open("\\\\.\\" + path.substr(0, 2), &letter_error);
        if (by_letter != nullptr && FirstSectorReadable(*by_letter)) return by_letter;
        break;
      }
    }
  }
  if (reader == nullptr && error != nullptr) *error = first_error;
  return reader;
}

}  // namespace scavrel
