// UnitRun: the start window's controls, its drive list and the scan starts.
#include "frontend/win/UnitRun.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/scavrel_api.h"
#include "frontend/DriveListLayout.h"
#include "frontend/LangFile.h"
#include "frontend/ProductTexts.h"
#include "frontend/SharedState.h"
#include "frontend/TextRoutines.h"
#include "frontend/win/BuiltInThemes.h"
#include "frontend/win/EngineCalls.h"
#include "frontend/win/FormFrame.h"
#include "frontend/win/HeaderBand.h"
#include "frontend/win/ProgramArt.h"
#include "frontend/win/ProgramFolder.h"
#include "frontend/win/ShellOpen.h"
#include "frontend/win/UnitFind.h"
#include "frontend/win/UnitFindFile.h"
#include "frontend/win/UnitFrmMessage.h"
#include "frontend/win/UnitMsgBox.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

TFrmRun* FrmRun = nullptr;

namespace {

constexpr int kMinTrackWidth = 550;
constexpr int kMinTrackHeight = 450;
constexpr int kClientWidth = 700;
constexpr int kClientHeight = 470;
constexpr int kHeaderTop = 24;
constexpr int kHeaderHeight = 87;
// The content panel (drive list and buttons) starts one pixel below the header band.
constexpr int kContentTop = kHeaderTop + kHeaderHeight + 1;

}  // namespace

TFrmRun::TFrmRun(forms::TComponent* owner) : forms::TForm(owner), first_top_(kContentTop) {
  SetBorderStyle(forms::TFormBorderStyle::bsSizeable);
  SetPosition(forms::TPosition::poScreenCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);
  BuildControls();
  WearFirstTheme(this);
  FormCreate();
}

TFrmRun::~TFrmRun() { DeleteAll(); }

