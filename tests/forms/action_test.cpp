// Actions and their controls: what a linked control takes over and keeps following, what a
// click runs, and who lets go of whom when an action, its list, its images or a control is
// freed. No window needed.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "forms/Forms.h"

using namespace forms;

namespace {

class Swatch : public TGraphicControl {
 public:
  explicit Swatch(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 10, 10); }
  int action_changes = 0;
  bool last_check_defaults = false;
  // Whether, when told that a component goes, it was still an action at that moment. While
  // the action's own destructor runs it still is; by the time the base destructor tells, the
  // action's client list is gone, and a link letting go then would write into freed memory.
  int removals_heard = 0;
  bool removed_while_still_an_action = false;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == TOperation::opRemove && c == Action()) {
      ++removals_heard;
      removed_while_still_an_action = dynamic_cast<TBasicAction*>(c) != nullptr;
    }
    TGraphicControl::Notification(c, op);
  }
  void ActionChange(TObject* sender, bool check_defaults) override {
    TGraphicControl::ActionChange(sender, check_defaults);
    ++action_changes;
    last_check_defaults = check_defaults;
  }
};

// An action whose memory is not handed back when it is freed but overwritten with a pattern
// and kept. A control that still held it after the free would then read the pattern: its
// Action() would not be null, and running it would jump through a garbage table, so a
// forgotten unlink fails the test at once instead of reading stale but plausible memory.
class PoisonedAction : public TCustomAction {
 public:
  using TCustomAction::TCustomAction;
  static void* operator new(std::size_t size) {
    if (size > sizeof(arena_) || in_use_) throw std::bad_alloc();
    in_use_ = true;
    return arena_;
  }
  static void operator delete(void* p, std::size_t size) {
    std::memset(p, 0xA5, size);
    in_use_ = false;
  }
  static bool Poisoned() { return !in_use_ && arena_[0] == 0xA5; }

 private:
  alignas(std::max_align_t) static inline unsigned char arena_[512];
  static inline bool in_use_ = false;
};

}  // namespace

TEST(Action, LinkedControlTakesTheActionsPropertiesAndFollowsTheirChanges) {
  TComponent form(nullptr);
  auto* action = new TCustomAction(&form);
  action->SetCaption("&Save");
  action->SetHint("Save the ticked files");
  action->SetEnabled(false);
  auto* control = new Swatch(&form);
  control->SetCaption("Button1");
  control->SetAction(action);
  EXPECT_EQ(control->Action(), action);
  EXPECT_EQ(control->Caption(), "&Save");
  EXPECT_EQ(control->Hint(), "Save the ticked files");
  EXPECT_FALSE(control->Enabled());
  EXPECT_EQ(control->action_changes, 1);
  EXPECT_FALSE(control->last_check_defaults);

  action->SetCaption("&Continue");
  action->SetEnabled(true);
  action->SetVisible(false);
  action->SetHint("Go on");
  EXPECT_EQ(control->Caption(), "&Continue");
  EXPECT_TRUE(control->Enabled());
  EXPECT_FALSE(control->Visible());
  EXPECT_EQ(control->Hint(), "Go on");
}

TEST(Action, ControlGivenItsOwnValueStopsFollowingThatPropertyOnly) {
  TComponent form(nullptr);
  auto* action = new TCustomAction(&form);
  action->SetCaption("Pause");
  auto* control = new Swatch(&form);
  control->SetAction(action);
  control->SetCaption("Mine");
  action->SetCaption("Continue");
  action->SetEnabled(false);
  EXPECT_EQ(control->Caption(), "Mine");
  EXPECT_FALSE(control->Enabled());

  // Two controls on one action both follow it.
  auto* other = new Swatch(&form);
  other->SetAction(action);
  action->SetEnabled(true);
  EXPECT_TRUE(control->Enabled());
  EXPECT_TRUE(other->Enabled());
  EXPECT_EQ(action->ClientCount(), 2);
}

