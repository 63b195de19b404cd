// TQzListView: the painted header (layout of one column, painting through a back buffer),
// clicks on the header's check-state pictures and the maker's outside bars.
#include "skin/QzListView.h"

#include <algorithm>

#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

THeadColumnLayout LayoutHeadColumn(const THeadColumnInput& in) {
  THeadColumnLayout out;
  const RECT& r = in.Item;
  const int height = r.bottom - r.top;
  int d = r.left;
  if (in.StateWidth >= 0) {
    const int top = (height - in.StateHeight) / 2;
    const int left = r.left + 2;
    // A column narrower than its picture keeps the click target inside the column.
    const int right = std::min(left + in.StateWidth, static_cast<int>(r.right) - 2);
    out.StateRect = RECT{left, top, right, top + in.StateHeight};
    d = right;
  }
  d += 2;

  int sort_left = d, sort_right = d;
  if (in.SortWidth >= 0) {
    const int w = in.SortWidth;
    const int top = (height - in.SortHeight) / 2;
    const int room = r.right - d;
    if (room > w + 6) sort_left = r.right - 4 - w;
    else if (room > w + 2) sort_left = r.right - 2 - w;
    else sort_left = d;
    sort_right = sort_left + w;
    out.SortRect = RECT{sort_left, top, sort_right, top + in.SortHeight};
  }
  out.SortShown = sort_left < sort_right;
  const bool sort = out.SortShown;

  const int avail = (sort ? sort_left : r.right) - d - 2;
  const int tw = in.TextWidth;
  const bool image = in.ImageWidth >= 0;
  int e = d + 4;
  auto place_image = [&](int x) {
    out.ImageShown = true;
    out.ImageAt = POINT{x, (height - in.ImageHeight) / 2};
    e = std::min(x + in.ImageWidth, static_cast<int>(r.right)) + 6;
  };
  switch (in.Alignment) {
    case TAlignment::taLeftJustify:
      if (image) place_image(d);
      break;
    case TAlignment::taRightJustify:
      if (image) {
        const int h = avail - tw - in.ImageWidth - (sort ? 6 : 10);
        if (h > 0) d += h;
        place_image(d);
      } else {
        const int h = avail - tw - (sort ? 4 : 8);
        e = h > 4 ? d + h : d + 4;
      }
      break;
    case TAlignment::taCenter:
      if (image) {
        const int h = (avail - tw - in.ImageWidth - 10) / 2;
        if (h > 0) d += h;
        place_image(d);
      } else {
        int h;
        if (in.HasImageList) h = (avail - tw - 8) / 2 + 4;
        else h = sort ? (avail - tw - 4) / 2 - 2 : (avail - tw - 8) / 2 + 4;
        e = h > 4 ? d + h : d + 4;
      }
      break;
  }
  if (sort) {
    out.TextRect = RECT{e, r.top, sort_left - 2, r.bottom};
    out.TextLimit = sort_left - e - 2;
  } else {
    out.TextRect = RECT{e, r.top, r.right - 6, r.bottom};
    out.TextLimit = r.right - e - 6;
  }
  return out;
}

TQzListView::TQzListView(TComponent* owner) : TSkinListViewBase(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  head_font_.Assign(Font());
  head_font_.OnChange = [this](TObject*) { RepaintHeader(); };
  head_height_font_.OnChange = [this](TObject*) { ApplyHeaderFont(); };
  head_bg_.OnChange = [this](TObject*) { RepaintHeader(); };
  headline_.OnChange = [this](TObject*) { RepaintHeader(); };
}

TQzListView::~TQzListView() {
  BeginDestroy();
  SetVScrollBar(nullptr);
  SetHScrollBar(nullptr);
  SetImageList(head_image_, nullptr);
  SetImageList(head_state_, nullptr);
  SetImageList(head_img_sort_, nullptr);
  head_font_.OnChange = nullptr;
  head_height_font_.OnChange = nullptr;
  head_bg_.OnChange = nullptr;
  headline_.OnChange = nullptr;
}

// ---- properties -----------------------------------------------------------------------------

void TQzListView::SetImageList(TImageList*& slot, TImageList* v) {
  if (v == slot) return;
  TImageList* old = slot;
  slot = v;
  if (old && old != head_image_ && old != head_state_ && old != head_img_sort_ &&
      old != SmallImages() && old != StateImages())
    RemoveFreeNotification(old);
  if (v) FreeNotification(v);
}

void TQzListView::SetHeadImage(TImageList* v) {
  SetImageList(head_image_, v);
  RepaintHeader();
}

