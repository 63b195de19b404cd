// The skinned edits, combo box and hyperlink label in real windows under the X server: typed
// text and its limit, the number edit's key filter, value and refusal of a pasted non-number,
// a combo selection by the mouse, the keys, focus and mouse of a combo box's edit, the link's
// hover colour and click (the shell behind a seam), colours per style and theme, and a
// picture of them all (skin_edits.png).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/SkinComboBox.h"
#include "skin/SkinEdit.h"
#include "skin/SkinPublic.h"
#include "skin/SkinURLLabel.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"

using namespace forms;
using namespace skin;
using tolvane_test::ClickClient;
using tolvane_test::Pump;

namespace {

// Characters as the keyboard's translation hands them to the focused window.
void Type(HWND wnd, const std::string& text) {
  for (char c : text) PostMessageA(wnd, WM_CHAR, static_cast<unsigned char>(c), 1);
  Pump();
}

void PutOnClipboard(HWND owner, const std::string& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
}

struct EditForm {
  TForm form{nullptr};
  TSkinEdit* edit;
  TSkinNumberEdit* number;
  TSkinComboBox* combo;
  TSkinURLLabel* link;
  EditForm() {
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(20, 20, 320, 200);
    edit = new TSkinEdit(&form);
    edit->SetBounds(10, 10, 150, 22);
    edit->SetParent(&form);
    number = new TSkinNumberEdit(&form);
    number->SetBounds(10, 40, 150, 22);
    number->SetParent(&form);
    combo = new TSkinComboBox(&form);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->SetBounds(10, 70, 150, 22);
    combo->Items().Assign({"Very good", "Good", "Pool", "Bad"});
    combo->SetParent(&form);
    link = new TSkinURLLabel(&form);
    link->SetLeft(10);
    link->SetTop(110);
    link->SetCaption("Tolvane on the web");
    link->SetParent(&form);
    form.Show();
    Pump();
  }
};

}  // namespace

TEST(NumberText, SixtyTwoDigitsAndMoreKeepEveryDigitAndTheDecimals) {
  // A user may type any number of digits; leaving the field formats the value again.
  for (double v : {1e61, 1e62, 1e100, 1.5e300}) {
    std::string text = FormatNumberMask("0.00", v, '.', ',');
    ASSERT_GE(text.size(), 4u) << v;
    EXPECT_EQ(text.substr(text.size() - 3), ".00") << text;
    double back = 0;
    ASSERT_TRUE(ParseNumberText(text, '.', ',', back)) << text;
    EXPECT_DOUBLE_EQ(back, v);
  }
  EXPECT_EQ(FormatNumberMask("0.00", 5e61, '.', ',').size(), 62u + 3u);  // 62 digits
  EXPECT_EQ(FormatNumberMask("#,##0", -1e70, '.', ',').size(), 1u + 71u + 23u);
}

class SkinEdits : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST(NumberText, MaskFormattingAndParsing) {
  EXPECT_EQ(FormatNumberMask("0.00", 0, '.', ','), "0.00");
  EXPECT_EQ(FormatNumberMask("0.00", 12.5, '.', ','), "12.50");
  EXPECT_EQ(FormatNumberMask("0.00", -3.456, ',', '.'), "-3,46");
  EXPECT_EQ(FormatNumberMask("#,##0.0", 1234567.26, '.', ','), "1,234,567.3");
  EXPECT_EQ(FormatNumberMask("0", 7.6, '.', ','), "8");
  EXPECT_EQ(FormatNumberMask("0.00", -0.001, '.', ','), "0.00");
  double v = 0;
  EXPECT_TRUE(ParseNumberText("1,234.5", '.', ',', v));
  EXPECT_DOUBLE_EQ(v, 1234.5);
  EXPECT_TRUE(ParseNumberText("-7", '.', ',', v));
  EXPECT_DOUBLE_EQ(v, -7);
  for (const char* bad : {"", "-", ".", "abc", "1.2.3", "12a", "1-2", " 5", "1e5"})
    EXPECT_FALSE(ParseNumberText(bad, '.', ',', v)) << bad;
}

TEST(UrlText, OnlyRealLinksAreOpenable) {
  for (const char* good : {"http://example.com", "  https://a.b/c?d=1 ", "ftp://host/file",
                           "mailto:someone@example.com", "www.example.com"})
    EXPECT_TRUE(IsOpenableUrl(good)) << good;
  for (const char* bad : {"", "   ", "no", "cmd", "notepad.exe", "C:\\Windows\\notepad.exe",
                          "http://", "mailto:", "www.", "://x", "http:/x", "a\nhttp://x"})
    EXPECT_FALSE(IsOpenableUrl(bad)) << bad;
}

