// TSkinURLLabel: link and hover colours, and the click that opens a real URL only.
#include "skin/SkinURLLabel.h"

#include <windows.h>
#include <shellapi.h>

#include <cctype>

namespace skin {

using namespace forms;

namespace {

constexpr TColor kLinkBlue = 0xFF0000;

void ShellOpen(const std::string& url) {
  // Whatever the shell makes of it, the label shows nothing: a link that does not open is
  // the user's to see in the missing browser, not an error box of ours.
  ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

TUrlOpener& Opener() {
  static TUrlOpener opener = ShellOpen;
  return opener;
}

std::string Trimmed(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i)
    if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

}  // namespace

bool IsOpenableUrl(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty()) return false;
  for (unsigned char c : t)
    if (c < ' ') return false;
  if (StartsWithNoCase(t, "mailto:")) return t.size() > 7 && t.find('@') != std::string::npos;
  if (StartsWithNoCase(t, "www.")) return t.size() > 4;
  size_t i = 0;
  while (i < t.size() && std::isalpha(static_cast<unsigned char>(t[i]))) ++i;
  return i > 0 && t.compare(i, 3, "://") == 0 && t.size() > i + 3;
}

TUrlOpener SetUrlOpener(TUrlOpener opener) {
  TUrlOpener old = Opener();
  Opener() = opener ? std::move(opener) : TUrlOpener(ShellOpen);
  return old;
}

TSkinURLLabel::TSkinURLLabel(TComponent* owner) : TCustomLabel(owner) {
  Font().SetStyle(fsUnderline);
  Font().SetColor(kLinkBlue);
  SetCursor(crHandPoint);
  SetAutoSize(true);
  SetCaption("Tolvane");
}

void TSkinURLLabel::SetURL(const std::string& url) {
  if (url != url_) url_ = url;
}

void TSkinURLLabel::SetFontLinkColor(TColor c) {
  link_color_ = c;
  Font().SetColor(c);
}

void TSkinURLLabel::CMMouseEnter(TMessage& m) {
  TCustomLabel::CMMouseEnter(m);
  Font().SetColor(IsDesigning() ? kLinkBlue : hover_color_);
}

void TSkinURLLabel::CMMouseLeave(TMessage& m) {
  TCustomLabel::CMMouseLeave(m);
  Font().SetColor(link_color_);
}

void TSkinURLLabel::Click() {
  // A blank text, or one like "no" that only looks like a name, would make the shell look
  // for a program or file of that name: such a label only runs its event.
  if (IsOpenableUrl(url_)) Opener()(Trimmed(url_));
  TCustomLabel::Click();
}

bool TSkinURLLabel::GetPublished(std::string_view name, TPropValue* out) const {
  if (name == "URL") {
    if (out) *out = url_;
    return true;
  }
  if (name == "FontHoverColor" || name == "FontLinkColor") {
    if (out) *out = static_cast<std::int64_t>(name == "FontHoverColor" ? hover_color_ : link_color_);
    return true;
  }
  return TCustomLabel::GetPublished(name, out);
}

bool TSkinURLLabel::SetPublished(std::string_view name, const TPropValue& v) {
  if (name == "URL" && std::holds_alternative<std::string>(v)) {
    SetURL(std::get<std::string>(v));
    return true;
  }
  if (name == "FontHoverColor" && std::holds_alternative<std::int64_t>(v)) {
    SetFontHoverColor(static_cast<TColor>(std::get<std::int64_t>(v)));
    return true;
  }
  if (name == "FontLinkColor" && std::holds_alternative<std::int64_t>(v)) {
    SetFontLinkColor(static_cast<TColor>(std::get<std::int64_t>(v)));
    return true;
  }
  return TCustomLabel::SetPublished(name, v);
}

}  // namespace skin
