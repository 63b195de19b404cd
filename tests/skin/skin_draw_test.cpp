// The drawing routines on memory bitmaps, checked pixel by pixel: nine-slice geometry and
// keying, frames of strips, three-slice drawing, gradients, tiles, rotations, colour
// replacement, the parent's background under a control, and caption fitting.
#include <gtest/gtest.h>

#include "skin/SkinPublic.h"

using namespace forms;
using namespace skin;

namespace {

// A skin whose every pixel has its own colour, so that a drawn pixel tells where it came from.
constexpr TColor Marker(int x, int y) { return static_cast<TColor>(RGB(10 + x * 20, 10 + y * 20, 77)); }

void FillMarkers(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, Marker(x, y));
}

constexpr TColor kBackground = 0x123456;

TBitmap* Target(int w, int h) {
  auto* t = new TBitmap(w, h);
  t->Canvas().Brush.Color = kBackground;
  t->Canvas().FillRect(RECT{0, 0, w, h});
  return t;
}

}  // namespace

TEST(NineSlice, NineByNineSkinIntoFortyByTwentyKeepsCornersAndStretchesEdges) {
  TBitmap skin(9, 9);
  FillMarkers(skin);
  std::unique_ptr<TBitmap> t(Target(40, 20));
  DrawNineSlice(skin, t->Canvas(), RECT{0, 0, 40, 20}, true);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(t->GetPixel(x, y), Marker(x, y)) << x << "," << y;
  // bottom-left 4 x 3 from source rows 6 to 8; its last column lies under the bottom edge,
  // which starts one column left of the top-left corner's right side
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(t->GetPixel(x, 17 + y), Marker(x, 6 + y));
  EXPECT_EQ(t->GetPixel(3, 17), Marker(4, 6));
  // top-right 3 x 4 from source columns 6 to 8
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(t->GetPixel(37 + x, y), Marker(6 + x, y));
  // bottom-right 3 x 3
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(t->GetPixel(37 + x, 17 + y), Marker(6 + x, 6 + y));
  // the left edge stretches source row 4, the right edge source row 5
  for (int y = 4; y < 16; ++y) {
    EXPECT_EQ(t->GetPixel(0, y), Marker(0, 4)) << y;
    EXPECT_EQ(t->GetPixel(3, y), Marker(3, 4)) << y;
    EXPECT_EQ(t->GetPixel(39, y), Marker(8, 5)) << y;
  }
}

TEST(NineSlice, PiecesOfTheNineByNineExampleHaveTheExpectedRectangles) {
  auto pieces = NineSlicePieces(9, 9, RECT{0, 0, 40, 20});
  ASSERT_EQ(pieces.size(), 9u);
  auto is = [](const RECT& r, int l, int t, int rr, int b) {
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
  };
  EXPECT_TRUE(is(pieces[0].Dest, 0, 0, 4, 4));       // top-left
  EXPECT_TRUE(is(pieces[1].Source, 0, 6, 4, 9));     // bottom-left
  EXPECT_TRUE(is(pieces[2].Source, 0, 4, 4, 5));     // left edge: row 4
  EXPECT_TRUE(is(pieces[3].Source, 6, 0, 9, 4));     // top-right
  EXPECT_TRUE(is(pieces[5].Source, 6, 5, 9, 6));     // right edge: row 5
  EXPECT_TRUE(is(pieces[6].Dest, 4, 0, 37, 4));      // top edge
  EXPECT_TRUE(is(pieces[7].Dest, 4, 4, 37, 16));     // centre stops one row above BR
  EXPECT_TRUE(is(pieces[8].Dest, 3, 16, 37, 20));    // bottom edge starts one back
}

