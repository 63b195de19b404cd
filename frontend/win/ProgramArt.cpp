// Loading the program's pictures from its resources (see ProgramArt.h).
#include "frontend/win/ProgramArt.h"

#include <string>

namespace vardeck {

bool LoadArtBitmap(forms::TBitmap& bitmap, const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  if (!FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_BITMAP))) return false;
  return bitmap.LoadFromResourceName(module, name);
}

bool LoadArt(forms::TPicture& picture, const char* name) {
  forms::TBitmap b;
  if (!LoadArtBitmap(b, name)) return false;
  // The pictures mark what they leave out in magenta, whatever their corner pixels are.
  b.SetTransparentColor(forms::clFuchsia);
  picture.SetGraphic(&b);
  return true;
}

void WearButtonArt(skin::TSkinImageButton* button, const char* name, int font_size) {
  const std::string base(name);
  forms::TPicture pictures[4];
  const char* suffixes[4] = {"_N", "_H", "_D", "_X"};
  for (int i = 0; i < 4; ++i) LoadArt(pictures[i], (base + suffixes[i]).c_str());
  button->SetPicNormal(&pictures[0]);
  button->SetPicMouseOn(&pictures[1]);
  button->SetPicMouseDown(&pictures[2]);
  button->SetPicDisabled(&pictures[3]);
  button->SetStretch(true);
  // The corners are magenta: the face behind the button shows there.
  button->SetTransparent(true);
  button->Font().SetName("Tahoma");
  button->Font().SetSize(font_size);
  button->Font().SetStyle(forms::fsBold);
  button->Font().SetColor(forms::clWhite);
}

}  // namespace vardeck
