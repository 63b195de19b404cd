// UnitFindFile: the results window TFrmFindFile, which takes over from the start window when a
// scan starts, runs the engine's scan and shows what it found: the folder tree with the
// folder's contents, or the flat hit list of a find-file scan; ticks kept in step with the
// engine's check states; sorting; saving the ticked entries; Back to the start window.
#pragma once

#include <functional>
#include <string>

#include "engine/found_tree.h"
#include "forms/Forms.h"
#include "forms/Splitter.h"
#include "frontend/LangFile.h"
#include "frontend/ResultRows.h"
#include "frontend/SharedState.h"
#include "frontend/win/ResultPane.h"
#include "skin/QzListView.h"
#include "skin/QzTreeView.h"
#include "skin/SkinButton.h"
#include "skin/SkinForm.h"
#include "skin/SkinImagePanel.h"
#include "skin/SkinPopupMenu.h"
#include "skin/SkinURLLabel.h"

namespace vardeck {

// Where the popup menu was opened (PopupSource).
enum PopupSourceKind : int { kPopupNone = 0, kPopupFolderRow = 1, kPopupHitRow = 2, kPopupTree = 3 };

// What the results window shows: the folder tree beside a folder's contents (Panel1), or the
// flat hit list of a find-file scan (Panel2).
enum class ResultsMode { kFolderTree, kHitList };

// Whoever follows a scan to its end: the scan watch thread under the progress window, or the
// results window's own timer when no watch is connected. It says how a step reaches the GUI
// thread and what its own window does at each point of the end; EndScan does the rest.
class ScanFollower {
 public:
  // Runs `step` on the GUI thread and returns once it has run.
  virtual void OnGuiThread(const std::function<void()>& step) = 0;
  // Each on the GUI thread: the engine's finished flag seen; then Stopped for a stopped scan,
  // or BeforeBuild and AfterBuild around the building of a finished scan's result.
  virtual void Finished() {}
  virtual void Stopped() {}
  virtual void BeforeBuild() {}
  virtual void AfterBuild() {}

 protected:
  ~ScanFollower() = default;
};

class TFrmFindFile;

// The end of a scan, on the follower's thread once it has seen the engine's finished flag.
// Stopped: nothing is built or announced, and `results` goes back to the start window.
// Finished: `results` builds what it found and announces it. Either way the scan's state is
// idle and its stop cleared after. `results` may be nil (no results window to tell).
void EndScan(TFrmFindFile* results, ScanFollower& follower);

class TFrmFindFile : public forms::TForm {
 public:
  explicit TFrmFindFile(forms::TComponent* owner);
  ~TFrmFindFile() override;
  const char* ClassName() const override { return "TFrmFindFile"; }

  // HAND-OVER FROM THE START WINDOW. The start window has set ScanDriveCaption,
  // ScanDevicePath, FullScan, FindMode and NtfsChosen (and chosen the engine with SetNtfs), and
  // given this window its own geometry; this call shows the results window, which hides the
  // start window and starts the engine's scan.
  void BeginScanResults();

  // ---- for the scan and save watch threads, always on the GUI thread ----------------------
  // Announces a pending end of scan or save ("scanfinished", "savefinished", "saveshort").
  void FormClick();
  // The whole message that SaveShortPending announces (the counts and the side that failed).
  void SetSaveShortText(std::string text) { save_short_text_ = std::move(text); }
  // The tree's click handling (acts only while InitialTreeClick is set).
  void TreeView1Click();
  // The end of a scan that was not stopped, as the folder tree (folder mode) or the hit list
  // (find mode): builds it from the engine's found tree, shows the first folder, switches the
  // panels. Announcing is left to EndScan (ScanFinishedPending and FormClick).
  void ShowScanResult();
  // New filters applied: the tree and the folder list rebuilt, keeping the folder the user was
  // in (or its nearest ancestor still listed) and the open branches that still exist.
  void ReapplyFilters();
  // The end of a stopped scan: the window closes back to the start window
  // (CloseMode::kStartAfterStop); nothing is built.
  void ScanStopped();
  // The folder tree from the engine's found tree (or from the tree below `root`), in one
  // update bracket; true when it has a first item.
  bool BuildFolderTree();
  bool BuildFolderTree(FoundNode* root);
  // HitList and ListView2 from the engine's found tree.
  void BuildHitList();
  // Folder-contents rows of one folder.
  void FillListview(FoundNode* folder);

