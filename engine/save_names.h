// Names and paths of saved entries: the display name of a found entry, the recorded size of a
// file, output names that are safe to create, unique names with auto-rename, and the split of
// a folder path into its drive root and the rest (for the rewrite through the volume name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/found_tree.h"
#include "engine/save_output.h"

namespace scavrel {

// Longest output name (one path component) and longest output path, in UTF-16 units: the
// limits of the file systems and of Win32 paths. A longer name or path fails its entry.
constexpr size_t kMaxOutputNameUnits = 255;
constexpr size_t kMaxOutputPathUnits = 32767 - 1;

// The long name of an entry, or its short name when the long name is empty; empty for a node
// without a record.
std::u16string DisplayName(const FoundNode* node, RecordForm form);

// The size the entry's record gives: FAT the directory entry's 32-bit size, NTFS the 64-bit
// size slot of the file-name head. 0 for a node without a record.
uint64_t RecordedSize(const FoundNode* node, RecordForm form);

// A name (or path) with its letters in one case, for comparing names as Windows compares
// them on the destination. Windows folds names with the upper-case table of the volume; this
// is the part of it that names found on disks meet: ASCII, Latin-1, Latin Extended-A, basic
// Greek and Cyrillic letters go to upper case, everything else stays as it is. Where the file
// system folds more, the create, which never replaces, finds the name taken and the save moves
// on to another name.
std::u16string FoldNameCase(std::u16string name);

// A found name as a name the output folder can hold, naming the same file through a drive
// letter and through a volume name: path separators, ':' (a stream name), wildcards, quotes,
// '<', '>', '|' and control characters become '_'; trailing dots and blanks (which Win32
// paths drop) become '_'; "." and "..", and device names (CON, NUL, COM1, ... with or without
// an extension), get a '_' so that they name a plain file inside the folder.
std::u16string SafeOutputName(const std::u16string& name);

// A free name for `name` in `folder`: the name itself when folder\name does not exist; with
// auto-rename, "1" appended to the part before the last '.' until the name is free (a.txt,
// a1.txt, a11.txt). False when the name is taken and auto-rename is off, or when no free name
// fits kMaxOutputNameUnits.
bool MakeUniqueName(SaveOutput& output, bool auto_rename, const std::u16string& folder,
                    const std::u16string& name, std::u16string* unique);
// The same with the question "is this path taken?" asked of `taken`.
bool MakeUniqueName(const std::function<bool(const std::u16string&)>& taken, bool auto_rename,
                    const std::u16string& folder, const std::u16string& name,
                    std::u16string* unique);

// A folder path split at its first backslash: the drive root (up to and including that
// backslash) and the rest. A path without a backslash, or that starts with one, is a root of
// its own (a backslash added) with the text after the first backslash as the rest.
struct FolderRoot {
  std::u16string root;
  std::u16string rest;
};
FolderRoot SplitFolderRoot(const std::u16string& folder);

// Joins a base that may end with a backslash and a tail: base + '\' (when needed) + tail.
std::u16string JoinPath(const std::u16string& base, const std::u16string& tail);

}  // namespace scavrel
