// The drawing routines. Slice pieces that work out empty are skipped; all drawing goes
// through plain GDI on the bitmaps' memory DCs.
#include "skin/SkinPublic.h"

#include <algorithm>

#include "skin/SkinMgr.h"
#include "skin/SkinThemes.h"

namespace skin {

using forms::ColorToRGB;
using forms::TImageList;

namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

// An even skin has no middle row or column; its strips then use the single line at the
// middle, so that edges still show the skin's border colour.
void WidenEmptyStrip(int& from, int& to, int limit) {
  if (to > from) return;
  from = std::clamp(from, 0, std::max(limit - 1, 0));
  to = from + 1;
}

void CopyPiece(TBitmap& bitmap, TCanvas& canvas, const TSlicePiece& p, bool keyed) {
  // Corners are copied at their size (already cropped); edges and centre are stretched into
  // a bitmap of the destination's size. The bitmap is then drawn keyed or not.
  TBitmap tmp(W(p.Dest), H(p.Dest));
  if (tmp.Empty()) return;
  tmp.Canvas().CopyRect(RECT{0, 0, W(p.Dest), H(p.Dest)}, bitmap.Canvas(), p.Source);
  forms::DrawBitmapPart(canvas.Handle(), p.Dest, tmp, RECT{0, 0, W(p.Dest), H(p.Dest)}, keyed,
                        ColorToRGB(SkinTransparentKey));
}

}  // namespace

std::vector<TSlicePiece> NineSlicePieces(int w, int h, const RECT& d) {
  std::vector<TSlicePiece> out;
  if (w <= 0 || h <= 0) return out;
  const int hw = w / 2, hh = h / 2;
  const int dw = W(d), dh = H(d);
  const int L = d.left, T = d.top, R = d.right, B = d.bottom;
  auto clamp0 = [](int v) { return v < 0 ? 0 : v; };

  // 1. top-left corner, keeping its top-left part
  int cw = clamp0(std::min(hw, dw / 2)), ch = clamp0(std::min(hh, dh / 2));
  RECT tl{L, T, L + cw, T + ch};
  out.push_back({RECT{0, 0, cw, ch}, tl, true});
  // 2. bottom-left corner, keeping its left and bottom parts
  cw = clamp0(std::min(hw, dw / 2));
  ch = clamp0(std::min(hh - 1, dh / 2 - 1));
  RECT bl{L, B - ch, L + cw, B};
  out.push_back({RECT{0, h - ch, cw, h}, bl, true});
  // 3. left edge, source rows H div 2 to H - H div 2
  int y0 = hh, y1 = h - hh;
  WidenEmptyStrip(y0, y1, h);
  RECT le{L, tl.bottom, tl.right, bl.top};
  int sw = std::min(hw, W(le));
  out.push_back({RECT{0, y0, sw, y1}, le, false});
  // 4. top-right corner, keeping its right and top parts
  cw = clamp0(std::min(hw - 1, dw / 2 - 1));
  ch = clamp0(std::min(hh, dh / 2));
  RECT tr{R - cw, T, R, T + ch};
  out.push_back({RECT{w - cw, 0, w, ch}, tr, true});
  // 5. bottom-right corner, keeping its right and bottom parts
  cw = clamp0(std::min(hw - 1, dw / 2 - 1));
  ch = clamp0(std::min(hh - 1, dh / 2 - 1));
  RECT br{R - cw, B - ch, R, B};
  out.push_back({RECT{w - cw, h - ch, w, h}, br, true});
  // 6. right edge, one row below the left edge's (two for an even height)
  y0 = h - hh;
  y1 = hh + 2;
  WidenEmptyStrip(y0, y1, h);
  y1 = std::min(y1, h);
  RECT re{tr.left, tr.bottom, tr.right, br.top};
  sw = std::min(hw - 1, W(re));
  out.push_back({RECT{w - sw, y0, w, y1}, re, false});
  // 7. top edge, keeping its top part
  int x0 = hw, x1 = w - hw + 1;
  WidenEmptyStrip(x0, x1, w);
  x1 = std::min(x1, w);
  RECT te{tl.right, T, tr.left, tl.bottom};
  int sh = std::min(hh, H(te));
  out.push_back({RECT{x0, 0, x1, sh}, te, false});
  // 8. centre, never cropped
  y0 = hh;
  y1 = h - hh;
  WidenEmptyStrip(y0, y1, h);
  RECT ce{tl.right, tl.bottom, tr.left, br.top - 1};
  out.push_back({RECT{x0, y0, x1, y1}, ce, false});
  // 9. bottom edge, keeping its bottom part
  RECT be{tl.right - 1, bl.top - 1, br.left, br.bottom};
  sh = std::min(hh, H(be));
  out.push_back({RECT{x0, h - sh, x1, h}, be, false});

  out.erase(std::remove_if(out.begin(), out.end(),
                           [](const TSlicePiece& p) { return Empty(p.Source) || Empty(p.Dest); }),
            out.end());
  return out;
}

