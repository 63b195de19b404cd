// UnitFindFile: the results window's controls, the scan start, the folder tree and the two
// virtual lists, their check boxes and sorting, the save commands and Back.
#include "frontend/win/UnitFindFile.h"

#include <algorithm>
#include <map>
#include <set>
#include <optional>

#include "engine/scavrel_api.h"
#include "forms/FolderBrowser.h"
#include "frontend/FilterSettings.h"
#include "frontend/FoundTreeWalk.h"
#include "frontend/LangFile.h"
#include "frontend/ProductTexts.h"
#include "frontend/SaveCommand.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/HeaderBand.h"
#include "frontend/win/ProgramArt.h"
#include "frontend/win/ResultsEngine.h"
#include "frontend/win/ShellOpen.h"
#include "frontend/win/UnitFrmMessage.h"
#include "frontend/win/UnitFrmSetting.h"
#include "frontend/win/UnitMsgBox.h"
#include "frontend/win/UnitRun.h"
#include "frontend/win/WatchSupport.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

TFrmFindFile* FrmFindFile = nullptr;

namespace {

constexpr forms::TColor kFilterMarkColor = 0x0000B0;  // dark red (blue in the high byte)
constexpr int kMinTrackWidth = 550;
constexpr int kMinTrackHeight = 450;
constexpr int kHeaderTop = 24;
constexpr int kHeaderHeight = 87;
constexpr int kCommandTop = kHeaderTop + kHeaderHeight + 5;
constexpr int kCommandHeight = 28;
constexpr int kContentTop = kCommandTop + kCommandHeight + 5;

const std::string& LangText(LangKey key) { return Lang().Text(key); }

struct Hourglass {
  Hourglass() { forms::Screen()->SetCursor(forms::crHourGlass); }
  ~Hourglass() { forms::Screen()->SetCursor(forms::crDefault); }
};

// The find dialog's name pattern as the hit rows test it.
NameTest CurrentNameTest() {
  FindCriteria criteria;
  criteria.pattern = NamePattern;
  criteria.leading_star = PatternLeadingStar == "*";
  criteria.trailing_star = PatternTrailingStar == "*";
  if (criteria.pattern.empty()) return NameTest();
  return [criteria](std::string_view name) { return NameMatches(criteria, name); };
}

forms::TImageList* PictureList(forms::TComponent* owner, const char* art_name) {
  auto* list = new forms::TImageList(owner, 16, 16);
  forms::TBitmap strip;
  if (LoadArtBitmap(strip, art_name)) list->AddMasked(strip, forms::clFuchsia);
  return list;
}

// The steps of a save command, with the window's dialogs and the engine.
class WindowSaveSteps : public SaveSteps {
 public:
  WindowSaveSteps(std::function<bool(const std::string&)> start, FoundNode* node,
                  std::function<bool()> anything_ticked)
      : start_(std::move(start)), node_(node), anything_ticked_(std::move(anything_ticked)) {}
  bool AnythingTicked() override { return anything_ticked_(); }
  void TellNothingTicked() override { ShowAttention(1, LangText(LangKey::NothingTicked)); }
  std::string ChooseFolder() override {
    std::string folder;
    if (!forms::SelectDirectory("Select a Folder", "", folder)) return std::string();
    return folder;
  }
  bool OnScannedVolume(const std::string& folder) override {
    return CheckCurrentDriver(folder.c_str()) != 0;
  }
  bool ConfirmScannedVolume() override {
    return ShowAttention(2, LangText(LangKey::CurrentDriver)) == kBoxOk;
  }
  bool Fits(const std::string& folder) override {
    uint64_t needed = 0;
    return GetSaveSize(folder.c_str(), node_, &needed) != 0;
  }
  void TellTooLarge() override { ShowAttention(1, LangText(LangKey::LowVolume)); }
  bool Start(const std::string& folder) override { return start_(folder); }

 private:
  std::function<bool(const std::string&)> start_;
  FoundNode* node_;
  std::function<bool()> anything_ticked_;
};

}  // namespace

TFrmFindFile::TFrmFindFile(forms::TComponent* owner) : forms::TForm(owner) {
  SetBorderStyle(forms::TFormBorderStyle::bsSizeable);
  SetClientWidth(704);
  SetClientHeight(481);
  BuildControls();
  WearFirstTheme(this);
  FormCreate();
}

TFrmFindFile::~TFrmFindFile() = default;

skin::TQzListView* TFrmFindFile::MakeList(forms::TWinControl* parent) {
  auto* list = new skin::TQzListView(this);
  list->SetViewStyle(forms::TViewStyle::vsReport);
  list->SetOwnerData(true);
  list->SetReadOnly(true);
  list->SetRowSelect(true);
  list->SetHideSelection(false);
  list->SetSmallImages(ImageList1);
  list->SetStateImages(ImageList2);
  list->SetHeadState(ImageList2);
  list->SetHeadImgSort(ImageList5);
  list->SetHeaderImageEvent(true);
  list->HeadFont().SetName("Tahoma");
  list->HeadFont().SetSize(8);
  list->HeadFont().SetColor(kTextBlue);
  forms::TPicture picture;
  if (LoadArt(picture, art::kListHeader)) list->SetHeadBG(&picture);
  if (LoadArt(picture, art::kListHeaderLine)) list->SetHeadline(&picture);
  list->SetParent(parent);
  return list;
}

