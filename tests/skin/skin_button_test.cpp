// Skinned buttons in real windows under the X server: the picture of each state, focus
// marks, Default and Cancel keys, accelerators, ModalResult, auto-repeat and glyph layouts.
#include <gtest/gtest.h>

#include "skin/SkinButton.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

using tolvane_test::Pump;

constexpr int kDeepBlue = 3;

// A focusable control that is not a skinned button.
class Plain : public TCustomControl {
 public:
  explicit Plain(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(200, 0, 20, 20);
  }
};

TBitmap* Render(TControl* c) {
  auto* b = new TBitmap(c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(b->Canvas().Handle()), 0);
  return b;
}

int CountColour(const TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == c;
  return n;
}

int CountDark(const TBitmap& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      COLORREF c = static_cast<COLORREF>(b.GetPixel(x, y));
      n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 150;
    }
  return n;
}

struct Dialog {
  TForm* form;
  TSkinImageButton* image;
  TSkinButton* ok;
  TSkinButton* cancel;
  Plain* plain;
  int ok_clicks = 0, cancel_clicks = 0;
  Dialog() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(20, 20, 300, 80);
    image = new TSkinImageButton(form);
    image->SetBounds(0, 40, 20, 20);
    image->SetParent(form);
    ok = new TSkinButton(form);
    ok->SetBounds(30, 40, 80, 27);
    ok->SetCaption("&Go");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->OnClick = [this](TObject*) { ++ok_clicks; };
    ok->SetParent(form);
    cancel = new TSkinButton(form);
    cancel->SetBounds(120, 40, 80, 27);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    cancel->OnClick = [this](TObject*) { ++cancel_clicks; };
    cancel->SetParent(form);
    plain = new Plain(form);
    plain->SetParent(form);
  }
  ~Dialog() { delete form; }
};

// Runs `form` modally while `step` is called from a timer every 30 ms.
TModalResult RunModal(TForm* form, std::function<void()> step) {
  TTimer timer(nullptr);
  timer.SetInterval(30);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks > 60) form->SetModalResult(-1);  // give up instead of hanging
    step();
  };
  return form->ShowModal();
}

}  // namespace

class Buttons : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(Buttons, EachStateShowsItsFrameOfTheStylePicture) {
  Dialog d;
  d.form->Show();
  Pump();
  d.ok->SetCaption("");
  TBitmap frame[4];
  for (int f = 1; f <= 3; ++f) GetStyleBitmap(kDeepBlue, 1, &frame[f], f, 3);
  auto corner = [&](TControl* c) {
    std::unique_ptr<TBitmap> r(Render(c));
    return r->GetPixel(5, 5);
  };
  EXPECT_EQ(corner(d.ok), frame[1].GetPixel(5, 5));
  d.ok->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(d.ok->MouseOver());
  EXPECT_EQ(corner(d.ok), frame[2].GetPixel(5, 5));
  SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(d.ok->Pressed());
  EXPECT_EQ(corner(d.ok), frame[3].GetPixel(5, 5));
  SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(d.ok->Pressed());
  d.ok->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(d.ok->MouseOver());
  EXPECT_EQ(corner(d.ok), frame[1].GetPixel(5, 5));
  EXPECT_NE(frame[1].GetPixel(5, 5), frame[3].GetPixel(5, 5));
}

TEST_F(Buttons, DisabledButtonShowsFrameOneWithAnEmbossedCaption) {
  Dialog d;
  d.form->Show();
  Pump();
  d.ok->SetCaption("WWWW");
  d.ok->SetEnabled(false);
  d.ok->Perform(CM_MOUSEENTER);
  std::unique_ptr<TBitmap> r(Render(d.ok));
  TBitmap frame;
  GetStyleBitmap(kDeepBlue, 1, &frame, 1, 3);
  EXPECT_EQ(r->GetPixel(5, 5), frame.GetPixel(5, 5));
  EXPECT_GT(CountColour(*r, clGray), 10);
  EXPECT_GT(CountColour(*r, clWhite), 0);  // the shadow shows only beside the grey strokes
  EXPECT_EQ(CountColour(*r, clBlack), 0);
}