void DrawNineSlice(TBitmap& bitmap, TCanvas& canvas, const RECT& r, bool transparentCorners) {
  if (bitmap.Empty()) return;
  for (const TSlicePiece& p : NineSlicePieces(bitmap.Width(), bitmap.Height(), r))
    CopyPiece(bitmap, canvas, p, p.Corner ? transparentCorners : true);
}

void DrawThreeSlice(TBitmap& bitmap, TCanvas& canvas, const RECT& r, TColor key, bool masked) {
  int iw = bitmap.Width() / 3, ih = bitmap.Height();
  if (iw <= 0 || ih <= 0) return;
  TImageList list(iw, ih);
  if (masked) list.AddMasked(bitmap, key);
  else list.Add(bitmap);
  if (W(r) < iw) {
    TBitmap first;
    list.GetBitmap(0, first);
    first.SetWidth(W(r));
    canvas.Draw(r.left, r.top, &first);
    return;
  }
  list.Draw(canvas, r.left, r.top, 0);
  list.Draw(canvas, r.right - iw, r.top, 2);
  TBitmap middle;
  list.GetBitmap(1, middle);
  canvas.StretchDraw(RECT{r.left + iw, r.top, r.right - iw, r.top + ih}, &middle);
}

void DrawThreeSliceKeyed(TBitmap& bitmap, TCanvas& canvas, const RECT& r, bool keyFromTopLeft,
                         TColor fill, bool usePixelKey) {
  int iw = bitmap.Width() / 3, ih = bitmap.Height();
  if (iw <= 0 || ih <= 0) return;
  TColor pixelKey = keyFromTopLeft ? bitmap.GetPixel(0, 0) : bitmap.GetPixel(0, ih - 1);
  TImageList list(iw, ih);
  list.AddMasked(bitmap, usePixelKey ? pixelKey : SkinTransparentKey);
  if (W(r) < iw) {
    TBitmap tmp(W(r), ih);
    if (tmp.Empty()) return;
    list.Draw(tmp.Canvas(), 0, 0, 0);
    canvas.Draw(r.left, r.top, &tmp);
    return;
  }
  list.Draw(canvas, r.left, r.top, 0);
  list.Draw(canvas, r.right - iw, r.top, 2);
  TBitmap middle(iw, ih);
  middle.Canvas().Brush.Color = fill;
  middle.Canvas().FillRect(RECT{0, 0, iw, ih});
  list.Draw(middle.Canvas(), 0, 0, 1);
  canvas.StretchDraw(RECT{r.left + iw, r.top, r.right - iw, r.bottom}, &middle);
}

RECT FrameSourceRect(int width, int height, int count, int index) {
  if (count <= 0 || index < 1 || index > count || height <= 0) return RECT{0, 0, 0, 0};
  int f = width / count;
  if (f <= 0) return RECT{0, 0, 0, 0};
  // The last frame is always the rightmost columns, even when the width does not divide.
  if (index == count) return RECT{width - f, 0, width, height};
  return RECT{f * (index - 1), 0, f * index, height};
}

void ExtractFrame(const TBitmap& source, TBitmap& dest, int count, int index) {
  RECT s = FrameSourceRect(source.Width(), source.Height(), count, index);
  if (Empty(s)) return;
  TBitmap tmp(W(s), H(s));
  tmp.Canvas().CopyRect(RECT{0, 0, W(s), H(s)}, const_cast<TBitmap&>(source).Canvas(), s);
  dest.SetSize(W(s), H(s));
  dest.Canvas().CopyRect(RECT{0, 0, W(s), H(s)}, tmp.Canvas(), RECT{0, 0, W(s), H(s)});
}

int GradientChannel(int start, int end, int span, int k) {
  if (span == 0) return start;
  return start + static_cast<int>(static_cast<double>(end - start) / span * k);
}

