// The wrapped tree view in real windows under the X server: nodes and their window items,
// expansion from the program and by a click, selection with its events and the mouse release,
// hit tests (node, state picture), deletion, custom draw, a new window keeping the tree, the
// pictures asked for as nodes are drawn, editing refused or its text replaced, sorting, and the
// options that change how the user selects: several nodes, a right click, a held-back change,
// the tips.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "tests/support/WindowRobot.h"
#include "tests/support/WineUnmanaged.h"
#include "tests/forms/view_pictures.h"

using namespace forms;
using tolvane_test::ClickClient;
using tolvane_test::FillCheckPictures;
using tolvane_test::FillItemPictures;
using tolvane_test::PressKey;
using tolvane_test::RightClickClient;
using tolvane_test::Pump;
using tolvane_test::WaitUntil;

namespace {


std::string WindowItemText(HWND tree, HTREEITEM item) {
  char buf[128] = {};
  TVITEMA it{};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = item;
  it.pszText = buf;
  it.cchTextMax = sizeof(buf);
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return buf;
}

// root
//   docs (data 1)
//     a.txt
//     b.txt
//   pics (data 2)
//     c.jpg
// other
struct TreeForm {
  TForm* form;
  TCustomTreeView* tree;
  TImageList* images;
  TImageList* states;
  TTreeNode *root, *docs, *a, *b, *pics, *c, *other;
  TreeForm() {
    form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(30, 30, 260, 260);
    images = new TImageList(form, 16, 16);
    FillItemPictures(*images);
    states = new TImageList(form, 16, 16);
    FillCheckPictures(*states);
    tree = new TCustomTreeView(form);
    tree->SetBounds(10, 10, 240, 240);
    tree->SetReadOnly(true);
    tree->SetHideSelection(false);
    tree->SetImages(images);
    tree->SetStateImages(states);
    TTreeNodes& n = tree->Items();
    root = n.AddChild(nullptr, "root");
    docs = n.AddChild(root, "docs");
    docs->SetData(reinterpret_cast<void*>(1));
    a = n.AddChild(docs, "a.txt");
    b = n.AddChild(docs, "b.txt");
    pics = n.AddChild(root, "pics");
    pics->SetData(reinterpret_cast<void*>(2));
    c = n.AddChild(pics, "c.jpg");
    other = n.Add(root, "other");
    for (TTreeNode* x = n.GetFirstNode(); x; x = x->GetNext()) {
      x->SetImageIndex(2);
      x->SetSelectedIndex(1);
      x->SetStateIndex(1);
    }
  }
  void Show() {
    tree->SetParent(form);
    form->Show();
    Pump();
  }
  // The middle of a node's text.
  POINT TextPoint(TTreeNode* node) {
    RECT r = node->DisplayRect(true);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  ~TreeForm() { delete form; }
};

}  // namespace

class TreeView : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Application()->Handle()) GTEST_SKIP() << "no window system (DISPLAY unset)";
  }
};

TEST_F(TreeView, NodesMadeBeforeTheWindowAppearInItInOrder) {
  TreeForm t;
  t.Show();
  HWND h = t.tree->Handle();
  EXPECT_EQ(SendMessageA(h, TVM_GETCOUNT, 0, 0), 7);
  EXPECT_EQ(t.tree->Items().Count(), 7);
  std::vector<std::string> order;
  for (TTreeNode* n = t.tree->Items().GetFirstNode(); n; n = n->GetNext()) order.push_back(n->Text());
  EXPECT_EQ(order, (std::vector<std::string>{"root", "docs", "a.txt", "b.txt", "pics", "c.jpg",
                                             "other"}));
  EXPECT_EQ(t.tree->Items()[5], t.c);
  EXPECT_EQ(t.c->Level(), 2);
  EXPECT_EQ(t.pics->Index(), 1);
  EXPECT_EQ(t.a->GetNextSibling(), t.b);
  EXPECT_EQ(t.b->GetPrevSibling(), t.a);
  EXPECT_EQ(t.root->GetNextSibling(), t.other);
  auto first_child = reinterpret_cast<HTREEITEM>(
      SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(t.root->ItemId())));
  EXPECT_EQ(WindowItemText(h, first_child), "docs");
  t.b->SetText("renamed.txt");
  EXPECT_EQ(WindowItemText(h, t.b->ItemId()), "renamed.txt");
  EXPECT_EQ(t.tree->Items().AddChildFirst(t.docs, "0.txt")->GetNextSibling(), t.a);
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD,
                                                     reinterpret_cast<LPARAM>(t.docs->ItemId()))),
            t.docs->Item(0)->ItemId());
}

