// TfrmMsg: the window a skinned message dialog shows: a skinned frame with one title-bar button,
// a picture at the left, the wrapped message beside it, and the buttons that the dialog puts
// on the frame. Ctrl+C copies the whole message as text; a frame with a thick painted border
// widens the window when it is shown.
#pragma once

#include <string>
#include <vector>

#include "forms/Forms.h"
#include "skin/SkinForm.h"

namespace skin {

// The text Ctrl+C puts on the clipboard: the caption, the message and the button captions
// (separated by three blanks), each between rules of 27 dashes, lines ending in CR LF except
// the last rule.
std::string MessageCopyText(const std::string& caption, const std::string& text,
                            const std::vector<std::string>& buttons);

// Replaces the clipboard's contents with `text` (the code page's text format). False when the
// clipboard could not be opened or did not take the text; an opened clipboard is closed again
// either way.
bool PutClipboardText(HWND owner, const std::string& text);

class TfrmMsg : public forms::TForm {
 public:
  explicit TfrmMsg(forms::TComponent* owner);
  const char* ClassName() const override { return "TfrmMsg"; }

  TSkinForm* skForm1 = nullptr;
  forms::TLabel* lbl = nullptr;
  forms::TImage* Image1 = nullptr;

  // What Ctrl+C copies, from the window as it stands.
  std::string CopyText() const;

  void FormShow(forms::TObject* sender);
  void FormKeyDown(forms::TObject* sender, WORD& key, forms::TShiftState shift);
};

}  // namespace skin
