// Top-level forms in real windows under the X server: the client area inside the borders,
// bounds that follow the window, nested resizing, window state and restore (by the form's
// own restore and by the program's, as a second start sends it), who owns which window,
// size constraints, the application's hooks and GDI handles over many show/close cycles.
// Writes bordered_form.png (a bordered form with an alClient panel and a child) to
// tests/artifacts/.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;

namespace {

using tolvane_test::DragWithTheMouse;
using tolvane_test::GdiObjectCount;
using tolvane_test::Pump;

// Started again with TOLVANE_SECOND_START set to a window handle, this executable is the
// second start of the program: it sends that window the restore, as the start-up guard does,
// and ends before any test runs.
const bool kSecondStart = [] {
  char text[32];
  DWORD n = GetEnvironmentVariableA("TOLVANE_SECOND_START", text, sizeof(text));
  if (n == 0 || n >= sizeof(text)) return false;
  auto wnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_strtoui64(text, nullptr, 16)));
  LRESULT r = SendMessageA(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  ExitProcess(r == 0 ? 0 : 1);
}();

RECT ScreenRect(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return r;
}

RECT ClientOnScreen(HWND wnd) {
  RECT r;
  GetClientRect(wnd, &r);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Rectangles compared as text, so that a failure shows both whole.
std::string Str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

RECT Bounds(const TControl* c) { return c->BoundsRect(); }

// A sizeable form with a caption and borders, an alClient panel and a child on the panel.
struct BorderedForm {
  TForm* form;
  TPanel* panel;
  TPanel* child;
  BorderedForm() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsSizeable);
    form->SetCaption("Bordered form");
    form->SetBounds(40, 40, 320, 220);
    panel = new TPanel(form);
    panel->SetAlign(TAlign::alClient);
    panel->SetColor(0xE0C8A0);
    panel->SetCaption("");
    panel->SetParent(form);
    child = new TPanel(form);
    child->SetBounds(12, 12, 150, 40);
    child->SetColor(0x80E0F0);
    child->SetCaption("Child panel");
    child->SetParent(panel);
  }
  ~BorderedForm() { delete form; }
};

// A control that, when the system reports its size, shrinks itself to at most 50 pixels high
// from inside that message.
class ShrinkingControl : public TCustomControl {
 public:
  explicit ShrinkingControl(TComponent* owner) : TCustomControl(owner) {}

 protected:
  void WMSize(TMessage& m) override {
    TCustomControl::WMSize(m);
    if (Height() > 50) SetBounds(Left(), Top(), Width(), 50);
  }
};

}  // namespace

class TopLevel : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
  void TearDown() override { Application()->SetMainForm(nullptr); }
};