// Nodes added with all their fields at once, into a shown tree inside an update, land in the
// window in order, under their parent, with their state pictures, and answer as set.
TEST_F(TreeView, NodesAddedWithTheirFieldsInAnUpdateCarryThemIntoTheWindow) {
  TreeForm t;
  t.Show();
  HWND h = t.tree->Handle();
  TTreeNodes& items = t.tree->Items();
  items.BeginUpdate();
  std::vector<TTreeNode*> added;
  for (int i = 0; i < 3; ++i) {
    TTreeNodes::TNodeFields fields;
    fields.data = reinterpret_cast<void*>(static_cast<intptr_t>(10 + i));
    fields.image_index = 2;
    fields.selected_index = 1;
    fields.state_index = 1 + i;
    added.push_back(items.AddChildWith(t.pics, "n" + std::to_string(i), fields));
  }
  items.EndUpdate();
  EXPECT_EQ(SendMessageA(h, TVM_GETCOUNT, 0, 0), 10);
  for (int i = 0; i < 3; ++i) {
    TTreeNode* node = added[static_cast<size_t>(i)];
    EXPECT_EQ(node->Parent(), t.pics);
    EXPECT_EQ(node->Index(), 1 + i);  // after c.jpg
    EXPECT_EQ(node->Data(), reinterpret_cast<void*>(static_cast<intptr_t>(10 + i)));
    EXPECT_EQ(node->ImageIndex(), 2);
    EXPECT_EQ(node->SelectedIndex(), 1);
    EXPECT_EQ(WindowItemText(h, node->ItemId()), "n" + std::to_string(i));
    TVITEMA it{};
    it.mask = TVIF_STATE | TVIF_HANDLE;
    it.hItem = node->ItemId();
    it.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageA(h, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    EXPECT_EQ((it.state & TVIS_STATEIMAGEMASK) >> 12, static_cast<UINT>(1 + i));
  }
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(
                h, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(t.c->ItemId()))),
            added[0]->ItemId());
}

TEST_F(TreeView, ExpandFromTheProgramAndByAClickOnTheButtonRunTheEvents) {
  TreeForm t;
  std::vector<std::string> events;
  t.tree->OnExpanding = [&](TObject*, TTreeNode* n, bool&) { events.push_back("expanding " + n->Text()); };
  t.tree->OnExpanded = [&](TObject*, TTreeNode* n) { events.push_back("expanded " + n->Text()); };
  t.tree->OnCollapsed = [&](TObject*, TTreeNode* n) { events.push_back("collapsed " + n->Text()); };
  t.Show();
  EXPECT_FALSE(t.root->Expanded());
  EXPECT_EQ(t.docs->DisplayRect(false).bottom, 0);  // hidden in the collapsed root
  t.root->Expand(false);
  EXPECT_TRUE(t.root->Expanded());
  EXPECT_GT(t.docs->DisplayRect(false).bottom, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"expanding root", "expanded root"}));

  // A click on the button left of "docs" (inside the indent, before the state picture).
  events.clear();
  RECT whole = t.docs->DisplayRect(false);
  int y = (whole.top + whole.bottom) / 2;
  int button_x = -1;
  for (int x = 0; x < 80 && button_x < 0; ++x)
    if (t.tree->GetHitTestInfoAt(x, y) & htOnButton) button_x = x;
  ASSERT_GE(button_x, 0);
  ClickClient(t.tree->Handle(), button_x + 2, y);
  EXPECT_TRUE(t.docs->Expanded());
  EXPECT_EQ(events, (std::vector<std::string>{"expanding docs", "expanded docs"}));

  // A veto keeps the node as it is.
  t.tree->OnCollapsing = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
  t.docs->Collapse(false);
  EXPECT_TRUE(t.docs->Expanded());
  t.tree->OnCollapsing = nullptr;
  t.tree->FullCollapse();
  EXPECT_FALSE(t.root->Expanded());
  EXPECT_FALSE(t.docs->Expanded());
}