void TFrmFindFile::BuildControls() {
  skForm1 = WearFrame(this, FrameButtons::All,
                      std::string(ProductTitle) + std::string(ProductVersion));
  const int width = 704, height = 481;

  ImageList1 = PictureList(this, art::kItemPictures);
  ImageList2 = PictureList(this, art::kCheckStates);
  ImageList5 = PictureList(this, art::kSortArrows);

  skImagePanel5 = AddPanel(this, skForm1, 0, kHeaderTop, 138, kHeaderHeight, art::kHeaderLeft);
  skImagePanel4 = AddPanel(this, skForm1, 114, kHeaderTop, width - 114, kHeaderHeight,
                           art::kHeaderBand);
  skImagePanel4->SetAnchors(forms::akLeft | forms::akTop | forms::akRight);
  skImagePanel4->SetDrawStyle(skin::TSkinDrawStyle::skStretch);
  skImagePanel4->SetColor(kPanelColor);

  Label1 = new forms::TLabel(this);
  // The band's left end lies under the header picture: the texts start right of it.
  Label1->SetLeft(30);
  Label1->SetTop(11);
  Label1->Font().SetName("Tahoma");
  Label1->Font().SetSize(14);
  Label1->Font().SetStyle(forms::fsBold);
  Label1->Font().SetColor(kTextBlue);
  Label1->SetTransparent(true);
  Label1->SetCaption("Tolvane");
  Label1->SetParent(skImagePanel4);

  Label5 = new forms::TLabel(this);
  Label5->SetAutoSize(false);
  Label5->SetWordWrap(true);
  Label5->SetTransparent(true);
  Label5->SetBounds(30, 40, 330, 44);
  Label5->Font().SetColor(kTextBlue);
  Label5->SetParent(skImagePanel4);

  const int link_area = width - 114;
  Image3 = new forms::TImage(this);
  LoadArt(Image3->Picture(), art::kAboutLink);
  Image3->SetBounds(link_area - 200, 53, 16, 16);
  Image3->SetTransparent(true);
  Image3->SetAnchors(forms::akRight | forms::akTop);
  Image3->SetParent(skImagePanel4);
  skURLLabel2 = AddLink(this, skImagePanel4, link_area - 170, 53, "&About");
  skURLLabel2->OnClick = [this](forms::TObject*) { skURLLabel2Click(); };
  Image5 = new forms::TImage(this);
  LoadArt(Image5->Picture(), art::kHelpLink);
  Image5->SetBounds(link_area - 120, 53, 16, 16);
  Image5->SetTransparent(true);
  Image5->SetAnchors(forms::akRight | forms::akTop);
  Image5->SetParent(skImagePanel4);
  skURLLabel4 = AddLink(this, skImagePanel4, link_area - 90, 53, "Help");
  skURLLabel4->OnClick = [this](forms::TObject*) { skURLLabel4Click(); };

  skImagePanel6 = AddPanel(this, skForm1, 1, 1, 20, 18, art::kTitleIcon);
  skImagePanel6->SetTransparent(true);

  constexpr forms::TAnchors kTopLeft = forms::akLeft | forms::akTop;
  skBBack = AddButton(this, skForm1, 5, kCommandTop, 100, kCommandHeight, art::kBackButton,
                      kTopLeft, 9, "        &Back");
  skBBack->OnClick = [this](forms::TObject*) { skBBackClick(); };
  skButton1 = AddButton(this, skForm1, 110, kCommandTop, 100, kCommandHeight,
                        art::kFilterButton, kTopLeft, 9, "        &Filter");
  skButton1->OnClick = [this](forms::TObject*) { skButton1Click(); };
  skBRecovery = AddButton(this, skForm1, 215, kCommandTop, 100, kCommandHeight,
                          art::kRecoverButton, kTopLeft, 9, "        &Recover");
  skBRecovery->OnClick = [this](forms::TObject*) { skBRecoveryClick(); };
  skImageButton1 = AddButton(this, skForm1, width - 198, kCommandTop + 2, 193, 24,
                             art::kHomePageButton, forms::akRight | forms::akTop, 9,
                             "   " + std::string(HomePageAddress));
  skImageButton1->OnClick = [this](forms::TObject*) { skImageButton1Click(); };

  // Filters outlive Back and a scan of another drive: a user who does not know they are on
  // would take the files they hide for lost.
  FilterMark = new forms::TLabel(this);
  FilterMark->SetAutoSize(false);
  FilterMark->SetWordWrap(true);
  FilterMark->SetTransparent(true);
  FilterMark->SetLayout(forms::TTextLayout::tlCenter);
  FilterMark->SetBounds(325, kCommandTop, width - 198 - 8 - 325, kCommandHeight);
  FilterMark->SetAnchors(forms::akLeft | forms::akTop | forms::akRight);
  FilterMark->Font().SetName("Tahoma");
  FilterMark->Font().SetStyle(forms::fsBold);
  FilterMark->Font().SetColor(kFilterMarkColor);
  FilterMark->SetVisible(false);
  FilterMark->SetParent(skForm1);

  skImagePanel1 = AddPanel(this, skForm1, 0, kContentTop, width, height - kContentTop - 6,
                           nullptr);
  skImagePanel1->SetAnchors(forms::akLeft | forms::akTop | forms::akRight | forms::akBottom);
  skImagePanel1->SetTransparent(true);
  skImagePanel1->SetColor(kPanelColor);

  const RECT area{5, 0, width - 5, height - kContentTop - 6};
  Panel2 = new forms::TPanel(this);
  Panel2->SetBevelOuter(forms::TBevelCut::bvNone);
  Panel2->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
  Panel2->SetAnchors(forms::akLeft | forms::akTop | forms::akRight | forms::akBottom);
  Panel2->SetParent(skImagePanel1);
  ListView2 = MakeList(Panel2);
  hit_pane_.SetView(ListView2);
  ListView2->SetAlign(forms::TAlign::alClient);
  struct ColumnLayout {
    const char* caption;
    int width;
  };
  for (const ColumnLayout& c : {ColumnLayout{"Path", 200}, ColumnLayout{"Filename", 100},
                              ColumnLayout{"Status", 70}, ColumnLayout{"Size", 60},
                              ColumnLayout{"Date Created", 120}, ColumnLayout{"Date Modified", 120}}) {
    forms::TListColumn* column = ListView2->Columns().Add();
    column->SetCaption(c.caption);
    column->SetWidth(c.width);
  }
  ListView2->OnData = [this](forms::TObject*, forms::TListItem* item) { ListView2Data(item); };
  ListView2->OnColumnClick = [this](forms::TObject*, forms::TListColumn* c) {
    ListColumnClick(ListView2, ResultList::kHits, c->Index());
  };
  ListView2->OnHeaderStateClick = [this](forms::TObject*, int c) { ListView2HeaderStateClick(c); };
  ListView2->OnMouseDown = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState,
                                  int x, int y) { ListView2MouseDown(b, x, y); };
  ListView2->OnKeyDown = [this](forms::TObject*, WORD& key, forms::TShiftState shift) {
    ListKeyDown(ListView2, key, shift);
  };

  Panel1 = new forms::TPanel(this);
  Panel1->SetBevelOuter(forms::TBevelCut::bvNone);
  Panel1->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
  Panel1->SetParent(skImagePanel1);
  TreeView1 = new skin::TQzTreeView(this);
  TreeView1->SetFileTheme(AddBuiltInTheme(this, "skBuiltInFileTheme2"));
  TreeView1->SetAlign(forms::TAlign::alLeft);
  TreeView1->SetWidth(137);
  TreeView1->SetImages(ImageList1);
  TreeView1->SetStateImages(ImageList2);
  TreeView1->SetIndent(19);
  TreeView1->SetReadOnly(true);
  TreeView1->SetHideSelection(false);
  TreeView1->SetParent(Panel1);
  TreeView1->OnMouseDown = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState,
                                  int x, int y) { TreeView1MouseDown(b, x, y); };
  TreeView1->OnMouseUp = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState,
                                int x, int y) { TreeView1MouseUp(b, x, y); };
  TreeView1->OnClick = [this](forms::TObject*) { TreeView1Click(); };
  Splitter1 = new forms::TSplitter(this);
  Splitter1->SetAlign(forms::TAlign::alLeft);
  Splitter1->SetLeft(137);
  Splitter1->SetWidth(6);
  Splitter1->SetParent(Panel1);
  ListView1 = MakeList(Panel1);
  folder_pane_.SetView(ListView1);
  ListView1->SetAlign(forms::TAlign::alClient);
  for (const ColumnLayout& c : {ColumnLayout{"Filename", 120}, ColumnLayout{"Size", 60},
                              ColumnLayout{"Date Created", 120}, ColumnLayout{"Date Modified", 120},
                              ColumnLayout{"Status", 50}, ColumnLayout{"First Cluster", 70}}) {
    forms::TListColumn* column = ListView1->Columns().Add();
    column->SetCaption(c.caption);
    column->SetWidth(c.width);
  }
  ListView1->OnData = [this](forms::TObject*, forms::TListItem* item) { ListView1Data(item); };
  ListView1->OnColumnClick = [this](forms::TObject*, forms::TListColumn* c) {
    ListColumnClick(ListView1, ResultList::kFolderContents, c->Index());
  };
  ListView1->OnHeaderStateClick = [this](forms::TObject*, int c) { ListView1HeaderStateClick(c); };
  ListView1->OnMouseDown = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState,
                                  int x, int y) { ListView1MouseDown(b, x, y); };
  ListView1->OnDblClick = [this](forms::TObject*) { ListView1DblClick(); };
  ListView1->OnKeyDown = [this](forms::TObject*, WORD& key, forms::TShiftState shift) {
    ListKeyDown(ListView1, key, shift);
  };

  skImagePanel9 = AddPanel(this, skForm1, width - 13, height - 13, 11, 11, art::kSizeGrip);
  skImagePanel9->SetAnchors(forms::akRight | forms::akBottom);
  skImagePanel9->SetTransparent(true);

  Timer1 = new forms::TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(100);
  Timer1->OnTimer = [this](forms::TObject*) { Timer1Timer(); };
  Timer2 = new forms::TTimer(this);
  Timer2->SetEnabled(false);
  Timer2->SetInterval(10);
  Timer2->OnTimer = [this](forms::TObject*) { Timer2Timer(); };
  follow_timer_ = new forms::TTimer(this);
  follow_timer_->SetEnabled(false);
  follow_timer_->SetInterval(100);
  follow_timer_->OnTimer = [this](forms::TObject*) { FollowTimerTick(); };

  skPopupMenu1 = new skin::TSkinPopupMenu(this);
  auto add_item = [this](const char* caption, std::function<void()> click) {
    auto* item = new forms::TMenuItem(this);
    item->SetCaption(caption);
    if (click) item->OnClick = [click](forms::TObject*) { click(); };
    skPopupMenu1->Items()->Add(item);
    return item;
  };
  M1 = add_item("Recover", [this] { M1Click(); });
  N1 = add_item("-", nullptr);
  M2 = add_item("Check", [this] { M2Click(); });
  M3 = add_item("Uncheck", [this] { M3Click(); });

  OnShow = [this](forms::TObject*) { FormShow(); };
  OnPaint = [this](forms::TObject*) { FormPaint(); };
  OnResize = [this](forms::TObject*) { FormResize(); };
  OnCloseQuery = [this](forms::TObject*, bool& can_close) { FormCloseQuery(can_close); };
}

