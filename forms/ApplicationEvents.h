// TApplicationEvents: a component through which its owner (a skinned frame, a menu, a form)
// sees every message the application takes from its queue, hooked in on creation and out
// on destruction, independently of every other such component.
#pragma once

#include "forms/Application.h"
#include "forms/Component.h"

namespace forms {

class TApplicationEvents : public TComponent {
 public:
  explicit TApplicationEvents(TComponent* owner);
  ~TApplicationEvents() override;
  const char* ClassName() const override { return "TApplicationEvents"; }

  // Called for every queued message; setting `handled` keeps it from being dispatched, but the
  // other components still see it.
  TApplication::TMessageEvent OnMessage;

 private:
  int hook_ = 0;
};

}  // namespace forms
