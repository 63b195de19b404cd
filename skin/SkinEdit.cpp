// TSkinEdit and TSkinNumberEdit: the look from the style or theme, the frame over the EDIT's
// own painting, the number edit's key filter, value and mask.
#include "skin/SkinEdit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

bool IsDigitPlace(char c) { return c == '0' || c == '#'; }

}  // namespace

char LocaleDecimalSeparator() {
  char buf[8] = {};
  return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof(buf)) > 1 ? buf[0] : '.';
}

char LocaleThousandsSeparator() {
  char buf[8] = {};
  return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof(buf)) > 1 ? buf[0] : ',';
}

std::string FormatNumberMask(const std::string& mask, double value, char decimal, char thousands) {
  const size_t point = mask.find('.');
  int decimals = 0, min_int = 0;
  if (point != std::string::npos)
    for (size_t i = point + 1; i < mask.size() && IsDigitPlace(mask[i]); ++i) ++decimals;
  for (size_t i = 0; i < std::min(point, mask.size()); ++i) min_int += mask[i] == '0';
  const bool grouped = mask.find(',') != std::string::npos;
  if (!std::isfinite(value)) value = 0;
  // A double reaches 309 integer digits: measure first rather than cut the text short.
  const int length = std::snprintf(nullptr, 0, "%.*f", decimals, std::fabs(value));
  std::string digits(static_cast<size_t>(std::max(length, 0)), '\0');
  std::snprintf(digits.data(), digits.size() + 1, "%.*f", decimals, std::fabs(value));
  const bool zero = std::strtod(digits.c_str(), nullptr) == 0;
  std::string frac;
  if (size_t dot = digits.find('.'); dot != std::string::npos) {
    frac = digits.substr(dot + 1);
    digits.resize(dot);
  }
  while (static_cast<int>(digits.size()) < min_int) digits.insert(digits.begin(), '0');
  if (min_int == 0 && digits == "0" && decimals > 0) digits.clear();
  if (grouped)
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
      digits.insert(digits.begin() + i, thousands);
  std::string out;
  if (value < 0 && !zero) out += '-';
  out += digits;
  if (decimals > 0) out += decimal + frac;
  return out;
}

bool ParseNumberText(const std::string& text, char decimal, char thousands, double& value) {
  std::string plain;
  bool seen_point = false, seen_digit = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == thousands && c != decimal) continue;
    if (c == decimal) {
      if (seen_point) return false;
      seen_point = true;
      plain += '.';
    } else if (c == '-' || c == '+') {
      if (i != 0) return false;
      plain += c;
    } else if (c >= '0' && c <= '9') {
      seen_digit = true;
      plain += c;
    } else {
      return false;
    }
  }
  if (!seen_digit) return false;
  value = std::strtod(plain.c_str(), nullptr);
  return std::isfinite(value);
}

// ---- TSkinEdit ------------------------------------------------------------------------------

TSkinEdit::TSkinEdit(TComponent* owner) : TCustomEdit(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  SetBorderStyle(TBorderStyle::bsNone);
  SetNonClientBand(2);
  SetUIStyle(OwnerFormUIStyle(owner));
}

TSkinEdit::~TSkinEdit() {
  BeginDestroy();
  SetFileTheme(nullptr);
}

void TSkinEdit::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinEdit::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  border_color_ = look_.Color(Skin2Color::ControlBorderColor, StyleItem::ControlBorder);
  StyleChanged();
  Invalidate();
  PaintFrame();
}

void TSkinEdit::SetBorderColor(TColor c) {
  border_color_ = c;
  Invalidate();
  PaintFrame();
}

void TSkinEdit::Notification(TComponent* component, TOperation operation) {
  TCustomEdit::Notification(component, operation);
  if (look_.ThemeGone(component, operation)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

void TSkinEdit::WndProc(TMessage& m) {
  TCustomEdit::WndProc(m);
  if (IsDestroying()) return;
  if (m.Msg == WM_PAINT || m.Msg == WM_ERASEBKGND || m.Msg == WM_NCPAINT) PaintFrame();
}

void TSkinEdit::PaintFrame() { FrameWindowBorder(this, border_color_, Color(), true); }

bool TSkinEdit::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  if (name == "BorderColor") {
    if (out) *out = static_cast<std::int64_t>(border_color_);
    return true;
  }
  return TCustomEdit::GetPublished(name, out);
}

bool TSkinEdit::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  if (name == "BorderColor" && std::holds_alternative<std::int64_t>(v)) {
    SetBorderColor(static_cast<TColor>(std::get<std::int64_t>(v)));
    return true;
  }
  return TCustomEdit::SetPublished(name, v);
}

// ---- TSkinNumberEdit ------------------------------------------------------------------------

TSkinNumberEdit::TSkinNumberEdit(TComponent* owner) : TSkinEdit(owner) {
  OnRefuse = [](TSkinNumberEdit*) { MessageBeep(MB_ICONERROR); };
  SetValue(0);
}

void TSkinNumberEdit::CreateParams(TCreateParams& p) {
  TSkinEdit::CreateParams(p);
  p.Style |= ES_RIGHT;
}

void TSkinNumberEdit::SetValue(double v) {
  value_ = v;
  writing_ = true;
  SetText(FormatNumberMask(mask_, v, LocaleDecimalSeparator(), LocaleThousandsSeparator()));
  writing_ = false;
}

void TSkinNumberEdit::KeyPress(char& key) {
  TSkinEdit::KeyPress(key);
  if (key == 0) return;
  const std::string& t = Text();
  const char decimal = LocaleDecimalSeparator();
  bool ok = (key >= '0' && key <= '9') || key == '\b';
  if (key == decimal && mask_.find('.') != std::string::npos && t.find(decimal) == std::string::npos)
    ok = true;
  if (key == '-' && mask_.find('-') != std::string::npos && SelStart() == 0 &&
      t.find('-') == std::string::npos)
    ok = true;
  if (ok) return;
  MessageBeep(0);
  key = 0;
}

void TSkinNumberEdit::Change() {
  // While the user types, the value follows the text; the text is shown through the mask only
  // when the user leaves the edit, so that typing is never rewritten under the caret.
  const std::string& t = Text();
  if (!writing_ && !t.empty() && t != "-") {
    double v;
    if (!ParseNumberText(t, LocaleDecimalSeparator(), LocaleThousandsSeparator(), v)) {
      Refuse();
      return;
    }
    value_ = v;
  }
  TSkinEdit::Change();
}

void TSkinNumberEdit::Refuse() {
  SetValue(value_);
  if (OnRefuse) OnRefuse(this);
}

void TSkinNumberEdit::SelectSigns() {
  if (auto_select_signs_ <= 0 || !AutoSelect()) return;
  const int length = static_cast<int>(Text().size());
  const int start = std::max(0, length - auto_select_signs_);
  SetSelStart(start);
  SetSelLength(length - start);
}

void TSkinNumberEdit::WMSetFocus(TMessage& m) {
  TSkinEdit::WMSetFocus(m);
  SelectSigns();
}

void TSkinNumberEdit::Click() {
  TSkinEdit::Click();
  SelectSigns();
}

void TSkinNumberEdit::WMKillFocus(TMessage& m) {
  TSkinEdit::WMKillFocus(m);
  const bool blank = Text().empty() || Text() == "-";
  const std::string t = blank ? std::string("0") : Text();
  double v;
  if (ParseNumberText(t, LocaleDecimalSeparator(), LocaleThousandsSeparator(), v)) value_ = v;
  SetValue(value_);
}

}  // namespace skin
