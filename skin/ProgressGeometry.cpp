// The progress bar's arithmetic; see ProgressGeometry.h.
#include "skin/ProgressGeometry.h"

#include <algorithm>

namespace skin {

namespace {

constexpr int kPieceEdge = 2;  // lines kept at each edge of a stretched skin piece

}  // namespace

std::int64_t ProgressPercent(int position, int min, int max) {
  if (min == max) return 0;
  const std::int64_t done = static_cast<std::int64_t>(position) - min;
  const std::int64_t span = static_cast<std::int64_t>(max) - min;
  // |done| < 2^33 and x 100 stays far inside 64 bits; C++ division truncates toward zero.
  return done * 100 / span;
}

int ProgressExtent(int position, int min, int max, int length) {
  if (min >= max || position <= min) return 0;
  if (position > max) return length;
  const std::int64_t done = static_cast<std::int64_t>(position) - min;
  const std::int64_t span = static_cast<std::int64_t>(max) - min;
  return static_cast<int>(done * length / span);
}

TSkinBarLayout SkinBarLayout(bool horizontal, int w, int h, int first, int last, int position,
                             int min, int max) {
  TSkinBarLayout l;
  if (horizontal) {
    const int e = ProgressExtent(position, min, max, w - first - last);
    l.FirstCap = {0, 0, first, h};
    l.Fill = {first, 0, first + e, h};
    l.Empty = {first + e, 0, w - last, h};
    l.LastCap = {w - last, 0, w, h};
  } else {
    // The fill stands on the bottom cap, so its top is measured from there: measured from
    // the top cap's height instead, caps of different heights would make it longer or
    // shorter than the position says.
    const int e = ProgressExtent(position, min, max, h - last - first);
    l.FirstCap = {0, h - first, w, h};
    l.Fill = {0, h - first - e, w, h - first};
    l.Empty = {0, last, w, h - first - e};
    l.LastCap = {0, 0, w, last};
  }
  return l;
}

TBuiltInBarLayout BuiltInBarLayout(bool horizontal, int w, int h, int position, int min,
                                   int max) {
  TBuiltInBarLayout l;
  if (horizontal) {
    const int e = std::max(1, ProgressExtent(position, min, max, w - 1));
    l.Fill = {1, 1, e, h - 1};
    l.Empty = {e, 1, w - 1, h - 1};
    return l;
  }
  // The fill's top row; a full bar starts under the top border rather than on it. The picture
  // covers the rows from there down to the bottom border, the bar's colour the rows above.
  const int e = ProgressExtent(position, min, max, h - 1);
  const int top = e == h - 1 ? 1 : h - e - 1;
  l.Fill = {1, top, w - 1, h - 1};
  l.Empty = {1, 1, w - 1, top};
  l.Mirrored = true;
  return l;
}

std::vector<TPieceBand> PieceBands(int piece, int dest) {
  std::vector<TPieceBand> bands;
  if (piece <= 0 || dest <= 0) return bands;
  if (piece <= 2 * kPieceEdge) {
    bands.push_back({0, piece, 0, dest});
    return bands;
  }
  const int head = std::min(kPieceEdge, dest);
  const int tail = std::min(kPieceEdge, dest - head);
  bands.push_back({0, head, 0, head});
  if (dest - head - tail > 0)
    bands.push_back({kPieceEdge, piece - kPieceEdge, head, dest - tail});
  if (tail > 0) bands.push_back({piece - tail, piece, dest - tail, dest});
  return bands;
}

}  // namespace skin