  // Watch threads of the progress windows: called once the engine accepted a scan or a save.
  // Until they are set the window follows the run itself with a 100 ms timer and no progress
  // window. `list_save` tells SaveDeleteFile1 (find mode) from the other two saves; `node` is
  // the node handed to SaveMenuFile, nil for the ticked entries.
  std::function<void()> StartScanWatch;
  std::function<void(bool list_save, FoundNode* node)> StartSaveWatch;

  skin::TSkinForm* skForm1 = nullptr;
  skin::TSkinImagePanel* skImagePanel5 = nullptr;
  skin::TSkinImagePanel* skImagePanel4 = nullptr;
  skin::TSkinImagePanel* skImagePanel6 = nullptr;
  skin::TSkinImagePanel* skImagePanel1 = nullptr;
  skin::TSkinImagePanel* skImagePanel9 = nullptr;
  forms::TLabel* Label1 = nullptr;
  forms::TLabel* Label5 = nullptr;
  forms::TImage* Image3 = nullptr;
  forms::TImage* Image5 = nullptr;
  skin::TSkinURLLabel* skURLLabel2 = nullptr;
  skin::TSkinURLLabel* skURLLabel4 = nullptr;
  forms::TPanel* Panel2 = nullptr;
  skin::TQzListView* ListView2 = nullptr;
  forms::TPanel* Panel1 = nullptr;
  skin::TQzTreeView* TreeView1 = nullptr;
  forms::TSplitter* Splitter1 = nullptr;
  skin::TQzListView* ListView1 = nullptr;
  // The views' outside bars: vertical and horizontal of ListView1, of ListView2, of TreeView1.
  skin::TQzScrollBar* QzScrollBar1 = nullptr;
  skin::TQzScrollBar* QzScrollBar2 = nullptr;
  skin::TQzScrollBar* QzScrollBar3 = nullptr;
  skin::TQzScrollBar* QzScrollBar4 = nullptr;
  skin::TQzScrollBar* QzScrollBar5 = nullptr;
  skin::TQzScrollBar* QzScrollBar6 = nullptr;
  skin::TSkinImageButton* skBBack = nullptr;
  skin::TSkinImageButton* skButton1 = nullptr;
  skin::TSkinImageButton* skBRecovery = nullptr;
  skin::TSkinImageButton* skImageButton1 = nullptr;
  // "filteron", beside the buttons while folder filters narrow the results.
  forms::TLabel* FilterMark = nullptr;
  forms::TImageList* ImageList1 = nullptr;
  forms::TImageList* ImageList2 = nullptr;
  forms::TImageList* ImageList5 = nullptr;
  forms::TTimer* Timer1 = nullptr;
  forms::TTimer* Timer2 = nullptr;
  skin::TSkinPopupMenu* skPopupMenu1 = nullptr;
  forms::TMenuItem* M1 = nullptr;
  forms::TMenuItem* N1 = nullptr;
  forms::TMenuItem* M2 = nullptr;
  forms::TMenuItem* M3 = nullptr;

  // Where the popup was opened, and the folder ListView1 shows.
  forms::TTreeNode* CurrentFolderItem = nullptr;
  int PopupSource = kPopupNone;
  FoundNode* PopupNode = nullptr;
  int PopupRow = -1;
  forms::TTreeNode* PopupTreeItem = nullptr;

  // The rectangle of a row's check picture in a list's client area (empty for no row).
  RECT RowStateRect(skin::TQzListView* list, int row);

