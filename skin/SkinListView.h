// TSkinListView: the library's own skinned list view. On the skinned list view base it paints a
// flat column header in the look's colours (a plain fill per column, one-pixel separators in
// the border colour, captions in the look's header font colour, the columns' SmallImages
// pictures) and uses TSkinScrollBar outside bars that scroll the list by each change of the
// bar rather than to its position.
#pragma once

#include <vector>

#include "skin/SkinListViewBase.h"

namespace skin {

// Where the parts of one flat header column go, in header coordinates. Inputs: the column's
// item rectangle, the size of its picture (width -1: none), its alignment and the caption's
// text width.
struct TFlatHeadColumnInput {
  RECT Item{};
  int ImageWidth = -1, ImageHeight = 0;
  forms::TAlignment Alignment = forms::TAlignment::taLeftJustify;
  int TextWidth = 0;
};

struct TFlatHeadColumnLayout {
  bool ImageShown = false;
  POINT ImageAt{};
  RECT TextRect{};    // the caption is drawn single-line, vertically centred, from its left
  int TextLimit = 0;  // the width the caption is shortened to
};

TFlatHeadColumnLayout LayoutFlatHeadColumn(const TFlatHeadColumnInput& in);

// The x of every separator line for columns with these item rectangles, in drawing order: one
// at each column's right edge less one, and a second one pixel further left where a column of
// no width puts its line on the one before.
std::vector<int> FlatHeadSeparators(const std::vector<RECT>& items);

class TSkinListView : public TSkinListViewBase {
 public:
  explicit TSkinListView(forms::TComponent* owner);
  ~TSkinListView() override;
  const char* ClassName() const override { return "TSkinListView"; }

  TSkinScrollBar* VScrollBar() const { return static_cast<TSkinScrollBar*>(VBar()); }
  void SetVScrollBar(TSkinScrollBar* bar) { AttachBar(true, bar); }
  TSkinScrollBar* HScrollBar() const { return static_cast<TSkinScrollBar*>(HBar()); }
  void SetHScrollBar(TSkinScrollBar* bar) { AttachBar(false, bar); }

  // Set by the look.
  forms::TColor HeaderFontColor() const { return header_font_color_; }
  forms::TColor HeaderColor() const { return header_color_; }

  void RepaintHeader();

 protected:
  LRESULT HeaderMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) override;
  void HeaderHooked() override { RepaintHeader(); }
  void LookChanged(const TSkinLook& look) override;
  TSkinCustomScrollBar* AsBar(forms::TComponent* c) const override {
    return dynamic_cast<TSkinScrollBar*>(c);
  }
  void VScrollBarChange() override;
  void HScrollBarChange() override;

 private:
  void PaintHeader(HWND header, HDC dc);

  forms::TColor header_font_color_ = forms::clBlack;
  forms::TColor header_color_ = 0xE8E8E8;
};

}  // namespace skin
