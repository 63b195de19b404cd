// Menus of the form layer: shortcut texts, the item tree, the system menu built from it,
// owner-drawn measure and draw and menu commands reaching the items through the menu layer's
// window, shortcuts found and clicked, a form's native menu bar; and, under the X server, a
// popup menu opened at a point whose items are chosen by keyboard and by mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;

namespace {

using tolvane_test::Pump;

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption,
                   TShortCut sc = scNone) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(sc);
  if (parent) parent->Add(item);
  return item;
}

std::vector<std::string> Captions(const TMenuItem* parent) {
  std::vector<std::string> out;
  for (int i = 0; i < parent->Count(); ++i) out.push_back(parent->Items(i)->Caption());
  return out;
}

MENUITEMINFOA EntryInfo(HMENU menu, int pos, char* text, UINT size) {
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
  mi.dwTypeData = text;
  mi.cch = size;
  text[0] = 0;
  GetMenuItemInfoA(menu, pos, TRUE, &mi);
  return mi;
}

void PressKeys(std::initializer_list<BYTE> down) {
  BYTE keys[256]{};
  for (BYTE k : down) keys[k] = 0x80;
  SetKeyboardState(keys);
}

}  // namespace

TEST(ShortCutText, NamesKeysWithTheirModifiersAndReadsThemBack) {
  EXPECT_EQ(ShortCutToText(ShortCut('C', ssCtrl)), "Ctrl+C");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, ssShift)), "Shift+Del");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, 0)), "F5");
  EXPECT_EQ(ShortCutToText(ShortCut('S', ssCtrl | ssShift)), "Ctrl+Shift+S");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_RETURN, ssAlt)), "Alt+Enter");
  EXPECT_EQ(ShortCutToText(scNone), "");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_LWIN, ssCtrl)), "") << "a key without a name";
  for (const char* text : {"Ctrl+C", "Shift+Del", "F12", "Ctrl+Shift+S", "Alt+Enter", "PgDn"})
    EXPECT_EQ(ShortCutToText(TextToShortCut(text)), text);
  EXPECT_EQ(TextToShortCut("ctrl+shift+s"), ShortCut('S', ssCtrl | ssShift));
  EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut("Hyper+X"), scNone);
  EXPECT_EQ(TextToShortCut("F25"), scNone);
  EXPECT_EQ(TextToShortCut(""), scNone);
  WORD key;
  TShiftState shift;
  ShortCutToKey(ShortCut('Q', ssAlt | ssCtrl), key, shift);
  EXPECT_EQ(key, 'Q');
  EXPECT_EQ(shift, static_cast<TShiftState>(ssAlt | ssCtrl));
}

