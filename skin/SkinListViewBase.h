// TSkinListViewBase: what the skinned list views have in common: a report list view framed
// in two colours, its look from a theme or a built-in style, a header window hooked for the
// view's own painting, and two outside skinned scroll bars (published VScrollBar and
// HScrollBar) laid over the list's own and kept in step with them both ways. TQzListView
// builds its painted header on it, TSkinListView its flat one; they differ in the bars'
// class and options and in how a moved bar scrolls the list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "forms/Forms.h"
#include "skin/SkinLook.h"
#include "skin/SkinScrollBar.h"
#include "skin/SkinThemes.h"

namespace skin {

class TSkinListViewBase : public forms::TCustomListView {
 public:
  explicit TSkinListViewBase(forms::TComponent* owner);
  ~TSkinListViewBase() override;
  const char* ClassName() const override { return "TSkinListViewBase"; }

  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c);

  // Lays the outside bars over the list's own (parent coordinates) and syncs them.
  void PlaceScrollBars();
  // List to bars: vertical, then horizontal.
  void SyncScrollBars();
  void SyncVScrollBar() { SyncBar(true); }
  void SyncHScrollBar() { SyncBar(false); }

  // The hooked header window, or nil.
  HWND HookedHeader() const { return header_; }

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  // How a view of this family differs: the inset of the bars at the list's far edges, and
  // whether the vertical bar follows the native tracking position and takes the page size.
  struct TBarOptions {
    int FarInset = 1;
    bool VerticalFromTrackPos = true;
    bool SetPageSize = true;
    // The bars' range written maximum first (the track clamps its position at each step).
    bool MaxBeforeMin = false;
    // A scroll message or the wheel brings both bars up to date, not only its own one.
    bool ScrollSyncsBoth = false;
  };
  void SetBarOptions(const TBarOptions& o) { bar_options_ = o; }

  // Attaching a bar: the old one is let go (its OnChange cleared, LineButton 0, Max 100,
  // enabled), the new one is set up for `vertical` and placed.
  void AttachBar(bool vertical, TSkinCustomScrollBar* bar);
  TSkinCustomScrollBar* VBar() const { return vbar_; }
  TSkinCustomScrollBar* HBar() const { return hbar_; }
  // The outside bars' class a view takes: the published VScrollBar and HScrollBar set a
  // component of another class as none.
  virtual TSkinCustomScrollBar* AsBar(forms::TComponent* c) const = 0;

  // Every message to the hooked header comes here; DefHeader passes one on.
  virtual LRESULT HeaderMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  LRESULT DefHeader(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  // Called once the header is hooked (a new window, or the first report view).
  virtual void HeaderHooked() {}
  // The look changed; the outside bars take it on here.
  virtual void LookChanged(const TSkinLook& look);

  void Loaded() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(forms::TMessage& m) override;
  void Notification(forms::TComponent* c, forms::TOperation op) override;
  void CMVisibleChanged(forms::TMessage& m) override;
  void CMEnabledChanged(forms::TMessage& m) override;
  void BoundsChanged() override;
  void BiDiModeChanged() override;

  bool Syncing() const { return syncing_; }
  bool ScrollingByBar() const { return scrolling_by_bar_; }
  // Set while a bar moves the list: the list's own moves then do not push back into the bars.
  void SetScrollingByBar(bool v) { scrolling_by_bar_ = v; }

  // Bars to list: an attached bar's OnChange. The maker's view scrolls to the bar's position;
  // a view of its own may scroll by the bar's change instead.
  virtual void VScrollBarChange();
  virtual void HScrollBarChange();

 private:
  static LRESULT CALLBACK HeaderProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR ref);
  void HookHeader();
  void UnhookHeader();
  void SyncBar(bool vertical);
  void Frame();

  TSkinLook look_;
  forms::TColor border_color_ = forms::clBlack;
  TSkinCustomScrollBar* vbar_ = nullptr;
  TSkinCustomScrollBar* hbar_ = nullptr;
  TBarOptions bar_options_;
  HWND header_ = nullptr;
  bool syncing_ = false;
  bool scrolling_by_bar_ = false;
  bool left_down_ = false;
};

}  // namespace skin