void TFrmRun::BuildControls() {
  skForm1 = WearFrame(this, FrameButtons::All,
                      std::string(ProductTitle) + std::string(ProductVersion));
  AddBuiltInTheme(this, "skBuiltInFileTheme2");

  HeaderBandLayout band;
  band.top = kHeaderTop;
  band.height = kHeaderHeight;
  band.band_width = kClientWidth - 114;
  band.title_left = 3;
  // Wider than the header's design width: the banner text takes two lines, not three.
  band.text_left = 10;
  band.text_top = 42;
  band.text_width = 400;
  band.text_height = 31;
  band.about_picture_left = 419;
  band.about_link_left = 450;
  band.help_picture_left = 499;
  band.help_link_left = 529;
  const HeaderBand made = BuildHeaderBand(this, skForm1, band);
  skImagePanel3 = made.band;
  Label1 = made.title;
  Label5 = made.text;
  Image1 = made.about_picture;
  skURLLabel1 = made.about_link;
  Image3 = made.help_picture;
  skURLLabel3 = made.help_link;
  skImagePanel5 = made.left_picture;
  skImagePanel6 = AddPanel(this, skForm1, 1, 1, 20, 18, art::kTitleIcon);
  skImagePanel6->SetTransparent(true);
  skImagePanel9 = AddPanel(this, skForm1, kClientWidth - 13, kClientHeight - 11, 11, 11,
                           art::kSizeGrip);
  skImagePanel9->SetAnchors(forms::akRight | forms::akBottom);
  skImagePanel9->SetTransparent(true);

  skImageFirst = AddPanel(this, skForm1, 0, kContentTop, kClientWidth + 2,
                          kClientHeight - kContentTop - 1, nullptr);
  skImageFirst->SetAnchors(forms::akLeft | forms::akTop | forms::akRight | forms::akBottom);
  skImageFirst->SetTransparent(true);
  skImageFirst->SetColor(kPanelColor);

  ImageList3 = new forms::TImageList(this, 48, 48);
  {
    forms::TBitmap rows;
    if (LoadArtBitmap(rows, art::kDriveRows)) ImageList3->Add(rows);
  }

  skListDisk = new skin::TQzListView(this);
  skListDisk->SetBounds(5, 4, 510, 305);
  skListDisk->SetAnchors(forms::akLeft | forms::akTop | forms::akRight | forms::akBottom);
  skListDisk->SetViewStyle(forms::TViewStyle::vsReport);
  skListDisk->SetRowSelect(true);
  skListDisk->SetReadOnly(true);
  skListDisk->SetHideSelection(false);
  skListDisk->SetBorderStyle(forms::TBorderStyle::bsNone);
  skListDisk->SetBorderWidth(2);
  skListDisk->SetBorderColor(13283227);
  skListDisk->SetSmallImages(ImageList3);
  struct ColumnSpec {
    const char* caption;
    int width, min_width;
  };
  for (const ColumnSpec& c : {ColumnSpec{" Disk", 185, 50}, ColumnSpec{" Capacity", 138, 10},
                              ColumnSpec{" Information", 160, 10}}) {
    forms::TListColumn* column = skListDisk->Columns().Add();
    column->SetCaption(c.caption);
    column->SetWidth(c.width);
    column->SetMinWidth(c.min_width);
  }
  skListDisk->HeadFont().SetName("Tahoma");
  skListDisk->HeadFont().SetSize(10);
  skListDisk->HeadFont().SetColor(kTextBlue);
  skListDisk->OnCustomDraw = [this](forms::TCustomListView*, const RECT& r, bool& default_draw) {
    skListDiskCustomDraw(r, default_draw);
  };
  skListDisk->OnMouseDown = [this](forms::TObject*, forms::TMouseButton b, forms::TShiftState s,
                                   int, int y) {
    skListDiskMouseDown((s & forms::ssLeft) || b == forms::TMouseButton::mbLeft
                            ? forms::TMouseButton::mbLeft
                            : b,
                        y);
  };
  skListDisk->OnMouseUp = [this](forms::TObject*, forms::TMouseButton, forms::TShiftState, int,
                                 int y) { skListDiskMouseUp(y); };
  skListDisk->SetParent(skImageFirst);
  // More drives than the list shows: its own bars are covered by the skinned pair.
  QzScrollBar1 = AddViewScrollBar(this, skImageFirst, true);
  QzScrollBar2 = AddViewScrollBar(this, skImageFirst, false);
  skListDisk->SetVScrollBar(QzScrollBar1);
  skListDisk->SetHScrollBar(QzScrollBar2);

  constexpr forms::TAnchors kTopRight = forms::akTop | forms::akRight;
  sBStart = AddButton(this, skImageFirst, 520, 4, 173, 51, art::kQuickScanButton,
                      kTopRight, 10);
  sBStart->SetCaption("Quick scan");
  sBStart->OnClick = [this](forms::TObject*) { sBStart1Click(); };
  skButton2 = AddButton(this, skImageFirst, 521, 61, 173, 51, art::kFullScanButton,
                        kTopRight, 10);
  skButton2->SetCaption("Full scan");
  skButton2->OnClick = [this](forms::TObject*) { skButton2Click(); };
  skButton6 = AddButton(this, skImageFirst, 520, 119, 173, 51, art::kFindFileButton,
                        kTopRight, 10);
  skButton6->SetCaption("Find file");
  skButton6->OnClick = [this](forms::TObject*) { skButton6Click(); };
  skBRefresh = AddButton(this, skImageFirst, 520, 258, 173, 51, art::kRefreshButton,
                         forms::akRight | forms::akBottom, 10);
  skBRefresh->SetCaption("Refresh");
  skBRefresh->OnClick = [this](forms::TObject*) { RefreshDriver(); };

  skImagePanel2 = AddPanel(this, skImageFirst, 520, 176, 173, 5, art::kSeparator);
  skImagePanel2->SetAnchors(kTopRight);
  skImagePanel2->SetTransparent(true);
  skImagePanel4 = AddPanel(this, skImageFirst, 520, 247, 173, 5, art::kSeparator);
  skImagePanel4->SetAnchors(kTopRight);
  skImagePanel4->SetTransparent(true);
  // The hint panel sits between the two separators, clear of the refresh button.
  skImagePanel1 = AddPanel(this, skImageFirst, 520, 179, 173, 67, art::kHintPanel);
  skImagePanel1->SetAnchors(kTopRight);
  skImagePanel1->SetTransparent(true);
  Label2 = new forms::TLabel(this);
  Label2->SetAutoSize(false);
  Label2->SetWordWrap(true);
  Label2->SetTransparent(true);
  Label2->SetBounds(6, 4, 162, 60);
  Label2->Font().SetColor(kTextBlue);
  Label2->SetParent(skImagePanel1);

  // On the content panel (which covers the window's bottom part), at the window's 5, 438.
  skImageButton1 = AddButton(this, skImageFirst, 5, 438 - kContentTop, 193, 24, art::kHomePageButton,
                             forms::akLeft | forms::akBottom, 8, "   tolvane.example");
  skImageButton1->OnClick = [this](forms::TObject*) { skImageButton1Click(); };

  skURLLabel1->OnClick = [this](forms::TObject*) { skURLLabel1Click(); };
  skURLLabel3->OnClick = [this](forms::TObject*) { skURLLabel3Click(); };

  // Hover hints: the text stays until another control with a hint is hovered.
  struct Hint {
    forms::TControl* control;
    LangKey key;
  };
  for (const Hint& h : {Hint{sBStart, LangKey::QuickScan}, Hint{skButton2, LangKey::FullScan},
                        Hint{skButton6, LangKey::FindFile}, Hint{skBRefresh, LangKey::Refresh},
                        Hint{skImageButton1, LangKey::Url}, Hint{skURLLabel1, LangKey::About},
                        Hint{skURLLabel3, LangKey::Help}}) {
    LangKey key = h.key;
    h.control->OnMouseMove = [this, key](forms::TObject*, forms::TShiftState, int, int) {
      const std::string& text = Lang().Text(key);
      if (Label2->Caption() != text) Label2->SetCaption(text);
    };
  }

  Timer1 = new forms::TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(100);
  Timer1->OnTimer = [this](forms::TObject*) { Timer1Timer(); };

  OnShow = [this](forms::TObject*) { FormShow(); };
  OnResize = [this](forms::TObject*) { FormResize(); };
  OnPaint = [this](forms::TObject*) { FormPaint(); };
  OnCloseQuery = [this](forms::TObject*, bool& can) { FormCloseQuery(can); };
}