TEST(NineSlice, RectangleSmallerThanTheSkinKeepsTheOuterPartOfEachCorner) {
  TBitmap skin(9, 9);
  FillMarkers(skin);
  std::unique_ptr<TBitmap> t(Target(4, 4));
  DrawNineSlice(skin, t->Canvas(), RECT{0, 0, 4, 4}, true);
  EXPECT_EQ(t->GetPixel(0, 0), Marker(0, 0));
  EXPECT_EQ(t->GetPixel(1, 1), Marker(1, 1));
  EXPECT_EQ(t->GetPixel(0, 3), Marker(0, 8));  // bottom-left keeps the bottom row
  EXPECT_EQ(t->GetPixel(3, 0), Marker(8, 0));  // top-right keeps the right column
  EXPECT_EQ(t->GetPixel(3, 3), Marker(8, 8));
}

TEST(NineSlice, UnkeyedCornersShowMagentaWhileEdgesStillSkipIt) {
  TBitmap skin(9, 9);
  FillMarkers(skin);
  skin.SetPixel(0, 0, clFuchsia);  // a corner pixel
  skin.SetPixel(0, 4, clFuchsia);  // the left edge's row
  std::unique_ptr<TBitmap> opaque(Target(40, 20));
  DrawNineSlice(skin, opaque->Canvas(), RECT{0, 0, 40, 20}, false);
  EXPECT_EQ(opaque->GetPixel(0, 0), clFuchsia);
  EXPECT_EQ(opaque->GetPixel(0, 10), kBackground);
  std::unique_ptr<TBitmap> keyed(Target(40, 20));
  DrawNineSlice(skin, keyed->Canvas(), RECT{0, 0, 40, 20}, true);
  EXPECT_EQ(keyed->GetPixel(0, 0), kBackground);
  EXPECT_EQ(keyed->GetPixel(1, 0), Marker(1, 0));
}

TEST(NineSlice, EvenSkinStillDrawsEdgesFromItsMiddleLine) {
  TBitmap skin(8, 8);
  FillMarkers(skin);
  std::unique_ptr<TBitmap> t(Target(30, 30));
  DrawNineSlice(skin, t->Canvas(), RECT{0, 0, 30, 30}, true);
  EXPECT_EQ(t->GetPixel(0, 15), Marker(0, 4));
  EXPECT_NE(t->GetPixel(15, 15), kBackground);
}

TEST(NineSlice, TinyAndEmptyTargetsDrawNothingAndDoNotCrash) {
  TBitmap skin(9, 9);
  FillMarkers(skin);
  std::unique_ptr<TBitmap> t(Target(2, 2));
  DrawNineSlice(skin, t->Canvas(), RECT{0, 0, 1, 1}, true);
  DrawNineSlice(skin, t->Canvas(), RECT{0, 0, 0, 0}, true);
  TBitmap empty;
  DrawNineSlice(empty, t->Canvas(), RECT{0, 0, 2, 2}, true);
  EXPECT_EQ(t->GetPixel(1, 1), kBackground);
}

TEST(Frames, HundredPixelStripOfThreeLeavesColumnSixtySixUnused) {
  RECT f1 = FrameSourceRect(100, 5, 3, 1), f2 = FrameSourceRect(100, 5, 3, 2),
       f3 = FrameSourceRect(100, 5, 3, 3);
  EXPECT_EQ(f1.left, 0);
  EXPECT_EQ(f1.right, 33);
  EXPECT_EQ(f2.left, 33);
  EXPECT_EQ(f2.right, 66);
  EXPECT_EQ(f3.left, 67);
  EXPECT_EQ(f3.right, 100);
  EXPECT_EQ(FrameSourceRect(100, 5, 3, 4).right, 0);
  EXPECT_EQ(FrameSourceRect(100, 5, 0, 1).right, 0);

  TBitmap strip(100, 2);
  for (int x = 0; x < 100; ++x)
    for (int y = 0; y < 2; ++y) strip.SetPixel(x, y, RGB(x, y, 0));
  TBitmap frame;
  ExtractFrame(strip, frame, 3, 3);
  EXPECT_EQ(frame.Width(), 33);
  EXPECT_EQ(frame.Height(), 2);
  EXPECT_EQ(frame.GetPixel(0, 1), static_cast<TColor>(RGB(67, 1, 0)));
  ExtractFrame(strip, frame, 3, 2);
  EXPECT_EQ(frame.GetPixel(32, 0), static_cast<TColor>(RGB(65, 0, 0)));
}

