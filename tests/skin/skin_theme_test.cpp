// Themes loaded from real skin archives: readiness, style resolution, the SKIN2 getters, a
// skinned button painted from the archive, unreadable and encrypted archives, reloads and the
// SkinData stream. The archives come from tools/skinpack/make_theme_fixtures.py.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "skin/SkinButton.h"
#include "skin/SkinMgr.h"
#include "skin/SkinThemes.h"

using namespace forms;
using namespace skin;

namespace {

// SKIN2 key indexes within their groups.
constexpr int kTitleBar1 = 0, kButton = 15, kCheckBox = 16;           // bitmaps
constexpr int kTitleFontColor = 1, kFormColor = 2, kSelectedMenuColor = 13,
              kButtonFontColor = 24;                                    // colours
constexpr int kIconPosX = 0, kCaptionTop = 2, kButtonPosY = 4;          // integers
constexpr int kTitleFiveSect = 0, kBottomThreeSect = 1, kButtonTrans = 5,
              kTabControlTrans = 8;                                     // flags

// The button's frames as make_theme_fixtures.py fills them, as colour values ($BBGGRR).
constexpr TColor kNormalFill = 0x71B33C, kHoverFill = 0x00A5FF, kPressedFill = 0x13458B;
constexpr TColor kBorder = 0x403020, kSecondFill = 0xE16941;

std::string Fixture(const char* name) { return std::string("theme_fixtures\\") + name; }

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

void PaintButton(TSkinButton& b, TBitmap& out) {
  out.SetSize(b.Width(), b.Height());
  b.Perform(WM_PAINT, reinterpret_cast<WPARAM>(out.Canvas().Handle()), 0);
}

TColor DeepBlueFace(int x, int y) {
  TBitmap face;
  GetStyleBitmap(StyleIndex(TSkinUIStyle::DeepBlue), 1, &face, 1, 3);
  return face.GetPixel(x, y);
}

// Points the process's temporary folder at a fresh private folder for the life of the object,
// so that files left there are this test's own, whatever other tests run beside it.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    char buf[MAX_PATH];
    GetEnvironmentVariableA("TMP", buf, sizeof buf);
    old_tmp_ = buf;
    GetEnvironmentVariableA("TEMP", buf, sizeof buf);
    old_temp_ = buf;
    GetTempPathA(sizeof buf, buf);
    folder_ = std::string(buf) + "skin_theme_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", folder_.c_str());
    SetEnvironmentVariableA("TEMP", folder_.c_str());
  }
  ~PrivateTempFolder() {
    SetEnvironmentVariableA("TMP", old_tmp_.c_str());
    SetEnvironmentVariableA("TEMP", old_temp_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  int CountFiles() const {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder_ + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do n += !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
  }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_, old_tmp_, old_temp_;
};

void ExpectNothingLoaded(const TSkinFileTheme& theme) {
  EXPECT_FALSE(theme.Ready());
  EXPECT_EQ(theme.GetBitmap(kButton), nullptr);
  EXPECT_EQ(theme.GetColor(kButtonFontColor), 0);
  EXPECT_EQ(theme.GetInteger(kButtonPosY), 0);
  EXPECT_EQ(theme.GetFlag(kButtonTrans), 0);
  TSkinUIStyle eff;
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(&theme, TSkinUIStyle::FromThemeFile, eff));
  EXPECT_EQ(eff, TSkinUIStyle::DeepBlue);
}

}  // namespace

TEST(ArchiveTheme, LoadedArchiveMakesTheThemeReadyAndFromThemeFileResolvesToIt) {
  TSkinFileTheme theme(nullptr);
  TSkinUIStyle eff;
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(&theme, TSkinUIStyle::FromThemeFile, eff));
  theme.SetThemeFile(Fixture("theme.ssk"));
  ASSERT_TRUE(theme.Ready());
  EXPECT_EQ(theme.ThemeFile(), Fixture("theme.ssk"));
  EXPECT_TRUE(TSkinFileTheme::ResolveStyle(&theme, TSkinUIStyle::FromThemeFile, eff));
  EXPECT_EQ(eff, TSkinUIStyle::FromThemeFile);
  // A built-in style chosen explicitly still wins over a ready theme.
  EXPECT_FALSE(TSkinFileTheme::ResolveStyle(&theme, TSkinUIStyle::WinXP, eff));
  EXPECT_EQ(eff, TSkinUIStyle::WinXP);
}

