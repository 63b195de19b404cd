// The language file Lang.rec beside the program and the texts read from it. The file is
// entries of key "~!~" value "~!~" line break; a value may span lines and keeps its inner line
// breaks; keys are case-insensitive; a later entry replaces an earlier one; reading stops at
// the first entry that is not closed, keeping what came before.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace vardeck {

enum class LangKey : int {
  QuickScan,
  FullScan,
  FindFile,
  QuickScanInfo,
  FullScanInfo,
  FindFileInfo,
  Refresh,
  Banner,
  Url,
  About,
  Help,
  Back,
  SaveHit,
  SaveFinished,
  Warning,
  SelectDriver,
  UnknowType,
  ValidDate1,
  ValidDate2,
  ValidNumber1,
  ValidNumber2,
  SaveSetting,
  ScanFinished,
  EndApplication,
  LowVolume,
  CurrentDriver,
  // Ours: a save that wrote fewer files than were ticked.
  SaveShort,
  // Ours: Recover with nothing ticked; a drive in a file system the engine does not read
  // ("%1" stands for its name); a scan that could not read the drive; a folder scan that found
  // no deleted entry; a find-file scan without a hit; the mark of an active filter.
  NothingTicked,
  OtherFileSystem,
  ReadFailed,
  NothingFound,
  NoHits,
  FilterOn,
  // Ours: a drive whose first sector names no file system; the parts of the message that ends
  // a save that did not save every file whole (the side that failed, where the files went).
  UnknownFileSystem,
  SaveSourceFailed,
  SaveDestinationFailed,
  SaveWritten,
};

inline constexpr size_t kLangKeyCount = 37;

// The keys as the file writes them (lowercase), in LangKey order.
inline constexpr std::array<std::string_view, kLangKeyCount> kLangKeyNames = {
    "quickscan",    "fullscan",      "findfile",     "quickscaninfo",
    "fullscaninfo", "findfileinfo",  "refresh",      "banner",
    "url",          "about",         "help",         "back",
    "savehit",      "savefinished",  "warning",      "selectdriver",
    "unknowtype",   "validdate1",    "validdate2",   "validnumber1",
    "validnumber2", "savesetting",   "scanfinished", "endapplication",
    "lowvolume",    "currentdriver", "saveshort",    "nothingticked",
    "otherfilesystem", "readfailed",  "nothingfound", "nohits",
    "filteron",     "unknownfilesystem", "savesourcefailed", "savedestinationfailed",
    "savewritten",
};

// The key of a name already lowercased; none for a name the program does not use.
std::optional<LangKey> FindLangKey(std::string_view lowercase_name);

// One text per key; a key the file does not define keeps an empty text, and that is shown.
class LanguageTexts {
 public:
  const std::string& Text(LangKey key) const { return texts_[static_cast<size_t>(key)]; }
  void Set(LangKey key, std::string text) { texts_[static_cast<size_t>(key)] = std::move(text); }
  void Clear();

 private:
  std::array<std::string, kLangKeyCount> texts_;
};

// The texts the windows show; filled once when the start window is created.
LanguageTexts& Lang();

// The file's lines (ended by CR LF, CR or LF) joined, each followed by CR LF, the last one
// too. Empty when the file has no lines.
std::string JoinLanguageLines(std::string_view file_bytes);

// Cuts the first entry off the front of the text into key and value (both trimmed of blanks
// and control characters). Returns the number of characters cut, or 0 with key and value
// empty when no complete entry is left (reading ends there).
size_t ParseLanguageEntry(std::string_view& text, std::string& key, std::string& value);

// Reads the file's contents into the texts: false when it has no lines.
bool ReadLanguageText(std::string_view file_bytes, LanguageTexts& texts);

// Reads Lang.rec from the program's folder (with or without a trailing separator) into the
// texts: false when it cannot be opened or read, or has no lines.
bool LoadLanguage(const std::string& program_folder, LanguageTexts& texts);

// A language text with its "%1" marks replaced by `value` (a name the system reports, such as
// a file system's); a text without the mark gets the value after a blank, so a translation that
// lost the mark still names it.
std::string FillInText(std::string_view text, std::string_view value);

// A language text with its marks "%1" to "%9" replaced by the values in order (counts, names);
// a mark without a value is left as it stands.
std::string FillInValues(std::string_view text, std::initializer_list<std::string_view> values);

// The message for a volume in a file system the engine does not read: "otherfilesystem" with
// the system's name of it (the drive is there, only its format is not read); "unknowtype"
// when the system gave no name.
std::string OtherFileSystemText(const LanguageTexts& texts, std::string_view file_system);

inline constexpr std::string_view kLanguageFileName = "Lang.rec";

}  // namespace vardeck