void TFrmRun::FormCreate() {
  first_top_ = skImagePanel3->Top() + skImagePanel3->Height() + 1;
  skImageFirst->SetLeft(0);
  Constraints().SetMinWidth(kMinTrackWidth);
  Constraints().SetMinHeight(kMinTrackHeight);
  FolderContentsList = AddList();
  HitList = AddList();
  skListDisk->SetDoubleBuffered(true);
  ResetScanState();
  PushFiltersAtCreation(Bounds, NameFilterText);
  Lang().Clear();
  if (!LoadLanguage(ProgramFolder(), Lang())) forms::Application()->Terminate();
  Label5->SetCaption(Lang().Text(LangKey::Banner));
}

void TFrmRun::Dispatch(forms::TMessage& m) {
  if (m.Msg == WM_GETMINMAXINFO) {
    forms::TForm::Dispatch(m);
    auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
    info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, kMinTrackWidth);
    info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, kMinTrackHeight);
    m.Result = 0;
    return;
  }
  forms::TForm::Dispatch(m);
}

void TFrmRun::FormShow() {
  forms::Application()->SetMainForm(this);
  Timer1->SetEnabled(true);
}

void TFrmRun::Timer1Timer() {
  Timer1->SetEnabled(false);
  RefreshDriver();
}

void TFrmRun::FormResize() {
  if (skImageFirst->Left() != 0 || skImageFirst->Top() != first_top_)
    skImageFirst->SetBounds(0, first_top_, skImageFirst->Width(), skImageFirst->Height());
}

void TFrmRun::FormPaint() {
  skForm1->SetCaption(std::string(ProductTitle) + std::string(ProductVersion));
  const int links_left = Image3->Left();
  if (Image1->Left() != links_left - 80) Image1->SetLeft(links_left - 80);
  if (skURLLabel1->Left() != links_left - 49) skURLLabel1->SetLeft(links_left - 49);
}

void TFrmRun::FormCloseQuery(bool& can_close) {
  if (ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::EndApplication)) == kBoxOk) {
    forms::Application()->Terminate();
    can_close = true;
  } else {
    can_close = false;
  }
}