TEST(ArchiveTheme, GetBitmapGivesTheArchivesPixelsOwnedByTheTheme) {
  TSkinFileTheme theme(nullptr);
  theme.SetThemeFile(Fixture("theme.ssk"));
  ASSERT_TRUE(theme.Ready());
  TBitmap* button = theme.GetBitmap(kButton);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Width(), 72);
  EXPECT_EQ(button->Height(), 27);
  EXPECT_EQ(button->GetPixel(0, 0), clFuchsia);
  EXPECT_EQ(button->GetPixel(1, 0), kBorder);
  EXPECT_EQ(button->GetPixel(4, 4), kNormalFill);
  EXPECT_EQ(button->GetPixel(24 + 4, 20), kHoverFill);
  EXPECT_EQ(button->GetPixel(48 + 4, 4), kPressedFill);
  EXPECT_EQ(button->GetPixel(71, 26), clFuchsia);
  EXPECT_EQ(theme.GetBitmap(kButton), button);         // the same kept bitmap each time
  EXPECT_EQ(theme.GetBitmap(0x80 | kButton), button);  // key masked with 0x7F
  TBitmap* title = theme.GetBitmap(kTitleBar1);         // an 8-bit palette bitmap
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Width(), 30);
  EXPECT_EQ(title->GetPixel(6, 0), 0x7F8F2F);
  EXPECT_EQ(title->GetPixel(1, 0), 0x5F6F1F);
  EXPECT_EQ(theme.GetBitmap(kCheckBox), nullptr);  // not in the archive
  EXPECT_EQ(theme.GetBitmap(34), nullptr);         // past the bitmap group

  TBitmap frame;
  theme.GetBitmapFrame(kButton, &frame, 2, 3);
  EXPECT_EQ(frame.Width(), 24);
  EXPECT_EQ(frame.GetPixel(4, 4), kHoverFill);
  theme.GetBitmapFrame(kButton, &frame, 0, 0);
  EXPECT_EQ(frame.Width(), 72);
  EXPECT_EQ(frame.GetPixel(48 + 4, 4), kPressedFill);
  theme.GetBitmapFrame(kCheckBox, &frame, 1, 3);
  EXPECT_TRUE(frame.Empty());
}

TEST(ArchiveTheme, ColoursIntegersAndFlagsReadThePackedValuesAndMissingKeysTheDefaults) {
  TSkinFileTheme theme(nullptr);
  theme.SetThemeFile(Fixture("theme.ssk"));
  ASSERT_TRUE(theme.Ready());
  EXPECT_EQ(theme.GetColor(kButtonFontColor), 0x0000C0);
  EXPECT_EQ(theme.GetColor(kFormColor), 0xE0F0D8);
  EXPECT_EQ(theme.GetColor(kTitleFontColor), 0xFFFFFF);
  EXPECT_EQ(theme.GetInteger(kButtonPosY), -7);
  EXPECT_EQ(theme.GetInteger(kCaptionTop), 5);
  EXPECT_EQ(theme.GetFlag(kButtonTrans), 1);
  EXPECT_EQ(theme.GetFlag(kTitleFiveSect), 0);
  EXPECT_EQ(theme.GetFlag(kTabControlTrans), 200);
  // Missing in the archive: -1 for colours and integers, 0 for flags.
  EXPECT_EQ(theme.GetColor(kSelectedMenuColor), -1);
  EXPECT_EQ(theme.GetInteger(kIconPosX), -1);
  EXPECT_EQ(theme.GetFlag(kBottomThreeSect), 0);
  // Indexes past their group name no key of the next group.
  EXPECT_EQ(theme.GetColor(32), -1);
  EXPECT_EQ(theme.GetInteger(9), -1);
  EXPECT_EQ(theme.GetFlag(9), 0);
  EXPECT_EQ(theme.GetColor(0x80 | kButtonFontColor), 0x0000C0);
}

