// TSkinForm: the skinned window frame. Placed once on a form, it strips the native caption,
// takes over the form's window procedure, shrinks the native border to thin strips that it
// paints itself, puts a TSkinTitleBar at its top, cuts the window to a region (from skin
// pictures, or with the rounded corners of a built-in look), keeps a maximised window on the
// work area and fills the client area with the look's colour or tile. The other controls of
// the window sit on it.
#pragma once

#include <memory>

#include "forms/ApplicationEvents.h"
#include "forms/Forms.h"
#include "skin/FrameGeometry.h"
#include "skin/SkinMenuBarLink.h"
#include "skin/SkinLook.h"
#include "skin/SkinTitleBar.h"

namespace skin {

// An MDI child's frame asks the application's main form for the native border sizes with these
// (wParam and lParam 0, the answer is the size): its own window sits in the MDI client, where
// the measurement of a top-level window does not work. A framed MDI parent answers with the
// sizes it measured on itself; any other main form answers 0.
constexpr UINT kMDIBottomBorderQuery = 34768;
constexpr UINT kMDISideBorderQuery = 34769;

class TSkinForm : public forms::TCustomPanel {
 public:
  explicit TSkinForm(forms::TComponent* owner);
  ~TSkinForm() override;
  const char* ClassName() const override { return "TSkinForm"; }

  // False for a frame that stayed a plain panel (owner not a form, or a second frame).
  bool Active() const { return form_ != nullptr; }
  TSkinTitleBar* TitleBar() const { return title_bar_; }
  forms::TCustomForm* Form() const { return form_; }

  bool TitleBarCustom() const { return title_bar_ && title_bar_->Custom(); }
  void SetTitleBarCustom(bool v) { if (title_bar_) title_bar_->SetCustom(v); }
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  bool UIStyleAutoUpdateSub() const { return auto_update_sub_; }
  void SetUIStyleAutoUpdateSub(bool v) { auto_update_sub_ = v; }
  forms::TColor BorderColor() const { return border_color_; }
  void SetBorderColor(forms::TColor c);
  // The painted border of a built-in look (not the panel's inner border, which stays 0).
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int w);
  bool TitleBarVisible() const { return title_bar_ && title_bar_->Visible(); }
  void SetTitleBarVisible(bool v);
  // The caption is the title bar's and the form's text; the panel's own text stays " ". An
  // equal caption changes nothing, so paint paths may set it.
  std::string Caption() const { return title_bar_ ? title_bar_->Caption() : std::string(); }
  void SetCaption(const std::string& caption);
  forms::TCustomPanel* FormPanel() const { return form_panel_; }
  void SetFormPanel(forms::TCustomPanel* panel);
  TSkinTitleBarButtons* TitleBarButtons() { return title_bar_ ? &title_bar_->Buttons() : nullptr; }
  TSkinTitleBarSections* TitleBarSections() {
    return title_bar_ ? &title_bar_->Sections() : nullptr;
  }
  bool TitleBarDrawAppIcon() const { return !title_bar_ || title_bar_->DrawAppIcon(); }
  void SetTitleBarDrawAppIcon(bool v) { if (title_bar_) title_bar_->SetDrawAppIcon(v); }
  // The menu shown in the menu bar under the title bar (not owned; nil for none).
  forms::TMainMenu* Menu() const { return menu_link_ ? menu_link_->Menu() : nullptr; }
  void SetMenu(forms::TMainMenu* menu);
  TSkinMenuBar* MenuBar() const { return menu_link_ ? menu_link_->Bar() : nullptr; }
  forms::TColor MenuBarColor() const { return menu_link_ ? menu_link_->MenuBarColor() : 0; }
  void SetMenuBarColor(forms::TColor c) { if (menu_link_) menu_link_->SetMenuBarColor(c); }
  forms::TColor MenuBarToColor() const { return menu_link_ ? menu_link_->MenuBarToColor() : 0; }
  void SetMenuBarToColor(forms::TColor c);
  // 0 while there is no visible menu bar.
  int MenuBarHeight() const { return menu_link_ ? menu_link_->MenuBarHeight() : 0; }
  void SetMenuBarHeight(int h) { if (menu_link_) menu_link_->SetMenuBarHeight(h); }
  // The menu a skinned main menu reaches this frame through.
  TSkinMenuBarLink* MenuLink() const { return menu_link_.get(); }
  int RoundCorner() const { return TitleBarVisible() ? title_bar_->RoundCorner() : 0; }
  void SetRoundCorner(int v);
  int RoundCornerBottom() const { return TitleBarVisible() ? title_bar_->RoundCornerBottom() : 0; }
  void SetRoundCornerBottom(int v);
  std::string Version() const { return "6.3"; }
  std::string About() const { return "Skinned window frame of the Tolvane control library"; }
  forms::TColor InactiveCaptionColor() const;
  void SetInactiveCaptionColor(forms::TColor c) {
    if (title_bar_) title_bar_->SetInactiveCaptionColor(c);
  }