TEST(Action, ActionSetWhileLoadingKeepsWhatTheControlAlreadyHas) {
  TComponent form(nullptr);
  auto* action = new TCustomAction(&form);
  action->SetCaption("Act");
  action->SetHint("tip");
  action->SetEnabled(false);
  auto* named = new Swatch(&form);
  named->SetName("Swatch1");
  named->SetCaption("Swatch1");  // a caption equal to the name counts as not set
  auto* own = new Swatch(&form);
  own->SetCaption("Mine");
  own->SetHint("own tip");
  form.BeginLoading();
  named->SetAction(action);
  own->SetAction(action);
  EXPECT_TRUE(named->last_check_defaults);
  form.EndLoading();
  EXPECT_EQ(named->action_changes, 2);  // once when set, once more in Loaded
  EXPECT_EQ(named->Caption(), "Act");
  EXPECT_EQ(named->Hint(), "tip");
  EXPECT_EQ(own->Caption(), "Mine");
  EXPECT_EQ(own->Hint(), "own tip");
  EXPECT_FALSE(own->Enabled());  // still at its default, so it takes the action's
}

TEST(Action, ClickRunsTheActionsHandlerInsteadOfOnClick) {
  TPanel host(nullptr);
  host.SetBounds(0, 0, 20, 20);
  auto* action = new TCustomAction(&host);
  auto* control = new Swatch(&host);
  control->SetParent(&host);
  int clicks = 0, executes = 0;
  TObject* sender = nullptr;
  control->OnClick = [&](TObject*) { ++clicks; };
  action->OnExecute = [&](TObject* s) {
    ++executes;
    sender = s;
  };
  control->SetAction(action);
  host.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  host.Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(executes, 1);
  EXPECT_EQ(sender, action);
  EXPECT_EQ(clicks, 0);

  // An action without a handler leaves the click to OnClick.
  action->OnExecute = nullptr;
  control->Click();
  EXPECT_EQ(clicks, 1);

  // A disabled action does not run, even when asked directly.
  action->OnExecute = [&](TObject*) { ++executes; };
  action->SetEnabled(false);
  EXPECT_FALSE(action->Execute());
  control->Click();
  EXPECT_EQ(executes, 1);
  EXPECT_EQ(clicks, 1);

  control->SetAction(nullptr);
  control->Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(action->ClientCount(), 0);
}

TEST(Action, FreeingTheActionUnlinksItsControls) {
  TComponent form(nullptr);
  auto* control = new Swatch(&form);
  int clicks = 0;
  control->OnClick = [&](TObject*) { ++clicks; };
  auto* action = new PoisonedAction(nullptr);  // another owner: only the link ties them
  action->SetCaption("Go");
  action->OnExecute = [](TObject*) { ADD_FAILURE() << "a freed action ran"; };
  control->SetAction(action);
  delete action;
  ASSERT_TRUE(PoisonedAction::Poisoned());
  EXPECT_EQ(control->removals_heard, 1);
  EXPECT_TRUE(control->removed_while_still_an_action);
  EXPECT_EQ(control->Action(), nullptr);
  control->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(control->Caption(), "Go");  // what it showed stays

  // The same memory may come back as a new action: the control links to it afresh.
  auto* again = new PoisonedAction(nullptr);
  control->SetAction(again);
  EXPECT_EQ(again->ClientCount(), 1);
  delete again;
  EXPECT_EQ(control->Action(), nullptr);
}

TEST(Action, FreeingTheControlFirstLeavesTheActionWithoutIt) {
  auto* action = new PoisonedAction(nullptr);
  {
    TComponent form(nullptr);
    auto* a = new Swatch(&form);
    auto* b = new Swatch(&form);
    a->SetAction(action);
    b->SetAction(action);
    delete a;
    EXPECT_EQ(action->ClientCount(), 1);
  }
  EXPECT_EQ(action->ClientCount(), 0);
  action->SetCaption("after");  // would write into the freed controls if they were still linked
  delete action;
}

TEST(ActionList, FreeingTheListFreesItsActionsAndUnlinksTheirControls) {
  TComponent form(nullptr);
  auto* list = new TActionList(&form);
  auto* images = new TImageList(&form, 16, 16);
  list->SetImages(images);
  auto* action = new PoisonedAction(&form);  // owned by the form, kept by the list
  action->SetActionList(list);
  auto* second = new TCustomAction(&form);
  second->SetActionList(list);
  EXPECT_EQ(list->ActionCount(), 2);
  auto* control = new Swatch(&form);
  control->SetAction(action);

  delete second;
  EXPECT_EQ(list->ActionCount(), 1);
  delete images;
  EXPECT_EQ(list->Images(), nullptr);
  delete list;
  EXPECT_TRUE(PoisonedAction::Poisoned());
  EXPECT_EQ(control->Action(), nullptr);
  EXPECT_EQ(form.ComponentCount(), 1);  // the form no longer holds the freed action
}