TEST_F(TopLevel, AlClientPanelInsideABorderedFormFitsItsClientArea) {
  BorderedForm t;
  RECT before = t.form->ClientRect();  // before the window exists: inside the borders already
  t.form->Show();
  Pump();
  RECT cr;
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(Str(before), Str(cr));
  EXPECT_EQ(Str(t.form->ClientRect()), Str(cr));
  EXPECT_EQ(Str(Bounds(t.panel)), Str(cr));
  EXPECT_EQ(Str(ScreenRect(t.panel->Handle())), Str(ClientOnScreen(t.form->Handle())));
  // Client points map through the borders and caption, for the form and for its children.
  POINT sys{7, 9};
  ClientToScreen(t.child->Handle(), &sys);
  POINT ours = t.child->ClientToScreen(POINT{7, 9});
  EXPECT_EQ(ours.x, sys.x);
  EXPECT_EQ(ours.y, sys.y);
  POINT back = t.form->ScreenToClient(t.form->ClientToScreen(POINT{3, 4}));
  EXPECT_EQ(back.x, 3);
  EXPECT_EQ(back.y, 4);
  // The system's resize (as a border drag does) lays the panel out again.
  SetWindowPos(t.form->Handle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(t.form->Width(), 400);
  EXPECT_EQ(Str(Bounds(t.panel)), Str(cr));

  // What a person sees: the form as it stands on the screen, frame included.
  t.form->SetBounds(40, 40, 320, 220);
  t.form->Repaint();
  Pump(50);
  RECT wr = ScreenRect(t.form->Handle());
  TBitmap shot;
  tolvane_test::GrabScreen(wr, shot);
  tolvane_test::SavePicture(shot, "bordered_form.png");
  POINT child_at = t.child->ClientToScreen(POINT{5, 5});
  EXPECT_EQ(shot.GetPixel(child_at.x - wr.left, child_at.y - wr.top), 0x80E0F0);
}

TEST_F(TopLevel, TakingTheCaptionAwayGivesItsRowsToTheAlignedPanel) {
  // What a skinned frame does to its form: the caption bits go, the frame is recalculated,
  // and the thin borders that stay are measured from the bounds and the client corner.
  for (TFormBorderStyle style : {TFormBorderStyle::bsDialog, TFormBorderStyle::bsSizeable}) {
    BorderedForm t;
    t.form->SetBorderStyle(style);
    t.form->Show();
    Pump();
    int with_caption = t.panel->Height();
    HWND h = t.form->Handle();
    SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) & ~WS_CAPTION);
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT cr;
    GetClientRect(h, &cr);
    EXPECT_GT(t.panel->Height(), with_caption);
    EXPECT_EQ(Str(Bounds(t.panel)), Str(cr));
    RECT client = t.form->ClientRect();
    POINT corner = t.form->ClientToScreen(POINT{client.right, client.bottom});
    int bottom_border = t.form->Top() + t.form->Height() - corner.y;
    POINT origin = t.form->ClientToScreen(POINT{0, 0});
    int side_border = origin.x - t.form->Left();
    EXPECT_GT(bottom_border, 0);
    EXPECT_LE(bottom_border, 12);
    EXPECT_EQ(side_border, bottom_border);
  }
}