namespace {

COLORREF GradientColor(COLORREF a, COLORREF b, int span, int k) {
  return RGB(GradientChannel(GetRValue(a), GetRValue(b), span, k),
             GradientChannel(GetGValue(a), GetGValue(b), span, k),
             GradientChannel(GetBValue(a), GetBValue(b), span, k));
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c) {
  RECT r{x0, y0, x1, y1};
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

}  // namespace

void DrawVerticalGradient(TCanvas& canvas, const RECT& r, TColor startColor, TColor endColor) {
  if (r.bottom == r.top) return;
  COLORREF a = ColorToRGB(startColor), b = ColorToRGB(endColor);
  HDC dc = canvas.Handle();
  int span = r.bottom - r.top;
  Line(dc, r.left, r.top, r.right, r.top + 1, a);
  for (int y = r.top + 1; y <= r.bottom - 2; ++y)
    Line(dc, r.left, y, r.right, y + 1, GradientColor(a, b, span, y - r.top - 1));
  Line(dc, r.left, r.bottom - 1, r.right, r.bottom, b);
}

void DrawHorizontalGradient(TCanvas& canvas, const RECT& r, TColor startColor, TColor endColor) {
  if (r.right == r.left) return;
  COLORREF a = ColorToRGB(startColor), b = ColorToRGB(endColor);
  HDC dc = canvas.Handle();
  int span = r.right - r.left;
  Line(dc, r.left, r.top, r.left + 1, r.bottom, a);
  for (int x = r.left + 1; x <= r.right - 2; ++x)
    Line(dc, x, r.top, x + 1, r.bottom, GradientColor(a, b, span, x - r.left));
  Line(dc, r.right - 1, r.top, r.right, r.bottom, b);
}

void TileDraw(TCanvas& canvas, TPicture& picture, const RECT& r) {
  int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0) return;
  // Tiles start at the canvas origin, not at the rectangle's corner.
  for (int x = 0; x < w + W(r); x += w)
    for (int y = 0; y < h + H(r); y += h) canvas.Draw(x, y, picture.Graphic());
}

void StretchDrawHalftone(TBitmap& bitmap, TCanvas& canvas, const RECT& r) {
  if (bitmap.Empty()) return;
  HDC dc = canvas.Handle();
  int old = SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, r.left, r.top, W(r), H(r), bitmap.Canvas().Handle(), 0, 0, bitmap.Width(),
             bitmap.Height(), SRCCOPY);
  SetStretchBltMode(dc, old);
}

void ReplaceBitmapColor(TBitmap& bitmap, TColor oldColor, TColor newColor) {
  // Our bitmaps are always 32-bit DIBs without alpha, i.e. already true colour.
  TColor o = static_cast<TColor>(ColorToRGB(oldColor));
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.GetPixel(x, y) == o) bitmap.SetPixel(x, y, newColor);
}

