// The shared builders of the start and results windows (see HeaderBand.h).
#include "frontend/win/HeaderBand.h"

#include "frontend/win/ProgramArt.h"

namespace vardeck {

skin::TSkinImagePanel* AddPanel(forms::TForm* form, forms::TWinControl* parent, int left, int top,
                                int width, int height, const char* art_name) {
  auto* p = new skin::TSkinImagePanel(form);
  p->SetBounds(left, top, width, height);
  if (art_name) LoadArt(p->Picture(), art_name);
  p->SetParent(parent);
  return p;
}

skin::TSkinImageButton* AddButton(forms::TForm* form, forms::TWinControl* parent, int left,
                                  int top, int width, int height, const char* art_name,
                                  forms::TAnchors anchors, int font_size,
                                  const std::string& caption) {
  auto* b = new skin::TSkinImageButton(form);
  b->SetBounds(left, top, width, height);
  b->SetAnchors(anchors);
  WearButtonArt(b, art_name, font_size);
  if (!caption.empty()) b->SetCaption(caption);
  b->SetParent(parent);
  return b;
}

skin::TSkinURLLabel* AddLink(forms::TForm* form, forms::TWinControl* parent, int left, int top,
                             const std::string& caption) {
  auto* l = new skin::TSkinURLLabel(form);
  l->SetLeft(left);
  l->SetTop(top);
  l->SetCaption(caption);
  l->Font().SetName("Tahoma");
  l->Font().SetSize(10);
  l->Font().SetStyle(forms::fsBold | forms::fsUnderline);
  l->SetFontLinkColor(forms::clBlack);
  l->SetFontHoverColor(0xFF0000);
  l->SetTransparent(true);
  l->SetURL("no");
  l->SetAnchors(forms::akRight | forms::akTop);
  l->SetParent(parent);
  return l;
}

}  // namespace vardeck
