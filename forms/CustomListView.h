// TCustomListView: the system list view ("SysListView32") wrapped: columns, rows kept here or
// supplied on demand (OwnerData with OnData), pictures and state pictures from TImageLists,
// selection, custom draw events, column clicks and hit tests. The control answers its own
// notifications (LVN_GETDISPINFO, NM_CUSTOMDRAW, LVN_COLUMNCLICK...) as reflected CN_NOTIFY.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>

#include "forms/CustomDraw.h"
#include "forms/CustomSysView.h"
#include "forms/ListColumns.h"
#include "forms/ListItems.h"

namespace forms {

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TCustomListView : public TCustomSysView,
                        private TCustomDraw<TCustomListView, NMLVCUSTOMDRAW> {
 public:
  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;
  const char* ClassName() const override { return "TCustomListView"; }

  TListColumns& Columns() { return columns_; }
  TListItems& Items() { return items_; }

  TViewStyle ViewStyle() const { return view_style_; }
  void SetViewStyle(TViewStyle v);
  // Rows come from OnData; Items().SetCount sets how many. Changing it remakes the window.
  bool OwnerData() const { return owner_data_; }
  void SetOwnerData(bool v);
  // Rows are drawn by OnDrawItem (report view only). Changing it remakes the window.
  bool OwnerDraw() const { return owner_draw_; }
  void SetOwnerDraw(bool v);
  bool RowSelect() const { return row_select_; }
  void SetRowSelect(bool v);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool v);
  bool ShowColumnHeaders() const { return show_column_headers_; }
  void SetShowColumnHeaders(bool v);
  bool GridLines() const { return grid_lines_; }
  void SetGridLines(bool v);
  // The system's check boxes in front of the rows (while no StateImages are set). A kept
  // row's box is its TListItem's Checked; a click on it or Space on the focused row flips it.
  bool Checkboxes() const { return checkboxes_; }
  void SetCheckboxes(bool v);
  // The system's flat scroll bars (LVS_EX_FLATSB) in place of the ordinary ones.
  bool FlatScrollBars() const { return flat_scroll_bars_; }
  void SetFlatScrollBars(bool v);
  // Painting through an off-screen buffer (the system's LVS_EX_DOUBLEBUFFER).
  bool DoubleBuffered() const { return double_buffered_; }
  void SetDoubleBuffered(bool v);

  TImageList* SmallImages() const { return images_.Images(); }
  void SetSmallImages(TImageList* v) { SetItemImages(v); }

  // The column header window (report view), or nil.
  HWND HeaderHandle();

  TListItem* Selected();
  void SetSelected(TListItem* item);
  int ItemIndex();
  void SetItemIndex(int index);
  TListItem* ItemFocused();
  void SetItemFocused(TListItem* item);
  int SelCount();
  void ClearSelection();
  TListItem* TopItem();
  int VisibleRowCount();
  // The row at a client point (anywhere on its row in report view), or nil.
  TListItem* GetItemAt(int x, int y);
  THitTests GetHitTestInfoAt(int x, int y);
  void Scroll(int dx, int dy);
  // Redraws rows first .. last.
  void UpdateItems(int first, int last);
  // Sorts kept rows by OnCompare, or by caption without it (not in owner-data mode, where the
  // program sorts its data).
  bool AlphaSort();

  using TLVOwnerDataEvent = std::function<void(TObject* sender, TListItem* item)>;
  using TLVColumnClickEvent = std::function<void(TObject* sender, TListColumn* column)>;
  using TLVCustomDrawEvent =
      std::function<void(TCustomListView* sender, const RECT& rect, bool& default_draw)>;
  using TLVAdvancedCustomDrawEvent = std::function<void(
      TCustomListView* sender, const RECT& rect, TCustomDrawStage stage, bool& default_draw)>;
  using TLVCustomDrawItemEvent = std::function<void(
      TCustomListView* sender, TListItem* item, TCustomDrawState state, bool& default_draw)>;
  using TLVAdvancedCustomDrawItemEvent =
      std::function<void(TCustomListView* sender, TListItem* item, TCustomDrawState state,
                         TCustomDrawStage stage, bool& default_draw)>;
  using TLVCustomDrawSubItemEvent =
      std::function<void(TCustomListView* sender, TListItem* item, int sub_item,
                         TCustomDrawState state, bool& default_draw)>;
  using TLVAdvancedCustomDrawSubItemEvent =
      std::function<void(TCustomListView* sender, TListItem* item, int sub_item,
                         TCustomDrawState state, TCustomDrawStage stage, bool& default_draw)>;
  using TLVDrawItemEvent = std::function<void(TCustomListView* sender, TListItem* item,
                                              const RECT& rect, TCustomDrawState state)>;
  using TLVSelectItemEvent = std::function<void(TObject* sender, TListItem* item, bool selected)>;
  using TLVChangeEvent = std::function<void(TObject* sender, TListItem* item, TItemChange change)>;
  using TLVChangingEvent =
      std::function<void(TObject* sender, TListItem* item, TItemChange change, bool& allow)>;

