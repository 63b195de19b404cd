// The standard controls in real windows under the X server, driven by posted mouse and key
// messages: a label's accelerator, splitter drags, the shell's folder browser, the wrapped
// edit, combo box, month calendar and time picker, and a picture of them all.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cwctype>
#include <string>

#include "forms/Forms.h"
#include "tests/forms/wine_unmanaged.h"
#include "tests/skin/png_writer.h"

using namespace forms;

namespace {

void Pump() {
  for (int i = 0; i < 5; ++i) {
    Application()->ProcessMessages();
    Sleep(5);
  }
}

class Focusable : public TCustomControl {
 public:
  explicit Focusable(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 20, 20);
  }
};

// A form with a tree-like panel on the left, a splitter and a list-like panel filling the
// rest, as the results window lays them out.
struct SplitForm {
  TForm* form;
  TPanel* tree;
  TSplitter* splitter;
  TPanel* list;
  int moved = 0;
  explicit SplitForm(TAlign side = TAlign::alLeft) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(20, 20, 400, 200);
    tree = new TPanel(form);
    if (side == TAlign::alLeft) tree->SetWidth(137);
    else tree->SetHeight(60);
    tree->SetAlign(side);
    tree->SetParent(form);
    splitter = new TSplitter(form);
    splitter->SetAlign(side);
    if (side == TAlign::alLeft) splitter->SetWidth(6);
    else splitter->SetHeight(6);
    splitter->SetParent(form);
    splitter->OnMoved = [this](TObject*) { ++moved; };
    list = new TPanel(form);
    list->SetAlign(TAlign::alClient);
    list->SetParent(form);
    form->Show();
    Pump();
  }
  ~SplitForm() { delete form; }
  void Drag(POINT from, POINT to) {
    HWND h = form->Handle();
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    Pump();
  }
};

}  // namespace

class StdControls : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(StdControls, LabelAcceleratorFocusesItsFocusControl) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(10, 10, 200, 100);
  auto* first = new Focusable(&form);
  first->SetParent(&form);
  auto* target = new Focusable(&form);
  target->SetLeft(60);
  target->SetParent(&form);
  auto* label = new TLabel(&form);
  label->SetCaption("&Min size:");
  label->SetTop(40);
  label->SetFocusControl(target);
  label->SetParent(&form);
  form.Show();
  Pump();
  ASSERT_TRUE(first->Focused());
  PostMessageA(first->Handle(), WM_SYSCHAR, 'm', 1 << 29);
  Pump();
  EXPECT_TRUE(target->Focused());
  // Without accelerators the letter does nothing.
  first->SetFocus();
  label->SetShowAccelChar(false);
  PostMessageA(first->Handle(), WM_SYSCHAR, 'm', 1 << 29);
  Pump();
  EXPECT_TRUE(first->Focused());
}