void TFrmFindFile::FormCreate() {
  Label5->SetCaption(LangText(LangKey::Banner));
  ListView1->SetDoubleBuffered(true);
  ListView2->SetDoubleBuffered(true);
  TreeView1->SetDoubleBuffered(true);
  ResetHeaders(ListView1);
  ResetHeaders(ListView2);
}

void TFrmFindFile::Dispatch(forms::TMessage& m) {
  if (m.Msg == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
    info->ptMinTrackSize.x = kMinTrackWidth;
    info->ptMinTrackSize.y = kMinTrackHeight;
    m.Result = 0;
  }
  forms::TForm::Dispatch(m);
}

void TFrmFindFile::BeginScanResults() { Show(); }

void TFrmFindFile::FormShow() {
  // Label5 may have been made before the language file was read.
  Label5->SetCaption(LangText(LangKey::Banner));
  forms::Application()->SetMainForm(this);
  ResultsCloseMode = 1;
  Timer1->SetEnabled(true);
}

void TFrmFindFile::FormPaint() {
  skForm1->SetCaption(std::string(ProductTitle) + std::string(ProductVersion));
  if (Image3->Left() != Image5->Left() - 80) Image3->SetLeft(Image5->Left() - 80);
  if (skURLLabel2->Left() != Image5->Left() - 49) skURLLabel2->SetLeft(Image5->Left() - 49);
}

