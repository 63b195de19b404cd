// The filters the user narrows the found entries with: extensions from the name filter list,
// a size window, a creation-time and a modification-time window, and each engine's node test
// built from them (the front end's tree and list fills and the save path ask it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/found_tree.h"

namespace scavrel {

// What the filters take from the platform beside the code page (engine/ansi_text.h, in which
// names are compared as ANSI bytes, maybe double-byte): the time-zone rule for NTFS times, which
// are UTC on disk while the bounds are local. The portable default is UTC; the library installs
// the system's rule at load and tests install their own.
class FilterPlatform {
 public:
  virtual ~FilterPlatform() = default;
  // A UTC file time in local time, by the time-zone rule in force now.
  virtual uint64_t UtcToLocal(uint64_t utc) const { return utc; }
};

const FilterPlatform& CurrentFilterPlatform();
// Installs the platform the filters use (null: the portable default). Not synchronised: set it
// before any filter runs.
void SetFilterPlatform(const FilterPlatform* platform);

// The upper-case text after the last dot of a name ("*.doc", ".doc" and "report.doc" all give
// "DOC"); empty when the name has no dot. False, with an empty output, for an empty name.
bool ExtensionOf(const std::string& name, std::string* extension);

// The bound windows. A bound equal to kBoundNotSet is not set. Sizes: lower bound exclusive,
// upper inclusive. Times are compared as unsigned file times, both ends inclusive.
bool SizeInWindow(uint64_t size, int64_t min, int64_t max);
bool TimeInWindow(uint64_t file_time, int64_t min, int64_t max);
bool CreationInWindow(const Engine& engine, uint64_t local_file_time);
bool ModificationInWindow(const Engine& engine, uint64_t local_file_time);

// A FAT date and time word pair as a file time, taken as it stands (FAT keeps local time).
// False, with *file_time 0, for a date or time that names no moment (month 0, February 30,
// minute 60, ...), as damaged and zeroed entries hold.
bool FatDateTimeToFileTime(uint16_t date, uint16_t time, uint64_t* file_time);

// True when the name list is empty, or when the name's extension equals the extension of one
// of the list's items. An item without a dot matches only names without a dot; an empty item
// matches nothing.
bool NameInFilterList(const TextList& list, const std::string& ansi_name);

// The engine's test of one node: a folder always passes; a file must lie in the three windows
// and match the name list. A file node without a record fails.
bool NodeFilter(const Engine& engine, const FoundNode* node);

// The filter dialog reads the name list back into 101-byte buffers.
constexpr size_t kFilterItemBufferSize = 101;

// The longest head of an ANSI text that fits a buffer of `capacity` bytes with its terminator,
// without cutting a double-byte character in two.
std::string FitAnsiText(const std::string& text, size_t capacity);

}  // namespace scavrel