TEST_F(StdControls, DraggingASplitterResizesTheControlBesideIt) {
  SplitForm f;
  ASSERT_EQ(f.splitter->Left(), 137);
  f.Drag(POINT{140, 50}, POINT{180, 60});
  EXPECT_EQ(f.tree->Width(), 177);
  EXPECT_EQ(f.splitter->Left(), 177);
  EXPECT_EQ(f.list->Left(), 183);
  EXPECT_EQ(f.list->Width(), 400 - 183);
  EXPECT_EQ(f.moved, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(f.splitter->Dragging());
  // The list beside it gets its clicks again once the drag is over.
  int list_clicks = 0;
  f.list->OnClick = [&](TObject*) { ++list_clicks; };
  PostMessageA(f.list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageA(f.list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  Pump();
  EXPECT_EQ(list_clicks, 1);
}

TEST_F(StdControls, SplitterDragStopsAtMinSizeOnBothSides) {
  SplitForm f;
  f.Drag(POINT{140, 50}, POINT{-300, 50});
  EXPECT_EQ(f.tree->Width(), 30);
  f.Drag(POINT{32, 50}, POINT{1000, 50});
  EXPECT_EQ(f.tree->Width(), 400 - 6 - 30);
  EXPECT_EQ(f.list->Width(), 30);
  EXPECT_EQ(f.moved, 2);
}

TEST_F(StdControls, OnlyAPressedSplitterFollowsTheMouse) {
  SplitForm f;
  HWND h = f.form->Handle();
  PostMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(140, 50));
  PostMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(250, 50));
  Pump();
  EXPECT_EQ(f.tree->Width(), 137);
  // A click without a move changes nothing and reports nothing.
  f.Drag(POINT{140, 50}, POINT{140, 50});
  EXPECT_EQ(f.tree->Width(), 137);
  EXPECT_EQ(f.moved, 0);
  EXPECT_FALSE(f.splitter->Dragging());
  EXPECT_EQ(f.splitter->Cursor(), crHSplit);
}

TEST_F(StdControls, TopSplitterResizesTheControlAboveItVertically) {
  SplitForm f(TAlign::alTop);
  ASSERT_EQ(f.splitter->Top(), 60);
  EXPECT_EQ(f.splitter->Cursor(), crVSplit);
  f.Drag(POINT{100, 62}, POINT{100, 100});
  EXPECT_EQ(f.tree->Height(), 98);
  EXPECT_EQ(f.tree->Width(), 400);
  EXPECT_EQ(f.list->Top(), 104);
  EXPECT_EQ(f.moved, 1);
}

namespace {

// Drives the shell's dialog as a user would: once it is up (one tick to let it fill its
// tree), selects a folder, then presses OK; or presses Cancel.
struct BrowserRobot {
  static inline std::wstring folder;
  static inline bool press_ok = true;
  static inline int ticks_seen = 0;
  static BOOL CALLBACK FindDialog(HWND wnd, LPARAM out) {
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    if (IsWindowVisible(wnd) && std::string(cls) == "#32770") {
      *reinterpret_cast<HWND*>(out) = wnd;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    ++ticks_seen;
    if (!press_ok) {
      KillTimer(nullptr, id);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else if (ticks_seen == 2) {
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    } else if (ticks_seen == 3) {
      KillTimer(nullptr, id);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  }
};

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  while (!s.empty() && s.back() == L'\\') s.pop_back();
  return s;
}

}  // namespace

TEST_F(StdControls, TheShellsFolderBrowserReturnsTheFolderTheUserPicks) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  std::wstring before = std::wstring(temp) + L"tolvane-browse-a";
  std::wstring picked = std::wstring(temp) + L"tolvane-browse-b";
  CreateDirectoryW(before.c_str(), nullptr);
  CreateDirectoryW(picked.c_str(), nullptr);
  TForm owner(nullptr);
  owner.SetBounds(10, 10, 200, 100);
  owner.Show();
  Pump();

  // The folder chosen last time is where the dialog opens; the user picks another.
  BrowserRobot::folder = picked;
  BrowserRobot::press_ok = true;
  BrowserRobot::ticks_seen = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 150, BrowserRobot::Tick);
  std::string dir(before.begin(), before.end());
  bool chosen = SelectDirectory("Select a Folder", "", dir, owner.Handle());
  KillTimer(nullptr, timer);
  ASSERT_GE(BrowserRobot::ticks_seen, 3);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(Lower(std::wstring(dir.begin(), dir.end())), Lower(picked));

  BrowserRobot::press_ok = false;
  BrowserRobot::ticks_seen = 0;
  timer = SetTimer(nullptr, 0, 150, BrowserRobot::Tick);
  std::string kept = dir;
  EXPECT_FALSE(SelectDirectory("Select a Folder", "", dir, owner.Handle()));
  KillTimer(nullptr, timer);
  EXPECT_GE(BrowserRobot::ticks_seen, 1);
  EXPECT_EQ(dir, kept);
  RemoveDirectoryW(before.c_str());
  RemoveDirectoryW(picked.c_str());
}

namespace {

// What the window shows on the screen, copied from its DC.
void Snapshot(TWinControl* w, TBitmap& out) {
  RECT r;
  GetClientRect(w->Handle(), &r);
  out.SetSize(r.right, r.bottom);
  HDC dc = GetDC(w->Handle());
  BitBlt(out.Canvas().Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(w->Handle(), dc);
}

// A 40 x 40 picture: a blue disc with a white mark on the magenta key colour.
void DiscPicture(TBitmap& b) {
  b.SetSize(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      int dx = x - 20, dy = y - 20;
      TColor c = clFuchsia;
      if (dx * dx + dy * dy < 18 * 18) c = 0xC07020;
      if (dx * dx + dy * dy < 18 * 18 && x >= 18 && x < 22 && y >= 8 && y < 32) c = clWhite;
      b.SetPixel(x, y, c);
    }
}

}  // namespace

TEST_F(StdControls, GalleryOfTheStandardControls) {
  constexpr TColor kBand = 14935011;  // the header band's colour of the start window
  constexpr TColor kTitle = 7295296;
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(0, 0, 560, 330);
  form.SetColor(14735055);
  auto* side = new TPanel(&form);
  side->SetBevelOuter(TBevelCut::bvNone);
  side->SetColor(0xF0E6DC);
  side->SetWidth(137);
  side->SetAlign(TAlign::alLeft);
  side->SetParent(&form);
  auto* split = new TSplitter(&form);
  split->SetWidth(6);
  split->SetBeveled(true);
  split->SetParent(&form);
  auto* area = new TPanel(&form);
  area->SetBevelOuter(TBevelCut::bvNone);
  area->SetAlign(TAlign::alClient);
  area->SetParent(&form);

  auto* sideLabel = new TLabel(&form);
  sideLabel->SetBounds(6, 8, 125, 60);
  sideLabel->SetAutoSize(false);
  sideLabel->SetWordWrap(true);
  sideLabel->SetCaption("A wrapped label in a panel that a splitter resizes.");
  sideLabel->SetParent(side);
  auto* disabled = new TLabel(&form);
  disabled->SetBounds(6, 80, 100, 16);
  disabled->SetCaption("Disabled label");
  disabled->SetEnabled(false);
  disabled->SetParent(side);

  auto* band = new TPanel(&form);
  band->SetBevelOuter(TBevelCut::bvNone);
  band->SetColor(kBand);
  band->SetBounds(0, 0, 417, 87);
  band->SetParent(area);
  auto* title = new TLabel(&form);
  title->SetBounds(3, 11, 10, 10);
  title->Font().SetHeight(-19);
  title->Font().SetStyle(fsBold);
  title->Font().SetColor(kTitle);
  title->SetTransparent(true);
  title->SetCaption("Tolvane");
  title->SetParent(band);
  auto* banner = new TLabel(&form);
  banner->SetAutoSize(false);
  banner->SetBounds(10, 42, 316, 31);
  banner->SetWordWrap(true);
  banner->SetTransparent(true);
  banner->SetCaption("Finds deleted files and folders on FAT and NTFS volumes and copies them elsewhere.");
  banner->SetParent(band);
  auto* image = new TImage(&form);
  image->SetBounds(350, 20, 40, 40);
  image->SetAutoSize(true);
  image->SetTransparent(true);
  DiscPicture(*image->Picture().Bitmap());
  image->SetParent(band);
  auto* stretched = new TImage(&form);
  stretched->SetBounds(300, 130, 110, 60);
  stretched->SetTransparent(true);
  stretched->SetStretch(true);
  stretched->SetProportional(true);
  stretched->SetCenter(true);
  DiscPicture(*stretched->Picture().Bitmap());
  stretched->SetParent(area);
  auto* right = new TLabel(&form);
  right->SetAutoSize(false);
  right->SetBounds(10, 100, 300, 16);
  right->SetAlignment(TAlignment::taRightJustify);
  right->SetCaption("Right-aligned, &accelerator underlined");
  right->SetParent(area);

  form.Show();
  Pump();
  TBitmap shot;
  Snapshot(&form, shot);
  CreateDirectoryA("..\\tests", nullptr);
  CreateDirectoryA("..\\tests\\artifacts", nullptr);
  EXPECT_TRUE(tolvane_test::WritePng(shot, "..\\tests\\artifacts\\std_controls.png"));
  // The transparent title shows the band under it, the transparent image leaves its key out.
  EXPECT_EQ(shot.GetPixel(143 + 350 + 1, 20 + 1), kBand);
  EXPECT_EQ(shot.GetPixel(143 + 350 + 20, 20 + 20), 0xFFFFFF);
  EXPECT_EQ(shot.GetPixel(143 + 350 + 10, 20 + 20), 0xC07020);
}
