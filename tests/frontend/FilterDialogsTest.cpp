// The filter dialog, the find dialog and the date picker, created in this test's process as the
// program creates them and driven as a user drives them (typed characters, clicks through the
// system's input queue, keys in the month calendar) by a robot thread while the GUI thread sits
// in the dialogs' modal loops, in a Wine prefix whose F: drive is the FAT32 demo volume. Writes
// filter_dialog.png, find_dialog.png, date_picker.png, date_picker_<user locale>.png and
// no_hits.png to tests/artifacts/.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/scavrel_api.h"
#include "frontend/LangFile.h"
#include "frontend/SharedState.h"
#include "frontend/TextRoutines.h"
#include "frontend/win/EngineCalls.h"
#include "frontend/win/UnitFind.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmCalendar.h"
#include "frontend/win/UnitFrmSetting.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/VardeckMain.h"
#include "tests/engine/fat_manifest.h"
#include "tests/frontend/ResultsRobot.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace vardeck;
using tolvane_test::Flush;
using tolvane_test::Press;
using tolvane_test::Robot;
using tolvane_test::Shoot;
using tolvane_test::Type;
using tolvane_test::WaitFor;
using tolvane_test::WaitReady;
using tolvane_test::WaitUntil;

namespace {

constexpr const char* kFatDrive = "F:\\";
constexpr uint64_t kTicksPerDay = 864000000000ull;
// 2010-01-01 12:00 UTC, the time the demo volume's builder gives every file.
constexpr uint64_t kDemoFileTime = 129068208000000000ull;

// ---- what the robot does from its own thread ------------------------------------------------

// What a press waits for: a window shown, or gone.
std::function<bool()> Shown(HWND wnd) {
  return [wnd] { return IsWindowVisible(wnd) != FALSE; };
}
std::function<bool()> Hidden(HWND wnd) {
  return [wnd] { return !IsWindowVisible(wnd); };
}

// The day the month calendar has selected; false when it did not say.
bool SelectedDay(HWND month, SYSTEMTIME& day) {
  DWORD_PTR got = 0;
  return SendMessageTimeoutA(month, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day), SMTO_BLOCK,
                             5000, &got) &&
         got != 0;
}

// Clicks the day of the month calendar that shows `day` (a date of the month it shows), found
// by asking the calendar what lies under each point, and waits until the calendar has that day
// selected; false when no cell shows it or the click did not select it.
bool ClickDay(HWND month, uint64_t day) {
  FILETIME ft{static_cast<DWORD>(day), static_cast<DWORD>(day >> 32)};
  SYSTEMTIME want{};
  FileTimeToSystemTime(&ft, &want);
  RECT r{};
  GetClientRect(month, &r);
  for (int y = 0; y < r.bottom; y += 3) {
    for (int x = 0; x < r.right; x += 3) {
      MCHITTESTINFO hit{};
      hit.cbSize = MCHITTESTINFO_V1_SIZE;
      hit.pt = POINT{x, y};
      DWORD_PTR code = 0;
      SendMessageTimeoutA(month, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit), SMTO_BLOCK,
                          5000, &code);
      if (hit.uHit != MCHT_CALENDARDATE || hit.st.wYear != want.wYear ||
          hit.st.wMonth != want.wMonth || hit.st.wDay != want.wDay)
        continue;
      // Into the middle of the cell: a few pixels on from its first point.
      POINT p{x + 4, y + 3};
      ClientToScreen(month, &p);
      const auto selected = [month, want] {
        SYSTEMTIME now{};
        return SelectedDay(month, now) && now.wYear == want.wYear && now.wMonth == want.wMonth &&
               now.wDay == want.wDay;
      };
      // A release another window took made no click on the calendar: clicked again.
      for (int attempt = 0; attempt < 3; ++attempt) {
        if (tolvane_test::ClickAt(p, month)) return WaitFor(selected);
      }
      return false;
    }
  }
  return false;
}

// The text as the window holds it (asked of the GUI thread, which answers in its modal loop).
std::string TextOf(HWND wnd) {
  char text[1200] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                      5000, &n);
  return text;
}

// What a program can do to a read-only edit and a user cannot: the date edits take their
// texts only from the calendar, so the checks' cases are set this way.
void SetTextOf(HWND wnd, const std::string& text) {
  DWORD_PTR r = 0;
  SendMessageTimeoutA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_BLOCK,
                      5000, &r);
}

HWND FocusOf(DWORD gui_thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(gui_thread, &info) ? info.hwndFocus : nullptr;
}

// Waits until the message box is up and ready, notes its text in *seen and presses `button`;
// false when no box came or `done` (what the answer must bring about) did not follow.
bool AnswerBox(HWND box, HWND button, const std::function<bool()>& done, std::string* seen) {
  if (!WaitReady(box)) return false;
  if (seen) *seen = FrmAttention->Label1->Caption();
  return Press(button, done);
}

// Moves a window of the GUI thread to (x, y) on the screen and waits until it stands there and
// its thread has handled the move (so that clicks find its controls at their new places).
bool MoveWindowTo(HWND wnd, int x, int y) {
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return WaitFor([wnd, x, y] {
           RECT r{};
           GetWindowRect(wnd, &r);
           return r.left == x && r.top == y;
         }) &&
         Flush(wnd);
}

// ---- the GUI thread ---------------------------------------------------------------------------

