// Free drawing routines shared by every skinned control: nine- and three-slice drawing with a
// magenta key, frames of multi-frame strips, gradients, tiles, rotations, the parent's
// background under a control, caption shortening, and a few window-system queries. The
// geometry of the slice and frame routines is exposed as plain functions for tests.
#pragma once

#include <string>
#include <vector>

#include "forms/Forms.h"

namespace skin {

using forms::TBitmap;
using forms::TCanvas;
using forms::TColor;
using forms::TControl;
using forms::TPicture;
using forms::TWinControl;

class TSkinFileTheme;
enum class TSkinUIStyle : unsigned char;

// Skin bitmaps leave out pixels of this colour.
constexpr TColor SkinTransparentKey = forms::clFuchsia;

// One piece of a nine-slice drawing: where it comes from in the skin and where it goes.
struct TSlicePiece {
  RECT Source;
  RECT Dest;
  bool Corner;  // corners may be drawn unkeyed; edges and centre are always keyed
};

// The nine pieces, in drawing order, of a W x H skin drawn into `dest`; pieces whose source
// or destination is empty are left out.
std::vector<TSlicePiece> NineSlicePieces(int w, int h, const RECT& dest);
// Columns of frame `index` (1-based) of `count` in a strip `width` wide; empty when invalid.
RECT FrameSourceRect(int width, int height, int count, int index);
// The channel value of step k of a gradient over `span` lines.
int GradientChannel(int start, int end, int span, int k);

void DrawNineSlice(TBitmap& bitmap, TCanvas& canvas, const RECT& r, bool transparentCorners);
void DrawThreeSlice(TBitmap& bitmap, TCanvas& canvas, const RECT& r, TColor key, bool masked);
void DrawThreeSliceKeyed(TBitmap& bitmap, TCanvas& canvas, const RECT& r, bool keyFromTopLeft,
                         TColor fill, bool usePixelKey);
void ExtractFrame(const TBitmap& source, TBitmap& dest, int count, int index);
void DrawVerticalGradient(TCanvas& canvas, const RECT& r, TColor startColor, TColor endColor);
void DrawHorizontalGradient(TCanvas& canvas, const RECT& r, TColor startColor, TColor endColor);
void TileDraw(TCanvas& canvas, TPicture& picture, const RECT& r);
void StretchDrawHalftone(TBitmap& bitmap, TCanvas& canvas, const RECT& r);
void ReplaceBitmapColor(TBitmap& bitmap, TColor oldColor, TColor newColor);
void RotateBitmapLeft(TBitmap& bitmap);
void RotateBitmapRight(TBitmap& bitmap);
void PaintParentBackground(TCanvas& canvas, TControl* control);
void FrameWindowBorder(TWinControl* control, TColor outer, TColor inner, bool twoFrames);
bool PointInRect(POINT p, const RECT& r);
bool PointInRect(int x, int y, const RECT& r);
void PlaceControl(TControl* control, POINT p);
void SetControlRect(TControl* control, const RECT& r);
void GetWorkAreaRect(RECT& out);
bool IsFormActive(forms::TCustomForm* form);
bool HasPublishedProperty(const forms::TComponent* object, const std::string& name);
// `skinFormPanel` is the frame control of a window; its direct children take the look.
void ApplyThemeToChildren(TWinControl* skinFormPanel, TSkinUIStyle style, TSkinFileTheme* theme);
void FitCaption(TCanvas& canvas, const std::string& text, int limit, std::string& result);

// user32 entries bound at first use; 0 when the system lacks them.
BOOL GetScrollBarInfo(HWND wnd, LONG objectId, PSCROLLBARINFO info);
BOOL GetComboBoxInfo(HWND wnd, PCOMBOBOXINFO info);
// Tests: forget the binding and bind the next time from these names.
void ResetUser32BindingForTest(const char* module, const char* scrollBarName,
                               const char* comboBoxName);

}  // namespace skin
