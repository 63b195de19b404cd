// The maker's tree view in real windows under the X server: the outside bars follow the tree
// after fills, expansion, deletion and input; dragging the outside thumb scrolls the tree, past
// 32,767 rows too; clicks on state pictures; the frame's colours per style and theme.
#include <gtest/gtest.h>

#include <string>

#include "skin/QzTreeView.h"
#include "skin/SkinPublic.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"
#include "tests/forms/view_pictures.h"

using namespace forms;
using namespace skin;
using tolvane_test::PostedMouse;
using tolvane_test::ClickClient;
using tolvane_test::PressKey;
using tolvane_test::Pump;

namespace {

SCROLLINFO NativeBar(HWND wnd, int which) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(wnd, which, &si)) si.nMax = si.nPage = si.nPos = -1;
  return si;
}

// A 240 x 240 tree on a form, its two outside bars beside it on the same form.
struct TreeForm {
  TForm* form;
  TQzTreeView* tree;
  TQzScrollBar* vbar;
  TQzScrollBar* hbar;
  TImageList* images;
  TImageList* states;
  TreeForm() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(30, 30, 280, 280);
    images = new TImageList(form, 16, 16);
    tolvane_test::FillItemPictures(*images);
    states = new TImageList(form, 16, 16);
    tolvane_test::FillCheckPictures(*states);
    tree = new TQzTreeView(form);
    tree->SetBounds(10, 10, 240, 240);
    tree->SetReadOnly(true);
    tree->SetHideSelection(false);
    tree->SetImages(images);
    tree->SetStateImages(states);
    tree->SetParent(form);
    vbar = new TQzScrollBar(form);
    vbar->SetParent(form);
    hbar = new TQzScrollBar(form);
    hbar->SetParent(form);
    tree->SetVScrollBar(vbar);
    tree->SetHScrollBar(hbar);
  }
  void Show() {
    form->Show();
    Pump();
  }
  // `count` top-level nodes "node 0" ... in one go; the last one made.
  TTreeNode* Fill(int count) {
    TTreeNodes& n = tree->Items();
    TTreeNode* last = nullptr;
    n.BeginUpdate();
    for (int i = 0; i < count; ++i) last = n.AddChild(nullptr, "node " + std::to_string(i));
    n.EndUpdate();
    return last;
  }
  SCROLLINFO Vert() const { return NativeBar(tree->Handle(), SB_VERT); }
  SCROLLINFO Horz() const { return NativeBar(tree->Handle(), SB_HORZ); }
  // The outside bar shows what the native one holds.
  void ExpectInStep(TQzScrollBar* bar, const SCROLLINFO& si) {
    EXPECT_EQ(bar->Max(), si.nMax - static_cast<int>(si.nPage) + 1);
    EXPECT_EQ(bar->Min(), si.nMin);
    EXPECT_EQ(bar->Position(), si.nPos);
  }
  ~TreeForm() { delete form; }
};

}  // namespace

class QzTreeView : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(QzTreeView, BarsStayHiddenWhileTheNodesFitAndCoverTheNativeBarsAfterAFill) {
  TreeForm t;
  t.Show();
  t.Fill(3);
  for (TQzScrollBar* bar : {t.vbar, t.hbar}) {
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(bar->Enabled());
    EXPECT_EQ(bar->LineButton(), 0);
  }
  // A programmatic fill in one go, then a node too wide for the tree: no input in between.
  t.Fill(200);
  TTreeNode* wide = t.tree->Items().AddChild(nullptr, std::string(120, 'W'));
  EXPECT_TRUE(t.vbar->Visible());
  EXPECT_TRUE(t.vbar->Enabled());
  EXPECT_GT(t.vbar->LineButton(), 0);
  t.ExpectInStep(t.vbar, t.Vert());
  EXPECT_EQ(t.vbar->Max(), 204 - static_cast<int>(t.Vert().nPage));
  EXPECT_TRUE(t.hbar->Visible());
  t.ExpectInStep(t.hbar, t.Horz());
  EXPECT_EQ(t.vbar->Orientation(), TSkinProgressBarOrientation::skVertical);
  EXPECT_EQ(t.hbar->Orientation(), TSkinProgressBarOrientation::skHorizontal);
  EXPECT_EQ(t.vbar->SmallChange(), 5);

