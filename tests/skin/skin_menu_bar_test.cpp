// The skinned menu bar on a stand-in frame (a panel holding a TSkinMenuBarLink, as the
// skinned frame does): buttons in menu order that follow the menu's changes, the bar going
// with its menu, the layout's wrapping, the background and titles by pixel in the styles, and
// a robot that opens the menus with the mouse and with Alt+letter (a plain letter opens
// nothing), moves between them and chooses items. Writes skin_menus.png to tests/artifacts/:
// per built-in style and for a skin archive, a menu bar with a highlighted title and the open
// menu under it, drawn through the menus' own draw routine.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMgr.h"
#include "skin/SkinPublic.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;

namespace {

using tolvane_test::Pump;

// What the skinned frame does for its menu bar, on a plain panel.
class StandInFrame : public TCustomPanel {
 public:
  explicit StandInFrame(TComponent* owner)
      : TCustomPanel(owner),
        link(this, [this] { return style; }, [this] { return theme; }, [this] { ++barsMade; }) {}
  ~StandInFrame() override {
    BeginDestroy();
    link.SetMenu(nullptr);
  }
  void Notification(TComponent* c, TOperation op) override {
    TCustomPanel::Notification(c, op);
    link.Notification(c, op);
  }
  TSkinUIStyle style = TSkinUIStyle::DeepBlue;
  TSkinFileTheme* theme = nullptr;
  int barsMade = 0;
  TSkinMenuBarLink link;
};

struct Window {
  TForm* form;
  StandInFrame* frame;
  explicit Window(int width = 420, int height = 240) {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(60, 60, width, height);
    frame = new StandInFrame(form);
    frame->SetAlign(TAlign::alClient);
    frame->SetCaption("");
    frame->SetParent(form);
  }
  ~Window() { delete form; }
};

TMenuItem* Add(TComponent* owner, TMenuItem* parent, const std::string& caption,
               TShortCut sc = scNone) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(sc);
  parent->Add(item);
  return item;
}

// File (Open, Quit), Edit (Undo, -, Cut, Copy, Paste, Select all), View (hidden), Help
// (disabled).
TSkinMainMenu* MakeMenu(TComponent* owner, std::vector<std::string>* clicks = nullptr) {
  auto* menu = new TSkinMainMenu(owner);
  auto clickable = [&](TMenuItem* item) {
    if (clicks) item->OnClick = [clicks, item](TObject*) { clicks->push_back(item->Caption()); };
    return item;
  };
  TMenuItem* file = Add(owner, menu->Items(), "&File");
  clickable(Add(owner, file, "&Open", ShortCut('O', ssCtrl)));
  clickable(Add(owner, file, "&Quit"));
  TMenuItem* edit = Add(owner, menu->Items(), "&Edit");
  clickable(Add(owner, edit, "&Undo", ShortCut('Z', ssCtrl)));
  Add(owner, edit, "-");
  clickable(Add(owner, edit, "Cu&t", ShortCut('X', ssCtrl)));
  clickable(Add(owner, edit, "&Copy", ShortCut('C', ssCtrl)))->SetChecked(true);
  clickable(Add(owner, edit, "&Paste", ShortCut('V', ssCtrl)))->SetEnabled(false);
  clickable(Add(owner, edit, "Select &all"))->SetDefault(true);
  Add(owner, menu->Items(), "&View")->SetVisible(false);
  TMenuItem* help = Add(owner, menu->Items(), "&Help");
  help->SetEnabled(false);
  Add(owner, help, "&About");
  return menu;
}

std::vector<std::string> Captions(const TSkinMenuBar* bar) {
  std::vector<std::string> out;
  for (const TMenuBarButton& b : bar->Buttons()) out.push_back(b.Caption);
  return out;
}

void PaintInto(TControl* c, HDC dc, int x, int y) {
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

void Snapshot(TSkinMenuBar* bar, TBitmap& out) {
  out.SetSize(bar->Width(), bar->Height());
  PaintInto(bar, out.Canvas().Handle(), 0, 0);
}

bool HasColor(const TBitmap& b, const RECT& r, TColor c) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (b.GetPixel(x, y) == c) return true;
  return false;
}

void Hover(TSkinMenuBar* bar, int index) {
  const RECT& r = bar->Buttons()[index].Bounds;
  SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 3, r.top + 3));
}

}  // namespace