// Pictures taken on the GUI thread (inside whatever modal loop runs) when the robot asks.
class Photographer {
 public:
  Photographer() {
    timer_.SetInterval(50);
    timer_.OnTimer = [this](forms::TObject*) {
      // Shoot runs the queue, and with it this timer again: the window is taken off first, or
      // each tick would shoot it once more from inside the last, deeper and deeper, until the
      // GUI thread's stack ran out.
      HWND wnd = wanted_.exchange(nullptr);
      if (!wnd) return;
      Shoot(wnd, file_);
      taken_ = true;
    };
    timer_.SetEnabled(true);
  }
  // From the robot: returns once the picture is written (false when the GUI thread did not
  // get to it in time).
  bool Take(HWND wnd, const std::string& file) {
    file_ = file;
    taken_ = false;
    wanted_ = wnd;
    return WaitFor([this] { return taken_.load(); });
  }

 private:
  forms::TTimer timer_{nullptr};
  std::string file_;
  std::atomic<HWND> wanted_{nullptr};
  std::atomic<bool> taken_{false};
};

uint64_t EngineBound(scavrel_api::Bool8 (*get)(uint64_t*)) {
  uint64_t v = 0;
  get(&v);
  return v;
}

std::string NodeName(scavrel_api::FoundNode* node) {
  char buffer[kOutTextPathSize] = {};
  char* out = buffer;
  GetDictionaryName(node->record, &out);
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

// The find dialog's name pattern as the hit list reads it from the shared state.
FindCriteria Pattern() {
  FindCriteria c;
  c.pattern = NamePattern;
  c.leading_star = PatternLeadingStar == "*";
  c.trailing_star = PatternTrailingStar == "*";
  return c;
}

void ClearPattern() {
  NamePattern.clear();
  PatternLeadingStar.clear();
  PatternTrailingStar.clear();
}

// The deleted files under `folder` that the engine's filters pass and the find pattern takes,
// as the hit list collects them (folders entered only when valid, holding a deleted entry and
// passing the filters), each as its path below the root with "/" between folders.
void CollectHits(scavrel_api::FoundNode* folder, const std::string& path,
                 std::set<std::string>& hits) {
  for (scavrel_api::FoundNode* n = folder->first_child; n; n = n->next_sibling) {
    if (!n->valid) continue;
    const std::string name = NodeName(n);
    if (n->directory) {
      if (n->subtree_has_deleted && FilterNtfsTreeNode(n)) CollectHits(n, path + name + "/", hits);
      continue;
    }
    if (n->deleted && FilterNtfsTreeNode(n) && NameMatches(Pattern(), name))
      hits.insert(path + name);
  }
}

std::set<std::string> EngineHits() {
  std::set<std::string> hits;
  scavrel_api::FoundNode* root = nullptr;
  if (GetTreeFirst(&root) & 0xFF) CollectHits(root, "", hits);
  return hits;
}

std::vector<std::string> EngineFilterList() {
  std::vector<std::string> items;
  scavrel_api::ListPosition position{};
  if (!GetFilterHeader(&position)) return items;
  for (int guard = 0; position && guard < 100; ++guard) {
    char item[kOutTextFileSystemSize] = {};
    // The result says whether another item follows; this one was copied either way.
    GetFilterList(&position, item);
    items.emplace_back(item);
  }
  return items;
}

// The size the system's month calendar needs for one whole month in the user's locale (asked
// from the robot's thread; the calendar answers in the GUI thread's modal loop).
SIZE CalendarMinimum(HWND month) {
  RECT r{};
  DWORD_PTR got = 0;
  SendMessageTimeoutA(month, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r), SMTO_BLOCK, 5000,
                      &got);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT ScreenRect(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string UserLocaleName() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
  std::string out;
  for (const wchar_t* c = name; *c; ++c) out += static_cast<char>(*c);  // ASCII tags
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::set<std::string> Lowercase(const std::set<std::string>& paths) {
  std::set<std::string> out;
  for (const std::string& p : paths) out.insert(Lower(p));
  return out;
}

// A manifest path as the scan shows it, lowercased: a deleted entry whose name fits 8.3 has
// only its short entry (the builder writes 8.3 names in one case without a long name), whose
// first character the deletion overwrote ('x').
std::string ShownPath(const std::map<std::string, scavrel::fat::testing::ManifestEntry>& manifest,
                      const std::string& path) {
  std::string shown, so_far;
  size_t at = 0;
  while (at <= path.size()) {
    const size_t slash = std::min(path.find('/', at), path.size());
    const std::string original = path.substr(at, slash - at);
    std::string leaf = Lower(original);
    so_far += (so_far.empty() ? "" : "/") + original;
    const auto e = manifest.find(so_far);
    const size_t dot = leaf.find('.');
    const bool fits_8_3 = (dot == std::string::npos ? leaf.size() <= 8
                                                    : dot <= 8 && leaf.size() - dot - 1 <= 3) &&
                          leaf.find(' ') == std::string::npos;
    // A name in one case fits a short entry alone; mixed case takes a long name.
    bool upper = false, lower = false;
    for (char c : original) {
      upper |= std::isupper(static_cast<unsigned char>(c)) != 0;
      lower |= std::islower(static_cast<unsigned char>(c)) != 0;
    }
    if (e != manifest.end() && e->second.entry_deleted && fits_8_3 && !(upper && lower)) leaf[0] = 'x';
    shown += (shown.empty() ? "" : "/") + leaf;
    at = slash + 1;
  }
  return shown;
}

class FilterDialogs : public tolvane_test::ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    if (IsSkipped()) return;
    BackToTheStartWindow();
    FrmRun->Show();
    ASSERT_TRUE(WaitUntil([] { return FrmRun->skListDisk->Items().Count() >= 1; }))
        << "the drive list did not fill";
    // The dialogs open on what the engine filters by: every test starts with no filter there
    // nor in the shared state.
    Bounds = FindBounds = FilterBounds{};
    NameFilterText.clear();
    FindNameFilterText.clear();
    PushFiltersFromDialog(FilterBounds{}, "");
    box_ = FrmAttention->Handle();
    box_ok_ = FrmAttention->Button1->Handle();
    calendar_ = FrmCalendar->Handle();
    gui_thread_ = GetCurrentThreadId();
  }

  // Shows `form` modally while the robot works through `steps`; the steps end by closing it
  // and waiting until it is gone. Whatever a robot that gave up left open is closed, so that
  // the modal loops end and the test fails instead of waiting for ctest's limit.
  forms::TModalResult RunModal(forms::TForm* form, const std::function<void()>& steps) {
    const HWND wnd = form->Handle();
    Robot robot([&] {
      if (WaitReady(wnd)) steps();
      else ADD_FAILURE() << "the dialog did not come up ready for input";
      if (IsWindowVisible(wnd)) {
        if (!HasFailure()) ADD_FAILURE() << "the robot left the dialog open";
        CloseLeftOpen(wnd);
      }
    });
    const forms::TModalResult r = form->ShowModal();
    robot.Join();
    tolvane_test::Pump();
    return r;
  }

  // Closes the message box, the date picker and then `dialog`, those of them still shown (from
  // the robot's thread: each modal loop takes its window's close).
  void CloseLeftOpen(HWND dialog) const {
    for (HWND w : {box_, calendar_, dialog}) {
      if (IsWindowVisible(w)) PostMessageA(w, WM_CLOSE, 0, 0);
    }
  }

  // Selects the drive's row with a click, as a user does.
  static void SelectRow(const std::string& caption) {
    // A start window just shown refills its list from its timer and selects the first row.
    ASSERT_TRUE(WaitUntil([] { return !FrmRun->Timer1->Enabled(); }, 5000))
        << "the start window went on refilling its drive list";
    tolvane_test::Pump();
    auto& items = FrmRun->skListDisk->Items();
    forms::TListItem* row = nullptr;
    for (int i = 0; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == caption) row = items.Items(i);
    ASSERT_NE(row, nullptr) << caption;
    RECT r = row->DisplayRect(forms::TDisplayCode::drBounds);
    tolvane_test::ClickClient(FrmRun->skListDisk->Handle(), 80, (r.top + r.bottom) / 2);
    ASSERT_TRUE(WaitUntil([row] { return FrmRun->skListDisk->Selected() == row; }, 3000))
        << "the click did not select " << caption;
  }

  // A quick (or find-file) scan of the FAT32 drive through the start window, waited for until
  // the results window announced its end; every message box on the way is answered with OK.
  void ScanTheFatDrive(skin::TSkinImageButton* button) {
    ASSERT_NO_FATAL_FAILURE(SelectRow(kFatDrive));
    tolvane_test::BoxAnswers answers;
    tolvane_test::ClickMiddle(button->Handle());
    ASSERT_TRUE(WaitUntil(
        [&] { return ScanState == kRunIdle && answers.Saw(LangKey::ScanFinished); }, 120000))
        << "the scan did not end with the scanfinished message";
    ASSERT_TRUE(FrmFindFile->Visible());
    tolvane_test::Pump();
  }
  void QuickScanOfTheFatDrive() { ScanTheFatDrive(FrmRun->sBStart); }

  // Back on the results window, confirmed: the start window returns.
  static void BackToTheStartWindow() {
    if (!FrmFindFile->Visible()) return;
    tolvane_test::BoxAnswers answers;
    tolvane_test::ClickButton(FrmFindFile->skBBack);
    ASSERT_TRUE(WaitUntil([] { return FrmRun->Visible(); }, 10000))
        << "Back did not return to the start window";
  }

  HWND box_ = nullptr;
  HWND box_ok_ = nullptr;
  HWND calendar_ = nullptr;
  DWORD gui_thread_ = 0;
};