TEST(MenuItemTree, AddInsertRemoveDeleteClearKeepOrderAndFreeWhatTheyDrop) {
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* root = menu.Items();
  TMenuItem* a = NewItem(&owner, root, "A");
  TMenuItem* c = NewItem(&owner, root, "C");
  auto* b = new TMenuItem(&owner);
  b->SetCaption("B");
  root->Insert(1, b);
  NewItem(&owner, root, "Z")->SetCaption("D");
  root->Insert(99, NewItem(&owner, nullptr, "E"));  // clamped to the end
  EXPECT_EQ(Captions(root), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(c->MenuIndex(), 2);
  EXPECT_EQ(c->Parent(), root);
  EXPECT_EQ(c->GetParentMenu(), &menu);

  // Moving an item under another takes it from its old place.
  TMenuItem* sub = NewItem(&owner, a, "A1");
  b->Add(sub);
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(b->Items(0), sub);
  EXPECT_EQ(sub->GetParentMenu(), &menu);
  // An item cannot go under its own subtree.
  sub->Add(b);
  EXPECT_EQ(b->Parent(), root);
  EXPECT_EQ(sub->Count(), 0);

  const int before = owner.ComponentCount();
  root->Delete(1);  // B and its child A1 are freed
  EXPECT_EQ(Captions(root), (std::vector<std::string>{"A", "C", "D", "E"}));
  EXPECT_EQ(owner.ComponentCount(), before - 2);
  root->Delete(-1);
  root->Delete(40);
  EXPECT_EQ(root->Count(), 4);
  root->Remove(c);
  EXPECT_EQ(c->Parent(), nullptr);
  EXPECT_EQ(c->GetParentMenu(), nullptr);
  delete c;
  root->Clear();
  EXPECT_EQ(root->Count(), 0);
  EXPECT_EQ(owner.ComponentCount(), 1) << "only the menu is left";
}

TEST(MenuItemTree, FreeingTheOwnerWithItemsStillInTheTreeFreesEachOnce) {
  auto* owner = new TComponent(nullptr);
  auto* menu = new TPopupMenu(owner);
  TMenuItem* file = NewItem(owner, menu->Items(), "File");
  NewItem(owner, file, "Open");
  NewItem(owner, file, "Save");
  NewItem(owner, menu->Items(), "Edit");
  UINT open = file->Items(0)->Command();
  EXPECT_EQ(TMenuItem::FindByCommand(open), file->Items(0));
  delete owner;  // items first (made last), then the menu
  EXPECT_EQ(TMenuItem::FindByCommand(open), nullptr) << "a freed item's command is gone";
}

TEST(MenuHandle, EntriesCarryStatesShortcutTextsSeparatorsAndSubmenus) {
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* copy = NewItem(&owner, menu.Items(), "&Copy", ShortCut('C', ssCtrl));
  NewItem(&owner, menu.Items(), "-");
  TMenuItem* check = NewItem(&owner, menu.Items(), "Check");
  check->SetChecked(true);
  TMenuItem* off = NewItem(&owner, menu.Items(), "Off");
  off->SetEnabled(false);
  NewItem(&owner, menu.Items(), "Hidden")->SetVisible(false);
  TMenuItem* more = NewItem(&owner, menu.Items(), "More");
  NewItem(&owner, more, "Inner");
  HMENU h = menu.Handle();
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GetMenuItemCount(h), 5) << "the hidden item is left out";
  char text[64];
  MENUITEMINFOA mi = EntryInfo(h, 0, text, sizeof(text));
  EXPECT_STREQ(text, "&Copy\tCtrl+C");
  EXPECT_EQ(mi.wID, copy->Command());
  EXPECT_TRUE(EntryInfo(h, 1, text, sizeof(text)).fType & MFT_SEPARATOR);
  EXPECT_TRUE(EntryInfo(h, 2, text, sizeof(text)).fState & MFS_CHECKED);
  EXPECT_TRUE(EntryInfo(h, 3, text, sizeof(text)).fState & MFS_DISABLED);
  mi = EntryInfo(h, 4, text, sizeof(text));
  ASSERT_NE(mi.hSubMenu, nullptr);
  EXPECT_EQ(mi.hSubMenu, more->Handle());
  EXPECT_EQ(GetMenuItemCount(mi.hSubMenu), 1);

  // A change rebuilds; owner drawing makes every entry owner-drawn, named by its command.
  copy->SetCaption("Copy all");
  menu.SetOwnerDraw(true);
  h = menu.Handle();
  mi = EntryInfo(h, 1, text, sizeof(text));
  EXPECT_TRUE(mi.fType & MFT_OWNERDRAW) << "an owner-drawn separator draws itself";
  EXPECT_TRUE(mi.fType & MFT_SEPARATOR) << "and is passed over by the keyboard";
  EXPECT_EQ(EntryInfo(h, 0, text, sizeof(text)).dwItemData, copy->Command());
}

