// Image lists: the shell's shared system list of small icons (drive and folder icons) and the
// comctl32 list made from our own images for the system controls.
#include <gtest/gtest.h>

#include "forms/Forms.h"

using namespace forms;

namespace {

bool AnyPixelOtherThan(const TBitmap& b, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.GetPixel(x, y) != c) return true;
  return false;
}

}  // namespace

TEST(SystemImageList, IsSharedAndOutlivesEachOfItsUsers) {
  auto* first = new TImageList(16, 16);
  TImageList second(16, 16);
  ASSERT_TRUE(first->UseSystemSmallIcons());
  ASSERT_TRUE(second.UseSystemSmallIcons());
  EXPECT_TRUE(first->IsSystemList());
  EXPECT_EQ(first->Handle(), second.Handle());
  EXPECT_GT(second.Count(), 0);
  EXPECT_EQ(second.Width(), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(second.Height(), GetSystemMetrics(SM_CYSMICON));
  HIMAGELIST shared = second.Handle();
  delete first;  // must not destroy the shell's list
  EXPECT_GT(ImageList_GetImageCount(shared), 0);
  // Images cannot be added to the shell's list through us.
  TBitmap strip(32, 16);
  EXPECT_EQ(second.Add(strip), -1);
}

TEST(SystemImageList, GivesDriveAndFolderIconsThatDraw) {
  TImageList icons(16, 16);
  ASSERT_TRUE(icons.UseSystemSmallIcons());
  int drive = TImageList::SystemIconIndex("C:\\");
  int folder = TImageList::SystemIconIndex("C:\\no such folder", FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_GE(drive, 0);
  ASSERT_GE(folder, 0);
  EXPECT_LT(drive, icons.Count());
  EXPECT_LT(folder, icons.Count());
  TBitmap b(icons.Width(), icons.Height());
  b.Canvas().Brush.Color = clWhite;
  b.Canvas().FillRect(RECT{0, 0, b.Width(), b.Height()});
  icons.Draw(b.Canvas(), 0, 0, folder);
  EXPECT_TRUE(AnyPixelOtherThan(b, clWhite));
  // Out of range draws nothing.
  TBitmap empty(16, 16);
  icons.Draw(empty.Canvas(), 0, 0, icons.Count() + 5);
  EXPECT_FALSE(AnyPixelOtherThan(empty, clWhite));
}

TEST(ImageListHandle, HoldsOurImagesForTheSystemControlsAndFollowsChanges) {
  TImageList list(8, 8);
  TBitmap strip(16, 8);
  strip.Canvas().Brush.Color = 0x0000FF;
  strip.Canvas().FillRect(RECT{0, 0, 8, 8});
  strip.Canvas().Brush.Color = clFuchsia;
  strip.Canvas().FillRect(RECT{8, 0, 16, 8});
  strip.Canvas().Brush.Color = 0x00FF00;
  strip.Canvas().FillRect(RECT{10, 2, 14, 6});
  ASSERT_EQ(list.AddMasked(strip, clFuchsia), 0);
  HIMAGELIST h = list.Handle();
  ASSERT_TRUE(h);
  EXPECT_EQ(ImageList_GetImageCount(h), 2);
  int w = 0, hh = 0;
  ImageList_GetIconSize(h, &w, &hh);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(hh, 8);
  TBitmap out(8, 8);
  out.Canvas().Brush.Color = clWhite;
  out.Canvas().FillRect(RECT{0, 0, 8, 8});
  ImageList_Draw(h, 1, out.Canvas().Handle(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(out.GetPixel(0, 0), clWhite);    // the mask colour is left out
  EXPECT_EQ(out.GetPixel(4, 4), 0x00FF00);
  ImageList_Draw(h, 0, out.Canvas().Handle(), 0, 0, ILD_NORMAL);
  EXPECT_EQ(out.GetPixel(4, 4), 0x0000FF);
  // Adding images remakes the list.
  list.Add(strip);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 4);
}