  // Owner-data mode: find a row for the list (type-ahead, LVM_FINDITEM). The handler sets
  // `index` to the row found; it stays -1 when none is. `find_string` is the text for
  // ifPartialString and ifExactString, `find_data` the lParam for ifData, `position` the
  // point for ifNearest; the search starts at `start_index` and goes on at row 0 after the
  // last row when `wrap`.
  using TLVOwnerDataFindEvent = std::function<void(
      TObject* sender, TItemFind find, const std::string& find_string, POINT position,
      void* find_data, int start_index, TSearchDirection direction, bool wrap, int& index)>;
  // Owner-data mode: rows start_index .. end_index are about to be asked for (a cache hint).
  using TLVOwnerDataHintEvent =
      std::function<void(TObject* sender, int start_index, int end_index)>;
  // Owner-data mode: rows start_index .. end_index changed from old_state to new_state in one go
  // (a range selected with Shift).
  using TLVOwnerDataStateChangeEvent =
      std::function<void(TObject* sender, int start_index, int end_index, TItemStates old_state,
                         TItemStates new_state)>;
  // Sets `compare` below 0 when item1 goes before item2, above 0 when after, 0 when equal.
  using TLVCompareEvent = std::function<void(TObject* sender, TListItem* item1,
                                             TListItem* item2, int data, int& compare)>;
  // A right click on a column header; `point` in the list's client coordinates.
  using TLVColumnRClickEvent =
      std::function<void(TObject* sender, TListColumn* column, POINT point)>;

  TLVOwnerDataEvent OnData;
  TLVOwnerDataFindEvent OnDataFind;
  TLVOwnerDataHintEvent OnDataHint;
  TLVOwnerDataStateChangeEvent OnDataStateChange;
  TLVCompareEvent OnCompare;
  TLVColumnClickEvent OnColumnClick;
  TLVColumnRClickEvent OnColumnRightClick;
  TLVCustomDrawEvent OnCustomDraw;
  TLVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  TLVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
  TLVCustomDrawSubItemEvent OnCustomDrawSubItem;
  TLVAdvancedCustomDrawSubItemEvent OnAdvancedCustomDrawSubItem;
  TLVDrawItemEvent OnDrawItem;
  TLVSelectItemEvent OnSelectItem;
  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  friend class TListColumn;
  friend class TListColumns;
  friend class TListItem;
  friend class TListItems;
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& m) override;
  void ApplyColors() override;
  void GiveImageList(bool state, HIMAGELIST list) override;
  DWORD StyleMask() const override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  virtual void ColClick(TListColumn* column);
  virtual void ColRightClick(TListColumn* column, POINT point);
  // Owner-data notifications: a find (the row found, or -1), a cache hint, a range's states.
  virtual int OwnerDataFind(TItemFind find, const std::string& find_string, POINT position,
                            void* find_data, int start_index, TSearchDirection direction,
                            bool wrap);
  virtual void OwnerDataHint(int start_index, int end_index);
  virtual void OwnerDataStateChange(int start_index, int end_index, TItemStates old_state,
                                    TItemStates new_state);
  virtual void CNNotify(TMessage& m);
  virtual void CNDrawItem(TMessage& m);
  // The row as the events see it: a kept item, or in owner-data mode the row OnData filled.
  TListItem* ItemAt(int index);
  // Forget the row OnData filled last (its data may have changed).
  void DropDataCache() { data_index_ = -1; }

 private:
  friend class TCustomDraw<TCustomListView, NMLVCUSTOMDRAW>;
  // The custom-draw stages the list has events for; a new paint shows the rows as they stand.
  void CustomDrawBegins() { DropDataCache(); }
  bool HasCustomDrawEvents() const;
  bool HasItemDrawEvents() const;
  bool HasSubItemDrawEvents() const;
  LRESULT PrePaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT PostPaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT ItemPrePaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT ItemPostPaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT SubItemPrePaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);
  LRESULT SubItemPostPaint(NMLVCUSTOMDRAW& cd, TCustomDrawState state, bool& default_draw);

  void GetDispInfo(NMHDR* h);
  LRESULT FindItem(NMHDR* h);
  void HeaderRightClick();
  static int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM list);
  void ItemChanged(const NMLISTVIEW* nm);
  void HeaderChanged(const NMHEADERA* nm);
  void InsertItemWindow(int index);
  // Sub-item texts of kept rows are asked for too (callback texts), column by column.
  void SetSubItemCallbacks(int item, int first_column);
  void ColumnAdded(int column);
  void ApplyExtendedStyle();
  // The list's own check boxes on kept rows: the list asks for its rows' states, so it keeps
  // none itself and the boxes change only through the items.
  bool KeptCheckBoxes() const;
  void ToggleCheckAt(int x, int y);

  TListColumns columns_{this};
  TListItems items_{this};
  TListItem data_item_{this, -1};
  int data_index_ = -1;
  TViewStyle view_style_ = TViewStyle::vsIcon;
  bool owner_data_ = false;
  bool owner_draw_ = false;
  bool row_select_ = false;
  bool multi_select_ = false;
  bool show_column_headers_ = true;
  bool grid_lines_ = false;
  bool checkboxes_ = false;
  bool double_buffered_ = false;
  bool flat_scroll_bars_ = false;
};

}  // namespace forms
