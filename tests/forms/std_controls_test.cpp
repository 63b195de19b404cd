// The standard controls in real windows under the X server, driven by posted mouse and key
// messages: a label's accelerator, splitter drags, the shell's folder browser, the wrapped
// edit, combo box, month calendar and time picker, and a picture of them all.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cwctype>
#include <string>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;

namespace {

using tolvane_test::Pump;
using tolvane_test::Type;

// What the window shows on the screen, copied from its DC.
void Snapshot(TWinControl* w, TBitmap& out) {
  RECT r;
  GetClientRect(w->Handle(), &r);
  out.SetSize(r.right, r.bottom);
  HDC dc = GetDC(w->Handle());
  BitBlt(out.Canvas().Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(w->Handle(), dc);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
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

TEST_F(StdControls, AGrandchildsHandleAskedForFirstMakesEachWindowOnce) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(10, 10, 200, 100);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* edit = new TEdit(&form);
  edit->SetParent(panel);
  // The edit's handle needs the panel's, which needs the form's, which makes its children.
  HWND e = edit->Handle();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(GetParent(e), panel->Handle());
  EXPECT_EQ(GetParent(panel->Handle()), form.Handle());
  int windows = 0;
  EnumChildWindows(form.Handle(), CountWindow, reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 2);
  // Shown, every window gets painted and the queue runs dry (an orphan window would ask to
  // be painted for ever).
  form.Show();
  int handled = 0;
  for (; handled < 1000 && Application()->ProcessMessage(); ++handled) {
  }
  EXPECT_LT(handled, 1000);
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

// Drives the shell's dialog as a user would: waits until its tree shows the folder the dialog
// opened at (the shell fills and selects it some time after the dialog is up, much later on a
// busy machine: it reads every drive it lists), selects another folder, waits until the tree
// shows that one, then presses OK; or presses Cancel. Each of the two waits has a deadline of
// its own, stretched with the machine's load; a dialog that never gets there is cancelled, so
// the test fails, not hangs, and says what the tree showed last.
struct BrowserRobot {
  static inline std::wstring opened_at;  // leaf names, as the tree shows them
  static inline std::wstring folder;
  static inline bool press_ok = true;
  static inline int ticks_seen = 0;
  static inline int stage = 0;
  static inline std::wstring last_shown;  // the tree's selected item at the last look
  static inline std::chrono::steady_clock::time_point stage_end;
  static void Start(bool ok) {
    press_ok = ok;
    ticks_seen = 0;
    stage = 0;
    last_shown.clear();
  }
  static void NextStage() {
    stage_end = std::chrono::steady_clock::now() +
                std::chrono::milliseconds(tolvane_test::Scaled(30000));
  }
  static BOOL CALLBACK FindDialog(HWND wnd, LPARAM out) {
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    if (IsWindowVisible(wnd) && std::string(cls) == "#32770") {
      *reinterpret_cast<HWND*>(out) = wnd;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK FindTree(HWND wnd, LPARAM out) {
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    if (std::string(cls) == "SysTreeView32") {
      *reinterpret_cast<HWND*>(out) = wnd;
      return FALSE;
    }
    return TRUE;
  }
  static bool TreeShows(HWND dialog, const std::wstring& leaf) {
    HWND tree = nullptr;
    EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&tree));
    if (!tree) return false;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return false;
    wchar_t text[MAX_PATH] = L"";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return false;
    last_shown = text;
    return _wcsicmp(text, leaf.c_str()) == 0;
  }
  static std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
  }
  static void SelectSibling(HWND dialog, const std::wstring& leaf) {
    HWND tree = nullptr;
    EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&tree));
    if (!tree) return;
    auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    auto parent = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(caret)));
    if (!caret || !parent) return;
    for (auto item = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         item; item = reinterpret_cast<HTREEITEM>(
                   SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
      if (_wcsicmp(ItemText(tree, item).c_str(), leaf.c_str()) == 0) {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        return;
      }
    }
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    if (++ticks_seen == 1) NextStage();
    if (!press_ok || std::chrono::steady_clock::now() > stage_end) {
      KillTimer(nullptr, id);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else if (stage == 0 && TreeShows(dialog, opened_at)) {
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
      stage = 1;
      NextStage();
    } else if (stage == 1 && TreeShows(dialog, folder.substr(folder.rfind(L'\\') + 1))) {
      KillTimer(nullptr, id);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else if (stage == 1 && ticks_seen % 20 == 0) {
      // Still elsewhere after a few seconds (Wine's dialog can let the program's selection
      // pass on a loaded machine): the user clicks the folder beside the one shown.
      SelectSibling(dialog, folder.substr(folder.rfind(L'\\') + 1));
    }
  }
};

// Wine's folder browser finds the folder it is told to select by comparing the shell's item
// ids byte for byte, and an id carries the folder's last-access time to two seconds. The host
// moves a fresh folder's access time at its first read after a change, so an id made before
// that read may not match the tree's, and the dialog stays at the Desktop. An access time
// ahead of the folder's last change is one the host leaves alone.
void SettleAccessTime(const std::wstring& folder) {
  HANDLE h = CreateFileW(folder.c_str(), FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER later{};
  later.LowPart = now.dwLowDateTime;
  later.HighPart = now.dwHighDateTime;
  later.QuadPart += 3600ull * 10000000ull;  // an hour ahead
  FILETIME access{later.LowPart, later.HighPart};
  EXPECT_TRUE(SetFileTime(h, nullptr, &access, nullptr));
  CloseHandle(h);
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  while (!s.empty() && s.back() == L'\\') s.pop_back();
  return s;
}

}  // namespace

TEST_F(StdControls, TheShellsFolderBrowserReturnsTheFolderTheUserPicks) {
  // A folder of their own near the root: the temporary folder fills up with what other tests
  // leave there, and the shell then takes longer to fill its tree than a user would wait.
  wchar_t drive[8] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"SystemDrive", drive, 8), 0u);
  std::wstring base = std::wstring(drive) + L"\\tolvane-browse";
  std::wstring before = base + L"\\tolvane-browse-a";
  std::wstring picked = base + L"\\tolvane-browse-b";
  CreateDirectoryW(base.c_str(), nullptr);
  CreateDirectoryW(before.c_str(), nullptr);
  CreateDirectoryW(picked.c_str(), nullptr);
  for (const std::wstring& folder : {base, before, picked}) SettleAccessTime(folder);
  TForm owner(nullptr);
  owner.SetBounds(10, 10, 200, 100);
  owner.Show();
  Pump();

  // The folder chosen last time is where the dialog opens; the user picks another.
  BrowserRobot::opened_at = L"tolvane-browse-a";
  BrowserRobot::folder = picked;
  BrowserRobot::Start(true);
  UINT_PTR timer = SetTimer(nullptr, 0, 150, BrowserRobot::Tick);
  std::string dir(before.begin(), before.end());
  bool chosen = SelectDirectory("Select a Folder", "", dir, owner.Handle());
  KillTimer(nullptr, timer);
  const std::string shown(BrowserRobot::last_shown.begin(), BrowserRobot::last_shown.end());
  ASSERT_EQ(BrowserRobot::stage, 1) << "the dialog did not open at the folder chosen last time; "
                                    << "its tree showed \"" << shown << "\"";
  ASSERT_TRUE(chosen) << "its tree showed \"" << shown << "\"";
  EXPECT_EQ(Lower(std::wstring(dir.begin(), dir.end())), Lower(picked));

  BrowserRobot::Start(false);
  timer = SetTimer(nullptr, 0, 150, BrowserRobot::Tick);
  std::string kept = dir;
  EXPECT_FALSE(SelectDirectory("Select a Folder", "", dir, owner.Handle()));
  KillTimer(nullptr, timer);
  EXPECT_GE(BrowserRobot::ticks_seen, 1);
  EXPECT_EQ(dir, kept);
  RemoveDirectoryW(before.c_str());
  RemoveDirectoryW(picked.c_str());
  RemoveDirectoryW(base.c_str());
}

