// The built-in style table (every item kind), its resource bitmaps with their frame counts,
// style resolution in built-in and theme mode, the owner form's style, and the theme
// components' file search, SkinData temporary file and removal.
#include <gtest/gtest.h>

#include <fstream>

#include "skin/SkinButton.h"
#include "skin/SkinMgr.h"
#include "skin/SkinPublic.h"
#include "skin/SkinThemes.h"

using namespace forms;
using namespace skin;

namespace {

constexpr int kMacOS = 1, kWinXP = 2, kDeepBlue = 3, kProtein = 4, kBlueGlass = 5;

// A stand-in for the window frame control: the class name and published UIStyle are all
// that the owner-form lookup reads.
class FakeSkinForm : public TPanel {
 public:
  FakeSkinForm(TComponent* owner, TSkinUIStyle s) : TPanel(owner), style(s) {}
  const char* ClassName() const override { return "TSkinForm"; }
  bool GetPublished(std::string_view name, TPropValue* out) const override {
    if (name != "UIStyle") return false;
    if (out) *out = static_cast<std::int64_t>(style);
    return true;
  }
  TSkinUIStyle style;
};

int CountTempSkinFiles() {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((GetTempFolder() + "{*}*.ssk").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

}  // namespace

TEST(StyleTable, ColoursFlagsRawValuesAndBitmapNamesComeFromTheirRows) {
  EXPECT_EQ(GetStyleColor(kDeepBlue, 15), 0xE8E8E8);
  EXPECT_EQ(GetStyleColor(kWinXP, 16), 0xC82C00);
  EXPECT_EQ(GetStyleColor(kBlueGlass, 18), 0xEC5E5E);
  EXPECT_EQ(GetStyleColor(kWinXP, 27), 0xCF4602);
  EXPECT_EQ(GetStyleFlag(kMacOS, 2), 1);
  EXPECT_EQ(GetStyleFlag(kWinXP, 2), 0);
  EXPECT_EQ(GetStyleFlag(kBlueGlass, 2), 1);
  EXPECT_EQ(GetStyleFlag(kProtein, 6), 1);
  EXPECT_EQ(GetStyleValue(kMacOS, 8), -2);
  EXPECT_EQ(GetStyleValue(kBlueGlass, 13), 270);
  EXPECT_EQ(GetStyleValue(kWinXP, 14), 13);
  EXPECT_EQ(GetStyleValue(kWinXP, 17), 3);
  EXPECT_STREQ(GetStyleBitmapName(kProtein, 1), "PROTEIN_BUTTON");
  EXPECT_STREQ(GetStyleBitmapName(kDeepBlue, 38), "MORE_SCROLLBUTTON");
  EXPECT_STREQ(GetStyleBitmapName(kMacOS, 41), "MACOS_SIDECHENNEL_HANDLE");
  EXPECT_STREQ(GetStyleBitmapName(kWinXP, 43), "");
}

TEST(StyleTable, WrongKindWrongStyleAndOutOfRangeItemsGiveTheDefaults) {
  EXPECT_EQ(GetStyleValue(kDeepBlue, 15), -1);  // a colour read as raw value
  EXPECT_EQ(GetStyleValue(0, 7), -1);           // FromThemeFile has no row
  EXPECT_EQ(GetStyleColor(kDeepBlue, 2), 0);    // a flag read as colour
  EXPECT_EQ(GetStyleFlag(kDeepBlue, 15), 0);
  EXPECT_EQ(GetStyleBitmapName(kDeepBlue, 15), nullptr);
  int kind = 99;
  EXPECT_EQ(GetStyleItem(6, 1, kind), -1);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(GetStyleItem(kDeepBlue, 0, kind), -1);
  EXPECT_EQ(GetStyleItem(kDeepBlue, 49, kind), -1);
  EXPECT_EQ(GetStyleColor(0x80 | kDeepBlue, 15), 0xE8E8E8);  // style masked with 0x7F
  EXPECT_EQ(GetStyleItem(kMacOS, 1, kind), GetStyleItem(kMacOS, 1, kind));
  EXPECT_EQ(kind, 2);
}

TEST(StyleBitmaps, EveryNamedBitmapExistsWithItsFrameLayout) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  for (int style = 1; style <= 5; ++style)
    for (int item = 1; item <= kStyleItemCount; ++item) {
      const char* name = GetStyleBitmapName(style, item);
      if (!name || !*name) continue;
      TBitmap b;
      EXPECT_TRUE(b.LoadFromResourceName(self, name)) << name;
      EXPECT_FALSE(b.Empty()) << name;
    }
  for (const char* extra : {"MACOS_COMBOBOX_BUTTON", "WINXP_COMBOBOX_BUTTON", "MACOS_MENU_BAR",
                            "MACOS_MENU_SELECT", "MACOS_FORM_BACKGROUND",
                            "PROTEIN_FORM_BACKGROUND", "MENU_CHECKED"}) {
    TBitmap b;
    EXPECT_TRUE(b.LoadFromResourceName(self, extra)) << extra;
  }
  TBitmap b;
  b.LoadFromResourceName(self, "MENU_CHECKED");
  EXPECT_EQ(b.Width(), 16);
  EXPECT_EQ(b.Height(), 16);
  b.LoadFromResourceName(self, "MACOS_COMBOBOX_BUTTON");
  EXPECT_EQ(b.Height(), 17);
  b.LoadFromResourceName(self, "WINXP_COMBOBOX_BUTTON");
  EXPECT_EQ(b.Height(), 18);
  const int titleWidths[] = {306, 378, 342, 342, 342};
  for (int style = 1; style <= 5; ++style) {
    TBitmap t;
    LoadStyleBitmap(style, 5, &t);
    EXPECT_EQ(t.Width(), titleWidths[style - 1]) << style;
    TBitmap button;
    LoadStyleBitmap(style, 1, &button);
    EXPECT_EQ(button.Width() % 3, 0);
    TBitmap scroll;
    LoadStyleBitmap(style, 32, &scroll);
    EXPECT_EQ(scroll.Width() % 6, 0);
    TBitmap track;
    LoadStyleBitmap(style, 33, &track);
    EXPECT_EQ(track.Width() % 3, 0);
  }
}

TEST(StyleBitmaps, TransparentButtonStylesKeyTheirCornersWithMagenta) {
  for (int style = 1; style <= 5; ++style) {
    TBitmap b;
    LoadStyleBitmap(style, 1, &b);
    bool keyed = b.GetPixel(0, 0) == clFuchsia;
    EXPECT_EQ(keyed, GetStyleFlag(style, 2) == 1) << style;
  }
}

TEST(StyleBitmaps, GetStyleBitmapCutsOneFrameOrLoadsTheWhole) {
  TBitmap whole, frame;
  GetStyleBitmap(kWinXP, 5, &whole, 0, 0);
  GetStyleBitmap(kWinXP, 5, &frame, 16, 18);
  EXPECT_EQ(whole.Width(), 378);
  EXPECT_EQ(frame.Width(), 21);
  EXPECT_EQ(frame.GetPixel(10, 10), whole.GetPixel(15 * 21 + 10, 10));
  GetStyleBitmap(kWinXP, 5, nullptr, 1, 18);  // nothing to fill: nothing happens
  TBitmap untouched;
  GetStyleBitmap(kWinXP, 15, &untouched, 1, 3);  // a colour item has no bitmap
  EXPECT_TRUE(untouched.Empty());
}

TEST(ResolveStyle, BuiltInModeUnlessFromThemeFileWithAReadyTheme) {
  TSkinUIStyle eff;
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(nullptr, TSkinUIStyle::MacOS, eff));
  EXPECT_EQ(eff, TSkinUIStyle::MacOS);
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(nullptr, TSkinUIStyle::FromThemeFile, eff));
  EXPECT_EQ(eff, TSkinUIStyle::DeepBlue);
  TSkinFileTheme theme(nullptr);
  EXPECT_FALSE(theme.Ready());
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(&theme, TSkinUIStyle::FromThemeFile, eff));
  EXPECT_EQ(eff, TSkinUIStyle::DeepBlue);
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(&theme, TSkinUIStyle::Protein, eff));
  EXPECT_EQ(eff, TSkinUIStyle::Protein);
}

