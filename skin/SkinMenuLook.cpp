// The skinned menus' shared look: the UIStyle writer, measuring and drawing items, the check
// glyph lists, the system menu font and the flat frame of a menu window.
#include "skin/SkinMenuLook.h"

#include <algorithm>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using forms::TBitmap;
using forms::TCanvas;
using forms::TColor;
using forms::TFont;
using forms::TImageList;
using forms::TMenuItem;

namespace {

constexpr TColor kDisabledFontColor = 0x808080;

// A resource picture with its height forced, stretched over `r`.
void StretchResource(TCanvas& canvas, const char* name, int height, const RECT& r) {
  TBitmap b;
  if (!b.LoadFromResourceName(GetModuleHandleA(nullptr), name)) return;
  b.SetHeight(height);
  canvas.StretchDraw(r, &b);
}

void FillColor(TCanvas& canvas, const RECT& r, TColor c) {
  canvas.Brush.Style = forms::TBrushStyle::bsSolid;
  canvas.Brush.Color = c;
  canvas.FillRect(r);
}

TImageList* MakeCheckList(forms::TComponent* owner) {
  auto* list = new TImageList(owner, 16, 16);
  TBitmap b;
  if (b.LoadFromResourceName(GetModuleHandleA(nullptr), "MENU_CHECKED")) {
    b.SetTransparent(true);
    list->AddMasked(b, forms::clWhite);
  }
  return list;
}

}  // namespace

TImageList* SharedMenuCheckList() {
  // Lives to the end of the program, as the popup menus that draw from it may.
  static TImageList* list = MakeCheckList(nullptr);
  return list;
}

TImageList* NewMenuCheckList(forms::TComponent* owner) { return MakeCheckList(owner); }

void UseSystemMenuFont(TFont& font) {
  // The structure size of the systems before Vista (no iPaddedBorderWidth): accepted
  // everywhere.
  NONCLIENTMETRICSA ncm{};
  constexpr UINT kSize = 340;
  static_assert(sizeof(NONCLIENTMETRICSA) >= kSize);
  ncm.cbSize = kSize;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kSize, &ncm, 0)) return;
  font.SetLogFont(ncm.lfMenuFont);
  font.SetColor(static_cast<TColor>(forms::clSystemColor | COLOR_MENUTEXT));
}

void FrameFlatMenuWindow(HWND wnd, TColor outer, TColor line) {
  RECT w;
  if (!wnd || !GetWindowRect(wnd, &w)) return;
  // Drawn on the window's own whole-window DC, in window coordinates: a desktop DC covers the
  // screen on Windows, but where every top-level window is a window of its own to the
  // display server (Wine on X) what is drawn on the desktop stays behind the menu.
  HDC dc = GetWindowDC(wnd);
  if (!dc) return;
  OffsetRect(&w, -w.left, -w.top);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    RECT r{w.left, w.top + 1, w.right - 1, w.bottom - 1};
    canvas.Brush.Style = forms::TBrushStyle::bsSolid;
    canvas.Brush.Color = outer;
    canvas.FrameRect(r);
    InflateRect(&r, -1, -1);
    canvas.Brush.Color = forms::clWhite;
    canvas.FrameRect(r);
    canvas.Pen.Color = line;
    canvas.Pen.Style = forms::TPenStyle::psSolid;
    canvas.Pen.Width = 1;
    canvas.MoveTo(w.left, w.bottom - 1);
    canvas.LineTo(w.right - 1, w.bottom - 1);
    canvas.LineTo(w.right - 1, w.top);
    canvas.LineTo(w.right, w.top);
    canvas.LineTo(w.left, w.top);
    canvas.ReleaseHandle();
  }
  ReleaseDC(wnd, dc);
}

TSkinMenuLook::TSkinMenuLook(forms::TMenu* menu, bool main_menu) : menu_(menu), main_menu_(main_menu) {
  SetUIStyle(OwnerFormUIStyle(menu->Owner()));
}

TSkinMenuLook::~TSkinMenuLook() = default;

void TSkinMenuLook::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*menu_, theme);
  SetUIStyle(look_.Style());
}