namespace {

void Key(HWND wnd, WORD vk) {
  PostMessageA(wnd, WM_KEYDOWN, vk, 1);
  PostMessageA(wnd, WM_KEYUP, vk, 1 | (3u << 30));
  Pump();
}

void Click(HWND wnd, int x, int y) {
  PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Pump();
}

struct EditForm {
  TForm form{nullptr};
  TEdit* edit;
  TEdit* other;
  int changes = 0;
  EditForm() {
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(10, 10, 300, 120);
    edit = new TEdit(&form);
    edit->SetBounds(10, 10, 150, 21);
    edit->SetParent(&form);
    edit->OnChange = [this](TObject*) { ++changes; };
    other = new TEdit(&form);
    other->SetBounds(10, 50, 150, 21);
    other->SetParent(&form);
    form.Show();
    Pump();
    edit->SetFocus();
    Pump();
  }
};

}  // namespace

TEST_F(StdControls, TypedTextReachesTheEditAndEachChangeIsReported) {
  EditForm f;
  ASSERT_TRUE(f.edit->Focused());
  Type(f.edit->Handle(), "abc");
  EXPECT_EQ(f.edit->Text(), "abc");
  EXPECT_EQ(f.changes, 3);
  Type(f.edit->Handle(), "\b");
  EXPECT_EQ(f.edit->Text(), "ab");
  EXPECT_EQ(f.changes, 4);
  // Text set in code is a change as well, and the window shows it.
  f.edit->SetText("12");
  EXPECT_EQ(f.changes, 5);
  char shown[16] = "";
  GetWindowTextA(f.edit->Handle(), shown, sizeof(shown));
  EXPECT_STREQ(shown, "12");
}