TEST(OwnerStyle, FirstFrameOfTheOwnerFormGivesTheStyleElseDeepBlue) {
  EXPECT_EQ(OwnerFormUIStyle(nullptr), TSkinUIStyle::DeepBlue);
  TComponent notAForm(nullptr);
  EXPECT_EQ(OwnerFormUIStyle(&notAForm), TSkinUIStyle::DeepBlue);
  TForm plain(nullptr);
  EXPECT_EQ(OwnerFormUIStyle(&plain), TSkinUIStyle::DeepBlue);
  TSkinButton onPlain(&plain);
  EXPECT_EQ(onPlain.UIStyle(), TSkinUIStyle::DeepBlue);

  TForm framed(nullptr);
  auto* frame = new FakeSkinForm(&framed, TSkinUIStyle::Protein);
  frame->SetParent(&framed);
  auto* second = new FakeSkinForm(&framed, TSkinUIStyle::MacOS);
  second->SetParent(&framed);
  EXPECT_EQ(OwnerFormUIStyle(&framed), TSkinUIStyle::Protein);
  auto* button = new TSkinButton(&framed);
  EXPECT_EQ(button->UIStyle(), TSkinUIStyle::Protein);
  EXPECT_TRUE(button->Transparent() == false);
}

TEST(Theme, UnknownFileChangesNothingAndProgramFolderCopyIsFound) {
  TSkinFileTheme theme(nullptr);
  theme.SetThemeFile("C:\\no\\such\\folder\\nothing_here.ssk");
  EXPECT_EQ(theme.ThemeFile(), "");
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder = folder.substr(0, folder.find_last_of('\\') + 1);
  std::string local = folder + "skin_style_test_theme.ssk";
  { std::ofstream(local) << "not a skin archive"; }
  theme.SetThemeFile("C:\\design\\time\\skin_style_test_theme.ssk");
  EXPECT_EQ(theme.ThemeFile(), local);
  EXPECT_FALSE(theme.Ready());  // no archive could be read from it
  EXPECT_EQ(theme.GetColor(3), 0);
  EXPECT_EQ(theme.GetInteger(1), 0);
  EXPECT_EQ(theme.GetFlag(5), 0);
  EXPECT_EQ(theme.GetBitmap(15), nullptr);
  DeleteFileA(local.c_str());
}

