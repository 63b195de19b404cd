// UnitFrmMessage: the About window TFrmMessage: product title and version, the home page and
// support addresses and the notice text, shown modally from the start window.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinForm.h"
#include "skin/SkinImagePanel.h"

namespace vardeck {

class TFrmMessage : public forms::TForm {
 public:
  explicit TFrmMessage(forms::TComponent* owner);
  const char* ClassName() const override { return "TFrmMessage"; }

  skin::TSkinForm* skForm1 = nullptr;
  forms::TLabel* Label7 = nullptr;  // the title's white shadow, behind Label6
  forms::TLabel* Label6 = nullptr;
  forms::TLabel* Label1 = nullptr;
  forms::TLabel* Label2 = nullptr;
  forms::TLabel* Label4 = nullptr;
  forms::TLabel* Label5 = nullptr;
  skin::TSkinImagePanel* skImagePanel3 = nullptr;
  skin::TSkinImagePanel* skImagePanel2 = nullptr;
  skin::TSkinImagePanel* skImagePanel1 = nullptr;
  skin::TSkinImagePanel* skImagePanel6 = nullptr;

 private:
  void FormCreate();
};

extern TFrmMessage* FrmMessage;

// The title line: the product title and its version with their blanks left out of the version
// (" Tolvane 2.4").
std::string AboutTitleText();

}  // namespace vardeck