TEST_F(Buttons, FocusDrawsARectangleInDeepBlueAndABoldCaptionInMacOS) {
  Dialog d;
  d.form->Show();
  Pump();
  d.cancel->SetFocus();
  Pump();
  ASSERT_TRUE(d.cancel->Focused());
  std::unique_ptr<TBitmap> focused(Render(d.cancel));
  d.ok->SetFocus();
  Pump();
  std::unique_ptr<TBitmap> plain(Render(d.cancel));
  int differing = 0;
  for (int x = 2; x < 78; ++x) differing += focused->GetPixel(x, 2) != plain->GetPixel(x, 2);
  EXPECT_GT(differing, 20);
  EXPECT_EQ(focused->GetPixel(0, 0), plain->GetPixel(0, 0));

  d.cancel->SetUIStyle(TSkinUIStyle::MacOS);
  d.ok->SetUIStyle(TSkinUIStyle::MacOS);
  std::unique_ptr<TBitmap> macPlain(Render(d.cancel));
  d.cancel->SetFocus();
  Pump();
  std::unique_ptr<TBitmap> macFocused(Render(d.cancel));
  EXPECT_GT(CountDark(*macFocused), CountDark(*macPlain) + 10);
  for (int x = 10; x < 70; ++x) EXPECT_EQ(macFocused->GetPixel(x, 2), macPlain->GetPixel(x, 2));
}

TEST_F(Buttons, EnterClicksTheDefaultButtonEvenWithFocusOnAnImageButton) {
  Dialog d;
  TModalResult r = RunModal(d.form, [&] {
    if (GetFocus() == d.image->Handle()) PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  });
  EXPECT_EQ(r, mrOk);
  EXPECT_EQ(d.ok_clicks, 1);
}

TEST_F(Buttons, EscapeClicksTheCancelButton) {
  Dialog d;
  EXPECT_EQ(RunModal(d.form, [&] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }),
            mrCancel);
  EXPECT_EQ(d.cancel_clicks, 1);
  EXPECT_EQ(d.ok_clicks, 0);
}

TEST_F(Buttons, FocusOnAnotherSkinButtonMakesItTheActiveDefault) {
  Dialog d;
  d.form->SetActiveControl(d.cancel);
  TModalResult r = RunModal(d.form, [&] {
    if (GetFocus() == d.cancel->Handle()) PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    else d.cancel->SetFocus();
  });
  EXPECT_EQ(r, mrCancel);
  EXPECT_EQ(d.ok_clicks, 0);
  EXPECT_FALSE(d.ok->ActiveDefault());
}

TEST_F(Buttons, AltLetterClicksAndABareLetterOnlyWhileASkinButtonHasFocus) {
  Dialog d;
  d.form->Show();
  Pump();
  d.plain->SetFocus();
  Pump();
  PostMessageA(d.plain->Handle(), WM_CHAR, 'g', 0);
  Pump();
  EXPECT_EQ(d.ok_clicks, 0);
  PostMessageA(d.plain->Handle(), WM_SYSCHAR, 'G', 1 << 29);
  Pump();
  EXPECT_EQ(d.ok_clicks, 1);
  d.image->SetFocus();
  Pump();
  PostMessageA(d.image->Handle(), WM_CHAR, 'g', 0);
  Pump();
  EXPECT_EQ(d.ok_clicks, 2);
  d.ok->SetEnabled(false);
  PostMessageA(d.image->Handle(), WM_SYSCHAR, 'g', 1 << 29);
  Pump();
  EXPECT_EQ(d.ok_clicks, 2);
}

