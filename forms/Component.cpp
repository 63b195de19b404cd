// TComponent: ownership, loading state and free notification.
#include "forms/Component.h"

#include <algorithm>

namespace forms {

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  BeginDestroy();
  // Tell the components that asked about us, then forget them (they may already be gone
  // from our list through RemoveFreeNotification).
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    auto& back = other->free_notifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeginDestroy() { state_ |= csDestroying; }

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    delete c;  // removes itself from components_
  }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  for (TComponent* c : components_)
    if (c->name_ == name) return c;
  return nullptr;
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
  state_ &= ~csLoading;
  Loaded();
  for (TComponent* c : components_)
    if (c->IsLoading()) c->EndLoading();
}

void TComponent::Loaded() {}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), other) == free_notifies_.end())
    free_notifies_.push_back(other);
  if (std::find(other->free_notifies_.begin(), other->free_notifies_.end(), this) ==
      other->free_notifies_.end())
    other->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), other),
                       free_notifies_.end());
  other->free_notifies_.erase(
      std::remove(other->free_notifies_.begin(), other->free_notifies_.end(), this),
      other->free_notifies_.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // Siblings hear of each other's arrival and departure through their owner.
  if (operation == TOperation::opRemove && component->owner_ == this) return;
  for (TComponent* c : std::vector<TComponent*>(components_))
    if (c != component) c->Notification(component, operation);
}

void TComponent::InsertComponent(TComponent* c) {
  components_.push_back(c);
  c->owner_ = this;
  NotifyAll(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  c->owner_ = nullptr;
  if (!IsDestroying()) NotifyAll(c, TOperation::opRemove);
}

void TComponent::NotifyAll(TComponent* c, TOperation op) {
  for (TComponent* other : std::vector<TComponent*>(components_))
    if (other != c) other->Notification(c, op);
}

bool HasPublishedProperty(const TComponent* c, std::string_view name) {
  return c && c->GetPublished(name, nullptr);
}

bool SetPublishedProperty(TComponent* c, std::string_view name, const TPropValue& value) {
  return c && c->SetPublished(name, value);
}

}  // namespace forms