TEST_F(TreeView, ClickOnANodeSelectsItAndHandsOverTheRelease) {
  TreeForm t;
  t.root->Expand(false);
  std::vector<TTreeNode*> changes;
  t.tree->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n); };
  int downs = 0, ups = 0;
  TTreeNode* down_node = nullptr;
  TTreeNode* up_node = nullptr;
  t.tree->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    ++downs;
    down_node = t.tree->GetNodeAt(x, y);
  };
  t.tree->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    ++ups;
    up_node = t.tree->GetNodeAt(x, y);
  };
  t.Show();
  POINT p = t.TextPoint(t.pics);
  ClickClient(t.tree->Handle(), p.x, p.y);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(down_node, t.pics);
  EXPECT_EQ(up_node, t.pics);
  EXPECT_EQ(t.tree->Selected(), t.pics);
  EXPECT_TRUE(t.pics->Selected());
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), t.pics);
  EXPECT_EQ(t.tree->Selected()->Data(), reinterpret_cast<void*>(2));

  t.tree->SetSelected(t.docs);
  EXPECT_EQ(changes.back(), t.docs);
  t.tree->OnChanging = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
  t.tree->SetSelected(t.other);
  EXPECT_EQ(t.tree->Selected(), t.docs);
}

TEST_F(TreeView, HitTestTellsTheStatePictureFromTheText) {
  TreeForm t;
  t.root->Expand(false);
  t.Show();
  RECT text = t.docs->DisplayRect(true);
  int y = (text.top + text.bottom) / 2;
  EXPECT_EQ(t.tree->GetNodeAt((text.left + text.right) / 2, y), t.docs);
  EXPECT_TRUE(t.tree->GetHitTestInfoAt((text.left + text.right) / 2, y) & htOnLabel);
  int state_x = -1;
  for (int x = 0; x < text.left && state_x < 0; ++x)
    if (t.tree->GetHitTestInfoAt(x, y) & htOnStateIcon) state_x = x;
  ASSERT_GE(state_x, 0);
  EXPECT_TRUE(t.tree->GetHitTestInfoAt(state_x, y) & htOnItem);
  EXPECT_EQ(t.tree->GetNodeAt(state_x, y), t.docs);
  // Without a state picture there is nothing to hit there.
  t.docs->SetStateIndex(-1);
  EXPECT_FALSE(t.tree->GetHitTestInfoAt(state_x, y) & htOnStateIcon);
  // Below the last node: no node.
  EXPECT_EQ(t.tree->GetNodeAt(20, 230), nullptr);
  EXPECT_TRUE(t.tree->GetHitTestInfoAt(20, 230) & htNowhere);
}

TEST_F(TreeView, DeletingNodesAnnouncesEachAndClearsTheSelection) {
  TreeForm t;
  t.root->Expand(false);
  t.Show();
  t.tree->SetSelected(t.a);
  std::vector<std::string> gone;
  t.tree->OnDeletion = [&](TObject*, TTreeNode* n) { gone.push_back(n->Text()); };
  t.docs->Delete();
  EXPECT_EQ(gone.size(), 3u);  // docs, a.txt, b.txt
  EXPECT_EQ(t.tree->Items().Count(), 4);
  EXPECT_EQ(SendMessageA(t.tree->Handle(), TVM_GETCOUNT, 0, 0), 4);
  TTreeNode* s = t.tree->Selected();  // moved off the deleted nodes
  EXPECT_TRUE(s == nullptr || s == t.root || s == t.pics || s == t.c || s == t.other);
  EXPECT_EQ(t.root->Item(0), t.pics);
  gone.clear();
  t.tree->Items().Clear();
  EXPECT_EQ(gone.size(), 4u);
  EXPECT_EQ(t.tree->Items().Count(), 0);
  EXPECT_EQ(t.tree->Selected(), nullptr);
  EXPECT_EQ(SendMessageA(t.tree->Handle(), TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(TreeView, ANewWindowKeepsNodesExpansionAndSelection) {
  TreeForm t;
  t.Show();
  t.root->Expand(false);
  t.pics->Expand(false);
  t.tree->SetSelected(t.c);
  int deletions = 0;
  t.tree->OnDeletion = [&](TObject*, TTreeNode*) { ++deletions; };
  t.tree->RecreateWnd();
  EXPECT_EQ(deletions, 0);  // the nodes stay; only their window items went
  EXPECT_EQ(SendMessageA(t.tree->Handle(), TVM_GETCOUNT, 0, 0), 7);
  EXPECT_TRUE(t.root->Expanded());
  EXPECT_TRUE(t.pics->Expanded());
  EXPECT_FALSE(t.docs->Expanded());
  EXPECT_EQ(t.tree->Selected(), t.c);
  EXPECT_EQ(WindowItemText(t.tree->Handle(), t.c->ItemId()), "c.jpg");
}

TEST_F(TreeView, CustomDrawItemEventsSeeEachShownNodeAndItsColoursApply) {
  TreeForm t;
  t.root->Expand(false);
  std::vector<std::string> drawn;
  t.tree->OnCustomDrawItem = [&](TCustomTreeView* sender, TTreeNode* node, TCustomDrawState,
                                 bool&) {
    drawn.push_back(node->Text());
    if (node == t.pics) {
      sender->Canvas().Font().SetColor(0x0000FF);
      sender->Canvas().Brush.Color = 0xC0FFC0;
    }
  };
  t.Show();
  UpdateWindow(t.tree->Handle());
  // Nodes inside collapsed folders are not drawn.
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), "docs"), drawn.end());
  EXPECT_EQ(std::find(drawn.begin(), drawn.end(), "a.txt"), drawn.end());
  RECT r = t.pics->DisplayRect(true);
  HDC dc = GetDC(t.tree->Handle());
  EXPECT_EQ(GetPixel(dc, r.left + 1, r.top + 1), RGB(0xC0, 0xFF, 0xC0));
  ReleaseDC(t.tree->Handle(), dc);
}