 protected:
  void Dispatch(forms::TMessage& m) override;

 private:
  void BuildControls();
  skin::TQzListView* MakeList(forms::TWinControl* parent);
  void FormCreate();
  // The start window's FindMode taken as mode_: when a scan starts here, and again when a
  // scan's result is built, which a watch thread may ask for of a scan this window did not
  // start. Everything else in the window reads mode_.
  void TakeScanMode();
  bool ShowsHits() const { return mode_ == ResultsMode::kHitList; }
  // Panel2 (hit list) or Panel1 (tree and folder list) as mode_ says, and the buttons that go
  // with them.
  void ShowPanels();
  void ShowFilterMark();
  void FormShow();
  void FormPaint();
  void FormResize();
  void FormCloseQuery(bool& can_close);
  void Timer1Timer();
  void Timer2Timer();
  void TreeView1MouseDown(forms::TMouseButton button, int x, int y);
  void TreeView1MouseUp(forms::TMouseButton button, int x, int y);
  void ListView1Data(forms::TListItem* item);
  void ListView2Data(forms::TListItem* item);
  void ListView1ColumnClick(int column);
  void ListView2ColumnClick(int column);
  void ListView1KeyDown(WORD& key, forms::TShiftState shift);
  void ListView2KeyDown(WORD& key, forms::TShiftState shift);
  void ListView1HeaderStateClick(int column);
  void ListView2HeaderStateClick(int column);
  void ListView1MouseDown(forms::TMouseButton button, int x, int y);
  void ListView2MouseDown(forms::TMouseButton button, int x, int y);
  void ListView1DblClick();
  // What each list leaves to the window: the tree, the folder header, the popup.
  void WirePanes();
  void OpenPopup(int source, forms::TTreeNode* tree_item, int row, FoundNode* node, POINT screen);
  void M1Click();
  void M2Click();
  void M3Click();
  void CheckFromPopup(uint8_t wanted);
  void CheckTreeFromPopup(uint8_t wanted);
  // Something the Recover button would save: a ticked file the save walks to (folder mode), or
  // a ticked row (find mode).
  bool AnythingTicked();
  void skBRecoveryClick();
  void skBBackClick();
  void skButton1Click();
  void skImageButton1Click();
  void skURLLabel2Click();
  void skURLLabel4Click();

  bool RunActive() const;
  // Both lists, their counts and the tree emptied, so that no row keeps a node of a tree the
  // engine is about to free.
  void ClearResults();
  // Save through the command steps; `node` null for the ticked entries.
  void Save(bool popup);
  bool StartEngineSave(const std::string& destination, bool popup, bool& list_save);
  // Without a watch thread the window follows the run itself, polling on follow_timer_.
  enum class FollowedRun { kScan, kSave };
  void FollowOnTimer(FollowedRun run);
  void FollowTimerTick();

  // The two result lists: the folder contents behind ListView1, the hit list behind ListView2.
  ResultPane folder_pane_{FolderContentsList, FolderListCount, ResultList::kFolderContents,
                          {folder_field::kName, folder_field::kFirstCluster, folder_field::kImage,
                           folder_field::kCheck, folder_field::kNode}};
  ResultPane hit_pane_{HitList, HitListCount, ResultList::kHits,
                       {hit_field::kPath, hit_field::kModified, hit_field::kImage,
                        hit_field::kCheck, hit_field::kNode}};
  forms::TTreeNode* mouse_down_item_ = nullptr;
  std::string pending_text_;
  // How the last scan that ran to its end is announced (set when its result is shown), and
  // the last save that did not save every file whole.
  std::string scan_end_message_;
  std::string save_short_text_;
  ResultsMode mode_ = ResultsMode::kFolderTree;
  forms::TTimer* follow_timer_ = nullptr;
  FollowedRun followed_ = FollowedRun::kScan;
};

extern TFrmFindFile* FrmFindFile;

}  // namespace vardeck
