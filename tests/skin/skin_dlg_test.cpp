// The skinned message dialog: the copied text and the component's look without a window, then
// real dialogs under the X server driven by keys and the mouse while they run modally: the
// buttons and answers of each kind, the narrower window without a picture, a long text, Ctrl+C
// on the clipboard, the title bar's close button, and a hundred dialogs shown and closed
// without leaking windows or GDI handles. Writes skin_dialogs.png (each kind of dialog in
// every look) to tests/artifacts/ of the build tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/FrmMsg.h"
#include "skin/SkinButton.h"
#include "skin/SkinDlg.h"
#include "skin/SkinForm.h"
#include "skin/SkinTitleBar.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;
using tolvane_test::GdiObjectCount;
using tolvane_test::Pump;

namespace {

// ---- without a window -----------------------------------------------------------------------

TEST(MessageCopyText, OneWordTitleTextAndButtonMakeSevenLines) {
  const std::string rule = "---------------------------";
  EXPECT_EQ(MessageCopyText("Title", "Hello", {"OK"}),
            rule + "\r\n" + "Title\r\n" + rule + "\r\n" + "Hello\r\n" + rule + "\r\n" + "OK\r\n" +
                rule);
  const std::string three = MessageCopyText("T", "x", {"Abort", "Retry", "Ignore"});
  EXPECT_NE(three.find("\r\nAbort   Retry   Ignore\r\n"), std::string::npos);
  EXPECT_EQ(three.substr(three.size() - rule.size()), rule);  // no line break after the last
}

TEST(SkinMessageDialog, StartsWithItsDefaultsAndFollowsTheLookInItsFonts) {
  TSkinMessageDialog d(nullptr);
  EXPECT_EQ(d.Caption(), "skDialog");
  EXPECT_EQ(d.Text(), "Hello world!");
  EXPECT_EQ(d.ButtonCount(), 1);
  EXPECT_EQ(d.ButtonCaption(1), "OK");
  EXPECT_EQ(d.ButtonCaption(2), "Cancel");
  EXPECT_EQ(d.ButtonCaption(3), "Cancel");
  EXPECT_EQ(d.ButtonModalResult(1), 1);
  EXPECT_EQ(d.ButtonModalResult(2), 2);
  EXPECT_EQ(d.ButtonModalResult(3), 2);
  EXPECT_EQ(d.IconType(), TSkinIconType::skNone);
  EXPECT_EQ(d.Position(), TPosition::poScreenCenter);
  EXPECT_EQ(d.ButtonCursor(), crHandPoint);
  EXPECT_EQ(d.UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(d.CaptionFont().Name(), "Tahoma");
  EXPECT_TRUE(d.CaptionFont().Style() & fsBold);
  EXPECT_EQ(d.CaptionFont().Color(), clWhite);

  d.SetUIStyle(TSkinUIStyle::MacOS);
  EXPECT_EQ(d.CaptionFont().Color(), clBlack);
  EXPECT_EQ(d.Font().Color(), clBlack);
  d.SetUIStyle(TSkinUIStyle::Protein);
  EXPECT_EQ(d.CaptionFont().Color(), clWhite);

  d.SetButtonCount(7);
  EXPECT_EQ(d.ButtonCount(), 3);
  EXPECT_FALSE(d.SetPublished("ButtonCount", TPropValue{std::int64_t{0}}));
  EXPECT_EQ(d.ButtonCount(), 3);
  EXPECT_TRUE(d.SetPublished("Button2Caption", TPropValue{std::string("Retry")}));
  EXPECT_EQ(d.ButtonCaption(2), "Retry");
  EXPECT_TRUE(d.SetPublished("IconType", TPropValue{std::int64_t{3}}));
  EXPECT_EQ(d.IconType(), TSkinIconType::skInformation);
  EXPECT_FALSE(d.SetPublished("IconType", TPropValue{std::int64_t{5}}));
  TPropValue v;
  ASSERT_TRUE(d.GetPublished("Button3ModalResult", &v));
  EXPECT_EQ(std::get<std::int64_t>(v), 2);
}

TEST(SkinMessageDialog, TakesTheFrameStyleOfItsFormAndTheThemeColoursTillTheThemeGoes) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  TForm form(nullptr);
  auto* frame = new TSkinForm(&form);
  frame->SetUIStyle(TSkinUIStyle::MacOS);
  auto* d = new TSkinMessageDialog(&form);
  EXPECT_EQ(d->UIStyle(), TSkinUIStyle::MacOS);
  EXPECT_EQ(d->CaptionFont().Color(), clBlack);

  auto* theme = new TSkinFileTheme(&form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  d->SetFileTheme(theme);
  d->SetUIStyle(TSkinUIStyle::FromThemeFile);
  // The skin's title colour; it has no control font colour, so the text keeps its own.
  EXPECT_EQ(d->CaptionFont().Color(), 0xFFFFFF);
  EXPECT_EQ(theme->GetColor(23), -1);
  EXPECT_EQ(d->Font().Color(), clBlack);
  delete theme;
  EXPECT_EQ(d->FileTheme(), nullptr);
  EXPECT_EQ(d->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(d->CaptionFont().Color(), clWhite);
  EXPECT_EQ(d->Font().Color(), clBlack);
}

// ---- real dialogs ---------------------------------------------------------------------------

// The message window now shown, if any.
TfrmMsg* ShownMessageWindow() {
  for (TCustomForm* f : Screen()->Forms())
    if (auto* m = dynamic_cast<TfrmMsg*>(f); m && m->Visible()) return m;
  return nullptr;
}

// The buttons of a message window from left to right.
std::vector<TSkinButton*> ButtonsLeftToRight(TfrmMsg& w) {
  std::vector<TSkinButton*> out;
  for (TComponent* c : w.Components())
    if (auto* b = dynamic_cast<TSkinButton*>(c)) out.push_back(b);
  std::sort(out.begin(), out.end(), [](TSkinButton* a, TSkinButton* b) { return a->Left() < b->Left(); });
  return out;
}

std::function<void(TfrmMsg&)>* g_script = nullptr;
bool g_script_ran = false;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR id, DWORD) {
  // The window comes up some ticks after the timer starts on a busy machine: until then each
  // tick only looks.
  TfrmMsg* w = ShownMessageWindow();
  if (!w) return;
  KillTimer(nullptr, id);
  g_script_ran = true;
  Pump(40);
  (*g_script)(*w);
  Pump(20);
  // A script that failed half-way must not leave the test waiting on the dialog.
  if (w->ModalResult() == mrNone) w->SetModalResult(IDABORT);
}

// Shows the dialog and runs `script` on its window while it is shown modally; the script ends
// it as a user would. The dialog's answer.
TModalResult RunDialog(TSkinMessageDialog& d, std::function<void(TfrmMsg&)> script) {
  g_script = &script;
  g_script_ran = false;
  SetTimer(nullptr, 0, 30, ScriptTick);
  const TModalResult r = d.ShowDialog();
  g_script = nullptr;
  EXPECT_TRUE(g_script_ran) << "the dialog was not seen";
  return r;
}

void ClickButton(TSkinButton* b) {
  tolvane_test::ClickClient(b->Handle(), b->Width() / 2, b->Height() / 2);
  Pump(40);
}

void Keys(std::initializer_list<std::pair<WORD, bool>> strokes) {
  tolvane_test::KeyStrokes(strokes);
  Pump(60);
}

void PressKey(WORD vk) { Keys({{vk, false}, {vk, true}}); }

std::string ClipboardText() {
  std::string out;
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (auto* p = static_cast<const char*>(GlobalLock(h))) {
      out = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

class MessageDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(MessageDialog, TwoButtonsStandOkLeftCancelRightAndAnswerEnterEscAndClicks) {
  TSkinMessageDialog d(nullptr);
  d.SetButtonCount(2);
  d.SetIconType(TSkinIconType::skWarning);
  d.SetCaption("Tolvane");
  d.SetText("Save the ticked files?");
  auto check_layout = [](TfrmMsg& w) {
    std::vector<TSkinButton*> b = ButtonsLeftToRight(w);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0]->Caption(), "OK");
    EXPECT_EQ(b[1]->Caption(), "Cancel");
    EXPECT_TRUE(b[0]->Default());
    EXPECT_FALSE(b[0]->Cancel());
    EXPECT_TRUE(b[1]->Cancel());
    EXPECT_FALSE(b[1]->Default());
    EXPECT_EQ(w.ActiveControl(), b[0]);
    EXPECT_EQ(GetFocus(), b[0]->Handle());
    EXPECT_EQ(b[1]->Left() - (b[0]->Left() + b[0]->Width()), 20);
    EXPECT_EQ(b[0]->Width(), 73);
    EXPECT_EQ(b[0]->Height(), 25);
    EXPECT_EQ(b[0]->Cursor(), crHandPoint);
    // The text wraps beside the picture; the buttons stand 20 pixels below the picture,
    // which is lower than one line of text.
    EXPECT_EQ(w.lbl->Left(), 88);
    EXPECT_TRUE(w.Image1->Visible());
    EXPECT_EQ(w.Image1->Width(), 42);
    EXPECT_EQ(b[0]->Top(), 64 + 40 + 20);
    EXPECT_EQ(w.Height(), 64 + 40 + 75);
    EXPECT_EQ(w.skForm1->Caption(), "Tolvane");
    ASSERT_NE(w.skForm1->TitleBar(), nullptr);
    EXPECT_EQ(w.skForm1->TitleBar()->Buttons().Count(), 1);
  };
  EXPECT_EQ(RunDialog(d, [&](TfrmMsg& w) {
              check_layout(w);
              PressKey(VK_RETURN);
            }),
            mrOk);
  EXPECT_EQ(RunDialog(d, [](TfrmMsg&) { PressKey(VK_ESCAPE); }), mrCancel);
  EXPECT_EQ(RunDialog(d, [](TfrmMsg& w) { ClickButton(ButtonsLeftToRight(w)[1]); }), mrCancel);
  EXPECT_EQ(RunDialog(d, [](TfrmMsg& w) { ClickButton(ButtonsLeftToRight(w)[0]); }), mrOk);
  // Tab to Cancel, then Enter presses the focused button.
  EXPECT_EQ(RunDialog(d, [](TfrmMsg& w) {
              PressKey(VK_TAB);
              EXPECT_EQ(GetFocus(), ButtonsLeftToRight(w)[1]->Handle());
              PressKey(VK_RETURN);
            }),
            mrCancel);
  // The title bar's one button closes the window: the cancel answer.
  EXPECT_EQ(RunDialog(d, [](TfrmMsg& w) {
              TSkinTitleBar* bar = w.skForm1->TitleBar();
              RECT r = bar->ButtonRect(0);
              ASSERT_GT(r.right, r.left);
              tolvane_test::PostedMouse m;
              m.Click(bar, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
              Pump(40);
            }),
            mrCancel);
  EXPECT_EQ(ShownMessageWindow(), nullptr);
}

TEST_F(MessageDialog, ThreeButtonsStandInOrderAndKeepTheWidthWithoutAPicture) {
  TSkinMessageDialog d(nullptr);
  d.SetButtonCount(3);
  d.SetButtonCaption(1, "&Yes");
  d.SetButtonCaption(2, "&No");
  d.SetButtonCaption(3, "Cancel");
  d.SetButtonModalResult(1, IDYES);
  d.SetButtonModalResult(2, IDNO);
  d.SetButtonModalResult(3, mrCancel);
  int width_with_picture = 0, width_without = 0;
  d.SetIconType(TSkinIconType::skHelp);
  EXPECT_EQ(RunDialog(d, [&](TfrmMsg& w) {
              width_with_picture = w.Width();
              std::vector<TSkinButton*> b = ButtonsLeftToRight(w);
              ASSERT_EQ(b.size(), 3u);
              EXPECT_EQ(b[0]->Caption(), "&Yes");
              EXPECT_EQ(b[1]->Caption(), "&No");
              EXPECT_EQ(b[2]->Caption(), "Cancel");
              EXPECT_EQ(GetFocus(), b[0]->Handle());
              ClickButton(b[1]);
            }),
            IDNO);
  d.SetIconType(TSkinIconType::skNone);
  EXPECT_EQ(RunDialog(d, [&](TfrmMsg& w) {
              width_without = w.Width();
              EXPECT_EQ(w.lbl->Left(), 24);
              EXPECT_FALSE(w.Image1->Visible());
              // Alt and the underlined letter press a button.
              Keys({{VK_MENU, false}, {'Y', false}, {'Y', true}, {VK_MENU, true}});
            }),
            IDYES);
  EXPECT_EQ(width_without, width_with_picture);
}

TEST_F(MessageDialog, WithoutAPictureOneOrTwoButtonsMakeTheWindow64Narrower) {
  for (int count : {1, 2}) {
    TSkinMessageDialog d(nullptr);
    d.SetButtonCount(count);
    d.SetIconType(TSkinIconType::skInformation);
    int with_picture = 0, without = 0, right_gap_with = 0, right_gap_without = 0;
    RunDialog(d, [&](TfrmMsg& w) {
      with_picture = w.Width();
      TSkinButton* last = ButtonsLeftToRight(w).back();
      right_gap_with = w.Width() - (last->Left() + last->Width());
      PressKey(VK_RETURN);
    });
    d.SetIconType(TSkinIconType::skNone);
    RunDialog(d, [&](TfrmMsg& w) {
      without = w.Width();
      TSkinButton* last = ButtonsLeftToRight(w).back();
      right_gap_without = w.Width() - (last->Left() + last->Width());
      EXPECT_EQ(w.lbl->Left(), 24);
      PressKey(VK_RETURN);
    });
    EXPECT_EQ(with_picture - without, 64) << count;
    // The buttons keep to the right edge either way.
    EXPECT_EQ(right_gap_with, right_gap_without) << count;
  }
}

TEST_F(MessageDialog, LongTextMakesTheWindowTallerWithTheButtonsTwentyBelowIt) {
  TSkinMessageDialog d(nullptr);
  d.SetIconType(TSkinIconType::skStop);
  std::string text;
  for (int i = 0; i < 40; ++i) text += "The volume could not be read. ";
  d.SetText(text);
  EXPECT_EQ(RunDialog(d, [](TfrmMsg& w) {
              const int bottom = w.lbl->Top() + w.lbl->Height();
              EXPECT_GT(bottom, 64 + 42);
              EXPECT_EQ(w.lbl->Width(), 225);
              EXPECT_EQ(ButtonsLeftToRight(w)[0]->Top(), bottom + 20);
              EXPECT_EQ(w.Height(), bottom + 75);
              PressKey(VK_RETURN);
            }),
            mrOk);
}

TEST_F(MessageDialog, CtrlCPutsTheWholeMessageOnTheClipboard) {
  // Something else on the clipboard first: what is read afterwards is the dialog's.
  ASSERT_TRUE(PutClipboardText(nullptr, "before"));
  ASSERT_EQ(ClipboardText(), "before");
  TSkinMessageDialog d(nullptr);
  d.SetCaption("Title");
  d.SetText("Hello");
  EXPECT_EQ(RunDialog(d, [](TfrmMsg&) {
              Keys({{VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}});
              PressKey(VK_RETURN);
            }),
            mrOk);
  const std::string rule = "---------------------------";
  EXPECT_EQ(ClipboardText(), rule + "\r\nTitle\r\n" + rule + "\r\nHello\r\n" + rule + "\r\nOK\r\n" + rule);
  // An ampersand in the message is shown and copied as it is.
  ASSERT_TRUE(PutClipboardText(nullptr, "before"));
  d.SetButtonCount(2);
  d.SetText("Save & exit");
  EXPECT_EQ(RunDialog(d, [](TfrmMsg& w) {
              EXPECT_FALSE(w.lbl->ShowAccelChar());
              Keys({{VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}});
              PressKey(VK_ESCAPE);
            }),
            mrCancel);
  const std::string copied = ClipboardText();
  EXPECT_NE(copied.find("\r\nSave & exit\r\n"), std::string::npos);
  // The buttons in the order the window made them: the rightmost first.
  EXPECT_NE(copied.find("\r\nCancel   OK\r\n"), std::string::npos);
}

size_t CountThreadWindows() {
  struct Counter {
    static BOOL CALLBACK Child(HWND, LPARAM l) {
      ++*reinterpret_cast<size_t*>(l);
      return TRUE;
    }
    static BOOL CALLBACK Top(HWND w, LPARAM l) {
      ++*reinterpret_cast<size_t*>(l);
      EnumChildWindows(w, Child, l);
      return TRUE;
    }
  };
  size_t n = 0;
  EnumThreadWindows(GetCurrentThreadId(), Counter::Top, reinterpret_cast<LPARAM>(&n));
  return n;
}

TEST_F(MessageDialog, HundredDialogsShownAndClosedLeaveNoWindowOrGdiHandleBehind) {
  auto cycle = [](int i) {
    TSkinMessageDialog d(nullptr);
    d.SetUIStyle(static_cast<TSkinUIStyle>(1 + i % 5));
    d.SetIconType(static_cast<TSkinIconType>(i % 5));
    d.SetButtonCount(1 + i % 3);
    d.SetText("Dialog number " + std::to_string(i));
    RunDialog(d, [i](TfrmMsg& w) {
      if (i % 2) {
        ClickButton(ButtonsLeftToRight(w)[0]);
      } else {
        PostMessageA(w.Handle(), WM_CLOSE, 0, 0);
        Pump(20);
      }
    });
    Pump(5);
  };
  for (int i = 0; i < 5; ++i) cycle(i);
  const size_t windows_before = CountThreadWindows();
  const DWORD gdi_before = GdiObjectCount();
  for (int i = 0; i < 100; ++i) cycle(i);
  EXPECT_EQ(CountThreadWindows(), windows_before);
  const DWORD gdi_after = GdiObjectCount();
  EXPECT_LE(gdi_after, gdi_before + 10) << "before " << gdi_before << ", after " << gdi_after;
  EXPECT_EQ(ShownMessageWindow(), nullptr);
}

TEST_F(MessageDialog, FrameWithSidesWiderThanSixWidensTheWindowByBoth) {
  auto* theme = new TSkinFileTheme(nullptr);
  theme->SetThemeFile("theme_fixtures\\frame_wide.ssk");
  ASSERT_TRUE(theme->Ready());
  TSkinMessageDialog d(nullptr);
  d.SetFileTheme(theme);
  d.SetUIStyle(TSkinUIStyle::FromThemeFile);
  d.SetButtonCount(2);
  int built = 0, button_left = 0;
  {
    std::unique_ptr<TfrmMsg> unshown(d.BuildWindow());
    built = unshown->Width();
    button_left = ButtonsLeftToRight(*unshown)[0]->Left();
  }
  EXPECT_EQ(RunDialog(d, [&](TfrmMsg& w) {
              EXPECT_EQ(SendMessageA(w.Handle(), kFrameSideQuery, 0, 0), 10);
              EXPECT_EQ(w.Width(), built + 20);
              // The buttons keep their places: the room goes to the right.
              EXPECT_EQ(ButtonsLeftToRight(w)[0]->Left(), button_left);
              PressKey(VK_ESCAPE);
            }),
            mrCancel);
  delete theme;
}

// ---- the picture ----------------------------------------------------------------------------

COLORREF ScreenPixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

TEST_F(MessageDialog, EveryKindInEveryLookWrittenForALook) {
  struct Kind {
    TSkinIconType icon;
    int buttons;
    const char* text;
  };
  const Kind kinds[] = {
      {TSkinIconType::skNone, 3, "No picture and three buttons: the window keeps its width."},
      {TSkinIconType::skWarning, 2, "The destination lies on the scanned volume. Go on?"},
      {TSkinIconType::skStop, 1, "The volume could not be read."},
      {TSkinIconType::skInformation, 1, "The scan has finished: 1,204 deleted files were found."},
      {TSkinIconType::skHelp, 2, "Save the ticked files and folders to the chosen folder?"},
  };
  const char* looks[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass", "Skin archive"};
  auto* theme = new TSkinFileTheme(nullptr);
  theme->SetThemeFile("theme_fixtures\\frame.ssk");
  ASSERT_TRUE(theme->Ready());
  constexpr int kCellW = 360, kCellH = 200, kGap = 6;
  TBitmap sheet(5 * (kCellW + kGap) + kGap, 6 * (kCellH + kGap) + kGap);
  sheet.Canvas().Brush.Color = 0x808080;
  sheet.Canvas().FillRect(RECT{0, 0, sheet.Width(), sheet.Height()});
  for (int look = 1; look <= 6; ++look) {
    for (int k = 0; k < 5; ++k) {
      TSkinMessageDialog d(nullptr);
      if (look == 6) {
        d.SetFileTheme(theme);
        d.SetUIStyle(TSkinUIStyle::FromThemeFile);
      } else {
        d.SetUIStyle(static_cast<TSkinUIStyle>(look));
      }
      d.SetCaption(std::string(looks[look]) + " - " + std::to_string(k));
      d.SetIconType(kinds[k].icon);
      d.SetButtonCount(kinds[k].buttons);
      if (kinds[k].buttons == 3) {
        d.SetButtonCaption(1, "&Yes");
        d.SetButtonCaption(2, "&No");
      }
      d.SetText(kinds[k].text);
      int built_width = 0;
      {
        std::unique_ptr<TfrmMsg> unshown(d.BuildWindow());
        built_width = unshown->Width();
      }
      RunDialog(d, [&](TfrmMsg& w) {
        Pump(60);
        // A frame whose border reaches further than 6 pixels widens the window by both sides.
        const int side = static_cast<int>(SendMessageA(w.Handle(), kFrameSideQuery, 0, 0));
        EXPECT_EQ(w.Width(), built_width + (side > 6 ? 2 * side : 0)) << look << " " << k;
        // The buttons wear the dialog's look, not the frame's first one.
        for (TSkinButton* b : ButtonsLeftToRight(w))
          EXPECT_EQ(b->UIStyle(), d.UIStyle()) << look << " " << k;
        RECT r;
        GetWindowRect(w.Handle(), &r);
        const int x0 = kGap + k * (kCellW + kGap), y0 = kGap + (look - 1) * (kCellH + kGap);
        HDC screen = GetDC(nullptr);
        BitBlt(sheet.Canvas().Handle(), x0, y0, std::min<int>(kCellW, r.right - r.left),
               std::min<int>(kCellH, r.bottom - r.top), screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        if (kinds[k].icon != TSkinIconType::skNone) {
          // The picture is drawn without its transparent key around it.
          POINT corner = w.Image1->ClientToScreen(POINT{0, 0});
          EXPECT_NE(ScreenPixel(corner.x, corner.y), 0xFF00FFu) << look << " " << k;
          POINT mid = w.Image1->ClientToScreen(POINT{21, 30});
          EXPECT_NE(ScreenPixel(mid.x, mid.y), ScreenPixel(corner.x, corner.y)) << look << " " << k;
        }
        PressKey(VK_ESCAPE);
        if (w.ModalResult() == mrNone) PressKey(VK_RETURN);
      });
    }
  }
  delete theme;
  tolvane_test::SavePicture(sheet, "skin_dialogs.png");
}

}  // namespace