TEST_F(FilterDialogs, SizesTypedInTheFilterDialogReachTheEngineAndZeroMinimumBoundsNothing) {
  Bounds = FilterBounds{};
  NameFilterText.clear();
  int applied = 0;
  const std::function<void()> rebuild = FrmSetting->OnFiltersApplied;
  FrmSetting->OnFiltersApplied = [&] { ++applied; };
  const HWND dialog = FrmSetting->Handle();
  const HWND min = FrmSetting->EditMinsize->Handle();
  const HWND max = FrmSetting->EditMaxsize->Handle();
  const HWND list = FrmSetting->EditFilterlist->Handle();
  const HWND ok = FrmSetting->BOk->Handle();
  const HWND exit = FrmSetting->BClose->Handle();
  const HWND cancel = FrmAttention->Button2->Handle();
  // Longer than the edit takes: typing stops at its length, so that no item can be longer
  // than the 101-byte buffer each item is read back through when a dialog opens.
  const std::string long_item = "*." + std::string(130, 'q');
  const std::string long_list = "*.jpg," + long_item + ",*.bmp";
  const std::string taken = long_list.substr(0, kNameFilterMaxLength);
  std::string seen;
  RunModal(FrmSetting, [&] {
    Type(min, "100");
    Type(list, long_list);
    ASSERT_TRUE(Press(ok, Shown(box_))) << "Find did not ask whether to keep the filters";
    ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(dialog), &seen))
        << "OK on the question did not close the dialog";
  });
  EXPECT_EQ(seen, Lang().Text(LangKey::SaveSetting));
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(EngineBound(GetMinFile), 100u);
  EXPECT_EQ(EngineBound(GetMaxFile), kFilterBoundNotSet);
  EXPECT_EQ(Bounds.size_min, 100u);
  EXPECT_EQ(NameFilterText, taken);
  EXPECT_EQ(EngineFilterList(), (std::vector<std::string>{"*.jpg", taken.substr(6)}));

  // Opened again it shows what the engine holds, the whole list; a minimum of 0 is no bound,
  // a maximum of 0 is a bound of 0 bytes. Cancel on the question keeps everything.
  std::string shown_min, shown_list;
  RunModal(FrmSetting, [&] {
    shown_min = TextOf(min);
    shown_list = TextOf(list);
    SetTextOf(min, "");
    Type(min, "0");
    Type(max, "0");
    ASSERT_TRUE(Press(ok, Shown(box_))) << "Find did not ask whether to keep the filters";
    ASSERT_TRUE(AnswerBox(box_, cancel, Hidden(box_), nullptr)) << "Cancel did not close the box";
    ASSERT_TRUE(Press(ok, Shown(box_))) << "Find did not ask again";
    ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(dialog), nullptr))
        << "OK on the question did not close the dialog";
  });
  EXPECT_EQ(shown_min, "100");
  EXPECT_EQ(shown_list, taken);
  EXPECT_EQ(applied, 2);
  EXPECT_EQ(EngineBound(GetMinFile), kFilterBoundNotSet);
  EXPECT_EQ(EngineBound(GetMaxFile), 0u);
  EXPECT_EQ(NameFilterText, taken) << "a second OK pushed the list cut short";

  // Exit changes nothing and rebuilds nothing.
  RunModal(FrmSetting, [&] {
    Type(max, "5");
    ASSERT_TRUE(Press(exit, Hidden(dialog))) << "Exit did not close the dialog";
  });
  EXPECT_EQ(applied, 2);
  EXPECT_EQ(Bounds.size_max, 0u);
  FrmSetting->OnFiltersApplied = rebuild;
  Bounds = FilterBounds{};
  NameFilterText.clear();
}

