// Names and paths of saved entries.
#include "engine/save_names.h"

#include "engine/disk_bytes.h"
#include "engine/fat_dir_entry.h"
#include "engine/ntfs_file_name.h"

namespace scavrel {
namespace {

bool IsForbidden(char16_t c) {
  if (c < 0x20) return true;
  switch (c) {
    case u'\\': case u'/': case u':': case u'*': case u'?':
    case u'"': case u'<': case u'>': case u'|':
      return true;
    default:
      return false;
  }
}

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c; }

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder of a Win32 path, also
// with an extension ("NUL.txt").
bool IsDeviceName(const std::u16string& name) {
  std::u16string base = name.substr(0, name.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  for (char16_t& c : base) c = AsciiUpper(c);
  if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL") return true;
  if (base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0)) {
    return base[3] >= u'1' && base[3] <= u'9';
  }
  return false;
}

char16_t FoldUnit(char16_t c) {
  if (c < 0x80) return AsciiUpper(c);
  // Latin-1: U+00E0-U+00FE but the division sign; U+00FF goes to U+0178.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A pairs each capital with the small letter after it, in two phases; the
  // dotted and dotless i (U+0130, U+0131), kra (U+0138), n preceded by apostrophe (U+0149)
  // and long s (U+017F) have no partner of their own here.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) ||
      (c >= 0x14A && c <= 0x177)) {
    return c & ~char16_t{1};
  }
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
    return (c & 1) != 0 ? c : c - 1;
  }
  // Greek small letters (final sigma with sigma) and Cyrillic small letters.
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

std::u16string FoldNameCase(std::u16string name) {
  for (char16_t& c : name) c = FoldUnit(c);
  return name;
}

std::u16string DisplayName(const FoundNode* node, RecordForm form) {
  if (node == nullptr || node->record == nullptr) return std::u16string();
  const char16_t* text = GetWideName(LongNameSlot(node->record, form));
  if (WideNameLength(text) == 0) text = GetWideName(ShortNameSlot(node->record, form));
  size_t length = WideNameLength(text);
  return length == 0 ? std::u16string() : std::u16string(text, length);
}

uint64_t RecordedSize(const FoundNode* node, RecordForm form) {
  if (node == nullptr || node->record == nullptr) return 0;
  if (form == RecordForm::kNtfs) {
    const auto* record = AsNtfsRecord(node->record);
    return ReadLe64(record->file_name, ntfs_name::kSize);
  }
  const auto* record = AsFatRecord(node->record);
  return fat::EntryFileSize(record->dir_entry);
}

std::u16string SafeOutputName(const std::u16string& name) {
  std::u16string safe = name;
  for (char16_t& c : safe) {
    if (IsForbidden(c)) c = u'_';
  }
  for (size_t i = safe.size(); i > 0 && (safe[i - 1] == u'.' || safe[i - 1] == u' '); --i) {
    safe[i - 1] = u'_';
  }
  if (!safe.empty() && IsDeviceName(safe)) {
    size_t dot = safe.find(u'.');
    safe.insert(dot == std::u16string::npos ? safe.size() : dot, 1, u'_');
  }
  return safe;
}

bool MakeUniqueName(SaveOutput& output, bool auto_rename, const std::u16string& folder,
                    const std::u16string& name, std::u16string* unique) {
  return MakeUniqueName([&](const std::u16string& path) { return output.Exists(path); },
                        auto_rename, folder, name, unique);
}

bool MakeUniqueName(const std::function<bool(const std::u16string&)>& taken, bool auto_rename,
                    const std::u16string& folder, const std::u16string& name,
                    std::u16string* unique) {
  if (name.empty() || name.size() > kMaxOutputNameUnits) return false;
  if (!taken(JoinPath(folder, name))) {
    *unique = name;
    return true;
  }
  if (!auto_rename) return false;
  size_t dot = name.rfind(u'.');
  std::u16string base = dot == std::u16string::npos ? name : name.substr(0, dot);
  std::u16string extension = dot == std::u16string::npos ? std::u16string() : name.substr(dot);
  for (;;) {
    base += u'1';
    if (base.size() + extension.size() > kMaxOutputNameUnits) return false;
    std::u16string candidate = base + extension;
    if (!taken(JoinPath(folder, candidate))) {
      *unique = candidate;
      return true;
    }
  }
}

FolderRoot SplitFolderRoot(const std::u16string& folder) {
  size_t slash = folder.find(u'\\');
  if (slash == std::u16string::npos) return {folder + u'\\', std::u16string()};
  if (slash == 0) return {folder + u'\\', folder.substr(1)};
  return {folder.substr(0, slash + 1), folder.substr(slash + 1)};
}

std::u16string JoinPath(const std::u16string& base, const std::u16string& tail) {
  if (base.empty() || base.back() == u'\\') return base + tail;
  return base + u'\\' + tail;
}

}  // namespace scavrel
