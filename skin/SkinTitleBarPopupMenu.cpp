// The title bar's system menu: its entries and what each does to the bar's form.
#include "skin/SkinTitleBarPopupMenu.h"

#include <windows.h>

#include "skin/SkinStrings.h"
#include "skin/SkinTitleBar.h"

namespace skin {

using namespace forms;

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const std::string& caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

bool HasVisibleButton(TSkinTitleBar* bar, TSkinTitleBarBtnType type) {
  for (int i = 0; i < bar->Buttons().Count(); ++i) {
    TSkinTitleBarButton* b = bar->Buttons().Items(i);
    if (b->ButtonType() == type && b->Visible()) return true;
  }
  return false;
}

}  // namespace

std::string LoadSkinString(SkinStringId id, const char* fallback) {
  char text[256];
  const int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
  return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string(fallback);
}

TSkinTitleBarPopupMenu::TSkinTitleBarPopupMenu(TComponent* owner, TSkinTitleBar* bar)
    : TSkinPopupMenu(owner), bar_(bar) {
  SetAutoHotkeys(TMenuAutoFlag::maManual);
  minimize_ = AddItem(this, Items(), LoadSkinString(kStrMinimize, "Mi&nimize"));
  maximize_ = AddItem(this, Items(), LoadSkinString(kStrMaximizeRestore, "Ma&ximize/Restore"));
  AddItem(this, Items(), "-");
  close_ = AddItem(this, Items(), LoadSkinString(kStrClose, "&Close"));
  minimize_->OnClick = [this](TObject*) { bar_->MinimizeForm(); };
  maximize_->OnClick = [this](TObject*) {
    for (int i = 0; i < bar_->Buttons().Count(); ++i) {
      TSkinTitleBarButton* b = bar_->Buttons().Items(i);
      if (b->Visible() && b->ButtonType() == TSkinTitleBarBtnType::skMax) bar_->ButtonClick(b);
    }
  };
  close_->OnClick = [this](TObject*) {
    if (TCustomForm* f = bar_->ParentForm()) f->Close();
  };
}

void TSkinTitleBarPopupMenu::UpdateItems() {
  minimize_->SetEnabled(HasVisibleButton(bar_, TSkinTitleBarBtnType::skMin));
  maximize_->SetEnabled(HasVisibleButton(bar_, TSkinTitleBarBtnType::skMax));
  close_->SetEnabled(HasVisibleButton(bar_, TSkinTitleBarBtnType::skClose));
}

void TSkinTitleBarPopupMenu::Popup(int x, int y) {
  UpdateItems();
  if (bar_->UseRightToLeftAlignment()) x += kRightToLeftMenuShift;
  TSkinPopupMenu::Popup(x, y);
}

}  // namespace skin
