// The front end's calls into Scavrel.dll, each with its buffers and argument order in one
// place: the drive list, a volume's name, file system and sizes, and the pushes of the filter
// bounds and name filter by the start window and the filter and find dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/SharedState.h"

namespace vardeck {

struct DriveInfo {
  std::string volume_name;   // the volume's device name, with its trailing backslash
  std::string file_system;   // "NTFS", "FAT", "FAT32" or whatever the system reports
  uint64_t total_bytes = 0;
  uint64_t free_to_caller = 0;
  uint64_t total_free = 0;
};

// The engine's drive and mount-point paths in its order; false when it gives no list.
bool EngineDriveNames(std::vector<std::string>& names);

// GetDriverInfo for one path; false when the engine cannot read the volume.
bool EngineDriveInfo(const std::string& path, DriveInfo& info);

// The pushes of the filters at the start window's creation (name filter first, then the size,
// modification and creation bounds) and before every scan (modification, creation and size
// bounds, then the name filter). The engine treats all-ones bounds as not set.
void PushFiltersAtCreation(const FilterBounds& bounds, const std::string& name_filter);
void PushFiltersBeforeScan(const FilterBounds& bounds, const std::string& name_filter);
// The filter and find dialogs' push when their settings are accepted: creation, modification
// and size bounds, the name filter, then auto-rename on.
void PushFiltersFromDialog(const FilterBounds& bounds, const std::string& name_filter);

// What the engine filters by now, as the filter and find dialogs show it when they open: the
// six bounds (read creation, modification, then size maximum and minimum), and the name list
// read item by item through a 101-byte buffer, each item trimmed, joined by ",".
FilterBounds EngineFilterBounds();
std::string EngineNameFilterText();
// The longest name list the dialogs let the user set, one less than that buffer: no item can
// be longer than the list, so every item comes back whole (and a read-back pushed again on OK
// is the list that was set, not one cut short).
inline constexpr int kNameFilterMaxLength = 100;

// Which engine object the later calls address: true for "NTFS", false for "FAT" and "FAT32";
// any other name (letter case counts) gives no engine and returns false without a call.
bool ChooseEngineFor(const std::string& file_system, uint8_t& ntfs_chosen);

}  // namespace vardeck