TEST(Theme, RemovedThemeSendsItsButtonsBackToDeepBlue) {
  TForm form(nullptr);
  auto* theme = new TSkinFileTheme(&form);
  auto* button = new TSkinButton(&form);
  button->SetUIStyle(TSkinUIStyle::BlueGlass);
  button->SetFileTheme(theme);
  EXPECT_TRUE(skin::HasPublishedProperty(button, "FileTheme"));
  delete theme;
  EXPECT_EQ(button->FileTheme(), nullptr);
  EXPECT_EQ(button->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_FALSE(button->Transparent());
}

TEST(Theme, ThemeInAnotherOwnerIsDroppedWhenFreed) {
  TForm form(nullptr);
  auto* button = new TSkinButton(&form);
  {
    TComponent other(nullptr);
    auto* theme = new TSkinFileTheme(&other);
    button->SetFileTheme(theme);
  }
  EXPECT_EQ(button->FileTheme(), nullptr);
}

TEST(Theme, SkinDataLeavesNoTemporaryFileBehind) {
  int before = CountTempSkinFiles();
  TSkinBuiltInFileTheme theme(nullptr);
  const std::uint8_t data[] = {'P', 'K', 3, 4, 0, 0};
  theme.ReadSkinData(data);
  EXPECT_EQ(CountTempSkinFiles(), before);
  EXPECT_FALSE(theme.Ready());
  EXPECT_NE(theme.ThemeFile().find(".ssk"), std::string::npos);  // it was found and tried
}

TEST(Theme, UniqueFileNameNumbersBeforeTheExtension) {
  std::string base = GetTempFolder() + NewGuidFileName();
  EXPECT_EQ(MakeUniqueFileName(base), base);
  { std::ofstream(base) << "x"; }
  std::string next = MakeUniqueFileName(base);
  EXPECT_EQ(next, base.substr(0, base.size() - 4) + "1.ssk");
  { std::ofstream(next) << "x"; }
  EXPECT_EQ(MakeUniqueFileName(base), base.substr(0, base.size() - 4) + "2.ssk");
  DeleteFileA(base.c_str());
  DeleteFileA(next.c_str());
  EXPECT_EQ(NewGuidFileName().size(), 38u + 4u);
}

TEST(Theme, ApplyThemeToChildrenSetsBothPropertiesOnDirectChildrenOnly) {
  TForm form(nullptr);
  auto* frame = new TPanel(&form);
  frame->SetParent(&form);
  auto* direct = new TSkinButton(&form);
  direct->SetParent(frame);
  auto* image = new TSkinImageButton(&form);  // publishes UIStyle but not FileTheme
  image->SetParent(frame);
  auto* inner = new TPanel(&form);
  inner->SetParent(frame);
  auto* nested = new TSkinButton(&form);
  nested->SetParent(inner);
  TSkinFileTheme theme(nullptr);
  ApplyThemeToChildren(frame, TSkinUIStyle::WinXP, &theme);
  EXPECT_EQ(direct->UIStyle(), TSkinUIStyle::WinXP);
  EXPECT_EQ(direct->FileTheme(), &theme);
  EXPECT_EQ(nested->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(image->UIStyle(), TSkinUIStyle::FromThemeFile);
  direct->SetFileTheme(nullptr);
}

TEST(ResolveStyle, FromThemeFileWithoutAReadyThemeDrawsExactlyLikeDeepBlue) {
  TComponent owner(nullptr);
  TSkinButton deep(&owner);
  EXPECT_EQ(deep.UIStyle(), TSkinUIStyle::DeepBlue);  // a non-form owner gives DeepBlue
  deep.SetCaption("Same");
  TSkinButton themed(&owner);
  TSkinFileTheme theme(nullptr);
  themed.SetFileTheme(&theme);
  themed.SetUIStyle(TSkinUIStyle::FromThemeFile);
  themed.SetCaption("Same");
  TBitmap a(80, 27), b(80, 27);
  deep.Perform(WM_PAINT, reinterpret_cast<WPARAM>(a.Canvas().Handle()), 0);
  themed.Perform(WM_PAINT, reinterpret_cast<WPARAM>(b.Canvas().Handle()), 0);
  int differing = 0;
  for (int y = 0; y < 27; ++y)
    for (int x = 0; x < 80; ++x) differing += a.GetPixel(x, y) != b.GetPixel(x, y);
  EXPECT_EQ(differing, 0);
  TBitmap face;
  GetStyleBitmap(kDeepBlue, 1, &face, 1, 3);
  EXPECT_EQ(b.GetPixel(4, 4), face.GetPixel(4, 4));
  themed.SetFileTheme(nullptr);
}

namespace {

// Stands in for the archive reader: every existing file loads.
class AcceptingMgr : public TSkinFileThemeMgr {
 public:
  bool Loaded() const override { return loaded; }
  bool LoadThemeFile(const std::string& file, const std::string&) override {
    loaded = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    return loaded;
  }
  bool loaded = false;
};

class LoadableTheme : public TSkinFileTheme {
 public:
  explicit LoadableTheme(TComponent* owner) : TSkinFileTheme(owner) {
    ReplaceManager(new AcceptingMgr);
  }
};

// Any component publishing FileTheme; counts how often it is written.
class ThemeUser : public TPanel {
 public:
  ThemeUser(TComponent* owner, const char* cls) : TPanel(owner), cls_(cls) {}
  const char* ClassName() const override { return cls_; }
  bool GetPublished(std::string_view name, TPropValue* out) const override {
    if (name != "FileTheme") return false;
    if (out) *out = theme;
    return true;
  }
  bool SetPublished(std::string_view name, const TPropValue& v) override {
    if (name != "FileTheme") return false;
    theme = std::get<TComponent*>(v);
    ++writes;
    return true;
  }
  TComponent* theme = nullptr;
  int writes = 0;

 private:
  const char* cls_;
};

}  // namespace

TEST(Theme, SuccessfulLoadReappliesItselfToTheLibrarysControlsOnly) {
  TForm form(nullptr);
  auto* theme = new LoadableTheme(&form);
  auto* skinned = new ThemeUser(&form, "TSkinButton");
  auto* maker = new ThemeUser(&form, "TQzListView");
  auto* frame = new ThemeUser(&form, "TSkinForm");
  skinned->theme = maker->theme = frame->theme = theme;
  int frame_changes = 0;
  HWND wnd = form.Handle();
  TWndMethod old = form.WindowProc;
  form.WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_WINDOWPOSCHANGING &&
        (reinterpret_cast<WINDOWPOS*>(m.LParam)->flags & SWP_FRAMECHANGED))
      ++frame_changes;
    old(m);
  };
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  theme->SetThemeFile(exe);  // any existing file loads with the stand-in reader
  ASSERT_TRUE(theme->Ready());
  EXPECT_EQ(skinned->writes, 2);  // nil, then the theme again
  EXPECT_EQ(skinned->theme, theme);
  EXPECT_EQ(frame->writes, 2);
  EXPECT_EQ(maker->writes, 0);
  EXPECT_EQ(frame_changes, 0);  // the first load leaves the frame alone
  theme->SetThemeFile(exe);
  if (wnd) {
    EXPECT_EQ(frame_changes, 1);  // a reload recomputes the frame
  }
  form.WindowProc = old;
  TSkinUIStyle eff;
  EXPECT_TRUE(TSkinFileTheme::ResolveStyle(theme, TSkinUIStyle::FromThemeFile, eff));
  EXPECT_EQ(theme->GetColor(24), -1);  // loaded, key missing
  EXPECT_EQ(theme->GetFlag(5), 0);
}
