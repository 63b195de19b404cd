// TQzTreeView: the results window's folder tree. The wrapped system tree view with a flat
// two-line frame in the theme's control border colour, and two outside skinned scroll bars
// (TQzScrollBar, placed on the same form) laid over its own bars and kept in step with them
// both ways: whatever moves or resizes the tree's scrolling (input, a fill, an expansion, a
// deletion) is copied to the outside bars, and moving an outside bar scrolls the tree.
#pragma once

#include "forms/CustomTreeView.h"
#include "skin/QzScrollBar.h"
#include "skin/SkinLook.h"

namespace skin {

class TQzTreeView : public forms::TCustomTreeView {
 public:
  explicit TQzTreeView(forms::TComponent* owner);
  ~TQzTreeView() override;
  const char* ClassName() const override { return "TQzTreeView"; }

  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c);
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  TQzScrollBar* VScrollBar() const { return vbar_; }
  void SetVScrollBar(TQzScrollBar* bar);
  TQzScrollBar* HScrollBar() const { return hbar_; }
  void SetHScrollBar(TQzScrollBar* bar);

  // Copies the native bars' state (shown, thumb length, range, position) to the outside bars.
  void SyncScrollBars();
  // Syncs, then lays the outside bars over the native ones (in the bars' parent's coordinates).
  void PlaceScrollBars();

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Loaded() override;
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  void CreateWnd() override;
  void WndProc(forms::TMessage& m) override;
  void BoundsChanged() override;
  void BiDiModeChanged() override;
  void CMVisibleChanged(forms::TMessage& m) override;
  void CMEnabledChanged(forms::TMessage& m) override;

 private:
  void VScrollBarChange();
  void HScrollBarChange();
  // Makes the row `row` (0-based among the rows that expanded parents show) the top one.
  void ScrollToRow(int row);
  void ReleaseBar(TQzScrollBar* bar);
  void AttachBar(TQzScrollBar*& slot, TQzScrollBar* bar, bool vertical);
  void SyncBar(TQzScrollBar* bar, LONG object_id, int which);
  void PaintFrame();
  void KeepBarsAbove();

  forms::TColor border_color_ = 0;
  TSkinLook look_;
  TQzScrollBar* vbar_ = nullptr;
  TQzScrollBar* hbar_ = nullptr;
  bool syncing_ = false;
  bool left_down_ = false;
  // Set while the tree does not redraw (its nodes are being changed in one go): the bars are
  // synced once when redrawing resumes, not after every node.
  bool redraw_off_ = false;
  bool filling_window_ = false;  // a new window is being given the nodes
  struct Raised {
    HWND bar = nullptr;
    HWND tree = nullptr;
  };
  Raised raised_[2];  // vertical, horizontal
};

}  // namespace skin