TEST(ThreeSlice, CapsStayAndTheMiddleStretches) {
  TBitmap b(9, 3);
  for (int x = 0; x < 9; ++x)
    for (int y = 0; y < 3; ++y) b.SetPixel(x, y, x < 3 ? 0x0000FF : x < 6 ? 0x00FF00 : 0xFF0000);
  std::unique_ptr<TBitmap> t(Target(20, 3));
  DrawThreeSlice(b, t->Canvas(), RECT{0, 0, 20, 3}, clFuchsia, true);
  EXPECT_EQ(t->GetPixel(2, 1), 0x0000FF);
  EXPECT_EQ(t->GetPixel(10, 1), 0x00FF00);
  EXPECT_EQ(t->GetPixel(17, 1), 0xFF0000);
  std::unique_ptr<TBitmap> narrow(Target(20, 3));
  DrawThreeSlice(b, narrow->Canvas(), RECT{0, 0, 2, 3}, clFuchsia, true);
  EXPECT_EQ(narrow->GetPixel(1, 1), 0x0000FF);
  EXPECT_EQ(narrow->GetPixel(2, 1), kBackground);
}

TEST(ThreeSlice, KeyedMiddleShowsTheFillColour) {
  TBitmap b(9, 3);
  for (int x = 0; x < 9; ++x)
    for (int y = 0; y < 3; ++y) b.SetPixel(x, y, 0x00FF00);
  b.SetPixel(0, 0, 0x0000FF);  // the key, taken from the top-left pixel
  for (int y = 0; y < 3; ++y) b.SetPixel(4, y, 0x0000FF);
  std::unique_ptr<TBitmap> t(Target(30, 3));
  DrawThreeSliceKeyed(b, t->Canvas(), RECT{0, 0, 30, 3}, true, 0x777777, true);
  EXPECT_EQ(t->GetPixel(0, 0), kBackground);  // keyed corner of the left cap
  bool fill_seen = false;
  for (int x = 3; x < 27; ++x) fill_seen |= t->GetPixel(x, 1) == 0x777777;
  EXPECT_TRUE(fill_seen);
}

TEST(Gradient, VerticalOverTenRowsRepeatsTheStartColourOnRowOne) {
  std::unique_ptr<TBitmap> t(Target(3, 10));
  DrawVerticalGradient(t->Canvas(), RECT{0, 0, 3, 10}, clBlack, clWhite);
  EXPECT_EQ(t->GetPixel(1, 0), clBlack);
  EXPECT_EQ(t->GetPixel(1, 1), clBlack);
  EXPECT_EQ(t->GetPixel(1, 2), static_cast<TColor>(RGB(25, 25, 25)));
  EXPECT_EQ(t->GetPixel(1, 9), clWhite);
  EXPECT_EQ(GradientChannel(0, 255, 10, 1), 25);
  EXPECT_EQ(GradientChannel(255, 0, 10, 1), 230);  // truncation toward zero
}

TEST(Gradient, HorizontalStepsFromTheFirstColumnAndEmptyRectDrawsNothing) {
  std::unique_ptr<TBitmap> t(Target(10, 2));
  DrawHorizontalGradient(t->Canvas(), RECT{0, 0, 10, 2}, clBlack, clWhite);
  EXPECT_EQ(t->GetPixel(0, 0), clBlack);
  EXPECT_EQ(t->GetPixel(1, 0), static_cast<TColor>(RGB(25, 25, 25)));
  EXPECT_EQ(t->GetPixel(9, 1), clWhite);
  DrawHorizontalGradient(t->Canvas(), RECT{5, 0, 5, 2}, clWhite, clWhite);
  EXPECT_EQ(t->GetPixel(0, 0), clBlack);
}

