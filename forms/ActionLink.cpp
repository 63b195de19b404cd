// TActionLink: registering with the action and running it.
#include "forms/ActionLink.h"

#include "forms/BasicAction.h"

namespace forms {

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TBasicAction* action) {
  if (action == action_) return;
  if (action_) action_->UnregisterLink(this);
  action_ = action;
  if (action_) action_->RegisterLink(this);
}

bool TActionLink::Execute() { return action_ && action_->Execute(); }

}  // namespace forms