TEST_F(TopLevel, MovesByTheSystemAndByTheUsersDragUpdateTheBounds) {
  BorderedForm t;
  t.form->Show();
  Pump();
  MoveWindow(t.form->Handle(), 120, 130, 330, 240, TRUE);
  EXPECT_EQ(Str(Bounds(t.form)), "120,130,450,370");
  MoveWindow(t.child->Handle(), 30, 35, 100, 20, TRUE);  // a child: parent client coordinates
  EXPECT_EQ(Str(Bounds(t.child)), "30,35,130,55");

  // A drag of the native caption.
  RECT wr = ScreenRect(t.form->Handle());
  POINT grab{wr.left + 60, wr.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
  ASSERT_EQ(SendMessageA(t.form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(grab.x, grab.y)), HTCAPTION);
  DragWithTheMouse(grab, 50, 30);
  Pump(50);
  EXPECT_EQ(Str(ScreenRect(t.form->Handle())), "170,160,500,400");
  EXPECT_EQ(Str(Bounds(t.form)), "170,160,500,400");

  // A caption-less form whose bar hands the press to the system, as a skinned title bar does.
  TForm bare(nullptr);
  bare.SetBorderStyle(TFormBorderStyle::bsNone);
  bare.SetBounds(100, 500, 200, 120);
  auto* bar = new TPanel(&bare);
  bar->SetAlign(TAlign::alTop);
  bar->SetParent(&bare);
  bar->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    ReleaseCapture();
    SendMessageA(bare.Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  };
  bare.Show();
  Pump();
  DragWithTheMouse(POINT{150, 510}, -40, 60);
  Pump(50);
  EXPECT_EQ(Str(ScreenRect(bare.Handle())), "60,560,260,680");
  EXPECT_EQ(Str(Bounds(&bare)), "60,560,260,680");
}

TEST_F(TopLevel, SetBoundsFromInsideWmSizeIsNotDropped) {
  BorderedForm t;
  auto* c = new ShrinkingControl(t.form);
  c->SetBounds(200, 10, 60, 40);
  c->SetParent(t.panel);
  // A skinned frame keeps a maximised window on the work area widened by a few pixels, from
  // inside the size message that the maximising sends.
  RECT work = Screen()->WorkAreaRect(nullptr);
  RECT want{work.left - 2, work.top - 2, work.right + 2, work.bottom - 1};
  t.form->OnResize = [&](TObject*) {
    if (t.form->WindowState() == TWindowState::wsMaximized)
      t.form->SetBounds(want.left, want.top, want.right - want.left, want.bottom - want.top);
  };
  t.form->Show();
  Pump();
  c->SetBounds(200, 10, 60, 120);
  EXPECT_EQ(c->Height(), 50);
  RECT cr = ScreenRect(c->Handle());
  EXPECT_EQ(cr.bottom - cr.top, 50);  // the window took the nested size too
  t.form->SetWindowState(TWindowState::wsMaximized);
  Pump();
  EXPECT_EQ(Str(ScreenRect(t.form->Handle())), Str(want));
  EXPECT_EQ(Str(Bounds(t.form)), Str(want));
  EXPECT_EQ(t.panel->Width(), t.form->ClientWidth());
}

TEST_F(TopLevel, ClientSizeSettersSizeTheWindowAroundTheClientArea) {
  BorderedForm t;
  t.form->SetClientWidth(400);
  t.form->SetClientHeight(250);
  t.form->Show();
  Pump();
  RECT cr;
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(Str(cr), "0,0,400,250");
  t.form->SetClientWidth(300);
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(Str(cr), "0,0,300,250");
  EXPECT_EQ(t.panel->Width(), 300);
}

TEST_F(TopLevel, WindowStateMinimisedAndMaximisedComeBackToTheNormalBounds) {
  BorderedForm t;
  Application()->SetMainForm(t.form);
  t.form->Show();
  Pump();
  t.form->SetWindowState(TWindowState::wsMinimized);
  Pump();
  EXPECT_TRUE(IsIconic(t.form->Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsMinimized);
  // A minimised form keeps the bounds it comes back to, and its layout.
  EXPECT_EQ(Str(Bounds(t.form)), "40,40,360,260");
  EXPECT_EQ(t.panel->Width(), t.form->ClientWidth());
  // The task bar's restore.
  SendMessageA(t.form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_FALSE(IsIconic(t.form->Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(Str(ScreenRect(t.form->Handle())), "40,40,360,260");

  t.form->SetWindowState(TWindowState::wsMaximized);
  Pump();
  EXPECT_TRUE(IsZoomed(t.form->Handle()));
  EXPECT_GT(t.form->Width(), 320);
  EXPECT_EQ(t.panel->Width(), t.form->ClientWidth());
  t.form->SetWindowState(TWindowState::wsNormal);
  Pump();
  EXPECT_EQ(Str(Bounds(t.form)), "40,40,360,260");
  // Asked for while hidden, a state is taken when the form is shown.
  t.form->Hide();
  t.form->SetWindowState(TWindowState::wsMaximized);
  EXPECT_FALSE(IsWindowVisible(t.form->Handle()));
  t.form->Show();
  Pump();
  EXPECT_TRUE(IsZoomed(t.form->Handle()));
}

TEST_F(TopLevel, RestoreSentToTheApplicationWindowBringsTheProgramBack) {
  BorderedForm main_form, progress;
  Application()->SetMainForm(main_form.form);
  main_form.form->Show();
  progress.form->Show();
  Pump();
  // The progress window was minimised on its own, then the program as a whole.
  progress.form->SetWindowState(TWindowState::wsMinimized);
  main_form.form->SetWindowState(TWindowState::wsMinimized);
  Pump();
  ASSERT_TRUE(IsIconic(main_form.form->Handle()));
  // A second start of the program sends this to the first one's application window.
  SendMessageA(Application()->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_EQ(main_form.form->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(progress.form->WindowState(), TWindowState::wsNormal);
  EXPECT_TRUE(IsWindowVisible(progress.form->Handle()));
  EXPECT_EQ(GetForegroundWindow(), progress.form->Handle());  // the last active one
}

TEST_F(TopLevel, ASecondStartsRestoreFromAnotherProcessBringsTheMainFormBack) {
  BorderedForm t;
  Application()->SetMainForm(t.form);
  t.form->Show();
  Pump();
  t.form->SetWindowState(TWindowState::wsMinimized);
  Pump();
  ASSERT_TRUE(IsIconic(t.form->Handle()));
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  char handle[32];
  wsprintfA(handle, "%p", static_cast<void*>(Application()->Handle()));
  SetEnvironmentVariableA("TOLVANE_SECOND_START", handle);
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::string cmd = std::string("\"") + exe + "\"";
  BOOL started = CreateProcessA(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &si, &pi);
  SetEnvironmentVariableA("TOLVANE_SECOND_START", nullptr);
  ASSERT_TRUE(started);
  // The other process waits in SendMessage until this one handles the restore.
  tolvane_test::WaitUntil([&] { return WaitForSingleObject(pi.hProcess, 0) != WAIT_TIMEOUT; }, 20000);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  Pump();
  EXPECT_FALSE(IsIconic(t.form->Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsNormal);
}

TEST_F(TopLevel, MinimisedModalFormTakesTheProgramDownAndComesBackWithIt) {
  BorderedForm main_form, progress;
  Application()->SetMainForm(main_form.form);
  main_form.form->Show();
  Pump();
  bool main_went_down = false, came_back = false;
  int step = 0;
  TTimer timer(nullptr);
  timer.SetInterval(30);
  timer.OnTimer = [&](TObject*) {
    if (++step == 1) {
      progress.form->SetWindowState(TWindowState::wsMinimized);
    } else if (step == 3) {
      main_went_down = IsIconic(main_form.form->Handle()) != 0;
      // The main form's task-bar button, while the modal form keeps it disabled.
      SendMessageA(main_form.form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (step == 5) {
      came_back = !IsIconic(progress.form->Handle()) && IsWindowVisible(progress.form->Handle());
      progress.form->SetModalResult(mrOk);
    }
  };
  EXPECT_EQ(progress.form->ShowModal(), mrOk);
  EXPECT_TRUE(main_went_down);
  EXPECT_TRUE(came_back);
  EXPECT_FALSE(IsIconic(main_form.form->Handle()));
}

TEST_F(TopLevel, MainFormHasItsOwnTaskBarButtonAndOwnsTheOthers) {
  BorderedForm a, b;
  Application()->SetMainForm(a.form);
  b.form->Show();  // before the main form has a window: it gets its owner when that comes
  a.form->Show();
  HWND ha = a.form->Handle(), hb = b.form->Handle();
  auto app_window = [](HWND h) { return (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0; };
  EXPECT_EQ(GetWindow(ha, GW_OWNER), nullptr);
  EXPECT_TRUE(app_window(ha));
  EXPECT_EQ(GetWindow(hb, GW_OWNER), ha);
  EXPECT_FALSE(app_window(hb));
  // The main window passes to the other form (as from the start window to the results
  // window): the old main form is owned by the new one.
  Application()->SetMainForm(b.form);
  EXPECT_EQ(GetWindow(hb, GW_OWNER), nullptr);
  EXPECT_TRUE(app_window(hb));
  EXPECT_EQ(GetWindow(ha, GW_OWNER), hb);
  EXPECT_FALSE(app_window(ha));
  // Remaking the main form's window (a border change) does not take the owned forms with it.
  b.form->SetBorderStyle(TFormBorderStyle::bsDialog);
  hb = b.form->Handle();
  EXPECT_EQ(a.form->Handle(), ha);
  EXPECT_EQ(GetWindow(ha, GW_OWNER), hb);
  EXPECT_TRUE(GetWindowLongA(hb, GWL_STYLE) & WS_DLGFRAME);
  EXPECT_TRUE(GetWindowLongA(hb, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  // Without a main form the hidden application window owns every form.
  Application()->SetMainForm(nullptr);
  EXPECT_EQ(GetWindow(ha, GW_OWNER), Application()->Handle());
  EXPECT_EQ(GetWindow(hb, GW_OWNER), Application()->Handle());
}

TEST_F(TopLevel, ConstraintsLimitTheSystemsSizingAndSetBounds) {
  BorderedForm t;
  t.form->Show();
  t.form->Constraints().SetMinWidth(250);
  t.form->Constraints().SetMinHeight(180);
  t.form->Constraints().SetMaxWidth(600);
  t.form->Constraints().SetMaxHeight(500);
  MINMAXINFO mi{};
  mi.ptMaxTrackSize = POINT{5000, 5000};
  SendMessageA(t.form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mi));
  EXPECT_EQ(Str(RECT{mi.ptMinTrackSize.x, mi.ptMinTrackSize.y, mi.ptMaxTrackSize.x,
                     mi.ptMaxTrackSize.y}),
            "250,180,600,500");
  t.form->SetBounds(40, 40, 100, 900);
  EXPECT_EQ(Str(ScreenRect(t.form->Handle())), "40,40,290,540");
  t.form->Constraints().SetMinHeight(520);  // above the current size: grows at once
  EXPECT_EQ(t.form->Height(), 520);
}

TEST_F(TopLevel, OnPaintDrawsOnTheFormsCanvasUnderItsControls) {
  TForm f(nullptr);
  f.SetBorderStyle(TFormBorderStyle::bsNone);
  f.SetBounds(0, 0, 40, 40);
  f.OnPaint = [&](TObject*) {
    f.Canvas().Brush.Color = 0x0000FF;
    f.Canvas().FillRect(RECT{0, 0, 40, 40});
  };
  f.Show();
  TBitmap bmp(40, 40);
  f.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()), 0);
  EXPECT_EQ(bmp.GetPixel(20, 20), 0x0000FF);
}

TEST_F(TopLevel, HooksOfSeveralOwnersComeAndGoInAnyOrder) {
  constexpr UINT kProbe = WM_USER + 11;
  std::string seen;
  auto* frame = new TApplicationEvents(nullptr);
  auto* menu = new TApplicationEvents(nullptr);
  frame->OnMessage = [&](MSG& m, bool& handled) {
    if (m.message != kProbe) return;
    seen += 'f';
    handled = true;
  };
  menu->OnMessage = [&](MSG& m, bool&) {
    if (m.message == kProbe) seen += 'm';
  };
  int form_hook = Application()->AddMessageHook([&](MSG& m, bool&) {
    if (m.message == kProbe) seen += 'o';
  });
  // A hook that removes another while the message is offered: that one is not called.
  int remover = Application()->AddMessageHook([&](MSG& m, bool&) {
    if (m.message == kProbe + 1) Application()->RemoveMessageHook(form_hook);
  });
  auto post = [&](UINT msg) {
    seen.clear();
    PostMessageA(Application()->Handle(), msg, 0, 0);
    Pump(5);
    return seen;
  };
  EXPECT_EQ(post(kProbe), "fmo");  // every hook sees it, also after one has handled it
  delete menu;                     // the middle one first
  EXPECT_EQ(post(kProbe), "fo");
  post(kProbe + 1);
  EXPECT_EQ(post(kProbe), "f");
  delete frame;
  Application()->RemoveMessageHook(remover);
  EXPECT_EQ(post(kProbe), "");

  // Hooks on the application window, added by two owners, removed in the order added.
  int calls = 0;
  auto counter = [&](TMessage& m) {
    if (m.Msg == kProbe) ++calls;
    return false;
  };
  int w1 = Application()->HookMainWindow(counter);
  int w2 = Application()->HookMainWindow(counter);
  SendMessageA(Application()->Handle(), kProbe, 0, 0);
  Application()->UnhookMainWindow(w1);
  SendMessageA(Application()->Handle(), kProbe, 0, 0);
  Application()->UnhookMainWindow(w2);
  SendMessageA(Application()->Handle(), kProbe, 0, 0);
  EXPECT_EQ(calls, 3);
}

TEST_F(TopLevel, GdiHandlesStayLevelOverManyShowCloseCyclesAndFontChanges) {
  auto cycle = [](int i) {
    BorderedForm t;
    t.child->Font().SetSize(8 + i % 5);
    t.child->Font().SetStyle(i % 2 ? TFontStyles{fsBold} : TFontStyles{0});
    t.form->Show();
    Pump(10);
    t.child->Font().SetName(i % 2 ? "Courier New" : "Tahoma");
    t.child->Font().SetColor(0x000080 + i);
    t.child->Repaint();
    t.form->Close();
    Pump(5);
  };
  for (int i = 0; i < 3; ++i) cycle(i);  // caches of the system fill up first
  DWORD before = GdiObjectCount();
  for (int i = 0; i < 50; ++i) cycle(i);
  DWORD after = GdiObjectCount();
  EXPECT_GT(before, 0u);
  EXPECT_LE(after, before + 2) << "before " << before << ", after " << after;
}
