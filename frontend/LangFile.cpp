// Reading Lang.rec: the file's lines joined with CR LF and cut into entries one at a time.
// The text is walked with a view, so a file of any size is read in one pass.
#include "frontend/LangFile.h"

#include <fstream>
#include <new>

namespace vardeck {

namespace {

constexpr std::string_view kSeparator = "~!~";
constexpr std::string_view kValueEnd = "~!~\r\n";

// Blanks and control characters, as the framework's Trim removes them (bytes above 127 are
// letters of the ANSI code page and stay).
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trimmed(std::string_view text) {
  while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string AsciiLowercase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::optional<LangKey> FindLangKey(std::string_view lowercase_name) {
  for (size_t i = 0; i < kLangKeyNames.size(); ++i) {
    if (kLangKeyNames[i] == lowercase_name) return static_cast<LangKey>(i);
  }
  return std::nullopt;
}

void LanguageTexts::Clear() {
  for (std::string& text : texts_) text.clear();
}

LanguageTexts& Lang() {
  static LanguageTexts texts;
  return texts;
}

std::string JoinLanguageLines(std::string_view file_bytes) {
  std::string joined;
  joined.reserve(file_bytes.size() + 2);
  for (size_t i = 0; i < file_bytes.size(); ++i) {
    const char c = file_bytes[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < file_bytes.size() && file_bytes[i + 1] == '\n') ++i;
      joined += "\r\n";
    } else {
      joined += c;
    }
  }
  // A last line without its line break is a line all the same.
  if (!file_bytes.empty() && file_bytes.back() != '\r' && file_bytes.back() != '\n') {
    joined += "\r\n";
  }
  return joined;
}

size_t ParseLanguageEntry(std::string_view& text, std::string& key, std::string& value) {
  key.clear();
  value.clear();
  const size_t key_end = text.find(kSeparator);
  if (key_end == std::string_view::npos) return 0;
  const std::string_view key_text = text.substr(0, key_end);
  const std::string_view rest = text.substr(key_end + kSeparator.size());
  text = rest;
  // "~!~" with anything but the line break directly after it belongs to the value.
  const size_t value_end = rest.find(kValueEnd);
  if (value_end == std::string_view::npos) return 0;
  key = Trimmed(key_text);
  value = Trimmed(rest.substr(0, value_end));
  text = rest.substr(value_end + kValueEnd.size());
  return key_end + kSeparator.size() + value_end + kValueEnd.size();
}

bool ReadLanguageText(std::string_view file_bytes, LanguageTexts& texts) {
  // A file saved as UTF-8 by an editor may open with a byte-order mark; left in place it would
  // become part of the first key and lose that entry.
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (file_bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
    file_bytes.remove_prefix(kUtf8Mark.size());
  const std::string joined = JoinLanguageLines(file_bytes);
  if (joined.empty()) return false;
  std::string_view rest = joined;
  std::string key;
  std::string value;
  while (ParseLanguageEntry(rest, key, value) != 0) {
    if (std::optional<LangKey> known = FindLangKey(AsciiLowercase(key))) {
      texts.Set(*known, std::move(value));
    }
  }
  return true;
}

bool LoadLanguage(const std::string& program_folder, LanguageTexts& texts) {
  std::string path = program_folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '/';
  path += kLanguageFileName;
  try {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string bytes;
    char buffer[64 * 1024];
    while (file.read(buffer, sizeof(buffer)) || file.gcount() > 0) {
      bytes.append(buffer, static_cast<size_t>(file.gcount()));
    }
    if (file.bad()) return false;
    return ReadLanguageText(bytes, texts);
  } catch (const std::bad_alloc&) {
    // A file too large to hold is no language file the program can use.
    return false;
  }
}

std::string FillInText(std::string_view text, std::string_view value) {
  constexpr std::string_view kMark = "%1";
  std::string out;
  bool filled = false;
  size_t from = 0;
  for (size_t at = text.find(kMark); at != std::string_view::npos; at = text.find(kMark, from)) {
    out.append(text.substr(from, at - from));
    out.append(value);
    from = at + kMark.size();
    filled = true;
  }
  out.append(text.substr(from));
  if (!filled && !value.empty()) {
    if (!out.empty()) out.push_back(' ');
    out.append(value);
  }
  return out;
}

std::string FillInValues(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    const char next = at + 1 < text.size() ? text[at + 1] : '\0';
    const size_t index = static_cast<size_t>(next - '1');
    if (text[at] == '%' && next >= '1' && next <= '9' && index < values.size()) {
      out.append(values.begin()[index]);
      ++at;
      continue;
    }
    out.push_back(text[at]);
  }
  return out;
}

std::string OtherFileSystemText(const LanguageTexts& texts, std::string_view file_system) {
  if (file_system.empty()) return texts.Text(LangKey::UnknowType);
  return FillInText(texts.Text(LangKey::OtherFileSystem), file_system);
}

}  // namespace vardeck
