// TSkinMenuBar: the bar under a skinned frame's title bar that shows a main menu: one flat,
// caption-only button per visible top-level item, in menu order, wrapping to further rows
// when the bar is too narrow; a button opens its item's submenu below itself (or runs the
// item's click when it has none). It paints its background and buttons in the menu's look
// when the menu is a skinned main menu, else in the frame's.
#pragma once

#include <string>
#include <vector>

#include "forms/Forms.h"
#include "skin/SkinMenuBarHost.h"
#include "skin/SkinLook.h"

namespace skin {

// The Tag of a button while it is drawn highlighted (hot or selected).
constexpr int kMenuBarHighlightTag = 888;

// One button of the bar.
struct TMenuBarButton {
  forms::TMenuItem* MenuItem = nullptr;
  std::string Caption;
  bool Enabled = true;
  int Tag = 0;
  RECT Bounds{0, 0, 0, 0};  // in the bar's client coordinates
};

// Where each button goes: widths from the captions, rows of `buttonHeight` that wrap when the
// next button would pass `barWidth` (a button wider than the bar gets a row of its own).
// Returns the height the rows need (at least one row).
int LayoutMenuBarButtons(std::vector<TMenuBarButton>& buttons, const std::vector<int>& widths,
                         int barWidth, int buttonHeight);

class TSkinMenuBar : public forms::TCustomControl {
 public:
  TSkinMenuBar(forms::TComponent* owner, TSkinMenuBarHost* host);
  ~TSkinMenuBar() override;
  const char* ClassName() const override { return "TSkinMenuBar"; }

  TSkinMenuBarHost* Host() const { return host_; }
  // Remakes the buttons from the host's Menu (and the bar's font from a skinned main menu).
  void Rebuild();
  // Every button takes its caption and enabled state from its item again.
  void RefreshItems();
  // The font from a skinned main menu (system menu font or its name, size and charset).
  void UpdateFont();
  // Height of one row of buttons.
  int ButtonHeight() const { return button_height_; }
  void SetButtonHeight(int h);

  const std::vector<TMenuBarButton>& Buttons() const { return buttons_; }
  // The button under a client point, or -1.
  int ButtonAt(POINT p) const;
  // Opens button `index`'s submenu (runs the item's click when it has none); returns when the
  // menu closed.
  void OpenButton(int index);
  // The button whose submenu is open, or -1.
  int OpenIndex() const { return open_index_; }

 protected:
  void Paint() override;
  void MouseDown(forms::TMouseButton b, forms::TShiftState s, int x, int y) override;
  void MouseMove(forms::TShiftState s, int x, int y) override;
  void CMMouseLeave(forms::TMessage& m) override;
  // Accelerator letters: Alt+letter, or a plain letter while a title is highlighted.
  void CMDialogChar(forms::TMessage& m) override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }
  void BoundsChanged() override;

  // The look the bar draws with: a skinned main menu's own, else the frame's.
  TSkinLook Look() const;
  void DrawBackground(forms::TCanvas& canvas, const RECT& r);
  // Draws one title and sets its Tag (kMenuBarHighlightTag while drawn highlighted).
  void DrawButton(forms::TCanvas& canvas, TMenuBarButton& button, bool highlighted);

 private:
  void Layout();
  void SetHot(int index);
  static LRESULT CALLBACK MenuFilter(int code, WPARAM w, LPARAM l);

  TSkinMenuBarHost* host_;
  std::vector<TMenuBarButton> buttons_;
  int button_height_ = 22;
  int hot_index_ = -1;
  int open_index_ = -1;
  // Set while a submenu is open: the neighbour to open next when the user moves sideways.
  int switch_to_ = -1;
  int laid_width_ = -1;
};

}  // namespace skin
