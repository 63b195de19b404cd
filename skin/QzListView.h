// TQzListView: the maker's list view of the result windows. On top of the skinned list view
// base it paints the column header itself (a background picture per column, separator
// pictures, per column a check-state picture, a sort-direction picture and a caption
// picture, captions shortened with "..."), turns a click on a header check-state picture
// into OnHeaderStateClick instead of a column click, and uses TQzScrollBar outside bars.
#pragma once

#include <array>
#include <functional>

#include "skin/QzScrollBar.h"
#include "skin/SkinListViewBase.h"

namespace skin {

// The picture slots of one header column: indexes into HeadImage, HeadState and HeadImgSort
// (-1, or any index outside its list: none).
struct THeadColumn {
  int ImageIndex = -1;
  int StateIndex = -1;
  int SortIndex = -1;
};

constexpr int kHeadColumnCount = 256;

// Where the parts of one header column go, in header coordinates. Inputs: the column's item
// rectangle, the sizes of the pictures it shows (width -1: that picture is not shown), the
// caption's alignment and text width, and whether a caption image list is set at all.
struct THeadColumnInput {
  RECT Item{};
  int StateWidth = -1, StateHeight = 0;
  int SortWidth = -1, SortHeight = 0;
  int ImageWidth = -1, ImageHeight = 0;
  bool HasImageList = false;
  forms::TAlignment Alignment = forms::TAlignment::taLeftJustify;
  int TextWidth = 0;
};

struct THeadColumnLayout {
  RECT StateRect{};   // the click target too; all zero without a state picture
  bool SortShown = false;
  RECT SortRect{};
  bool ImageShown = false;
  POINT ImageAt{};
  RECT TextRect{};    // the caption is drawn left-aligned, vertically centred in it
  int TextLimit = 0;  // the width the caption is shortened to
};

THeadColumnLayout LayoutHeadColumn(const THeadColumnInput& in);

class TQzListView : public TSkinListViewBase {
 public:
  explicit TQzListView(forms::TComponent* owner);
  ~TQzListView() override;
  const char* ClassName() const override { return "TQzListView"; }

  TQzScrollBar* VScrollBar() const { return static_cast<TQzScrollBar*>(VBar()); }
  void SetVScrollBar(TQzScrollBar* bar) { AttachBar(true, bar); }
  TQzScrollBar* HScrollBar() const { return static_cast<TQzScrollBar*>(HBar()); }
  void SetHScrollBar(TQzScrollBar* bar) { AttachBar(false, bar); }

  // The captions are drawn in HeadFont; the header window itself takes HeadHeightFont, and
  // so its height.
  forms::TFont& HeadFont() { return head_font_; }
  forms::TFont& HeadHeightFont() { return head_height_font_; }
  forms::TImageList* HeadImage() const { return head_image_; }
  void SetHeadImage(forms::TImageList* v);
  forms::TImageList* HeadState() const { return head_state_; }
  void SetHeadState(forms::TImageList* v);
  forms::TImageList* HeadImgSort() const { return head_img_sort_; }
  void SetHeadImgSort(forms::TImageList* v);
  // Stretched over each column. While it is empty the header paints itself the system's way
  // (and shows no pictures).
  forms::TPicture& HeadBG() { return head_bg_; }
  void SetHeadBG(const forms::TPicture* p);
  // Drawn centred on each column's right edge.
  forms::TPicture& Headline() { return headline_; }
  void SetHeadline(const forms::TPicture* p);

  // Kept for the forms that set them; they change nothing.
  int HeaderHeight() const { return header_height_; }
  void SetHeaderHeight(int v) { header_height_ = v; }
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int v) { item_height_ = v; }
  int AllState() const { return all_state_; }
  void SetAllState(int v) { all_state_ = v; }
  bool HeaderImageEvent() const { return header_image_event_; }
  void SetHeaderImageEvent(bool v) { header_image_event_ = v; }

  // Written by the program, then RepaintHeader. Columns past the last slot show no pictures.
  std::array<THeadColumn, kHeadColumnCount> HeadColumns;
  void RepaintHeader();

  // The column whose state picture holds the header point, or -1.
  int StateImageAt(int x, int y) const;
  // The click target of a column's state picture as last painted (zero: none).
  RECT StateHitRect(int column) const;

  using THeaderStateClickEvent = std::function<void(forms::TObject* sender, int index)>;
  THeaderStateClickEvent OnHeaderStateClick;
  forms::TNotifyEvent OnAllClick;  // kept for the forms; never fired

 protected:
  LRESULT HeaderMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) override;
  void HeaderHooked() override;
  void Notification(forms::TComponent* c, forms::TOperation op) override;
  TSkinCustomScrollBar* AsBar(forms::TComponent* c) const override {
    return dynamic_cast<TQzScrollBar*>(c);
  }

 private:
  void PaintHeader(HWND header);
  void SetImageList(forms::TImageList*& slot, forms::TImageList* v);
  void ApplyHeaderFont();
  bool StateValid(int column) const;
  void EndPress(HWND header);

  forms::TFont head_font_;
  forms::TFont head_height_font_;
  forms::TImageList* head_image_ = nullptr;
  forms::TImageList* head_state_ = nullptr;
  forms::TImageList* head_img_sort_ = nullptr;
  forms::TPicture head_bg_;
  forms::TPicture headline_;
  forms::TBitmap back_;
  std::array<RECT, kHeadColumnCount> state_hits_{};
  int header_height_ = -1;
  int item_height_ = -1;
  int all_state_ = -1;
  bool header_image_event_ = true;
  bool pressed_ = false;
  int pressed_column_ = -1;
};

}  // namespace skin
