// The skinned window frame's borders and region: the non-client strips painted from skin
// pictures or in a built-in look's colours, and the window region cut by the skin's key colour
// or rounded at the top corners.
#include <algorithm>
#include <vector>

#include "skin/SkinForm.h"
#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

void Fill(TCanvas& c, TColor color, int l, int t, int r, int b) {
  if (r <= l || b <= t) return;
  c.Brush.Style = TBrushStyle::bsSolid;
  c.Brush.Color = color;
  c.FillRect(RECT{l, t, r, b});
}

int PicWidth(const TBitmap* b) { return b ? b->Width() : 0; }
int PicHeight(const TBitmap* b) { return b ? b->Height() : 0; }

bool IsMinimized(TCustomForm* f) { return f->HandleAllocated() && IsIconic(f->Handle()); }

}  // namespace

RECT TSkinForm::ClientInWindow() const {
  RECT wr{}, cr{};
  HWND h = form_->Handle();
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  OffsetRect(&cr, -wr.left, -wr.top);
  return cr;
}

void TSkinForm::PaintBorders() {
  if (destroying_ || !form_ || !form_->HandleAllocated() || IsMinimized(form_)) return;
  HWND h = form_->Handle();
  RECT wr;
  GetWindowRect(h, &wr);
  const int w = wr.right - wr.left, hh = wr.bottom - wr.top;
  if (w <= 0 || hh <= 0) return;
  RECT client = ClientInWindow();
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  // Only the strips around the client area are the frame's to paint.
  int saved = SaveDC(dc);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  TCanvas canvas;
  canvas.SetHandle(dc);
  if (SkinMode()) PaintSkinBorders(canvas, w, hh, client);
  else PaintBuiltInBorders(canvas, w, hh, client);
  canvas.ReleaseHandle();
  RestoreDC(dc, saved);
  ReleaseDC(h, dc);
}

void TSkinForm::PaintMenuBarStrips(TCanvas& c, int left, int right, int top) {
  TSkinMenuBar* bar = MenuBar();
  if (!bar || !bar->Visible() || MenuBarHeight() <= 0) return;
  const int mh = MenuBarHeight();
  const RECT client = ClientInWindow();
  for (RECT r : {RECT{left, top, client.left, top + mh}, RECT{client.right, top, right, top + mh}}) {
    if (r.right <= r.left) continue;
    if (MenuBarColor() == MenuBarToColor()) {
      Fill(c, bar->Color(), r.left, r.top, r.right, r.bottom);
    } else {
      DrawVerticalGradient(c, r, MenuBarColor(), MenuBarToColor());
    }
  }
}

void TSkinForm::PaintBuiltInBorders(TCanvas& c, int w, int h, const RECT& client) {
  const int bw = std::clamp(border_width_, 0, std::min(w, h) / 2);
  const bool title = TitleBarVisible();
  const int title_bottom = title ? client.top + title_bar_->Height() : client.top;
  // The title bar's pictures start above the client area and reach under the side borders
  // (the bar draws them shifted): what is cut off is painted here as the top border.
  if (title && (title_bar_->Sections().Count() == 3 || title_bar_->Sections().Count() == 5)) {
    TBitmap* back = title_bar_->SectionPicture(-2);
    if (back && !back->Empty()) {
      int x0 = client.left - SideAnswer(), y0 = client.top - 3;
      c.Draw(x0, y0, back);
      // Rows above the pictures (a native top border deeper than three rows) continue their
      // first row.
      if (y0 > 0) c.CopyRect(RECT{x0, 0, x0 + back->Width(), y0}, back->Canvas(),
                             RECT{0, 0, back->Width(), 1});
      // Columns beside them likewise continue their outer columns.
      if (x0 > 0)
        c.CopyRect(RECT{0, 0, x0, title_bottom}, back->Canvas(), RECT{0, 0, 1, back->Height()});
      int x1 = x0 + back->Width();
      if (x1 < w)
        c.CopyRect(RECT{x1, 0, w, title_bottom}, back->Canvas(),
                   RECT{back->Width() - 1, 0, back->Width(), back->Height()});
    }
    if (bw == 1 && RoundCorner() == 11 && !IsDesigning()) {
      c.Pen.Color = border_color_;
      c.Pen.Style = TPenStyle::psSolid;
      c.Pen.Width = 1;
      c.Arc(w - 21, -1, w + 1, 21, w + 1, 10, w - 10, -1);
      c.Arc(-1, -1, 21, 21, 10, -1, -1, 10);
    }
  } else if (!title) {
    Fill(c, border_color_, 0, 0, w, 1);
    Fill(c, Color(), bw, 1, w - bw, client.top);
  }
  Fill(c, border_color_, 0, 0, bw, h);
  Fill(c, border_color_, 0, h - bw, w, h);
  Fill(c, border_color_, w - bw, 0, w, h);
  // Inside the border line, the strips down the sides and along the bottom are the form's
  // colour (a border as wide as the strips leaves none).
  const int menu_bottom = title_bottom + MenuBarHeight();
  Fill(c, Color(), bw, client.bottom, w - bw, h - bw);
  Fill(c, Color(), bw, menu_bottom, client.left, h - bw);
  Fill(c, Color(), client.right, menu_bottom, w - bw, h - bw);
  PaintMenuBarStrips(c, bw, w - bw, title_bottom);
}

