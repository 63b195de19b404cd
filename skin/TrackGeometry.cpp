// Track bar and scroll bar geometry in 64-bit arithmetic (see TrackGeometry.h).
#include "skin/TrackGeometry.h"

#include <algorithm>

namespace skin {

namespace {

using i64 = std::int64_t;
using u64 = std::uint64_t;

int Clamp(i64 v, int min, int max) {
  if (v < min) return min;
  if (v > max) return max;
  return static_cast<int>(v);
}

// span x offset / range with offset <= range: the product stays below 2^63 because the range
// of two ints is below 2^32 and a pixel span below 2^31.
int ScaleDown(u64 offset, u64 span, u64 range) { return static_cast<int>(offset * span / range); }

void Add(TThumbLayout& out, TThumbPiece piece, int sFrom, int sTo, int dFrom, int dTo) {
  if (sTo <= sFrom || dTo <= dFrom) return;
  out.push_back(TThumbSpan{piece, sFrom, sTo, dFrom, dTo});
}

}  // namespace

int ThumbOffset(int position, int min, int max, int trackLength, int thumbLength) {
  const i64 span = static_cast<i64>(trackLength) - thumbLength;
  if (max <= min || span <= 0) return 0;
  const int p = Clamp(position, min, max);
  return ScaleDown(static_cast<u64>(static_cast<i64>(p) - min), static_cast<u64>(span),
                   static_cast<u64>(static_cast<i64>(max) - min));
}

int PositionAt(int coord, int grab, int trackLength, int thumbLength, int min, int max) {
  const i64 span = static_cast<i64>(trackLength) - thumbLength;
  if (max <= min || span <= 0) return min;
  // Points before the start or past the end mean the ends; clamping first also keeps the
  // product below 2^63.
  const i64 d = std::clamp<i64>(static_cast<i64>(coord) - grab, 0, span);
  const u64 n = static_cast<u64>(d) * static_cast<u64>(static_cast<i64>(max) - min);
  const u64 s = static_cast<u64>(span);
  u64 q = n / s;
  const u64 twice_r = 2 * (n % s);
  if (twice_r > s || (twice_r == s && (q & 1))) ++q;
  return Clamp(static_cast<i64>(min) + static_cast<i64>(q), min, max);
}

std::vector<int> TickOffsets(int min, int max, int frequency, int trackLength, int thumbLength) {
  std::vector<int> out;
  if (max <= min) return out;
  const i64 span = std::max<i64>(0, static_cast<i64>(trackLength) - thumbLength);
  const u64 range = static_cast<u64>(static_cast<i64>(max) - min);
  auto offset = [&](u64 k) { return ScaleDown(k, static_cast<u64>(span), range); };
  if (frequency <= 0) {
    out.push_back(0);
    if (span > 0) out.push_back(static_cast<int>(span));
    return out;
  }
  if (static_cast<u64>(frequency) * static_cast<u64>(span) <= range) {
    // Ticks at most a pixel apart: every column gets one. Walking the positions instead
    // would take up to 2^32 steps for nothing.
    for (i64 x = 0; x <= span; ++x) out.push_back(static_cast<int>(x));
    return out;
  }
  // Fewer ticks than pixels: at most span + 2 steps.
  u64 k = 0;
  for (; k <= range; k += static_cast<u64>(frequency)) {
    int x = offset(k);
    if (out.empty() || out.back() != x) out.push_back(x);
  }
  if (k - static_cast<u64>(frequency) != range) {
    int x = static_cast<int>(span);
    if (out.back() != x) out.push_back(x);
  }
  return out;
}

int PageTowards(int position, int target, int step) {
  const i64 s = std::max(step, 0);
  if (target > position) return static_cast<int>(std::min<i64>(target, position + s));
  return static_cast<int>(std::max<i64>(target, position - s));
}

int StepPosition(int value, std::int64_t delta, int min, int max) {
  // |delta| of a caller is at most 2^32: no overflow in 64 bits.
  return Clamp(static_cast<i64>(value) + delta, min, std::max(min, max));
}

int ScrollThumbLength(int lineButton, int pageSize, int trackLength) {
  if (trackLength <= 0) return 0;
  i64 length;
  if (lineButton > 0) {
    length = std::max(lineButton, 16);
  } else {
    const i64 p = pageSize >= 10 && pageSize <= 100 ? pageSize : 10;
    length = p * trackLength / 100;
  }
  return static_cast<int>(std::min<i64>(length, trackLength));
}

TThumbLayout BuiltInThumbLayout(int length, int startCap, int middle, int endCap) {
  TThumbLayout out;
  if (length <= 0) return out;
  const int s = std::min(startCap, length);
  Add(out, TThumbPiece::StartCap, 0, s, 0, s);
  // A thumb shorter than the end cap keeps the cap's far end.
  const int e = std::min(endCap, length);
  Add(out, TThumbPiece::EndCap, endCap - e, endCap, length - e, length);
  Add(out, TThumbPiece::Middle, 0, middle, startCap, length - endCap);
  return out;
}

TThumbLayout SkinThumbLayout(int length, int startCap, int middle, int endCap) {
  TThumbLayout out;
  if (length <= 0) return out;
  const int s = std::min(startCap, length);
  Add(out, TThumbPiece::StartCap, 0, s, 0, s);
  const int last = std::min({3, endCap, length});
  Add(out, TThumbPiece::EndCap, endCap - last, endCap, length - last, length);
  if (length - 6 < middle) {
    Add(out, TThumbPiece::Middle, 0, middle, 3, length - 3);
    return out;
  }
  const int g = (length - middle - 6) / 2 + 3;
  Add(out, TThumbPiece::Middle, 0, middle, g, g + middle);
  Add(out, TThumbPiece::StartCap, 3, startCap, 3, g);
  Add(out, TThumbPiece::EndCap, 0, endCap - 3, g + middle, length - 3);
  return out;
}

}  // namespace skin
