// The shared builders of the start and results windows (see HeaderBand.h).
#include "frontend/win/HeaderBand.h"

#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
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

skin::TQzScrollBar* AddViewScrollBar(forms::TForm* form, forms::TWinControl* parent,
                                     bool vertical) {
  constexpr forms::TColor kBarColor = 15987956;
  constexpr int kBarThickness = 18;
  auto* bar = new skin::TQzScrollBar(form);
  bar->SetLineButton(0);
  bar->SetOrientation(vertical ? skin::TSkinProgressBarOrientation::skVertical
                               : skin::TSkinProgressBarOrientation::skHorizontal);
  bar->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  bar->SetMin(0);
  bar->SetPosition(0);
  bar->SetSmallChange(5);
  bar->SetColor(kBarColor);
  bar->SetEnabled(false);
  bar->SetVisible(false);
  if (vertical) bar->SetWidth(kBarThickness);
  else bar->SetHeight(kBarThickness);
  // Last, as a form resolves its references once its values are read: in skin mode the
  // archive's bar colour and pictures replace the ones above.
  bar->SetFileTheme(BuiltInTheme(form, 0));
  bar->SetParent(parent);
  return bar;
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

namespace {

forms::TImage* AddLinkPicture(forms::TForm* form, forms::TWinControl* parent, int left,
                              const char* art_name) {
  auto* image = new forms::TImage(form);
  LoadArt(image->Picture(), art_name);
  image->SetBounds(left, 53, 16, 16);
  image->SetTransparent(true);
  image->SetAnchors(forms::akRight | forms::akTop);
  image->SetParent(parent);
  return image;
}

}  // namespace

HeaderBand BuildHeaderBand(forms::TForm* form, forms::TWinControl* parent,
                           const HeaderBandLayout& layout) {
  HeaderBand made;
  auto add_left_picture = [&] {
    made.left_picture = AddPanel(form, parent, 0, layout.top, 138, layout.height,
                                 art::kHeaderLeft);
  };
  if (layout.left_picture_first) add_left_picture();

  made.band = AddPanel(form, parent, 114, layout.top, layout.band_width, layout.height,
                       art::kHeaderBand);
  made.band->SetAnchors(forms::akLeft | forms::akTop | forms::akRight);
  made.band->SetDrawStyle(skin::TSkinDrawStyle::skStretch);
  made.band->SetColor(kPanelColor);

  made.title = new forms::TLabel(form);
  made.title->SetLeft(layout.title_left);
  made.title->SetTop(11);
  made.title->Font().SetName("Tahoma");
  made.title->Font().SetSize(14);
  made.title->Font().SetStyle(forms::fsBold);
  made.title->Font().SetColor(kTextBlue);
  made.title->SetTransparent(true);
  made.title->SetCaption("Tolvane");
  made.title->SetParent(made.band);

  made.text = new forms::TLabel(form);
  made.text->SetAutoSize(false);
  made.text->SetWordWrap(true);
  made.text->SetTransparent(true);
  made.text->SetBounds(layout.text_left, layout.text_top, layout.text_width,
                       layout.text_height);
  made.text->Font().SetColor(kTextBlue);
  made.text->SetParent(made.band);

  made.about_picture = AddLinkPicture(form, made.band, layout.about_picture_left,
                                      art::kAboutLink);
  made.about_link = AddLink(form, made.band, layout.about_link_left, 53, "&About");
  made.help_picture = AddLinkPicture(form, made.band, layout.help_picture_left,
                                     art::kHelpLink);
  made.help_link = AddLink(form, made.band, layout.help_link_left, 53, "Help");

  if (!layout.left_picture_first) add_left_picture();
  return made;
}

}  // namespace vardeck
