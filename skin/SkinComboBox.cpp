// TSkinCustomComboBox: colours from the style or theme, and the frame, list outline, drop
// button and arrow painted after the system painted the combo box.
#include "skin/SkinComboBox.h"

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

constexpr TColor kDisabledArrow = 0x808080;

void Frame(HDC dc, RECT r, TColor c) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(c));
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

void Triangle(HDC dc, int x, int y, TColor c) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(c));
  HPEN p = CreatePen(PS_SOLID, 1, ColorToRGB(c));
  HGDIOBJ ob = SelectObject(dc, b);
  HGDIOBJ op = SelectObject(dc, p);
  POINT pts[3] = {{x, y}, {x + 6, y}, {x + 3, y + 3}};
  Polygon(dc, pts, 3);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(p);
}

}  // namespace

TSkinCustomComboBox::TSkinCustomComboBox(TComponent* owner) : TCustomComboBox(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  SetUIStyle(OwnerFormUIStyle(owner));
}

TSkinCustomComboBox::~TSkinCustomComboBox() {
  BeginDestroy();
  SetFileTheme(nullptr);
}

void TSkinCustomComboBox::SetFileTheme(TSkinFileTheme* theme) {
  look_.SetTheme(*this, theme);
  if (!IsDestroying()) SetUIStyle(look_.Style());
}

void TSkinCustomComboBox::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  arrow_color_ = clBlack;
  const TSkinUIStyle eff = look_.Effective();
  // A skin lacking either colour takes the fallback style's.
  border_color_ = look_.Color(Skin2Color::ControlBorderColor, StyleItem::ControlBorder);
  button_color_ = look_.Color(Skin2Color::ControlColor, StyleItem::FormColor);
  button_picture_.SetSize(0, 0);
  if (eff == TSkinUIStyle::MacOS)
    button_picture_.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_COMBOBOX_BUTTON");
  else if (eff == TSkinUIStyle::WinXP)
    button_picture_.LoadFromResourceName(GetModuleHandleA(nullptr), "WINXP_COMBOBOX_BUTTON");
  Invalidate();
}

void TSkinCustomComboBox::SetBorderColor(TColor c) { border_color_ = c; Invalidate(); }
void TSkinCustomComboBox::SetArrowColor(TColor c) { arrow_color_ = c; Invalidate(); }
void TSkinCustomComboBox::SetButtonColor(TColor c) { button_color_ = c; Invalidate(); }

void TSkinCustomComboBox::SetEnabled(bool v) {
  TCustomComboBox::SetEnabled(v);
  Invalidate();
}

void TSkinCustomComboBox::CloseUp() {
  TCustomComboBox::CloseUp();
  // The list's outline was drawn over the parent's area: the parent paints it away.
  if (Parent()) Parent()->Invalidate();
}

void TSkinCustomComboBox::Notification(TComponent* component, TOperation operation) {
  TCustomComboBox::Notification(component, operation);
  if (look_.ThemeGone(component, operation)) SetUIStyle(TSkinUIStyle::DeepBlue);
}

void TSkinCustomComboBox::WndProc(TMessage& m) {
  TCustomComboBox::WndProc(m);
  if (IsDestroying()) return;
  if (m.Msg == WM_PAINT || m.Msg == WM_ERASEBKGND) PaintSkin();
}

void TSkinCustomComboBox::PaintSkin() {
  if (!HandleAllocated() || Style() == TComboBoxStyle::csSimple) return;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!skin::GetComboBoxInfo(handle_, &info)) return;
  HDC dc = GetDC(handle_);
  RECT r;
  GetClientRect(handle_, &r);
  Frame(dc, r, border_color_);
  InflateRect(&r, -1, -1);
  Frame(dc, r, Color());
  if (DroppedDown() && info.hwndList) {
    // The outline goes on the list's own edge, which lies over everything else on screen.
    HDC ldc = GetWindowDC(info.hwndList);
    RECT lr;
    GetWindowRect(info.hwndList, &lr);
    OffsetRect(&lr, -lr.left, -lr.top);
    Frame(ldc, lr, border_color_);
    ReleaseDC(info.hwndList, ldc);
  }
  const RECT b = info.rcButton;
  const int bw = b.right - b.left, bh = b.bottom - b.top;
  const TSkinUIStyle eff = look_.Effective();
  if (!button_picture_.Empty()) {
    const int old = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, b.left, b.top, bw, bh, button_picture_.Canvas().Handle(), 0, 0,
               button_picture_.Width(), button_picture_.Height(), SRCCOPY);
    SetStretchBltMode(dc, old);
  } else {
    HBRUSH fill = CreateSolidBrush(ColorToRGB(button_color_));
    FillRect(dc, &b, fill);
    DeleteObject(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(border_color_));
    HGDIOBJ old = SelectObject(dc, pen);
    // The line parts the button from the text: right to left, the text lies beyond the
    // button's right edge.
    const int lx = UseRightToLeftAlignment() ? b.right - 1 : b.left;
    MoveToEx(dc, lx, b.top - 1, nullptr);
    LineTo(dc, lx, b.bottom + 1);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  if (eff != TSkinUIStyle::WinXP) {
    // The arrow's height is measured from the button's height alone, as the look was made.
    const int x = b.left + bw / 2 - 3, y = bh / 2;
    if (Enabled()) {
      Triangle(dc, x, y, arrow_color_);
    } else {
      Triangle(dc, x + 1, y + 1, clWhite);
      Triangle(dc, x, y, kDisabledArrow);
    }
  }
  ReleaseDC(handle_, dc);
}

bool TSkinCustomComboBox::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  return TCustomComboBox::GetPublished(name, out);
}

bool TSkinCustomComboBox::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  return TCustomComboBox::SetPublished(name, v);
}

}  // namespace skin
