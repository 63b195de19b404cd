// TSkinListView: the flat header (layout of one column, separators, painting straight onto the
// header), its look, and the outside bars that scroll the list by their changes.
#include "skin/SkinListView.h"

#include <algorithm>
#include <cstdlib>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

TFlatHeadColumnLayout LayoutFlatHeadColumn(const TFlatHeadColumnInput& in) {
  TFlatHeadColumnLayout out;
  const RECT& r = in.Item;
  const int avail = (r.right - r.left) - 6;
  const int tw = in.TextWidth;
  const bool image = in.ImageWidth >= 0;
  const int iw = image ? in.ImageWidth : 0;
  const int image_top = (r.bottom - r.top - in.ImageHeight) / 2;
  int text_x = r.left + 4;
  switch (in.Alignment) {
    case TAlignment::taLeftJustify:
      if (image) {
        out.ImageShown = true;
        out.ImageAt = POINT{r.left + 4, image_top};
        text_x += iw + 2;
      }
      break;
    case TAlignment::taRightJustify:
    case TAlignment::taCenter: {
      // Centred is right-justified with the room halved; either keeps 4 pixels at the left.
      int x = image ? avail - tw - iw - 2 : avail - tw - 2;
      if (in.Alignment == TAlignment::taCenter) x /= 2;
      x = std::max(4, x);
      if (image) {
        out.ImageShown = true;
        out.ImageAt = POINT{r.left + x, image_top};
        text_x = r.left + x + iw + 2;
      } else {
        text_x = r.left + x;
      }
      break;
    }
  }
  out.TextRect = RECT{text_x, r.top, r.right - 2, r.bottom};
  out.TextLimit = r.right - text_x - 2;
  return out;
}

std::vector<int> FlatHeadSeparators(const std::vector<RECT>& items) {
  std::vector<int> xs;
  bool have_previous = false;
  int previous = 0;
  for (const RECT& r : items) {
    const int x = r.right - 1;
    xs.push_back(x);
    // A column of no width would hide its line in the one before: it shows as a double line.
    if (have_previous && previous == x) xs.push_back(r.right - 2);
    previous = x;
    have_previous = true;
  }
  return xs;
}

TSkinListView::TSkinListView(TComponent* owner) : TSkinListViewBase(owner) {
  TBarOptions o;
  o.FarInset = 2;
  o.VerticalFromTrackPos = false;
  o.SetPageSize = false;
  o.MaxBeforeMin = true;
  o.ScrollSyncsBoth = true;
  SetBarOptions(o);
  // The base's constructor applied the look before this class could take its part of it.
  SetUIStyle(UIStyle());
}

TSkinListView::~TSkinListView() {
  BeginDestroy();
  SetVScrollBar(nullptr);
  SetHScrollBar(nullptr);
}

// ---- look -----------------------------------------------------------------------------------

void TSkinListView::LookChanged(const TSkinLook& look) {
  if (look.SkinMode()) {
    // A skin without one of the colours keeps the current one.
    header_font_color_ = look.ColorOr(Skin2Color::ControlFontColor, header_font_color_);
    header_color_ = look.ColorOr(Skin2Color::FormColor, header_color_);
  } else {
    header_font_color_ = GetStyleColor(StyleIndex(look.Effective()), StyleItem::ControlFontColor);
    header_color_ = GetStyleColor(StyleIndex(look.Effective()), StyleItem::FormColor);
  }
  TSkinListViewBase::LookChanged(look);
  RepaintHeader();
}

// ---- header ---------------------------------------------------------------------------------

void TSkinListView::RepaintHeader() {
  HWND h = HookedHeader();
  if (!h) return;
  InvalidateRect(h, nullptr, FALSE);
}

LRESULT TSkinListView::HeaderMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (w) {
        PaintHeader(wnd, reinterpret_cast<HDC>(w));
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        PaintHeader(wnd, dc);
        EndPaint(wnd, &ps);
      }
      return 0;
    case HDM_SETITEMA:
    case HDM_SETITEMW: {
      // A caption, width or alignment changed: the system would repaint its own way.
      LRESULT r = TSkinListViewBase::HeaderMessage(wnd, msg, w, l);
      InvalidateRect(wnd, nullptr, FALSE);
      return r;
    }
    default:
      return TSkinListViewBase::HeaderMessage(wnd, msg, w, l);
  }
}