void TFrmFindFile::FormResize() {
  if (Panel1 && Panel2) {
    Panel1->SetBounds(Panel2->Left(), Panel2->Top(), Panel2->Width(), Panel2->Height());
  }
}

bool TFrmFindFile::RunActive() const { return ScanState != kRunIdle || SaveState != kRunIdle; }

void TFrmFindFile::FormCloseQuery(bool& can_close) {
  if (ResultsCloseMode == 1) {
    can_close = false;
    if (ShowAttention(2, LangText(LangKey::EndApplication)) == kBoxOk) {
      forms::Application()->Terminate();
      can_close = true;
    }
    return;
  }
  if (FrmRun) {
    forms::Application()->SetMainForm(FrmRun);
    forms::TWindowState state = WindowState();
    FrmRun->SetWindowState(state);
    if (state == forms::TWindowState::wsNormal) {
      FrmRun->SetBounds(Left(), Top(), Width(), Height());
    }
    FrmRun->Show();
  }
  can_close = true;
}

void TFrmFindFile::ResetHeaders(skin::TQzListView* list) {
  for (skin::THeadColumn& c : list->HeadColumns) c.SortIndex = -1;
  list->HeadColumns[0].StateIndex = scavrel::kUnchecked;
  for (int i = 0; i < list->Columns().Count(); ++i) list->Columns().Items(i)->SetTag(0);
  list->SetTag(0);
  list->RepaintHeader();
}

void TFrmFindFile::ClearResults() {
  CurrentFolderItem = nullptr;
  PopupTreeItem = nullptr;
  PopupNode = nullptr;
  PopupRow = -1;
  PopupSource = kPopupNone;
  mouse_down_item_ = nullptr;
  ClearFolderItems(TreeView1->Items());
  ListView1->Items().SetCount(0);
  ListView2->Items().SetCount(0);
  const SortedListOps& ops = QuorrinOps();
  ops.ClearList(FolderContentsList);
  ops.FieldRemoveall(FolderContentsList);
  ops.ClearList(HitList);
  ops.FieldRemoveall(HitList);
  FolderListCount = 0;
  HitListCount = 0;
  ResetHeaders(ListView1);
  ResetHeaders(ListView2);
}

// ---- the scan ---------------------------------------------------------------------------------

void TFrmFindFile::Timer1Timer() {
  Timer1->SetEnabled(false);
  ClearResults();
  ShowPanels(FindMode != 0);
  if (FrmRun) FrmRun->Hide();
  scavrel_api::Bool8 started = NtfsChosen
                      ? ProcNtfs(ScanDriveCaption.c_str(), ScanDevicePath.c_str(), FullScan)
                      : ProcFat(ScanDriveCaption.c_str(), ScanDevicePath.c_str(), FullScan);
  if (!started) {
    // No scan runs: the state the start window set must not keep Back refused.
    ScanState = kRunIdle;
    return;
  }
  ProgressShown = false;
  following_save_ = false;
  FollowRun();
}

void TFrmFindFile::FollowRun() {
  if (!following_save_ && StartScanWatch) {
    StartScanWatch();
    return;
  }
  follow_timer_->SetEnabled(true);
}

void TFrmFindFile::FollowTimerTick() {
  uint64_t done = 0, total = 0, a = 0, b = 0;
  char text[kOutTextPathSize] = {};
  char* address = text;
  uint8_t finished = 0;
  if (following_save_) {
    GetProgressSave(&done, &total, &a, &b, &address, &finished);
  } else {
    GetProgress(&done, &total, &a, &b, &address, &finished);
  }
  if (!finished) return;
  follow_timer_->SetEnabled(false);
  if (following_save_) {
    SaveState = kRunIdle;
    SaveFinishedPending = 1;
    FormClick();
    return;
  }
  if (StopRequested) {
    ScanState = kRunIdle;
    StopRequested = 0;
    ScanStopped();
    return;
  }
  ShowScanResult();
  ScanState = kRunIdle;
  StopRequested = 0;
  ScanFinishedPending = 1;
  FormClick();
}

void TFrmFindFile::ScanStopped() {
  ClearFolderItems(TreeView1->Items());
  ResultsCloseMode = 2;
  Close();
}