TEST_F(TreeView, EditedTextIsKeptByTheNode) {
  TreeForm t;
  t.tree->SetReadOnly(false);
  t.Show();
  t.tree->SetFocus();
  HWND edit = reinterpret_cast<HWND>(
      SendMessageA(t.tree->Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(t.other->ItemId())));
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "renamed");
  PressKey(edit, VK_RETURN);
  EXPECT_EQ(t.other->Text(), "renamed");
  EXPECT_EQ(WindowItemText(t.tree->Handle(), t.other->ItemId()), "renamed");
}

// A handler that runs a modal loop of its own on the press (a popup menu) takes the release
// with it; the tree must not then wait for a release that already happened.
TEST_F(TreeView, PressWhoseReleaseAHandlerTookDoesNotHangTheTree) {
  TreeForm t;
  t.root->Expand(false);
  int downs = 0, ups = 0;
  t.tree->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    ++downs;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE)) {
    }
    while (PeekMessageA(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
    }
  };
  t.tree->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  t.Show();
  POINT p = t.TextPoint(t.pics);
  RightClickClient(t.tree->Handle(), p.x, p.y);
  EXPECT_EQ(downs, 1);
  ClickClient(t.tree->Handle(), p.x, p.y);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(ups, 1);  // the left release, handed over although the handler took it
}

namespace {

// How many pixels of `colour` the tree shows left of a node's text (where its picture is).
int PictureColourCount(TCustomTreeView* tree, TTreeNode* node, TColor colour) {
  UpdateWindow(tree->Handle());
  Pump();  // what was drawn reaches the screen
  auto shot = tolvane_test::Grab(tree->Handle());
  RECT text = node->DisplayRect(true);
  const int edge = 2;  // the client edge
  int n = 0;
  for (int y = text.top; y < text.bottom; ++y)
    for (int x = 0; x < text.left; ++x) n += shot->GetPixel(x + edge, y + edge) == colour;
  return n;
}

}  // namespace

TEST_F(TreeView, ImageEventsGiveThePicturesDrawnAndDoNotRedrawForEver) {
  constexpr TColor kOpenFolder = 0x60D8F8, kClosedFolder = 0x40C0F0;
  TreeForm t;  // every node: picture 2, selected picture 1
  t.root->Expand(false);
  std::vector<TTreeNode*> asked;
  t.tree->OnGetImageIndex = [&](TObject*, TTreeNode* node) {
    asked.push_back(node);
    node->SetImageIndex(node == t.docs ? 1 : 0);
  };
  t.tree->OnGetSelectedIndex = [&](TObject*, TTreeNode* node) { node->SetSelectedIndex(2); };
  t.Show();
  EXPECT_GT(PictureColourCount(t.tree, t.docs, kOpenFolder), 20);
  EXPECT_EQ(PictureColourCount(t.tree, t.pics, kClosedFolder), 0);
  EXPECT_EQ(std::find(asked.begin(), asked.end(), t.a), asked.end());  // not shown
  t.tree->SetSelected(t.pics);
  EXPECT_GT(PictureColourCount(t.tree, t.pics, kClosedFolder), 20);
  // Pictures set while the tree asks for them ask for no new paint.
  asked.clear();
  Pump();
  EXPECT_TRUE(asked.empty()) << "the tree keeps repainting";
  // Without the event a node shows its own picture, redrawn when it changes.
  t.tree->OnGetImageIndex = nullptr;
  t.docs->SetImageIndex(2);
  EXPECT_GT(PictureColourCount(t.tree, t.docs, kClosedFolder), 20);
}