void TSkinListView::PaintHeader(HWND header, HDC dc) {
  RECT client;
  GetClientRect(header, &client);
  TCanvas c;
  c.SetHandle(dc);
  c.Font().SetColor(header_font_color_);
  TImageList* images = SmallImages();
  const int n = Columns().Count();
  std::vector<RECT> items;
  items.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    RECT r{};
    if (!SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      continue;
    items.push_back(r);
    // Columns scrolled out of the header cost nothing but their rectangle.
    if (r.right <= client.left || r.left >= client.right) continue;
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = header_color_;
    c.FillRect(r);
    c.Brush.Style = TBrushStyle::bsClear;
    TListColumn* column = Columns()[i];
    const std::string caption = column->Caption();
    TFlatHeadColumnInput in;
    in.Item = r;
    const int image = column->ImageIndex();
    const bool with_image = images && image >= 0 && image < images->Count();
    if (with_image) {
      in.ImageWidth = images->Width();
      in.ImageHeight = images->Height();
    }
    in.Alignment = column->Alignment();
    in.TextWidth = c.TextWidth(caption);
    const TFlatHeadColumnLayout lay = LayoutFlatHeadColumn(in);
    if (lay.ImageShown) images->Draw(c, lay.ImageAt.x, lay.ImageAt.y, image, true);
    std::string fitted;
    FitCaption(c, caption, lay.TextLimit, fitted);
    RECT tr = lay.TextRect;
    c.DrawText(fitted, tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  // Each line lies inside the column it closes, so drawing them after every fill is the same
  // as drawing each after its own column's.
  c.Pen.Color = BorderColor();
  if (!items.empty()) {
    for (int x : FlatHeadSeparators(items)) {
      c.MoveTo(x, items.front().top);
      c.LineTo(x, items.front().bottom);
    }
  }
  const int last_right = items.empty() ? client.left : static_cast<int>(items.back().right);
  if (last_right < client.right) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = header_color_;
    c.FillRect(RECT{last_right, client.top, client.right, client.bottom});
  }
  if (last_right > client.left) {
    c.MoveTo(client.left, client.bottom - 1);
    c.LineTo(last_right, client.bottom - 1);
  }
  c.ReleaseHandle();
}

// ---- bars to list ---------------------------------------------------------------------------

void TSkinListView::HScrollBarChange() {
  TSkinScrollBar* hscroll = HScrollBar();
  if (Syncing() || !hscroll || !HandleAllocated()) return;
  SetScrollingByBar(true);
  SendMessageA(handle_, LVM_SCROLL, static_cast<WPARAM>(hscroll->LastChange()), 0);
  SetScrollingByBar(false);
}

void TSkinListView::VScrollBarChange() {
  TSkinScrollBar* vscroll = VScrollBar();
  if (Syncing() || !vscroll || !HandleAllocated()) return;
  const int change = vscroll->LastChange();
  if (change == 0) return;
  if (ViewStyle() != TViewStyle::vsReport) {
    SendMessageA(handle_, LVM_SCROLL, 0, static_cast<LPARAM>(change));
    return;
  }
  // Line by line, as the list's own arrows step it. No more steps than there are rows: the
  // list cannot move further, and a bar dragged across a long list would send its whole range.
  const long long magnitude = std::llabs(static_cast<long long>(change));
  const long long steps = std::min<long long>(magnitude, std::max(0, Items().Count()));
  const WPARAM code = change > 0 ? SB_LINEDOWN : SB_LINEUP;
  SetScrollingByBar(true);
  for (long long i = 0; i < steps; ++i) SendMessageA(handle_, WM_VSCROLL, code, 0);
  SetScrollingByBar(false);
  InvalidateRect(handle_, nullptr, FALSE);
  // The list may have stopped short of the bar (its last page): the bar follows the list.
  SyncScrollBars();
}

}  // namespace skin