void RotateBitmapLeft(TBitmap& bitmap) {
  int w = bitmap.Width(), h = bitmap.Height();
  TBitmap out(h, w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.SetPixel(y, w - 1 - x, bitmap.GetPixel(x, y));
  bitmap.Assign(&out);
}

void RotateBitmapRight(TBitmap& bitmap) {
  int w = bitmap.Width(), h = bitmap.Height();
  TBitmap out(h, w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.SetPixel(h - 1 - y, x, bitmap.GetPixel(x, y));
  bitmap.Assign(&out);
}

void PaintParentBackground(TCanvas& canvas, TControl* control) {
  if (!control || !control->Parent()) return;
  TWinControl* parent = control->Parent();
  HDC dc = canvas.Handle();
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -control->Left(), -control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

void FrameWindowBorder(TWinControl* control, TColor outer, TColor inner, bool twoFrames) {
  if (!control || !control->HandleAllocated()) return;
  HWND wnd = control->Handle();
  HDC dc = GetWindowDC(wnd);
  RECT r;
  GetWindowRect(wnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  HBRUSH b = CreateSolidBrush(ColorToRGB(outer));
  FrameRect(dc, &r, b);
  DeleteObject(b);
  if (twoFrames) {
    InflateRect(&r, -1, -1);
    b = CreateSolidBrush(ColorToRGB(inner));
    FrameRect(dc, &r, b);
    DeleteObject(b);
  }
  ReleaseDC(wnd, dc);
}

bool PointInRect(int x, int y, const RECT& r) {
  return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

bool PointInRect(POINT p, const RECT& r) { return PointInRect(p.x, p.y, r); }

void PlaceControl(TControl* control, POINT p) {
  control->SetLeft(p.x);
  control->SetTop(p.y);
}

void SetControlRect(TControl* control, const RECT& r) {
  control->SetLeft(r.left);
  control->SetTop(r.top);
  control->SetWidth(r.right - r.left);
  control->SetHeight(r.bottom - r.top);
}

void GetWorkAreaRect(RECT& out) {
  forms::TCustomForm* main = forms::Application()->MainForm();
  if (main && main->Handle()) {
    out = forms::Screen()->WorkAreaRect(main->Handle());
    return;
  }
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &out, 0);
}

bool IsFormActive(forms::TCustomForm* form) {
  forms::TCustomForm* main = forms::Application()->MainForm();
  if (!main) return form && form->Active();
  bool mdi = main->FormStyle() == forms::TFormStyle::fsMDIForm;
  if (mdi && form == main) return true;
  if (!forms::Application()->Active()) return false;
  if (!form || form == main) return true;
  if (mdi && main->ClientHandle() && form->HandleAllocated() &&
      reinterpret_cast<HWND>(SendMessageA(main->ClientHandle(), WM_MDIGETACTIVE, 0, 0)) ==
          form->Handle())
    return true;
  return form->Active();
}

bool HasPublishedProperty(const forms::TComponent* object, const std::string& name) {
  return forms::HasPublishedProperty(object, name);
}

void ApplyThemeToChildren(TWinControl* skinFormPanel, TSkinUIStyle style, TSkinFileTheme* theme) {
  if (!skinFormPanel) return;
  for (TControl* c : std::vector<TControl*>(skinFormPanel->Controls())) {
    if (!forms::HasPublishedProperty(c, "FileTheme") || !forms::HasPublishedProperty(c, "UIStyle"))
      continue;
    c->SetPublished("FileTheme", forms::TPropValue{static_cast<forms::TComponent*>(theme)});
    c->SetPublished("UIStyle", forms::TPropValue{static_cast<std::int64_t>(style)});
  }
}

void FitCaption(TCanvas& canvas, const std::string& text, int limit, std::string& result) {
  result = text;
  if (canvas.TextWidth(text) <= limit) return;
  for (size_t i = 1;; ++i) {
    if (i >= text.size()) {
      result = text;
      return;
    }
    result = text.substr(0, i) + "...";
    if (canvas.TextWidth(result) >= limit) return;
  }
}

namespace {

using GetScrollBarInfoFn = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
using GetComboBoxInfoFn = BOOL(WINAPI*)(HWND, PCOMBOBOXINFO);

struct User32Binding {
  HMODULE module = nullptr;
  bool loaded_here = false;
  GetScrollBarInfoFn scroll = nullptr;
  GetComboBoxInfoFn combo = nullptr;
  bool unavailable = false;
  std::string module_name = "User32.dll";
  std::string scroll_name = "GetScrollBarInfo";
  std::string combo_name = "GetComboBoxInfo";

  void Release() {
    if (module && loaded_here) FreeLibrary(module);
    module = nullptr;
    loaded_here = false;
  }
  ~User32Binding() { Release(); }

  FARPROC Bind(const std::string& name) {
    if (!module) {
      module = LoadLibraryA(module_name.c_str());
      loaded_here = module != nullptr;
    }
    FARPROC p = module ? GetProcAddress(module, name.c_str()) : nullptr;
    if (!p) unavailable = true;
    return p;
  }
};

User32Binding& Binding() {
  static User32Binding b;
  return b;
}

}  // namespace

BOOL GetScrollBarInfo(HWND wnd, LONG objectId, PSCROLLBARINFO info) {
  User32Binding& b = Binding();
  if (b.unavailable) return 0;
  if (!b.scroll) {
    b.scroll = reinterpret_cast<GetScrollBarInfoFn>(reinterpret_cast<void*>(b.Bind(b.scroll_name)));
    if (!b.scroll) return 0;
  }
  return b.scroll(wnd, objectId, info);
}

BOOL GetComboBoxInfo(HWND wnd, PCOMBOBOXINFO info) {
  User32Binding& b = Binding();
  if (b.unavailable) return 0;
  if (!b.combo) {
    b.combo = reinterpret_cast<GetComboBoxInfoFn>(reinterpret_cast<void*>(b.Bind(b.combo_name)));
    if (!b.combo) return 0;
  }
  return b.combo(wnd, info);
}

void ResetUser32BindingForTest(const char* module, const char* scrollBarName,
                               const char* comboBoxName) {
  User32Binding& b = Binding();
  b.Release();
  b.scroll = nullptr;
  b.combo = nullptr;
  b.unavailable = false;
  b.module_name = module;
  b.scroll_name = scrollBarName;
  b.combo_name = comboBoxName;
}

}  // namespace skin