void TSkinForm::ComposeBottomImage(int w) {
  TSkinFileTheme* t = look_.Theme();
  TBitmap* b1 = t->GetBitmap(Skin2Bitmap::FormBottomBorder1);
  bottom_image_.SetSize(w, PicHeight(b1));
  if (!b1 || b1->Empty() || w <= 0) return;
  if (t->GetFlag(Skin2Flag::BottomBorderThreeSect) > 0) {
    TBitmap* b2 = t->GetBitmap(Skin2Bitmap::FormBottomBorder2);
    TBitmap* b3 = t->GetBitmap(Skin2Bitmap::FormBottomBorder3);
    bottom_image_.Canvas().Draw(0, 0, b1);
    int right = w - PicWidth(b3);
    if (b3 && !b3->Empty()) bottom_image_.Canvas().Draw(right, 0, b3);
    if (b2 && !b2->Empty() && right > PicWidth(b1))
      bottom_image_.Canvas().StretchDraw(RECT{PicWidth(b1), 0, right, PicHeight(b1)}, b2);
  } else {
    DrawThreeSlice(*b1, bottom_image_.Canvas(), RECT{0, 0, w, PicHeight(b1)}, clNone, false);
  }
}

void TSkinForm::PaintSkinBorders(TCanvas& c, int w, int h, const RECT& client) {
  TSkinFileTheme* t = look_.Theme();
  TColor form_color = Color();
  const bool title = TitleBarVisible();
  const int title_area = title ? client.top + title_bar_->Height() : 0;
  const int bottom_h = std::min(metrics_.SkinBottomHeight, h);
  const int bottom_top = h - bottom_h;
  if (title && (title_bar_->Sections().Count() == 3 || title_bar_->Sections().Count() == 5)) {
    TBitmap* back = title_bar_->SectionPicture(-2);
    if (back && !back->Empty()) c.Draw(client.left - SideAnswer(), client.top - 3, back);
  }
  // Border pictures wider than the window are cut at its edges.
  TBitmap* left = t->GetBitmap(Skin2Bitmap::FormLeftBorder);
  int lw = std::clamp(PicWidth(left), 0, w);
  if (left && lw > 0 && bottom_top > title_area)
    c.StretchDraw(RECT{0, title_area, lw, bottom_top}, left);
  const int menu_bottom = title_area + (title ? 0 : client.top) + MenuBarHeight();
  Fill(c, form_color, lw, menu_bottom, client.left, bottom_top);
  TBitmap* right = t->GetBitmap(Skin2Bitmap::FormRightBorder);
  int rw = std::clamp(PicWidth(right), 0, w);
  if (right && rw > 0 && bottom_top > title_area)
    c.StretchDraw(RECT{w - rw, title_area, w, bottom_top}, right);
  Fill(c, form_color, client.right, menu_bottom, w - rw, bottom_top);
  PaintMenuBarStrips(c, lw, w - rw, menu_bottom - MenuBarHeight());
  if (bottom_h > 0) {
    ComposeBottomImage(w);
    if (bottom_need_region_) {
      TBitmap over(w, bottom_image_.Height());
      over.Canvas().Brush.Color = form_color;
      over.Canvas().FillRect(RECT{0, 0, w, bottom_image_.Height()});
      bottom_image_.SetTransparent(true);
      bottom_image_.SetTransparentColor(region_key_color_);
      over.Canvas().Draw(0, 0, &bottom_image_);
      c.Draw(0, bottom_top, &over);
    } else {
      bottom_image_.SetTransparent(false);
      c.Draw(0, bottom_top, &bottom_image_);
    }
  }
  Fill(c, form_color, lw, client.bottom, w - rw, bottom_top);
}

