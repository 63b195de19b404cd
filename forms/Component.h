// TComponent: the owned, named unit of a form. An owner frees what it owns; components that
// reference each other across owners ask for free notification so that a dangling reference
// is dropped when the other side goes away.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "forms/Types.h"

namespace forms {

// The value of a published property when it is read or written by name.
using TPropValue = std::variant<std::int64_t, std::string, TComponent*>;

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

  // Owned components in the order they were inserted.
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* FindComponent(std::string_view name) const;

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDesigning() const { return (state_ & csDesigning) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }

  // Form building: BeginLoading on the form, properties are set, then Loaded runs for the
  // form and every owned component in order.
  void BeginLoading();
  void EndLoading();
  virtual void Loaded();

  // Asks this component to be told (Notification, opRemove) when `other` is destroyed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  virtual const char* ClassName() const { return "TComponent"; }

  // A number the program keeps with the component for its own use.
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t v) { tag_ = v; }

  // Published properties by name. Get with a null `out` tests whether the property exists.
  virtual bool GetPublished(std::string_view name, TPropValue* out) const { return false; }
  virtual bool SetPublished(std::string_view name, const TPropValue& value) { return false; }

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  // Called at the very start of destruction, while derived parts still exist.
  void BeginDestroy();
  // Tells the components that asked (FreeNotification) that this one goes. The destructor
  // does it; a class whose clients must let go while its own parts still exist calls it
  // first thing in its destructor.
  void SendFreeNotifications();
  // Frees the owned components, last first (later ones may reference earlier ones).
  void DestroyComponents();

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  void NotifyAll(TComponent* c, TOperation op);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  unsigned state_ = 0;
  std::intptr_t tag_ = 0;
};

bool HasPublishedProperty(const TComponent* c, std::string_view name);
bool SetPublishedProperty(TComponent* c, std::string_view name, const TPropValue& value);

}  // namespace forms
