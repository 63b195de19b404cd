// The scan watch thread (see MyThread.h): polling, the end of the scan, and what it builds.
#include "frontend/win/MyThread.h"

#include <string>
#include <vector>

#include "engine/disk_bytes.h"
#include "engine/fat_dir_entry.h"
#include "engine/ntfs_file_name.h"
#include "engine/scavrel_api.h"
#include "frontend/FilterSettings.h"
#include "frontend/FoundTreeWalk.h"
#include "frontend/SharedState.h"
#include "frontend/TextRoutines.h"
#include "frontend/WatchProgress.h"
#include "frontend/win/WatchSupport.h"
#include "quorrin/quorrin_api.h"

namespace vardeck {

namespace {

constexpr const char* kScanText = "Scan in progress!";
constexpr const char* kFullScanText = "Full Scan in progress!";
constexpr const char* kBuildingText = "Building Tree in progress!";
// Pictures of the tree's items: a closed folder, and an open one while selected.
constexpr int kFolderImage = 2;
constexpr int kOpenFolderImage = 1;

// The hit list's fields: six texts, then four integers (size, image, check state, node).
constexpr const char* kHitFieldNames[] = {"a1", "a2", "a3", "a4", "a5", "a6",
                                          "a7", "a8", "a9", "a10"};
constexpr int kHitTextFields = 6;

using quorrin_api::IntegerCell;

void SetTextCell(const std::string& text, uint32_t field) {
  SetValue(text.c_str(), field, HitList);
}

void SetIntegerCell(IntegerCell value, uint32_t field) { SetValue(&value, field, HitList); }

// One hit row: the containing folder, the name, the recoverability word, the size and the two
// times (read from the attribute block in the engine's form), the size again as a number,
// the file picture, the check state and the node.
void AddHitRow(const HitFile& hit) {
  void* block = nullptr;
  scavrel::ExtentList* extents = nullptr;
  uint64_t free_clusters = 0, total_clusters = 0, first_cluster = 0;
  GetpFileAttr(hit.node->record, &block, &extents, &free_clusters, &total_clusters,
               &first_cluster);
  const size_t block_size = NtfsChosen ? scavrel::ntfs_name::kName : scavrel::fat::kDirEntrySize;
  const scavrel::ByteSpan bytes(static_cast<const uint8_t*>(block), block ? block_size : 0);
  uint64_t size;
  std::string created, modified;
  if (NtfsChosen) {
    size = scavrel::ReadLe64(bytes, scavrel::ntfs_name::kSize);
    created = FileTimeText(scavrel::ReadLe64(bytes, scavrel::ntfs_name::kCreationTime));
    modified = FileTimeText(scavrel::ReadLe64(bytes, scavrel::ntfs_name::kModificationTime));
  } else {
    using namespace scavrel::fat;
    size = scavrel::ReadLe32(bytes, kDeFileSize);
    created = DosDateTimeText(scavrel::ReadLe16(bytes, kDeCreationDate),
                              scavrel::ReadLe16(bytes, kDeCreationTime));
    modified = DosDateTimeText(scavrel::ReadLe16(bytes, kDeWriteDate),
                               scavrel::ReadLe16(bytes, kDeWriteTime));
  }
  Add(HitList);
  SetTextCell(hit.folder, 0);
  SetTextCell(hit.name, 1);
  SetTextCell(QualityText(static_cast<int64_t>(free_clusters), static_cast<int64_t>(total_clusters)), 2);
  SetTextCell(SizeText(static_cast<int64_t>(size)), 3);
  SetTextCell(created, 4);
  SetTextCell(modified, 5);
  // Cells are pointer-sized: the whole size where the cell holds it, and the check state's
  // byte zero-extended (the list-driven save compares the whole cell with 3).
  SetIntegerCell(static_cast<IntegerCell>(size), 6);
  SetIntegerCell(0, 7);
  SetIntegerCell(static_cast<IntegerCell>(static_cast<uintptr_t>(hit.node->check_state)), 8);
  SetIntegerCell(reinterpret_cast<IntegerCell>(hit.node), 9);
}

FindCriteria CurrentFindCriteria() {
  FindCriteria c;
  c.pattern = NamePattern;
  c.leading_star = PatternLeadingStar == "*";
  c.trailing_star = PatternTrailingStar == "*";
  return c;
}

}  // namespace

TMyThread::TMyThread(skin::TSkinProgressBar* bar, TFrmProgress* progress, forms::TLabel* files,
                     forms::TLabel* folders, forms::TLabel* current)
    : bar_(bar),
      progress_(progress),
      files_(files),
      folders_(folders),
      current_(current),
      results_(FrmFindFile) {
  Start();
}

void TMyThread::Execute() {
  WatchScan();
  ReleaseOnGui(this);
}

void TMyThread::WatchScan() {
  if (!ProgressShown) Sleep(kPollMilliseconds);
  OnGui([&] {
    bar_->SetPosition(0);
    progress_->LabScan->SetCaption(kScanText);
  });
  bool full_scan_shown = false;
  ProgressSnapshot s;
  do {
    Sleep(kPollMilliseconds);
    s = PollProgress(GetProgress);
    OnGui([&] {
      // A full scan counts its second phase from 0 again: the bar falls back, once.
      if (!full_scan_shown && FullScanPhaseStarted(s.done, s.total, bar_->Max(), bar_->Position())) {
        progress_->LabScan->SetCaption(kFullScanText);
        full_scan_shown = true;
      }
      bar_->SetPosition(WatchBarPosition(s.done, s.total, bar_->Max()));
      files_->SetCaption(std::to_string(s.counter_a));
      folders_->SetCaption(std::to_string(s.counter_b));
      progress_->ShowCurrentItem(s.text);
    });
  } while (!s.finished);

  OnGui([&] {
    bar_->SetPosition(bar_->Max());
    if (results_ && results_->TreeView1) results_->TreeView1->Items().Clear();
  });
  if (StopRequested) {
    // Stopped: nothing is built and nothing announced; the results window goes back to the
    // start window when it closes.
    OnGui([&] {
      progress_->Button2->SetCaption(kPauseCaption);
      progress_->CloseAtRunEnd();
      if (results_) results_->Close();
    });
  } else if (FindMode) {
    BuildHitList();
  } else {
    BuildFolderTree();
  }
  ScanState = kRunIdle;
  StopRequested = 0;
}

void TMyThread::BuildFolderTree() {
  OnGui([&] {
    progress_->Button2->SetEnabled(false);
    progress_->Button3->SetEnabled(false);
  });
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) != 0 && root) {
    OnGui([&] { progress_->LabScan->SetCaption(kBuildingText); });
    // The walk runs here; only the items are made on the GUI thread, in one update.
    const std::vector<FolderItem> items = CollectFolderItems(root, EngineTreeReaders());
    OnGui([&] {
      if (!results_ || !results_->TreeView1) return;
      forms::TTreeNodes& nodes = results_->TreeView1->Items();
      nodes.BeginUpdate();
      std::vector<forms::TTreeNode*> made(items.size());
      for (size_t i = 0; i < items.size(); ++i) {
        const FolderItem& item = items[i];
        forms::TTreeNode* parent = item.parent < 0 ? nullptr : made[item.parent];
        forms::TTreeNode* n = nodes.AddChild(parent, item.name);
        n->SetImageIndex(kFolderImage);
        n->SetSelectedIndex(kOpenFolderImage);
        n->SetStateIndex(item.node->check_state);
        n->SetData(item.node);
        made[i] = n;
      }
      nodes.EndUpdate();
    });
  }
  bool clicked = false;
  OnGui([&] {
    if (!results_ || !results_->TreeView1) return;
    if (forms::TTreeNode* first = results_->TreeView1->Items().GetFirstNode()) {
      first->SetSelected(true);
      InitialTreeClick = true;
      clicked = true;
    }
  });
  if (clicked) {
    Sleep(kPollMilliseconds);
    OnGui([&] {
      results_->TreeView1Click(results_->TreeView1);
      InitialTreeClick = false;
    });
  }
  OnGui([&] {
    if (!results_) return;
    if (results_->skButton1) results_->skButton1->Show();
    if (results_->Panel1) results_->Panel1->Show();
    if (results_->Panel2) results_->Panel2->Hide();
  });
  OnGui([&] {
    progress_->Button2->SetCaption(kPauseCaption);
    progress_->CloseAtRunEnd();
    progress_->Button2->SetEnabled(true);
    progress_->Button3->SetEnabled(true);
  });
  ScanFinishedPending = 1;
  OnGui([&] {
    if (results_) results_->FormClick(results_);
  });
}