void TFrmFindFile::ShowScanResult() {
  FoundNode* root = nullptr;
  const bool tree_kept = (GetTreeFirst(&root) & 0xFF) != 0 && root != nullptr;
  if (FindMode) {
    BuildHitList();
    ShowPanels(true);
    scan_end_text_ = ScanEndText(true, tree_kept, HitListCount > 0);
    return;
  }
  scan_end_text_ = ScanEndText(false, tree_kept, tree_kept && root->subtree_has_deleted);
  if (BuildFolderTree()) {
    TreeView1->SetSelected(TreeView1->Items().GetFirstNode());
    InitialTreeClick = true;
    TreeView1Click();
    InitialTreeClick = false;
  }
  ShowPanels(false);
}

void TFrmFindFile::ReapplyFilters() {
  if (FindMode) {
    ShowScanResult();
    return;
  }
  // The user's place survives new filters: the folder shown, and every branch still there
  // that was open. Tree items die with the rebuild, the engine's nodes do not.
  std::set<FoundNode*> expanded;
  for (forms::TTreeNode* item = TreeView1->Items().GetFirstNode(); item; item = item->GetNext()) {
    if (item->Expanded()) expanded.insert(NodeOf(item));
  }
  ShowFilterMark(false);
  FoundNode* current = CurrentFolderItem ? NodeOf(CurrentFolderItem) : nullptr;
  CurrentFolderItem = nullptr;
  PopupTreeItem = nullptr;
  mouse_down_item_ = nullptr;
  if (!BuildFolderTree()) {
    FillListview(nullptr);
    return;
  }
  std::map<FoundNode*, forms::TTreeNode*> items;
  TreeView1->Items().BeginUpdate();
  for (forms::TTreeNode* item = TreeView1->Items().GetFirstNode(); item; item = item->GetNext()) {
    items[NodeOf(item)] = item;
    if (expanded.count(NodeOf(item))) item->Expand(false);
  }
  TreeView1->Items().EndUpdate();
  // A folder the filters now hide gives way to its nearest ancestor that is still listed.
  forms::TTreeNode* target = nullptr;
  for (FoundNode* node = current; node && !target; node = node->parent) {
    auto found = items.find(node);
    if (found != items.end()) target = found->second;
  }
  if (!target) target = TreeView1->Items().GetFirstNode();
  for (forms::TTreeNode* up = target->Parent(); up; up = up->Parent()) up->Expand(false);
  TreeView1->SetSelected(target);
  target->MakeVisible();
  CurrentFolderItem = target;
  FillListview(NodeOf(target));
}

void TFrmFindFile::ShowPanels(bool find_mode) {
  Panel2->SetVisible(find_mode);
  Panel1->SetVisible(!find_mode);
  skButton1->SetVisible(!find_mode);
  // Recover closes the gap the hidden Filter button leaves.
  skBRecovery->SetLeft(find_mode ? skButton1->Left() : skButton1->Left() + skButton1->Width() + 5);
  ShowFilterMark(find_mode);
}

void TFrmFindFile::ShowFilterMark(bool find_mode) {
  // A find-file scan lists what its own criteria asked for, just given: only the folder
  // filters carried over from earlier results need the mark.
  const bool on = !find_mode && FiltersActive(Bounds, NameFilterText);
  const int left = skBRecovery->Left() + skBRecovery->Width() + 10;
  FilterMark->SetBounds(left, FilterMark->Top(),
                        std::max(60, skImageButton1->Left() - 8 - left), FilterMark->Height());
  FilterMark->SetCaption(LangText(LangKey::FilterOn));
  FilterMark->SetVisible(on);
}

bool TFrmFindFile::BuildFolderTree() {
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) == 0) root = nullptr;
  return BuildFolderTree(root);
}

bool TFrmFindFile::BuildFolderTree(FoundNode* root) {
  ClearFolderItems(TreeView1->Items());
  if (root == nullptr) return false;
  EngineResultSource source(NtfsChosen != 0);
  forms::TTreeNodes& items = TreeView1->Items();
  items.BeginUpdate();
  vardeck::BuildFolderTree(root, source, [&](FoundNode* node, const std::string& name,
                                             void* parent) -> void* {
    forms::TTreeNode* item = items.AddChild(static_cast<forms::TTreeNode*>(parent), name);
    item->SetImageIndex(kFolderImage);
    item->SetSelectedIndex(kOpenFolderImage);
    item->SetStateIndex(node->check_state);
    item->SetData(node);
    return item;
  });
  items.EndUpdate();
  return items.GetFirstNode() != nullptr;
}

void TFrmFindFile::BuildHitList() {
  ResetHeaders(ListView2);
  ListView2->Items().BeginUpdate();
  ListView2->Items().SetCount(0);
  const SortedListOps& ops = QuorrinOps();
  ResetHitList(ops, HitList);
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) != 0 && root != nullptr) {
    EngineResultSource source(NtfsChosen != 0);
    BuildHitRows(root, source, CurrentNameTest(),
                 [&](const ResultRow& row) { AppendHitRow(ops, HitList, row); });
  }
  ops.UpdateList(HitList);
  HitListCount = ops.GetListCount(HitList);
  ListView2->Items().SetCount(static_cast<int>(HitListCount));
  ListView2->Items().EndUpdate();
}

// ---- announcing ---------------------------------------------------------------------------------

void TFrmFindFile::FormClick() {
  if (std::optional<LangKey> text = TakePendingEndText(scan_end_text_)) {
    pending_text_ = LangText(*text);
    Timer2->SetEnabled(true);
  }
  if (HandleAllocated() && IsWindowVisible(Handle())) SetFocus();
}

void TFrmFindFile::Timer2Timer() {
  Timer2->SetEnabled(false);
  ShowAttention(1, pending_text_);
}

// ---- the folder tree ------------------------------------------------------------------------------