TEST(ArchiveTheme, ButtonOnTheFormTakesTheArchivesLookWhenTheThemeLoads) {
  TForm form(nullptr);
  auto* theme = new TSkinFileTheme(&form);
  auto* button = new TSkinButton(&form);
  button->SetFileTheme(theme);
  button->SetUIStyle(TSkinUIStyle::FromThemeFile);
  button->SetCaption("Skin");
  TBitmap shot;
  PaintButton(*button, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), DeepBlueFace(4, 4));  // no theme yet: DeepBlue
  EXPECT_FALSE(button->Transparent());

  theme->SetThemeFile(Fixture("theme.ssk"));
  ASSERT_TRUE(theme->Ready());
  // The load re-applied the theme: the button re-read its flag and font colour.
  EXPECT_TRUE(button->Transparent());
  EXPECT_EQ(button->Font().Color(), 0x0000C0);
  PaintButton(*button, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), kNormalFill);
  EXPECT_EQ(shot.GetPixel(0, 4), kBorder);
  EXPECT_EQ(shot.GetPixel(button->Width() - 5, 4), kNormalFill);
  button->Perform(CM_MOUSEENTER);
  PaintButton(*button, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), kHoverFill);
  button->Perform(CM_MOUSELEAVE);

  // A button created later on the same theme starts in skin mode at once.
  auto* later = new TSkinButton(&form);
  later->SetUIStyle(TSkinUIStyle::FromThemeFile);
  later->SetFileTheme(theme);
  PaintButton(*later, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), kNormalFill);
}

TEST(ArchiveTheme, UnreadableArchivesLeaveTheThemeNotReadyAndButtonsOnDeepBlue) {
  for (const char* name : {"theme_truncated.ssk", "theme_damaged.ssk",
                           "theme_bad_container.ssk", "theme_encrypted.ssk"}) {
    SCOPED_TRACE(name);
    TForm form(nullptr);
    auto* theme = new TSkinFileTheme(&form);
    auto* button = new TSkinButton(&form);
    button->SetFileTheme(theme);
    button->SetUIStyle(TSkinUIStyle::FromThemeFile);
    EXPECT_NO_THROW(theme->SetThemeFile(Fixture(name)));
    EXPECT_EQ(theme->ThemeFile(), Fixture(name));  // found, though not readable
    ExpectNothingLoaded(*theme);
    TBitmap shot;
    PaintButton(*button, shot);
    EXPECT_EQ(shot.GetPixel(4, 4), DeepBlueFace(4, 4));
    EXPECT_FALSE(button->Transparent());
  }
}

TEST(ArchiveTheme, PasswordReloadsTheEncryptedArchiveOnlyWhenItMatches) {
  TSkinFileTheme theme(nullptr);
  theme.SetThemeFile(Fixture("theme_encrypted.ssk"));
  EXPECT_FALSE(theme.Ready());
  theme.SetPassword("wrong");
  EXPECT_FALSE(theme.Ready());
  theme.SetPassword("tolvane");
  ASSERT_TRUE(theme.Ready());
  EXPECT_EQ(theme.GetColor(kButtonFontColor), 0x0000C0);
  ASSERT_NE(theme.GetBitmap(kButton), nullptr);
  EXPECT_EQ(theme.GetBitmap(kButton)->GetPixel(4, 4), kNormalFill);
}

TEST(ArchiveTheme, ReloadReplacesTheSkinAndAFailedReloadSendsButtonsBackToDeepBlue) {
  TForm form(nullptr);
  auto* theme = new TSkinFileTheme(&form);
  auto* button = new TSkinButton(&form);
  button->SetFileTheme(theme);
  button->SetUIStyle(TSkinUIStyle::FromThemeFile);
  theme->SetThemeFile(Fixture("theme.ssk"));
  ASSERT_TRUE(theme->Ready());
  ASSERT_TRUE(button->Transparent());

  theme->SetThemeFile(Fixture("theme_second.ssk"));
  ASSERT_TRUE(theme->Ready());
  ASSERT_NE(theme->GetBitmap(kButton), nullptr);
  EXPECT_EQ(theme->GetBitmap(kButton)->GetPixel(4, 4), kSecondFill);
  EXPECT_EQ(theme->GetBitmap(kTitleBar1), nullptr);  // the first skin's bitmaps are gone
  EXPECT_EQ(theme->GetColor(kButtonFontColor), -1);
  EXPECT_EQ(button->Font().Color(), clBlack);  // a missing colour is not taken as one
  EXPECT_FALSE(button->Transparent());
  TBitmap shot;
  PaintButton(*button, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), kSecondFill);

  theme->SetThemeFile(Fixture("theme.ssk"));
  ASSERT_TRUE(theme->Ready());
  ASSERT_TRUE(button->Transparent());
  // The failed reload drops the skin; the button must not keep the skin's flag and colour
  // while drawing the DeepBlue face.
  theme->SetThemeFile(Fixture("theme_damaged.ssk"));
  ExpectNothingLoaded(*theme);
  EXPECT_FALSE(button->Transparent());
  EXPECT_EQ(button->Font().Color(), clBlack);
  PaintButton(*button, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), DeepBlueFace(4, 4));
}

