// TMenu: building the system menu, shortcuts, and the menu layer's window that turns the
// system's owner-draw and command messages into calls on the items.
#include "forms/Menu.h"

#include "forms/Control.h"
#include "forms/ImageList.h"

namespace forms {

namespace {

// Owner-draw messages carry the item's command in their item data (see TMenuItem::AppendTo).
TMenuItem* ItemOfData(ULONG_PTR data) {
  return data <= 0xFFFF ? TMenuItem::FindByCommand(static_cast<UINT>(data)) : nullptr;
}

// The font items are measured with: the system's menu font, which is what a menu that draws
// with the system font shows, so that measured and drawn text agree.
void SelectMenuFont(TCanvas& canvas) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof(ncm);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
    canvas.Font().SetLogFont(ncm.lfMenuFont);
}

LRESULT CALLBACK MenuWindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  TMessage m{msg, w, l, 0};
  if (TMenu::DispatchMenuMessage(m)) return m.Result;
  return DefWindowProcA(wnd, msg, w, l);
}

}  // namespace

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {
  items_->SetMenu(this);
}

TBiDiMode TMenu::BiDiMode() const {
  if (parent_bidi_mode_)
    if (auto* owner = dynamic_cast<const TControl*>(Owner())) return owner->BiDiMode();
  return bidi_mode_;
}

void TMenu::SetBiDiMode(TBiDiMode mode) {
  bidi_mode_ = mode;
  parent_bidi_mode_ = false;
}

TMenu::~TMenu() {
  BeginDestroy();
  SendFreeNotifications();
  // Items may still be reached through the system menu until it is gone.
  DestroyMenuHandle();
  items_.reset();
}

HWND TMenu::MenuWindow() {
  static HWND wnd = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MenuWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TolvaneMenuWindow";
    RegisterClassExA(&wc);
    // A message-only window would do for commands, but the system's menu loop wants an owner
    // that can be made the foreground window: a hidden pop-up.
    return CreateWindowExA(WS_EX_TOOLWINDOW, "TolvaneMenuWindow", "", WS_POPUP, 0, 0, 0, 0,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }();
  return wnd;
}

bool TMenu::DispatchMenuMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (!mis || mis->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemOfData(mis->itemData);
      if (!item) return false;
      HDC dc = CreateCompatibleDC(nullptr);
      if (!dc) return false;
      {
        TCanvas canvas;
        canvas.SetHandle(dc);
        SelectMenuFont(canvas);
        int width = static_cast<int>(mis->itemWidth), height = static_cast<int>(mis->itemHeight);
        item->MeasureItem(canvas, width, height);
        mis->itemWidth = static_cast<UINT>(std::max(width, 0));
        mis->itemHeight = static_cast<UINT>(std::max(height, 0));
        canvas.ReleaseHandle();
      }
      DeleteDC(dc);
      m.Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      if (!dis || dis->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemOfData(dis->itemData);
      if (!item) return false;
      int saved = SaveDC(dis->hDC);
      {
        TCanvas canvas;
        canvas.SetHandle(dis->hDC);
        item->DrawItem(canvas, dis->rcItem, (dis->itemState & ODS_SELECTED) != 0);
        canvas.ReleaseHandle();
      }
      RestoreDC(dis->hDC, saved);
      m.Result = TRUE;
      return true;
    }
    case WM_COMMAND: {
      // From a menu: no control handle and notification code 0 (1 is an accelerator).
      if (m.LParam || HIWORD(m.WParam) != 0) return false;
      TMenuItem* item = TMenuItem::FindByCommand(LOWORD(m.WParam));
      if (!item) return false;
      item->Click();
      m.Result = 0;
      return true;
    }
    default:
      return false;
  }
}

HMENU TMenu::Handle() {
  if (handle_ && !dirty_) return handle_;
  DestroyMenuHandle();
  handle_ = CreateMenuHandle();
  if (!handle_) return nullptr;
  bool od = OwnerDraw();
  for (int i = 0; i < items_->Count(); ++i) items_->Items(i)->AppendTo(handle_, od);
  dirty_ = false;
  return handle_;
}

void TMenu::DestroyMenuHandle() {
  if (!handle_) return;
  DestroyMenu(handle_);  // and every submenu with it
  handle_ = nullptr;
  items_->ForgetHandles();
  dirty_ = true;
}

void TMenu::SetOwnerDraw(bool v) {
  if (v == owner_draw_) return;
  owner_draw_ = v;
  MenuChanged(nullptr, true);
}

void TMenu::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = images;
  if (images_) FreeNotification(images_);
  MenuChanged(nullptr, false);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) {
    images_ = nullptr;
    MenuChanged(nullptr, false);
  }
}

void TMenu::MenuChanged(TMenuItem* item, bool rebuild) {
  if (IsDestroying()) return;
  if (rebuild) dirty_ = true;
  if (OnChange) OnChange(this);
}

namespace {

TMenuItem* FindShortCut(const TMenuItem* parent, TShortCut sc, bool usable_only) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* c = parent->Items(i);
    if (usable_only && (!c->Enabled() || !c->Visible())) continue;
    if (c->ShortCut() == sc && !c->IsLine()) return c;
    if (TMenuItem* f = FindShortCut(c, sc, usable_only)) return f;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItemByShortCut(TShortCut shortcut) const {
  if (shortcut == scNone) return nullptr;
  return FindShortCut(items_.get(), shortcut, false);
}

bool TMenu::IsShortCut(const TMessage& key_message) {
  if (key_message.Msg != WM_KEYDOWN && key_message.Msg != WM_SYSKEYDOWN) return false;
  WORD key = static_cast<WORD>(key_message.WParam);
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || (key & 0xFF00)) return false;
  TShortCut sc = ShortCut(key, KeyboardShiftState() & (ssShift | ssCtrl | ssAlt));
  TMenuItem* item = FindShortCut(items_.get(), sc, true);
  if (!item) return false;
  item->Click();
  return true;
}

}  // namespace forms