void TQzListView::SetHeadState(TImageList* v) {
  SetImageList(head_state_, v);
  if (v) RepaintHeader();
}

void TQzListView::SetHeadImgSort(TImageList* v) {
  SetImageList(head_img_sort_, v);
  if (v) RepaintHeader();
}

void TQzListView::SetHeadBG(const TPicture* p) {
  head_bg_.Assign(p);
  if (!head_bg_.HasGraphic()) state_hits_.fill(RECT{});
}

void TQzListView::SetHeadline(const TPicture* p) { headline_.Assign(p); }

void TQzListView::Notification(TComponent* c, TOperation op) {
  TSkinListViewBase::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (c == head_image_) head_image_ = nullptr;
  if (c == head_state_) head_state_ = nullptr;
  if (c == head_img_sort_) head_img_sort_ = nullptr;
}

void TQzListView::ApplyHeaderFont() {
  // The list lays out its header after a font change; the hook hands the header its own.
  if (HandleAllocated())
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TQzListView::HeaderHooked() {
  ApplyHeaderFont();
  RepaintHeader();
}

void TQzListView::RepaintHeader() {
  HWND h = HookedHeader();
  if (!h) return;
  InvalidateRect(h, nullptr, FALSE);
  UpdateWindow(h);
}

// ---- state pictures -------------------------------------------------------------------------

bool TQzListView::StateValid(int column) const {
  if (!head_state_ || column < 0 || column >= kHeadColumnCount) return false;
  const int i = HeadColumns[static_cast<size_t>(column)].StateIndex;
  return i >= 0 && i < head_state_->Count();
}

RECT TQzListView::StateHitRect(int column) const {
  if (column < 0 || column >= kHeadColumnCount) return RECT{};
  return state_hits_[static_cast<size_t>(column)];
}

int TQzListView::StateImageAt(int x, int y) const {
  // Without a background the header paints itself and shows no state pictures.
  if (!head_state_ || !head_bg_.HasGraphic()) return -1;
  const int n = std::min(const_cast<TQzListView*>(this)->Columns().Count(), kHeadColumnCount);
  for (int i = 0; i < n; ++i) {
    const RECT& r = state_hits_[static_cast<size_t>(i)];
    if (StateValid(i) && r.right > r.left && PointInRect(x, y, r)) return i;
  }
  return -1;
}

void TQzListView::EndPress(HWND header) {
  const bool had = pressed_;
  pressed_ = false;
  pressed_column_ = -1;
  if (had && GetCapture() == header) ReleaseCapture();
}

LRESULT TQzListView::HeaderMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  // The point as the header's own coordinates, read unsigned.
  const int x = LOWORD(l), y = HIWORD(l);
  switch (msg) {
    case WM_PAINT:
      if (!head_bg_.HasGraphic()) break;
      PaintHeader(wnd);
      if (w) {
        BitBlt(reinterpret_cast<HDC>(w), 0, 0, back_.Width(), back_.Height(),
               back_.Canvas().Handle(), 0, 0, SRCCOPY);
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        BitBlt(dc, 0, 0, back_.Width(), back_.Height(), back_.Canvas().Handle(), 0, 0, SRCCOPY);
        EndPaint(wnd, &ps);
      }
      return 0;
    case WM_PRINTCLIENT:
      if (!head_bg_.HasGraphic() || !w) break;
      PaintHeader(wnd);
      BitBlt(reinterpret_cast<HDC>(w), 0, 0, back_.Width(), back_.Height(),
             back_.Canvas().Handle(), 0, 0, SRCCOPY);
      return 0;
    case WM_ERASEBKGND:
      if (head_bg_.HasGraphic()) return 1;  // the back buffer covers every pixel
      break;
    case WM_SETFONT:
      return DefHeader(wnd, msg, reinterpret_cast<WPARAM>(head_height_font_.Handle()), l);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int c = StateImageAt(x, y);
      if (c < 0) {
        pressed_ = false;
        pressed_column_ = -1;
        break;
      }
      // Neither a column click nor a divider drag: the press belongs to the picture.
      pressed_ = true;
      pressed_column_ = c;
      SetCapture(wnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (pressed_ || StateImageAt(x, y) >= 0) return 0;
      break;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      const int column = pressed_column_;
      // Whatever the release lands on, a capture taken for the press ends here; kept, it
      // would send the next click anywhere on the screen to the header.
      EndPress(wnd);
      const int c = StateImageAt(x, y);
      if (c < 0) break;
      if (was && c == column && OnHeaderStateClick) OnHeaderStateClick(this, column);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(l) != wnd) {
        pressed_ = false;
        pressed_column_ = -1;
      }
      break;
    default:
      break;
  }
  return TSkinListViewBase::HeaderMessage(wnd, msg, w, l);
}