  // Laid over the tree's right and bottom edges, inside the outer frame line, and above it.
  const RECT tr = t.tree->BoundsRect();
  EXPECT_EQ(t.vbar->Left(), tr.right - t.vbar->Width() - 1);
  EXPECT_EQ(t.vbar->Top(), tr.top + 1);
  EXPECT_EQ(t.vbar->Height(), t.tree->Height() - 1 - t.hbar->Height());
  EXPECT_EQ(t.hbar->Left(), tr.left + 1);
  EXPECT_EQ(t.hbar->Top(), tr.bottom - t.hbar->Height() - 1);
  EXPECT_EQ(t.hbar->Width(), t.tree->Width() - 1 - t.vbar->Width());
  POINT mid = t.vbar->ClientToScreen(POINT{t.vbar->Width() / 2, t.vbar->Height() / 2});
  HWND top = WindowFromPoint(mid);
  EXPECT_TRUE(top == t.vbar->Handle() || IsChild(t.vbar->Handle(), top));

  // Moving and resizing the tree takes the bars along.
  t.tree->SetBounds(20, 5, 200, 260);
  Pump();
  EXPECT_EQ(t.vbar->Left(), 20 + 200 - t.vbar->Width() - 1);
  EXPECT_EQ(t.hbar->Top(), 5 + 260 - t.hbar->Height() - 1);
  t.ExpectInStep(t.vbar, t.Vert());

  // Deleting down to what fits hides the bars again; so does clearing.
  wide->Delete();
  EXPECT_FALSE(t.hbar->Visible());
  EXPECT_TRUE(t.vbar->Visible());
  while (t.tree->Items().Count() > 3) t.tree->Items().GetFirstNode()->Delete();
  EXPECT_FALSE(t.vbar->Visible());
  EXPECT_FALSE(t.hbar->Visible());
  t.Fill(100);
  EXPECT_TRUE(t.vbar->Visible());
  t.tree->Items().Clear();
  EXPECT_FALSE(t.vbar->Visible());
  EXPECT_EQ(t.vbar->LineButton(), 0);
}

TEST_F(QzTreeView, FortyThousandNodesScrollToTheLastThroughTheOutsideBar) {
  TreeForm t;
  t.Show();
  constexpr int kNodes = 40000;
  TTreeNode* last = t.Fill(kNodes);
  Pump();
  const SCROLLINFO si = t.Vert();
  const int last_top = kNodes - static_cast<int>(si.nPage);
  ASSERT_TRUE(t.vbar->Visible());
  EXPECT_EQ(t.vbar->Max(), last_top);

  // Drag the outside thumb nine tenths down: a row far past what 16 bits can hold.
  TSkinScrollTrackBar* track = t.vbar->Track();
  TWinControl* thumb = track->Thumb();
  const int travel = track->Height() - thumb->Height();
  PostedMouse m;
  m.Press(thumb, 4, 3);
  m.MoveTo(track, 4, thumb->Top() + 3 + travel * 9 / 10);
  const int pos = t.vbar->Position();
  EXPECT_GT(pos, 32767);
  ASSERT_NE(t.tree->TopItem(), nullptr);
  EXPECT_EQ(t.tree->TopItem()->Text(), "node " + std::to_string(pos));
  EXPECT_EQ(t.Vert().nPos, pos);

  // On to the end: the last node is shown, at the bottom.
  m.MoveTo(track, 4, track->Height() + 40);
  m.Release(track, 4, track->Height() + 40);
  Pump();
  EXPECT_EQ(t.vbar->Position(), last_top);
  EXPECT_EQ(t.tree->TopItem()->Text(), "node " + std::to_string(last_top));
  RECT r = last->DisplayRect(false);
  EXPECT_GT(r.bottom, 0);
  EXPECT_LE(r.bottom, t.tree->ClientHeight());

  // And back to a row below 32,768 from the far end.
  m.Press(thumb, 4, 3);
  m.MoveTo(track, 4, thumb->Top() + 3 - travel / 2);
  m.Release(track, 4, thumb->Top() + 3);
  Pump();
  EXPECT_LT(t.vbar->Position(), 32768);
  EXPECT_EQ(t.tree->TopItem()->Text(), "node " + std::to_string(t.vbar->Position()));
}

