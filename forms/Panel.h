// TPanel: the published panel.
#pragma once

#include "forms/CustomPanel.h"

namespace forms {

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
  const char* ClassName() const override { return "TPanel"; }
};

}  // namespace forms