TEST_F(TreeView, EditingCanBeRefusedAndTheEditedTextReplaced) {
  TreeForm t;
  t.tree->SetReadOnly(false);
  t.tree->OnEditing = [&](TObject*, TTreeNode* node, bool& allow) { allow = node != t.root; };
  t.tree->OnEdited = [&](TObject*, TTreeNode*, std::string& text) { text += " (edited)"; };
  t.Show();
  t.tree->SetFocus();
  auto edit_label = [&](TTreeNode* n) {
    return reinterpret_cast<HWND>(SendMessageA(t.tree->Handle(), TVM_EDITLABELA, 0,
                                               reinterpret_cast<LPARAM>(n->ItemId())));
  };
  EXPECT_EQ(edit_label(t.root), nullptr);
  HWND edit = edit_label(t.other);
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "renamed");
  PressKey(edit, VK_RETURN);
  EXPECT_EQ(t.other->Text(), "renamed (edited)");
  EXPECT_EQ(WindowItemText(t.tree->Handle(), t.other->ItemId()), "renamed (edited)");
}

TEST_F(TreeView, SortTypeKeepsNodesInOrderInTheTreeAndTheWindow) {
  TreeForm t;
  t.Show();
  HWND wnd = t.tree->Handle();
  auto order = [&] {
    std::string nodes, window;
    for (TTreeNode* c = t.root->GetFirstChild(); c; c = c->GetNextSibling()) nodes += c->Text() + " ";
    for (auto h = TreeView_GetChild(wnd, t.root->ItemId()); h; h = TreeView_GetNextSibling(wnd, h))
      window += WindowItemText(wnd, h) + " ";
    EXPECT_EQ(nodes, window) << "the node tree and the window differ";
    return nodes;
  };
  TTreeNodes& n = t.tree->Items();
  t.tree->SetSortType(TSortType::stText);
  n.AddChild(t.root, "alpha");
  t.pics->SetText("Beta");
  EXPECT_EQ(order(), "alpha Beta docs ");
  // By data through OnCompare, larger first.
  t.tree->OnCompare = [](TObject*, TTreeNode* a, TTreeNode* b, int, int& compare) {
    compare = static_cast<int>(reinterpret_cast<intptr_t>(b->Data()) - reinterpret_cast<intptr_t>(a->Data()));
  };
  t.tree->SetSortType(TSortType::stData);
  EXPECT_EQ(order(), "Beta docs alpha ");  // data 2, 1, 0
  t.docs->SetData(reinterpret_cast<void*>(5));
  t.docs->SetText("z-docs");  // a text change keeps its place
  EXPECT_EQ(order(), "z-docs Beta alpha ");
  t.tree->RecreateWnd();
  wnd = t.tree->Handle();
  EXPECT_EQ(order(), "z-docs Beta alpha ");
}

namespace {

// A left click with a key held (VK_CONTROL, VK_SHIFT), through the input queue.
void ClickWith(WORD key, HWND wnd, POINT at) {
  tolvane_test::KeyStrokes({{key, false}});
  Pump();
  ClickClient(wnd, at.x, at.y);
  tolvane_test::KeyStrokes({{key, true}});
  Pump();
}

bool MarkedSelected(HWND tree, TTreeNode* node) {
  return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()),
                       TVIS_SELECTED) &
          TVIS_SELECTED) != 0;
}

std::vector<TTreeNode*> SelectionOf(TCustomTreeView* tree) {
  std::vector<TTreeNode*> out;
  for (int i = 0; i < tree->SelectionCount(); ++i) out.push_back(tree->Selections(i));
  return out;
}

}  // namespace

