// The windowless standard controls without a display: labels measured and painted into memory
// bitmaps, the image's placement geometry and its painting, the splitter's size arithmetic,
// and the folder browser's path conversion and test seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "forms/Forms.h"

using namespace forms;

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

constexpr TColor kParent = 0x2020C0;
constexpr TColor kText = 0x00FF00;

struct LabelScene {
  TPanel parent{nullptr};
  TLabel* label;
  LabelScene() {
    parent.SetBevelOuter(TBevelCut::bvNone);
    parent.SetBounds(0, 0, 300, 100);
    parent.SetColor(kParent);
    label = new TLabel(&parent);
    label->SetLeft(10);
    label->SetTop(10);
    label->SetParent(&parent);
    label->Font().SetColor(kText);
  }
};

std::unique_ptr<TBitmap> Render(TControl* c, TColor under = clWhite) {
  auto b = std::make_unique<TBitmap>(c->Width(), c->Height());
  b->Canvas().Brush.Color = under;
  b->Canvas().FillRect(RECT{0, 0, c->Width(), c->Height()});
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(b->Canvas().Handle()), 0);
  return b;
}

int CountPixels(const TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == c;
  return n;
}

// The topmost row holding a pixel of colour `c`, or -1.
int FirstRowWith(const TBitmap& b, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.GetPixel(x, y) == c) return y;
  return -1;
}

}  // namespace

TEST(Label, AutoSizeTakesTheSizeOfItsTextAndFollowsChanges) {
  LabelScene s;
  s.label->SetCaption("Hello world");
  SIZE ext = s.label->Canvas().TextExtent("Hello world");
  EXPECT_EQ(s.label->Width(), ext.cx);
  EXPECT_EQ(s.label->Height(), ext.cy);
  int narrow = s.label->Width();
  s.label->Font().SetStyle(fsBold);
  s.label->Font().SetHeight(-20);
  EXPECT_GT(s.label->Width(), narrow);
  EXPECT_EQ(s.label->Height(), s.label->Canvas().TextHeight("A"));
  // An empty caption keeps one line's height rather than collapsing to nothing.
  s.label->SetCaption("");
  EXPECT_EQ(s.label->Height(), s.label->Canvas().TextHeight("A"));
  EXPECT_GT(s.label->Width(), 0);
}

TEST(Label, WrappedAutoSizeKeepsItsWidthAndGrowsDownwards) {
  LabelScene s;
  s.label->SetWordWrap(true);
  s.label->SetWidth(80);
  s.label->SetCaption("one two three four five six seven eight");
  int line = s.label->Canvas().TextHeight("A");
  EXPECT_EQ(s.label->Width(), 80);
  EXPECT_GE(s.label->Height(), 3 * line);
  EXPECT_EQ(s.label->Height() % line, 0);
}

TEST(Label, WithoutAutoSizeTheBoundsStayAsSet) {
  LabelScene s;
  s.label->SetAutoSize(false);
  s.label->SetBounds(5, 5, 294, 50);
  s.label->SetCaption("A long text that would make an auto-sized label far wider than this");
  EXPECT_EQ(s.label->Width(), 294);
  EXPECT_EQ(s.label->Height(), 50);
}

TEST(Label, RightAlignedAutoSizeKeepsTheRightEdge) {
  LabelScene s;
  s.label->SetAutoSize(false);
  s.label->SetBounds(100, 10, 100, 20);
  s.label->SetAlignment(TAlignment::taRightJustify);
  s.label->SetAutoSize(true);
  s.label->SetCaption("Wide caption text");
  EXPECT_EQ(s.label->Left() + s.label->Width(), 200);
  s.label->SetCaption("ab");
  EXPECT_EQ(s.label->Left() + s.label->Width(), 200);
}

TEST(Label, AmpersandsShowAsAcceleratorsOnlyWithShowAccelChar) {
  LabelScene s;
  s.label->SetCaption("Save && &Quit");
  int with_accel = s.label->Width();
  EXPECT_EQ(with_accel, s.label->Canvas().TextWidth("Save & Quit"));
  s.label->SetShowAccelChar(false);
  EXPECT_EQ(s.label->Width(), s.label->Canvas().TextWidth("Save && &Quit"));
}

TEST(Label, OpaqueLabelFillsItsColourAndTransparentOneLeavesTheParent) {
  LabelScene s;
  s.label->SetCaption("Text");
  s.label->SetColor(0xC0C0C0);
  auto opaque = Render(s.label, kParent);
  EXPECT_EQ(opaque->GetPixel(0, 0), 0xC0C0C0);
  EXPECT_GT(CountPixels(*opaque, kText), 0);
  s.label->SetTransparent(true);
  auto clear = Render(s.label, kParent);
  EXPECT_EQ(clear->GetPixel(0, 0), kParent);
  EXPECT_GT(CountPixels(*clear, kText), 0);
  EXPECT_EQ(CountPixels(*clear, 0xC0C0C0), 0);
}