TEST_F(Buttons, SpaceDownAndUpOnTheFocusedButtonClicksIt) {
  Dialog d;
  d.form->Show();
  Pump();
  d.cancel->SetFocus();
  Pump();
  PostMessageA(d.cancel->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  Pump();
  EXPECT_TRUE(d.cancel->Pressed());
  PostMessageA(d.cancel->Handle(), WM_KEYUP, VK_SPACE, 0);
  Pump();
  EXPECT_FALSE(d.cancel->Pressed());
  EXPECT_EQ(d.cancel_clicks, 1);
}

TEST_F(Buttons, ClickingAnOkButtonEndsTheModalFormAndZeroLeavesItRunning) {
  Dialog d;
  d.cancel->SetModalResult(mrNone);
  bool clicked_zero = false;
  TModalResult seen_after_zero = -5;
  TModalResult r = RunModal(d.form, [&] {
    if (!clicked_zero) {
      clicked_zero = true;
      SendMessageA(d.cancel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      SendMessageA(d.cancel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      seen_after_zero = d.form->ModalResult();
      return;
    }
    SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  });
  EXPECT_EQ(seen_after_zero, mrNone);
  EXPECT_EQ(d.cancel_clicks, 1);
  EXPECT_EQ(r, mrOk);
}

TEST_F(Buttons, HoldingTheLeftButtonRepeatsEveryIntervalUntilReleased) {
  Dialog d;
  d.form->Show();
  Pump();
  int repeats = 0;
  d.ok->OnMouseContinuouslyDown = [&](TObject*) { ++repeats; };
  SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump(40);
  EXPECT_EQ(repeats, 0);  // the first one comes an interval after the press
  Pump(420);
  EXPECT_GE(repeats, 2);  // four at 100 ms; a loaded machine may deliver a timer late
  EXPECT_LE(repeats, 5);
  SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(d.ok->Repeating());
  EXPECT_EQ(d.ok_clicks, 1);
  int after = repeats;
  Pump(250);
  EXPECT_EQ(repeats, after);
}

TEST_F(Buttons, LeavingOrCancelModeStopsTheRepeatAndThePress) {
  Dialog d;
  d.form->Show();
  Pump();
  SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(d.ok->Repeating());
  d.ok->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(d.ok->Repeating());
  EXPECT_FALSE(d.ok->Pressed());
  SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  d.ok->Perform(CM_CANCELMODE);
  EXPECT_FALSE(d.ok->Repeating());
  EXPECT_FALSE(d.ok->Pressed());
  SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
}

TEST_F(Buttons, PressMovedOutsideEndsAndReleaseOutsideDoesNotClick) {
  Dialog d;
  d.form->Show();
  Pump();
  SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(d.ok->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, 27));  // edge: inside
  EXPECT_TRUE(d.ok->Pressed());
  SendMessageA(d.ok->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 5));
  EXPECT_FALSE(d.ok->Pressed());
  SendMessageA(d.ok->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_FALSE(d.ok->Pressed());
  SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
  EXPECT_EQ(d.ok_clicks, 0);
  EXPECT_FALSE(d.ok->Repeating());  // let go outside: no click, and no more repeats
}

TEST_F(Buttons, HeldButtonStopsRepeatingOnceThePointerLeavesIt) {
  // A scroll-bar arrow held while the pointer slides off it: the pressed look goes, and so
  // must the steps (the button keeps the capture, so no leave message comes).
  Dialog d;
  d.form->Show();
  Pump();
  int repeats = 0;
  d.ok->OnMouseContinuouslyDown = [&](TObject*) { ++repeats; };
  SendMessageA(d.ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(d.ok->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 5));
  EXPECT_FALSE(d.ok->Pressed());
  EXPECT_FALSE(d.ok->Repeating());
  Pump(350);
  EXPECT_EQ(repeats, 0);
  SendMessageA(d.ok->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
}

TEST(GlyphLayout, PositionsFollowTheLayoutTable) {
  // 80 x 27 button, 16 x 16 glyph, caption 30 x 13, spacing 4
  TGlyphPlacement l = PlaceGlyph(TButtonLayout::blGlyphLeft, 80, 27, 16, 16, 30, 13, 4);
  EXPECT_EQ(l.Glyph.x, 15);
  EXPECT_EQ(l.Glyph.y, 5);
  EXPECT_EQ(l.Caption.x, 35);
  EXPECT_EQ(l.Caption.y, 7);
  TGlyphPlacement r = PlaceGlyph(TButtonLayout::blGlyphRight, 80, 27, 16, 16, 30, 13, 4);
  EXPECT_EQ(r.Glyph.x, 49);
  EXPECT_EQ(r.Caption.x, 15);
  TGlyphPlacement t = PlaceGlyph(TButtonLayout::blGlyphTop, 80, 60, 16, 16, 30, 13, 4);
  EXPECT_EQ(t.Glyph.x, 32);
  EXPECT_EQ(t.Glyph.y, 13);
  EXPECT_EQ(t.Caption.x, 25);
  EXPECT_EQ(t.Caption.y, 33);
  TGlyphPlacement b = PlaceGlyph(TButtonLayout::blGlyphBottom, 80, 60, 16, 16, 30, 13, 4);
  EXPECT_EQ(b.Glyph.y, 30);
  EXPECT_EQ(b.Caption.y, 13);
  TGlyphPlacement odd = PlaceGlyph(TButtonLayout::blGlyphLeft, 5, 5, 16, 16, 0, 0, 0);
  EXPECT_EQ(odd.Glyph.x, -5);  // halving toward zero, also below zero
}

TEST_F(Buttons, DoubleWidthGlyphHoldsEnabledAndDisabledImages) {
  Dialog d;
  d.form->Show();
  Pump();
  TBitmap glyph(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) glyph.SetPixel(x, y, x < 16 ? 0x0000FF : 0xFF0000);
  glyph.SetPixel(0, 0, clFuchsia);
  d.ok->SetGlyph(&glyph);
  std::unique_ptr<TBitmap> on(Render(d.ok));
  EXPECT_GT(CountColour(*on, 0x0000FF), 200);
  EXPECT_EQ(CountColour(*on, 0xFF0000), 0);
  d.ok->SetEnabled(false);
  std::unique_ptr<TBitmap> off(Render(d.ok));
  EXPECT_GT(CountColour(*off, 0xFF0000), 200);
  EXPECT_EQ(CountColour(*off, 0x0000FF), 0);
}

TEST_F(Buttons, ImageButtonWithOnlyANormalPictureShowsItInEveryState) {
  Dialog d;
  d.form->Show();
  Pump();
  TPicture pic;
  pic.Bitmap()->SetSize(20, 20);
  pic.Bitmap()->Canvas().Brush.Color = 0x00AA00;
  pic.Bitmap()->Canvas().FillRect(RECT{0, 0, 20, 20});
  pic.Bitmap()->SetPixel(0, 0, 0x111111);  // the transparent colour is the top-left pixel
  d.image->SetPicNormal(&pic);
  std::unique_ptr<TBitmap> normal(Render(d.image));
  EXPECT_EQ(normal->GetPixel(10, 10), 0x00AA00);
  EXPECT_EQ(normal->GetPixel(0, 0), 0x111111);  // opaque unless the button is transparent
  d.image->SetTransparent(true);
  std::unique_ptr<TBitmap> keyed(Render(d.image));
  EXPECT_NE(keyed->GetPixel(0, 0), 0x111111);
  d.image->SetTransparent(false);
  d.image->Perform(CM_MOUSEENTER);
  std::unique_ptr<TBitmap> over(Render(d.image));
  EXPECT_EQ(over->GetPixel(10, 10), 0x00AA00);
  SendMessageA(d.image->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  std::unique_ptr<TBitmap> down(Render(d.image));
  EXPECT_EQ(down->GetPixel(10, 10), 0x00AA00);
  SendMessageA(d.image->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  d.image->SetEnabled(false);
  std::unique_ptr<TBitmap> disabled(Render(d.image));
  EXPECT_EQ(disabled->GetPixel(10, 10), 0x00AA00);
  EXPECT_EQ(d.image->UIStyle(), TSkinUIStyle::FromThemeFile);
}

TEST_F(Buttons, AutoSizeTakesOneFrameOfTheStylePicture) {
  Dialog d;
  d.ok->SetAutoSize(true);
  TBitmap whole;
  GetStyleBitmap(kDeepBlue, 1, &whole, 0, 0);
  EXPECT_EQ(d.ok->Width(), whole.Width() / 3);
  EXPECT_EQ(d.ok->Height(), whole.Height());
}