TEST_F(TreeView, MultiSelectAddsWithCtrlSpansWithShiftAndAPlainClickKeepsOne) {
  TreeForm t;
  t.root->Expand(false);
  t.tree->SetMultiSelect(true);
  t.Show();
  HWND h = t.tree->Handle();
  ClickClient(h, t.TextPoint(t.docs).x, t.TextPoint(t.docs).y);
  EXPECT_EQ(SelectionOf(t.tree), std::vector<TTreeNode*>{t.docs});
  ClickWith(VK_CONTROL, h, t.TextPoint(t.other));
  EXPECT_EQ(SelectionOf(t.tree), (std::vector<TTreeNode*>{t.docs, t.other}));
  EXPECT_EQ(t.tree->Selected(), t.other);
  EXPECT_TRUE(MarkedSelected(h, t.docs)) << "the node the caret left lost its mark";
  // Shift runs from the last node clicked with Ctrl, upwards here.
  ClickWith(VK_SHIFT, h, t.TextPoint(t.pics));
  EXPECT_EQ(SelectionOf(t.tree), (std::vector<TTreeNode*>{t.other, t.pics}));
  EXPECT_FALSE(MarkedSelected(h, t.docs));
  // A node going leaves the selection; a plain click on the caret's node keeps it alone.
  ClickWith(VK_CONTROL, h, t.TextPoint(t.root));
  t.other->Delete();
  EXPECT_EQ(SelectionOf(t.tree), (std::vector<TTreeNode*>{t.pics, t.root}));
  ClickClient(h, t.TextPoint(t.root).x, t.TextPoint(t.root).y);
  EXPECT_EQ(SelectionOf(t.tree), std::vector<TTreeNode*>{t.root});
  EXPECT_FALSE(MarkedSelected(h, t.pics));
  t.tree->SetMultiSelect(false);
  EXPECT_EQ(SelectionOf(t.tree), std::vector<TTreeNode*>{t.root});
}

TEST_F(TreeView, RightClickSelectSelectsTheNodeBeforeTheMouseDownHandlerRuns) {
  TreeForm t;
  t.root->Expand(false);
  TTreeNode* seen = nullptr;
  t.tree->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
    if (b == TMouseButton::mbRight) seen = t.tree->Selected();
  };
  t.Show();
  t.tree->SetSelected(t.docs);
  POINT p = t.TextPoint(t.pics);
  RightClickClient(t.tree->Handle(), p.x, p.y);
  EXPECT_EQ(seen, t.docs) << "a right click selected without RightClickSelect";
  t.tree->SetRightClickSelect(true);
  RightClickClient(t.tree->Handle(), p.x, p.y);
  EXPECT_EQ(seen, t.pics);
  EXPECT_EQ(t.tree->Selected(), t.pics);
}

TEST_F(TreeView, ChangeDelayTellsOnlyTheLastOfQuickChangesOnceItHasPassed) {
  TreeForm t;
  t.root->Expand(false);
  std::vector<TTreeNode*> changes;
  t.tree->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n); };
  t.Show();
  t.tree->SetChangeDelay(300);
  Pump();
  changes.clear();
  t.tree->SetSelected(t.docs);
  t.tree->SetSelected(t.pics);
  t.tree->SetSelected(t.other);
  EXPECT_TRUE(changes.empty()) << "told before the delay";
  ASSERT_TRUE(WaitUntil([&] { return !changes.empty(); }, 3000));
  Pump(400);
  EXPECT_EQ(changes, std::vector<TTreeNode*>{t.other});
  t.tree->SetChangeDelay(0);
  t.tree->SetSelected(t.docs);
  EXPECT_EQ(changes.back(), t.docs);
}

TEST_F(TreeView, ToolTipsOffMakesTheTreeAgainWithoutItsTipWindow) {
  TreeForm t;
  t.root->Expand(false);
  t.Show();
  EXPECT_NE(SendMessageA(t.tree->Handle(), TVM_GETTOOLTIPS, 0, 0), 0);
  t.tree->SetToolTips(false);
  HWND h = t.tree->Handle();
  EXPECT_EQ(SendMessageA(h, TVM_GETTOOLTIPS, 0, 0), 0);
  EXPECT_NE(GetWindowLongPtrA(h, GWL_STYLE) & TVS_NOTOOLTIPS, 0);
  EXPECT_EQ(t.tree->Items().Count(), 7);
  EXPECT_TRUE(t.root->Expanded());
  t.tree->SetToolTips(true);
  EXPECT_NE(SendMessageA(t.tree->Handle(), TVM_GETTOOLTIPS, 0, 0), 0);
}