TEST_F(FilterDialogs, FailedChecksShowTheirTextAndFocusTheNamedEdit) {
  const uint64_t day = kDemoFileTime;
  const std::string same = FileTimeToDateText(day);
  const std::string later = FileTimeToDateText(day + kTicksPerDay);
  struct Case {
    const char* what;
    std::vector<std::pair<skin::TSkinEdit*, std::string>> texts;
    LangKey key;
    skin::TSkinEdit* focus;
  };
  TFrmSetting* d = FrmSetting;
  const std::vector<Case> cases = {
      {"creation range on one instant", {{d->EditMinCreatefile, same}, {d->EditMaxCreatefile, same}},
       LangKey::ValidDate2, d->EditMinCreatefile},
      {"a modification date that is no date",
       {{d->EditMinModifyfile, same}, {d->EditMaxModifyfile, "13/45/2010 99:00"}},
       LangKey::ValidDate1, d->EditMaxModifyfile},
      {"modification range backwards",
       {{d->EditMinModifyfile, later}, {d->EditMaxModifyfile, same}},
       LangKey::ValidDate2, d->EditMinModifyfile},
      {"minimum above maximum", {{d->EditMinsize, "200"}, {d->EditMaxsize, "100"}},
       LangKey::ValidNumber2, d->EditMinsize},
      {"a maximum no 64-bit number holds", {{d->EditMaxsize, "99999999999999999999"}},
       LangKey::ValidNumber1, d->EditMaxsize},
  };
  const HWND dialog = d->Handle();
  const HWND ok = d->BOk->Handle();
  const HWND clear = d->BClear->Handle();
  const HWND exit = d->BClose->Handle();
  std::vector<HWND> entries;
  for (skin::TSkinEdit* e : {d->EditMinCreatefile, d->EditMaxCreatefile, d->EditMinModifyfile,
                             d->EditMaxModifyfile, d->EditMinsize, d->EditMaxsize})
    entries.push_back(e->Handle());
  const auto cleared = [&entries] {
    for (HWND e : entries) {
      if (!TextOf(e).empty()) return false;
    }
    return true;
  };
  std::vector<std::pair<std::string, HWND>> seen;
  std::vector<std::pair<HWND, std::string>> texts;
  for (const Case& c : cases) {
    for (const auto& [edit, text] : c.texts) texts.emplace_back(edit->Handle(), text);
  }
  const FilterBounds before = Bounds;
  RunModal(FrmSetting, [&] {
    size_t at = 0;
    for (const Case& c : cases) {
      ASSERT_TRUE(Press(clear, cleared)) << "Clear left texts in the edits (" << c.what << ")";
      // The edits may have been empty before the click: its handling is over before the
      // case's texts go in.
      ASSERT_TRUE(Flush(dialog)) << "the dialog did not get back to its loop";
      for (size_t i = 0; i < c.texts.size(); ++i, ++at) SetTextOf(texts[at].first, texts[at].second);
      ASSERT_TRUE(Press(ok, Shown(box_))) << "no message for " << c.what;
      std::string text;
      ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(box_), &text)) << "OK did not close the box";
      // The check puts the focus on the edit once the box has returned: seen from the dialog's
      // own loop.
      ASSERT_TRUE(Flush(dialog)) << "the dialog did not get back to its loop";
      seen.emplace_back(text, FocusOf(gui_thread_));
    }
    ASSERT_TRUE(Press(exit, Hidden(dialog))) << "Exit did not close the dialog";
  });
  ASSERT_EQ(seen.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(seen[i].first, Lang().Text(cases[i].key)) << cases[i].what;
    EXPECT_EQ(seen[i].second, cases[i].focus->Handle()) << cases[i].what;
  }
  EXPECT_EQ(Bounds, before) << "a failed check stored something";
}

