// Geometry of the skinned track bar and scroll bars, as plain functions that need no window:
// where the thumb sits, which position a mouse point means, where ticks go, how far a page
// step moves and how long a scroll thumb is. Ranges are 32-bit positions whose span
// (Max - Min) needs up to 33 bits, and span x pixels up to 64, so everything is worked out in
// 64 bits.
#pragma once

#include <cstdint>
#include <vector>

namespace skin {

// Offset of the thumb along the track: (position - min) x (track - thumb) / (max - min),
// 0 when min = max or when the thumb fills (or overfills) the track. `position` is clamped
// into [min, max] first.
int ThumbOffset(int position, int min, int max, int trackLength, int thumbLength);

// The position meant by a point `coord` along the track when the thumb is held `grab` pixels
// from its start: min + (coord - grab) x (max - min) / (track - thumb), rounded to the nearest
// integer with halves to even, clamped into [min, max]. A thumb that fills the track means
// min (there is nowhere to move it).
int PositionAt(int coord, int grab, int trackLength, int thumbLength, int min, int max);

// Pixel offsets (0 .. track - thumb) of the tick marks of [min, max]: min, every
// `frequency`-th position after it, and max. A frequency of 0 or less marks only min and max.
// Ticks closer than a pixel collapse, so a huge range never yields more offsets than the
// track has pixels. Empty when min = max.
std::vector<int> TickOffsets(int min, int max, int frequency, int trackLength, int thumbLength);

// One paging step from `position` towards `target`, by at most `step` and never past it.
int PageTowards(int position, int target, int step);

// `value` + `delta` clamped into [min, max] (line steps, keys: no overflow near the ends).
int StepPosition(int value, std::int64_t delta, int min, int max);

// Length of a scroll bar's thumb: `lineButton` when positive (at least 16), else `pageSize`
// percent of the track (a page size outside 10..100 counts as 10); never longer than the
// track. 0 while the track has no length.
int ScrollThumbLength(int lineButton, int pageSize, int trackLength);

// Where the pieces of a scroll thumb of `length` go (along the bar). Built-in pictures: the
// start cap at 0, the end cap at length - endCap, the middle stretched between. Skin
// pictures: both caps keep their 3 outer pixels; the middle (a grip) keeps its size when it
// fits and is stretched otherwise, and the spans beside it are filled from the caps.
enum class TThumbPiece { StartCap, Middle, EndCap };
struct TThumbSpan {
  TThumbPiece Piece;
  int SourceFrom, SourceTo;  // columns of the piece, end exclusive
  int DestFrom, DestTo;      // columns of the thumb; a different width means stretched
};
// The spans in drawing order (later ones cover earlier ones); empty spans are left out.
using TThumbLayout = std::vector<TThumbSpan>;
TThumbLayout BuiltInThumbLayout(int length, int startCap, int middle, int endCap);
TThumbLayout SkinThumbLayout(int length, int startCap, int middle, int endCap);

}  // namespace skin
