// TControlActionLink: the action's new values passed to a control that still follows it.
#include "forms/ControlActionLink.h"

#include "forms/Control.h"
#include "forms/CustomAction.h"

namespace forms {

TCustomAction* TControlActionLink::Custom() const {
  return dynamic_cast<TCustomAction*>(Action());
}

void TControlActionLink::SetCaption(const std::string& value) {
  TCustomAction* a = Custom();
  if (a && client_->Caption() == a->Caption()) client_->SetText(value);
}

void TControlActionLink::SetEnabled(bool value) {
  TCustomAction* a = Custom();
  if (a && client_->Enabled() == a->Enabled()) client_->SetEnabled(value);
}

void TControlActionLink::SetVisible(bool value) {
  TCustomAction* a = Custom();
  if (a && client_->Visible() == a->Visible()) client_->SetVisible(value);
}

void TControlActionLink::SetHint(const std::string& value) {
  TCustomAction* a = Custom();
  if (a && client_->Hint() == a->Hint()) client_->SetHint(value);
}

}  // namespace forms
