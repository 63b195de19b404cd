// TActionList: keeps a set of actions together with the image list their ImageIndex points
// into. Freeing the list frees its actions, as the form framework does; an image list freed
// first is simply dropped.
#pragma once

#include <vector>

#include "forms/Component.h"

namespace forms {

class TCustomAction;
class TImageList;

class TActionList : public TComponent {
 public:
  explicit TActionList(TComponent* owner) : TComponent(owner) {}
  ~TActionList() override;
  const char* ClassName() const override { return "TActionList"; }

  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);

  const std::vector<TCustomAction*>& Actions() const { return actions_; }
  int ActionCount() const { return static_cast<int>(actions_.size()); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TCustomAction;
  void AddAction(TCustomAction* action);
  void RemoveAction(TCustomAction* action);
  TImageList* images_ = nullptr;
  std::vector<TCustomAction*> actions_;
};

}  // namespace forms