TEST_F(StdControls, MaxLengthCutsTypingAndReadOnlyRefusesIt) {
  EditForm f;
  f.edit->SetMaxLength(10);
  Type(f.edit->Handle(), "123456789012345");
  EXPECT_EQ(f.edit->Text(), "1234567890");
  EXPECT_EQ(f.changes, 10);
  f.edit->SetText("");
  f.changes = 0;
  f.edit->SetReadOnly(true);
  Type(f.edit->Handle(), "xyz");
  EXPECT_EQ(f.edit->Text(), "");
  EXPECT_EQ(f.changes, 0);
  f.edit->SetReadOnly(false);
  Type(f.edit->Handle(), "xyz");
  EXPECT_EQ(f.edit->Text(), "xyz");
}

TEST_F(StdControls, AChangeHandlerCanPutTheLastGoodTextBack) {
  // The filter dialog's size edits take digits only: a handler that refuses a text puts the
  // last accepted one back from inside OnChange and sends End so the caret goes last.
  EditForm f;
  std::string accepted;
  f.edit->OnChange = [&](TObject*) {
    ++f.changes;
    const std::string& t = f.edit->Text();
    if (t.find_first_not_of("0123456789") == std::string::npos) {
      accepted = t;
      return;
    }
    f.edit->SetText(accepted);
    PostMessageA(f.edit->Handle(), WM_KEYDOWN, VK_END, 1);
    PostMessageA(f.edit->Handle(), WM_KEYUP, VK_END, 1 | (3u << 30));
  };
  Type(f.edit->Handle(), "12");
  f.edit->SetSelStart(1);
  Type(f.edit->Handle(), "x");
  EXPECT_EQ(f.edit->Text(), "12");
  EXPECT_EQ(f.edit->SelStart(), 2);
  Type(f.edit->Handle(), "3");
  EXPECT_EQ(f.edit->Text(), "123");
}

