// TSkinTitleBar: the caption strip a skinned window frame puts at its top. It draws a row of
// section pictures (left, caption, stretched middle, right), the caption, the application icon
// or control box and three-state buttons (close, maximise/restore, minimise, help, custom),
// drags the window, maximises on a double click, and minimises, maximises and closes its form.
// Its look comes from a skin archive or from one of the built-in styles.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "skin/SkinLook.h"

namespace skin {

class TSkinTitleBar;
class TSkinTitleBarPopupMenu;

enum class TSkinTitleBarBtnType { skMax, skMin, skClose, skHelp, skControlBox, skCustom };
enum class TSkinTitleBarAlign { skLeft, skRight, skClient };

// The message a title bar sends its form to learn how far its pictures reach under the side
// border; a form without a frame answers 0.
constexpr UINT kFrameSideQuery = 9923;

class TSkinTitleBarButton : public forms::TObject {
 public:
  explicit TSkinTitleBarButton(TSkinTitleBar* bar);
  int Index() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  TSkinTitleBarBtnType ButtonType() const { return type_; }
  void SetButtonType(TSkinTitleBarBtnType t);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  int Top() const { return top_; }
  void SetTop(int v);
  TSkinUIStyle UIStyle() const { return ui_style_; }
  void SetUIStyle(TSkinUIStyle s);
  forms::TPicture& PicNormal() { return pic_normal_; }
  forms::TPicture& PicMouseOn() { return pic_mouse_on_; }
  forms::TPicture& PicMouseDown() { return pic_mouse_down_; }
  // Pictures of all three states present: only then is the button drawn and hit.
  bool HasPictures() const;
  void Assign(const TSkinTitleBarButton& other);
  // Frames 10..12 (the restore look) of the strip for a maximise button of a maximised form.
  void LoadPictures(bool restoreLook);
  // A control box's own menu in place of the bar's system menu (not owned).
  forms::TPopupMenu* ControlBoxMenu() const { return control_box_menu_; }
  void SetControlBoxMenu(forms::TPopupMenu* menu) { control_box_menu_ = menu; }

 private:
  friend class TSkinTitleBar;
  void Changed();
  TSkinTitleBar* bar_;
  bool visible_ = true;
  TSkinTitleBarBtnType type_ = TSkinTitleBarBtnType::skCustom;
  bool transparent_ = false;
  int top_ = 2;
  TSkinUIStyle ui_style_ = TSkinUIStyle::DeepBlue;
  forms::TPicture pic_normal_, pic_mouse_on_, pic_mouse_down_;
  forms::TPopupMenu* control_box_menu_ = nullptr;
};

class TSkinTitleBarSection : public forms::TObject {
 public:
  explicit TSkinTitleBarSection(TSkinTitleBar* bar) : bar_(bar) {}
  int Width() const { return width_; }
  void SetWidth(int w);
  TSkinTitleBarAlign Align() const { return align_; }
  // A second client section is refused with an error message.
  void SetAlign(TSkinTitleBarAlign a);
  forms::TPicture& Picture() { return picture_; }
  void SetPicture(const forms::TBitmap* b);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  bool CapSec() const { return cap_sec_; }
  void SetCapSec(bool v);
  void Assign(const TSkinTitleBarSection& other);

 private:
  friend class TSkinTitleBar;
  void Changed();
  TSkinTitleBar* bar_;
  int width_ = 10;
  TSkinTitleBarAlign align_ = TSkinTitleBarAlign::skLeft;
  forms::TPicture picture_;
  bool stretch_ = false;
  bool auto_size_ = false;
  bool cap_sec_ = false;
};

// The buttons or sections of a bar, in drawing order; a change repaints the bar.
template <typename Item>
class TSkinTitleBarCollection {
 public:
  explicit TSkinTitleBarCollection(TSkinTitleBar* bar) : bar_(bar) {}
  int Count() const { return static_cast<int>(items_.size()); }
  Item* Items(int i) const { return i >= 0 && i < Count() ? items_[i].get() : nullptr; }
  Item* Add() {
    items_.push_back(std::make_unique<Item>(bar_));
    return items_.back().get();
  }
  void Clear() { items_.clear(); }
  int IndexOf(const Item* item) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[i].get() == item) return i;
    return -1;
  }
  void Assign(const TSkinTitleBarCollection& other) {
    if (&other == this) return;
    items_.clear();
    for (const auto& it : other.items_) Add()->Assign(*it);
  }

 private:
  TSkinTitleBar* bar_;
  std::vector<std::unique_ptr<Item>> items_;
};

using TSkinTitleBarButtons = TSkinTitleBarCollection<TSkinTitleBarButton>;
using TSkinTitleBarSections = TSkinTitleBarCollection<TSkinTitleBarSection>;
using TSkinTitleBarButtonClickEvent = std::function<void(forms::TObject* sender, int index)>;

// Error messages of the collections go through here; tests replace it to read them.
extern std::function<void(const std::string& text)> SkinErrorDialog;

// Right to left, the control-box menu opens this many pixels further right than the bar's
// bottom-left corner.
constexpr int kRightToLeftMenuShift = 176;

class TSkinTitleBar : public forms::TCustomPanel {
 public:
  explicit TSkinTitleBar(forms::TComponent* owner);
  ~TSkinTitleBar() override;
  const char* ClassName() const override { return "TSkinTitleBar"; }

