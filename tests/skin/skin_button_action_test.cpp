// A skinned button linked to an action: it shows the action's caption, runs the action on a
// click, and takes the action's image as its glyph only when it has none and the action's
// list holds that image. No window needed.
#include <gtest/gtest.h>

#include "skin/SkinButton.h"

using namespace forms;
using namespace skin;

namespace {

constexpr TColor kFirst = 0x0000C0;
constexpr TColor kSecond = 0x00C000;

// A form with an action list over two 16 x 16 images (solid red, then solid green, each with
// a magenta top-left key pixel) and one action in it.
struct Scene {
  TPanel form{nullptr};
  TActionList* list;
  TImageList* images;
  TCustomAction* action;
  TSkinButton* button;
  Scene() {
    form.SetBounds(0, 0, 120, 40);
    images = new TImageList(&form, 16, 16);
    TBitmap strip(32, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 32; ++x) strip.SetPixel(x, y, x < 16 ? kFirst : kSecond);
    strip.SetPixel(0, 0, clFuchsia);
    strip.SetPixel(16, 0, clFuchsia);
    images->Add(strip);
    list = new TActionList(&form);
    list->SetImages(images);
    action = new TCustomAction(&form);
    action->SetActionList(list);
    action->SetCaption("&Recover");
    action->SetImageIndex(1);
    button = new TSkinButton(&form);
    button->SetParent(&form);
  }
};

}  // namespace

TEST(SkinButtonAction, ButtonShowsTheActionsCaptionAndItsImageAsGlyph) {
  Scene s;
  s.button->SetAction(s.action);
  EXPECT_EQ(s.button->Caption(), "&Recover");
  ASSERT_FALSE(s.button->Glyph().Empty());
  EXPECT_EQ(s.button->Glyph().Width(), 16);
  EXPECT_EQ(s.button->Glyph().Height(), 16);
  EXPECT_EQ(s.button->Glyph().GetPixel(8, 8), kSecond);
  EXPECT_EQ(s.button->Glyph().GetPixel(0, 0), clFuchsia);

  // The glyph is painted, keyed by its top-left pixel.
  TBitmap shot(s.button->Width(), s.button->Height());
  s.button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()), 0);
  int green = 0, magenta = 0;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) {
      green += shot.GetPixel(x, y) == kSecond;
      magenta += shot.GetPixel(x, y) == clFuchsia;
    }
  EXPECT_EQ(green, 16 * 16 - 1);
  EXPECT_EQ(magenta, 0);

  // Later caption changes reach the button's own caption too.
  s.action->SetCaption("&Continue");
  EXPECT_EQ(s.button->Caption(), "&Continue");
  s.action->SetEnabled(false);
  EXPECT_FALSE(s.button->Enabled());
}

TEST(SkinButtonAction, GlyphIsTakenOnlyIntoAnEmptyGlyphFromAnImageThatExists) {
  {
    Scene s;  // a glyph of its own stays
    TBitmap own(8, 8);
    own.SetPixel(3, 3, 0x123456);
    s.button->SetGlyph(&own);
    s.button->SetAction(s.action);
    EXPECT_EQ(s.button->Glyph().Width(), 8);
    EXPECT_EQ(s.button->Glyph().GetPixel(3, 3), 0x123456);
  }
  for (int index : {2, -1, 1000}) {
    Scene s;  // an index past either end
    s.action->SetImageIndex(index);
    s.button->SetAction(s.action);
    EXPECT_TRUE(s.button->Glyph().Empty()) << index;
    EXPECT_EQ(s.button->Caption(), "&Recover");
  }
  {
    Scene s;  // an index that is in range takes the first image too
    s.action->SetImageIndex(0);
    s.button->SetAction(s.action);
    EXPECT_EQ(s.button->Glyph().GetPixel(8, 8), kFirst);
  }
  {
    Scene s;  // a list without images
    s.list->SetImages(nullptr);
    s.button->SetAction(s.action);
    EXPECT_TRUE(s.button->Glyph().Empty());
  }
  {
    Scene s;  // the images freed before the action is linked
    delete s.images;
    s.button->SetAction(s.action);
    EXPECT_TRUE(s.button->Glyph().Empty());
  }
  {
    Scene s;  // an action in no list
    s.action->SetActionList(nullptr);
    s.button->SetAction(s.action);
    EXPECT_TRUE(s.button->Glyph().Empty());
  }
  {
    Scene s;  // an action that is not a custom action carries no image
    auto* basic = new TBasicAction(&s.form);
    s.button->SetAction(basic);
    EXPECT_TRUE(s.button->Glyph().Empty());
  }
}

TEST(SkinButtonAction, ClickRunsTheActionAndStillSetsTheModalResult) {
  Scene s;
  TForm* form = new TForm(nullptr);
  s.button->SetParent(form);
  s.button->SetModalResult(mrOk);
  int runs = 0, clicks = 0;
  s.action->OnExecute = [&](TObject*) { ++runs; };
  s.button->OnClick = [&](TObject*) { ++clicks; };
  s.button->SetAction(s.action);
  s.button->Click();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(form->ModalResult(), mrOk);
  s.button->SetParent(&s.form);
  delete form;
}

TEST(SkinButtonAction, ActionIsPublishedOnBothButtonsAndFreeingItUnlinks) {
  Scene s;
  auto* image_button = new TSkinImageButton(&s.form);
  EXPECT_TRUE(HasPublishedProperty(s.button, "Action"));
  EXPECT_TRUE(HasPublishedProperty(image_button, "Action"));
  EXPECT_TRUE(SetPublishedProperty(image_button, "Action", TPropValue{s.action}));
  EXPECT_TRUE(SetPublishedProperty(s.button, "Action", TPropValue{s.action}));
  EXPECT_FALSE(SetPublishedProperty(s.button, "Action", TPropValue{s.images}));
  EXPECT_EQ(s.button->Action(), s.action);
  EXPECT_EQ(image_button->Caption(), "&Recover");
  EXPECT_EQ(s.action->ClientCount(), 2);
  delete s.list;  // frees the action with it
  EXPECT_EQ(s.button->Action(), nullptr);
  EXPECT_EQ(image_button->Action(), nullptr);
  TPropValue v;
  ASSERT_TRUE(s.button->GetPublished("Action", &v));
  EXPECT_EQ(std::get<TComponent*>(v), nullptr);
}
