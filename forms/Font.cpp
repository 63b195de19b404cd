// TFont: GDI font made lazily from the stored description.
#include "forms/Font.h"

namespace forms {

TFont::TFont() = default;

TFont::~TFont() {
  if (handle_) DeleteObject(handle_);
}

void TFont::Assign(const TFont& other) {
  if (&other == this || Equals(other)) return;
  name_ = other.name_;
  height_ = other.height_;
  color_ = other.color_;
  style_ = other.style_;
  Changed();
}

bool TFont::Equals(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_;
}

void TFont::SetName(const std::string& v) {
  if (v != name_) { name_ = v; Changed(); }
}
void TFont::SetHeight(int v) {
  if (v != height_) { height_ = v; Changed(); }
}
void TFont::SetColor(TColor v) {
  if (v != color_) { color_ = v; Changed(); }
}
void TFont::SetStyle(TFontStyles v) {
  if (v != style_) { style_ = v; Changed(); }
}

void TFont::Changed() {
  if (handle_) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
  if (OnChange) OnChange(this);
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&lf);
  }
  return handle_;
}

}  // namespace forms