bool TFrmRun::RefreshDriver() {
  forms::Screen()->SetCursor(forms::crHourGlass);
  std::vector<std::string> names;
  if (!EngineDriveNames(names)) {
    forms::Application()->Terminate();
    forms::Screen()->SetCursor(forms::crDefault);
    return true;
  }
  // The drive the user chose stays chosen across a refresh and a return from the results
  // window: a scan started next must not fall on the first drive instead.
  const std::string kept = SelectedCaption();
  skListDisk->Items().BeginUpdate();
  skListDisk->Items().Clear();
  for (const std::string& name : names) {
    DriveInfo info;
    if (!EngineDriveInfo(name, info)) continue;
    forms::TListItem* row = skListDisk->Items().Add();
    row->SetCaption(name);
    row->SubItems().push_back(SizeText(static_cast<int64_t>(info.total_bytes)));
    row->SubItems().push_back(info.file_system);
  }
  skListDisk->Items().EndUpdate();
  if (skListDisk->Items().Count() > 0) {
    forms::TListItem* chosen = skListDisk->Items().Items(0);
    for (int i = 0; i < skListDisk->Items().Count(); ++i) {
      forms::TListItem* row = skListDisk->Items().Items(i);
      if (!kept.empty() && row->Caption() == kept) {
        chosen = row;
        break;
      }
    }
    skListDisk->SetSelected(chosen);
    skListDisk->SetItemFocused(chosen);
    chosen->MakeVisible(false);
  }
  if (skListDisk->CanFocus()) skListDisk->SetFocus();
  forms::Screen()->SetCursor(forms::crDefault);
  return true;
}

std::string TFrmRun::SelectedCaption() {
  forms::TListItem* row = skListDisk->Selected();
  return row ? row->Caption() : std::string();
}

void TFrmRun::StartScan(uint8_t full) {
  FindMode = 0;
  const std::string caption = SelectedCaption();
  if (caption.empty()) {
    ShowAttention(BoxButtons::kOk, Lang().Text(LangKey::SelectDriver));
    return;
  }
  PushFiltersBeforeScan(Bounds, NameFilterText);
  DriveInfo info;
  if (!EngineDriveInfo(caption, info)) {
    ShowAttention(BoxButtons::kOk, Lang().Text(LangKey::UnknowType));
    return;
  }
  BeginScan(caption, info.volume_name, full, info.file_system);
}

void TFrmRun::FindScan(uint8_t full) {
  FindMode = 1;
  const std::string caption = SelectedCaption();
  if (caption.empty()) {
    ShowAttention(BoxButtons::kOk, Lang().Text(LangKey::SelectDriver));
    return;
  }
  DriveInfo info;
  if (!EngineDriveInfo(caption, info)) {
    ShowAttention(BoxButtons::kOk, Lang().Text(LangKey::UnknowType));
    return;
  }
  PushFiltersBeforeScan(Bounds, NameFilterText);
  if (!FrmFind || FrmFind->ShowModal() != kBoxOk) return;
  BeginScan(caption, info.volume_name, full, info.file_system);
}

void TFrmRun::BeginScan(const std::string& caption, const std::string& volume_name, uint8_t full,
                        const std::string& file_system) {
  // The run state is set only once the engine takes the volume: a file system it does not
  // scan must leave the windows idle, not waiting for a scan that never runs.
  uint8_t ntfs = 0;
  if (!ChooseEngineFor(file_system, ntfs)) {
    // "unknowtype" would send the user looking for a missing drive: name the file system
    // instead, and the ones that are read.
    ShowAttention(BoxButtons::kOk, OtherFileSystemText(Lang(), file_system));
    return;
  }
  ScanState = kRunRunning;
  StopRequested = 0;
  NtfsChosen = ntfs;
  if (FrmFindFile) {
    switch (WindowState()) {
      case forms::TWindowState::wsMaximized:
        FrmFindFile->SetWindowState(forms::TWindowState::wsMaximized);
        break;
      case forms::TWindowState::wsMinimized:
        FrmFindFile->SetWindowState(forms::TWindowState::wsMinimized);
        break;
      default:
        FrmFindFile->SetWindowState(forms::TWindowState::wsNormal);
        FrmFindFile->SetBounds(Left(), Top(), Width(), Height());
        break;
    }
  }
  ScanDriveCaption = caption;
  ScanDevicePath = volume_name.empty() ? std::string() : volume_name.substr(0, volume_name.size() - 1);
  FullScan = full;
  if (FrmFindFile) FrmFindFile->BeginScanResults();
}

void TFrmRun::sBStart1Click() {
  if (ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::QuickScanInfo)) == kBoxOk) StartScan(0);
}