TEST_F(QzTreeView, ExpandingAndCollapsingResyncTheBarsWhateverDidIt) {
  TreeForm t;
  TTreeNodes& n = t.tree->Items();
  TTreeNode* root = n.AddChild(nullptr, "root");
  for (int i = 0; i < 60; ++i) n.AddChild(root, "child " + std::to_string(i));
  TTreeNode* other = n.AddChild(nullptr, "other");
  for (int i = 0; i < 30; ++i) n.AddChild(other, "leaf " + std::to_string(i));
  t.Show();
  EXPECT_FALSE(t.vbar->Visible());

  // From the program.
  root->Expand(false);
  EXPECT_TRUE(t.vbar->Visible());
  t.ExpectInStep(t.vbar, t.Vert());
  EXPECT_EQ(t.vbar->Max(), 62 - static_cast<int>(t.Vert().nPage));
  root->Collapse(false);
  EXPECT_FALSE(t.vbar->Visible());

  // By a click on the expand button of "other".
  RECT whole = other->DisplayRect(false);
  const int y = (whole.top + whole.bottom) / 2;
  int button_x = -1;
  for (int x = 0; x < 60 && button_x < 0; ++x)
    if (t.tree->GetHitTestInfoAt(x, y) & htOnButton) button_x = x;
  ASSERT_GE(button_x, 0);
  ClickClient(t.tree->Handle(), button_x + 2, y);
  ASSERT_TRUE(other->Expanded());
  EXPECT_TRUE(t.vbar->Visible());
  t.ExpectInStep(t.vbar, t.Vert());

  // By the keyboard: the selected node collapses with the left arrow, expands with the right.
  t.tree->SetSelected(other);
  t.tree->SetFocus();
  PressKey(t.tree->Handle(), VK_LEFT);
  ASSERT_FALSE(other->Expanded());
  EXPECT_FALSE(t.vbar->Visible());
  PressKey(t.tree->Handle(), VK_RIGHT);
  ASSERT_TRUE(other->Expanded());
  EXPECT_TRUE(t.vbar->Visible());
  t.ExpectInStep(t.vbar, t.Vert());

  // A new window (as a form's border change makes) keeps the bars on top and in step.
  t.tree->RecreateWnd();
  Pump();
  EXPECT_TRUE(t.vbar->Visible());
  t.ExpectInStep(t.vbar, t.Vert());
  POINT mid = t.vbar->ClientToScreen(POINT{t.vbar->Width() / 2, t.vbar->Height() / 2});
  HWND top = WindowFromPoint(mid);
  EXPECT_TRUE(top == t.vbar->Handle() || IsChild(t.vbar->Handle(), top));
}

TEST_F(QzTreeView, WheelKeysAndTheHorizontalBarMoveInStep) {
  TreeForm t;
  t.Fill(300);
  t.tree->Items().AddChild(nullptr, std::string(100, 'M'));
  t.Show();
  // Shown after a fill made before the windows: both bars lie above the tree at once.
  for (TQzScrollBar* bar : {t.vbar, t.hbar}) {
    POINT mid = bar->ClientToScreen(POINT{bar->Width() / 2, bar->Height() / 2});
    HWND top = WindowFromPoint(mid);
    EXPECT_TRUE(top == bar->Handle() || IsChild(bar->Handle(), top));
  }
  t.tree->SetSelected(t.tree->Items().GetFirstNode());
  t.tree->SetFocus();
  PressKey(t.tree->Handle(), VK_NEXT);
  PressKey(t.tree->Handle(), VK_NEXT);
  EXPECT_GT(t.Vert().nPos, 0);
  t.ExpectInStep(t.vbar, t.Vert());
  const int before = t.Vert().nPos;
  POINT c = t.tree->ClientToScreen(POINT{50, 50});
  SendMessageA(t.tree->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
               MAKELPARAM(c.x, c.y));
  Pump();
  EXPECT_GT(t.Vert().nPos, before);
  t.ExpectInStep(t.vbar, t.Vert());
  PressKey(t.tree->Handle(), VK_END);
  EXPECT_EQ(t.vbar->Position(), t.vbar->Max());

  // The outside horizontal thumb dragged to its end scrolls the tree to its right edge.
  ASSERT_TRUE(t.hbar->Visible());
  TSkinScrollTrackBar* track = t.hbar->Track();
  PostedMouse m;
  m.Press(track->Thumb(), 3, 4);
  m.MoveTo(track, track->Width() + 30, 4);
  m.Release(track, track->Width() + 30, 4);
  Pump();
  const SCROLLINFO h = t.Horz();
  EXPECT_GT(h.nPos, 0);
  EXPECT_EQ(h.nPos, h.nMax - static_cast<int>(h.nPage) + 1);
  t.ExpectInStep(t.hbar, h);
}

