// The nine windows in the program's own skin: each is made as Vardeck.exe makes it, with its
// built-in themes loaded from the archive resource, shown, photographed into tests/artifacts/
// (skin_<window>.png) and checked pixel by pixel against the archive's own bitmaps (title bar,
// close button) and colours (the frame of its lists, edits and progress bar), so that a window
// that fell back to a built-in look fails. A second group makes windows over damaged archive
// resources (a resource-only DLL built beside this test) and over a missing one: they open in
// DeepBlue, leave no temporary file and give their GDI objects back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/UnitFind.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmCalendar.h"
#include "frontend/win/UnitFrmMessage.h"
#include "frontend/win/UnitFrmProgress.h"
#include "frontend/win/UnitFrmSaveProgress.h"
#include "frontend/win/UnitFrmSetting.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "skin/QzTreeView.h"
#include "skin/SkinEdit.h"
#include "skin/SkinForm.h"
#include "skin/SkinKeys.h"
#include "skin/SkinProgressBar.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

#ifndef TOLVANE_DAMAGED_SKIN_DLL
#error "TOLVANE_DAMAGED_SKIN_DLL names the resource-only DLL with the damaged archives"
#endif

using namespace vardeck;

namespace {

// ---- robot moves (the shared robot, and the one this file adds) ------------------------------

using tolvane_test::GdiObjectCount;
using tolvane_test::Pump;
using tolvane_test::SavePicture;
using tolvane_test::WaitUntil;

// The window as the screen shows it, after it has painted everything.
void Grab(HWND wnd, forms::TBitmap& shot) {
  RedrawWindow(wnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump(150);
  tolvane_test::GrabWindow(wnd, shot);
}

// The names in the temporary folder (skin archives are unpacked there and must not stay).
std::set<std::string> TempFolderNames() {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((skin::GetTempFolder() + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.insert(found.cFileName);
  while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

// ---- pixel checks ------------------------------------------------------------------------------

bool Near(forms::TColor a, forms::TColor b) {
  auto channel = [](forms::TColor c, int shift) { return (static_cast<int>(c) >> shift) & 0xFF; };
  for (int shift : {0, 8, 16})
    if (std::abs(channel(a, shift) - channel(b, shift)) > 3) return false;
  return true;
}

// Where `frame` (keyed pixels left out) shows in the top `rows` of the shot; {-1, -1} when not.
POINT FindPicture(const forms::TBitmap& shot, const forms::TBitmap& frame, int rows,
                  forms::TColor key) {
  for (int y = 0; y + frame.Height() <= std::min(rows, shot.Height()); ++y)
    for (int x = 0; x + frame.Width() <= shot.Width(); ++x) {
      bool same = true;
      for (int fy = 0; fy < frame.Height() && same; ++fy)
        for (int fx = 0; fx < frame.Width() && same; ++fx) {
          forms::TColor p = frame.GetPixel(fx, fy);
          if (p != key && !Near(p, shot.GetPixel(x + fx, y + fy))) same = false;
        }
      if (same) return POINT{x, y};
    }
  return POINT{-1, -1};
}

struct WindowCase {
  const char* name;
  std::function<forms::TForm*()> form;
  int themes;  // built-in themes the window carries
};

std::ostream& operator<<(std::ostream& out, const WindowCase& c) { return out << c.name; }

const WindowCase kWindows[] = {
    {"start", [] { return static_cast<forms::TForm*>(FrmRun); }, 2},
    {"results", [] { return static_cast<forms::TForm*>(FrmFindFile); }, 2},
    {"filter", [] { return static_cast<forms::TForm*>(FrmSetting); }, 1},
    {"about", [] { return static_cast<forms::TForm*>(FrmMessage); }, 1},
    {"scan_progress", [] { return static_cast<forms::TForm*>(FrmProgress); }, 2},
    {"save_progress", [] { return static_cast<forms::TForm*>(FrmSaveProgress); }, 2},
    {"date_picker", [] { return static_cast<forms::TForm*>(FrmCalendar); }, 1},
    {"find", [] { return static_cast<forms::TForm*>(FrmFind); }, 1},
    {"message_box", [] { return static_cast<forms::TForm*>(FrmAttention); }, 1},
};

// Shows the window without its show handlers (they start scans, timers and drive reads that
// this test has no use for) and waits until it is on the screen.
void ShowQuietly(forms::TForm* form) {
  form->OnShow = nullptr;
  SetCursorPos(1023, 767);  // no control under the pointer: every control in its normal look
  form->Show();
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
}

class ProgramSkin : public ::testing::TestWithParam<WindowCase> {
 protected:
  static void SetUpTestSuite() {
    if (!forms::Application()->Handle()) return;
    CreateForms();
  }
  static void TearDownTestSuite() {
    if (!forms::Application()->Handle()) return;
    DestroyForms();
  }
  void SetUp() override {
    if (!forms::Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_P(ProgramSkin, WindowWearsTheArchiveLook) {
  const WindowCase& c = GetParam();
  forms::TForm* form = c.form();
  ASSERT_NE(form, nullptr);
  // 13 themes over the nine windows, each one ready.
  int themes = 0;
  while (skin::TSkinBuiltInFileTheme* t = BuiltInTheme(form, themes)) {
    EXPECT_TRUE(t->Ready()) << "theme " << themes;
    ++themes;
  }
  EXPECT_EQ(themes, c.themes);
  skin::TSkinBuiltInFileTheme* theme = BuiltInTheme(form, 0);
  ASSERT_NE(theme, nullptr);
  ASSERT_TRUE(theme->Ready());

  ShowQuietly(form);
  // A bar part way through shows both its filled and its empty piece.
  if (auto* progress = dynamic_cast<TProgressForm*>(form)) progress->ProgressBar1->SetPosition(45);
  forms::TBitmap shot;
  Grab(form->Handle(), shot);
  SavePicture(shot, std::string("skin_") + c.name + ".png");
  const forms::TColor key = theme->GetColor(skin::Skin2Color::TransColor);

  // Title bar: the stretched middle section's top rows run along the middle of the bar.
  forms::TBitmap* middle = theme->GetBitmap(skin::Skin2Bitmap::TitleBar2);
  ASSERT_NE(middle, nullptr);
  for (int y : {0, 1, middle->Height() - 1})
    for (int x = shot.Width() * 2 / 5; x < shot.Width() * 3 / 5; x += 7)
      ASSERT_TRUE(Near(shot.GetPixel(x, y), middle->GetPixel(0, y)))
          << "title bar at " << x << "," << y << ": " << std::hex << shot.GetPixel(x, y)
          << " for " << middle->GetPixel(0, y);

  // The close button: frame 16 of the 18 title-bar button frames, in its normal look.
  forms::TBitmap close;
  theme->GetBitmapFrame(skin::Skin2Bitmap::TitleButtons, &close, 16, 18);
  ASSERT_FALSE(close.Empty());
  POINT at = FindPicture(shot, close, middle->Height(), key);
  EXPECT_GE(at.x, shot.Width() / 2) << "no close button of the skin in the title bar";

  // Edits and the tree are framed in the skin's control colour (the lists keep the frame colour
  // their window gives them), the progress bar shows the skin's pieces.
  const forms::TColor border = theme->GetColor(skin::Skin2Color::ControlBorderColor);
  RECT wr{};
  GetWindowRect(form->Handle(), &wr);
  int framed = 0;
  for (forms::TComponent* comp : form->Components()) {
    auto* control = dynamic_cast<forms::TWinControl*>(comp);
    bool has_frame = dynamic_cast<skin::TQzTreeView*>(comp) || dynamic_cast<skin::TSkinEdit*>(comp);
    if (!control || !has_frame || !control->HandleAllocated() ||
        !IsWindowVisible(control->Handle()))
      continue;
    RECT r{};
    GetWindowRect(control->Handle(), &r);
    const int y = (r.top + r.bottom) / 2 - wr.top;
    EXPECT_TRUE(Near(shot.GetPixel(r.left - wr.left, y), border))
        << comp->ClassName() << " " << comp->Name() << ": " << std::hex
        << shot.GetPixel(r.left - wr.left, y);
    ++framed;
  }
  if (auto* progress = dynamic_cast<TProgressForm*>(form)) {
    forms::TBitmap* cap = theme->GetBitmap(skin::Skin2Bitmap::ProgressBar1);
    ASSERT_NE(cap, nullptr);
    RECT r{};
    GetWindowRect(progress->ProgressBar1->Handle(), &r);
    const int y = (r.top + r.bottom) / 2 - wr.top;
    EXPECT_TRUE(Near(shot.GetPixel(r.left - wr.left, y), cap->GetPixel(0, cap->Height() / 2)))
        << std::hex << shot.GetPixel(r.left - wr.left, y);
    ++framed;
  }
  RecordProperty("framed_controls", framed);
  form->Hide();
  WaitUntil([&] { return !IsWindowVisible(form->Handle()); });
}

INSTANTIATE_TEST_SUITE_P(NineWindows, ProgramSkin, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<WindowCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- damaged or missing archive resources --------------------------------------------------

class DamagedSkinResource : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!forms::Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
    module_ = LoadLibraryExA(TOLVANE_DAMAGED_SKIN_DLL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << TOLVANE_DAMAGED_SKIN_DLL;
  }
  void TearDown() override {
    SetSkinResource(nullptr, nullptr);
    if (module_) FreeLibrary(module_);
  }

  // Makes a message box over the resource `name` of `module`, shows it and checks that it is
  // DeepBlue; then destroys it.
  void OpensInDeepBlue(HMODULE module, const char* name) {
    SetSkinResource(module, name);
    auto* box = new TFrmAttention(nullptr);
    skin::TSkinBuiltInFileTheme* theme = BuiltInTheme(box, 0);
    ASSERT_NE(theme, nullptr);
    EXPECT_FALSE(theme->Ready());
    ShowQuietly(box);
    forms::TBitmap shot;
    Grab(box->Handle(), shot);
    if (std::string(name) == "TOLVANE_SKIN") SavePicture(shot, "skin_damaged_message_box.png");
    // DeepBlue's title bar: its middle picture's top row along the middle of the bar.
    forms::TBitmap client;
    skin::LoadStyleBitmap(skin::StyleIndex(skin::TSkinUIStyle::DeepBlue),
                          skin::StyleItem::TitleClient, &client);
    ASSERT_FALSE(client.Empty());
    const int x = shot.Width() / 2;
    EXPECT_TRUE(Near(shot.GetPixel(x, 1), client.GetPixel(0, 1)))
        << std::hex << shot.GetPixel(x, 1) << " for " << client.GetPixel(0, 1);
    delete box;
    Pump(50);
  }

  HMODULE module_ = nullptr;
};

TEST_F(DamagedSkinResource, WindowOpensInDeepBlueLeavingNoFileAndNoGdiObject) {
  // A first window warms the caches that later windows share (fonts, bitmaps of the styles).
  OpensInDeepBlue(module_, "TOLVANE_SKIN");
  const std::set<std::string> files = TempFolderNames();
  const DWORD gdi = GdiObjectCount();
  for (int round = 0; round < 3; ++round) {
    OpensInDeepBlue(module_, "TOLVANE_SKIN");    // deflate data garbled
    OpensInDeepBlue(module_, "TRUNCATED_SKIN");  // cut in half: no archive at all
    OpensInDeepBlue(nullptr, "NO_SUCH_SKIN");    // no resource
  }
  EXPECT_EQ(TempFolderNames(), files);
  EXPECT_LE(GdiObjectCount(), gdi + 2);
}

}  // namespace
