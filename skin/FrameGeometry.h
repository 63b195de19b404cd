// Geometry of the skinned window frame as plain functions that need no window: the client
// rectangle the frame asks the system for, the rectangle a maximised frame takes, and the
// rows of a window region cut from a border picture by its key colour.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace skin {

struct TFrameRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TFrameRect&) const = default;
};

// What the frame knows about the borders around its form.
struct TFrameMetrics {
  int FrameBottomWidth = 4;  // native bottom border as measured (0..12)
  int FrameSideWidth = 4;    // native left border as measured (0..12)
  int SkinLeftWidth = 0;     // skin border pictures; 0 in a built-in look
  int SkinRightWidth = 0;
  int SkinBottomHeight = 0;
  int BorderWidth = 1;       // painted border of a built-in look
};

// A native border measurement the frame can use: values outside 0..12 (a window that was not
// where it was thought to be) count as 4.
int ClampBorderMeasure(int v);

// The frame's answer when its title bar asks how far the pictures reach under the side border.
int FrameSideAnswer(const TFrameMetrics& m);

// Widths of the strips the frame paints around the client area: the top three rows (the title
// bar's pictures start there); at the sides 3 columns in a built-in look, the border
// pictures' widths (at least 4) from a skin; at the bottom the bottom picture's height (at
// least 4) from a skin, else 3 for a three-pixel border and the border width plus one otherwise.
struct TFrameStrips {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TFrameStrips&) const = default;
};
TFrameStrips FrameStrips(const TFrameMetrics& m);

// The native border the frame expects around a caption-less window when it cannot ask the
// system: one pixel less than was measured (at least 4) on the captioned form.
TFrameStrips AssumedNativeBorder(const TFrameMetrics& m);

// The rectangle handed on to the form's own WM_NCCALCSIZE for a window proposed at
// (x, y, cx, cy): the system takes the form's caption-less native border (`native`) off it,
// and what is left of the window around the client area are exactly the frame's strips.
TFrameRect FrameCalcRect(const TFrameMetrics& m, int x, int y, int cx, int cy,
                         const TFrameStrips& native);

// A maximised frame covers the work area and 2 pixels beyond it on the left, right and top
// (where its thin borders would be), and ends 1 pixel above the work area's bottom.
TFrameRect MaximizedFrameRect(const TFrameRect& workArea);

// The part of a region contributed by one border picture of `width` x `height` pixels laid at
// rows `offsetY`.., the window being `regionWidth` wide. Rows minY..maxY of the picture are
// scanned pixel by pixel (minY -1: from row 0; minY >= maxY: down to the last row) and every run
// of pixels that are not `key` adds a one-row rectangle; the rows above and below the band are
// whole rectangles. A band reaching outside the picture is cut to it: nothing outside the
// picture is read.
void AddPictureRegionRows(const std::function<std::uint32_t(int x, int y)>& pixel, int width,
                          int height, std::uint32_t key, int minY, int maxY, int regionWidth,
                          int offsetY, std::vector<TFrameRect>& out);

// `v` brought inside 0..limit: a border picture wider than the window gives a strip that ends
// at the window's edge rather than one of negative width.
int ClampToSpan(int v, int limit);

}  // namespace skin
