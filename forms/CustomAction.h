// TCustomAction: an action with the properties its controls show (caption, enabled, visible,
// hint) and an image index into its action list's images. Setting a property passes the new
// value to every client link before it is stored, so a link can tell whether its client
// still shows the old value (and so still follows the action).
#pragma once

#include <string>

#include "forms/BasicAction.h"

namespace forms {

class TActionList;

class TCustomAction : public TBasicAction {
 public:
  explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}
  ~TCustomAction() override;
  const char* ClassName() const override { return "TCustomAction"; }

  TActionList* ActionList() const { return action_list_; }
  void SetActionList(TActionList* list);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int value) { image_index_ = value; }

  // A disabled action does not run, even when called directly.
  bool Execute() override;

 private:
  TActionList* action_list_ = nullptr;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string hint_;
  int image_index_ = -1;
};

}  // namespace forms