TEST_F(SkinEdits, TypedTextAndTheLengthLimit) {
  EditForm f;
  int changes = 0;
  f.edit->OnChange = [&](TObject*) { ++changes; };
  f.edit->SetFocus();
  Type(f.edit->Handle(), "report");
  EXPECT_EQ(f.edit->Text(), "report");
  EXPECT_EQ(changes, 6);
  f.edit->SetMaxLength(8);
  Type(f.edit->Handle(), ".docx");
  EXPECT_EQ(f.edit->Text(), "report.d");
  EXPECT_EQ(changes, 8);
  Type(f.edit->Handle(), "\b");
  EXPECT_EQ(f.edit->Text(), "report.");
  // The frame on screen: the border colour outside, the edit's colour inside.
  HDC dc = GetWindowDC(f.edit->Handle());
  EXPECT_EQ(GetPixel(dc, 0, 10), ColorToRGB(f.edit->BorderColor()));
  EXPECT_EQ(GetPixel(dc, 1, 10), ColorToRGB(f.edit->Color()));
  ReleaseDC(f.edit->Handle(), dc);
}

TEST_F(SkinEdits, NumberEditTakesOnlyANumberAndShowsItThroughTheMaskOnLeaving) {
  EditForm f;
  const char dec = LocaleDecimalSeparator();
  EXPECT_EQ(f.number->Text(), std::string("0") + dec + "00");
  EXPECT_EQ(GetWindowLongPtrA(f.number->Handle(), GWL_STYLE) & ES_RIGHT, ES_RIGHT);
  int refusals = 0;
  f.number->OnRefuse = [&](TSkinNumberEdit*) { ++refusals; };
  f.number->SetFocus();
  // Entering selects the two last characters.
  EXPECT_EQ(f.number->SelStart(), 2);
  EXPECT_EQ(f.number->SelLength(), 2);
  f.number->SetText("");
  Type(f.number->Handle(), std::string("12") + dec + "5" + dec + "a-x");
  // Typing is not rewritten under the caret: no mask while the user types.
  EXPECT_EQ(f.number->Text(), std::string("12") + dec + "5");
  EXPECT_DOUBLE_EQ(f.number->Value(), 12.5);
  // "-" only at the start, and only once.
  f.number->SetSelStart(0);
  Type(f.number->Handle(), "--");
  EXPECT_EQ(f.number->Text(), std::string("12") + dec + "5");  // the mask "0.00" has no "-"
  f.number->SetMask("-0.00");
  f.number->SetSelStart(0);
  Type(f.number->Handle(), "--");
  EXPECT_EQ(f.number->Text(), std::string("-12") + dec + "5");
  EXPECT_DOUBLE_EQ(f.number->Value(), -12.5);
  f.number->SetMask("0.00");

  // A pasted non-number is refused: the last good value comes back, nothing is thrown.
  PutOnClipboard(f.number->Handle(), "abc");
  f.number->SelectAll();
  SendMessageA(f.number->Handle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(refusals, 1);
  EXPECT_DOUBLE_EQ(f.number->Value(), -12.5);
  EXPECT_EQ(f.number->Text(), std::string("-12") + dec + "50");
  // A pasted number is taken.
  PutOnClipboard(f.number->Handle(), "42");
  f.number->SelectAll();
  SendMessageA(f.number->Handle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(refusals, 1);
  EXPECT_DOUBLE_EQ(f.number->Value(), 42);

  // Leaving shows the value through the mask; an emptied edit becomes 0.
  f.edit->SetFocus();
  Pump();
  EXPECT_EQ(f.number->Text(), std::string("42") + dec + "00");
  f.number->SetFocus();
  f.number->SetText("");
  f.edit->SetFocus();
  Pump();
  EXPECT_EQ(f.number->Text(), std::string("0") + dec + "00");
  EXPECT_DOUBLE_EQ(f.number->Value(), 0);
}

TEST_F(SkinEdits, AComboItemChosenWithTheMouseIsSelected) {
  EditForm f;
  int selects = 0;
  f.combo->OnSelect = [&](TObject*) { ++selects; };
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(skin::GetComboBoxInfo(f.combo->Handle(), &info));
  // Press on the drop button, then on the third item of the list that opened.
  ClickClient(f.combo->Handle(), (info.rcButton.left + info.rcButton.right) / 2,
              (info.rcButton.top + info.rcButton.bottom) / 2);
  Pump();
  ASSERT_TRUE(f.combo->DroppedDown());
  RECT item{};
  SendMessageA(info.hwndList, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  ClickClient(info.hwndList, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
  Pump();
  EXPECT_FALSE(f.combo->DroppedDown());
  EXPECT_EQ(f.combo->ItemIndex(), 2);
  EXPECT_EQ(f.combo->Text(), "Pool");
  EXPECT_EQ(selects, 1);
}

// The edit inside a drop-down combo box is a part of it: its keys run the combo box's key
// events, its focus changes are the combo box's entering and leaving (not the hand-over
// between the two), its mouse presses the combo box's, and Tab moves on.
TEST_F(SkinEdits, TheComboEditsKeysFocusAndMouseAreTheCombosAndTabLeavesIt) {
  EditForm f;
  f.combo->SetStyle(TComboBoxStyle::csDropDown);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(skin::GetComboBoxInfo(f.combo->Handle(), &info));
  const HWND edit = info.hwndItem;
  int enters = 0, exits = 0;
  std::vector<WORD> downs;
  POINT pressed{-1, -1};
  f.combo->OnEnter = [&](TObject*) { ++enters; };
  f.combo->OnExit = [&](TObject*) { ++exits; };
  f.combo->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { downs.push_back(key); };
  f.combo->OnKeyPress = [&](TObject*, char& key) { key = key == 'b' ? 'X' : key; };
  f.combo->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { pressed = {x, y}; };
  SetForegroundWindow(f.form.Handle());
  f.combo->SetFocus();
  ASSERT_TRUE(tolvane_test::WaitUntil([&] { return GetFocus() == edit; }));
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(exits, 0);
  tolvane_test::TapKey('A');
  tolvane_test::TapKey('B');
  ASSERT_TRUE(tolvane_test::WaitUntil([&] { return f.combo->Text() == "aX"; }))
      << "the edit shows \"" << f.combo->Text() << "\"";
  EXPECT_EQ(downs, (std::vector<WORD>{'A', 'B'}));
  tolvane_test::TapKey(VK_TAB);  // on to the next control in tab order, round to the first
  ASSERT_TRUE(tolvane_test::WaitUntil([&] { return GetFocus() == f.edit->Handle(); }))
      << "Tab in the combo box's edit did not move the focus on";
  EXPECT_EQ(exits, 1);
  // A click into the edit enters the combo box, the press in the combo box's coordinates.
  ClickClient(edit, 4, 5);
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(f.form.ActiveControl(), f.combo);
  POINT expected{4, 5};
  MapWindowPoints(edit, f.combo->Handle(), &expected, 1);
  EXPECT_EQ(pressed.x, expected.x);
  EXPECT_EQ(pressed.y, expected.y);
}

TEST_F(SkinEdits, TheLinkTurnsToTheHoverColourAndOpensOnlyAUrl) {
  EditForm f;
  std::vector<std::string> opened;
  TUrlOpener old = SetUrlOpener([&](const std::string& url) { opened.push_back(url); });
  int clicks = 0;
  f.link->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(f.link->Font().Color(), f.link->FontLinkColor());
  EXPECT_EQ(static_cast<unsigned>(f.link->Font().Style()), static_cast<unsigned>(fsUnderline));
  EXPECT_EQ(f.link->Cursor(), crHandPoint);
  const int x = f.link->Left() + f.link->Width() / 2, y = f.link->Top() + f.link->Height() / 2;
  tolvane_test::PostedMouse m;
  m.MoveTo(&f.form, x, y);
  EXPECT_EQ(f.link->Font().Color(), 0x0000FF);
  m.MoveTo(&f.form, x, y + 60);
  EXPECT_EQ(f.link->Font().Color(), f.link->FontLinkColor());

  f.link->SetURL(" https://tolvane.example/ ");
  ClickClient(f.form.Handle(), x, y);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "https://tolvane.example/");
  EXPECT_EQ(clicks, 1);
  // Blank or not a URL: only the event.
  for (const char* url : {"", "   ", "no"}) {
    f.link->SetURL(url);
    ClickClient(f.form.Handle(), x, y);
  }
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(clicks, 4);
  SetUrlOpener(old);
}

TEST_F(SkinEdits, StyleAndThemeColours) {
  EditForm f;
  EXPECT_EQ(f.edit->UIStyle(), TSkinUIStyle::DeepBlue);  // the form has no skinned frame
  EXPECT_EQ(f.edit->BorderColor(), GetStyleColor(3, 25));
  for (int style = 1; style <= 5; ++style) {
    f.edit->SetUIStyle(static_cast<TSkinUIStyle>(style));
    EXPECT_EQ(f.edit->BorderColor(), GetStyleColor(style, 25));
    f.combo->SetArrowColor(0x123456);
    f.combo->SetUIStyle(static_cast<TSkinUIStyle>(style));
    EXPECT_EQ(f.combo->BorderColor(), GetStyleColor(style, 25));
    EXPECT_EQ(f.combo->ButtonColor(), GetStyleColor(style, 15));
    EXPECT_EQ(f.combo->ArrowColor(), clBlack);
  }
  auto* theme = new TSkinFileTheme(&f.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  f.edit->SetFileTheme(theme);
  f.edit->SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(f.edit->BorderColor(), theme->GetColor(22));
  f.combo->SetFileTheme(theme);
  f.combo->SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(f.combo->BorderColor(), theme->GetColor(22));
  EXPECT_EQ(f.combo->ButtonColor(), theme->GetColor(21));
  delete theme;
  EXPECT_EQ(f.edit->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(f.combo->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(f.combo->FileTheme(), nullptr);
}

TEST_F(SkinEdits, FiveStylesAndASkinArchiveWrittenForALook) {
  constexpr int kRowH = 44, kW = 720;
  const char* names[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass", "Skin archive"};
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(0, 0, kW, kRowH * 6);
  auto* theme = new TSkinFileTheme(&form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  std::vector<TSkinCustomComboBox*> combos;
  for (int row = 1; row <= 6; ++row) {
    auto* panel = new TCustomPanel(&form);
    panel->SetBounds(0, (row - 1) * kRowH, kW, kRowH);
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetColor(row == 6 ? theme->GetColor(2) : GetStyleColor(row, 15));
    panel->SetParent(&form);
    const TSkinUIStyle style = row == 6 ? TSkinUIStyle::FromThemeFile : static_cast<TSkinUIStyle>(row);
    auto* edit = new TSkinEdit(&form);
    edit->SetFileTheme(theme);
    edit->SetUIStyle(style);
    edit->SetBounds(100, 11, 150, 22);
    edit->SetText("*.doc, *.xls");
    edit->SetParent(panel);
    auto* number = new TSkinNumberEdit(&form);
    number->SetFileTheme(theme);
    number->SetUIStyle(style);
    number->SetBounds(260, 11, 90, 22);
    number->SetValue(1024.5);
    number->SetParent(panel);
    auto* combo = new TSkinComboBox(&form);
    combo->SetFileTheme(theme);
    combo->SetUIStyle(style);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->SetBounds(360, 11, 120, 22);
    combo->Items().Assign({"KB", "MB", "GB"});
    combo->SetItemIndex(1);
    combo->SetParent(panel);
    combos.push_back(combo);
    auto* disabled = new TSkinComboBox(&form);
    disabled->SetFileTheme(theme);
    disabled->SetUIStyle(style);
    disabled->SetBounds(490, 11, 90, 22);
    disabled->Items().Assign({"Bytes"});
    disabled->SetItemIndex(0);
    disabled->SetEnabled(false);
    disabled->SetParent(panel);
    auto* link = new TSkinURLLabel(&form);
    link->SetCaption("Tolvane home");
    link->SetLeft(600);
    link->SetTop(15);
    link->SetParent(panel);
  }
  form.Show();
  Pump();
  for (TControl* c : form.Controls())
    if (auto* w = dynamic_cast<TWinControl*>(c)) RedrawWindow(w->Handle(), nullptr, nullptr,
                                                              RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  TBitmap shot;
  tolvane_test::GrabWindow(form.Handle(), shot);
  TCanvas& c = shot.Canvas();
  c.Brush.Style = TBrushStyle::bsClear;
  c.Font().SetStyle(fsBold);
  for (int row = 1; row <= 6; ++row) c.TextOut(8, (row - 1) * kRowH + 14, names[row]);
  tolvane_test::SavePicture(shot, "skin_edits.png");

  // The drawn drop buttons carry their style's button colour; MacOS and WinXP a picture.
  for (int row = 3; row <= 6; ++row) {
    TSkinCustomComboBox* combo = combos[row - 1];
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(skin::GetComboBoxInfo(combo->Handle(), &info));
    POINT p{info.rcButton.left + 2, info.rcButton.top + 2};
    MapWindowPoints(combo->Handle(), form.Handle(), &p, 1);
    EXPECT_EQ(static_cast<TColor>(shot.GetPixel(p.x, p.y)), ColorToRGB(combo->ButtonColor())) << row;
  }
}
