// TActionList: membership of actions and the images reference.
#include "forms/ActionList.h"

#include <algorithm>

#include "forms/CustomAction.h"
#include "forms/ImageList.h"

namespace forms {

TActionList::~TActionList() {
  BeginDestroy();
  while (!actions_.empty()) delete actions_.back();  // each leaves the list as it goes
  SetImages(nullptr);
}

void TActionList::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = images;
  if (images_) FreeNotification(images_);
}

void TActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

void TActionList::AddAction(TCustomAction* action) {
  if (std::find(actions_.begin(), actions_.end(), action) == actions_.end())
    actions_.push_back(action);
}

void TActionList::RemoveAction(TCustomAction* action) {
  actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
}

}  // namespace forms