TEST_F(FilterDialogs, ALetterInASizeEditGivesTheLastDigitsBackWithTheCaretAtTheEnd) {
  const HWND dialog = FrmSetting->Handle();
  const HWND min = FrmSetting->EditMinsize->Handle();
  const HWND max = FrmSetting->EditMaxsize->Handle();
  const HWND exit = FrmSetting->BClose->Handle();
  std::string min_text, max_text;
  DWORD caret = 0;
  RunModal(FrmSetting, [&] {
    SetTextOf(min, "");
    SetTextOf(max, "");
    Type(min, "12");
    SendMessageA(min, EM_SETSEL, 0, 0);  // the caret back at the start, then a stray key
    Type(min, "a");
    min_text = TextOf(min);
    DWORD start = 0, end = 0;
    SendMessageA(min, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    caret = start;
    Type(max, "x");
    max_text = TextOf(max);
    ASSERT_TRUE(Press(exit, Hidden(dialog))) << "Exit did not close the dialog";
  });
  EXPECT_EQ(min_text, "12");
  EXPECT_EQ(caret, 2u);
  EXPECT_EQ(max_text, "");
}

TEST_F(FilterDialogs, DatesPickedInTheCalendarNarrowTheFoundFilesToTheirRange) {
  Bounds = FilterBounds{};
  NameFilterText.clear();
  ASSERT_NO_FATAL_FAILURE(QuickScanOfTheFatDrive());
  ClearPattern();
  const std::set<std::string> all = EngineHits();
  ASSERT_GE(all.size(), 4u);
  const std::set<std::string> tree = results_robot::TreeTexts();
  ASSERT_GT(tree.size(), 1u);

  TFrmSetting* d = FrmSetting;
  const HWND dialog = d->Handle();
  const HWND from = d->EditMinModifyfile->Handle();
  const HWND to = d->EditMaxModifyfile->Handle();
  const HWND from_button = d->bModifyMin->Handle();
  const HWND to_button = d->bModifyMax->Handle();
  const HWND calendar = FrmCalendar->Handle();
  const HWND month = FrmCalendar->MonthCalendar1->Handle();
  const HWND calendar_ok = FrmCalendar->skButton1->Handle();
  const HWND calendar_cancel = FrmCalendar->skButton2->Handle();
  const HWND ok = d->BOk->Handle();
  // Three days before the files' day and three after it, then days nearer to it picked with
  // the mouse in the calendar.
  const uint64_t start = kDemoFileTime - 3 * kTicksPerDay;
  const uint64_t end = kDemoFileTime + 3 * kTicksPerDay;
  const std::string start_text = FileTimeToDateText(start);
  const std::string end_text = FileTimeToDateText(end);
  const std::string picked_from = FileTimeToDateText(start + 2 * kTicksPerDay);
  const std::string picked_to = FileTimeToDateText(end - kTicksPerDay);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  ScreenPoint expected_place{}, placed{};
  std::string from_after, to_after, cancelled_text;
  // The calendar up and running its loop: placed, and its month shows the edit's date.
  const auto calendar_ready = [calendar] { return WaitReady(calendar); };
  // OK on the calendar closes it and puts the picked date into the edit.
  const auto picked_into = [calendar](HWND edit, const std::string& was) {
    return [calendar, edit, was] { return !IsWindowVisible(calendar) && TextOf(edit) != was; };
  };
  Photographer photographer;
  RunModal(FrmSetting, [&] {
    SetTextOf(from, start_text);
    SetTextOf(to, end_text);
    RECT b{};
    GetWindowRect(from_button, &b);
    ASSERT_TRUE(Press(from_button, Shown(calendar))) << "the calendar did not open";
    ASSERT_TRUE(calendar_ready()) << "the calendar did not come up ready";
    RECT c{};
    GetWindowRect(calendar, &c);
    expected_place = PlacePicker({(b.left + b.right) / 2, (b.top + b.bottom) / 2},
                                 c.right - c.left, c.bottom - c.top, screen_w, screen_h);
    placed = {c.left, c.top};
    ASSERT_TRUE(ClickDay(month, start + 2 * kTicksPerDay)) << "the calendar did not take the day";
    EXPECT_TRUE(photographer.Take(calendar, "date_picker.png")) << "no picture of the calendar";
    const bool from_set = Press(calendar_ok, picked_into(from, start_text));
    from_after = TextOf(from);
    ASSERT_TRUE(from_set) << "OK on the calendar did not set the date";

    ASSERT_TRUE(Press(to_button, Shown(calendar))) << "the calendar did not open again";
    ASSERT_TRUE(calendar_ready()) << "the calendar did not come up ready";
    ASSERT_TRUE(ClickDay(month, end - kTicksPerDay)) << "the calendar did not take the day";
    const bool to_set = Press(calendar_ok, picked_into(to, end_text));
    to_after = TextOf(to);
    ASSERT_TRUE(to_set) << "OK on the calendar did not set the date";

    // Cancel leaves the edit as it was.
    ASSERT_TRUE(Press(to_button, Shown(calendar))) << "the calendar did not open a third time";
    ASSERT_TRUE(calendar_ready()) << "the calendar did not come up ready";
    ASSERT_TRUE(ClickDay(month, end - 2 * kTicksPerDay)) << "the calendar did not take the day";
    ASSERT_TRUE(Press(calendar_cancel, Hidden(calendar))) << "Cancel did not close the calendar";
    // What the dialog does once the calendar has returned is done when it is back in its loop.
    ASSERT_TRUE(Flush(dialog)) << "the dialog did not get back to its loop";
    cancelled_text = TextOf(to);
    EXPECT_TRUE(photographer.Take(dialog, "filter_dialog.png")) << "no picture of the dialog";
    ASSERT_TRUE(Press(ok, Shown(box_))) << "Find did not ask whether to keep the filters";
    ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(dialog), nullptr))
        << "OK on the question did not close the dialog";
  });
  EXPECT_EQ(placed.x, expected_place.x);
  EXPECT_EQ(placed.y, expected_place.y);
  EXPECT_EQ(from_after, picked_from);
  EXPECT_EQ(to_after, picked_to);
  EXPECT_EQ(cancelled_text, picked_to);
  EXPECT_EQ(EngineBound(GetMinModifyfile), start + 2 * kTicksPerDay);
  EXPECT_EQ(EngineBound(GetMaxModifyfile), end - kTicksPerDay);
  EXPECT_EQ(EngineHits(), all) << "every demo file was modified inside the range";
  EXPECT_EQ(results_robot::TreeTexts(), tree);
  // The folder shown again is the root: its folders and its one deleted file (notes.txt).
  forms::TTreeNode* root = FrmFindFile->TreeView1->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  const uint32_t root_folders = static_cast<uint32_t>(root->Count());
  EXPECT_EQ(FolderListCount, root_folders + 1);

  // A range after the files' day lists none of them.
  const std::string after_from = FileTimeToDateText(kDemoFileTime + 5 * kTicksPerDay);
  const std::string after_to = FileTimeToDateText(kDemoFileTime + 9 * kTicksPerDay);
  RunModal(FrmSetting, [&] {
    SetTextOf(from, after_from);
    SetTextOf(to, after_to);
    ASSERT_TRUE(Press(to_button, Shown(calendar))) << "the calendar did not open";
    ASSERT_TRUE(calendar_ready()) << "the calendar did not come up ready";
    ASSERT_TRUE(ClickDay(month, kDemoFileTime + 8 * kTicksPerDay))
        << "the calendar did not take the day";
    ASSERT_TRUE(Press(calendar_ok, picked_into(to, after_to)))
        << "OK on the calendar did not set the date";
    ASSERT_TRUE(Press(ok, Shown(box_))) << "Find did not ask whether to keep the filters";
    ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(dialog), nullptr))
        << "OK on the question did not close the dialog";
  });
  EXPECT_EQ(EngineBound(GetMaxModifyfile), kDemoFileTime + 8 * kTicksPerDay);
  EXPECT_TRUE(EngineHits().empty());
  // The results window was rebuilt at once: the root shows its folders and no file.
  EXPECT_EQ(FolderListCount, root_folders);
  Bounds = FilterBounds{};
  NameFilterText.clear();
}