void TFrmRun::skButton2Click() {
  if (ShowAttention(BoxButtons::kOkCancel, Lang().Text(LangKey::FullScanInfo)) == kBoxOk) StartScan(1);
}

void TFrmRun::skButton6Click() { FindScan(1); }

void TFrmRun::skImageButton1Click() { ShellOpen(std::string(HomePageAddress)); }

void TFrmRun::skURLLabel1Click() {
  if (FrmMessage) FrmMessage->ShowModal();
}

void TFrmRun::skURLLabel3Click() { OpenProgramHelp(); }

void TFrmRun::skListDiskMouseDown(forms::TMouseButton button, int y) {
  pressed_row_ = button == forms::TMouseButton::mbLeft ? skListDisk->GetItemAt(0, y) : nullptr;
}

void TFrmRun::skListDiskMouseUp(int y) {
  forms::TListItem* row = skListDisk->GetItemAt(0, y);
  if (row && row == pressed_row_) {
    skListDisk->SetSelected(row);
    skListDisk->Invalidate();
  }
}

void TFrmRun::skListDiskCustomDraw(const RECT& rect, bool& default_draw) {
  default_draw = false;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  // The whole list goes into one bitmap, copied in one block: no row flickers.
  forms::TBitmap buffer(w, h);
  forms::TCanvas& c = buffer.Canvas();
  c.Brush.Color = forms::clWhite;
  c.FillRect(RECT{0, 0, w, h});
  c.Font().SetName("Tahoma");
  c.Font().SetSize(9);
  c.Font().SetColor(kTextBlue);
  std::array<int, 3> widths{};
  for (int i = 0; i < 3 && i < skListDisk->Columns().Count(); ++i)
    widths[static_cast<size_t>(i)] = skListDisk->Columns().Items(i)->Width();
  const int picture_width = ImageList3->Count() > 0 ? ImageList3->Width() : 0;
  auto text_width = [&c](std::string_view t) { return c.TextWidth(std::string(t)); };
  forms::TListItems& items = skListDisk->Items();
  for (int i = 0; i < items.Count(); ++i) {
    forms::TListItem* row = items.Items(i);
    RECT r = row->DisplayRect(forms::TDisplayCode::drBounds);
    if (r.bottom <= rect.top || r.top >= rect.bottom) continue;
    OffsetRect(&r, -rect.left, -rect.top);
    r.right = w;
    const bool selected = row->Selected();
    const DriveRowColours colours = DriveRowColoursFor(i, selected);
    c.Brush.Color = colours.fill;
    c.FillRect(r);
    if (picture_width > 0) ImageList3->Draw(c, r.left + 2, r.top, DriveRowPicture(i, selected));
    if (r.bottom - r.top < r.top) {
      c.Pen.Color = colours.top_line;
      c.MoveTo(r.left, r.top);
      c.LineTo(r.right, r.top);
    }
    c.Pen.Color = colours.bottom_line;
    c.MoveTo(r.left, r.bottom - 1);
    c.LineTo(r.right, r.bottom - 1);
    const std::array<TextBox, 3> boxes = DriveRowTextBoxes(r.left, widths, picture_width);
    const std::string texts[3] = {row->Caption(),
                                  row->SubItems().size() > 0 ? row->SubItems()[0] : "",
                                  row->SubItems().size() > 1 ? row->SubItems()[1] : ""};
    c.Brush.Style = forms::TBrushStyle::bsClear;
    for (size_t k = 0; k < 3; ++k) {
      RECT box{boxes[k].left, r.top, boxes[k].right, r.bottom};
      std::string shown = EllipsisText(text_width, texts[k], boxes[k].shorten_to);
      c.DrawText(shown, box, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    c.Brush.Style = forms::TBrushStyle::bsSolid;
  }
  // Copied below the header only: the header paints itself.
  RECT below_header = rect;
  if (HWND header = skListDisk->HeaderHandle()) {
    RECT hr{};
    if (GetWindowRect(header, &hr) && IsWindowVisible(header)) {
      POINT bottom{0, hr.bottom};
      ::ScreenToClient(skListDisk->Handle(), &bottom);
      below_header.top = std::max<LONG>(rect.top, bottom.y);
    }
  }
  RECT source{0, below_header.top - rect.top, w, h};
  skListDisk->Canvas().CopyRect(below_header, c, source);
}

}  // namespace vardeck
