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
#include "tests/forms/wine_unmanaged.h"
#include "tests/skin/png_writer.h"

using namespace forms;

namespace {

void Pump(int rounds = 5) {
  for (int i = 0; i < rounds; ++i) {
    Application()->ProcessMessages();
    Sleep(5);
  }
}

// GDI objects of this process. Wine's GetGuiResources answers 0; there a handle whose high word
// is 0 names the table entry of its low word whatever its generation, so the live entries can
// be counted one by one.
DWORD GdiObjectCount() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return n;
  for (ULONG_PTR i = 1; i <= 0xFFFF; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++n;
  return n;
}

RECT ScreenRect(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return r;
}

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
  // Before the window exists the client area is already the one inside the borders.
  RECT before = t.form->ClientRect();
  EXPECT_LT(before.right, 320);
  EXPECT_LT(before.bottom, 220);
  t.form->Show();
  Pump();
  RECT cr;
  GetClientRect(t.form->Handle(), &cr);
  RECT fr = t.form->ClientRect();
  EXPECT_EQ(fr.right, cr.right);
  EXPECT_EQ(fr.bottom, cr.bottom);
  EXPECT_EQ(before.right, cr.right);
  EXPECT_EQ(before.bottom, cr.bottom);
  EXPECT_EQ(t.panel->Left(), 0);
  EXPECT_EQ(t.panel->Top(), 0);
  EXPECT_EQ(t.panel->Width(), cr.right);
  EXPECT_EQ(t.panel->Height(), cr.bottom);
  // The panel's window lies exactly over the form's client area on the screen.
  POINT origin{0, 0};
  ClientToScreen(t.form->Handle(), &origin);
  RECT pr = ScreenRect(t.panel->Handle());
  EXPECT_EQ(pr.left, origin.x);
  EXPECT_EQ(pr.top, origin.y);
  EXPECT_EQ(pr.right, origin.x + cr.right);
  EXPECT_EQ(pr.bottom, origin.y + cr.bottom);

  // A resize by the system (as a border drag does) lays the panel out again.
  SetWindowPos(t.form->Handle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(t.form->Width(), 400);
  EXPECT_EQ(t.form->Height(), 300);
  EXPECT_EQ(t.panel->Width(), cr.right);
  EXPECT_EQ(t.panel->Height(), cr.bottom);

  // What a person sees: the form as it stands on the screen, frame included.
  t.form->SetBounds(40, 40, 320, 220);
  t.form->Repaint();
  t.panel->Repaint();
  t.child->Repaint();
  Pump(10);
  RECT wr = ScreenRect(t.form->Handle());
  TBitmap shot(wr.right - wr.left, wr.bottom - wr.top);
  HDC screen = GetDC(nullptr);
  BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, wr.left, wr.top,
         SRCCOPY);
  ReleaseDC(nullptr, screen);
  CreateDirectoryA("..\\tests\\artifacts", nullptr);
  EXPECT_TRUE(tolvane_test::WritePng(shot, "..\\tests\\artifacts\\bordered_form.png"));
  // The child's colour shows inside the client area, where the child was put.
  POINT child_at = t.child->ClientToScreen(POINT{5, 5});
  EXPECT_EQ(shot.GetPixel(child_at.x - wr.left, child_at.y - wr.top), 0x80E0F0);
}

TEST_F(TopLevel, ClientToScreenStartsInsideTheBorders) {
  BorderedForm t;
  t.form->Show();
  Pump();
  POINT sys{7, 9};
  ClientToScreen(t.form->Handle(), &sys);
  POINT ours = t.form->ClientToScreen(POINT{7, 9});
  EXPECT_EQ(ours.x, sys.x);
  EXPECT_EQ(ours.y, sys.y);
  EXPECT_GT(ours.x, t.form->Left() + 7);  // the left border lies in between
  EXPECT_GT(ours.y, t.form->Top() + 9);   // and the caption above
  POINT csys{3, 4};
  ClientToScreen(t.child->Handle(), &csys);
  POINT cours = t.child->ClientToScreen(POINT{3, 4});
  EXPECT_EQ(cours.x, csys.x);
  EXPECT_EQ(cours.y, csys.y);
  POINT back = t.child->ScreenToClient(cours);
  EXPECT_EQ(back.x, 3);
  EXPECT_EQ(back.y, 4);
}