TEST(MenuBarLayout, ButtonsGoSideBySideAndWrapWhenTheBarIsTooNarrow) {
  std::vector<TMenuBarButton> b(4);
  EXPECT_EQ(LayoutMenuBarButtons(b, {40, 50, 30, 200}, 130, 22), 44);
  EXPECT_EQ(b[1].Bounds.left, 40);
  EXPECT_EQ(b[2].Bounds.left, 90);
  EXPECT_EQ(b[2].Bounds.right, 120);
  EXPECT_EQ(b[3].Bounds.left, 0) << "the fourth passes the bar's width: next row";
  EXPECT_EQ(b[3].Bounds.top, 22);
  EXPECT_EQ(b[3].Bounds.bottom, 44);
  // A button wider than the bar has a row of its own; no buttons still make one row.
  std::vector<TMenuBarButton> wide(2);
  EXPECT_EQ(LayoutMenuBarButtons(wide, {200, 10}, 100, 20), 40);
  EXPECT_EQ(wide[0].Bounds.top, 0);
  EXPECT_EQ(wide[1].Bounds.top, 20);
  std::vector<TMenuBarButton> none;
  EXPECT_EQ(LayoutMenuBarButtons(none, {}, 100, 22), 22);
  // Widths missing or negative give empty buttons rather than reads past the list.
  std::vector<TMenuBarButton> odd(2);
  EXPECT_EQ(LayoutMenuBarButtons(odd, {-5}, 100, 22), 22);
  EXPECT_EQ(odd[1].Bounds.right - odd[1].Bounds.left, 0);
}

TEST(MenuBarLink, ButtonsFollowTheMenuAndTheBarGoesWithIt) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  Window w;
  w.form->Show();
  TSkinMainMenu* menu = MakeMenu(w.form);
  EXPECT_EQ(w.frame->link.MenuBarHeight(), 0);
  w.frame->link.SetMenu(menu);
  TSkinMenuBar* bar = w.frame->link.Bar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(menu->Frame(), &w.frame->link);
  EXPECT_GE(w.frame->barsMade, 1);
  EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&File", "&Edit", "&Help"}))
      << "menu order, hidden items left out";
  EXPECT_FALSE(bar->Buttons()[2].Enabled);
  EXPECT_EQ(w.frame->link.MenuBarHeight(), 22);
  EXPECT_EQ(bar->Top(), 0);
  EXPECT_EQ(bar->Width(), w.frame->ClientWidth());

  Add(w.form, menu->Items(), "&Tools");
  EXPECT_EQ(Captions(bar).size(), 4u) << "a new top-level item gets a button";
  menu->Items()->Items(0)->SetCaption("&Datei");
  EXPECT_EQ(bar->Buttons()[0].Caption, "&Datei");
  menu->Items()->Items(3)->SetEnabled(true);
  EXPECT_TRUE(bar->Buttons()[2].Enabled);
  w.frame->link.SetMenuBarHeight(30);
  EXPECT_EQ(w.frame->link.MenuBarHeight(), 30);
  EXPECT_EQ(bar->ButtonHeight(), 30);

  // Freeing the menu takes the bar away; so does setting no menu.
  delete menu;
  EXPECT_EQ(w.frame->link.Menu(), nullptr);
  EXPECT_EQ(w.frame->link.Bar(), nullptr);
  EXPECT_EQ(w.frame->link.MenuBarHeight(), 0);
  TSkinMainMenu* again = MakeMenu(w.form);
  w.frame->link.SetMenu(again);
  ASSERT_NE(w.frame->link.Bar(), nullptr);
  w.frame->link.SetMenu(nullptr);
  EXPECT_EQ(w.frame->link.Bar(), nullptr);
  EXPECT_EQ(again->Frame(), nullptr);
  // A plain main menu shows too, in the frame's look.
  auto* plain = new TMainMenu(w.form);
  Add(w.form, plain->Items(), "&Plain");
  w.frame->link.SetMenu(plain);
  ASSERT_NE(w.frame->link.Bar(), nullptr);
  EXPECT_EQ(Captions(w.frame->link.Bar()), (std::vector<std::string>{"&Plain"}));
  w.form->Hide();
}