TEST(MenuWindow, MeasureDrawAndCommandReachTheItem) {
  if (!TMenu::MenuWindow()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  menu.SetOwnerDraw(true);
  TMenuItem* item = NewItem(&owner, menu.Items(), "Recover");
  int clicks = 0;
  RECT drawn{};
  bool drawnSelected = false;
  item->OnClick = [&](TObject* s) { clicks += s == item; };
  item->OnMeasureItem = [](TObject*, TCanvas& c, int& w, int& h) {
    w = c.TextWidth("Recover") + 50;
    h = 23;
  };
  item->OnDrawItem = [&](TObject*, TCanvas& c, const RECT& r, bool sel) {
    drawn = r;
    drawnSelected = sel;
    c.Brush.Color = 0x0000FF;
    c.FillRect(r);
  };
  HWND wnd = TMenu::MenuWindow();
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, item->Command(), 0, 0, item->Command()};
  EXPECT_TRUE(SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)));
  EXPECT_EQ(mis.itemHeight, 23u);
  EXPECT_GT(mis.itemWidth, 50u);

  TBitmap bmp(100, 30);
  DRAWITEMSTRUCT dis{ODT_MENU, 0, item->Command(), ODA_DRAWENTIRE, ODS_SELECTED,
                     reinterpret_cast<HWND>(menu.Handle()), bmp.Canvas().Handle(),
                     RECT{0, 2, 90, 25}, item->Command()};
  EXPECT_TRUE(SendMessageA(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)));
  EXPECT_EQ(drawn.bottom, 25);
  EXPECT_TRUE(drawnSelected);
  EXPECT_EQ(bmp.GetPixel(10, 10), 0x0000FF);
  EXPECT_EQ(bmp.GetPixel(95, 10), clWhite) << "nothing outside the item's rectangle";

  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
  EXPECT_EQ(clicks, 1);
  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(item->Command(), 1), 0);  // an accelerator's
  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(0xEFFE, 0), 0);          // nobody's
  EXPECT_EQ(clicks, 1);
  // Item data that names no live item is not ours to draw.
  mis.itemData = 0xEFFE;
  EXPECT_FALSE(SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)));
}

TEST(MenuShortCut, ClicksTheEnabledVisibleItemWithTheKeyAndModifiers) {
  TComponent owner(nullptr);
  TMainMenu menu(&owner);
  TMenuItem* edit = NewItem(&owner, menu.Items(), "Edit");
  TMenuItem* copy = NewItem(&owner, edit, "Copy", ShortCut('C', ssCtrl));
  TMenuItem* del = NewItem(&owner, edit, "Delete", ShortCut(VK_DELETE, 0));
  int copies = 0, deletes = 0;
  copy->OnClick = [&](TObject*) { ++copies; };
  del->OnClick = [&](TObject*) { ++deletes; };
  TMessage key{WM_KEYDOWN, 'C', 0, 0};
  PressKeys({VK_CONTROL});
  EXPECT_TRUE(menu.IsShortCut(key));
  EXPECT_EQ(copies, 1);
  PressKeys({});
  EXPECT_FALSE(menu.IsShortCut(key)) << "C without Ctrl";
  TMessage delKey{WM_KEYDOWN, VK_DELETE, 0, 0};
  EXPECT_TRUE(menu.IsShortCut(delKey));
  del->SetEnabled(false);
  EXPECT_FALSE(menu.IsShortCut(delKey));
  del->SetEnabled(true);
  edit->SetVisible(false);
  EXPECT_FALSE(menu.IsShortCut(delKey)) << "under a hidden parent";
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(menu.FindItemByShortCut(ShortCut('C', ssCtrl)), copy);
  EXPECT_EQ(menu.FindItemByShortCut(scNone), nullptr);
  TMessage up{WM_KEYUP, VK_DELETE, 0, 0};
  EXPECT_FALSE(menu.IsShortCut(up));
}

