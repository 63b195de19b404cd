// TListColumn: one column of a report list view: caption, width with its limits, alignment, an
// image index for views that paint their own header, and a tag for the program. A change reaches the list view's window at once when it has one.
#pragma once

#include <cstdint>
#include <string>

#include "forms/Types.h"

namespace forms {

class TCustomListView;

class TListColumn : public TObject {
 public:
  TListColumn(TCustomListView* owner, int index) : owner_(owner), index_(index) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  // The width the window shows (the user may have dragged it) while there is a window.
  int Width() const;
  void SetWidth(int v);
  // Limits a drag of the column's divider; 0 is no limit.
  int MinWidth() const { return min_width_; }
  void SetMinWidth(int v);
  int MaxWidth() const { return max_width_; }
  void SetMaxWidth(int v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  // A picture of the list's SmallImages for a header that paints itself (-1: none). The
  // system's header is not given it.
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int v);
  int Index() const { return index_; }
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t v) { tag_ = v; }

 private:
  friend class TListColumns;
  friend class TCustomListView;
  // Writes the column into the window at its index (insert or update).
  void Apply(bool insert);
  TCustomListView* owner_;
  int index_;
  std::string caption_;
  int width_ = 50;
  int min_width_ = 0;
  int max_width_ = 0;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  int image_index_ = -1;
  std::intptr_t tag_ = 0;
};

}  // namespace forms
