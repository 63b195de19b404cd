// TBasicAction: a command that controls share. Clicking any control linked to it runs its
// OnExecute; the action keeps the links of its clients so that it can tell them of changes.
#pragma once

#include <functional>
#include <vector>

#include "forms/Component.h"

namespace forms {

class TActionLink;

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  ~TBasicAction() override;
  const char* ClassName() const override { return "TBasicAction"; }

  // Runs OnExecute with the action as sender; false when there is no handler.
  virtual bool Execute();
  TNotifyEvent OnExecute;

  int ClientCount() const { return static_cast<int>(clients_.size()); }

 protected:
  // Calls `tell` for every client link. A client told of a change may drop its own or
  // another's link meanwhile: a link gone since the walk began is skipped.
  void ForEachClient(const std::function<void(TActionLink*)>& tell);

 private:
  friend class TActionLink;
  void RegisterLink(TActionLink* link);
  void UnregisterLink(TActionLink* link);
  std::vector<TActionLink*> clients_;
};

}  // namespace forms