TEST(ArchiveTheme, ThemesWithTheSameSkinDataShareOneLoadedSkin) {
  // The program's windows carry 13 themes of one archive: it is unpacked once.
  std::vector<std::uint8_t> archive = ReadAll(Fixture("theme.ssk"));
  std::vector<std::uint8_t> other = ReadAll(Fixture("theme_second.ssk"));
  ASSERT_FALSE(archive.empty());
  ASSERT_FALSE(other.empty());
  PrivateTempFolder temp;
  TForm form(nullptr);
  auto* first = new TSkinBuiltInFileTheme(&form);
  auto* second = new TSkinBuiltInFileTheme(&form);
  auto* third = new TSkinBuiltInFileTheme(&form);
  auto* button = new TSkinButton(&form);
  button->SetFileTheme(second);
  button->SetUIStyle(TSkinUIStyle::FromThemeFile);
  first->ReadSkinData(archive);
  second->ReadSkinData(archive);
  third->ReadSkinData(other);
  ASSERT_TRUE(first->Ready() && second->Ready() && third->Ready());
  EXPECT_EQ(first->GetBitmap(kButton), second->GetBitmap(kButton));
  EXPECT_NE(first->GetBitmap(kButton), third->GetBitmap(kButton));
  EXPECT_EQ(second->ThemeFile().rfind(temp.folder(), 0), 0u);
  EXPECT_NE(second->ThemeFile(), first->ThemeFile());
  // The shared theme re-applies itself like a loaded one.
  TBitmap shot;
  PaintButton(*button, shot);
  EXPECT_EQ(shot.GetPixel(4, 4), kNormalFill);
  // The skin outlives the theme that loaded it first, and goes with the last.
  delete first;
  EXPECT_EQ(second->GetBitmap(kButton)->GetPixel(4, 4), kNormalFill);
  delete second;
  auto* again = new TSkinBuiltInFileTheme(&form);
  again->ReadSkinData(archive);
  EXPECT_TRUE(again->Ready());
  EXPECT_EQ(temp.CountFiles(), 0);
}

TEST(ArchiveTheme, SkinDataFromAStreamLoadsAndLeavesNoTemporaryFile) {
  std::vector<std::uint8_t> archive = ReadAll(Fixture("theme.ssk"));
  ASSERT_FALSE(archive.empty());
  PrivateTempFolder temp;
  {
    TForm form(nullptr);
    auto* theme = new TSkinBuiltInFileTheme(&form);
    auto* button = new TSkinButton(&form);
    button->SetFileTheme(theme);
    button->SetUIStyle(TSkinUIStyle::FromThemeFile);
    theme->ReadSkinData(archive);
    ASSERT_TRUE(theme->Ready());
    EXPECT_EQ(theme->ThemeFile().rfind(temp.folder(), 0), 0u);  // loaded from the copy
    // Neither the archive's copy nor the extracted container is left behind.
    EXPECT_EQ(temp.CountFiles(), 0);
    ASSERT_NE(theme->GetBitmap(kButton), nullptr);
    EXPECT_EQ(theme->GetBitmap(kButton)->GetPixel(4, 4), kNormalFill);
    EXPECT_EQ(theme->GetInteger(kButtonPosY), -7);
    TBitmap shot;
    PaintButton(*button, shot);
    EXPECT_EQ(shot.GetPixel(4, 4), kNormalFill);
  }
  for (const char* name : {"theme_damaged.ssk", "theme_truncated.ssk", "theme_encrypted.ssk"}) {
    SCOPED_TRACE(name);
    TSkinBuiltInFileTheme theme(nullptr);
    EXPECT_NO_THROW(theme.ReadSkinData(ReadAll(Fixture(name))));
    ExpectNothingLoaded(theme);
    EXPECT_EQ(temp.CountFiles(), 0);
  }
}
