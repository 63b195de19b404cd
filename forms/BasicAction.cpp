// TBasicAction: execution and the list of client links.
#include "forms/BasicAction.h"

#include <algorithm>

#include "forms/ActionLink.h"

namespace forms {

TBasicAction::~TBasicAction() {
  // The clients hold links into clients_: they must drop them while it still exists, which
  // the base destructor's notification would be too late for.
  BeginDestroy();
  SendFreeNotifications();
  // Links whose owners did not ask to be told keep no pointer to a freed action.
  for (TActionLink* link : clients_) link->action_ = nullptr;
  clients_.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

void TBasicAction::ForEachClient(const std::function<void(TActionLink*)>& tell) {
  const std::vector<TActionLink*> walk = clients_;
  for (TActionLink* link : walk)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) tell(link);
}

void TBasicAction::RegisterLink(TActionLink* link) {
  if (std::find(clients_.begin(), clients_.end(), link) == clients_.end())
    clients_.push_back(link);
}

void TBasicAction::UnregisterLink(TActionLink* link) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
}

}  // namespace forms
