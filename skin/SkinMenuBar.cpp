// TSkinMenuBar: buttons from the menu's top-level items, their layout, painting in the menu's
// or the frame's look, opening the submenus (and moving between them while one is open), and
// the accelerator letters.
#include "skin/SkinMenuBar.h"

#include <algorithm>

#include "skin/SkinKeys.h"
#include "skin/SkinMainMenu.h"
#include "skin/SkinMenuLook.h"
#include "skin/SkinPublic.h"

namespace skin {

using forms::TBitmap;
using forms::TCanvas;
using forms::TColor;
using forms::TMessage;

namespace {

constexpr TColor kDisabledFontColor = 0x808080;
// Space left and right of a caption inside its button.
constexpr int kCaptionPadding = 8;

// The bar whose submenu is open on this thread (the menu loop's filter hook finds it here).
thread_local TSkinMenuBar* tracking_bar = nullptr;
thread_local HHOOK tracking_hook = nullptr;

}  // namespace

int LayoutMenuBarButtons(std::vector<TMenuBarButton>& buttons, const std::vector<int>& widths,
                         int barWidth, int buttonHeight) {
  int x = 0, y = 0;
  for (size_t i = 0; i < buttons.size(); ++i) {
    int w = i < widths.size() ? std::max(widths[i], 0) : 0;
    if (x > 0 && x + w > barWidth) {
      x = 0;
      y += buttonHeight;
    }
    buttons[i].Bounds = RECT{x, y, x + w, y + buttonHeight};
    x += w;
  }
  return y + buttonHeight;
}

TSkinMenuBar::TSkinMenuBar(forms::TComponent* owner, TSkinMenuBarHost* host)
    : forms::TCustomControl(owner), host_(host) {
  SetAlign(forms::TAlign::alTop);
  SetHeight(button_height_);
  SetControlStyle(ControlStyle() & ~forms::csCaptureMouse);
}

TSkinMenuBar::~TSkinMenuBar() {
  BeginDestroy();
  if (tracking_bar == this) tracking_bar = nullptr;
  if (host_) host_->MenuBarDestroyed(this);
}

void TSkinMenuBar::Rebuild() {
  forms::TMainMenu* menu = host_ ? host_->Menu() : nullptr;
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(menu)) {
    if (sm->UseSystemFont()) UseSystemMenuFont(Font());
    else Font().SetSize(sm->FontSize());
  }
  buttons_.clear();
  hot_index_ = -1;
  if (menu) {
    for (int i = 0; i < menu->Items()->Count(); ++i) {
      forms::TMenuItem* item = menu->Items()->Items(i);
      if (!item->Visible()) continue;
      TMenuBarButton b;
      b.MenuItem = item;
      b.Caption = item->Caption();
      b.Enabled = item->Enabled();
      buttons_.push_back(b);
    }
  }
  Layout();
  Invalidate();
}

void TSkinMenuBar::RefreshItems() {
  for (TMenuBarButton& b : buttons_) {
    if (!b.MenuItem) continue;
    b.Caption = b.MenuItem->Caption();
    b.Enabled = b.MenuItem->Enabled();
  }
  Layout();
  Invalidate();
}

void TSkinMenuBar::UpdateFont() {
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(host_ ? host_->Menu() : nullptr)) sm->ApplyFont(Font());
  Layout();
  Invalidate();
}

void TSkinMenuBar::SetButtonHeight(int h) {
  h = std::max(h, 1);
  if (h == button_height_) return;
  button_height_ = h;
  Layout();
  Invalidate();
}

void TSkinMenuBar::Layout() {
  std::vector<int> widths;
  HDC dc = CreateCompatibleDC(nullptr);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font().Assign(Font());
    if (auto* sm = dynamic_cast<TSkinMainMenu*>(host_ ? host_->Menu() : nullptr)) sm->ApplyFont(canvas.Font());
    for (const TMenuBarButton& b : buttons_) {
      RECT r{0, 0, 0, 0};
      canvas.DrawText(b.Caption, r, DT_SINGLELINE | DT_CALCRECT);
      widths.push_back(r.right - r.left + 2 * kCaptionPadding);
    }
    canvas.ReleaseHandle();
  }
  if (dc) DeleteDC(dc);
  int h = LayoutMenuBarButtons(buttons_, widths, std::max(Width(), 1), button_height_);
  laid_width_ = Width();
  if (h != Height()) SetHeight(h);  // sized to its rows
}