TEST_F(StdControls, AnAccentedLetterTypedArrivesInTheAnsiText) {
  if (GetACP() != 1252) GTEST_SKIP() << "the check is written for the Western code page";
  EditForm f;
  Type(f.edit->Handle(), "caf\xe9");
  EXPECT_EQ(f.edit->Text(), "caf\xe9");
}

TEST_F(StdControls, SelectionCanBeReadAndReplaced) {
  EditForm f;
  f.edit->SetText("hello world");
  f.edit->SetSelStart(6);
  f.edit->SetSelLength(5);
  EXPECT_EQ(f.edit->SelStart(), 6);
  EXPECT_EQ(f.edit->SelText(), "world");
  f.edit->SetSelText("there");
  EXPECT_EQ(f.edit->Text(), "hello there");
  f.edit->SelectAll();
  EXPECT_EQ(f.edit->SelLength(), 11);
  // Typing replaces the selection, as in any edit.
  Type(f.edit->Handle(), "Z");
  EXPECT_EQ(f.edit->Text(), "Z");
  // Tabbing into an edit selects its text.
  f.other->SetText("other text");
  Key(f.edit->Handle(), VK_TAB);
  EXPECT_TRUE(f.other->Focused());
  EXPECT_EQ(f.other->SelLength(), 10);
}

TEST_F(StdControls, AnEditTakesPlainLettersThatALabelUsesAsAccelerator) {
  EditForm f;
  auto* label = new TLabel(&f.form);
  label->SetCaption("&Min size:");
  label->SetTop(90);
  label->SetFocusControl(f.other);
  label->SetParent(&f.form);
  Type(f.edit->Handle(), "m");
  EXPECT_TRUE(f.edit->Focused());
  EXPECT_EQ(f.edit->Text(), "m");
  // Alt+M is the label's.
  PostMessageA(f.edit->Handle(), WM_SYSCHAR, 'm', 1 << 29);
  Pump();
  EXPECT_TRUE(f.other->Focused());
}

