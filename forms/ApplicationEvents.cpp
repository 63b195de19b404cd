// TApplicationEvents: one message-loop hook of the application per component.
#include "forms/ApplicationEvents.h"

namespace forms {

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner) {
  hook_ = Application()->AddMessageHook([this](MSG& msg, bool& handled) {
    if (OnMessage) OnMessage(msg, handled);
  });
}

TApplicationEvents::~TApplicationEvents() {
  BeginDestroy();
  Application()->RemoveMessageHook(hook_);
}

}  // namespace forms
