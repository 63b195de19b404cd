// UnitFindFile: the results window's controls, the hand-over from the start window, the scan
// run and its announcement, Back and the links. What the window shows is in
// UnitFindFileResults.cpp, saving in UnitFindFileSave.cpp.
#include "frontend/win/UnitFindFile.h"

#include <optional>

#include "engine/scavrel_api.h"
#include "frontend/LangFile.h"
#include "frontend/ProductTexts.h"
#include "frontend/SharedState.h"
#include "frontend/WatchProgress.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/HeaderBand.h"
#include "frontend/win/Hourglass.h"
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

forms::TImageList* PictureList(forms::TComponent* owner, const char* art_name) {
  auto* list = new forms::TImageList(owner, 16, 16);
  forms::TBitmap strip;
  if (LoadArtBitmap(strip, art_name)) list->AddMasked(strip, forms::clFuchsia);
  return list;
}

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

  HeaderBandLayout band;
  band.top = kHeaderTop;
  band.height = kHeaderHeight;
  band.band_width = width - 114;
  band.left_picture_first = true;
  // The band's left end lies under the header picture: the texts start right of it.
  band.title_left = 30;
  band.text_left = 30;
  band.text_top = 40;
  band.text_width = 330;
  band.text_height = 44;
  const int link_area = width - 114;
  band.about_picture_left = link_area - 200;
  band.about_link_left = link_area - 170;
  band.help_picture_left = link_area - 120;
  band.help_link_left = link_area - 90;
  const HeaderBand made = BuildHeaderBand(this, skForm1, band);
  skImagePanel5 = made.left_picture;
  skImagePanel4 = made.band;
  Label1 = made.title;
  Label5 = made.text;
  Image3 = made.about_picture;
  Image5 = made.help_picture;
  skURLLabel2 = made.about_link;
  skURLLabel4 = made.help_link;
  skURLLabel2->OnClick = [this](forms::TObject*) { skURLLabel2Click(); };
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
    ListView2ColumnClick(c->Index());
  };
  ListView2->OnHeaderStateClick = [this](forms::TObject*, int c) { ListView2HeaderStateClick(c); };
  ListView2->OnMouseDown = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState,
                                  int x, int y) { ListView2MouseDown(b, x, y); };
  ListView2->OnKeyDown = [this](forms::TObject*, WORD& key, forms::TShiftState shift) {
    ListView2KeyDown(key, shift);
  };

  Panel1 = new forms::TPanel(this);
  Panel1->SetBevelOuter(forms::TBevelCut::bvNone);
  Panel1->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
  Panel1->SetParent(skImagePanel1);
  TreeView1 = new skin::TQzTreeView(this);
  TreeView1->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  TreeView1->SetBorderColor(11908533);
  TreeView1->SetAlign(forms::TAlign::alLeft);
  TreeView1->SetBorderStyle(forms::TBorderStyle::bsNone);
  TreeView1->SetBorderWidth(2);
  TreeView1->SetWidth(137);
  TreeView1->SetHideSelection(false);
  TreeView1->SetImages(ImageList1);
  TreeView1->SetIndent(19);
  TreeView1->SetReadOnly(true);
  TreeView1->SetStateImages(ImageList2);
  // The theme last, as a form resolves its references once its values are read: a ready
  // theme frames the tree in the archive's control colour instead.
  TreeView1->SetFileTheme(AddBuiltInTheme(this, "skBuiltInFileTheme2"));
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
    ListView1ColumnClick(c->Index());
  };
  ListView1->OnHeaderStateClick = [this](forms::TObject*, int c) { ListView1HeaderStateClick(c); };
  ListView1->OnMouseDown = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState,
                                  int x, int y) { ListView1MouseDown(b, x, y); };
  ListView1->OnDblClick = [this](forms::TObject*) { ListView1DblClick(); };
  ListView1->OnKeyDown = [this](forms::TObject*, WORD& key, forms::TShiftState shift) {
    ListView1KeyDown(key, shift);
  };

  // Over each view's own bars, on the view's panel; each view shows and places its pair.
  QzScrollBar1 = AddViewScrollBar(this, Panel1, true);
  QzScrollBar2 = AddViewScrollBar(this, Panel1, false);
  QzScrollBar3 = AddViewScrollBar(this, Panel2, true);
  QzScrollBar4 = AddViewScrollBar(this, Panel2, false);
  QzScrollBar5 = AddViewScrollBar(this, Panel1, true);
  QzScrollBar6 = AddViewScrollBar(this, Panel1, false);
  ListView1->SetVScrollBar(QzScrollBar1);
  ListView1->SetHScrollBar(QzScrollBar2);
  ListView2->SetVScrollBar(QzScrollBar3);
  ListView2->SetHScrollBar(QzScrollBar4);
  TreeView1->SetVScrollBar(QzScrollBar5);
  TreeView1->SetHScrollBar(QzScrollBar6);

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
  skPopupMenu1->SetFileTheme(BuiltInTheme(this, 0));
  skPopupMenu1->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
  skPopupMenu1->SetFlatMenu(true);
  skPopupMenu1->SetUseSystemFont(true);
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

  folder_pane_.SetView(ListView1);
  hit_pane_.SetView(ListView2);
  WirePanes();

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
  folder_pane_.ResetHeader();
  hit_pane_.ResetHeader();
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
  ResultsCloseMode = CloseMode::kEndProgram;
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
  if (ResultsCloseMode == CloseMode::kEndProgram) {
    can_close = false;
    if (ShowAttention(BoxButtons::kOkCancel, LangText(LangKey::EndApplication)) == kBoxOk) {
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
  folder_pane_.ResetHeader();
  hit_pane_.ResetHeader();
}

// ---- the scan ---------------------------------------------------------------------------------

void TFrmFindFile::TakeScanMode() {
  mode_ = FindMode ? ResultsMode::kHitList : ResultsMode::kFolderTree;
}

void TFrmFindFile::Timer1Timer() {
  Timer1->SetEnabled(false);
  ClearResults();
  TakeScanMode();
  ShowPanels();
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
  if (StartScanWatch) {
    StartScanWatch();
    return;
  }
  FollowOnTimer(FollowedRun::kScan);
}

void TFrmFindFile::FollowOnTimer(FollowedRun run) {
  followed_ = run;
  follow_timer_->SetEnabled(true);
}

namespace {

// The window's own timer is already on the GUI thread and has no progress window to close.
class TimerFollower final : public ScanFollower {
 public:
  void OnGuiThread(const std::function<void()>& step) override { step(); }
};

}  // namespace

void TFrmFindFile::FollowTimerTick() {
  const bool save = followed_ == FollowedRun::kSave;
  uint64_t done = 0, total = 0, a = 0, b = 0;
  char text[kOutTextPathSize] = {};
  char* address = text;
  uint8_t finished = 0;
  if (save) {
    GetProgressSave(&done, &total, &a, &b, &address, &finished);
  } else {
    GetProgress(&done, &total, &a, &b, &address, &finished);
  }
  if (!finished) return;
  follow_timer_->SetEnabled(false);
  if (!save) {
    TimerFollower follower;
    EndScan(this, follower);
    return;
  }
  SaveState = kRunIdle;
  // Told as the save watch tells it, from the engine's counts.
  scavrel::SaveCounts counts;
  GetSaveCounts(&counts.whole, &counts.partial, &counts.failed, &counts.source_failures,
                &counts.destination_failures);
  const std::string message = SaveEndMessage(Lang(), counts, 0);
  if (message == LangText(LangKey::SaveFinished)) {
    SaveFinishedPending = 1;
  } else {
    save_short_text_ = message;
    SaveShortPending = 1;
  }
  FormClick();
}

void EndScan(TFrmFindFile* results, ScanFollower& follower) {
  follower.OnGuiThread([&] {
    follower.Finished();
    // No tree item may keep a node of the found tree through its rebuilding.
    if (results) ClearFolderItems(results->TreeView1->Items());
  });
  if (StopRequested) {
    follower.OnGuiThread([&] {
      follower.Stopped();
      if (results) results->ScanStopped();
    });
  } else {
    // Steps of their own: the progress window repaints its "building" text in between, before
    // a long build holds the GUI thread.
    follower.OnGuiThread([&] { follower.BeforeBuild(); });
    follower.OnGuiThread([&] {
      if (results) results->ShowScanResult();
    });
    follower.OnGuiThread([&] { follower.AfterBuild(); });
    ScanFinishedPending = 1;
    follower.OnGuiThread([&] {
      if (results) results->FormClick();
    });
  }
  ScanState = kRunIdle;
  StopRequested = 0;
}

void TFrmFindFile::ScanStopped() {
  ClearFolderItems(TreeView1->Items());
  ResultsCloseMode = CloseMode::kStartAfterStop;
  Close();
}

// ---- announcing ---------------------------------------------------------------------------------

void TFrmFindFile::FormClick() {
  if (std::optional<LangKey> text = TakePendingEndText()) {
    if (*text == LangKey::ScanFinished && !scan_end_message_.empty()) {
      pending_text_ = scan_end_message_;
    } else if (*text == LangKey::SaveShort && !save_short_text_.empty()) {
      pending_text_ = save_short_text_;
    } else {
      pending_text_ = LangText(*text);
    }
    Timer2->SetEnabled(true);
  }
  if (HandleAllocated() && IsWindowVisible(Handle())) SetFocus();
}

void TFrmFindFile::Timer2Timer() {
  Timer2->SetEnabled(false);
  ShowAttention(BoxButtons::kOk, pending_text_);
}

// ---- Back and the links --------------------------------------------------------------------------

void TFrmFindFile::skBBackClick() {
  // The engine frees its found tree on ClearRecovery; a worker still walking it would crash.
  if (RunActive()) return;
  if (ShowAttention(BoxButtons::kOkCancel, LangText(LangKey::Back)) != kBoxOk) return;
  {
    Hourglass wait;
    ClearResults();
    ClearRecovery();
  }
  ResultsCloseMode = CloseMode::kStartAfterBack;
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