TEST(Tiles, TilesStartAtTheCanvasOriginAndEmptyPictureDrawsNothing) {
  TPicture pic;
  pic.Bitmap()->SetSize(3, 2);
  FillMarkers(*pic.Bitmap());
  std::unique_ptr<TBitmap> t(Target(10, 5));
  TileDraw(t->Canvas(), pic, RECT{0, 0, 10, 5});
  EXPECT_EQ(t->GetPixel(0, 0), Marker(0, 0));
  EXPECT_EQ(t->GetPixel(3, 0), Marker(0, 0));
  EXPECT_EQ(t->GetPixel(4, 3), Marker(1, 1));
  EXPECT_EQ(t->GetPixel(9, 4), Marker(0, 0));
  TPicture none;
  std::unique_ptr<TBitmap> u(Target(4, 4));
  TileDraw(u->Canvas(), none, RECT{0, 0, 4, 4});
  EXPECT_EQ(u->GetPixel(0, 0), kBackground);
}

TEST(Rotation, LeftAndRightTurnPixelsAQuarterAndSwapTheSize) {
  TBitmap b(3, 2);
  FillMarkers(b);
  TBitmap l;
  l.Assign(&b);
  RotateBitmapLeft(l);
  ASSERT_EQ(l.Width(), 2);
  ASSERT_EQ(l.Height(), 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(l.GetPixel(y, 3 - 1 - x), Marker(x, y));
  TBitmap r;
  r.Assign(&b);
  RotateBitmapRight(r);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(r.GetPixel(2 - 1 - y, x), Marker(x, y));
  RotateBitmapRight(l);
  EXPECT_EQ(l.GetPixel(2, 1), Marker(2, 1));  // left then right is the identity
}

TEST(Colours, ReplaceBitmapColorChangesOnlyThatColour) {
  TBitmap b(2, 1);
  b.SetPixel(0, 0, clFuchsia);
  b.SetPixel(1, 0, 0x010203);
  ReplaceBitmapColor(b, clFuchsia, 0xE8E8E8);
  EXPECT_EQ(b.GetPixel(0, 0), 0xE8E8E8);
  EXPECT_EQ(b.GetPixel(1, 0), 0x010203);
}

TEST(Geometry, PointInRectCountsAllFourEdges) {
  RECT r{1, 1, 5, 5};
  EXPECT_TRUE(PointInRect(5, 5, r));
  EXPECT_TRUE(PointInRect(POINT{1, 3}, r));
  EXPECT_FALSE(PointInRect(6, 3, r));
  EXPECT_FALSE(PointInRect(3, 0, r));
}

TEST(ParentBackground, ControlReceivesWhatLiesUnderItOnItsParent) {
  TPanel parent(nullptr);
  parent.SetBevelOuter(TBevelCut::bvNone);
  parent.SetBounds(0, 0, 60, 40);
  parent.SetColor(0x0000FF);
  auto* other = new TPanel(&parent);  // a sibling is not painted by the parent
  other->SetBevelOuter(TBevelCut::bvNone);
  other->SetParent(&parent);
  auto* k = new TPanel(&parent);
  k->SetBounds(10, 5, 20, 10);
  k->SetParent(&parent);
  TBitmap buf(20, 10);
  PaintParentBackground(buf.Canvas(), k);
  EXPECT_EQ(buf.GetPixel(0, 0), 0x0000FF);
  EXPECT_EQ(buf.GetPixel(19, 9), 0x0000FF);
  TPanel orphan(nullptr);
  TBitmap untouched(2, 2);
  PaintParentBackground(untouched.Canvas(), &orphan);
  EXPECT_EQ(untouched.GetPixel(0, 0), clWhite);
}

TEST(Caption, FitCaptionKeepsAFittingTextAndShortensALongOne) {
  TBitmap b(1, 1);
  std::string out;
  FitCaption(b.Canvas(), "Short", 500, out);
  EXPECT_EQ(out, "Short");
  std::string text = "A rather long caption for a narrow title bar";
  FitCaption(b.Canvas(), text, 60, out);
  ASSERT_GE(out.size(), 4u);
  EXPECT_EQ(out.substr(out.size() - 3), "...");
  EXPECT_EQ(text.compare(0, out.size() - 3, out, 0, out.size() - 3), 0);
  EXPECT_GE(b.Canvas().TextWidth(out), 60);
  std::string shorter = out.substr(0, out.size() - 4) + "...";
  EXPECT_LT(b.Canvas().TextWidth(shorter), 60);  // the first that reaches the limit
}

TEST(User32Binding, OneFailedLookupMakesBothWrappersAnswerZero) {
  ResetUser32BindingForTest("user32.dll", "GetScrollBarInfo", "NoSuchComboBoxInfo");
  COMBOBOXINFO ci{};
  ci.cbSize = sizeof ci;
  EXPECT_EQ(skin::GetComboBoxInfo(nullptr, &ci), 0);
  // A window with a real scroll bar: the system would answer, the wrapper does not ask.
  HWND sb = CreateWindowExA(0, "SCROLLBAR", "", SBS_VERT, 0, 0, 10, 50, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SCROLLBARINFO si{};
  si.cbSize = sizeof si;
  if (sb) {
    EXPECT_NE(::GetScrollBarInfo(sb, OBJID_CLIENT, &si), 0);
  }
  EXPECT_EQ(skin::GetScrollBarInfo(sb, OBJID_CLIENT, &si), 0);
  ResetUser32BindingForTest("user32.dll", "GetScrollBarInfo", "GetComboBoxInfo");
  if (sb) {
    EXPECT_NE(skin::GetScrollBarInfo(sb, OBJID_CLIENT, &si), 0);
    DestroyWindow(sb);
  }
}

TEST(Halftone, StretchDrawHalftoneFillsTheWholeRectangle) {
  TBitmap src(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) src.SetPixel(x, y, 0x00FF00);
  std::unique_ptr<TBitmap> t(Target(8, 8));
  StretchDrawHalftone(src, t->Canvas(), RECT{2, 2, 6, 6});
  EXPECT_EQ(t->GetPixel(3, 3), 0x00FF00);
  EXPECT_EQ(t->GetPixel(1, 1), kBackground);
  EXPECT_EQ(t->GetPixel(6, 6), kBackground);
}

TEST(Controls, SetControlRectAndPlaceControlMoveTheControl) {
  TPanel p(nullptr);
  SetControlRect(&p, RECT{5, 6, 25, 16});
  EXPECT_EQ(p.Left(), 5);
  EXPECT_EQ(p.Top(), 6);
  EXPECT_EQ(p.Width(), 20);
  EXPECT_EQ(p.Height(), 10);
  PlaceControl(&p, POINT{1, 2});
  EXPECT_EQ(p.BoundsRect().right, 21);
  EXPECT_EQ(p.Top(), 2);
}

TEST(Forms, IsFormActiveFollowsTheMainFormRules) {
  TForm form(nullptr);
  ASSERT_EQ(Application()->MainForm(), nullptr);
  EXPECT_EQ(IsFormActive(&form), form.Active());  // no main form: the form's own flag
  TForm main(nullptr);
  main.SetFormStyle(TFormStyle::fsMDIForm);
  Application()->SetMainForm(&main);
  EXPECT_TRUE(IsFormActive(&main));  // the MDI main form, active application or not
  if (!Application()->Active()) {
    EXPECT_FALSE(IsFormActive(&form));
  }
  Application()->SetMainForm(nullptr);
}

TEST(Forms, WorkAreaWithoutMainFormIsThePrimaryOne) {
  RECT expected, got;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &expected, 0);
  GetWorkAreaRect(got);
  EXPECT_TRUE(EqualRect(&expected, &got));
}