void TSkinMenuBar::BoundsChanged() {
  forms::TCustomControl::BoundsChanged();
  if (Width() != laid_width_) Layout();
}

int TSkinMenuBar::ButtonAt(POINT p) const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (PtInRect(&buttons_[i].Bounds, p)) return static_cast<int>(i);
  return -1;
}

void TSkinMenuBar::SetHot(int index) {
  if (index == hot_index_) return;
  hot_index_ = index;
  Invalidate();
}

void TSkinMenuBar::MouseMove(forms::TShiftState s, int x, int y) {
  forms::TCustomControl::MouseMove(s, x, y);
  SetHot(ButtonAt(POINT{x, y}));
}

void TSkinMenuBar::CMMouseLeave(TMessage& m) {
  if (open_index_ < 0) SetHot(-1);
}

void TSkinMenuBar::MouseDown(forms::TMouseButton b, forms::TShiftState s, int x, int y) {
  forms::TCustomControl::MouseDown(b, s, x, y);
  if (b == forms::TMouseButton::mbLeft) OpenButton(ButtonAt(POINT{x, y}));
}

LRESULT CALLBACK TSkinMenuBar::MenuFilter(int code, WPARAM w, LPARAM l) {
  auto* msg = reinterpret_cast<MSG*>(l);
  TSkinMenuBar* bar = tracking_bar;
  if (code == MSGF_MENU && msg && bar && bar->open_index_ >= 0) {
    const int n = static_cast<int>(bar->buttons_.size());
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT) && n > 1) {
      int step = msg->wParam == VK_LEFT ? n - 1 : 1;
      bar->switch_to_ = (bar->open_index_ + step) % n;
      EndMenu();
      return 1;
    }
    if (msg->message == WM_MOUSEMOVE && bar->HandleAllocated()) {
      POINT p = msg->pt;
      ::ScreenToClient(bar->Handle(), &p);
      int i = bar->ButtonAt(p);
      if (i >= 0 && i != bar->open_index_ && bar->buttons_[i].Enabled) {
        bar->switch_to_ = i;
        EndMenu();
        return 1;
      }
    }
  }
  return CallNextHookEx(tracking_hook, code, w, l);
}

void TSkinMenuBar::OpenButton(int index) {
  while (index >= 0 && index < static_cast<int>(buttons_.size()) && !tracking_bar) {
    TMenuBarButton& b = buttons_[index];
    forms::TMenuItem* item = b.MenuItem;
    forms::TMainMenu* menu = host_ ? host_->Menu() : nullptr;
    if (!item || !b.Enabled || !menu || !HandleAllocated()) return;
    if (item->Count() == 0) {
      item->Click();
      return;
    }
    menu->Handle();  // builds the submenus
    HMENU sub = item->Handle();
    HWND owner = forms::TMenu::MenuWindow();
    if (!sub || !owner) return;
    open_index_ = index;
    hot_index_ = index;
    switch_to_ = -1;
    Repaint();
    POINT p{b.Bounds.left, b.Bounds.bottom};
    ::ClientToScreen(Handle(), &p);
    TPMPARAMS tpm{sizeof(tpm), {b.Bounds.left, b.Bounds.top, b.Bounds.right, b.Bounds.bottom}};
    MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&tpm.rcExclude), 2);
    tracking_bar = this;
    tracking_hook = SetWindowsHookExA(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
    TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, p.x, p.y,
                     owner, &tpm);
    if (tracking_hook) UnhookWindowsHookEx(tracking_hook);
    tracking_hook = nullptr;
    if (tracking_bar != this) return;  // freed while its menu was open
    tracking_bar = nullptr;
    open_index_ = -1;
    index = switch_to_;
    switch_to_ = -1;
    POINT cur;
    GetCursorPos(&cur);
    ::ScreenToClient(Handle(), &cur);
    hot_index_ = ButtonAt(cur);
    Repaint();
  }
}