TEST(MainMenuOnForm, ShowsAsTheNativeBarFollowsChangesAndLetsGoWhenFreed) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  TForm form(nullptr);
  form.SetBounds(30, 30, 300, 200);
  auto* menu = new TMainMenu(&form);
  TMenuItem* file = NewItem(&form, menu->Items(), "&File");
  TMenuItem* quit = NewItem(&form, file, "&Quit");
  int quits = 0;
  quit->OnClick = [&](TObject*) { ++quits; };
  form.SetMenu(menu);
  form.Show();
  Pump();
  HWND wnd = form.Handle();
  ASSERT_NE(GetMenu(wnd), nullptr);
  EXPECT_EQ(GetMenu(wnd), menu->Handle());
  EXPECT_EQ(GetMenuItemCount(GetMenu(wnd)), 1);
  NewItem(&form, menu->Items(), "&Help");
  EXPECT_EQ(GetMenuItemCount(GetMenu(wnd)), 2) << "the bar is rebuilt after a change";
  // The form's menu commands reach the item.
  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(quit->Command(), 0), 0);
  EXPECT_EQ(quits, 1);
  delete menu;
  EXPECT_EQ(form.Menu(), nullptr);
  EXPECT_EQ(GetMenu(wnd), nullptr);
  form.Hide();
}

// The robot: a real popup menu opened at a point, driven while its menu loop runs (a thread
// timer fires inside the loop).
namespace robot {

struct Script {
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  HWND menuWindow = nullptr;
  RECT menuRect{};
};
Script* script = nullptr;

HWND FindMenuWindow() {
  HWND w = FindWindowA("#32768", nullptr);
  return w && IsWindowVisible(w) ? w : nullptr;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
  if (!script) return;
  if (!script->menuWindow) {
    script->menuWindow = FindMenuWindow();
    if (script->menuWindow) GetWindowRect(script->menuWindow, &script->menuRect);
    return;
  }
  if (script->next < script->steps.size()) script->steps[script->next++]();
}

void RunPopup(TPopupMenu& menu, int x, int y, Script& s) {
  script = &s;
  UINT_PTR timer = SetTimer(nullptr, 0, 60, Tick);
  // A menu left open would hang the test: the last step (or this guard) closes it.
  s.steps.push_back([] { EndMenu(); });
  menu.Popup(x, y);
  KillTimer(nullptr, timer);
  script = nullptr;
  Pump();
}

void Key(WORD vk) { tolvane_test::TapKey(vk); }

}  // namespace robot

TEST(PopupMenuRobot, OpensAtThePointAndRunsTheItemChosenByKeyboardOrMouse) {
  if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  TForm form(nullptr);
  form.SetBounds(100, 100, 400, 300);
  form.Show();
  Pump();
  auto* menu = new TPopupMenu(&form);
  std::vector<std::string> chosen;
  int popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  for (const char* caption : {"Recover", "-", "Check", "Uncheck"}) {
    TMenuItem* item = NewItem(&form, menu->Items(), caption);
    item->OnClick = [&chosen, item](TObject*) { chosen.push_back(item->Caption()); };
  }

  robot::Script keys;
  bool formStayedActive = false;
  keys.steps = {[&] {
                  formStayedActive = form.Active() && GetForegroundWindow() == form.Handle();
                  robot::Key(VK_DOWN);
                },
                [] { robot::Key(VK_DOWN); }, [] { robot::Key(VK_RETURN); }};
  robot::RunPopup(*menu, 220, 180, keys);
  ASSERT_NE(keys.menuWindow, nullptr) << "no menu window appeared";
  EXPECT_EQ(keys.menuRect.left, 220);
  EXPECT_EQ(keys.menuRect.top, 180);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu->PopupPoint().x, 220);
  EXPECT_EQ(chosen, (std::vector<std::string>{"Check"})) << "down, down (over the line), enter";
  EXPECT_TRUE(formStayedActive) << "opening the menu must not deactivate the program's window";

  chosen.clear();
  robot::Script mouse;
  mouse.steps = {[&] {
    RECT r;
    // Entry 3 is "Uncheck"; its screen rectangle from the open menu.
    if (GetMenuItemRect(nullptr, menu->Handle(), 3, &r))
      tolvane_test::ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }};
  robot::RunPopup(*menu, 150, 140, mouse);
  ASSERT_NE(mouse.menuWindow, nullptr);
  EXPECT_EQ(chosen, (std::vector<std::string>{"Uncheck"}));
  form.Hide();
}
