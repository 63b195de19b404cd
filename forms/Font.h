// TFont: a logical font description that makes its GDI font on demand and announces changes.
#pragma once

#include <string>

#include "forms/Types.h"

namespace forms {

enum TFontStyleFlag : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont : public TObject {
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  void Assign(const TFont& other);

  const std::string& Name() const { return name_; }
  void SetName(const std::string& v);
  // Character height in pixels, negative as in a LOGFONT.
  int Height() const { return height_; }
  void SetHeight(int v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);

  bool Equals(const TFont& other) const;
  HFONT Handle();
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::string name_ = "Tahoma";
  int height_ = -11;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  HFONT handle_ = nullptr;
};

}  // namespace forms