TEST(MenuBarPaint, BackgroundFlatOrGradientDisabledTitlesGreyHighlightTagged) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  Window w;
  w.form->Show();
  TSkinMainMenu* menu = MakeMenu(w.form);
  menu->SetUIStyle(TSkinUIStyle::WinXP);
  w.frame->link.SetMenuBarColor(0x00C0FF);
  w.frame->link.SetMenuBarToColor(0x00C0FF);
  w.frame->link.SetMenu(menu);
  TSkinMenuBar* bar = w.frame->link.Bar();
  ASSERT_NE(bar, nullptr);
  Pump();
  TBitmap shot;
  Snapshot(bar, shot);
  EXPECT_EQ(shot.GetPixel(bar->Width() - 2, 1), 0x00C0FF) << "flat: the bar's colour";
  EXPECT_EQ(shot.GetPixel(bar->Width() - 2, bar->Height() - 1), 0x00C0FF);
  const RECT help = bar->Buttons()[2].Bounds;
  EXPECT_TRUE(HasColor(shot, help, 0x808080)) << "the disabled title is grey";
  EXPECT_TRUE(HasColor(shot, bar->Buttons()[0].Bounds, GetStyleColor(2, 22)));
  for (const TMenuBarButton& b : bar->Buttons()) EXPECT_EQ(b.Tag, 0);

  w.frame->link.SetMenuBarToColor(0x400000);
  Hover(bar, 1);
  Snapshot(bar, shot);
  EXPECT_EQ(shot.GetPixel(bar->Width() - 2, 0), 0x00C0FF) << "gradient from the first colour";
  EXPECT_EQ(shot.GetPixel(bar->Width() - 2, bar->Height() - 1), 0x400000) << "to the second";
  EXPECT_EQ(bar->Buttons()[1].Tag, kMenuBarHighlightTag);
  const RECT edit = bar->Buttons()[1].Bounds;
  EXPECT_EQ(shot.GetPixel(edit.left, edit.top), GetStyleColor(2, 18)) << "title frame";
  EXPECT_EQ(shot.GetPixel(edit.left + 2, edit.top + 2), GetStyleColor(2, 19)) << "title fill";
  // Hovering a disabled title does not highlight it.
  Hover(bar, 2);
  Snapshot(bar, shot);
  EXPECT_EQ(bar->Buttons()[2].Tag, 0);
  EXPECT_EQ(bar->Buttons()[1].Tag, 0);

  // MacOS: the bar picture, and the highlighted title's picture with white text.
  menu->SetUIStyle(TSkinUIStyle::MacOS);
  TBitmap barPic, selPic;
  ASSERT_TRUE(barPic.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_MENU_BAR"));
  ASSERT_TRUE(selPic.LoadFromResourceName(GetModuleHandleA(nullptr), "MACOS_MENU_SELECT"));
  Hover(bar, 0);
  Snapshot(bar, shot);
  EXPECT_EQ(shot.GetPixel(bar->Width() - 2, 0), barPic.GetPixel(0, 0));
  const RECT file = bar->Buttons()[0].Bounds;
  EXPECT_EQ(shot.GetPixel(file.left + 1, file.top), selPic.GetPixel(0, 0));
  EXPECT_TRUE(HasColor(shot, file, 0xFFFFFF));
  EXPECT_EQ(bar->Buttons()[0].Tag, kMenuBarHighlightTag);

  // A skin: its title colours; its bar colours go to the frame, which passes them on.
  auto* theme = new TSkinFileTheme(w.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  w.frame->link.ApplyStyle(TSkinUIStyle::FromThemeFile, theme);
  EXPECT_EQ(menu->FileTheme(), theme);
  Hover(bar, 1);
  Snapshot(bar, shot);
  EXPECT_EQ(shot.GetPixel(edit.left + 2, edit.top + 2), 0x71B33C);
  EXPECT_EQ(shot.GetPixel(edit.left, edit.top), 0x205020);
  EXPECT_TRUE(HasColor(shot, bar->Buttons()[0].Bounds, 0x203020));
  w.form->Hide();
}

namespace robot {

std::function<void()>* tick = nullptr;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (tick) (*tick)();
}

HWND OpenMenuWindow() {
  HWND w = FindWindowA("#32768", nullptr);
  return w && IsWindowVisible(w) ? w : nullptr;
}

void Tap(WORD vk) { tolvane_test::TapKey(vk); }

// Runs `steps` one per timer tick while `start` runs (it opens a menu and returns when it
// closes); a last step closes whatever is still open.
struct Run {
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  std::vector<RECT> menus;  // the open menu window's rectangle at each step
  // `look_ms` > 0: the steps are a look for a menu that must not open, given that long.
  void Go(const std::function<void()>& start, int look_ms = 0) {
    steps.push_back([] { EndMenu(); });
    std::function<void()> f = [this] {
      HWND m = OpenMenuWindow();
      RECT r{};
      if (m) GetWindowRect(m, &r);
      menus.push_back(r);
      if (next < steps.size()) steps[next++]();
    };
    tick = &f;
    UINT_PTR t = SetTimer(nullptr, 0, 80, Tick);
    start();
    if (look_ms > 0) Pump(look_ms);
    else tolvane_test::WaitUntil([this] { return next >= steps.size(); });
    KillTimer(nullptr, t);
    tick = nullptr;
    Pump();
  }
};

}  // namespace robot