TEST_F(FilterDialogs, DatePickerNearTheScreenEdgeStaysOnTheScreen) {
  const HWND dialog = FrmSetting->Handle();
  const HWND button = FrmSetting->bCreateMax->Handle();
  const HWND calendar = FrmCalendar->Handle();
  const HWND cancel = FrmCalendar->skButton2->Handle();
  const HWND exit = FrmSetting->BClose->Handle();
  const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  RECT c{};
  bool opened = false;
  RunModal(FrmSetting, [&] {
    // The dialog moved to the bottom right corner, its calendar button a few pixels from the
    // screen's edges.
    RECT d{}, b{};
    GetWindowRect(dialog, &d);
    GetWindowRect(button, &b);
    const bool moved =
        MoveWindowTo(dialog, d.left + (screen_w - 6 - b.right), d.top + (screen_h - 6 - b.bottom));
    EXPECT_TRUE(moved) << "the dialog did not move to the corner";
    if (moved) {
      opened = Press(button, Shown(calendar)) && WaitReady(calendar);
      if (opened) GetWindowRect(calendar, &c);
      EXPECT_TRUE(!IsWindowVisible(calendar) || Press(cancel, Hidden(calendar)))
          << "Cancel did not close the calendar";
    }
    // Back where the Exit button is on the screen (also when a step above failed: the
    // dialog keeps its place for the next test).
    ASSERT_TRUE(MoveWindowTo(dialog, d.left, d.top)) << "the dialog did not move back";
    ASSERT_TRUE(Press(exit, Hidden(dialog))) << "Exit did not close the dialog";
  });
  ASSERT_TRUE(opened) << "the calendar did not open";
  EXPECT_GE(c.left, 0);
  EXPECT_GE(c.top, 0);
  EXPECT_LE(c.right, screen_w);
  EXPECT_LE(c.bottom, screen_h);
  EXPECT_GT(c.right - c.left, 200);
}