void TSkinMenuLook::LookNotification(forms::TComponent* component, forms::TOperation operation) {
  if (look_.ThemeGone(component, operation)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

void TSkinMenuLook::SetUIStyle(TSkinUIStyle style) {
  look_.SetStyle(style);
  bar_width_ = 26;
  // The fields are written directly: the height writers refuse values while the style is
  // MacOS, and it is exactly the MacOS heights that must be stored here.
  if (style == TSkinUIStyle::MacOS) {
    menu_item_height_ = 20;
    separator_height_ = 12;
    separator_color_ = 0x000000;
  } else {
    menu_item_height_ = 21;
    separator_height_ = 5;
    separator_color_ = 0x848284;
  }
  // The skin's two bar colours fall back to the one built-in bar colour.
  bar_color_ = look_.Color(Skin2Color::LeftBarStartColor, StyleItem::MenuLeftBar);
  bar_to_color_ = look_.Color(Skin2Color::LeftBarEndColor, StyleItem::MenuLeftBar);
  color_ = look_.Color(Skin2Color::MenuItemColor, StyleItem::MenuItemFill);
  font_color_ = look_.Color(Skin2Color::MenuItemFontColor, StyleItem::MenuItemFont);
  selected_border_color_ = look_.Color(Skin2Color::SelectedMenuBorderColor, StyleItem::SelectedMenuBorder);
  selected_color_ = look_.Color(Skin2Color::SelectedMenuColor, StyleItem::SelectedMenuFill);
  selected_font_color_ = look_.Color(Skin2Color::SelectedMenuFontColor, StyleItem::SelectedMenuFont);
  LookChanged();
}

void TSkinMenuLook::SetMenuItemHeight(int v) {
  if (!main_menu_ && look_.Style() == TSkinUIStyle::MacOS) return;
  Set(menu_item_height_, v);
}

void TSkinMenuLook::SetSeparatorHeight(int v) {
  if (look_.Style() == TSkinUIStyle::MacOS) return;
  Set(separator_height_, v);
}

namespace {

// The look of the menu an item belongs to now. The handlers ask at each call rather than
// keep the menu that hooked them: every menu on a form hears of every item made there, and
// an item may outlive a menu or move to another one.
const TSkinMenuLook* LookOf(forms::TObject* sender) {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  return item ? dynamic_cast<const TSkinMenuLook*>(item->GetParentMenu()) : nullptr;
}

}  // namespace

void TSkinMenuLook::HookMenuItemDrawing(TMenuItem* item) {
  if (!item) return;
  item->OnMeasureItem = [](forms::TObject* sender, TCanvas& canvas, int& w, int& h) {
    if (const TSkinMenuLook* look = LookOf(sender))
      look->MeasureItem(static_cast<TMenuItem*>(sender), canvas, w, h);
  };
  item->OnDrawItem = [](forms::TObject* sender, TCanvas& canvas, const RECT& r, bool sel) {
    if (const TSkinMenuLook* look = LookOf(sender))
      look->DrawItem(static_cast<TMenuItem*>(sender), canvas, r, sel);
  };
  for (int i = 0; i < item->Count(); ++i) HookMenuItemDrawing(item->Items(i));
}

bool TSkinMenuLook::RightToLeft() const {
  auto* menu = dynamic_cast<const forms::TMenu*>(this);
  return menu && forms::UseRightToLeftReading(menu->BiDiMode());
}

void TSkinMenuLook::ApplyFont(TFont& font) const {
  if (use_system_font_) {
    UseSystemMenuFont(font);
    return;
  }
  font.SetName(font_name_);
  font.SetSize(font_size_);
  font.SetCharset(font_charset_);
}

void TSkinMenuLook::MeasureItem(TMenuItem* item, TCanvas& canvas, int& width, int& height) const {
  if (item->IsLine()) {
    height = separator_height_;
    return;
  }
  height = std::max(menu_item_height_, canvas.TextHeight(item->Caption()));
  width = canvas.TextWidth(item->Caption()) + canvas.TextWidth(item->ShortCutText()) +
          bar_width_ + 40;
}

void TSkinMenuLook::DrawItem(TMenuItem* item, TCanvas& canvas, const RECT& r, bool selected) const {
  const bool mac = look_.Effective() == TSkinUIStyle::MacOS;
  if (flat_menu_) {
    if (HWND wnd = WindowFromDC(canvas.Handle()))
      FrameFlatMenuWindow(wnd, forms::clBlack, look_.Color(Skin2Color::FormColor, StyleItem::FormColor));
  }
  // Right to left, the side bar, the glyph and the caption move to the right edge and the
  // shortcut to the left; the bar's gradient keeps its direction.
  const bool rtl = RightToLeft();
  const int bw = std::max(bar_width_, 0);
  const RECT bar = rtl ? RECT{r.right - bw, r.top, r.right, r.bottom}
                       : RECT{r.left, r.top, r.left + bw, r.bottom};
  const RECT body = rtl ? RECT{r.left, r.top, bar.left, r.bottom}
                        : RECT{bar.right, r.top, r.right, r.bottom};
  auto drawBar = [&] {
    if (bar_width_ <= 0) return;
    if (bar_color_ == bar_to_color_) FillColor(canvas, bar, bar_color_);
    else DrawHorizontalGradient(canvas, bar, bar_color_, bar_to_color_);
  };

  if (item->IsLine()) {
    if (mac) {
      StretchResource(canvas, "MACOS_MENU_BAR", 12, r);
      return;
    }
    drawBar();
    FillColor(canvas, body, color_);
    canvas.Pen.Color = separator_color_;
    canvas.Pen.Style = forms::TPenStyle::psSolid;
    canvas.Pen.Width = 1;
    if (rtl) {
      canvas.MoveTo(r.left + 2, r.top + 2);
      canvas.LineTo(r.right - bar_width_ - 4, r.top + 2);
    } else {
      canvas.MoveTo(r.left + bar_width_ + 4, r.top + 2);
      canvas.LineTo(r.right - 2, r.top + 2);
    }
    return;
  }

  const bool hot = selected && item->Enabled();
  if (hot) {
    if (mac) {
      StretchResource(canvas, "MACOS_MENU_SELECT", 20, r);
    } else {
      FillColor(canvas, r, selected_color_);
      canvas.Brush.Color = selected_border_color_;
      canvas.FrameRect(r);
    }
  } else if (mac) {
    StretchResource(canvas, "MACOS_MENU_BAR", 20, r);
  } else {
    drawBar();
    FillColor(canvas, body, color_);
  }

  ApplyFont(canvas.Font());
  canvas.Brush.Style = forms::TBrushStyle::bsClear;
  canvas.Font().SetColor(!item->Enabled() ? kDisabledFontColor
                         : hot            ? selected_font_color_
                                          : font_color_);
  forms::TFontStyles fs = canvas.Font().Style() & ~forms::fsBold;
  canvas.Font().SetStyle(item->Default() ? (fs | forms::fsBold) : fs);
  // Right to left, the caption ends 4 pixels before the side bar, as it starts 4 pixels
  // after it left to right; it must not run over the bar and the glyph on it.
  RECT text = rtl ? RECT{r.left + 4, r.top, r.right - bar_width_ - 4, r.bottom}
                  : RECT{r.left + bar_width_ + 4, r.top, r.right, r.bottom};
  canvas.DrawText(item->Caption(), text,
                  DT_SINGLELINE | DT_VCENTER | (rtl ? DT_RIGHT | DT_RTLREADING : 0));
  if (std::string sc = item->ShortCutText(); !sc.empty()) {
    RECT s = rtl ? RECT{r.left + bar_width_ + 4, r.top, r.right, r.bottom}
                 : RECT{r.right - canvas.TextWidth(sc) - 16, r.top, r.right, r.bottom};
    canvas.DrawText(sc, s, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }

  const int x = rtl ? r.right - 20 : r.left + 4;
  TImageList* images = ItemImages();
  const bool hasImage = item->ImageIndex() != -1 && images && item->ImageIndex() < images->Count();
  if (item->Checked()) {
    if (hasImage) {
      canvas.Brush.Style = forms::TBrushStyle::bsSolid;
      canvas.Brush.Color = forms::clBlack;
      canvas.FrameRect(RECT{x - 2, r.top + 1, x + 17, r.top + 20});
      FillColor(canvas, RECT{x - 1, r.top + 2, x + 16, r.top + 19}, selected_color_);
    } else if (TImageList* checks = CheckGlyphs()) {
      checks->Draw(canvas, x, r.top + 3, 0, item->Enabled());
    }
  }
  if (hasImage) images->Draw(canvas, x, r.top + 3, item->ImageIndex(), item->Enabled());
}

namespace {

struct IntProp {
  const char* name;
  int (TSkinMenuLook::*get)() const;
  void (TSkinMenuLook::*set)(int);
};
struct ColorProp {
  const char* name;
  TColor (TSkinMenuLook::*get)() const;
  void (TSkinMenuLook::*set)(TColor);
};

const IntProp kIntProps[] = {
    {"MenuItemHeight", &TSkinMenuLook::MenuItemHeight, &TSkinMenuLook::SetMenuItemHeight},
    {"SeparatorHeight", &TSkinMenuLook::SeparatorHeight, &TSkinMenuLook::SetSeparatorHeight},
    {"BarWidth", &TSkinMenuLook::BarWidth, &TSkinMenuLook::SetBarWidth},
    {"FontSize", &TSkinMenuLook::FontSize, &TSkinMenuLook::SetFontSize},
};
const ColorProp kColorProps[] = {
    {"BarColor", &TSkinMenuLook::BarColor, &TSkinMenuLook::SetBarColor},
    {"BarToColor", &TSkinMenuLook::BarToColor, &TSkinMenuLook::SetBarToColor},
    {"Color", &TSkinMenuLook::Color, &TSkinMenuLook::SetColor},
    {"SeparatorColor", &TSkinMenuLook::SeparatorColor, &TSkinMenuLook::SetSeparatorColor},
    {"SelectedBorderColor", &TSkinMenuLook::SelectedBorderColor, &TSkinMenuLook::SetSelectedBorderColor},
    {"SelectedColor", &TSkinMenuLook::SelectedColor, &TSkinMenuLook::SetSelectedColor},
    {"SelectedFontColor", &TSkinMenuLook::SelectedFontColor, &TSkinMenuLook::SetSelectedFontColor},
    {"FontColor", &TSkinMenuLook::FontColor, &TSkinMenuLook::SetFontColor},
    {"BorderColor", &TSkinMenuLook::BorderColor, &TSkinMenuLook::SetBorderColor},
};

}  // namespace

bool TSkinMenuLook::LookGetPublished(std::string_view name, forms::TPropValue* out) const {
  using forms::TPropValue;
  auto put = [&](TPropValue v) {
    if (out) *out = std::move(v);
    return true;
  };
  if (name == "OwnerDraw") return put(std::int64_t{1});
  if (look_.GetPublished(name, out)) return true;
  for (const IntProp& p : kIntProps)
    if (name == p.name) return put(static_cast<std::int64_t>((this->*p.get)()));
  for (const ColorProp& p : kColorProps)
    if (name == p.name) return put(static_cast<std::int64_t>((this->*p.get)()));
  if (name == "FlatMenu") return put(std::int64_t{flat_menu_});
  if (name == "FontName") return put(font_name_);
  if (name == "FontCharset") return put(static_cast<std::int64_t>(font_charset_));
  if (name == "UseSystemFont") return put(std::int64_t{use_system_font_});
  return false;
}

bool TSkinMenuLook::LookSetPublished(std::string_view name, const forms::TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  if (name == "FontName" && std::holds_alternative<std::string>(v)) {
    SetFontName(std::get<std::string>(v));
    return true;
  }
  if (!std::holds_alternative<std::int64_t>(v)) return false;
  const std::int64_t n = std::get<std::int64_t>(v);
  if (name == "OwnerDraw") return true;  // always on
  for (const IntProp& p : kIntProps)
    if (name == p.name) {
      (this->*p.set)(static_cast<int>(n));
      return true;
    }
  for (const ColorProp& p : kColorProps)
    if (name == p.name) {
      (this->*p.set)(static_cast<TColor>(n));
      return true;
    }
  if (name == "FlatMenu") return SetFlatMenu(n != 0), true;
  if (name == "FontCharset") return SetFontCharset(static_cast<forms::TFontCharset>(n)), true;
  if (name == "UseSystemFont") return SetUseSystemFont(n != 0), true;
  return false;
}

}  // namespace skin