void TSkinForm::BuildRegion() {
  if (destroying_ || !form_ || !form_->HandleAllocated() || IsDesigning()) return;
  HWND hwnd = form_->Handle();
  RECT wr;
  GetWindowRect(hwnd, &wr);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  if (w <= 0 || h <= 0) return;
  if (SkinMode()) {
    bool mdi = form_->FormStyle() == TFormStyle::fsMDIChild;
    if ((title_need_region_ || bottom_need_region_) &&
        (!mdi || form_->WindowState() == TWindowState::wsNormal)) {
      if (title_bar_) title_bar_->PaintImages();
      if (bottom_need_region_) ComposeBottomImage(w);
      BuildSkinRegion(w, h);
    } else {
      SetWindowRgn(hwnd, CreateRectRgn(0, 0, w, h), TRUE);
    }
    return;
  }
  const int half = h / 2;
  const int r = RoundCorner();
  const int b = std::max(RoundCornerBottom(), 0);
  HRGN top = CreateRoundRectRgn(0, 0, w + 1, half + 1, r, r);
  // The lower corners of the top half are squared off again (only its top corners are round),
  // and likewise the upper corners of the bottom half.
  HRGN part = CreateRectRgn(0, half - 2 * r, 2 * r, half);
  CombineRgn(top, top, part, RGN_OR);
  DeleteObject(part);
  part = CreateRectRgn(w - 2 * r, half - 2 * r, w, half);
  CombineRgn(top, top, part, RGN_OR);
  DeleteObject(part);
  HRGN bottom = CreateRoundRectRgn(0, half, w + 1, h + 1, b, b);
  part = CreateRectRgn(0, half, 2 * b, half + 2 * b);
  CombineRgn(bottom, bottom, part, RGN_OR);
  DeleteObject(part);
  part = CreateRectRgn(w - 2 * b, half, w, half + 2 * b);
  CombineRgn(bottom, bottom, part, RGN_OR);
  DeleteObject(part);
  CombineRgn(top, top, bottom, RGN_OR);
  DeleteObject(bottom);
  // The window owns the region from here on.
  if (!SetWindowRgn(hwnd, top, TRUE)) DeleteObject(top);
}

void TSkinForm::BuildSkinRegion(int w, int h) {
  std::vector<TFrameRect> rects;
  TBitmap* top = title_bar_ ? title_bar_->SectionPicture(-1) : nullptr;
  const int top_h = title_need_region_ && top ? top->Height() : 0;
  const int bottom_h = bottom_need_region_ ? bottom_image_.Height() : 0;
  const std::uint32_t key = ColorToRGB(region_key_color_);
  auto pixels = [](TBitmap* b) {
    return [b](int x, int y) { return static_cast<std::uint32_t>(b->GetPixel(x, y)); };
  };
  if (top_h > 0)
    AddPictureRegionRows(pixels(top), top->Width(), top_h, key, title_region_min_y_,
                         title_region_max_y_, w, 0, rects);
  if (h - bottom_h > top_h) rects.push_back({0, top_h, w, h - bottom_h});
  if (bottom_h > 0)
    AddPictureRegionRows(pixels(&bottom_image_), bottom_image_.Width(), bottom_h, key,
                         bottom_region_min_y_, bottom_region_max_y_, w, h - bottom_h, rects);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (const TFrameRect& r : rects) {
    HRGN piece = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
    CombineRgn(region, region, piece, RGN_OR);
    DeleteObject(piece);
  }
  if (!SetWindowRgn(form_->Handle(), region, TRUE)) DeleteObject(region);
}

}  // namespace skin
