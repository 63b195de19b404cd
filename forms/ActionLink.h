// TActionLink: the tie between one action and one client. The action calls the link when one
// of its properties changes; a client's own link class decides what the client takes over.
#pragma once

#include <string>

#include "forms/Types.h"

namespace forms {

class TBasicAction;

class TActionLink : public TObject {
 public:
  TActionLink() = default;
  ~TActionLink() override;
  TActionLink(const TActionLink&) = delete;
  TActionLink& operator=(const TActionLink&) = delete;

  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* action);
  // Runs the action; false when there is none or it did not run.
  bool Execute();

  // Called by the action before it stores a new value.
  virtual void SetCaption(const std::string& value) {}
  virtual void SetEnabled(bool value) {}
  virtual void SetVisible(bool value) {}
  virtual void SetHint(const std::string& value) {}

 private:
  friend class TBasicAction;
  TBasicAction* action_ = nullptr;
};

}  // namespace forms