void TFrmFindFile::TreeView1MouseDown(forms::TMouseButton button, int x, int y) {
  forms::TTreeNode* item = TreeView1->GetNodeAt(x, y);
  if (button == forms::TMouseButton::mbLeft) {
    mouse_down_item_ = item;
    return;
  }
  if (button == forms::TMouseButton::mbRight && item) {
    PopupSource = kPopupTree;
    PopupTreeItem = item;
    PopupRow = -1;
    PopupNode = NodeOf(item);
    mouse_down_item_ = nullptr;
    POINT p = TreeView1->ClientToScreen(POINT{x, y});
    skPopupMenu1->Popup(p.x, p.y);
  }
}

void TFrmFindFile::TreeView1MouseUp(forms::TMouseButton button, int x, int y) {
  forms::TTreeNode* item = TreeView1->GetNodeAt(x, y);
  if (button != forms::TMouseButton::mbLeft || !item || item != mouse_down_item_) return;
  Hourglass wait;
  if (TreeView1->GetHitTestInfoAt(x, y) & forms::htOnStateIcon) {
    ClickNtfsNode(NodeOf(item), 0);
    RefreshNodeStates(item);
  }
  forms::TTreeNode* selected = TreeView1->Selected();
  if (!selected) selected = item;
  CurrentFolderItem = selected;
  FillListview(NodeOf(selected));
}

void TFrmFindFile::TreeView1Click() {
  if (!InitialTreeClick) return;
  forms::TTreeNode* selected = TreeView1->Selected();
  if (!selected) return;
  CurrentFolderItem = selected;
  selected->Expand(false);
  FillListview(NodeOf(selected));
}

void TFrmFindFile::ListView1DblClick() {
  forms::TListItem* row = ListView1->Selected();
  if (!row || !CurrentFolderItem) return;
  int index = row->Index();
  if (index < 0 || static_cast<uint32_t>(index) >= FolderListCount) return;
  if (folder_pane_.Image(index) <= 0) return;
  FoundNode* node = folder_pane_.Node(index);
  forms::TTreeNode* target = nullptr;
  for (int i = 0; i < CurrentFolderItem->Count(); ++i) {
    forms::TTreeNode* child = CurrentFolderItem->Item(i);
    if (NodeOf(child) == node) {
      target = child;
      break;
    }
  }
  if (!target) return;
  CurrentFolderItem = target;
  FillListview(node);
  for (forms::TTreeNode* up = target->Parent(); up && !up->Expanded(); up = up->Parent()) {
    up->Expand(false);
  }
  TreeView1->SetSelected(target);
}

void TFrmFindFile::FillListview(FoundNode* folder) {
  for (int i = 0; i < ListView1->Columns().Count(); ++i) {
    ListView1->Columns().Items(i)->SetTag(0);
    if (i < skin::kHeadColumnCount) ListView1->HeadColumns[static_cast<size_t>(i)].SortIndex = -1;
  }
  ListView1->Items().BeginUpdate();
  // The header shows the folder the rows come from (the popup may fill another folder than
  // the tree's selected one).
  ListView1->HeadColumns[0].StateIndex = EngineCheckState(folder);
  ListView1->RepaintHeader();
  const SortedListOps& ops = QuorrinOps();
  ResetFolderList(ops, FolderContentsList);
  EngineResultSource source(NtfsChosen != 0);
  BuildFolderRows(folder, source,
                  [&](const ResultRow& row) { AppendFolderRow(ops, FolderContentsList, row); });
  ops.UpdateList(FolderContentsList);
  FolderListCount = ops.GetListCount(FolderContentsList);
  ListView1->Items().SetCount(static_cast<int>(FolderListCount));
  ListView1->Items().EndUpdate();
}

// ---- cells and sorting ------------------------------------------------------------------------------

void TFrmFindFile::ListView1Data(forms::TListItem* item) { folder_pane_.Fill(item); }

void TFrmFindFile::ListView2Data(forms::TListItem* item) { hit_pane_.Fill(item); }

void TFrmFindFile::ListColumnClick(skin::TQzListView* list, ResultList which, int column) {
  if (column < 0 || column >= list->Columns().Count() || column >= skin::kHeadColumnCount) return;
  list->Items().BeginUpdate();
  forms::TListColumn* clicked = list->Columns().Items(column);
  int last = static_cast<int>(list->Tag());
  int direction = NextSortDirection(last, column, static_cast<int>(clicked->Tag()));
  clicked->SetTag(direction);
  if (last >= 0 && last < skin::kHeadColumnCount) list->HeadColumns[static_cast<size_t>(last)].SortIndex = -1;
  list->SetTag(column);
  list->HeadColumns[static_cast<size_t>(column)].SortIndex = direction;
  SortOrder order = MakeSortOrder(which, column, direction);
  {
    Hourglass wait;
    ::Sort(order.text.c_str(), order.key_count,
           which == ResultList::kHits ? HitList : FolderContentsList);
  }
  list->RepaintHeader();
  list->Items().EndUpdate();
  list->UpdateItems(0, std::max(0, static_cast<int>(which == ResultList::kHits ? HitListCount
                                                                            : FolderListCount) - 1));
}

void TFrmFindFile::ListKeyDown(skin::TQzListView* list, WORD& key, forms::TShiftState shift) {
  if (shift & (forms::ssShift | forms::ssCtrl | forms::ssAlt)) return;
  if (MoveRowFocus(list, key)) key = 0;
}