// Run once more under an Arabic user locale (tests/frontend/CMakeLists.txt), whose day names
// make the system's month calendar about twice as wide as in English.
TEST_F(FilterDialogs, DatePickerShowsTheWholeCalendarOfTheUserLocale) {
  const std::string locale = UserLocaleName();
  if (const char* wanted = std::getenv("TOLVANE_EXPECT_USER_LOCALE")) {
    ASSERT_EQ(locale, wanted) << "the user locale asked for did not take";
  }
  const HWND dialog = FrmSetting->Handle();
  const HWND button = FrmSetting->bCreateMin->Handle();
  const HWND exit = FrmSetting->BClose->Handle();
  const HWND calendar = FrmCalendar->Handle();
  const HWND month = FrmCalendar->MonthCalendar1->Handle();
  const HWND time = FrmCalendar->DateTimePicker1->Handle();
  const HWND ok = FrmCalendar->skButton1->Handle();
  const HWND cancel = FrmCalendar->skButton2->Handle();
  SIZE need{};
  RECT client{}, month_r{}, time_r{}, ok_r{}, cancel_r{};
  bool opened = false;
  Photographer photographer;
  RunModal(FrmSetting, [&] {
    opened = Press(button, Shown(calendar)) && WaitReady(calendar);
    if (opened) {
      need = CalendarMinimum(month);
      GetClientRect(calendar, &client);
      MapWindowPoints(calendar, nullptr, reinterpret_cast<POINT*>(&client), 2);
      month_r = ScreenRect(month);
      time_r = ScreenRect(time);
      ok_r = ScreenRect(ok);
      cancel_r = ScreenRect(cancel);
      EXPECT_TRUE(photographer.Take(calendar, "date_picker_" + locale + ".png"))
          << "no picture of the calendar";
    }
    EXPECT_TRUE(!IsWindowVisible(calendar) || Press(cancel, Hidden(calendar)))
        << "Cancel did not close the calendar";
    ASSERT_TRUE(Press(exit, Hidden(dialog))) << "Exit did not close the dialog";
  });
  ASSERT_TRUE(opened) << "the calendar did not open";
  ASSERT_GT(need.cx, 0) << "the calendar gave no minimum size";
  EXPECT_GE(month_r.right - month_r.left, need.cx) << locale << ": the month is cut off";
  EXPECT_GE(month_r.bottom - month_r.top, need.cy) << locale << ": the month is cut off";
  for (const RECT& r : {month_r, time_r, ok_r, cancel_r})
    EXPECT_TRUE(Inside(r, client)) << locale << ": a control lies outside the window";
  for (const RECT& r : {time_r, ok_r, cancel_r})
    EXPECT_GE(r.top, month_r.bottom) << locale << ": the bottom row covers the month";
  EXPECT_LE(time_r.right, ok_r.left);
  EXPECT_LE(ok_r.right, cancel_r.left);
}

TEST_F(FilterDialogs, WhatOneDialogAcceptedTheOtherShowsWhenItOpens) {
  const std::string from = FileTimeToDateText(kDemoFileTime);
  const std::string to = FileTimeToDateText(kDemoFileTime + kTicksPerDay);
  // A name longer than the find dialog's edit takes, after a dot: typing stops where the
  // extension filter made of it ("*." and what follows the dot) still comes back whole
  // through the 101-byte buffer the dialogs read each item with.
  const std::string long_name = "a." + std::string(200, 'q');
  const std::string item = "*." + std::string(kNameFilterMaxLength - 3, 'q');
  TFrmFind* f = FrmFind;
  TFrmSetting* d = FrmSetting;
  const HWND find = f->Handle(), find_ok = f->BOk->Handle(), find_exit = f->BClose->Handle();
  const HWND name = f->skEditFilename->Handle();
  const HWND filter = d->Handle(), filter_ok = d->BOk->Handle();
  struct DialogTexts {
    std::string create_min, create_max, modify_min, modify_max, size_min, size_max, list;
  };
  const auto read = [](TFilterEntryForm* form, skin::TSkinEdit* list) {
    return DialogTexts{TextOf(form->EditMinCreatefile->Handle()), TextOf(form->EditMaxCreatefile->Handle()),
                 TextOf(form->EditMinModifyfile->Handle()), TextOf(form->EditMaxModifyfile->Handle()),
                 TextOf(form->EditMinsize->Handle()),       TextOf(form->EditMaxsize->Handle()),
                 TextOf(list->Handle())};
  };

  FindMode = 1;  // as the start window's Find file button sets it
  const forms::TModalResult accepted = RunModal(f, [&] {
    SetTextOf(f->EditMinCreatefile->Handle(), from);
    SetTextOf(f->EditMaxCreatefile->Handle(), to);
    Type(f->EditMinsize->Handle(), "100");
    Type(name, long_name);
    ASSERT_TRUE(Press(find_ok, Hidden(find))) << "Find did not close the find dialog";
  });
  FindMode = 0;
  ClearPattern();
  EXPECT_EQ(accepted, kFindAccepted);
  EXPECT_EQ(FindNameFilterText, item);

  // The filter dialog opens on the find dialog's settings, then sets its own.
  DialogTexts in_filter;
  RunModal(d, [&] {
    in_filter = read(d, d->EditFilterlist);
    SetTextOf(d->EditMinCreatefile->Handle(), "");
    SetTextOf(d->EditMaxCreatefile->Handle(), "");
    SetTextOf(d->EditMinModifyfile->Handle(), from);
    SetTextOf(d->EditMaxModifyfile->Handle(), to);
    SetTextOf(d->EditMinsize->Handle(), "");
    Type(d->EditMaxsize->Handle(), "5000");
    SetTextOf(d->EditFilterlist->Handle(), "");
    Type(d->EditFilterlist->Handle(), "*.txt, *.doc");
    ASSERT_TRUE(Press(filter_ok, Shown(box_))) << "Find did not ask whether to keep the filters";
    ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(filter), nullptr))
        << "OK on the question did not close the dialog";
  });
  EXPECT_EQ(in_filter.create_min, from);
  EXPECT_EQ(in_filter.create_max, to);
  EXPECT_EQ(in_filter.modify_min, "");
  EXPECT_EQ(in_filter.size_min, "100");
  EXPECT_EQ(in_filter.size_max, "");
  EXPECT_EQ(in_filter.list, item) << "the find dialog's extension came back cut";

  // The find dialog opens on the filter dialog's; its name list, hidden, holds the items
  // trimmed.
  DialogTexts in_find;
  RunModal(f, [&] {
    in_find = read(f, f->EditFilterlist);
    ASSERT_TRUE(Press(find_exit, Hidden(find))) << "Exit did not close the find dialog";
  });
  EXPECT_EQ(in_find.create_min, "");
  EXPECT_EQ(in_find.modify_min, from);
  EXPECT_EQ(in_find.modify_max, to);
  EXPECT_EQ(in_find.size_min, "");
  EXPECT_EQ(in_find.size_max, "5000");
  EXPECT_EQ(in_find.list, "*.txt,*.doc");

  // A list that came past the dialogs, items longer than the buffer among them, is read back
  // cut to the buffer, never past it.
  SetFilterList(("*.doc," + std::string(300, 'x') + ", *.bmp ").c_str());
  EXPECT_EQ(EngineNameFilterText(), "*.doc," + std::string(kNameFilterMaxLength, 'x') + ",*.bmp");
}

