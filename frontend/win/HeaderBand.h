// The builders the start and results windows lay out their header band and command buttons
// with: the band itself, a picture panel, a skinned button wearing the program's art, and a link
// in the band's font. Both windows share the band's colour and the links' look through these.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "skin/QzScrollBar.h"
#include "skin/SkinButton.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinURLLabel.h"

namespace vardeck {

// The colour behind the header band and the content panels.
inline constexpr forms::TColor kPanelColor = 14935011;

// A picture panel at the place given, wearing the named art (none: no picture).
skin::TSkinImagePanel* AddPanel(forms::TForm* form, forms::TWinControl* parent, int left, int top,
                                int width, int height, const char* art_name);

// A button wearing the named art, its caption in Tahoma of the size given.
skin::TSkinImageButton* AddButton(forms::TForm* form, forms::TWinControl* parent, int left,
                                  int top, int width, int height, const char* art_name,
                                  forms::TAnchors anchors, int font_size,
                                  const std::string& caption = std::string());

// A link of the header band (About, Help): bold underlined Tahoma, black, blue under the
// pointer, anchored to the band's right end. Its URL is "no", which is no URL: the label hands
// the shell nothing and a click runs the handler only.
skin::TSkinURLLabel* AddLink(forms::TForm* form, forms::TWinControl* parent, int left, int top,
                             const std::string& caption);

// An outside scroll bar for one of the window's views, on the view's parent: hidden, disabled,
// 18 pixels thick, in the form's first built-in theme. The view it is attached to shows,
// enables and places it while its own bar is up.
skin::TQzScrollBar* AddViewScrollBar(forms::TForm* form, forms::TWinControl* parent,
                                     bool vertical);

// Where the header band's parts lie in one window; the windows differ only in these.
struct HeaderBandLayout {
  int top = 0;
  int height = 0;
  int band_width = 0;
  // The left picture overlaps the band's left end; which of the two is made first decides
  // which one paints over the other there.
  bool left_picture_first = false;
  int title_left = 0;
  int text_left = 0;
  int text_top = 0;
  int text_width = 0;
  int text_height = 0;
  int about_picture_left = 0;
  int about_link_left = 0;
  int help_picture_left = 0;
  int help_link_left = 0;
};

// The controls the header band is made of; the window keeps them in its own fields and wires
// the links' handlers itself.
struct HeaderBand {
  skin::TSkinImagePanel* left_picture = nullptr;
  skin::TSkinImagePanel* band = nullptr;
  forms::TLabel* title = nullptr;
  forms::TLabel* text = nullptr;
  forms::TImage* about_picture = nullptr;
  skin::TSkinURLLabel* about_link = nullptr;
  forms::TImage* help_picture = nullptr;
  skin::TSkinURLLabel* help_link = nullptr;
};

// The header band on the parent: the band picture with the program's name, the banner text
// (its caption set by the window once the language is read), the About and Help links, and
// the picture at its left end.
HeaderBand BuildHeaderBand(forms::TForm* form, forms::TWinControl* parent,
                           const HeaderBandLayout& layout);

}  // namespace vardeck