void TSkinMenuBar::CMDialogChar(TMessage& m) {
  const bool alt = (forms::KeyboardShiftState() & forms::ssAlt) || (m.LParam & (1 << 29));
  bool highlighted = false;
  for (const TMenuBarButton& b : buttons_) highlighted |= b.Tag == kMenuBarHighlightTag;
  // A plain letter typed in the window is not the bar's.
  if (!alt && !highlighted) return;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (!buttons_[i].Enabled || !forms::IsAccel(static_cast<unsigned>(m.WParam), buttons_[i].Caption))
      continue;
    m.Result = 1;
    OpenButton(static_cast<int>(i));
    return;
  }
}

TSkinLook TSkinMenuBar::Look() const {
  if (auto* sm = dynamic_cast<TSkinMainMenu*>(host_ ? host_->Menu() : nullptr)) return sm->Look();
  if (host_) return TSkinLook(host_->MenuBarFileTheme(), host_->MenuBarUIStyle());
  return TSkinLook();
}

void TSkinMenuBar::DrawBackground(TCanvas& canvas, const RECT& r) {
  const TColor from = host_ ? host_->MenuBarColor() : Color();
  const TColor to = host_ ? host_->MenuBarToColor() : Color();
  if (Look().Effective() == TSkinUIStyle::MacOS) {
    TBitmap b;
    if (b.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_MENU_BAR")) {
      canvas.StretchDraw(r, &b);
      return;
    }
  }
  if (from != to) {
    DrawVerticalGradient(canvas, r, from, to);
    return;
  }
  canvas.Brush.Style = forms::TBrushStyle::bsSolid;
  canvas.Brush.Color = Color();
  canvas.FillRect(r);
}

void TSkinMenuBar::DrawButton(TCanvas& canvas, TMenuBarButton& button, bool highlighted) {
  const TSkinLook look = Look();
  const TSkinUIStyle eff = look.Effective();
  auto* sm = dynamic_cast<TSkinMainMenu*>(host_ ? host_->Menu() : nullptr);
  canvas.Font().Assign(Font());
  if (sm) {
    sm->ApplyFont(canvas.Font());
    if (!sm->UseSystemFont()) canvas.Font().SetColor(sm->FontColor());
  }
  const RECT& r = button.Bounds;
  button.Tag = 0;
  const UINT centred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
  if (highlighted && button.Enabled) {
    button.Tag = kMenuBarHighlightTag;
    if (eff == TSkinUIStyle::MacOS) {
      const int w = r.right - r.left, h = r.bottom - r.top;
      TBitmap off(w, h);
      TBitmap pic;
      if (pic.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_MENU_SELECT"))
        off.Canvas().StretchDraw(RECT{0, 0, w, h}, &pic);
      off.Canvas().Font().Assign(canvas.Font());
      off.Canvas().Font().SetColor(GetStyleColor(StyleIndex(eff), StyleItem::SelectedMenuFont));
      off.Canvas().Brush.Style = forms::TBrushStyle::bsClear;
      RECT tr{0, 0, w, h + 2};
      off.Canvas().DrawText(button.Caption, tr, centred);
      canvas.Draw(r.left, r.top, &off);
      return;
    }
    canvas.Brush.Style = forms::TBrushStyle::bsSolid;
    canvas.Brush.Color = look.Color(Skin2Color::TopSelectedMenuColor, StyleItem::SelectedMenuFill);
    canvas.FillRect(r);
    canvas.Brush.Color = look.Color(Skin2Color::TopSelectedMenuBorderColor, StyleItem::SelectedMenuBorder);
    canvas.FrameRect(r);
    canvas.Font().SetColor(look.Color(Skin2Color::TopSelectedMenuFontColor, StyleItem::SelectedMenuFont));
  } else {
    canvas.Font().SetColor(button.Enabled ? look.Color(Skin2Color::TopMenuFontColor, StyleItem::MenuItemFont)
                                          : kDisabledFontColor);
  }
  canvas.Brush.Style = forms::TBrushStyle::bsClear;
  RECT tr{r.left, r.top + 2, r.right, r.bottom};
  canvas.DrawText(button.Caption, tr, centred);
}

void TSkinMenuBar::Paint() {
  const int w = ClientWidth(), h = ClientHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap off(w, h);
  DrawBackground(off.Canvas(), RECT{0, 0, w, h});
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const int n = static_cast<int>(i);
    DrawButton(off.Canvas(), buttons_[i], n == hot_index_ || n == open_index_);
  }
  Canvas().Draw(0, 0, &off);
}

}  // namespace skin