  // Takes the native caption away again when something brought it back.
  void RestripCaption();
  // Paints the non-client strips around the form.
  void PaintBorders();
  // Sets the window region of the form.
  void BuildRegion();

  // State the painting and the region work from (for tests, too).
  const TFrameMetrics& Metrics() const { return metrics_; }
  forms::TColor RegionKeyColor() const { return region_key_color_; }
  int SideAnswer() const { return FrameSideAnswer(metrics_); }
  bool SkinMode() const { return look_.SkinMode(); }

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void Paint() override;
  void BoundsChanged() override;
  void Loaded() override;
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }

 private:
  void FormWindowProc(forms::TMessage& m);
  void CallOld(forms::TMessage& m);
  void MaximizeRule();
  void ApplicationMessageHook(MSG& msg, bool& handled);
  bool MenuShortcutKey(const MSG& msg);
  TFrameStrips NativeBorder() const;
  // Native client area inside the window, in window coordinates.
  RECT ClientInWindow() const;
  void PaintSkinBorders(forms::TCanvas& canvas, int w, int h, const RECT& client);
  void PaintBuiltInBorders(forms::TCanvas& canvas, int w, int h, const RECT& client);
  void ComposeBottomImage(int w);
  // The strips beside a visible menu bar take the bar's paint.
  void PaintMenuBarStrips(forms::TCanvas& canvas, int left, int right, int top);
  void PlaceBars();
  bool IsMDIChild() const;
  bool IsMDIParent() const;
  // Moves the frame's unaligned controls by `dy` (the title bar of a maximised MDI child goes
  // away and what is under it moves up into its place).
  void ShiftContents(int dy);
  // The MDI part of the maximise rule: title bar, contents and the MDI client's state.
  void MDIMaximizeRule();
  void MDIChildDestroyed();
  void BuildSkinRegion(int w, int h);
  // Gives the form back its caption and window procedure and stops every hook; safe to call
  // twice.
  void Detach();

  TSkinTitleBar* title_bar_ = nullptr;
  forms::TCustomForm* form_ = nullptr;
  forms::TWndMethod old_window_proc_;
  TFrameMetrics metrics_;
  forms::TBitmap bottom_image_;
  forms::TColor region_key_color_ = forms::clFuchsia;
  bool title_need_region_ = false, bottom_need_region_ = false;
  int title_region_min_y_ = -1, title_region_max_y_ = -1;
  int bottom_region_min_y_ = -1, bottom_region_max_y_ = -1;
  forms::TFormBorderStyle saved_border_style_ = forms::TFormBorderStyle::bsSizeable;
  forms::TColor border_color_ = 0;
  forms::TCustomPanel* form_panel_ = nullptr;
  int border_width_ = 1;
  TSkinLook look_;
  std::unique_ptr<TSkinMenuBarLink> menu_link_;
  bool auto_update_sub_ = false;
  bool destroying_ = false;
  std::unique_ptr<forms::TApplicationEvents> app_events_;
  RECT initial_bounds_{0, 0, 0, 0};
  bool start_maximized_ = false;
  bool title_bar_wanted_ = true;
  bool title_bar_internal_change_ = false;
  bool in_maximize_rule_ = false;
  // MDI child: the contents are moved up for a maximised window (or the window started
  // maximised and they never were down), restored once, started maximised.
  bool mdi_max_shifted_ = false, mdi_restored_once_ = false, mdi_started_maximized_ = false;
};

}  // namespace skin
