// The engine's one code-page seam: every text of the exported interface (drive captions,
// destinations, progress texts, short names, filter names) is single-byte or double-byte text
// in the system's ANSI code page, while names on disk and output paths are wide.
//
// The portable core's code page is Windows-1252 (the ANSI code page of Western installs): one
// byte a character, no lead bytes, a character it cannot hold becomes '?'. Scavrel.dll installs
// the system's ANSI code page when it loads (engine/win/ansi_text_win32.cpp); tests install
// their own (a double-byte one, for instance).
#pragma once

#include <cstdint>
#include <string>

namespace scavrel {

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  virtual std::u16string ToWide(const std::string& text) const;
  virtual std::string FromWide(const std::u16string& text) const;
  // True for the first byte of a double-byte character.
  virtual bool IsLeadByte(uint8_t byte) const { return false; }
  // The text in upper case; the default changes only ASCII letters, never a trail byte.
  virtual std::string UpperCase(const std::string& text) const;
};

const AnsiCodePage& CurrentAnsiCodePage();
// Installs the code page (null: the portable one). Not synchronised: set it before any worker
// or export uses text.
void SetAnsiCodePage(const AnsiCodePage* code_page);

std::u16string AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::u16string& text);
// A zero-terminated wide name (null: empty).
std::string WideToAnsi(const char16_t* text);

}  // namespace scavrel