TEST_F(QzTreeView, AClickOnAStatePictureReachesTheMouseUpThere) {
  TreeForm t;
  TTreeNodes& n = t.tree->Items();
  TTreeNode* root = n.AddChild(nullptr, "C:\\");
  TTreeNode* docs = n.AddChild(root, "Documents");
  n.AddChild(root, "Photos");
  for (TTreeNode* x = n.GetFirstNode(); x; x = x->GetNext()) x->SetStateIndex(1);
  // As the results window does: a release on the state picture of the pressed node toggles it.
  TTreeNode* pressed = nullptr;
  t.tree->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    pressed = t.tree->GetNodeAt(x, y);
  };
  t.tree->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    TTreeNode* node = t.tree->GetNodeAt(x, y);
    if (node && node == pressed && (t.tree->GetHitTestInfoAt(x, y) & htOnStateIcon))
      node->SetStateIndex(node->StateIndex() == 3 ? 1 : 3);
  };
  t.Show();
  root->Expand(false);
  RECT text = docs->DisplayRect(true);
  const int y = (text.top + text.bottom) / 2;
  int state_x = -1;
  for (int x = 0; x < text.left && state_x < 0; ++x)
    if (t.tree->GetHitTestInfoAt(x, y) & htOnStateIcon) state_x = x;
  ASSERT_GE(state_x, 0);
  ClickClient(t.tree->Handle(), state_x + 4, y);
  EXPECT_EQ(docs->StateIndex(), 3);
  UINT shown = static_cast<UINT>(SendMessageA(t.tree->Handle(), TVM_GETITEMSTATE,
                                              reinterpret_cast<WPARAM>(docs->ItemId()),
                                              TVIS_STATEIMAGEMASK));
  EXPECT_EQ(shown >> 12, 3u);
  ClickClient(t.tree->Handle(), state_x + 4, y);
  EXPECT_EQ(docs->StateIndex(), 1);
  // A click on the text selects the node and leaves its box alone.
  ClickClient(t.tree->Handle(), (text.left + text.right) / 2, y);
  EXPECT_EQ(docs->StateIndex(), 1);
  EXPECT_EQ(t.tree->Selected(), docs);
}

TEST_F(QzTreeView, DisablingKeepsTheBarsShownAndHidingTheTreeHidesThem) {
  TreeForm t;
  t.Fill(100);
  t.Show();
  ASSERT_TRUE(t.vbar->Visible());
  t.tree->SetEnabled(false);
  EXPECT_FALSE(t.vbar->Enabled());
  EXPECT_TRUE(t.vbar->Visible());
  t.tree->SetEnabled(true);
  EXPECT_TRUE(t.vbar->Enabled());
  t.tree->SetVisible(false);
  EXPECT_FALSE(t.vbar->Visible());
  EXPECT_FALSE(t.hbar->Visible());
  t.tree->SetVisible(true);
  Pump();
  EXPECT_TRUE(t.vbar->Visible());
  EXPECT_FALSE(t.hbar->Visible());  // nothing is too wide
}

TEST_F(QzTreeView, ABarLetGoOrFreedNoLongerFollowsTheTree) {
  TreeForm t;
  t.Fill(100);
  t.Show();
  ASSERT_TRUE(t.vbar->Visible());
  TQzScrollBar* old = t.vbar;
  auto* other = new TQzScrollBar(t.form);
  other->SetParent(t.form);
  t.tree->SetVScrollBar(other);
  EXPECT_EQ(old->LineButton(), 0);
  EXPECT_EQ(old->Max(), 100);
  EXPECT_TRUE(old->Enabled());
  EXPECT_FALSE(old->OnChange());
  EXPECT_TRUE(other->Visible());
  t.ExpectInStep(other, t.Vert());
  // The let-go bar moved by hand scrolls nothing.
  old->SetPosition(50);
  EXPECT_EQ(t.Vert().nPos, 0);
  // A freed bar is dropped; the tree goes on without it.
  delete other;
  EXPECT_EQ(t.tree->VScrollBar(), nullptr);
  t.tree->Items().GetFirstNode()->Delete();
  t.tree->Items().Clear();
}