bool TFrmFindFile::MoveRowFocus(skin::TQzListView* list, unsigned key) {
  // The system list moves its single selection by first deselecting every row; Wine's does that
  // for an owner-data list by visiting all rows one by one (13 s for 100,000 rows, at every
  // key). Moving the focus here touches only the two rows concerned, on every system alike.
  if (!list->HandleAllocated()) return false;
  HWND h = list->Handle();
  const int count = static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0));
  const int focused = static_cast<int>(
      SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  const int top = static_cast<int>(SendMessageA(h, LVM_GETTOPINDEX, 0, 0));
  const int per_page = static_cast<int>(SendMessageA(h, LVM_GETCOUNTPERPAGE, 0, 0));
  const int target = ListKeyTarget(key, focused, count, top, per_page);
  if (target < 0) return false;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (focused >= 0 && focused != target) {
    item.state = 0;
    SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&item));
  }
  // Another row still selected (the selection did not follow the focus): the system's own
  // move sorts it out.
  if (focused != target && SendMessageA(h, LVM_GETSELECTEDCOUNT, 0, 0) != 0) return false;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(target), reinterpret_cast<LPARAM>(&item));
  SendMessageA(h, LVM_SETSELECTIONMARK, 0, target);
  SendMessageA(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(target), FALSE);
  return true;
}

// ---- check boxes ---------------------------------------------------------------------------------

RECT TFrmFindFile::RowStateRect(skin::TQzListView* list, int row) {
  RECT icon{};
  // The system's own hit test says "on the state picture" anywhere left of the sub-items on
  // some systems (Wine, with row select): the picture sits just left of the item's icon.
  icon.left = LVIR_ICON;
  if (!list->HandleAllocated() ||
      !SendMessageA(list->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                    reinterpret_cast<LPARAM>(&icon))) {
    return RECT{};
  }
  int width = ImageList2->Width();
  return RECT{icon.left - width, icon.top, icon.left, icon.bottom};
}

void TFrmFindFile::RefreshFolderHeader() {
  ListView1->HeadColumns[0].StateIndex = EngineCheckState(NodeOf(CurrentFolderItem));
  ListView1->RepaintHeader();
}

void TFrmFindFile::DropSelectionBeforeClick(skin::TQzListView* list) {
  // A click selects its row by first deselecting every row, which Wine's owner-data list does
  // by visiting them all (see MoveRowFocus); with the one selected row let go here first, it
  // finds nothing to deselect.
  if (!list->HandleAllocated()) return;
  HWND h = list->Handle();
  const int focused = static_cast<int>(
      SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focused < 0 || SendMessageA(h, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return;
  if (!(SendMessageA(h, LVM_GETITEMSTATE, static_cast<WPARAM>(focused), LVIS_SELECTED) &
        LVIS_SELECTED)) {
    return;
  }
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&item));
}

void TFrmFindFile::ListView1MouseDown(forms::TMouseButton button, int x, int y) {
  DropSelectionBeforeClick(ListView1);
  forms::TListItem* item = ListView1->GetItemAt(x, y);
  if (!item) return;
  int row = item->Index();
  if (row < 0 || static_cast<uint32_t>(row) >= FolderListCount) return;
  if (button == forms::TMouseButton::mbLeft) {
    RECT state = RowStateRect(ListView1, row);
    if (PtInRect(&state, POINT{x, y})) {
      folder_pane_.Toggle(row);
      if (CurrentFolderItem) RefreshNodeStates(CurrentFolderItem);
    }
    RefreshFolderHeader();
  } else if (button == forms::TMouseButton::mbRight) {
    PopupSource = kPopupFolderRow;
    PopupTreeItem = CurrentFolderItem;
    PopupRow = row;
    PopupNode = folder_pane_.Node(row);
    POINT p = ListView1->ClientToScreen(POINT{x, y});
    skPopupMenu1->Popup(p.x, p.y);
  }
}

int TFrmFindFile::HitHeaderState(int new_state) { return hit_pane_.HeaderStateFor(new_state); }

void TFrmFindFile::ListView2MouseDown(forms::TMouseButton button, int x, int y) {
  DropSelectionBeforeClick(ListView2);
  forms::TListItem* item = ListView2->GetItemAt(x, y);
  if (!item) return;
  int row = item->Index();
  if (row < 0 || static_cast<uint32_t>(row) >= HitListCount) return;
  if (button == forms::TMouseButton::mbLeft) {
    RECT state = RowStateRect(ListView2, row);
    if (!PtInRect(&state, POINT{x, y})) return;
    uint8_t now = hit_pane_.Toggle(row);
    ListView2->HeadColumns[0].StateIndex = HitHeaderState(now);
    ListView2->RepaintHeader();
  } else if (button == forms::TMouseButton::mbRight) {
    PopupSource = kPopupHitRow;
    PopupTreeItem = TreeView1->Selected();
    PopupRow = row;
    PopupNode = hit_pane_.Node(row);
    POINT p = ListView2->ClientToScreen(POINT{x, y});
    skPopupMenu1->Popup(p.x, p.y);
  }
}

void TFrmFindFile::ListView1HeaderStateClick(int column) {
  if (column != 0 || FolderListCount == 0 || !CurrentFolderItem) return;
  FoundNode* folder = NodeOf(CurrentFolderItem);
  ClickNtfsNode(folder, 0);
  RefreshNodeStates(CurrentFolderItem);
  ListView1->Items().BeginUpdate();
  RefreshFolderHeader();
  for (uint32_t row = 0; row < FolderListCount; ++row) {
    FoundNode* node = folder_pane_.Node(static_cast<int>(row));
    folder_pane_.SetState(static_cast<int>(row), EngineCheckState(node));
  }
  ListView1->Items().EndUpdate();
  ListView1->UpdateItems(0, static_cast<int>(FolderListCount) - 1);
}

