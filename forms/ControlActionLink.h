// TControlActionLink: a control's tie to its action. A control follows a change of the
// action's caption, enabled state, visibility or hint only while it still shows the action's
// previous value: what the program set on the control itself stays.
#pragma once

#include "forms/ActionLink.h"

namespace forms {

class TControl;
class TCustomAction;

class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* client) : client_(client) {}

  void SetCaption(const std::string& value) override;
  void SetEnabled(bool value) override;
  void SetVisible(bool value) override;
  void SetHint(const std::string& value) override;

 private:
  TCustomAction* Custom() const;
  TControl* client_;
};

}  // namespace forms