TEST_F(QzTreeView, StyleAndThemeSetTheFrameColourAndTheBarsStyle) {
  TreeForm t;
  t.Fill(100);
  t.Show();
  EXPECT_EQ(t.tree->BorderWidth(), 2);
  EXPECT_EQ(t.tree->BorderStyle(), TBorderStyle::bsNone);
  for (int style = 1; style <= 5; ++style) {
    t.tree->SetUIStyle(static_cast<TSkinUIStyle>(style));
    EXPECT_EQ(t.tree->BorderColor(), GetStyleColor(style, 25)) << style;
    EXPECT_EQ(t.vbar->UIStyle(), static_cast<TSkinUIStyle>(style));
    EXPECT_EQ(t.hbar->UIStyle(), static_cast<TSkinUIStyle>(style));
  }
  // The frame as it reaches the screen: the border colour outside, the tree's colour inside.
  t.tree->SetUIStyle(TSkinUIStyle::MacOS);
  t.tree->SetColor(0xF0FFF0);
  Pump();
  HDC dc = GetWindowDC(t.tree->Handle());
  EXPECT_EQ(GetPixel(dc, 0, 120), ColorToRGB(GetStyleColor(1, 25)));
  EXPECT_EQ(GetPixel(dc, 1, 120), ColorToRGB(0xF0FFF0));
  ReleaseDC(t.tree->Handle(), dc);

  // A ready theme gives its control border colour; without one FromThemeFile is DeepBlue.
  t.tree->SetUIStyle(TSkinUIStyle::FromThemeFile);
  EXPECT_EQ(t.tree->BorderColor(), GetStyleColor(3, 25));
  EXPECT_EQ(t.vbar->UIStyle(), TSkinUIStyle::DeepBlue);
  auto* theme = new TSkinFileTheme(t.form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  t.tree->SetFileTheme(theme);
  EXPECT_EQ(t.tree->BorderColor(), theme->GetColor(22));
  EXPECT_EQ(t.vbar->UIStyle(), TSkinUIStyle::FromThemeFile);
  delete theme;
  EXPECT_EQ(t.tree->FileTheme(), nullptr);
  EXPECT_EQ(t.tree->UIStyle(), TSkinUIStyle::DeepBlue);
  EXPECT_EQ(t.tree->BorderColor(), GetStyleColor(3, 25));

  // Form loading sets the bars by name.
  TPropValue v;
  ASSERT_TRUE(t.tree->GetPublished("VScrollBar", &v));
  EXPECT_EQ(std::get<TComponent*>(v), t.vbar);
  EXPECT_TRUE(t.tree->SetPublished("HScrollBar", TPropValue(static_cast<TComponent*>(nullptr))));
  EXPECT_EQ(t.tree->HScrollBar(), nullptr);
  EXPECT_FALSE(t.tree->SetPublished("VScrollBar", TPropValue(static_cast<TComponent*>(t.images))));
  EXPECT_EQ(t.tree->VScrollBar(), t.vbar);
}

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass",
                                   "Skin archive"};
constexpr int kSkinCell = 6;

// A folder tree as the results window shows one: ticked, mixed and unticked folders, more of
// them than fit, and one name too long for the width.
void FillFolders(TQzTreeView* tree) {
  TTreeNodes& n = tree->Items();
  n.BeginUpdate();
  TTreeNode* root = n.AddChild(nullptr, "C:\\");
  const char* top[] = {"Documents", "Photos", "Program Files", "Users", "Windows"};
  int state = 0;
  for (const char* name : top) {
    TTreeNode* folder = n.AddChild(root, name);
    for (int i = 0; i < 4; ++i)
      n.AddChild(folder, std::string(name) + " part " + std::to_string(i + 1));
  }
  n.AddChild(root, "A folder with a name much longer than the tree is wide");
  for (TTreeNode* x = n.GetFirstNode(); x; x = x->GetNext()) {
    x->SetImageIndex(2);
    x->SetSelectedIndex(1);
    x->SetStateIndex(1 + state++ % 3);
  }
  n.EndUpdate();
  tree->FullExpand();
}

}  // namespace

