// The builders the start and results windows lay out their header band and command buttons
// with: a picture panel, a skinned button wearing the program's art, and a link in the band's
// font. Both windows share the band's colour and the links' look through these.
#pragma once

#include <string>

#include "forms/Forms.h"
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

}  // namespace vardeck
