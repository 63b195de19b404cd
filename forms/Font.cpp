// TFont: the GDI font is made lazily from the stored description; a change that needs a new
// font tells the listeners first and deletes the old font after, so that a canvas that still
// has it selected can put its DC's own font back in time.
#include "forms/Font.h"

#include <cstring>

namespace forms {

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

TFont::TFont() = default;

TFont::~TFont() {
  if (handle_) DeleteObject(handle_);
}

void TFont::Assign(const TFont& other) {
  if (&other == this || Equals(other)) return;
  bool new_font = name_ != other.name_ || height_ != other.height_ || style_ != other.style_ ||
                  charset_ != other.charset_ || pitch_ != other.pitch_;
  name_ = other.name_;
  height_ = other.height_;
  color_ = other.color_;
  style_ = other.style_;
  charset_ = other.charset_;
  pitch_ = other.pitch_;
  Changed(new_font);
}

bool TFont::Equals(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
         charset_ == o.charset_ && pitch_ == o.pitch_;
}

void TFont::SetName(const std::string& v) {
  if (v != name_) { name_ = v; Changed(true); }
}
void TFont::SetHeight(int v) {
  if (v != height_) { height_ = v; Changed(true); }
}
void TFont::SetColor(TColor v) {
  if (v != color_) { color_ = v; Changed(false); }
}
void TFont::SetStyle(TFontStyles v) {
  if (v != style_) { style_ = v; Changed(true); }
}
void TFont::SetCharset(TFontCharset v) {
  if (v != charset_) { charset_ = v; Changed(true); }
}
void TFont::SetPitch(TFontPitch v) {
  if (v != pitch_) { pitch_ = v; Changed(true); }
}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

LOGFONTA TFont::LogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = height_;
  lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
  lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_ == TFontPitch::fpFixed      ? FIXED_PITCH
                        : pitch_ == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                           : DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
  return lf;
}

void TFont::SetLogFont(const LOGFONTA& lf) {
  // lfFaceName need not be terminated within the array when it comes from outside.
  std::string name(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  TFontStyles style = 0;
  if (lf.lfWeight >= FW_SEMIBOLD) style |= fsBold;
  if (lf.lfItalic) style |= fsItalic;
  if (lf.lfUnderline) style |= fsUnderline;
  if (lf.lfStrikeOut) style |= fsStrikeOut;
  TFontPitch pitch = TFontPitch::fpDefault;
  if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH) pitch = TFontPitch::fpFixed;
  else if ((lf.lfPitchAndFamily & 3) == VARIABLE_PITCH) pitch = TFontPitch::fpVariable;
  if (name == name_ && lf.lfHeight == height_ && style == style_ && lf.lfCharSet == charset_ &&
      pitch == pitch_)
    return;
  name_ = name;
  height_ = lf.lfHeight;
  style_ = style;
  charset_ = lf.lfCharSet;
  pitch_ = pitch;
  Changed(true);
}

void TFont::Changed(bool new_font) {
  HFONT old = nullptr;
  if (new_font) {
    old = handle_;
    handle_ = nullptr;
  }
  if (OnChange) OnChange(this);
  if (old) DeleteObject(old);
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf = LogFont();
    handle_ = CreateFontIndirectA(&lf);
  }
  return handle_;
}

}  // namespace forms
