// The front end's engine calls (see EngineCalls.h).
#include "frontend/win/EngineCalls.h"

#include <array>
#include <string_view>

#include "engine/scavrel_api.h"

namespace vardeck {

namespace {

uint32_t Low(uint64_t v) { return static_cast<uint32_t>(v); }
uint32_t High(uint64_t v) { return static_cast<uint32_t>(v >> 32); }

static_assert(static_cast<unsigned>(kNameFilterMaxLength) + 1 == kOutTextFileSystemSize,
              "a name list the dialogs take fits the buffer one item is read into");

uint64_t ReadBound(scavrel_api::Bool8 (*get)(uint64_t*)) {
  uint64_t v = kFilterBoundNotSet;
  return get(&v) ? v : kFilterBoundNotSet;
}

std::string Trimmed(const char* text) {
  std::string_view s(text);
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

bool EngineDriveNames(std::vector<std::string>& names) {
  names.clear();
  scavrel_api::ListPosition position{};
  if (!GetDriverList(&position)) return false;
  // A list longer than any machine's drives and mount points means a position that does not
  // advance: stop rather than loop.
  for (int guard = 0; position && guard < 4096; ++guard) {
    std::array<char, kOutTextPathSize> name{};
    char* out = name.data();
    if (!GetDriverName(&position, &out)) break;
    name.back() = '\0';
    names.emplace_back(name.data());
  }
  return true;
}

bool EngineDriveInfo(const std::string& path, DriveInfo& info) {
  std::array<char, kOutTextPathSize> volume{};
  std::array<char, kOutTextFileSystemSize> file_system{};
  char* volume_out = volume.data();
  char* file_system_out = file_system.data();
  uint64_t total = 0, available = 0, free = 0;
  if (!GetDriverInfo(path.c_str(), &volume_out, &file_system_out, &total, &available, &free))
    return false;
  volume.back() = '\0';
  file_system.back() = '\0';
  info.volume_name = volume.data();
  info.file_system = file_system.data();
  info.total_bytes = total;
  info.free_to_caller = available;
  info.total_free = free;
  return true;
}

void PushFiltersAtCreation(const FilterBounds& b, const std::string& name_filter) {
  SetFilterList(name_filter.c_str());
  SetMinFilesize(Low(b.size_min), High(b.size_min));
  SetMaxFilesize(Low(b.size_max), High(b.size_max));
  SetMaxModifyfile(Low(b.modify_max), High(b.modify_max));
  SetMinModifyfile(Low(b.modify_min), High(b.modify_min));
  SetMaxCreatefile(Low(b.create_max), High(b.create_max));
  SetMinCreatefile(Low(b.create_min), High(b.create_min));
}

void PushFiltersBeforeScan(const FilterBounds& b, const std::string& name_filter) {
  SetMaxModifyfile(Low(b.modify_max), High(b.modify_max));
  SetMinModifyfile(Low(b.modify_min), High(b.modify_min));
  SetMaxCreatefile(Low(b.create_max), High(b.create_max));
  SetMinCreatefile(Low(b.create_min), High(b.create_min));
  SetMinFilesize(Low(b.size_min), High(b.size_min));
  SetMaxFilesize(Low(b.size_max), High(b.size_max));
  SetFilterList(name_filter.c_str());
}

void PushFiltersFromDialog(const FilterBounds& b, const std::string& name_filter) {
  SetMaxCreatefile(Low(b.create_max), High(b.create_max));
  SetMinCreatefile(Low(b.create_min), High(b.create_min));
  SetMaxModifyfile(Low(b.modify_max), High(b.modify_max));
  SetMinModifyfile(Low(b.modify_min), High(b.modify_min));
  SetMinFilesize(Low(b.size_min), High(b.size_min));
  SetMaxFilesize(Low(b.size_max), High(b.size_max));
  SetFilterList(name_filter.c_str());
  SetAutoRename(1);
}

FilterBounds EngineFilterBounds() {
  FilterBounds b;
  b.create_min = ReadBound(GetMinCreatefile);
  b.create_max = ReadBound(GetMaxCreatefile);
  b.modify_min = ReadBound(GetMinModifyfile);
  b.modify_max = ReadBound(GetMaxModifyfile);
  b.size_max = ReadBound(GetMaxFile);
  b.size_min = ReadBound(GetMinFile);
  return b;
}

std::string EngineNameFilterText() {
  std::string text;
  scavrel_api::ListPosition position{};
  if (!GetFilterHeader(&position)) return text;
  // The engine splits one pushed text at its commas: a list far longer than any text the
  // dialogs push means a position that does not advance: stop rather than loop.
  for (int guard = 0; position && guard < 4096; ++guard) {
    std::array<char, kOutTextFileSystemSize> item{};
    // The result says whether another item follows; this one was copied either way.
    GetFilterList(&position, item.data());
    item.back() = '\0';
    const std::string trimmed = Trimmed(item.data());
    if (!text.empty()) text += ',';
    text += trimmed;
  }
  return text;
}

bool ChooseEngineFor(const std::string& file_system, uint8_t& ntfs_chosen) {
  if (file_system == "NTFS") {
    ntfs_chosen = 1;
    SetNtfs(1);
    return true;
  }
  if (file_system == "FAT" || file_system == "FAT32") {
    ntfs_chosen = 0;
    SetNtfs(0);
    return true;
  }
  return false;
}

}  // namespace vardeck
