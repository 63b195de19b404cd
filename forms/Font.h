// TFont: a logical font description (name, size or pixel height, style, charset, pitch and
// colour) that makes its GDI font on demand, converts to and from a LOGFONT and announces
// changes.
#pragma once

#include <string>

#include "forms/Types.h"

namespace forms {

enum TFontStyleFlag : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
using TFontCharset = BYTE;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

// Logical pixels per inch of the screen, used to turn point sizes into pixel heights (96 when
// there is no screen to ask).
int ScreenPixelsPerInch();

class TFont : public TObject {
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  void Assign(const TFont& other);

  const std::string& Name() const { return name_; }
  void SetName(const std::string& v);
  // Character height in pixels, negative as in a LOGFONT (a positive value is a cell height).
  int Height() const { return height_; }
  void SetHeight(int v);
  // Size in points, from and to Height at the screen's pixels per inch.
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset v);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch v);

  // The description as a LOGFONT, and back (the colour is not part of a LOGFONT and stays).
  LOGFONTA LogFont() const;
  void SetLogFont(const LOGFONTA& lf);

  bool Equals(const TFont& other) const;
  // The GDI font of the current description. It stays valid until the description changes
  // (not the colour, which needs no new font); whoever selected it into a DC hears of the
  // change through OnChange before the old font is deleted.
  HFONT Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  TNotifyEvent OnChange;

 private:
  // `new_font`: the change needs another GDI font; a colour change does not.
  void Changed(bool new_font);
  std::string name_ = "Tahoma";
  int height_ = -11;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  HFONT handle_ = nullptr;
};

}  // namespace forms
