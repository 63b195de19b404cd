// The skinned frame every front-end window wears, with the look they share: the theme-file
// style (the built-in DeepBlue look while no skin archive is loaded), a black one-pixel border,
// the light blue-grey face and a white bold Tahoma caption.
#pragma once

#include <string>

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace vardeck {

// The face colour of the windows and the dark blue of their texts (the framework's colour
// type: blue in the high byte).
inline constexpr forms::TColor kFormFaceColor = 14735055;
inline constexpr forms::TColor kTextBlue = 7295296;

enum class FrameButtons {
  All,       // control box, close, maximise, minimise: the main windows
  Dialog,    // control box and close
};

// Puts the frame on the form (which must have no frame yet) and returns it; the form gets the
// Tahoma 8 pt font that its controls inherit. The frame wears the form's first built-in
// theme, made here (BuiltInThemes.h).
skin::TSkinForm* WearFrame(forms::TForm* form, FrameButtons buttons, const std::string& caption);

}  // namespace vardeck
