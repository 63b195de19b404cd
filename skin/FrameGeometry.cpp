// The frame's arithmetic: non-client rectangle, maximised bounds and picture region rows.
#include "skin/FrameGeometry.h"

#include <algorithm>

namespace skin {

int ClampBorderMeasure(int v) { return v < 0 || v > 12 ? 4 : v; }

int FrameSideAnswer(const TFrameMetrics& m) {
  return m.SkinLeftWidth != 0 ? std::max(m.SkinLeftWidth, 4) : m.FrameBottomWidth - 1;
}

TFrameStrips FrameStrips(const TFrameMetrics& m) {
  TFrameStrips s;
  s.Top = 3;
  if (m.SkinLeftWidth != 0) {
    s.Left = std::max(m.SkinLeftWidth, 4);
    s.Right = std::max(m.SkinRightWidth, 4);
  } else {
    s.Left = s.Right = 3;
  }
  if (m.SkinBottomHeight != 0) s.Bottom = std::max(m.SkinBottomHeight, 4);
  else if (m.BorderWidth == 3) s.Bottom = 3;
  else s.Bottom = m.BorderWidth + 1;
  return s;
}

TFrameStrips AssumedNativeBorder(const TFrameMetrics& m) {
  const int side = std::max(m.FrameSideWidth, 4) - 1;
  const int bottom_edge = std::max(m.FrameBottomWidth, 4) - 1;
  return TFrameStrips{side, bottom_edge, side, bottom_edge};
}

TFrameRect FrameCalcRect(const TFrameMetrics& m, int x, int y, int cx, int cy,
                         const TFrameStrips& native) {
  TFrameStrips s = FrameStrips(m);
  return TFrameRect{x + s.Left - native.Left, y + s.Top - native.Top,
                    x + cx - s.Right + native.Right, y + cy - s.Bottom + native.Bottom};
}

TFrameRect MaximizedFrameRect(const TFrameRect& work) {
  return TFrameRect{work.Left - 2, work.Top - 2, work.Right + 2, work.Bottom - 1};
}

int ClampToSpan(int v, int limit) { return std::clamp(v, 0, std::max(limit, 0)); }

void AddPictureRegionRows(const std::function<std::uint32_t(int x, int y)>& pixel, int width,
                          int height, std::uint32_t key, int minY, int maxY, int regionWidth,
                          int offsetY, std::vector<TFrameRect>& out) {
  if (height <= 0) return;
  width = std::max(width, 0);
  int first = minY == -1 ? 0 : ClampToSpan(minY, height);
  int end = minY >= maxY ? height : ClampToSpan(maxY + 1, height);
  if (end < first) end = first;
  if (first >= 1) out.push_back({0, offsetY, regionWidth, offsetY + first});
  for (int y = first; y < end; ++y) {
    int run = -1;
    for (int x = 0; x < width; ++x) {
      bool inside = pixel(x, y) != key;
      if (inside && run < 0) run = x;
      if (!inside && run >= 0) {
        out.push_back({run, offsetY + y, x, offsetY + y + 1});
        run = -1;
      }
    }
    if (run >= 0) out.push_back({run, offsetY + y, width, offsetY + y + 1});
  }
  if (end < height) out.push_back({0, offsetY + end, regionWidth, offsetY + height});
}

}  // namespace skin