TEST_F(QzTreeView, FiveStylesAndASkinArchiveWrittenForALook) {
  constexpr int kCellW = 336, kCellH = 360, kCaption = 20;
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(0, 0, kCellW * 3, kCellH * 2);
  auto* theme = new TSkinFileTheme(&form);
  theme->SetThemeFile("theme_fixtures\\theme.ssk");
  ASSERT_TRUE(theme->Ready());
  auto* images = new TImageList(&form, 16, 16);
  tolvane_test::FillItemPictures(*images);
  auto* states = new TImageList(&form, 16, 16);
  tolvane_test::FillCheckPictures(*states);
  std::vector<TQzTreeView*> trees;
  for (int cell = 1; cell <= 6; ++cell) {
    const int x = (cell - 1) % 3 * kCellW, y = (cell - 1) / 3 * kCellH;
    auto* panel = new TCustomPanel(&form);
    panel->SetBounds(x, y, kCellW, kCellH);
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetColor(cell == kSkinCell ? theme->GetColor(2) : GetStyleColor(cell, 15));
    panel->SetParent(&form);
    auto* tree = new TQzTreeView(&form);
    tree->SetBounds(8, kCaption + 2, kCellW - 16, kCellH - kCaption - 10);
    tree->SetReadOnly(true);
    tree->SetHideSelection(false);
    tree->SetImages(images);
    tree->SetStateImages(states);
    tree->SetParent(panel);
    auto* vbar = new TQzScrollBar(&form);
    vbar->SetParent(panel);
    auto* hbar = new TQzScrollBar(&form);
    hbar->SetParent(panel);
    if (cell == kSkinCell) {
      // As the form's resources give them: the bars take the theme themselves.
      vbar->SetFileTheme(theme);
      hbar->SetFileTheme(theme);
      tree->SetFileTheme(theme);
      tree->SetUIStyle(TSkinUIStyle::FromThemeFile);
    } else {
      tree->SetUIStyle(static_cast<TSkinUIStyle>(cell));
    }
    tree->SetVScrollBar(vbar);
    tree->SetHScrollBar(hbar);
    FillFolders(tree);
    trees.push_back(tree);
  }
  form.Show();
  Pump();
  for (int i = 0; i < 6; ++i) {
    TQzTreeView* tree = trees[i];
    // Every other tree scrolled down a little, with a folder selected.
    if (i % 2) SendMessageA(tree->Handle(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    tree->SetSelected(tree->Items()[2 + i]);
    UpdateWindow(tree->Handle());
  }
  Pump();

  TBitmap shot;
  tolvane_test::GrabWindow(form.Handle(), shot);
  TCanvas& c = shot.Canvas();
  c.Brush.Style = TBrushStyle::bsClear;
  c.Font().SetStyle(fsBold);
  for (int cell = 1; cell <= 6; ++cell)
    c.TextOut((cell - 1) % 3 * kCellW + 10, (cell - 1) / 3 * kCellH + 3, kStyleNames[cell]);
  tolvane_test::SavePicture(shot, "qz_treeview.png");

  for (int cell = 1; cell <= 6; ++cell) {
    TQzTreeView* tree = trees[cell - 1];
    // Both outside bars show, each in its style's or the skin's colour, and the frame's outer
    // line has the border colour.
    EXPECT_TRUE(tree->VScrollBar()->Visible()) << cell;
    EXPECT_TRUE(tree->HScrollBar()->Visible()) << cell;
    const TColor bar_colour = cell == kSkinCell ? theme->GetColor(25) : GetStyleColor(cell, 31);
    EXPECT_EQ(tree->VScrollBar()->Color(), bar_colour) << cell;
    RECT w;
    GetWindowRect(tree->Handle(), &w);
    EXPECT_EQ(static_cast<TColor>(shot.GetPixel(w.left - form.Left(), w.top - form.Top() + 40)),
              ColorToRGB(tree->BorderColor())) << cell;
  }
}