TEST(MenuBarRobot, MouseAndAltLetterOpenMenusPlainLettersDoNotArrowsMoveAlong) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  Window w;
  std::vector<std::string> clicks;
  TSkinMainMenu* menu = MakeMenu(w.form, &clicks);
  w.frame->link.SetMenu(menu);
  w.form->Show();
  Pump();
  SetForegroundWindow(w.form->Handle());
  SetFocus(w.frame->Handle());
  Pump();
  TSkinMenuBar* bar = w.frame->link.Bar();
  ASSERT_NE(bar, nullptr);

  // A click on "Edit" opens its menu under the title; Down, Down (over the line), Enter: Cut.
  const RECT edit = bar->Buttons()[1].Bounds;
  POINT at = bar->ClientToScreen(POINT{edit.left + 5, edit.top + 5});
  POINT under = bar->ClientToScreen(POINT{edit.left, edit.bottom});
  robot::Run click;
  std::vector<int> openIndex;
  // The open menu as the screen shows it, drawn by the system through the menu's handlers.
  TBitmap grab;
  RECT firstItem{};
  RECT area{};
  auto capture = [&] {
    HWND m = robot::OpenMenuWindow();
    if (!m) return;
    RECT mr, fr;
    GetWindowRect(m, &mr);
    GetWindowRect(w.form->Handle(), &fr);
    UnionRect(&area, &mr, &fr);
    GetMenuItemRect(nullptr, menu->Items()->Items(1)->Handle(), 0, &firstItem);
    tolvane_test::GrabScreen(area, grab);
  };
  click.steps = {[&] { capture(); openIndex.push_back(bar->OpenIndex()); robot::Tap(VK_DOWN); },
                 [&] { robot::Tap(VK_DOWN); }, [&] { robot::Tap(VK_RETURN); }};
  click.Go([&] { tolvane_test::ClickAt(at); });
  ASSERT_FALSE(click.menus.empty());
  EXPECT_EQ(click.menus[0].left, under.x) << "the menu opens under its title";
  EXPECT_EQ(click.menus[0].top, under.y);
  EXPECT_EQ(openIndex, (std::vector<int>{1}));
  EXPECT_EQ(clicks, (std::vector<std::string>{"Cu&t"}));
  EXPECT_EQ(bar->OpenIndex(), -1);
  ASSERT_FALSE(grab.Empty());
  tolvane_test::SavePicture(grab, "skin_menu_open.png");
  // The first item's side bar and body in DeepBlue's colours, where the system put the item.
  const int fx = firstItem.left - area.left, fy = firstItem.top - area.top;
  EXPECT_EQ(firstItem.bottom - firstItem.top, 21) << "the measured item height";
  EXPECT_EQ(grab.GetPixel(fx + 2, fy + 2), GetStyleColor(3, 23));
  EXPECT_EQ(grab.GetPixel(firstItem.right - area.left - 2, fy + 2), GetStyleColor(3, 21));

  // A plain letter opens nothing, once no title is highlighted (while one is, the letter is
  // the bar's).
  clicks.clear();
  POINT away = w.frame->ClientToScreen(POINT{200, 150});
  SetCursorPos(away.x, away.y);
  Pump();
  for (const TMenuBarButton& b : bar->Buttons()) EXPECT_EQ(b.Tag, 0);
  robot::Run plain;
  plain.steps = {[] {}, [] {}};
  plain.Go([] { robot::Tap('E'); }, 50);
  for (const RECT& r : plain.menus) EXPECT_EQ(r.right - r.left, 0) << "a menu opened";

  // Alt+E opens "Edit"; Left moves to "File", whose first item Enter chooses.
  robot::Run alt;
  alt.steps = {[&] { openIndex.push_back(bar->OpenIndex()); robot::Tap(VK_LEFT); },
               [&] { openIndex.push_back(bar->OpenIndex()); robot::Tap(VK_DOWN); },
               [&] { robot::Tap(VK_RETURN); }};
  openIndex.clear();
  alt.Go([] { tolvane_test::KeyStrokes({{VK_MENU, false}, {'E', false}, {'E', true}, {VK_MENU, true}}); });
  EXPECT_EQ(openIndex, (std::vector<int>{1, 0}));
  EXPECT_EQ(clicks, (std::vector<std::string>{"&Open"}));

  // The disabled "Help" does not open.
  robot::Run help;
  help.steps = {[] {}, [] {}};
  const RECT h = bar->Buttons()[2].Bounds;
  help.Go([&] { tolvane_test::ClickAt(bar->ClientToScreen(POINT{h.left + 5, h.top + 5})); }, 50);
  for (const RECT& r : help.menus) EXPECT_EQ(r.right - r.left, 0);
  w.form->Hide();
}