TEST_F(StdControls, TextAndSelectionSurviveARecreatedEditWindow) {
  EditForm f;
  f.edit->SetAutoSelect(false);  // the new window gets the focus back
  Type(f.edit->Handle(), "typed");
  f.edit->SetSelStart(1);
  f.edit->SetSelLength(2);
  HWND old = f.edit->Handle();
  f.edit->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_NE(f.edit->Handle(), old);
  char shown[16] = "";
  GetWindowTextA(f.edit->Handle(), shown, sizeof(shown));
  EXPECT_STREQ(shown, "typed");
  EXPECT_EQ(f.edit->SelText(), "yp");
  f.edit->SetPasswordChar('*');
  EXPECT_EQ(SendMessageA(f.edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(f.edit->Text(), "typed");
}

TEST_F(StdControls, EditColoursComeFromColorAndFont) {
  EditForm f;
  f.edit->SetColor(0x00FFFF);
  f.edit->Font().SetColor(0x0000C0);
  f.edit->SetText("WWWW");
  Pump();
  UpdateWindow(f.form.Handle());
  TBitmap shot;
  Snapshot(&f.form, shot);
  // Inside the client edge, beyond the text.
  EXPECT_EQ(shot.GetPixel(10 + 140, 10 + 10), 0x00FFFF);
  int text_pixels = 0;
  for (int x = 12; x < 60; ++x)
    for (int y = 12; y < 29; ++y) text_pixels += shot.GetPixel(x, y) == 0x0000C0;
  EXPECT_GT(text_pixels, 0);
}

namespace {

struct ComboForm {
  TForm form{nullptr};
  TComboBox* combo;
  int selects = 0, changes = 0, closeups = 0;
  explicit ComboForm(TComboBoxStyle style) {
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(10, 10, 300, 200);
    combo = new TComboBox(&form);
    combo->SetStyle(style);
    combo->SetBounds(10, 10, 150, 21);
    combo->Items().Assign({"Alpha", "Beta", "Gamma", "Delta"});
    combo->SetParent(&form);
    combo->OnSelect = [this](TObject*) { ++selects; };
    combo->OnChange = [this](TObject*) { ++changes; };
    combo->OnCloseUp = [this](TObject*) { ++closeups; };
    form.Show();
    Pump();
    combo->SetFocus();
    Pump();
  }
};

}  // namespace

TEST_F(StdControls, ArrowKeysInADropDownListSelectAndReport) {
  ComboForm f(TComboBoxStyle::csDropDownList);
  EXPECT_EQ(f.combo->ItemIndex(), -1);
  Key(f.combo->Handle(), VK_DOWN);
  EXPECT_EQ(f.combo->ItemIndex(), 0);
  EXPECT_EQ(f.combo->Text(), "Alpha");
  Key(f.combo->Handle(), VK_DOWN);
  EXPECT_EQ(f.combo->ItemIndex(), 1);
  EXPECT_EQ(f.combo->Text(), "Beta");
  EXPECT_EQ(f.selects, 2);
  EXPECT_EQ(f.changes, 2);
  // Chosen in code: the text follows, no event.
  f.combo->SetItemIndex(3);
  EXPECT_EQ(f.combo->Text(), "Delta");
  EXPECT_EQ(f.selects, 2);
}

TEST_F(StdControls, ClickingAnItemOfTheDroppedListSelectsIt) {
  ComboForm f(TComboBoxStyle::csDropDownList);
  f.combo->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(f.combo->DroppedDown());
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(f.combo->Handle(), &info));
  RECT item{};
  SendMessageA(info.hwndList, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  // The dropped list shows every item: DropDownCount is 8.
  RECT list;
  GetClientRect(info.hwndList, &list);
  EXPECT_GE(list.bottom, 4 * (item.bottom - item.top));
  POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  PostMessageA(info.hwndList, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  Click(info.hwndList, p.x, p.y);
  EXPECT_FALSE(f.combo->DroppedDown());
  EXPECT_EQ(f.combo->ItemIndex(), 2);
  EXPECT_EQ(f.combo->Text(), "Gamma");
  EXPECT_EQ(f.selects, 1);
  EXPECT_EQ(f.closeups, 1);
}

TEST_F(StdControls, TypingIntoADropDownComboChangesItsText) {
  ComboForm f(TComboBoxStyle::csDropDown);
  f.combo->SetMaxLength(4);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(f.combo->Handle(), &info));
  Type(info.hwndItem, "Gammas");
  EXPECT_EQ(f.combo->Text(), "Gamm");
  EXPECT_EQ(f.changes, 4);
  EXPECT_EQ(f.selects, 0);
}

TEST_F(StdControls, ItemsAndSelectionSurviveAStyleChange) {
  ComboForm f(TComboBoxStyle::csDropDown);
  f.combo->SetItemIndex(1);
  f.combo->SetStyle(TComboBoxStyle::csDropDownList);
  EXPECT_EQ(SendMessageA(f.combo->Handle(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(f.combo->ItemIndex(), 1);
  EXPECT_EQ(f.combo->Text(), "Beta");
  f.combo->SetSorted(true);
  EXPECT_EQ(f.combo->Items().Strings(0), "Alpha");
  EXPECT_EQ(f.combo->Items().Strings(1), "Beta");
  EXPECT_EQ(f.combo->Items().Strings(2), "Delta");
  EXPECT_EQ(f.combo->Text(), "Beta");
  EXPECT_EQ(f.combo->Items().Add("Charlie"), 2);
  char text[16] = "";
  SendMessageA(f.combo->Handle(), CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Charlie");
  f.combo->SetText("gamma");
  EXPECT_EQ(f.combo->ItemIndex(), 4);
  // Deleting the selected item of a drop-down list takes its text along; another does not.
  f.combo->Items().Delete(0);
  EXPECT_EQ(f.combo->Text(), "Gamma");
  f.combo->Items().Delete(f.combo->ItemIndex());
  EXPECT_EQ(f.combo->ItemIndex(), -1);
  EXPECT_EQ(f.combo->Text(), "");
}

namespace {

SYSTEMTIME Day(int y, int m, int d) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(m);
  t.wDay = static_cast<WORD>(d);
  return t;
}

// The point of the calendar where day `d` of the shown month is drawn.
bool FindDay(HWND cal, const SYSTEMTIME& day, POINT& out) {
  RECT r;
  GetClientRect(cal, &r);
  for (int y = 0; y < r.bottom; y += 2)
    for (int x = 0; x < r.right; x += 2) {
      MCHITTESTINFO hit{};
      hit.cbSize = sizeof(hit);
      hit.pt = POINT{x, y};
      SendMessageA(cal, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.uHit == MCHT_CALENDARDATE && hit.st.wYear == day.wYear &&
          hit.st.wMonth == day.wMonth && hit.st.wDay == day.wDay) {
        out = POINT{x + 3, y + 3};
        return true;
      }
    }
  return false;
}

}  // namespace

TEST_F(StdControls, ADayClickedOnTheCalendarIsItsDate) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(10, 10, 300, 250);
  auto* cal = new TMonthCalendar(&form);
  cal->SetBounds(10, 10, 230, 170);
  cal->SetDate(Day(2007, 9, 4));
  cal->SetParent(&form);
  int clicks = 0, changes = 0;
  cal->OnClick = [&](TObject*) { ++clicks; };
  cal->OnChange = [&](TObject*) { ++changes; };
  form.Show();
  Pump();
  EXPECT_EQ(cal->Date().wDay, 4);
  POINT p;
  ASSERT_TRUE(FindDay(cal->Handle(), Day(2007, 9, 20), p));
  Click(cal->Handle(), p.x, p.y);
  SYSTEMTIME d = cal->Date();
  EXPECT_EQ(d.wYear, 2007);
  EXPECT_EQ(d.wMonth, 9);
  EXPECT_EQ(d.wDay, 20);
  EXPECT_GE(clicks, 1);
  EXPECT_GE(changes, 1);
  // A day that does not exist is refused; the date stays.
  cal->SetDate(Day(2007, 2, 30));
  EXPECT_EQ(cal->Date().wDay, 20);
}

TEST_F(StdControls, TheTimePickerReportsATimeChangedByTheKeyboard) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(10, 10, 300, 100);
  auto* picker = new TDateTimePicker(&form);
  picker->SetKind(TDateTimeKind::dtkTime);
  picker->SetBounds(10, 10, 120, 21);
  SYSTEMTIME t = Day(2007, 9, 4);
  t.wHour = 10;
  t.wMinute = 20;
  t.wSecond = 30;
  picker->SetDateTime(t);
  picker->SetParent(&form);
  int changes = 0;
  picker->OnChange = [&](TObject*) { ++changes; };
  form.Show();
  Pump();
  picker->SetFocus();
  Pump();
  // The first field (the hour) is where a click at the left edge goes.
  Click(picker->Handle(), 6, 10);
  Key(picker->Handle(), VK_UP);
  SYSTEMTIME now = picker->Time();
  EXPECT_EQ(now.wHour, 11);
  EXPECT_EQ(now.wMinute, 20);
  EXPECT_EQ(changes, 1);
  // The date half is kept.
  EXPECT_EQ(picker->Date().wDay, 4);
}

namespace {

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
  form.SetBounds(0, 0, 660, 390);
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
  band->SetBounds(0, 0, 517, 87);
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
  image->SetBounds(450, 20, 40, 40);
  image->SetAutoSize(true);
  image->SetTransparent(true);
  DiscPicture(*image->Picture().Bitmap());
  image->SetParent(band);
  auto* stretched = new TImage(&form);
  stretched->SetBounds(390, 100, 110, 60);
  stretched->SetTransparent(true);
  stretched->SetStretch(true);
  stretched->SetProportional(true);
  stretched->SetCenter(true);
  DiscPicture(*stretched->Picture().Bitmap());
  stretched->SetParent(area);
  auto* right = new TLabel(&form);
  right->SetAutoSize(false);
  right->SetBounds(200, 360, 300, 16);
  right->SetAlignment(TAlignment::taRightJustify);
  right->SetCaption("Right-aligned, &accelerator underlined");
  right->SetParent(area);

  auto* createdLabel = new TLabel(&form);
  createdLabel->SetBounds(10, 103, 10, 10);
  createdLabel->SetCaption("File created from:");
  createdLabel->SetParent(area);
  auto* created = new TEdit(&form);
  created->SetBounds(120, 100, 150, 21);
  created->SetText(" 2007-09-04 08:05:03");
  created->SetReadOnly(true);
  created->SetParent(area);
  auto* sizeLabel = new TLabel(&form);
  sizeLabel->SetBounds(10, 133, 10, 10);
  sizeLabel->SetCaption("&Min size:");
  sizeLabel->SetParent(area);
  auto* size = new TEdit(&form);
  size->SetBounds(120, 130, 100, 21);
  size->SetMaxLength(10);
  size->SetColor(0xE0FFFF);
  size->Font().SetColor(0x8B0000);
  size->SetText("1048576");
  size->SetParent(area);
  sizeLabel->SetFocusControl(size);
  auto* bytes = new TLabel(&form);
  bytes->SetBounds(226, 133, 10, 10);
  bytes->SetCaption("bytes");
  bytes->SetParent(area);
  auto* styleLabel = new TLabel(&form);
  styleLabel->SetBounds(10, 163, 10, 10);
  styleLabel->SetCaption("Style:");
  styleLabel->SetParent(area);
  auto* combo = new TComboBox(&form);
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  combo->SetBounds(120, 160, 150, 21);
  combo->Items().Assign({"MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"});
  combo->SetItemIndex(2);
  combo->SetParent(area);
  auto* calendar = new TMonthCalendar(&form);
  calendar->SetLeft(10);
  calendar->SetTop(195);
  calendar->SetParent(area);
  SIZE need = calendar->MinimumSize();
  calendar->SetBounds(10, 195, need.cx, need.cy);
  SYSTEMTIME day{};
  day.wYear = 2007;
  day.wMonth = 9;
  day.wDay = 4;
  calendar->SetDate(day);
  auto* time = new TDateTimePicker(&form);
  time->SetKind(TDateTimeKind::dtkTime);
  time->SetBounds(20 + need.cx, 195, 110, 21);
  SYSTEMTIME at = day;
  at.wHour = 8;
  at.wMinute = 5;
  at.wSecond = 3;
  time->SetDateTime(at);
  time->SetParent(area);

  form.Show();
  Pump();
  size->SetFocus();
  Pump();
  TBitmap shot;
  Snapshot(&form, shot);
  tolvane_test::SavePicture(shot, "std_controls.png");
  // The transparent title shows the band under it, the transparent image leaves its key out.
  EXPECT_EQ(shot.GetPixel(143 + 450 + 1, 20 + 1), kBand);
  EXPECT_EQ(shot.GetPixel(143 + 450 + 20, 20 + 20), 0xFFFFFF);
  EXPECT_EQ(shot.GetPixel(143 + 450 + 10, 20 + 20), 0xC07020);
  // The edit's own colour inside its edge, and the calendar drawn by the system over the
  // panel's colour.
  EXPECT_EQ(shot.GetPixel(143 + 120 + 95, 130 + 10), 0xE0FFFF);
  EXPECT_NE(shot.GetPixel(143 + 10 + need.cx / 2, 195 + need.cy / 2), area->Color());
}