// ---- painting -------------------------------------------------------------------------------

void TQzListView::PaintHeader(HWND header) {
  state_hits_.fill(RECT{});
  RECT wr;
  GetWindowRect(header, &wr);
  MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&wr), 2);
  const int w = std::max(0, static_cast<int>(wr.right - wr.left));
  const int h = std::max(0, static_cast<int>(wr.bottom - wr.top));
  if (back_.Width() != w || back_.Height() != h) back_.SetSize(w, h);
  if (w == 0 || h == 0) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  long long x1 = wr.right;
  if (GetScrollInfo(handle_, SB_HORZ, &si)) x1 += si.nMax;
  TCanvas& c = back_.Canvas();
  c.Font().Assign(head_font_);
  TGraphic* bg = head_bg_.Graphic();
  TGraphic* line = headline_.Graphic();
  const int n = Columns().Count();
  if (n == 0) {
    // No columns: the background alone, across the whole header.
    c.StretchDraw(RECT{0, 0, w, h}, bg);
    return;
  }
  RECT last{};
  POINT sep{};
  bool have_last = false;
  for (int i = 0; i < n; ++i) {
    RECT r{};
    if (!SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      continue;
    c.Brush.Style = TBrushStyle::bsSolid;
    c.StretchDraw(r, bg);
    c.Brush.Style = TBrushStyle::bsClear;
    TListColumn* column = Columns()[i];
    const THeadColumn slot =
        i < kHeadColumnCount ? HeadColumns[static_cast<size_t>(i)] : THeadColumn{};
    THeadColumnInput in;
    in.Item = r;
    const bool state = i < kHeadColumnCount && StateValid(i);
    if (state) {
      in.StateWidth = head_state_->Width();
      in.StateHeight = head_state_->Height();
    }
    const bool sort = head_img_sort_ && slot.SortIndex >= 0 && slot.SortIndex < head_img_sort_->Count();
    if (sort) {
      in.SortWidth = head_img_sort_->Width();
      in.SortHeight = head_img_sort_->Height();
    }
    const bool image = head_image_ && slot.ImageIndex >= 0 && slot.ImageIndex < head_image_->Count();
    if (image) {
      in.ImageWidth = head_image_->Width();
      in.ImageHeight = head_image_->Height();
    }
    in.HasImageList = head_image_ != nullptr;
    in.Alignment = column ? column->Alignment() : TAlignment::taLeftJustify;
    const std::string caption = column ? column->Caption() : std::string();
    in.TextWidth = c.TextWidth(caption);
    const THeadColumnLayout lay = LayoutHeadColumn(in);
    if (state) state_hits_[static_cast<size_t>(i)] = lay.StateRect;
    // Columns scrolled out of the header are laid out (their click targets stay true) but
    // not drawn: a list of hundreds of columns repaints at the cost of those it shows.
    if (r.right <= 0 || r.left >= w) {
      if (have_last) c.Draw(sep.x, sep.y, line);
      sep = POINT{r.right - headline_.Width() / 2, (r.bottom - r.top - headline_.Height()) / 2};
      last = r;
      have_last = true;
      continue;
    }
    if (state) head_state_->Draw(c, lay.StateRect.left, lay.StateRect.top, slot.StateIndex, true);
    if (lay.ImageShown) head_image_->Draw(c, lay.ImageAt.x, lay.ImageAt.y, slot.ImageIndex, true);
    std::string fitted;
    FitCaption(c, caption, lay.TextLimit, fitted);
    RECT tr = lay.TextRect;
    c.DrawText(fitted, tr, DT_SINGLELINE | DT_VCENTER);
    if (sort && lay.SortShown)
      head_img_sort_->Draw(c, lay.SortRect.left, lay.SortRect.top, slot.SortIndex, true);
    // Each separator goes on after the next column's background, which would cover it.
    if (have_last) c.Draw(sep.x, sep.y, line);
    sep = POINT{r.right - headline_.Width() / 2, (r.bottom - r.top - headline_.Height()) / 2};
    last = r;
    have_last = true;
  }
  if (!have_last) return;
  if (x1 > last.right) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.StretchDraw(RECT{last.right, last.top, static_cast<LONG>(std::min<long long>(x1, INT_MAX)),
                       last.bottom},
                  bg);
  }
  c.Draw(sep.x, sep.y, line);
}

}  // namespace skin