TEST(SkinPopupMenuRobot, FlatMenuOpensAtThePointFramedAndRunsTheItemChosenByKeyboard) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  // As the results window has it: Recover, a line, Check, Uncheck; flat, system font.
  Window w;
  w.form->Show();
  Pump();
  auto* popup = new TSkinPopupMenu(w.form);
  popup->SetUIStyle(TSkinUIStyle::WinXP);
  popup->SetFlatMenu(true);
  std::vector<std::string> clicks;
  for (const char* caption : {"Recover", "-", "Check", "Uncheck"}) {
    auto* item = new TMenuItem(w.form);
    item->SetCaption(caption);
    item->OnClick = [&clicks, item](TObject*) { clicks.push_back(item->Caption()); };
    popup->Items()->Add(item);
  }
  popup->Items()->Items(2)->SetChecked(true);
  const POINT at = w.form->ClientToScreen(POINT{40, 30});
  TBitmap grab;
  RECT menuRect{};
  robot::Run run;
  run.steps = {[&] {
                 HWND m = robot::OpenMenuWindow();
                 if (!m) return;
                 // Let the items and the frame drawn around them reach the screen first.
                 RedrawWindow(m, nullptr, nullptr, RDW_UPDATENOW);
                 GetWindowRect(m, &menuRect);
                 tolvane_test::GrabScreen(menuRect, grab);
               },
               [] { robot::Tap(VK_DOWN); }, [] { robot::Tap(VK_DOWN); },
               [] { robot::Tap(VK_DOWN); }, [] { robot::Tap(VK_RETURN); }};
  run.Go([&] { popup->Popup(at.x, at.y); });
  EXPECT_EQ(clicks, (std::vector<std::string>{"Uncheck"})) << "down three times passes the line";
  ASSERT_FALSE(grab.Empty());
  EXPECT_EQ(menuRect.left, at.x);
  EXPECT_EQ(menuRect.top, at.y);
  tolvane_test::SavePicture(grab, "skin_popup_flat.png");
  // The flat frame: black outside from the second row, white inside it, the form colour on the
  // top row and along the bottom.
  const int wd = grab.Width(), ht = grab.Height();
  EXPECT_EQ(grab.GetPixel(0, 5), clBlack);
  EXPECT_EQ(grab.GetPixel(1, 5), clWhite);
  EXPECT_EQ(grab.GetPixel(wd / 2, 0), GetStyleColor(2, 15));
  EXPECT_EQ(grab.GetPixel(wd / 2, ht - 1), GetStyleColor(2, 15));
  EXPECT_EQ(grab.GetPixel(wd - 1, ht / 2), GetStyleColor(2, 15));
  w.form->Hide();
}

// ---- the picture --------------------------------------------------------------------------

namespace {

const char* const kRowNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                                 "Skin archive"};

