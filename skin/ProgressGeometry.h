// Geometry of the skinned progress bar as plain functions that need no window: the caption's
// percentage, the length of the filled part, where the four skin pieces or the built-in fill go,
// and how a piece is stretched keeping its two-pixel edges. Positions are never clamped, and
// (Position - Min) x length needs more than 32 bits, so the sums are worked out in 64.
#pragma once

#include <cstdint>
#include <vector>

namespace skin {

struct TBarRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TBarRect&) const = default;
};

// Trunc((position - min) / (max - min) x 100), exact (no floating point), truncated toward
// zero; 0 when min = max. Below 0 or above 100 when the position lies outside the range.
std::int64_t ProgressPercent(int position, int min, int max);

// The filled length of a track `length` long: 0 when min >= max or position <= min, the whole
// length when position > max, else Trunc((position - min) / (max - min) x length).
int ProgressExtent(int position, int min, int max, int length);

// Skin look, W x H: the two caps (widths of the horizontal pieces, or heights of the rotated
// ones), the filled part and the empty part. A vertical bar fills from the bottom: its first
// cap (the rotated left cap) lies at the bottom, its last cap at the top.
struct TSkinBarLayout {
  TBarRect FirstCap, Fill, Empty, LastCap;
};
TSkinBarLayout SkinBarLayout(bool horizontal, int width, int height, int firstCap, int lastCap,
                             int position, int min, int max);

// Built-in look, W x H inside a one-pixel border: the stretched fill picture and the part in
// the bar's colour. A vertical bar's fill rises from the bottom border and its picture is
// drawn mirrored top to bottom; either rectangle may be empty.
struct TBuiltInBarLayout {
  TBarRect Fill, Empty;
  bool Mirrored = false;
};
TBuiltInBarLayout BuiltInBarLayout(bool horizontal, int width, int height, int position, int min,
                                   int max);

// How a piece `pieceLength` pixels across (rows of a horizontal piece, columns of a vertical
// one) is stretched over `destLength`: its first two and last two lines keep their size (fewer
// when the destination is shorter), the lines between are stretched over the rest. A piece
// too thin to have lines between is stretched whole. Bands end exclusive; empty ones are left
// out.
struct TPieceBand {
  int SourceFrom, SourceTo;
  int DestFrom, DestTo;
  bool operator==(const TPieceBand&) const = default;
};
std::vector<TPieceBand> PieceBands(int pieceLength, int destLength);

}  // namespace skin
