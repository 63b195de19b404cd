// UnitFrmMessage: the About window's controls and texts.
#include "frontend/win/UnitFrmMessage.h"

#include "frontend/LangFile.h"
#include "frontend/ProductTexts.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/ProgramArt.h"

namespace vardeck {

TFrmMessage* FrmMessage = nullptr;

std::string AboutTitleText() {
  std::string version;
  for (char c : ProductVersion)
    if (c != ' ') version += c;
  return std::string(ProductTitle) + version;
}

namespace {

forms::TLabel* AddLabel(forms::TForm* form, forms::TWinControl* parent, int left, int top,
                        int size, bool bold, forms::TColor colour) {
  auto* l = new forms::TLabel(form);
  l->SetLeft(left);
  l->SetTop(top);
  l->SetTransparent(true);
  l->Font().SetName("Tahoma");
  l->Font().SetSize(size);
  l->Font().SetStyle(bold ? forms::TFontStyles{forms::fsBold} : forms::TFontStyles{});
  l->Font().SetColor(colour);
  l->SetParent(parent);
  return l;
}

skin::TSkinImagePanel* AddPicture(forms::TForm* form, forms::TWinControl* parent, int left,
                                  int top, int width, int height, const char* name) {
  auto* p = new skin::TSkinImagePanel(form);
  p->SetBounds(left, top, width, height);
  LoadArt(p->Picture(), name);
  p->SetTransparent(true);
  p->SetParent(parent);
  return p;
}

}  // namespace

TFrmMessage::TFrmMessage(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsDialog);
  SetPosition(forms::TPosition::poMainFormCenter);
  SetClientWidth(489);
  SetClientHeight(311);
  skForm1 = WearFrame(this, FrameButtons::Dialog, " About");

  skImagePanel2 = AddPicture(this, skForm1, 2, 24, 119, 177, art::kAboutSide);
  skImagePanel1 = AddPicture(this, skForm1, 127, 42, 22, 29, art::kAboutLogo);
  skImagePanel6 = AddPicture(this, skForm1, -1, 1, 20, 18, art::kTitleIcon);
  // The shadow first, so that it is drawn behind the title.
  Label7 = AddLabel(this, skForm1, 151, 43, 15, true, forms::clWhite);
  Label6 = AddLabel(this, skForm1, 150, 42, 15, true, kTextBlue);
  Label1 = AddLabel(this, skForm1, 135, 76, 9, false, kTextBlue);
  Label1->SetAutoSize(false);
  Label1->SetBounds(135, 76, 306, 16);
  Label2 = AddLabel(this, skForm1, 135, 104, 9, false, kTextBlue);
  Label2->SetAutoSize(false);
  Label2->SetBounds(135, 104, 306, 16);
  skImagePanel3 = AddPicture(this, skForm1, 133, 165, 18, 15, art::kWarningMark);
  Label4 = AddLabel(this, skForm1, 155, 166, 8, true, kTextBlue);
  Label5 = AddLabel(this, skForm1, 135, 188, 8, false, kTextBlue);
  Label5->SetAutoSize(false);
  Label5->SetWordWrap(true);
  Label5->SetBounds(135, 188, 338, 104);
  // The window has no button of its own: Esc closes it as its close box does.
  SetKeyPreview(true);
  OnKeyDown = [this](forms::TObject*, WORD& key, forms::TShiftState) {
    if (key == VK_ESCAPE) {
      key = 0;
      Close();
    }
  };
  WearFirstTheme(this);
  FormCreate();
}

void TFrmMessage::FormCreate() {
  const std::string title = AboutTitleText();
  Label6->SetCaption(title);
  Label7->SetCaption(title);
  Label1->SetCaption("Home:  " + std::string(HomePageAddress));
  Label2->SetCaption("E-mail:  " + std::string(SupportAddress));
  Label4->SetCaption("Warning:");
  Label5->SetCaption(Lang().Text(LangKey::Warning));
}

}  // namespace vardeck