// Draws the open "Edit" menu at (x, y) of `shot` as the system would lay it out: items
// measured with the menu's handlers, stacked in a one-pixel frame; item `selected` is
// highlighted.
void DrawOpenMenu(TSkinMainMenu* menu, TMenuItem* edit, TBitmap& shot, int x, int y,
                  int selected) {
  TBitmap probe(4, 4);
  UseSystemMenuFont(probe.Canvas().Font());
  int width = 0;
  std::vector<int> heights;
  for (int i = 0; i < edit->Count(); ++i) {
    int w = 0, h = 0;
    edit->Items(i)->MeasureItem(probe.Canvas(), w, h);
    width = std::max(width, w);
    heights.push_back(h);
  }
  int total = 0;
  for (int h : heights) total += h;
  TCanvas& c = shot.Canvas();
  c.Brush.Color = 0x606060;
  c.FrameRect(RECT{x, y, x + width + 2, y + total + 2});
  int top = y + 1;
  for (int i = 0; i < edit->Count(); ++i) {
    RECT r{x + 1, top, x + 1 + width, top + heights[i]};
    int saved = SaveDC(c.Handle());
    IntersectClipRect(c.Handle(), r.left, r.top, r.right, r.bottom);
    edit->Items(i)->DrawItem(c, r, i == selected);
    RestoreDC(c.Handle(), saved);
    top += heights[i];
  }
}

}  // namespace

TEST(MenuBarGallery, FiveStylesAndASkinArchiveWithAnOpenMenu) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  constexpr int kWidth = 420, kRowHeight = 160, kRows = 6;
  TBitmap shot(kWidth, kRowHeight * kRows);
  auto* holder = new TComponent(nullptr);
  auto* theme = new TSkinFileTheme(holder);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  for (int row = 1; row <= kRows; ++row) {
    const bool skin = row == kRows;
    Window w(kWidth, kRowHeight);
    TSkinMainMenu* menu = MakeMenu(w.form);
    const TSkinUIStyle style = skin ? TSkinUIStyle::FromThemeFile : static_cast<TSkinUIStyle>(row);
    w.frame->style = style;
    w.frame->theme = skin ? theme : nullptr;
    // The frame's built-in look gives the bar the form colour; a skin its bar colours.
    const TColor form = skin ? theme->GetColor(2) : GetStyleColor(row, 15);
    w.frame->SetColor(form);
    w.frame->link.SetMenuBarColor(skin ? theme->GetColor(3) : form);
    w.frame->link.SetMenuBarToColor(skin ? theme->GetColor(4) : form);
    w.frame->link.SetMenu(menu);
    w.frame->link.ApplyStyle(style, skin ? theme : nullptr);
    w.form->Show();
    Pump();
    TSkinMenuBar* bar = w.frame->link.Bar();
    ASSERT_NE(bar, nullptr);
    Hover(bar, 1);
    const int y0 = (row - 1) * kRowHeight;
    TCanvas& c = shot.Canvas();
    c.Brush.Color = form;
    c.FillRect(RECT{0, y0, kWidth, y0 + kRowHeight});
    PaintInto(bar, c.Handle(), 0, y0);
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font().SetColor(clBlack);
    c.Font().SetStyle(fsBold);
    c.TextOut(200, y0 + bar->Height() + 8, kRowNames[row]);
    c.Font().SetStyle(0);
    c.Brush.Style = TBrushStyle::bsSolid;
    const RECT edit = bar->Buttons()[1].Bounds;
    DrawOpenMenu(menu, menu->Items()->Items(1), shot, edit.left, y0 + edit.bottom, 2);
    c.Pen.Color = 0x808080;
    c.MoveTo(0, y0 + kRowHeight - 1);
    c.LineTo(kWidth, y0 + kRowHeight - 1);
    // The open menu's body has the menu colour, its highlighted item the selection colour.
    TSkinUIStyle eff;
    const bool fromSkin = menu->Resolve(eff);
    EXPECT_EQ(fromSkin, skin);
    if (eff != TSkinUIStyle::MacOS)
      EXPECT_EQ(shot.GetPixel(edit.left + 1 + menu->BarWidth() + 2, y0 + edit.bottom + 3),
                menu->Color())
          << kRowNames[row];
    w.form->Hide();
  }
  delete holder;
  tolvane_test::SavePicture(shot, "skin_menus.png");
}