void TFrmFindFile::ListView2HeaderStateClick(int column) {
  if (column != 0 || HitListCount == 0) return;
  uint8_t wanted =
      ListView2->HeadColumns[0].StateIndex == scavrel::kChecked ? scavrel::kUnchecked
                                                                 : scavrel::kChecked;
  Hourglass wait;
  ListView2->Items().BeginUpdate();
  // The engine's nodes follow the rows: the free-space check and a per-node save read them.
  for (uint32_t row = 0; row < HitListCount; ++row) {
    FoundNode* node = hit_pane_.Node(static_cast<int>(row));
    ClickNtfsNode(node, wanted);
    hit_pane_.SetState(static_cast<int>(row), EngineCheckState(node));
  }
  ListView2->HeadColumns[0].StateIndex = HitHeaderState(wanted);
  ListView2->RepaintHeader();
  ListView2->Items().EndUpdate();
  ListView2->UpdateItems(0, static_cast<int>(HitListCount) - 1);
}

void TFrmFindFile::CheckFromPopup(uint8_t wanted) {
  Hourglass wait;
  switch (PopupSource) {
    case kPopupFolderRow:
      if (PopupRow < 0 || static_cast<uint32_t>(PopupRow) >= FolderListCount) return;
      ClickNtfsNode(PopupNode, wanted);
      folder_pane_.SetState(PopupRow, EngineCheckState(PopupNode));
      ListView1->UpdateItems(PopupRow, PopupRow);
      if (PopupTreeItem) RefreshNodeStates(PopupTreeItem);
      ListView1->HeadColumns[0].StateIndex = EngineCheckState(NodeOf(PopupTreeItem));
      ListView1->RepaintHeader();
      break;
    case kPopupHitRow: {
      if (PopupRow < 0 || static_cast<uint32_t>(PopupRow) >= HitListCount) return;
      ClickNtfsNode(PopupNode, wanted);
      uint8_t now = EngineCheckState(PopupNode);
      hit_pane_.SetState(PopupRow, now);
      ListView2->UpdateItems(PopupRow, PopupRow);
      ListView2->HeadColumns[0].StateIndex = HitHeaderState(now);
      ListView2->RepaintHeader();
      break;
    }
    case kPopupTree:
      if (!PopupTreeItem) return;
      ClickNtfsNode(PopupNode, wanted);
      RefreshNodeStates(PopupTreeItem);
      // The list shows the folder the popup named, and that folder is the current one.
      TreeView1->SetSelected(PopupTreeItem);
      CurrentFolderItem = PopupTreeItem;
      FillListview(PopupNode);
      break;
    default:
      break;
  }
}

void TFrmFindFile::M2Click() { CheckFromPopup(scavrel::kChecked); }
void TFrmFindFile::M3Click() { CheckFromPopup(scavrel::kUnchecked); }

// ---- saving -----------------------------------------------------------------------------------------

bool TFrmFindFile::StartEngineSave(const std::string& destination, bool popup, bool& list_save) {
  SaveState = kRunRunning;
  scavrel_api::Bool8 started = 0;
  list_save = false;
  if (popup) {
    // One entry, in either mode: the engine's per-node save.
    started = SaveMenuFile(destination.c_str(), PopupNode);
  } else if (Panel1->Visible()) {
    started = SaveDeleteFile(destination.c_str());
  } else {
    list_save = true;
    started = SaveDeleteFile1(destination.c_str(), HitList, hit_field::kCheck, hit_field::kPath,
                              1, hit_field::kNode, scavrel::kChecked);
  }
  if (!started) SaveState = kRunIdle;
  return started != 0;
}

void TFrmFindFile::Save(bool popup) {
  if (SaveState != kRunIdle || ScanState != kRunIdle) return;
  if (popup && PopupNode == nullptr) return;
  bool list_save = false;
  WindowSaveSteps steps(
      [&](const std::string& destination) {
        return StartEngineSave(destination, popup, list_save);
      },
      popup ? PopupNode : nullptr, [&] { return popup || AnythingTicked(); });
  if (RunSaveCommand(steps) != SaveOutcome::kStarted) return;
  Sleep(100);
  ProgressShown = false;
  following_save_ = true;
  if (StartSaveWatch) {
    following_save_ = false;
    StartSaveWatch(list_save, popup ? PopupNode : nullptr);
    return;
  }
  FollowRun();
}

bool TFrmFindFile::AnythingTicked() {
  if (!Panel1->Visible()) {
    // The list-driven save writes the rows whose check field is ticked.
    for (uint32_t row = 0; row < HitListCount; ++row) {
      if (hit_pane_.State(static_cast<int>(row)) == scavrel::kChecked) {
        return true;
      }
    }
    return false;
  }
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) == 0 || root == nullptr) return false;
  return CountFilesToSave(root, nullptr, EngineFilter()) > 0;
}

void TFrmFindFile::skBRecoveryClick() { Save(false); }
void TFrmFindFile::M1Click() { Save(true); }

// ---- Back and the links --------------------------------------------------------------------------

void TFrmFindFile::skBBackClick() {
  // The engine frees its found tree on ClearRecovery; a worker still walking it would crash.
  if (RunActive()) return;
  if (ShowAttention(2, LangText(LangKey::Back)) != kBoxOk) return;
  {
    Hourglass wait;
    ClearResults();
    ClearRecovery();
  }
  ResultsCloseMode = 3;
  Close();
}

void TFrmFindFile::skButton1Click() {
  if (FrmSetting) FrmSetting->ShowModal();
}

void TFrmFindFile::skImageButton1Click() { ShellOpen(std::string(HomePageAddress)); }

void TFrmFindFile::skURLLabel2Click() {
  if (FrmMessage) FrmMessage->ShowModal();
}

void TFrmFindFile::skURLLabel4Click() { OpenProgramHelp(); }

}  // namespace vardeck