TEST(Label, LayoutPlacesTheTextAtTheTopCentreOrBottom) {
  LabelScene s;
  s.label->SetAutoSize(false);
  s.label->SetBounds(0, 0, 100, 60);
  s.label->SetCaption("Mid");
  int top = FirstRowWith(*Render(s.label), kText);
  s.label->SetLayout(TTextLayout::tlCenter);
  int centre = FirstRowWith(*Render(s.label), kText);
  s.label->SetLayout(TTextLayout::tlBottom);
  int bottom = FirstRowWith(*Render(s.label), kText);
  ASSERT_GE(top, 0);
  EXPECT_GT(centre, top + 10);
  EXPECT_GT(bottom, centre + 10);
  EXPECT_LT(bottom, 60);
}

TEST(Label, AFreedFocusControlIsForgotten) {
  LabelScene s;
  auto* edit = new TPanel(&s.parent);
  s.label->SetFocusControl(edit);
  EXPECT_EQ(s.label->FocusControl(), edit);
  delete edit;
  EXPECT_EQ(s.label->FocusControl(), nullptr);
}

TEST(ImageGeometry, PlacementFollowsStretchProportionalAndCenter) {
  // As it is, at the top left.
  EXPECT_EQ(ImageDestRect(40, 20, 100, 100, false, false, false), (RECT{0, 0, 40, 20}));
  // Stretch fills the box, whatever the proportions.
  EXPECT_EQ(ImageDestRect(40, 20, 100, 50, true, false, false), (RECT{0, 0, 100, 50}));
  // Stretch with Proportional grows as far as the box lets, keeping 2:1.
  EXPECT_EQ(ImageDestRect(40, 20, 100, 100, true, true, false), (RECT{0, 0, 100, 50}));
  EXPECT_EQ(ImageDestRect(20, 40, 100, 100, true, true, true), (RECT{25, 0, 75, 100}));
  // Proportional alone shrinks only what is larger than the box.
  EXPECT_EQ(ImageDestRect(40, 20, 100, 100, false, true, false), (RECT{0, 0, 40, 20}));
  EXPECT_EQ(ImageDestRect(400, 100, 100, 100, false, true, false), (RECT{0, 0, 100, 25}));
  // Center centres what is left over, also a picture larger than the box.
  EXPECT_EQ(ImageDestRect(40, 20, 100, 100, false, false, true), (RECT{30, 40, 70, 60}));
  EXPECT_EQ(ImageDestRect(140, 20, 100, 100, false, false, true), (RECT{-20, 40, 120, 60}));
}

TEST(ImageGeometry, DegenerateAndHugeSizesStayInRange) {
  EXPECT_EQ(ImageDestRect(0, 0, 100, 100, true, true, true), (RECT{0, 0, 100, 100}));
  EXPECT_EQ(ImageDestRect(10, 10, 0, 0, true, true, false), (RECT{0, 0, 0, 0}));
  EXPECT_EQ(ImageDestRect(-5, 10, 100, 100, false, false, false), (RECT{0, 0, 0, 10}));
  // 60000 x 50000 multiplied in 32 bits would overflow.
  RECT r = ImageDestRect(60000, 30000, 50000, 50000, true, true, false);
  EXPECT_EQ(r.right, 50000);
  EXPECT_EQ(r.bottom, 25000);
}

TEST(Image, AutoSizeTakesThePicturesSizeOnEveryChange) {
  TImage image(nullptr);
  image.SetBounds(24, 64, 40, 40);
  image.SetAutoSize(true);
  image.Picture().Bitmap()->SetSize(42, 42);
  EXPECT_EQ(image.Width(), 42);
  EXPECT_EQ(image.Height(), 42);
  EXPECT_EQ(image.Left(), 24);
  TBitmap other(16, 17);
  image.Picture().SetGraphic(&other);
  EXPECT_EQ(image.Width(), 16);
  EXPECT_EQ(image.Height(), 17);
}

TEST(Image, TransparentLeavesTheKeyColourOutAndStretchFills) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 8, 8);
  TBitmap* pic = image.Picture().Bitmap();
  pic->SetSize(4, 4);
  pic->Canvas().Brush.Color = clFuchsia;
  pic->Canvas().FillRect(RECT{0, 0, 4, 4});
  pic->SetPixel(1, 1, 0x0000FF);
  auto plain = Render(&image, kParent);
  EXPECT_EQ(plain->GetPixel(0, 0), clFuchsia);
  EXPECT_EQ(plain->GetPixel(6, 6), kParent);  // outside the picture nothing is drawn
  image.SetTransparent(true);
  EXPECT_TRUE(image.Picture().Graphic()->Transparent());
  auto keyed = Render(&image, kParent);
  EXPECT_EQ(keyed->GetPixel(0, 0), kParent);
  EXPECT_EQ(keyed->GetPixel(1, 1), 0x0000FF);
  image.SetStretch(true);
  auto stretched = Render(&image, kParent);
  EXPECT_EQ(stretched->GetPixel(3, 3), 0x0000FF);
  EXPECT_EQ(stretched->GetPixel(7, 7), kParent);
}