  bool Custom() const { return custom_; }
  void SetCustom(bool v) { custom_ = v; }
  TSkinFileTheme* FileTheme() const { return look_.Theme(); }
  void SetFileTheme(TSkinFileTheme* theme);
  TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  TSkinTitleBarSections& Sections() { return sections_; }
  TSkinTitleBarButtons& Buttons() { return buttons_; }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  int ButtonInterval() const { return button_interval_; }
  void SetButtonInterval(int v);
  // The caption is the control's text (Caption/SetCaption): an equal value changes nothing
  // and repaints nothing, so the frame may set it from its paint paths.
  bool FormActive() const { return form_active_; }
  void SetFormActive(bool v);
  int LeftBtnXOffset() const { return left_btn_x_offset_; }
  void SetLeftBtnXOffset(int v);
  int RightBtnXOffset() const { return right_btn_x_offset_; }
  void SetRightBtnXOffset(int v);
  bool DrawAppIcon() const { return draw_app_icon_; }
  void SetDrawAppIcon(bool v);
  int RoundCorner() const { return round_corner_; }
  void SetRoundCorner(int v) { round_corner_ = v; }
  int RoundCornerBottom() const { return round_corner_bottom_; }
  void SetRoundCornerBottom(int v) { round_corner_bottom_ = v; }
  forms::TColor InactiveCaptionColor() const { return inactive_caption_color_; }
  void SetInactiveCaptionColor(forms::TColor c);

  TSkinTitleBarButtonClickEvent OnCustomBtnsClick;
  TSkinTitleBarButtonClickEvent OnHelpBtnClick;
  // Set by the frame: after a caption section was drawn its top border must follow.
  std::function<void()> OnCaptionSectionDrawn;

  // -1: the sections laid out at the window's width from their first row (the frame's region
  // source); -2: that over the section background colour (the frame's top border source);
  // n >= 0: the picture of section n when there are more than two sections; else nil.
  forms::TBitmap* SectionPicture(int n);
  // The maximise buttons show the restore look while the form is maximised.
  void RefreshMaxButtons();
  void ButtonClick(TSkinTitleBarButton* button);
  // The caption as the last paint fitted it into a caption section; empty when none.
  const std::string& FittedCaption() const { return fitted_caption_; }
  // Index of the button under the cursor as the last paint found it; -1 for none.
  int HotButton() const { return hot_button_; }
  // Where the last paint put each button (empty for buttons not drawn).
  RECT ButtonRect(int index) const;
  // Where the last paint put the caption text (left to right from the icon; right to left
  // ending 10 pixels before the button row).
  RECT CaptionRect() const { return caption_rect_; }
  TSkinUIStyle EffectiveStyle() const { return look_.Effective(); }
  bool SkinMode() const { return look_.SkinMode(); }
  bool OnFrame() const;
  // Brings RegionImage and BackgroundImage up to date at the bar's size.
  void PaintImages();
  // The skinned system menu (control box, Alt+Space).
  TSkinTitleBarPopupMenu* ControlBoxPopupMenu() const { return control_box_popup_; }
  // Opens the system menu at the bar's bottom-left corner.
  void PopupControlBoxMenu();
  // Minimises the form: the main form through the system's command (so the program goes down
  // as a whole), any other form by its window state.
  void MinimizeForm();

  void DblClick() override;

 protected:
  void Paint() override;
  void MouseDown(forms::TMouseButton button, forms::TShiftState shift, int x, int y) override;
  void MouseMove(forms::TShiftState shift, int x, int y) override;
  void MouseUp(forms::TMouseButton button, forms::TShiftState shift, int x, int y) override;
  void CMMouseLeave(forms::TMessage& m) override { Invalidate(); }
  void CMTextChanged(forms::TMessage& m) override { Invalidate(); }
  void CMFontChanged(forms::TMessage& m) override { Invalidate(); }
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }
  void Notification(forms::TComponent* component, forms::TOperation operation) override;
  void Dispatch(forms::TMessage& m) override;
  virtual void DrawSections(forms::TBitmap& bitmap);
  virtual void DrawButtons(forms::TBitmap& bitmap);

 private:
  friend class TSkinTitleBarButton;
  friend class TSkinTitleBarSection;
  void SkinLook();
  void BuiltInLook(TSkinUIStyle style);
  int SideAnswer();
  void Changed();

  TSkinLook look_;
  TSkinTitleBarSections sections_{this};
  TSkinTitleBarButtons buttons_{this};
  bool auto_size_ = false;
  int button_interval_ = 0;
  bool form_active_ = true;
  int left_btn_x_offset_ = 0;
  int right_btn_x_offset_ = 0;
  int round_corner_ = 0;
  int round_corner_bottom_ = 0;
  bool draw_app_icon_ = true;
  bool in_set_file_theme_ = false;
  bool custom_ = false;
  bool five_sections_ = false;
  std::string fitted_caption_;
  RECT caption_rect_{0, 0, 0, 0};
  // The application's icon copied at 16 x 16 on first use, destroyed with the bar.
  HICON title_icon_ = nullptr;
  forms::TBitmap region_image_;
  forms::TBitmap background_image_;
  forms::TColor section_back_color_ = 0xE8E8E8;
  forms::TColor picture_key_color_ = forms::clFuchsia;
  forms::TColor inactive_caption_color_ = forms::clSystemColor | COLOR_INACTIVECAPTION;
  bool mouse_is_down_ = false;
  int hot_button_ = -1;
  int button_top_ = 2, icon_top_ = 2, caption_top_ = 0;
  std::vector<RECT> button_rects_;
  bool painting_ = false;
  TSkinTitleBarPopupMenu* control_box_popup_ = nullptr;
};

}  // namespace skin
