// The front-end windows' shared frame (see FormFrame.h).
#include "frontend/win/FormFrame.h"

#include "frontend/win/BuiltInThemes.h"
#include "skin/SkinTitleBar.h"

namespace vardeck {

skin::TSkinForm* WearFrame(forms::TForm* form, FrameButtons buttons, const std::string& caption) {
  form->Font().SetName("Tahoma");
  form->Font().SetSize(8);
  form->SetCaption(caption);
  skin::TSkinBuiltInFileTheme* theme = AddBuiltInTheme(form, "skBuiltInFileTheme1");
  auto* frame = new skin::TSkinForm(form);
  frame->SetFileTheme(theme);
  frame->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  frame->SetBorderColor(0);
  frame->SetBorderWidth(1);
  frame->SetColor(kFormFaceColor);
  if (skin::TSkinTitleBar* bar = frame->TitleBar()) {
    bar->Font().SetName("Tahoma");
    bar->Font().SetStyle(forms::fsBold);
    bar->Font().SetColor(forms::clWhite);
  }
  if (buttons == FrameButtons::Dialog) {
    if (skin::TSkinTitleBarButtons* list = frame->TitleBarButtons()) {
      for (int i = 0; i < list->Count(); ++i) {
        skin::TSkinTitleBarButton* b = list->Items(i);
        if (b->ButtonType() == skin::TSkinTitleBarBtnType::skMax ||
            b->ButtonType() == skin::TSkinTitleBarBtnType::skMin)
          b->SetVisible(false);
      }
    }
  }
  frame->SetCaption(caption);
  return frame;
}

}  // namespace vardeck
