// TCustomAction: property changes passed on to the client links.
#include "forms/CustomAction.h"

#include "forms/ActionLink.h"
#include "forms/ActionList.h"

namespace forms {

TCustomAction::~TCustomAction() { SetActionList(nullptr); }

void TCustomAction::SetActionList(TActionList* list) {
  if (list == action_list_) return;
  if (action_list_) action_list_->RemoveAction(this);
  action_list_ = list;
  if (action_list_) action_list_->AddAction(this);
}

void TCustomAction::SetCaption(const std::string& value) {
  if (value == caption_) return;
  ForEachClient([&](TActionLink* link) { link->SetCaption(value); });
  caption_ = value;
}

void TCustomAction::SetEnabled(bool value) {
  if (value == enabled_) return;
  ForEachClient([&](TActionLink* link) { link->SetEnabled(value); });
  enabled_ = value;
}

void TCustomAction::SetVisible(bool value) {
  if (value == visible_) return;
  ForEachClient([&](TActionLink* link) { link->SetVisible(value); });
  visible_ = value;
}

void TCustomAction::SetHint(const std::string& value) {
  if (value == hint_) return;
  ForEachClient([&](TActionLink* link) { link->SetHint(value); });
  hint_ = value;
}

bool TCustomAction::Execute() { return enabled_ && TBasicAction::Execute(); }

}  // namespace forms
