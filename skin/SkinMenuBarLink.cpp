// TSkinMenuBarLink: a frame's Menu and the bar that shows it.
#include "skin/SkinMenuBarLink.h"

#include "skin/SkinMainMenu.h"

namespace skin {

TSkinMenuBarLink::TSkinMenuBarLink(forms::TWinControl* frame, std::function<TSkinUIStyle()> style,
                                   std::function<TSkinFileTheme*()> theme,
                                   std::function<void()> barCreated, bool mdiChild)
    : frame_(frame),
      style_(std::move(style)),
      theme_(std::move(theme)),
      bar_created_(std::move(barCreated)),
      mdi_child_(mdiChild) {
  if (frame_) color_ = to_color_ = frame_->Color();
}

TSkinMenuBarLink::~TSkinMenuBarLink() {
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(menu_)) sm->SetFrame(nullptr);
  menu_ = nullptr;
  delete bar_;  // calls MenuBarDestroyed, which forgets it
  bar_ = nullptr;
}

void TSkinMenuBarLink::SetMenu(forms::TMainMenu* menu) {
  if (auto* old = dynamic_cast<TSkinMainMenu*>(menu_)) old->SetFrame(nullptr);
  if (menu_ && frame_ && menu_ != menu) frame_->RemoveFreeNotification(menu_);
  menu_ = menu;
  if (!menu_) {
    RemoveMenuBar();
    return;
  }
  if (frame_) frame_->FreeNotification(menu_);
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(menu_)) sm->SetFrame(this);
  if (!bar_) CreateMenuBar();
  RebuildMenuBar();
  if (bar_created_) bar_created_();
}

void TSkinMenuBarLink::CreateMenuBar() {
  if (mdi_child_ || bar_ || !frame_) return;
  bar_ = new TSkinMenuBar(frame_, this);
  bar_->SetHeight(height_value_);
  bar_->SetButtonHeight(height_value_);
  bar_->SetColor(color_);
  bar_->SetParent(frame_);
  if (bar_created_) bar_created_();
}

void TSkinMenuBarLink::RemoveMenuBar() {
  if (!mdi_child_) {
    delete bar_;
    bar_ = nullptr;
  }
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(menu_)) sm->SetFrame(nullptr);
  menu_ = nullptr;
}

void TSkinMenuBarLink::MenuBarDestroyed(TSkinMenuBar* bar) {
  if (bar == bar_) bar_ = nullptr;
}

void TSkinMenuBarLink::RebuildMenuBar() {
  if (!bar_) return;
  if (!menu_) {
    RemoveMenuBar();
    return;
  }
  bar_->Rebuild();
}

void TSkinMenuBarLink::RefreshMenuBarItems() {
  if (bar_) bar_->RefreshItems();
}

void TSkinMenuBarLink::UpdateMenuBarFont() {
  if (bar_) bar_->UpdateFont();
}

int TSkinMenuBarLink::MenuBarHeight() const {
  return bar_ && bar_->Visible() ? bar_->Height() : 0;
}

void TSkinMenuBarLink::SetMenuBarHeight(int h) {
  height_value_ = h;
  if (bar_) bar_->SetButtonHeight(h);
}

void TSkinMenuBarLink::SetMenuBarColor(forms::TColor c) {
  color_ = c;
  if (bar_) bar_->SetColor(c);
}

void TSkinMenuBarLink::SetMenuBarToColor(forms::TColor c) {
  to_color_ = c;
  if (bar_) bar_->Invalidate();
}

void TSkinMenuBarLink::ApplyStyle(TSkinUIStyle style, TSkinFileTheme* theme) {
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(menu_)) {
    sm->SetUIStyle(style);
    sm->SetFileTheme(theme);
  }
  if (bar_) bar_->Invalidate();
}

void TSkinMenuBarLink::Notification(forms::TComponent* component, forms::TOperation operation) {
  if (operation != forms::TOperation::opRemove) return;
  if (component == menu_) {
    // The menu is going: its own parts are already gone, so it is not called again.
    menu_ = nullptr;
    RemoveMenuBar();
  } else if (component == bar_) {
    bar_ = nullptr;
  }
}

}  // namespace skin