TEST(SplitterGeometry, DragSizeStaysWithinMinAndMax) {
  EXPECT_EQ(SplitterDragSize(137, 40, 30, 364), 177);
  EXPECT_EQ(SplitterDragSize(137, -200, 30, 364), 30);
  EXPECT_EQ(SplitterDragSize(137, 1000, 30, 364), 364);
  // No room at all: the control keeps its size rather than being forced below MinSize.
  EXPECT_EQ(SplitterDragSize(50, 10, 30, 20), 50);
  EXPECT_EQ(SplitterDragSize(100, 2147483647, 30, 500), 500);
  EXPECT_EQ(SplitterDragSize(100, -2147483647 - 1, 30, 500), 30);
}

TEST(Splitter, FindsTheControlItSplitsAndItsLargestSize) {
  TPanel parent(nullptr);
  parent.SetBevelOuter(TBevelCut::bvNone);
  parent.SetBounds(0, 0, 400, 200);
  auto* tree = new TPanel(&parent);
  tree->SetWidth(137);
  tree->SetAlign(TAlign::alLeft);
  tree->SetParent(&parent);
  auto* split = new TSplitter(&parent);
  split->SetWidth(6);
  split->SetParent(&parent);
  auto* list = new TPanel(&parent);
  list->SetAlign(TAlign::alClient);
  list->SetParent(&parent);
  EXPECT_EQ(split->Left(), 137);
  EXPECT_EQ(split->SplitControl(), tree);
  EXPECT_EQ(split->MaxSize(), 400 - 6 - 30);
  split->SetMinSize(50);
  EXPECT_EQ(split->MaxSize(), 400 - 6 - 50);
  tree->SetVisible(false);
  EXPECT_EQ(split->SplitControl(), nullptr);
}

TEST(FolderBrowser, PlainPathsConvertAsTheyStand) {
  std::string out;
  ASSERT_TRUE(WidePathToAnsi(L"C:\\Recovered\\Photos 2007", out));
  EXPECT_EQ(out, "C:\\Recovered\\Photos 2007");
  ASSERT_TRUE(WidePathToAnsi(L"C:\\Caf\u00e9", out));  // in the Western code page
  if (GetACP() == 1252) {
    EXPECT_EQ(out, "C:\\Caf\xe9");
  }
}

TEST(FolderBrowser, AFolderNameOutsideTheCodePageGoesThroughItsShortName) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "the UTF-8 code page holds every name";
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  std::wstring folder = std::wstring(temp) + L"tolvane \u4e2d\u6587 folder";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::string out;
  bool ok = WidePathToAnsi(folder, out);
  // Where the volume keeps short names the short form names the same folder; the '?' that a
  // plain conversion gives never comes back.
  if (ok) {
    EXPECT_EQ(out.find('?'), std::string::npos);
    WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
    ASSERT_TRUE(GetFileAttributesExA(out.c_str(), GetFileExInfoStandard, &a));
    ASSERT_TRUE(GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &b));
    EXPECT_EQ(CompareFileTime(&a.ftCreationTime, &b.ftCreationTime), 0);
  }
  RemoveDirectoryW(folder.c_str());
  // A folder that does not exist has no short form either: refused, never garbled.
  EXPECT_FALSE(WidePathToAnsi(std::wstring(temp) + L"missing \u4e2d", out));
}

TEST(FolderBrowser, SelectDirectoryHandsTheRequestToTheInstalledBrowser) {
  TFolderBrowseRequest seen;
  SetFolderBrowser([&](const TFolderBrowseRequest& r, std::wstring& folder) {
    seen = r;
    folder = L"D:\\Saved";
    return true;
  });
  std::string dir;
  EXPECT_TRUE(SelectDirectory("Select a Folder", "", dir));
  EXPECT_EQ(dir, "D:\\Saved");
  EXPECT_EQ(seen.Title, L"Select a Folder");
  EXPECT_TRUE(seen.Root.empty());
  EXPECT_TRUE(seen.StartFolder.empty());
  // The folder chosen before is offered again.
  EXPECT_TRUE(SelectDirectory("Select a Folder", "", dir));
  EXPECT_EQ(seen.StartFolder, L"D:\\Saved");
  SetFolderBrowser(nullptr);
}

TEST(FolderBrowser, CancelEmptyOrUnconvertibleChoicesLeaveTheDirectoryAlone) {
  std::wstring answer;
  bool chosen = false;
  SetFolderBrowser([&](const TFolderBrowseRequest&, std::wstring& folder) {
    folder = answer;
    return chosen;
  });
  std::string dir = "C:\\Before";
  answer = L"C:\\Ignored";
  EXPECT_FALSE(SelectDirectory("Select a Folder", "", dir));
  chosen = true;
  answer = L"";
  EXPECT_FALSE(SelectDirectory("Select a Folder", "", dir));
  if (GetACP() != CP_UTF8) {
    answer = L"Z:\\nowhere \u4e2d";
    EXPECT_FALSE(SelectDirectory("Select a Folder", "", dir));
  }
  EXPECT_EQ(dir, "C:\\Before");
  SetFolderBrowser(nullptr);
}