// What a find without a hit answers (the announcement itself is the results window's): the
// advice to use * is there whole, in a box sized to it; the picture is no_hits.png.
TEST_F(FilterDialogs, NoHitsAdviceShowsWholeInItsBox) {
  const std::string& text = Lang().Text(LangKey::NoHits);
  EXPECT_NE(text.find("*debian*"), std::string::npos) << text;
  tolvane_test::BoxAnswers answers;
  answers.shoot_text = text;
  answers.shoot_file = "no_hits.png";
  ShowAttention(BoxButtons::kOk, text);
  EXPECT_EQ(answers.texts, std::vector<std::string>{text});
  EXPECT_LE(FrmAttention->Label1->Top() + FrmAttention->Label1->Height(),
            FrmAttention->Button1->Top())
      << "the text runs into the button";
}

TEST_F(FilterDialogs, FindForJpgListsTheDeletedJpgFilesAndLeavesLaterScansUnfiltered) {
  FindBounds = FilterBounds{};
  FindNameFilterText.clear();
  Bounds = FilterBounds{};
  NameFilterText.clear();
  ASSERT_NO_FATAL_FAILURE(SelectRow(kFatDrive));
  const HWND find = FrmFind->Handle();
  const HWND name = FrmFind->skEditFilename->Handle();
  const HWND ok = FrmFind->BOk->Handle();
  Photographer photographer;
  Robot robot([&] {
    [&] {
      ASSERT_TRUE(WaitReady(find)) << "the find dialog did not come up ready";
      SetTextOf(name, "");
      Type(name, "*.jpg");
      EXPECT_TRUE(photographer.Take(find, "find_dialog.png")) << "no picture of the dialog";
      ASSERT_TRUE(Press(ok, Hidden(find))) << "Find did not close the find dialog";
    }();
    // A robot that gave up closes what it left open, so that the scan's wait ends.
    if (IsWindowVisible(find)) CloseLeftOpen(find);
  });
  ScanTheFatDrive(FrmRun->skButton6);
  robot.Join();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(FindMode, 1);
  EXPECT_EQ(FindNameFilterText, "*.jpg");
  EXPECT_EQ(Pattern(), (FindCriteria{"", "", true, true}));
  EXPECT_EQ(EngineFilterList(), std::vector<std::string>{"*.jpg"});

  // The results window's hit list: folder path ("F:\...\") and file name of each row.
  using scavrel::fat::testing::ManifestEntry;
  const std::map<std::string, ManifestEntry> manifest =
      scavrel::fat::testing::ReadManifest(TOLVANE_DEMO_FAT32_TSV);
  std::set<std::string> expected;
  for (const auto& [path, e] : manifest) {
    const bool jpg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    if (!e.dir && e.state == "deleted" && jpg && e.in_first_run) expected.insert(ShownPath(manifest, path));
  }
  ASSERT_EQ(expected.size(), 3u) << "the demo volume changed";
  std::set<std::string> listed;
  for (uint32_t row = 0; row < HitListCount; ++row) {
    std::string folder = results_robot::RowText(FrmFindFile->ListView2, static_cast<int>(row), 0);
    const std::string file = results_robot::RowText(FrmFindFile->ListView2, static_cast<int>(row), 1);
    const size_t root_end = folder.find('\\');
    folder = root_end == std::string::npos ? std::string() : folder.substr(root_end + 1);
    for (char& c : folder) if (c == '\\') c = '/';
    listed.insert(Lower(folder + file));
  }
  EXPECT_EQ(HitListCount, expected.size());
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(Lowercase(EngineHits()), expected);

  // A quick scan afterwards pushes the folder filters: no extension filter is left behind.
  BackToTheStartWindow();
  ASSERT_NO_FATAL_FAILURE(QuickScanOfTheFatDrive());
  EXPECT_EQ(FindMode, 0);
  EXPECT_TRUE(EngineFilterList().empty());
  EXPECT_GT(results_robot::TreeTexts().size(), 1u);
  ClearPattern();
  EXPECT_GT(EngineHits().size(), expected.size());
}

TEST_F(FilterDialogs, FindDialogOutsideAFindScanOnlyPointsToTheStartWindow) {
  FindMode = 0;
  const FindCriteria before = Pattern();
  const HWND find = FrmFind->Handle();
  const HWND name = FrmFind->skEditFilename->Handle();
  const HWND ok = FrmFind->BOk->Handle();
  const HWND exit = FrmFind->BClose->Handle();
  std::string seen;
  const forms::TModalResult r = RunModal(FrmFind, [&] {
    Type(name, "report");
    ASSERT_TRUE(Press(ok, Shown(box_))) << "Find said nothing";
    ASSERT_TRUE(AnswerBox(box_, box_ok_, Hidden(box_), &seen)) << "OK did not close the box";
    ASSERT_TRUE(Press(exit, Hidden(find))) << "Exit did not close the find dialog";
  });
  EXPECT_EQ(seen, Lang().Text(LangKey::FindFileInfo));
  EXPECT_EQ(r, kFindNotAccepted);
  EXPECT_EQ(Pattern(), before);
}

}  // namespace