void TMyThread::BuildHitList() {
  skin::TQzListView* list = results_ ? results_->ListView2 : nullptr;
  OnGui([&] {
    if (!list) return;
    for (skin::THeadColumn& column : list->HeadColumns) column.SortIndex = -1;
    list->HeadColumns[0].StateIndex = scavrel::kUnchecked;
    list->SetOwnerData(true);
    list->Items().BeginUpdate();
    list->Items().SetCount(0);
  });
  // The list view shows no row until the count is set again, so the rows are written here.
  ClearList(HitList);
  FieldRemoveall(HitList);
  for (int i = 0; i < 10; ++i) {
    char name[kOutTextPathSize] = {};
    std::snprintf(name, sizeof name, "%s", kHitFieldNames[i]);
    FieldAdd(name, i < kHitTextFields ? kQuorrinFieldText : kQuorrinFieldInteger, HitList);
  }
  FoundNode* root = nullptr;
  if ((GetTreeFirst(&root) & 0xFF) != 0 && root) {
    const TreeReaders readers = EngineTreeReaders();
    CollectHitFiles(root, HitRootPath(readers.name(root)), readers, CurrentFindCriteria(),
                    AddHitRow);
  }
  OnGui([&] {
    progress_->Button2->SetEnabled(false);
    progress_->Button3->SetEnabled(false);
    UpdateList(HitList);
    HitListCount = GetListCount(HitList);
    if (!list) return;
    list->Items().SetCount(static_cast<int>(HitListCount));
    list->Items().EndUpdate();
  });
  OnGui([&] {
    if (!results_) return;
    if (results_->Panel2) results_->Panel2->Show();
    if (results_->Panel1) results_->Panel1->Hide();
    if (results_->skButton1) results_->skButton1->Hide();
  });
  OnGui([&] {
    progress_->CloseAtRunEnd();
    progress_->Button2->SetCaption(kPauseCaption);
    progress_->Button2->SetEnabled(true);
    progress_->Button3->SetEnabled(true);
  });
  ScanFinishedPending = 1;
  OnGui([&] {
    if (results_) results_->FormClick(results_);
  });
}

}  // namespace vardeck