TEST_F(TopLevel, MovesAndSizesFromOutsideTheObjectUpdateItsBounds) {
  BorderedForm t;
  t.form->Show();
  Pump();
  // The system moves and sizes the window itself when the user drags it.
  MoveWindow(t.form->Handle(), 120, 130, 330, 240, TRUE);
  Pump();
  EXPECT_EQ(t.form->Left(), 120);
  EXPECT_EQ(t.form->Top(), 130);
  EXPECT_EQ(t.form->Width(), 330);
  EXPECT_EQ(t.form->Height(), 240);
  SetWindowPos(t.form->Handle(), nullptr, 60, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(t.form->Left(), 60);
  EXPECT_EQ(t.form->Top(), 70);
  // A child moved by its window follows too, in its parent's client coordinates.
  MoveWindow(t.child->Handle(), 30, 35, 100, 20, TRUE);
  EXPECT_EQ(t.child->Left(), 30);
  EXPECT_EQ(t.child->Top(), 35);
  EXPECT_EQ(t.child->Width(), 100);
}

TEST_F(TopLevel, UserDragOfTheCaptionMovesTheFormAndUpdatesLeftTop) {
  BorderedForm t;
  t.form->Show();
  Pump();
  RECT wr = ScreenRect(t.form->Handle());
  POINT grab{wr.left + 60, wr.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
  ASSERT_EQ(SendMessageA(t.form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(grab.x, grab.y)), HTCAPTION);
  // The system's move loop runs inside the press on the caption; the mouse moves and the
  // release come from another thread, as a person's hand would.
  struct Drag {
    POINT from;
    static DWORD WINAPI Run(void* p) {
      auto* d = static_cast<Drag*>(p);
      Sleep(150);
      for (int i = 1; i <= 10; ++i) {
        SetCursorPos(d->from.x + 5 * i, d->from.y + 3 * i);
        Sleep(20);
      }
      INPUT up{};
      up.type = INPUT_MOUSE;
      up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(1, &up, sizeof(up));
      return 0;
    }
  } drag{grab};
  SetCursorPos(grab.x, grab.y);
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &down, sizeof(down));
  HANDLE thread = CreateThread(nullptr, 0, Drag::Run, &drag, 0, nullptr);
  for (int i = 0; i < 100 && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; ++i) Pump(1);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  Pump(10);
  RECT after = ScreenRect(t.form->Handle());
  EXPECT_EQ(after.left, wr.left + 50);
  EXPECT_EQ(after.top, wr.top + 30);
  EXPECT_EQ(t.form->Left(), after.left);
  EXPECT_EQ(t.form->Top(), after.top);
}

TEST_F(TopLevel, SetBoundsFromInsideWmSizeIsNotDropped) {
  BorderedForm t;
  auto* c = new ShrinkingControl(t.form);
  c->SetBounds(200, 10, 60, 40);
  c->SetParent(t.child->Parent());
  t.form->Show();
  Pump();
  c->SetBounds(200, 10, 60, 120);
  Pump();
  RECT r = ScreenRect(c->Handle());
  EXPECT_EQ(c->Height(), 50);
  EXPECT_EQ(r.bottom - r.top, 50);  // the window took the nested size too
}

TEST_F(TopLevel, ClientSizeSettersSizeTheWindowAroundTheClientArea) {
  BorderedForm t;
  t.form->SetClientWidth(400);
  t.form->SetClientHeight(250);
  EXPECT_EQ(t.form->ClientWidth(), 400);
  EXPECT_EQ(t.form->ClientHeight(), 250);
  t.form->Show();
  Pump();
  RECT cr;
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(cr.right, 400);
  EXPECT_EQ(cr.bottom, 250);
  t.form->SetClientWidth(300);
  GetClientRect(t.form->Handle(), &cr);
  EXPECT_EQ(cr.right, 300);
  EXPECT_EQ(t.panel->Width(), 300);
}

TEST_F(TopLevel, MinimisedFormComesBackThroughItsRestoreWithItsBounds) {
  BorderedForm t;
  Application()->SetMainForm(t.form);
  t.form->Show();
  Pump();
  t.form->SetWindowState(TWindowState::wsMinimized);
  Pump();
  EXPECT_TRUE(IsIconic(t.form->Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsMinimized);
  // The minimised window keeps the bounds it comes back to, and its layout.
  EXPECT_EQ(t.form->Width(), 320);
  EXPECT_EQ(t.form->Height(), 220);
  EXPECT_EQ(t.panel->Width(), t.form->ClientWidth());
  // The task bar's restore.
  SendMessageA(t.form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_FALSE(IsIconic(t.form->Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsNormal);
  RECT r = ScreenRect(t.form->Handle());
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(t.form->Left(), 40);
}

TEST_F(TopLevel, RestoreSentToTheApplicationWindowBringsTheProgramBack) {
  BorderedForm main_form;
  BorderedForm progress;
  Application()->SetMainForm(main_form.form);
  main_form.form->Show();
  progress.form->SetBounds(100, 100, 240, 120);
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
  EXPECT_FALSE(IsIconic(main_form.form->Handle()));
  EXPECT_FALSE(IsIconic(progress.form->Handle()));
  EXPECT_TRUE(IsWindowVisible(progress.form->Handle()));
  EXPECT_EQ(main_form.form->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(progress.form->WindowState(), TWindowState::wsNormal);
  // The last active window of the program comes forward.
  EXPECT_EQ(GetForegroundWindow(), progress.form->Handle());
}

TEST_F(TopLevel, MinimisedModalFormTakesTheProgramDownAndComesBackWithIt) {
  BorderedForm main_form;
  BorderedForm progress;
  Application()->SetMainForm(main_form.form);
  main_form.form->Show();
  Pump();
  bool main_went_down = false, came_back = false;
  TTimer timer(nullptr);
  timer.SetInterval(30);
  int step = 0;
  timer.OnTimer = [&](TObject*) {
    ++step;
    if (step == 1) {
      progress.form->SetWindowState(TWindowState::wsMinimized);
    } else if (step == 3) {
      main_went_down = IsIconic(main_form.form->Handle()) != 0;
      // The main form's button on the task bar.
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
  a.form->Show();
  b.form->Show();
  Pump();
  HWND ha = a.form->Handle(), hb = b.form->Handle();
  EXPECT_EQ(GetWindow(ha, GW_OWNER), nullptr);
  EXPECT_TRUE(GetWindowLongA(ha, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(hb, GW_OWNER), ha);
  EXPECT_FALSE(GetWindowLongA(hb, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  // The main window passes to the other form (the results window takes it from the start
  // window): the old main form is owned by the new one.
  Application()->SetMainForm(b.form);
  EXPECT_EQ(GetWindow(hb, GW_OWNER), nullptr);
  EXPECT_TRUE(GetWindowLongA(hb, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(ha, GW_OWNER), hb);
  EXPECT_FALSE(GetWindowLongA(ha, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  // Remaking the main form's window (a border change) does not take the owned forms with it.
  b.form->SetBorderStyle(TFormBorderStyle::bsSingle);
  HWND hb2 = b.form->Handle();
  EXPECT_TRUE(IsWindow(ha));
  EXPECT_EQ(a.form->Handle(), ha);
  EXPECT_EQ(GetWindow(ha, GW_OWNER), hb2);

  // Without a main form the hidden application window owns every form.
  Application()->SetMainForm(nullptr);
  EXPECT_EQ(GetWindow(ha, GW_OWNER), Application()->Handle());
  EXPECT_EQ(GetWindow(hb2, GW_OWNER), Application()->Handle());
}

TEST_F(TopLevel, DialogBorderHasTheModalDialogFrame) {
  TForm f(nullptr);
  f.SetBorderStyle(TFormBorderStyle::bsDialog);
  HWND h = f.Handle();
  ASSERT_TRUE(h);
  EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_DLGFRAME);
  EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(TopLevel, ConstraintsLimitTheSystemsSizingAndSetBounds) {
  BorderedForm t;
  t.form->Show();
  Pump();
  t.form->Constraints().SetMinWidth(250);
  t.form->Constraints().SetMinHeight(180);
  t.form->Constraints().SetMaxWidth(600);
  t.form->Constraints().SetMaxHeight(500);
  MINMAXINFO mi{};
  mi.ptMaxTrackSize = POINT{5000, 5000};
  SendMessageA(t.form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mi));
  EXPECT_EQ(mi.ptMinTrackSize.x, 250);
  EXPECT_EQ(mi.ptMinTrackSize.y, 180);
  EXPECT_EQ(mi.ptMaxTrackSize.x, 600);
  EXPECT_EQ(mi.ptMaxTrackSize.y, 500);
  t.form->SetBounds(40, 40, 100, 900);
  EXPECT_EQ(t.form->Width(), 250);
  EXPECT_EQ(t.form->Height(), 500);
  RECT r = ScreenRect(t.form->Handle());
  EXPECT_EQ(r.right - r.left, 250);
  // A minimum above the current size grows the form at once.
  t.form->Constraints().SetMinHeight(520);
  EXPECT_EQ(t.form->Height(), 520);
}

TEST_F(TopLevel, MaximisedAndBackToTheNormalBounds) {
  BorderedForm t;
  t.form->Show();
  Pump();
  t.form->SetWindowState(TWindowState::wsMaximized);
  Pump();
  EXPECT_TRUE(IsZoomed(t.form->Handle()));
  EXPECT_EQ(t.form->WindowState(), TWindowState::wsMaximized);
  EXPECT_GT(t.form->Width(), 320);
  EXPECT_EQ(t.panel->Width(), t.form->ClientWidth());
  t.form->SetWindowState(TWindowState::wsNormal);
  Pump();
  EXPECT_FALSE(IsZoomed(t.form->Handle()));
  EXPECT_EQ(t.form->Width(), 320);
  EXPECT_EQ(t.form->Left(), 40);
  // Asked for while hidden, a state is taken when the form is shown.
  t.form->Hide();
  t.form->SetWindowState(TWindowState::wsMaximized);
  EXPECT_FALSE(IsWindowVisible(t.form->Handle()));
  t.form->Show();
  Pump();
  EXPECT_TRUE(IsZoomed(t.form->Handle()));
}

TEST_F(TopLevel, MessageHooksOfSeveralOwnersComeAndGoInAnyOrder) {
  constexpr UINT kProbe = WM_USER + 11;
  std::vector<char> seen;
  auto* frame = new TApplicationEvents(nullptr);
  auto* menu = new TApplicationEvents(nullptr);
  frame->OnMessage = [&](MSG& m, bool& handled) {
    if (m.message != kProbe) return;
    seen.push_back('f');
    handled = true;
  };
  menu->OnMessage = [&](MSG& m, bool&) {
    if (m.message == kProbe) seen.push_back('m');
  };
  int form_hook = Application()->AddMessageHook([&](MSG& m, bool&) {
    if (m.message == kProbe) seen.push_back('o');
  });
  PostMessageA(Application()->Handle(), kProbe, 0, 0);
  Pump(1);
  // Every hook sees the message, also after one has handled it.
  EXPECT_EQ(std::string(seen.begin(), seen.end()), "fmo");
  seen.clear();
  delete menu;  // the middle one first
  PostMessageA(Application()->Handle(), kProbe, 0, 0);
  Pump(1);
  EXPECT_EQ(std::string(seen.begin(), seen.end()), "fo");
  seen.clear();
  Application()->RemoveMessageHook(form_hook);
  delete frame;
  PostMessageA(Application()->Handle(), kProbe, 0, 0);
  Pump(1);
  EXPECT_TRUE(seen.empty());
}

TEST_F(TopLevel, AHookRemovedWhileAMessageIsOfferedIsNotCalledAgain) {
  constexpr UINT kProbe = WM_USER + 12;
  int second_calls = 0, window_hook_calls = 0;
  int second = 0;
  int first = Application()->AddMessageHook([&](MSG& m, bool&) {
    if (m.message == kProbe) Application()->RemoveMessageHook(second);
  });
  second = Application()->AddMessageHook([&](MSG& m, bool&) {
    if (m.message == kProbe) ++second_calls;
  });
  PostMessageA(Application()->Handle(), kProbe, 0, 0);
  Pump(1);
  EXPECT_EQ(second_calls, 0);
  Application()->RemoveMessageHook(first);

  // The same for hooks on the application window, added by two owners and removed in the
  // order they were added.
  int w1 = Application()->HookMainWindow([&](TMessage& m) {
    if (m.Msg == kProbe) ++window_hook_calls;
    return false;
  });
  int w2 = Application()->HookMainWindow([&](TMessage& m) {
    if (m.Msg == kProbe) ++window_hook_calls;
    return false;
  });
  SendMessageA(Application()->Handle(), kProbe, 0, 0);
  EXPECT_EQ(window_hook_calls, 2);
  Application()->UnhookMainWindow(w1);
  SendMessageA(Application()->Handle(), kProbe, 0, 0);
  EXPECT_EQ(window_hook_calls, 3);
  Application()->UnhookMainWindow(w2);
  SendMessageA(Application()->Handle(), kProbe, 0, 0);
  EXPECT_EQ(window_hook_calls, 3);
}

TEST_F(TopLevel, GdiHandlesStayLevelOverManyShowCloseCyclesAndFontChanges) {
  auto cycle = [](int i) {
    BorderedForm t;
    t.child->Font().SetSize(8 + i % 5);
    t.child->Font().SetStyle(i % 2 ? TFontStyles{fsBold} : TFontStyles{0});
    t.form->Show();
    Pump(2);
    t.child->Font().SetName(i % 2 ? "Courier New" : "Tahoma");
    t.child->Font().SetColor(0x000080 + i);
    t.child->Repaint();
    t.form->Close();
    Pump(1);
  };
  for (int i = 0; i < 3; ++i) cycle(i);  // caches of the system fill up first
  DWORD before = GdiObjectCount();
  for (int i = 0; i < 50; ++i) cycle(i);
  DWORD after = GdiObjectCount();
  EXPECT_GT(before, 0u);
  EXPECT_LE(after, before + 2) << "before " << before << ", after " << after;
}
